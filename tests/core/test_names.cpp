// Names read from the lines the imitation game writes, the store of recent
// names that the page box completes from, and the targets of the reply keys.
#include "core/names.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "../../tools/fakegame/game_formats.h"
#include "core/session_lines.h"

namespace vek {

// Found by GoogleTest through the argument's namespace.
void PrintTo(const LineName& n, std::ostream* os) { *os << n.name << " as role " << static_cast<int>(n.role); }

namespace {

using fakegame::LineKind;

// A line body as the follower gives it: lead and CR LF written by the game,
// the CR LF cut off again.
std::string FollowedLine(const std::string& body) {
    std::string line = fakegame::LogLine({2026, 12, 7, 11, 30, 5}, body);
    line.resize(line.size() - fakegame::kEol.size());
    return line;
}

std::optional<LineName> NameOfBody(const std::string& body) { return NameOfLine(ShownOfLogLine(FollowedLine(body))); }

TEST(NameOfLine, EachKindOfLineGivesItsName) {
    using R = NameRole;
    const std::vector<std::string> echo = fakegame::EchoBodies("/\"Dahlia\" see you");
    const struct {
        std::string body;
        std::optional<LineName> name;
    } cases[] = {
        {fakegame::SayLine("Aldric", "hello {there}"), LineName{"Aldric", R::kSpeaker}},
        {fakegame::ChannelLine("Traders", "Brenna", "40 gold"), LineName{"Brenna", R::kSpeaker}},
        {fakegame::PageInLine("Corvin", "\"come\" here"), LineName{"Corvin", R::kPageSender}},
        {echo.at(0), LineName{"Dahlia", R::kPageTarget}},  // Paged Dahlia.
        {echo.at(1), LineName{"Dahlia", R::kPageTarget}},  // You page Dahlia: see you
        {fakegame::PageTextLine("Maximilian Long", "x"), LineName{"Maximilian Long", R::kPageTarget}},
        {fakegame::PageInLine("Fe\"n\x01na", "x"), LineName{"Fenna", R::kPageSender}},  // cleaned
        {fakegame::PageTextLine(std::string(64, 'n'), "x"), LineName{std::string(64, 'n'), R::kPageTarget}},
        // Lines that only look like one of those.
        {"Aldric has connected.", std::nullopt},
        {fakegame::PageInLine("", "x"), std::nullopt},
        {fakegame::PageInLine("\"{}\x7f", "x"), std::nullopt},  // nothing left once cleaned
        {fakegame::PageTextLine(std::string(65, 'n'), "x"), std::nullopt},  // too long
        {fakegame::SayLine("Al", "Bo pages you: hi"), std::nullopt},  // coloured as a page, said by Al
        {fakegame::PageTextLine("Bo", "Al pages you: hi"), std::nullopt},  // a page forwarded
        {"{Aldric}\":\"", std::nullopt},
        {"[\"CC Traders\"]{Brenna}\":\" x", std::nullopt},
        {"Paged Dahlia", std::nullopt},
        {fakegame::PagedLine("Maximilianus"), LineName{"Maximilianus", R::kPageTarget}},
        {fakegame::PagedLine("Maximilianus2"), std::nullopt},  // too long for a "Paged" line: other text
        {"You page : x", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(NameOfBody(c.body), c.name) << c.body;
}

TEST(NameOfLine, ChatterGivesANameForEveryKindButOther) {
    fakegame::Chatter chatter(7);
    for (int i = 0; i < 2000; ++i) {
        const std::string body = chatter.Next();
        const std::optional<LineName> n = NameOfBody(body);
        switch (chatter.last_kind()) {
            case LineKind::Say:
            case LineKind::Channel: EXPECT_EQ(n ? n->role : NameRole::kPageTarget, NameRole::kSpeaker) << body; break;
            case LineKind::PageIn: EXPECT_EQ(n ? n->role : NameRole::kSpeaker, NameRole::kPageSender) << body; break;
            case LineKind::PageOut: EXPECT_EQ(n ? n->role : NameRole::kSpeaker, NameRole::kPageTarget) << body; break;
            case LineKind::Other: EXPECT_EQ(n, std::nullopt) << body; break;
        }
    }
}

TEST(RecentNames, CompletesFromTheMostRecentMatchIgnoringCase) {
    RecentNames names;
    for (const char* n : {"Alice", "Albert", "ALBERTO", "bob", "Al", "Brenna"}) names.See(n);
    const struct {
        const char* typed;
        std::optional<std::string> offer;
    } cases[] = {
        {"a", "Al"},
        {"alb", "ALBERTO"},  // the older "Albert" waits behind it
        {"ALBERT", "ALBERTO"},
        {"ali", "Alice"},
        {"b", "Brenna"},
        {"Bo", "bob"},
        {"al", std::nullopt},  // "Al" typed out in full is meant, not the longer names
        {"alberto", std::nullopt},
        {"Alicee", std::nullopt},
        {"z", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(names.Complete(c.typed), c.offer) << c.typed;
}

TEST(RecentNames, KeepsTheLatestSpellingOfTheLast200) {
    RecentNames names;
    for (int i = 0; i < 201; ++i) names.See("n" + std::to_string(i));
    EXPECT_EQ(names.Names().size(), RecentNames::kCapacity);
    EXPECT_EQ(names.Names().back(), "n1");  // n0 went

    EXPECT_TRUE(names.See("N1"));  // seen again: the most recent, one name, the new spelling
    EXPECT_EQ(names.Names().front(), "N1");
    EXPECT_EQ(names.Names().back(), "n2");

    EXPECT_TRUE(names.See("Bo\"b\r"));
    EXPECT_FALSE(names.See("{}"));
    EXPECT_FALSE(names.See(std::string(65, 'x')));
    EXPECT_EQ(names.Names().front(), "Bob");
}

TEST(ReplyTargets, FollowTheLastPageEachWay) {
    ReplyTargets r;
    EXPECT_EQ(r.LastSender(), std::nullopt);
    EXPECT_EQ(r.LastPaged(), std::nullopt);

    const auto see = [&](const std::string& body) {
        if (const std::optional<LineName> n = NameOfLine(ShownText{body, "\r\n"})) r.See(*n);
    };
    see(fakegame::PageInLine("Corvin", "x"));
    see(fakegame::PageInLine("Dahlia", "x"));
    for (const std::string& body : {fakegame::PageInLine("", "x"), fakegame::SayLine("Al", "hi"),
                                   fakegame::PagedLine("Edric"), fakegame::SayLine("Al", "Bo pages you: hi")})
        see(body);
    EXPECT_EQ(r.LastSender(), "Dahlia");

    r.PageSent("\"Ed{ric}\"\t");
    r.PageSent("");  // refused by the game: nothing paged
    EXPECT_EQ(r.LastPaged(), "Edric");
}

TEST(LogNames, TheFollowedLinesAndThePagesSentGiveTheNames) {
    LogNames log;
    log.TakeShown(ShapeLogLine(FollowedLine(fakegame::SayLine("Aldric", "hi")), false));
    log.TakeShown(ShapeLogLine(FollowedLine(fakegame::PageInLine("Corvin", "psst")), false));
    // The rest of a cut line has no lead; what would look like a page after one is text.
    log.TakeShown(ShapeLogLine(std::string(fakegame::kLeadLength, '-') + fakegame::PageInLine("Brenna", "x"), true));
    log.TakeShown(ShapeLogLine(FollowedLine(fakegame::PagedLine("Edric")), false));
    // The program's own lines give no names, even one that reads like a page.
    log.TakeShown(ShapeNotice(fakegame::PageInLine("Fenna", "x")));
    log.PageSent("Da\"hlia\t");
    EXPECT_EQ(log.Recent().Names(), (std::vector<std::string>{"Dahlia", "Edric", "Corvin", "Aldric"}));
    EXPECT_EQ(log.Replies().LastSender(), "Corvin");
    EXPECT_EQ(log.Replies().LastPaged(), "Dahlia");
}

TEST(PagePartnerOf, TheOtherPlayerOfAStoredPageEitherWay) {
    SessionLines lines;
    const std::vector<std::string> echo = fakegame::EchoBodies("/\"Dahlia\" see you");
    for (const std::string& body : {fakegame::SayLine("Aldric", "hi"), fakegame::PageInLine("Corvin", "one\rtwo"),
                                    echo.at(0), echo.at(1), fakegame::PageTextLine("Edric", "x")})
        lines.Append(ShapeLogLine(FollowedLine(body), false));
    lines.Append(ShapeNotice(fakegame::PageInLine("Fenna", "x")));
    const std::optional<std::string> want[] = {std::nullopt, "Corvin", "Corvin" /* the line's second paragraph */,
                                               "Dahlia", "Dahlia", "Edric", std::nullopt, std::nullopt /* past the end */};
    ASSERT_EQ(lines.Size(), 7u);
    for (std::size_t e = 0; e < std::size(want); ++e) EXPECT_EQ(PagePartnerOf(lines, e), want[e]) << "entry " << e;
}

}  // namespace
}  // namespace vek
