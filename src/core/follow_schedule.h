// When the follower's next pass comes. A timer brings passes; the log
// folder's change notification may bring one sooner. On Windows a log held
// open by the game often grows without a notification, so the notification
// is trusted only while it keeps announcing the log's growth: then a quiet
// log is looked at less often. Growth it missed brings the short interval
// back until it has announced a few growths in a row again.
#pragma once
#include <cstdint>

namespace vek {

class FollowSchedule {
public:
    // The timer's intervals: a quiet log; a quiet log while the notification
    // is trusted; while more is waiting (the shortest a Win32 timer has).
    static constexpr int kQuietMs = 50;
    static constexpr int kTrustedQuietMs = 250;
    static constexpr int kCatchUpMs = 10;
    // Announced growths in a row that earn the notification its trust.
    static constexpr int kTrustedGrowths = 3;
    // How long Stop may go on reading what the log got before it.
    static constexpr std::uint64_t kLastPassesMs = 1000;
    // How often a quiet log's identity is made sure of.
    static constexpr int kIdentityCheckMs = 1000;

    // Following starts: trusted at first (the first missed growth ends it),
    // nothing waiting.
    void Start();
    // A pass ran. grew: it took new bytes; woken: the change notification
    // brought it; more: more was waiting than it took.
    void PassDone(bool grew, bool woken, bool more);

    bool CatchingUp() const { return catchingUp_; }
    bool Trusted() const { return announced_ >= kTrustedGrowths; }
    // The timer's interval for the next pass, in milliseconds.
    int IntervalMs() const;
    // Quiet passes between two looks at the log's identity: about a second's
    // worth at the quiet interval.
    int IdentityCheckEvery() const;

    // Whether Stop runs another last pass: the one before left more waiting
    // and the bound, counted from startedMs, has not run out.
    static bool AnotherLastPass(bool more, std::uint64_t startedMs, std::uint64_t nowMs) {
        return more && nowMs - startedMs < kLastPassesMs;
    }

private:
    int QuietMs() const { return Trusted() ? kTrustedQuietMs : kQuietMs; }

    int announced_ = kTrustedGrowths;  // growths in a row the notification announced
    bool catchingUp_ = false;
};

}  // namespace vek
