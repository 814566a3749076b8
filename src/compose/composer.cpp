// The composer: colour keys, colour clean-up, plain paste, recall, and the
// conversion of its coloured text into markup.
#include <richedit.h>

#include <algorithm>
#include <string>

#include "app/frmChat.h"
#include "core/markup_compose.h"
#include "win/handles.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vek::win;

namespace {

// True when the characters [from, to) all have colour c.
bool RangeHasColor(HWND re, int from, int to, vek::Color c) {
    SetSel(re, from, to);
    return GetSelColor(re) == c;
}

// The colour of the character at position i.
vek::Color ColorAt(HWND re, int i) {
    SetSel(re, i, i + 1);
    return GetSelColor(re).value_or(vek::NormalColor);
}

// The end of the run of characters in colour c that starts at `from`, the
// characters before `good` being known to be in c. Doubling the probe and
// then halving the gap, a long run costs a few reads of the selection colour
// instead of one per character.
int RunEnd(HWND re, int from, int good, int n, vek::Color c) {
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

// Keeps the composer from telling of selection changes for a scope.
class QuietSelection {
public:
    explicit QuietSelection(HWND re) noexcept
        : re_(re), mask_(::SendMessageW(re, EM_GETEVENTMASK, 0, 0)) {
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

void frmChat::Form_KeyDown(int& KeyCode, int Shift) {
    (void)Shift;  // F9 recalls with any modifiers
    // Recall the last message into the composer; the key itself goes on to
    // the focused control.
    if (KeyCode != VK_F9 || LastMessage.empty() || !rtfMessage) return;
    RedrawFreeze freeze(rtfMessage);
    SetSel(rtfMessage, 0, -1);
    ReplaceSel(rtfMessage, "");
    SetSelColor(rtfMessage, NormalColor);
    // As one undoable insertion: Ctrl+Z takes the recall back, and again
    // brings back what the composer held before.
    ReplaceSel(rtfMessage, LastMessage);
    const int n = CharCount(rtfMessage);
    SetSel(rtfMessage, n, n);
}

void frmChat::rtfMessage_KeyDown(int& KeyCode, int Shift) {
    // Ctrl+V pastes the clipboard's plain text only; Ctrl with Shift or Alt
    // (AltGr) is left to the box.
    if (KeyCode == 'V' && Shift == 2) {
        KeyCode = 0;
        mnuEditPaste_Click();
    } else if (KeyCode == VK_RETURN && (Shift & 6) == 0) {
        // Enter's character (13) runs the sending sequence; the box must not
        // break the line on the key-down first, as the RichEdit does, or the
        // message would go out with a line break.
        KeyCode = 0;
    }
}

void frmChat::rtfMessage_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13) {
        KeyAscii = 0;
        SendComposedMessage();
        return;
    }
    if (KeyAscii < 0 || KeyAscii > 255) return;
    // A colour key changes the colour of the selection, or with none the
    // colour of what is typed next, and is not typed itself.
    const std::optional<vek::Color> color =
        vek::ColorKeyResult(static_cast<char>(KeyAscii), GetSelColor(rtfMessage));
    if (!color) return;
    KeyAscii = 0;
    SetSelColor(rtfMessage, *color);
}

void frmChat::rtfMessage_SelChange() {
    // Colours that are not the program's own (from rich text dropped in, say)
    // give way to NormalColor wherever the caret or selection goes.
    if (std::optional<vek::Color> c = vek::CleanedSelectionColor(GetSelColor(rtfMessage)))
        SetSelColor(rtfMessage, *c);
}

std::string frmChat::FormatVek(HWND box) {
    const std::wstring text = GetAllTextWide(box);
    const int n = static_cast<int>(text.size());
    if (n == 0) return {};
    vek::MarkupComposer markup;
    {
        // Reading colours moves the selection over the text; the clean-up
        // must not recolour runs on the way (foreign colours count as normal
        // in the markup anyway).
        QuietSelection quiet(box);
        std::optional<vek::Color> next;  // colour of the character at i, when already read
        for (int i = 0; i < n;) {
            const vek::Color c = next ? *next : ColorAt(box, i);
            next.reset();
            int end = n;
            if (i + 1 < n) {
                // The next character first: in text of many short runs it
                // is the next run's colour, read once.
                const vek::Color d = ColorAt(box, i + 1);
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
    if (box == rtfMessage) rtfMessage_SelChange();
    return markup.Finish();
}
