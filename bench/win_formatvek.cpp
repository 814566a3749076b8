// FormatVek on the real composer (run under Wine or on Windows): the
// conversion reads colours run by run; for comparison, reading them with the
// caret put after each character in turn.
//
//   tools/wine-run build/windows/win_formatvek.exe
//
// It uses the real settings key of the current user: run it in a test
// prefix, as the command above does.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/markup_compose.h"
#include "support/winapp.h"
#include "win/handles.h"
#include "win/richedit.h"

using namespace vektest;

namespace {

// Fills the composer with n characters in runs of `run` characters that
// cycle through the three markup colours.
void Fill(HWND re, int n, int run) {
    const vek::Color colors[] = {vek::NormalColor, vek::QuoteColor, vek::BraceColor};
    vek::win::SetSel(re, 0, -1);
    vek::win::ReplaceSel(re, "", false);
    for (int i = 0, k = 0; i < n; i += run, ++k) {
        const int len = std::min(run, n - i);
        vek::win::SetSelColor(re, colors[k % 3]);
        vek::win::ReplaceSel(re, std::string(static_cast<size_t>(len), static_cast<char>('a' + k % 26)), false);
    }
}

// One read of the insertion colour per character.
std::string PerCharacter(HWND re) {
    const std::string text = ReadText(re);
    vek::MarkupComposer m;
    for (size_t i = 0; i < text.size(); ++i) {
        vek::win::SetSel(re, static_cast<int>(i) + 1, static_cast<int>(i) + 1);
        m.Add(text[i], vek::win::GetSelColor(re).value_or(vek::NormalColor));
    }
    return m.Finish();
}

template <class F>
double Median(int reps, F&& f) {
    std::vector<double> t;
    for (int r = 0; r < reps; ++r) {
        const double t0 = Seconds();
        f();
        t.push_back(Seconds() - t0);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

}  // namespace

int main() {
    ClearSettings();
    PutSetting("Run Before", "True");
    auto f = MakeForm();
    if (!f) return 1;
    f->StartLog();
    HWND re = ComposerBox(*f);
    std::printf("%8s %6s %14s %14s\n", "chars", "run", "FormatVek ms", "per-char ms");
    const int sizes[] = {100, 1000, 5000};
    const int runs[] = {1, 8, 64};
    for (int n : sizes) {
        for (int run : runs) {
            Fill(re, n, run);
            std::string a, b;
            // Painting is off around it, as in the sending sequence.
            const double fast = Median(5, [&] {
                vek::win::RedrawFreeze freeze(re);
                a = f->FormatVek(re);
            });
            const double slow = Median(n > 1000 ? 1 : 3, [&] {
                vek::win::RedrawFreeze freeze(re);
                b = PerCharacter(re);
            });
            std::printf("%8d %6d %14.2f %14.2f%s\n", n, run, fast * 1e3, slow * 1e3, a == b ? "" : "  (differ!)");
        }
    }
    f.reset();
    ClearSettings();
    return 0;
}
