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

// A callback's data: the typer's window (whose handle, as every window
// handle, fits in 32 bits) and the character's token.
ULONG_PTR CallbackData(HWND typer, std::uint32_t token) {
    const auto w = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(typer));
    return (static_cast<ULONG_PTR>(w) << 32) | token;
}

}  // namespace

bool GameTyper::Attach(Events& events) {
    typist_.Tell(events);
    if (window_) return true;
    static const wchar_t kClass[] = L"VekChatTyper";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &win::WindowThunk;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    window_.reset(::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                    static_cast<win::MessageTarget*>(this)));
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
    if (::SendMessageCallbackA(game_, WM_CHAR, code, 0, &GameTyper::OnAnswer, CallbackData(window_.get(), token)))
        return Sent::Ok;
    return ::GetLastError() == ERROR_ACCESS_DENIED ? Sent::Refused : Sent::Gone;
}

// Passes the answer on to the typer's window, on this same thread: a typer
// that is gone has no window, and the message goes nowhere. Sent rather than
// posted: within a thread that is a plain call, where a post costs the
// system a round trip for every character.
void CALLBACK GameTyper::OnAnswer(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
    const auto w = static_cast<LONG>(static_cast<std::uint32_t>(data >> 32));
    const HWND typer = reinterpret_cast<HWND>(static_cast<LONG_PTR>(w));
    if (typer) ::SendMessageW(typer, AnswerMessage(), static_cast<WPARAM>(data & 0xFFFFFFFFu), 0);
}

void GameTyper::Watch(bool on) {
    if (on) ::SetTimer(window_.get(), kCheckTimer, kCheckMs, nullptr);
    else ::KillTimer(window_.get(), kCheckTimer);
}

std::optional<LRESULT> GameTyper::OnMessage(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_TIMER && wp == kCheckTimer) {
        typist_.Check();
        return 0;
    }
    if (msg == AnswerMessage() && msg != 0) {
        typist_.Answered(static_cast<std::uint32_t>(wp));
        return 0;
    }
    return std::nullopt;
}

}  // namespace vek
