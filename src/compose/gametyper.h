// The typist of messages into the game (core/game_typist.h), wired to the
// game's real window: each character goes with SendMessageCallback, and the
// answer comes back through the typer's own message-only window, which also
// carries the timer the typist watches the game with.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_typist.h"
#include "core/message_sender.h"
#include "win/handles.h"
#include "win/window.h"

namespace vek {

class GameTyper final : public GameLink, private GameWindowPort, private win::MessageTarget {
public:
    using Undelivered = GameTypist::Undelivered;
    using Events = GameTypist::Events;

    GameTyper() = default;
    ~GameTyper() override = default;
    GameTyper(const GameTyper&) = delete;
    GameTyper& operator=(const GameTyper&) = delete;

    // Before the first message: who is told. Returns false when the typer's
    // own (message-only) window could not be made.
    [[nodiscard]] bool Attach(Events& events);

    // The game's window: class "AppClass", title "Ember Heraldry", looked up
    // afresh for every message.
    void Type(std::string_view bytes) override { typist_.Type(bytes); }

    // Nothing is waiting to be typed.
    bool Idle() const { return typist_.Idle(); }
    const GameTypist& Typist() const { return typist_; }
    // Stops typing for good; what was not sent yet (see GameTypist::GiveUp).
    std::vector<std::string> GiveUp() { return typist_.GiveUp(); }

private:
    static void CALLBACK OnAnswer(HWND, UINT, ULONG_PTR data, LRESULT) noexcept;
    std::optional<LRESULT> OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;

    bool Find() override;
    Sent Send(char ch, std::uint32_t token) override;
    bool Alive() override { return ::IsWindow(game_) != FALSE; }
    void Watch(bool on) override;
    std::uint64_t NowMs() override { return ::GetTickCount64(); }

    GameTypist typist_{*this};
    HWND game_ = nullptr;       // the window the message being typed goes to
    win::UniqueWindow window_;  // message-only: answers and the timer come here
    // On a 32-bit build: the number the last character's answer carries, and its token.
    std::uint32_t wire_ = 0;
    std::uint32_t wireToken_ = 0;
};

}  // namespace vek
