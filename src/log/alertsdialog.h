// Log > Alerts...: the dialog that sets when VekChat calls for attention.
#pragma once
#include <windows.h>

#include <optional>

#include "core/alerts.h"

namespace vek {

// Shows the Alerts dialog (the resource IDD_ALERTS of `instance`) over
// `owner`, filled in from `current`. The settings chosen, with the words
// cleaned (AlertWords::Parse), or nullopt when the player cancelled or the
// dialog could not be shown.
std::optional<AlertSettings> ShowAlertsDialog(HINSTANCE instance, HWND owner, const AlertSettings& current);

}  // namespace vek
