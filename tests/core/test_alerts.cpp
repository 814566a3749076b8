// Alerts: the stored alert words, whole-word matching, which lines and
// passes alert, and the sound throttle. (The fuzz target checks the cleaned
// words' limits, the stored form's round trip and matching against a plain
// search on any input.)
#include "core/alerts.h"

#include <gtest/gtest.h>

#include <string>

namespace vek {
namespace {

TEST(AlertWords, StoredTextIsCleanedToWordsThatCanMatch) {
    std::string many = "Ann", kept = "Ann";  // a repeated word takes none of the 20 places
    for (int i = 1; i <= 21; ++i) many += " a" + std::to_string(i) + " ANN";
    for (int i = 1; i <= 19; ++i) kept += ", a" + std::to_string(i);
    const struct { std::string text; std::string stored; } cases[] = {
        {"Orrin, Tess;guild\tkeep\r\nwren", "Orrin, Tess, guild, keep, wren"},
        {"\"Orrin\" {Tess}aly Or\x01r\x7fin", "Orrin, Tessaly"},  // markup and controls dropped, not separating
        {"Orrin. (Tess) -- Sir-Orrin", "Orrin, Tess, Sir-Orrin"},   // non-word ends trimmed, inner kept
        {std::string(31, 'x') + "-yz", std::string(31, 'x')},      // cut at 32, then the "-" trimmed
        {many, kept},
    };
    for (const auto& c : cases) EXPECT_EQ(AlertWords::Parse(c.text).Format(), c.stored) << c.text;
}

TEST(AlertWords, MatchWholeWordsInAnyAsciiCaseWithMarkupAsABoundary) {
    const AlertWords words = AlertWords::Parse("Orrin caf\xe9");
    const struct { const char* text; bool found; } cases[] = {
        {"{ORRIN}\":\" hi", true}, {"Orrin's", true}, {"_orrin", true},
        {"Orrinson", false}, {"MacOrrin", false}, {"Orrin2", false}, {"Orrin\xe9", false},
        {"Orr\"in\"", false},  // shown as "Orrin", but two words in two colours
        {"Orri", false}, {"CAF\xe9", true}, {"caf\xc9", false},  // only ASCII letters fold
    };
    for (const auto& c : cases) EXPECT_EQ(words.FoundIn(c.text), c.found) << c.text;
}

TEST(Alerts, PagesAlertWhenChosenWordsInAnyLineAndOnlyNewsAlerts) {
    const struct { bool flashOnPages; const char* words; const char* body; bool alerts; } cases[] = {
        {true, "", "Bob pages you: hi", true},
        {false, "", "Bob pages you: hi", false},
        {false, "bob", "Bob pages you: hi", true},
        {true, "orrin", "Orrin has connected.", true},
    };
    for (const auto& c : cases) {
        AlertSettings s;
        s.flashOnPages = c.flashOnPages;
        s.words = AlertWords::Parse(c.words);
        EXPECT_EQ(LineAlerts(ShapeLogLine(std::string(kLeadLength, '.') + c.body, false), s), c.alerts) << c.body;
    }
    EXPECT_TRUE(PassMayAlert({false, false, false, {}}));   // news, also from a log that was empty, or appeared
    EXPECT_FALSE(PassMayAlert({false, false, true, {}}));   // following started over: the log's old lines
    EXPECT_FALSE(PassMayAlert({true, false, false, {}}));   // the first block of a burst
    EXPECT_FALSE(PassMayAlert({false, true, false, {}}));   // its end
}

TEST(Alerts, FlashInTheBackgroundAndSoundAtMostEveryFiveSeconds) {
    AlertSettings s;
    s.playSound = true;
    SoundThrottle throttle;
    const struct { std::uint64_t now; bool foreground; AlertAction action; } steps[] = {
        {0, false, {true, true}},  // the first ever sounds, even at time 0
        {4999, false, {true, false}},
        {7000, true, {false, false}},  // in front: nothing, and no sound used up
        {7001, false, {true, true}},
        {200, false, {true, true}},  // the clock went back: better a sound than silence
    };
    for (const auto& st : steps) EXPECT_EQ(DecideAlert(s, st.foreground, throttle, st.now), st.action) << st.now;
}

}  // namespace
}  // namespace vek
