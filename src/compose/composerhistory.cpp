#include "compose/composerhistory.h"

#include <string>
#include <utility>

namespace vek {

void ComposerHistory::Sent(std::string_view markup, int type, std::string_view pageTo) {
    history_.Add({std::string(markup), type, std::string(pageTo)});
}

std::optional<int> ComposerHistory::Step(bool back, int type) {
    const HistoryMove move = back ? history_.Back() : history_.Forward();
    switch (move) {
        case HistoryMove::kNone: return std::nullopt;
        case HistoryMove::kDraft: {
            const Draft& draft = history_.SavedDraft();
            composer_.Restore({draft.content, draftSelStart_, draftSelEnd_});
            pageTo_.SetText(draft.pageTo);
            return draft.type;
        }
        case HistoryMove::kLeaveDraft: {
            Composer::Snapshot now = composer_.Take();
            draftSelStart_ = now.selStart;
            draftSelEnd_ = now.selEnd;
            history_.SaveDraft({std::move(now.rtf), type, pageTo_.Text()});
            break;
        }
        case HistoryMove::kEntry: break;
    }
    const SentMessage& shown = *history_.Current();
    composer_.ShowComposed(shown.markup);
    // Another type's message leaves the page box as it is, hidden.
    if (shown.type == kPage) pageTo_.SetText(shown.pageTo);
    return shown.type;
}

}  // namespace vek
