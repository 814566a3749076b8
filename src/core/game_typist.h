// Typing messages into the game's window one character at a time, the next
// only once the game has answered for the one before, without ever waiting
// for it: a game that stops answering delays the queue (and the player is
// told), never the program, and never gets half a message followed by the
// next one. The window itself is reached through GameWindowPort, so that
// the rules here hold for any game window, real or made up.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/send_queue.h"

namespace vek {

// The game's window, as the typist reaches it.
class GameWindowPort {
public:
    enum class Sent {
        Ok,       // on its way; the answer comes as GameTypist::Answered(token)
        Gone,     // the window no longer exists
        Refused,  // the window refuses characters from us (it runs at a higher privilege)
    };

    virtual ~GameWindowPort() = default;
    // Looks the game's window up afresh; false when there is none.
    virtual bool Find() = 0;
    // Sends one character to the window found last. Never waits for the
    // game; the answer may come before this returns.
    virtual Sent Send(char ch, std::uint32_t token) = 0;
    // The window found last still exists.
    virtual bool Alive() = 0;
    // While on: GameTypist::Check() now and then.
    virtual void Watch(bool on) = 0;
    // A steady clock, in milliseconds.
    virtual std::uint64_t NowMs() = 0;
};

class GameTypist {
public:
    // Why a message was not delivered.
    enum class Undelivered {
        NoGame,   // no game window when its turn came
        Gone,     // the window went while it was typed
        Refused,  // the window refuses the characters
    };

    // What the player is told of.
    class Events {
    public:
        virtual ~Events() = default;
        // The game has not answered for a character for a while: `text` waits.
        virtual void MessageWaits(const std::string& text) = 0;
        // The game answers again after a wait; typing goes on.
        virtual void MessageGoesOn() = 0;
        // What remained of `text` was not typed. last: no message was sent
        // after it (F9 brings it back).
        virtual void MessageNotDelivered(const std::string& text, Undelivered why, bool last) = 0;
    };

    explicit GameTypist(GameWindowPort& game) : game_(game) {}
    GameTypist(const GameTypist&) = delete;
    GameTypist& operator=(const GameTypist&) = delete;

    // Who is told (nobody until then).
    void Tell(Events& events) { events_ = &events; }

    // A message's outgoing text, typed after the messages before it.
    void Type(std::string_view bytes);

    // The game answered for the character sent with `token`. It counts as
    // taken even when the window is gone by now: whatever the game did with
    // it, it had it. Answers for characters given up on are ignored.
    void Answered(std::uint32_t token);

    // Now and then while watching: a window gone without answering, or one
    // that keeps a character waiting too long.
    void Check();

    // Nothing is waiting to be typed.
    bool Idle() const { return queue_.Messages() == 0; }
    // The message being typed, whole ("" when none), and how many more wait
    // behind it.
    const std::string& Current() const { return queue_.Current(); }
    std::size_t Behind() const { return Idle() ? 0 : queue_.Messages() - 1; }

    // What the game has not been sent yet, one line per message, without the
    // closing carriage returns: the rest of the message being typed (after
    // the character on its way, which the game has already), then each
    // message behind it whole.
    std::vector<std::string> Unsent() const { return queue_.Unsent(); }

    // Stops typing for good (the program closes): returns Unsent(), forgets
    // every message and ignores any answer still to come.
    std::vector<std::string> GiveUp();

private:
    void Pump();
    void Drop(Undelivered why);

    GameWindowPort& game_;
    Events* events_ = nullptr;
    SendQueue queue_;
    std::uint32_t token_ = 0;  // the character in flight
    bool pumping_ = false;
    bool waitTold_ = false;
};

}  // namespace vek
