// What a bare rich-edit control keeps in memory as lines go through it, with
// nothing else of a program around it: lines go in at the end, CHUNK at a
// time, and go from the top as the chat display lets them go. Build with
// MinGW, run under Wine (it opens a window; under Xvfb set DISPLAY first):
//
//   x86_64-w64-mingw32-g++ -O2 -static -o build/richedit-floor.exe tools/richedit-floor.cpp -lpsapi
//   tools/wine-run build/richedit-floor.exe [MODE] [KEEP] [TOTAL] [CHUNK] [BATCH]
//
//   MODE    how a chunk goes in: settext (RTF by EM_SETTEXTEX with
//           ST_SELECTION, as the display does), stream (RTF by EM_STREAMIN),
//           plain (EM_REPLACESEL); default settext
//   KEEP    lines kept; 0 keeps every line (default 400)
//   TOTAL   lines in all (default 20000)
//   CHUNK   lines per insertion (default 15)
//   BATCH   once more than KEEP + BATCH lines are held, the oldest go down to
//           KEEP in one deletion; 0 deletes down to KEEP after every chunk
//           (default 150, the display's)
//
// Prints the working set at the start and the end, and the bytes it grew by
// per line and per insertion.
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Source {
    const std::string* text;
    size_t at;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
    auto* s = reinterpret_cast<Source*>(cookie);
    const size_t n = std::min(s->text->size() - s->at, static_cast<size_t>(size));
    std::memcpy(buffer, s->text->data() + s->at, n);
    s->at += n;
    *got = static_cast<LONG>(n);
    return 0;
}

size_t WorkingSetKb() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.WorkingSetSize / 1024;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "settext";
    const int keep = argc > 2 ? std::atoi(argv[2]) : 400;
    const int total = argc > 3 ? std::atoi(argv[3]) : 20000;
    const int chunk = std::max(1, argc > 4 ? std::atoi(argv[4]) : 15);
    const int batch = argc > 5 ? std::atoi(argv[5]) : 150;
    const int width = argc > 6 ? std::atoi(argv[6]) : 0;  // plain: characters a line, 0: a chat line
    const bool plain = std::strcmp(mode, "plain") == 0, stream = std::strcmp(mode, "stream") == 0;
    LoadLibraryW(L"msftedit.dll");
    HWND box = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_SAVESEL,
                               0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    if (!box) {
        std::printf("no rich-edit control\n");
        return 1;
    }
    SendMessageW(box, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(box, EM_SETUNDOLIMIT, 0, 0);
    // A warm-up so that the first figure holds the control's own start-up.
    for (int i = 0; i < 20; ++i) Pump();
    const size_t empty = WorkingSetKb();
    int held = 0, serial = 0, inserts = 0;
    auto lines = [&](int n) {
        for (int i = 0; i < n; ++i) {
            std::string text = plain ? "" : "{\\rtf1\\ansi\\ansicpg1252{\\colortbl;\\red255\\green255\\blue255;\\red0\\green255\\blue255;\\red255\\green255\\blue0;}";
            const int k = std::min(chunk, n - i);
            for (int j = 0; j < k; ++j) {
                char line[256];
                ++serial;
                if (plain && width > 0)
                    std::snprintf(line, sizeof line, "%.*s\r\n", std::min(width, 200), "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx");
                else if (plain)
                    std::snprintf(line, sizeof line, "[2026-12-08 18:00:00] Aldric: Meet me at the Old Mill at dusk, bring rope no.%07d\r\n", serial);
                else
                    std::snprintf(line, sizeof line, "\\cf1 [2026-12-08 18:00:00] Aldric: Meet me at the \\cf3 Old Mill\\cf1  at dusk, bring \\cf2 \"rope\"\\cf1  no.%07d\\par ", serial);
                text += line;
            }
            i += k - 1;
            SendMessageW(box, EM_SETSEL, -1, -1);
            if (plain) {
                const std::wstring wide(text.begin(), text.end());
                SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
            } else if (stream) {
                text += "}";
                Source source{&text, 0};
                EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&source), 0, StreamIn};
                SendMessageW(box, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&es));
            } else {
                text += "}";
                SETTEXTEX st{ST_SELECTION, CP_ACP};
                SendMessageW(box, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(text.c_str()));
            }
            ++inserts;
            held += k;
            if (keep > 0 && held > keep + batch) {
                const LRESULT cut = SendMessageW(box, EM_LINEINDEX, held - keep, 0);
                SendMessageW(box, EM_SETSEL, 0, cut);
                SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
                held = keep;
            }
            SendMessageW(box, WM_VSCROLL, SB_BOTTOM, 0);
            Pump();
        }
    };
    // The first KEEP + BATCH lines fill the box: what comes after is the cost of the flow.
    lines(std::max(keep + batch, chunk));
    const size_t start = WorkingSetKb();
    const int before = serial, insertsBefore = inserts;
    lines(total);
    const size_t end = WorkingSetKb();
    const double grew = 1024.0 * (static_cast<double>(end) - static_cast<double>(start));
    std::printf("%s keep %d chunk %d batch %d: empty %zu KB, filled; %d lines in %d insertions; working set %zu -> %zu KB: %.0f B/line, %.0f B/insertion\n",
                mode, keep, chunk, batch, empty, serial - before, inserts - insertsBefore, start, end, grew / (serial - before),
                grew / (inserts - insertsBefore));
    return 0;
}
