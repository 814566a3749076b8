#include "log/logfiles.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "win/text.h"

namespace vek {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);  // "C:\"
    return path.substr(0, slash);
}

// A path for the wide file functions: one of MAX_PATH characters or more
// gets the prefix that lifts the limit (a game may well keep its log that
// deep; the ANSI functions would refuse it).
std::wstring FilePath(std::wstring w) {
    if (w.size() < MAX_PATH || w.rfind(L"\\\\?\\", 0) == 0) return w;
    std::replace(w.begin(), w.end(), L'/', L'\\');  // the prefix turns off that translation
    if (w.size() > 2 && w[1] == L':' && w[2] == L'\\') return L"\\\\?\\" + w;
    if (w.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + w.substr(2);
    return w;  // relative: left to the system
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE f) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(f, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

class Win32LogFile final : public LogFile {
public:
    explicit Win32LogFile(win::UniqueFile f) : f_(std::move(f)) {}

    std::optional<LogProbe> Probe() override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(f_.get(), &size)) return std::nullopt;
        return LogProbe{IdentityOfHandle(f_.get()), size.QuadPart};
    }

    std::optional<std::size_t> ReadAt(std::int64_t offset, std::span<char> buffer) override {
        LARGE_INTEGER at{};
        at.QuadPart = offset;
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 0x7FFFFFFF));
        if (!::SetFilePointerEx(f_.get(), at, nullptr, FILE_BEGIN) ||
            !::ReadFile(f_.get(), buffer.data(), want, &got, nullptr))
            return std::nullopt;
        return got;
    }

private:
    win::UniqueFile f_;
};

win::UniqueFile OpenShared(const std::wstring& path) {
    return win::UniqueFile(::CreateFileW(FilePath(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    // Attributes only: no data access, so the open stands in no writer's way
    // whatever sharing it asks for.
    win::UniqueFile f(::CreateFileW(FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return f ? IdentityOfHandle(f.get()) : std::nullopt;
}

std::uint64_t Ticks(const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

}  // namespace

std::optional<LogLook> Win32LogFiles::Look(const std::string& path) {
    if (path.empty()) return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!::GetFileAttributesExW(FilePath(win::ToWide(path)).c_str(), GetFileExInfoStandard, &a) ||
        (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return LogLook{static_cast<std::int64_t>((static_cast<std::uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow),
                   Ticks(a.ftCreationTime), Ticks(a.ftLastWriteTime)};
}

std::optional<FileIdentity> Win32LogFiles::Identify(const std::string& path) {
    if (path.empty()) return std::nullopt;
    return IdentityOf(win::ToWide(path));
}

std::unique_ptr<LogFile> Win32LogFiles::Open(const std::string& path) {
    if (path.empty()) return nullptr;
    win::UniqueFile f = OpenShared(win::ToWide(path));
    if (!f) return nullptr;
    return std::make_unique<Win32LogFile>(std::move(f));
}

std::string Win32LogFiles::FindRenamed(const std::string& path, const FileIdentity& id) {
    // The most recently written files of the folder are looked at first, and
    // only a few of them, so a folder of old logs costs little.
    const std::wstring log = win::ToWide(path);
    const std::wstring folder = FolderOf(log);
    std::vector<std::pair<ULONGLONG, std::wstring>> files;
    WIN32_FIND_DATAW fd;
    win::UniqueFind search(
        ::FindFirstFileExW(FilePath(folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!search) return {};
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring candidate = folder + L"\\" + fd.cFileName;
        if (::CompareStringOrdinal(candidate.c_str(), -1, log.c_str(), -1, TRUE) == CSTR_EQUAL) continue;
        files.emplace_back(Ticks(fd.ftLastWriteTime), std::move(candidate));
    } while (::FindNextFileW(search.get(), &fd));
    constexpr std::size_t kLooks = 16;
    const std::size_t looks = std::min(files.size(), kLooks);
    std::partial_sort(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(looks), files.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 0; i < looks; ++i) {
        if (IdentityOf(files[i].second) != id) continue;
        // The follower opens it again by this name, so it must survive the
        // code page: a name it cannot hold is no use.
        std::string ansi = win::ToAnsi(files[i].second);
        if (win::ToWide(ansi) == files[i].second) return ansi;
    }
    return {};
}

void LogWatch::Watch(const std::string& logPath) {
    handle_.reset(::FindFirstChangeNotificationW(
        FilePath(FolderOf(win::ToWide(logPath))).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME));
}

void LogWatch::Rearm() {
    if (handle_ && !::FindNextChangeNotification(handle_.get())) handle_.reset();
}

}  // namespace vek
