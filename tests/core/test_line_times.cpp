// The time leads of the shown lines, for the tooltip.
#include "core/line_times.h"

#include <gtest/gtest.h>

#include <string>

namespace vek {
namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";

TEST(LineTimes, OneEntryPerShownLineRenumberedWhenTheFirstAreDropped) {
    LineTimes t;
    t.Append(kLead);
    t.Append(std::string(21, 'y'));
    t.Append({});                    // the rest of a line cut at a block's end
    t.Append(std::string(40, 'z'));  // kept to 32 bytes
    const std::string leads[] = {kLead, std::string(21, 'y'), "", std::string(32, 'z'), ""};
    for (std::size_t drop : {0, 1, 3, 4, 9}) {
        LineTimes d = t;
        d.DropFront(drop);
        d.Append("new");  // the store goes on at the end
        ASSERT_EQ(d.Size(), (drop < 4 ? 4 - drop : 0) + 1) << drop;
        for (std::size_t i = 0; i + 1 < d.Size(); ++i) EXPECT_EQ(d.Lead(i), leads[drop + i]) << drop << ':' << i;
        EXPECT_EQ(d.Lead(d.Size() - 1), "new") << drop;
        EXPECT_EQ(d.Lead(d.Size()), "") << drop;
    }
}

TEST(LineTimes, AHundredThousandLinesTakeAtMost32BytesEachAndClearGivesThemBack) {
    LineTimes t;
    for (int i = 0; i < 100000; ++i) t.Append(kLead);
    EXPECT_EQ(t.Lead(99999), kLead);
    EXPECT_LE(t.MemoryBytes(), 32u * 100000);
    t.Clear();
    EXPECT_EQ(t.MemoryBytes(), 0u);
}

}  // namespace
}  // namespace vek
