// A game that opens its log with no sharing, again and again, beside the
// real vekchat.exe following that log while it is quiet: how many of those
// opens are refused (ERROR_SHARING_VIOLATION). Any vekchat.exe can be
// measured, so that two builds meet the same machine in one run:
//
//   tools/wine-run build/windows/win_exclusive.exe [--seconds N] EXE...
//
// It uses the current user's settings key (and leaves it cleared): run it in
// a test prefix, as the command above does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/winapp.h"

using namespace vektest;

namespace {

void Measure(const std::string& exe, int seconds) {
    TempDir dir;
    const std::string log = dir.file("chat.log");
    WriteBytes(log, "[2026-12-07 11:30:05] a line before\r\n");
    ClearSettings();
    PutSetting("Run Before", "True");
    PutSetting("Log", log);
    PutSetting("Autostart Log", "True");
    ChildProcess chat(Quoted(exe));
    if (!chat.WaitWindow(L"VekChatMain", 20000)) {
        std::printf("%s: no window\n", exe.c_str());
        return;
    }
    ::Sleep(1000);  // following, the log quiet
    int opens = 0, refused = 0;
    const double end = Seconds() + seconds;
    while (Seconds() < end) {
        vek::win::UniqueFile f(
            ::CreateFileA(log.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ++opens;
        if (!f && ::GetLastError() == ERROR_SHARING_VIOLATION) ++refused;
        f.reset();
        ::Sleep(2);
    }
    std::printf("%-50s %d of %d exclusive opens refused over %d s\n", exe.c_str(), refused, opens, seconds);
    std::fflush(stdout);
    ::PostMessageW(chat.WaitWindow(L"VekChatMain", 1000), WM_CLOSE, 0, 0);
    chat.WaitExit(10000);
    ClearSettings();
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 10;
    std::vector<std::string> exes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::atoi(argv[++i]);
        else exes.emplace_back(argv[i]);
    }
    if (exes.empty()) exes.push_back(BuiltProgram("vekchat.exe"));
    for (const std::string& exe : exes) Measure(exe, seconds);
    return 0;
}
