// ctest-lock: registry clipboard
// The Edit menu on the real window: its states when opened, and each command
// on each of the three text boxes, with the clipboard holding plain text only.
#include <gtest/gtest.h>
#include <richedit.h>

#include "support/clipboard.h"
#include "support/typing.h"
#include "support/winapp.h"
#include "win/richedit.h"
#include "win/text.h"

using namespace vektest;

namespace {

std::string BoxText(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    buf.resize(static_cast<size_t>(std::max(0, GetWindowTextW(h, buf.data(), n + 1))));
    return vek::win::ToAnsi(buf);
}

void SetBoxText(HWND h, const char* text) {
    SetWindowTextW(h, vek::win::ToWide(text).c_str());
}

std::pair<int, int> Sel(HWND h) {
    DWORD s = 0, e = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return {static_cast<int>(s), static_cast<int>(e)};
}

void SetSel(HWND h, int s, int e) {
    SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(s), static_cast<LPARAM>(e));
}

class EditMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        f = MakeFollowingForm();
        ASSERT_TRUE(f);
        ClickTypeButton(*f);
        ClickTypeButton(*f);  // Page: the page-target box shows
        PumpPending(f.get());
    }
    void TearDown() override {
        f.reset();
        ClearSettings();
    }

    void Focus(HWND h) {
        SetFocus(h);
        PumpPending(f.get());
    }
    void OpenMenu() {
        SendMessageW(f->hWnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(EditMenu(*f)), MAKELPARAM(1, FALSE));
    }
    // Cut, Copy, Delete, Paste as four letters: 1 enabled, 0 disabled.
    std::string States() {
        std::string s;
        for (UINT id : {IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_DELETE, IDM_EDIT_PASTE})
            s += MenuItemEnabled(*f, id) ? '1' : '0';
        return s;
    }
    std::vector<std::pair<const char*, HWND>> Boxes() {
        return {{"display", Display(*f)}, {"composer", ComposerBox(*f)}, {"page box", PageBox(*f)}};
    }

    std::unique_ptr<frmChat> f;
};

TEST_F(EditMenuTest, StatesFollowSelectionAndClipboardWhenOpened) {
    for (auto [name, box] : Boxes()) {
        SCOPED_TRACE(name);
        SetBoxText(box, "hello world");
        Focus(box);
        SetSel(box, 3, 3);
        ClearClipboard();
        OpenMenu();
        EXPECT_EQ(States(), "0000");

        PutClipboard(L"x");
        SetSel(box, 0, 5);
        EXPECT_EQ(States(), "0000");  // nothing changes until the menu opens again
        OpenMenu();
        EXPECT_EQ(States(), "1111");

        SetSel(box, 2, 2);
        ClearClipboard();
        EXPECT_EQ(States(), "1111");
        OpenMenu();
        EXPECT_EQ(States(), "0000");
    }

    // Clipboard contents that are not text, or empty text, count as empty;
    // text only in the ANSI format counts.
    Focus(ComposerBox(*f));
    const UINT custom = RegisterClipboardFormatW(L"VekChat test data");
    PutClipboardBytes(custom, "abc", 4);
    OpenMenu();
    EXPECT_EQ(States().back(), '0');
    PutClipboard(L"");
    OpenMenu();
    EXPECT_EQ(States().back(), '0');
    PutClipboardBytes(CF_TEXT, "ansi", 5);
    OpenMenu();
    EXPECT_EQ(States().back(), '1');
}

TEST_F(EditMenuTest, ButtonOrNoFocusIsAnEmptySelection) {
    SetBoxText(ComposerBox(*f), "hello world");
    SetSel(ComposerBox(*f), 0, 5);
    PutClipboard(L"clip");
    Focus(TypeButton(*f));  // its first arrival is passed on; from now on the button keeps the focus
    const HWND focus[] = {TypeButton(*f), nullptr};
    for (HWND h : focus) {
        Focus(h);
        ASSERT_EQ(GetFocus(), h);
        OpenMenu();
        EXPECT_EQ(States(), "0001");
        Command(*f, IDM_EDIT_CUT);
        Command(*f, IDM_EDIT_COPY);
        Command(*f, IDM_EDIT_DELETE);
        Command(*f, IDM_EDIT_PASTE);
        Command(*f, IDM_EDIT_SELECTALL);
        Command(*f, IDM_EDIT_UNDO);
        for (auto [name, box] : Boxes()) EXPECT_NE(BoxText(box), "clip") << name;
        EXPECT_EQ(BoxText(ComposerBox(*f)), "hello world");
        EXPECT_EQ(Sel(ComposerBox(*f)), std::make_pair(0, 5));
        EXPECT_EQ(ClipboardUnicode(), L"clip");
    }
}

TEST_F(EditMenuTest, CommandsActOnTheFocusedBox) {
    const UINT custom = RegisterClipboardFormatW(L"VekChat test data");
    for (auto [name, box] : Boxes()) {
        SCOPED_TRACE(name);
        SetBoxText(box, "hello world");
        Focus(box);

        // Copy: the selected characters become the clipboard's only content.
        PutClipboard(L"old", "{\\rtf1 old}");
        SetSel(box, 6, 11);
        Command(*f, IDM_EDIT_COPY);
        EXPECT_EQ(ClipboardUnicode(), L"world");
        EXPECT_EQ(ClipboardAnsi(), "world");
        EXPECT_FALSE(ClipboardHas(RtfFormat()));
        EXPECT_EQ(BoxText(box), "hello world");

        // Nothing selected: Copy, Cut and Delete leave box and clipboard alone.
        PutClipboardBytes(custom, "abc", 4);
        SetSel(box, 2, 2);
        Command(*f, IDM_EDIT_COPY);
        Command(*f, IDM_EDIT_CUT);
        Command(*f, IDM_EDIT_DELETE);
        EXPECT_TRUE(ClipboardHas(custom));
        EXPECT_EQ(BoxText(box), "hello world");

        // Cut.
        SetSel(box, 5, 11);
        Command(*f, IDM_EDIT_CUT);
        EXPECT_EQ(BoxText(box), "hello");
        EXPECT_EQ(ClipboardUnicode(), L" world");
        EXPECT_FALSE(ClipboardHas(custom));

        // Paste at the caret, then over a selection.
        SetSel(box, 5, 5);
        Command(*f, IDM_EDIT_PASTE);
        EXPECT_EQ(BoxText(box), "hello world");
        PutClipboard(L"J");
        SetSel(box, 0, 1);
        Command(*f, IDM_EDIT_PASTE);
        EXPECT_EQ(BoxText(box), "Jello world");
        EXPECT_EQ(Sel(box), std::make_pair(1, 1));
        // An empty clipboard pastes nothing.
        ClearClipboard();
        Command(*f, IDM_EDIT_PASTE);
        EXPECT_EQ(BoxText(box), "Jello world");

        // Delete.
        SetSel(box, 0, 6);
        Command(*f, IDM_EDIT_DELETE);
        EXPECT_EQ(BoxText(box), "world");

        // Select All.
        SetSel(box, 2, 2);
        Command(*f, IDM_EDIT_SELECTALL);
        EXPECT_EQ(Sel(box), std::make_pair(0, 5));
        SetBoxText(box, "");
        Command(*f, IDM_EDIT_SELECTALL);
        EXPECT_EQ(Sel(box), std::make_pair(0, 0));
    }
}

TEST_F(EditMenuTest, UndoIsTheBoxOwn) {
    // The display keeps no undo history; the composer and the page box do.
    struct Case {
        HWND box;
        bool undoes;
    } cases[] = {{Display(*f), false}, {ComposerBox(*f), true}, {PageBox(*f), true}};
    for (const Case& c : cases) {
        SetBoxText(c.box, "hello world");
        Focus(c.box);
        Command(*f, IDM_EDIT_UNDO);  // nothing to undo
        EXPECT_EQ(BoxText(c.box), "hello world");
        SetSel(c.box, 5, 11);
        Command(*f, IDM_EDIT_DELETE);
        ASSERT_EQ(BoxText(c.box), "hello");
        Command(*f, IDM_EDIT_UNDO);
        EXPECT_EQ(BoxText(c.box), c.undoes ? "hello world" : "hello");
    }
}

TEST_F(EditMenuTest, CopyFromTheDisplayTakesCharactersOnly) {
    HWND d = Display(*f);
    vek::win::SetSel(d, 0, 0);
    vek::win::ReplaceSel(d, "say \r\nhi there");
    vek::win::SetSel(d, 4, 7);
    vek::win::SetSelColor(d, vek::QuoteColor);
    Focus(d);
    PutClipboard(L"old", "{\\rtf1 old}");
    Command(*f, IDM_EDIT_SELECTALL);
    Command(*f, IDM_EDIT_COPY);
    // Line breaks as other programs expect them of text.
    EXPECT_EQ(ClipboardUnicode(), L"say \r\nhi there");
    EXPECT_FALSE(ClipboardHas(RtfFormat()));
}

TEST_F(EditMenuTest, LinesStillGoToTheEndOfAnEditedDisplay) {
    HWND d = Display(*f);
    SetBoxText(d, "one two three");
    Focus(d);
    PutClipboard(L"2");
    SetSel(d, 4, 7);
    Command(*f, IDM_EDIT_PASTE);
    ASSERT_EQ(BoxText(d), "one 2 three");
    SetSel(d, 0, 4);
    Command(*f, IDM_EDIT_CUT);
    ASSERT_EQ(BoxText(d), "2 three");
    f->AppendData("[2026-12-07 11:30:05] later\r\n");
    EXPECT_EQ(ReadText(d), "2 threelater\r");
}

TEST_F(EditMenuTest, CutAndPasteInTheComposerDropsColours) {
    HWND m = ComposerBox(*f);
    Focus(m);
    TypeKeys(*f, m, "ab\"cd");
    vek::win::SetSel(m, 2, 4);
    Command(*f, IDM_EDIT_CUT);
    EXPECT_EQ(ReadText(m), "ab");
    vek::win::SetSel(m, 0, 0);
    Command(*f, IDM_EDIT_PASTE);
    EXPECT_EQ(ReadText(m), "cdab");
    for (const ColoredChar& c : ReadColored(m)) EXPECT_EQ(c.color, vek::NormalColor) << c.ch;
}

TEST_F(EditMenuTest, ShortcutKeysRunTheCommands) {
    HWND m = ComposerBox(*f);
    SetBoxText(m, "hello world");
    Focus(m);
    PressKey(*f, m, 'A', false, true);
    EXPECT_EQ(Sel(m), std::make_pair(0, 11));
    PressKey(*f, m, 'C', false, true);
    EXPECT_EQ(ClipboardUnicode(), L"hello world");
    SetSel(m, 0, 6);
    PressKey(*f, m, 'X', false, true);
    EXPECT_EQ(BoxText(m), "world");
    EXPECT_EQ(ClipboardUnicode(), L"hello ");
    PressKey(*f, m, 'V', false, true);
    PressKey(*f, m, 'V', false, true);
    EXPECT_EQ(BoxText(m), "hello hello world");
    PressKey(*f, m, 'Z', false, true);
    EXPECT_EQ(BoxText(m), "hello world");
}

// Del deletes the selection through Edit > Delete; with nothing selected it
// is the box's own key and deletes the character after the caret (it used
// to be swallowed, so no single character could be deleted with it).
TEST_F(EditMenuTest, DelDeletesTheSelectionOrOneCharacter) {
    for (auto [name, box] : Boxes()) {
        SCOPED_TRACE(name);
        SetBoxText(box, "hello world");
        Focus(box);
        PutClipboard(L"kept");
        SetSel(box, 5, 11);
        PressKey(*f, box, VK_DELETE);
        EXPECT_EQ(BoxText(box), "hello");
        SetSel(box, 0, 0);
        PressKey(*f, box, VK_DELETE);
        EXPECT_EQ(BoxText(box), "ello");
        EXPECT_EQ(ClipboardUnicode(), L"kept");
    }
}

}  // namespace
