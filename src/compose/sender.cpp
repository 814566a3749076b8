// Message types, the page-target box, and typing messages into the game.
#include <windows.h>

#include <algorithm>

#include "app/frmChat.h"
#include "app/mdlChat.h"
#include "core/message.h"
#include "win/handles.h"
#include "win/richedit.h"
#include "win/text.h"

namespace {

// How long one character may take the game. A game that is busy for longer
// is taken as hung: the rest of that message is dropped rather than freezing
// this window with it.
constexpr UINT kCharTimeoutMs = 1500;

std::string WindowTextAnsi(HWND w) {
    int n = ::GetWindowTextLengthW(w);
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(w, buf.data(), n + 1);
    buf.resize(static_cast<size_t>(n > 0 ? n : 0));
    return vek::win::ToAnsi(buf);
}

}  // namespace

void frmChat::cmdMessageType_Click() {
    MessageType = vek::NextMessageType(MessageType);
    ButtonPicture = MessageType;
    ::InvalidateRect(cmdMessageType, nullptr, TRUE);
    ShowPageTo(MessageType == vek::kPage);
    MessageLeft = vek::ComposerLeft(MessageType);
    Form_Resize();  // the composer's width follows its new left edge
    SetTypeTooltip(vek::win::ToWide(vek::MessageTypeTooltip(MessageType)).c_str());
}

void frmChat::cmdMessageType_GotFocus() {
    // Only the first arrival is passed on; later ones (Tab) stay on the button.
    if (!FocusRedirected) ::SetFocus(MessageType == vek::kPage ? txtPageTo : rtfMessage);
    FocusRedirected = true;
}

void frmChat::cmdMessageType_MouseUp() {
    ::SetFocus(MessageType == vek::kPage ? txtPageTo : rtfMessage);
}

void frmChat::txtPageTo_KeyPress(int& KeyAscii) {
    if (KeyAscii >= 0 && KeyAscii < 256 && !vek::IsPageToChar(static_cast<char>(KeyAscii))) KeyAscii = 0;
}

void frmChat::txtPageTo_Change() {
    // Pasted text, undo and the like bypass the key filter: take the refused
    // characters out again, keeping the caret where it was among the rest.
    const std::string text = WindowTextAnsi(txtPageTo);
    const std::string clean = vek::PageToFiltered(text);
    if (clean.size() == text.size()) return;
    DWORD start = 0, end = 0;
    ::SendMessageW(txtPageTo, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    auto kept = [&](DWORD pos) {
        const std::string before = text.substr(0, std::min<size_t>(pos, text.size()));
        return static_cast<WPARAM>(vek::PageToFiltered(before).size());
    };
    const WPARAM newStart = kept(start), newEnd = kept(end);
    ::SetWindowTextW(txtPageTo, vek::win::ToWide(clean).c_str());
    ::SendMessageW(txtPageTo, EM_SETSEL, newStart, static_cast<LPARAM>(newEnd));
}

void frmChat::SendComposedMessage() {
    vek::win::RedrawFreeze freeze(rtfMessage);
    const std::string markup = FormatVek(rtfMessage);
    LastMessage = markup;
    // Without a game window nothing goes out; the composer is emptied all the
    // same and F9 brings the message back.
    mdlChat::SendToGame(vek::OutgoingText(MessageType, WindowTextAnsi(txtPageTo), markup));
    ::SetWindowTextW(rtfMessage, L"");
    vek::win::SetSel(rtfMessage, 0, 0);
    vek::win::SetSelColor(rtfMessage, NormalColor);
}

size_t mdlChat::SendToGame(const std::string& text) {
    // Looked up for every message: the game may have been restarted.
    HWND game = ::FindWindowA("AppClass", "Ember Heraldry");
    if (!game) return 0;
    return SendChars(game, text);
}

size_t mdlChat::SendChars(HWND window, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        // The byte as it is: a sign-extended code above 127 would be taken
        // for a double-byte pair.
        const WPARAM code = static_cast<unsigned char>(text[i]);
        DWORD_PTR result = 0;
        // SMTO_NORMAL: while waiting, this thread still answers messages sent
        // to it, so the program does not lock up against the game. A zero
        // return means the character was not taken: timed out, hung, window
        // gone, or refused (ERROR_ACCESS_DENIED when the game runs at a
        // higher privilege). The rest would be a broken message; stop there.
        if (!::SendMessageTimeoutA(window, WM_CHAR, code, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kCharTimeoutMs,
                                   &result))
            return i;
    }
    return text.size();
}
