// ctest-lock: registry clipboard gamewindow
// The composer on the real window: colour keys typed as key messages, the
// colour clean-up, plain paste, recall with F9, and the markup conversion.
#include <gtest/gtest.h>
#include <richedit.h>

#include <random>

#include "core/markup_compose.h"
#include "support/clipboard.h"
#include "support/typing.h"
#include "support/winapp.h"
#include "win/handles.h"
#include "win/richedit.h"

using namespace vektest;
using vek::Color;

namespace {

constexpr Color Red = vek::Rgb(255, 0, 0);

char Letter(Color c) {
    switch (c) {
        case vek::NormalColor: return 'N';
        case vek::QuoteColor: return 'Q';
        case vek::BraceColor: return 'B';
        case vek::PageInColor: return 'I';
        case vek::PageOutColor: return 'O';
        case vek::OtherColor: return 'X';
        case Red: return 'R';
        default: return '?';
    }
}

// Per-character colours as letters, read without letting the composer's
// clean-up see the selection moves (it would recolour foreign characters).
std::string Colors(HWND re) {
    LRESULT mask = SendMessageW(re, EM_GETEVENTMASK, 0, 0);
    SendMessageW(re, EM_SETEVENTMASK, 0, 0);
    std::string out;
    for (const ColoredChar& c : ReadColored(re)) out += Letter(c.color);
    SendMessageW(re, EM_SETEVENTMASK, 0, mask);
    return out;
}

class ComposerTest : public ::testing::Test {
protected:
    void SetUp() override {
        f = MakeFollowingForm();
        ASSERT_TRUE(f);
        SetFocus(ComposerBox(*f));
        PumpPending(f.get());
        ASSERT_EQ(GetFocus(), ComposerBox(*f));
    }
    void TearDown() override {
        f.reset();
        ClearSettings();
    }

    HWND box() const { return ComposerBox(*f); }
    std::string Text() const { return ReadText(box()); }
    void Type(const std::string& keys) { TypeKeys(*f, box(), keys); }
    // Empties the composer the way the program does after a send.
    void Clear() {
        vek::win::SetSel(box(), 0, -1);
        vek::win::ReplaceSel(box(), "");
        vek::win::SetSelColor(box(), vek::NormalColor);
    }
    // Colours some characters directly, as rich text from elsewhere would.
    void Paint(int from, int to, Color c) {
        vek::win::Selection keep = vek::win::GetSel(box());
        vek::win::SetSel(box(), from, to);
        vek::win::SetSelColor(box(), c);
        vek::win::SetSel(box(), keep.start, keep.end);
    }

    std::unique_ptr<frmChat> f;
};

TEST_F(ComposerTest, ColourKeysColourWhatIsTypedAndConvertBack) {
    struct Case {
        std::string keys, text, colors, markup;
    } cases[] = {
        {"plain words", "plain words", "NNNNNNNNNNN", "plain words"},
        {"\"hello", "hello", "QQQQQ", "\"hello\""},
        {"{abc", "abc", "BBB", "{abc}"},
        {"\"ab{cd}ef", "abcdef", "QQBBNN", "\"ab{cd}ef"},
        // A quote inside braces returns to normal; a second one opens a quote.
        {"{ab\"cd", "abcd", "BBNN", "{ab}cd"},
        {"{ab\"\"cd\"ef", "abcdef", "BBQQNN", "{ab}\"cd\"ef"},
        {"a\"\"b", "ab", "NN", "ab"},
        {"}x{}y", "xy", "NN", "xy"},
        {"\"'q' 1\"", "'q' 1", "QQQQQ", "\"'q' 1\""},
    };
    for (const Case& c : cases) {
        Clear();
        Type(c.keys);
        EXPECT_EQ(Text(), c.text) << c.keys;
        EXPECT_EQ(Colors(box()), c.colors) << c.keys;
        EXPECT_EQ(f->FormatVek(box()), c.markup) << c.keys;
        // The conversion changes nothing and leaves the caret at the end.
        EXPECT_EQ(Text(), c.text) << c.keys;
        EXPECT_EQ(Colors(box()), c.colors) << c.keys;
        const vek::win::Selection s = vek::win::GetSel(box());
        EXPECT_EQ(s.start, static_cast<int>(c.text.size())) << c.keys;
        EXPECT_EQ(s.end, s.start) << c.keys;
    }
}

TEST_F(ComposerTest, EmptyComposerConvertsToNothing) {
    EXPECT_EQ(f->FormatVek(box()), "");
    EXPECT_EQ(vek::win::GetSel(box()).start, 0);
}

// Keys typed faster than the window handles them all land, in order.
TEST_F(ComposerTest, FastTypingLosesAndReordersNothing) {
    const std::string alphabet = "abcdefgh XYZ.\"\"{}";
    std::mt19937 rng(7);
    std::string keys;
    for (int i = 0; i < 800; ++i) keys += alphabet[rng() % alphabet.size()];

    // What the keys must give: each colour key sets the colour of the rest.
    std::vector<vek::ComposedChar> want;
    Color color = vek::NormalColor;
    for (char k : keys) {
        if (auto next = vek::ColorKeyResult(k, color)) color = *next;
        else want.push_back({k, color});
    }

    // Queue every message first, then let the window catch up.
    TypeKeys(*f, box(), keys, true);

    std::string wantText, wantColors;
    for (const vek::ComposedChar& c : want) {
        wantText += c.ch;
        wantColors += Letter(c.color);
    }
    EXPECT_EQ(Text(), wantText);
    EXPECT_EQ(Colors(box()), wantColors);
    vek::MarkupComposer markup;
    for (const vek::ComposedChar& c : want) markup.Add(c.ch, c.color);
    EXPECT_EQ(f->FormatVek(box()), markup.Finish());
}

TEST_F(ComposerTest, HeldAndShiftedKeysAllLand) {
    // Shift held over a double quote and capitals.
    BYTE state[256], saved[256];
    GetKeyboardState(state);
    memcpy(saved, state, sizeof state);
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    TypeKeys(*f, box(), "\"AB", true);
    SetKeyboardState(saved);
    // A held key: repeated key-downs and characters, one key-up.
    for (int i = 0; i < 30; ++i) {
        PostMessageW(box(), WM_KEYDOWN, 'X', 0x40000001);
        PostMessageW(box(), WM_CHAR, L'x', 0x40000001);
    }
    PostMessageW(box(), WM_KEYUP, 'X', 0xC0000001);
    DispatchPending(*f);
    EXPECT_EQ(Text(), "AB" + std::string(30, 'x'));
    EXPECT_EQ(Colors(box()), std::string(32, 'Q'));
}

TEST_F(ComposerTest, ColourKeyRecoloursASelectionAndKeepsIt) {
    Type("abcdef");
    struct Step {
        int from, to;
        char key;
        const char* colors;
    } steps[] = {
        {1, 3, '"', "NQQNNN"},  // one colour, NormalColor: quoted
        {1, 3, '"', "NNNNNN"},  // one colour, QuoteColor: back to normal
        {2, 5, '{', "NNBBBN"},
        {0, 3, '"', "NNNBBN"},  // several colours: normal
        {3, 5, '"', "NNNNNN"},  // brace colour: normal, not quoted
        {0, 6, '{', "BBBBBB"},
        {4, 6, '}', "BBBBNN"},
    };
    for (const Step& s : steps) {
        vek::win::SetSel(box(), s.from, s.to);
        Type(std::string(1, s.key));
        EXPECT_EQ(Text(), "abcdef") << s.colors;
        EXPECT_EQ(Colors(box()), s.colors);
        const vek::win::Selection sel = vek::win::GetSel(box());
        EXPECT_EQ(sel.start, s.from);
        EXPECT_EQ(sel.end, s.to);
    }
}

TEST_F(ComposerTest, ForeignColoursGiveWayToNormal) {
    Type("abc");
    Paint(1, 2, Red);
    ASSERT_EQ(Colors(box()), "NRN");
    // A caret behind the red character types in NormalColor; the red
    // character itself keeps its colour.
    vek::win::SetSel(box(), 2, 2);
    Type("x");
    EXPECT_EQ(Text(), "abxc");
    EXPECT_EQ(Colors(box()), "NRNN");

    // The conversion treats it as normal text, and leaves it red.
    vek::win::SetSel(box(), 0, 4);
    Type("}\"");
    Paint(1, 2, Red);
    ASSERT_EQ(Colors(box()), "QRQQ");
    EXPECT_EQ(f->FormatVek(box()), "\"a\"b\"xc\"");
    EXPECT_EQ(Colors(box()), "QRQQ");

    // Selected on its own, it is recoloured.
    vek::win::SetSel(box(), 1, 2);
    EXPECT_EQ(Colors(box()), "QNQQ");

    // Palette colours are the program's own: they stay, and open or close
    // no mark.
    Paint(1, 2, vek::PageInColor);
    Paint(2, 3, vek::OtherColor);
    vek::win::SetSel(box(), 1, 3);
    EXPECT_EQ(Colors(box()), "QIXQ");
    EXPECT_EQ(f->FormatVek(box()), "\"abxc\"");
}

TEST_F(ComposerTest, LineBreaksAreCopiedIntoTheMarkup) {
    vek::win::ReplaceSel(box(), "ab\rcd");  // as a paste would bring it
    vek::win::SetSel(box(), 0, -1);
    Type("\"");
    EXPECT_EQ(f->FormatVek(box()), "\"ab\rcd\"");
}

// Enter sends (no game window here: nothing goes out, the rest happens all
// the same); F9 then brings the markup back, and sent again unchanged it is
// the same markup.
TEST_F(ComposerTest, EnterSendsAndTheRecalledMessageSendsTheSameMarkup) {
    Type("{ab\"\"cd\r");
    EXPECT_EQ(Text(), "");
    PressKey(*f, box(), VK_F9);
    EXPECT_EQ(Text(), "{ab}\"cd\"");
    PressKey(*f, box(), VK_RETURN);
    EXPECT_EQ(Text(), "");
    PressKey(*f, box(), VK_F9);
    EXPECT_EQ(Text(), "{ab}\"cd\"");
}

TEST_F(ComposerTest, CtrlVPastesPlainTextInTheInsertionColour) {
    const std::string rich = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}\\cf1 RICH}";
    PutClipboard(L"plain", rich);
    Type("x\"");
    PressKey(*f, box(), 'V', false, true);
    EXPECT_EQ(Text(), "xplain");
    EXPECT_EQ(Colors(box()), "NQQQQQ");

    // Over a selection: replaced.
    vek::win::SetSel(box(), 1, 3);
    PressKey(*f, box(), 'V', false, true);
    EXPECT_EQ(Text(), "xplainain");
}

TEST(ComposerKeys, OnlyCtrlAloneWithVIsThePlainPasteAndEnterNeverBreaksTheLine) {
    using K = vek::Composer::KeyDown;
    const struct {
        int key, shift;
        K action;
    } cases[] = {
        {'V', 2, K::Paste},        {'V', 3, K::Leave},       {'V', 6, K::Leave},         {'V', 7, K::Leave},
        {'V', 0, K::Leave},        {'V', 4, K::Leave},       {'C', 2, K::Leave},         {VK_RETURN, 0, K::Consume},
        {VK_RETURN, 1, K::Consume}, {VK_RETURN, 2, K::Leave}, {VK_RETURN, 4, K::Leave},
    };
    vek::Composer composer;
    for (const auto& c : cases) EXPECT_EQ(composer.OnKeyDown(c.key, c.shift), c.action) << c.key << " " << c.shift;
}

TEST_F(ComposerTest, CtrlShiftVIsLeftToTheBox) {
    // The composer does with the key exactly what a RichEdit of its own does.
    const std::string rich = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}\\cf1 RICH}";
    PutClipboard(L"plain", rich);
    vek::win::UniqueWindow bare(CreateWindowExW(0, vek::win::RichEditClass(), L"", WS_POPUP | ES_MULTILINE, 0, 0, 200,
                                                50, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(bare);
    PressKey(*f, bare.get(), 'V', true, true);
    PressKey(*f, box(), 'V', true, true);
    EXPECT_EQ(Text(), ReadText(bare.get()));
}

TEST_F(ComposerTest, F9RecallsTheLastMessage) {
    // Nothing sent yet: nothing happens.
    Type("\"draft");
    PressKey(*f, box(), VK_F9);
    EXPECT_EQ(Text(), "draft");
    EXPECT_EQ(Colors(box()), "QQQQQ");

    const std::string sent = "say \"hi\" {x}";
    Clear();
    vek::win::ReplaceSel(box(), sent);  // the markup characters as plain text
    SendComposed(*f);
    struct Case {
        HWND focus;
        bool shift, ctrl, alt;
    } cases[] = {
        {ComposerBox(*f), false, false, false},
        {ComposerBox(*f), true, false, false},
        {ComposerBox(*f), false, true, false},
        {ComposerBox(*f), false, false, true},
        {Display(*f), false, false, false},
    };
    for (const Case& c : cases) {
        SetFocus(box());
        Clear();
        Type("\"other{text");
        vek::win::SetSel(box(), 1, 3);
        SetFocus(c.focus);
        PressKey(*f, c.focus, VK_F9, c.shift, c.ctrl, c.alt);
        EXPECT_EQ(Text(), sent);
        EXPECT_EQ(Colors(box()), std::string(sent.size(), 'N'));
        const vek::win::Selection s = vek::win::GetSel(box());
        EXPECT_EQ(s.start, static_cast<int>(sent.size()));
        EXPECT_EQ(s.end, s.start);
        EXPECT_TRUE(IsWindowVisible(box()));  // painting is back on
        // Sent again unchanged, the same markup goes out.
        EXPECT_EQ(f->FormatVek(box()), sent);
        // What is typed next is normal text.
        SetFocus(box());
        Type("!");
        EXPECT_EQ(Colors(box()).back(), 'N');
    }

    // The key goes on to the focused control.
    MSG msg{box(), WM_KEYDOWN, VK_F9, 1, 0, {}};
    EXPECT_FALSE(f->PreTranslateMessage(msg));
}

TEST_F(ComposerTest, RecallCanBeUndone) {
    Type("sent\r");
    Type("draft");
    PressKey(*f, box(), VK_F9);
    ASSERT_EQ(Text(), "sent");
    for (int i = 0; i < 3 && Text() != "draft"; ++i) PressKey(*f, box(), 'Z', false, true);
    EXPECT_EQ(Text(), "draft");
}

}  // namespace
