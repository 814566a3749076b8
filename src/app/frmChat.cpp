// The main window: creation, the window procedure, layout, painting, the
// keyboard preview and shortcuts, and the message loop. The handlers of its
// events are in frmChat_events.cpp.
#include "app/frmChat.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>

#include "core/message.h"
#include "core/shell_rules.h"
#include "core/view_settings.h"
#include "resource.h"
#include "win/keys.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vek::win;

namespace {

constexpr wchar_t kClassName[] = L"VekChatMain";

// The client area the window is created with, in twips.
constexpr int kClientWidth = 4440;
constexpr int kClientHeight = 3375;

// Where a control starts, in twips; the layout moves it with the window.
struct Place {
    int left, top, width, height;
};
constexpr Place kChatTextPlace{0, 0, 4455, 3015};
constexpr Place kPageToPlace{375, 3015, vek::kPageToWidthTwips, 345};
constexpr Place kMessagePlace{360, 3000, 4095, 375};
constexpr Place kMessageTypePlace{0, 2985, 375, 405};
constexpr int kNewLinesBarHeight = 270;  // twips, over the display's bottom edge
constexpr vek::Color kNewLinesBarColor = vek::Rgb(0, 72, 96);

// One of the window's controls.
struct ChildControl {
    HWND frmChat::*member;
    const wchar_t* className;  // nullptr: the RichEdit class
    DWORD style;
    int id;
    Place place;
};

// The pictures of the message types, in pixels at 96 DPI.
constexpr int kPictureWidth = 23;
constexpr int kPictureHeight = 24;

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
    backgroundBrush_.reset(::CreateSolidBrush(vek::BackgroundColor));
    newLinesBrush_.reset(::CreateSolidBrush(kNewLinesBarColor));

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
    // The pane of pages comes with the bounded display; until then it is offered greyed.
    ::AppendMenuW(view, MF_STRING | MF_GRAYED, IDM_VIEW_PAGESPANE, L"Pages &Pane\tCtrl+Shift+P");
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

void frmChat::CreateControls() {
    // The window's controls, in the order they are created; the tab order is
    // MoveFocusByTab's.
    static const ChildControl kControls[] = {
        // Clipping its siblings keeps the new-lines bar over it.
        {&frmChat::rtfChatText, nullptr,
         WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | WS_VSCROLL | WS_BORDER | WS_CLIPSIBLINGS | ES_MULTILINE |
             ES_AUTOVSCROLL | ES_SAVESEL,
         IDC_CHATTEXT, kChatTextPlace},
        {&frmChat::txtPageTo, WC_EDITW, WS_CHILD | WS_DISABLED | WS_TABSTOP | ES_AUTOHSCROLL, IDC_PAGETO,
         kPageToPlace},
        {&frmChat::rtfMessage, nullptr,
         WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, IDC_MESSAGE,
         kMessagePlace},
        {&frmChat::cmdMessageType, WC_BUTTONW, WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_OWNERDRAW,
         IDC_MESSAGETYPE, kMessageTypePlace},
        // Shown while the view is held with news below it; a click follows again.
        {&frmChat::lblNewLines, WC_STATICW, WS_CHILD | SS_NOTIFY | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
         IDC_NEWLINES, {0, 0, 0, 0}},
    };
    for (const ChildControl& c : kControls) {
        HWND h = ::CreateWindowExW(0, c.className ? c.className : RichEditClass(), L"", c.style, Px(c.place.left),
                                   Px(c.place.top), Px(c.place.width), Px(c.place.height), hWnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
        this->*c.member = h;
        if (!h || !Subclass(h, static_cast<UINT_PTR>(c.id), *this))
            ReportFailure(L"VekChat: a control of the main window could not be made");
    }

    // The display never stops taking text, keeps no undo history, and tells
    // nobody of its changes; the composer reports selection changes. The
    // page-target box takes a name of any length.
    ::SendMessageW(rtfChatText, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageW(txtPageTo, EM_SETLIMITTEXT, 0, 0);
    ::SendMessageW(rtfChatText, EM_SETUNDOLIMIT, 0, 0);
    ::SendMessageW(rtfMessage, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageW(rtfMessage, EM_SETEVENTMASK, 0, ENM_SELCHANGE);

    display_.Attach(rtfChatText, static_cast<int>(::GetACP()));
    lines_.Add(session_);
    lines_.Add(display_);
    lines_.Add(names_);
    alerts_.Attach(hWnd());
    lines_.Add(alerts_);
    displayText_.Attach(rtfChatText);
    finder_.Attach(hWnd(), rtfChatText, displayText_);
    lineTimeTip_.Attach(hWnd(), rtfChatText, kLineTimeTimer);
    composer_.Attach(rtfMessage);
    pageTo_.Attach(txtPageTo);
    edit_.Attach(hWnd());
    if (!game_.Attach(*this)) ReportFailure(L"VekChat: the game typer's window could not be made");

    tipMessageType = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd(), nullptr,
                                       instance_, nullptr);
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
    for (HWND h : {rtfChatText, txtPageTo, rtfMessage, lblNewLines}) {
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
    const int cx = ::MulDiv(kPictureWidth, dpi_, 96), cy = ::MulDiv(kPictureHeight, dpi_, 96);
    for (int i = 0; i < vek::kMessageKinds; ++i) {
        typePictures_[static_cast<size_t>(i)].reset(
            static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TYPE0 + i), IMAGE_ICON, cx, cy, 0)));
    }
    ShowMessageType(sender_.Type());  // the button's picture at the new size
}

// ------------------------------------------------------------ window events

void frmChat::Form_Resize() {
    if (::IsIconic(hWnd())) return;
    RECT rc{};
    ::GetClientRect(hWnd(), &rc);
    const int w = vek::PixelsToTwips(rc.right - rc.left, dpi_);
    const int h = vek::PixelsToTwips(rc.bottom - rc.top, dpi_);
    const vek::Layout l = vek::ComputeLayout(w, h, MessageLeft);
    HDWP dwp = ::BeginDeferWindowPos(4);
    auto place = [&](HWND c, int left, int top, int width, int height) {
        if (dwp)
            dwp = ::DeferWindowPos(dwp, c, nullptr, Px(left), Px(top), Px(width), Px(height),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(rtfChatText, kChatTextPlace.left, kChatTextPlace.top, l.chatWidth, l.chatHeight);
    place(cmdMessageType, kMessageTypePlace.left, l.buttonTop, kMessageTypePlace.width, kMessageTypePlace.height);
    place(txtPageTo, kPageToPlace.left, l.pageToTop, kPageToPlace.width, kPageToPlace.height);
    place(rtfMessage, MessageLeft, l.messageTop, l.messageWidth, kMessagePlace.height);
    if (dwp) ::EndDeferWindowPos(dwp);
    PlaceNewLinesBar();
    lineY_ = l.lineY;
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void frmChat::PlaceNewLinesBar() {
    // Across the display's text area, leaving its border and scroll bar free.
    RECT r{};
    ::GetClientRect(rtfChatText, &r);
    ::MapWindowPoints(rtfChatText, hWnd(), reinterpret_cast<POINT*>(&r), 2);
    const int h = std::min<int>(Px(kNewLinesBarHeight), r.bottom - r.top);
    ::SetWindowPos(lblNewLines, HWND_TOP, r.left, r.bottom - h, r.right - r.left, h, SWP_NOACTIVATE);
}

void frmChat::Paint() {
    PaintDC pdc(hWnd());
    HDC dc = pdc.get();
    ::FillRect(dc, &pdc.info().rcPaint, backgroundBrush_.get());
    // The three pictures lie under the chat display; the line under the
    // page box shows only while the composer stands right of it.
    const int cx = ::MulDiv(kPictureWidth, dpi_, 96), cy = ::MulDiv(kPictureHeight, dpi_, 96);
    for (int i = 0; i < vek::kMessageKinds; ++i) {
        if (HICON ic = typePictures_[static_cast<size_t>(i)].get())
            ::DrawIconEx(dc, Px(120 + 240 * i), Px(120 + 240 * i), ic, cx, cy, 0, nullptr, DI_NORMAL);
    }
    UniqueGdi pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DLIGHT)));
    SelectedObject sel(dc, pen.get());
    ::MoveToEx(dc, Px(vek::ComposerLeft(vek::kNormal)), Px(lineY_), nullptr);
    ::LineTo(dc, Px(vek::ComposerLeft(vek::kPage)), Px(lineY_));
}

void frmChat::DrawTypeButton(const DRAWITEMSTRUCT& di) {
    ::FillRect(di.hDC, &di.rcItem, backgroundBrush_.get());
    const int cx = ::MulDiv(kPictureWidth, dpi_, 96), cy = ::MulDiv(kPictureHeight, dpi_, 96);
    int x = (di.rcItem.right - di.rcItem.left - cx) / 2;
    int y = (di.rcItem.bottom - di.rcItem.top - cy) / 2;
    if (di.itemState & ODS_SELECTED) {
        ++x;
        ++y;
    }
    if (HICON ic = reinterpret_cast<HICON>(::SendMessageW(di.hwndItem, BM_GETIMAGE, IMAGE_ICON, 0))) {
        const UINT flags = DST_ICON | ((di.itemState & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL);
        ::DrawStateW(di.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(ic), 0, x, y, cx, cy, flags);
    }
    if (di.itemState & ODS_FOCUS) {
        RECT fr = di.rcItem;
        ::InflateRect(&fr, -2, -2);
        ::DrawFocusRect(di.hDC, &fr);
    }
}

void frmChat::OnDpiChanged(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    ApplyFonts();
    LoadPictures();
    // A stored place comes already sized for the monitor it goes to.
    if (suggested && !restoringPlace_)
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
    HWND w = self_;
    if (msg != 0 && msg == finder_.Message()) {
        dlgFind_Message(lp);
        return 0;
    }
    switch (msg) {
        case WM_CREATE: {
            dpi_ = static_cast<int>(::GetDpiForWindow(w));
            if (dpi_ <= 0) dpi_ = 96;
            CreateMenuBar();
            CreateControls();
            ApplyFonts();
            LoadPictures();
            // The client area the window is made for, whatever the frame takes.
            RECT r{0, 0, Px(kClientWidth), Px(kClientHeight)};
            ::AdjustWindowRectExForDpi(&r, WS_OVERLAPPEDWINDOW, TRUE, 0, static_cast<UINT>(dpi_));
            ::SetWindowPos(w, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
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
            StopFollowTimer();
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
        case WM_TIMER:
            if (wp == kFollowTimer) tmrFollow_Timer();
            else if (wp == kLineTimeTimer) tmrLineTime_Timer();
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) != lblNewLines) return std::nullopt;
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        case WM_ERASEBKGND:
            return 1;  // painted in WM_PAINT
        case WM_PAINT:
            Paint();
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lp) == txtPageTo) {
                HDC dc = reinterpret_cast<HDC>(wp);
                ::SetTextColor(dc, ::IsWindowEnabled(txtPageTo) ? vek::NormalColor : ::GetSysColor(COLOR_GRAYTEXT));
                ::SetBkColor(dc, vek::BackgroundColor);
                return reinterpret_cast<LRESULT>(backgroundBrush_.get());
            }
            if (reinterpret_cast<HWND>(lp) == lblNewLines) {
                HDC dc = reinterpret_cast<HDC>(wp);
                ::SetTextColor(dc, vek::QuoteColor);
                ::SetBkColor(dc, kNewLinesBarColor);
                return reinterpret_cast<LRESULT>(newLinesBrush_.get());
            }
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

std::optional<LRESULT> frmChat::OnControlMessage(HWND ctl, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFOCUS) focusBack_ = ctl;  // where the focus goes back to when the window does
    // Key-press handlers see the character's ANSI code and may consume it.
    auto keyPress = [&](void (frmChat::*handler)(int&)) -> std::optional<LRESULT> {
        const int code = AnsiCode(wp);
        if (code < 0) return std::nullopt;  // no ANSI form: leave it to the box
        int k = code;
        (this->*handler)(k);
        if (k == 0) return 0;
        return std::nullopt;
    };

    if (ctl == rtfMessage) {
        if (msg == WM_KEYDOWN) {
            int key = static_cast<int>(wp);
            rtfMessage_KeyDown(key, ModifierState());
            if (key == 0) return 0;
        } else if (msg == WM_CHAR) {
            return keyPress(&frmChat::rtfMessage_KeyPress);
        }
    } else if (ctl == rtfChatText) {
        if (vek::ChatDisplay::MovesView(msg, wp)) {
            const LRESULT r = ::DefSubclassProc(ctl, msg, wp, lp);
            rtfChatText_Scroll();
            return r;
        }
        if (msg == WM_MOUSEMOVE) rtfChatText_MouseMove({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        else if (msg == WM_MOUSELEAVE) rtfChatText_MouseLeave();
    } else if (ctl == txtPageTo) {
        if (msg == WM_CHAR) {
            if (const std::optional<LRESULT> refused = keyPress(&frmChat::txtPageTo_KeyPress)) return refused;
            const LRESULT r = ::DefSubclassProc(ctl, msg, wp, lp);
            if (wp >= 32 && wp != 127) txtPageTo_Typed();  // not after Backspace: the name deleted would come back
            return r;
        }
    } else if (ctl == cmdMessageType) {
        switch (msg) {
            case WM_KEYDOWN:
                // Enter, like Space, activates the button (outside a dialog a
                // button does not take Enter by itself).
                if (wp == VK_RETURN) {
                    cmdMessageType_Click();
                    return 0;
                }
                break;
            case WM_SETFOCUS: {
                const LRESULT r = ::DefSubclassProc(ctl, msg, wp, lp);
                cmdMessageType_GotFocus();
                return r;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP: {
                // The button reports its click while handling the release;
                // the focus rule then sees the type the click chose.
                const LRESULT r = ::DefSubclassProc(ctl, msg, wp, lp);
                cmdMessageType_MouseUp();
                return r;
            }
            default:
                break;
        }
    }
    return std::nullopt;
}

// ------------------------------------------------------------ message loop

bool frmChat::PreTranslateMessage(MSG& msg) {
    if (!IsAlive()) return false;
    if (finder_.PreTranslate(msg)) return true;
    if (msg.hwnd != hWnd() && !::IsChild(hWnd(), msg.hwnd)) return false;
    if (msg.message == WM_MOUSEWHEEL && msg.hwnd != rtfChatText &&
        ::WindowFromPoint({GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)}) == rtfChatText) {
        // The wheel scrolls the display under the mouse, wherever the focus is.
        ::SendMessageW(rtfChatText, WM_MOUSEWHEEL, msg.wParam, msg.lParam);
        return true;
    }
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;

    // Every key reaches the window's own handler before the focused control.
    int key = static_cast<int>(msg.wParam);
    Form_KeyDown(key, ModifierState());
    if (key == 0) return true;
    if (!IsAlive()) return true;
    if (msg.message == WM_KEYDOWN && RunShortcut(msg)) return true;
    const int mods = ModifierState();
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && !(mods & (kCtrl | kAlt)))
        return MoveFocusByTab((mods & kShift) != 0);
    return false;
}

bool frmChat::RunShortcut(const MSG& msg) {
    const int mods = ModifierState();
    const WPARAM k = msg.wParam;
    if (mods == kCtrl && k == 'O') {
        if (IsMenuItemEnabled(IDM_FILE_CHANGELOG)) mnuFileChangeLog_Click();
        return true;
    }
    if (mods == kCtrl && k == 'S') {
        mnuFileSaveChat_Click();
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
    const HWND order[] = {rtfMessage, rtfChatText, cmdMessageType, txtPageTo};
    constexpr int n = 4;
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

bool frmChat::DoEvents(DWORD timeoutMs, int* quitCode) {
    HANDLE wake = watch_.Handle();
    // While catching up a burst, the loop does not wait: the next part goes
    // in as soon as what is queued has been handled.
    const DWORD r = ::MsgWaitForMultipleObjectsEx(wake ? 1 : 0, wake ? &wake : nullptr,
                                                  catchingUp_ ? 0 : timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wake && r == WAIT_OBJECT_0) {
        // The log's folder changed: a hint to look at the log now rather
        // than at the next tick.
        watch_.Rearm();
        wakePending_ = true;
    }
    passRan_ = false;
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
    // The follower's pass comes after what was queued (typing goes first),
    // unless the timer already brought one in this turn.
    if ((wakePending_ || catchingUp_) && !passRan_) FollowPass(wakePending_);
    wakePending_ = false;
    return true;
}

int frmChat::RunMessageLoop() {
    int code = 0;
    while (DoEvents(INFINITE, &code)) {
    }
    return code;
}

// ----------------------------------------------------------------- helpers

int frmChat::Px(int twips) const { return vek::TwipsToPixels(twips, dpi_); }

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

bool frmChat::IsMenuItemChecked(UINT id) const {
    return (::GetMenuState(::GetMenu(hWnd()), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void frmChat::CheckMenuItemById(UINT id, bool on) {
    ::CheckMenuItem(::GetMenu(hWnd()), id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool frmChat::IsAutostartChecked() const {
    return (::GetMenuState(SubMenu(kLogMenu), IDM_LOG_AUTOSTART, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void frmChat::EnableFollowingControls(bool on) {
    EnableMenuItemById(IDM_LOG_START, !on);
    EnableMenuItemById(IDM_LOG_STOP, on);
    EnableEditMenu(on);
    for (HWND h : {rtfChatText, cmdMessageType, txtPageTo, rtfMessage}) ::EnableWindow(h, on ? TRUE : FALSE);
}

void frmChat::SetFollowTimer(UINT ms) {
    if (ms == followTimerMs_) return;
    if (!::SetTimer(hWnd(), kFollowTimer, ms, nullptr)) {
        // The change notification may still wake passes; the next pass tries again.
        ReportFailure(L"VekChat: the follower's timer could not be set");
        return;
    }
    followTimerMs_ = ms;
}

void frmChat::StopFollowTimer() {
    if (hWnd()) ::KillTimer(hWnd(), kFollowTimer);
    followTimerMs_ = 0;
}

vek::TextBox frmChat::FocusedBox() const {
    const HWND f = ::GetFocus();
    if (!f) return {};
    if (f == rtfChatText || f == rtfMessage) return {f, true};
    if (f == txtPageTo) return {f, false};
    return {};
}
