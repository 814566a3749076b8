// Cutting a block of the chat log into lines. A line is a CR-separated piece
// of the text with every LF in it removed; the text after the last CR is a
// line too (empty when the text ends with a CR), so a text always has
// CountLines(text) lines.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vek {

// 1 plus the number of CRs: the empty text has one (empty) line.
int CountLines(std::string_view text);

// Line n (counted from 1) of the text, without its LFs. n below 1 or beyond
// the last line gives the empty text. Walks from the start on every call;
// use LineCutter to take all lines of a text in one walk.
std::string GetLine(std::string_view text, int n);

// Takes the lines of a text in one walk, in order, exactly as GetLine gives
// them; with dropNul set, NUL bytes are removed from the lines as well.
// The view that Next returns points into the text, or into the cutter's own
// buffer when a byte had to be removed from the middle of the line; it stays
// valid until the next call of Next and while the text lives.
class LineCutter {
public:
    explicit LineCutter(std::string_view text, bool dropNul = false)
        : text_(text), dropNul_(dropNul) {}

    // False once all CountLines(text) lines have been given.
    bool Next(std::string_view& line);

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    bool done_ = false;
    bool dropNul_;
    std::string scratch_;
};

// Removes the bytes GetLine drops (every LF, and NUL when dropNul is set)
// from one CR-free piece. Returns a view of the piece itself when only its
// ends had to go, or of scratch (appended to; the caller keeps it from
// reallocating while earlier views are in use) otherwise.
std::string_view CleanPiece(std::string_view piece, bool dropNul, std::string& scratch);

}  // namespace vek
