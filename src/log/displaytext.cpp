#include "log/displaytext.h"

#include <richedit.h>

#include <algorithm>

#include "win/richedit.h"

namespace vek {

namespace {
// Characters read again before what was added, to tell growth at the end
// from a change by the player.
constexpr std::size_t kOverlap = 64;
}  // namespace

bool DisplayText::Read(std::size_t from, std::size_t to) {
    text_.resize(to + 1);
    // The control writes UTF-16 code units; char16_t holds them as they are.
    TEXTRANGEW tr{{static_cast<LONG>(from), static_cast<LONG>(to)}, reinterpret_cast<LPWSTR>(text_.data() + from)};
    const LRESULT got = ::SendMessageW(box_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
    text_.resize(from + static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
    return text_.size() == to;
}

std::u16string_view DisplayText::Current() {
    const std::size_t now = static_cast<std::size_t>(win::CharCount(box_));
    const std::size_t had = text_.size();
    if (had > 0 && now >= had) {
        const std::size_t from = had - std::min(had, kOverlap);
        const std::u16string overlap = text_.substr(from);
        if (Read(from, now) && std::u16string_view(text_).substr(from, overlap.size()) == overlap) return text_;
    }
    if (!Read(0, now)) text_.clear();  // read again next time
    return text_;
}

std::optional<std::size_t> DisplayText::LineAt(POINT client) {
    POINTL p{client.x, client.y};
    const LRESULT pos = ::SendMessageW(box_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&p));
    const std::u16string_view text = Current();
    if (pos < 0 || static_cast<std::size_t>(pos) >= text.size()) return std::nullopt;
    return static_cast<std::size_t>(std::count(text.begin(), text.begin() + pos, u'\r'));
}

}  // namespace vek
