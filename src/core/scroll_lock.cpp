#include "core/scroll_lock.h"

namespace vek {

std::string NewLinesBarText(std::uint64_t count) {
    std::string s = "\xE2\x96\xBC ";  // U+25BC BLACK DOWN-POINTING TRIANGLE
    s += std::to_string(count);
    s += count == 1 ? " new line" : " new lines";
    return s;
}

}  // namespace vek
