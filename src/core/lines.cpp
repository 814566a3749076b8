#include "core/lines.h"

#include <cstring>

namespace vek {

namespace {

inline bool Dropped(char c, bool dropNul) { return c == '\n' || (dropNul && c == '\0'); }

}  // namespace

std::string_view CleanPiece(std::string_view piece, bool dropNul, std::string& scratch) {
    // A log line usually arrives as LF + text (the LF of the previous CR LF),
    // so trim the ends without copying and copy only when the middle is dirty.
    std::size_t b = 0, e = piece.size();
    while (b < e && Dropped(piece[b], dropNul)) ++b;
    while (e > b && Dropped(piece[e - 1], dropNul)) --e;
    std::string_view mid = piece.substr(b, e - b);
    const void* lf = std::memchr(mid.data(), '\n', mid.size());
    const void* nul = dropNul ? std::memchr(mid.data(), '\0', mid.size()) : nullptr;
    if (!lf && !nul) return mid;
    std::size_t start = scratch.size();
    for (char c : mid)
        if (!Dropped(c, dropNul)) scratch += c;
    return std::string_view(scratch).substr(start);
}

}  // namespace vek
