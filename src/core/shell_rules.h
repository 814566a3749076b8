// Rules of the main window that need no window: the caption, the reading of
// stored settings, the layout, and the File menu's log caption.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vek {

struct Version {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// "Vek Chat v<major>.<minor>[<revision>] - By Orrin"; the revision is written
// only when it is above 0, straight after the minor number.
std::string WindowCaption(Version v);

// Reads a stored Boolean. "True"/"False" as written, any other capitalisation
// of true/false/yes/no/on/off, and whole numbers (non-zero is true) are
// understood; anything else yields std::nullopt, which the caller turns into
// the key's default.
std::optional<bool> ParseStoredBool(std::string_view text);
constexpr const char* StoredBool(bool b) { return b ? "True" : "False"; }

// Whether the program has run for this user before, from the stored "Run
// Before": nullopt when the value is absent. Absent, empty or "False" (in any
// form ParseStoredBool understands) is a first run; a value that is there but
// not understood (damaged, or of another type: pass it as any non-empty
// text) counts as having run, so that it never sends the player's other
// settings back to their first-run defaults.
bool HasRunBefore(const std::optional<std::string>& stored);

// "&Change Log - (<path or none>)". An "&" in the path is doubled so that the
// menu shows it instead of taking it as an access key.
std::string ChangeLogCaption(std::string_view logFile);

// Positions and sizes of the controls that follow the window's size, in twips,
// from the client area's width and height in twips. Nothing is ever negative.
struct Layout {
    int chatWidth = 0;        // rtfChatText width
    int chatHeight = 0;       // rtfChatText height
    int messageWidth = 0;     // rtfMessage width, for its current left edge
    int buttonTop = 0;        // cmdMessageType top
    int pageToTop = 0;        // txtPageTo top
    int messageTop = 0;       // rtfMessage top
    int lineY = 0;            // linPageTo y (start and end)
};
Layout ComputeLayout(int clientWidthTwips, int clientHeightTwips, int messageLeftTwips);

// Twips and pixels at a given DPI (1440 twips to the inch), rounded to nearest.
inline int TwipsToPixels(int twips, int dpi) {
    long long v = static_cast<long long>(twips) * dpi;
    return static_cast<int>(v >= 0 ? (v + 720) / 1440 : -((-v + 720) / 1440));
}
inline int PixelsToTwips(int pixels, int dpi) {
    if (dpi <= 0) return 0;
    long long v = static_cast<long long>(pixels) * 1440;
    return static_cast<int>(v >= 0 ? (v + dpi / 2) / dpi : -((-v + dpi / 2) / dpi));
}

}  // namespace vek
