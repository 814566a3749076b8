#include "compose/closeprompt.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "win/clipboard.h"
#include "win/text.h"
#include "win/window.h"

namespace vek {

namespace {

constexpr int kWait = 1001;
constexpr int kCloseAnyway = 1002;
constexpr std::size_t kShownMax = 300;  // of a long message, the start names it well enough

// The message being typed, as the question names it.
std::wstring Named(const GameTypist& typist) {
    std::string text = typist.Current();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.size() > kShownMax) text = text.substr(0, kShownMax) + "...";
    std::wstring named = L"\u201C" + win::ToWide(text) + L"\u201D";
    if (const std::size_t behind = typist.Behind())
        named += L"\n\n" + std::to_wstring(behind) + (behind == 1 ? L" more message waits" : L" more messages wait") +
                 L" behind it.";
    return named;
}

// kWait or kCloseAnyway.
int Ask(HWND owner, const GameTypist& typist) {
    const std::wstring content =
        Named(typist) +
        L"\n\nWait keeps VekChat open until the game takes it. Close anyway ends VekChat now and leaves "
        L"the text not yet typed on the clipboard, for you to paste into the game.";
    const TASKDIALOG_BUTTON buttons[] = {{kWait, L"Wait"}, {kCloseAnyway, L"Close anyway"}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = L"VekChat";
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszMainInstruction = L"The game has not taken this message yet";
    config.pszContent = content.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kWait;
    int chosen = 0;
    if (SUCCEEDED(::TaskDialogIndirect(&config, &chosen, nullptr, nullptr)))
        return chosen == kCloseAnyway ? kCloseAnyway : kWait;  // Esc and the close box wait
    // No task dialog to be had: the same question, on buttons of the system's naming.
    const std::wstring text = L"The game has not taken this message yet:\n\n" + content +
                              L"\n\nClose anyway? (No waits.)";
    return ::MessageBoxW(owner, text.c_str(), L"VekChat", MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) == IDYES
               ? kCloseAnyway
               : kWait;
}

}  // namespace

bool MayCloseWhileTyping(HWND owner, GameTyper& typer) {
    if (typer.Typist().Unsent().empty()) return true;
    static bool asking = false;  // closing again while the question is up: it stands
    if (asking) return false;
    asking = true;
    const int chosen = Ask(owner, typer.Typist());
    asking = false;
    if (chosen != kCloseAnyway) return false;
    // Asked while the game went on: take what is unsent now.
    const std::vector<std::string> lines = typer.GiveUp();
    std::wstring rest;
    for (std::size_t i = 0; i < lines.size(); ++i) rest += (i ? L"\r\n" : L"") + win::ToWide(lines[i]);
    if (!rest.empty() && !win::SetClipboardText(owner, rest))
        win::ReportFailure(L"VekChat: the unsent text could not be put on the clipboard");
    return true;
}

}  // namespace vek
