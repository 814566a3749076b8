// Find in the chat: the system's Find dialog, modeless, and the searches it
// and F3 ask for, over every line of the session, from the display's
// selection. The match is brought into the display, selected and scrolled
// into view.
#pragma once
#include <windows.h>

#include <commdlg.h>

#include <array>

#include "core/find_text.h"
#include "core/session_lines.h"
#include "log/chatdisplay.h"

namespace vek {

class ChatFinder {
public:
    ChatFinder() = default;
    ChatFinder(const ChatFinder&) = delete;  // the dialog holds a pointer to its parameters
    ChatFinder& operator=(const ChatFinder&) = delete;

    // The window that owns the dialog, the display box and its component,
    // and the session's lines (all of which must outlive this).
    void Attach(HWND owner, HWND box, ChatDisplay& display, const SessionLines& session);

    // The message the dialog sends its owner (FINDMSGSTRING).
    UINT Message() const { return message_; }

    // Opens the Find dialog, or brings it to the front, with its text taken
    // from the display's selection when that fits (FindSeed).
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
    HWND box_ = nullptr;
    ChatDisplay* display_ = nullptr;
    const SessionLines* session_ = nullptr;
    UINT message_ = 0;
    HWND dialog_ = nullptr;
    bool searched_ = false;
    std::array<wchar_t, kMaxFindText + 1> what_{};
    FINDREPLACEW params_{};
};

}  // namespace vek
