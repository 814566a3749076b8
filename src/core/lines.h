// Cleaning a piece of the chat log cut at CR into a line: the LFs of the CR
// LF line ends (and NUL bytes) are no part of what a line shows.
#pragma once
#include <string>
#include <string_view>

namespace vek {

// Removes every LF, and NUL when dropNul is set, from one CR-free piece.
// Returns a view of the piece itself when only its ends had to go, or of
// scratch (appended to; the caller keeps it from reallocating while earlier
// views are in use) otherwise.
std::string_view CleanPiece(std::string_view piece, bool dropNul, std::string& scratch);

}  // namespace vek
