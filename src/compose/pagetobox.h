// The page-target box: the name a page goes to. It never holds a double
// quote, a brace or a control character, which would break the page's
// address open or edit the game's input line; as a name is typed, the most
// recent name seen that begins with it is offered.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "core/names.h"

namespace vek {

class PageToBox {
public:
    void Attach(HWND box) { box_ = box; }

    // A character typed into the box (its ANSI code): true when it must be
    // refused. The box's own editing keys (Backspace, Ctrl+letter) pass.
    bool Refuses(int ch) const;

    // After a character the box took: when the caret stands at the end with
    // nothing selected, the rest of the name `names` offers for the text is
    // put after it, selected, so that typing on replaces it and End, Right or
    // leaving the box keeps it.
    void Offer(const RecentNames& names);

    // After any change of the text (paste, undo, a program's write): takes
    // refused characters out again, keeping the caret where it was among
    // the rest.
    void OnChange();

    // The target as typed, in the ANSI code page.
    std::string Text() const;
    // Puts a target in (a reply's, a message brought back), caret at the end.
    void SetText(std::string_view target);

private:
    HWND box_ = nullptr;
};

}  // namespace vek
