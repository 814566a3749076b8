// Following the chat log: Start and Stop, the Log menu, and one pass of the
// follower. Passes run from the window's message loop: a short timer, and a
// change notification on the log's folder that may wake a pass sooner (only
// a hint: on Windows a log held open by the game often grows silently).
#include <windows.h>

#include <algorithm>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/frmChat.h"
#include "app/mdlChat.h"
#include "win/text.h"

namespace {

constexpr UINT_PTR kFollowTimer = 1;
constexpr UINT kFollowIntervalMs = 50;
// While more is waiting, passes follow each other at this shorter interval;
// timer messages come only when no input is queued, so typing goes first.
constexpr UINT kCatchUpIntervalMs = USER_TIMER_MINIMUM;

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 2 && path.size() > 1 && path[1] == ':') return path.substr(0, 3);  // "C:\"
    return path.substr(0, slash);
}

// A path for the wide file functions: one of MAX_PATH characters or more
// gets the prefix that lifts the limit (a game may well keep its log that
// deep; the ANSI functions would refuse it).
std::wstring FilePath(const std::string& path) {
    std::wstring w = vek::win::ToWide(path);
    if (w.size() < MAX_PATH || w.rfind(L"\\\\?\\", 0) == 0) return w;
    std::replace(w.begin(), w.end(), L'/', L'\\');  // the prefix turns off that translation
    if (w.size() > 2 && w[1] == L':' && w[2] == L'\\') return L"\\\\?\\" + w;
    if (w.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + w.substr(2);
    return w;  // relative: left to the system
}

// Opens the log for reading only, sharing everything, so the game can go on
// writing, renaming or deleting it. Never creates it.
vek::win::UniqueFile OpenLog(const std::string& path) {
    if (path.empty() || path == "?") return {};
    return vek::win::UniqueFile(::CreateFileW(FilePath(path).c_str(), GENERIC_READ,
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

// The file in `folder` that has `id`, other than the one at `path`: where a
// log went that was renamed away (rotated) while followed. The most recently
// written files are looked at first, and only a few of them, so a folder of
// old logs costs little. "" when none has it (deleted, or moved elsewhere).
std::string FindRenamed(const std::string& path, const vek::FileIdentity& id) {
    const std::string folder = FolderOf(path);
    std::vector<std::pair<ULONGLONG, std::string>> files;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileExW(FilePath(folder + "\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                  nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return {};
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string candidate = folder + "\\" + vek::win::ToAnsi(fd.cFileName);
        if (::lstrcmpiA(candidate.c_str(), path.c_str()) == 0) continue;
        files.emplace_back((static_cast<ULONGLONG>(fd.ftLastWriteTime.dwHighDateTime) << 32) |
                               fd.ftLastWriteTime.dwLowDateTime,
                           std::move(candidate));
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    constexpr std::size_t kLooks = 16;
    const std::size_t looks = std::min(files.size(), kLooks);
    std::partial_sort(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(looks), files.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 0; i < looks; ++i) {
        vek::win::UniqueFile f = OpenLog(files[i].second);
        if (!f) continue;
        std::optional<vek::LogProbe> p = Probe(f.get());
        if (p && p->identity == id) return files[i].second;
    }
    return {};
}

// Adds the lines a TakeBlock or TakeRest gave to the pass's RTF; true when
// there were any.
bool AddLines(vek::ChatRtf& rtf, const vek::FollowState& follow, std::span<const std::string_view> lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // The rest of a line cut at a block's end has no lead to drop.
        if (i == 0 && follow.FirstContinues) rtf.AddShown(vek::ShownOfContinuation(lines[0]));
        else rtf.AddLogLine(lines[i]);
    }
    return !lines.empty();
}

}  // namespace

void frmChat::StartLog() {
    {
        vek::win::UniqueFile f = OpenLog(mdlChat::LogFile);
        vek::StartFollowing(Follow, f ? Probe(f.get()) : std::nullopt);
    }
    FollowRenamed.clear();
    FollowBehind = false;
    Logging = true;
    EnableMenuItemById(IDM_LOG_START, false);
    EnableMenuItemById(IDM_LOG_STOP, true);
    EnableEditMenu(true);
    for (HWND h : {rtfChatText, cmdMessageType, txtPageTo, rtfMessage}) ::EnableWindow(h, TRUE);

    FollowWake.reset(::FindFirstChangeNotificationW(FilePath(FolderOf(mdlChat::LogFile)).c_str(), FALSE,
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
    DisplayRtf.Begin();
    bool any = false, behind = false;
    vek::win::UniqueFile f = OpenLog(mdlChat::LogFile);
    if (FollowRenamed.empty() && f && Follow.Identity) {
        // Another file at the path: if the one followed so far was renamed
        // away (rotated), what it got since the last pass is read first.
        std::optional<vek::LogProbe> probe = Probe(f.get());
        if (probe && probe->identity && *probe->identity != *Follow.Identity)
            FollowRenamed = FindRenamed(mdlChat::LogFile, *Follow.Identity);
    }
    if (!FollowRenamed.empty()) {
        vek::win::UniqueFile old = OpenLog(FollowRenamed);
        std::optional<vek::LogProbe> probe = old ? Probe(old.get()) : std::nullopt;
        const bool gone = !probe || probe->identity != Follow.Identity;
        if (gone || !FollowBlock(old.get(), any)) {
            if (!gone) FollowRest(old.get(), any);  // it will not grow again
            // Done with it: the file at the path next, from its first byte.
            FollowRenamed.clear();
            vek::StartFollowing(Follow, std::nullopt);
        }
        behind = true;
    } else if (f) {
        behind = FollowBlock(f.get(), any);
        // Catching up a burst: a second block goes into the same insertion,
        // since each insertion has a cost of its own that grows with the
        // display's length.
        if (behind && FollowBehind) behind = FollowBlock(f.get(), any);
    }
    f.reset();
    if (any && DisplayRtf.HasText()) WriteDisplayRtf();
    if (behind != FollowBehind && Logging) {
        FollowBehind = behind;
        ::SetTimer(hWnd(), kFollowTimer, behind ? kCatchUpIntervalMs : kFollowIntervalMs, nullptr);
    }
}

bool frmChat::FollowBlock(HANDLE f, bool& any) {
    std::optional<vek::LogProbe> probe = Probe(f);
    if (!probe) return false;
    vek::ReadRequest r = vek::PlanRead(Follow, *probe);
    if (r.count == 0) return false;
    // One block per read, so a pass stays short and the window keeps
    // answering: a block goes into a display of 100,000 lines in under a
    // tenth of a second under Wine.
    const std::int64_t before = Follow.LogSize;
    FollowBuffer.resize(r.count);
    LARGE_INTEGER at{};
    at.QuadPart = r.offset;
    DWORD got = 0;
    if (!::SetFilePointerEx(f, at, nullptr, FILE_BEGIN) ||
        !::ReadFile(f, FollowBuffer.data(), r.count, &got, nullptr) || got == 0)
        return false;  // LogSize stays; the next pass tries again
    if (AddLines(DisplayRtf, Follow, vek::TakeBlock(Follow, std::string_view(FollowBuffer.data(), got))))
        any = true;
    // A full read that took something may have more behind it; a partial
    // line waits for the next tick.
    return got == r.count && Follow.LogSize != before;
}

void frmChat::FollowRest(HANDLE f, bool& any) {
    std::optional<vek::LogProbe> probe = Probe(f);
    if (!probe || probe->length <= Follow.LogSize) return;
    // Less than a block: a longer piece without CR went out with TakeBlock.
    const std::int64_t rest = std::min<std::int64_t>(probe->length - Follow.LogSize, vek::kMaxBlock);
    FollowBuffer.resize(static_cast<size_t>(rest));
    LARGE_INTEGER at{};
    at.QuadPart = Follow.LogSize;
    DWORD got = 0;
    if (!::SetFilePointerEx(f, at, nullptr, FILE_BEGIN) ||
        !::ReadFile(f, FollowBuffer.data(), static_cast<DWORD>(rest), &got, nullptr) || got == 0)
        return;
    if (AddLines(DisplayRtf, Follow, vek::TakeRest(Follow, std::string_view(FollowBuffer.data(), got)))) any = true;
}
