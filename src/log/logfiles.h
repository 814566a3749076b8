// The chat log on disk: the Win32 side of the follower's file interface, and
// the change notification that wakes a pass sooner than the timer.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "core/log_follower.h"
#include "win/handles.h"

namespace vek {

// Paths are ANSI, as the settings hold them; paths of MAX_PATH characters
// and more are opened too. Files are opened read-only, sharing read, write
// and delete, so that the game can go on writing, renaming or deleting its
// log. Nothing is ever created or deleted.
class Win32LogFiles final : public LogFiles {
public:
    // By path (GetFileAttributesEx): no handle that could collide with the
    // game's own open.
    std::optional<LogLook> Look(const std::string& path) override;
    // From a handle opened for attributes only, which no sharing mode refuses.
    std::optional<FileIdentity> Identify(const std::string& path) override;
    std::unique_ptr<LogFile> Open(const std::string& path) override;
    std::string FindRenamed(const std::string& path, const FileIdentity& id) override;
};

// A change notification on the folder of the followed log: only a hint that
// the log may have grown (on Windows a log held open by the game often grows
// without one), so the timer stays.
class LogWatch {
public:
    // Watches the folder of the log at logPath; ends an earlier watch. A
    // folder that cannot be watched leaves no watch.
    void Watch(const std::string& logPath);
    void Stop() { handle_.reset(); }
    // The handle to wait on; nullptr when nothing is watched.
    HANDLE Handle() const { return handle_ ? handle_.get() : nullptr; }
    // After the handle fired: wait for the next change.
    void Rearm();

private:
    win::UniqueChangeNotify handle_;
};

}  // namespace vek
