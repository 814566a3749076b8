// ctest-lock: registry
// Following a real log file into the real chat display.
#include <gtest/gtest.h>
#include <richedit.h>
#include <shlwapi.h>

#include "support/winapp.h"
#include "win/richedit.h"

using namespace vektest;
using vek::Color;

namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";  // 22 characters, never shown

std::string Line(const std::string& shown) { return kLead + shown + "\r\n"; }

class FollowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        PutSetting("Run Before", "True");
        log = dir.file("chat.txt");
    }
    void TearDown() override {
        form.reset();
        ClearSettings();
    }
    void Open() {
        PutSetting("Log", log);
        form = MakeForm();
        ASSERT_TRUE(form);
    }
    std::string Shown() { return ReadText(Display(*form)); }
    // Waits until the display shows `text` (line breaks as CR).
    bool WaitFor(const std::string& text, int ms = 5000) {
        return PumpUntil(*form, [&] { return Shown() == text; }, ms);
    }

    TempDir dir;
    std::string log;
    std::unique_ptr<frmChat> form;
};

TEST_F(FollowerTest, StartsAtTheEndOfAnExistingLogAndShowsWhatFollows) {
    WriteBytes(log, Line("{Old}\":\" before the start"));
    Open();
    form->StartLog();
    AppendBytes(log, Line("{Aldric}\":\" hello \"there\" {friend}"));
    ASSERT_TRUE(WaitFor("Aldric: hello there friend\r")) << Shown();

    // Colours: name braced, colon quoted, rest normal with its own marks.
    const std::vector<ColoredChar> c = ReadColored(Display(*form));
    ASSERT_EQ(c.size(), 27u);
    EXPECT_EQ(c[0].color, vek::BraceColor);   // A
    EXPECT_EQ(c[6].color, vek::QuoteColor);   // :
    EXPECT_EQ(c[7].color, vek::NormalColor);  // blank
    EXPECT_EQ(c[14].color, vek::QuoteColor);  // t of there
    EXPECT_EQ(c[20].color, vek::BraceColor);  // f of friend

    // The inserted text keeps the display's own face and size.
    CHARFORMAT2W own{}, inserted{};
    own.cbSize = inserted.cbSize = sizeof(CHARFORMAT2W);
    SendMessageW(ComposerBox(*form), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&own));
    vek::win::SetSel(Display(*form), 0, 5);
    SendMessageW(Display(*form), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&inserted));
    EXPECT_EQ(inserted.yHeight, own.yHeight);
    EXPECT_STREQ(inserted.szFaceName, own.szFaceName);
}

TEST_F(FollowerTest, ALogThatAppearsLaterShowsFromItsFirstByte) {
    Open();
    form->StartLog();
    Pump(*form, 150);
    EXPECT_FALSE(PathFileExistsA(log.c_str())) << "the follower must never create the log";
    WriteBytes(log, Line("Welcome to the realm.") + Line("Paged Bob."));
    ASSERT_TRUE(WaitFor("Welcome to the realm.\rPaged Bob.\r")) << Shown();
    const auto c = ReadColored(Display(*form));
    EXPECT_EQ(c[0].color, vek::OtherColor);
    EXPECT_EQ(c[22].color, vek::PageOutColor);
}

TEST_F(FollowerTest, PartialLinesAreHeldUntilTheirLineBreakArrives) {
    WriteBytes(log, "");
    Open();
    form->StartLog();
    AppendBytes(log, kLead + "Bob pages you: hal");
    Pump(*form, 200);
    EXPECT_EQ(Shown(), "");
    AppendBytes(log, "f a line\r");
    Pump(*form, 200);
    AppendBytes(log, "\n" + Line("next"));
    ASSERT_TRUE(WaitFor("Bob pages you: half a line\rnext\r")) << Shown();
    EXPECT_EQ(ReadColored(Display(*form))[0].color, vek::PageInColor);
}

TEST_F(FollowerTest, AGrowthOfMoreThanOneBlockKeepsEveryLineWhole) {
    WriteBytes(log, "");
    Open();
    form->StartLog();
    std::string burst, expected;
    for (int i = 0; i < 3000; ++i) {
        std::string shown = "line " + std::to_string(i) + " of the burst, padded out to some length";
        burst += Line(shown);
        expected += shown + "\r";
    }
    ASSERT_GT(burst.size(), 65535u * 2);
    AppendBytes(log, burst);
    ASSERT_TRUE(WaitFor(expected, 20000)) << Shown().size();
}

TEST_F(FollowerTest, TruncationAndReplacementStartOverFromTheFirstByte) {
    WriteBytes(log, "");
    Open();
    form->StartLog();
    AppendBytes(log, Line("one") + Line("two"));
    ASSERT_TRUE(WaitFor("one\rtwo\r"));

    WriteBytes(log, Line("after truncation"));  // shorter than before
    ASSERT_TRUE(WaitFor("one\rtwo\rafter truncation\r")) << Shown();

    // Rotation: the old log is renamed away and a new one takes its name,
    // longer than what was read of the old one.
    ASSERT_TRUE(MoveFileA(log.c_str(), dir.file("chat.1.txt").c_str()));
    WriteBytes(log, Line("fresh log, first line is long enough") + Line("second"));
    ASSERT_TRUE(WaitFor("one\rtwo\rafter truncation\rfresh log, first line is long enough\rsecond\r")) << Shown();
}

TEST_F(FollowerTest, ANulByteIsSkippedAndDoesNotStallFollowing) {
    WriteBytes(log, "");
    Open();
    form->StartLog();
    AppendBytes(log, kLead + std::string("be\0fore", 7) + "\r\n");
    AppendBytes(log, Line("after"));
    ASSERT_TRUE(WaitFor("before\rafter\r")) << Shown();
}

TEST_F(FollowerTest, StopEndsFollowingAndSwitchesTheControlsOff) {
    WriteBytes(log, "");
    Open();
    form->StartLog();
    AppendBytes(log, Line("first"));
    ASSERT_TRUE(WaitFor("first\r"));
    Command(*form, IDM_LOG_STOP);
    EXPECT_FALSE(Following(*form));
    EXPECT_FALSE(IsWindowEnabled(ComposerBox(*form)));
    EXPECT_FALSE(EditMenuEnabled(*form));
    AppendBytes(log, Line("while stopped"));
    Pump(*form, 200);
    EXPECT_EQ(Shown(), "first\r");
    // Start again: following goes on from the end, as at any start.
    Command(*form, IDM_LOG_START);
    AppendBytes(log, Line("after restart"));
    ASSERT_TRUE(WaitFor("first\rafter restart\r")) << Shown();
}

TEST_F(FollowerTest, CaretAtTheEndFollowsAndAnyOtherCaretOrSelectionStays) {
    WriteBytes(log, "");
    Open();
    form->StartLog();
    AppendBytes(log, Line("alpha") + Line("beta"));
    ASSERT_TRUE(WaitFor("alpha\rbeta\r"));
    HWND d = Display(*form);

    vek::win::SetSel(d, 11, 11);  // the end
    AppendBytes(log, Line("gamma"));
    ASSERT_TRUE(WaitFor("alpha\rbeta\rgamma\r"));
    EXPECT_EQ(vek::win::GetSel(d).start, 17);
    EXPECT_EQ(vek::win::GetSel(d).end, 17);

    vek::win::SetSel(d, 1, 4);  // a selection
    AppendBytes(log, Line("delta"));
    ASSERT_TRUE(WaitFor("alpha\rbeta\rgamma\rdelta\r"));
    EXPECT_EQ(vek::win::GetSel(d).start, 1);
    EXPECT_EQ(vek::win::GetSel(d).end, 4);
}

TEST_F(FollowerTest, TheViewStaysPutInALongDisplayWhileThePlayerReadsBack) {
    WriteBytes(log, "");
    Open();
    form->StartLog();
    // 100,000 lines: far past the default limit of 32,767 characters, and
    // past the 65,535 pixels where Wine scales scroll positions to 16 bits.
    std::string many;
    int shownChars = 0;  // a line break is one character in the display
    for (int i = 0; i < 100000; ++i) {
        const std::string shown = "filler line " + std::to_string(i);
        many += Line(shown);
        shownChars += static_cast<int>(shown.size()) + 1;
    }
    AppendBytes(log, many);
    HWND d = Display(*form);
    ASSERT_TRUE(PumpUntil(*form, [&] { return vek::win::CharCount(d) == shownChars; }, 240000));
    ASSERT_GT(vek::win::CharCount(d), 1500000);
    EXPECT_GE(SendMessageW(d, EM_GETLINECOUNT, 0, 0), 100000);
    EXPECT_FALSE(SendMessageW(d, EM_CANUNDO, 0, 0)) << "the display keeps no undo history";

    // The player scrolls up and puts the caret there.
    vek::win::SetSel(d, 100, 100);
    SendMessageW(d, EM_LINESCROLL, 0, -(SendMessageW(d, EM_GETFIRSTVISIBLELINE, 0, 0) - 90000));
    const LRESULT first = SendMessageW(d, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_EQ(first, 90000);
    AppendBytes(log, Line("news while reading"));
    ASSERT_TRUE(PumpUntil(*form, [&] { return Shown().find("news while reading") != std::string::npos; }));
    EXPECT_EQ(SendMessageW(d, EM_GETFIRSTVISIBLELINE, 0, 0), first);
    EXPECT_EQ(vek::win::GetSel(d).start, 100);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(form->hWnd(), IDC_NEWLINES))) << "the new-lines bar tells of the news";
}

TEST_F(FollowerTest, AppendDataAppliesTheLeadAndColourRulesToOneLine) {
    Open();
    form->AppendData(std::string(20, 'x') + "\r\n");  // 22 characters: nothing shown
    EXPECT_EQ(Shown(), "");
    form->AppendData(std::string(21, 'x') + "\r\n");  // only the LF
    form->AppendData(kLead + "[\"CC Guild\"] {Mira}\": \"\"unclosed\r\n");
    const std::string text = Shown();
    EXPECT_NE(text.find("[CC Guild] Mira: unclosed"), std::string::npos) << text;
    const auto c = ReadColored(Display(*form));
    const size_t u = text.find("unclosed");
    EXPECT_EQ(c[u].color, vek::QuoteColor);
    EXPECT_EQ(c[text.find('[')].color, vek::NormalColor);
}

}  // namespace
