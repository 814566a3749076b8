// The tooltip that shows a display line's time when the mouse rests on the
// line: the mouse moving over the display starts a short wait; when it has
// rested that long, the owner asks for the line under it and Show()s its
// time there. Moving on hides it.
#pragma once
#include <windows.h>

#include <string_view>

namespace vek {

class LineTimeTip {
public:
    static constexpr UINT kRestMs = 500;

    // The window whose timer `timerId` paces the wait (its WM_TIMER goes to
    // the owner's handler), and the display the tip is for.
    void Attach(HWND owner, HWND display, UINT_PTR timerId);

    // The mouse moved over the display (client coordinates): the wait starts
    // over, and a tip shown for another place goes.
    void MouseMoved(POINT client);
    // The mouse left the display.
    void MouseLeft();
    // The wait is over: stops its timer and gives the point the mouse rests on.
    POINT Rested();
    // Shows a line's time lead (ANSI, as the log has it, blanks at its end
    // dropped) by the resting point; an empty lead shows nothing.
    void Show(std::string_view lead);
    // The tooltip window (owned by the owner window), or null before Attach.
    HWND Window() const { return tip_; }

private:
    void Hide();

    HWND owner_ = nullptr;
    HWND display_ = nullptr;
    HWND tip_ = nullptr;  // owned by the owner window, destroyed with it
    UINT_PTR timerId_ = 0;
    POINT rest_{};
    bool shown_ = false;
    bool tracking_ = false;  // WM_MOUSELEAVE asked for
};

}  // namespace vek
