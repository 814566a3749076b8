#include "win/window.h"

#include <exception>
#include <memory>
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

// A subclassed control's own procedure and the object put in front of it,
// kept in the control's user data (which the system's controls leave to
// the program) for as long as the control lives.
struct SubclassRecord {
    WNDPROC own;
    MessageTarget* target;
};

SubclassRecord* RecordOf(HWND w) noexcept {
    return reinterpret_cast<SubclassRecord*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
}

LRESULT CALLBACK SubclassThunk(HWND w, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    SubclassRecord* r = RecordOf(w);
    if (!r) return DefaultProc(w, msg, wp, lp);  // not reached: set before the procedure
    if (msg == WM_NCDESTROY) {
        // The last message: the control gets its own procedure back, and the
        // record goes once the target and the control have seen it.
        const std::unique_ptr<SubclassRecord> owned(r);
        ::SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(r->own));
        ::SetWindowLongPtrW(w, GWLP_USERDATA, 0);
        if (r->target) Guarded(*r->target, w, msg, wp, lp);
        return ::CallWindowProcW(r->own, w, msg, wp, lp);
    }
    if (r->target) {
        if (std::optional<LRESULT> answer = Guarded(*r->target, w, msg, wp, lp)) return *answer;
    }
    return ::CallWindowProcW(r->own, w, msg, wp, lp);
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

bool Subclass(HWND control, MessageTarget& target) noexcept {
    if (!control || RecordOf(control)) return false;  // one target a control, in its free user data
    try {
        auto r = std::make_unique<SubclassRecord>(SubclassRecord{nullptr, &target});
        ::SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(r.get()));
        r->own = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassThunk)));
        if (!r->own) {
            ::SetWindowLongPtrW(control, GWLP_USERDATA, 0);
            return false;
        }
        r.release();  // the control owns it now: freed at WM_NCDESTROY
        return true;
    } catch (...) {
        return false;
    }
}

LRESULT CallControlProc(HWND control, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    const SubclassRecord* r = RecordOf(control);
    return r ? ::CallWindowProcW(r->own, control, msg, wp, lp) : DefaultProc(control, msg, wp, lp);
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
