// The program's colours. Each is packed as red + 256 * green + 65536 * blue,
// the same layout as a Win32 COLORREF, so the shell passes them through as is.
#pragma once
#include <cstdint>

namespace vek {

using Color = std::uint32_t;

constexpr Color Rgb(unsigned r, unsigned g, unsigned b) { return r + 256u * g + 65536u * b; }

constexpr Color BackgroundColor = Rgb(0, 0, 0);
constexpr Color NormalColor = Rgb(0, 255, 255);
constexpr Color QuoteColor = Rgb(255, 255, 255);
constexpr Color BraceColor = Rgb(160, 160, 160);
constexpr Color PageInColor = Rgb(192, 192, 192);
constexpr Color PageOutColor = Rgb(255, 255, 0);
constexpr Color OtherColor = Rgb(0, 0, 255);

// The colours that text may carry: every palette colour but the background.
constexpr bool IsKnownTextColor(Color c) {
    return c == NormalColor || c == QuoteColor || c == BraceColor || c == PageInColor ||
           c == PageOutColor || c == OtherColor;
}

}  // namespace vek
