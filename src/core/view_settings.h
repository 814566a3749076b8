// The kept choices of the View menu and of saving the chat: their stored
// names and defaults in one table, read and written as text.
#pragma once
#include <cstddef>
#include <iterator>

#include "core/line_kinds.h"

namespace vek {

enum class ViewSetting : std::size_t {
    ShowChatLines,
    ShowPageLines,
    ShowOtherLines,
    AlwaysOnTop,
    SaveTimes,   // each line's time in front of it in a saved chat
    SaveFolder,  // the folder saved to last (ANSI, as the log's path is kept); empty: none yet
    Count,
};

struct StoredSettingName {
    const char* name;      // the registry value
    const char* fallback;  // when it is missing or not understood
};

inline constexpr StoredSettingName kViewSettings[] = {
    {"Show Chat Lines", "True"}, {"Show Page Lines", "True"},       {"Show Other Lines", "True"},
    {"Always On Top", "False"},  {"Save Times With Chat", "False"}, {"Save Folder", ""},
};
static_assert(std::size(kViewSettings) == static_cast<std::size_t>(ViewSetting::Count));

constexpr const StoredSettingName& Stored(ViewSetting s) { return kViewSettings[static_cast<std::size_t>(s)]; }

// The setting that says whether lines of a kind show.
constexpr ViewSetting ShowSettingOf(LineKind kind) {
    return kind == LineKind::Chat   ? ViewSetting::ShowChatLines
           : kind == LineKind::Page ? ViewSetting::ShowPageLines
                                    : ViewSetting::ShowOtherLines;
}

// Every kind, in the order of its value (menus list them so).
inline constexpr LineKind kLineKinds[] = {LineKind::Chat, LineKind::Page, LineKind::Other};
static_assert(static_cast<int>(kLineKinds[1]) == 1 && static_cast<int>(kLineKinds[2]) == 2);

}  // namespace vek
