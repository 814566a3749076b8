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
    // The display holds the newest lines, each whole; Ctrl+Home brings the first back.
    ASSERT_TRUE(PumpUntil(*form, [&] { return ShowsNewestOf(Display(*form), expected) && SessionLineCount(*form) == 3000; },
                          20000)) << Shown().size();
    PressKey(*form, Display(*form), VK_HOME, false, true);
    EXPECT_TRUE(Shown().starts_with("line 0 of the burst, padded out to some length\rline 1 of")) << Shown().substr(0, 80);
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

TEST_F(FollowerTest, TheViewStaysPutInALongSessionWhileThePlayerReadsBack) {
    WriteBytes(log, "");
    Open();
    form->StartLog();
    // 100,000 lines at once: the display shows the newest and holds only a
    // bounded part; the scroll bar stands for all of them.
    std::string many;
    for (int i = 0; i < 100000; ++i) many += Line("filler line " + std::to_string(i));
    AppendBytes(log, many);
    HWND d = Display(*form), bar = DisplayScrollBar(*form);
    ASSERT_TRUE(PumpUntil(*form, [&] { return Shown().ends_with("\rfiller line 99999\r"); }, 60000));
    EXPECT_LT(SendMessageW(d, EM_GETLINECOUNT, 0, 0), 2000) << "a bounded part";
    EXPECT_FALSE(SendMessageW(d, EM_CANUNDO, 0, 0)) << "the display keeps no undo history";
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &si));
    EXPECT_EQ(si.nMax, 99999);
    EXPECT_EQ(si.nPos, si.nMax - static_cast<int>(si.nPage) + 1) << "the thumb at the bottom";

    // The player drags the thumb to line 90,000 (past 16 bits) and puts the caret there.
    auto topLine = [&] {
        const int at = static_cast<int>(SendMessageW(d, EM_LINEINDEX, SendMessageW(d, EM_GETFIRSTVISIBLELINE, 0, 0), 0));
        const std::string text = Shown();
        return text.substr(static_cast<std::size_t>(at), text.find('\r', static_cast<std::size_t>(at)) - static_cast<std::size_t>(at));
    };
    si.fMask = SIF_POS;
    si.nPos = 90000;
    SetScrollInfo(bar, SB_CTL, &si, FALSE);  // where the drag has the thumb
    SendMessageW(form->hWnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 90000 & 0xFFFF), reinterpret_cast<LPARAM>(bar));
    SendMessageW(form->hWnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 90000 & 0xFFFF), reinterpret_cast<LPARAM>(bar));
    ASSERT_EQ(topLine(), "filler line 90000");
    const int caret = static_cast<int>(SendMessageW(d, EM_LINEINDEX, SendMessageW(d, EM_GETFIRSTVISIBLELINE, 0, 0), 0)) + 7;
    vek::win::SetSel(d, caret, caret);
    AppendBytes(log, Line("news while reading"));
    Pump(*form, 500);
    EXPECT_EQ(topLine(), "filler line 90000");
    EXPECT_EQ(vek::win::GetSel(d).start, caret);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(form->hWnd(), IDC_NEWLINES))) << "the new-lines bar tells of the news";
    // The bar clicked: back at the news.
    PostMessageW(GetDlgItem(form->hWnd(), IDC_NEWLINES), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(GetDlgItem(form->hWnd(), IDC_NEWLINES), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpPending(form.get());
    EXPECT_TRUE(Shown().ends_with("\rnews while reading\r"));
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
