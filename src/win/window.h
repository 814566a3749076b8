// One window procedure for every window of ours: the main window, the
// imitation game's, the test windows, and the controls the main window
// subclasses. Each window has an object behind it that gets its messages;
// no exception ever leaves a window procedure.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <optional>

namespace vek::win {

// The object behind a window (or a subclassed control).
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // Handles one message of `w`; nullopt leaves it to the default procedure
    // (of the window class, or of the subclassed control).
    virtual std::optional<LRESULT> OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) = 0;
};

// The window procedure to register for a window class of ours. The target is
// CreateWindowEx's last argument; it gets every message from WM_NCCREATE to
// WM_NCDESTROY (included) and must outlive the window or destroy it first.
// Works for ANSI and Unicode classes alike.
LRESULT CALLBACK WindowThunk(HWND w, UINT msg, WPARAM wp, LPARAM lp) noexcept;

// Makes a message-only window of class `className` (registered here on first
// use) whose messages go to `target`: for timers and messages of a component
// that has no window of its own. nullptr when the system refused.
HWND MakeMessageWindow(const wchar_t* className, MessageTarget& target) noexcept;

// Puts `target` in front of a control's own procedure until the control is
// destroyed (it gets WM_NCDESTROY too); the control's user data holds the
// link, so it must be free. A handler passes a message on to the control
// with CallControlProc. Returns false when the system refused. (Not the
// common controls' SetWindowSubclass: under Wine that asks the server for a
// window property twice for every message the control gets.)
[[nodiscard]] bool Subclass(HWND control, MessageTarget& target) noexcept;
LRESULT CallControlProc(HWND control, UINT msg, WPARAM wp, LPARAM lp) noexcept;

// Keeps `w` above every window that is not topmost (on), or lets it go
// back among them (off). `owned`: the window's tooltips (nullptr skipped).
// Under Wine 8 a window made topmost while it owns tooltips stays where it
// was and its tooltips go topmost instead, so they are let go for the call
// and owned again after it. Returns false when the system refused.
bool SetAlwaysOnTop(HWND w, bool on, std::initializer_list<HWND> owned) noexcept;

// Tells a developer (a debugger, DebugView) that something failed that the
// program goes on without. Never throws.
void ReportFailure(const wchar_t* what) noexcept;

}  // namespace vek::win
