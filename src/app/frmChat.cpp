// The main window: creation, the window procedure, layout, painting, the
// keyboard preview and shortcuts, load and unload. The work of each menu
// command and control event lives in the subsystem folders.
#include "app/frmChat.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

#include "../../res/resource.h"
#include "app/mdlChat.h"
#include "core/shell_rules.h"
#include "version_info.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vek::win;

namespace {

constexpr wchar_t kClassName[] = L"VekChatMain";
constexpr UINT_PTR kFollowTimer = 1;

// The window's creation geometry, in twips.
constexpr int kClientWidth = 4440;
constexpr int kClientHeight = 3375;

// One control of the window, as the creation table gives it.
struct ControlSpec {
    HWND frmChat::*member;
    const wchar_t* className;  // nullptr: the RichEdit class
    DWORD style;
    int id;
    int left, top, width, height;  // twips
};

int ModifierState() {
    int s = 0;
    if (::GetKeyState(VK_SHIFT) < 0) s |= 1;
    if (::GetKeyState(VK_CONTROL) < 0) s |= 2;
    if (::GetKeyState(VK_MENU) < 0) s |= 4;
    return s;
}

bool FontFamilyInstalled(const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    WindowDC dc(nullptr);
    ::EnumFontFamiliesExW(
        dc.get(), &lf,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
            *reinterpret_cast<bool*>(p) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

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

frmChat::~frmChat() {
    window_.reset();
}

// ---------------------------------------------------------------- creation

bool frmChat::Create(HINSTANCE instance, int showCmd) {
    instance_ = instance;
    DisplayRtf.SetOptions({static_cast<int>(::GetACP())});
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    RichEditClass();

    bigIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VEKCHAT), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON),
                                                   ::GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VEKCHAT), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0)));
    backgroundBrush_.reset(::CreateSolidBrush(BackgroundColor));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &frmChat::WndProc;
    wc.hInstance = instance;
    wc.hIcon = bigIcon_.get();
    wc.hIconSm = smallIcon_.get();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);  // fails harmlessly when a second window registers again

    HWND w = ::CreateWindowExW(0, kClassName, L"Vek Chat - By Orrin",
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!w) return false;
    if (!bigIcon_) {
        // Running without the program's resources (as in tests): keep a system icon.
        ::SendMessageW(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(::LoadIconW(nullptr, IDI_APPLICATION)));
    }
    Form_Load();
    (void)showCmd;
    return IsAlive();
}

void frmChat::CreateMenuBar() {
    HMENU bar = ::CreateMenu();
    mnuFile = ::CreatePopupMenu();
    ::AppendMenuW(mnuFile, MF_STRING, IDM_FILE_CHANGELOG, L"&Change Log - (none)\tCtrl+O");
    ::AppendMenuW(mnuFile, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(mnuFile, MF_STRING, IDM_FILE_EXIT, L"E&xit");
    mnuEdit = ::CreatePopupMenu();
    ::AppendMenuW(mnuEdit, MF_STRING, IDM_EDIT_UNDO, L"&Undo\tCtrl+Z");
    ::AppendMenuW(mnuEdit, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(mnuEdit, MF_STRING, IDM_EDIT_CUT, L"Cu&t\tCtrl+X");
    ::AppendMenuW(mnuEdit, MF_STRING, IDM_EDIT_COPY, L"&Copy\tCtrl+C");
    ::AppendMenuW(mnuEdit, MF_STRING, IDM_EDIT_PASTE, L"&Paste\tCtrl+V");
    ::AppendMenuW(mnuEdit, MF_STRING, IDM_EDIT_DELETE, L"De&lete\tDel");
    ::AppendMenuW(mnuEdit, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(mnuEdit, MF_STRING, IDM_EDIT_SELECTALL, L"Select &All\tCtrl+A");
    mnuLog = ::CreatePopupMenu();
    ::AppendMenuW(mnuLog, MF_STRING, IDM_LOG_START, L"St&art");
    ::AppendMenuW(mnuLog, MF_STRING | MF_GRAYED, IDM_LOG_STOP, L"St&op");
    ::AppendMenuW(mnuLog, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(mnuLog, MF_STRING, IDM_LOG_AUTOSTART, L"A&utostart");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(mnuFile), L"&File");
    ::AppendMenuW(bar, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(mnuEdit), L"&Edit");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(mnuLog), L"&Log");
    ::SetMenu(hWnd(), bar);  // the window owns the bar and its drop-downs from here on
}

void frmChat::CreateControls() {
    static const ControlSpec kControls[] = {
        {&frmChat::rtfChatText, nullptr,
         WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | WS_VSCROLL | WS_BORDER | ES_MULTILINE |
             ES_AUTOVSCROLL | ES_SAVESEL,
         IDC_CHATTEXT, 0, 0, 4455, 3015},
        {&frmChat::txtPageTo, WC_EDITW, WS_CHILD | WS_DISABLED | WS_TABSTOP | ES_AUTOHSCROLL, IDC_PAGETO,
         375, 3015, 1455, 345},
        {&frmChat::rtfMessage, nullptr,
         WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL,
         IDC_MESSAGE, 360, 3000, 4095, 375},
        {&frmChat::cmdMessageType, WC_BUTTONW,
         WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_OWNERDRAW, IDC_MESSAGETYPE, 0, 2985, 375,
         405},
    };
    for (const ControlSpec& c : kControls) {
        HWND h = ::CreateWindowExW(0, c.className ? c.className : RichEditClass(), L"", c.style,
                                   Px(c.left), Px(c.top), Px(c.width), Px(c.height), hWnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
        this->*c.member = h;
        ::SetWindowSubclass(h, &frmChat::ControlProc, static_cast<UINT_PTR>(c.id),
                            reinterpret_cast<DWORD_PTR>(this));
    }

    // The display never stops taking text, keeps no undo history, and tells
    // nobody of its changes; the composer reports selection changes.
    ::SendMessageW(rtfChatText, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageW(rtfChatText, EM_SETUNDOLIMIT, 0, 0);
    ::SendMessageW(rtfMessage, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageW(rtfMessage, EM_SETEVENTMASK, 0, ENM_SELCHANGE);

    tipMessageType = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd(),
                                       nullptr, instance_, nullptr);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(cmdMessageType);
    ti.lpszText = const_cast<wchar_t*>(L"Normal Mode");
    ::SendMessageW(tipMessageType, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void frmChat::ApplyFonts() {
    // 9.75 points; a clear system face when the game's own is not installed.
    const wchar_t* face = L"Vek Tessaline";
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (!FontFamilyInstalled(face)) {
        face = L"Tahoma";
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0) && ncm.lfMessageFont.lfFaceName[0])
            face = ncm.lfMessageFont.lfFaceName;
    }
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(975, dpi_, 7200);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    UniqueFont font(::CreateFontIndirectW(&lf));
    for (HWND h : {rtfChatText, txtPageTo, rtfMessage}) {
        ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // RichEdits take the face and size into their own formats.
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    cf.yHeight = 195;  // twips: 9.75 pt
    cf.bCharSet = ANSI_CHARSET;
    wcsncpy(cf.szFaceName, face, LF_FACESIZE - 1);
    for (HWND h : {rtfChatText, rtfMessage}) {
        ::SendMessageW(h, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
        ::SendMessageW(h, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    }
    font_ = std::move(font);
}

void frmChat::LoadPictures() {
    // 23 x 24 pixels at 96 DPI, scaled to the window's DPI.
    int cx = ::MulDiv(23, dpi_, 96), cy = ::MulDiv(24, dpi_, 96);
    for (int i = 0; i < 3; ++i) {
        typePictures_[static_cast<size_t>(i)].reset(static_cast<HICON>(
            ::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TYPE0 + i), IMAGE_ICON, cx, cy, 0)));
    }
    if (cmdMessageType) ::InvalidateRect(cmdMessageType, nullptr, TRUE);
}

// ------------------------------------------------------------ window events

void frmChat::Form_Load() {
    ::SetWindowTextA(hWnd(), vek::WindowCaption({VEK_VERSION_MAJOR, VEK_VERSION_MINOR, VEK_VERSION_PATCH}).c_str());

    // Colours: the window paints its own background; the boxes get theirs here.
    for (HWND h : {rtfChatText, rtfMessage}) {
        ::SendMessageW(h, EM_SETBKGNDCOLOR, 0, BackgroundColor);
        vek::win::SetSel(h, 0, 0);
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        cf.dwMask = CFM_COLOR;
        cf.crTextColor = NormalColor;
        ::SendMessageW(h, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
        ::SendMessageW(h, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    }

    ::ShowWindow(hWnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hWnd());

    SetChangeLogCaption();
    ::CheckMenuItem(mnuLog, IDM_LOG_AUTOSTART, MF_BYCOMMAND | (mdlChat::AutostartLog ? MF_CHECKED : MF_UNCHECKED));
    if (mdlChat::AutostartLog) StartLog();
}

void frmChat::Form_Resize() {
    if (::IsIconic(hWnd())) return;
    RECT rc{};
    ::GetClientRect(hWnd(), &rc);
    const int w = vek::PixelsToTwips(rc.right - rc.left, dpi_);
    const int h = vek::PixelsToTwips(rc.bottom - rc.top, dpi_);
    const vek::Layout l = vek::ComputeLayout(w, h, MessageLeft);
    HDWP dwp = ::BeginDeferWindowPos(4);
    auto place = [&](HWND c, int left, int top, int width, int height) {
        if (dwp) dwp = ::DeferWindowPos(dwp, c, nullptr, Px(left), Px(top), Px(width), Px(height),
                                        SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(rtfChatText, 0, 0, l.chatWidth, l.chatHeight);
    place(cmdMessageType, 0, l.buttonTop, 375, 405);
    place(txtPageTo, 375, l.pageToTop, 1455, 345);
    place(rtfMessage, MessageLeft, l.messageTop, l.messageWidth, 375);
    if (dwp) ::EndDeferWindowPos(dwp);
    lineY_ = l.lineY;
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void frmChat::Form_Unload() {
    mdlChat::SaveSetting("Log", mdlChat::LogFile);
    mdlChat::SaveSetting("Autostart Log", vek::StoredBool(IsAutostartChecked()));
    // The program ends here: following stops without another pass.
    Logging = false;
    ::KillTimer(hWnd(), kFollowTimer);
    window_.reset();
}

void frmChat::mnuFileExit_Click() {
    Form_Unload();
}

void frmChat::Paint() {
    PaintDC pdc(hWnd());
    HDC dc = pdc.get();
    ::FillRect(dc, &pdc.info().rcPaint, backgroundBrush_.get());
    // The three pictures lie under the chat display; the line under the
    // composer shows only while the composer stands right of the page box.
    int cx = ::MulDiv(23, dpi_, 96), cy = ::MulDiv(24, dpi_, 96);
    for (int i = 0; i < 3; ++i) {
        if (HICON ic = typePictures_[static_cast<size_t>(i)].get())
            ::DrawIconEx(dc, Px(120 + 240 * i), Px(120 + 240 * i), ic, cx, cy, 0, nullptr, DI_NORMAL);
    }
    UniqueGdi pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DLIGHT)));
    SelectedObject sel(dc, pen.get());
    ::MoveToEx(dc, Px(360), Px(lineY_), nullptr);
    ::LineTo(dc, Px(1800), Px(lineY_));
}

void frmChat::OnDpiChanged(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    ApplyFonts();
    LoadPictures();
    if (suggested)
        ::SetWindowPos(hWnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    Form_Resize();
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
        case IDM_LOG_START: mnuLogStart_Click(); break;
        case IDM_LOG_STOP: mnuLogStop_Click(); break;
        case IDM_LOG_AUTOSTART: mnuLogAutostart_Click(); break;
        default: break;
    }
}

// ------------------------------------------------------- window procedures

LRESULT CALLBACK frmChat::WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    frmChat* self = reinterpret_cast<frmChat*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<frmChat*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(w);
    }
    if (!self) return ::DefWindowProcW(w, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(w, GWLP_USERDATA, 0);
        (void)self->window_.release();  // already being destroyed
        return ::DefWindowProcW(w, msg, wp, lp);
    }
    return self->HandleMessage(msg, wp, lp);
}

LRESULT frmChat::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND w = window_.get();
    switch (msg) {
        case WM_CREATE:
            dpi_ = static_cast<int>(::GetDpiForWindow(w));
            if (dpi_ <= 0) dpi_ = 96;
            CreateMenuBar();
            CreateControls();
            ApplyFonts();
            LoadPictures();
            {
                // Client area of 4440 x 3375 twips, whatever the frame takes.
                RECT r{0, 0, Px(kClientWidth), Px(kClientHeight)};
                ::AdjustWindowRectExForDpi(&r, WS_OVERLAPPEDWINDOW, TRUE, 0, static_cast<UINT>(dpi_));
                ::SetWindowPos(w, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return 0;
        case WM_SIZE:
            if (wp != SIZE_MINIMIZED) Form_Resize();
            return 0;
        case WM_CLOSE:
            Form_Unload();
            return 0;
        case WM_DESTROY:
            ::KillTimer(w, kFollowTimer);
            ::PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lp) == cmdMessageType && cmdMessageType) {
                if (HIWORD(wp) == BN_CLICKED) cmdMessageType_Click();
                return 0;
            }
            if (reinterpret_cast<HWND>(lp) == txtPageTo && txtPageTo) {
                if (HIWORD(wp) == EN_CHANGE) txtPageTo_Change();
                return 0;
            }
            if (lp == 0) OnCommand(LOWORD(wp));
            return 0;
        case WM_NOTIFY: {
            const NMHDR* nh = reinterpret_cast<const NMHDR*>(lp);
            if (nh->hwndFrom == rtfMessage && nh->code == EN_SELCHANGE) rtfMessage_SelChange();
            return 0;
        }
        case WM_INITMENUPOPUP:
            if (reinterpret_cast<HMENU>(wp) == mnuEdit) mnuEdit_Click();
            return 0;
        case WM_TIMER:
            if (wp == kFollowTimer) tmrFollow_Timer();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painted in WM_PAINT
        case WM_PAINT:
            Paint();
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lp) == txtPageTo) {
                HDC dc = reinterpret_cast<HDC>(wp);
                ::SetTextColor(dc, ::IsWindowEnabled(txtPageTo) ? NormalColor : ::GetSysColor(COLOR_GRAYTEXT));
                ::SetBkColor(dc, BackgroundColor);
                return reinterpret_cast<LRESULT>(backgroundBrush_.get());
            }
            break;
        case WM_DRAWITEM: {
            const DRAWITEMSTRUCT* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (di->hwndItem != cmdMessageType) break;
            ::FillRect(di->hDC, &di->rcItem, backgroundBrush_.get());
            int cx = ::MulDiv(23, dpi_, 96), cy = ::MulDiv(24, dpi_, 96);
            int x = (di->rcItem.right - di->rcItem.left - cx) / 2;
            int y = (di->rcItem.bottom - di->rcItem.top - cy) / 2;
            if (di->itemState & ODS_SELECTED) { ++x; ++y; }
            HICON ic = TypePicture(ButtonPicture);
            if (ic) {
                UINT flags = DST_ICON | ((di->itemState & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL);
                ::DrawStateW(di->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(ic), 0, x, y, cx, cy, flags);
            }
            if (di->itemState & ODS_FOCUS) {
                RECT fr = di->rcItem;
                ::InflateRect(&fr, -2, -2);
                ::DrawFocusRect(di->hDC, &fr);
            }
            return TRUE;
        }
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(w, msg, wp, lp);
}

LRESULT CALLBACK frmChat::ControlProc(HWND ctl, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    frmChat* self = reinterpret_cast<frmChat*>(ref);
    if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(ctl, &frmChat::ControlProc, id);
    bool handled = false;
    LRESULT r = self->HandleControlMessage(ctl, msg, wp, lp, handled);
    return handled ? r : ::DefSubclassProc(ctl, msg, wp, lp);
}

LRESULT frmChat::HandleControlMessage(HWND ctl, UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    // Key-press handlers see the character's ANSI code and may consume it.
    auto keyPress = [&](void (frmChat::*handler)(int&)) -> LRESULT {
        int code = AnsiCode(wp);
        if (code < 0) return 0;  // no ANSI form: leave it to the box
        int k = code;
        (this->*handler)(k);
        if (k == 0) {
            handled = true;
            return 0;
        }
        if (k != code) {
            handled = true;
            char c = static_cast<char>(k);
            wchar_t wc = 0;
            ::MultiByteToWideChar(CP_ACP, 0, &c, 1, &wc, 1);
            return ::DefSubclassProc(ctl, msg, wc, lp);
        }
        return 0;
    };

    if (ctl == rtfMessage) {
        switch (msg) {
            case WM_KEYDOWN: {
                int key = static_cast<int>(wp);
                rtfMessage_KeyDown(key, ModifierState());
                if (key == 0) handled = true;
                return 0;
            }
            case WM_CHAR:
                return keyPress(&frmChat::rtfMessage_KeyPress);
            default:
                break;
        }
    } else if (ctl == txtPageTo) {
        if (msg == WM_CHAR) return keyPress(&frmChat::txtPageTo_KeyPress);
    } else if (ctl == cmdMessageType) {
        switch (msg) {
            case WM_SETFOCUS: {
                handled = true;
                LRESULT r = ::DefSubclassProc(ctl, msg, wp, lp);
                cmdMessageType_GotFocus();
                return r;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP: {
                // The button reports its click while handling the release;
                // the focus rule then sees the type the click chose.
                handled = true;
                LRESULT r = ::DefSubclassProc(ctl, msg, wp, lp);
                cmdMessageType_MouseUp();
                return r;
            }
            default:
                break;
        }
    }
    return 0;
}

// ------------------------------------------------------------ message loop

bool frmChat::PreTranslateMessage(MSG& msg) {
    if (!IsAlive()) return false;
    if (msg.hwnd != hWnd() && !::IsChild(hWnd(), msg.hwnd)) return false;
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;

    // Every key reaches the window's own handler before the focused control.
    int key = static_cast<int>(msg.wParam);
    Form_KeyDown(key, ModifierState());
    if (key == 0) return true;
    if (!IsAlive()) return true;
    if (msg.message == WM_KEYDOWN && RunShortcut(msg)) return true;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && !(ModifierState() & 6))
        return MoveFocusByTab((ModifierState() & 1) != 0);
    return false;
}

bool frmChat::RunShortcut(const MSG& msg) {
    const int mods = ModifierState();
    const WPARAM k = msg.wParam;
    if (mods == 2 && k == 'O') {
        if (IsMenuItemEnabled(IDM_FILE_CHANGELOG)) mnuFileChangeLog_Click();
        return true;
    }
    if (!IsEditMenuEnabled()) return false;
    if (mods == 2) {
        // The commands check the selection and clipboard themselves, so the
        // shortcuts run whatever state the items were last given.
        switch (k) {
            case 'Z': mnuEditUndo_Click(); return true;
            case 'X': mnuEditCut_Click(); return true;
            case 'C': mnuEditCopy_Click(); return true;
            case 'V': mnuEditPaste_Click(); return true;
            case 'A': mnuEditSelectAll_Click(); return true;
            default: return false;
        }
    }
    if (mods == 0 && k == VK_DELETE) {
        // Del runs Edit > Delete over a selection; with none, the box
        // deletes the next character as every text box does.
        HWND f = ::GetFocus();
        DWORD start = 0, end = 0;
        if (f == rtfChatText || f == rtfMessage || f == txtPageTo) {
            ::SendMessageW(f, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            if (end > start) {
                mnuEditDelete_Click();
                return true;
            }
        }
    }
    return false;
}

bool frmChat::MoveFocusByTab(bool backwards) {
    const HWND order[] = {rtfMessage, rtfChatText, cmdMessageType, txtPageTo};
    constexpr int n = 4;
    HWND f = ::GetFocus();
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (order[i] == f) at = i;
    if (at < 0) return false;
    for (int step = 1; step < n; ++step) {
        int i = (at + (backwards ? n - step : step)) % n;
        if (::IsWindowVisible(order[i]) && ::IsWindowEnabled(order[i])) {
            ::SetFocus(order[i]);
            return true;
        }
    }
    return true;
}

bool frmChat::DoEvents(DWORD timeoutMs, int* quitCode) {
    HANDLE wake = FollowWake ? FollowWake.get() : nullptr;
    DWORD r = ::MsgWaitForMultipleObjectsEx(wake ? 1 : 0, wake ? &wake : nullptr, timeoutMs, QS_ALLINPUT,
                                            MWMO_INPUTAVAILABLE);
    if (wake && r == WAIT_OBJECT_0) {
        // The log's folder changed: a hint to look at the log now rather
        // than at the next tick.
        ::FindNextChangeNotification(wake);
        if (Logging) tmrFollow_Timer();
    }
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
    return true;
}

int frmChat::RunMessageLoop() {
    int code = 0;
    while (DoEvents(INFINITE, &code)) {
    }
    return code;
}

// ----------------------------------------------------------------- helpers

int frmChat::Dpi() const { return dpi_; }

int frmChat::Px(int twips) const { return vek::TwipsToPixels(twips, dpi_); }

int frmChat::OuterWidthTwips() const {
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    return vek::PixelsToTwips(r.right - r.left, dpi_);
}

bool frmChat::IsMenuItemEnabled(UINT id) const {
    UINT st = ::GetMenuState(::GetMenu(hWnd()), id, MF_BYCOMMAND);
    return st != static_cast<UINT>(-1) && !(st & (MF_DISABLED | MF_GRAYED));
}

void frmChat::EnableMenuItemById(UINT id, bool on) {
    ::EnableMenuItem(::GetMenu(hWnd()), id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void frmChat::EnableEditMenu(bool on) {
    ::EnableMenuItem(::GetMenu(hWnd()), 1, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    ::DrawMenuBar(hWnd());
}

bool frmChat::IsEditMenuEnabled() const {
    UINT st = ::GetMenuState(::GetMenu(hWnd()), 1, MF_BYPOSITION);
    return st != static_cast<UINT>(-1) && !(st & (MF_DISABLED | MF_GRAYED));
}

bool frmChat::IsAutostartChecked() const {
    return (::GetMenuState(mnuLog, IDM_LOG_AUTOSTART, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void frmChat::SetChangeLogCaption() {
    std::wstring text = ToWide(vek::ChangeLogCaption(mdlChat::LogFile));
    text += L"\tCtrl+O";
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = text.data();
    ::SetMenuItemInfoW(mnuFile, IDM_FILE_CHANGELOG, FALSE, &mi);
}

HICON frmChat::TypePicture(int type) const {
    if (type < 0 || type > 2) return nullptr;
    return typePictures_[static_cast<size_t>(type)].get();
}

void frmChat::SetTypeTooltip(const wchar_t* text) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(cmdMessageType);
    ti.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(tipMessageType, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void frmChat::ShowPageTo(bool show) {
    ::ShowWindow(txtPageTo, show ? SW_SHOWNA : SW_HIDE);
}
