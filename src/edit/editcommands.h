// The Edit commands over whichever text box has the focus: Undo, Cut, Copy,
// Paste, Delete, Select All, and the enabled states they give the menu. The
// clipboard carries plain text only. They never touch a menu.
#pragma once
#include <windows.h>

#include <string>

namespace vek {

// The box a command acts on. A null box (the focus on the message-type
// button, or nowhere) counts as an empty selection in an empty text.
struct TextBox {
    HWND h = nullptr;
    bool rich = false;  // a RichEdit; otherwise a plain edit box
    explicit operator bool() const { return h != nullptr; }
};

// Which of the selection-dependent items the menu offers.
struct EditMenuState {
    bool cut = false;
    bool copy = false;
    bool del = false;
    bool paste = false;
};

class EditCommands {
public:
    // The window that opens the clipboard.
    void Attach(HWND owner) { owner_ = owner; }

    // Cut, Copy and Delete when the box has a selection; Paste when the
    // clipboard holds text.
    EditMenuState MenuState(const TextBox& box) const;

    // Each checks the selection and the clipboard itself.
    void Undo(const TextBox& box) const;
    void Cut(const TextBox& box) const;
    void Copy(const TextBox& box) const;
    void Paste(const TextBox& box) const;
    void Delete(const TextBox& box) const;
    void SelectAll(const TextBox& box) const;

    // Whether the box has a selection (Del runs Delete only over one).
    static bool HasSelection(const TextBox& box);

private:
    HWND owner_ = nullptr;
};

}  // namespace vek
