// Faults the fuzz targets (fuzz/) found in the core, kept as plain tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/follower.h"

namespace {

// fuzz_follow: a probe reporting a negative length (nothing a regular file
// has, but the size comes from whatever is at the log path) made PlanRead
// ask for about 4 GB, the negative count read as unsigned.
TEST(FuzzFindings, PlanReadNeverAsksBeyondTheFileWhateverLengthIsReported) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    struct Case {
        std::int64_t start;   // length when following began
        std::int64_t length;  // length the pass's probe reports
        std::int64_t offset;  // expected read
        std::uint32_t count;
    };
    const Case cases[] = {
        {0, -1, 0, 0},
        {100, -5, 0, 0},
        {0, kMin, 0, 0},
        {kMax, -1, 0, 0},
        {-3, -3, 0, 0},
        {7, 3, 0, 3},                 // an ordinary truncation: read again from the start
        {kMax - 10, kMax, kMax - 10, 10},
        {0, kMax, 0, vek::kMaxBlock},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << ", length " << c.length);
        vek::FollowState s;
        vek::StartFollowing(s, vek::LogProbe{vek::FileIdentity{1, 1}, c.start});
        const vek::ReadRequest r = vek::PlanRead(s, vek::LogProbe{vek::FileIdentity{1, 1}, c.length});
        EXPECT_EQ(r.offset, c.offset);
        EXPECT_EQ(r.count, c.count);
        EXPECT_EQ(s.LogSize, c.offset);
    }
}

}  // namespace
