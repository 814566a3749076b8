// Composing keys on the real window (run under Wine or on Windows): a step
// through the message history (leaving a long coloured draft, from message to
// message, back to the draft), F9's recall beside them, and a name offered in
// the page box from a full store, each from the key's arrival to its end.
//
//   tools/wine-run build/windows/win_compose.exe
//
// It uses the real settings key of the current user: run it in a test
// prefix, as the command above does.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "game_formats.h"
#include "support/typing.h"
#include "support/winapp.h"
#include "win/richedit.h"

using namespace vektest;

namespace {

// Median and worst of a key's handling, in milliseconds.
void Report(const char* what, int reps, const std::function<void()>& setUp, const std::function<void()>& key) {
    std::vector<double> t;
    for (int r = 0; r < reps; ++r) {
        setUp();
        const double t0 = Seconds();
        key();
        t.push_back((Seconds() - t0) * 1e3);
    }
    std::sort(t.begin(), t.end());
    std::printf("%-58s median %6.2f ms, worst %6.2f ms\n", what, t[t.size() / 2], t.back());
}

// A message of about n characters, markup in runs of all three colours.
std::string Markup(std::size_t n, int seed) {
    std::string out;
    for (int i = seed; out.size() < n; ++i) out += "word \"quoted bit\" {braced} " + std::to_string(i) + " ";
    return out;
}

}  // namespace

int main() {
    TempDir dir;
    const std::string log = dir.file("chat.txt");
    WriteBytes(log, "");
    auto f = MakeFollowingForm(log);
    if (!f) return 1;
    const HWND composer = ComposerBox(*f);
    ::SetFocus(composer);

    // 100 messages of 200 characters sent (no game: nothing goes out).
    for (int i = 0; i < 100; ++i) {
        vek::win::ReplaceSel(composer, Markup(200, i));
        SendComposed(*f);
    }
    const std::string draft = Markup(1000, 7);
    auto typeDraft = [&] {
        ::SetWindowTextW(composer, L"");
        TypeKeys(*f, composer, draft, true);  // typed with the colour keys
    };
    auto key = [&](int vk, bool ctrl) { return [&f, composer, vk, ctrl] { PressKey(*f, composer, vk, false, ctrl); }; };
    const int reps = 20;
    typeDraft();
    Report("Ctrl+Up from a typed draft of 1,000 characters", reps, key(VK_DOWN, true), key(VK_UP, true));
    Report("Ctrl+Up from message to message (200 characters)", reps, [] {}, key(VK_UP, true));
    for (int i = 0; i < 120; ++i) key(VK_DOWN, true)();  // on the draft again
    Report("Ctrl+Down back to that draft", reps, key(VK_UP, true), key(VK_DOWN, true));
    Report("F9, the last message as plain text (for comparison)", reps, [] {}, key(VK_F9, false));

    // 200 names seen, each line from another player, and one typed letter
    // that matches only the oldest.
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += fakegame::LogLine({}, fakegame::SayLine((i == 0 ? "Zed" : "Player") + std::to_string(i), "hi"));
    const int want = vek::win::CharCount(Display(*f)) + ShownCharCount(lines);
    AppendBytes(log, lines);
    PumpUntil(*f, [&] { return vek::win::CharCount(Display(*f)) >= want; }, 20000);
    ClickTypeButton(*f);
    ClickTypeButton(*f);  // Page
    const HWND page = PageBox(*f);
    ::SetFocus(page);
    Report("a letter typed into the page box, offered from 200 names", reps, [&] { ::SetWindowTextW(page, L""); },
           [&] { TypeKeys(*f, page, "z"); });

    f.reset();
    ClearSettings();
    return 0;
}
