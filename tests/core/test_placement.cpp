// Where the window was left: the stored form, DPI scaling, and whether a
// place can still be seen.
#include "core/placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace vek {
namespace {

TEST(Placement, StoredFormIsReadOnlyWhenWholeAndWithinItsLimits) {
    const struct { const char* text; std::optional<Placement> p; } cases[] = {
        {"120,80,640,480,0,96", Placement{120, 80, 640, 480, false, 96}},
        {" -50 , 0,\t800,600,1,144 ", Placement{-50, 0, 800, 600, true, 144}},
        {"-100000,100000,100000,1,0,960", Placement{-100000, 100000, 100000, 1, false, 960}},
        {"007,8,9,10,0,48", Placement{7, 8, 9, 10, false, 48}},
        {"", std::nullopt},
        {"1,2,3,4,0", std::nullopt},
        {"1,2,3,4,0,96,7", std::nullopt},
        {"1,2,3,4,0,96,", std::nullopt},
        {",2,3,4,0,96", std::nullopt},
        {"1,2,0,4,0,96", std::nullopt},           // no width
        {"1,2,-3,4,0,96", std::nullopt},
        {"1,2,3,4,2,96", std::nullopt},           // maximised is 0 or 1
        {"1,2,3,4,0,0", std::nullopt},            // no DPI to scale from
        {"1,2,3,4,0,961", std::nullopt},
        {"100001,2,3,4,0,96", std::nullopt},
        {"1,2,3,100001,0,96", std::nullopt},
        {"99999999999999999999,2,3,4,0,96", std::nullopt},
        {"+1,2,3,4,0,96", std::nullopt},
        {"1.5,2,3,4,0,96", std::nullopt},
        {"1;2;3;4;0;96", std::nullopt},
        {"1,2,3,4,0,96x", std::nullopt},
        {"1,2,3,4,0,9 6", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<Placement> p = ParsePlacement(c.text);
        EXPECT_EQ(p, c.p) << c.text;
        if (p) {
            EXPECT_EQ(ParsePlacement(FormatPlacement(*p)), p) << c.text;
        }
    }
    EXPECT_EQ(FormatPlacement({-50, 0, 800, 600, true, 144}), "-50,0,800,600,1,144");
}

TEST(Placement, SizeFollowsTheDpiAndThePositionStays) {
    const struct { int w, h, from, to, wantW, wantH, wantDpi; } cases[] = {
        {640, 480, 96, 144, 960, 720, 144},
        {960, 720, 144, 96, 640, 480, 96},
        {1001, 3, 192, 96, 501, 2, 96},                 // halves round up
        {1, 1, 960, 48, 1, 1, 48},                      // never below 1
        {100000, 50000, 48, 960, 100000, 100000, 960},  // nor above the limit
        {640, 480, 96, 0, 640, 480, 96},                // a DPI nothing has: unchanged
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScaledToDpi({-7, 30, c.w, c.h, true, c.from}, c.to), (Placement{-7, 30, c.wantW, c.wantH, true, c.wantDpi}))
            << c.w << '@' << c.from << "->" << c.to;
}

TEST(Placement, VisibleWhenTheTitleBarCanBeTakenOnOneMonitor) {
    const Rect areas[] = {{0, 0, 1920, 1040}, {1920, 0, 3200, 1024}};
    const struct { const char* name; Rect r; int dpi; bool visible; } cases[] = {
        {"inside", {100, 100, 740, 580}, 96, true},
        {"on the second monitor", {2000, 500, 2600, 900}, 96, true},
        {"beyond every monitor", {3300, 100, 3900, 500}, 96, false},
        {"title bar above the top", {100, -30, 740, 400}, 96, false},
        {"half the strip showing", {100, -12, 740, 400}, 96, true},
        {"less than half", {100, -13, 740, 400}, 96, false},
        {"10 pixels above the bottom edge", {100, 1030, 740, 1500}, 96, false},
        {"64 across at the left", {-600, 100, 64, 400}, 96, true},
        {"63 across", {-600, 100, 63, 400}, 96, false},
        {"twice 40 across two monitors", {1880, 100, 1960, 400}, 96, false},
        {"64 across is 128 at 192 DPI", {-600, 100, 100, 400}, 192, false},
        {"a window smaller than the minimum", {10, 10, 40, 20}, 96, true},
        {"empty", {10, 10, 10, 500}, 96, false},
        {"extreme coordinates", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 96, false},
    };
    for (const auto& c : cases) EXPECT_EQ(TitleBarVisible(c.r, c.dpi, areas), c.visible) << c.name;
    EXPECT_FALSE(TitleBarVisible({100, 100, 740, 580}, 96, {}));
    const Rect everything = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};  // overlaps wider than an int
    EXPECT_TRUE(TitleBarVisible(everything, 96, std::span<const Rect>(&everything, 1)));
}

TEST(Placement, RestoredOnlyWhereItCanBeSeenScaledFirst) {
    const Rect areas[] = {{0, 0, 1920, 1040}};
    EXPECT_EQ(RestoredPlacement({100, 50, 640, 480, true, 96}, 144, areas), (Placement{100, 50, 960, 720, true, 144}));
    EXPECT_EQ(RestoredPlacement({2500, 50, 640, 480, false, 96}, 96, areas), std::nullopt);  // monitor gone
    // 40 pixels across the work area at 96 DPI; twice that wide at 192, enough.
    EXPECT_EQ(RestoredPlacement({-300, 50, 340, 480, false, 96}, 192, areas), (Placement{-300, 50, 680, 960, false, 192}));
}

}  // namespace
}  // namespace vek
