// Find in the chat display: the system's Find dialog, modeless, and the
// searches it and F3 ask for, over a copy of the display's text. The match
// is selected in the display and scrolled into view.
#pragma once
#include <windows.h>

#include <commdlg.h>

#include <array>

#include "core/find_text.h"
#include "log/displaytext.h"

namespace vek {

class ChatFinder {
public:
    ChatFinder() = default;
    ChatFinder(const ChatFinder&) = delete;  // the dialog holds a pointer to its parameters
    ChatFinder& operator=(const ChatFinder&) = delete;

    // The window that owns the dialog, and the display searched through
    // `text` (which must outlive this).
    void Attach(HWND owner, HWND display, DisplayText& text);

    // The message the dialog sends its owner (FINDMSGSTRING).
    UINT Message() const { return message_; }

    // Opens the Find dialog, or brings it to the front, with its text taken
    // from the display's selection when that fits (FindSeed). Opening it
    // brings the copy of the display's text up to date.
    void OpenDialog();
    // Hands a queued message to the dialog when it is the dialog's (its
    // keys); true when the dialog used it up.
    bool PreTranslate(MSG& msg);

    // The dialog's message: true when it asks for a search (Find Next); the
    // closing of the dialog is noted.
    bool OnDialogMessage(LPARAM lp);
    // Whether the dialog has searched for anything yet (F3 then searches again).
    bool HasSearch() const { return searched_; }

    enum class Result { Found, NotFound, NoText };
    // Searches for the dialog's text from the display's selection, in the
    // dialog's direction or, with `reverse`, against it. A match is selected
    // and scrolled into view; otherwise the selection stays.
    Result FindNext(bool reverse);

private:
    HWND display_ = nullptr;
    DisplayText* text_ = nullptr;
    UINT message_ = 0;
    HWND dialog_ = nullptr;
    bool searched_ = false;
    std::array<wchar_t, kMaxFindText + 1> what_{};
    FINDREPLACEW params_{};
};

}  // namespace vek
