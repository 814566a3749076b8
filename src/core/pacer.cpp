#include "core/pacer.h"

#include <algorithm>

namespace vek {

namespace {

// How much a new pass counts in the running means.
constexpr double kWeight = 0.3;

}  // namespace

std::size_t CatchUpPacer::Budget() {
    if (!timed_ || msPerByte_ <= 0) return kFirstBudget;
    // As many bytes as fit in the pass besides its fixed part, but never
    // fewer than the fixed part's worth.
    const double room = std::max(kPassMs - fixedMs_, fixedMs_);
    double budget = room / msPerByte_;
    wider_ = !wider_;
    budget *= wider_ ? 1.2 : 0.8;
    return static_cast<std::size_t>(
        std::clamp(budget, static_cast<double>(kMinBudget), static_cast<double>(kMaxBudget)));
}

void CatchUpPacer::Took(std::size_t bytes, double ms) {
    if (bytes < kMinBudget / 2) return;
    const double b = static_cast<double>(bytes), t = std::max(ms, 0.5);
    if (!timed_) {
        b_ = b, t_ = t, bb_ = b * b, bt_ = b * t;
        timed_ = true;
    } else {
        b_ += kWeight * (b - b_);
        t_ += kWeight * (t - t_);
        bb_ += kWeight * (b * b - bb_);
        bt_ += kWeight * (b * t - bt_);
    }
    const double var = bb_ - b_ * b_;
    // Passes of nearly one size tell no line: the fixed part then counts
    // as nothing.
    if (var > 0.01 * b_ * b_) {
        msPerByte_ = (bt_ - b_ * t_) / var;
        fixedMs_ = t_ - msPerByte_ * b_;
    }
    if (var <= 0.01 * b_ * b_ || msPerByte_ <= 0 || fixedMs_ < 0) {
        msPerByte_ = t_ / b_;
        fixedMs_ = 0;
    }
}

}  // namespace vek
