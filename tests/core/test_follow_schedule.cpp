// When the follower's passes come: the change notification's trust, the
// interval while more waits, the identity-check cadence, Stop's bound.
#include <gtest/gtest.h>

#include <vector>

#include "core/follow_schedule.h"

namespace {

using vek::FollowSchedule;

struct Pass {
    bool grew, woken, more;
};

TEST(FollowSchedule, IntervalsFollowTheNotificationsTrustAndWhatWaits) {
    const struct {
        const char* name;
        std::vector<Pass> passes;  // after Start
        bool trusted;
        int intervalMs, identityEvery;
    } cases[] = {
        {"trusted at the start", {}, true, 250, 4},
        {"quiet timer passes keep the trust", {{false, false, false}, {false, false, false}}, true, 250, 4},
        {"announced growth keeps it", {{true, true, false}}, true, 250, 4},
        {"a growth the notification missed drops it", {{true, false, false}}, false, 50, 20},
        {"two announced growths are not yet enough",
         {{true, false, false}, {true, true, false}, {true, true, false}}, false, 50, 20},
        {"three in a row bring it back",
         {{true, false, false}, {true, true, false}, {true, true, false}, {true, true, false}}, true, 250, 4},
        {"a miss in between starts the count again",
         {{true, false, false}, {true, true, false}, {true, true, false}, {true, false, false}, {true, true, false},
          {true, true, false}},
         false, 50, 20},
        {"more waiting: the shortest interval", {{true, true, true}}, true, 10, 4},
        {"more waiting after a miss", {{true, false, true}}, false, 10, 20},
        {"caught up: back to the quiet interval", {{true, true, true}, {true, true, false}}, true, 250, 4},
    };
    for (const auto& c : cases) {
        FollowSchedule s;
        s.Start();
        for (const Pass& p : c.passes) s.PassDone(p.grew, p.woken, p.more);
        EXPECT_EQ(s.Trusted(), c.trusted) << c.name;
        EXPECT_EQ(s.IntervalMs(), c.intervalMs) << c.name;
        EXPECT_EQ(s.CatchingUp(), c.intervalMs == FollowSchedule::kCatchUpMs) << c.name;
        EXPECT_EQ(s.IdentityCheckEvery(), c.identityEvery) << c.name;
    }
}

TEST(FollowSchedule, StartForgetsTheLastLogsState) {
    FollowSchedule s;
    s.PassDone(true, false, true);
    s.Start();
    EXPECT_TRUE(s.Trusted());
    EXPECT_FALSE(s.CatchingUp());
}

TEST(FollowSchedule, StopsLastPassesEndWhenNothingWaitsOrTheSecondIsUp) {
    const struct {
        bool more;
        std::uint64_t started, now;
        bool another;
    } cases[] = {
        {false, 5000, 5000, false},  // the first last pass took everything
        {true, 5000, 5000, true},
        {true, 5000, 5999, true},
        {true, 5000, 6000, false},  // a burst still arriving is left
        {true, 5000, 9000, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FollowSchedule::AnotherLastPass(c.more, c.started, c.now), c.another)
            << c.more << " " << c.now - c.started;
}

}  // namespace
