// ctest-lock: registry
// File > Change Log with the real open-file dialog, driven from a second
// thread the way a user would: a name typed into it, OK or Cancel.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "log/opendialog.h"
#include "support/winapp.h"
#include "win/text.h"

using namespace vektest;

namespace {

std::string MenuText(HMENU menu, UINT id) {
    wchar_t buf[1024] = {};
    ::GetMenuStringW(menu, id, buf, 1024, MF_BYCOMMAND);
    return vek::win::ToAnsi(buf);
}

std::string Caption(const std::string& shown) {
    return "&Change Log - (" + shown + ")\tCtrl+O";
}

std::string ClassOf(HWND w) {
    char cls[64] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    return cls;
}

// Answers the next "Choose Log File" dialog from its own thread: types `name`
// into its file-name box and presses OK, or presses Cancel when `name` is
// empty. Whatever the dialog does, it is closed in the end, so the test
// never waits on it for ever.
class DialogDriver {
public:
    explicit DialogDriver(std::string name) : name_(std::move(name)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~DialogDriver() {
        if (thread_.joinable()) thread_.join();
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    bool SawDialog() const { return found_; }
    std::string Title() const { return title_; }

private:
    static HWND FindDialog() { return ::FindWindowA("#32770", "Choose Log File"); }

    // The box the file name is typed into: an edit, or a combo box with one.
    static HWND NameBox(HWND dlg) {
        for (int id : {0x47c /* cmb13 */, 0x480 /* edt1 */}) {
            if (HWND c = ::GetDlgItem(dlg, id); c && ::IsWindowVisible(c)) return c;
        }
        return nullptr;
    }

    void Run() {
        HWND dlg = nullptr;
        for (int i = 0; i < 1500 && !dlg; ++i) {
            dlg = FindDialog();
            if (!dlg) ::Sleep(10);
        }
        if (!dlg) return;
        found_ = true;
        char t[128] = {};
        ::GetWindowTextA(dlg, t, sizeof t);
        title_ = t;
        ::Sleep(200);  // let it finish filling its lists
        HWND box = NameBox(dlg);
        if (!name_.empty() && box) {
            ::SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name_.c_str()));
            ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(dlg, IDOK)));
        } else {
            ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(dlg, IDCANCEL)));
        }
        // A refusal (a message box over the dialog) or a dialog that stays:
        // close whatever is left.
        for (int i = 0; i < 300 && ::IsWindow(dlg); ++i) ::Sleep(10);
        for (int round = 0; round < 5 && ::IsWindow(dlg); ++round) {
            ::EnumThreadWindows(
                ::GetWindowThreadProcessId(dlg, nullptr),
                [](HWND w, LPARAM) -> BOOL {
                    if (ClassOf(w) == "#32770") ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
                    return TRUE;
                },
                0);
            ::Sleep(500);
        }
    }

    std::string name_;
    std::thread thread_;
    std::atomic<bool> found_{false};
    std::string title_;
};

class ChangeLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        ::GetCurrentDirectoryA(MAX_PATH, savedDir_);
    }
    void TearDown() override {
        ::SetCurrentDirectoryA(savedDir_);
        ClearSettings();
    }
    // A form following `log`, or idle with it chosen.
    std::unique_ptr<frmChat> Form(const std::string& log, bool following) {
        PutSetting("Run Before", "True");
        PutSetting("Log", log);
        auto f = MakeForm();
        if (f && following) {
            f->StartLog();
            PumpPending(f.get());
        }
        return f;
    }
    // Runs the command with the dialog answered by `name` ("" = Cancel).
    void ChangeLog(frmChat& f, const std::string& name) {
        DialogDriver driver(name);
        Command(f, IDM_FILE_CHANGELOG);
        PumpPending(&f);
        EXPECT_TRUE(driver.SawDialog());
    }
    char savedDir_[MAX_PATH] = {};
};

TEST_F(ChangeLogTest, CancelChangesNothingWhetherFollowingOrNot) {
    TempDir dir;
    const std::string old = dir.file("old.txt");
    WriteBytes(old, "");
    for (bool following : {false, true}) {
        auto f = Form(old, following);
        ASSERT_TRUE(f);
        DialogDriver driver("");
        Command(*f, IDM_FILE_CHANGELOG);
        EXPECT_TRUE(driver.SawDialog());
        EXPECT_EQ(driver.Title(), "Choose Log File");
        EXPECT_EQ(f->Settings().logFile, old);
        EXPECT_EQ(MenuText(FileMenu(*f), IDM_FILE_CHANGELOG), Caption(old));
        EXPECT_EQ(Following(*f), following);
        EXPECT_EQ(::IsWindowEnabled(ComposerBox(*f)) != FALSE, following);
    }
}

TEST_F(ChangeLogTest, ChoosingWhileIdleStoresThePathAndDoesNotStartFollowing) {
    TempDir dir;
    const std::string chosen = dir.file("chosen.txt");
    WriteBytes(chosen, "");
    auto f = Form("", false);
    ASSERT_TRUE(f);
    EXPECT_EQ(MenuText(FileMenu(*f), IDM_FILE_CHANGELOG), Caption("none"));
    ChangeLog(*f, chosen);
    EXPECT_EQ(f->Settings().logFile, chosen);
    EXPECT_EQ(MenuText(FileMenu(*f), IDM_FILE_CHANGELOG), Caption(chosen));
    EXPECT_FALSE(Following(*f));
    EXPECT_FALSE(MenuItemEnabled(*f, IDM_LOG_STOP));
}

TEST_F(ChangeLogTest, ChoosingWhileFollowingFollowsTheNewFile) {
    TempDir dir;
    const std::string old = dir.file("old.txt"), chosen = dir.file("new.txt");
    WriteBytes(old, "");
    WriteBytes(chosen, "");
    auto f = Form(old, true);
    ASSERT_TRUE(f);
    // Ctrl+O, as the user would ask for it.
    {
        DialogDriver driver(chosen);
        PressKey(*f, ComposerBox(*f), 'O', false, true);
        EXPECT_TRUE(driver.SawDialog());
    }
    EXPECT_EQ(f->Settings().logFile, chosen);
    EXPECT_EQ(MenuText(FileMenu(*f), IDM_FILE_CHANGELOG), Caption(chosen));
    EXPECT_TRUE(Following(*f));
    EXPECT_TRUE(MenuItemEnabled(*f, IDM_LOG_STOP));
    EXPECT_FALSE(MenuItemEnabled(*f, IDM_LOG_START));
    for (HWND h : {Display(*f), ComposerBox(*f), TypeButton(*f)}) EXPECT_TRUE(::IsWindowEnabled(h));

    // What the game writes now reaches the display from the new file only.
    const std::string lead = "[2026-12-07 11:30:05] ";
    AppendBytes(old, lead + "from the old log\r\n");
    AppendBytes(chosen, lead + "from the new log\r\n");
    EXPECT_TRUE(PumpUntil(*f, [&] { return ReadText(Display(*f)).find("from the new log") != std::string::npos; }));
    EXPECT_EQ(ReadText(Display(*f)).find("from the old log"), std::string::npos);
}

TEST_F(ChangeLogTest, DialogStartsInTheFolderAskedFor) {
    TempDir here, there;
    WriteBytes(here.file("here.txt"), "");
    WriteBytes(there.file("there.txt"), "");
    ASSERT_TRUE(::SetCurrentDirectoryA(here.path().c_str()));
    auto f = Form("", false);
    ASSERT_TRUE(f);
    const char* filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";
    {
        DialogDriver driver("there.txt");
        EXPECT_EQ(vek::ShowOpenDialog(f->hWnd(), "Choose Log File", filter, there.path(), "txt"),
                  there.file("there.txt"));
    }
    // The dialog leaves the process in the folder it was last in.
    ASSERT_TRUE(::SetCurrentDirectoryA(here.path().c_str()));
    {
        DialogDriver driver("here.txt");
        EXPECT_EQ(vek::ShowOpenDialog(f->hWnd(), "Choose Log File", filter, "[USE CURDIR]", "txt"),
                  here.file("here.txt"));
    }
    {
        DialogDriver driver("");
        EXPECT_EQ(vek::ShowOpenDialog(f->hWnd(), "Choose Log File", filter, there.path(), "txt"), "");
    }
}

TEST_F(ChangeLogTest, AmpersandInThePathIsShownNotTakenAsAnAccessKey) {
    TempDir dir;
    const std::string chosen = dir.file("R&D chat.txt");
    WriteBytes(chosen, "");
    auto f = Form("", false);
    ASSERT_TRUE(f);
    ChangeLog(*f, chosen);
    EXPECT_EQ(f->Settings().logFile, chosen);
    EXPECT_EQ(MenuText(FileMenu(*f), IDM_FILE_CHANGELOG), Caption(dir.file("R&&D chat.txt")));
}

TEST_F(ChangeLogTest, PathOf254CharactersIsTakenWhole) {
    TempDir dir;
    // A folder whose name pads the full path of "x.txt" to exactly 254 characters.
    const size_t pad = 254 - (dir.path().size() + 1 + 1 + std::string("x.txt").size());
    ASSERT_LT(pad, 250u);
    const std::string folder = dir.file(std::string(pad, 'p'));
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    const std::string chosen = folder + "\\x.txt";
    ASSERT_EQ(chosen.size(), 254u);
    WriteBytes(chosen, "");
    auto f = Form("", false);
    ASSERT_TRUE(f);
    ChangeLog(*f, chosen);
    EXPECT_EQ(f->Settings().logFile, chosen);
    ::DeleteFileA(chosen.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

}  // namespace
