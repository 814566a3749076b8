// How much the follower's next pass may take, from the time passes take:
// a burst goes into the display by parts of about kPassMs each, so that the
// window answers between them, however fast or slow the display is.
//
// A pass costs a fixed part (asking the display where its view is, painting)
// and a part for each byte; both are estimated from the passes so far. Where
// the fixed part is large, a pass takes at least as much again in bytes, so
// that no more than half of a catch-up goes on fixed costs.
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
    std::size_t Budget();
    // What a pass took, in new bytes and milliseconds. Passes too small to
    // tell a rate by (a line or two) change nothing.
    void Took(std::size_t bytes, double ms);

private:
    // Running means of the passes' bytes, times, and their squares and
    // products: a least-squares line of time over bytes.
    double b_ = 0, t_ = 0, bb_ = 0, bt_ = 0;
    bool timed_ = false;
    // The estimates: milliseconds a pass costs whatever it takes, and
    // milliseconds a byte.
    double fixedMs_ = 0, msPerByte_ = 0;
    bool wider_ = false;  // budgets alternate a little either side, so that the line can be told
};

}  // namespace vek
