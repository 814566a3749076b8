// Sending a composed message: the message type the button has chosen, the
// markup kept for recall, and the outgoing text typed into the game through
// a link whose form the shell decides (the game's window, or a recording).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "core/message.h"

namespace vek {

// The game's window, as the sender sees it.
class GameLink {
public:
    virtual ~GameLink() = default;
    // Hands a message's outgoing text over to be typed into the game's
    // window, after the messages before it. Never waits for the game.
    virtual void Type(std::string_view bytes) = 0;
};

class MessageSender {
public:
    explicit MessageSender(GameLink& link) : link_(link) {}

    // 0 Normal, 1 Chat, 2 Page.
    int Type() const { return type_; }
    // The next type on the button (Normal, Chat, Page, Normal, ...); returns it.
    int CycleType() { return type_ = NextMessageType(type_); }
    // Sets the type outright (a reply, a message brought back); a value out
    // of range is Normal. Returns it.
    int SetType(int type) { return type_ = type >= 0 && type < kMessageKinds ? type : kNormal; }

    // The markup of the last message sent ("" before the first).
    const std::string& LastMessage() const { return lastMessage_; }

    // Keeps the markup for recall, then hands the type's prefix, the markup
    // and a carriage return over to the game (see OutgoingText).
    void Send(std::string_view markup, std::string_view pageTo) {
        lastMessage_.assign(markup);
        link_.Type(OutgoingText(type_, pageTo, markup));
    }

private:
    GameLink& link_;
    int type_ = kNormal;
    std::string lastMessage_;
};

}  // namespace vek
