// How a line of the chat log looks in the chat display: the lead that is not
// shown, the line colour chosen from how the rest begins, the colour markup
// rendered into runs, and the RTF that puts a whole pass of lines into the
// display in one insertion.
#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/palette.h"

namespace vek {

// Characters at the start of every log line that the display never shows.
constexpr std::size_t kLeadLength = 22;

// The text a line shows: what follows the lead, then the line break. Both
// parts are views; lineBreak points at static storage.
struct ShownText {
    std::string_view body;
    std::string_view lineBreak;
    std::size_t size() const { return body.size() + lineBreak.size(); }
    bool empty() const { return size() == 0; }
};

// From a line as the follower gives it (no line break): the line followed by
// CR LF, from its 23rd character on. A line of 20 characters or fewer shows
// nothing; one of exactly 21 shows only the LF.
ShownText ShownOfLogLine(std::string_view line);

// From a piece that goes on with a line cut at a block's end (the follower's
// FirstContinues): it has no lead, so all of it shows, then CR LF.
ShownText ShownOfContinuation(std::string_view piece);

// From a text that already carries its line break (AppendData's argument):
// the text from its 23rd character on.
ShownText ShownOfInput(std::string_view input);

// "*" stands for any run of characters (none included); every other
// character stands for itself. Case-sensitive; the whole text must match.
bool MatchesPattern(std::string_view text, std::string_view pattern);

// The line colour of a shown text; the first test that holds decides:
//   its first 5 characters are [ " C C blank                     NormalColor
//   its first 28 characters match "* pages you: *"                PageInColor
//   it begins "Paged " and has at most 21 characters, break incl. PageOutColor
//   its first 21 characters match { * } " : " blank *              NormalColor
//   otherwise                                                      OtherColor
// A window longer than the text takes the whole text.
Color LineColor(const ShownText& shown);
inline Color LineColor(std::string_view shown) { return LineColor(ShownText{shown, {}}); }

// A piece of shown text in one colour. Consecutive runs may share a colour
// (a "}" that changes nothing still ends a run).
struct ColorRun {
    std::string_view text;
    Color color = OtherColor;
    friend bool operator==(const ColorRun&, const ColorRun&) = default;
};

// Renders the markup of a shown text in its line colour, appending runs to
// out (which the caller may reuse between lines). A double quote switches to
// QuoteColor when the colour in force is the line colour and back to the line
// colour otherwise; "{" switches to BraceColor; "}" back to the line colour.
// The three are not shown. The line break comes last, in the colour in force
// at the end. Returns the line colour. The runs view the shown text.
Color RenderShown(const ShownText& shown, std::vector<ColorRun>& out);

// Colour runs kept compactly: one varint per run, its length times 8 plus
// its colour's place in the palette of text colours (0-5, RtfColorIndex - 1).
// A run of up to 15 bytes takes one byte, one of up to 2047 two.
inline constexpr std::size_t kMaxPackedRun = 10;  // bytes one run takes at most
// Writes the run at out (room for kMaxPackedRun bytes); returns the bytes written.
std::size_t PackRun(std::size_t length, Color color, char* out);

// Reads packed runs back, in order.
//   PackedRuns r(bytes); std::size_t n; Color c; while (r.Next(n, c)) ...
class PackedRuns {
public:
    explicit PackedRuns(std::string_view bytes) : p_(bytes.data()), end_(bytes.data() + bytes.size()) {}
    // The next run's length and colour; false at the end (or at a damaged run).
    bool Next(std::size_t& length, Color& color);

private:
    const char* p_;
    const char* end_;
};

// Builds one RTF text for a batch of lines, to be inserted at the end of the
// display in one go. Reuse one builder: after warm-up it allocates nothing.
// The RTF names no font and no size, so the inserted text keeps the
// control's own.
//   b.Begin(); for (shown : lines) b.AddShown(shown); if (b.HasText()) insert(b.Finish());
class ChatRtf {
public:
    // codepage: the system's ANSI code page, which the text's bytes are in.
    explicit ChatRtf(int codepage = 1252) : codepage_(codepage) {}

    void Begin();                         // starts a new document
    void AddShown(const ShownText& shown);   // any shown text
    // One paragraph kept with its markup rendered (a SessionLines entry):
    // `text` in the colours of `runs` (which cover it), then a paragraph
    // break in the colour in force at its end (`color` when it has no runs).
    void AddPacked(std::string_view text, std::string_view runs, Color color);
    void AddRun(std::string_view text, Color color);  // text in a colour of the table, as it stands
    bool HasText() const { return hasText_; }  // something visible was added
    // Paragraph breaks added since Begin: the lines the document adds to the
    // display, a line break inside a line's text included.
    std::size_t Paragraphs() const { return paragraphs_; }
    std::string_view Finish();            // closes the document; valid until Begin

    void SetCodePage(int codepage) { codepage_ = codepage; }

private:
    void Put(std::string_view text);
    void SwitchColor(Color c);

    int codepage_;
    std::string out_;
    std::vector<ColorRun> runs_;
    Color current_ = 0;
    bool hasColor_ = false;
    bool afterCr_ = false;
    bool hasText_ = false;
    std::size_t paragraphs_ = 0;
};

// Index of a text colour in the colour table ChatRtf writes (1 = NormalColor,
// then QuoteColor, BraceColor, PageInColor, PageOutColor, OtherColor).
int RtfColorIndex(Color c);

}  // namespace vek
