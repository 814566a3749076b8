// The eyes inside Wine of tools/session-cost, which feeds a running
// vekchat.exe a long evening through its log and measures it from outside.
// This program finds that window and answers commands on its standard input,
// one a line, one answer line each:
//
//   tail   ->  "tail N MS": N, the serial of the newest line shown (the last
//              "no.NNNNNNN" near the end of the chat display; -1 when none,
//              -2 when the display did not answer within 10 s), MS how long
//              asking took
//   probe  ->  "ok": a thread starts asking the window WM_NULL every 50 ms
//   stop   ->  "answers SLOWEST_MS SLOW ASKED": the probing ends
//   quit   ->  ends this program
//
//   wine64 build/windows/win_session.exe   (started by tools/session-cost)
#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/ids.h"
#include "support/process.h"
#include "support/prober.h"
#include "support/winapp.h"
#include "win/handles.h"

using namespace vektest;

namespace {

constexpr long kTailChars = 400;  // several lines' worth, so the newest is there whole
constexpr int kSerialDigits = 7;

// The last "no." followed by the serial's digits in the text, or -1.
long LastSerial(const std::wstring& text) {
    for (std::size_t at = text.size(); at-- > 0;) {
        if (text.compare(at, 3, L"no.") != 0 || at + 3 + kSerialDigits > text.size()) continue;
        long n = 0;
        std::size_t i = at + 3;
        for (; i < at + 3 + kSerialDigits && std::iswdigit(text[i]); ++i) n = n * 10 + (text[i] - L'0');
        if (i == at + 3 + kSerialDigits) return n;
    }
    return -1;
}

long NewestShown(RemoteRichEdit& display) {
    const std::optional<long> length = display.Length(10000);
    if (!length) return -2;
    const long from = *length > kTailChars ? *length - kTailChars : 0;
    const std::optional<std::wstring> tail = display.Range(from, *length, 10000);
    if (!tail) return -2;
    return LastSerial(*tail);
}

HWND WaitMainWindow(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (;;) {
        if (HWND w = ::FindWindowW(L"VekChatMain", nullptr); w && ::IsWindowVisible(w)) return w;
        if (::GetTickCount64() >= end) return nullptr;
        ::Sleep(50);
    }
}

}  // namespace

int main() {
    HWND main = WaitMainWindow(60000);
    HWND box = main ? ::GetDlgItem(main, IDC_CHATTEXT) : nullptr;
    DWORD pid = 0;
    if (main) ::GetWindowThreadProcessId(main, &pid);
    vek::win::UniqueHandle process(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE, pid));
    if (!box || !process) {
        std::printf("error no VekChatMain window with a chat display\n");
        std::fflush(stdout);
        return 1;
    }
    RemoteRichEdit display(process.get(), box);
    std::unique_ptr<WindowProber> prober;
    std::printf("ready\n");
    std::fflush(stdout);
    for (std::string command; std::getline(std::cin, command);) {
        if (!command.empty() && command.back() == '\r') command.pop_back();
        if (command == "tail") {
            const double t0 = Seconds();
            const long serial = NewestShown(display);
            std::printf("tail %ld %.1f\n", serial, (Seconds() - t0) * 1000.0);
        } else if (command == "probe") {
            prober.reset();
            prober = std::make_unique<WindowProber>(main);
            std::printf("ok\n");
        } else if (command == "stop") {
            const WindowProber::Answers a = prober ? prober->Stop() : WindowProber::Answers{};
            prober.reset();
            std::printf("answers %.1f %d %d\n", a.slowestMs, a.slow, a.asked);
        } else if (command == "quit") {
            break;
        } else {
            std::printf("error unknown command\n");
        }
        std::fflush(stdout);
    }
    return 0;
}
