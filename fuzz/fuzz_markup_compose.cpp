// The composer's markup conversion on arbitrary coloured text (any byte, any
// colour, palette or not). Aborts when
//   - the markup, read by the display's rule against NormalColor, does not
//     give each character of a text free of markup characters the colour it
//     had in the composer: QuoteColor, BraceColor and NormalColor as they
//     were, a colour outside the palette as NormalColor, and PageInColor,
//     PageOutColor or OtherColor the colour of the mark in force before it;
//   - the markup without its markup characters is not the text without its
//     markup characters (nothing lost, added or reordered), or a text all in
//     NormalColor does not convert to itself (the F9 recall of a message);
//   - feeding the text in runs gives other markup than one character at a
//     time, or a finished composer does not start empty;
//   - typing keys into the composer (the colour keys changing the insertion
//     colour) gives other colours than the keys themselves read as markup;
//   - the composer's text for a markup (a message brought back) is not what
//     typing the markup gives, or, for the markup of a text free of markup
//     characters, not that text in the colours the display shows it in.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/chat_display.h"
#include "core/markup_compose.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool IsMarkup(char c) { return c == '"' || c == '{' || c == '}'; }

// A lead the display takes for a NormalColor line whatever follows it (its
// first 28 characters decide every test), and which leaves NormalColor in
// force: the converted markup after it is read against NormalColor.
constexpr std::string_view kNormalLine = "{x}\":\" abcdefghijklmnopqrstu";
constexpr std::size_t kNormalLineShown = 24;  // its characters that are not markup

// The colours the display gives the characters (not the markup) of a markup
// text read against NormalColor.
std::vector<vek::Color> DisplayColors(std::string_view markup) {
    const std::string text = std::string(kNormalLine) + std::string(markup);
    std::vector<vek::ColorRun> runs;
    Check(vek::RenderShown(vek::ShownText{text, {}}, runs) == vek::NormalColor);
    std::vector<vek::Color> colors;
    for (const vek::ColorRun& r : runs)
        for (std::size_t i = 0; i < r.text.size(); ++i) colors.push_back(r.color);
    Check(colors.size() >= kNormalLineShown);
    colors.erase(colors.begin(), colors.begin() + kNormalLineShown);
    return colors;
}

std::string WithoutMarkup(std::string_view s) {
    std::string out;
    for (char c : s)
        if (!IsMarkup(c)) out += c;
    return out;
}

// The colour a composed character shows in once its markup is read back.
// The markup of a whole coloured text, one character at a time.
std::string Composed(const std::vector<vek::ComposedChar>& chars) {
    vek::MarkupComposer m;
    for (const vek::ComposedChar& c : chars) m.Add(c.ch, c.color);
    return m.Finish();
}

std::vector<vek::Color> ExpectedColors(const std::vector<vek::ComposedChar>& chars) {
    std::vector<vek::Color> out;
    vek::Color mark = vek::NormalColor;
    for (const vek::ComposedChar& c : chars) {
        if (c.color == vek::QuoteColor || c.color == vek::BraceColor) mark = c.color;
        else if (c.color == vek::NormalColor || !vek::IsKnownTextColor(c.color)) mark = vek::NormalColor;
        out.push_back(mark);
    }
    return out;
}

bool SameText(const std::vector<vek::ComposedChar>& a, const std::vector<vek::ComposedChar>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const vek::ComposedChar& x, const vek::ComposedChar& y) {
                          return x.ch == y.ch && x.color == y.color;
                      });
}

std::string Converted(const std::vector<vek::ComposedChar>& chars) {
    const std::string markup = Composed(chars);

    // The same text fed in runs of one colour, as the shell reads the box.
    vek::MarkupComposer m;
    std::size_t i = 0;
    while (i < chars.size()) {
        std::size_t j = i;
        std::string run;
        while (j < chars.size() && chars[j].color == chars[i].color) run += chars[j++].ch;
        m.Add(run, chars[i].color);
        i = j;
    }
    Check(m.Finish() == markup);
    Check(m.Finish().empty());
    return markup;
}

void CheckRoundTrip(const std::vector<vek::ComposedChar>& chars) {
    const std::string markup = Converted(chars);
    std::string text;
    bool allNormal = true;
    for (const vek::ComposedChar& c : chars) {
        text += c.ch;
        allNormal = allNormal && (c.color == vek::NormalColor || !vek::IsKnownTextColor(c.color));
    }
    Check(WithoutMarkup(markup) == WithoutMarkup(text));
    if (allNormal) Check(markup == text);
    if (text.find_first_of("\"{}") == std::string::npos) {
        const std::vector<vek::Color> expected = ExpectedColors(chars);
        Check(DisplayColors(markup) == expected);
        std::vector<vek::ComposedChar> back;
        for (std::size_t i = 0; i < chars.size(); ++i) back.push_back({chars[i].ch, expected[i]});
        Check(SameText(vek::ComposedOfMarkup(markup), back));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr vek::Color kPalette[] = {vek::NormalColor, vek::QuoteColor,  vek::BraceColor,
                                              vek::PageInColor, vek::PageOutColor, vek::OtherColor};
    FuzzedDataProvider in(data, size);

    // Typing: every byte a key pressed in the composer.
    const std::string keys = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 200));
    std::vector<vek::ComposedChar> typed;
    vek::Color insertion = vek::NormalColor;
    for (char k : keys) {
        if (std::optional<vek::Color> c = vek::ColorKeyResult(k, insertion)) {
            Check(IsMarkup(k));
            insertion = *c;
        } else {
            Check(!IsMarkup(k));
            typed.push_back({k, insertion});
        }
    }
    std::vector<vek::Color> typedColors;
    for (const vek::ComposedChar& c : typed) typedColors.push_back(c.color);
    Check(DisplayColors(keys) == typedColors);
    Check(SameText(vek::ComposedOfMarkup(keys), typed));
    CheckRoundTrip(typed);

    // Any text in any colours, then the same with its markup characters
    // replaced so that the colour round trip always applies.
    std::vector<vek::ComposedChar> chars;
    while (in.remaining_bytes() > 0) {
        const char ch = in.ConsumeIntegral<char>();
        const int pick = in.ConsumeIntegralInRange<int>(0, 7);
        const vek::Color color = pick < 6 ? kPalette[pick] : in.ConsumeIntegral<std::uint32_t>();
        const std::optional<vek::Color> cleaned = vek::CleanedSelectionColor(color);
        Check(cleaned == (vek::IsKnownTextColor(color) ? std::nullopt : std::optional(vek::NormalColor)));
        chars.push_back({ch, color});
    }
    CheckRoundTrip(chars);
    for (vek::ComposedChar& c : chars)
        if (IsMarkup(c.ch)) c.ch = '_';
    CheckRoundTrip(chars);
    return 0;
}
