#include "log/logsession.h"

namespace vek {

namespace {

constexpr UINT_PTR kPassTimer = 1;

}  // namespace

LogSession::~LogSession() { window_.reset(); }

bool LogSession::Attach(Events& events) {
    events_ = &events;
    window_.reset(win::MakeMessageWindow(L"VekChatFollow", *this));
    return static_cast<bool>(window_);
}

void LogSession::Start(const std::string& path) {
    follower_.Start(path);
    schedule_.Start();
    following_ = true;
    watch_.Watch(path);
    SetTimer(schedule_.IntervalMs());
}

void LogSession::Stop() {
    if (following_) {
        const ULONGLONG started = ::GetTickCount64();
        bool more = true;
        while (more) {
            more = follower_.Pass(pacer_.Budget());
            if (events_) events_->PassDone(more, follower_.LastPass());
            more = FollowSchedule::AnotherLastPass(more, started, ::GetTickCount64());
        }
    }
    StopNow();
}

void LogSession::StopNow() {
    following_ = false;
    wakePending_ = false;
    StopTimer();
    watch_.Stop();
}

void LogSession::Woken() {
    // Only a hint that the log may have grown: it is looked at now rather
    // than at the next tick.
    watch_.Rearm();
    wakePending_ = true;
}

void LogSession::TurnEnds() {
    if ((wakePending_ || CatchingUp()) && !passRan_) Pass(wakePending_);
    wakePending_ = false;
}

void LogSession::Pass(bool woken) {
    if (!following_) return;
    passRan_ = true;
    // Each pass is sized by the time the ones before took, so that the
    // window keeps answering while a burst goes in.
    LARGE_INTEGER freq{}, t0{}, t1{};
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&t0);
    const bool more = follower_.Pass(pacer_.Budget());
    ::QueryPerformanceCounter(&t1);
    pacer_.Took(follower_.LastPassBytes(),
                static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart));
    schedule_.PassDone(follower_.LastPassBytes() > 0, woken, more);
    if (events_) events_->PassDone(more, follower_.LastPass());
    if (!following_) return;  // stopped by whoever was told
    follower_.SetIdentityCheckEvery(schedule_.IdentityCheckEvery());
    SetTimer(schedule_.IntervalMs());
}

void LogSession::SetTimer(int ms) {
    if (ms == timerMs_ || !window_) return;
    if (!::SetTimer(window_.get(), kPassTimer, static_cast<UINT>(ms), nullptr)) {
        // The change notification may still wake passes; the next pass tries again.
        win::ReportFailure(L"VekChat: the follower's timer could not be set");
        return;
    }
    timerMs_ = ms;
}

void LogSession::StopTimer() {
    if (window_) ::KillTimer(window_.get(), kPassTimer);
    timerMs_ = 0;
}

std::optional<LRESULT> LogSession::OnMessage(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_TIMER && wp == kPassTimer) {
        Pass(false);
        return 0;
    }
    return std::nullopt;
}

}  // namespace vek
