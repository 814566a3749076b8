// fakegame.exe: an imitation of the game client "Ember Heraldry", as far as a
// chat companion can see it. It keeps a chat log open and appends to it (its
// own scripted chatter, and the echo of whatever is typed into its window),
// and it shows what it received. See game_formats.h for every text it writes
// and game_options.h for its command line.
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "game_formats.h"
#include "game_options.h"
#include "win/handles.h"
#include "win/window.h"

namespace {

using fakegame::GameOptions;
using vek::win::UniqueFile;
using vek::win::UniqueFont;
using vek::win::UniqueGdi;

constexpr char kClassName[] = "AppClass";
constexpr char kTitle[] = "Ember Heraldry";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 15;
constexpr std::size_t kShownLogLines = 40;
constexpr std::size_t kShownTypedLines = 6;

fakegame::Stamp Now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

UniqueFile OpenShared(const std::string& path, DWORD access) {
    // Full sharing, as a game does: a reader may open, and even rename or
    // delete, the file while we hold it.
    return UniqueFile(::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The chat log, held open for the life of the game. Writes go straight to the
// file with WriteFile (no buffering of ours), so each one is visible to
// readers as soon as it returns.
class LogWriter {
public:
    bool Open(const std::string& path) {
        path_ = path;
        file_ = OpenShared(path_, GENERIC_WRITE);
        return static_cast<bool>(file_);
    }
    bool Append(std::string_view bytes) {
        if (!file_) return false;
        LARGE_INTEGER zero{};
        if (!::SetFilePointerEx(file_.get(), zero, nullptr, FILE_END)) return false;
        while (!bytes.empty()) {
            DWORD done = 0;
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            if (!::WriteFile(file_.get(), bytes.data(), chunk, &done, nullptr) || done == 0) return false;
            bytes.remove_prefix(done);
        }
        return true;
    }
    // Renames the log to PATH.1 (replacing an older one) and starts afresh.
    bool Rotate() {
        file_.reset();
        bool moved = ::MoveFileExA(path_.c_str(), (path_ + ".1").c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        return Open(path_) && moved;
    }
    bool Truncate() {
        LARGE_INTEGER zero{};
        return file_ && ::SetFilePointerEx(file_.get(), zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(file_.get());
    }

private:
    std::string path_;
    UniqueFile file_;
};

// A memory device context for drawing off screen, deleted at scope end.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) noexcept : dc_(::CreateCompatibleDC(like)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() { if (dc_) ::DeleteDC(dc_); }
    HDC get() const noexcept { return dc_; }

private:
    HDC dc_;
};

class Game final : private vek::win::MessageTarget {
public:
    explicit Game(GameOptions o) : opt_(std::move(o)), chatter_(opt_.seed) {}

    // Opens the files and makes the window; false (with a message on stderr)
    // when the log cannot be opened.
    bool Start(HINSTANCE inst, int show);

private:
    // One write to the log, and what it completes.
    struct Chunk {
        std::string bytes;
        int lines = 0;     // whole lines that end with this write
        std::string note;  // what to show for it once written
    };

    std::optional<LRESULT> OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;
    void OnChar(unsigned char c);
    void OnTick();
    void OnPaint();

    void QueueLine(const std::string& body);
    void WriteQueued(bool all);
    void Hang();
    double Elapsed() const { return (::GetTickCount64() - start_) / 1000.0; }
    void Show(std::deque<std::string>& list, std::string text, std::size_t keep);

    GameOptions opt_;
    fakegame::Chatter chatter_;
    fakegame::TypedLine typed_;
    LogWriter log_;
    UniqueFile received_;
    std::deque<Chunk> queue_;
    std::deque<std::string> shownLog_, shownTyped_;
    std::string status_;
    HWND hwnd_ = nullptr;
    UniqueFont font_;
    ULONGLONG start_ = 0;
    std::int64_t chatterWritten_ = 0;
    std::int64_t linesWritten_ = 0;
    std::int64_t linesSinceRotate_ = 0;
    std::int64_t charsReceived_ = 0;
    bool truncated_ = false;
    bool burstDone_ = false;
    bool dirty_ = false;
};

bool Game::Start(HINSTANCE inst, int show) {
    if (!log_.Open(opt_.log)) {
        std::fprintf(stderr, "fakegame: cannot open the log %s (error %lu)\n", opt_.log.c_str(), ::GetLastError());
        return false;
    }
    if (!opt_.received.empty()) {
        received_ = OpenShared(opt_.received, FILE_APPEND_DATA);
        if (!received_) {
            std::fprintf(stderr, "fakegame: cannot open %s (error %lu)\n", opt_.received.c_str(), ::GetLastError());
            return false;
        }
    }
    start_ = ::GetTickCount64();
    burstDone_ = opt_.burst <= 0;

    // An ANSI window class, so WM_CHAR carries the bytes exactly as sent.
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &vek::win::WindowThunk;
    wc.hInstance = inst;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExA(&wc)) return false;

    font_.reset(::CreateFontA(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New"));
    hwnd_ = ::CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, 660, 40, 600, 520, nullptr, nullptr,
                              inst, static_cast<vek::win::MessageTarget*>(this));
    if (!hwnd_) return false;
    ::SetTimer(hwnd_, kTickTimer, kTickMs, nullptr);
    status_ = "Log: " + opt_.log;
    ::ShowWindow(hwnd_, show);
    ::UpdateWindow(hwnd_);
    return true;
}

std::optional<LRESULT> Game::OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE:
        hwnd_ = w;
        return std::nullopt;
    case WM_CHAR:
        OnChar(static_cast<unsigned char>(wp & 0xff));
        return 0;
    case WM_TIMER:
        if (wp == kTickTimer) OnTick();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // OnPaint covers everything
    case WM_SIZE:
        ::InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_DESTROY:
        ::KillTimer(hwnd_, kTickTimer);
        WriteQueued(true);
        ::PostQuitMessage(0);
        return 0;
    default:
        return std::nullopt;
    }
}

void Game::OnChar(unsigned char c) {
    ++charsReceived_;
    if (received_) {
        DWORD done = 0;
        ::WriteFile(received_.get(), &c, 1, &done, nullptr);
    }
    if (opt_.hang_after >= 0 && charsReceived_ > opt_.hang_after) Hang();
    if (typed_.Feed(c)) {
        Show(shownTyped_, "> " + typed_.line(), kShownTypedLines);
        for (const std::string& body : fakegame::EchoBodies(typed_.line())) QueueLine(body);
        WriteQueued(!opt_.pieces);
        // A command that ends the game (a log-out): the window goes while
        // the carriage return is still being handled.
        if (!opt_.quit_on.empty() && typed_.line() == opt_.quit_on) ::DestroyWindow(hwnd_);
    }
    dirty_ = true;
}

// A hung game: the window procedure never returns. The process ends when its
// --duration is up (or after ten minutes), without answering another message.
void Game::Hang() {
    double until = opt_.duration > 0 ? opt_.duration : Elapsed() + 600;
    while (Elapsed() < until) ::Sleep(50);
    ::ExitProcess(0);
}

void Game::OnTick() {
    double now = Elapsed();
    if (opt_.duration > 0 && now >= opt_.duration) {
        ::DestroyWindow(hwnd_);
        return;
    }
    if (opt_.rate > 0) {
        // Catch up with the clock, but never flood after a stall.
        auto due = static_cast<std::int64_t>(now * opt_.rate);
        if (due - chatterWritten_ > 1000) chatterWritten_ = due - 1000;
        for (; chatterWritten_ < due; ++chatterWritten_) QueueLine(chatter_.Next());
    }
    if (!burstDone_ && now >= opt_.burst_after) {
        burstDone_ = true;
        Chunk burst;
        while (static_cast<std::int64_t>(burst.bytes.size()) < opt_.burst) {
            burst.bytes += fakegame::LogLine(Now(), chatter_.Next());
            ++burst.lines;
        }
        burst.note = "(burst: " + std::to_string(burst.lines) + " lines, " + std::to_string(burst.bytes.size()) +
                     " bytes in one write)";
        queue_.push_back(std::move(burst));
    }
    WriteQueued(!opt_.pieces);
    if (dirty_) {
        dirty_ = false;
        ::InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void Game::QueueLine(const std::string& body) {
    std::string line = fakegame::LogLine(Now(), body);
    std::string note = line.substr(0, line.size() - fakegame::kEol.size());
    if (!opt_.pieces) {
        queue_.push_back({std::move(line), 1, std::move(note)});
        return;
    }
    std::vector<std::string> pieces = chatter_.Pieces(line);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        bool last = i + 1 == pieces.size();
        queue_.push_back({std::move(pieces[i]), last ? 1 : 0, last ? note : std::string()});
    }
}

// Writes the queue: all of it, or (for --pieces) one write per tick, so that
// readers find lines cut short. A queue that grows anyway is drained to a
// few lines' worth.
void Game::WriteQueued(bool all) {
    std::size_t keep = all ? 0 : 12;
    bool first = true;
    while (!queue_.empty() && (first || queue_.size() > keep)) {
        first = false;
        Chunk c = std::move(queue_.front());
        queue_.pop_front();
        if (!log_.Append(c.bytes)) status_ = "Writing the log failed (error " + std::to_string(::GetLastError()) + ")";
        if (!c.note.empty()) Show(shownLog_, std::move(c.note), kShownLogLines);
        linesWritten_ += c.lines;
        linesSinceRotate_ += c.lines;
        if (opt_.truncate_at > 0 && !truncated_ && linesWritten_ >= opt_.truncate_at) {
            truncated_ = true;
            log_.Truncate();
            Show(shownLog_, "(log truncated)", kShownLogLines);
        }
        if (opt_.rotate_every > 0 && linesSinceRotate_ >= opt_.rotate_every) {
            linesSinceRotate_ = 0;
            if (!log_.Rotate()) status_ = "Rotating the log failed (error " + std::to_string(::GetLastError()) + ")";
            Show(shownLog_, "(log rotated to .1)", kShownLogLines);
        }
        dirty_ = true;
    }
}

void Game::Show(std::deque<std::string>& list, std::string text, std::size_t keep) {
    list.push_back(std::move(text));
    while (list.size() > keep) list.pop_front();
}

void Game::OnPaint() {
    vek::win::PaintDC paint(hwnd_);
    RECT rc{};
    ::GetClientRect(hwnd_, &rc);
    int w = rc.right, h = rc.bottom;
    if (w <= 0 || h <= 0) return;

    // Drawn off screen first, so the frequent repaints do not flicker.
    MemoryDC memDC(paint.get());
    HDC mem = memDC.get();
    UniqueGdi bitmap(::CreateCompatibleBitmap(paint.get(), w, h));
    {
        vek::win::SelectedObject selBitmap(mem, bitmap.get());
        vek::win::SelectedObject selFont(mem, font_.get());
        UniqueGdi background(::CreateSolidBrush(RGB(24, 22, 30)));
        ::FillRect(mem, &rc, static_cast<HBRUSH>(background.get()));
        ::SetBkMode(mem, TRANSPARENT);
        TEXTMETRICA tm{};
        ::GetTextMetricsA(mem, &tm);
        int lineH = tm.tmHeight + 1;
        int y = 6;
        auto text = [&](COLORREF color, const std::string& s) {
            ::SetTextColor(mem, color);
            ::TextOutA(mem, 8, y, s.data(), static_cast<int>(s.size()));
            y += lineH;
        };

        text(RGB(255, 200, 90), "Typed into the game (" + std::to_string(charsReceived_) + " characters received)");
        for (const std::string& s : shownTyped_) text(RGB(240, 240, 240), s);
        text(RGB(150, 150, 150), "typing: " + typed_.pending() + "_");
        y += lineH / 2;
        text(RGB(255, 200, 90), status_);
        text(RGB(255, 200, 90), "Lines written: " + std::to_string(linesWritten_));
        // The most recent log lines that fit, oldest at the top.
        std::size_t fit = y < h ? static_cast<std::size_t>((h - y) / lineH) : 0;
        std::size_t first = shownLog_.size() > fit ? shownLog_.size() - fit : 0;
        for (std::size_t i = first; i < shownLog_.size(); ++i) text(RGB(120, 220, 220), shownLog_[i]);
        ::BitBlt(paint.get(), 0, 0, w, h, mem, 0, 0, SRCCOPY);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
    fakegame::ParseResult parsed = fakegame::ParseGameOptions(args);
    if (!parsed.options) {
        std::fprintf(stderr, "fakegame: %s\nusage: %s", parsed.error.c_str(), fakegame::kUsage.data());
        return 2;
    }
    Game game(std::move(*parsed.options));
    if (!game.Start(inst, show)) return 1;
    MSG m;
    while (::GetMessageA(&m, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&m);
        ::DispatchMessageA(&m);
    }
    return 0;
}
