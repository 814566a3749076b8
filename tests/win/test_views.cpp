// ctest-lock: registry
// The View menu (lines by kind, always on top), File > Save Chat As and the
// file written whole, on the real menus, windows and file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "game_formats.h"
#include "support/winapp.h"
#include "win/richedit.h"
#include "win/text.h"
#include "win/wholefile.h"

using namespace vektest;

namespace {

HMENU ViewMenu(const frmChat& f) { return ::GetSubMenu(::GetMenu(f.hWnd()), kViewMenu); }

// A drop-down's items as "text" (a separator as "-"), marked "[x]" when
// checked and "[grey]" when greyed.
std::vector<std::string> Items(HMENU menu) {
    std::vector<std::string> out;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        const UINT st = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (st & MF_SEPARATOR) {
            out.push_back("-");
            continue;
        }
        wchar_t buf[256] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), buf, 256, MF_BYPOSITION);
        std::string item = vek::win::ToAnsi(buf);
        if (st & MF_CHECKED) item += " [x]";
        if (st & MF_GRAYED) item += " [grey]";
        out.push_back(item);
    }
    return out;
}

bool Topmost(const frmChat& f) { return (::GetWindowLongPtrW(f.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

std::string ReadFileBytes(const std::string& path) {
    std::string out;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    ::CloseHandle(h);
    return out;
}

// The names in a folder.
std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::string n = fd.cFileName;
        if (n != "." && n != "..") out.push_back(n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return out;
}

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
    std::unique_ptr<frmChat> Form() {
        PutSetting("Run Before", "True");
        return MakeForm();
    }
};

TEST_F(ViewsTest, TheMenusKeepTheirOrderAndTheViewMenuComesAfterLog) {
    auto f = Form();
    ASSERT_TRUE(f);
    wchar_t title[32] = {};
    ::GetMenuStringW(::GetMenu(f->hWnd()), kViewMenu, title, 32, MF_BYPOSITION);
    EXPECT_STREQ(title, L"&View");
    EXPECT_EQ(::GetMenuItemCount(::GetMenu(f->hWnd())), 4);
    EXPECT_EQ(Items(FileMenu(*f)), (std::vector<std::string>{"&Change Log - (none)\tCtrl+O", "-",
                                                             "Save Chat &As...\tCtrl+S", "Save &Times With Chat",
                                                             "-", "E&xit"}));
    EXPECT_EQ(Items(ViewMenu(*f)),
              (std::vector<std::string>{"Pages &Pane\tCtrl+Shift+P", "-", "&Chat Lines [x]",
                                        "Pa&ge Lines [x]", "&Other Lines [x]", "-", "Always on &Top"}));
}

TEST_F(ViewsTest, TheKindsTickedAndTheTimesOptionAreKeptForTheNextStart) {
    auto f = Form();
    ASSERT_TRUE(f);
    Command(*f, IDM_VIEW_PAGELINES);
    Command(*f, IDM_VIEW_OTHERLINES);
    Command(*f, IDM_VIEW_OTHERLINES);  // ticked back
    Command(*f, IDM_FILE_SAVETIMES);
    EXPECT_EQ(ReadSetting("Show Page Lines"), "False");
    EXPECT_EQ(ReadSetting("Show Other Lines"), "True");
    Command(*f, IDM_FILE_EXIT);
    f = MakeForm();
    ASSERT_TRUE(f);
    EXPECT_EQ(Items(ViewMenu(*f))[3], "Pa&ge Lines");
    EXPECT_EQ(Items(ViewMenu(*f))[2], "&Chat Lines [x]");
    EXPECT_EQ(Items(ViewMenu(*f))[4], "&Other Lines [x]");
    EXPECT_EQ(Items(FileMenu(*f))[3], "Save &Times With Chat [x]");
}

TEST_F(ViewsTest, AlwaysOnTopPutsTheWindowAboveOthersAndComesBackAtStart) {
    auto f = Form();
    ASSERT_TRUE(f);
    EXPECT_FALSE(Topmost(*f));
    const std::vector<HWND> tips = OwnedWindows(*f, TOOLTIPS_CLASSW);
    EXPECT_EQ(tips.size(), 3u);  // the type button's and the line times' of display and pane
    Command(*f, IDM_VIEW_ALWAYSONTOP);
    EXPECT_TRUE(Topmost(*f));
    EXPECT_EQ(Items(ViewMenu(*f))[6], "Always on &Top [x]");
    // The tooltips were let go for the call only.
    for (HWND tip : tips) EXPECT_EQ(::GetWindow(tip, GW_OWNER), f->hWnd());
    Command(*f, IDM_VIEW_ALWAYSONTOP);
    EXPECT_FALSE(Topmost(*f));
    EXPECT_EQ(ReadSetting("Always On Top"), "False");
    Command(*f, IDM_VIEW_ALWAYSONTOP);
    Command(*f, IDM_FILE_EXIT);
    f = MakeForm();
    ASSERT_TRUE(f);
    EXPECT_TRUE(Topmost(*f));
    EXPECT_EQ(Items(ViewMenu(*f))[6], "Always on &Top [x]");
}

// ------------------------------------------------------ the pages pane, kinds

HWND Pane(const frmChat& f) { return ::GetDlgItem(f.hWnd(), IDC_PAGES); }

// The top of a window in its parent's client area.
int TopOf(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    ::MapWindowPoints(nullptr, ::GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

TEST_F(ViewsTest, ThePagesPaneAnswersAPageAndHiddenKindsComeBackInTheirPlaces) {
    TempDir dir;
    const std::string log = dir.file("chat.txt");
    AppendBytes(log, "");
    auto f = MakeFollowingForm(log);
    ASSERT_TRUE(f);
    const std::vector<std::string> echo = fakegame::EchoBodies("/\"Dahlia\" see you");
    const std::string say = fakegame::LogLine({}, fakegame::SayLine("Aldric", "hello {all}"));
    const std::string page = fakegame::LogLine({}, fakegame::PageInLine("Corvin", "psst"));
    const std::string channel = fakegame::LogLine({}, fakegame::ChannelLine("Guild", "Brenna", "40 gold"));
    const std::string sent = fakegame::LogLine({}, echo.at(0)) + fakegame::LogLine({}, echo.at(1));
    const std::string bytes = say + page + channel + sent;
    const std::string all = ShownText(bytes), pages = ShownText(page + sent);
    ASSERT_EQ(pages, "Corvin pages you: psst\rPaged Dahlia.\rYou page Dahlia: see you\r");
    AppendBytes(log, bytes);
    ASSERT_TRUE(PumpUntil(*f, [&] { return ReadText(Display(*f)) == all; })) << ReadText(Display(*f));

    // Ctrl+Shift+P shows the pane with the pages, in the display's colours, and focuses it.
    PressKey(*f, ComposerBox(*f), 'P', true, true);
    ASSERT_TRUE(::IsWindowVisible(Pane(*f)));
    EXPECT_EQ(Items(ViewMenu(*f))[0], "Pages &Pane\tCtrl+Shift+P [x]");
    EXPECT_EQ(::GetFocus(), Pane(*f));
    EXPECT_EQ(ReadText(Pane(*f)), pages);
    EXPECT_EQ(ReadColored(Pane(*f)).front().color, vek::PageInColor);

    // Enter on the first page answers its sender; a double click on the last
    // answers the player paged; the focus goes to the composer each time.
    vek::win::SetSel(Pane(*f), 3, 3);
    PressKey(*f, Pane(*f), VK_RETURN);
    EXPECT_TRUE(::IsWindowVisible(PageBox(*f)));
    EXPECT_EQ(vek::win::ToAnsi(vek::win::WindowTextWide(PageBox(*f))), "Corvin");
    EXPECT_EQ(::GetFocus(), ComposerBox(*f));
    const int lastLine = static_cast<int>(ReadText(Pane(*f)).rfind("You"));
    POINTL at{};
    ::SendMessageW(Pane(*f), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), lastLine + 2);
    ::SendMessageW(Pane(*f), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x + 1, at.y + 2));
    PumpPending(f.get());
    EXPECT_EQ(vek::win::ToAnsi(vek::win::WindowTextWide(PageBox(*f))), "Dahlia");
    EXPECT_EQ(::GetFocus(), ComposerBox(*f));

    // Pages unticked leave the display, never the pane; ticked back they are where they were.
    Command(*f, IDM_VIEW_PAGELINES);
    EXPECT_EQ(ReadText(Display(*f)), ShownText(say + channel));
    EXPECT_EQ(SessionLineCount(*f), 2) << "the scroll bar stands for what shows";
    EXPECT_EQ(ReadText(Pane(*f)), pages);
    Command(*f, IDM_VIEW_PAGELINES);
    EXPECT_EQ(ReadText(Display(*f)), all);

    // The splitter dragged up 30 pixels makes the pane taller by as much.
    const int paneTop = TopOf(Pane(*f)), split = TopOf(Pane(*f)) - 2;
    ::SendMessageW(f->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, split));
    ::SendMessageW(f->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, split - 30));
    ::SendMessageW(f->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, split - 30));
    EXPECT_EQ(TopOf(Pane(*f)), paneTop - 30);

    // Shown and its height come back with the window's place.
    RECT before{};
    ::GetWindowRect(Pane(*f), &before);
    Command(*f, IDM_FILE_EXIT);
    EXPECT_EQ(ReadSetting("Pages Pane"), "True");
    f = MakeForm();
    ASSERT_TRUE(f);
    EXPECT_TRUE(::IsWindowVisible(Pane(*f)));
    RECT after{};
    ::GetWindowRect(Pane(*f), &after);
    EXPECT_NEAR(after.bottom - after.top, before.bottom - before.top, 1);
    Command(*f, IDM_VIEW_PAGESPANE);
    EXPECT_FALSE(::IsWindowVisible(Pane(*f)));
}

// ------------------------------------------------------------ Save Chat As

// Answers the next "Save Chat As" dialog from its own thread, as a player
// would: the folder it opened in is noted, `name` typed into its file-name
// box, Save pressed. Whatever is left open is cancelled in the end.
class SaveDialogDriver {
public:
    explicit SaveDialogDriver(std::string name) : name_(std::move(name)), thread_([this] { Run(); }) {}
    ~SaveDialogDriver() { Wait(); }
    SaveDialogDriver(const SaveDialogDriver&) = delete;
    SaveDialogDriver& operator=(const SaveDialogDriver&) = delete;
    void Wait() {
        if (thread_.joinable()) thread_.join();
    }
    // After Wait:
    bool SawDialog() const { return found_; }
    std::string OfferedName() const { return offered_; }

private:
    void Run() {
        HWND dlg = nullptr;
        for (int i = 0; i < 1500 && !dlg; ++i) {
            dlg = ::FindWindowA("#32770", "Save Chat As");
            if (!dlg) ::Sleep(10);
        }
        if (!dlg) return;
        found_ = true;
        // A busy machine may still be filling the dialog: the name goes in
        // again until Save takes it.
        for (int attempt = 0; attempt < 5 && ::IsWindow(dlg); ++attempt) {
            ::Sleep(200 + 300 * attempt);
            HWND box = nullptr;
            for (int id : {0x47c /* cmb13 */, 0x480 /* edt1 */})
                if (HWND c = ::GetDlgItem(dlg, id); c && ::IsWindowVisible(c) && !box) box = c;
            if (!box) continue;
            if (offered_.empty()) {
                char offered[MAX_PATH] = {};
                ::GetWindowTextA(box, offered, sizeof offered);
                offered_ = offered;
            }
            ::SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name_.c_str()));
            ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(dlg, IDOK)));
            for (int i = 0; i < 100 && ::IsWindow(dlg); ++i) ::Sleep(10);
        }
        for (int round = 0; round < 5 && ::IsWindow(dlg); ++round) {
            ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
            ::Sleep(500);
        }
    }

    std::string name_;
    std::string offered_;
    std::atomic<bool> found_{false};
    std::thread thread_;
};

TEST_F(ViewsTest, SaveChatAsWritesTheShownKindsInTheFormatTheNameSays) {
    TempDir dir;
    auto f = Form();
    ASSERT_TRUE(f);
    f->AppendData("[2026-12-07 11:30:05] [\"CC Ann] \"hello\" caf\xe9\r\n");
    f->AppendData("[2026-12-07 11:30:06] Bob pages you: psst\r\n");
    f->AppendData("[2026-12-07 11:30:07] The sun sets.\r\n");
    Command(*f, IDM_VIEW_PAGELINES);  // pages not shown: not saved
    Command(*f, IDM_FILE_SAVETIMES);
    const struct {
        const char* name;
        const char* file;  // what the dialog's answer makes of it
        const char* starts;
        const char* holds;
    } cases[] = {
        {"evening.txt", "evening.txt", "[2026-12-07 11:30:05] [CC Ann] hello caf\xe9\r\n",
         "[2026-12-07 11:30:07] The sun sets.\r\n"},
        // No extension typed: the type chosen in the list (rich text, the first).
        {"evening", "evening.rtf", "{\\rtf1\\ansi",
         "\\cf1 [2026-12-07 11:30:05] [\\cf2 CC Ann] \\cf1 hello\\cf2  caf\\'e9\\par"},
        {"evening.html", "evening.html", "<!DOCTYPE html>", "<span class=\"c2\"> caf\xc3\xa9</span>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            SaveDialogDriver driver(dir.file(c.name));
            Command(*f, IDM_FILE_SAVECHAT);
            PumpPending(f.get());
            driver.Wait();
            EXPECT_TRUE(driver.SawDialog());
            if (std::string(c.name) == "evening.txt") {
                EXPECT_EQ(driver.OfferedName().rfind("VekChat 20", 0), 0u) << driver.OfferedName();
            }
        }
        const std::string saved = ReadFileBytes(dir.file(c.file));
        EXPECT_EQ(saved.rfind(c.starts, 0), 0u) << saved.substr(0, 200);
        EXPECT_NE(saved.find(c.holds), std::string::npos) << saved.substr(0, 400);
        EXPECT_EQ(saved.find("psst"), std::string::npos);
    }
    // The rich text reads back in a RichEdit (WordPad's control) in the display's colours.
    HWND re = ::CreateWindowExW(0, vek::win::RichEditClass(), L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_TRUE(re);
    vek::win::SetRtf(re, ReadFileBytes(dir.file("evening.rtf")));
    const std::vector<ColoredChar> read = ReadColored(re);
    std::string text;
    for (const ColoredChar& c : read) text += c.ch;
    EXPECT_EQ(text.rfind("[2026-12-07 11:30:05] [CC Ann] hello caf\xe9\r[2026-12-07 11:30:07] The sun sets.", 0), 0u)
        << text;
    ASSERT_GT(read.size(), 42u);
    EXPECT_EQ(read[22].color, vek::NormalColor);  // "["
    EXPECT_EQ(read[23].color, vek::QuoteColor);   // "C"
    EXPECT_EQ(read[42].color, vek::OtherColor);   // the next line's time
    ::DestroyWindow(re);

    // The folder saved to is offered next time.
    EXPECT_EQ(ReadSetting("Save Folder"), dir.path());
}

// ---------------------------------------------------------------- whole file

DWORD Write(const std::string& path, const std::vector<std::string>& pieces, bool fail = false) {
    return vek::win::WriteFileWhole(vek::win::ToWide(path), [&](vek::ByteSink& sink) {
        for (const std::string& p : pieces)
            if (!sink.Write(p)) return false;
        return !fail;
    });
}

TEST(WholeFile, ReplacesAFileWholeOrLeavesItAsItWas) {
    TempDir dir;
    const std::string target = dir.file("chat.txt");
    WriteBytes(target, std::string(100000, 'o'));  // longer than what replaces it
    EXPECT_EQ(Write(target, {"new ", "text"}), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadFileBytes(target), "new text");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"chat.txt"});

    // A writer that fails part-way: the old file stays, nothing else is left.
    EXPECT_NE(Write(target, {"half"}, true), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadFileBytes(target), "new text");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"chat.txt"});

    // A read-only target.
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Write(target, {"other"}), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFileBytes(target), "new text");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"chat.txt"});
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A folder that is not there.
    EXPECT_NE(Write(dir.file("gone\\chat.txt"), {"x"}), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"chat.txt"});
}

}  // namespace
