// ctest-lock: gamewindow
// The imitation game client as its peers see it: the real fakegame.exe, found
// by class and title, typed into with WM_CHAR, and judged by its log and by
// its record of the bytes it received.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "../../tools/fakegame/game_formats.h"
#include "support/winapp.h"
#include "win/handles.h"

namespace {

using vek::win::UniqueFile;
using vek::win::UniqueHandle;

std::string ReadAll(const std::string& path) {
    UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string out;
    if (!f) return out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return out;
}

// Splits a log into its lines (without CR LF); a trailing partial line is
// returned as the last element, so a torn log shows.
std::vector<std::string> Lines(const std::string& log) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t eol; (eol = log.find("\r\n", start)) != std::string::npos; start = eol + 2)
        out.push_back(log.substr(start, eol - start));
    if (start < log.size()) out.push_back(log.substr(start));
    return out;
}

// The body of a log line after checking the shape of its lead.
std::string Body(const std::string& line) {
    EXPECT_GE(line.size(), fakegame::kLeadLength) << line;
    if (line.size() < fakegame::kLeadLength) return {};
    EXPECT_EQ(line[0], '[') << line;
    EXPECT_EQ(line.substr(20, 2), "] ") << line;
    EXPECT_EQ(line[5], '-');
    EXPECT_EQ(line[14], ':');
    return line.substr(fakegame::kLeadLength);
}

std::vector<std::string> Bodies(const std::string& log) {
    std::vector<std::string> out;
    for (const std::string& l : Lines(log)) out.push_back(Body(l));
    return out;
}

// A running fakegame.exe; ended at scope exit if it is still running.
class Game {
public:
    explicit Game(const std::string& args) {
        std::string cmd = "\"" + vektest::BuiltProgram("fakegame.exe") + "\" " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            ADD_FAILURE() << "cannot start " << cmd << " (error " << ::GetLastError() << ")";
            return;
        }
        process_.reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
        for (int i = 0; i < 1500 && !window_; ++i) {
            window_ = ::FindWindowA("AppClass", "Ember Heraldry");
            if (!window_) {
                if (::WaitForSingleObject(process_.get(), 10) == WAIT_OBJECT_0) break;
            }
        }
    }
    ~Game() {
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.get(), 9);
            ::WaitForSingleObject(process_.get(), 10000);
        }
    }
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    HWND window() const { return window_; }
    bool Exited(DWORD ms) const { return process_ && ::WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }

    // Types bytes the way the companion does: one WM_CHAR each, waited for.
    void Type(const std::string& text) const {
        for (char c : text) ::SendMessageA(window_, WM_CHAR, static_cast<unsigned char>(c), 0);
    }

private:
    UniqueHandle process_;
    HWND window_ = nullptr;
};

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

TEST(FakeGame, EchoesEachPrefixFormAndRecordsEveryByte) {
    vektest::TempDir dir;
    const std::string log = dir.file("chat.log"), received = dir.file("received.bin");
    {
        Game game("--log " + Quote(log) + " --received " + Quote(received));
        ASSERT_TRUE(game.window());
        EXPECT_NE(::GetFileAttributesA(log.c_str()), INVALID_FILE_ATTRIBUTES);  // created when missing

        const std::string typed =
            "hi\r"
            ";all \"of\" {you}\r"
            "/\"Bob\" psst {b}\r"
            "caf\xe9 \xff\x80\r"
            "\r"                  // nothing said, nothing written
            "ab\bc\r"             // backspace edits, as in any input box
            "/\"\" lost\r";
        game.Type(typed);
        // Each echo is written before the CR's WM_CHAR returns.
        const std::vector<std::string> want = {
            "{You}\":\" hi",
            "[\"CC Ember\"] {You}\":\" all \"of\" {you}",
            "Paged Bob.",
            "You page Bob: psst {b}",
            "{You}\":\" caf\xe9 \xff\x80",
            "{You}\":\" ac",
            "Page whom?",
        };
        const std::string text = ReadAll(log);
        EXPECT_EQ(Bodies(text), want);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        EXPECT_EQ(ReadAll(received), typed);
    }
}

TEST(FakeGame, StopsAnsweringAfterHangAfterCharacters) {
    vektest::TempDir dir;
    const std::string received = dir.file("received.bin");
    Game game("--log " + Quote(dir.file("chat.log")) + " --received " + Quote(received) +
              " --hang-after 3 --duration 30");
    ASSERT_TRUE(game.window());
    DWORD_PTR result = 0;
    for (char c : std::string("abc"))
        EXPECT_NE(::SendMessageTimeoutA(game.window(), WM_CHAR, c, 0, SMTO_ABORTIFHUNG, 2000, &result), 0);
    EXPECT_EQ(::SendMessageTimeoutA(game.window(), WM_CHAR, 'd', 0, SMTO_NORMAL, 500, &result), 0);
    EXPECT_EQ(::SendMessageTimeoutA(game.window(), WM_NULL, 0, 0, SMTO_NORMAL, 300, &result), 0);
    // The fourth character arrived; the window procedure never finished it.
    EXPECT_EQ(ReadAll(received), "abcd");
}

TEST(FakeGame, RotatesAndTruncatesAtTheirLineCounts) {
    vektest::TempDir dir;
    {
        const std::string log = dir.file("rot.log");
        Game game("--log " + Quote(log) + " --rotate-every 2");
        ASSERT_TRUE(game.window());
        game.Type("a\rb\rc\rd\re\r");
        EXPECT_EQ(Bodies(ReadAll(log + ".1")), (std::vector<std::string>{"{You}\":\" c", "{You}\":\" d"}));
        EXPECT_EQ(Bodies(ReadAll(log)), (std::vector<std::string>{"{You}\":\" e"}));
    }
    {
        const std::string log = dir.file("trunc.log");
        Game game("--log " + Quote(log) + " --truncate-at 2");
        ASSERT_TRUE(game.window());
        game.Type("a\rb\rc\rd\r");
        EXPECT_EQ(Bodies(ReadAll(log)), (std::vector<std::string>{"{You}\":\" c", "{You}\":\" d"}));
    }
}

TEST(FakeGame, ChatterInPiecesArrivesWholeAndInScriptOrder) {
    vektest::TempDir dir;
    const std::string log = dir.file("chat.log");
    bool sawPartialLine = false;
    {
        Game game("--log " + Quote(log) + " --rate 40 --pieces --seed 5 --duration 2");
        ASSERT_TRUE(game.window());
        while (!game.Exited(3)) {
            std::string now = ReadAll(log);
            if (!now.empty() && now.substr(now.size() - 1) != "\n") sawPartialLine = true;
        }
    }
    EXPECT_TRUE(sawPartialLine) << "--pieces should leave lines half written for a while";

    const std::string text = ReadAll(log);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");  // pending pieces are written before exit
    std::vector<std::string> bodies = Bodies(text);
    EXPECT_GE(bodies.size(), 20u);
    // The same script, cut the same way, gives the same lines in the same order.
    fakegame::Chatter script(5);
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        std::string want = script.Next();
        script.Pieces(fakegame::LogLine({}, want));
        ASSERT_EQ(bodies[i], want) << "line " << i;
    }
}

TEST(FakeGame, BurstIsWholeLinesInOneGo) {
    vektest::TempDir dir;
    const std::string log = dir.file("chat.log");
    Game game("--log " + Quote(log) + " --burst 70000 --burst-after 0 --duration 1");
    ASSERT_TRUE(game.window());
    EXPECT_TRUE(game.Exited(15000));
    const std::string text = ReadAll(log);
    EXPECT_GE(text.size(), 70000u);
    EXPECT_LT(text.size(), 70200u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (const std::string& body : Bodies(text)) EXPECT_FALSE(body.empty());
}

TEST(FakeGame, BadCommandLineEndsWithoutAWindow) {
    for (const char* args : {"", "--rate 1", "--log x --rate fast"}) {
        Game game(args);
        EXPECT_EQ(game.window(), nullptr) << args;
        EXPECT_TRUE(game.Exited(5000)) << args;
    }
}

}  // namespace
