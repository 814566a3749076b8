#include "compose/composer.h"

#include <richedit.h>

#include <algorithm>
#include <optional>
#include <string>

#include "core/chat_display.h"
#include "core/history.h"
#include "core/markup_compose.h"
#include "win/handles.h"
#include "win/keys.h"
#include "win/richedit.h"
#include "win/text.h"

namespace vek {

using namespace win;

namespace {

// True when the characters [from, to) all have colour c.
bool RangeHasColor(HWND re, int from, int to, Color c) {
    SetSel(re, from, to);
    return GetSelColor(re) == c;
}

// The colour of the character at position i.
Color ColorAt(HWND re, int i) {
    SetSel(re, i, i + 1);
    return GetSelColor(re).value_or(NormalColor);
}

// The end of the run of characters in colour c that starts at `from`, the
// characters before `good` being known to be in c. Doubling the probe and
// then halving the gap, a long run costs a few reads of the selection colour
// instead of one per character.
int RunEnd(HWND re, int from, int good, int n, Color c) {
    int bad = n + 1;  // [from, bad) is known not to be all c, or lies past the end
    for (int step = good - from; good < n; step *= 2) {
        const int probe = std::min(n, good + step);
        if (!RangeHasColor(re, from, probe, c)) {
            bad = probe;
            break;
        }
        good = probe;
    }
    while (bad <= n && bad - good > 1) {
        const int mid = good + (bad - good) / 2;
        if (RangeHasColor(re, from, mid, c)) good = mid;
        else bad = mid;
    }
    return good;
}

// Keeps a RichEdit from telling of selection changes for a scope.
class QuietSelection {
public:
    explicit QuietSelection(HWND re) noexcept : re_(re), mask_(::SendMessageW(re, EM_GETEVENTMASK, 0, 0)) {
        ::SendMessageW(re_, EM_SETEVENTMASK, 0, mask_ & ~static_cast<LRESULT>(ENM_SELCHANGE));
    }
    QuietSelection(const QuietSelection&) = delete;
    QuietSelection& operator=(const QuietSelection&) = delete;
    ~QuietSelection() { ::SendMessageW(re_, EM_SETEVENTMASK, 0, mask_); }

private:
    HWND re_;
    LRESULT mask_;
};

}  // namespace

std::string FormatVek(HWND box) {
    const std::wstring text = GetAllTextWide(box);
    const int n = static_cast<int>(text.size());
    if (n == 0) return {};
    MarkupComposer markup;
    {
        // Reading colours moves the selection over the text; the clean-up
        // must not recolour runs on the way (foreign colours count as normal
        // in the markup anyway).
        QuietSelection quiet(box);
        std::optional<Color> next;  // colour of the character at i, when already read
        for (int i = 0; i < n;) {
            const Color c = next ? *next : ColorAt(box, i);
            next.reset();
            int end = n;
            if (i + 1 < n) {
                // The next character first: in text of many short runs it
                // is the next run's colour, read once.
                const Color d = ColorAt(box, i + 1);
                if (d != c) {
                    end = i + 1;
                    next = d;
                } else {
                    end = RunEnd(box, i, i + 2, n, c);
                }
            }
            markup.Add(ToAnsi(std::wstring_view(text).substr(static_cast<size_t>(i), static_cast<size_t>(end - i))), c);
            i = end;
        }
    }
    SetSel(box, n, n);
    return markup.Finish();
}

Composer::KeyDown Composer::OnKeyDown(int key, int shift) {
    // Ctrl+V pastes the clipboard's plain text only; Ctrl with Shift or Alt
    // (AltGr) is left to the box.
    if (key == 'V' && shift == kCtrl) return KeyDown::Paste;
    // Enter's character (13) runs the sending sequence; the box must not
    // break the line on the key-down first, as the RichEdit does, or the
    // message would go out with a line break.
    if (key == VK_RETURN && (shift & (kCtrl | kAlt)) == 0) return KeyDown::Consume;
    if (key == VK_UP || key == VK_DOWN) {
        const Selection sel = GetSel(box_);
        auto lineOf = [&](int pos) { return ::SendMessageW(box_, EM_EXLINEFROMCHAR, 0, pos); };
        const ArrowKey arrow{key == VK_UP, (shift & kCtrl) != 0, (shift & (kShift | kAlt)) != 0, lineOf(sel.start) == 0,
                             lineOf(sel.end) >= ::SendMessageW(box_, EM_GETLINECOUNT, 0, 0) - 1};
        if (StepsHistory(arrow)) return key == VK_UP ? KeyDown::Back : KeyDown::Forward;
    }
    return KeyDown::Leave;
}

Composer::KeyPress Composer::OnKeyPress(int ch) {
    if (ch == '\r') return KeyPress::Send;
    if (ch < 0 || ch > 255) return KeyPress::Leave;
    // A colour key changes the colour of the selection, or with none the
    // colour of what is typed next, and is not typed itself.
    const std::optional<Color> color = ColorKeyResult(static_cast<char>(ch), GetSelColor(box_));
    if (!color) return KeyPress::Leave;
    SetSelColor(box_, *color);
    return KeyPress::Consume;
}

void Composer::OnSelChange() {
    // Colours that are not the program's own (from rich text dropped in, say)
    // give way to NormalColor wherever the caret or selection goes.
    if (std::optional<Color> c = CleanedSelectionColor(GetSelColor(box_))) SetSelColor(box_, *c);
}

std::string Composer::Markup() {
    std::string markup = FormatVek(box_);
    OnSelChange();  // the reading kept the box quiet; the caret now stands at the end
    return markup;
}

void Composer::Recall(const std::string& markup) {
    RedrawFreeze freeze(box_);
    SetSel(box_, 0, -1);
    ReplaceSel(box_, "");
    SetSelColor(box_, NormalColor);
    // As one undoable insertion: Ctrl+Z takes the recall back, and again
    // brings back what the composer held before.
    ReplaceSel(box_, markup);
    const int n = CharCount(box_);
    SetSel(box_, n, n);
}

void Composer::ShowComposed(std::string_view markup) {
    // One insertion of the coloured runs: a RichEdit message per run would
    // cost a long message tens of milliseconds.
    ChatRtf rtf(static_cast<int>(::GetACP()));
    rtf.Begin();
    const std::vector<ComposedChar> chars = ComposedOfMarkup(markup);
    std::string run;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        run += chars[i].ch;
        if (i + 1 < chars.size() && chars[i + 1].color == chars[i].color) continue;
        rtf.AddRun(run, chars[i].color);
        run.clear();
    }
    RedrawFreeze freeze(box_);
    QuietSelection quiet(box_);
    ::SetWindowTextW(box_, L"");
    SetRtf(box_, rtf.Finish(), true);
    ::SendMessageW(box_, EM_EMPTYUNDOBUFFER, 0, 0);
}

Composer::Snapshot Composer::Take() const {
    const Selection sel = GetSel(box_);
    return {GetRtf(box_), sel.start, sel.end};
}

void Composer::Restore(const Snapshot& snapshot) {
    RedrawFreeze freeze(box_);
    {
        QuietSelection quiet(box_);
        SetRtf(box_, snapshot.rtf);
        ::SendMessageW(box_, EM_EMPTYUNDOBUFFER, 0, 0);
    }
    // Told of, so that the insertion colour is cleaned as after any caret move.
    SetSel(box_, snapshot.selStart, snapshot.selEnd);
}

void Composer::Clear() {
    ::SetWindowTextW(box_, L"");
    SetSel(box_, 0, 0);
    SetSelColor(box_, NormalColor);
}

}  // namespace vek
