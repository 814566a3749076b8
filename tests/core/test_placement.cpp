// Where the window was left: the stored form, DPI scaling, and whether a
// place can still be seen. (The fuzz target checks limits and round trips
// of the stored form on any input.)
#include "core/placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace vek {
namespace {

TEST(Placement, StoredFormIsReadOnlyWhenWholeAndWithinItsLimits) {
    EXPECT_EQ(ParsePlacement(" -50 , 0,\t800,600,1,144 "), (Placement{-50, 0, 800, 600, true, 144}));
    EXPECT_EQ(FormatPlacement({-50, 0, 800, 600, true, 144}), "-50,0,800,600,1,144");
    for (const char* damaged : {"", "1,2,3,4,0", "1,2,3,4,0,96,", "1,2,0,4,0,96", "1,2,3,4,2,96", "1,2,3,4,0,961",
                                "100001,2,3,4,0,96", "99999999999999999999,2,3,4,0,96", "+1,2,3,4,0,96",
                                "1.5,2,3,4,0,96", "1,2,3,4,0,9 6"})
        EXPECT_EQ(ParsePlacement(damaged), std::nullopt) << damaged;
}

TEST(Placement, VisibleWhenTheTitleBarCanBeTakenOnOneMonitor) {
    const Rect areas[] = {{0, 0, 1920, 1040}, {1920, 0, 3200, 1024}};
    const struct { const char* name; Rect r; int dpi; bool visible; } cases[] = {
        {"on the second monitor", {2000, 500, 2600, 900}, 96, true},
        {"half the strip below the top", {100, -12, 740, 400}, 96, true},
        {"10 pixels above the bottom edge", {100, 1030, 740, 1500}, 96, false},
        {"64 across at the left", {-600, 100, 64, 400}, 96, true},
        {"63 across", {-600, 100, 63, 400}, 96, false},
        {"twice 40 across two monitors", {1880, 100, 1960, 400}, 96, false},
        {"64 across is 128 at 192 DPI", {-600, 100, 100, 400}, 192, false},
        {"smaller than the minimum", {10, 10, 40, 20}, 96, true},
    };
    for (const auto& c : cases) EXPECT_EQ(TitleBarVisible(c.r, c.dpi, areas), c.visible) << c.name;
    const Rect everything = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};  // overlaps wider than an int
    EXPECT_TRUE(TitleBarVisible(everything, 96, std::span<const Rect>(&everything, 1)));
}

TEST(Placement, RestoredOnlyWhereItCanBeSeenScaledFirst) {
    EXPECT_EQ(ScaledToDpi({0, 0, 1001, 1, false, 192}, 96).width, 501);  // halves round up
    EXPECT_EQ(ScaledToDpi({0, 0, 100000, 1, false, 48}, 960).width, kMaxExtent);
    EXPECT_EQ(ScaledToDpi({0, 0, 640, 480, false, 96}, 0), (Placement{0, 0, 640, 480, false, 96}));  // a failed DPI query
    const Rect areas[] = {{0, 0, 1920, 1040}};
    EXPECT_EQ(RestoredPlacement({2500, 50, 640, 480, false, 96}, 96, areas), std::nullopt);  // monitor gone
    // 40 pixels across the work area at 96 DPI; twice that wide at 192, enough.
    EXPECT_EQ(RestoredPlacement({-300, 50, 340, 480, false, 96}, 192, areas), (Placement{-300, 50, 680, 960, false, 192}));
}

}  // namespace
}  // namespace vek
