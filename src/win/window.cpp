#include "win/window.h"

#include <commctrl.h>

#include <exception>
#include <string>

namespace vek::win {

namespace {

LRESULT DefaultProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    return ::IsWindowUnicode(w) ? ::DefWindowProcW(w, msg, wp, lp) : ::DefWindowProcA(w, msg, wp, lp);
}

// Runs the target's handler; an exception ends at this boundary, is
// reported, and the message goes to the default procedure instead.
std::optional<LRESULT> Guarded(MessageTarget& t, HWND w, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        return t.OnMessage(w, msg, wp, lp);
    } catch (const std::exception& e) {
        std::wstring text = L"VekChat: exception in a window procedure: ";
        for (const char* p = e.what(); *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
        ReportFailure(text.c_str());
    } catch (...) {
        ReportFailure(L"VekChat: unknown exception in a window procedure");
    }
    return std::nullopt;
}

LRESULT CALLBACK SubclassThunk(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) noexcept {
    if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(w, &SubclassThunk, id);
    auto* target = reinterpret_cast<MessageTarget*>(ref);
    if (target) {
        if (std::optional<LRESULT> r = Guarded(*target, w, msg, wp, lp)) return *r;
    }
    return ::DefSubclassProc(w, msg, wp, lp);
}

}  // namespace

LRESULT CALLBACK WindowThunk(HWND w, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    auto* target = reinterpret_cast<MessageTarget*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        // lpCreateParams stands at the same place in the ANSI structure.
        target = static_cast<MessageTarget*>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
    }
    if (!target) return DefaultProc(w, msg, wp, lp);
    std::optional<LRESULT> r = Guarded(*target, w, msg, wp, lp);
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(w, GWLP_USERDATA, 0);
    return r ? *r : DefaultProc(w, msg, wp, lp);
}

bool Subclass(HWND control, UINT_PTR id, MessageTarget& target) noexcept {
    return ::SetWindowSubclass(control, &SubclassThunk, id, reinterpret_cast<DWORD_PTR>(&target)) != FALSE;
}

bool SetAlwaysOnTop(HWND w, bool on, std::initializer_list<HWND> owned) noexcept {
    for (HWND tip : owned)
        if (tip) ::SetWindowLongPtrW(tip, GWLP_HWNDPARENT, 0);
    const BOOL done = ::SetWindowPos(w, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (HWND tip : owned)
        if (tip) ::SetWindowLongPtrW(tip, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(w));
    return done != FALSE;
}

HWND MakeMessageWindow(const wchar_t* className, MessageTarget& target) noexcept {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowThunk;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return ::CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, &target);
}

void ReportFailure(const wchar_t* what) noexcept {
    ::OutputDebugStringW(what);
    ::OutputDebugStringW(L"\n");
}

}  // namespace vek::win
