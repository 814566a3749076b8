// Scroll lock: following new lines, holding the view, and the new-lines bar.
#include "core/scroll_lock.h"

#include <gtest/gtest.h>

#include <limits>

namespace vek {
namespace {

TEST(ScrollLock, ThePlayersMovesDecideFollowingAndTheCountBelow) {
    // 'u' scrolled off the bottom, 'b' back to it, 'f' bar or Ctrl+End, digits: lines arrived.
    const struct { const char* events; bool following; std::uint64_t count; bool bar; } cases[] = {
        {"95u", false, 0, false},    // lines while following count for nothing; held with none below: no bar
        {"u45u2", false, 11, true},  // moving about above the bottom keeps the count
        {"u9b3", true, 0, false},
        {"u9fu2", false, 2, true},   // held again after following: the count starts over
    };
    for (const auto& c : cases) {
        ScrollLock lock;
        for (const char* e = c.events; *e; ++e) {
            if (*e == 'u' || *e == 'b') lock.ViewMoved(*e == 'b');
            else if (*e == 'f') lock.Follow();
            else lock.Added(static_cast<std::uint64_t>(*e - '0'));
        }
        EXPECT_EQ(lock.Following(), c.following) << c.events;
        EXPECT_EQ(lock.NewLines(), c.count) << c.events;
        EXPECT_EQ(lock.BarShown(), c.bar) << c.events;
    }
}

TEST(ScrollLock, BarCountStopsAtItsLargestValueAndSaysOneLine) {
    ScrollLock lock;
    lock.ViewMoved(false);
    lock.Added(std::numeric_limits<std::uint64_t>::max());
    lock.Added(3);  // wrapping round would show 2 new lines
    EXPECT_EQ(NewLinesBarText(lock.NewLines()), "\xE2\x96\xBC 18446744073709551615 new lines");
    EXPECT_EQ(NewLinesBarText(1), "\xE2\x96\xBC 1 new line");
}

}  // namespace
}  // namespace vek
