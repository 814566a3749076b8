// ctest-lock: registry
// The main window on the real Win32 controls: start-up from the settings,
// the state at creation, autostart, unload, layout.
#include <gtest/gtest.h>
#include <richedit.h>

#include "win/handles.h"
#include "win/registrysettings.h"
#include "core/shell_rules.h"
#include "support/winapp.h"
#include "win/text.h"

using namespace vektest;

namespace {

std::string MenuText(HMENU menu, UINT id) {
    wchar_t buf[512] = {};
    GetMenuStringW(menu, id, buf, 512, MF_BYCOMMAND);
    return vek::win::ToAnsi(buf);
}

bool Enabled(HMENU menu, UINT id) {
    return !(GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

RECT ChildRectTwips(frmChat& f, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, f.hWnd(), reinterpret_cast<POINT*>(&r), 2);
    int d = Dpi(f);
    return {vek::PixelsToTwips(r.left, d), vek::PixelsToTwips(r.top, d), vek::PixelsToTwips(r.right - r.left, d),
            vek::PixelsToTwips(r.bottom - r.top, d)};
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
};

TEST_F(AppTest, FirstRunWritesDefaultsAndOpensIdle) {
    auto f = MakeForm();
    ASSERT_TRUE(f);
    EXPECT_EQ(ReadSetting("Run Before"), "True");
    EXPECT_EQ(ReadSetting("Log"), "?");
    EXPECT_EQ(ReadSetting("Autostart Log"), "False");
    EXPECT_EQ(f->Settings().logFile, "");

    char caption[256];
    GetWindowTextA(f->hWnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Vek Chat v0.8 - By Orrin");
    EXPECT_EQ(MenuText(FileMenu(*f), IDM_FILE_CHANGELOG), "&Change Log - (none)\tCtrl+O");

    EXPECT_TRUE(IsWindowVisible(f->hWnd()));
    EXPECT_FALSE(Following(*f));
    EXPECT_FALSE(AutostartChecked(*f));
    EXPECT_FALSE(EditMenuEnabled(*f));
    EXPECT_TRUE(Enabled(LogMenu(*f), IDM_LOG_START));
    EXPECT_FALSE(Enabled(LogMenu(*f), IDM_LOG_STOP));
    for (HWND h : {Display(*f), ComposerBox(*f), TypeButton(*f), PageBox(*f)})
        EXPECT_FALSE(IsWindowEnabled(h));
    EXPECT_TRUE(IsWindowVisible(Display(*f)));
    EXPECT_TRUE(IsWindowVisible(ComposerBox(*f)));
    EXPECT_FALSE(IsWindowVisible(PageBox(*f)));

    // The display never stops taking text: its limit is raised, as Windows
    // would otherwise cut insertions at 32,767 characters.
    EXPECT_GT(SendMessageW(Display(*f), EM_GETLIMITTEXT, 0, 0), 1 << 30);

    // Creation layout: the client area is 4440 x 3375 twips.
    RECT client;
    GetClientRect(f->hWnd(), &client);
    EXPECT_NEAR(vek::PixelsToTwips(client.right, Dpi(*f)), 4440, 15);
    EXPECT_NEAR(vek::PixelsToTwips(client.bottom, Dpi(*f)), 3375, 15);
    RECT chat = ChildRectTwips(*f, Display(*f));
    EXPECT_NEAR(chat.right, 4455, 15);   // width
    EXPECT_NEAR(chat.bottom, 3015, 15);  // height
    RECT msg = ChildRectTwips(*f, ComposerBox(*f));
    EXPECT_NEAR(msg.left, 360, 15);
    EXPECT_NEAR(msg.top, 3000, 15);
    EXPECT_NEAR(msg.right, 4095, 15);
}

TEST_F(AppTest, StoredSettingsAreReadAndFirstRunBranchOverwrites) {
    PutSetting("Run Before", "True");
    PutSetting("Log", "C:\\games\\R&D chat.txt");
    PutSetting("Autostart Log", "false");
    auto f = MakeForm();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Settings().logFile, "C:\\games\\R&D chat.txt");
    EXPECT_FALSE(f->Settings().autostartLog);
    // The ampersand is shown, not taken as an access key.
    EXPECT_EQ(MenuText(FileMenu(*f), IDM_FILE_CHANGELOG), "&Change Log - (C:\\games\\R&&D chat.txt)\tCtrl+O");
    f.reset();

    ClearSettings();
    PutSetting("Run Before", "False");
    PutSetting("Log", "C:\\x.txt");
    PutSetting("Autostart Log", "True");
    f = MakeForm();
    EXPECT_EQ(f->Settings().logFile, "");
    EXPECT_FALSE(f->Settings().autostartLog);
    EXPECT_FALSE(Following(*f));
}

TEST_F(AppTest, AutostartFollowsAfterShowingAndChecksTheMenu) {
    PutSetting("Run Before", "True");
    PutSetting("Autostart Log", "True");
    auto f = MakeForm();
    ASSERT_TRUE(f);
    EXPECT_TRUE(AutostartChecked(*f));
    EXPECT_TRUE(Following(*f));
    EXPECT_TRUE(IsWindowVisible(f->hWnd()));
    EXPECT_TRUE(EditMenuEnabled(*f));
    EXPECT_FALSE(Enabled(LogMenu(*f), IDM_LOG_START));
    EXPECT_TRUE(Enabled(LogMenu(*f), IDM_LOG_STOP));
    for (HWND h : {Display(*f), ComposerBox(*f), TypeButton(*f), PageBox(*f)})
        EXPECT_TRUE(IsWindowEnabled(h));
    EXPECT_FALSE(IsWindowVisible(PageBox(*f)));  // only for pages

    // Autostart only changes what unload saves.
    Command(*f, IDM_LOG_AUTOSTART);
    EXPECT_FALSE(AutostartChecked(*f));
    EXPECT_TRUE(Following(*f));
}

// The window shows before following enables the composer: the keys a player
// types at once still go into it.
TEST_F(AppTest, WithAutostartTheFirstKeysTypedGoIntoTheComposer) {
    TempDir dir;
    const std::string log = dir.file("chat.txt");
    WriteBytes(log, "");
    PutSetting("Run Before", "True");
    PutSetting("Log", log);
    PutSetting("Autostart Log", "True");
    auto f = std::make_unique<frmChat>(vek::ReadSettings(Store()), Store());
    ASSERT_TRUE(f->Create(GetModuleHandleW(nullptr)));
    ASSERT_EQ(GetForegroundWindow(), f->hWnd());
    std::vector<INPUT> keys;
    for (const WORD vk : {'H', 'I'}) {
        for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = up;
            keys.push_back(in);
        }
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)), keys.size());
    EXPECT_TRUE(PumpUntil(*f, [&] { return ReadText(ComposerBox(*f)) == "hi"; }, 3000))
        << "the composer has \"" << ReadText(ComposerBox(*f)) << '"';
    EXPECT_EQ(GetFocus(), ComposerBox(*f));

    // A player gone to another window stays there when following starts.
    Command(*f, IDM_LOG_STOP);
    vek::win::UniqueWindow other(CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 300,
                                                 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    SetForegroundWindow(other.get());
    SetActiveWindow(other.get());
    PumpPending(f.get());
    ASSERT_EQ(GetForegroundWindow(), other.get());
    Command(*f, IDM_LOG_START);
    PumpPending(f.get());
    EXPECT_EQ(GetForegroundWindow(), other.get());
    EXPECT_EQ(GetFocus(), other.get());
}

TEST_F(AppTest, UnloadSavesLogAndAutostartButNotRunBefore) {
    PutSetting("Run Before", "1");  // a number counts as a Boolean
    PutSetting("Log", "C:\\a.txt");
    auto f = MakeForm();
    ASSERT_TRUE(f);
    PutSetting("Log", "C:\\changed by another.txt");  // unload writes the window's own
    Command(*f, IDM_LOG_AUTOSTART);
    Command(*f, IDM_FILE_EXIT);
    EXPECT_FALSE(f->IsAlive());
    EXPECT_EQ(ReadSetting("Log"), "C:\\a.txt");
    EXPECT_EQ(ReadSetting("Autostart Log"), "True");
    EXPECT_EQ(ReadSetting("Run Before"), "1");

    // Closing by the close button takes the same road.
    f = MakeForm();
    SendMessageW(f->hWnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(f->IsAlive());
    EXPECT_EQ(ReadSetting("Autostart Log"), "True");
}

TEST_F(AppTest, GarbageSettingsNeverStopStartUp) {
    const std::string huge(100000, 'x');
    PutSetting("Run Before", huge);
    auto f = MakeForm();
    ASSERT_TRUE(f);
    EXPECT_EQ(ReadSetting("Run Before"), huge);  // not understood: counts as having run, left alone
    f.reset();

    // Values of the wrong type and binary junk read as absent.
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, vek::win::kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    const BYTE junk[] = {0xFF, 0x00, 0x13, 0x80};
    RegSetValueExA(k, "Run Before", 0, REG_BINARY, junk, sizeof junk);
    DWORD one = 1;
    RegSetValueExA(k, "Log", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegSetValueExA(k, "Autostart Log", 0, REG_SZ, reinterpret_cast<const BYTE*>("maybe"), 6);
    RegCloseKey(k);
    f = MakeForm();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Settings().logFile, "");
    EXPECT_FALSE(Following(*f));
}

TEST_F(AppTest, ResizeFollowsTheClientAreaAndMinimiseLeavesIt) {
    auto f = MakeForm();
    ASSERT_TRUE(f);
    SetWindowPos(f->hWnd(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    PumpPending(f.get());
    RECT client;
    GetClientRect(f->hWnd(), &client);
    const int d = Dpi(*f);
    const int w = vek::PixelsToTwips(client.right, d), h = vek::PixelsToTwips(client.bottom, d);
    RECT chat = ChildRectTwips(*f, Display(*f));
    EXPECT_NEAR(chat.right, w + 15, 15);
    EXPECT_NEAR(chat.bottom, h - 360, 15);
    RECT msg = ChildRectTwips(*f, ComposerBox(*f));
    EXPECT_NEAR(msg.top, h - 375, 15);
    EXPECT_NEAR(msg.right, w + 15 - 360, 15);
    RECT btn = ChildRectTwips(*f, TypeButton(*f));
    EXPECT_NEAR(btn.top, h - 390, 15);
    EXPECT_NEAR(btn.left, 0, 15);

    ShowWindow(f->hWnd(), SW_MINIMIZE);
    PumpPending(f.get());
    RECT chatAfter = ChildRectTwips(*f, Display(*f));
    EXPECT_EQ(chatAfter.right, chat.right);
    EXPECT_EQ(chatAfter.bottom, chat.bottom);

    // Dragged to the smallest size: nothing goes negative, nothing fails.
    ShowWindow(f->hWnd(), SW_RESTORE);
    SetWindowPos(f->hWnd(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);
    PumpPending(f.get());
    RECT tiny = ChildRectTwips(*f, Display(*f));
    EXPECT_GE(tiny.right, 0);
    EXPECT_GE(tiny.bottom, 0);
    EXPECT_TRUE(f->IsAlive());
}

}  // namespace
