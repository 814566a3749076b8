// How much the follower's next pass may take, from the time passes take:
// a burst goes into the display by parts of about kPassMs each, so that the
// window answers between them, however fast or slow the display is.
#pragma once
#include <cstddef>

#include "core/follower.h"

namespace vek {

class CatchUpPacer {
public:
    static constexpr double kPassMs = 70;
    static constexpr std::size_t kMinBudget = 8 * 1024;
    static constexpr std::size_t kMaxBudget = 4 * static_cast<std::size_t>(kMaxBlock);
    // Before any pass was timed: small enough for any display to take at once.
    static constexpr std::size_t kFirstBudget = 16 * 1024;

    // Bytes the next pass may take: kFirstBudget until passes have been timed.
    std::size_t Budget() const;
    // What a pass took, in new bytes and milliseconds. Passes too small to
    // tell a rate by (a line or two) change nothing.
    void Took(std::size_t bytes, double ms);

private:
    double bytesPerMs_ = 0;  // 0: not known yet
};

}  // namespace vek
