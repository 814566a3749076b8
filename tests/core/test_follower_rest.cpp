// The last bytes of a log that was renamed away: its unfinished last line is
// handed on too, since no line break will ever come for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/follower.h"

namespace {

using Lines = std::vector<std::string>;

TEST(FollowerRest, TheUnfinishedLastLineOfAFinishedFileIsHandedOn) {
    const struct {
        std::string rest;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"tail without its break", {"tail without its break"}},
        {"one\r\ntwo", {"one", "two"}},
        {"whole\r\n", {"whole"}},
        {"whole\r\n\n\0", {"whole"}},
        {std::string("\n\0\n", 3), {}},
        {std::string("ta\0il\n", 6), {"tail"}},
        {"\r\n", {""}},
    };
    for (const auto& c : cases) {
        vek::FollowState s;
        s.LogSize = 100;
        Lines got;
        for (std::string_view l : vek::TakeRest(s, c.rest)) got.emplace_back(l);
        EXPECT_EQ(got, c.lines) << c.rest;
        EXPECT_EQ(s.LogSize, 100 + static_cast<std::int64_t>(c.rest.size())) << c.rest;
    }
}

// After TakeBlock has taken the whole lines, TakeRest takes what it held back.
TEST(FollowerRest, TakesWhatTakeBlockHeldBack) {
    vek::FollowState s;
    const std::string bytes = "first\r\nsecond\r\nthird, cut off";
    Lines got;
    for (std::string_view l : vek::TakeBlock(s, bytes)) got.emplace_back(l);
    EXPECT_EQ(got, (Lines{"first", "second"}));
    for (std::string_view l : vek::TakeRest(s, std::string_view(bytes).substr(static_cast<size_t>(s.LogSize))))
        got.emplace_back(l);
    EXPECT_EQ(got, (Lines{"first", "second", "third, cut off"}));
    EXPECT_EQ(s.LogSize, static_cast<std::int64_t>(bytes.size()));
}

}  // namespace
