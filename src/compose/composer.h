// The composer: the rich text box the player writes the next message in. A
// double quote or a brace typed into it changes the colour of what is typed
// next (or of the selection) instead of being typed; colours that are not
// the program's own give way to NormalColor; the coloured text converts to
// markup for sending.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace vek {

// The markup text of a rich text box's coloured content. Moves the box's
// caret to the end of its text; text and colours stay as they are.
std::string FormatVek(HWND box);

class Composer {
public:
    void Attach(HWND box) { box_ = box; }
    HWND Box() const { return box_; }

    // What becomes of a key pressed in the composer.
    enum class KeyDown {
        Leave,    // to the box as usual
        Consume,  // the box must not see it
        Paste,    // consumed; paste the clipboard's plain text (Ctrl+V)
        Back,     // consumed; bring back the message before the one shown (Ctrl+Up)
        Forward,  // consumed; the message after it, or the draft (Ctrl+Down)
    };
    // key: the virtual-key code; shift: Shift 1 + Ctrl 2 + Alt 4.
    KeyDown OnKeyDown(int key, int shift);

    // What becomes of a character typed into the composer.
    enum class KeyPress {
        Leave,    // typed as itself
        Consume,  // a colour key: the colour changed, nothing is typed
        Send,     // Enter: run the sending sequence
    };
    // ch: the character's code in the ANSI code page.
    KeyPress OnKeyPress(int ch);

    // After any change of the caret or selection: colour clean-up.
    void OnSelChange();

    // The markup of the composer's content (FormatVek), with the clean-up
    // applied where the caret ends.
    std::string Markup();

    // F9: the composer holds `markup` as text in NormalColor, caret at the
    // end, as one undoable change.
    void Recall(const std::string& markup);

    // After sending: empty, typing in NormalColor.
    void Clear();

    // A message brought back from the history: `markup` shown as if typed
    // with the colour keys, caret at the end. Starts a new undo history.
    void ShowComposed(std::string_view markup);
    // The content exactly as it stands (text and colours) with the caret or
    // selection, for Restore.
    struct Snapshot {
        std::string rtf;
        int selStart = 0, selEnd = 0;
    };
    Snapshot Take() const;
    // Puts back what Take() gave. Starts a new undo history.
    void Restore(const Snapshot& snapshot);

private:
    HWND box_ = nullptr;
};

}  // namespace vek
