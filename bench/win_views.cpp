// The views of a long session under the real window (run under Wine or on
// Windows): View > Pages Pane opened, a kind of line unticked and ticked back,
// over a session of a million lines of the game's mixed chatter, following
// and read back to the middle.
//
//   tools/wine-run build/windows/win_views.exe [--lines N]   (1,000,000 by default)
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
#include "support/winapp.h"
#include "win/richedit.h"

using namespace vektest;

namespace {

// Milliseconds a menu command takes, the window's own messages included.
double TimeCommand(frmChat& f, UINT id) {
    const double t0 = Seconds();
    Command(f, id);
    PumpPending(&f);
    return (Seconds() - t0) * 1000;
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.0f ms, worst %.0f ms\n", what, ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    int lines = 1000000;
    if (argc > 2 && std::strcmp(argv[1], "--lines") == 0) lines = std::atoi(argv[2]);
    TempDir dir;
    const std::string log = dir.file("chat.txt");
    WriteBytes(log, "");
    auto f = MakeFollowingForm(log);
    if (!f) return 1;

    fakegame::Chatter chat(7);
    const fakegame::Stamp st{2026, 12, 7, 11, 30, 5};
    std::string text;
    for (int i = 0; i < lines; ++i) text += fakegame::LogLine(st, chat.Next());
    AppendBytes(log, text);
    if (!PumpUntil(*f, [&] { return SessionLineCount(*f) == lines; }, 600000)) return 1;
    std::printf("session: %d lines\n", lines);

    for (const bool middle : {false, true}) {
        if (middle) {
            // The display read back to the middle of the session.
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_POS;
            si.nPos = lines / 2;
            ::SetScrollInfo(DisplayScrollBar(*f), SB_CTL, &si, FALSE);
            ::SendMessageW(f->hWnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0),
                           reinterpret_cast<LPARAM>(DisplayScrollBar(*f)));
        }
        std::vector<double> open, close, untick, tick;
        for (int i = 0; i < 5; ++i) {
            open.push_back(TimeCommand(*f, IDM_VIEW_PAGESPANE));
            close.push_back(TimeCommand(*f, IDM_VIEW_PAGESPANE));
            untick.push_back(TimeCommand(*f, IDM_VIEW_CHATLINES));
            tick.push_back(TimeCommand(*f, IDM_VIEW_CHATLINES));
        }
        std::printf("-- the display %s\n", middle ? "read back to the middle" : "following");
        Report("View > Pages Pane, opened", open);
        Report("View > Pages Pane, closed", close);
        Report("View > Chat Lines, unticked", untick);
        Report("View > Chat Lines, ticked back", tick);
    }
    f.reset();
    ClearSettings();
    return 0;
}
