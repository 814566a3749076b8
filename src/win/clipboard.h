// The clipboard as plain text.
#pragma once
#include <windows.h>

#include <string>

namespace vek::win {

// The clipboard's plain text; empty when it holds none or cannot be opened.
std::wstring ClipboardText(HWND owner);

// Puts text on the clipboard as its only content. Returns false when the
// clipboard could not be had; it is then left as it was.
[[nodiscard]] bool SetClipboardText(HWND owner, const std::wstring& text);

}  // namespace vek::win
