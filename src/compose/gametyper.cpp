#include "compose/gametyper.h"

namespace vek {

namespace {

constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckMs = 100;

// The game's answer for a character, passed to the typer's window (wParam:
// the character's token). A message of its own, so that no other window
// takes it for something else.
UINT AnswerMessage() {
    static const UINT msg = ::RegisterWindowMessageW(L"VekChat.GameTyper.Answer");
    return msg;
}

constexpr wchar_t kClass[] = L"VekChatTyper";

// Where a 64-bit callback's data has room for both, it carries the typer's
// window (whose handle, as every window handle, fits in 32 bits) and the
// character's token. A 32-bit one carries only a number unique in the
// process, which the typer that sent it knows again.
constexpr bool kDataHoldsWindow = sizeof(ULONG_PTR) >= 8;

std::uint32_t NextWire() {
    static std::uint32_t wire = 0;
    return ++wire;
}

ULONG_PTR CallbackData(HWND typer, std::uint32_t token) {
    const auto w = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(typer));
    return static_cast<ULONG_PTR>((std::uint64_t{w} << 32) | token);
}

}  // namespace

bool GameTyper::Attach(Events& events) {
    typist_.Tell(events);
    if (window_) return true;
    window_.reset(win::MakeMessageWindow(kClass, *this));
    return static_cast<bool>(window_) && AnswerMessage() != 0;
}

bool GameTyper::Find() {
    game_ = ::FindWindowA("AppClass", "Ember Heraldry");
    return game_ != nullptr;
}

GameWindowPort::Sent GameTyper::Send(char ch, std::uint32_t token) {
    // The byte as it is: a sign-extended code above 127 would be taken for a
    // double-byte pair.
    const WPARAM code = static_cast<unsigned char>(ch);
    ULONG_PTR data = 0;
    if constexpr (kDataHoldsWindow) {
        data = CallbackData(window_.get(), token);
    } else {
        wire_ = NextWire();
        wireToken_ = token;
        data = wire_;
    }
    if (::SendMessageCallbackA(game_, WM_CHAR, code, 0, &GameTyper::OnAnswer, data)) return Sent::Ok;
    return ::GetLastError() == ERROR_ACCESS_DENIED ? Sent::Refused : Sent::Gone;
}

// Passes the answer on to the typer's window, on this same thread: a typer
// that is gone has no window, and the message goes nowhere. Sent rather than
// posted: within a thread that is a plain call, where a post costs the
// system a round trip for every character.
void CALLBACK GameTyper::OnAnswer(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
    if constexpr (kDataHoldsWindow) {
        const auto w = static_cast<LONG>(static_cast<std::uint32_t>(std::uint64_t{data} >> 32));
        const HWND typer = reinterpret_cast<HWND>(static_cast<LONG_PTR>(w));
        if (typer) ::SendMessageW(typer, AnswerMessage(), static_cast<WPARAM>(data & 0xFFFFFFFFu), 0);
    } else {
        // Each typer of the process is asked; only the one that sent it knows the number.
        for (HWND w = ::FindWindowExW(HWND_MESSAGE, nullptr, kClass, nullptr); w;
             w = ::FindWindowExW(HWND_MESSAGE, w, kClass, nullptr))
            ::SendMessageW(w, AnswerMessage(), static_cast<WPARAM>(data), 1);
    }
}

void GameTyper::Watch(bool on) {
    if (on) ::SetTimer(window_.get(), kCheckTimer, kCheckMs, nullptr);
    else ::KillTimer(window_.get(), kCheckTimer);
}

std::optional<LRESULT> GameTyper::OnMessage(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kCheckTimer) {
        typist_.Check();
        return 0;
    }
    if (msg == AnswerMessage() && msg != 0) {
        if (lp == 0) typist_.Answered(static_cast<std::uint32_t>(wp));  // the token itself
        else if (wire_ != 0 && wp == wire_) typist_.Answered(wireToken_);
        return 0;
    }
    return std::nullopt;
}

}  // namespace vek
