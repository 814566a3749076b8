// ctest-lock: registry clipboard gamewindow
// The message-type button, the page-target box and the sending of messages,
// on the real window, against a game window that records what it is typed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "app/mdlChat.h"
#include "game_formats.h"
#include "core/message.h"
#include "core/shell_rules.h"
#include "support/gamewindow.h"
#include "support/winapp.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vektest;
using vek::win::ToAnsi;

namespace {

struct TwipsRect {
    int left, top, width, height;
};

TwipsRect ChildRectTwips(frmChat& f, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, f.hWnd(), reinterpret_cast<POINT*>(&r), 2);
    const int d = f.Dpi();
    return {vek::PixelsToTwips(r.left, d), vek::PixelsToTwips(r.top, d), vek::PixelsToTwips(r.right - r.left, d),
            vek::PixelsToTwips(r.bottom - r.top, d)};
}

int ClientWidthTwips(frmChat& f) {
    RECT rc{};
    ::GetClientRect(f.hWnd(), &rc);
    return vek::PixelsToTwips(rc.right, f.Dpi());
}

std::string Tooltip(frmChat& f) {
    wchar_t buf[80] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = f.hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(f.cmdMessageType);
    ti.lpszText = buf;
    ::SendMessageW(f.tipMessageType, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    return ToAnsi(buf);
}

std::string PageToText(frmChat& f) {
    wchar_t buf[256] = {};
    ::GetWindowTextW(f.txtPageTo, buf, 256);
    return ToAnsi(buf);
}

DWORD PageToCaret(frmChat& f) {
    DWORD start = 0, end = 0;
    ::SendMessageW(f.txtPageTo, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return end;
}

// The button clicked as the window reports it.
void Click(frmChat& f) {
    ::SendMessageW(f.hWnd(), WM_COMMAND, MAKEWPARAM(IDC_MESSAGETYPE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(f.cmdMessageType));
}

void SetClipboardText(HWND owner, const std::string& text) {
    vek::win::OpenClipboardScope clip(owner);
    ASSERT_TRUE(clip.ok());
    ::EmptyClipboard();
    std::wstring w = vek::win::ToWide(text);
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t));
    ASSERT_NE(mem, nullptr);
    memcpy(::GlobalLock(mem), w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(mem);
    if (!::SetClipboardData(CF_UNICODETEXT, mem)) ::GlobalFree(mem);  // else the clipboard owns it
}

// Characters typed into a box: WM_CHAR only, as the keyboard's translation
// would deliver them (posting the key-downs too would type each one twice).
void PostChars(frmChat& f, HWND target, const std::string& text) {
    for (char c : text) {
        wchar_t wc = 0;
        ::MultiByteToWideChar(CP_ACP, 0, &c, 1, &wc, 1);
        ::PostMessageW(target, WM_CHAR, wc, 1);
        PumpPending(&f);
    }
}

// Puts text into the composer in the colour it would be typed in.
void Compose(frmChat& f, const std::string& text) {
    vek::win::SetSel(f.rtfMessage, -1, -1);
    vek::win::SetSelColor(f.rtfMessage, frmChat::NormalColor);
    vek::win::ReplaceSel(f.rtfMessage, text);
}

class SenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        form = MakeForm();
        ASSERT_TRUE(form);
        form->StartLog();  // the button, the boxes and the composer work only while following
        PumpPending(form.get());
    }
    void TearDown() override {
        form.reset();
        ClearSettings();
    }
    std::unique_ptr<frmChat> form;
};

TEST_F(SenderTest, FourClicksGoChatPageNormalChatWithPictureTooltipPageBoxAndComposerEdge) {
    frmChat& f = *form;
    const struct { int type; const char* tip; bool pageTo; int left; } steps[] = {
        {1, "Chat Mode", false, 360},
        {2, "Page Mode", true, 1800},
        {0, "Normal Mode", false, 360},
        {1, "Chat Mode", false, 360},
    };
    EXPECT_EQ(Tooltip(f), "Normal Mode");
    for (const auto& s : steps) {
        ::ValidateRect(f.cmdMessageType, nullptr);
        Click(f);
        EXPECT_EQ(f.MessageType, s.type);
        EXPECT_EQ(f.ButtonPicture, s.type);
        // The owner-drawn button is due for a repaint with its new picture.
        RECT dirty{};
        EXPECT_TRUE(::GetUpdateRect(f.cmdMessageType, &dirty, FALSE)) << s.type;
        EXPECT_EQ(Tooltip(f), s.tip);
        EXPECT_EQ(::IsWindowVisible(f.txtPageTo) != FALSE, s.pageTo) << s.type;
        EXPECT_EQ(f.MessageLeft, s.left);
        const TwipsRect r = ChildRectTwips(f, f.rtfMessage);
        EXPECT_NEAR(r.left, s.left, 15) << s.type;
        // Layout rule 2: the composer reaches the window's right edge.
        EXPECT_NEAR(r.width, ClientWidthTwips(f) + 15 - s.left, 15) << s.type;
        PumpPending(&f);
    }
}

TEST_F(SenderTest, ComposerEdgeSurvivesLaterResizes) {
    frmChat& f = *form;
    Click(f);
    Click(f);  // Page
    RECT wr{};
    ::GetWindowRect(f.hWnd(), &wr);
    ::SetWindowPos(f.hWnd(), nullptr, 0, 0, wr.right - wr.left + 200, wr.bottom - wr.top + 50,
                   SWP_NOMOVE | SWP_NOZORDER);
    PumpPending(&f);
    const TwipsRect r = ChildRectTwips(f, f.rtfMessage);
    EXPECT_NEAR(r.left, 1800, 15);
    EXPECT_NEAR(r.width, ClientWidthTwips(f) + 15 - 1800, 15);
}

TEST_F(SenderTest, OnlyTheFirstFocusOnTheButtonIsPassedOn) {
    frmChat& f = *form;
    ::SetFocus(f.cmdMessageType);
    EXPECT_EQ(::GetFocus(), f.rtfMessage);
    EXPECT_TRUE(f.FocusRedirected);
    ::SetFocus(f.cmdMessageType);
    EXPECT_EQ(::GetFocus(), f.cmdMessageType);

    // Activated from the keyboard, the type changes and the focus stays.
    PressKey(f, f.cmdMessageType, VK_SPACE);
    EXPECT_EQ(f.MessageType, 1);
    EXPECT_EQ(::GetFocus(), f.cmdMessageType);
}

TEST_F(SenderTest, FirstFocusGoesToThePageBoxInPageType) {
    frmChat& f = *form;
    Click(f);
    Click(f);
    ::SetFocus(f.cmdMessageType);
    EXPECT_EQ(::GetFocus(), f.txtPageTo);
}

TEST_F(SenderTest, MouseReleaseSendsTheFocusByTheTypeThenInForce) {
    frmChat& f = *form;
    f.FocusRedirected = true;  // later arrivals of the focus stay on the button
    // A real click (press and release): Normal -> Chat, focus to the composer.
    ::SendMessageW(f.cmdMessageType, BM_CLICK, 0, 0);
    PumpPending(&f);
    EXPECT_EQ(f.MessageType, 1);
    EXPECT_EQ(::GetFocus(), f.rtfMessage);
    // Chat -> Page: the release sees Page and puts the focus in the page box.
    ::SendMessageW(f.cmdMessageType, BM_CLICK, 0, 0);
    PumpPending(&f);
    EXPECT_EQ(f.MessageType, 2);
    EXPECT_EQ(::GetFocus(), f.txtPageTo);
    // Any mouse button: a right-button release changes no type but moves the focus.
    ::SetFocus(f.cmdMessageType);
    ::SendMessageW(f.cmdMessageType, WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(f.MessageType, 2);
    EXPECT_EQ(::GetFocus(), f.txtPageTo);
}

TEST_F(SenderTest, PageBoxNeverHoldsQuoteOrBraceTypedOrPasted) {
    frmChat& f = *form;
    Click(f);
    Click(f);
    ::SetFocus(f.txtPageTo);
    PostChars(f, f.txtPageTo, "B\"o{b}");
    EXPECT_EQ(PageToText(f), "Bob");

    // Pasted in the middle: the refused characters drop out and the caret
    // stays after what was pasted.
    ::SendMessageW(f.txtPageTo, EM_SETSEL, 1, 1);
    SetClipboardText(f.hWnd(), "\"x{y}z\"");
    ::SendMessageW(f.txtPageTo, WM_PASTE, 0, 0);
    PumpPending(&f);
    EXPECT_EQ(PageToText(f), "Bxyzob");
    EXPECT_EQ(PageToCaret(f), 4u);

    // Any other way text gets in (Edit > Paste replaces the selection).
    ::SendMessageW(f.txtPageTo, EM_SETSEL, 0, -1);
    ::SendMessageW(f.txtPageTo, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"{\"Al\"}"));
    PumpPending(&f);
    EXPECT_EQ(PageToText(f), "Al");
    ::SetWindowTextW(f.txtPageTo, L"\"Q\"");
    EXPECT_EQ(PageToText(f), "Q");
    // Undo of the filtered paste cannot bring the characters back either.
    ::SendMessageW(f.txtPageTo, EM_UNDO, 0, 0);
    EXPECT_EQ(PageToText(f).find_first_of("\"{}"), std::string::npos);

    // Everything else is kept as typed, spaces included.
    ::SetWindowTextW(f.txtPageTo, L"");
    PostChars(f, f.txtPageTo, " Al 'x'[1] ");
    EXPECT_EQ(PageToText(f), " Al 'x'[1] ");
}

// ------------------------------------------------------------- sending

TEST_F(SenderTest, EnterSendsEachTypeWithItsPrefixAndEmptiesTheComposer) {
    frmChat& f = *form;
    GameWindow game;
    ASSERT_TRUE(game.hWnd());
    ::SetWindowTextW(f.txtPageTo, L"Bob");
    const struct { int clicks; const char* sent; } cases[] = {
        {0, "hi\r"},
        {1, ";hi\r"},
        {1, "/\"Bob\" hi\r"},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < c.clicks; ++i) Click(f);
        game.Clear();
        Compose(f, "hi");
        f.SendComposedMessage();
        EXPECT_EQ(game.Received(), c.sent) << f.MessageType;
        EXPECT_EQ(f.LastMessage, "hi");  // the markup alone
        EXPECT_EQ(ReadText(f.rtfMessage), "");
        EXPECT_EQ(vek::win::GetSelColor(f.rtfMessage), frmChat::NormalColor);
        // The redraw freeze is lifted again.
        EXPECT_TRUE(::IsWindowVisible(f.rtfMessage));
    }
}

TEST_F(SenderTest, EmptyComposerSendsThePrefixAndCarriageReturnOnly) {
    frmChat& f = *form;
    GameWindow game;
    const char* sent[] = {"\r", ";\r", "/\"\" \r"};
    for (int type = 0; type < 3; ++type) {
        game.Clear();
        f.LastMessage = "earlier";
        f.SendComposedMessage();
        EXPECT_EQ(game.Received(), sent[type]) << type;
        EXPECT_EQ(f.LastMessage, "");
        Click(f);
    }
}

TEST_F(SenderTest, EnterKeyInTheComposerRunsTheSendingSequence) {
    frmChat& f = *form;
    GameWindow game;
    ::SetFocus(f.rtfMessage);
    Compose(f, "yo");
    // The key goes through the queue and its translation, as a real Enter
    // does. The RichEdit would break the line on the key-down already, so
    // the message must not carry a line break of its own.
    ::PostMessageW(f.rtfMessage, WM_KEYDOWN, VK_RETURN, 1);
    ::PostMessageW(f.rtfMessage, WM_KEYUP, VK_RETURN, 0xC0000001);
    PumpPending(&f);
    EXPECT_EQ(game.Received(), "yo\r");
    EXPECT_EQ(ReadText(f.rtfMessage), "");  // no line break left behind
}

TEST_F(SenderTest, BytesAbove127ArriveAsSingleBytes) {
    frmChat& f = *form;
    GameWindow game;
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(mdlChat::SendToGame(all), all.size());
    EXPECT_EQ(game.Received(), all);
    EXPECT_FALSE(game.AnyWideParam());

    game.Clear();
    Compose(f, "caf\xe9 \xff");
    f.SendComposedMessage();
    EXPECT_EQ(game.Received(), "caf\xe9 \xff\r");
}

TEST_F(SenderTest, NoGameWindowSendsNothingButClearsAndKeepsTheMessageForRecall) {
    frmChat& f = *form;
    ASSERT_EQ(::FindWindowA("AppClass", "Ember Heraldry"), nullptr);
    Compose(f, "lost?");
    f.SendComposedMessage();
    EXPECT_EQ(ReadText(f.rtfMessage), "");
    EXPECT_EQ(f.LastMessage, "lost?");
    EXPECT_EQ(mdlChat::SendToGame("x\r"), 0u);
}

TEST_F(SenderTest, HungGameStopsTheMessageWithinTheBoundAndTheProgramKeepsAnswering) {
    frmChat& f = *form;
    GameWindow game;
    game.Arm(2, GameWindow::OnChar::Hang);  // takes "ab", then hangs on "c"

    // While the send waits, another thread asks the window something and
    // must get its answer at once, not after the game.
    std::atomic<bool> answered{false};
    std::atomic<int> answerMs{-1};
    std::thread asker([&] {
        ::Sleep(300);
        const ULONGLONG t0 = ::GetTickCount64();
        DWORD_PTR len = 0;
        answered = ::SendMessageTimeoutW(f.hWnd(), WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 1000, &len) != 0;
        answerMs = static_cast<int>(::GetTickCount64() - t0);
    });

    Compose(f, "abcdef");
    const ULONGLONG t0 = ::GetTickCount64();
    f.SendComposedMessage();
    const ULONGLONG took = ::GetTickCount64() - t0;
    asker.join();

    EXPECT_LT(took, 10000u) << "the send must give up on a hung game";
    EXPECT_TRUE(answered.load()) << "no answer within a second, after " << answerMs.load() << " ms";
    EXPECT_EQ(game.Received(), "abc");
    EXPECT_EQ(f.LastMessage, "abcdef");  // F9 can bring it back
    EXPECT_EQ(ReadText(f.rtfMessage), "");

    // Once the game recovers, the rest of the broken message never follows.
    game.Release();
    Pump(f, 200);
    EXPECT_EQ(game.Received(), "abc");
}

TEST_F(SenderTest, GameWindowVanishingMidMessageEndsIt) {
    GameWindow game;
    game.Arm(3, GameWindow::OnChar::Vanish);  // destroys itself while taking "d"
    EXPECT_EQ(mdlChat::SendChars(game.hWnd(), "abcdef\r"), 4u);
    EXPECT_EQ(game.Received(), "abcd");
}

// ------------------------------------------------ with the imitation game

std::string ReadFileBytes(const std::string& path) {
    vek::win::UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string out;
    if (!f) return out;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return out;
}

// fakegame.exe, running until the end of the scope.
class ImitationGame {
public:
    explicit ImitationGame(const std::string& args) {
        std::string cmd = BuiltProgram("fakegame.exe");
        cmd.insert(0, 1, '"');
        cmd += "\" " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        process_.reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
        for (int i = 0; i < 1000 && !window_; ++i) {
            window_ = ::FindWindowA("AppClass", "Ember Heraldry");
            if (!window_) ::Sleep(10);
        }
    }
    ~ImitationGame() {
        if (!process_) return;
        ::TerminateProcess(process_.get(), 9);
        ::WaitForSingleObject(process_.get(), 10000);
    }
    ImitationGame(const ImitationGame&) = delete;
    ImitationGame& operator=(const ImitationGame&) = delete;
    HWND window() const { return window_; }

private:
    vek::win::UniqueHandle process_;
    HWND window_ = nullptr;
};

TEST(SenderEndToEnd, EachTypeReachesTheGameAndItsEchoComesBackInTheComposedColours) {
    ClearSettings();
    TempDir dir;
    const std::string log = dir.file("chat.txt"), received = dir.file("received.bin");
    WriteBytes(log, "");
    ImitationGame game("--log \"" + log + "\" --received \"" + received + "\"");
    ASSERT_TRUE(game.window());
    PutSetting("Run Before", "True");
    PutSetting("Log", log);
    auto f = MakeForm();
    ASSERT_TRUE(f);
    f->StartLog();
    ::SetWindowTextW(f->txtPageTo, L"Bob");

    // Typed with the colour keys: "say " plain, "hi" quoted, "x" braced.
    const std::string markup = "say \"hi\" {x}";
    std::string expectReceived;
    for (int type = 0; type < 3; ++type) {
        ::SetFocus(f->rtfMessage);
        PostChars(*f, f->rtfMessage, markup);
        ASSERT_EQ(ReadText(f->rtfMessage), "say hi x");
        f->SendComposedMessage();
        EXPECT_EQ(f->LastMessage, markup);
        const std::string typed = vek::OutgoingText(type, "Bob", markup);
        expectReceived += typed;
        EXPECT_EQ(ReadFileBytes(received), expectReceived) << type;

        // The game's echo comes back through the log into the display.
        const std::vector<std::string> echo = fakegame::EchoBodies(typed.substr(0, typed.size() - 1));
        ASSERT_FALSE(echo.empty());
        size_t at = std::string::npos;
        ASSERT_TRUE(PumpUntil(*f, [&] {
            const std::string shown = ReadText(f->rtfChatText);
            int seen = 0;
            for (size_t p = shown.find("say hi x"); p != std::string::npos; p = shown.find("say hi x", p + 1)) {
                at = p;
                ++seen;
            }
            return seen == type + 1;
        })) << type;
        const std::vector<ColoredChar> shown = ReadColored(f->rtfChatText);
        ASSERT_LT(at + 7, shown.size());
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_NE(shown[at + i].color, frmChat::QuoteColor) << type;  // "say"
            EXPECT_NE(shown[at + i].color, frmChat::BraceColor) << type;
        }
        EXPECT_EQ(shown[at + 4].color, frmChat::QuoteColor) << type;  // "hi"
        EXPECT_EQ(shown[at + 5].color, frmChat::QuoteColor) << type;
        EXPECT_EQ(shown[at + 7].color, frmChat::BraceColor) << type;  // "x"

        ::SendMessageW(f->hWnd(), WM_COMMAND, MAKEWPARAM(IDC_MESSAGETYPE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(f->cmdMessageType));
    }
    f.reset();
    ClearSettings();
}

TEST(SenderEndToEnd, HungImitationGameEndsTheMessageWithinTheBound) {
    ClearSettings();
    TempDir dir;
    const std::string log = dir.file("chat.txt"), received = dir.file("received.bin");
    ImitationGame game("--log \"" + log + "\" --received \"" + received + "\" --hang-after 3");
    ASSERT_TRUE(game.window());
    const ULONGLONG t0 = ::GetTickCount64();
    const size_t taken = mdlChat::SendToGame("abcdefgh\r");
    EXPECT_LT(::GetTickCount64() - t0, 10000u);
    EXPECT_EQ(taken, 3u);  // the fourth character hung the game
    // A later message is not held up either: the game counts as hung now.
    const ULONGLONG t1 = ::GetTickCount64();
    EXPECT_EQ(mdlChat::SendToGame("next\r"), 0u);
    EXPECT_LT(::GetTickCount64() - t1, 10000u);
    EXPECT_EQ(ReadFileBytes(received), "abcd");
}

}  // namespace
