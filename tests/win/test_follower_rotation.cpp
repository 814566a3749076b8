// ctest-lock: registry
// Regressions found by the soak run. A log renamed away (rotated) while
// followed lost the lines it had got since the last pass: the follower went
// straight to the new file at the path. And a pass took blocks for 40 ms, so
// a burst put a megabyte into the display at once and the window stopped
// answering for a quarter of a second and more.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/winapp.h"

using namespace vektest;

namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";

std::string Line(const std::string& shown) { return kLead + shown + "\r\n"; }

// n lines of about 60 bytes, numbered from `from`, and what they show.
std::string Many(int from, int n, std::string* shown) {
    std::string out;
    for (int i = from; i < from + n; ++i) {
        const std::string s = "burst line " + std::to_string(i) + ", padded out to some length";
        out += Line(s);
        *shown += s + "\r";
    }
    return out;
}

TEST(FollowerRotation, WhatTheRenamedLogGotSinceTheLastPassIsShownBeforeTheNewLog) {
    std::string bigShown;
    const std::string big = Many(0, 3000, &bigShown);  // about three blocks
    ASSERT_GT(big.size(), 3u * 65535u - 20000u);
    const struct {
        const char* name;
        std::string beforeRename;  // written after the last pass
        bool sameFolder;           // renamed within the log's folder, or moved away
        std::string shown;         // what the display ends with
    } cases[] = {
        {"whole lines", Line("late one") + Line("late two"), true, "late one\rlate two\rnew first\r"},
        {"an unfinished last line", Line("late") + kLead + "cut off", true, "late\rcut off\rnew first\r"},
        {"several blocks", big, true, bigShown + "new first\r"},
        // Out of sight: its tail is lost, and the new log is followed whole.
        {"moved to another folder", Line("gone"), false, "new first\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearSettings();
        TempDir dir, elsewhere;
        const std::string log = dir.file("chat.log");
        WriteBytes(log, "");
        PutSetting("Run Before", "True");
        PutSetting("Log", log);
        auto form = MakeForm();
        ASSERT_TRUE(form);
        form->StartLog();
        AppendBytes(log, Line("seen"));
        ASSERT_TRUE(PumpUntil(*form, [&] { return ReadText(Display(*form)) == "seen\r"; }));

        // No pass runs between these steps: passes run only while pumping.
        AppendBytes(log, c.beforeRename);
        const std::string renamed = c.sameFolder ? log + ".1" : elsewhere.file("old.log");
        ASSERT_TRUE(MoveFileA(log.c_str(), renamed.c_str()));
        WriteBytes(log, Line("new first"));

        // Every line in the session, in order; the display shows the newest.
        auto shows = [&](const std::string& want) {
            return ShowsNewestOf(Display(*form), want) &&
                   SessionLineCount(*form) == std::count(want.begin(), want.end(), '\r');
        };
        const std::string want = "seen\r" + c.shown;
        EXPECT_TRUE(PumpUntil(*form, [&] { return shows(want); }, 20000)) << ReadText(Display(*form)).substr(0, 300);
        // And on it goes with the new log.
        AppendBytes(log, Line("new second"));
        EXPECT_TRUE(PumpUntil(*form, [&] { return shows(want + "new second\r"); }));
        form.reset();
    }
    ClearSettings();
}

// A renamed log its writer holds open without read sharing (the
// game's own handle, say): the new log at the path is shown meanwhile, and
// the renamed log's last lines come once it lets go. (How often it is tried,
// and when it is given up, is the follower's own affair: its native tests.)
TEST(FollowerRotation, ARenamedLogHeldWithoutReadSharingLetsTheNewLogShowMeanwhile) {
    TempDir dir;
    const std::string log = dir.file("chat.log");
    WriteBytes(log, "");
    auto form = MakeFollowingForm(log);
    ASSERT_TRUE(form);
    AppendBytes(log, Line("seen"));
    ASSERT_TRUE(PumpUntil(*form, [&] { return ReadText(Display(*form)) == "seen\r"; }));

    AppendBytes(log, Line("late"));
    const std::string renamed = log + ".1";
    ASSERT_TRUE(MoveFileA(log.c_str(), renamed.c_str()));
    HANDLE hold = ::CreateFileA(renamed.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    WriteBytes(log, Line("new first"));
    EXPECT_TRUE(PumpUntil(*form, [&] { return ReadText(Display(*form)) == "seen\rnew first\r"; }))
        << ReadText(Display(*form));
    ::CloseHandle(hold);
    EXPECT_TRUE(PumpUntil(*form, [&] { return ReadText(Display(*form)) == "seen\rnew first\rlate\r"; }))
        << ReadText(Display(*form));
    form.reset();
    ClearSettings();
}

// How much one pass takes is the follower's own affair (its native tests);
// here: the rest of a burst comes in passes close behind each other.
TEST(FollowerRotation, ABurstIsCaughtUpWithoutMoreWrites) {
    TempDir dir;
    const std::string log = dir.file("chat.log");
    WriteBytes(log, "");
    auto form = MakeFollowingForm(log);
    ASSERT_TRUE(form);
    std::string shown;
    const std::string burst = Many(0, 4500, &shown);  // more than four blocks
    AppendBytes(log, burst);
    EXPECT_TRUE(PumpUntil(*form, [&] { return ShowsNewestOf(Display(*form), shown) && SessionLineCount(*form) == 4500; },
                          20000));
    form.reset();
    ClearSettings();
}

}  // namespace
