// The system clipboard in tests: put and read formats directly.
#pragma once
#include <windows.h>

#include <string>

namespace vektest {

// Empties the clipboard.
void ClearClipboard();
// Puts Unicode text (and, when rtf is not empty, the same clipboard content
// as "Rich Text Format") on the clipboard, replacing what it held.
void PutClipboard(const std::wstring& text, const std::string& rtf = {});
// Puts raw bytes in one format, replacing what the clipboard held.
void PutClipboardBytes(UINT format, const void* data, size_t size);
// The clipboard's Unicode text ("" when none), and whether a format is there.
std::wstring ClipboardUnicode();
std::string ClipboardAnsi();  // CF_TEXT as the system gives it
bool ClipboardHas(UINT format);
UINT RtfFormat();

}  // namespace vektest
