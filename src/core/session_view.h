// The chat display as a bounded view of the session's lines: which stored
// lines it holds, which to bring in or let go as the player reads, and how
// its scroll bar stands for the whole session. Lines are store entries,
// counted from the session's first; the display holds a run of them.
//
//   new lines stored:       PlanNewLines(session, held, following, bounds)
//   the view moved:         PlanAround(session, held, view, bounds)
//   a jump (thumb, Home):   WindowAt(session, line, bounds)
//   the scroll bar:         ScrollBarFor(session, view), and back: LineAtThumb(session, pos, view lines)
#pragma once
#include <cstdint>

namespace vek {

// The run of store entries the display holds: [first, first + count).
struct HeldLines {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
    std::uint64_t end() const { return first + count; }
    friend bool operator==(const HeldLines&, const HeldLines&) = default;
};

// How much the display holds, and in what steps it changes.
struct ViewBounds {
    // Lines held at most while following; reading back may hold up to
    // keep + batch before lines far from the view go.
    std::uint64_t keep = 400;
    // Lines brought in or let go at a time; also the lines the view keeps
    // held above and below it, so that reading on never waits.
    std::uint64_t batch = 150;
};

// The store entries the view shows: its first line and how many it shows
// (at least 1 while the display holds anything).
struct ViewLines {
    std::uint64_t first = 0;
    std::uint64_t count = 1;
    std::uint64_t last() const { return first + (count > 0 ? count - 1 : 0); }
};

// A change to the display's window: either it is filled anew with `after`
// (replace), or lines are added and dropped at its two ends. Adds and drops
// at one end never both happen.
struct WindowChange {
    bool replace = false;
    std::uint64_t addTop = 0, dropTop = 0;
    std::uint64_t addBottom = 0, dropBottom = 0;
    HeldLines after;  // the window once the change is made
    bool None() const { return !replace && addTop == 0 && dropTop == 0 && addBottom == 0 && dropBottom == 0; }
    friend bool operator==(const WindowChange&, const WindowChange&) = default;
};

// The window of at most bounds.keep lines around `line` (a third of it
// above), kept within the session; the whole session when it is shorter.
HeldLines WindowAt(std::uint64_t session, std::uint64_t line, ViewBounds bounds);

// The session grew to `session` lines. Following, the window reaches the
// new end: the new lines are added (a window left short of the end is filled
// anew with the newest, as is one that would take keep lines or more at once)
// and the oldest go in a batch once it holds more than keep + batch. Not
// following, the window stays as it is (PlanAround brings lines in as the
// view nears its bottom).
WindowChange PlanNewLines(std::uint64_t session, HeldLines held, bool following, ViewBounds bounds);

// The view moved to `view`: lines are brought in at an end the view has come
// within a batch of (a batch at a time), and once the window holds more than
// keep + batch, lines go from the end farther from the view, never within a
// batch of it. A view outside the window (or an empty window with lines
// before it) gets the window around it anew.
WindowChange PlanAround(std::uint64_t session, HeldLines held, ViewLines view, ViewBounds bounds);

// A 32-bit scroll bar standing for the session: position, page and range in
// units of `unit` lines (1 until the session outgrows the range).
struct ScrollBarState {
    int max = 0;   // the range is 0..max
    int page = 1;  // the lines in view
    int pos = 0;   // the view's first line
    std::uint64_t unit = 1;
    friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

// The largest range the bar is given; well inside a 32-bit int, so that
// max + page never overflows.
inline constexpr std::uint64_t kMaxScrollRange = 1u << 30;

ScrollBarState ScrollBarFor(std::uint64_t session, ViewLines view);

// The store line a thumb dragged to `pos` shows first, for a view of
// `viewCount` lines: never so far down that the view would pass the end.
std::uint64_t LineAtThumb(std::uint64_t session, int pos, std::uint64_t viewCount);

}  // namespace vek
