// Rules of sending a message and of the open-file dialog that need no window:
// the message types (prefix, tooltip, where the composer starts), the
// outgoing text, and the conversions around the dialog's record.
#pragma once
#include <string>
#include <string_view>

namespace vek {

// The message types, in the order the type button cycles through them.
enum MessageKind : int { kNormal = 0, kChat = 1, kPage = 2 };
inline constexpr int kMessageKinds = 3;

// The type that follows `type` on the button (0, 1, 2, 0, ...). Any value out
// of range starts the cycle again at Chat, as if it were Normal.
int NextMessageType(int type);

// Tooltip of the type button: "Normal Mode", "Chat Mode" or "Page Mode".
const char* MessageTypeTooltip(int type);

// Designed width of the page-target box, twips; the layout never changes it.
inline constexpr int kPageToWidthTwips = 1455;

// The composer's left edge for a type, twips: right of the page-target box for
// Page (its width + 345), else 360.
int ComposerLeft(int type, int pageToWidthTwips = kPageToWidthTwips);

// What goes before the markup: nothing, ";", or /"<target>" followed by a space.
// The target is used as it stands, without trimming.
std::string MessagePrefix(int type, std::string_view pageTo);

// The whole text typed into the game: prefix, markup, carriage return. A
// line break inside the markup goes as a blank, so that the game takes the
// whole composition as one message under its prefix. The page target and
// the markup both go through OneGameLine.
std::string OutgoingText(int type, std::string_view pageTo, std::string_view markup);

// A text as one line of keys for the game's input line: a line break (CR LF,
// CR or LF) or a tab becomes one blank; other bytes below 32, and DEL, which
// would edit the line as keys, are dropped.
std::string OneGameLine(std::string_view text);

// Whether a character may stand in the page-target box: a double quote or a
// brace would break the page address open.
inline bool IsPageToChar(char c) { return c != '"' && c != '{' && c != '}'; }
// `text` without the characters the page-target box refuses.
std::string PageToFiltered(std::string_view text);

// Whether a character may stand in a page target that was not typed: a name
// read from the log, a message brought back, a reply target. Besides what the
// box refuses, control characters (below 32, and DEL) name no one and would
// edit the game's input line.
inline bool IsCleanPageToChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return IsPageToChar(c) && u >= 32 && u != 127;
}
// `text` without the characters IsCleanPageToChar refuses.
std::string PageToCleaned(std::string_view text);

// The dialog's filter list: "Desc|*.x|Desc|*.y" with a closing "|" added when
// it is missing, every "|" turned into NUL. The string's own terminator then
// ends the list with the double NUL the dialog expects.
std::string DialogFilter(std::string_view filter);

// Whether an initial-folder argument is the marker that asks for the current
// folder ("[Use CurDir]" in any capitalisation).
bool IsCurDirMarker(std::string_view initialDir);

// The path the dialog left in its file buffer of spaces: the buffer trimmed of
// spaces at both ends, then cut at its first NUL. A buffer filled to the last
// character holds no NUL; its trimmed text is then the path, whole.
std::string DialogResultPath(std::string_view buffer);

}  // namespace vek
