// The chat display writer: lines go in at the end of the display as one RTF
// insertion per pass, coloured by the core's rendering of their markup. The
// player's caret, selection and view stay where they were, unless the caret
// stood at the end, in which case it follows the new end.
#include <richedit.h>

#include "app/frmChat.h"
#include "win/richedit.h"

using namespace vek::win;

void frmChat::AppendData(const std::string& line) {
    DisplayRtf.Begin();
    DisplayRtf.AddShown(vek::ShownOfInput(line));
    if (DisplayRtf.HasText()) WriteDisplayRtf();
}

void frmChat::WriteDisplayRtf() {
    HWND box = rtfChatText;
    const std::string_view rtf = DisplayRtf.Finish();  // views a whole std::string: NUL-terminated

    const int end = CharCount(box);
    const Selection sel = GetSel(box);
    const bool caretAtEnd = sel.start == sel.end && sel.end >= end;
    const LRESULT firstLine = ::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    {
        RedrawFreeze freeze(box);
        SetSel(box, end, end);
        SETTEXTEX st{ST_SELECTION, CP_ACP};
        ::SendMessageW(box, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
        if (caretAtEnd) {
            const int newEnd = CharCount(box);
            SetSel(box, newEnd, newEnd);
        } else {
            SetSel(box, sel.start, sel.end);
            // Keep the lines the player was reading in view: put the first
            // visible line back (line numbers, not pixels, so this holds in
            // any length of document).
            const LRESULT nowFirst = ::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
            if (nowFirst != firstLine) ::SendMessageW(box, EM_LINESCROLL, 0, firstLine - nowFirst);
        }
    }
    if (caretAtEnd) ::SendMessageW(box, EM_SCROLLCARET, 0, 0);
}
