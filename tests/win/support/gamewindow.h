// A stand-in for the game's main window inside the test process: a top-level
// ANSI window of class "AppClass" titled "Ember Heraldry", run by a thread of
// its own, that records every WM_CHAR byte it is given. It can be told to hang
// or to vanish on a given character.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "compose/gametyper.h"
#include "win/handles.h"
#include "win/window.h"

namespace vektest {

class GameWindow final : private vek::win::MessageTarget {
public:
    enum class OnChar { Take, Hang, Vanish };

    // Starts the thread and waits until the window exists.
    GameWindow();
    // Releases a hang, closes the window and joins the thread.
    ~GameWindow() override;
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    HWND hWnd() const { return hwnd_; }
    // What the window has received so far, one byte per WM_CHAR (the low byte
    // of wParam).
    std::string Received() const;
    // Whether it has received `ch`: asked in a loop while a long message goes
    // in, without copying what came (which would hold up the window's thread).
    bool HasReceived(char ch) const;
    bool AnyWideParam() const;  // some wParam had bits above the low byte set
    void Clear();

    // From the `index`-th received character on (0-based), do `what` with it:
    // Hang blocks inside the window procedure until Release() or destruction;
    // Vanish destroys the window while handling it.
    void Arm(size_t index, OnChar what);
    void Release();

private:
    void Run();
    std::optional<LRESULT> OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;

    mutable std::mutex mu_;
    std::string received_;
    bool wideParam_ = false;
    size_t armedAt_ = static_cast<size_t>(-1);
    OnChar armed_ = OnChar::Take;
    vek::win::UniqueHandle ready_;
    vek::win::UniqueHandle release_;
    HWND hwnd_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};

// What a game typer tells, written down: one line per event.
struct TyperEvents final : vek::GameTyper::Events {
    std::vector<std::string> told;
    void MessageWaits(const std::string& text) override { told.push_back("waits: " + text); }
    void MessageGoesOn() override { told.push_back("goes on"); }
    void MessageNotDelivered(const std::string& text, vek::GameTyper::Undelivered why, bool last) override {
        const char* reason = why == vek::GameTyper::Undelivered::NoGame    ? "no game"
                             : why == vek::GameTyper::Undelivered::Refused ? "refused"
                                                                           : "gone";
        told.push_back(std::string("not delivered (") + reason + (last ? ", last): " : "): ") + text);
    }
};

}  // namespace vektest
