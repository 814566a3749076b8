#include "log/chatsaver.h"

#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "win/text.h"
#include "win/wholefile.h"

namespace vek {

namespace {

// The dialog's list, in the order of its 1-based index.
constexpr SaveFormat kListFormats[] = {SaveFormat::Rtf, SaveFormat::Html, SaveFormat::Text};
constexpr wchar_t kFilter[] =
    L"Rich Text (*.rtf)\0*.rtf\0Web Page (*.html)\0*.html;*.htm\0Plain Text (*.txt)\0*.txt\0";

// The display's face, when its name is plain ASCII (the file names it in bytes).
std::string DisplayFace(HWND display) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE;
    if (display) ::SendMessageW(display, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    std::string face;
    for (const wchar_t* p = cf.szFaceName; *p; ++p) {
        if (*p < 0x20 || *p >= 0x7f) return "Tahoma";
        face += static_cast<char>(*p);
    }
    return face.empty() ? "Tahoma" : face;
}

}  // namespace

std::optional<SaveTarget> AskSaveTarget(HWND owner, const std::wstring& folder, const std::wstring& name) {
    std::vector<wchar_t> file(32768, L'\0');
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = L"Save Chat As";
    ofn.lpstrDefExt = L"rtf";  // the list's extension is added to a name without one
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN | OFN_EXPLORER;
    if (!::GetSaveFileNameW(&ofn)) return std::nullopt;
    SaveTarget t;
    t.path = file.data();
    const std::string utf8 = win::ToUtf8(t.path);
    if (const std::optional<SaveFormat> named = FormatOfName(utf8)) {
        t.format = *named;
    } else {
        const DWORD i = ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= std::size(kListFormats) ? ofn.nFilterIndex : 1;
        t.format = kListFormats[i - 1];
        t.path += L'.';
        t.path += win::FromUtf8(ExtensionOf(t.format));
    }
    return t;
}

DWORD SaveChat(const SaveTarget& target, const SessionLines& lines, const LineKinds& kinds, KindFilter filter,
               bool times, HWND display) {
    SaveOptions options;
    options.format = target.format;
    options.times = times;
    options.codepage = static_cast<int>(::GetACP());
    options.font = DisplayFace(display);
    const DecodeAnsi decode = [](std::string_view bytes, std::u16string& out) {
        const std::wstring wide = win::ToWide(bytes);
        out.append(wide.begin(), wide.end());
    };
    return win::WriteFileWhole(target.path, [&](ByteSink& sink) {
        return SaveSession(lines, kinds, filter, sink, options, decode);
    });
}

std::wstring TodaysSaveName() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return win::FromUtf8(DefaultSaveName(now.wYear, now.wMonth, now.wDay));
}

}  // namespace vek
