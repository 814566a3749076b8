#include "core/follow_schedule.h"

#include <algorithm>

namespace vek {

void FollowSchedule::Start() {
    announced_ = kTrustedGrowths;
    catchingUp_ = false;
}

void FollowSchedule::PassDone(bool grew, bool woken, bool more) {
    catchingUp_ = more;
    // A quiet pass tells nothing of the notification either way.
    if (grew) announced_ = woken ? std::min(announced_ + 1, kTrustedGrowths) : 0;
}

int FollowSchedule::IntervalMs() const { return catchingUp_ ? kCatchUpMs : QuietMs(); }

int FollowSchedule::IdentityCheckEvery() const { return kIdentityCheckMs / QuietMs(); }

}  // namespace vek
