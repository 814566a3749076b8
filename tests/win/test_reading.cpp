// ctest-lock: registry gamewindow
// Reading the chat on the real window while the log grows: the view held
// where the player scrolled it with the new-lines bar below, Find with its
// dialog and F3, and a line's time under the resting mouse.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>

#include <functional>

#include "support/winapp.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vektest;

namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";

class ReadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        log = dir.file("chat.txt");
        WriteBytes(log, "");
        form = MakeFollowingForm(log);
        ASSERT_TRUE(form);
        d = Display(*form);
    }
    void TearDown() override {
        form.reset();
        ClearSettings();
    }

    // Writes whole lines (lead included) to the log and waits until they show.
    void AddLines(const std::string& lines) {
        const int target = vek::win::CharCount(d) + ShownCharCount(lines);
        AppendBytes(log, lines);
        ASSERT_TRUE(PumpUntil(*form, [&] { return vek::win::CharCount(d) == target; })) << lines;
    }
    void AddFiller(int n) {
        std::string lines;
        for (int i = 0; i < n; ++i) lines += kLead + "filler " + std::to_string(i) + "\r\n";
        AddLines(lines);
    }

    // The newest line is in view: its first character lies within the box.
    bool ShowsNewest() {
        const int lastLine = static_cast<int>(SendMessageW(d, EM_GETLINECOUNT, 0, 0)) - 2;
        POINTL p{};
        SendMessageW(d, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), SendMessageW(d, EM_LINEINDEX, lastLine, 0));
        RECT rc{};
        GetClientRect(d, &rc);
        return p.y >= 0 && p.y < rc.bottom;
    }
    LRESULT FirstVisible() { return SendMessageW(d, EM_GETFIRSTVISIBLELINE, 0, 0); }
    // The bar's text while it shows; "" while it does not.
    std::wstring Bar() {
        HWND bar = GetDlgItem(form->hWnd(), IDC_NEWLINES);
        wchar_t text[64] = {};
        if (IsWindowVisible(bar)) GetWindowTextW(bar, text, 64);
        return text;
    }

    TempDir dir;
    std::string log;
    std::unique_ptr<frmChat> form;
    HWND d = nullptr;
};

// ------------------------------------------------------------ scroll lock

void Wheel(HWND d, int notches) {
    RECT r{};
    GetWindowRect(d, &r);
    SendMessageW(d, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * notches), MAKELPARAM(r.left + 20, r.top + 20));
}

TEST_F(ReadingTest, ScrolledUpTheViewHoldsAndTheBarCountsWhatCameBelowUntilFollowingAgain) {
    AddFiller(120);
    const int end = vek::win::CharCount(d);
    vek::win::SetSel(d, end, end);  // the caret at the end: the view alone decides
    ASSERT_TRUE(ShowsNewest());
    const struct {
        const char* up;
        std::function<void(frmChat&, HWND)> leave;
        const char* back;
        std::function<void(frmChat&, HWND)> follow;
    } cases[] = {
        {"wheel", [](frmChat&, HWND d) { Wheel(d, 3); },
         "the bar clicked", [](frmChat& f, HWND) {
             HWND bar = GetDlgItem(f.hWnd(), IDC_NEWLINES);
             PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
             PostMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
             PumpPending(&f);
         }},
        {"scroll bar", [](frmChat&, HWND d) { SendMessageW(d, WM_VSCROLL, SB_PAGEUP, 0); },
         "Ctrl+End", [](frmChat& f, HWND d) { PressKey(f, d, VK_END, false, true); }},
        {"PgUp", [](frmChat& f, HWND d) { PressKey(f, d, VK_PRIOR); },
         "the scroll bar to the bottom", [](frmChat&, HWND d) { SendMessageW(d, WM_VSCROLL, SB_BOTTOM, 0); }},
        {"arrow keys", [](frmChat& f, HWND d) { for (int i = 0; i < 40; ++i) PressKey(f, d, VK_UP); },
         "the wheel down", [](frmChat&, HWND d) { Wheel(d, -200); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.up) + ", then " + c.back);
        c.leave(*form, d);
        ASSERT_FALSE(ShowsNewest());
        const LRESULT first = FirstVisible();
        const int caret = vek::win::GetSel(d).start, before = vek::win::CharCount(d);
        AddLines(kLead + "one\r\n" + kLead + "two\r\n");
        AddLines(kLead + "three\r\n");
        EXPECT_EQ(FirstVisible(), first);
        EXPECT_EQ(Bar(), L"\u25BC 3 new lines");
        // A caret at the end still goes on to the new end; any other stays.
        EXPECT_EQ(vek::win::GetSel(d).start, caret == before ? vek::win::CharCount(d) : caret);

        c.follow(*form, d);
        EXPECT_TRUE(ShowsNewest());
        EXPECT_EQ(Bar(), L"");
        AddFiller(30);
        EXPECT_TRUE(ShowsNewest()) << "following again";
        EXPECT_EQ(Bar(), L"");
    }
}

// Lines that only Stop's last passes read are counted on the bar as well.
TEST_F(ReadingTest, StopsLastPassesCountOnTheBar) {
    AddFiller(120);
    Wheel(d, 3);
    ASSERT_FALSE(ShowsNewest());
    // The caret in view: the display need not scroll back after the lines.
    const int inView = static_cast<int>(SendMessageW(d, EM_LINEINDEX, FirstVisible() + 1, 0));
    vek::win::SetSel(d, inView, inView);
    AppendBytes(log, kLead + "one\r\n" + kLead + "two\r\n");
    form->StopLog();  // no pass in between
    EXPECT_EQ(Bar(), L"\u25BC 2 new lines");
}

// ------------------------------------------------------------------- Find

HWND FindDialog(const frmChat& f) {
    for (HWND w : OwnedWindows(f, L"#32770"))
        if (IsWindowVisible(w)) return w;
    return nullptr;
}

TEST_F(ReadingTest, FindSearchesUpFirstAndF3AndShiftF3GoOnEachWay) {
    AddLines(kLead + "{Ann}\":\" the eagle flies\r\n" + kLead + "{Bob}\":\" eagles nest here\r\n" + kLead +
             "An EAGLE lands.\r\n");
    AddFiller(100);  // the matches lie far above the view
    const std::string text = ReadText(d);
    const int first = static_cast<int>(text.find("eagle flies")), second = static_cast<int>(text.find("eagles")),
              third = static_cast<int>(text.find("EAGLE"));
    HWND composer = ComposerBox(*form);
    SetFocus(composer);

    // F3 before any search opens the dialog; Ctrl+F fills it from the display's selection.
    PressKey(*form, composer, VK_F3);
    HWND dlg = FindDialog(*form);
    ASSERT_TRUE(dlg);
    vek::win::SetSel(d, first, first + 5);
    PressKey(*form, composer, 'F', false, true);
    EXPECT_EQ(FindDialog(*form), dlg) << "the same dialog, brought forward";
    wchar_t what[64] = {};
    GetDlgItemTextW(dlg, edt1, what, 64);
    EXPECT_STREQ(what, L"eagle");
    const int end = vek::win::CharCount(d);
    vek::win::SetSel(d, end, end);
    SetFocus(composer);

    auto findNext = [&] { SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); PumpPending(form.get()); };
    auto option = [&](int id, bool on) { CheckDlgButton(dlg, id, on ? BST_CHECKED : BST_UNCHECKED); };
    const struct { const char* step; std::function<void()> run; int selected; } steps[] = {
        {"Find Next: up from the end", findNext, third},
        {"F3: on upwards", [&] { PressKey(*form, composer, VK_F3); }, second},
        {"F3", [&] { PressKey(*form, composer, VK_F3); }, first},
        {"F3 past the oldest: the selection stays", [&] { PressKey(*form, composer, VK_F3); }, first},
        {"Shift+F3: down", [&] { PressKey(*form, composer, VK_F3, true); }, second},
        {"whole word, Shift+F3: eagles is no eagle", [&] { option(chx1, true); findNext(); PressKey(*form, composer, VK_F3, true); }, third},
        {"match case, Find Next: only the lower-case one", [&] { option(chx2, true); findNext(); }, first},
        {"an empty text does nothing", [&] { SetDlgItemTextW(dlg, edt1, L""); findNext(); }, first},
    };
    for (const auto& s : steps) {
        s.run();
        EXPECT_EQ(vek::win::GetSel(d).start, s.selected) << s.step;
        EXPECT_EQ(vek::win::GetSel(d).length(), 5) << s.step;
    }
    EXPECT_EQ(GetFocus(), composer) << "F3 leaves the focus where it was";

    // The match was scrolled into view, far above the end: the view holds there.
    ASSERT_FALSE(ShowsNewest());
    const LRESULT view = FirstVisible();
    AddLines(kLead + "news\r\n");
    EXPECT_EQ(FirstVisible(), view);
    EXPECT_EQ(Bar(), L"\u25BC 1 new line");

    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    PumpPending(form.get());
    EXPECT_EQ(FindDialog(*form), nullptr);
}

// ------------------------------------------------------------ line times

// The text of the line-time tooltip while it shows; "" otherwise.
std::string ShownTip(const frmChat& f, HWND display) {
    for (HWND tip : OwnedWindows(f, TOOLTIPS_CLASSW)) {
        if (!IsWindowVisible(tip)) continue;
        wchar_t buf[80] = {};
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = display;
        ti.lpszText = buf;
        SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
        return vek::win::ToAnsi(buf);
    }
    return "";
}

TEST_F(ReadingTest, RestingTheMouseOnALineShowsTheTimeItWasWritten) {
    const std::string wrapped = "{Ann}\":\" " + std::string(300, 'w');  // several rows in the display
    AddLines("[2026-12-07 09:00:01] {Ann}\":\" first\r\n[2026-12-07 09:00:02] " + wrapped +
             "\r\n[2026-12-07 09:00:03] Bob pages you: last\r\n");
    const std::string text = ReadText(d);
    auto rest = [&](int charIndex) {
        POINTL p{};
        SendMessageW(d, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), charIndex);
        POINT at{p.x + 2, p.y + 3};
        POINT screen = at;
        ClientToScreen(d, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageW(d, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        Pump(*form, 800);
    };
    const struct { const char* where; int at; const char* time; } cases[] = {
        {"the first line", 2, "[2026-12-07 09:00:01]"},
        {"the last row of a wrapped line", static_cast<int>(text.find("wwww\r")), "[2026-12-07 09:00:02]"},
        {"the last line", static_cast<int>(text.find("last")), "[2026-12-07 09:00:03]"},
    };
    for (const auto& c : cases) {
        rest(c.at);
        EXPECT_EQ(ShownTip(*form, d), c.time) << c.where;
    }
    PostMessageW(d, WM_MOUSELEAVE, 0, 0);
    PumpPending(form.get());
    EXPECT_EQ(ShownTip(*form, d), "") << "gone when the mouse leaves";

    // Emptied by the player, the display's first line is the next to come.
    SetFocus(d);
    Command(*form, IDM_EDIT_SELECTALL);
    Command(*form, IDM_EDIT_DELETE);
    AddLines("[2026-12-07 10:00:00] after\r\n");
    rest(1);
    EXPECT_EQ(ShownTip(*form, d), "[2026-12-07 10:00:00]");

    // A line of the program's own (a message not delivered: no game runs)
    // has no time, and the lines after it keep theirs.
    ASSERT_EQ(FindWindowA("AppClass", "Ember Heraldry"), nullptr);
    SendComposed(*form);
    ASSERT_NE(ReadText(d).find("not delivered"), std::string::npos);
    AddLines("[2026-12-07 10:00:05] after the notice\r\n");
    rest(static_cast<int>(ReadText(d).find("after the notice")));
    EXPECT_EQ(ShownTip(*form, d), "[2026-12-07 10:00:05]");
}

}  // namespace
