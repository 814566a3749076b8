// Whether the chat display follows new lines or holds the view where the
// player scrolled it, and what the new-lines bar along its bottom edge says.
//
//   lines inserted into the display:      lock.Added(count of shown lines)
//   the player scrolled or paged the view: lock.ViewMoved(view shows the last line)
//   bar clicked, Ctrl+End, display cleared: lock.Follow(), then scroll to the end
//   after each of these: show the bar when BarShown(), with NewLinesBarText(NewLines())
#pragma once
#include <cstdint>
#include <limits>
#include <string>

namespace vek {

class ScrollLock {
public:
    // True while new lines bring the view along to the end; false while it is
    // held, and inserted lines must leave it where it is.
    bool Following() const { return !locked_; }

    // Lines arrived at the end of the display. While following this is one
    // test and nothing else, so the shell may call it on every pass.
    void Added(std::uint64_t lines) {
        if (locked_) newLines_ = lines > kMaxCount - newLines_ ? kMaxCount : newLines_ + lines;
    }

    // The player moved the view (scroll bar, wheel, keys). Only the player's
    // moves count: the shell does not call this for scrolling it does itself.
    // A view that shows the last line follows again and the count starts
    // over; any other holds it, keeping the count it has.
    void ViewMoved(bool atBottom) {
        if (atBottom) Follow();
        else locked_ = true;
    }

    // Back to following: the bar was clicked, Ctrl+End was pressed, or the
    // display was cleared. The shell scrolls to the end itself.
    void Follow() {
        locked_ = false;
        newLines_ = 0;
    }

    // Lines that arrived while the view was held; 0 while following.
    std::uint64_t NewLines() const { return newLines_; }

    // The bar shows while the view is held and something arrived below it.
    bool BarShown() const { return locked_ && newLines_ > 0; }

private:
    static constexpr std::uint64_t kMaxCount = std::numeric_limits<std::uint64_t>::max();
    bool locked_ = false;
    std::uint64_t newLines_ = 0;
};

// The bar's text in UTF-8: "▼ 37 new lines", "▼ 1 new line".
std::string NewLinesBarText(std::uint64_t count);

}  // namespace vek
