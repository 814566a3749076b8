#include "support/clipboard.h"

#include <cstring>

#include "win/handles.h"

namespace vektest {

namespace {

HGLOBAL Copy(const void* data, size_t size) {
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!mem) return nullptr;
    std::memcpy(::GlobalLock(mem), data, size);
    ::GlobalUnlock(mem);
    return mem;
}

}  // namespace

UINT RtfFormat() {
    return ::RegisterClipboardFormatW(L"Rich Text Format");
}

void ClearClipboard() {
    vek::win::OpenClipboardScope clip(nullptr);
    if (clip.ok()) ::EmptyClipboard();
}

void PutClipboard(const std::wstring& text, const std::string& rtf) {
    vek::win::OpenClipboardScope clip(nullptr);
    if (!clip.ok()) return;
    ::EmptyClipboard();
    ::SetClipboardData(CF_UNICODETEXT, Copy(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
    if (!rtf.empty()) ::SetClipboardData(RtfFormat(), Copy(rtf.c_str(), rtf.size() + 1));
}

void PutClipboardBytes(UINT format, const void* data, size_t size) {
    vek::win::OpenClipboardScope clip(nullptr);
    if (!clip.ok()) return;
    ::EmptyClipboard();
    ::SetClipboardData(format, Copy(data, size));
}

std::wstring ClipboardUnicode() {
    vek::win::OpenClipboardScope clip(nullptr);
    if (!clip.ok()) return L"<clipboard not open>";
    HANDLE h = ::GetClipboardData(CF_UNICODETEXT);
    if (!h) return {};
    std::wstring text(static_cast<const wchar_t*>(::GlobalLock(h)));
    ::GlobalUnlock(h);
    return text;
}

std::string ClipboardAnsi() {
    vek::win::OpenClipboardScope clip(nullptr);
    if (!clip.ok()) return "<clipboard not open>";
    HANDLE h = ::GetClipboardData(CF_TEXT);
    if (!h) return {};
    std::string text(static_cast<const char*>(::GlobalLock(h)));
    ::GlobalUnlock(h);
    return text;
}

bool ClipboardHas(UINT format) {
    return ::IsClipboardFormatAvailable(format) != FALSE;
}

}  // namespace vektest
