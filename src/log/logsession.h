// Following the chat log: the one owner of the log files, the follower, the
// folder's change notification, the catch-up pacer and the timer that brings
// passes. When passes come is FollowSchedule's; this class applies it.
//
//   session.Attach(events);       // once: makes the timer's window
//   session.Start(path);          // passes come by themselves from here
//   message loop: wait on WakeHandle() (not at all while CatchingUp()),
//                 Woken() when it fired, TurnBegins(), dispatch, TurnEnds()
//   session.Stop();               // the last passes, then nothing
#pragma once
#include <windows.h>

#include <string>

#include "core/follow_schedule.h"
#include "core/log_follower.h"
#include "core/pacer.h"
#include "log/logfiles.h"
#include "win/handles.h"
#include "win/window.h"

namespace vek {

class LogSession final : private win::MessageTarget {
public:
    class Events {
    public:
        virtual ~Events() = default;
        // After every pass, Stop's last ones included. more: more is waiting;
        // pass: what the pass was (a renamed log given up, ...).
        virtual void PassDone(bool more, const PassFacts& pass) = 0;
    };

    // The lines go to `sink`, which must outlive the session.
    explicit LogSession(LineSink& sink) : follower_(files_, sink) {}
    ~LogSession() override;
    LogSession(const LogSession&) = delete;
    LogSession& operator=(const LogSession&) = delete;

    // Before Start: who is told of passes. Returns false when the timer's
    // (message-only) window could not be made; passes then come only when
    // the change notification wakes them.
    [[nodiscard]] bool Attach(Events& events);

    // Follows the log at path (empty: none chosen, nothing is read) from its
    // end; ends the following of another log without its last passes.
    void Start(const std::string& path);
    // Every complete line written before the Stop is handed on: the passes it
    // would have had come now, within FollowSchedule::kLastPassesMs for a
    // burst still arriving.
    void Stop();
    // Stops without another pass: the program ends.
    void StopNow();

    bool Following() const { return following_; }
    bool CatchingUp() const { return following_ && schedule_.CatchingUp(); }

    // The change notification's handle to wait on; nullptr when there is none.
    HANDLE WakeHandle() const { return watch_.Handle(); }
    // The handle fired: a pass is due at the end of this turn of the loop.
    void Woken();
    // A turn of the message loop begins (before the queue is handled) and
    // ends: the pass that is due (woken, or catching up) runs then, after
    // what was queued (typing goes first), unless the timer brought one.
    void TurnBegins() { passRan_ = false; }
    void TurnEnds();

private:
    void Pass(bool woken);
    void SetTimer(int ms);
    void StopTimer();
    std::optional<LRESULT> OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;

    Win32LogFiles files_;
    LogFollower follower_;
    LogWatch watch_;
    CatchUpPacer pacer_;
    FollowSchedule schedule_;
    Events* events_ = nullptr;
    win::UniqueWindow window_;  // the timer's
    int timerMs_ = 0;           // 0 while the timer is off
    bool following_ = false;
    bool wakePending_ = false;
    bool passRan_ = false;  // a pass ran in this turn of the loop
};

}  // namespace vek
