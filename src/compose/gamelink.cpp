#include "compose/gamelink.h"

namespace vek {

namespace {

// How long one character may take the game. A game that is busy for longer
// is taken as hung: the rest of that message is dropped rather than freezing
// this window with it.
constexpr UINT kCharTimeoutMs = 1500;

}  // namespace

std::size_t WindowGameLink::Type(std::string_view bytes) {
    // Looked up for every message: the game may have been restarted.
    HWND game = ::FindWindowA("AppClass", "Ember Heraldry");
    if (!game) return 0;
    return TypeInto(game, bytes);
}

std::size_t TypeInto(HWND window, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // The byte as it is: a sign-extended code above 127 would be taken
        // for a double-byte pair.
        const WPARAM code = static_cast<unsigned char>(bytes[i]);
        DWORD_PTR result = 0;
        // SMTO_NORMAL: while waiting, this thread still answers messages sent
        // to it, so the program does not lock up against the game. A zero
        // return means the character was not taken: timed out, hung, window
        // gone, or refused (ERROR_ACCESS_DENIED when the game runs at a
        // higher privilege). The rest would be a broken message; stop there.
        if (!::SendMessageTimeoutA(window, WM_CHAR, code, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kCharTimeoutMs, &result))
            return i;
    }
    return bytes.size();
}

}  // namespace vek
