// A burst into the real vekchat.exe, measured from outside: catching up
// 20,000 lines of 100 bytes (2 MB) written at once, into an empty display and
// into one that already holds 100,000 lines, while another program asks the
// window something (WM_NULL) every 50 ms. Prints lines per second and how
// long the slowest answer took. Any vekchat.exe can be measured, so that two
// builds meet the same machine in one run:
//
//   tools/wine-run build/windows/win_burst.exe [--fill N] [--lines N] EXE...
//
// It uses the current user's settings key (and leaves it cleared): run it in
// a test prefix, as the command above does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/ids.h"
#include "game_formats.h"
#include "support/process.h"
#include "support/prober.h"
#include "support/winapp.h"

using namespace vektest;

namespace {

// n lines of exactly 100 bytes, CR LF included.
std::string Lines(int from, int n) {
    std::string out;
    for (int i = from; i < from + n; ++i) {
        std::string body = "{Aldric}\":\" burst line " + std::to_string(i) + " with \"quoted\" and {braced} text ";
        body.resize(100 - fakegame::kLeadLength - 2, '.');
        out += fakegame::LogLine({2026, 12, 7, 11, 30, 5}, body);
    }
    return out;
}

// Waits until the display holds `chars` characters; the seconds it took.
double CatchUp(RemoteRichEdit& box, long chars, double t0) {
    while (box.Length(10000).value_or(0) < chars) ::Sleep(5);
    return Seconds() - t0;
}

void Measure(const std::string& exe, int fill, int lines) {
    TempDir dir;
    const std::string log = dir.file("chat.log");
    WriteBytes(log, "");
    ClearSettings();
    PutSetting("Run Before", "True");
    PutSetting("Log", log);
    PutSetting("Autostart Log", "True");
    ChildProcess chat(Quoted(exe));
    HWND main = chat.WaitWindow(L"VekChatMain", 20000);
    if (!main) {
        std::printf("%s: no window\n", exe.c_str());
        return;
    }
    RemoteRichEdit box(chat.handle(), ::GetDlgItem(main, IDC_CHATTEXT));
    ::Sleep(500);
    long shown = 0;
    for (int done = 0; done < fill; done += 10000) {
        const std::string part = Lines(done, 10000);
        AppendBytes(log, part);
        shown += ShownCharCount(part);
        CatchUp(box, shown, Seconds());
    }
    const std::string burst = Lines(fill, lines);
    WindowProber prober(main);
    ::Sleep(200);
    const double t0 = Seconds();
    AppendBytes(log, burst);
    shown += ShownCharCount(burst);
    const double took = CatchUp(box, shown, t0);
    const WindowProber::Answers a = prober.Stop();
    std::printf("%-50s %6d shown before: %6.0f lines/s (%5.1f us a line); slowest answer %5.0f ms, %d of %d over 100 ms\n",
                exe.c_str(), fill, lines / took, took / lines * 1e6, a.slowestMs, a.slow, a.asked);
    std::fflush(stdout);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    chat.WaitExit(10000);
    ClearSettings();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> exes;
    int lines = 20000;
    std::vector<int> fills = {0, 100000};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lines") == 0 && i + 1 < argc) lines = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--fill") == 0 && i + 1 < argc) fills = {std::atoi(argv[++i])};
        else exes.emplace_back(argv[i]);
    }
    if (exes.empty()) exes.push_back(BuiltProgram("vekchat.exe"));
    for (int fill : fills)
        for (const std::string& exe : exes) Measure(exe, fill, lines);
    return 0;
}
