#include "win/wholefile.h"

#include <algorithm>

#include "win/handles.h"

namespace vek::win {

namespace {

// Writes straight to an open file; keeps the first error.
class FileSink final : public ByteSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool Write(std::string_view bytes) override {
        while (!bytes.empty() && error_ == ERROR_SUCCESS) {
            const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(file_, bytes.data(), part, &written, nullptr)) error_ = ::GetLastError();
            else if (written == 0) error_ = ERROR_WRITE_FAULT;
            bytes.remove_prefix(written);
        }
        return error_ == ERROR_SUCCESS;
    }
    DWORD Error() const { return error_; }

private:
    HANDLE file_;
    DWORD error_ = ERROR_SUCCESS;
};

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);  // a drive's root
    return path.substr(0, slash);
}

}  // namespace

DWORD WriteFileWhole(const std::wstring& path, const std::function<bool(ByteSink&)>& write) {
    // Windows refuses to rename over a read-only file and Wine does not: the
    // same answer everywhere, before anything is written.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
    // A name of its own in the target's folder, so that the rename stays on
    // one volume (and so is one step).
    wchar_t temp[MAX_PATH + 16] = {};
    if (!::GetTempFileNameW(FolderOf(path).c_str(), L"vek", 0, temp)) return ::GetLastError();
    DWORD error = ERROR_SUCCESS;
    {
        UniqueFile file(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) {
            error = ::GetLastError();
        } else {
            FileSink sink(file.get());
            if (!write(sink)) error = sink.Error() != ERROR_SUCCESS ? sink.Error() : ERROR_WRITE_FAULT;
            else if (!::FlushFileBuffers(file.get())) error = ::GetLastError();
        }
    }
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS) ::DeleteFileW(temp);
    return error;
}

std::wstring ErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    if (text) ::LocalFree(text);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ' || out.back() == L'.'))
        out.pop_back();
    return out;
}

}  // namespace vek::win
