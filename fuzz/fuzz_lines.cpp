// Line cutting of arbitrary bytes. Aborts when
//   - LineCutter gives another number of lines than CountLines, or a line
//     other than GetLine's (with dropNul: GetLine's without its NULs);
//   - GetLine outside 1..CountLines is not empty;
//   - CleanPiece keeps an LF (or, asked to, a NUL), drops anything else, or
//     changes the order of what it keeps.
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
    // GetLine walks from the start on every call: keep the quadratic check small.
    if (size > 8192) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int count = vek::CountLines(text);
    Check(count == 1 + std::count(text.begin(), text.end(), '\r'));

    for (bool dropNul : {false, true}) {
        vek::LineCutter cut(text, dropNul);
        std::string_view line;
        int n = 0;
        while (cut.Next(line)) {
            ++n;
            Check(n <= count);
            std::string expected = vek::GetLine(text, n);
            if (dropNul) std::erase(expected, '\0');
            Check(line == expected);
        }
        Check(n == count);
        Check(!cut.Next(line));  // stays done
    }
    for (int n : {-1, 0, count + 1}) Check(vek::GetLine(text, n).empty());

    // The whole text as one piece, CRs included: CleanPiece must keep them.
    for (bool dropNul : {false, true}) {
        std::string scratch = "kept";
        std::string_view cleaned = vek::CleanPiece(text, dropNul, scratch);
        Check(cleaned == Without(text, '\n', dropNul ? '\0' : '\n'));
        Check(scratch.compare(0, 4, "kept") == 0);  // appended to, never cleared
    }
    return 0;
}
