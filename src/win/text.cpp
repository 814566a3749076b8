#include "win/text.h"

#include <windows.h>

namespace vek::win {

namespace {
std::wstring Widen(UINT codepage, std::string_view bytes) {
    if (bytes.empty()) return {};
    int n = ::MultiByteToWideChar(codepage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(codepage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::string Narrow(UINT codepage, std::wstring_view wide) {
    if (wide.empty()) return {};
    int n = ::WideCharToMultiByte(codepage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                  nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(codepage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                              nullptr, nullptr);
    return out;
}
}  // namespace

std::wstring ToWide(std::string_view ansi) { return Widen(CP_ACP, ansi); }

std::wstring FromUtf8(std::string_view utf8) { return Widen(CP_UTF8, utf8); }

std::string ToAnsi(std::wstring_view wide) { return Narrow(CP_ACP, wide); }

std::string ToUtf8(std::wstring_view wide) { return Narrow(CP_UTF8, wide); }

}  // namespace vek::win

namespace vek::win {

std::wstring WindowTextWide(HWND w) {
    const int n = ::GetWindowTextLengthW(w);
    std::wstring buf(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
    const int got = ::GetWindowTextW(w, buf.data(), static_cast<int>(buf.size()));
    buf.resize(static_cast<size_t>(got > 0 ? got : 0));
    return buf;
}

}  // namespace vek::win
