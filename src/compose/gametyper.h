// Typing messages into the game's main window without ever waiting for it:
// each message's outgoing text joins a queue that is typed one character at
// a time, each sent (as if typed there) with SendMessageCallback, the next
// only once the game has taken the one before. A game that stops answering
// delays the queue, never this window, and never gets half a message followed
// by the next one.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/message_sender.h"
#include "core/send_queue.h"
#include "win/handles.h"
#include "win/window.h"

namespace vek {

class GameTyper final : public GameLink, private win::MessageTarget {
public:
    // Why a message was not delivered.
    enum class Undelivered {
        NoGame,   // no game window when its turn came
        Gone,     // the window went while it was typed
        Refused,  // the window refuses the characters (it runs at a higher privilege)
    };

    // What the player is told of; called from the message loop.
    class Events {
    public:
        virtual ~Events() = default;
        // The game has not taken a character for a while: `text` waits.
        virtual void MessageWaits(const std::string& text) = 0;
        // The game answers again after a wait; typing goes on.
        virtual void MessageGoesOn() = 0;
        // What remained of `text` was not typed. last: no message was sent
        // after it (F9 brings it back).
        virtual void MessageNotDelivered(const std::string& text, Undelivered why, bool last) = 0;
    };

    GameTyper() = default;
    ~GameTyper() override;
    GameTyper(const GameTyper&) = delete;
    GameTyper& operator=(const GameTyper&) = delete;

    // Before the first message: who is told. Returns false when the typer's
    // own (message-only) window could not be made.
    [[nodiscard]] bool Attach(Events& events);

    // The game's window: class "AppClass", title "Ember Heraldry", looked up
    // afresh for every message.
    void Type(std::string_view bytes) override;

    // Nothing is waiting to be typed.
    bool Idle() const { return queue_.Messages() == 0; }

private:
    static void CALLBACK OnTaken(HWND, UINT, ULONG_PTR data, LRESULT) noexcept;
    std::optional<LRESULT> OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;
    // Types what can go now.
    void Pump();
    void Taken(std::uint32_t seq);
    void Drop(Undelivered why);
    void Check();  // on the timer: gone, or waiting too long

    Events* events_ = nullptr;
    SendQueue queue_;
    HWND game_ = nullptr;        // the window the message being typed goes to
    win::UniqueWindow window_;   // message-only, for the timer
    std::uint32_t id_ = 0;       // this typer, in the callbacks' data
    std::uint32_t seq_ = 0;      // the character in flight
    bool pumping_ = false;
    bool waitTold_ = false;
};

}  // namespace vek
