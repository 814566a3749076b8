#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/lines.h"

namespace {

using namespace std::string_literals;

TEST(Lines, CountAndGetOnKnownTexts) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;  // GetLine for n = 1..CountLines
    };
    const Case cases[] = {
        {"", {""}},
        {"x\r\ny", {"x", "y"}},
        {"x\r\n", {"x", ""}},
        {"x\ny\rz", {"xy", "z"}},
        {"\r", {"", ""}},
        {"\r\r", {"", "", ""}},
        {"\n", {""}},
        {"a\n\r\nb\n", {"a", "b"}},
        {"ab\rcd\r\n\r\nef", {"ab", "cd", "", "ef"}},
        {"\nlead\r\n", {"lead", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        ASSERT_EQ(vek::CountLines(c.text), static_cast<int>(c.lines.size()));
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(vek::GetLine(c.text, static_cast<int>(i) + 1), c.lines[i]) << "line " << i + 1;
    }
}

TEST(Lines, GetLineOutsideTheTextIsEmpty) {
    const std::string text = "a\r\nb\r\n";
    for (int n : {-5, -1, 0, 4, 100}) EXPECT_EQ(vek::GetLine(text, n), "") << n;
    EXPECT_EQ(vek::GetLine("", 2), "");
}

std::vector<std::string> CutAll(const std::string& text, bool dropNul) {
    std::vector<std::string> out;
    vek::LineCutter cut(text, dropNul);
    std::string_view line;
    while (cut.Next(line)) out.emplace_back(line);
    return out;
}

// The one-walk cutter must give exactly the lines CountLines/GetLine define,
// on texts dense in CR, LF and NUL where the edge cases meet.
TEST(Lines, CutterAgreesWithGetLineOnGeneratedTexts) {
    std::mt19937 rng(12345);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\0', ' '};
    for (int round = 0; round < 4000; ++round) {
        std::size_t len = rng() % 40;
        std::string text;
        for (std::size_t i = 0; i < len; ++i) text += alphabet[rng() % sizeof alphabet];
        SCOPED_TRACE(testing::PrintToString(text));

        std::vector<std::string> expected;
        for (int n = 1; n <= vek::CountLines(text); ++n) expected.push_back(vek::GetLine(text, n));
        ASSERT_EQ(CutAll(text, false), expected);

        for (std::string& line : expected) std::erase(line, '\0');
        ASSERT_EQ(CutAll(text, true), expected);
    }
}

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
