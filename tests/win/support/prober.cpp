#include "support/prober.h"

#include "support/winapp.h"

namespace vektest {

WindowProber::WindowProber(HWND window) : thread_([this, window] { Run(window); }) {}

WindowProber::~WindowProber() { Stop(); }

WindowProber::Answers WindowProber::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return {asked_.load(), slow_.load(), slowestMs_.load()};
}

void WindowProber::Run(HWND window) {
    while (!stop_) {
        const double t0 = Seconds();
        DWORD_PTR r = 0;
        const bool answered = ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r) != 0;
        const double ms = (Seconds() - t0) * 1000.0;
        ++asked_;
        if (ms > 100 || !answered) ++slow_;
        if (ms > slowestMs_) slowestMs_ = ms;
        ::Sleep(50);
    }
}

}  // namespace vektest
