#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/chat_display.h"

namespace {

using namespace std::string_literals;
using vek::BraceColor;
using vek::Color;
using vek::NormalColor;
using vek::OtherColor;
using vek::PageInColor;
using vek::PageOutColor;
using vek::QuoteColor;

const std::string kLead = "[2026-12-07 11:30:05] ";  // 22 characters

std::string Show(const vek::ShownText& s) { return std::string(s.body) + std::string(s.lineBreak); }

TEST(ChatDisplay, LeadAndLineBreak) {
    ASSERT_EQ(kLead.size(), vek::kLeadLength);
    struct Case {
        std::string line;
        std::string shown;
    };
    const Case cases[] = {
        {"", ""},
        {std::string(20, 'x'), ""},           // with its CR LF: 22 characters, all lead
        {std::string(21, 'x'), "\n"},         // only the LF is left
        {std::string(22, 'x'), "\r\n"},
        {kLead + "hi", "hi\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(vek::ShownOfLogLine(c.line)), c.shown) << c.line.size();
        EXPECT_EQ(Show(vek::ShownOfInput(c.line + "\r\n")), c.shown) << c.line.size();
    }
}

TEST(ChatDisplay, LineColourTestsAtTheirBoundaries) {
    struct Case {
        const char* name;
        std::string body;  // shown text before its CR LF
        Color color;
    };
    const std::string x16(16, 'x'), n15(15, 'n');
    const Case cases[] = {
        {"1: exact", "[\"CC ", NormalColor},
        {"1: rest of line", "[\"CC hello", NormalColor},
        {"1: CR instead of blank", "[\"CC", OtherColor},
        {"1: case", "[\"cc hi", OtherColor},
        {"short texts", "", OtherColor},
        {"one character", "[", OtherColor},
        {"2: 16 in front, ends at 28", x16 + " pages you: hi", PageInColor},
        {"2: 17 in front, ends at 29", x16 + "x pages you: hi", OtherColor},
        {"2: nothing in front", " pages you: hi", PageInColor},
        {"2: ends with the text", "Bob pages you: ", PageInColor},
        {"2: trailing blank missing", "Bob pages you:", OtherColor},
        {"2: case", "Bob Pages you: hi", OtherColor},
        {"3: 6 characters", "Paged ", PageOutColor},
        {"3: 19 + CR LF = 21", "Paged " + std::string(13, 'n'), PageOutColor},
        {"3: 20 + CR LF = 22", "Paged " + std::string(14, 'n'), OtherColor},
        {"3: no blank", "Paged", OtherColor},
        {"3: case", "paged Bob", OtherColor},
        {"4: shortest", "{}\":\" ", NormalColor},
        {"4: ends at 21", "{" + n15 + "}\":\" rest", NormalColor},
        {"4: ends at 22", "{" + n15 + "n}\":\" rest", OtherColor},
        {"4: blank missing", "{Bob}\":\"x", OtherColor},
        {"4: CR where the blank goes", "{Bob}\":\"", OtherColor},
        {"4: no leading brace", " {Bob}\":\" hi", OtherColor},
        {"4: later close brace counts", "{a}b}\":\" hi", NormalColor},
        {"first wins: 1 over 2", "[\"CC  pages you: ", NormalColor},
        {"first wins: 2 over 3", "Paged pages you: ", PageInColor},
        {"first wins: 2 over 4", "{a}\":\" pages you: x", PageInColor},
        {"first wins: 3 over 5", "Paged Bob", PageOutColor},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vek::LineColor(vek::ShownOfLogLine(kLead + c.body)), c.color);
        EXPECT_EQ(vek::LineColor(c.body + "\r\n"), c.color);  // the same text in one piece
    }
}

using Runs = std::vector<std::pair<std::string, Color>>;

Runs Merged(const std::vector<vek::ColorRun>& runs) {
    Runs out;
    for (const vek::ColorRun& r : runs) {
        EXPECT_FALSE(r.text.empty());
        if (!out.empty() && out.back().second == r.color) out.back().first += r.text;
        else out.emplace_back(std::string(r.text), r.color);
    }
    return out;
}

TEST(ChatDisplay, MarkupRendering) {
    struct Case {
        const char* name;
        std::string body;
        Runs runs;
    };
    const Case cases[] = {
        {"plain", "hello", {{"hello\r\n", OtherColor}}},
        {"quoted", "a \"b\" c", {{"a ", OtherColor}, {"b", QuoteColor}, {" c\r\n", OtherColor}}},
        {"quote inside braces goes to the line colour", "{a\"b\"c}d",
         {{"a", BraceColor}, {"b", OtherColor}, {"c", QuoteColor}, {"d\r\n", OtherColor}}},
        {"close brace inside quotes", "\"a}b\"c",
         {{"a", QuoteColor}, {"b", OtherColor}, {"c\r\n", QuoteColor}}},
        {"open brace inside quotes", "\"a{b}c", {{"a", QuoteColor}, {"b", BraceColor}, {"c\r\n", OtherColor}}},
        {"quote right after brace", "{\"x", {{"x\r\n", OtherColor}}},
        {"unclosed quote takes the line break", "x \"y", {{"x ", OtherColor}, {"y\r\n", QuoteColor}}},
        {"unclosed brace takes the line break", "x {y", {{"x ", OtherColor}, {"y\r\n", BraceColor}}},
        {"markup only", "\"{}\"", {{"\r\n", QuoteColor}}},
        {"example of the test-4 line", "{Bob}\":\" hi",
         {{"Bob", BraceColor}, {":", QuoteColor}, {" hi\r\n", NormalColor}}},
        {"page in", "Bob pages you: \"hi\"", {{"Bob pages you: ", PageInColor}, {"hi", QuoteColor}, {"\r\n", PageInColor}}},
        {"backslash is text", "a\\b", {{"a\\b\r\n", OtherColor}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<vek::ColorRun> runs;
        const std::string line = kLead + c.body;  // the runs view it
        vek::RenderShown(vek::ShownOfLogLine(line), runs);
        EXPECT_EQ(Merged(runs), c.runs);
    }

    std::vector<vek::ColorRun> runs;
    const std::string x21(21, 'x'), x20(20, 'x');
    vek::RenderShown(vek::ShownOfLogLine(x21), runs);
    EXPECT_EQ(Merged(runs), (Runs{{"\n", OtherColor}}));
    runs.clear();
    vek::RenderShown(vek::ShownOfLogLine(x20), runs);
    EXPECT_TRUE(runs.empty());
}

// The writer's rule one character at a time, as a display would take it:
// the colour of each shown character, markup characters dropped.
std::vector<std::pair<char, Color>> CharByChar(const std::string& shown) {
    const Color line = vek::LineColor(shown);
    Color c = line;
    std::vector<std::pair<char, Color>> out;
    for (char ch : shown) {
        if (ch == '"') c = (c == line) ? QuoteColor : line;
        else if (ch == '{') c = BraceColor;
        else if (ch == '}') c = line;
        else out.emplace_back(ch, c);
    }
    return out;
}

// Reads back what a RichEdit would make of the RTF: each character with its
// colour, a paragraph break as '\n'. Fails the test on anything unexpected.
struct RtfRead {
    std::vector<std::pair<char, Color>> chars;
    std::vector<std::string> words;  // every control word, in order
};

RtfRead ReadRtf(std::string_view rtf) {
    RtfRead r;
    std::map<int, Color> table;
    int color = 0;
    int depth = 0;
    std::string destination;  // the group being skipped (colortbl, fonttbl)
    int destinationDepth = 0;
    unsigned red = 0, green = 0, blue = 0;
    int entries = 0;
    for (std::size_t i = 0; i < rtf.size();) {
        char ch = rtf[i];
        EXPECT_LT(static_cast<unsigned char>(ch), 128u) << "raw byte at " << i;
        if (ch == '{') {
            ++depth, ++i;
        } else if (ch == '}') {
            if (depth == destinationDepth) destination.clear();
            --depth, ++i;
        } else if (ch == '\\') {
            char next = rtf[i + 1];
            if (next == '\\' || next == '{' || next == '}') {
                r.chars.emplace_back(next, table[color]);
                i += 2;
            } else if (next == '\'') {
                int v = std::stoi(std::string(rtf.substr(i + 2, 2)), nullptr, 16);
                r.chars.emplace_back(static_cast<char>(v), table[color]);
                i += 4;
            } else {
                std::size_t j = i + 1;
                while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
                std::string word(rtf.substr(i + 1, j - i - 1));
                std::size_t k = j;
                if (k < rtf.size() && rtf[k] == '-') ++k;
                while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k]))) ++k;
                int param = k > j ? std::stoi(std::string(rtf.substr(j, k - j))) : 0;
                if (k < rtf.size() && rtf[k] == ' ') ++k;
                i = k;
                r.words.push_back(word);
                if (word == "colortbl" || word == "fonttbl") destination = word, destinationDepth = depth;
                else if (word == "red") red = static_cast<unsigned>(param);
                else if (word == "green") green = static_cast<unsigned>(param);
                else if (word == "blue") blue = static_cast<unsigned>(param);
                else if (word == "cf") color = param;
                else if (word == "par") r.chars.emplace_back('\n', table[color]);
                else if (word == "tab") r.chars.emplace_back('\t', table[color]);
            }
        } else if (destination == "colortbl") {
            if (ch == ';') table[entries++] = vek::Rgb(red, green, blue), red = green = blue = 0;
            ++i;
        } else if (!destination.empty() || ch == '\r' || ch == '\n') {
            ++i;
        } else {
            r.chars.emplace_back(ch, table[color]);
            ++i;
        }
    }
    EXPECT_EQ(depth, 0) << "unbalanced groups";
    return r;
}

std::vector<std::pair<char, Color>> Expected(const std::vector<std::string>& lines) {
    std::vector<std::pair<char, Color>> out;
    for (const std::string& line : lines) {
        std::string shown = Show(vek::ShownOfLogLine(line));
        auto chars = CharByChar(shown);
        for (std::size_t i = 0; i < chars.size(); ++i) {
            // A CR LF is one paragraph break in the control.
            if (chars[i].first == '\r' && i + 1 < chars.size() && chars[i + 1].first == '\n') continue;
            if (chars[i].first == '\r') chars[i].first = '\n';
            out.push_back(chars[i]);
        }
    }
    return out;
}

std::string BuildRtf(const std::vector<std::string>& lines, int codepage = 1252) {
    vek::ChatRtf b(codepage);
    b.Begin();
    for (const std::string& l : lines) b.AddShown(vek::ShownOfLogLine(l));
    return std::string(b.Finish());
}

// The whole batch read back from the RTF must be, character for character
// and colour for colour, what the one-character-at-a-time writer shows.
TEST(ChatRtf, BatchReadsBackAsTheCharacterRuleShowsIt) {
    std::mt19937 rng(7);
    const std::string starts[] = {"", "[\"CC ", "Bob pages you: ", "Paged Bob", "{Bob}\":\" ", "Paged "};
    const char alphabet[] = {'a', 'B', ' ', '"', '{', '}', '\\', '\t', '\xe9', '\x80', '\xff', ':', '\x01'};
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> lines;
        for (int n = rng() % 8; n >= 0; --n) {
            std::string line = (rng() % 6 == 0) ? std::string(rng() % 23, 'l') : kLead + starts[rng() % 6];
            for (std::size_t len = rng() % 30; len > 0; --len) line += alphabet[rng() % sizeof alphabet];
            lines.push_back(line);
        }
        std::string rtf = BuildRtf(lines);
        ASSERT_EQ(ReadRtf(rtf).chars, Expected(lines)) << rtf;
    }
}

TEST(ChatRtf, EveryLineStartsInItsOwnColour) {
    // An unclosed quote or brace must not leak into the next line.
    std::vector<std::string> lines = {kLead + "open \"quote", kLead + "{open brace", kLead + "plain"};
    RtfRead r = ReadRtf(BuildRtf(lines));
    ASSERT_FALSE(r.chars.empty());
    EXPECT_EQ(r.chars.back(), std::make_pair('\n', OtherColor));
    EXPECT_EQ(r.chars[r.chars.size() - 6], std::make_pair('p', OtherColor));
    EXPECT_EQ(r.chars[r.chars.size() - 7], std::make_pair('\n', BraceColor));
}

TEST(ChatRtf, HeaderNamesTheCodePageAndNoFont) {
    const std::string rtf = BuildRtf({kLead + "x"}, 1251);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1251", 0), 0u) << rtf;
    for (const std::string& w : ReadRtf(rtf).words) {
        EXPECT_NE(w, "f") << "the control's own font must stay";
        EXPECT_NE(w, "fs");
    }
    EXPECT_EQ(ReadRtf(rtf).chars, Expected({kLead + "x"}));
}

TEST(ChatRtf, HasTextOnlyWhenSomethingIsShown) {
    struct Case {
        std::vector<std::string> lines;
        bool hasText;
    };
    const Case cases[] = {
        {{}, false},
        {{"", std::string(20, 'x')}, false},
        {{std::string(21, 'x')}, true},  // the LF alone
        {{kLead + "\"{}\""}, true},      // markup only: the line break
    };
    for (const Case& c : cases) {
        vek::ChatRtf b;
        b.Begin();
        for (const std::string& l : c.lines) b.AddShown(vek::ShownOfLogLine(l));
        EXPECT_EQ(b.HasText(), c.hasText) << c.lines.size();
    }
}

// The display's lines are counted by the paragraph breaks the document
// makes, so that each line's time stays beside it: a line break inside a
// line's text makes a line of its own.
TEST(ChatRtf, ParagraphsAreTheBreaksTheControlReadsBack) {
    const struct { std::vector<std::string> lines; std::size_t paragraphs; } cases[] = {
        {{kLead + "one", kLead + "two"}, 2},
        {{std::string(20, 'x'), std::string(21, 'x')}, 1},  // nothing shown; the LF alone
        {{kLead + "a\rb", kLead + "a\nb"}, 4},
        {{kLead + "a\r\nb", kLead + "a\r"}, 4},  // CR LF is one break; "a\r" then CR LF two
    };
    for (const auto& c : cases) {
        vek::ChatRtf b;
        b.Begin();
        for (const std::string& l : c.lines) b.AddShown(vek::ShownOfLogLine(l));
        const std::size_t counted = b.Paragraphs();
        const auto chars = ReadRtf(b.Finish()).chars;
        EXPECT_EQ(counted, c.paragraphs) << c.lines[0];
        EXPECT_EQ(counted, static_cast<std::size_t>(std::count_if(chars.begin(), chars.end(),
                                                                  [](const auto& ch) { return ch.first == '\n'; })));
    }
}

// A builder reused for the next pass must start a fresh document.
TEST(ChatRtf, BeginStartsAfresh) {
    vek::ChatRtf b;
    b.Begin();
    b.AddShown(vek::ShownOfLogLine(kLead + "first"));
    std::string one(b.Finish());
    b.Begin();
    b.AddShown(vek::ShownOfLogLine(kLead + "first"));
    EXPECT_EQ(std::string(b.Finish()), one);
}

}  // namespace
