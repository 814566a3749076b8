// The program's module: its start-up, its two globals, the settings store,
// and the free-standing procedures that the form calls.
#pragma once
#include <windows.h>

#include <string>

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
bool SaveSetting(const char* key, const std::string& value);

// Steps 1 to 4 of start-up: first-run defaults, then LogFile and AutostartLog.
void LoadSettings();

// The whole program: settings, window, message loop. Returns the exit code.
int Main(HINSTANCE instance, int showCmd);

// Shows the open-file dialog; the chosen path, or "" on cancel or failure.
// filter: "Desc|*.ext|Desc|*.ext[|]"; initialDir: a folder, or "[Use CurDir]".
std::string ShowOpenDialog(HWND owner, const std::string& title, const std::string& filter,
                           const std::string& initialDir, const std::string& defaultExt);

// Types `text` into the game window, one WM_CHAR per byte. Returns how many
// characters were taken (all of them, or fewer when the window vanished or hung).
size_t SendToGame(const std::string& text);
size_t SendChars(HWND window, const std::string& text);

}  // namespace mdlChat
