// ctest-lock: registry
// Where the player meets the window between other programs: the focus comes
// back with the window, the session's end keeps the settings, Stop shows
// what came before it, the type button takes the keyboard and quick clicks,
// the page box takes a name of any length, and the display's scroll bar is
// painted with the lines.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/winapp.h"
#include "win/richedit.h"

using namespace vektest;

namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";

std::string Line(const std::string& shown) { return kLead + shown + "\r\n"; }

// Another program's window, for the form to lose the activation to.
class OtherWindow {
public:
    OtherWindow() {
        w_ = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 300, 200, 100, nullptr,
                               nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~OtherWindow() { ::DestroyWindow(w_); }
    HWND get() const { return w_; }

private:
    HWND w_;
};

void Activate(frmChat& f, HWND w) {
    ::SetForegroundWindow(w);
    ::SetActiveWindow(w);
    PumpPending(&f);
}

class SeamsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        PutSetting("Run Before", "True");
        log = dir.file("chat.log");
        WriteBytes(log, "");
        PutSetting("Log", log);
        f = MakeForm();
        ASSERT_TRUE(f);
        f->StartLog();
        PumpPending(f.get());
    }
    void TearDown() override {
        f.reset();
        ClearSettings();
    }

    TempDir dir;
    std::string log;
    std::unique_ptr<frmChat> f;
};

TEST_F(SeamsTest, TheFocusComesBackWithTheWindow) {
    OtherWindow other;
    // The first time: into the composer, not the frame.
    Activate(*f, other.get());
    Activate(*f, f->hWnd());
    EXPECT_EQ(::GetFocus(), ComposerBox(*f));

    // Then to whichever box had it when the player went away.
    ClickTypeButton(*f);
    ClickTypeButton(*f);  // Page: the page box shows
    for (HWND box : {PageBox(*f), Display(*f), ComposerBox(*f)}) {
        ::SetFocus(box);
        Activate(*f, other.get());
        ASSERT_NE(::GetFocus(), box);
        Activate(*f, f->hWnd());
        EXPECT_EQ(::GetFocus(), box);
    }

    // And after a restore from minimised.
    ::SetFocus(PageBox(*f));
    ::ShowWindow(f->hWnd(), SW_MINIMIZE);
    PumpPending(f.get());
    ::ShowWindow(f->hWnd(), SW_RESTORE);
    Activate(*f, f->hWnd());
    EXPECT_EQ(::GetFocus(), PageBox(*f));
}

TEST_F(SeamsTest, TheEndOfTheSessionKeepsTheSettingsAsUnloadWould) {
    const struct {
        UINT msg;
        WPARAM wp;
        bool saves;
    } cases[] = {
        {WM_QUERYENDSESSION, 0, true},
        {WM_ENDSESSION, TRUE, true},
        {WM_ENDSESSION, FALSE, false},  // the session goes on: nothing to save yet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.msg == WM_QUERYENDSESSION ? "query" : c.wp ? "ending" : "not ending");
        PutSetting("Log", "unchanged");
        PutSetting("Autostart Log", "False");
        if (!AutostartChecked(*f)) Command(*f, IDM_LOG_AUTOSTART);
        const LRESULT r = ::SendMessageW(f->hWnd(), c.msg, c.wp, ENDSESSION_LOGOFF);
        if (c.msg == WM_QUERYENDSESSION) {
            EXPECT_TRUE(r) << "the session may end";
        }
        EXPECT_EQ(ReadSetting("Log"), c.saves ? f->Settings().logFile : "unchanged");
        EXPECT_EQ(ReadSetting("Autostart Log"), c.saves ? "True" : "False");
        EXPECT_TRUE(f->IsAlive());
    }
}

// Lines written just before the Stop, with no pass in between, still show.
TEST_F(SeamsTest, StopShowsEveryLineWrittenBeforeIt) {
    AppendBytes(log, Line("first"));
    ASSERT_TRUE(PumpUntil(*f, [&] { return ReadText(Display(*f)) == "first\r"; }));
    std::string burst, shown = "first\r";
    for (int i = 0; i < 2000; ++i) {
        burst += Line("written before the stop " + std::to_string(i));
        shown += "written before the stop " + std::to_string(i) + "\r";
    }
    AppendBytes(log, burst + kLead + "unfinished");
    Command(*f, IDM_LOG_STOP);
    EXPECT_EQ(ReadText(Display(*f)), shown);
    EXPECT_FALSE(Following(*f));
}

TEST_F(SeamsTest, TheTypeButtonTakesEnterSpaceAndQuickClicks) {
    ::SetFocus(TypeButton(*f));  // its first arrival is passed on; from now on it stays
    ::SetFocus(TypeButton(*f));
    const struct {
        int key;
        const char* tip;
    } keys[] = {{VK_RETURN, "Chat Mode"}, {VK_SPACE, "Page Mode"}, {VK_RETURN, "Normal Mode"}};
    for (const auto& k : keys) {
        PressKey(*f, TypeButton(*f), k.key);
        EXPECT_EQ(TypeTooltipText(*f), k.tip) << k.key;
        EXPECT_EQ(::GetFocus(), TypeButton(*f)) << "the keyboard leaves the focus on the button";
    }
    // Two clicks within the double-click time: Normal, Chat, Page.
    HWND b = TypeButton(*f);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        ::SendMessageW(b, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(5, 5));
    PumpPending(f.get());
    EXPECT_EQ(TypeTooltipText(*f), "Page Mode");
}

TEST_F(SeamsTest, ThePageBoxTakesANameOfAnyLength) {
    // Windows stops an edit box at 32,767 characters unless told otherwise.
    EXPECT_GT(::SendMessageW(PageBox(*f), EM_GETLIMITTEXT, 0, 0), 1 << 30);
    const std::wstring name(40000, L'n');
    ::SetWindowTextW(PageBox(*f), name.c_str());
    ::SendMessageW(PageBox(*f), EM_SETSEL, 40000, 40000);
    ::SendMessageW(PageBox(*f), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"xyz"));
    EXPECT_EQ(::GetWindowTextLengthW(PageBox(*f)), 40003);
}

// The colour of the screen where the display's scroll bar is drawn.
COLORREF ScrollBarPixel(HWND display) {
    RECT r{};
    ::GetWindowRect(display, &r);
    const int x = r.right - ::GetSystemMetrics(SM_CXVSCROLL) / 2 - 1;
    const int y = (r.top + r.bottom) / 2;
    vek::win::WindowDC screen(nullptr);
    return ::GetPixel(screen.get(), x, y);
}

// The scroll bar lives in the display's frame, which the end of each
// insertion's redraw freeze must repaint too; left black, the player sees no
// scroll bar until the mouse passes over it.
TEST_F(SeamsTest, TheDisplaysScrollBarIsPaintedWithTheLines) {
    ::SetWindowPos(f->hWnd(), HWND_TOP, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::UpdateWindow(f->hWnd());
    PumpPending(f.get());
    std::string many;
    for (int i = 0; i < 200; ++i) many += Line("enough lines to scroll " + std::to_string(i));
    AppendBytes(log, many);
    ASSERT_TRUE(PumpUntil(*f, [&] { return vek::win::CharCount(Display(*f)) > 4000; }));
    Pump(*f, 100);  // paint messages
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(Display(*f), SB_VERT, &si));
    ASSERT_GT(si.nMax, static_cast<int>(si.nPage)) << "the display should hold more than it shows";
    EXPECT_NE(ScrollBarPixel(Display(*f)), vek::BackgroundColor) << "the scroll bar was not painted";
}

// A game that opens its log with no sharing, again and again, is never
// refused while the log is quiet: VekChat only looks at it by path then.
TEST_F(SeamsTest, AGameThatOpensItsLogExclusivelyIsNeverRefusedWhileTheLogIsQuiet) {
    AppendBytes(log, Line("before"));
    ASSERT_TRUE(PumpUntil(*f, [&] { return ReadText(Display(*f)) == "before\r"; }));
    std::atomic<bool> stop{false};
    std::atomic<int> opens{0}, refused{0};
    std::thread writer([&] {
        while (!stop) {
            vek::win::UniqueFile h(::CreateFileA(log.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
            ++opens;
            if (!h && ::GetLastError() == ERROR_SHARING_VIOLATION) ++refused;
            h.reset();
            ::Sleep(2);
        }
    });
    Pump(*f, 3000);  // the program's own loop: timer ticks, change notifications
    stop = true;
    writer.join();
    EXPECT_GT(opens.load(), 300);
    EXPECT_EQ(refused.load(), 0) << "of " << opens.load() << " exclusive opens";
    // And following goes on.
    AppendBytes(log, Line("after"));
    EXPECT_TRUE(PumpUntil(*f, [&] { return ReadText(Display(*f)) == "before\rafter\r"; }));
}

}  // namespace
