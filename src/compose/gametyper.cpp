#include "compose/gametyper.h"

#include <map>

namespace vek {

namespace {

constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckMs = 100;

// The typers alive, by id: a callback that comes after its typer is gone
// finds none.
std::map<std::uint32_t, GameTyper*>& Typers() {
    static std::map<std::uint32_t, GameTyper*> typers;
    return typers;
}
std::uint32_t nextTyper = 1;

ULONG_PTR CallbackData(std::uint32_t typer, std::uint32_t seq) {
    return (static_cast<ULONG_PTR>(typer) << 32) | seq;
}

}  // namespace

GameTyper::~GameTyper() {
    if (id_) Typers().erase(id_);
}

bool GameTyper::Attach(Events& events) {
    events_ = &events;
    if (!id_) {
        id_ = nextTyper++;
        Typers()[id_] = this;
    }
    static const wchar_t kClass[] = L"VekChatTyper";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &win::WindowThunk;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    window_.reset(::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                    static_cast<win::MessageTarget*>(this)));
    return static_cast<bool>(window_);
}

void GameTyper::Type(std::string_view bytes) {
    queue_.Add(bytes);
    Pump();
}

void GameTyper::Pump() {
    if (pumping_) return;  // a window of this thread takes characters at once: the loop below goes on
    pumping_ = true;
    while (auto next = queue_.Take(::GetTickCount64())) {
        if (next->first) game_ = ::FindWindowA("AppClass", "Ember Heraldry");
        if (!game_) {
            Drop(Undelivered::NoGame);
            continue;
        }
        ++seq_;
        // The byte as it is: a sign-extended code above 127 would be taken
        // for a double-byte pair.
        const WPARAM code = static_cast<unsigned char>(next->ch);
        if (!::SendMessageCallbackA(game_, WM_CHAR, code, 0, &GameTyper::OnTaken, CallbackData(id_, seq_))) {
            Drop(::GetLastError() == ERROR_ACCESS_DENIED ? Undelivered::Refused : Undelivered::Gone);
            continue;
        }
        if (queue_.InFlight()) break;  // the game takes it in its own time
    }
    pumping_ = false;
    // While a character is out, look now and then whether the game still
    // has a window, or keeps it waiting.
    if (queue_.InFlight()) ::SetTimer(window_.get(), kCheckTimer, kCheckMs, nullptr);
    else ::KillTimer(window_.get(), kCheckTimer);
}

void CALLBACK GameTyper::OnTaken(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
    const auto it = Typers().find(static_cast<std::uint32_t>(data >> 32));
    if (it != Typers().end()) it->second->Taken(static_cast<std::uint32_t>(data & 0xFFFFFFFFu));
}

void GameTyper::Taken(std::uint32_t seq) {
    if (seq != seq_ || !queue_.InFlight()) return;  // a character given up on, taken after all
    if (!::IsWindow(game_)) {
        // Answered for a window that is gone (its program ended): whatever
        // the game did with it, the rest of the message has nowhere to go.
        Drop(Undelivered::Gone);
        Pump();
        return;
    }
    queue_.Taken();
    if (waitTold_) {
        waitTold_ = false;
        if (events_) events_->MessageGoesOn();
    }
    Pump();
}

void GameTyper::Drop(Undelivered why) {
    ++seq_;  // whatever was in flight is given up
    waitTold_ = false;
    std::string text = queue_.Drop();
    if (events_) events_->MessageNotDelivered(text, why, queue_.Messages() == 0);
}

void GameTyper::Check() {
    if (!queue_.InFlight()) return;
    if (!::IsWindow(game_)) {
        Drop(Undelivered::Gone);
        Pump();
    } else if (!waitTold_ && queue_.Waiting(::GetTickCount64())) {
        waitTold_ = true;
        if (events_) events_->MessageWaits(queue_.Current());
    }
}

std::optional<LRESULT> GameTyper::OnMessage(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_TIMER && wp == kCheckTimer) {
        Check();
        return 0;
    }
    return std::nullopt;
}

}  // namespace vek
