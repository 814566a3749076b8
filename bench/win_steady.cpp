// A steady chat's cost per line under the real window (run under Wine or on
// Windows): lines of the game's mixed chatter (about a quarter of them
// pages) written one at a time, each shown and painted before the next,
// with the display alone and with View > Pages Pane open, taking turns.
// The figure is the process's CPU time per line: the follower's passes, the
// display's and the pane's writes, their paints and their scroll bars. (The
// wineserver's share is not in it; tools/session-cost measures both from
// outside, at the pace of a real chat.)
//
//   tools/wine-run build/windows/win_steady.exe [--lines N] [--rounds N]   (300, 3)
//
// It uses the real settings key of the current user (and clears it at the
// end): run it in a test prefix, as the command above does.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game_formats.h"
#include "resource.h"
#include "support/winapp.h"

using namespace vektest;

namespace {

// Writes `lines` lines one at a time; the microseconds of CPU a line took.
double SteadyChat(frmChat& f, const std::string& log, fakegame::Chatter& chat, int lines) {
    const fakegame::Stamp st{2026, 12, 7, 11, 30, 5};
    const double t0 = CpuSeconds();
    for (int i = 0; i < lines; ++i) {
        const std::string line = fakegame::LogLine(st, chat.Next());
        const int before = SessionLineCount(f);
        AppendBytes(log, line);
        PumpUntil(f, [&] { return SessionLineCount(f) > before; }, 5000);
        // Past the display's wait for a fast chat: each line is a write of its own.
        Pump(f, 120);
        ::UpdateWindow(f.hWnd());
    }
    return (CpuSeconds() - t0) * 1e6 / lines;
}

}  // namespace

int main(int argc, char** argv) {
    int lines = 300, rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--lines") == 0) lines = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    }
    TempDir dir;
    const std::string log = dir.file("chat.txt");
    WriteBytes(log, "");
    auto f = MakeFollowingForm(log);
    if (!f) return 1;
    fakegame::Chatter chat(7);
    SteadyChat(*f, log, chat, 50);  // the display filled, the first paints done

    std::vector<double> alone, pane;
    for (int r = 0; r < rounds; ++r) {
        alone.push_back(SteadyChat(*f, log, chat, lines));
        Command(*f, IDM_VIEW_PAGESPANE);
        pane.push_back(SteadyChat(*f, log, chat, lines));
        Command(*f, IDM_VIEW_PAGESPANE);
    }
    auto report = [](const char* what, std::vector<double> us) {
        std::sort(us.begin(), us.end());
        std::printf("%s: median %.0f us a line (", what, us[us.size() / 2]);
        for (std::size_t i = 0; i < us.size(); ++i) std::printf(i ? ", %.0f" : "%.0f", us[i]);
        std::printf(")\n");
    };
    std::printf("steady chat, %d lines a round, %d rounds\n", lines, rounds);
    report("the display alone", alone);
    report("with the pages pane open", pane);
    f.reset();
    ClearSettings();
    return 0;
}
