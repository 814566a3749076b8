// The main window: its creation, its menus, the window procedure (a table of
// named handlers), the message loop and the helpers the handlers share.
// Controls and layout are in frmChat_layout.cpp, the keyboard in
// frmChat_keys.cpp, the handlers in frmChat_events.cpp and
// frmChat_compose.cpp.
#include "app/frmChat.h"

#include <windowsx.h>

#include <commctrl.h>
#include <richedit.h>

#include "core/line_kinds.h"
#include "resource.h"
#include "win/richedit.h"

using namespace vek::win;

namespace {

constexpr wchar_t kClassName[] = L"VekChatMain";

}  // namespace

frmChat::~frmChat() { window_.reset(); }

// ---------------------------------------------------------------- creation

bool frmChat::Create(HINSTANCE instance) {
    instance_ = instance;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    RichEditClass();

    bigIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VEKCHAT), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VEKCHAT), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0)));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &WindowThunk;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        ReportFailure(L"VekChat: the main window's class could not be registered");
        return false;
    }

    HWND w = ::CreateWindowExW(0, kClassName, L"Vek Chat - By Orrin", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                               static_cast<MessageTarget*>(this));
    if (!w) return false;
    // The icons belong to this window (the class may outlive it). Without the
    // program's resources (as in tests), a system icon.
    ::SendMessageW(w, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(bigIcon_ ? bigIcon_.get() : ::LoadIconW(nullptr, IDI_APPLICATION)));
    if (smallIcon_) ::SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    Form_Load();
    return IsAlive();
}

void frmChat::CreateMenuBar() {
    HMENU bar = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuW(file, MF_STRING, IDM_FILE_CHANGELOG, L"&Change Log - (none)\tCtrl+O");
    ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(file, MF_STRING, IDM_FILE_SAVECHAT, L"Save Chat &As...\tCtrl+S");
    ::AppendMenuW(file, MF_STRING, IDM_FILE_SAVETIMES, L"Save &Times With Chat");
    ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(file, MF_STRING, IDM_FILE_EXIT, L"E&xit");
    HMENU edit = ::CreatePopupMenu();
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_UNDO, L"&Undo\tCtrl+Z");
    ::AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_CUT, L"Cu&t\tCtrl+X");
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_COPY, L"&Copy\tCtrl+C");
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_PASTE, L"&Paste\tCtrl+V");
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_DELETE, L"De&lete\tDel");
    ::AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_SELECTALL, L"Select &All\tCtrl+A");
    ::AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_FIND, L"&Find...\tCtrl+F");
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_FINDNEXT, L"Find &Next\tF3");
    ::AppendMenuW(edit, MF_STRING, IDM_EDIT_FINDPREVIOUS, L"Find Pre&vious\tShift+F3");
    HMENU log = ::CreatePopupMenu();
    ::AppendMenuW(log, MF_STRING, IDM_LOG_START, L"St&art");
    ::AppendMenuW(log, MF_STRING | MF_GRAYED, IDM_LOG_STOP, L"St&op");
    ::AppendMenuW(log, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(log, MF_STRING, IDM_LOG_AUTOSTART, L"A&utostart");
    ::AppendMenuW(log, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(log, MF_STRING, IDM_LOG_ALERTS, L"A&lerts...");
    HMENU view = ::CreatePopupMenu();
    ::AppendMenuW(view, MF_STRING, IDM_VIEW_PAGESPANE, L"Pages &Pane\tCtrl+Shift+P");
    ::AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(view, MF_STRING | MF_CHECKED, IDM_VIEW_CHATLINES, L"&Chat Lines");
    ::AppendMenuW(view, MF_STRING | MF_CHECKED, IDM_VIEW_PAGELINES, L"Pa&ge Lines");
    ::AppendMenuW(view, MF_STRING | MF_CHECKED, IDM_VIEW_OTHERLINES, L"&Other Lines");
    ::AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(view, MF_STRING, IDM_VIEW_ALWAYSONTOP, L"Always on &Top");
    // In the order of kFileMenu, kEditMenu, kLogMenu, kViewMenu.
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    ::AppendMenuW(bar, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(log), L"&Log");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
    ::SetMenu(hWnd(), bar);  // the window owns the bar and its drop-downs from here on
}

void frmChat::OnCommand(UINT id) {
    switch (id) {
        case IDM_FILE_CHANGELOG: mnuFileChangeLog_Click(); break;
        case IDM_FILE_EXIT: mnuFileExit_Click(); break;
        case IDM_EDIT_UNDO: mnuEditUndo_Click(); break;
        case IDM_EDIT_CUT: mnuEditCut_Click(); break;
        case IDM_EDIT_COPY: mnuEditCopy_Click(); break;
        case IDM_EDIT_PASTE: mnuEditPaste_Click(); break;
        case IDM_EDIT_DELETE: mnuEditDelete_Click(); break;
        case IDM_EDIT_SELECTALL: mnuEditSelectAll_Click(); break;
        case IDM_EDIT_FIND: mnuEditFind_Click(); break;
        case IDM_EDIT_FINDNEXT: mnuEditFindNext_Click(); break;
        case IDM_EDIT_FINDPREVIOUS: mnuEditFindPrevious_Click(); break;
        case IDM_LOG_START: mnuLogStart_Click(); break;
        case IDM_LOG_STOP: mnuLogStop_Click(); break;
        case IDM_LOG_AUTOSTART: mnuLogAutostart_Click(); break;
        case IDM_LOG_ALERTS: mnuLogAlerts_Click(); break;
        case IDM_FILE_SAVECHAT: mnuFileSaveChat_Click(); break;
        case IDM_FILE_SAVETIMES: mnuFileSaveTimes_Click(); break;
        case IDM_VIEW_CHATLINES:
        case IDM_VIEW_PAGELINES:
        case IDM_VIEW_OTHERLINES: mnuViewLines_Click(vek::kLineKinds[id - IDM_VIEW_CHATLINES]); break;
        case IDM_VIEW_ALWAYSONTOP: mnuViewAlwaysOnTop_Click(); break;
        case IDM_VIEW_PAGESPANE: mnuViewPagesPane_Click(); break;
        default: break;
    }
}

// ------------------------------------------------------- window procedures

std::optional<LRESULT> frmChat::OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        self_ = w;
        window_.reset(w);
    }
    if (w != self_) return OnControlMessage(w, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        self_ = nullptr;
        (void)window_.release();  // already being destroyed (or reset() destroys it)
        return std::nullopt;
    }
    return OnFormMessage(msg, wp, lp);
}

std::optional<LRESULT> frmChat::OnFormMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != 0 && msg == finder_.Message()) {
        dlgFind_Message(lp);
        return 0;
    }
    switch (msg) {
        case WM_CREATE:
            Form_Create();
            return 0;
        case WM_SIZE:
            if (wp != SIZE_MINIMIZED) Form_Resize();
            return 0;
        case WM_SETFOCUS:  // activated: the frame got the focus
            Form_GotFocus();
            return 0;
        case WM_QUERYENDSESSION:
            // The session may end without another word: save now.
            SaveSettings();
            return TRUE;
        case WM_ENDSESSION:
            if (wp) SaveSettings();
            return 0;
        case WM_CLOSE:
            Form_Unload();
            return 0;
        case WM_DESTROY:
            log_.StopNow();
            ::PostQuitMessage(0);
            return 0;
        case WM_COMMAND: {
            const HWND from = reinterpret_cast<HWND>(lp);
            if (from && from == cmdMessageType) {
                // A second click soon after the first is a double click to
                // the button: each counts.
                if (HIWORD(wp) == BN_CLICKED || HIWORD(wp) == BN_DOUBLECLICKED) cmdMessageType_Click();
            } else if (from && from == txtPageTo) {
                if (HIWORD(wp) == EN_CHANGE) txtPageTo_Change();
            } else if (from && from == lblNewLines) {
                if (HIWORD(wp) == STN_CLICKED) lblNewLines_Click();
            } else if (!from) {
                OnCommand(LOWORD(wp));
            }
            return 0;
        }
        case WM_NOTIFY: {
            const NMHDR* nh = reinterpret_cast<const NMHDR*>(lp);
            if (nh->hwndFrom == rtfMessage && nh->code == EN_SELCHANGE) rtfMessage_SelChange();
            return 0;
        }
        case WM_INITMENUPOPUP:
            if (reinterpret_cast<HMENU>(wp) == SubMenu(kEditMenu)) mnuEdit_Click();
            return 0;
        case WM_VSCROLL:
            if (reinterpret_cast<HWND>(lp) == scrChatText) scrChatText_Scroll(LOWORD(wp));
            else if (reinterpret_cast<HWND>(lp) == scrPages) scrPages_Scroll(LOWORD(wp));
            else return std::nullopt;
            return 0;
        case WM_TIMER:
            if (wp == kLineTimeTimer) tmrLineTime_Timer();
            else if (wp == kPagesTimeTimer) tmrPagesTime_Timer();
            return 0;
        case WM_SETCURSOR: {
            if (reinterpret_cast<HWND>(wp) == lblNewLines) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            POINT p{};
            ::GetCursorPos(&p);
            ::ScreenToClient(hWnd(), &p);
            const RECT split = SplitterRect();
            if (reinterpret_cast<HWND>(wp) != hWnd() || LOWORD(lp) != HTCLIENT || !::PtInRect(&split, p))
                return std::nullopt;
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
            return TRUE;
        }
        case WM_LBUTTONDOWN:
            Splitter_MouseDown({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_MOUSEMOVE:
            Splitter_MouseMove({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            Splitter_MouseUp();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painted in WM_PAINT
        case WM_PAINT:
            Paint();
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lp) == txtPageTo) return txtPageTo_CtlColor(reinterpret_cast<HDC>(wp));
            if (reinterpret_cast<HWND>(lp) == lblNewLines) return lblNewLines_CtlColor(reinterpret_cast<HDC>(wp));
            return std::nullopt;
        case WM_DRAWITEM: {
            const DRAWITEMSTRUCT* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (di->hwndItem != cmdMessageType) return std::nullopt;
            DrawTypeButton(*di);
            return TRUE;
        }
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
            return 0;
        default:
            return std::nullopt;
    }
}

// ------------------------------------------------------------ message loop

bool frmChat::DoEvents(DWORD timeoutMs, int* quitCode) {
    HANDLE wake = log_.WakeHandle();
    // While catching up a burst, the loop does not wait: the next part goes
    // in as soon as what is queued has been handled.
    const DWORD r = ::MsgWaitForMultipleObjectsEx(wake ? 1 : 0, wake ? &wake : nullptr,
                                                  log_.CatchingUp() ? 0 : timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wake && r == WAIT_OBJECT_0) log_.Woken();
    log_.TurnBegins();
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            if (quitCode) *quitCode = static_cast<int>(msg.wParam);
            return false;
        }
        if (!PreTranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    log_.TurnEnds();
    return true;
}

int frmChat::RunMessageLoop() {
    int code = 0;
    while (DoEvents(INFINITE, &code)) {
    }
    return code;
}

// ----------------------------------------------------------------- helpers

HMENU frmChat::SubMenu(int place) const { return ::GetSubMenu(::GetMenu(hWnd()), place); }

bool frmChat::IsMenuItemEnabled(UINT id) const {
    const UINT st = ::GetMenuState(::GetMenu(hWnd()), id, MF_BYCOMMAND);
    return st != static_cast<UINT>(-1) && !(st & (MF_DISABLED | MF_GRAYED));
}

void frmChat::EnableMenuItemById(UINT id, bool on) {
    ::EnableMenuItem(::GetMenu(hWnd()), id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void frmChat::EnableEditMenu(bool on) {
    ::EnableMenuItem(::GetMenu(hWnd()), kEditMenu, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    ::DrawMenuBar(hWnd());
}

bool frmChat::IsEditMenuEnabled() const {
    const UINT st = ::GetMenuState(::GetMenu(hWnd()), kEditMenu, MF_BYPOSITION);
    return st != static_cast<UINT>(-1) && !(st & (MF_DISABLED | MF_GRAYED));
}

void frmChat::CheckMenuItemById(UINT id, bool on) {
    ::CheckMenuItem(::GetMenu(hWnd()), id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void frmChat::EnableFollowingControls(bool on) {
    EnableMenuItemById(IDM_LOG_START, !on);
    EnableMenuItemById(IDM_LOG_STOP, on);
    EnableEditMenu(on);
    for (HWND h : {rtfChatText, scrChatText, rtfPages, scrPages, cmdMessageType, txtPageTo, rtfMessage})
        ::EnableWindow(h, on ? TRUE : FALSE);
}

vek::TextBox frmChat::FocusedBox() const {
    const HWND f = ::GetFocus();
    if (!f) return {};
    if (f == rtfChatText || f == rtfPages || f == rtfMessage) return {f, true};
    if (f == txtPageTo) return {f, false};
    return {};
}
