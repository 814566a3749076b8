// Small helpers over a Msftedit RichEdit (RICHEDIT50W). Positions count the
// control's own characters (a line break is one character). Text is ANSI at
// this interface. None of these owns the window.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/palette.h"

namespace vek::win {

// Loads Msftedit.dll once for the process; the class name to create.
const wchar_t* RichEditClass();

int CharCount(HWND re);                          // EM_GETTEXTLENGTHEX, GTL_NUMCHARS
struct Selection { int start = 0; int end = 0; int length() const { return end - start; } };
Selection GetSel(HWND re);
void SetSel(HWND re, int start, int end);         // end -1: to the end of the text

// Colour of the selection, or with nothing selected the colour the next
// inserted character takes; nullopt when the selection has several colours.
std::optional<Color> GetSelColor(HWND re);
void SetSelColor(HWND re, Color c);

// Whether the view shows the end of the text: the last line's top lies in
// the box. Costs about as much as placing the caret (the box's line count
// in some RichEdits), so it is asked when the view moves, not per line.
bool ShowsEnd(HWND re);
// Scrolls the view to the end of the text; the caret stays where it is.
void ScrollToEnd(HWND re);

std::wstring GetAllTextWide(HWND re);             // the whole text, line breaks as CR
std::wstring GetSelTextWide(HWND re);             // the selection, line breaks as CR LF (plain text)
void ReplaceSel(HWND re, std::string_view text, bool canUndo = true);

// The whole content as RTF (text, colours, fonts), and RTF put in place of
// everything the box holds or, with `selection`, of the selection only (the
// text then keeps the box's font where the RTF names none). `rtf` must end
// in a NUL, as a std::string's view does.
std::string GetRtf(HWND re);
void SetRtf(HWND re, std::string_view rtf, bool selection = false);

}  // namespace vek::win
