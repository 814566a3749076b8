#include "support/winapp.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdlib>

#include "core/settings.h"
#include "win/registrysettings.h"
#include "core/chat_display.h"
#include "core/session_view.h"
#include "win/handles.h"
#include "win/richedit.h"
#include "win/text.h"

namespace vektest {

HWND Display(const frmChat& f) { return ::GetDlgItem(f.hWnd(), IDC_CHATTEXT); }
HWND DisplayScrollBar(const frmChat& f) { return ::GetDlgItem(f.hWnd(), IDC_CHATSCROLL); }
HWND ComposerBox(const frmChat& f) { return ::GetDlgItem(f.hWnd(), IDC_MESSAGE); }
HWND PageBox(const frmChat& f) { return ::GetDlgItem(f.hWnd(), IDC_PAGETO); }
HWND TypeButton(const frmChat& f) { return ::GetDlgItem(f.hWnd(), IDC_MESSAGETYPE); }
HMENU FileMenu(const frmChat& f) { return ::GetSubMenu(::GetMenu(f.hWnd()), kFileMenu); }
HMENU EditMenu(const frmChat& f) { return ::GetSubMenu(::GetMenu(f.hWnd()), kEditMenu); }
HMENU LogMenu(const frmChat& f) { return ::GetSubMenu(::GetMenu(f.hWnd()), kLogMenu); }

namespace {
bool StateEnabled(UINT st) { return st != static_cast<UINT>(-1) && !(st & (MF_DISABLED | MF_GRAYED)); }
}  // namespace

bool MenuItemEnabled(const frmChat& f, UINT id) {
    return StateEnabled(::GetMenuState(::GetMenu(f.hWnd()), id, MF_BYCOMMAND));
}
bool EditMenuEnabled(const frmChat& f) {
    return StateEnabled(::GetMenuState(::GetMenu(f.hWnd()), kEditMenu, MF_BYPOSITION));
}
bool AutostartChecked(const frmChat& f) {
    return (::GetMenuState(LogMenu(f), IDM_LOG_AUTOSTART, MF_BYCOMMAND) & MF_CHECKED) != 0;
}
bool Following(const frmChat& f) { return MenuItemEnabled(f, IDM_LOG_STOP); }
int Dpi(const frmChat& f) { return static_cast<int>(::GetDpiForWindow(f.hWnd())); }
void Command(frmChat& f, UINT id) { ::SendMessageW(f.hWnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
void SendComposed(frmChat& f) { ::SendMessageW(ComposerBox(f), WM_CHAR, '\r', 1); }

void ClickTypeButton(frmChat& f) {
    ::SendMessageW(f.hWnd(), WM_COMMAND, MAKEWPARAM(IDC_MESSAGETYPE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(TypeButton(f)));
}

std::vector<HWND> OwnedWindows(const frmChat& f, const wchar_t* className) {
    struct Search {
        HWND owner;
        const wchar_t* className;
        std::vector<HWND> found;
    } search{f.hWnd(), className, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t cls[64] = {};
            ::GetClassNameW(w, cls, 64);
            if (::GetWindow(w, GW_OWNER) == s->owner && ::lstrcmpiW(cls, s->className) == 0) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string TypeTooltipText(const frmChat& f) {
    // The form has other tooltips (a display line's time), which know no button.
    for (HWND tip : OwnedWindows(f, TOOLTIPS_CLASSW)) {
        wchar_t buf[80] = {};
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = f.hWnd();
        ti.uId = reinterpret_cast<UINT_PTR>(TypeButton(f));
        ti.lpszText = buf;
        ::SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
        if (buf[0]) return vek::win::ToAnsi(buf);
    }
    return {};
}

vek::SettingsStore& Store() {
    static vek::win::RegistrySettings store;
    return store;
}

void ClearSettings() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vek Chat");
}

void PutSetting(const char* key, const std::string& value) {
    if (!Store().Set(key, value)) ADD_FAILURE() << "the setting " << key << " could not be written";
}

std::string ReadSetting(const char* key, bool* found) {
    vek::StoredValue v = Store().Get(key);
    const bool text = v.kind == vek::StoredValue::Kind::Text;
    if (found) *found = text;
    return text ? std::move(v.text) : std::string();
}

void PumpPending(frmChat* form) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        if (form && form->PreTranslateMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(frmChat& form, const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        // The program's own loop step, so the tests see its wake-ups too.
        if (form.IsAlive()) form.DoEvents(0);
        else PumpPending(nullptr);
        if (done && done()) return true;
        if (::GetTickCount64() >= end) return false;
        if (form.IsAlive()) form.DoEvents(5);
        else ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        PumpPending(nullptr);
        if (done && done()) return true;
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void Pump(frmChat& form, int ms) {
    PumpUntil(form, nullptr, ms);
}

std::unique_ptr<frmChat> MakeForm() {
    if (!vek::PrepareSettings(Store())) ADD_FAILURE() << "the first run's settings could not be written";
    auto form = std::make_unique<frmChat>(vek::ReadSettings(Store()), Store());
    if (!form->Create(::GetModuleHandleW(nullptr))) return nullptr;
    PumpPending(form.get());
    return form;
}

std::unique_ptr<frmChat> MakeFollowingForm(const std::string& log) {
    ClearSettings();
    PutSetting("Run Before", "True");
    if (!log.empty()) PutSetting("Log", log);
    auto form = MakeForm();
    if (form) form->StartLog();
    return form;
}

TempDir::TempDir() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        path_ = std::string(base) + "vektest-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
}

TempDir::~TempDir() {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((path_ + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            std::string p = path_ + "\\" + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ::RemoveDirectoryA(p.c_str());
            else ::DeleteFileA(p.c_str());
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(path_.c_str());
}

namespace {
void WriteWith(const std::string& path, const std::string& bytes, DWORD disposition, bool append) {
    vek::win::UniqueFile f(::CreateFileA(path.c_str(), FILE_APPEND_DATA | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return;
    if (append) {
        LARGE_INTEGER zero{};
        ::SetFilePointerEx(f.get(), zero, nullptr, FILE_END);
    }
    DWORD written = 0;
    if (!bytes.empty())
        ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
}  // namespace

void AppendBytes(const std::string& path, const std::string& bytes) {
    WriteWith(path, bytes, OPEN_ALWAYS, true);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    WriteWith(path, bytes, CREATE_ALWAYS, false);
}

std::vector<ColoredChar> ReadColored(HWND re) {
    std::string text = ReadText(re);
    std::vector<ColoredChar> out;
    out.reserve(text.size());
    vek::win::Selection keep = vek::win::GetSel(re);
    ::SendMessageW(re, EM_HIDESELECTION, TRUE, 0);
    for (size_t i = 0; i < text.size(); ++i) {
        vek::win::SetSel(re, static_cast<int>(i), static_cast<int>(i) + 1);
        out.push_back({text[i], vek::win::GetSelColor(re).value_or(0xFFFFFFFFu)});
    }
    vek::win::SetSel(re, keep.start, keep.end);
    ::SendMessageW(re, EM_HIDESELECTION, FALSE, 0);
    return out;
}

int ShownCharCount(std::string_view logText) {
    int n = 0;
    std::vector<vek::ColorRun> runs;
    for (size_t start = 0, eol; (eol = logText.find("\r\n", start)) != std::string_view::npos; start = eol + 2) {
        runs.clear();
        vek::RenderShown(vek::ShownOfLogLine(logText.substr(start, eol - start)), runs);
        for (const vek::ColorRun& r : runs) n += r.text == "\r\n" ? 1 : static_cast<int>(r.text.size());
    }
    return n;
}

std::string ShownText(std::string_view logText) {
    std::string out;
    std::vector<vek::ColorRun> runs;
    for (size_t start = 0, eol; (eol = logText.find("\r\n", start)) != std::string_view::npos; start = eol + 2) {
        runs.clear();
        vek::RenderShown(vek::ShownOfLogLine(logText.substr(start, eol - start)), runs);
        for (const vek::ColorRun& r : runs) out += r.text == "\r\n" ? std::string_view("\r") : r.text;
    }
    return out;
}

bool ShowsNewestOf(HWND display, std::string_view shown) {
    const std::string text = ReadText(display);
    if (!shown.ends_with(text) || (text.size() < shown.size() && shown[shown.size() - text.size() - 1] != '\r'))
        return false;
    const auto lines = [](std::string_view s) { return static_cast<std::uint64_t>(std::count(s.begin(), s.end(), '\r')); };
    return lines(text) >= std::min(lines(shown), vek::ViewBounds{}.keep);
}

int SessionLineCount(const frmChat& f) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    return ::GetScrollInfo(DisplayScrollBar(f), SB_CTL, &si) ? si.nMax + 1 : -1;
}

std::string ReadText(HWND re) {
    return vek::win::ToAnsi(vek::win::GetAllTextWide(re));
}

void PressKey(frmChat& form, HWND target, int vk, bool shift, bool ctrl, bool alt) {
    // Modifier state is read with GetKeyState, so set the thread's key state.
    BYTE state[256];
    ::GetKeyboardState(state);
    BYTE saved[256];
    memcpy(saved, state, sizeof state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_MENU] = alt ? 0x80 : 0;
    ::SetKeyboardState(state);
    ::PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
    PumpPending(&form);
    ::PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(vk), 0xC0000001);
    PumpPending(&form);
    ::SetKeyboardState(saved);
}

double Seconds() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double CpuSeconds() {
    FILETIME a, b, k, u;
    ::GetProcessTimes(::GetCurrentProcess(), &a, &b, &k, &u);
    auto s = [](FILETIME t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) * 1e-7;
    };
    return s(k) + s(u);
}

std::string BuiltProgram(const std::string& name) {
    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir.resize(dir.find_last_of("\\/"));
    return dir + "\\" + name;
}

}  // namespace vektest
