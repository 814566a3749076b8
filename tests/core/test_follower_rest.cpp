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

// A line longer than a block goes on in pieces: the follower says which
// line goes on from a piece cut off before, so that no lead is dropped from
// it (found by the bad-input test: 22 bytes of a 1 MB line went missing at
// every block). A truncation starts lines afresh.
TEST(FollowerRest, ThePieceAfterACutGoesOnWithoutALead) {
    vek::FollowState s;
    const std::string longLine(vek::kMaxBlock + 100, 'x');
    const std::string log = longLine + "\r\nnext\r\n";
    std::string_view rest = log;
    std::vector<std::pair<std::string, bool>> got;  // line, goes on from a cut
    while (!rest.empty()) {
        const std::string_view block = rest.substr(0, vek::kMaxBlock);
        const std::int64_t before = s.LogSize;
        const auto lines = vek::TakeBlock(s, block);
        for (size_t i = 0; i < lines.size(); ++i) got.emplace_back(std::string(lines[i]), i == 0 && s.FirstContinues);
        rest.remove_prefix(static_cast<size_t>(s.LogSize - before));
    }
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], std::make_pair(std::string(vek::kMaxBlock, 'x'), false));
    EXPECT_EQ(got[1], std::make_pair(std::string(100, 'x'), true));
    EXPECT_EQ(got[2], std::make_pair(std::string("next"), false));

    // Cut again, then the log is truncated: its first line is no continuation.
    vek::TakeBlock(s, std::string(vek::kMaxBlock, 'y'));
    vek::PlanRead(s, vek::LogProbe{std::nullopt, 10});
    const auto lines = vek::TakeBlock(s, "fresh\r\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(s.FirstContinues);
}

}  // namespace
