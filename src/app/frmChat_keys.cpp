// The keyboard: the window's key preview, its shortcuts and Tab, and the
// messages of the controls it subclasses. Every key handler returns true
// when it used the key up, so that the control never sees it.
#include "app/frmChat.h"

#include <commctrl.h>
#include <windowsx.h>

#include "win/keys.h"

using namespace vek::win;

namespace {

// The ANSI byte of a typed UTF-16 character, or -1 when it has none.
int AnsiCode(WPARAM ch) {
    if (ch < 128) return static_cast<int>(ch);
    wchar_t w = static_cast<wchar_t>(ch);
    char out[4];
    BOOL lossy = FALSE;
    int n = ::WideCharToMultiByte(CP_ACP, 0, &w, 1, out, sizeof out, nullptr, &lossy);
    if (n != 1 || lossy) return -1;
    return static_cast<unsigned char>(out[0]);
}

}  // namespace

std::optional<LRESULT> frmChat::OnControlMessage(HWND ctl, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFOCUS) focusBack_ = ctl;  // where the focus goes back to when the window does
    // Key-press handlers see the character's ANSI code; one without an ANSI
    // form is left to the box.
    const auto keyPress = [&](bool (frmChat::*handler)(int)) {
        const int code = AnsiCode(wp);
        return code >= 0 && (this->*handler)(code);
    };

    if (ctl == rtfMessage) {
        if (msg == WM_KEYDOWN && rtfMessage_KeyDown(static_cast<int>(wp), ModifierState())) return 0;
        if (msg == WM_CHAR && keyPress(&frmChat::rtfMessage_KeyPress)) return 0;
    } else if (ctl == rtfChatText) {
        if (vek::ChatDisplay::MovesView(msg, wp)) {
            const LRESULT r = CallControlProc(ctl, msg, wp, lp);
            rtfChatText_Scroll(msg, wp);
            return r;
        }
        if (msg == WM_MOUSEMOVE) rtfChatText_MouseMove({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        else if (msg == WM_MOUSELEAVE) rtfChatText_MouseLeave();
    } else if (ctl == rtfPages) {
        if (vek::ChatDisplay::MovesView(msg, wp)) {
            const LRESULT r = CallControlProc(ctl, msg, wp, lp);
            rtfPages_Scroll(msg, wp);
            return r;
        }
        switch (msg) {
            case WM_MOUSEMOVE: pagesTimeTip_.MouseMoved({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); break;
            case WM_MOUSELEAVE: pagesTimeTip_.MouseLeft(); break;
            case WM_LBUTTONDBLCLK: {
                const LRESULT r = CallControlProc(ctl, msg, wp, lp);
                rtfPages_Answer(pages_.EntryAt({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}));
                return r;
            }
            case WM_KEYDOWN:
                if (wp != VK_RETURN || ModifierState() != 0) break;
                rtfPages_Answer(pages_.EntryAtCaret());
                return 0;
            case WM_CHAR:
                if (wp == '\r') return 0;  // answered on its key
                break;
            default: break;
        }
    } else if (ctl == txtPageTo) {
        if (msg == WM_CHAR) {
            if (keyPress(&frmChat::txtPageTo_KeyPress)) return 0;
            const LRESULT r = CallControlProc(ctl, msg, wp, lp);
            if (wp >= 32 && wp != 127) txtPageTo_Typed();  // not after Backspace: the name deleted would come back
            return r;
        }
    } else if (ctl == cmdMessageType) {
        switch (msg) {
            case WM_KEYDOWN:
                if (cmdMessageType_KeyDown(static_cast<int>(wp))) return 0;
                break;
            case WM_SETFOCUS: {
                const LRESULT r = CallControlProc(ctl, msg, wp, lp);
                cmdMessageType_GotFocus();
                return r;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP: {
                // The button reports its click while handling the release;
                // the focus rule then sees the type the click chose.
                const LRESULT r = CallControlProc(ctl, msg, wp, lp);
                cmdMessageType_MouseUp();
                return r;
            }
            default:
                break;
        }
    }
    return std::nullopt;
}

bool frmChat::PreTranslateMessage(MSG& msg) {
    if (!IsAlive()) return false;
    if (finder_.PreTranslate(msg)) return true;
    if (msg.hwnd != hWnd() && !::IsChild(hWnd(), msg.hwnd)) return false;
    if (msg.message == WM_MOUSEWHEEL) {
        // The wheel scrolls the display or pane under the mouse, wherever the focus is.
        const HWND under = ::WindowFromPoint({GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
        if (msg.hwnd != under && (under == rtfChatText || under == rtfPages)) {
            ::SendMessageW(under, WM_MOUSEWHEEL, msg.wParam, msg.lParam);
            return true;
        }
    }
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;

    // Every key reaches the window's own handler before the focused control.
    if (Form_KeyDown(static_cast<int>(msg.wParam), ModifierState())) return true;
    if (!IsAlive()) return true;
    if (msg.message == WM_KEYDOWN && RunShortcut(msg.wParam)) return true;
    const int mods = ModifierState();
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && !(mods & (kCtrl | kAlt)))
        return MoveFocusByTab((mods & kShift) != 0);
    return false;
}

bool frmChat::RunShortcut(WPARAM k) {
    const int mods = ModifierState();
    if (mods == kCtrl && k == 'O') {
        if (IsMenuItemEnabled(IDM_FILE_CHANGELOG)) mnuFileChangeLog_Click();
        return true;
    }
    if (mods == kCtrl && k == 'S') {
        mnuFileSaveChat_Click();
        return true;
    }
    if (mods == (kCtrl | kShift) && k == 'P') {
        mnuViewPagesPane_Click();
        return true;
    }
    if (k == 'R' && (mods == kCtrl || mods == (kCtrl | kShift))) {
        const HWND f = ::GetFocus();
        if (f != rtfMessage && f != txtPageTo) return false;
        ReplyToPage((mods & kShift) != 0);
        return true;  // the composer's own Ctrl+R would right-align its paragraph
    }
    if (!IsEditMenuEnabled()) return false;
    if (mods == kCtrl) {
        // The commands check the selection and clipboard themselves, so the
        // shortcuts run whatever state the items were last given.
        switch (k) {
            case 'Z': mnuEditUndo_Click(); return true;
            case 'X': mnuEditCut_Click(); return true;
            case 'C': mnuEditCopy_Click(); return true;
            case 'V': mnuEditPaste_Click(); return true;
            case 'A': mnuEditSelectAll_Click(); return true;
            case 'F': mnuEditFind_Click(); return true;
            default: return false;
        }
    }
    if (k == VK_F3 && (mods == 0 || mods == kShift)) {
        if (mods == 0) mnuEditFindNext_Click();
        else mnuEditFindPrevious_Click();
        return true;
    }
    if (mods == 0 && k == VK_DELETE && vek::EditCommands::HasSelection(FocusedBox())) {
        // Del runs Edit > Delete over a selection; with none, the box
        // deletes the next character as every text box does.
        mnuEditDelete_Click();
        return true;
    }
    return false;
}

bool frmChat::MoveFocusByTab(bool backwards) {
    const HWND order[] = {rtfMessage, rtfChatText, rtfPages, cmdMessageType, txtPageTo};
    constexpr int n = 5;
    HWND f = ::GetFocus();
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (order[i] == f) at = i;
    if (at < 0) return false;
    for (int step = 1; step < n; ++step) {
        const int i = (at + (backwards ? n - step : step)) % n;
        if (::IsWindowVisible(order[i]) && ::IsWindowEnabled(order[i])) {
            ::SetFocus(order[i]);
            return true;
        }
    }
    return true;
}

bool frmChat::Form_KeyDown(int KeyCode, int Shift) {
    (void)Shift;  // F9 recalls with any modifiers
    // Recall the last message into the composer; the key itself goes on to
    // the focused control.
    if (KeyCode == VK_F9 && !sender_.LastMessage().empty()) composer_.Recall(sender_.LastMessage());
    return false;
}

bool frmChat::rtfMessage_KeyDown(int KeyCode, int Shift) {
    const vek::Composer::KeyDown what = composer_.OnKeyDown(KeyCode, Shift);
    switch (what) {
        case vek::Composer::KeyDown::Paste: mnuEditPaste_Click(); return true;
        case vek::Composer::KeyDown::Back:
        case vek::Composer::KeyDown::Forward: StepHistory(what == vek::Composer::KeyDown::Back); return true;
        case vek::Composer::KeyDown::Consume: return true;
        case vek::Composer::KeyDown::Leave: return false;
    }
    return false;
}

bool frmChat::rtfMessage_KeyPress(int KeyAscii) {
    switch (composer_.OnKeyPress(KeyAscii)) {
        case vek::Composer::KeyPress::Send: SendComposedMessage(); return true;
        case vek::Composer::KeyPress::Consume: return true;
        case vek::Composer::KeyPress::Leave: return false;
    }
    return false;
}

bool frmChat::txtPageTo_KeyPress(int KeyAscii) { return pageTo_.Refuses(KeyAscii); }

bool frmChat::cmdMessageType_KeyDown(int KeyCode) {
    // Enter, like Space, activates the button (outside a dialog a button
    // does not take Enter by itself).
    if (KeyCode != VK_RETURN) return false;
    cmdMessageType_Click();
    return true;
}
