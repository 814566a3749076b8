// Alerts: the follower's shown lines read beside the display for a page or one of
// the player's alert words. When a pass of news has one and VekChat is in
// the background, its taskbar button flashes until it comes to the front,
// and the notification sound may play.
#pragma once
#include <windows.h>

#include <string_view>

#include "core/alerts.h"
#include "core/log_follower.h"
#include "core/shown_line.h"

namespace vek {

class AlertWatch final : public ShownLineSink {
public:
    // The window whose taskbar button flashes.
    void Attach(HWND window) { window_ = window; }

    const AlertSettings& Settings() const { return settings_; }
    void SetSettings(AlertSettings settings);

    // Nothing per line when no setting can alert, and nothing after the
    // first alerting line of a pass. Only the log's lines alert.
    void TakeShown(const ShownLine& line) override;
    void EndPass(const PassFacts& facts) override;

private:
    HWND window_ = nullptr;
    AlertSettings settings_;
    SoundThrottle throttle_;
    bool active_ = kFlashOnPagesDefault;  // some line could alert
    bool alert_ = false;                  // a line of the pass under way did
};

}  // namespace vek
