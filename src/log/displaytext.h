// A copy of the chat display's text for searching it and for finding the
// line under the mouse: reading a long display's text from the control
// takes long, and asking the control for either is slower still. The copy
// is brought up to date when asked; since the display only grows at its end,
// that usually reads only what was added.
#pragma once
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vek {

class DisplayText {
public:
    void Attach(HWND box) { box_ = box; }

    // The display's text as it is now, a paragraph break as one CR. Reads
    // what was added since the last call, or everything again when the
    // player changed the text before its end. Valid until the next call.
    std::u16string_view Current();

    // The display line (paragraph, counted from 0) at a point of the box's
    // client area; nullopt when the point lies beyond the last line.
    std::optional<std::size_t> LineAt(POINT client);

    // Forgets the copy and its memory (it is read again when next needed).
    void Forget() { std::u16string().swap(text_); }

private:
    // Reads the control's text from `from` to `to` over text_ from `from` on.
    bool Read(std::size_t from, std::size_t to);

    HWND box_ = nullptr;
    std::u16string text_;
};

}  // namespace vek
