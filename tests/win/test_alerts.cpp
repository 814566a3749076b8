// ctest-lock: registry
// Alerts on the real window: which lines flash the taskbar button while
// another window is in front, as the stored settings and the Log > Alerts
// dialog set them.
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

// The Alerts dialog as the player leaves it: what it showed, then the words
// typed over, flashing for pages ticked off, and OK.
struct DialogVisit {
    bool flash = false, sound = false;
    std::string words;
    std::wstring type;
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
    SendDlgItemMessageW(dlg, IDC_ALERT_FLASH, BM_CLICK, 0, 0);
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
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
    PutSetting("Alert Sound", "\x01");  // damaged: off
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
        {"a page with flashing for pages ticked off in Log > Alerts...",
         [&] {
             visit.type = L"\"Orrin\", {x}y";  // markup cannot be part of a word
             SetTimer(nullptr, 0, 50, &FillAlertsDialog);
             Command(*f, IDM_LOG_ALERTS);  // returns when the dialog is closed
         },
         false, kLead + "Bob pages you: hi\r\n", false},
        {"the word still alerts", {}, false, kLead + "Bob pages you: hi orrin\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) c.before();
        // The activation and its own messages come and go first. On a busy machine
        // the X server's focus news of an earlier activation can arrive late and
        // take the front back, so ask again until the window stays there.
        const auto inFront = [&] { return (GetForegroundWindow() == f->hWnd()) == c.inFront; };
        for (int tries = 0; tries < 20; ++tries) {
            if (!inFront()) SetForegroundWindow(c.inFront ? f->hWnd() : other.get());
            PumpUntil(*f, inFront, 500);
            Pump(*f, 300);
            if (inFront()) break;
        }
        ASSERT_TRUE(inFront());
        ncActivated.clear();
        // The display shows the last of the lines (a burst's first ones may have left it).
        const std::size_t cut = c.lines.rfind("\r\n", c.lines.size() - 3);
        const std::string last = ShownText(c.lines.substr(cut == std::string::npos ? 0 : cut + 2));
        const std::string before = ReadText(Display(*f));
        AppendBytes(log, c.lines);
        ASSERT_TRUE(PumpUntil(*f, [&] {
            const std::string now = ReadText(Display(*f));
            return now != before && now.ends_with(last);
        }, 10000));
        Pump(*f, 100);
        EXPECT_EQ(std::count(ncActivated.begin(), ncActivated.end(), f->hWnd()) > 0, c.flashes);
    }
    UnhookWindowsHookEx(hook);
    // The dialog showed the settings start-up read, the damaged ones as their defaults.
    EXPECT_TRUE(visit.flash);
    EXPECT_FALSE(visit.sound);
    EXPECT_EQ(visit.words, "Tess, orrin");
    EXPECT_EQ(ReadSetting("Flash On Pages"), "False");
    EXPECT_EQ(ReadSetting("Alert Words"), "Orrin, xy");
    EXPECT_EQ(ReadSetting("Alert Sound"), "False");
    f.reset();
    ClearSettings();
}

}  // namespace
