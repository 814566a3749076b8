// The program's settings: one value, read from and written to a store of
// named strings (the registry in the program, a map in tests). The table of
// stored names and their defaults is in settings.cpp; what is written, and
// when:
//   first run:           "Run Before", "Log" (no log), "Autostart Log"
//   the session's end:   "Window Placement", "Log", "Autostart Log"
//   Log > Alerts... OK:  "Flash On Pages", "Alert Words", "Alert Sound"
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/alerts.h"
#include "core/placement.h"

namespace vek {

struct Settings {
    std::string logFile;        // the chat log's path; empty while none is chosen
    bool autostartLog = false;  // following starts as soon as the window is open
    AlertSettings alerts;
    std::optional<Placement> placement;  // where the window was left; none: the creation size
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

}  // namespace vek
