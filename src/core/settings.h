// The program's settings: one value, read from and written to a store of
// named strings (the registry in the program, a map in tests). The table of
// stored names and their defaults is in settings.cpp; what is written, and
// when:
//   first run:           "Run Before", "Log" (no log), "Autostart Log"
//   the session's end:   "Window Placement", "Log", "Autostart Log"
//   Log > Alerts... OK:  "Flash On Pages", "Alert Words", "Alert Sound"
//   a View menu tick, Save Times With Chat, a chat saved: that choice alone,
//     at once ("Show Chat Lines", "Show Page Lines", "Show Other Lines",
//     "Always On Top", "Save Times With Chat", "Save Folder")
//     and "Pages Pane" when the pane is shown or hidden, "Pages Pane Height"
//     when the bar above it is let go
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/alerts.h"
#include "core/line_kinds.h"
#include "core/placement.h"

namespace vek {

// The tallest pages pane kept, in twips (a pane on a very tall monitor).
inline constexpr int kMaxPaneHeight = 100000;

// The View menu's choices and those of saving the chat.
struct ViewChoices {
    KindFilter shown = KindFilter::All();  // the kinds of line shown, and written by a save
    bool alwaysOnTop = false;
    bool saveTimes = false;  // each line's time in front of it in a saved chat
    std::string saveFolder;  // the folder saved to last (ANSI, as the log's path is kept); empty: none yet
    bool pagesPane = false;  // the pages pane shows
    int paneHeight = 0;      // the pages pane's height, twips; 0: none chosen yet
};

// Each of them, for keeping the one the player changed.
enum class ViewChoice { ShowChatLines, ShowPageLines, ShowOtherLines, AlwaysOnTop, SaveTimes, SaveFolder, PagesPane, PaneHeight };

// The choice that says whether lines of a kind show.
constexpr ViewChoice ShowChoiceOf(LineKind kind) {
    return kind == LineKind::Chat   ? ViewChoice::ShowChatLines
           : kind == LineKind::Page ? ViewChoice::ShowPageLines
                                    : ViewChoice::ShowOtherLines;
}

struct Settings {
    std::string logFile;        // the chat log's path; empty while none is chosen
    bool autostartLog = false;  // following starts as soon as the window is open
    AlertSettings alerts;
    std::optional<Placement> placement;  // where the window was left; none: the creation size
    ViewChoices view;
};

// A value as a store holds it.
struct StoredValue {
    enum class Kind {
        Absent,
        Text,
        Other,  // there, but not text (a value of another type)
    };
    Kind kind = Kind::Absent;
    std::string text;  // when Text
};

// Named strings that outlive the program. Neither call throws.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual StoredValue Get(std::string_view name) = 0;
    // Returns false when the store refused the value.
    [[nodiscard]] virtual bool Set(std::string_view name, const std::string& value) = 0;
};

// On a first run ("Run Before" absent, empty or false), writes the first
// run's values. Returns false when the store refused one.
[[nodiscard]] bool PrepareSettings(SettingsStore& store);

// The settings as stored; each value absent, not text or not understood
// gives its default.
Settings ReadSettings(SettingsStore& store);

// What the end of the session keeps: the log and autostart. Both are
// written, whether or not one fails; false when one failed.
[[nodiscard]] bool SaveSessionSettings(SettingsStore& store, const Settings& settings);
[[nodiscard]] bool SaveAlertSettings(SettingsStore& store, const AlertSettings& alerts);
// A place that could not be read back (beyond what may be stored) is not
// written: the one stored before stays. False when the store refused it.
[[nodiscard]] bool SavePlacement(SettingsStore& store, const Placement& place);
// Writes the one choice `which` as `view` holds it. False when the store refused it.
[[nodiscard]] bool SaveViewChoice(SettingsStore& store, const ViewChoices& view, ViewChoice which);

}  // namespace vek
