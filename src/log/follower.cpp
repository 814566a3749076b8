// Following the chat log: Start and Stop, the Log menu, and one pass of the
// follower, run from the window's timer.
#include "app/frmChat.h"
#include "app/mdlChat.h"

namespace {
constexpr UINT_PTR kFollowTimer = 1;
constexpr UINT kFollowIntervalMs = 50;
}  // namespace

void frmChat::StartLog() {
    Logging = true;
    EnableMenuItemById(IDM_LOG_START, false);
    EnableMenuItemById(IDM_LOG_STOP, true);
    EnableEditMenu(true);
    for (HWND h : {rtfChatText, cmdMessageType, txtPageTo, rtfMessage}) ::EnableWindow(h, TRUE);
    ::SetTimer(hWnd(), kFollowTimer, kFollowIntervalMs, nullptr);
}

void frmChat::StopLog() {
    Logging = false;
    ::KillTimer(hWnd(), kFollowTimer);
    EnableMenuItemById(IDM_LOG_START, true);
    EnableMenuItemById(IDM_LOG_STOP, false);
    EnableEditMenu(false);
    for (HWND h : {rtfChatText, cmdMessageType, txtPageTo, rtfMessage}) ::EnableWindow(h, FALSE);
}

void frmChat::mnuLogStart_Click() { StartLog(); }

void frmChat::mnuLogStop_Click() { StopLog(); }

void frmChat::mnuLogAutostart_Click() {
    ::CheckMenuItem(mnuLog, IDM_LOG_AUTOSTART, MF_BYCOMMAND | (IsAutostartChecked() ? MF_UNCHECKED : MF_CHECKED));
}

void frmChat::tmrFollow_Timer() {
    if (!Logging) return;
    // One pass over the log: comes with the follower.
}
