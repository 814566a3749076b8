// The main window's rules that need no window.
#include "core/shell_rules.h"

#include <gtest/gtest.h>

#include "version_info.h"

namespace vek {
namespace {

TEST(Caption, RevisionIsWrittenOnlyAboveZeroAndRunsOnFromTheMinor) {
    const struct { Version v; const char* caption; } cases[] = {
        {{0, 8, 0}, "Vek Chat v0.8 - By Orrin"},
        {{1, 2, 3}, "Vek Chat v1.23 - By Orrin"},
        {{1, 2, 0}, "Vek Chat v1.2 - By Orrin"},
        {{10, 0, 12}, "Vek Chat v10.012 - By Orrin"},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowCaption(c.v), c.caption);
}

TEST(Caption, ComesFromTheProjectVersion) {
    EXPECT_EQ(WindowCaption({VEK_VERSION_MAJOR, VEK_VERSION_MINOR, VEK_VERSION_PATCH}), "Vek Chat v0.8 - By Orrin");
}

TEST(StoredBool, WordsAndNumbersAreUnderstoodAndTheRestIsNot) {
    const struct { const char* text; std::optional<bool> value; } cases[] = {
        {"True", true}, {"False", false}, {"true", true}, {"FALSE", false}, {" True ", true},
        {"yes", true}, {"No", false}, {"on", true}, {"OFF", false},
        {"1", true}, {"0", false}, {"-1", true}, {"000", false}, {"+7", true},
        {"99999999999999999999999999", true},  // no overflow: any non-zero digit
        {"", std::nullopt}, {"maybe", std::nullopt}, {"1.5", std::nullopt}, {"-", std::nullopt},
        {"Truex", std::nullopt}, {"\x01\xff", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseStoredBool(c.text), c.value) << '"' << c.text << '"';
    EXPECT_STREQ(StoredBool(true), "True");
    EXPECT_STREQ(StoredBool(false), "False");
}

// A damaged "Run Before" must never send the player's settings back to the
// first-run defaults; only an absent, empty or false one means a first run.
TEST(StoredBool, RunBeforeIsAFirstRunOnlyWhenAbsentEmptyOrFalse) {
    const struct { std::optional<std::string> stored; bool hasRun; } cases[] = {
        {std::nullopt, false}, {"", false}, {"  ", false}, {"False", false}, {"0", false}, {"no", false},
        {"True", true}, {"1", true}, {"maybe", true}, {std::string(100000, 'x'), true}, {"\x01\xff", true},
    };
    for (const auto& c : cases) EXPECT_EQ(HasRunBefore(c.stored), c.hasRun) << c.stored.value_or("<absent>").substr(0, 20);
}

TEST(ChangeLogCaption, NoneForNoLogAndAmpersandsDoubled) {
    EXPECT_EQ(ChangeLogCaption(""), "&Change Log - (none)");
    EXPECT_EQ(ChangeLogCaption("?"), "&Change Log - (?)");
    EXPECT_EQ(ChangeLogCaption("C:\\logs\\chat.txt"), "&Change Log - (C:\\logs\\chat.txt)");
    EXPECT_EQ(ChangeLogCaption("C:\\R&D\\a&&b.txt"), "&Change Log - (C:\\R&&D\\a&&&&b.txt)");
    EXPECT_EQ(ChangeLogCaption("??"), "&Change Log - (??)");
}

TEST(Layout, CreationSizeGivesTheCreationLayout) {
    // Client 4440 x 3375 is the outer 4560 x 4065 with the classic frame.
    const Layout l = ComputeLayout(4440, 3375, 360);
    EXPECT_EQ(l.chatWidth, 4455);
    EXPECT_EQ(l.messageWidth, 4095);
    EXPECT_EQ(l.chatHeight, 3015);
    EXPECT_EQ(l.buttonTop, 2985);
    EXPECT_EQ(l.pageToTop, 3015);
    EXPECT_EQ(l.messageTop, 3000);
    EXPECT_EQ(l.lineY, 3360);
}

TEST(Layout, ComposerWidthFollowsItsLeftEdgeAndNothingGoesNegative) {
    EXPECT_EQ(ComputeLayout(4440, 3375, 1800).messageWidth, 2655);
    EXPECT_EQ(ComputeLayout(10000, 7000, 360).chatHeight, 6640);
    for (int w : {0, 1, 100, 344, 1785}) {
        for (int h : {0, 1, 359, 375, 390}) {
            const Layout l = ComputeLayout(w, h, 1800);
            for (int v : {l.chatWidth, l.chatHeight, l.messageWidth, l.buttonTop, l.pageToTop, l.messageTop, l.lineY})
                EXPECT_GE(v, 0) << w << 'x' << h;
        }
    }
}

TEST(Units, TwipsAndPixelsRoundTripAtCommonDpis) {
    EXPECT_EQ(TwipsToPixels(4440, 96), 296);
    EXPECT_EQ(TwipsToPixels(4440, 192), 592);
    EXPECT_EQ(TwipsToPixels(345, 96), 23);
    EXPECT_EQ(PixelsToTwips(296, 96), 4440);
    EXPECT_EQ(PixelsToTwips(-2, 96), -30);
    EXPECT_EQ(PixelsToTwips(10, 0), 0);
    for (int dpi : {96, 120, 144, 192})
        for (int px = 0; px < 400; ++px) EXPECT_EQ(TwipsToPixels(PixelsToTwips(px, dpi), dpi), px);
}

}  // namespace
}  // namespace vek
