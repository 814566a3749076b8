// Message types, the outgoing text, and the open-file dialog's conversions.
#include "core/message.h"

#include <gtest/gtest.h>

#include "core/shell_rules.h"

namespace vek {
namespace {

using namespace std::string_literals;

TEST(MessageType, ButtonCyclesNormalChatPageWithTooltipAndComposerEdge) {
    const struct { int type; int next; const char* tooltip; int left; } cases[] = {
        {kNormal, kChat, "Normal Mode", 360},
        {kChat, kPage, "Chat Mode", 360},
        {kPage, kNormal, "Page Mode", 1800},  // the 1455-twip box + 345
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextMessageType(c.type), c.next) << c.type;
        EXPECT_STREQ(MessageTypeTooltip(c.type), c.tooltip) << c.type;
        EXPECT_EQ(ComposerLeft(c.type), c.left) << c.type;
    }
    EXPECT_EQ(ComposerLeft(kPage, 2000), 2345);
    // A type out of range is treated as Normal rather than indexing past the table.
    EXPECT_EQ(NextMessageType(7), kChat);
    EXPECT_EQ(NextMessageType(-1), kChat);
    EXPECT_STREQ(MessageTypeTooltip(9), "Normal Mode");
}

TEST(MessageType, ComposerWidthFollowsTheEdgeOfEachType) {
    // Creation client area: 4440 twips wide.
    EXPECT_EQ(ComputeLayout(4440, 3375, ComposerLeft(kNormal)).messageWidth, 4095);
    EXPECT_EQ(ComputeLayout(4440, 3375, ComposerLeft(kPage)).messageWidth, 2655);
}

TEST(OutgoingText, PrefixOfEachTypeThenMarkupThenCarriageReturn) {
    const struct { int type; const char* pageTo; std::string markup; std::string out; } cases[] = {
        {kNormal, "Bob", "hi", "hi\r"},
        {kChat, "Bob", "hi", ";hi\r"},
        {kPage, "Bob", "hi", "/\"Bob\" hi\r"},
        {kPage, "", "hi", "/\"\" hi\r"},
        {kPage, " Al ", "x", "/\" Al \" x\r"},  // the target is not trimmed
        {kNormal, "", "", "\r"},
        {kChat, "", "", ";\r"},
        {kPage, "Bob", "", "/\"Bob\" \r"},
        {kNormal, "", "\"a{b}\xe9\xff", "\"a{b}\xe9\xff\r"},  // markup and high bytes pass through
    };
    for (const auto& c : cases) EXPECT_EQ(OutgoingText(c.type, c.pageTo, c.markup), c.out) << c.type << c.pageTo;
    EXPECT_EQ(MessagePrefix(kPage, "Bob"), "/\"Bob\" ");
    EXPECT_EQ(MessagePrefix(kNormal, "Bob"), "");
}

TEST(OutgoingText, ALineBreakInTheCompositionDoesNotEndThePageEarly) {
    // Sent as it stands, the second line would reach the game as a message
    // of its own: said aloud to everyone instead of paged.
    EXPECT_EQ(OutgoingText(kPage, "Bob", "meet at\rthe {mill}"), "/\"Bob\" meet at the {mill}\r");
    EXPECT_EQ(OutgoingText(kChat, "", "a\r\nb\nc\r\rd\r"), ";a b c  d \r");
}

TEST(PageTo, QuoteAndBracesAreRefusedEverythingElseKept) {
    EXPECT_EQ(PageToFiltered("Bob"), "Bob");
    EXPECT_EQ(PageToFiltered("\"B{o}b\""), "Bob");
    EXPECT_EQ(PageToFiltered("{}\"\""), "");
    EXPECT_EQ(PageToFiltered("a b'\xe9["), "a b'\xe9[");
    EXPECT_FALSE(IsPageToChar('"'));
    EXPECT_TRUE(IsPageToChar('\''));
}

TEST(PageTo, TargetsThatWereNotTypedAlsoLoseControlCharacters) {
    const struct { std::string in; std::string out; } cases[] = {
        {"Bob", "Bob"},
        {"\"B{o}b\"", "Bob"},
        {"B\to\r\nb\x01\x1f\x7f", "Bob"},
        {"a b'\xe9\x80\xff[", "a b'\xe9\x80\xff["},  // blanks and bytes above 127 stay
        {"\0\"\x7f"s, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(PageToCleaned(c.in), c.out) << c.in;
}

TEST(DialogFilter, ClosingBarAddedOnlyWhenMissingAndEveryBarBecomesNul) {
    const struct { const char* in; std::string out; } cases[] = {
        {"Text Files (*.txt)|*.txt|All Files (*.*)|*.*", "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0"s},
        {"Text Files (*.txt)|*.txt|", "Text Files (*.txt)\0*.txt\0"s},
        {"", "\0"s},
        {"|", "\0"s},
        {"A||B", "A\0\0B\0"s},
    };
    for (const auto& c : cases) {
        const std::string f = DialogFilter(c.in);
        EXPECT_EQ(f, c.out) << c.in;
        // With the string's terminator, the list always ends in a double NUL.
        EXPECT_EQ(f.c_str()[f.size()], '\0');
        EXPECT_EQ(f.back(), '\0');
    }
}

TEST(DialogInitialDir, MarkerMatchesInAnyCapitalisationOnly) {
    for (const char* yes : {"[Use CurDir]", "[use curdir]", "[USE CURDIR]", "[uSe cUrDiR]"})
        EXPECT_TRUE(IsCurDirMarker(yes)) << yes;
    for (const char* no : {"", "C:\\logs", "[Use CurDir] ", " [Use CurDir]", "[Use CurDir", "Use CurDir",
                           "[Use  CurDir]", "[Use_CurDir]"})
        EXPECT_FALSE(IsCurDirMarker(no)) << no;
}

TEST(DialogResult, BufferTrimmedAndCutAtFirstNul) {
    std::string pad(254, ' ');
    auto buffer = [&](const std::string& path) { return (path + pad).substr(0, 254); };
    const struct { std::string buf; std::string path; } cases[] = {
        {buffer("C:\\logs\\chat.txt"s + '\0'), "C:\\logs\\chat.txt"},
        {buffer("C:\\a b\\c d.txt"s + '\0'), "C:\\a b\\c d.txt"},  // inner spaces kept
        {buffer("C:\\x.txt\0junk left behind"s), "C:\\x.txt"},
        {pad, ""},
        {buffer("\0"s), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DialogResultPath(c.buf), c.path);
}

TEST(DialogResult, PathFillingTheWholeBufferIsTakenWhole) {
    // 254 characters leave no room in the buffer for a NUL; the path is still
    // the buffer's whole text, not an empty or cut one.
    std::string path = "C:\\" + std::string(247, 'd') + ".txt";
    ASSERT_EQ(path.size(), 254u);
    EXPECT_EQ(DialogResultPath(path), path);
}

}  // namespace
}  // namespace vek
