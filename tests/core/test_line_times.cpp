// The time leads of the shown lines, for the tooltip.
#include "core/line_times.h"

#include <gtest/gtest.h>

#include <string>

namespace vek {
namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";

TEST(LineTimes, OneEntryPerShownLineInDisplayOrder) {
    LineTimes t;
    t.AddLogLine(kLead + "{Bob}\":\" hi");
    t.AddLogLine(std::string(20, 'x'));   // shows nothing: no display line
    t.AddLogLine("");
    t.AddLogLine(std::string(21, 'y'));   // shows its LF: a line, led by all 21
    t.Append({});                         // the rest of a line cut at a block's end
    t.AddLogLine(kLead);                  // an empty line still shows
    t.Append(std::string(40, 'z'));
    const std::string expected[] = {kLead, std::string(21, 'y'), "", kLead, std::string(32, 'z')};
    ASSERT_EQ(t.Size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(t.Lead(i), expected[i]) << i;
    EXPECT_EQ(t.Lead(std::size(expected)), "");
    EXPECT_EQ(t.Lead(static_cast<std::size_t>(-1)), "");
}

TEST(LineTimes, DroppingTheFirstLinesRenumbersTheRest) {
    const struct { std::size_t drop; std::size_t size; const char* first; } cases[] = {
        {0, 5, "0"}, {1, 4, "1"}, {3, 2, "333"}, {4, 1, "4"}, {5, 0, ""}, {9, 0, ""},
    };
    for (const auto& c : cases) {
        LineTimes t;
        for (const char* lead : {"0", "1", "", "333", "4"}) t.Append(lead);
        t.DropFront(c.drop);
        EXPECT_EQ(t.Size(), c.size) << c.drop;
        EXPECT_EQ(t.Lead(0), c.first) << c.drop;
        EXPECT_EQ(t.Lead(c.size ? c.size - 1 : 0), c.size ? "4" : "") << c.drop;
        t.Append("new");  // the store goes on at the end
        EXPECT_EQ(t.Lead(c.size), "new") << c.drop;
    }
    LineTimes t;
    t.Append(kLead);
    t.Clear();
    EXPECT_EQ(t.Size(), 0u);
    EXPECT_EQ(t.MemoryBytes(), 0u);
}

TEST(LineTimes, AHundredThousandLinesTakeAtMost32BytesEach) {
    LineTimes t;
    for (int i = 0; i < 100000; ++i) t.AddLogLine(kLead + "{Bob}\":\" hello");
    EXPECT_EQ(t.Lead(99999), kLead);
    EXPECT_LE(t.MemoryBytes(), 32u * 100000);
}

}  // namespace
}  // namespace vek
