// The composer's side of the colour markup: what the colour keys do to the
// insertion colour, which colours the composer keeps, and the conversion of
// coloured text back into markup text.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/palette.h"

namespace vek {

// The colour that a colour key gives the composer's selection (or, with
// nothing selected, the insertion colour), or nullopt when the character is
// not a colour key and is typed as itself. `current` is the selection colour
// at that moment, nullopt for a selection of several colours.
//   double quote: QuoteColor from NormalColor, otherwise back to NormalColor
//   "{": BraceColor      "}": NormalColor
std::optional<Color> ColorKeyResult(char key, std::optional<Color> current);

// What the composer makes of a selection colour: a colour that no text of
// the program carries is replaced by NormalColor; palette colours, and a
// selection of several colours (nullopt), stay as they are. Returns nullopt
// when nothing needs to change.
std::optional<Color> CleanedSelectionColor(std::optional<Color> current);

// Builds markup from coloured text, fed in runs in reading order. Against
// NormalColor as the base: QuoteColor text is put between double quotes,
// BraceColor text between "{" and "}"; the other palette colours neither
// open nor close a mark; a colour outside the palette counts as NormalColor.
// Characters are copied unchanged (markup characters and line breaks too).
//
// Braced text followed directly by quoted text gets its "}" before the
// opening double quote: a double quote read in brace colour would switch
// back to the base colour instead of opening a quote, so without the "}" the
// markup would show in other colours than the composed text. Quoted text
// followed directly by braced text needs no closing quote ("{" always opens).
class MarkupComposer {
public:
    void Add(std::string_view text, Color color);
    void Add(char ch, Color color) { Add(std::string_view(&ch, 1), color); }
    // Closes an open mark and hands over the markup; the composer is then
    // empty again.
    std::string Finish();

private:
    std::string out_;
    Color state_ = NormalColor;  // where the markup written so far leaves a reader
};

struct ComposedChar {
    char ch;
    Color color;
};

// The coloured text the composer shows for a markup text (a message brought
// back from the history): the markup read as if its characters were typed,
// each colour key changing the colour of what follows and not shown. The
// display shows the markup a MarkupComposer makes of it in the same colours.
std::vector<ComposedChar> ComposedOfMarkup(std::string_view markup);

}  // namespace vek
