// Text at the program's edge: the program works in the system's ANSI code
// page (one byte per character); the controls are Unicode. Convert here.
#pragma once
#include <string>
#include <string_view>

namespace vek::win {

std::wstring ToWide(std::string_view ansi);
std::string ToAnsi(std::wstring_view wide);

}  // namespace vek::win
