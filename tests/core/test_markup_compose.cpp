// The composer's colour keys and the conversion of coloured text into
// markup, checked against the chat display's own markup renderer.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/chat_display.h"
#include "core/markup_compose.h"

using namespace vek;

namespace {

constexpr Color Red = Rgb(255, 0, 0);  // a colour no text of the program carries

// Coloured text from a string and one colour letter per character:
// N normal, Q quote, B brace, I page in, O page out, X other, R foreign red.
// The markup of a whole coloured text, one character at a time.
std::string Composed(const std::vector<ComposedChar>& chars) {
    MarkupComposer m;
    for (const ComposedChar& c : chars) m.Add(c.ch, c.color);
    return m.Finish();
}

std::vector<ComposedChar> Colored(std::string_view text, std::string_view letters) {
    std::vector<ComposedChar> out;
    for (size_t i = 0; i < text.size(); ++i) {
        Color c = NormalColor;
        switch (letters.at(i)) {
            case 'Q': c = QuoteColor; break;
            case 'B': c = BraceColor; break;
            case 'I': c = PageInColor; break;
            case 'O': c = PageOutColor; break;
            case 'X': c = OtherColor; break;
            case 'R': c = Red; break;
            default: break;
        }
        out.push_back({text[i], c});
    }
    return out;
}

// The colours in which the chat display shows a markup text on a line whose
// colour is NormalColor, one per shown character. The display picks the line
// colour from how a line begins; a leading `{x}":" ` makes it NormalColor and
// leaves the reader in that colour, so the three characters it shows are
// dropped again.
std::vector<Color> DisplayColors(const std::string& markup) {
    const std::string body = "{x}\":\" " + markup;
    std::vector<ColorRun> runs;
    const Color line = RenderShown(ShownText{body, {}}, runs);
    EXPECT_EQ(line, NormalColor);
    std::vector<Color> colors;
    for (const ColorRun& r : runs)
        for (size_t i = 0; i < r.text.size(); ++i) colors.push_back(r.color);
    if (colors.size() < 3) return {};
    return std::vector<Color>(colors.begin() + 3, colors.end());
}

std::vector<Color> ColorsOf(const std::vector<ComposedChar>& chars) {
    std::vector<Color> out;
    for (const ComposedChar& c : chars) out.push_back(c.color);
    return out;
}

TEST(MarkupComposer, ConvertsColouredText) {
    struct Case {
        const char* name;
        std::string text;
        std::string colors;
        std::string markup;
    } cases[] = {
        {"empty", "", "", ""},
        {"plain", "hello there", "NNNNNNNNNNN", "hello there"},
        {"quoted, closed at the end", "hello", "QQQQQ", "\"hello\""},
        {"braced", "abc", "BBB", "{abc}"},
        {"quote then brace: no closing quote", "abcdef", "QQBBNN", "\"ab{cd}ef"},
        {"brace then quote: closed before the quote", "abcdef", "BBQQNN", "{ab}\"cd\"ef"},
        {"brace then quote to the end", "abcd", "BBQQ", "{ab}\"cd\""},
        {"quote, normal, quote", "abc", "QNQ", "\"a\"b\"c\""},
        {"other colours open nothing", "abc", "NIN", "abc"},
        {"other colours close nothing", "abcd", "QOXQ", "\"abcd\""},
        {"other colour in braces", "abc", "BIB", "{abc}"},
        {"foreign colour counts as normal", "abc", "QRQ", "\"a\"b\"c\""},
        {"line breaks copied", "a\r\nb", "QQQQ", "\"a\r\nb\""},
        {"markup characters copied as they stand", "say \"hi\" {x}", "NNNNNNNNNNNN", "say \"hi\" {x}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Composed(Colored(c.text, c.colors)), c.markup) << c.name;
    }
}

TEST(MarkupComposer, RunsAndSingleCharactersGiveTheSameMarkup) {
    MarkupComposer runs;
    runs.Add("ab", BraceColor);
    runs.Add("", QuoteColor);  // an empty run changes nothing
    runs.Add("cd", QuoteColor);
    runs.Add("e", PageInColor);
    runs.Add("fg", NormalColor);
    EXPECT_EQ(runs.Finish(), Composed(Colored("abcdefg", "BBQQINN")));
    // Finishing starts afresh.
    runs.Add("x", QuoteColor);
    EXPECT_EQ(runs.Finish(), "\"x\"");
    EXPECT_EQ(runs.Finish(), "");
}

// Braced text followed directly by quoted text used to lose its "}" before
// the quote; the display then read that quote as a return to the base colour
// and showed the quoted text as plain.
TEST(MarkupComposer, BracedThenQuotedShowsAsComposed) {
    const auto chars = Colored("abcdef", "BBQQNN");
    EXPECT_EQ(DisplayColors(Composed(chars)), ColorsOf(chars));
    // The form without the "}" shows cd in the wrong colour.
    EXPECT_NE(DisplayColors("{ab\"cd\"ef"), ColorsOf(chars));
}

// The property the conversion exists for: the display shows the markup of a
// composed text in exactly the composed colours, as long as the text has no
// markup characters of its own. Colours the markup cannot express (the page
// and other colours) show in the colour around them and never disturb the
// others; a foreign colour shows as normal text.
TEST(MarkupComposer, DisplayShowsTheComposedColours) {
    const std::string alphabet = "abcXYZ 019.,:;!?'-\r\n\t~";
    const Color markupColors[] = {NormalColor, QuoteColor, BraceColor};
    const Color anyColors[] = {NormalColor, QuoteColor,   BraceColor, PageInColor,
                               PageOutColor, OtherColor, Red};
    std::mt19937 rng(20261207);
    for (int round = 0; round < 20000; ++round) {
        const bool onlyMarkupColors = round % 2 == 0;
        const size_t n = rng() % 40;
        std::vector<ComposedChar> chars;
        // Colours come in runs of random length, as they do when typed.
        Color c = NormalColor;
        for (size_t i = 0; i < n; ++i) {
            if (rng() % 3 == 0)
                c = onlyMarkupColors ? markupColors[rng() % 3] : anyColors[rng() % 7];
            chars.push_back({alphabet[rng() % alphabet.size()], c});
        }
        const std::string markup = Composed(chars);
        const std::vector<Color> shown = DisplayColors(markup);
        ASSERT_EQ(shown.size(), chars.size()) << markup;
        Color around = NormalColor;  // the colour the markup is in at that point
        for (size_t i = 0; i < n; ++i) {
            Color want = chars[i].color;
            if (want == Red) want = NormalColor;
            if (want == NormalColor || want == QuoteColor || want == BraceColor) {
                around = want;
                ASSERT_EQ(shown[i], want) << "character " << i << " of " << markup;
            } else {
                ASSERT_EQ(shown[i], around) << "character " << i << " of " << markup;
            }
        }
    }
}

TEST(ComposedOfMarkup, ReadsMarkupAsTypedKeys) {
    struct Case {
        std::string markup;
        std::string text;
        std::string colors;
    } cases[] = {
        {"", "", ""},
        {"say \"hi\" {x}!", "say hi x!", "NNNNQQNBN"},
        {"{ab\"cd", "abcd", "BBNN"},  // a quote in brace colour goes back to normal
        {"a}b\"\"c", "abc", "NNN"},  // marks around nothing leave nothing behind
        {"\"open", "open", "QQQQ"},
    };
    for (const Case& c : cases) {
        const std::vector<ComposedChar> want = Colored(c.text, c.colors);
        const std::vector<ComposedChar> got = ComposedOfMarkup(c.markup);
        std::string text;
        for (const ComposedChar& g : got) text += g.ch;
        EXPECT_EQ(text, c.text) << c.markup;
        EXPECT_EQ(ColorsOf(got), ColorsOf(want)) << c.markup;
        // Brought back and sent again, it shows as it did.
        EXPECT_EQ(DisplayColors(Composed(got)), DisplayColors(c.markup)) << c.markup;
    }
}

TEST(ColorKeys, SetTheInsertionColour) {
    const std::optional<Color> mixed;
    struct Case {
        char key;
        std::optional<Color> current;
        std::optional<Color> result;
    } cases[] = {
        {'"', NormalColor, QuoteColor},   {'"', QuoteColor, NormalColor},  {'"', BraceColor, NormalColor},
        {'"', PageInColor, NormalColor},  {'"', Red, NormalColor},         {'"', mixed, NormalColor},
        {'{', NormalColor, BraceColor},   {'{', QuoteColor, BraceColor},   {'{', mixed, BraceColor},
        {'}', BraceColor, NormalColor},   {'}', QuoteColor, NormalColor},  {'}', mixed, NormalColor},
        {'a', NormalColor, std::nullopt}, {'\r', QuoteColor, std::nullopt}, {'\'', NormalColor, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColorKeyResult(c.key, c.current), c.result) << "key " << int(c.key);
    }
}

TEST(ColorKeys, OnlyColoursOutsideThePaletteAreCleaned) {
    for (Color c : {NormalColor, QuoteColor, BraceColor, PageInColor, PageOutColor, OtherColor})
        EXPECT_EQ(CleanedSelectionColor(c), std::nullopt) << c;
    EXPECT_EQ(CleanedSelectionColor(std::nullopt), std::nullopt);  // several colours: left alone
    EXPECT_EQ(CleanedSelectionColor(Red), NormalColor);
    EXPECT_EQ(CleanedSelectionColor(BackgroundColor), NormalColor);  // invisible text
    EXPECT_EQ(CleanedSelectionColor(NormalColor + 1), NormalColor);
}

}  // namespace
