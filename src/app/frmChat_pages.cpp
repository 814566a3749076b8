// The pages pane: the session's pages below the chat display, behind a
// splitter the player drags. A page line double-clicked, or Enter on it,
// makes the next message a Page back to its other player.
#include "app/frmChat.h"

#include <algorithm>

#include "core/message.h"
#include "core/names.h"
#include "core/shell_rules.h"

void frmChat::mnuViewPagesPane_Click() {
    ShowPagesPane(!settings_.view.pagesPane);
    SaveViewChoice(vek::ViewChoice::PagesPane);
    // Shown, it takes the focus (the keyboard reaches it); hidden, the focus leaves it.
    if (settings_.view.pagesPane && ::IsWindowEnabled(rtfPages)) ::SetFocus(rtfPages);
    else if (!settings_.view.pagesPane && ::GetFocus() == rtfPages) ::SetFocus(rtfMessage);
}

void frmChat::ShowPagesPane(bool on) {
    settings_.view.pagesPane = on;
    CheckMenuItemById(IDM_VIEW_PAGESPANE, on);
    for (HWND h : {rtfPages, scrPages}) ::ShowWindow(h, on ? SW_SHOWNA : SW_HIDE);
    Form_Resize();
    // Hidden, it takes no lines; shown again, it shows the newest pages.
    pages_.SetActive(on);
}

void frmChat::rtfPages_Scroll(UINT msg, WPARAM wp) { pages_.ViewMoved(msg, wp); }

void frmChat::scrPages_Scroll(int code) { pages_.BarScrolled(code); }

void frmChat::rtfPages_Answer(std::optional<std::size_t> entry) {
    AnswerPage(entry ? vek::PagePartnerOf(session_, *entry) : std::nullopt);
}

void frmChat::AnswerPage(const std::optional<std::string>& name) {
    if (!name || !::IsWindowEnabled(rtfMessage)) {
        ::MessageBeep(MB_OK);
        return;
    }
    ShowMessageType(sender_.SetType(vek::kPage));
    pageTo_.SetText(*name);
    ::SetFocus(rtfMessage);
}

void frmChat::tmrPagesTime_Timer() {
    if (const std::optional<std::size_t> entry = pages_.EntryAt(pagesTimeTip_.Rested()))
        pagesTimeTip_.Show(session_[*entry].lead);
}

namespace {

// Where a child window lies in its parent's client area.
RECT PlaceInParent(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

RECT frmChat::SplitterRect() const {
    if (!settings_.view.pagesPane) return {};
    const RECT chat = PlaceInParent(rtfChatText), pane = PlaceInParent(rtfPages), bar = PlaceInParent(scrPages);
    return {chat.left, chat.bottom, bar.right, pane.top};
}

bool frmChat::Splitter_MouseDown(POINT client) {
    const RECT r = SplitterRect();
    if (!::PtInRect(&r, client)) return false;
    splitGrab_ = client.y - r.top;
    ::SetCapture(hWnd());
    return true;
}

void frmChat::Splitter_MouseMove(POINT client) {
    if (splitGrab_ < 0) return;
    // The pane's top follows the mouse; the layout keeps both a least height.
    RECT pane = PlaceInParent(rtfPages);
    const RECT split = SplitterRect();
    const int top = client.y - splitGrab_ + (split.bottom - split.top);
    const int height = std::max<int>(pane.bottom - top, 1);
    const int twips = std::clamp(vek::PixelsToTwips(height, dpi_), 1, vek::kMaxPaneHeight);
    if (twips == settings_.view.paneHeight) return;
    settings_.view.paneHeight = twips;
    Form_Resize();
    // What the layout left it (each keeps a least height) is what is kept.
    pane = PlaceInParent(rtfPages);
    settings_.view.paneHeight = std::clamp(vek::PixelsToTwips(pane.bottom - pane.top, dpi_), 1, vek::kMaxPaneHeight);
    ::UpdateWindow(hWnd());
}

void frmChat::Splitter_MouseUp() {
    if (splitGrab_ < 0) return;
    splitGrab_ = -1;
    if (::GetCapture() == hWnd()) ::ReleaseCapture();
    SaveViewChoice(vek::ViewChoice::PaneHeight);  // the height the player left it at
}
