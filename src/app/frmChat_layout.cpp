// The main window's controls and their layout: creation, fonts, pictures,
// sizes that follow the window and its DPI, painting and colours.
#include "app/frmChat.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

#include "core/message.h"
#include "core/shell_rules.h"
#include "resource.h"
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
constexpr int kSplitterHeight = 90;      // twips: the bar between the display and the pages pane
constexpr int kMinPaneHeight = 600;      // twips: the least the display and the pane each keep
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

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) noexcept {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FontFamilyInstalled(const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    WindowDC dc(nullptr);
    ::EnumFontFamiliesExW(dc.get(), &lf, &FontFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

}  // namespace

void frmChat::Form_Create() {
    dpi_ = static_cast<int>(::GetDpiForWindow(hWnd()));
    if (dpi_ <= 0) dpi_ = 96;
    backgroundBrush_.reset(::CreateSolidBrush(vek::BackgroundColor));
    newLinesBrush_.reset(::CreateSolidBrush(kNewLinesBarColor));
    CreateMenuBar();
    CreateControls();
    ApplyFonts();
    LoadPictures();
    // The client area the window is made for, whatever the frame takes.
    RECT r{0, 0, Px(kClientWidth), Px(kClientHeight)};
    ::AdjustWindowRectExForDpi(&r, WS_OVERLAPPEDWINDOW, TRUE, 0, static_cast<UINT>(dpi_));
    ::SetWindowPos(hWnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmChat::CreateControls() {
    // The window's controls, in the order they are created; the tab order is
    // MoveFocusByTab's.
    static const ChildControl kControls[] = {
        // Clipping its siblings keeps the new-lines bar over it.
        {&frmChat::rtfChatText, nullptr,
         WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | WS_BORDER | WS_CLIPSIBLINGS | ES_MULTILINE |
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
        // The display's own scroll bar could only stand for what it holds.
        {&frmChat::scrChatText, WC_SCROLLBARW, WS_CHILD | WS_VISIBLE | WS_DISABLED | SBS_VERT, IDC_CHATSCROLL,
         {0, 0, 0, 0}},
        // The pages pane and its bar: shown from the View menu.
        {&frmChat::rtfPages, nullptr,
         WS_CHILD | WS_DISABLED | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_SAVESEL,
         IDC_PAGES, {0, 0, 0, 0}},
        {&frmChat::scrPages, WC_SCROLLBARW, WS_CHILD | WS_DISABLED | SBS_VERT, IDC_PAGESSCROLL, {0, 0, 0, 0}},
    };
    for (const ChildControl& c : kControls) {
        HWND h = ::CreateWindowExW(0, c.className ? c.className : RichEditClass(), L"", c.style, Px(c.place.left),
                                   Px(c.place.top), Px(c.place.width), Px(c.place.height), hWnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
        this->*c.member = h;
        if (!h || !Subclass(h, *this))
            ReportFailure(L"VekChat: a control of the main window could not be made");
    }

    // The display never stops taking text, keeps no undo history, and tells
    // nobody of its changes; the composer reports selection changes. The
    // page-target box takes a name of any length.
    for (HWND h : {rtfChatText, rtfPages}) {
        ::SendMessageW(h, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        ::SendMessageW(h, EM_SETUNDOLIMIT, 0, 0);
    }
    ::SendMessageW(txtPageTo, EM_SETLIMITTEXT, 0, 0);
    ::SendMessageW(rtfMessage, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageW(rtfMessage, EM_SETEVENTMASK, 0, ENM_SELCHANGE);

    const int codepage = static_cast<int>(::GetACP());
    display_.Attach(rtfChatText, scrChatText, session_, kinds_, codepage, settings_.view.shown);
    pages_.Attach(rtfPages, scrPages, session_, kinds_, codepage, {vek::LineKind::Page});
    pages_.SetActive(false);  // until the pane shows
    lines_.Add(session_);  // first: the displays read what the store took
    lines_.Add(display_);
    lines_.Add(pages_);
    lines_.Add(names_);
    alerts_.Attach(hWnd());
    lines_.Add(alerts_);
    finder_.Attach(hWnd(), rtfChatText, display_, session_);
    lineTimeTip_.Attach(hWnd(), rtfChatText, kLineTimeTimer);
    pagesTimeTip_.Attach(hWnd(), rtfPages, kPagesTimeTimer);
    composer_.Attach(rtfMessage);
    pageTo_.Attach(txtPageTo);
    edit_.Attach(hWnd());
    if (!game_.Attach(*this)) ReportFailure(L"VekChat: the game typer's window could not be made");
    if (!log_.Attach(*this)) ReportFailure(L"VekChat: the follower's timer window could not be made");

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
    for (HWND h : {rtfChatText, rtfPages, txtPageTo, rtfMessage, lblNewLines}) {
        ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // RichEdits take the face and size into their own formats.
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    cf.yHeight = 195;  // twips: 9.75 pt
    cf.bCharSet = ANSI_CHARSET;
    wcsncpy(cf.szFaceName, face, LF_FACESIZE - 1);
    for (HWND h : {rtfChatText, rtfPages, rtfMessage}) {
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

void frmChat::Form_Resize() {
    if (::IsIconic(hWnd())) return;
    RECT rc{};
    ::GetClientRect(hWnd(), &rc);
    const int w = vek::PixelsToTwips(rc.right - rc.left, dpi_);
    const int h = vek::PixelsToTwips(rc.bottom - rc.top, dpi_);
    const vek::Layout l = vek::ComputeLayout(w, h, MessageLeft);
    HDWP dwp = ::BeginDeferWindowPos(8);
    auto place = [&](HWND c, int left, int top, int width, int height) {
        if (dwp)
            dwp = ::DeferWindowPos(dwp, c, nullptr, Px(left), Px(top), Px(width), Px(height),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    };
    // The display's scroll bar takes the right edge of its place; the pages
    // pane, when shown, the bottom of it, below the splitter.
    const int chatWidth = Px(l.chatWidth), barWidth = std::min(::GetSystemMetrics(SM_CXVSCROLL), chatWidth);
    int chatHeight = Px(l.chatHeight);
    const bool pane = settings_.view.pagesPane;
    if (pane) {
        const int split = Px(kSplitterHeight), least = Px(kMinPaneHeight);
        const int want = settings_.view.paneHeight > 0 ? Px(settings_.view.paneHeight) : chatHeight / 3;
        const int paneHeight = std::max(std::min(want, chatHeight - split - least), std::min(least, chatHeight / 2));
        chatHeight = std::max(chatHeight - split - paneHeight, 0);
        const int paneTop = Px(kChatTextPlace.top) + chatHeight + split;
        if (dwp)
            dwp = ::DeferWindowPos(dwp, rtfPages, nullptr, Px(kChatTextPlace.left), paneTop, chatWidth - barWidth,
                                   paneHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        if (dwp)
            dwp = ::DeferWindowPos(dwp, scrPages, nullptr, Px(kChatTextPlace.left) + chatWidth - barWidth, paneTop,
                                   barWidth, paneHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp)
        dwp = ::DeferWindowPos(dwp, rtfChatText, nullptr, Px(kChatTextPlace.left), Px(kChatTextPlace.top),
                               chatWidth - barWidth, chatHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (dwp)
        dwp = ::DeferWindowPos(dwp, scrChatText, nullptr, Px(kChatTextPlace.left) + chatWidth - barWidth,
                               Px(kChatTextPlace.top), barWidth, chatHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    place(cmdMessageType, kMessageTypePlace.left, l.buttonTop, kMessageTypePlace.width, kMessageTypePlace.height);
    place(txtPageTo, kPageToPlace.left, l.pageToTop, kPageToPlace.width, kPageToPlace.height);
    place(rtfMessage, MessageLeft, l.messageTop, l.messageWidth, kMessagePlace.height);
    if (dwp) ::EndDeferWindowPos(dwp);
    display_.Resized();
    if (pane) pages_.Resized();
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
    // The bar between the display and the pages pane looks like one to drag.
    const RECT split = SplitterRect();
    if (!::IsRectEmpty(&split)) ::FillRect(dc, &split, ::GetSysColorBrush(COLOR_BTNFACE));
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

void frmChat::ShowMessageType(int type) {
    ::SendMessageW(cmdMessageType, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(typePictures_[static_cast<size_t>(type)].get()));
    ::InvalidateRect(cmdMessageType, nullptr, TRUE);
    ::ShowWindow(txtPageTo, type == vek::kPage ? SW_SHOWNA : SW_HIDE);
    MessageLeft = vek::ComposerLeft(type);
    Form_Resize();  // the composer's width follows its new left edge
    const std::wstring tip = ToWide(vek::MessageTypeTooltip(type));
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(cmdMessageType);
    ti.lpszText = const_cast<wchar_t*>(tip.c_str());
    ::SendMessageW(tipMessageType, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

std::optional<LRESULT> frmChat::txtPageTo_CtlColor(HDC dc) {
    ::SetTextColor(dc, ::IsWindowEnabled(txtPageTo) ? vek::NormalColor : ::GetSysColor(COLOR_GRAYTEXT));
    ::SetBkColor(dc, vek::BackgroundColor);
    return reinterpret_cast<LRESULT>(backgroundBrush_.get());
}

std::optional<LRESULT> frmChat::lblNewLines_CtlColor(HDC dc) {
    ::SetTextColor(dc, vek::QuoteColor);
    ::SetBkColor(dc, kNewLinesBarColor);
    return reinterpret_cast<LRESULT>(newLinesBrush_.get());
}

int frmChat::Px(int twips) const { return vek::TwipsToPixels(twips, dpi_); }
