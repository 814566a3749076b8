// The messages sent in this run, brought back into the composer and the
// page box (Ctrl+Up, Ctrl+Down), and the draft the player stepped back from,
// brought back exactly. Nothing of it is saved: pages are private.
#pragma once
#include <optional>
#include <string_view>

#include "compose/composer.h"
#include "compose/pagetobox.h"
#include "core/history.h"

namespace vek {

class ComposerHistory {
public:
    // Both must outlive this.
    ComposerHistory(Composer& composer, PageToBox& pageTo) : composer_(composer), pageTo_(pageTo) {}

    // A message just sent, as the window held it.
    void Sent(std::string_view markup, int type, std::string_view pageTo);

    // One message back (or forward; past the newest, the draft): shows it in
    // the composer and, for a Page, its target in the page box. `type` is
    // the type the window shows now, kept with the draft when the player
    // leaves it. Returns the type to show, or nullopt when there was nowhere
    // to go and nothing changed.
    std::optional<int> Step(bool back, int type);

private:
    Composer& composer_;
    PageToBox& pageTo_;
    MessageHistory history_;
    int draftSelStart_ = 0, draftSelEnd_ = 0;  // the draft's caret or selection
};

}  // namespace vek
