// The game's main window as the sender types into it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string_view>

#include "core/message_sender.h"

namespace vek {

// The game client's window: class "AppClass", title "Ember Heraldry",
// looked up for every message.
class WindowGameLink final : public GameLink {
public:
    std::size_t Type(std::string_view bytes) override;
};

// Types bytes into a window, one WM_CHAR per byte, each sent and waited for
// (with a bound, so that a hung window cannot freeze this one). Returns how
// many were taken: all, or fewer when the window vanished, hung or refused.
std::size_t TypeInto(HWND window, std::string_view bytes);

}  // namespace vek
