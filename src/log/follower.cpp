// Following the chat log: Start and Stop, the Log menu, and one pass of the
// follower. Passes run from the window's message loop: a short timer, and a
// change notification on the log's folder that may wake a pass sooner (only
// a hint: on Windows a log held open by the game often grows silently).
#include <windows.h>

#include "app/frmChat.h"
#include "app/mdlChat.h"

namespace {

constexpr UINT_PTR kFollowTimer = 1;
constexpr UINT kFollowIntervalMs = 50;
// A pass that finds more than one block waiting keeps reading blocks for at
// most this long, so a burst is caught up quickly without freezing the window.
constexpr ULONGLONG kPassBudgetMs = 40;

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 2 && path.size() > 1 && path[1] == ':') return path.substr(0, 3);  // "C:\"
    return path.substr(0, slash);
}

// Opens the log for reading only, sharing everything, so the game can go on
// writing, renaming or deleting it. Never creates it.
vek::win::UniqueFile OpenLog(const std::string& path) {
    if (path.empty() || path == "?") return {};
    return vek::win::UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                              nullptr));
}

std::optional<vek::LogProbe> Probe(HANDLE f) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f, &size)) return std::nullopt;
    vek::LogProbe p;
    p.length = size.QuadPart;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(f, &info))
        p.identity = vek::FileIdentity{info.dwVolumeSerialNumber,
                                       (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return p;
}

}  // namespace

void frmChat::StartLog() {
    {
        vek::win::UniqueFile f = OpenLog(mdlChat::LogFile);
        vek::StartFollowing(Follow, f ? Probe(f.get()) : std::nullopt);
    }
    Logging = true;
    EnableMenuItemById(IDM_LOG_START, false);
    EnableMenuItemById(IDM_LOG_STOP, true);
    EnableEditMenu(true);
    for (HWND h : {rtfChatText, cmdMessageType, txtPageTo, rtfMessage}) ::EnableWindow(h, TRUE);

    FollowWake.reset(::FindFirstChangeNotificationA(FolderOf(mdlChat::LogFile).c_str(), FALSE,
                                                     FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                         FILE_NOTIFY_CHANGE_FILE_NAME));
    ::SetTimer(hWnd(), kFollowTimer, kFollowIntervalMs, nullptr);
}

void frmChat::StopLog() {
    Logging = false;
    ::KillTimer(hWnd(), kFollowTimer);
    FollowWake.reset();
    EnableMenuItemById(IDM_LOG_START, true);
    EnableMenuItemById(IDM_LOG_STOP, false);
    EnableEditMenu(false);
    for (HWND h : {rtfChatText, cmdMessageType, txtPageTo, rtfMessage}) ::EnableWindow(h, FALSE);
}

void frmChat::mnuLogStart_Click() { StartLog(); }

void frmChat::mnuLogStop_Click() { StopLog(); }

void frmChat::mnuLogAutostart_Click() {
    ::CheckMenuItem(mnuLog, IDM_LOG_AUTOSTART,
                    MF_BYCOMMAND | (IsAutostartChecked() ? MF_UNCHECKED : MF_CHECKED));
}

void frmChat::tmrFollow_Timer() {
    if (!Logging) return;
    vek::win::UniqueFile f = OpenLog(mdlChat::LogFile);
    if (!f) return;  // missing, locked or no log chosen: try again next pass
    const ULONGLONG started = ::GetTickCount64();
    DisplayRtf.Begin();
    bool any = false;
    for (;;) {
        std::optional<vek::LogProbe> probe = Probe(f.get());
        if (!probe) break;
        vek::ReadRequest r = vek::PlanRead(Follow, *probe);
        if (r.count == 0) break;
        FollowBuffer.resize(r.count);
        LARGE_INTEGER at{};
        at.QuadPart = r.offset;
        DWORD got = 0;
        if (!::SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN) ||
            !::ReadFile(f.get(), FollowBuffer.data(), r.count, &got, nullptr) || got == 0)
            break;  // LogSize stays; the next pass tries again
        const std::int64_t before = Follow.LogSize;
        for (std::string_view line : vek::TakeBlock(Follow, std::string_view(FollowBuffer.data(), got))) {
            DisplayRtf.AddLogLine(line);
            any = true;
        }
        // Only a full block may have more behind it; a partial line waits.
        if (got < vek::kMaxBlock || Follow.LogSize == before ||
            ::GetTickCount64() - started > kPassBudgetMs)
            break;
    }
    f.reset();
    if (any && DisplayRtf.HasText()) WriteDisplayRtf();
}
