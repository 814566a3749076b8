#include "log/chatdisplay.h"

#include <richedit.h>

#include "win/handles.h"
#include "win/richedit.h"

namespace vek {

using namespace win;

void ChatDisplay::Attach(HWND box, int codepage) {
    box_ = box;
    rtf_.SetCodePage(codepage);
}

void ChatDisplay::AppendData(std::string_view line) {
    rtf_.Begin();
    rtf_.AddShown(ShownOfInput(line));
    if (rtf_.HasText()) Write();
    open_ = false;
}

void ChatDisplay::AddNotice(std::string_view text) {
    rtf_.Begin();
    rtf_.AddRun(text, OtherColor);
    rtf_.AddRun("\r\n", OtherColor);
    Write();
    open_ = false;
}

void ChatDisplay::TakeLine(std::string_view line, bool continues) {
    if (!open_) {
        rtf_.Begin();
        open_ = true;
    }
    // The rest of a line cut at a block's end has no lead to drop.
    if (continues) rtf_.AddShown(ShownOfContinuation(line));
    else rtf_.AddLogLine(line);
}

void ChatDisplay::EndPass(const PassFacts&) {
    if (open_ && rtf_.HasText()) Write();
    open_ = false;
}

void ChatDisplay::Write() {
    const std::string_view rtf = rtf_.Finish();  // views a whole std::string: NUL-terminated
    SETTEXTEX st{ST_SELECTION, CP_ACP};

    // Placing the caret and asking for the first visible line cost time in
    // proportion to the display's length in some RichEdits, so the usual
    // case, a caret at the end, does neither: the text goes in at the caret,
    // which then stands at the new end by itself.
    const int end = CharCount(box_);
    const Selection sel = GetSel(box_);
    if (sel.start == sel.end && sel.end >= end) {
        {
            RedrawFreeze freeze(box_);
            ::SendMessageW(box_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
        }
        ::SendMessageW(box_, EM_SCROLLCARET, 0, 0);
        return;
    }

    // The player has the caret or a selection elsewhere: both stay, and so do
    // the lines in view (kept by line number, not pixels, so this holds in
    // any length of document).
    const LRESULT firstLine = ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
    RedrawFreeze freeze(box_);
    SetSel(box_, end, end);
    ::SendMessageW(box_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
    SetSel(box_, sel.start, sel.end);
    const LRESULT nowFirst = ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (nowFirst != firstLine) ::SendMessageW(box_, EM_LINESCROLL, 0, firstLine - nowFirst);
}

}  // namespace vek
