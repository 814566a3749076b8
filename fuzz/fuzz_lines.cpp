// Cleaning pieces of arbitrary bytes into lines. Aborts when CleanPiece
// keeps an LF (or, asked to, a NUL), drops anything else, changes the order
// of what it keeps, or clears what its scratch held before.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/lines.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Without(std::string_view s, char a, char b) {
    std::string out;
    for (char c : s)
        if (c != a && c != b) out += c;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The whole text as one piece, CRs included: CleanPiece must keep them.
    for (bool dropNul : {false, true}) {
        std::string scratch = "kept";
        std::string_view cleaned = vek::CleanPiece(text, dropNul, scratch);
        Check(cleaned == Without(text, '\n', dropNul ? '\0' : '\n'));
        Check(scratch.compare(0, 4, "kept") == 0);  // appended to, never cleared
    }
    return 0;
}
