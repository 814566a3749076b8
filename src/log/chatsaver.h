// File > Save Chat As: the system's Save dialog, then the lines a view shows
// written whole (win/wholefile.h) in the format the player chose.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "core/chat_save.h"
#include "core/line_kinds.h"
#include "core/session_lines.h"

namespace vek {

struct SaveTarget {
    std::wstring path;
    SaveFormat format = SaveFormat::Text;
};

// The Save dialog over `owner`, opening in `folder` (empty: the system's
// choice) with `name` offered. The format is the one the typed name's
// extension says, else the one chosen in the dialog's list (its extension
// added). nullopt when the player cancelled or the dialog failed.
std::optional<SaveTarget> AskSaveTarget(HWND owner, const std::wstring& folder, const std::wstring& name);

// Writes entries [0, lines.Size()) whose kind is in `filter` to the target,
// replacing it whole; `display` gives the face named in the file. Returns
// ERROR_SUCCESS or the system's error code.
[[nodiscard]] DWORD SaveChat(const SaveTarget& target, const SessionLines& lines, const LineKinds& kinds,
                             KindFilter filter, bool times, HWND display);

// The name offered today: "VekChat 2026-12-08".
std::wstring TodaysSaveName();

}  // namespace vek
