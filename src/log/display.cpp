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
    SETTEXTEX st{ST_SELECTION, CP_ACP};

    // Placing the caret and asking for the first visible line cost time in
    // proportion to the display's length in some RichEdits, so the usual
    // case, a caret at the end, does neither: the text goes in at the caret,
    // which then stands at the new end by itself.
    const int end = CharCount(box);
    const Selection sel = GetSel(box);
    if (sel.start == sel.end && sel.end >= end) {
        {
            RedrawFreeze freeze(box);
            ::SendMessageW(box, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
        }
        ::SendMessageW(box, EM_SCROLLCARET, 0, 0);
        return;
    }

    // The player has the caret or a selection elsewhere: both stay, and so do
    // the lines in view (kept by line number, not pixels, so this holds in
    // any length of document).
    const LRESULT firstLine = ::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    RedrawFreeze freeze(box);
    SetSel(box, end, end);
    ::SendMessageW(box, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
    SetSel(box, sel.start, sel.end);
    const LRESULT nowFirst = ::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (nowFirst != firstLine) ::SendMessageW(box, EM_LINESCROLL, 0, firstLine - nowFirst);
}
