// Each line's shown form worked out once, and the session's lines kept one
// entry per display paragraph. (The fuzz target checks the store against a
// plain model on any input.)
#include "core/session_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../tools/fakegame/game_formats.h"

namespace vek {
namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";

// A line's colours, one letter per character: Normal, Quote, Brace, page
// In, page Out, Other.
char Letter(Color c) { return "NQBIOX"[RtfColorIndex(c) - 1]; }

std::string Letters(const StoredLine& l) {
    std::string out;
    PackedRuns r(l.runs);
    std::size_t n = 0;
    Color c = 0;
    while (r.Next(n, c)) out.append(n, Letter(c));
    return out;
}

// A line as it reaches the shaper, kept alive while its shape views it.
enum How { Log, Rest, Input, Notice };
struct Raw {
    std::string text;
    How how = Log;
    ShownLine Shape() const {
        switch (how) {
            case Log: return ShapeLogLine(text, false);
            case Rest: return ShapeLogLine(text, true);
            case Input: return ShapeInput(text);
            default: return ShapeNotice(text);
        }
    }
};

TEST(ShownLine, KindLeadAndColourOfEachLine) {
    const std::vector<std::string> echo = fakegame::EchoBodies("/\"Dahlia\" see you");
    const struct {
        Raw raw;
        Color color;
        LineKind kind;
        std::string lead;
    } cases[] = {
        {Raw{kLead + fakegame::SayLine("Aldric", "hi")}, NormalColor, LineKind::Chat, kLead},
        {Raw{kLead + fakegame::ChannelLine("Tr", "Bo", "x")}, NormalColor, LineKind::Chat, kLead},
        {Raw{kLead + fakegame::PageInLine("Corvin", "x")}, PageInColor, LineKind::Page, kLead},
        {Raw{kLead + echo.at(0)}, PageOutColor, LineKind::Page, kLead},
        {Raw{kLead + echo.at(1)}, OtherColor, LineKind::Page, kLead},  // You page Dahlia: ...
        {Raw{kLead + "You page : x"}, OtherColor, LineKind::Other, kLead},  // no name
        {Raw{kLead + "Aldric has connected."}, OtherColor, LineKind::Other, kLead},
        {Raw{std::string(21, 'y')}, OtherColor, LineKind::Other, std::string(21, 'y')},
        // The rest of a cut line: no lead, all of it shown.
        {Raw{fakegame::PageInLine("Corvin", "x"), Rest}, PageInColor, LineKind::Page, ""},
        {Raw{kLead + fakegame::SayLine("Al", "x") + "\r\n", Input}, NormalColor, LineKind::Chat, kLead},
        {Raw{fakegame::SayLine("Al", "x"), Notice}, OtherColor, LineKind::Other, ""},  // the program's own
    };
    for (const auto& c : cases) {
        const ShownLine line = c.raw.Shape();
        EXPECT_EQ(line.color, c.color) << line.shown.body;
        EXPECT_EQ(line.kind, c.kind) << line.shown.body;
        EXPECT_EQ(line.lead, c.lead) << line.shown.body;
    }
}

struct Recorder final : ShownLineSink {
    std::string seen;
    void TakeShown(const ShownLine& l) override { seen += std::string(l.shown.body) + "|"; }
    void EndPass(const PassFacts& f) override { seen += f.restarted ? "end!" : "end"; }
};

TEST(LineShaper, EveryReaderGetsEveryLineThenTheEndOfThePass) {
    Recorder a, b;
    LineShaper shaper;
    shaper.Add(a);
    shaper.Add(b);
    shaper.TakeLine(kLead + "one", false);
    shaper.TakeLine(std::string(5, 'x'), false);  // shows nothing, still handed on
    shaper.EndPass({.restarted = true});
    shaper.AddNotice("note");
    EXPECT_EQ(a.seen, "one||end!note|");
    EXPECT_EQ(b.seen, a.seen);
}

struct Entry {
    std::string text;
    std::string colors;  // letters, as Letters gives them
    std::string lead;
    bool continues = false;
    bool notice = false;
};

TEST(SessionLines, OneEntryPerDisplayParagraph) {
    const struct {
        const char* name;
        Raw raw;
        std::vector<Entry> entries;
    } cases[] = {
        {"said", Raw{kLead + "{Al}\":\" a {b}"},
         {{"Al: a b", "BBQNNNB", kLead}}},
        {"a page, quotes", Raw{kLead + "Bo pages you: \"hi\" x"},
         {{"Bo pages you: hi x", std::string(14, 'I') + "QQII", kLead}}},
        {"shows nothing", Raw{std::string(20, 'x')}, {}},
        {"only its line break", Raw{std::string(21, 'x')}, {{"", "", std::string(21, 'x')}}},
        {"a lone CR: two, the second in the colour in force", Raw{kLead + "a \"b\rc\" d"},
         {{"a b", "XXQ", kLead}, {"c d", "QXX", kLead, true}}},
        {"a lone LF", Raw{kLead + "a\nb"}, {{"a", "X", kLead}, {"b", "X", kLead, true}}},
        {"CR at the end, then the break", Raw{kLead + "a\r"},
         {{"a", "X", kLead}, {"", "", kLead, true}}},
        {"CR NUL LF is one break, NUL shown as nothing", Raw{kLead + std::string("a\r\0\nb", 5)},
         {{"a", "X", kLead}, {"b", "X", kLead, true}}},
        {"the rest of a cut line", Raw{"rest", Rest}, {{"rest", "XXXX", "", true}}},
        {"a notice: no markup", Raw{"VekChat: \"x\" {y}", Notice},
         {{"VekChat: \"x\" {y}", std::string(16, 'X'), "", false, true}}},
        {"AppendData's text without a break", Raw{kLead + "abc", Input}, {{"abc", "XXX", kLead}}},
        {"AppendData's text", Raw{kLead + "abc\r\n", Input}, {{"abc", "XXX", kLead}}},
    };
    for (const auto& c : cases) {
        SessionLines s;
        s.Append(ShapeLogLine(kLead + "before", false));
        const ShownLine line = c.raw.Shape();
        s.Append(line);
        ASSERT_EQ(s.Size(), c.entries.size() + 1) << c.name;
        for (std::size_t i = 0; i < c.entries.size(); ++i) {
            const StoredLine l = s[i + 1];
            const Entry& e = c.entries[i];
            EXPECT_EQ(l.text, e.text) << c.name << ' ' << i;
            EXPECT_EQ(Letters(l), e.colors) << c.name << ' ' << i;
            EXPECT_EQ(l.lead, e.lead) << c.name << ' ' << i;
            EXPECT_EQ(l.continues, e.continues) << c.name << ' ' << i;
            EXPECT_EQ(l.notice, e.notice) << c.name << ' ' << i;
            EXPECT_EQ(l.color, line.color) << c.name << ' ' << i;
            EXPECT_EQ(l.kind, line.kind) << c.name << ' ' << i;
        }
        EXPECT_EQ(s[0].text, "before") << c.name;  // the entry before is untouched
    }
}

// The display's paragraphs are ChatRtf's: entries rendered back give the
// same RTF as the lines they came from, one paragraph per entry.
TEST(SessionLines, RenderedEntriesAreTheDocumentOfTheLines) {
    const std::vector<std::string> lines = {
        kLead + fakegame::SayLine("Aldric", "hello \"there\" {you}"), kLead + fakegame::PageInLine("Bo", "x"),
        std::string(21, 'z'), kLead + "two\rparagraphs", kLead + "tab\there \\ and \xe9", kLead + "You page Al: x",
    };
    ChatRtf direct, stored;
    direct.Begin();
    SessionLines s;
    for (const std::string& l : lines) {
        direct.AddShown(ShownOfLogLine(l));
        s.Append(ShapeLogLine(l, false));
    }
    stored.Begin();
    s.Render(0, s.Size(), stored);
    EXPECT_EQ(stored.Paragraphs(), s.Size());
    EXPECT_EQ(direct.Paragraphs(), s.Size());
    EXPECT_EQ(std::string(stored.Finish()), std::string(direct.Finish()));
}

// Lengths up to past a block: each comes back whole, and blocks never move
// (a view taken early stays valid).
TEST(SessionLines, LinesOfAnyLengthComeBackWholeAndViewsStay) {
    SessionLines s;
    s.Append(ShapeLogLine(kLead + "first", false));
    const std::string_view first = s[0].text;
    const std::size_t lengths[] = {0, 1, 15, 16, 2047, 2048, SessionLines::kBlockBytes - 30,
                                   SessionLines::kBlockBytes, 3 * SessionLines::kBlockBytes, 5};
    std::vector<std::string> bodies;
    for (std::size_t n : lengths) {
        std::string body(n, 'a');
        for (std::size_t i = 0; i < n; i += 7) body[i] = '"';  // many colour runs
        bodies.push_back(body);
        s.Append(ShapeLogLine(kLead + body, false));
    }
    ASSERT_EQ(s.Size(), bodies.size() + 1);
    EXPECT_EQ(first, "first");
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const StoredLine l = s[i + 1];
        std::string expected = bodies[i];
        std::erase(expected, '"');
        EXPECT_EQ(l.text, expected) << lengths[i];
        EXPECT_EQ(Letters(l).size(), expected.size()) << lengths[i];
        EXPECT_EQ(l.lead, kLead);
    }
}

TEST(SessionLines, AMillionLinesTakeUnder150BytesEach) {
    SessionLines s;
    fakegame::Stamp st{2026, 12, 7, 11, 30, 5};
    std::vector<std::string> samples;
    for (int i = 0; i < 100; ++i) {
        // about 85 characters a line
        std::string body = fakegame::SayLine("Aldric" + std::to_string(i), "well met, \"friend\"; shall we go to the {market} now");
        samples.push_back(fakegame::LogLine(st, body.substr(0, 63)));
        samples.back().resize(samples.back().size() - 2);
    }
    for (std::size_t i = 0; i < 1'000'000; ++i) s.Append(ShapeLogLine(samples[i % samples.size()], false));
    ASSERT_EQ(s.Size(), 1'000'000u);
    for (std::size_t i : {std::size_t{0}, std::size_t{123'457}, std::size_t{999'999}}) {
        const ShownLine expect = ShapeLogLine(samples[i % samples.size()], false);
        std::string text(expect.shown.body);
        std::erase(text, '"');
        std::erase(text, '{');
        std::erase(text, '}');
        EXPECT_EQ(s[i].text, text) << i;
        EXPECT_EQ(s[i].lead, expect.lead) << i;
    }
    EXPECT_LT(s.MemoryBytes() / s.Size(), 150u);
}

}  // namespace
}  // namespace vek
