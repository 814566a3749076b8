// ctest-lock: registry clipboard gamewindow
// The message-type button, the page-target box and the sending of messages,
// on the real window, against a game window that records what it is typed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <thread>


#include "game_formats.h"
#include "core/message.h"
#include "core/shell_rules.h"
#include "resource.h"
#include "support/gamewindow.h"
#include "support/winapp.h"
#include "win/clipboard.h"
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
    const int d = Dpi(f);
    return {vek::PixelsToTwips(r.left, d), vek::PixelsToTwips(r.top, d), vek::PixelsToTwips(r.right - r.left, d),
            vek::PixelsToTwips(r.bottom - r.top, d)};
}

int ClientWidthTwips(frmChat& f) {
    RECT rc{};
    ::GetClientRect(f.hWnd(), &rc);
    return vek::PixelsToTwips(rc.right, Dpi(f));
}

// The type the button shows, told by its tooltip: 0 Normal, 1 Chat, 2 Page.
int TypeShown(const frmChat& f) {
    const std::string tip = TypeTooltipText(f);
    for (int t = 0; t < vek::kMessageKinds; ++t)
        if (tip == vek::MessageTypeTooltip(t)) return t;
    return -1;
}

// The pixels of an icon, as 32-bit colour.
std::vector<DWORD> IconPixels(HICON icon) {
    ICONINFO ii{};
    if (!icon || !::GetIconInfo(icon, &ii)) return {};
    vek::win::UniqueGdi color(ii.hbmColor), mask(ii.hbmMask);
    BITMAP bm{};
    ::GetObjectW(ii.hbmColor, sizeof bm, &bm);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> px(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
    vek::win::WindowDC dc(nullptr);
    ::GetDIBits(dc.get(), ii.hbmColor, 0, static_cast<UINT>(bm.bmHeight), px.data(), &bi, DIB_RGB_COLORS);
    return px;
}

// The type whose picture the button holds: its icon compared pixel for
// pixel with the program's three pictures; -1 when it is none of them.
int PictureShown(const frmChat& f) {
    const HICON shown = reinterpret_cast<HICON>(::SendMessageW(TypeButton(f), BM_GETIMAGE, IMAGE_ICON, 0));
    ICONINFO ii{};
    BITMAP bm{};
    if (!shown || !::GetIconInfo(shown, &ii)) return -1;
    ::GetObjectW(ii.hbmColor, sizeof bm, &bm);
    ::DeleteObject(ii.hbmColor);
    ::DeleteObject(ii.hbmMask);
    const std::vector<DWORD> pixels = IconPixels(shown);
    for (int t = 0; t < vek::kMessageKinds; ++t) {
        vek::win::UniqueIcon own(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                                 MAKEINTRESOURCEW(IDI_TYPE0 + t), IMAGE_ICON,
                                                                 bm.bmWidth, bm.bmHeight, 0)));
        if (!pixels.empty() && IconPixels(own.get()) == pixels) return t;
    }
    return -1;
}

// What F9 brings back into the composer (the composer is emptied again).
std::string Recalled(frmChat& f) {
    ::SetWindowTextW(ComposerBox(f), L"");
    PressKey(f, ComposerBox(f), VK_F9);
    const std::string text = ReadText(ComposerBox(f));
    ::SetWindowTextW(ComposerBox(f), L"");
    return text;
}

std::string PageToText(frmChat& f) {
    wchar_t buf[256] = {};
    ::GetWindowTextW(PageBox(f), buf, 256);
    return ToAnsi(buf);
}

DWORD PageToCaret(frmChat& f) {
    DWORD start = 0, end = 0;
    ::SendMessageW(PageBox(f), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return end;
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
    vek::win::SetSel(ComposerBox(f), -1, -1);
    vek::win::SetSelColor(ComposerBox(f), vek::NormalColor);
    vek::win::ReplaceSel(ComposerBox(f), text);
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
    EXPECT_EQ(TypeTooltipText(f), "Normal Mode");
    for (const auto& s : steps) {
        ::ValidateRect(TypeButton(f), nullptr);
        ClickTypeButton(f);
        EXPECT_EQ(TypeShown(f), s.type);
        EXPECT_EQ(PictureShown(f), s.type);
        // The owner-drawn button is due for a repaint with its new picture.
        RECT dirty{};
        EXPECT_TRUE(::GetUpdateRect(TypeButton(f), &dirty, FALSE)) << s.type;
        EXPECT_EQ(TypeTooltipText(f), s.tip);
        EXPECT_EQ(::IsWindowVisible(PageBox(f)) != FALSE, s.pageTo) << s.type;
        const TwipsRect r = ChildRectTwips(f, ComposerBox(f));
        EXPECT_NEAR(r.left, s.left, 15) << s.type;
        // The composer reaches the window's right edge.
        EXPECT_NEAR(r.width, ClientWidthTwips(f) + 15 - s.left, 15) << s.type;
        PumpPending(&f);
    }
}

TEST_F(SenderTest, ComposerEdgeSurvivesLaterResizes) {
    frmChat& f = *form;
    ClickTypeButton(f);
    ClickTypeButton(f);  // Page
    RECT wr{};
    ::GetWindowRect(f.hWnd(), &wr);
    ::SetWindowPos(f.hWnd(), nullptr, 0, 0, wr.right - wr.left + 200, wr.bottom - wr.top + 50,
                   SWP_NOMOVE | SWP_NOZORDER);
    PumpPending(&f);
    const TwipsRect r = ChildRectTwips(f, ComposerBox(f));
    EXPECT_NEAR(r.left, 1800, 15);
    EXPECT_NEAR(r.width, ClientWidthTwips(f) + 15 - 1800, 15);
}

TEST_F(SenderTest, OnlyTheFirstFocusOnTheButtonIsPassedOn) {
    frmChat& f = *form;
    ::SetFocus(TypeButton(f));
    EXPECT_EQ(::GetFocus(), ComposerBox(f));
    ::SetFocus(TypeButton(f));
    EXPECT_EQ(::GetFocus(), TypeButton(f));

    // Activated from the keyboard, the type changes and the focus stays.
    PressKey(f, TypeButton(f), VK_SPACE);
    EXPECT_EQ(TypeShown(f), 1);
    EXPECT_EQ(::GetFocus(), TypeButton(f));
}

TEST_F(SenderTest, FirstFocusGoesToThePageBoxInPageType) {
    frmChat& f = *form;
    ClickTypeButton(f);
    ClickTypeButton(f);
    ::SetFocus(TypeButton(f));
    EXPECT_EQ(::GetFocus(), PageBox(f));
}

TEST_F(SenderTest, MouseReleaseSendsTheFocusByTheTypeThenInForce) {
    frmChat& f = *form;
    ::SetFocus(TypeButton(f));  // the first arrival is passed on; later ones stay on the button
    // A real click (press and release): Normal -> Chat, focus to the composer.
    ::SendMessageW(TypeButton(f), BM_CLICK, 0, 0);
    PumpPending(&f);
    EXPECT_EQ(TypeShown(f), 1);
    EXPECT_EQ(::GetFocus(), ComposerBox(f));
    // Chat -> Page: the release sees Page and puts the focus in the page box.
    ::SendMessageW(TypeButton(f), BM_CLICK, 0, 0);
    PumpPending(&f);
    EXPECT_EQ(TypeShown(f), 2);
    EXPECT_EQ(::GetFocus(), PageBox(f));
    // Any mouse button: a right-button release changes no type but moves the focus.
    ::SetFocus(TypeButton(f));
    ::SendMessageW(TypeButton(f), WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(TypeShown(f), 2);
    EXPECT_EQ(::GetFocus(), PageBox(f));
}

TEST_F(SenderTest, PageBoxNeverHoldsQuoteBraceOrControlCharacterTypedOrPasted) {
    frmChat& f = *form;
    ClickTypeButton(f);
    ClickTypeButton(f);
    ::SetFocus(PageBox(f));
    PostChars(f, PageBox(f), "B\"o{\x7f\x1b" "b}");  // Windows would type Ctrl+Backspace's DEL
    EXPECT_EQ(PageToText(f), "Bob");

    // Pasted in the middle: the refused characters drop out and the caret
    // stays after what was pasted.
    ::SendMessageW(PageBox(f), EM_SETSEL, 1, 1);
    SetClipboardText(f.hWnd(), "\"x{y}\tz\x7f\"");
    ::SendMessageW(PageBox(f), WM_PASTE, 0, 0);
    PumpPending(&f);
    EXPECT_EQ(PageToText(f), "Bxyzob");
    EXPECT_EQ(PageToCaret(f), 4u);

    // Any other way text gets in (Edit > Paste replaces the selection).
    ::SendMessageW(PageBox(f), EM_SETSEL, 0, -1);
    ::SendMessageW(PageBox(f), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"{\"Al\"}"));
    PumpPending(&f);
    EXPECT_EQ(PageToText(f), "Al");
    ::SetWindowTextW(PageBox(f), L"\"Q\"");
    EXPECT_EQ(PageToText(f), "Q");
    // Undo of the filtered paste cannot bring the characters back either.
    ::SendMessageW(PageBox(f), EM_UNDO, 0, 0);
    EXPECT_EQ(PageToText(f).find_first_of("\"{}"), std::string::npos);

    // Everything else is kept as typed, spaces included.
    ::SetWindowTextW(PageBox(f), L"");
    PostChars(f, PageBox(f), " Al 'x'[1] ");
    EXPECT_EQ(PageToText(f), " Al 'x'[1] ");
}

// ------------------------------------------------------------- sending

TEST_F(SenderTest, EnterSendsEachTypeWithItsPrefixAndEmptiesTheComposer) {
    frmChat& f = *form;
    GameWindow game;
    ASSERT_TRUE(game.hWnd());
    ::SetWindowTextW(PageBox(f), L"Bob");
    const struct { int clicks; const char* sent; } cases[] = {
        {0, "hi\r"},
        {1, ";hi\r"},
        {1, "/\"Bob\" hi\r"},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < c.clicks; ++i) ClickTypeButton(f);
        game.Clear();
        Compose(f, "hi");
        SendComposed(f);
        EXPECT_TRUE(PumpUntil(f, [&] { return game.Received() == c.sent; })) << TypeShown(f) << game.Received();
        EXPECT_EQ(Recalled(f), "hi");  // the markup alone
        EXPECT_EQ(ReadText(ComposerBox(f)), "");
        EXPECT_EQ(vek::win::GetSelColor(ComposerBox(f)), vek::NormalColor);
        // The redraw freeze is lifted again.
        EXPECT_TRUE(::IsWindowVisible(ComposerBox(f)));
    }
}

TEST_F(SenderTest, EmptyComposerSendsThePrefixAndCarriageReturnOnly) {
    frmChat& f = *form;
    GameWindow game;
    const char* sent[] = {"\r", ";\r", "/\"\" \r"};
    for (int type = 0; type < 3; ++type) {
        game.Clear();
        Compose(f, "earlier");
        SendComposed(f);
        ASSERT_TRUE(PumpUntil(f, [&] { return game.HasReceived('\r'); }));
        game.Clear();
        SendComposed(f);
        EXPECT_TRUE(PumpUntil(f, [&] { return game.Received() == sent[type]; })) << type << game.Received();
        EXPECT_EQ(Recalled(f), "");  // the empty message is the last one now
        ClickTypeButton(f);
    }
}

TEST_F(SenderTest, EnterKeyInTheComposerRunsTheSendingSequence) {
    frmChat& f = *form;
    GameWindow game;
    ::SetFocus(ComposerBox(f));
    Compose(f, "yo");
    // The key goes through the queue and its translation, as a real Enter
    // does. The RichEdit would break the line on the key-down already, so
    // the message must not carry a line break of its own.
    ::PostMessageW(ComposerBox(f), WM_KEYDOWN, VK_RETURN, 1);
    ::PostMessageW(ComposerBox(f), WM_KEYUP, VK_RETURN, 0xC0000001);
    EXPECT_TRUE(PumpUntil(f, [&] { return game.Received() == "yo\r"; })) << game.Received();
    EXPECT_EQ(ReadText(ComposerBox(f)), "");  // no line break left behind
}

TEST_F(SenderTest, BytesAbove127ArriveAsSingleBytes) {
    frmChat& f = *form;
    GameWindow game;
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    TyperEvents events;
    vek::GameTyper typer;
    ASSERT_TRUE(typer.Attach(events));
    typer.Type(all);
    EXPECT_TRUE(PumpUntil(f, [&] { return game.Received() == all; }));
    EXPECT_FALSE(game.AnyWideParam());

    game.Clear();
    Compose(f, "caf\xe9 \xff");
    SendComposed(f);
    EXPECT_TRUE(PumpUntil(f, [&] { return game.Received() == "caf\xe9 \xff\r"; }));
    EXPECT_TRUE(events.told.empty());
}

// Nothing goes out, the composer is emptied all the same and F9 brings the
// message back; the display says so.
TEST_F(SenderTest, NoGameWindowSendsNothingButClearsKeepsTheMessageForRecallAndSaysSo) {
    frmChat& f = *form;
    ASSERT_EQ(::FindWindowA("AppClass", "Ember Heraldry"), nullptr);
    Compose(f, "lost?");
    SendComposed(f);
    EXPECT_EQ(ReadText(ComposerBox(f)), "");
    EXPECT_EQ(Recalled(f), "lost?");
    EXPECT_NE(ReadText(Display(f)).find("not delivered (the game is not running): lost?  F9 brings it back."),
              std::string::npos)
        << ReadText(Display(f));
}

// A game that stops answering in the middle of a message: the window goes
// on answering; the message waits, and the player is told; a message sent
// meanwhile waits behind it. Once the game answers again, typing goes on
// after the character that was waiting (it is not typed twice), and the
// player is told that too. Nothing is left half-typed in the game.
TEST_F(SenderTest, AMessageWaitsForAHungGameAndGoesOnWhenItAnswers) {
    frmChat& f = *form;
    GameWindow game;
    game.Arm(2, GameWindow::OnChar::Hang);  // takes "ab", then hangs on "c"
    Compose(f, "abcdef");
    const ULONGLONG t0 = ::GetTickCount64();
    SendComposed(f);
    EXPECT_LT(::GetTickCount64() - t0, 500u) << "sending never waits for the game";
    ::SetWindowTextW(PageBox(f), L"Bob");
    ClickTypeButton(f);
    ClickTypeButton(f);  // Page
    Compose(f, "secret");
    SendComposed(f);  // behind the first
    ASSERT_TRUE(PumpUntil(f, [&] { return ReadText(Display(f)).find("waits for it: abcdef") != std::string::npos; }, 5000))
        << ReadText(Display(f));
    DWORD_PTR len = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(f.hWnd(), WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 1000, &len));
    EXPECT_EQ(game.Received(), "abc");

    game.Release();
    EXPECT_TRUE(PumpUntil(f, [&] { return game.Received() == "abcdef\r/\"Bob\" secret\r"; })) << game.Received();
    EXPECT_NE(ReadText(Display(f)).find("the game answers again"), std::string::npos);
}

// The game's window going while a message is typed: what remains of it is
// not delivered, and the player is told; the next message finds no game.
TEST_F(SenderTest, TheGameWindowGoingEndsTheMessageAndTheNextFindsNoGame) {
    frmChat& f = *form;
    TyperEvents events;
    vek::GameTyper typer;
    ASSERT_TRUE(typer.Attach(events));
    {
        GameWindow game;
        game.Arm(3, GameWindow::OnChar::Vanish);  // destroys itself while taking "d"
        typer.Type("abcdef\r");
        typer.Type("next\r");
        ASSERT_TRUE(PumpUntil(f, [&] { return events.told.size() >= 2; })) << events.told.size();
        EXPECT_EQ(game.Received(), "abcd");
    }
    EXPECT_EQ(events.told, (std::vector<std::string>{"not delivered (gone): abcdef\r",
                                                     "not delivered (no game, last): next\r"}));
    EXPECT_TRUE(typer.Idle());
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
    ::SetWindowTextW(PageBox(*f), L"Bob");

    // Typed with the colour keys: "say " plain, "hi" quoted, "x" braced.
    const std::string markup = "say \"hi\" {x}";
    std::string expectReceived;
    for (int type = 0; type < 3; ++type) {
        ::SetFocus(ComposerBox(*f));
        PostChars(*f, ComposerBox(*f), markup);
        ASSERT_EQ(ReadText(ComposerBox(*f)), "say hi x");
        SendComposed(*f);
        EXPECT_EQ(Recalled(*f), markup);
        const std::string typed = vek::OutgoingText(type, "Bob", markup);
        expectReceived += typed;
        EXPECT_TRUE(PumpUntil(*f, [&] { return ReadFileBytes(received) == expectReceived; })) << type;

        // The game's echo comes back through the log into the display.
        const std::vector<std::string> echo = fakegame::EchoBodies(typed.substr(0, typed.size() - 1));
        ASSERT_FALSE(echo.empty());
        size_t at = std::string::npos;
        ASSERT_TRUE(PumpUntil(*f, [&] {
            const std::string shown = ReadText(Display(*f));
            int seen = 0;
            for (size_t p = shown.find("say hi x"); p != std::string::npos; p = shown.find("say hi x", p + 1)) {
                at = p;
                ++seen;
            }
            return seen == type + 1;
        })) << type;
        const std::vector<ColoredChar> shown = ReadColored(Display(*f));
        ASSERT_LT(at + 7, shown.size());
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_NE(shown[at + i].color, vek::QuoteColor) << type;  // "say"
            EXPECT_NE(shown[at + i].color, vek::BraceColor) << type;
        }
        EXPECT_EQ(shown[at + 4].color, vek::QuoteColor) << type;  // "hi"
        EXPECT_EQ(shown[at + 5].color, vek::QuoteColor) << type;
        EXPECT_EQ(shown[at + 7].color, vek::BraceColor) << type;  // "x"

        ::SendMessageW(f->hWnd(), WM_COMMAND, MAKEWPARAM(IDC_MESSAGETYPE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(TypeButton(*f)));
    }
    f.reset();
    ClearSettings();
}

// The real imitation game stops answering for good, then is killed: the
// message waits, then is not delivered, and the window answered throughout.
TEST(SenderEndToEnd, AHungImitationGameKeepsTheMessageWaitingUntilItsWindowGoes) {
    ClearSettings();
    TempDir dir;
    const std::string log = dir.file("chat.txt"), received = dir.file("received.bin");
    auto game = std::make_unique<ImitationGame>("--log \"" + log + "\" --received \"" + received + "\" --hang-after 3");
    ASSERT_TRUE(game->window());
    TyperEvents events;
    vek::GameTyper typer;
    ASSERT_TRUE(typer.Attach(events));
    typer.Type("abcdefgh\r");
    ASSERT_TRUE(PumpUntil([&] { return !events.told.empty(); }, 5000));
    EXPECT_EQ(events.told.front(), "waits: abcdefgh\r");
    EXPECT_EQ(ReadFileBytes(received), "abcd");  // the fourth character hung the game
    game.reset();  // killed
    EXPECT_TRUE(PumpUntil([&] { return events.told.size() == 2; }, 5000));
    EXPECT_EQ(events.told.back(), "not delivered (gone, last): abcdefgh\r");
    EXPECT_TRUE(typer.Idle());
}

// A command that ends the game: its window closes while it handles the
// carriage return, so the answer comes for a window that is gone. The game
// had all of the message: nothing is reported lost; the next message finds
// no game.
TEST(SenderEndToEnd, AMessageThatEndsTheGameCountsAsDelivered) {
    TempDir dir;
    const std::string log = dir.file("chat.txt"), received = dir.file("received.bin");
    ImitationGame game("--log \"" + log + "\" --received \"" + received + "\" --quit-on /quit");
    ASSERT_TRUE(game.window());
    ASSERT_TRUE(::SendMessageTimeoutW(game.window(), WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr));  // running
    TyperEvents events;
    vek::GameTyper typer;
    ASSERT_TRUE(typer.Attach(events));
    typer.Type("/quit\r");
    ASSERT_TRUE(PumpUntil([&] { return typer.Idle(); }, 5000));
    EXPECT_FALSE(::IsWindow(game.window()));
    EXPECT_EQ(ReadFileBytes(received), "/quit\r");
    PumpUntil(nullptr, 300);  // anything still to come about it
    typer.Type("next\r");
    ASSERT_FALSE(events.told.empty());
    EXPECT_EQ(events.told.back(), "not delivered (no game, last): next\r");
    events.told.pop_back();
    for (const std::string& told : events.told) EXPECT_EQ(told.find("not delivered"), std::string::npos) << told;
}

// ------------------------------------------------ closing while a message waits

// The question VekChat asks on closing, answered from a thread of the test
// while the window's thread runs it.
struct CloseQuestion {
    std::wstring texts;          // of the dialog and its controls, one per line
    bool waitIsDefault = false;  // Enter would choose "Wait"
    bool pressed = false;
};

// The dialog owned by `owner`, once it shows (nullptr after timeoutMs).
HWND OwnedDialog(HWND owner, int timeoutMs) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    for (int waited = 0; !search.found && waited < timeoutMs; waited += 20) {
        ::EnumThreadWindows(
            ::GetWindowThreadProcessId(owner, nullptr),
            [](HWND w, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                if (::GetWindow(w, GW_OWNER) == s->owner && ::IsWindowVisible(w)) s->found = w;
                return s->found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.found) ::Sleep(20);
    }
    return search.found;
}

// Reads the question and presses the button labelled `press`.
void AnswerQuestion(HWND owner, const std::wstring& press, CloseQuestion& seen) {
    const HWND dialog = OwnedDialog(owner, 10000);
    if (!dialog) return;
    std::vector<HWND> children;
    ::EnumChildWindows(
        dialog,
        [](HWND w, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    seen.texts = vek::win::WindowTextWide(dialog);
    const LRESULT defId = ::SendMessageW(dialog, DM_GETDEFID, 0, 0);
    HWND button = nullptr;
    for (HWND child : children) {
        const std::wstring text = vek::win::WindowTextWide(child);
        seen.texts += L"\n" + text;
        if (text == L"Wait" && HIWORD(defId) == DC_HASDEFID &&
            LOWORD(defId) == static_cast<WORD>(::GetDlgCtrlID(child)))
            seen.waitIsDefault = true;
        if (text == press) button = child;
    }
    if (button) seen.pressed = ::PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

// The player closes the window while the game hangs over a message: asked,
// "Wait" keeps the window with nothing lost, and closing asks again; "Close
// anyway" ends it, the text not yet typed left on the clipboard.
TEST_F(SenderTest, ClosingWhileAMessageWaitsAsksAndCloseAnywayLeavesTheRestOnTheClipboard) {
    frmChat& f = *form;
    TempDir dir;
    const std::string log = dir.file("chat.txt"), received = dir.file("received.bin");
    ImitationGame game("--log \"" + log + "\" --received \"" + received + "\" --hang-after 3");
    ASSERT_TRUE(game.window());
    SetClipboardText(f.hWnd(), "before");
    Compose(f, "abcdef");
    SendComposed(f);
    Compose(f, "more");
    SendComposed(f);
    ASSERT_TRUE(PumpUntil(f, [&] { return ReadFileBytes(received) == "abcd"; }));  // "d" is out, unanswered

    const std::wstring answers[] = {L"Wait", L"Wait", L"Close anyway"};
    for (const std::wstring& press : answers) {
        SCOPED_TRACE(vek::win::ToAnsi(press));
        CloseQuestion seen;
        std::thread player([&, owner = f.hWnd()] { AnswerQuestion(owner, press, seen); });
        const HWND window = f.hWnd();
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        PumpPending(&f);
        player.join();
        ASSERT_TRUE(seen.pressed) << vek::win::ToAnsi(seen.texts);
        EXPECT_NE(seen.texts.find(L"abcdef"), std::wstring::npos) << vek::win::ToAnsi(seen.texts);
        EXPECT_NE(seen.texts.find(L"1 more message"), std::wstring::npos) << vek::win::ToAnsi(seen.texts);
        EXPECT_NE(seen.texts.find(L"clipboard"), std::wstring::npos) << vek::win::ToAnsi(seen.texts);
        EXPECT_TRUE(seen.waitIsDefault);
        PumpUntil(f, [&] { return !::IsWindow(window); }, 300);
        if (press == L"Wait") {
            EXPECT_TRUE(::IsWindow(window));
            EXPECT_EQ(vek::win::ClipboardText(window), L"before");
        } else {
            EXPECT_FALSE(::IsWindow(window));
            EXPECT_EQ(vek::win::ClipboardText(nullptr), L"ef\r\nmore");
        }
    }
    EXPECT_EQ(ReadFileBytes(received), "abcd");
}

}  // namespace
