#include "win/windowplace.h"

#include <shellscalingapi.h>

namespace vek::win {

namespace {

// GetWindowPlacement and SetWindowPlacement speak of workspace coordinates,
// which start at the primary monitor's work area; screen coordinates start
// at the monitor itself.
POINT WorkspaceOrigin() {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi)) return {0, 0};
    return {mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top};
}

}  // namespace

std::optional<Placement> GetPlacement(HWND w) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!::GetWindowPlacement(w, &wp)) return std::nullopt;
    const POINT o = WorkspaceOrigin();
    const RECT& r = wp.rcNormalPosition;
    Placement p;
    p.left = r.left + o.x;
    p.top = r.top + o.y;
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    p.maximised = wp.showCmd == SW_SHOWMAXIMIZED ||
                  (wp.showCmd == SW_SHOWMINIMIZED && (wp.flags & WPF_RESTORETOMAXIMIZED));
    p.dpi = static_cast<int>(::GetDpiForWindow(w));
    return p;
}

namespace {

// Called by the system for each monitor: nothing may be thrown through it.
BOOL CALLBACK AddWorkArea(HMONITOR m, HDC, LPRECT, LPARAM areas) noexcept {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!::GetMonitorInfoW(m, &mi)) return TRUE;
    const RECT& a = mi.rcWork;
    try {
        reinterpret_cast<std::vector<Rect>*>(areas)->push_back({a.left, a.top, a.right, a.bottom});
    } catch (...) {
        return FALSE;  // out of memory: the monitors so far
    }
    return TRUE;
}

}  // namespace

std::vector<Rect> WorkAreas() {
    std::vector<Rect> areas;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

int DpiNear(const Rect& r) {
    const RECT rc{r.left, r.top, r.right, r.bottom};
    UINT x = 0, y = 0;
    if (::GetDpiForMonitor(::MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), MDT_EFFECTIVE_DPI, &x, &y) != S_OK ||
        y == 0)
        return 96;
    return static_cast<int>(y);
}

bool ShowAtPlacement(HWND w, const Placement& p) {
    const POINT o = WorkspaceOrigin();
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.showCmd = p.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    wp.rcNormalPosition = {p.left - o.x, p.top - o.y, p.left - o.x + p.width, p.top - o.y + p.height};
    return ::SetWindowPlacement(w, &wp) != FALSE;
}

}  // namespace vek::win
