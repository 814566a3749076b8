// Typing into the window as the keyboard would.
#pragma once
#include <windows.h>

#include <string_view>

#include "app/frmChat.h"

namespace vektest {

// Posts, for every character, the messages a key press makes once the
// message loop has translated it (WM_KEYDOWN, WM_CHAR, WM_KEYUP), then
// dispatches the queue through the form without translating again, which
// would make a second WM_CHAR of each key-down. With burst, every message is
// queued before any is dispatched, as when keys come faster than the window
// handles them.
void TypeKeys(frmChat& form, HWND target, std::string_view text, bool burst = false);

// Dispatches what is queued through the form's pre-translation only.
void DispatchPending(frmChat& form);

}  // namespace vektest
