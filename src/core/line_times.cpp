#include "core/line_times.h"

#include <algorithm>
#include <limits>


namespace vek {

namespace {

// Grows a buffer by a quarter of its size when it is full, instead of the
// doubling of push_back that could leave half of 100,000 lines' worth unused.
template <typename Buffer>
void MakeRoom(Buffer& b, std::size_t more) {
    if (b.size() + more <= b.capacity()) return;
    b.reserve(std::max(b.size() + more, b.size() + b.size() / 4 + 1024));
}

}  // namespace

void LineTimes::Append(std::string_view lead) {
    lead = lead.substr(0, std::min(lead.size(), kMaxStoredLead));
    if (text_.size() + lead.size() > std::numeric_limits<std::uint32_t>::max()) lead = {};
    MakeRoom(text_, lead.size());
    MakeRoom(ends_, 1);
    text_.insert(text_.end(), lead.begin(), lead.end());
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
}

std::string_view LineTimes::Lead(std::size_t index) const {
    if (index >= ends_.size()) return {};
    const std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_.data() + begin, ends_[index] - begin);
}

void LineTimes::Clear() {
    std::vector<char>().swap(text_);
    std::vector<std::uint32_t>().swap(ends_);
}

void LineTimes::DropFront(std::size_t count) {
    if (count == 0) return;
    if (count >= ends_.size()) {
        Clear();
        return;
    }
    const std::uint32_t cut = ends_[count - 1];
    text_.erase(text_.begin(), text_.begin() + cut);
    ends_.erase(ends_.begin(), ends_.begin() + static_cast<std::ptrdiff_t>(count));
    for (std::uint32_t& e : ends_) e -= cut;
}

}  // namespace vek
