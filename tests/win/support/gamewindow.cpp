#include "support/gamewindow.h"

namespace vektest {

namespace {
constexpr char kClass[] = "AppClass";
constexpr char kTitle[] = "Ember Heraldry";
}  // namespace

GameWindow::GameWindow()
    : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] { Run(); });
    ::WaitForSingleObject(ready_.get(), 10000);
}

GameWindow::~GameWindow() {
    Release();
    if (threadId_) ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    if (thread_.joinable()) thread_.join();
}

void GameWindow::Run() {
    threadId_ = ::GetCurrentThreadId();
    // An ANSI class, as the game's: WM_CHAR carries the bytes exactly as sent.
    WNDCLASSA wc{};
    wc.lpfnWndProc = &vek::win::WindowThunk;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassA(&wc);
    hwnd_ = ::CreateWindowExA(0, kClass, kTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              wc.hInstance, static_cast<vek::win::MessageTarget*>(this));
    ::SetEvent(ready_.get());
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

std::optional<LRESULT> GameWindow::OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_CHAR) return std::nullopt;
    OnChar what = OnChar::Take;
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (wp > 0xFF) wideParam_ = true;
        received_ += static_cast<char>(wp & 0xFF);
        if (received_.size() > armedAt_) what = armed_;
    }
    if (what == OnChar::Hang) ::WaitForSingleObject(release_.get(), 60000);
    if (what == OnChar::Vanish) ::DestroyWindow(w);
    return 0;
}

bool GameWindow::HasReceived(char ch) const {
    std::lock_guard<std::mutex> lock(mu_);
    return received_.find(ch) != std::string::npos;
}

std::string GameWindow::Received() const {
    std::lock_guard<std::mutex> lock(mu_);
    return received_;
}

bool GameWindow::AnyWideParam() const {
    std::lock_guard<std::mutex> lock(mu_);
    return wideParam_;
}

void GameWindow::Clear() {
    std::lock_guard<std::mutex> lock(mu_);
    received_.clear();
    wideParam_ = false;
}

void GameWindow::Arm(size_t index, OnChar what) {
    std::lock_guard<std::mutex> lock(mu_);
    armedAt_ = index;
    armed_ = what;
}

void GameWindow::Release() {
    ::SetEvent(release_.get());
}

}  // namespace vektest
