// Messages on their way into the game, typed one character at a time, in
// order. A character goes only once the one before it was taken, so a game
// that stops answering delays the rest (and the messages behind it) instead
// of getting half a message and then the next one after it.
//
//   queue.Add(outgoing text);
//   while (auto next = queue.Take(now)): type next->ch (next->first: look the
//       game's window up afresh); when the game has taken it: queue.Taken()
//   the window gone or refusing: queue.Drop() (the rest of that message)
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

class SendQueue {
public:
    // How long the game may take over one character before the message
    // counts as waiting for it.
    static constexpr std::uint64_t kWaitMs = 1500;

    // A message's outgoing text, typed after those before it.
    void Add(std::string_view text);

    struct Next {
        char ch;
        bool first;  // the message's first character
    };
    // The character to type now, marked as in flight since `nowMs`; nullopt
    // while one is in flight or nothing is waiting.
    std::optional<Next> Take(std::uint64_t nowMs);

    // The character in flight was taken by the game.
    void Taken();

    // The rest of the message being typed goes (its window is gone, or it
    // refuses the characters); returns that message's whole text.
    std::string Drop();

    bool InFlight() const { return inFlight_; }
    // A character has been in flight for longer than kWaitMs.
    bool Waiting(std::uint64_t nowMs) const { return inFlight_ && nowMs - since_ >= kWaitMs; }
    // Messages not yet typed whole, the one being typed included.
    std::size_t Messages() const { return messages_.size(); }
    // The message being typed, whole ("" when none).
    const std::string& Current() const;
    // What has not been handed to the game yet, one entry per message that
    // has any, without its closing carriage return: the rest of the message
    // being typed (after the character in flight), then the others whole.
    std::vector<std::string> Unsent() const;

private:
    std::deque<std::string> messages_;
    std::size_t typed_ = 0;  // characters of the front message taken or in flight
    bool inFlight_ = false;
    std::uint64_t since_ = 0;
};

}  // namespace vek
