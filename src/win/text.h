// Text at the program's edge: the program works in the system's ANSI code
// page (one byte per character); the controls are Unicode. Convert here.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace vek::win {

std::wstring ToWide(std::string_view ansi);
std::string ToAnsi(std::wstring_view wide);
std::wstring FromUtf8(std::string_view utf8);  // the core's own texts
std::string ToUtf8(std::wstring_view wide);

// A window's text (a plain edit box's content), as the window holds it.
std::wstring WindowTextWide(HWND w);

}  // namespace vek::win
