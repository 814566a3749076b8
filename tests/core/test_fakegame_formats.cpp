// The imitation game client's formats, checked against the display's own line
// colour rules: every kind of line it writes must land in the colour meant
// for it, and the echo of typed text must take the form of its prefix.
#include <gtest/gtest.h>

#include <set>

#include "../../tools/fakegame/game_formats.h"
#include "../../tools/fakegame/game_options.h"
#include "core/chat_display.h"

namespace {

using fakegame::LineKind;

vek::Color ExpectedColor(LineKind k) {
    switch (k) {
    case LineKind::Say:
    case LineKind::Channel: return vek::NormalColor;
    case LineKind::PageIn: return vek::PageInColor;
    case LineKind::PageOut: return vek::PageOutColor;
    case LineKind::Other: return vek::OtherColor;
    }
    return 0;
}

// The colour a reader gives a line body once the game has written it.
vek::Color ColorOfBody(std::string_view body) {
    std::string line = fakegame::LogLine({2026, 12, 7, 11, 30, 5}, body);
    line.resize(line.size() - fakegame::kEol.size());  // the follower cuts the CR LF off
    return vek::LineColor(vek::ShownOfLogLine(line));
}

TEST(FakeGameFormats, LeadIsAlwaysTwentyTwoCharacters) {
    struct Case { fakegame::Stamp stamp; const char* lead; };
    const Case cases[] = {
        {{2026, 12, 7, 11, 30, 5}, "[2026-12-07 11:30:05] "},
        {{1999, 1, 1, 0, 0, 0}, "[1999-01-01 00:00:00] "},
        {{2030, 10, 31, 23, 59, 59}, "[2030-10-31 23:59:59] "},
        {{12345, 123, -4, 24, 99, 100}, "[9999-99-00 24:99:99] "},  // clamped, never longer
    };
    EXPECT_EQ(fakegame::kLeadLength, vek::kLeadLength);
    for (const Case& c : cases) {
        std::string lead = fakegame::Lead(c.stamp);
        EXPECT_EQ(lead, c.lead);
        EXPECT_EQ(lead.size(), fakegame::kLeadLength);
        EXPECT_EQ(fakegame::LogLine(c.stamp, "x"), std::string(c.lead) + "x\r\n");
    }
}

TEST(FakeGameFormats, EachBuilderLandsInItsColourUpToItsNameLimit) {
    struct Case { std::string body; vek::Color color; };
    const std::string n12(12, 'n'), n13(13, 'n'), n15(15, 'n'), n16(16, 'n'), n17(17, 'n');
    const Case cases[] = {
        {fakegame::SayLine("Aldric", "Meet at the {Old Mill}."), vek::NormalColor},
        {fakegame::SayLine(n15, "x"), vek::NormalColor},
        {fakegame::SayLine(n16, "x"), vek::OtherColor},  // '}":" ' no longer within 21
        {fakegame::ChannelLine("Traders", "Brenna", "\"{Iron Sword}\" 40g"), vek::NormalColor},
        {fakegame::ChannelLine("", "Brenna", ""), vek::NormalColor},
        {fakegame::PageInLine("Corvin", "tonight?"), vek::PageInColor},
        {fakegame::PageInLine(n16, "x"), vek::PageInColor},
        {fakegame::PageInLine(n17, "x"), vek::OtherColor},
        {fakegame::PagedLine("Dahlia"), vek::PageOutColor},
        {fakegame::PagedLine(n12), vek::PageOutColor},
        {fakegame::PagedLine(n13), vek::OtherColor},  // 22 characters with CR LF
        {fakegame::PageTextLine("Dahlia", "hello"), vek::OtherColor},
        {"Aldric has connected.", vek::OtherColor},
    };
    for (const Case& c : cases) EXPECT_EQ(ColorOfBody(c.body), c.color) << c.body;
}

TEST(FakeGameFormats, EchoTakesTheFormOfThePrefix) {
    struct Case { std::string typed; std::vector<std::string> bodies; std::vector<LineKind> kinds; };
    const Case cases[] = {
        {"hi", {"{You}\":\" hi"}, {LineKind::Say}},
        {";hi", {"[\"CC Ember\"] {You}\":\" hi"}, {LineKind::Channel}},
        {"/\"Bob\" hi", {"Paged Bob.", "You page Bob: hi"}, {LineKind::PageOut, LineKind::Other}},
        {"/\"Bob\"hi", {"Paged Bob.", "You page Bob: hi"}, {LineKind::PageOut, LineKind::Other}},
        {"/\"Bob\" ", {"Paged Bob.", "You page Bob: "}, {LineKind::PageOut, LineKind::Other}},
        {"/\"Bob\" \"q\" {b}", {"Paged Bob.", "You page Bob: \"q\" {b}"}, {LineKind::PageOut, LineKind::Other}},
        {"/\"\" hi", {"Page whom?"}, {LineKind::Other}},
        {"/\"Bob hi", {"Usage: /\"Name\" message"}, {LineKind::Other}},
        {"{x}\"y\" \xe9\xff", {"{You}\":\" {x}\"y\" \xe9\xff"}, {LineKind::Say}},
        {";;", {"[\"CC Ember\"] {You}\":\" ;"}, {LineKind::Channel}},
        {"/me waves", {"{You}\":\" /me waves"}, {LineKind::Say}},
        {"", {}, {}},
        {";", {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> bodies = fakegame::EchoBodies(c.typed);
        EXPECT_EQ(bodies, c.bodies) << c.typed;
        for (std::size_t i = 0; i < bodies.size() && i < c.kinds.size(); ++i)
            EXPECT_EQ(ColorOfBody(bodies[i]), ExpectedColor(c.kinds[i])) << bodies[i];
    }
}

TEST(FakeGameFormats, TypedLineEndsAtCarriageReturnAndKeepsControlsOut) {
    fakegame::TypedLine t;
    std::vector<std::string> lines;
    const std::string input = "ab\bc\n\x01\x7f\xe9\xff\r\r;x\r";
    for (char c : input) {
        if (t.Feed(static_cast<unsigned char>(c))) lines.push_back(t.line());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"ac\xe9\xff", "", ";x"}));
    EXPECT_EQ(t.pending(), "");

    fakegame::TypedLine big;
    for (std::size_t i = 0; i < fakegame::TypedLine::kMaxTyped + 10; ++i) big.Feed('a');
    EXPECT_EQ(big.pending().size(), fakegame::TypedLine::kMaxTyped);
}

TEST(FakeGameFormats, ChatterCoversEveryKindInItsColour) {
    fakegame::Chatter a(7), b(7), c(8);
    std::set<LineKind> seen;
    bool differs = false;
    for (int i = 0; i < 500; ++i) {
        std::string line = a.Next();
        EXPECT_EQ(line, b.Next());
        differs |= line != c.Next();
        seen.insert(a.last_kind());
        EXPECT_EQ(ColorOfBody(line), ExpectedColor(a.last_kind())) << line;
        EXPECT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos) << line;
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(seen.size(), 5u);
}

TEST(FakeGameFormats, PiecesPutTheLineBackTogether) {
    fakegame::Chatter ch(3);
    for (std::string line : {std::string("[2026-12-07 11:30:05] Paged Bob.\r\n"), std::string("ab"), std::string("a")}) {
        for (int round = 0; round < 50; ++round) {
            std::vector<std::string> pieces = ch.Pieces(line);
            std::string joined;
            for (const std::string& p : pieces) {
                EXPECT_FALSE(p.empty());
                joined += p;
            }
            EXPECT_EQ(joined, line);
            EXPECT_LE(pieces.size(), std::min<std::size_t>(4, line.size()));
            if (line.size() > 1) {
                EXPECT_GE(pieces.size(), 2u);
            }
        }
    }
}

TEST(FakeGameFormats, CommandLine) {
    using Args = std::vector<std::string>;
    auto ok = fakegame::ParseGameOptions({"--log", "C:\\a b\\chat.log", "--rate", "2.5", "--seed", "42", "--pieces",
                                          "--received", "r.bin", "--hang-after", "0", "--duration", "3",
                                          "--rotate-every", "10", "--truncate-at", "7", "--burst", "70000",
                                          "--burst-after", "0.5", "--quit-on", "/quit"});
    ASSERT_TRUE(ok.options) << ok.error;
    const fakegame::GameOptions& o = *ok.options;
    EXPECT_EQ(o.log, "C:\\a b\\chat.log");
    EXPECT_DOUBLE_EQ(o.rate, 2.5);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_TRUE(o.pieces);
    EXPECT_EQ(o.received, "r.bin");
    EXPECT_EQ(o.hang_after, 0);
    EXPECT_DOUBLE_EQ(o.duration, 3);
    EXPECT_EQ(o.rotate_every, 10);
    EXPECT_EQ(o.truncate_at, 7);
    EXPECT_EQ(o.burst, 70000);
    EXPECT_DOUBLE_EQ(o.burst_after, 0.5);
    EXPECT_EQ(o.quit_on, "/quit");

    auto defaults = fakegame::ParseGameOptions({"--log", "x"});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->rate, 0);
    EXPECT_EQ(defaults.options->hang_after, -1);  // never hangs
    EXPECT_FALSE(defaults.options->pieces);

    const Args bad[] = {
        {},
        {"--rate", "1"},                 // no log
        {"--log"},                       // missing value
        {"--log", ""},
        {"--log", "x", "--rate", "-1"},
        {"--log", "x", "--rate", "1e3"},
        {"--log", "x", "--rate", "."},
        {"--log", "x", "--rate", "2."},
        {"--log", "x", "--burst", "12k"},
        {"--log", "x", "--seed", "4294967296"},
        {"--log", "x", "--hang-after", "-2"},
        {"--log", "x", "--colour", "red"},
        {"--log", "x", "--quit-on", ""},
        {"--log", "x", "--pieces", "--rate"},
    };
    for (const Args& args : bad) {
        auto r = fakegame::ParseGameOptions(args);
        EXPECT_FALSE(r.options) << (args.empty() ? "(none)" : args.back());
        EXPECT_FALSE(r.error.empty());
    }
}

}  // namespace
