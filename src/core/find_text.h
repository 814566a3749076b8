// Find in the chat: where the next match of the searched text lies in the
// display's text, up or down from the selection, with the Find dialog's
// "Match case" and "Match whole word only". The shell keeps a copy of the
// display's text (UTF-16, as the control holds it) and selects what this
// finds; searching the control itself is too slow in long displays.
//
//   F3:        FindInText(text, what, selection, {dialogDown, ...})
//   Shift+F3:  the same with down reversed
//   Ctrl+F:    the dialog's text from FindSeed(the display's selection)
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vek {

// The longest text the Find dialog takes, in UTF-16 code units.
inline constexpr std::size_t kMaxFindText = 127;

struct FindOptions {
    bool down = false;       // towards the end (newer lines); otherwise towards the start
    bool matchCase = false;  // otherwise letters match in either case (FoldCase)
    bool wholeWord = false;  // no word character (IsWordChar) right before or after
};

struct TextRange {
    std::size_t start = 0;
    std::size_t end = 0;  // exclusive
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// Letters in one case for comparing: the upper-case letters of ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic (the letters the ANSI code
// pages hold) to their lower case; every other code unit to itself.
char16_t FoldCase(char16_t c);

// Letters and digits of ASCII, and the code units from U+00C0 up that are
// neither the signs x and / of Latin-1 nor punctuation or symbols
// (U+2000-U+2BFF, U+3000-U+303F, U+FE30-U+FE6F, U+FF00-U+FF0F).
bool IsWordChar(char16_t c);

// The next match of `what` in `text` from `from`, the display's selection:
// down, the first match that begins at or after from.end; up, the last that
// ends at or before from.start. Matches may overlap the text around them but
// never the selection itself. nullopt when `what` is empty or longer than
// the text, or nothing matches (the selection then stays as it is).
std::optional<TextRange> FindInText(std::u16string_view text, std::u16string_view what, TextRange from,
                                  FindOptions options);

// The Find dialog's text taken from the display's selection: the selection
// up to its first line break, when that leaves something of at most
// kMaxFindText code units; otherwise empty, and the dialog keeps its text.
std::u16string FindSeed(std::u16string_view selection);

}  // namespace vek
