// Alerts: the stored alert words, whole-word matching, which lines and
// passes alert, and the sound throttle.
#include "core/alerts.h"

#include <gtest/gtest.h>

#include <string>

namespace vek {
namespace {

using namespace std::string_literals;

const std::string kLead = "[2026-12-07 11:30:05] ";

TEST(AlertWords, StoredTextIsCleanedToWordsThatCanMatch) {
    std::string many, repeated;
    for (int i = 1; i <= 25; ++i) many += "w" + std::to_string(i) + " ";
    for (int i = 0; i < 30; ++i) repeated += "Ann ";
    const struct { std::string text; std::string stored; } cases[] = {
        {"", ""},
        {" ,, ;; \t", ""},
        {"Orrin, Tessaly;guild\tkeep\r\nwren", "Orrin, Tessaly, guild, keep, wren"},
        {"\"Orrin\" {Tess}aly", "Orrin, Tessaly"},       // markup dropped, not a separator
        {"Or\x01r\x7fin\x1b", "Orrin"},                 // control characters dropped
        {"Orrin. (Tess) -- !", "Orrin, Tess"},          // non-word ends trimmed, nothing left is no word
        {"Sir-Orrin O'Neil", "Sir-Orrin, O'Neil"},      // inside a word they stay
        {std::string(40, 'x'), std::string(32, 'x')},
        {std::string(31, 'x') + "-yz", std::string(31, 'x')},  // cut at 32, then the "-" trimmed
        {"Orrin orrin ORRIN Wren", "Orrin, Wren"},
        {repeated + "Bo", "Ann, Bo"},                  // repeats take no place of the 20
        {many, "w1, w2, w3, w4, w5, w6, w7, w8, w9, w10, w11, w12, w13, w14, w15, w16, w17, w18, w19, w20"},
        {"caf\xe9 \xe9t\xe9", "caf\xe9, \xe9t\xe9"},
    };
    for (const auto& c : cases) {
        const AlertWords words = AlertWords::Parse(c.text);
        EXPECT_EQ(words.Format(), c.stored) << c.text;
        EXPECT_EQ(AlertWords::Parse(words.Format()), words) << c.text;
    }
}

TEST(AlertWords, MatchWholeWordsInAnyAsciiCaseWithMarkupAsABoundary) {
    const AlertWords words = AlertWords::Parse("Orrin Tess-a caf\xe9");
    const struct { std::string text; bool found; } cases[] = {
        {"Orrin", true},
        {"hi orrin!", true},
        {"ORRIN's sword", true},
        {"{Orrin}\":\" hi", true},
        {"Bob pages you: \"orrin\"", true},
        {"Orrinson", false},
        {"MacOrrin", false},
        {"Orrin2", false},
        {"_Orrin", true},                 // "_" is no word byte
        {"Orrin\xe9", false},             // bytes from 128 up are letters
        {"\xe9Orrin", false},
        {"Orr\"in\"", false},             // shown as "Orrin", but in two colours: two words
        {"Orri", false},
        {"tess-A.", true},
        {"Tess", false},
        {"Tess-ab", false},
        {"CAF\xe9", true},
        {"caf\xc9", false},               // only ASCII letters are folded
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(words.FoundIn(c.text), c.found) << c.text;
    EXPECT_FALSE(AlertWords().FoundIn("Orrin"));
}

TEST(Alerts, PagesAlertWhenChosenAndWordsAlertInAnyLine) {
    const struct { const char* name; bool flashOnPages; const char* words; std::string body; bool alerts; } cases[] = {
        {"page", true, "", "Bob pages you: hi", true},
        {"page, flash off", false, "", "Bob pages you: hi", false},
        {"page, flash off, word", false, "bob", "Bob pages you: hi", true},
        {"page sent", true, "", "Paged Bob.", false},
        {"said", true, "", "{Bob}\":\" Orrin?", false},
        {"said, word", true, "orrin", "{Bob}\":\" Orrin?", true},
        {"system, word", false, "Orrin", "Orrin has connected.", true},
    };
    for (const auto& c : cases) {
        AlertSettings s;
        s.flashOnPages = c.flashOnPages;
        s.words = AlertWords::Parse(c.words);
        EXPECT_EQ(LineAlerts(ShownOfLogLine(kLead + c.body), s), c.alerts) << c.name;
    }
}

TEST(Alerts, OnlyPassesOfNewsMayAlert) {
    const struct { PassFacts pass; bool news; } cases[] = {
        {{4096, false, false}, true},
        {{0, false, false}, false},      // following started over: the log's old lines
        {{4096, true, false}, false},    // the first block of a burst
        {{4096, false, true}, false},    // the end of a burst
    };
    for (const auto& c : cases) EXPECT_EQ(PassMayAlert(c.pass), c.news) << c.pass.firstReadOffset;
}

TEST(Alerts, FlashInTheBackgroundAndSoundAtMostEveryFiveSeconds) {
    AlertSettings s;
    s.playSound = true;
    SoundThrottle throttle;
    const struct { std::uint64_t now; bool foreground; AlertAction action; } steps[] = {
        {0, false, {true, true}},        // the first ever sounds, even at time 0
        {4999, false, {true, false}},
        {5000, false, {true, true}},
        {7000, true, {false, false}},    // in front: nothing, and no sound used up
        {10000, false, {true, true}},
        {200, false, {true, true}},      // the clock went back: better a sound than silence
    };
    for (const auto& st : steps) EXPECT_EQ(DecideAlert(s, st.foreground, throttle, st.now), st.action) << st.now;
    s.playSound = false;
    EXPECT_EQ(DecideAlert(s, false, throttle, 60000), (AlertAction{true, false}));
}

}  // namespace
}  // namespace vek
