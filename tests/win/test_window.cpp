// The Win32 layer under every window: the handle owners free exactly once,
// and the window procedure delivers each window's messages to its object and
// lets no exception through.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "win/handles.h"
#include "win/window.h"

namespace {

// A handle kind whose closes are counted.
int closes = 0;
std::vector<int> closed;
struct CountedTraits {
    using type = int;
    static int invalid() noexcept { return 0; }
    static void close(int h) noexcept {
        ++closes;
        closed.push_back(h);
    }
};
using Counted = vek::win::Unique<CountedTraits>;

TEST(Handles, EachHandleIsFreedExactlyOnce) {
    closes = 0;
    closed.clear();
    {
        Counted a(1);
        Counted b(std::move(a));  // moved: a frees nothing
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 1);
        Counted c(2);
        c = std::move(b);  // c frees 2, takes 1
        EXPECT_EQ(closed, std::vector<int>{2});
        c.reset(3);  // frees 1
        const int kept = c.release();  // gives 3 up unfreed
        EXPECT_EQ(kept, 3);
        c.reset();  // holds nothing: frees nothing
        Counted d(4);
        d = std::move(d);  // self-move keeps it
        EXPECT_EQ(d.get(), 4);
    }  // d frees 4
    EXPECT_EQ(closed, (std::vector<int>{2, 1, 4}));
    EXPECT_EQ(closes, 3);
}

TEST(Handles, GlobalLockScopeUnlocksWhatItLocked) {
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(mem, nullptr);
    {
        vek::win::GlobalLockScope<char> p(mem);
        ASSERT_NE(p.get(), nullptr);
        EXPECT_GE(p.bytes(), 16u);
        EXPECT_EQ(::GlobalFlags(mem) & GMEM_LOCKCOUNT, 1u);
    }
    EXPECT_EQ(::GlobalFlags(mem) & GMEM_LOCKCOUNT, 0u);
    vek::win::GlobalLockScope<char> none(nullptr);
    EXPECT_EQ(none.get(), nullptr);
    EXPECT_EQ(none.bytes(), 0u);
    ::GlobalFree(mem);
}

constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kAnswer = WM_APP + 2;

// Throws on kThrow, answers 42 to kAnswer, and notes the first and last
// messages it saw.
struct Target final : vek::win::MessageTarget {
    UINT first = 0, last = 0;
    std::optional<LRESULT> OnMessage(HWND, UINT msg, WPARAM, LPARAM) override {
        if (!first) first = msg;
        last = msg;
        if (msg == kThrow) throw std::runtime_error("handler failed");
        if (msg == kAnswer) return 42;
        return std::nullopt;
    }
};

TEST(WindowThunk, DeliversEveryMessageAndStopsExceptionsAtTheBoundary) {
    for (bool unicode : {true, false}) {
        SCOPED_TRACE(unicode ? "Unicode class" : "ANSI class");
        Target target;
        HWND w = nullptr;
        if (unicode) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &vek::win::WindowThunk;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VekThunkTestW";
            ::RegisterClassW(&wc);
            w = ::CreateWindowExW(0, wc.lpszClassName, L"t", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                                  wc.hInstance, static_cast<vek::win::MessageTarget*>(&target));
        } else {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &vek::win::WindowThunk;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "VekThunkTestA";
            ::RegisterClassA(&wc);
            w = ::CreateWindowExA(0, wc.lpszClassName, "t", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                                  wc.hInstance, static_cast<vek::win::MessageTarget*>(&target));
        }
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(target.first, static_cast<UINT>(WM_NCCREATE));
        EXPECT_EQ(::SendMessageW(w, kAnswer, 0, 0), 42);
        // The exception ends in the thunk; the message gets the default
        // answer and the window goes on working.
        EXPECT_EQ(::SendMessageW(w, kThrow, 0, 0), 0);
        EXPECT_EQ(::SendMessageW(w, kAnswer, 0, 0), 42);
        // Messages the target leaves alone go to the default procedure.
        EXPECT_TRUE(::SetWindowTextA(w, "caption"));
        char caption[16] = {};
        ::GetWindowTextA(w, caption, 16);
        EXPECT_STREQ(caption, "caption");
        ::DestroyWindow(w);
        EXPECT_EQ(target.last, static_cast<UINT>(WM_NCDESTROY));
    }
}

TEST(WindowThunk, ASubclassedControlGetsItsMessagesFirst) {
    Target target;
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(vek::win::Subclass(edit, target));
    EXPECT_EQ(::SendMessageW(edit, kAnswer, 0, 0), 42);
    EXPECT_EQ(::SendMessageW(edit, kThrow, 0, 0), 0);
    // Left alone: the control's own procedure.
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    EXPECT_EQ(::GetWindowTextLengthW(edit), 5);
    ::DestroyWindow(edit);
    EXPECT_EQ(target.last, static_cast<UINT>(WM_NCDESTROY));
}

}  // namespace
