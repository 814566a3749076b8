#include "win/clipboard.h"

#include <cstring>

#include "win/handles.h"

namespace vek::win {

std::wstring ClipboardText(HWND owner) {
    OpenClipboardScope clip(owner);
    if (!clip.ok()) return {};
    GlobalLockScope<const wchar_t> p(::GetClipboardData(CF_UNICODETEXT));  // the system converts CF_TEXT
    if (!p.get()) return {};
    // Another program's data need not end in a NUL: read no further than the
    // memory block itself.
    const size_t cap = p.bytes() / sizeof(wchar_t);
    size_t len = 0;
    while (len < cap && p.get()[len] != L'\0') ++len;
    return std::wstring(p.get(), len);
}

bool SetClipboardText(HWND owner, const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) return false;
    {
        GlobalLockScope<void> p(mem);
        if (!p.get()) {
            ::GlobalFree(mem);
            return false;
        }
        std::memcpy(p.get(), text.c_str(), bytes);
    }
    OpenClipboardScope clip(owner);
    if (!clip.ok() || !::EmptyClipboard() || !::SetClipboardData(CF_UNICODETEXT, mem)) {
        ::GlobalFree(mem);  // not taken over by the clipboard
        return false;
    }
    return true;
}

}  // namespace vek::win
