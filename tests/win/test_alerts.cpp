// ctest-lock: registry
// Alerts on the real window: which lines flash the taskbar button while
// another window is in front, and the Log > Alerts dialog with the settings
// it keeps.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "resource.h"
#include "support/winapp.h"
#include "win/handles.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vektest;

namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";

// Wine's FlashWindowEx sends the window WM_NCACTIVATE (its caption flashes
// with the taskbar button): the one trace of a flash a test can see.
std::vector<HWND> ncActivated;
LRESULT CALLBACK RecordNcActivate(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && m->message == WM_NCACTIVATE) ncActivated.push_back(m->hwnd);
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Fills in the Alerts dialog while it runs its own loop, and says what it showed.
struct DialogVisit {
    bool flash, sound;
    std::string words;              // as shown
    std::wstring type;              // typed over them
    bool tickFlash, tickSound, ok;  // buttons clicked
};
DialogVisit visit;

void CALLBACK FillAlertsDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowW(L"#32770", L"Alerts");
    if (!dlg) return;
    KillTimer(nullptr, id);
    visit.flash = IsDlgButtonChecked(dlg, IDC_ALERT_FLASH) == BST_CHECKED;
    visit.sound = IsDlgButtonChecked(dlg, IDC_ALERT_SOUND) == BST_CHECKED;
    visit.words = vek::win::ToAnsi(vek::win::WindowTextWide(GetDlgItem(dlg, IDC_ALERT_WORDS)));
    SetDlgItemTextW(dlg, IDC_ALERT_WORDS, visit.type.c_str());
    if (visit.tickFlash) SendDlgItemMessageW(dlg, IDC_ALERT_FLASH, BM_CLICK, 0, 0);
    if (visit.tickSound) SendDlgItemMessageW(dlg, IDC_ALERT_SOUND, BM_CLICK, 0, 0);
    SendMessageW(dlg, WM_COMMAND, visit.ok ? IDOK : IDCANCEL, 0);
}

// Log > Alerts..., driven as a player would; returns when the dialog is closed.
DialogVisit OpenAlertsDialog(frmChat& f, DialogVisit v) {
    visit = v;
    SetTimer(nullptr, 0, 50, &FillAlertsDialog);
    Command(f, IDM_LOG_ALERTS);
    return visit;
}

TEST(Alerts, NewsForThePlayerFlashesTheButtonWhileAnotherWindowIsInFront) {
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &RecordNcActivate, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    vek::win::UniqueWindow other(CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 600, 600,
                                                 200, 100, nullptr, nullptr, nullptr, nullptr));
    TempDir dir;
    const std::string log = dir.file("chat.txt");
    WriteBytes(log, kLead + "before the start\r\n");
    ClearSettings();
    PutSetting("Run Before", "True");
    PutSetting("Log", log);
    PutSetting("Flash On Pages", "maybe");  // damaged: its default, on
    PutSetting("Alert Words", "Tess, \"{}\x01 orrin");
    auto f = MakeForm();
    ASSERT_TRUE(f);
    f->StartLog();
    std::string burst;  // more than a block at once: old lines, caught up
    while (burst.size() < 70000) burst += kLead + "{Ann}\":\" chatter to catch up on\r\n";

    const struct {
        const char* name;
        std::function<void()> before;
        bool inFront;
        std::string lines;
        bool flashes;
    } cases[] = {
        {"a page", {}, false, kLead + "Bob pages you: are you there?\r\n", true},
        {"an alert word in any case", {}, false, kLead + "{Ann}\":\" hail ORRIN!\r\n", true},
        {"an alert word inside a longer one", {}, false, kLead + "{Ann}\":\" Orrinson\r\n", false},
        {"VekChat in front", {}, true, kLead + "Bob pages you: hi\r\n", false},
        {"a page at the end of a burst", {}, false, burst + kLead + "Bob pages you: hi\r\n", false},
        {"a page with flashing for pages ticked off",
         [&] { OpenAlertsDialog(*f, {false, false, "", L"orrin", true, false, true}); }, false,
         kLead + "Bob pages you: hi\r\n", false},
        {"the word still alerts", {}, false, kLead + "Bob pages you: hi orrin\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) c.before();
        SetForegroundWindow(c.inFront ? f->hWnd() : other.get());
        Pump(*f, 100);
        ASSERT_EQ(GetForegroundWindow() == f->hWnd(), c.inFront);
        ncActivated.clear();
        const int target = vek::win::CharCount(Display(*f)) + ShownCharCount(c.lines);
        AppendBytes(log, c.lines);
        ASSERT_TRUE(PumpUntil(*f, [&] { return vek::win::CharCount(Display(*f)) == target; }, 10000));
        Pump(*f, 100);
        EXPECT_EQ(std::count(ncActivated.begin(), ncActivated.end(), f->hWnd()) > 0, c.flashes);
    }
    UnhookWindowsHookEx(hook);
    f.reset();
    ClearSettings();
}

TEST(Alerts, TheDialogShowsTheSettingsAndKeepsWhatFitsTheRules) {
    ClearSettings();
    PutSetting("Run Before", "True");
    PutSetting("Alert Sound", "\x01");  // damaged: off
    auto f = MakeForm();
    ASSERT_TRUE(f);
    auto open = [&](DialogVisit v) { return OpenAlertsDialog(*f, v); };
    // Quotes, braces and control characters go; a word too long is cut to 32.
    const std::wstring typed = L"\"Orrin\", {Tess}aly\x01; " + std::wstring(40, L'k');
    DialogVisit v = open({false, false, "", typed, true, true, true});
    EXPECT_TRUE(v.flash) << "flashing for pages is on by default";
    EXPECT_FALSE(v.sound);
    EXPECT_EQ(v.words, "");
    const std::string kept = "Orrin, Tessaly, " + std::string(32, 'k');
    EXPECT_EQ(ReadSetting("Alert Words"), kept);
    EXPECT_EQ(ReadSetting("Flash On Pages"), "False");
    EXPECT_EQ(ReadSetting("Alert Sound"), "True");

    // The dialog shows what was kept; Cancel changes nothing.
    v = open({false, false, "", L"changed", true, true, false});
    EXPECT_FALSE(v.flash);
    EXPECT_TRUE(v.sound);
    EXPECT_EQ(v.words, kept);
    EXPECT_EQ(ReadSetting("Alert Words"), kept);
    f.reset();
    ClearSettings();
}

}  // namespace
