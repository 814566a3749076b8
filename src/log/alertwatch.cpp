#include "log/alertwatch.h"

#include <mmsystem.h>

#include <utility>

namespace vek {

void AlertWatch::SetSettings(AlertSettings settings) {
    settings_ = std::move(settings);
    active_ = settings_.flashOnPages || !settings_.words.Empty();
}

void AlertWatch::TakeShown(const ShownLine& line) {
    if (!active_ || alert_ || line.source != LineSource::Log) return;
    alert_ = LineAlerts(line, settings_);
}

void AlertWatch::EndPass(const PassFacts& facts) {
    if (!std::exchange(alert_, false) || !PassMayAlert(facts)) return;
    // The player is looking when VekChat or one of its dialogs is in front.
    const HWND front = ::GetForegroundWindow();
    const bool foreground = front && ::GetAncestor(front, GA_ROOTOWNER) == window_;
    const AlertAction action = DecideAlert(settings_, foreground, throttle_, ::GetTickCount64());
    if (action.flash) {
        FLASHWINFO fi{sizeof fi, window_, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        ::FlashWindowEx(&fi);
    }
    if (action.sound) ::PlaySoundW(L"Notification.Default", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
}

}  // namespace vek
