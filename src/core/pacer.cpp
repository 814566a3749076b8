#include "core/pacer.h"

#include <algorithm>

namespace vek {

std::size_t CatchUpPacer::Budget() const {
    if (bytesPerMs_ <= 0) return kFirstBudget;
    const double budget = bytesPerMs_ * kPassMs;
    return static_cast<std::size_t>(std::clamp(budget, static_cast<double>(kMinBudget), static_cast<double>(kMaxBudget)));
}

void CatchUpPacer::Took(std::size_t bytes, double ms) {
    if (bytes < kMinBudget / 2) return;
    // A pass that took no measurable time says only that it was fast.
    const double rate = static_cast<double>(bytes) / std::max(ms, 0.5);
    // Half the old, half the new: follows a display that grows slower, and
    // forgets one pass held up by something else.
    bytesPerMs_ = bytesPerMs_ <= 0 ? rate : (bytesPerMs_ + rate) / 2;
}

}  // namespace vek
