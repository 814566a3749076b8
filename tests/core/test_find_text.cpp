// Find in the chat: the search over the display's text, up and down from
// the selection, with case and whole-word options. (The fuzz target checks
// the search against a plain scan, and the dialog's text taken from a
// selection, on any input.)
#include "core/find_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vek {
namespace {

// The display's text as the control holds it: a CR ends each line.
const std::u16string kText = u"Orrin: hello\rorrin's cat\rOrrinson left\rhello ORRIN\r";

TEST(FindInText, NextMatchEachWayFromTheSelection) {
    const std::size_t end = kText.size();
    const struct { const char* name; std::u16string what; TextRange from; FindOptions o; std::optional<TextRange> found; } cases[] = {
        {"up from the end finds the newest", u"orrin", {end, end}, {}, TextRange{45, 50}},
        {"up again, from that match", u"orrin", {45, 50}, {}, TextRange{25, 30}},
        {"down skips the selected match", u"orrin", {0, 5}, {true}, TextRange{13, 18}},
        {"up from inside the first finds nothing", u"orrin", {3, 3}, {}, std::nullopt},
        {"match case", u"orrin", {end, end}, {false, true}, TextRange{13, 18}},
        {"whole word: an apostrophe ends a word", u"orrin", {end, end}, {false, false, true}, TextRange{45, 50}},
        {"whole word skips Orrinson", u"orrin", {45, 45}, {false, false, true}, TextRange{13, 18}},
        {"a selection past the end", u"cat", {end + 9, end + 9}, {}, TextRange{21, 24}},
    };
    for (const auto& c : cases) EXPECT_EQ(FindInText(kText, c.what, c.from, c.o), c.found) << c.name;
}

TEST(FindInText, LettersOfTheCodePagesMatchInEitherCase) {
    const struct { char16_t upper, lower; } pairs[] = {
        {u'A', u'a'}, {0x00C9, 0x00E9}, {0x00DE, 0x00FE}, {0x0100, 0x0101}, {0x0139, 0x013A},
        {0x0147, 0x0148}, {0x014A, 0x014B}, {0x0178, 0x00FF}, {0x017D, 0x017E}, {0x0386, 0x03AC},
        {0x0391, 0x03B1}, {0x03A3, 0x03C2}, {0x0401, 0x0451}, {0x0416, 0x0436}, {0x0490, 0x0491},
    };
    for (const auto& p : pairs) {
        const std::u16string text = std::u16string(u"x ") + p.lower + u" y";
        EXPECT_EQ(FindInText(text, std::u16string(1, p.upper), {0, 0}, {true}), (TextRange{2, 3})) << int(p.upper);
        EXPECT_EQ(FindInText(text, std::u16string(1, p.upper), {0, 0}, {true, true}), std::nullopt) << int(p.upper);
    }
    // No pairs: the multiplication sign among the capitals, dotless i, kra.
    EXPECT_EQ(FoldCase(0x00D7), 0x00D7);
    EXPECT_EQ(FoldCase(0x0131), 0x0131);
    EXPECT_EQ(FoldCase(0x0138), 0x0138);
}

TEST(FindInText, WordCharactersAreLettersAndDigitsNotPunctuation) {
    for (char16_t c : {u'a', u'Z', u'7', char16_t{0x00E9}, char16_t{0x0436}, char16_t{0x4E2D}})
        EXPECT_TRUE(IsWordChar(c)) << int(c);
    for (char16_t c : {u' ', u'_', u'\'', u'"', u'\r', char16_t{0x00A0}, char16_t{0x00F7}, char16_t{0x2019},
                       char16_t{0x20AC}, char16_t{0x3002}, char16_t{0xFF01}})
        EXPECT_FALSE(IsWordChar(c)) << int(c);
}

}  // namespace
}  // namespace vek
