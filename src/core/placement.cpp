#include "core/placement.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace vek {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A whole field as a decimal integer within [lo, hi].
std::optional<int> Field(std::string_view s, int lo, int hi) {
    s = TrimBlanks(s);
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
    return v;
}

// v * to / from, rounded to nearest, for positive from and to.
std::int64_t Scale(std::int64_t v, int to, int from) { return (v * to + from / 2) / from; }

}  // namespace

std::string FormatPlacement(const Placement& p) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%d,%d", p.left, p.top, p.width, p.height, p.maximised ? 1 : 0,
                  p.dpi);
    return buf;
}

std::optional<Placement> ParsePlacement(std::string_view text) {
    struct Limits {
        int lo, hi;
    };
    constexpr Limits kLimits[] = {{-kMaxCoordinate, kMaxCoordinate}, {-kMaxCoordinate, kMaxCoordinate},
                                  {1, kMaxExtent}, {1, kMaxExtent}, {0, 1}, {kMinDpi, kMaxDpi}};
    int v[std::size(kLimits)];
    for (std::size_t i = 0; i < std::size(kLimits); ++i) {
        const std::size_t comma = text.find(',');
        const bool last = i + 1 == std::size(kLimits);
        if (last != (comma == std::string_view::npos)) return std::nullopt;  // too few or too many fields
        const std::optional<int> f = Field(text.substr(0, comma), kLimits[i].lo, kLimits[i].hi);
        if (!f) return std::nullopt;
        v[i] = *f;
        if (!last) text.remove_prefix(comma + 1);
    }
    return Placement{v[0], v[1], v[2], v[3], v[4] == 1, v[5]};
}

Placement ScaledToDpi(const Placement& p, int dpi) {
    if (dpi < kMinDpi || dpi > kMaxDpi || p.dpi < kMinDpi || p.dpi > kMaxDpi) return p;
    Placement out = p;
    out.width = static_cast<int>(std::clamp<std::int64_t>(Scale(p.width, dpi, p.dpi), 1, kMaxExtent));
    out.height = static_cast<int>(std::clamp<std::int64_t>(Scale(p.height, dpi, p.dpi), 1, kMaxExtent));
    out.dpi = dpi;
    return out;
}

bool TitleBarVisible(const Rect& bounds, int dpi, std::span<const Rect> workAreas) {
    dpi = std::clamp(dpi, kMinDpi, kMaxDpi);
    // 64-bit throughout: a rectangle may come from anywhere.
    const std::int64_t width = std::int64_t{bounds.right} - bounds.left;
    const std::int64_t height = std::int64_t{bounds.bottom} - bounds.top;
    if (width <= 0 || height <= 0) return false;
    const std::int64_t strip = std::min(height, Scale(24, dpi, 96));
    const std::int64_t needAcross = std::min(width, Scale(64, dpi, 96));
    const std::int64_t needDown = (strip + 1) / 2;
    for (const Rect& a : workAreas) {
        const std::int64_t across = std::min<std::int64_t>(bounds.right, a.right) - std::max(bounds.left, a.left);
        const std::int64_t down = std::min<std::int64_t>(bounds.top + strip, a.bottom) - std::max(bounds.top, a.top);
        if (across >= needAcross && down >= needDown) return true;
    }
    return false;
}

std::optional<Placement> RestoredPlacement(const Placement& stored, int dpi, std::span<const Rect> workAreas) {
    const Placement p = ScaledToDpi(stored, dpi);
    if (!TitleBarVisible(p.Bounds(), p.dpi, workAreas)) return std::nullopt;
    return p;
}

}  // namespace vek
