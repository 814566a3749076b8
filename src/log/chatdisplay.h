// The chat display: where the shown lines go. A pass's lines go in at the
// end as one RTF insertion per pass (a notice and AppendData's text at once), coloured by the core's rendering of
// their markup. The player's caret and selection stay where they were,
// unless the caret stood at the end; then it follows the new end. The view
// follows new lines while it shows the end, and stays where the player
// scrolled it otherwise (the scroll lock). Each display line keeps the time
// lead its log line had.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string_view>

#include "core/chat_display.h"
#include "core/line_times.h"
#include "core/log_follower.h"
#include "core/scroll_lock.h"
#include "core/shown_line.h"

namespace vek {

class ChatDisplay final : public ShownLineSink {
public:
    // The display box (a RichEdit), and the code page its text arrives in.
    void Attach(HWND box, int codepage);

    // A log line joins the pass's document; AppendData's text and a notice
    // (a line of the program's own, in OtherColor as it stands) go in at once.
    void TakeShown(const ShownLine& line) override;
    void EndPass(const PassFacts& facts) override;

    // Whether new lines bring the view along, and how many came while not.
    const ScrollLock& Lock() const { return lock_; }

    // Whether a message to the box is one by which the player moves its view
    // (scroll bar, wheel, paging and arrow keys, a mouse drag); ViewMoved
    // goes after the box has handled it.
    static bool MovesView(UINT msg, WPARAM wp);
    // The view may have moved: it is held while it is off the bottom and
    // follows again once it shows the end. Ignored while the display writes
    // (its own scrolling is none of the player's).
    void ViewMoved();
    // Back to following (the new-lines bar, Ctrl+End): the view goes to the end.
    void FollowEnd();

    // The time lead of display line `line` (a paragraph, counted from 0);
    // empty when it has none.
    std::string_view LeadOf(std::size_t line) const { return times_.Lead(line); }

private:
    // Adds a shown line to the document, and its lead once for each display
    // line it makes.
    void Add(const ShownLine& line);
    // The lead of each display line added to the document since `before`.
    void Lead(std::size_t before, std::string_view lead);
    // Puts what rtf_ holds at the end of the display in one insertion.
    // repaint: false while a burst goes in (see EndPass).
    void Write(bool repaint = true);

    // How often the display is painted while a burst goes in.
    static constexpr ULONGLONG kBurstPaintMs = 250;

    HWND box_ = nullptr;
    ChatRtf rtf_;
    bool open_ = false;  // rtf_ has begun a pass's document
    ULONGLONG painted_ = 0;  // when a pass last repainted the display
    bool writing_ = false;
    ScrollLock lock_;
    LineTimes times_;
};

}  // namespace vek
