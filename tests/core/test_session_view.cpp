// The chat display's bounded window onto the session: what comes in and goes
// as lines arrive and the view moves, and the scroll bar that stands for the
// whole session.
#include "core/session_view.h"

#include <gtest/gtest.h>

#include <limits>

namespace vek {
namespace {

constexpr ViewBounds kB{1000, 200};

WindowChange Change(HeldLines after, std::uint64_t addTop, std::uint64_t dropTop, std::uint64_t addBottom,
                    std::uint64_t dropBottom) {
    WindowChange c;
    c.addTop = addTop;
    c.dropTop = dropTop;
    c.addBottom = addBottom;
    c.dropBottom = dropBottom;
    c.after = after;
    return c;
}
WindowChange Replace(HeldLines after) {
    WindowChange c;
    c.replace = true;
    c.after = after;
    return c;
}

TEST(SessionView, NewLinesGoInWhileFollowingAndTheOldestLeaveInBatches) {
    const struct { const char* what; std::uint64_t session; HeldLines held; bool following; WindowChange want; } cases[] = {
        {"a few lines", 105, {0, 100}, true, Change({0, 105}, 0, 0, 5, 0)},
        {"up to keep + batch, nothing goes", 1200, {0, 1199}, true, Change({0, 1200}, 0, 0, 1, 0)},
        {"past it, back to keep", 1201, {0, 1200}, true, Change({201, 1000}, 0, 201, 1, 0)},
        {"keep lines at once: the newest anew", 5000, {0, 1100}, true, Replace({4000, 1000})},
        {"a session shorter than keep, at once", 1000, {0, 0}, true, Replace({0, 1000})},
        {"after the player emptied it", 310, {300, 0}, true, Change({300, 10}, 0, 0, 10, 0)},
        {"held: nothing moves", 5000, {0, 1100}, false, Change({0, 1100}, 0, 0, 0, 0)},
    };
    for (const auto& c : cases) EXPECT_EQ(PlanNewLines(c.session, c.held, c.following, kB), c.want) << c.what;
}

TEST(SessionView, ReadingBringsLinesInNearTheEndsAndLetsTheFarOnesGo) {
    const struct { const char* what; std::uint64_t session; HeldLines held; ViewLines view; WindowChange want; } cases[] = {
        {"in the middle: nothing", 10000, {5000, 1000}, {5500, 40}, Change({5000, 1000}, 0, 0, 0, 0)},
        {"near the top: a batch above", 10000, {5000, 1000}, {5150, 40}, Change({4800, 1200}, 200, 0, 0, 0)},
        {"near the top of the session: what there is", 10000, {50, 1000}, {60, 40}, Change({0, 1050}, 50, 0, 0, 0)},
        {"at the top of the session: nothing", 10000, {0, 1000}, {0, 40}, Change({0, 1000}, 0, 0, 0, 0)},
        {"past keep + batch: the bottom goes, not the batch below the view", 10000, {5000, 1150}, {5100, 40},
         Change({4800, 1000}, 200, 0, 0, 350)},
        {"near the bottom: a batch below, the top goes", 10000, {5000, 1100}, {5900, 40},
         Change({5300, 1000}, 0, 300, 200, 0)},
        {"near the session's end: nothing more below", 10000, {9000, 1000}, {9960, 40}, Change({9000, 1000}, 0, 0, 0, 0)},
        {"a view outside the window: the window around it", 100000, {5000, 1000}, {50000, 40}, Replace({49667, 1000})},
        {"an emptied display: the lines before it", 10000, {9000, 0}, {9000, 1}, Change({8800, 200}, 200, 0, 0, 0)},
        {"an empty session", 0, {0, 0}, {0, 1}, Change({0, 0}, 0, 0, 0, 0)},
    };
    for (const auto& c : cases) EXPECT_EQ(PlanAround(c.session, c.held, c.view, kB), c.want) << c.what;
}

TEST(SessionView, AJumpGetsTheWindowAroundItsLineWithinTheSession) {
    const struct { std::uint64_t session, line; HeldLines want; } cases[] = {
        {1000000, 0, {0, 1000}},
        {1000000, 500000, {499667, 1000}},
        {1000000, 999999, {999000, 1000}},
        {300, 200, {0, 300}},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowAt(c.session, c.line, kB), c.want) << c.line;
}

TEST(SessionView, TheScrollBarStandsForTheSessionAndTheThumbLeadsBackToItsLine) {
    constexpr std::uint64_t kHuge = std::uint64_t{5} << 32;  // past any 32-bit range
    const struct { std::uint64_t session; ViewLines view; ScrollBarState bar; } cases[] = {
        {0, {0, 1}, {0, 1, 0, 1}},
        {30, {0, 30}, {29, 30, 0, 1}},
        {1000000, {0, 40}, {999999, 40, 0, 1}},
        {1000000, {999960, 40}, {999999, 40, 999960, 1}},  // following: the thumb at the bottom
        {kHuge, {kHuge - 40, 40}, {(1 << 30) - 1, 2, (1 << 30) - 2, 20}},
    };
    for (const auto& c : cases) {
        const ScrollBarState bar = ScrollBarFor(c.session, c.view);
        EXPECT_EQ(bar, c.bar) << c.session << " " << c.view.first;
        EXPECT_LE(bar.pos, bar.max - bar.page + 1) << "a position the bar can take";
        // Dragged to where it stands, the thumb leads back to the view's first line (to a unit).
        const std::uint64_t line = LineAtThumb(c.session, bar.pos, c.view.count);
        EXPECT_LE(line, c.view.first) << c.session;
        EXPECT_LT(c.view.first - line, bar.unit) << c.session;
    }
    // Dragged past the last page or above the top, the thumb stays within the session.
    EXPECT_EQ(LineAtThumb(1000000, 999999, 40), 999960u);
    EXPECT_EQ(LineAtThumb(1000000, -5, 40), 0u);
    EXPECT_EQ(LineAtThumb(kHuge, std::numeric_limits<int>::max(), 40), kHuge - 40);
}

}  // namespace
}  // namespace vek
