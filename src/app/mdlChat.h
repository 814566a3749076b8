// The program's module: start-up, the two settings it keeps for the run,
// and the settings store.
#pragma once
#include <windows.h>

#include <string>

#include "core/alerts.h"

namespace mdlChat {

// Full path of the chat log; "?" when none is chosen.
extern std::string LogFile;
// Whether following starts as soon as the window is open (read at start-up).
extern bool AutostartLog;

// Where the settings live, under HKEY_CURRENT_USER.
inline constexpr const char* SettingsKey = "Software\\Vek Chat\\Configuration";

// Reads a setting as text; `def` when it is absent, unreadable or not a string.
std::string GetSetting(const char* key, const std::string& def);
// Writes a setting as a string value. Returns false when the store refused it.
[[nodiscard]] bool SaveSetting(const char* key, const std::string& value);

// Reads the settings into LogFile and AutostartLog, writing the defaults
// first on a first run.
void LoadSettings();

// The alert settings: each missing or damaged value gives its default.
vek::AlertSettings LoadAlertSettings();
[[nodiscard]] bool SaveAlertSettings(const vek::AlertSettings& settings);

// The whole program: settings, window, message loop. Returns the exit code.
int Main(HINSTANCE instance);

}  // namespace mdlChat
