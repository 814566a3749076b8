#include "core/session_view.h"

#include <algorithm>

namespace vek {

HeldLines WindowAt(std::uint64_t session, std::uint64_t line, ViewBounds bounds) {
    const std::uint64_t count = std::min(bounds.keep, session);
    // A third above the line: reading back goes on upwards, mostly.
    std::uint64_t first = line > count / 3 ? line - count / 3 : 0;
    first = std::min(first, session - count);
    return {first, count};
}

WindowChange PlanNewLines(std::uint64_t session, HeldLines held, bool following, ViewBounds bounds) {
    WindowChange c;
    c.after = held;
    if (!following) return c;
    if (held.end() > session) {  // cannot happen while the store only grows; start afresh
        c.replace = true;
        c.after = WindowAt(session, session, bounds);
        return c;
    }
    const std::uint64_t added = session - held.end();
    if (added >= bounds.keep) {
        // More than the display keeps: the lines between would only be dropped again.
        c.replace = true;
        c.after = WindowAt(session, session, bounds);
        return c;
    }
    c.addBottom = added;
    const std::uint64_t count = held.count + added;
    if (count > bounds.keep + bounds.batch) c.dropTop = count - bounds.keep;
    c.after = {held.first + c.dropTop, count - c.dropTop};
    return c;
}

WindowChange PlanAround(std::uint64_t session, HeldLines held, ViewLines view, ViewBounds bounds) {
    WindowChange c;
    c.after = held;
    if (held.end() > session) {
        c.replace = true;
        c.after = WindowAt(session, std::min(view.first, session), bounds);
        return c;
    }
    if (held.count == 0) {
        // The player emptied the display: reading back brings the lines before in.
        c.addTop = std::min(bounds.batch, held.first);
        c.after = {held.first - c.addTop, c.addTop};
        return c;
    }
    if (view.first < held.first || view.first >= held.end()) {
        c.replace = true;
        c.after = WindowAt(session, view.first, bounds);
        return c;
    }
    const std::uint64_t last = std::min(view.last(), held.end() - 1);
    if (held.first > 0 && view.first - held.first < bounds.batch) c.addTop = std::min(bounds.batch, held.first);
    if (held.end() < session && held.end() - 1 - last < bounds.batch)
        c.addBottom = std::min(bounds.batch, session - held.end());
    const std::uint64_t first = held.first - c.addTop, end = held.end() + c.addBottom;
    const std::uint64_t count = end - first;
    if (count > bounds.keep + bounds.batch) {
        std::uint64_t excess = count - bounds.keep;
        // What may go at each end: not what was just brought in there, and
        // never the batch next to the view.
        const std::uint64_t above = view.first - first, below = end - 1 - last;
        std::uint64_t roomTop = c.addTop == 0 && above > bounds.batch ? above - bounds.batch : 0;
        std::uint64_t roomBottom = c.addBottom == 0 && below > bounds.batch ? below - bounds.batch : 0;
        auto take = [&excess](std::uint64_t room) {
            const std::uint64_t n = std::min(room, excess);
            excess -= n;
            return n;
        };
        if (roomTop >= roomBottom) {
            c.dropTop = take(roomTop);
            c.dropBottom = take(roomBottom);
        } else {
            c.dropBottom = take(roomBottom);
            c.dropTop = take(roomTop);
        }
    }
    c.after = {first + c.dropTop, count - c.dropTop - c.dropBottom};
    return c;
}

namespace {
std::uint64_t UnitFor(std::uint64_t session) {
    return session <= kMaxScrollRange ? 1 : (session + kMaxScrollRange - 1) / kMaxScrollRange;
}
}  // namespace

ScrollBarState ScrollBarFor(std::uint64_t session, ViewLines view) {
    ScrollBarState s;
    s.unit = UnitFor(session);
    s.max = session == 0 ? 0 : static_cast<int>((session - 1) / s.unit);
    s.page = static_cast<int>(std::clamp<std::uint64_t>(view.count / s.unit, 1, static_cast<std::uint64_t>(s.max) + 1));
    s.pos = static_cast<int>(std::min<std::uint64_t>(view.first / s.unit, static_cast<std::uint64_t>(s.max)));
    return s;
}

std::uint64_t LineAtThumb(std::uint64_t session, int pos, std::uint64_t viewCount) {
    const std::uint64_t line = static_cast<std::uint64_t>(std::max(pos, 0)) * UnitFor(session);
    const std::uint64_t lastFirst = session > viewCount ? session - viewCount : 0;
    return std::min(line, lastFirst);
}

}  // namespace vek
