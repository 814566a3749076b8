// Follower and display figures under the real window (run under Wine or on
// Windows): idle cost, latency of one line, burst catch-up into an empty and
// into a long display, following and with the view held, and the
// character-at-a-time writer for comparison.
//
//   tools/wine-run build/windows/win_follow.exe [--quick]
//
// It uses the real settings key of the current user (and restores nothing):
// run it in a test prefix, as the command above does.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "game_formats.h"
#include "support/winapp.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vektest;

namespace {

std::string Lines(fakegame::Chatter& chat, int n, size_t* bytes = nullptr) {
    std::string out;
    fakegame::Stamp st{2026, 12, 7, 11, 30, 5};
    for (int i = 0; i < n; ++i) out += fakegame::LogLine(st, chat.Next());
    if (bytes) *bytes = out.size();
    return out;
}

// With VEK_BENCH_NO_WAKE, the loop does not wait on the change notification:
// passes come from the timer alone, as on Windows when a log held open grows
// without a notification.
bool NoWake() { return std::getenv("VEK_BENCH_NO_WAKE") != nullptr; }

bool PumpFor(frmChat& f, const std::function<bool()>& done, int timeoutMs) {
    if (!NoWake()) return PumpUntil(f, done, timeoutMs);
    const double end = Seconds() + timeoutMs / 1000.0;
    for (;;) {
        PumpPending(&f);
        if (done && done()) return true;
        if (Seconds() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Waits until the session has every line of the burst, and the display the newest.
double CatchUp(frmChat& f, const std::string& log, const std::string& burst) {
    const std::string shown = ShownText(burst);
    const int target = SessionLineCount(f) + static_cast<int>(std::count(shown.begin(), shown.end(), '\r'));
    const double t0 = Seconds();
    AppendBytes(log, burst);
    PumpFor(f, [&] { return SessionLineCount(f) >= target; }, 600000);
    return Seconds() - t0;
}

// Scrolls the display up with the wheel, as a player reading back; false
// when the view did not leave the end.
bool HeldView(frmChat& f) {
    RECT r{};
    GetWindowRect(Display(f), &r);
    SendMessageW(Display(f), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 3), MAKELPARAM(r.left + 20, r.top + 20));
    HWND bar = GetDlgItem(f.hWnd(), IDC_NEWLINES);
    const int before = SessionLineCount(f);
    f.AppendData("[2026-12-07 11:30:05] held\r\n");
    const bool held = IsWindowVisible(bar) && SessionLineCount(f) > before;
    if (!held) std::printf("the view could not be held\n");
    return held;
}

// Seconds a line costs when each goes into the display on its own (a quiet
// log, one line per pass).
double OneLineAtATime(frmChat& f, fakegame::Chatter& chat, int n) {
    fakegame::Stamp st{2026, 12, 7, 11, 30, 5};
    const double t0 = Seconds();
    for (int i = 0; i < n; ++i) f.AppendData(fakegame::LogLine(st, chat.Next()));
    return (Seconds() - t0) / n;
}

// The writer the display would have without batching: one character at a
// time, reading the whole text before each to find the end.
void NaiveAppend(HWND box, const std::string& line) {
    const std::string shown = line.size() > 22 ? line.substr(22) : std::string();
    const vek::Color base = vek::LineColor(vek::ShownOfInput(line));
    auto end = [&] {
        int n = GetWindowTextLengthW(box);
        std::wstring all(static_cast<size_t>(n) + 1, L'\0');
        GetWindowTextW(box, all.data(), n + 1);
        GETTEXTLENGTHEX q{GTL_NUMCHARS, 1200};
        return static_cast<int>(SendMessageW(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&q), 0));
    };
    vek::win::SetSel(box, end(), end());
    vek::win::SetSelColor(box, base);
    for (char c : shown) {
        int e = end();
        vek::win::SetSel(box, e, e);
        if (c == '"') {
            vek::win::SetSelColor(box, vek::win::GetSelColor(box) == base ? vek::QuoteColor : base);
        } else if (c == '{') {
            vek::win::SetSelColor(box, vek::BraceColor);
        } else if (c == '}') {
            vek::win::SetSelColor(box, base);
        } else {
            char s[2] = {c, 0};
            vek::win::ReplaceSel(box, s, false);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const bool naiveOnly = argc > 2 && std::strcmp(argv[2], "--naive") == 0;
    TempDir dir;
    const std::string log = dir.file("chat.txt");
    WriteBytes(log, "");
    auto f = MakeFollowingForm(log);
    if (!f) return 1;
    fakegame::Chatter chat(7);

    if (!naiveOnly) {
        // 1. Quiet log: process CPU over a stretch of following.
        const double idleSeconds = quick ? 3.0 : 10.0;
        double c0 = CpuSeconds(), t0 = Seconds();
        // The program's own loop, which sleeps until a message or wake-up
        // comes (the test pump polls, which would cost more than following).
        while (Seconds() - t0 < idleSeconds) f->DoEvents(INFINITE);
        double idleCpu = (CpuSeconds() - c0) / (Seconds() - t0) * 100.0;
        std::printf("quiet log, following on:   %.2f %% of one core over %.0f s\n", idleCpu, idleSeconds);

        // For comparison, following by polling without pause: pending events,
        // then the log's length, over and over.
        c0 = CpuSeconds();
        t0 = Seconds();
        while (Seconds() - t0 < idleSeconds) {
            PumpPending(f.get());
            WIN32_FILE_ATTRIBUTE_DATA a;
            GetFileAttributesExA(log.c_str(), GetFileExInfoStandard, &a);
        }
        std::printf("  the same by polling without pause: %.0f %% of one core\n",
                    (CpuSeconds() - c0) / (Seconds() - t0) * 100.0);

        // 2. Latency of one line: written to the log -> in the display.
        std::vector<double> lat;
        for (int i = 0; i < (quick ? 15 : 40); ++i) {
            PumpFor(*f, nullptr, 20 + (i * 7) % 45);  // spread the writes over the timer's phase
            const int before = SessionLineCount(*f);
            std::string line = Lines(chat, 1);
            double w = Seconds();
            AppendBytes(log, line);
            PumpFor(*f, [&] { return SessionLineCount(*f) > before; }, 5000);
            lat.push_back((Seconds() - w) * 1000.0);
        }
        std::sort(lat.begin(), lat.end());
        std::printf("one line, log -> display:  median %.1f ms, worst %.1f ms (%zu lines)\n", lat[lat.size() / 2],
                    lat.back(), lat.size());

        // 3. Burst of 10,000 mixed lines into a nearly empty display.
        size_t bytes = 0;
        std::string burst = Lines(chat, 10000, &bytes);
        double s1 = CatchUp(*f, log, burst);
        std::printf("burst of 10,000 lines (%.2f MB) into an empty display: %.0f lines/s (%.1f us/line)\n",
                    bytes / 1e6, 10000 / s1, s1 / 10000 * 1e6);

        // 4. The same into a display that already holds 100,000 lines.
        const int fill = quick ? 20000 : 100000;
        for (int done = 10000; done < fill; done += 10000) CatchUp(*f, log, Lines(chat, 10000));
        double s2 = CatchUp(*f, log, Lines(chat, 10000));
        std::printf("burst of 10,000 lines into %d shown lines: %.0f lines/s (%.1f us/line, %.2fx the empty case)\n",
                    fill, 10000 / s2, s2 / 10000 * 1e6, s2 / s1);

        // 5. The same display, the view held where the player scrolled it up
        // (the wheel), then followed again: a burst, and single lines.
        if (HeldView(*f)) {
            double s3 = CatchUp(*f, log, Lines(chat, 10000));
            std::printf("the same burst with the view held: %.0f lines/s (%.1f us/line, %.2fx following)\n",
                        10000 / s3, s3 / 10000 * 1e6, s3 / s2);
            const double held = OneLineAtATime(*f, chat, quick ? 10 : 30);
            PressKey(*f, Display(*f), VK_END, false, true);  // following again
            const double following = OneLineAtATime(*f, chat, quick ? 10 : 30);
            std::printf("one line per insertion, same display: following %.1f ms a line, view held %.1f ms a line\n",
                        following * 1000, held * 1000);
        }
    }

    if (std::getenv("VEK_BENCH_NO_NAIVE")) {
        f.reset();
        ClearSettings();
        return 0;
    }

    // 6. The character-at-a-time writer, into a display of 2,000 lines.
    f->StopLog();
    SetWindowTextW(Display(*f), L"");
    fakegame::Chatter chat2(11);
    fakegame::Stamp st{2026, 12, 7, 11, 30, 5};
    for (int i = 0; i < 2000; ++i) f->AppendData(fakegame::LogLine(st, chat2.Next()));
    std::fprintf(stderr, "display filled: %d characters\n", vek::win::CharCount(Display(*f)));
    const int naiveLines = quick ? 20 : 100;
    double n0 = Seconds();
    for (int i = 0; i < naiveLines; ++i) {
        NaiveAppend(Display(*f), fakegame::LogLine(st, chat2.Next()));
        std::fprintf(stderr, ".");
    }
    double sn = Seconds() - n0;
    std::printf("character-at-a-time writer into 2,000 shown lines: %.0f lines/s (%.1f ms/line)\n",
                naiveLines / sn, sn / naiveLines * 1000);
    double b0 = Seconds();
    for (int i = 0; i < naiveLines; ++i) f->AppendData(fakegame::LogLine(st, chat2.Next()));
    double sb = Seconds() - b0;
    std::printf("this program's writer, one line per call, same display: %.0f lines/s (%.2f ms/line)\n",
                naiveLines / sb, sb / naiveLines * 1000);

    f.reset();
    ClearSettings();
    return 0;
}
