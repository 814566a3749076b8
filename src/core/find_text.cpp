#include "core/find_text.h"

#include <algorithm>

namespace vek {

namespace {

bool InRange(char16_t c, char16_t lo, char16_t hi) { return c >= lo && c <= hi; }

// Latin Extended-A pairs its cases as neighbours; which of the two is upper
// case changes twice along the block.
char16_t FoldLatinExtendedA(char16_t c) {
    if (c == 0x0130) return u'i';  // capital I with dot
    if (c == 0x0178) return 0x00FF;  // capital Y with diaeresis
    const bool upperIsOdd = InRange(c, 0x0139, 0x0148) || InRange(c, 0x0179, 0x017E);
    const bool paired = upperIsOdd || InRange(c, 0x0100, 0x012F) || InRange(c, 0x0132, 0x0137) ||
                        InRange(c, 0x014A, 0x0177);
    if (paired && (c % 2 == 1) == upperIsOdd) return static_cast<char16_t>(c + 1);
    return c;
}

char16_t FoldGreekCyrillic(char16_t c) {
    switch (c) {
        case 0x0386: return 0x03AC;
        case 0x038C: return 0x03CC;
        case 0x038E: return 0x03CD;
        case 0x038F: return 0x03CE;
        case 0x03C2: return 0x03C3;  // final sigma
        case 0x0490: return 0x0491;
        default: break;
    }
    if (InRange(c, 0x0388, 0x038A)) return static_cast<char16_t>(c + 37);
    if (InRange(c, 0x0391, 0x03AB) && c != 0x03A2) return static_cast<char16_t>(c + 32);
    if (InRange(c, 0x0400, 0x040F)) return static_cast<char16_t>(c + 80);
    if (InRange(c, 0x0410, 0x042F)) return static_cast<char16_t>(c + 32);
    return c;
}

}  // namespace

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return InRange(c, u'A', u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (c < 0x100) return InRange(c, 0xC0, 0xDE) && c != 0xD7 ? static_cast<char16_t>(c + 32) : c;
    if (c < 0x180) return FoldLatinExtendedA(c);
    if (InRange(c, 0x0386, 0x0490)) return FoldGreekCyrillic(c);
    return c;
}

bool IsWordChar(char16_t c) {
    if (c < 0x80) return InRange(c, u'0', u'9') || InRange(c, u'a', u'z') || InRange(c, u'A', u'Z');
    if (c < 0xC0) return false;
    return c != 0xD7 && c != 0xF7 && !InRange(c, 0x2000, 0x2BFF) && !InRange(c, 0x3000, 0x303F) &&
           !InRange(c, 0xFE30, 0xFE6F) && !InRange(c, 0xFF00, 0xFF0F);
}

std::optional<TextRange> FindInText(std::u16string_view text, std::u16string_view what, TextRange from,
                                  FindOptions options) {
    const std::size_t m = what.size();
    if (m == 0 || m > text.size()) return std::nullopt;
    std::u16string pattern(what);
    if (!options.matchCase) std::transform(pattern.begin(), pattern.end(), pattern.begin(), FoldCase);
    const auto fold = [&](char16_t c) { return options.matchCase ? c : FoldCase(c); };
    const auto matchesAt = [&](std::size_t i) {
        if (fold(text[i]) != pattern[0]) return false;
        for (std::size_t k = 1; k < m; ++k)
            if (fold(text[i + k]) != pattern[k]) return false;
        return !options.wholeWord ||
               ((i == 0 || !IsWordChar(text[i - 1])) && (i + m == text.size() || !IsWordChar(text[i + m])));
    };

    const std::size_t lastStart = text.size() - m;
    if (options.down) {
        for (std::size_t i = from.end; i <= lastStart; ++i)
            if (matchesAt(i)) return TextRange{i, i + m};
    } else {
        const std::size_t limit = std::min(from.start, text.size());
        if (limit < m) return std::nullopt;
        for (std::size_t i = limit - m + 1; i-- > 0;)
            if (matchesAt(i)) return TextRange{i, i + m};
    }
    return std::nullopt;
}

std::u16string FindSeed(std::u16string_view selection) {
    const std::size_t lineBreak = selection.find_first_of(u"\r\n");
    const std::u16string_view first = selection.substr(0, lineBreak);
    if (first.size() > kMaxFindText) return {};
    return std::u16string(first);
}

}  // namespace vek
