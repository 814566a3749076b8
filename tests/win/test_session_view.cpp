// The chat display as a bounded view of a long session, on the real RichEdit
// and scroll bar: a million lines in the store, a thousand or so in the box,
// and every one of them reachable by Ctrl+Home, the thumb and Find.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <string>
#include <utility>

#include "core/session_find.h"
#include "core/session_lines.h"
#include "core/shown_line.h"
#include "log/chatdisplay.h"
#include "support/winapp.h"
#include "win/richedit.h"

using namespace vektest;

namespace {

std::string Text(std::size_t i) {
    char s[64];
    std::snprintf(s, sizeof s, "line %07zu of the evening", i);
    return s;
}
std::string Input(std::size_t i) { return "[2026-12-07 11:30:05] " + Text(i) + "\r\n"; }

class SessionViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                 nullptr, nullptr, nullptr);
        box = CreateWindowExW(0, vek::win::RichEditClass(), L"",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_SAVESEL, 0, 0, 460,
                              360, parent, nullptr, nullptr, nullptr);
        bar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 460, 0, 17, 360, parent, nullptr,
                              nullptr, nullptr);
        ASSERT_TRUE(parent && box && bar);
        SendMessageW(box, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        SendMessageW(box, EM_SETUNDOLIMIT, 0, 0);
        display.Attach(box, bar, session, kinds, 1252);
    }
    void TearDown() override { DestroyWindow(parent); }

    // Lines straight into the store, then shown as after a pass (passes
    // close together are written together, a moment later).
    void Add(std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) session.Append(vek::ShapeInput(Input(i)));
        display.EndPass({});
        PumpUntil([&] { return !display.Lock().Following() || display.Held().end() == session.Size(); }, 2000);
        PumpPending();
    }
    // The text of the display line at character `at`.
    std::string LineAt(int at) {
        const std::string all = ReadText(box);
        const std::size_t begin = all.rfind('\r', at > 0 ? static_cast<std::size_t>(at) - 1 : 0);
        const std::size_t from = at == 0 || begin == std::string::npos ? 0 : begin + 1;
        return all.substr(from, all.find('\r', from) - from);
    }
    std::string TopLine() {
        const LRESULT row = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
        return LineAt(static_cast<int>(SendMessageW(box, EM_LINEINDEX, row, 0)));
    }
    SCROLLINFO Bar() {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        GetScrollInfo(bar, SB_CTL, &si);
        return si;
    }
    std::string Selected() {
        const vek::win::Selection s = vek::win::GetSel(box);
        return ReadText(box).substr(static_cast<std::size_t>(s.start), static_cast<std::size_t>(s.length()));
    }
    void CtrlKey(int vk) {
        BYTE state[256];
        GetKeyboardState(state);
        BYTE saved[256];
        memcpy(saved, state, sizeof state);
        state[VK_CONTROL] = 0x80;
        SetKeyboardState(state);
        SendMessageW(box, WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
        display.ViewMoved(WM_KEYDOWN, static_cast<WPARAM>(vk));  // as the window passes it on
        SetKeyboardState(saved);
    }

    HWND parent = nullptr, box = nullptr, bar = nullptr;
    vek::SessionLines session;
    vek::LineKinds kinds;
    vek::ChatDisplay display;
};

constexpr std::size_t kMillion = 1000000;
constexpr std::uint64_t kMost = vek::ViewBounds{}.keep + vek::ViewBounds{}.batch;  // lines the box holds at most

TEST_F(SessionViewTest, AMillionLinesAllReachableWhileTheBoxHoldsAFewOfThem) {
    Add(0, kMillion);
    const vek::HeldLines held = display.Held();
    EXPECT_EQ(held.end(), kMillion);
    EXPECT_LE(held.count, kMost) << "the box holds a bounded part";
    EXPECT_EQ(LineAt(vek::win::CharCount(box) - 1), Text(kMillion - 1));
    SCROLLINFO si = Bar();
    EXPECT_EQ(si.nMax, static_cast<int>(kMillion) - 1) << "the bar stands for every line";
    EXPECT_EQ(si.nPos, si.nMax - static_cast<int>(si.nPage) + 1) << "at the bottom while following";

    // Ctrl+Home: the session's first line.
    CtrlKey(VK_HOME);
    EXPECT_EQ(TopLine(), Text(0));
    EXPECT_EQ(vek::win::GetSel(box).start, 0);
    EXPECT_EQ(Bar().nPos, 0);
    EXPECT_FALSE(display.Lock().Following());

    // The thumb dragged to the middle shows the middle at once; let go, it stays.
    const int middle = static_cast<int>(kMillion / 2);
    for (int code : {SB_THUMBTRACK, SB_THUMBPOSITION}) {
        si.fMask = SIF_POS;
        si.nPos = middle;
        SetScrollInfo(bar, SB_CTL, &si, FALSE);  // where a drag would have the thumb
        const double t0 = Seconds();
        display.BarScrolled(code);
        const double took = Seconds() - t0;
        EXPECT_EQ(TopLine(), Text(static_cast<std::size_t>(middle))) << code;
        std::printf("thumb to the middle (%d): %.1f ms\n", code, took * 1000);
    }
    EXPECT_EQ(Bar().nPos, middle);

    // Find from the bottom finds the first line.
    display.FollowEnd();
    EXPECT_TRUE(display.Lock().Following());
    const double t0 = Seconds();
    const auto found = vek::FindInSession(session, display.Decoder(), u"line 0000000 ", display.Selection(), {});
    const double took = Seconds() - t0;
    std::printf("Find Next over %zu lines: %.1f ms\n", kMillion, took * 1000);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->entry, 0u);
    display.Select(found->entry, found->range.start, found->range.end);
    EXPECT_EQ(Selected(), "line 0000000 ");
    EXPECT_EQ(TopLine(), Text(0)) << "scrolled into view";
}

TEST_F(SessionViewTest, ReadingBackBringsLinesInWithNoJumpAndTheSelectionOnItsText) {
    Add(0, 20000);
    PumpUntil([] { return false; }, 50);
    // The player selects words of a line in view and reads back, a few rows at a time.
    const int first = static_cast<int>(SendMessageW(box, EM_LINEINDEX, SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0));
    vek::win::SetSel(box, first + 5, first + 12);
    const std::string selected = Selected();
    std::uint64_t lowest = display.Held().first;
    for (int i = 0; i < 35; ++i) {  // far enough to bring lines in, not to let the selection go
        SendMessageW(box, EM_LINESCROLL, 0, -7);
        const std::string top = TopLine();
        display.ViewMoved(EM_LINESCROLL, 0);
        ASSERT_EQ(TopLine(), top) << "the text in view stays after step " << i;
        ASSERT_EQ(Selected(), selected) << "step " << i;
        ASSERT_LE(display.Held().count, kMost);
        lowest = std::min(lowest, display.Held().first);
    }
    EXPECT_LT(lowest, 20000u - vek::ViewBounds{}.keep) << "lines came in above";
    EXPECT_FALSE(display.Lock().Following());
    EXPECT_EQ(Bar().nPos, std::stoi(TopLine().substr(5, 7))) << "the thumb where the view is";
}

TEST_F(SessionViewTest, FollowingTheOldestLeaveInBatchesAndTheCaretRuleHolds) {
    Add(0, 1100);
    const vek::win::Selection mid{vek::win::CharCount(box) - 300, vek::win::CharCount(box) - 290};
    for (bool atEnd : {false, true}) {
        SCOPED_TRACE(atEnd ? "caret at the end" : "a selection in the text");
        const int end = vek::win::CharCount(box);
        if (atEnd) vek::win::SetSel(box, end, end);
        else vek::win::SetSel(box, mid.start, mid.end);
        const std::string selected = Selected();
        const std::uint64_t before = display.Held().first;
        std::size_t n = session.Size();
        for (int pass = 0; pass < 6; ++pass, n += 50) Add(n, n + 50);  // lines leave the top on the way
        EXPECT_LE(display.Held().count, kMost);
        EXPECT_GT(display.Held().first, before);
        if (atEnd) {
            EXPECT_EQ(vek::win::GetSel(box).start, vek::win::CharCount(box));
        } else {
            EXPECT_EQ(Selected(), selected);
        }
        EXPECT_EQ(LineAt(vek::win::CharCount(box) - 1), Text(session.Size() - 1));
    }
}

// Every seventh line a page, the rest said lines: Aldric":" line N, as the
// display shows them.
std::string KindInput(std::size_t i) {
    return i % 7 == 3 ? "[2026-12-07 11:30:05] Corvin pages you: " + Text(i) + "\r\n"
                      : "[2026-12-07 11:30:05] {Aldric}\":\" " + Text(i) + "\r\n";
}

TEST_F(SessionViewTest, KindsHiddenKeepTheViewOnItsLineAndCountOnlyWhatShows) {
    for (std::size_t i = 0; i < 70000; ++i) session.Append(vek::ShapeInput(KindInput(i)));
    display.EndPass({});
    // Reading back in the middle, on a said line.
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    si.nPos = 35000;
    SetScrollInfo(bar, SB_CTL, &si, FALSE);
    display.BarScrolled(SB_THUMBPOSITION);
    const std::string top = TopLine();
    ASSERT_EQ(top.find("pages"), std::string::npos) << top;
    const int from = static_cast<int>(SendMessageW(box, EM_LINEINDEX, SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0));
    vek::win::SetSel(box, from + 10, from + 16);
    const std::string selected = Selected();

    display.SetFilter({vek::LineKind::Chat});
    EXPECT_EQ(TopLine(), top);
    EXPECT_EQ(Selected(), selected);
    EXPECT_EQ(ReadText(box).find("pages"), std::string::npos);
    EXPECT_EQ(Bar().nMax + 1, 60000) << "the bar stands for the lines shown";
    // New lines while held: only those of the kinds shown are counted.
    for (std::size_t i = 70000; i < 70014; ++i) session.Append(vek::ShapeInput(KindInput(i)));
    display.EndPass({});
    EXPECT_FALSE(display.Lock().Following());
    EXPECT_EQ(display.Lock().NewLines(), 12u);
    // Find skips what is hidden.
    const auto found = vek::FindInSession(session, display.Decoder(), u"0035003",
                                          display.Selection(), {}, display.Shown());
    EXPECT_FALSE(found) << "line 35003 is a page";

    display.SetFilter(vek::KindFilter::All());
    EXPECT_EQ(TopLine(), top) << "the pages are back in their places";
    EXPECT_EQ(Selected(), selected);
    EXPECT_EQ(Bar().nMax + 1, 70014);

    // Following, a view of the pages alone ends with the newest page.
    display.FollowEnd();
    display.SetFilter({vek::LineKind::Page});
    EXPECT_TRUE(display.Lock().Following());
    EXPECT_EQ(LineAt(vek::win::CharCount(box) - 1), "Corvin pages you: " + Text(70010));
}

// A fast chat's passes are written a few at a time: a pass soon after a
// write waits, and shows without another pass coming; one after a pause
// shows at once.
TEST_F(SessionViewTest, PassesCloseTogetherAreWrittenTogetherAndNoneWaitsForAnother) {
    Add(0, 10);
    const ULONGLONG written = GetTickCount64();
    for (std::size_t i = 10; i < 13; ++i) {
        session.Append(vek::ShapeInput(Input(i)));
        display.EndPass({});
    }
    if (GetTickCount64() - written < 100) {
        EXPECT_EQ(display.Held().end(), 10u) << "the passes wait for one write";
    }
    EXPECT_TRUE(PumpUntil([&] { return display.Held().end() == 13; }, 1000)) << "shown with no pass after them";
    EXPECT_EQ(LineAt(vek::win::CharCount(box) - 1), Text(12));
    PumpUntil([] { return false; }, 150);
    session.Append(vek::ShapeInput(Input(13)));
    display.EndPass({});
    EXPECT_EQ(display.Held().end(), 14u) << "after a pause, at once";
    EXPECT_EQ(LineAt(vek::win::CharCount(box) - 1), Text(13));
}

TEST_F(SessionViewTest, TheBarIsPaintedAgainWhenItsThumbMovesAndOnlyThen) {
    // Following, the thumb keeps to the bottom and shrinks a pixel every few lines.
    Add(0, 200);
    const auto thumb = [&] {
        SCROLLBARINFO sbi{};
        sbi.cbSize = sizeof sbi;
        GetScrollBarInfo(bar, OBJID_CLIENT, &sbi);
        return std::pair{sbi.xyThumbTop, sbi.xyThumbBottom};
    };
    int moved = 0, still = 0;
    for (std::size_t i = 200; i < 240; ++i) {
        UpdateWindow(bar);
        const auto before = thumb();
        session.Append(vek::ShapeInput(Input(i)));
        display.EndPass({});
        display.ShowWaiting();
        ASSERT_EQ(display.Held().end(), i + 1);
        const bool moves = thumb() != before;
        (moves ? moved : still)++;
        EXPECT_EQ(GetUpdateRect(bar, nullptr, FALSE) != FALSE, moves) << "line " << i;
    }
    EXPECT_GT(moved, 0);
    EXPECT_GT(still, 0);
}

}  // namespace
