// The Edit menu, acting on whichever text box has the focus.
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/frmChat.h"
#include "win/handles.h"
#include "win/richedit.h"

using namespace vek::win;

namespace {

// The text box the commands act on: the focused one of the window's three
// boxes. The message-type button, or no focus at all, gives none, which the
// commands treat as an empty selection in an empty text.
struct TextBox {
    HWND h = nullptr;
    bool rich = false;
    explicit operator bool() const { return h != nullptr; }
};

TextBox FocusedBox(const frmChat& form) {
    HWND f = ::GetFocus();
    if (!f) return {};
    if (f == form.rtfChatText || f == form.rtfMessage) return {f, true};
    if (f == form.txtPageTo) return {f, false};
    return {};
}

// The selected text. Line breaks come as CR LF, as other programs expect
// them of plain text.
std::wstring SelTextOf(const TextBox& box) {
    if (!box) return {};
    if (box.rich) {
        const Selection s = GetSel(box.h);
        if (s.length() <= 0) return {};
        // A break may grow from CR to CR LF.
        std::wstring buf(static_cast<size_t>(s.length()) * 2 + 1, L'\0');
        GETTEXTEX gt{};
        gt.cb = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        gt.flags = GT_SELECTION | GT_USECRLF;
        gt.codepage = 1200;
        LRESULT got = ::SendMessageW(box.h, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                                     reinterpret_cast<LPARAM>(buf.data()));
        buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
        return buf;
    }
    DWORD start = 0, end = 0;
    ::SendMessageW(box.h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (end <= start) return {};
    const int n = ::GetWindowTextLengthW(box.h);
    std::wstring all(static_cast<size_t>(n) + 1, L'\0');
    all.resize(static_cast<size_t>(std::max(0, ::GetWindowTextW(box.h, all.data(), n + 1))));
    if (start >= all.size()) return {};
    return all.substr(start, end - start);
}

// Replaces the selection, or inserts at the caret; undoable like typing.
void ReplaceSelOf(const TextBox& box, const std::wstring& text) {
    if (!box) return;
    ::SendMessageW(box.h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// The clipboard's plain text; empty when it holds none or cannot be opened.
std::wstring ClipboardText(HWND owner) {
    OpenClipboardScope clip(owner);
    if (!clip.ok()) return {};
    HANDLE h = ::GetClipboardData(CF_UNICODETEXT);  // the system converts CF_TEXT
    if (!h) return {};
    const auto* p = static_cast<const wchar_t*>(::GlobalLock(h));
    if (!p) return {};
    // Another program's data need not end in a NUL: read no further than the
    // memory block itself.
    const size_t cap = ::GlobalSize(h) / sizeof(wchar_t);
    size_t len = 0;
    while (len < cap && p[len] != L'\0') ++len;
    std::wstring text(p, len);
    ::GlobalUnlock(h);
    return text;
}

// Puts text on the clipboard as its only content. Returns false when the
// clipboard could not be had; it is then left as it was.
bool SetClipboardText(HWND owner, const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) return false;
    if (void* p = ::GlobalLock(mem)) {
        std::memcpy(p, text.c_str(), bytes);
        ::GlobalUnlock(mem);
    } else {
        ::GlobalFree(mem);
        return false;
    }
    OpenClipboardScope clip(owner);
    if (!clip.ok() || !::EmptyClipboard() || !::SetClipboardData(CF_UNICODETEXT, mem)) {
        ::GlobalFree(mem);  // not taken over by the clipboard
        return false;
    }
    return true;
}

}  // namespace

void frmChat::mnuEdit_Click() {
    const bool selected = !SelTextOf(FocusedBox(*this)).empty();
    EnableMenuItemById(IDM_EDIT_CUT, selected);
    EnableMenuItemById(IDM_EDIT_COPY, selected);
    EnableMenuItemById(IDM_EDIT_DELETE, selected);
    EnableMenuItemById(IDM_EDIT_PASTE, !ClipboardText(hWnd()).empty());
}

void frmChat::mnuEditUndo_Click() {
    if (TextBox box = FocusedBox(*this)) ::SendMessageA(box.h, WM_UNDO, 0, 0);
}

void frmChat::mnuEditCut_Click() {
    const TextBox box = FocusedBox(*this);
    const std::wstring text = SelTextOf(box);
    if (text.empty()) return;
    // The text leaves the box only once it is safe on the clipboard.
    if (SetClipboardText(hWnd(), text)) ReplaceSelOf(box, L"");
}

void frmChat::mnuEditCopy_Click() {
    const std::wstring text = SelTextOf(FocusedBox(*this));
    if (!text.empty()) SetClipboardText(hWnd(), text);
}

void frmChat::mnuEditPaste_Click() {
    const TextBox box = FocusedBox(*this);
    if (!box) return;
    const std::wstring text = ClipboardText(hWnd());
    if (!text.empty()) ReplaceSelOf(box, text);
}

void frmChat::mnuEditDelete_Click() {
    const TextBox box = FocusedBox(*this);
    if (!SelTextOf(box).empty()) ReplaceSelOf(box, L"");
}

void frmChat::mnuEditSelectAll_Click() {
    const TextBox box = FocusedBox(*this);
    if (!box) return;
    if (box.rich) SetSel(box.h, 0, CharCount(box.h));
    else ::SendMessageW(box.h, EM_SETSEL, 0, ::GetWindowTextLengthW(box.h));
}
