#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/lines.h"

namespace {

using namespace std::string_literals;

// The common log piece (LF + text) must come back as a view of the input,
// not a copy: that is what keeps the follower free of per-line allocation.
TEST(Lines, CleanPieceCopiesOnlyWhenTheMiddleIsDirty) {
    std::string scratch;
    const std::string piece = "\n[12:00] hello\n";
    std::string_view v = vek::CleanPiece(piece, true, scratch);
    EXPECT_EQ(v, "[12:00] hello");
    EXPECT_TRUE(v.data() >= piece.data() && v.data() < piece.data() + piece.size());
    EXPECT_TRUE(scratch.empty());

    const std::string dirty = "\nab\ncd\0e"s;
    EXPECT_EQ(vek::CleanPiece(dirty, true, scratch), "abcde");
    EXPECT_EQ(vek::CleanPiece(dirty, false, scratch), "abcd\0e"s);
}

}  // namespace
