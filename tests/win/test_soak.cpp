// ctest-lock: registry gamewindow clipboard
// Soak: the real vekchat.exe beside the real imitation game for about half a
// minute of fast chatter written in pieces, with a truncation, a burst of more
// than 1 MB and a rotation by rename, while messages of every type are typed
// into VekChat's composer and sent. Afterwards every line the game wrote is
// in the display exactly once, in order and in its colours (except lines that
// the truncation removed before they were read), every message reached the
// game whole, the working set stayed bounded and the window kept answering.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/frmChat.h"
#include "core/chat_display.h"
#include "core/session_view.h"
#include "game_formats.h"
#include "support/process.h"
#include "support/winapp.h"
#include "win/text.h"

using namespace vektest;

namespace {

// The game's schedule. Lines are counted by the game: the truncation comes
// after line kTruncateAt (about two seconds in), the burst at kBurstAfter,
// and since the burst alone is far more than kRotateEvery lines, the rotation
// follows the burst at once; the rest of the run stays well short of a second
// rotation (which would replace the first .1 and fail the comparison loudly).
constexpr int kRate = 300;
constexpr int kTruncateAt = 600;
constexpr int kRotateEvery = 10000;
constexpr int kBurstBytes = 1100000;
constexpr int kBurstAfter = 5;
constexpr int kGameSeconds = 26;
constexpr std::uint32_t kSeed = 11;
// Typing starts after the truncation, so that the lines it removed are pure
// script and can be rebuilt, and ends before the game does.
constexpr DWORD kTypeFromMs = 3000;
constexpr DWORD kTypeUntilMs = (kGameSeconds - 3) * 1000;

// Bounds.
constexpr DWORD kAnswerMs = 250;                       // WM_NULL, each time
// The display keeps every line it was given, and Wine's RichEdit takes about
// 200 to 260 bytes of memory per character it holds: the bound is a base
// plus that, with some room, per character shown at the end.
constexpr SIZE_T kWorkingSetBase = 48u << 20;
constexpr SIZE_T kWorkingSetPerChar = 300;
constexpr char kPageTarget[] = "Dahlia";

// What the display shows of a line body: the markup characters go.
std::string Shown(const std::string& body) {
    std::string out;
    for (char c : body)
        if (c != '"' && c != '{' && c != '}') out += c;
    return out;
}

std::string Ansi(const std::wstring& w) {
    if (w.empty()) return {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// A message of the run, in markup: quoted and braced parts and a byte above
// 127, typed with the colour keys.
std::string MessageMarkup(int i) {
    return "soak " + std::to_string(i) + " says \"quoted " + std::to_string(i) + "\" and {braced} caf\xe9";
}

std::string Outgoing(int type, const std::string& markup) {
    if (type == 1) return ";" + markup + "\r";
    if (type == 2) return "/\"" + std::string(kPageTarget) + "\" " + markup + "\r";
    return markup + "\r";
}

// Watches VekChat from a thread of its own: WM_NULL with a timeout every
// 20 ms, the working set every second.
class Monitor {
public:
    Monitor(HANDLE process, HWND window) : process_(process), window_(window) {
        thread_ = std::thread([this] { Run(); });
    }
    ~Monitor() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int pings = 0, unanswered = 0;
    double maxAnswerMs = 0;
    SIZE_T maxWorkingSet = 0;
    int workingSetSamples = 0, workingSetFailures = 0;
    std::vector<std::pair<ULONGLONG, double>> slow;  // when, how long (ms)
    std::vector<std::pair<ULONGLONG, SIZE_T>> sets;  // when, working set

private:
    void Run() {
        LARGE_INTEGER freq{};
        ::QueryPerformanceFrequency(&freq);
        ULONGLONG nextSample = 0;
        while (!stop_) {
            LARGE_INTEGER t0{}, t1{};
            ::QueryPerformanceCounter(&t0);
            DWORD_PTR r = 0;
            const bool ok = ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &r) != 0;
            ::QueryPerformanceCounter(&t1);
            const double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
            ++pings;
            if (!ok) ++unanswered;
            maxAnswerMs = std::max(maxAnswerMs, ms);
            if (ms > 100 && slow.size() < 40) slow.push_back({::GetTickCount64(), ms});
            if (::GetTickCount64() >= nextSample) {
                nextSample = ::GetTickCount64() + 1000;
                PROCESS_MEMORY_COUNTERS pmc{};
                pmc.cb = sizeof pmc;
                if (::GetProcessMemoryInfo(process_, &pmc, sizeof pmc)) {
                    ++workingSetSamples;
                    maxWorkingSet = std::max(maxWorkingSet, pmc.WorkingSetSize);
                    sets.push_back({::GetTickCount64(), pmc.WorkingSetSize});
                } else {
                    ++workingSetFailures;
                }
            }
            ::Sleep(20);
        }
    }
    HANDLE process_;
    HWND window_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Posts the characters of a message to the composer as typed keys deliver
// them (WM_CHAR), then Enter.
void TypeMessage(HWND composer, const std::string& markup) {
    for (char c : markup + "\r") {
        wchar_t wc = 0;
        ::MultiByteToWideChar(CP_ACP, 0, &c, 1, &wc, 1);
        ::PostMessageW(composer, WM_CHAR, wc, 1);
    }
}

// Waits until a file holds at least `size` bytes.
bool WaitFileSize(const std::string& path, size_t size, DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (;;) {
        if (ReadFileShared(path).size() >= size) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(20);
    }
}

TEST(Soak, FastChatterWhileTypingEveryLineOnceInOrderAndInColourMessagesWholeWindowAnswering) {
    ClearSettings();
    TempDir dir;  // made before the programs start, removed after they end
    const std::string log = dir.file("chat.log"), received = dir.file("received.bin");
    WriteBytes(log, "");  // VekChat follows it from its first byte
    PutSetting("Run Before", "True");
    PutSetting("Log", log);
    PutSetting("Autostart Log", "True");

    ChildProcess chat(Quoted(BuiltProgram("vekchat.exe")));
    ASSERT_TRUE(chat.ok()) << "cannot start vekchat.exe: " << ::GetLastError();
    const HWND main = chat.WaitWindow(L"VekChatMain", 30000);
    ASSERT_TRUE(main);
    const HWND display = ::GetDlgItem(main, IDC_CHATTEXT), composer = ::GetDlgItem(main, IDC_MESSAGE);
    const HWND button = ::GetDlgItem(main, IDC_MESSAGETYPE), pageTo = ::GetDlgItem(main, IDC_PAGETO);
    ASSERT_TRUE(display && composer && button && pageTo);
    for (int i = 0; i < 500 && !::IsWindowEnabled(composer); ++i) ::Sleep(20);
    ASSERT_TRUE(::IsWindowEnabled(composer)) << "autostart should have started following";

    Monitor monitor(chat.handle(), main);
    const std::string args = "--log " + Quoted(log) + " --received " + Quoted(received) + " --rate " +
                             std::to_string(kRate) + " --pieces --seed " + std::to_string(kSeed) +
                             " --truncate-at " + std::to_string(kTruncateAt) + " --rotate-every " +
                             std::to_string(kRotateEvery) + " --burst " + std::to_string(kBurstBytes) +
                             " --burst-after " + std::to_string(kBurstAfter) + " --duration " +
                             std::to_string(kGameSeconds);
    ChildProcess game(Quoted(BuiltProgram("fakegame.exe")) + " " + args);
    ASSERT_TRUE(game.ok());
    ASSERT_TRUE(game.WaitWindow(L"AppClass", 30000));
    const ULONGLONG gameSeen = ::GetTickCount64();

    // Typing: one message at a time, each waited for at the game before the
    // type button is clicked for the next (a click sent while characters are
    // still queued would be handled before them).
    DWORD_PTR r = 0;
    const std::wstring target = vek::win::ToWide(kPageTarget);
    ASSERT_TRUE(::SendMessageTimeoutW(pageTo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()), SMTO_NORMAL,
                                      5000, &r));
    while (::GetTickCount64() - gameSeen < kTypeFromMs) ::Sleep(50);
    std::string expectReceived;
    int messages = 0;
    while (::GetTickCount64() - gameSeen < kTypeUntilMs) {
        const std::string markup = MessageMarkup(messages);
        TypeMessage(composer, markup);
        expectReceived += Outgoing(messages % 3, markup);
        ++messages;
        if (!WaitFileSize(received, expectReceived.size(), 10000)) break;  // judged below
        ASSERT_TRUE(::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &r));
        ::Sleep(100);
    }
    DWORD gameExit = 1;
    ASSERT_TRUE(game.WaitExit(kGameSeconds * 1000 + 30000, &gameExit));
    EXPECT_EQ(gameExit, 0u);
    const ULONGLONG gameEnded = ::GetTickCount64();

    // What the game wrote that is still on disk: everything after the
    // truncation, in the rotated-out file and then in the log.
    const std::string rotated = ReadFileShared(log + ".1"), current = ReadFileShared(log);
    ASSERT_FALSE(rotated.empty()) << "the game should have rotated its log once";
    std::vector<std::string> onDisk = SplitCrLf(rotated);
    for (std::string& l : SplitCrLf(current)) onDisk.push_back(std::move(l));
    std::vector<std::string> bodies;
    for (const std::string& l : onDisk) {
        ASSERT_GE(l.size(), fakegame::kLeadLength) << "torn line on disk: " << l;
        bodies.push_back(l.substr(fakegame::kLeadLength));
    }
    ASSERT_EQ(current.substr(current.size() - 2), "\r\n");
    // The lines the truncation removed: the script's first kTruncateAt lines,
    // nothing having been typed yet.
    std::vector<std::string> script;
    {
        fakegame::Chatter chatter(kSeed);
        for (int i = 0; i < kTruncateAt; ++i) {
            script.push_back(chatter.Next());
            chatter.Pieces(fakegame::LogLine({}, script.back()));
        }
    }

    // Wait until VekChat has caught up: its text no longer grows (and holds
    // at least what is on disk, or has not grown for a good while).
    RemoteRichEdit box(chat.handle(), display);
    size_t diskChars = 0;
    for (const std::string& b : bodies) diskChars += Shown(b).size() + 1;
    {
        long last = -1;
        ULONGLONG stableSince = ::GetTickCount64();
        const ULONGLONG end = ::GetTickCount64() + 40000;
        while (::GetTickCount64() < end) {
            const long n = box.Length().value_or(-1);
            if (n != last) {
                last = n;
                stableSince = ::GetTickCount64();
            } else if (::GetTickCount64() - stableSince > (n >= static_cast<long>(diskChars) ? 1500u : 5000u)) {
                break;
            }
            ::Sleep(100);
        }
    }
    const ULONGLONG caughtUp = ::GetTickCount64();
    std::optional<std::wstring> wide = box.Text();
    for (int retry = 0; retry < 3 && !wide; ++retry) {
        ADD_FAILURE() << "reading the display: " << box.error();
        wide = box.Text();
    }
    ASSERT_TRUE(wide);

    // The display, line by line, with each line's start position.
    std::vector<std::string> shownLines;
    std::vector<long> starts;
    {
        size_t start = 0;
        for (size_t cr; (cr = wide->find(L'\r', start)) != std::wstring::npos; start = cr + 1) {
            shownLines.push_back(Ansi(wide->substr(start, cr - start)));
            starts.push_back(static_cast<long>(start));
        }
        EXPECT_EQ(start, wide->size()) << "the display should end with a line break";
    }

    // What the session holds: a prefix of the script lines that the
    // truncation removed (those read before it), then every line on disk;
    // the display shows its newest lines, a bounded part of it. Where it
    // does not, the greedy alignment below says which lines are missing and
    // which are not the game's.
    std::vector<std::string> wrote;
    for (const std::string& b : script) wrote.push_back(Shown(b));
    for (const std::string& b : bodies) wrote.push_back(Shown(b));
    size_t missingOnDisk = 0, missingScript = 0, foreign = 0;
    std::string gaps;
    {
        // The display's first line is where its part of the session begins.
        size_t j = shownLines.size() < bodies.size() ? wrote.size() - shownLines.size() : 0;
        for (size_t i = 0; i < shownLines.size(); ++i) {
            // Where the display goes on: the next written line that starts a
            // run of up to five equal lines (chatter repeats single lines).
            auto resumesAt = [&](size_t k) {
                for (size_t d = 0; d < 5 && i + d < shownLines.size(); ++d)
                    if (k + d >= wrote.size() || wrote[k + d] != shownLines[i + d]) return false;
                return true;
            };
            size_t k = j;
            if (k >= wrote.size() || wrote[k] != shownLines[i])
                while (k < wrote.size() && !resumesAt(k)) ++k;
            if (k == wrote.size()) {
                if (++foreign <= 3) {
                    // Shown out of its place? Say where it was written.
                    std::string where;
                    for (size_t w = 0; w < wrote.size() && where.size() < 60; ++w)
                        if (wrote[w] == shownLines[i]) where += " " + std::to_string(w);
                    gaps += "  out of place: display line " + std::to_string(i) + " \"" + shownLines[i] +
                            "\", written as line" + (where.empty() ? std::string(" (none)") : where) + "\n";
                }
                continue;
            }
            if (k > j && gaps.size() < 2000)
                gaps += "  missing " + std::to_string(k - j) + " lines before display line " + std::to_string(i) + " (written line " + std::to_string(j) + ")\n";
            for (; j < k; ++j) (j < script.size() ? missingScript : missingOnDisk)++;
            j = k + 1;
        }
        if (j < wrote.size()) gaps += "  missing the last " + std::to_string(wrote.size() - j) + " lines\n";
        for (; j < wrote.size(); ++j) (j < script.size() ? missingScript : missingOnDisk)++;
    }
    // Where display line i was written: a bounded display holds the newest lines.
    const bool whole = shownLines.size() >= bodies.size();
    const size_t before = whole ? shownLines.size() - bodies.size() : 0;
    auto writtenAt = [&](size_t i) {
        return whole ? (i < before ? i : script.size() + i - before) : wrote.size() - shownLines.size() + i;
    };
    bool exact = before <= script.size() && shownLines.size() <= wrote.size() && !shownLines.empty();
    for (size_t i = 0; exact && i < shownLines.size(); ++i) exact = shownLines[i] == wrote[writtenAt(i)];
    EXPECT_LE(shownLines.size(), vek::ViewBounds{}.keep + vek::ViewBounds{}.batch) << "the display holds a bounded part";

    // Colours of a sample: every 3rd line, and every echo of a message.
    int colourChecked = 0, runsChecked = 0, colourWrong = 0;
    const std::string lead = fakegame::Lead({});
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(display, EM_HIDESELECTION, TRUE, 0, SMTO_NORMAL, 5000, &ignored);
    std::vector<vek::ColorRun> runs;
    for (size_t i = 0; i < shownLines.size() && exact; ++i) {
        const size_t w = writtenAt(i);
        const std::string& body = w < script.size() ? script[w] : bodies[w - script.size()];
        const bool echo = body.find("{You}") != std::string::npos || body.rfind("You page ", 0) == 0;
        if (i % 3 != 0 && !echo) continue;
        const std::string line = lead + body;
        runs.clear();
        vek::RenderShown(vek::ShownOfLogLine(line), runs);
        long at = starts[i];
        for (const vek::ColorRun& run : runs) {
            const long n = static_cast<long>(run.text.size());
            if (run.text == "\r\n" || n == 0) continue;
            const std::optional<vek::Color> got = box.RangeColor(at, at + n);
            if (got != run.color && ++colourWrong <= 5)
                ADD_FAILURE() << "line " << i << " \"" << body << "\", run \"" << run.text << "\": colour "
                              << std::hex << got.value_or(0xFFFFFFFFu) << ", not " << run.color << std::dec;
            at += n;
            ++runsChecked;
        }
        ++colourChecked;
    }
    const ULONGLONG coloursDone = ::GetTickCount64();
    std::printf("phases: game ended %+.1f s, caught up %+.1f s, colours done %+.1f s\n", (gameEnded - gameSeen) / 1000.0, (caughtUp - gameSeen) / 1000.0, (coloursDone - gameSeen) / 1000.0);
    const std::string gotReceived = ReadFileShared(received);
    const SIZE_T workingSetBound = kWorkingSetBase + kWorkingSetPerChar * wide->size();
    monitor.Stop();

    std::printf(
        "soak: %zu lines shown (%zu of the %d before the truncation, %zu written after it), %zu characters; "
        "%zu written lines missing (%zu before the truncation), %zu lines not the game's; %d messages "
        "(%zu bytes) typed; colours of %d lines (%d runs) checked; %d WM_NULL pings, slowest answer %.1f ms, "
        "%d unanswered; working set at most %.1f MB over %d samples (bound %.0f MB: 48 MB + 300 bytes per character shown)\n%s",
        shownLines.size(), before, kTruncateAt, bodies.size(), wide->size(), missingOnDisk + missingScript,
        missingScript, foreign, messages, expectReceived.size(), colourChecked, runsChecked, monitor.pings,
        monitor.maxAnswerMs, monitor.unanswered, monitor.maxWorkingSet / 1048576.0, monitor.workingSetSamples,
        workingSetBound / 1048576.0, gaps.c_str());

    for (auto& [t, ms] : monitor.slow) std::printf("  slow answer at %+.1f s: %.0f ms\n", (static_cast<double>(t) - gameSeen) / 1000.0, ms);
    std::printf("  working set (s: MB):");
    for (size_t i = 0; i < monitor.sets.size(); i += 4)
        std::printf(" %+.0f: %.0f", (static_cast<double>(monitor.sets[i].first) - gameSeen) / 1000.0,
                    monitor.sets[i].second / 1048576.0);
    std::printf("\n");
    EXPECT_TRUE(exact) << "the display is not the game's lines (see above)";
    EXPECT_EQ(missingOnDisk, 0u);
    EXPECT_EQ(foreign, 0u);
    EXPECT_GT(colourChecked, 100);
    // Every message arrived whole, in order, and nothing else was typed.
    EXPECT_EQ(gotReceived, expectReceived);
    EXPECT_GT(messages, 20);
    EXPECT_EQ(monitor.unanswered, 0) << "WM_NULL went unanswered within " << kAnswerMs << " ms";
    EXPECT_LT(monitor.maxAnswerMs, kAnswerMs);
    EXPECT_EQ(monitor.workingSetFailures, 0);
    EXPECT_GT(monitor.workingSetSamples, kGameSeconds / 2);
    EXPECT_LE(monitor.maxWorkingSet, workingSetBound);

    // Closing: the window goes and the program ends by itself.
    ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
    DWORD code = 1;
    EXPECT_TRUE(chat.WaitExit(15000, &code)) << "vekchat.exe did not end after WM_CLOSE";
    EXPECT_EQ(code, 0u);
    ClearSettings();
}

}  // namespace
