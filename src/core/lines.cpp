#include "core/lines.h"

#include <cstring>

namespace vek {

int CountLines(std::string_view text) {
    int count = 1;
    for (char c : text)
        if (c == '\r') ++count;
    return count;
}

std::string GetLine(std::string_view text, int n) {
    if (n < 1) return {};
    std::string current;
    int counter = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r') current += c;
        if (c == '\r' || i + 1 == text.size()) {
            if (++counter == n) {
                std::erase(current, '\n');
                return current;
            }
            current.clear();
        }
    }
    return {};
}

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

bool LineCutter::Next(std::string_view& line) {
    if (done_) return false;
    std::string_view rest = text_.substr(pos_);
    const char* cr = static_cast<const char*>(std::memchr(rest.data(), '\r', rest.size()));
    std::string_view piece;
    if (cr) {
        piece = rest.substr(0, static_cast<std::size_t>(cr - rest.data()));
        pos_ += piece.size() + 1;
    } else {
        piece = rest;  // the last line: what follows the last CR
        done_ = true;
    }
    scratch_.clear();
    line = CleanPiece(piece, dropNul_, scratch_);
    return true;
}

}  // namespace vek
