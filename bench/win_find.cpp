// Find in a long chat display under the real window (run under Wine or on
// Windows): Ctrl+F (which reads the display's text), Find Next in the dialog,
// and F3, for a text in the oldest line and for one that is nowhere; and the
// RichEdit's own search (EM_FINDTEXTEXW) over the same display for comparison.
//
//   tools/wine-run build/windows/win_find.exe [--lines N]   (100,000 by default)
//
// It uses the real settings key of the current user (and restores nothing):
// run it in a test prefix, as the command above does.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>

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

// Milliseconds F3 takes, the caret put at the session's end first.
double TimeF3(frmChat& f) {
    HWND d = Display(f);
    PressKey(f, d, VK_END, false, true);
    const int end = vek::win::CharCount(d);
    vek::win::SetSel(d, end, end);
    const double t0 = Seconds();
    PressKey(f, ComposerBox(f), VK_F3);
    return (Seconds() - t0) * 1000;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int lines = 100000;
    if (argc > 2 && std::strcmp(argv[1], "--lines") == 0) lines = std::atoi(argv[2]);
    TempDir dir;
    const std::string log = dir.file("chat.txt");
    WriteBytes(log, "");
    auto f = MakeFollowingForm(log);
    if (!f) return 1;
    HWND d = Display(*f);

    // The display: the oldest line holds the text searched for, then chatter.
    fakegame::Chatter chat(7);
    fakegame::Stamp st{2026, 12, 7, 11, 30, 5};
    std::string text = fakegame::LogLine(st, "{Orrin}\":\" meet me by the quartermaster's tent");
    for (int i = 1; i < lines; ++i) text += fakegame::LogLine(st, chat.Next());
    AppendBytes(log, text);
    if (!PumpUntil(*f, [&] { return SessionLineCount(*f) == lines; }, 600000)) return 1;
    std::printf("session: %d lines; the display holds %d characters\n", lines, vek::win::CharCount(d));

    // The dialog searches once (Up, from the end), so that F3 searches again.
    double t0 = Seconds();
    PressKey(*f, ComposerBox(*f), 'F', false, true);
    std::printf("Ctrl+F, the dialog opened: %.0f ms\n", (Seconds() - t0) * 1000);
    const std::vector<HWND> dialogs = OwnedWindows(*f, L"#32770");
    if (dialogs.empty()) return 1;
    HWND dlg = dialogs.front();
    SetDlgItemTextW(dlg, edt1, L"quartermaster");
    PressKey(*f, d, VK_END, false, true);
    const int end = vek::win::CharCount(d);
    vek::win::SetSel(d, end, end);
    t0 = Seconds();
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const double first = (Seconds() - t0) * 1000;
    if (vek::win::GetSel(d).length() != 13) std::printf("the first search found nothing\n");
    std::printf("Find Next in the dialog, found at the oldest line: %.0f ms\n", first);

    std::vector<double> found, nowhere;
    for (int i = 0; i < 5; ++i) found.push_back(TimeF3(*f));
    SetDlgItemTextW(dlg, edt1, L"zqxjv");
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    for (int i = 0; i < 5; ++i) nowhere.push_back(TimeF3(*f));
    std::printf("F3, found at the oldest line: median %.0f ms, worst %.0f ms\n", Median(found),
                *std::max_element(found.begin(), found.end()));
    std::printf("F3, found nowhere (the whole text): median %.0f ms, worst %.0f ms\n", Median(nowhere),
                *std::max_element(nowhere.begin(), nowhere.end()));

    // The control's own search over what the display holds, upwards from its end.
    for (const wchar_t* what : {L"quartermaster", L"zqxjv"}) {
        FINDTEXTEXW ft{};
        ft.chrg.cpMin = vek::win::CharCount(d);
        ft.chrg.cpMax = 0;
        ft.lpstrText = what;
        t0 = Seconds();
        SendMessageW(d, EM_FINDTEXTEXW, 0, reinterpret_cast<LPARAM>(&ft));
        std::printf("EM_FINDTEXTEXW over what the display holds, up from its end, for \"%ls\": %.0f ms\n", what, (Seconds() - t0) * 1000);
    }
    f.reset();
    ClearSettings();
    return 0;
}
