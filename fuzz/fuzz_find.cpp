// Find in the chat on any display text, searched text, selection and
// options. Aborts when
//   - FindInText disagrees with a plain scan of every place, in the given
//     direction from the selection, compared letter by letter through
//     FoldCase (unless case matters) and bounded by non-word characters
//     (for whole words);
//   - FoldCase is not idempotent, or changes whether a character is a word
//     character;
//   - FindSeed gives anything but the selection's first line, when that is
//     of at most kMaxFindText code units, and nothing otherwise.
// Bytes below 0xF0 stand for the code unit of the same value (so that seeds
// read as text); the rest for letters and signs the case rules single out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/find_text.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

constexpr char16_t kExtra[16] = {0x0100, 0x0101, 0x0139, 0x013A, 0x0178, 0x0130, 0x0131, 0x0391,
                                 0x03B1, 0x03C2, 0x03A3, 0x0416, 0x0436, 0x2019, 0x00D7, 0xFF01};

std::u16string Units(const std::string& bytes) {
    std::u16string out;
    for (unsigned char b : bytes) out += b < 0xF0 ? static_cast<char16_t>(b) : kExtra[b - 0xF0];
    return out;
}

bool MatchesAt(const std::u16string& text, const std::u16string& what, std::size_t i, const vek::FindOptions& o) {
    for (std::size_t k = 0; k < what.size(); ++k) {
        const char16_t a = text[i + k], b = what[k];
        if (o.matchCase ? a != b : vek::FoldCase(a) != vek::FoldCase(b)) return false;
    }
    if (!o.wholeWord) return true;
    const bool before = i == 0 || !vek::IsWordChar(text[i - 1]);
    const bool after = i + what.size() == text.size() || !vek::IsWordChar(text[i + what.size()]);
    return before && after;
}

std::optional<vek::TextRange> PlainScan(const std::u16string& text, const std::u16string& what, vek::TextRange from,
                                        const vek::FindOptions& o) {
    if (what.empty() || what.size() > text.size()) return std::nullopt;
    std::optional<vek::TextRange> found;
    for (std::size_t i = 0; i + what.size() <= text.size(); ++i) {
        if (!MatchesAt(text, what, i, o)) continue;
        if (o.down && i >= from.end) return vek::TextRange{i, i + what.size()};
        if (!o.down && i + what.size() <= from.start) found = vek::TextRange{i, i + what.size()};
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::u16string text = Units(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 300)));
    const std::u16string what = Units(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 8)));
    const std::u16string selection = Units(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 200)));
    std::size_t a = in.ConsumeIntegralInRange<std::size_t>(0, 310), b = in.ConsumeIntegralInRange<std::size_t>(0, 310);
    if (a > b) std::swap(a, b);
    vek::FindOptions o;
    o.down = in.ConsumeBool();
    o.matchCase = in.ConsumeBool();
    o.wholeWord = in.ConsumeBool();

    Check(vek::FindInText(text, what, {a, b}, o) == PlainScan(text, what, {a, b}, o));
    for (char16_t c : text) {
        const char16_t f = vek::FoldCase(c);
        Check(vek::FoldCase(f) == f && vek::IsWordChar(f) == vek::IsWordChar(c));
    }

    const std::u16string seed = vek::FindSeed(selection);
    const std::u16string first = selection.substr(0, selection.find_first_of(u"\r\n"));
    Check(seed == (first.size() <= vek::kMaxFindText ? first : std::u16string()));
    return 0;
}
