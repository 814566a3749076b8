// The stored texts of the alert and window settings, which an outsider (the
// registry, the player's typing) controls, and alert-word matching on any
// shown line. Aborts when
//   - AlertWords::Parse gives more than 20 words, an empty one or one longer
//     than 32 bytes, one with a blank, comma, semicolon, double quote, brace
//     or control character in it, one beginning or ending with a non-word
//     byte, or two that differ only in the case of ASCII letters;
//   - parsing the stored form of the words does not give the same words;
//   - FoundIn disagrees with a plain search for each word, in any case of
//     ASCII letters, with no word byte right before or after it;
//   - ParsePlacement accepts a value outside its limits, or what it accepts
//     does not come back the same through FormatPlacement;
//   - a placement within the limits does not come back the same through its
//     stored form;
//   - ScaledToDpi moves the window, leaves the limits or does not take the DPI;
//   - TitleBarVisible holds for no work area, stops holding when a work area is
//     added, or fails for a large enough window lying inside a work area;
//   - any arithmetic on them overflows (UBSan).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/alerts.h"
#include "core/placement.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

bool Forbidden(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 32 || u == 127 || std::string_view(" ,;\"{}").find(c) != std::string_view::npos;
}

void CheckWords(const vek::AlertWords& words) {
    const auto list = words.Words();
    Check(list.size() <= vek::kMaxAlertWords);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& w = list[i];
        Check(!w.empty() && w.size() <= vek::kMaxAlertWordBytes);
        Check(vek::IsWordByte(w.front()) && vek::IsWordByte(w.back()));
        for (char c : w) Check(!Forbidden(c));
        for (std::size_t j = 0; j < i; ++j) Check(Lowered(list[j]) != Lowered(w));
    }
    Check(vek::AlertWords::Parse(words.Format()) == words);
}

// Every place each word stands in the text, in any case, tried one by one.
bool PlainSearch(const vek::AlertWords& words, std::string_view text) {
    const std::string t = Lowered(text);
    for (const std::string& w : words.Words()) {
        const std::string lw = Lowered(w);
        for (std::size_t at = t.find(lw); at != std::string::npos; at = t.find(lw, at + 1)) {
            const bool before = at == 0 || !vek::IsWordByte(t[at - 1]);
            const bool after = at + lw.size() == t.size() || !vek::IsWordByte(t[at + lw.size()]);
            if (before && after) return true;
        }
    }
    return false;
}

bool WithinLimits(const vek::Placement& p) {
    auto in = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
    return in(p.left, -vek::kMaxCoordinate, vek::kMaxCoordinate) && in(p.top, -vek::kMaxCoordinate, vek::kMaxCoordinate) &&
           in(p.width, 1, vek::kMaxExtent) && in(p.height, 1, vek::kMaxExtent) && in(p.dpi, vek::kMinDpi, vek::kMaxDpi);
}

vek::Rect AnyRect(FuzzedDataProvider& in) {
    vek::Rect r;
    for (int* v : {&r.left, &r.top, &r.right, &r.bottom}) *v = in.ConsumeIntegral<int>();
    return r;
}

}  // namespace

// The fuzz build lets UBSan go on after a report; overflow in the rectangle
// arithmetic must stop the run like any other failed property.
extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);

    const std::string stored = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 400));
    const std::string line = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 300));
    const std::string placementText = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 80));

    const vek::AlertWords words = vek::AlertWords::Parse(stored);
    CheckWords(words);
    Check(words.FoundIn(line) == PlainSearch(words, line));
    // Words taken from the line itself, so that matches are found as well as missed.
    const vek::AlertWords fromLine = vek::AlertWords::Parse(line);
    CheckWords(fromLine);
    Check(fromLine.FoundIn(stored) == PlainSearch(fromLine, stored));
    Check(fromLine.FoundIn(line) == PlainSearch(fromLine, line));

    if (const auto p = vek::ParsePlacement(placementText)) {
        Check(WithinLimits(*p));
        Check(vek::ParsePlacement(vek::FormatPlacement(*p)) == p);
    }

    vek::Placement p;
    p.left = in.ConsumeIntegralInRange<int>(-vek::kMaxCoordinate, vek::kMaxCoordinate);
    p.top = in.ConsumeIntegralInRange<int>(-vek::kMaxCoordinate, vek::kMaxCoordinate);
    p.width = in.ConsumeIntegralInRange<int>(1, vek::kMaxExtent);
    p.height = in.ConsumeIntegralInRange<int>(1, vek::kMaxExtent);
    p.maximised = in.ConsumeBool();
    p.dpi = in.ConsumeIntegralInRange<int>(vek::kMinDpi, vek::kMaxDpi);
    Check(vek::ParsePlacement(vek::FormatPlacement(p)) == p);

    const int dpi = in.ConsumeIntegralInRange<int>(vek::kMinDpi, vek::kMaxDpi);
    const vek::Placement scaled = vek::ScaledToDpi(p, dpi);
    Check(WithinLimits(scaled) && scaled.left == p.left && scaled.top == p.top && scaled.dpi == dpi &&
          scaled.maximised == p.maximised);

    // Any rectangle and work areas: the rule holds only with some work area,
    // and another work area never takes it away.
    const vek::Rect r = in.ConsumeBool() ? p.Bounds() : AnyRect(in);
    std::vector<vek::Rect> areas;
    for (std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 4); n > 0; --n) areas.push_back(AnyRect(in));
    const bool visible = vek::TitleBarVisible(r, dpi, areas);
    Check(!visible || !areas.empty());
    areas.push_back(AnyRect(in));
    Check(!visible || vek::TitleBarVisible(r, dpi, areas));
    // A window inside a work area, at least 64 x 24 pixels at its DPI (here
    // up to 10 times 96), can always be taken by its title bar.
    const vek::Rect inside = {p.left, p.top, p.left + 640, p.top + 240};
    const vek::Rect around = {p.left - 1, p.top, p.left + 700, p.top + 300};
    Check(vek::TitleBarVisible(inside, dpi, std::span<const vek::Rect>(&around, 1)));
    return 0;
}
