#include "edit/editcommands.h"

#include <richedit.h>

#include <algorithm>

#include "win/clipboard.h"
#include "win/richedit.h"
#include "win/text.h"
#include "win/window.h"

namespace vek {

using namespace win;

namespace {

// The selected text. Line breaks come as CR LF, as other programs expect
// them of plain text.
std::wstring SelTextOf(const TextBox& box) {
    if (!box) return {};
    if (box.rich) return GetSelTextWide(box.h);
    DWORD start = 0, end = 0;
    ::SendMessageW(box.h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (end <= start) return {};
    const std::wstring all = WindowTextWide(box.h);
    if (start >= all.size()) return {};
    return all.substr(start, end - start);
}

// Replaces the selection, or inserts at the caret; undoable like typing.
void ReplaceSelOf(const TextBox& box, const std::wstring& text) {
    if (box) ::SendMessageW(box.h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

EditMenuState EditCommands::MenuState(const TextBox& box) const {
    EditMenuState s;
    s.cut = s.copy = s.del = HasSelection(box);
    s.paste = !ClipboardText(owner_).empty();
    return s;
}

bool EditCommands::HasSelection(const TextBox& box) { return !SelTextOf(box).empty(); }

void EditCommands::Undo(const TextBox& box) const {
    if (box) ::SendMessageA(box.h, WM_UNDO, 0, 0);
}

void EditCommands::Cut(const TextBox& box) const {
    const std::wstring text = SelTextOf(box);
    if (text.empty()) return;
    // The text leaves the box only once it is safe on the clipboard.
    if (SetClipboardText(owner_, text)) ReplaceSelOf(box, L"");
}

void EditCommands::Copy(const TextBox& box) const {
    const std::wstring text = SelTextOf(box);
    if (!text.empty() && !SetClipboardText(owner_, text)) ReportFailure(L"VekChat: the clipboard could not be had for Copy");
}

void EditCommands::Paste(const TextBox& box) const {
    if (!box) return;
    const std::wstring text = ClipboardText(owner_);
    if (!text.empty()) ReplaceSelOf(box, text);
}

void EditCommands::Delete(const TextBox& box) const {
    if (HasSelection(box)) ReplaceSelOf(box, L"");
}

void EditCommands::SelectAll(const TextBox& box) const {
    if (!box) return;
    if (box.rich) SetSel(box.h, 0, CharCount(box.h));
    else ::SendMessageW(box.h, EM_SETSEL, 0, ::GetWindowTextLengthW(box.h));
}

}  // namespace vek
