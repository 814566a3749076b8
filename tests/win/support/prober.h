// Asks a window of another program something (WM_NULL) every 50 ms from a
// thread of its own, as a player's system does, and keeps how long the
// slowest answer took: a window that takes more than 100 ms feels stuck.
#pragma once
#include <windows.h>

#include <atomic>
#include <thread>

namespace vektest {

class WindowProber {
public:
    struct Answers {
        int asked = 0;
        int slow = 0;  // over 100 ms (or no answer within 5 s)
        double slowestMs = 0;
    };

    // Starts asking at once; stops in Stop() or the destructor.
    explicit WindowProber(HWND window);
    ~WindowProber();
    WindowProber(const WindowProber&) = delete;
    WindowProber& operator=(const WindowProber&) = delete;

    // Stops asking (waits for the question under way) and returns the answers.
    Answers Stop();

private:
    void Run(HWND window);

    std::atomic<bool> stop_{false};
    std::atomic<int> asked_{0}, slow_{0};
    std::atomic<double> slowestMs_{0};
    std::thread thread_;
};

}  // namespace vektest
