#include "core/session_find.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

namespace vek {

AnsiDecoder AnsiDecoder::SingleByte(const std::array<char16_t, 256>& table) {
    AnsiDecoder d;
    d.table_ = table;
    return d;
}

AnsiDecoder AnsiDecoder::Converter(Convert fn) {
    AnsiDecoder d;
    d.convert_ = std::move(fn);
    return d;
}

void AnsiDecoder::Decode(std::string_view bytes, std::u16string& out) const {
    if (convert_) {
        convert_(bytes, out);
        return;
    }
    const std::size_t at = out.size();
    out.resize(at + bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) out[at + i] = table_[static_cast<unsigned char>(bytes[i])];
}

namespace {

constexpr std::size_t kEnd = std::numeric_limits<std::size_t>::max();

// Tells cheaply, for a single-byte code page, whether an entry's bytes hold
// `what` anywhere (whole words and the selection aside): only then is the
// entry decoded and searched as FindInText does.
class ByteFilter {
public:
    ByteFilter(const AnsiDecoder& decoder, std::u16string_view what, bool matchCase) {
        for (std::size_t b = 0; b < 256; ++b) {
            const char16_t c = decoder.Table()[b];
            folded_[b] = matchCase ? c : FoldCase(c);
        }
        pattern_.resize(what.size());
        for (std::size_t k = 0; k < what.size(); ++k) pattern_[k] = matchCase ? what[k] : FoldCase(what[k]);
        for (std::size_t b = 0; b < 256; ++b) {
            if (folded_[b] != pattern_[0]) continue;
            starts_[b] = true;
            if (startCount_++ < 2) startBytes_[startCount_ - 1] = static_cast<char>(b);
        }
    }

    bool MayHold(std::string_view text) const {
        const std::size_t m = pattern_.size();
        if (m > text.size() || startCount_ == 0) return false;
        const char* p = text.data();
        const std::size_t places = text.size() - m + 1;  // where a match may begin
        if (startCount_ <= 2) {
            // One or two bytes begin a match (a letter in either case):
            // memchr finds each far faster than a look at every byte.
            for (int s = 0; s < startCount_; ++s) {
                for (const char* q = p; q < p + places; ++q) {
                    q = static_cast<const char*>(std::memchr(q, startBytes_[s], static_cast<std::size_t>(p + places - q)));
                    if (!q) break;
                    if (RestMatches(q)) return true;
                }
            }
            return false;
        }
        for (std::size_t i = 0; i < places; ++i)
            if (starts_[static_cast<unsigned char>(p[i])] && RestMatches(p + i)) return true;
        return false;
    }

private:
    bool RestMatches(const char* p) const {
        for (std::size_t k = 1; k < pattern_.size(); ++k)
            if (folded_[static_cast<unsigned char>(p[k])] != pattern_[k]) return false;
        return true;
    }

    std::array<char16_t, 256> folded_{};
    std::array<bool, 256> starts_{};
    std::u16string pattern_;
    int startCount_ = 0;
    char startBytes_[2] = {};
};

}  // namespace

std::optional<SessionMatch> FindInSession(const SessionLines& lines, const AnsiDecoder& decoder,
                                          std::u16string_view what, SessionSelection from, FindOptions options,
                                          const KindView* shown) {
    const std::size_t count = lines.Size();
    if (what.empty() || count == 0) return std::nullopt;
    std::optional<ByteFilter> filter;
    if (decoder.IsSingleByte()) filter.emplace(decoder, what, options.matchCase);

    std::u16string text;
    // Searches entry `e` from `offset` as FindInText does.
    const auto search = [&](std::size_t e, std::size_t offset) -> std::optional<SessionMatch> {
        if (shown && !shown->Shows(e)) return std::nullopt;
        const std::string_view bytes = lines.Text(e);
        if (filter && !filter->MayHold(bytes)) return std::nullopt;
        text.clear();
        decoder.Decode(bytes, text);
        const std::optional<TextRange> r = FindInText(text, what, {offset, offset}, options);
        if (!r) return std::nullopt;
        return SessionMatch{e, *r};
    };

    if (options.down) {
        const SessionPlace at = from.end;
        if (at.entry >= count) return std::nullopt;
        if (auto m = search(at.entry, at.offset)) return m;
        for (std::size_t e = at.entry + 1; e < count; ++e)
            if (auto m = search(e, 0)) return m;
        return std::nullopt;
    }
    SessionPlace at = from.start;
    if (at.entry >= count) at = {count - 1, kEnd};
    if (auto m = search(at.entry, at.offset)) return m;
    for (std::size_t e = at.entry; e-- > 0;)
        if (auto m = search(e, kEnd)) return m;
    return std::nullopt;
}

}  // namespace vek
