// Find over the whole session: the next match of the Find dialog's text in
// the stored lines, up or down from the display's selection, with the
// dialog's "Match case" and "Match whole word only". A match lies within one
// entry; it is what FindInText would find in the display's text (the
// entries joined by paragraph breaks), the same case folding (FoldCase) and
// word characters (IsWordChar), no wrapping at either end.
//
// The store keeps ANSI bytes of the system's code page; the shell says how
// they read as UTF-16:
//   single-byte code page:  AnsiDecoder::SingleByte(table of the 256 bytes' characters)
//   double-byte code page:  AnsiDecoder::Converter(fn that converts one entry's bytes)
// Positions and matches count UTF-16 units of an entry's text.
//
//   std::optional<SessionMatch> m = FindInSession(lines, decoder, what, selection, options);
#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/find_text.h"
#include "core/line_kinds.h"
#include "core/session_lines.h"

namespace vek {

class AnsiDecoder {
public:
    // Appends the UTF-16 form of `bytes` (one entry's text) to `out`.
    using Convert = std::function<void(std::string_view bytes, std::u16string& out)>;

    // Each byte is one character: table[b] is byte b's.
    static AnsiDecoder SingleByte(const std::array<char16_t, 256>& table);
    // Characters of one or two bytes: fn converts a whole entry at a time.
    static AnsiDecoder Converter(Convert fn);

    bool IsSingleByte() const { return !convert_; }
    const std::array<char16_t, 256>& Table() const { return table_; }
    // Appends the UTF-16 form of `bytes` to out.
    void Decode(std::string_view bytes, std::u16string& out) const;

private:
    std::array<char16_t, 256> table_{};
    Convert convert_;
};

// A place in the session: an entry, and a UTF-16 offset in its text.
struct SessionPlace {
    std::size_t entry = 0;
    std::size_t offset = 0;
    friend bool operator==(const SessionPlace&, const SessionPlace&) = default;
    friend auto operator<=>(const SessionPlace&, const SessionPlace&) = default;
};

// The display's selection (start <= end); a caret has start == end.
struct SessionSelection {
    SessionPlace start;
    SessionPlace end;
};

struct SessionMatch {
    std::size_t entry = 0;
    TextRange range;  // in UTF-16 units of the entry's text
    friend bool operator==(const SessionMatch&, const SessionMatch&) = default;
};

// The next match of `what` from `from`: down, the first that begins at or
// after from.end; up, the last that ends at or before from.start. nullopt
// when `what` is empty or nothing matches. A place past an entry's end
// counts as its end; one past the last entry as the session's end. With
// `shown`, only the entries that view shows are searched (it has taken
// every entry of `lines`).
std::optional<SessionMatch> FindInSession(const SessionLines& lines, const AnsiDecoder& decoder,
                                          std::u16string_view what, SessionSelection from, FindOptions options,
                                          const KindView* shown = nullptr);

}  // namespace vek
