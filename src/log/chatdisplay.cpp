#include "log/chatdisplay.h"

#include <richedit.h>

#include <algorithm>

#include "win/handles.h"
#include "win/richedit.h"

namespace vek {

using namespace win;

void ChatDisplay::Attach(HWND box, int codepage) {
    box_ = box;
    rtf_.SetCodePage(codepage);
}

void ChatDisplay::TakeShown(const ShownLine& line) {
    if (line.source == LineSource::Log) {
        if (!open_) {
            rtf_.Begin();
            open_ = true;
        }
        Add(line);
        return;
    }
    rtf_.Begin();
    Add(line);
    if (rtf_.HasText()) Write();
    open_ = false;
}

void ChatDisplay::EndPass(const PassFacts& facts) {
    if (open_ && rtf_.HasText()) {
        // While a burst goes in, painting every part would cost more than
        // the part: the display is painted a few times a second, and once
        // more when the burst is in.
        const ULONGLONG now = ::GetTickCount64();
        const bool repaint = !facts.moreWaiting || now - painted_ >= kBurstPaintMs;
        if (repaint) painted_ = now;
        Write(repaint);
    }
    open_ = false;
}

void ChatDisplay::Add(const ShownLine& line) {
    const std::size_t before = rtf_.Paragraphs();
    if (line.source == LineSource::Notice) {
        rtf_.AddRun(line.shown.body, OtherColor);  // the program's own words: no markup
        rtf_.AddRun(line.shown.lineBreak, OtherColor);
    } else {
        rtf_.AddShown(line.shown);
    }
    Lead(before, line.lead);
}

void ChatDisplay::Lead(std::size_t before, std::string_view lead) {
    for (std::size_t i = before; i < rtf_.Paragraphs(); ++i) times_.Append(lead);
}

bool ChatDisplay::MovesView(UINT msg, WPARAM wp) {
    switch (msg) {
        case WM_VSCROLL:
        case WM_MOUSEWHEEL:
        case WM_LBUTTONUP:  // after a drag that scrolled the view
        case EM_LINESCROLL:
        case EM_SCROLL:
        case EM_SETSCROLLPOS:
            return true;
        case WM_KEYDOWN:
            return wp == VK_PRIOR || wp == VK_NEXT || wp == VK_UP || wp == VK_DOWN || wp == VK_HOME || wp == VK_END;
        default:
            return false;
    }
}

void ChatDisplay::ViewMoved() {
    if (!writing_) lock_.ViewMoved(ShowsEnd(box_));
}

void ChatDisplay::FollowEnd() {
    lock_.Follow();
    ScrollToEnd(box_);
}

void ChatDisplay::Write(bool repaint) {
    const std::string_view rtf = rtf_.Finish();  // views a whole std::string: NUL-terminated
    SETTEXTEX st{ST_SELECTION, CP_ACP};
    const std::size_t lines = rtf_.Paragraphs();
    lock_.Added(lines);
    writing_ = true;

    // Placing the caret and asking for the first visible line cost time in
    // proportion to the display's length in some RichEdits, so the usual
    // case, a caret at the end, does neither: the text goes in at the caret,
    // which then stands at the new end by itself.
    const int end = CharCount(box_);
    if (end == 0 && times_.Size() > lines) {
        // The player emptied the display: the times of its lines go with them.
        times_.DropFront(times_.Size() - lines);
        lock_.Follow();
    }
    const Selection sel = GetSel(box_);
    const bool caretAtEnd = sel.start == sel.end && sel.end >= end;
    if (caretAtEnd && lock_.Following()) {
        {
            RedrawFreeze freeze(box_, repaint);
            ::SendMessageW(box_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
        }
        ::SendMessageW(box_, EM_SCROLLCARET, 0, 0);
        writing_ = false;
        return;
    }

    // The player has the caret or a selection elsewhere: both stay, and a
    // caret at the end goes on to the new end. A held view stays too (kept
    // by line number, not pixels, so this holds in any length of document);
    // a following one goes to the end.
    const LRESULT firstLine = lock_.Following() ? 0 : ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
    {
        RedrawFreeze freeze(box_, repaint);
        if (!caretAtEnd) SetSel(box_, end, end);
        ::SendMessageW(box_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
        if (!caretAtEnd) SetSel(box_, sel.start, sel.end);
        if (lock_.Following()) {
            ScrollToEnd(box_);
        } else {
            const LRESULT nowFirst = ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
            if (nowFirst != firstLine) ::SendMessageW(box_, EM_LINESCROLL, 0, firstLine - nowFirst);
        }
    }
    writing_ = false;
}

}  // namespace vek
