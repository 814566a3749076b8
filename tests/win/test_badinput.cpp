// ctest-lock: registry clipboard gamewindow
// Bad input, all at once: everything an outsider controls, walked table by
// table on the real window. Settings values of every wrong kind, log bytes
// and log paths of every awkward kind, composer contents and page targets of
// every byte, and a game that goes away in the middle of a message. The
// program must not crash, must not hang (every wait here is bounded), and
// must not lose a line it has read.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>

#include "win/registrysettings.h"
#include "support/clipboard.h"
#include "support/gamewindow.h"
#include "support/process.h"
#include "compose/gametyper.h"
#include "support/winapp.h"
#include "win/handles.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vektest;

namespace {

const std::string kLead = "[2026-12-07 11:30:05] ";
std::string Line(const std::string& shown) { return kLead + shown + "\r\n"; }

// A long text as its length and its first characters, for messages.
std::string Brief(const std::string& s) {
    return std::to_string(s.size()) + " bytes: " + s.substr(0, 60);
}

// ------------------------------------------------------------ settings

// Writes a setting of any type and content, as another program might.
void PutRaw(const char* key, DWORD type, const std::string& bytes) {
    HKEY raw = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, vek::win::kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                                nullptr),
              ERROR_SUCCESS);
    vek::win::UniqueKey k(raw);
    ASSERT_EQ(::RegSetValueExA(k.get(), key, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

struct BadValue {
    const char* name;
    DWORD type;
    std::string bytes;
};

std::vector<BadValue> BadValues() {
    const std::string huge(1 << 20, 'T');
    const DWORD one = 1;
    return {
        {"empty", REG_SZ, std::string("\0", 1)},
        {"huge (1 MB)", REG_SZ, "True" + huge + std::string("\0", 1)},
        {"binary", REG_BINARY, std::string("True\0\xff\x01", 7)},
        {"REG_DWORD", REG_DWORD, std::string(reinterpret_cast<const char*>(&one), 4)},
        {"REG_MULTI_SZ", REG_MULTI_SZ, std::string("True\0False\0\0", 12)},
    };
}

// Every key, every bad kind: the window opens and works, and each bad value
// counts as absent, but for "Run Before": an empty one is a first run, which
// writes the defaults again, and any other damaged one counts as having run,
// so the player's settings stay. A bad "Log" means no log; a bad "Autostart
// Log", no autostart.
TEST(BadInput, SettingsValuesOfEveryWrongKind) {
    TempDir dir;
    const std::string log = dir.file("chat.log");
    WriteBytes(log, "");
    const char* keys[] = {"Run Before", "Log", "Autostart Log"};
    for (const char* key : keys) {
        for (const BadValue& bad : BadValues()) {
            SCOPED_TRACE(std::string(key) + " " + bad.name);
            ClearSettings();
            PutSetting("Run Before", "True");
            PutSetting("Log", log);
            PutSetting("Autostart Log", "True");
            PutRaw(key, bad.type, bad.bytes);
            auto form = MakeForm();
            ASSERT_TRUE(form);
            const std::string k = key;
            if (k == "Run Before" && bad.bytes.size() <= 1) {
                EXPECT_EQ(form->Settings().logFile, "");
                EXPECT_FALSE(Following(*form));
                EXPECT_EQ(ReadSetting("Run Before"), "True");  // repaired as on a first run
            } else if (k == "Run Before") {
                EXPECT_EQ(form->Settings().logFile, log);  // the player's settings stay
                EXPECT_TRUE(Following(*form));
            } else if (k == "Log") {
                // A huge string is still a string: taken as the path, which
                // then opens nothing.
                const bool text = bad.type == REG_SZ && bad.bytes.size() > 1;
                EXPECT_EQ(Brief(form->Settings().logFile),
                          text ? Brief(bad.bytes.substr(0, bad.bytes.size() - 1)) : Brief(""));
                EXPECT_TRUE(Following(*form));  // autostart still runs, with no log to follow
            } else {
                EXPECT_EQ(form->Settings().logFile, log);
                EXPECT_FALSE(Following(*form));
            }
            // The window answers and a pass of the follower runs.
            Pump(*form, 120);
            DWORD_PTR r = 0;
            EXPECT_TRUE(::SendMessageTimeoutW(form->hWnd(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &r));
            // Closing saves good values again ("?" for no log).
            const std::string chosen = form->Settings().logFile;
            ::SendMessageW(form->hWnd(), WM_CLOSE, 0, 0);
            form.reset();
            bool found = false;
            EXPECT_EQ(Brief(ReadSetting("Log", &found)), Brief(chosen.empty() ? "?" : chosen));
            EXPECT_TRUE(found);
        }
    }
    ClearSettings();
}

// ------------------------------------------------------------ log bytes

struct Follower {
    std::unique_ptr<frmChat> form;
    std::string Shown() const { return ReadText(Display(*form)); }
    bool WaitFor(const std::string& want, int ms = 20000) {
        return PumpUntil(*form, [&] { return Shown() == want; }, ms);
    }
};

Follower Follow(const std::string& path) {
    ClearSettings();
    PutSetting("Run Before", "True");
    PutSetting("Log", path);
    Follower f{MakeForm()};
    if (f.form) f.form->StartLog();
    return f;
}

// The display shows every line the log got, by the display's rules (the
// 22-character lead dropped, markup turned into colours), nothing twice, and
// following goes on afterwards.
TEST(BadInput, LogBytesOfEveryAwkwardKind) {
    std::string high;
    for (int b = 128; b < 256; ++b) high += static_cast<char>(b);
    const std::string mega = [] {
        std::string s;
        while (s.size() < (1u << 20)) s += "0123456789abcdefghijklmnopqrstuvwxyz";
        s.resize(1u << 20);
        return s;
    }();
    // A line longer than the follower's block shows in pieces, one per
    // display line, and all of it: compared without the display's breaks.
    const struct {
        const char* name;
        std::string bytes;
        std::string shown;
        bool inPieces = false;
    } cases[] = {
        {"NUL bytes", kLead + std::string("be\0fo\0re", 8) + "\r\n", "before\r"},
        {"lone CR between lines", kLead + "one\r" + kLead + "two\r\n", "one\rtwo\r"},
        {"lone LF inside a line", kLead + "a\nb\r\n", "ab\r"},
        {"lines ended by LF alone, then a CR", kLead + "x\n" + kLead + "y\n\r\n", "x" + kLead + "y\r"},
        {"bytes above 127", kLead + high + "\r\n", high + "\r"},
        {"an empty file", "", ""},
        {"1 MB without a line break", kLead + mega + "\r\n", mega, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string log = dir.file("chat.log");
        WriteBytes(log, "");
        Follower f = Follow(log);
        ASSERT_TRUE(f.form);
        AppendBytes(log, c.bytes);
        auto joined = [&] {
            std::string out, text = f.Shown();
            for (char ch : text)
                if (ch != '\r') out += ch;
            return out;
        };
        if (c.inPieces) {
            EXPECT_TRUE(PumpUntil(*f.form, [&] { return joined() == c.shown; }, 60000)) << Brief(joined());
            size_t longest = 0, start = 0;
            for (size_t cr; (cr = f.Shown().find('\r', start)) != std::string::npos; start = cr + 1)
                longest = std::max(longest, cr - start);
            EXPECT_LE(longest, 65535u);
            EXPECT_EQ(f.Shown().back(), '\r');
        } else {
            EXPECT_TRUE(f.WaitFor(c.shown)) << Brief(f.Shown()) << "\nwanted " << Brief(c.shown);
        }
        const std::string shown = f.Shown();
        Pump(*f.form, 150);
        EXPECT_EQ(f.Shown().size(), shown.size()) << "nothing more, nothing twice";
        AppendBytes(log, Line("after"));
        EXPECT_TRUE(f.WaitFor(shown + "after\r"))
            << "ends with: " << f.Shown().substr(f.Shown().size() - std::min<size_t>(f.Shown().size(), 60));
    }
    ClearSettings();
}

// ------------------------------------------------------------ log paths

TEST(BadInput, LogPathsOfEveryAwkwardKind) {
    TempDir dir;
    // 300 characters: a few nested folders of 60.
    std::string longPath = dir.path();
    std::wstring longWide;
    while (longPath.size() < 300 - 12) {
        longPath += "\\" + std::string(std::min<size_t>(60, 300 - 12 - longPath.size()), 'd');
        std::wstring w = L"\\\\?\\" + vek::win::ToWide(longPath);
        ::CreateDirectoryW(w.c_str(), nullptr);
    }
    longPath += "\\chat.log";
    const std::string amp = dir.file("a&b");
    ::CreateDirectoryA(amp.c_str(), nullptr);
    const std::string folderAtPath = dir.file("folder.log");

    const struct {
        const char* name;
        std::string path;
        std::function<void()> makeWritable;  // turns the path into a log the game writes
        bool follows;                        // lines written there show
    } cases[] = {
        {"a folder at the log path", folderAtPath,
         [&] {
             ::RemoveDirectoryA(folderAtPath.c_str());
             WriteBytes(folderAtPath, "");
         },
         true},
        {"a path of 300 characters", longPath, [] {}, true},
        {"a path with &", amp + "\\chat.log", [] {}, true},
        {"no log chosen (?)", "?", [] {}, false},
    };
    ::CreateDirectoryA(folderAtPath.c_str(), nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GE(c.path.size(), 1u);
        Follower f = Follow(c.path);
        ASSERT_TRUE(f.form);
        Pump(*f.form, 150);
        EXPECT_EQ(f.Shown(), "");
        c.makeWritable();
        if (c.path != "?") {
            // Written as the game would, whatever the length of the path.
            std::wstring w = vek::win::ToWide(c.path);
            if (w.size() >= MAX_PATH) w = L"\\\\?\\" + w;
            vek::win::UniqueFile file(::CreateFileW(w.c_str(), FILE_APPEND_DATA,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(file) << ::GetLastError();
            const std::string line = Line("written there");
            DWORD done = 0;
            ASSERT_TRUE(::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &done, nullptr));
        }
        if (c.follows) {
            EXPECT_TRUE(f.WaitFor("written there\r", 5000)) << f.Shown();
        } else {
            Pump(*f.form, 300);
            EXPECT_EQ(f.Shown(), "");
            EXPECT_EQ(::GetFileAttributesA("?"), INVALID_FILE_ATTRIBUTES);
        }
        // The Change Log item shows the path as it is: "&" doubled, so that
        // it is no access key.
        wchar_t caption[512] = {};
        ::GetMenuStringW(FileMenu(*f.form), IDM_FILE_CHANGELOG, caption, 512, MF_BYCOMMAND);
        const std::string shownPath = vek::win::ToAnsi(caption);
        if (c.path.find('&') != std::string::npos) {
            EXPECT_NE(shownPath.find("a&&b\\chat.log"), std::string::npos) << shownPath;
        }
        DWORD_PTR r = 0;
        EXPECT_TRUE(::SendMessageTimeoutW(f.form->hWnd(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &r));
    }
    ClearSettings();
}

// ------------------------------------------------------------ composer and page target

// What the game receives for a message: one line only, whatever the
// composer or the page box held, so that nothing in it can end the line
// early or edit it (a line break or a backspace would).
bool IsOneGameLine(const std::string& received) {
    if (received.empty() || received.back() != '\r') return false;
    for (size_t i = 0; i + 1 < received.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(received[i]);
        if (c < 32 || c == 127) return false;
    }
    return true;
}

std::string PageBoxText(frmChat& f) {
    const int n = ::GetWindowTextLengthW(PageBox(f));
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    w.resize(static_cast<size_t>(::GetWindowTextW(PageBox(f), w.data(), n + 1)));
    return vek::win::ToAnsi(w);
}

void ClickType(frmChat& f) {
    ::SendMessageW(f.hWnd(), WM_COMMAND, MAKEWPARAM(IDC_MESSAGETYPE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(TypeButton(f)));
}

TEST(BadInput, ComposerAndPageTargetContentsOfEveryKind) {
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
    std::string big;
    // Beyond what a rich edit box takes by default (32,767 characters).
    while (big.size() < 33 * 1024) big += "a long message, over and over; ";
    big.resize(33 * 1024);

    enum class How { PasteComposer, TypePageTo, PastePageTo };
    const struct {
        const char* name;
        How how;
        std::string input;
        std::string sent;  // expected at the game ("" = only that it is one whole line)
    } cases[] = {
        {"markup characters pasted as text", How::PasteComposer, "say \"hi\" {x} }{\"", "say \"hi\" {x} }{\"\r"},
        {"33 KB", How::PasteComposer, big, big + "\r"},
        {"line breaks", How::PasteComposer, "first\r\nsecond\nthird\rfourth", "first second third fourth\r"},
        {"control characters", How::PasteComposer, "a\x01" "b\x08" "c\td\x1b" "e\x7f", "abc de\r"},
        {"every byte typed into the page box", How::TypePageTo, everyByte, ""},
        {"every byte pasted into the page box", How::PastePageTo, everyByte, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearSettings();
        ClearClipboard();
        auto form = MakeForm();
        ASSERT_TRUE(form);
        frmChat& f = *form;
        f.StartLog();
        GameWindow game;
        ASSERT_TRUE(game.hWnd());
        std::string markup = "hi";
        if (c.how == How::PasteComposer) {
            ::SetFocus(ComposerBox(f));
            PutClipboard(vek::win::ToWide(c.input));
            Command(f, IDM_EDIT_PASTE);
            markup = c.input;
        } else {
            ClickType(f);
            ClickType(f);  // Page
            ::SetFocus(PageBox(f));
            if (c.how == How::TypePageTo) {
                for (char ch : c.input) {
                    wchar_t wc = 0;
                    ::MultiByteToWideChar(CP_ACP, 0, &ch, 1, &wc, 1);
                    ::PostMessageW(PageBox(f), WM_CHAR, wc, 1);
                    PumpPending(&f);
                }
            } else {
                PutClipboard(vek::win::ToWide(c.input));
                Command(f, IDM_EDIT_PASTE);
            }
            PumpPending(&f);
            const std::string target = PageBoxText(f);
            EXPECT_EQ(target.find_first_of("\"{}"), std::string::npos) << target;
            ::SetFocus(ComposerBox(f));
            vek::win::SetSel(ComposerBox(f), 0, 0);
            ::SendMessageW(ComposerBox(f), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"hi"));
        }
        SendComposed(f);
        // Whole, however long the machine takes: its speed is the benchmarks' affair.
        EXPECT_TRUE(PumpUntil(f, [&] { return game.HasReceived('\r'); }, 180000));
        const std::string got = game.Received();
        EXPECT_TRUE(IsOneGameLine(got)) << Brief(got);
        if (!c.sent.empty()) {
            EXPECT_EQ(Brief(got), Brief(c.sent));
            EXPECT_EQ(got == c.sent, true);
        }
        if (c.how != How::PasteComposer) {
            EXPECT_EQ(got.rfind("/\"", 0), 0u) << got;
            EXPECT_EQ(got.substr(got.size() - 5), "\" hi\r") << got;
        }
        EXPECT_EQ(ReadText(ComposerBox(f)), "");
        form.reset();
    }
    ClearClipboard();
    ClearSettings();
}

// ------------------------------------------------------------ the game going away

// fakegame.exe waiting for its window; ended at scope exit.
struct ImitationGame {
    explicit ImitationGame(const std::string& args)
        : process(Quoted(BuiltProgram("fakegame.exe")) + " " + args),
          window(process.WaitWindow(L"AppClass", 20000)) {}
    ChildProcess process;
    HWND window;
};

// The game going away while a message is typed: the rest of it is not
// delivered (the player is told), soon, and the next message finds no game.
TEST(BadInput, GameGoingAwayMidMessage) {
    TempDir dir;
    const std::string log = dir.file("chat.log"), received = dir.file("received.bin");
    const std::string message = "a message the game will not see to its end\r";
    const struct {
        const char* name;
        std::function<void(vek::GameTyper&, const std::function<bool()>&)> send;  // sends while the game goes away
    } cases[] = {
        {"in-process window destroyed on the 5th character",
         [&](vek::GameTyper& typer, const std::function<bool()>& told) {
             GameWindow game;
             game.Arm(4, GameWindow::OnChar::Vanish);
             typer.Type(message);
             PumpUntil(told, 10000);
         }},
        {"imitation game hung after 5 characters, then killed",
         [&](vek::GameTyper& typer, const std::function<bool()>& told) {
             ImitationGame game("--log " + Quoted(log) + " --received " + Quoted(received) + " --hang-after 5");
             ASSERT_TRUE(game.window);
             typer.Type(message);
             PumpUntil(nullptr, 400);
             ::TerminateProcess(game.process.handle(), 1);
             PumpUntil(told, 10000);
         }},
        {"imitation game killed while typing",
         [&](vek::GameTyper& typer, const std::function<bool()>& told) {
             ImitationGame game("--log " + Quoted(log) + " --received " + Quoted(received));
             ASSERT_TRUE(game.window);
             typer.Type(std::string(20000, 'x') + "\r");
             PumpUntil(nullptr, 100);
             ::TerminateProcess(game.process.handle(), 1);
             PumpUntil(told, 10000);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TyperEvents events;
        vek::GameTyper typer;
        ASSERT_TRUE(typer.Attach(events));
        const auto notDelivered = [&] {
            return !events.told.empty() && events.told.back().rfind("not delivered (gone", 0) == 0;
        };
        const ULONGLONG t0 = ::GetTickCount64();
        c.send(typer, notDelivered);
        EXPECT_TRUE(notDelivered()) << (events.told.empty() ? "nothing told" : events.told.back());
        EXPECT_LT(::GetTickCount64() - t0, 10000u) << "the message must end soon after the game is gone";
        // A later message finds no game, at once.
        typer.Type("next\r");
        EXPECT_TRUE(PumpUntil([&] { return events.told.back() == "not delivered (no game, last): next\r"; }, 2000));
        EXPECT_TRUE(typer.Idle());
    }
}

}  // namespace
