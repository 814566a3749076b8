#include "log/opendialog.h"

#include <commdlg.h>

#include <array>

#include "core/message.h"

namespace vek {

std::string ShowOpenDialog(HWND owner, const std::string& title, const std::string& filter,
                           const std::string& initialDir, const std::string& defaultExt) {
    const std::string filterList = DialogFilter(filter);

    std::string folder = initialDir;
    if (IsCurDirMarker(initialDir)) {
        DWORD n = ::GetCurrentDirectoryA(0, nullptr);
        folder.assign(n, '\0');
        n = ::GetCurrentDirectoryA(n, folder.data());
        folder.resize(n < folder.size() ? n : 0);
    }

    // Buffers of 254 spaces; the dialog may use all 255 bytes, terminator included.
    std::array<char, 255> file{}, fileTitle{};
    file.fill(' ');
    fileTitle.fill(' ');
    file.back() = '\0';
    fileTitle.back() = '\0';

    OPENFILENAMEA ofn{};
    // The version-4.00 record: the form every Windows and Wine takes alike.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.hInstance = ::GetModuleHandleA(nullptr);
    ofn.lpstrFilter = filterList.c_str();
    ofn.lpstrCustomFilter = nullptr;
    ofn.nMaxCustFilter = 0;
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrFileTitle = fileTitle.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = defaultExt.c_str();
    if (!::GetOpenFileNameA(&ofn)) return {};  // cancelled, or the path did not fit
    return DialogResultPath(std::string_view(file.data(), file.size() - 1));
}

}  // namespace vek
