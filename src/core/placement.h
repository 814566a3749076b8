// Where the main window was left: its normal (restored) rectangle, whether
// it was maximised, and the DPI it had, kept as one stored string and put
// back at start-up when that place can still be seen.
//
//   unload:    store FormatPlacement({normal rect, IsZoomed, GetDpiForWindow})
//   start-up:  p = ParsePlacement(stored); dpi = that of the monitor nearest p's rectangle
//              r = RestoredPlacement(*p, dpi, work areas of all monitors)
//              r ? place the window at *r : keep the creation size
// All coordinates are pixels in the one space the work areas are given in.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vek {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;  // exclusive, as in a Win32 RECT
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// What a stored placement may hold; ParsePlacement refuses anything else.
inline constexpr int kMaxCoordinate = 100000;  // |left|, |top|
inline constexpr int kMaxExtent = 100000;      // width, height: 1 to this
inline constexpr int kMinDpi = 48;
inline constexpr int kMaxDpi = 960;

struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximised = false;
    int dpi = 96;  // the window's DPI when its size was taken
    Rect Bounds() const { return {left, top, left + width, top + height}; }
    friend bool operator==(const Placement&, const Placement&) = default;
};

// The stored form "left,top,width,height,maximised,dpi", maximised as 1 or 0:
// "120,80,640,480,0,96". Meant for a placement within the limits above.
std::string FormatPlacement(const Placement& p);

// Reads the stored form: exactly six decimal integers separated by commas,
// blanks allowed around each, every one within its limits and maximised 0 or
// 1. Anything else (missing, extra, empty, signed with "+", fractional, out of
// range however far) is nullopt, and the window keeps its creation size.
std::optional<Placement> ParsePlacement(std::string_view text);

// The placement with its size scaled from its DPI to `dpi` (rounded to
// nearest, kept within 1 to kMaxExtent); its position stays. A dpi outside
// kMinDpi to kMaxDpi leaves the placement as it is.
Placement ScaledToDpi(const Placement& p, int dpi);

// Whether a window at `bounds` could be taken by its title bar: the strip
// along its top edge (24 pixels at 96 DPI, scaled by dpi, or the window's
// height when less) must overlap one work area by at least 64 pixels across
// (at 96 DPI; the window's width when less) and half the strip's height.
// Overlaps on two monitors do not add up: each could hide the other's part.
bool TitleBarVisible(const Rect& bounds, int dpi, std::span<const Rect> workAreas);

// The placement to restore at `dpi` (that of the monitor it goes on): the
// stored one with its size scaled, or nullopt when its title bar would be
// visible on none of the work areas (a monitor gone, resolution lowered).
std::optional<Placement> RestoredPlacement(const Placement& stored, int dpi, std::span<const Rect> workAreas);

}  // namespace vek
