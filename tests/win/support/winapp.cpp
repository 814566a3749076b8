#include "support/winapp.h"

#include <richedit.h>

#include <cstdlib>

#include "app/mdlChat.h"
#include "win/handles.h"
#include "win/richedit.h"

namespace vektest {

void ClearSettings() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vek Chat");
}

void PutSetting(const char* key, const std::string& value) {
    mdlChat::SaveSetting(key, value);
}

std::string ReadSetting(const char* key, bool* found) {
    const std::string missing = "\x01<absent>";
    std::string v = mdlChat::GetSetting(key, missing);
    if (found) *found = v != missing;
    return v == missing ? std::string() : v;
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

void Pump(frmChat& form, int ms) {
    PumpUntil(form, nullptr, ms);
}

std::unique_ptr<frmChat> MakeForm() {
    mdlChat::LoadSettings();
    auto form = std::make_unique<frmChat>();
    if (!form->Create(::GetModuleHandleW(nullptr))) return nullptr;
    PumpPending(form.get());
    return form;
}

std::unique_ptr<frmChat> MakeFollowingForm() {
    ClearSettings();
    PutSetting("Run Before", "True");
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
    std::string text = vek::win::GetAllText(re);
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

std::string ReadText(HWND re) {
    return vek::win::GetAllText(re);
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

std::string BuiltProgram(const std::string& name) {
    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir.resize(dir.find_last_of("\\/"));
    return dir + "\\" + name;
}

}  // namespace vektest
