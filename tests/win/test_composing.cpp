// ctest-lock: registry gamewindow
// Composing faster, on the real window following the imitation game's log and
// typing into it: the history of messages sent, the reply keys, and the names
// offered in the page box.
#include <gtest/gtest.h>
#include <richedit.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "game_formats.h"
#include "support/process.h"
#include "support/typing.h"
#include "support/winapp.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vektest;

namespace {

class ComposingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(game_.WaitWindow(L"AppClass", 20000));
        f = MakeFollowingForm(log_);
        ASSERT_TRUE(f);
        ::SetFocus(Composer());
    }
    void TearDown() override {
        f.reset();
        ClearSettings();
    }

    HWND Composer() const { return ComposerBox(*f); }
    std::string Received() const { return ReadFileShared(received_); }
    std::string PageText() const { return vek::win::ToAnsi(vek::win::WindowTextWide(PageBox(*f))); }

    // Lines of other players, written into the game's log; back once shown.
    void GameWrites(std::initializer_list<std::string> bodies) {
        std::string bytes;
        for (const std::string& b : bodies) bytes += fakegame::LogLine({}, b);
        const int want = vek::win::CharCount(Display(*f)) + ShownCharCount(bytes);
        AppendBytes(log_, bytes);
        ASSERT_TRUE(PumpUntil(*f, [&] { return vek::win::CharCount(Display(*f)) >= want; }));
    }
    void Ctrl(int vk, bool shift = false) { PressKey(*f, ::GetFocus(), vk, shift, true); }

    // The composer's text, each character's colour (Normal, Quote, Brace),
    // the type shown and the page target.
    std::string State() const {
        std::string text, colors;
        const LRESULT mask = ::SendMessageW(Composer(), EM_SETEVENTMASK, 0, 0);  // no clean-up while reading
        for (const ColoredChar& c : ReadColored(Composer())) {
            text += c.ch;
            colors += c.color == vek::QuoteColor ? 'Q' : c.color == vek::BraceColor ? 'B' : 'N';
        }
        ::SendMessageW(Composer(), EM_SETEVENTMASK, 0, mask);
        return text + "|" + colors + "|" + TypeTooltipText(*f) + "|" + PageText();
    }

    std::unique_ptr<frmChat> f;

private:
    TempDir dir_;
    std::string log_ = dir_.file("chat.txt"), received_ = dir_.file("received.bin");
    ChildProcess game_{Quoted(BuiltProgram("fakegame.exe")) + " --log " + Quoted(log_) + " --received " +
                       Quoted(received_)};
};

TEST_F(ComposingTest, HistoryStepsThroughTheMessagesSentAndBackToTheDraft) {
    TypeKeys(*f, Composer(), "one \"two\r");
    ClickTypeButton(*f);  // Chat
    TypeKeys(*f, Composer(), "{x}y\r");
    ClickTypeButton(*f);  // Page
    ::SetWindowTextW(PageBox(*f), L"Bob");
    TypeKeys(*f, Composer(), "hi\r");
    EXPECT_TRUE(PumpUntil(*f, [&] { return Received() == "one \"two\"\r;{x}y\r/\"Bob\" hi\r"; })) << Received();
    ::SetWindowTextW(PageBox(*f), L"Zed");
    ClickTypeButton(*f);  // the draft: Normal, another name left in the hidden box
    TypeKeys(*f, Composer(), "dr\"af");
    vek::win::SetSel(Composer(), 1, 3);

    const struct {
        int vk;  // pressed with Ctrl when ctrl; 0: "!" typed
        bool ctrl;
        const char* state;
    } steps[] = {
        {VK_UP, true, "hi|NN|Page Mode|Bob"},
        {VK_UP, false, "xy|BN|Chat Mode|Bob"},  // one line: the first and the last
        {VK_UP, true, "one two|NNNNQQQ|Normal Mode|Bob"},
        {0, false, "one two!|NNNNQQQQ|Normal Mode|Bob"},
        {VK_DOWN, false, "xy|BN|Chat Mode|Bob"},
        {VK_UP, false, "one two|NNNNQQQ|Normal Mode|Bob"},  // the edit is gone
        {VK_DOWN, true, "xy|BN|Chat Mode|Bob"},
        {VK_DOWN, true, "hi|NN|Page Mode|Bob"},
        {VK_DOWN, false, "draf|NNQQ|Normal Mode|Zed"},
    };
    for (const auto& s : steps) {
        if (s.vk) PressKey(*f, Composer(), s.vk, false, s.ctrl);
        else TypeKeys(*f, Composer(), "!");
        EXPECT_EQ(State(), s.state);
    }
    EXPECT_EQ(vek::win::GetSel(Composer()).start, 1);  // the draft's selection too
    EXPECT_EQ(vek::win::GetSel(Composer()).end, 3);

    // Off the first line, Up moves the caret as ever.
    vek::win::ReplaceSel(Composer(), "\r");
    PressKey(*f, Composer(), VK_UP);
    EXPECT_EQ(State(), "d\rf|NNQ|Normal Mode|Zed");
    PressKey(*f, Composer(), VK_UP);
    EXPECT_EQ(State(), "hi|NN|Page Mode|Bob");
}

TEST_F(ComposingTest, ReplyPagesTheLastSenderOrTheLastPlayerPaged) {
    TypeKeys(*f, Composer(), "on my");
    Ctrl('R');  // no page yet: nothing changes (a beep)
    EXPECT_EQ(State(), "on my|NNNNN|Normal Mode|");
    // The composer never gets the key: on Windows it would right-align the paragraph.
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    MSG ctrlR{Composer(), WM_KEYDOWN, 'R', 1, 0, {}};
    EXPECT_TRUE(f->PreTranslateMessage(ctrlR));
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);

    GameWrites({fakegame::PageInLine("Dahlia", "hi"), fakegame::PageInLine("Corvin", "there?"),
                fakegame::PageInLine("", "no name"), fakegame::SayLine("Al", "Bo pages you: x")});
    Ctrl('R');
    EXPECT_EQ(State(), "on my|NNNNN|Page Mode|Corvin");
    SendComposed(*f);
    ::SetWindowTextW(PageBox(*f), L"Edric");
    TypeKeys(*f, Composer(), "x\r");
    ClickTypeButton(*f);  // Normal
    Ctrl('R', true);
    EXPECT_EQ(State(), "||Page Mode|Edric");
    ::SetFocus(PageBox(*f));
    Ctrl('R');
    EXPECT_EQ(PageText(), "Corvin");
    EXPECT_EQ(::GetFocus(), Composer());
    EXPECT_TRUE(PumpUntil(*f, [&] { return Received() == "/\"Corvin\" on my\r/\"Edric\" x\r"; })) << Received();
}

TEST_F(ComposingTest, PageBoxOffersTheMostRecentNameSeen) {
    GameWrites({fakegame::SayLine("Aldric", "hello"), fakegame::ChannelLine("Guild", "Albert", "40 gold"),
                fakegame::PageInLine("Corvin", "psst")});
    ClickTypeButton(*f);
    ClickTypeButton(*f);  // Page
    ::SetFocus(PageBox(*f));
    const struct {
        const char* keys;  // typed into the empty box
        int then;          // a key pressed after them, or 0
        const char* text;
        DWORD selStart;    // the selection runs to the end
    } cases[] = {
        {"a", 0, "albert", 1},  // the more recent of the two
        {"ald", 0, "aldric", 3},
        {"ald", VK_END, "aldric", 6},
        {"co", VK_RIGHT, "corvin", 6},
        {"alx", 0, "alx", 3},          // typing on replaces the offer
        {"aldric\b", 0, "aldri", 5},  // a deletion brings nothing back
    };
    for (const auto& c : cases) {
        ::SetWindowTextW(PageBox(*f), L"");
        TypeKeys(*f, PageBox(*f), c.keys);
        if (c.then) PressKey(*f, PageBox(*f), c.then);
        DWORD start = 0;
        ::SendMessageW(PageBox(*f), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        EXPECT_EQ(PageText(), c.text) << c.keys;
        EXPECT_EQ(start, c.selStart) << c.keys;
    }
    // Typed before the end, nothing is offered.
    ::SendMessageW(PageBox(*f), EM_SETSEL, 0, 0);
    TypeKeys(*f, PageBox(*f), "c");
    EXPECT_EQ(PageText(), "caldri");

    // Leaving the box keeps the offer; the page goes to it.
    ::SetWindowTextW(PageBox(*f), L"");
    TypeKeys(*f, PageBox(*f), "c");
    ::SetFocus(Composer());
    TypeKeys(*f, Composer(), "ok\r");
    EXPECT_TRUE(PumpUntil(*f, [&] { return Received() == "/\"corvin\" ok\r"; })) << Received();
}

}  // namespace
