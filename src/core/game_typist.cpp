#include "core/game_typist.h"

#include <utility>

namespace vek {

void GameTypist::Type(std::string_view bytes) {
    queue_.Add(bytes);
    Pump();
}

void GameTypist::Pump() {
    if (pumping_) return;  // a window that answers at once: the loop below goes on
    pumping_ = true;
    while (auto next = queue_.Take(game_.NowMs())) {
        if (next->first && !game_.Find()) {
            Drop(Undelivered::NoGame);
            continue;
        }
        const GameWindowPort::Sent sent = game_.Send(next->ch, ++token_);
        if (sent != GameWindowPort::Sent::Ok) {
            Drop(sent == GameWindowPort::Sent::Refused ? Undelivered::Refused : Undelivered::Gone);
            continue;
        }
        if (queue_.InFlight()) break;  // the game answers in its own time
    }
    pumping_ = false;
    game_.Watch(queue_.InFlight());
}

void GameTypist::Answered(std::uint32_t token) {
    if (token != token_ || !queue_.InFlight()) return;  // a character given up on, answered after all
    // Taken even when the window is gone by now (a command that ends the
    // game): only characters never sent can be lost, and the next one
    // finds the window gone. The system answers for a game that ended
    // while holding a character too: a wait told goes on only in a window
    // still there.
    const bool waitTold = std::exchange(waitTold_, false);
    queue_.Taken();
    if (waitTold && events_ && game_.Alive()) events_->MessageGoesOn();
    Pump();
}

void GameTypist::Check() {
    if (!queue_.InFlight()) return;
    if (!game_.Alive()) {
        // Gone without an answer: the character may never have been read.
        Drop(Undelivered::Gone);
        Pump();
    } else if (!waitTold_ && queue_.Waiting(game_.NowMs())) {
        waitTold_ = true;
        if (events_) events_->MessageWaits(queue_.Current());
    }
}

void GameTypist::Drop(Undelivered why) {
    ++token_;  // whatever was in flight is given up
    waitTold_ = false;
    const std::string text = queue_.Drop();
    if (events_) events_->MessageNotDelivered(text, why, queue_.Messages() == 0);
}

std::vector<std::string> GameTypist::GiveUp() {
    std::vector<std::string> rest = queue_.Unsent();
    queue_ = SendQueue();
    ++token_;
    waitTold_ = false;
    game_.Watch(false);
    return rest;
}

}  // namespace vek
