// The page-target box: the name a page goes to. It never holds a double
// quote or a brace, which would break the page's address open.
#pragma once
#include <windows.h>

#include <string>

namespace vek {

class PageToBox {
public:
    void Attach(HWND box) { box_ = box; }

    // A character typed into the box (its ANSI code): true when it must be
    // refused.
    bool Refuses(int ch) const;

    // After any change of the text (paste, undo, a program's write): takes
    // refused characters out again, keeping the caret where it was among
    // the rest.
    void OnChange();

    // The target as typed, in the ANSI code page.
    std::string Text() const;

private:
    HWND box_ = nullptr;
};

}  // namespace vek
