// Scroll lock: following new lines, holding the view, and the new-lines bar.
#include "core/scroll_lock.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace vek {
namespace {

// Events: 'u' the player scrolled off the bottom, 'b' back to the bottom,
// 'f' bar clicked or Ctrl+End, '1'-'9' that many lines arrived.
ScrollLock AfterEvents(std::string_view events) {
    ScrollLock lock;
    for (char e : events) {
        if (e == 'u') lock.ViewMoved(false);
        else if (e == 'b') lock.ViewMoved(true);
        else if (e == 'f') lock.Follow();
        else lock.Added(static_cast<std::uint64_t>(e - '0'));
    }
    return lock;
}

TEST(ScrollLock, ThePlayersMovesDecideFollowingAndTheCountBelow) {
    const struct { const char* events; bool following; std::uint64_t count; bool bar; } cases[] = {
        {"95", true, 0, false},      // following: lines arriving count for nothing
        {"9u", false, 0, false},     // held, nothing below yet: no bar
        {"u1", false, 1, true},
        {"u45u2", false, 11, true},  // moving about above the bottom keeps the count
        {"u9b", true, 0, false},
        {"u9f", true, 0, false},
        {"u9f3", true, 0, false},    // following again: the count does not go on
        {"u9fu2", false, 2, true},   // held again: it starts over
    };
    for (const auto& c : cases) {
        const ScrollLock lock = AfterEvents(c.events);
        EXPECT_EQ(lock.Following(), c.following) << c.events;
        EXPECT_EQ(lock.NewLines(), c.count) << c.events;
        EXPECT_EQ(lock.BarShown(), c.bar) << c.events;
    }
}

TEST(ScrollLock, CountStopsAtItsLargestValueInsteadOfWrappingToFew) {
    ScrollLock lock = AfterEvents("u5");
    lock.Added(std::numeric_limits<std::uint64_t>::max());
    lock.Added(3);
    EXPECT_EQ(lock.NewLines(), std::numeric_limits<std::uint64_t>::max());
}

TEST(ScrollLock, BarTextIsUtf8WithTheSingularForOne) {
    const struct { std::uint64_t count; const char* text; } cases[] = {
        {1, "\xE2\x96\xBC 1 new line"},
        {2, "\xE2\x96\xBC 2 new lines"},
        {37, "\xE2\x96\xBC 37 new lines"},
        {100000, "\xE2\x96\xBC 100000 new lines"},
        {std::numeric_limits<std::uint64_t>::max(), "\xE2\x96\xBC 18446744073709551615 new lines"},
    };
    for (const auto& c : cases) EXPECT_EQ(NewLinesBarText(c.count), c.text);
}

}  // namespace
}  // namespace vek
