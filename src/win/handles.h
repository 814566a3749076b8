// Ownership of Win32 handles: one move-only owner type on one template, and
// one alias per kind of handle. Each owner frees its handle exactly once.
#pragma once
#include <windows.h>

#include <utility>

namespace vek::win {

// Traits: `using type = ...;`, `static type invalid()`, `static void close(type)`.
template <class Traits>
class Unique {
public:
    using type = typename Traits::type;

    Unique() noexcept = default;
    explicit Unique(type h) noexcept : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(o.release()) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~Unique() { reset(); }

    type get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::invalid(); }

    // Frees what it holds and takes h instead.
    void reset(type h = Traits::invalid()) noexcept {
        type old = std::exchange(h_, h);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // Gives up ownership without freeing.
    [[nodiscard]] type release() noexcept { return std::exchange(h_, Traits::invalid()); }

private:
    type h_ = Traits::invalid();
};

#define VEK_HANDLE_TRAITS(Name, Type, Invalid, Close)         \
    struct Name {                                             \
        using type = Type;                                    \
        static type invalid() noexcept { return Invalid; }    \
        static void close(type h) noexcept { Close; }         \
    }

VEK_HANDLE_TRAITS(WindowTraits, HWND, nullptr, ::DestroyWindow(h));
VEK_HANDLE_TRAITS(GdiTraits, HGDIOBJ, nullptr, ::DeleteObject(h));
VEK_HANDLE_TRAITS(FontTraits, HFONT, nullptr, ::DeleteObject(h));
VEK_HANDLE_TRAITS(BrushTraits, HBRUSH, nullptr, ::DeleteObject(h));
VEK_HANDLE_TRAITS(IconTraits, HICON, nullptr, ::DestroyIcon(h));
VEK_HANDLE_TRAITS(KeyTraits, HKEY, nullptr, ::RegCloseKey(h));
VEK_HANDLE_TRAITS(FileTraits, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle(h));
VEK_HANDLE_TRAITS(KernelTraits, HANDLE, nullptr, ::CloseHandle(h));
VEK_HANDLE_TRAITS(ChangeNotifyTraits, HANDLE, INVALID_HANDLE_VALUE, ::FindCloseChangeNotification(h));
VEK_HANDLE_TRAITS(FindTraits, HANDLE, INVALID_HANDLE_VALUE, ::FindClose(h));
#undef VEK_HANDLE_TRAITS

using UniqueWindow = Unique<WindowTraits>;
using UniqueGdi = Unique<GdiTraits>;
using UniqueFont = Unique<FontTraits>;
using UniqueBrush = Unique<BrushTraits>;
using UniqueIcon = Unique<IconTraits>;
using UniqueKey = Unique<KeyTraits>;
using UniqueFile = Unique<FileTraits>;            // CreateFile results
using UniqueHandle = Unique<KernelTraits>;        // events, processes, threads
using UniqueChangeNotify = Unique<ChangeNotifyTraits>;
using UniqueFind = Unique<FindTraits>;              // FindFirstFile searches

// A device context from GetDC, released to its window.
class WindowDC {
public:
    explicit WindowDC(HWND w) noexcept : w_(w), dc_(::GetDC(w)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() { if (dc_) ::ReleaseDC(w_, dc_); }
    HDC get() const noexcept { return dc_; }

private:
    HWND w_;
    HDC dc_;
};

// BeginPaint/EndPaint as a scope.
class PaintDC {
public:
    explicit PaintDC(HWND w) noexcept : w_(w) { dc_ = ::BeginPaint(w, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(w_, &ps_); }
    HDC get() const noexcept { return dc_; }
    const PAINTSTRUCT& info() const noexcept { return ps_; }

private:
    HWND w_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// An object selected into a DC for a scope; the previous one is put back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The clipboard, open for a scope. Check ok() before use.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) noexcept {
        // Another program may hold it for a moment; try a few times.
        for (int i = 0; i < 10 && !ok_; ++i) {
            ok_ = ::OpenClipboard(owner) != FALSE;
            if (!ok_) ::Sleep(10);
        }
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    ~OpenClipboardScope() { if (ok_) ::CloseClipboard(); }
    bool ok() const noexcept { return ok_; }

private:
    bool ok_ = false;
};

// A global memory block locked for a scope, as a pointer to T. Check get()
// before use: it is null when the lock failed.
template <class T>
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL mem) noexcept : mem_(mem), p_(mem ? static_cast<T*>(::GlobalLock(mem)) : nullptr) {}
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    ~GlobalLockScope() { if (p_) ::GlobalUnlock(mem_); }
    T* get() const noexcept { return p_; }
    // Bytes in the block, which may be more than was asked for.
    size_t bytes() const noexcept { return p_ ? ::GlobalSize(mem_) : 0; }

private:
    HGLOBAL mem_;
    T* p_;
};

// Switches a window's painting off for a scope and, unless told not to,
// repaints it afterwards.
class RedrawFreeze {
public:
    // What is painted again when the freeze ends: by default the frame too,
    // where a scroll bar of the window's own lives, which would otherwise
    // stay unpainted until the mouse passes over it.
    static constexpr UINT kWhole = RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN;
    // A window with no scroll bar or children of its own that paints all of
    // its client area (a rich edit box does, background and all).
    static constexpr UINT kClientOnly = RDW_INVALIDATE;

    explicit RedrawFreeze(HWND w, bool repaint = true, UINT what = kWhole) noexcept
        : w_(w), what_(repaint ? what : 0) {
        ::SendMessageW(w_, WM_SETREDRAW, FALSE, 0);
    }
    RedrawFreeze(const RedrawFreeze&) = delete;
    RedrawFreeze& operator=(const RedrawFreeze&) = delete;
    ~RedrawFreeze() {
        ::SendMessageW(w_, WM_SETREDRAW, TRUE, 0);
        if (what_) ::RedrawWindow(w_, nullptr, nullptr, what_);
    }

private:
    HWND w_;
    UINT what_;
};

}  // namespace vek::win
