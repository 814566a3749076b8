// Closing while messages still wait for the game: the player chooses
// between waiting and closing anyway, with the text not yet typed left on
// the clipboard to paste into the game.
#pragma once
#include <windows.h>

#include "compose/gametyper.h"

namespace vek {

// True when the window may close: nothing of a message is left to send, or
// the player chose "Close anyway" (the typer then stops, and what it had not
// sent is on the clipboard, one line per message). False when the player
// chose to wait, or is being asked already. The question is owned by `owner`.
[[nodiscard]] bool MayCloseWhileTyping(HWND owner, GameTyper& typer);

}  // namespace vek
