// The keyboard's modifier state as the handlers see it: Shift 1 + Ctrl 2 + Alt 4.
#pragma once
#include <windows.h>

namespace vek::win {

inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;
inline constexpr int kAlt = 4;

// The modifiers held as the current message was sent.
inline int ModifierState() {
    int s = 0;
    if (::GetKeyState(VK_SHIFT) < 0) s |= kShift;
    if (::GetKeyState(VK_CONTROL) < 0) s |= kCtrl;
    if (::GetKeyState(VK_MENU) < 0) s |= kAlt;
    return s;
}

}  // namespace vek::win
