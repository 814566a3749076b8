// How long a 200-character message takes to reach the game window, carriage
// return included, typed by the program's queue (run under Wine or Windows):
//
//   tools/wine-run build/windows/win_send.exe [--rounds N]
//
// Two peers: a window on a second thread of this process, and the imitation
// game client (fakegame.exe, built beside this program) in its own process,
// which also writes its echo into a log at the carriage return.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/message.h"
#include "support/gamewindow.h"
#include "compose/gametyper.h"
#include "support/winapp.h"
#include "win/handles.h"

using namespace vektest;

namespace {

// A chat-channel message: ";", 198 characters of markup, the carriage return.
std::string Message() {
    std::string markup;
    const char* words[] = {"well ", "\"met\" ", "{traveller} ", "caf\xe9 ", "by the ", "gate "};
    for (size_t i = 0; markup.size() < 198; ++i) markup += words[i % 6];
    markup.resize(198);
    return vek::OutgoingText(vek::kChat, "", markup);
}

struct Figures {
    double median = 0, p10 = 0, p90 = 0, max = 0;
    size_t incomplete = 0;
};

// The unbounded send, one SendMessageA per character, for comparison.
size_t SendUnbounded(const std::string& text) {
    HWND w = ::FindWindowA("AppClass", "Ember Heraldry");
    if (!w) return 0;
    for (char c : text) ::SendMessageA(w, WM_CHAR, static_cast<unsigned char>(c), 0);
    return text.size();
}

Figures Summary(std::vector<double> ms, size_t incomplete) {
    std::sort(ms.begin(), ms.end());
    Figures fig;
    fig.median = ms[ms.size() / 2];
    fig.p10 = ms[ms.size() / 10];
    fig.p90 = ms[ms.size() * 9 / 10];
    fig.max = ms.back();
    fig.incomplete = incomplete;
    return fig;
}

void Print(const char* peer, const Figures& f, int rounds) {
    std::printf("%-34s median %7.2f ms   p10 %7.2f   p90 %7.2f   max %7.2f   (%d rounds, %zu incomplete)\n", peer,
                f.median, f.p10, f.p90, f.max, rounds, f.incomplete);
}

// Hands the message to the program's typer and runs the thread's message
// loop until all of it was taken. False when it was not delivered.
bool TypeWhole(vek::GameTyper& typer, TyperEvents& events, const std::string& msg) {
    const size_t told = events.told.size();
    typer.Type(msg);
    MSG m;
    while (!typer.Idle()) {
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 1000, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
    }
    return events.told.size() == told;
}

// The program's typer (queued, never waiting) and the unbounded send, round
// by round in turn, so that both meet the same load of the machine.
void Measure(const char* peer, int rounds) {
    const std::string msg = Message();
    if (msg.size() != 200) std::printf("message is %zu characters\n", msg.size());
    std::vector<double> bounded, unbounded;
    size_t incomplete = 0;
    TyperEvents events;
    vek::GameTyper typer;
    if (!typer.Attach(events)) return;
    TypeWhole(typer, events, msg);  // warm-up
    for (int i = 0; i < rounds; ++i) {
        double t0 = Seconds();
        if (!TypeWhole(typer, events, msg)) ++incomplete;
        bounded.push_back((Seconds() - t0) * 1000.0);
        t0 = Seconds();
        SendUnbounded(msg);
        unbounded.push_back((Seconds() - t0) * 1000.0);
    }
    Print(peer, Summary(bounded, incomplete), rounds);
    Print("  same, one SendMessageA after another:", Summary(unbounded, 0), rounds);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 101;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    std::printf("200-character message (carriage return included), one WM_CHAR per character\n");

    if (::FindWindowA("AppClass", "Ember Heraldry")) {
        std::printf("a game window is already open; close it first\n");
        return 1;
    }
    {
        GameWindow game;
        if (!game.hWnd()) return 1;
        Measure("window on another thread:", rounds);
    }

    TempDir dir;
    std::string cmd = BuiltProgram("fakegame.exe");
    cmd.insert(0, 1, '"');
    cmd += "\" --log \"" + dir.file("chat.log") + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("fakegame.exe not started (error %lu)\n", ::GetLastError());
        return 0;
    }
    vek::win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    HWND game = nullptr;
    for (int i = 0; i < 1000 && !game; ++i) {
        game = ::FindWindowA("AppClass", "Ember Heraldry");
        if (!game) ::Sleep(10);
    }
    if (game) {
        ::WaitForInputIdle(process.get(), 5000);
        Measure("fakegame.exe (echo into its log):", rounds);
    }
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 5000);
    return 0;
}
