#include "log/linetimetip.h"

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "win/text.h"

namespace vek {

void LineTimeTip::Attach(HWND owner, HWND display, UINT_PTR timerId) {
    owner_ = owner;
    display_ = display;
    timerId_ = timerId;
    tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr,
                             nullptr);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.hwnd = display_;
    ti.lpszText = const_cast<wchar_t*>(L"");
    if (tip_) ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void LineTimeTip::MouseMoved(POINT client) {
    // Windows repeats the last mouse move now and then; only a real move
    // counts, and a tiny one leaves a shown tip alone.
    const bool moved = client.x != rest_.x || client.y != rest_.y;
    if (shown_ && (std::abs(client.x - rest_.x) > 2 || std::abs(client.y - rest_.y) > 2)) Hide();
    if (!tracking_) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, display_, 0};
        tracking_ = ::TrackMouseEvent(&tme) != FALSE;
    }
    if (!moved || shown_) return;
    rest_ = client;
    ::SetTimer(owner_, timerId_, kRestMs, nullptr);
}

void LineTimeTip::MouseLeft() {
    tracking_ = false;
    ::KillTimer(owner_, timerId_);
    Hide();
}

POINT LineTimeTip::Rested() {
    ::KillTimer(owner_, timerId_);
    return rest_;
}

void LineTimeTip::Show(std::string_view lead) {
    while (!lead.empty() && lead.back() == ' ') lead.remove_suffix(1);
    if (!tip_ || lead.empty()) return;
    std::wstring s = win::ToWide(lead);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = display_;
    ti.lpszText = s.data();
    ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    POINT at = rest_;
    ::ClientToScreen(display_, &at);
    // Below the pointer, clear of the cursor's shape.
    const int below = ::GetSystemMetrics(SM_CYCURSOR) * 2 / 3;
    ::SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y + below));
    ::SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    shown_ = true;
}

void LineTimeTip::Hide() {
    if (!shown_) return;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = display_;
    ::SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    shown_ = false;
}

}  // namespace vek
