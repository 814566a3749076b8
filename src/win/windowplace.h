// A top-level window's place as the core's Placement holds it, in screen
// pixels: reading it, the monitors it may go back to, and putting it back.
#pragma once
#include <windows.h>

#include <optional>
#include <vector>

#include "core/placement.h"

namespace vek::win {

// The window's normal (restored) rectangle, whether it is maximised (or
// minimised from maximised), and its DPI; nullopt when the system cannot say.
std::optional<Placement> GetPlacement(HWND w);

// The work areas of the monitors there are now.
std::vector<Rect> WorkAreas();

// The DPI of the monitor nearest a rectangle; 96 when the system cannot say.
int DpiNear(const Rect& r);

// Gives the window `p`'s normal rectangle and shows it, maximised when `p`
// was. Returns false when the system refused (the window is then not shown).
bool ShowAtPlacement(HWND w, const Placement& p);

}  // namespace vek::win
