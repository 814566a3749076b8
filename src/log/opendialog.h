// The open-file dialog, as File > Change Log uses it.
#pragma once
#include <windows.h>

#include <string>

namespace vek {

// Shows the open-file dialog over `owner`; the chosen path, or "" on cancel
// or failure (a path longer than the dialog's buffer included).
// filter: "Desc|*.ext|Desc|*.ext[|]"; initialDir: a folder, or "[Use CurDir]"
// in any capitalisation for the process's current folder.
std::string ShowOpenDialog(HWND owner, const std::string& title, const std::string& filter,
                           const std::string& initialDir, const std::string& defaultExt);

}  // namespace vek
