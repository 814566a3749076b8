#include "support/process.h"

#include <richedit.h>

#include <cstddef>

namespace vektest {

ChildProcess::ChildProcess(const std::string& commandLine) {
    std::string cmd = commandLine;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    process_.reset(pi.hProcess);
    id_ = pi.dwProcessId;
    ::CloseHandle(pi.hThread);
}

ChildProcess::~ChildProcess() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 9);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

bool ChildProcess::WaitExit(DWORD ms, DWORD* code) const {
    if (!process_ || ::WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return false;
    DWORD c = 0;
    ::GetExitCodeProcess(process_.get(), &c);
    if (code) *code = c;
    return true;
}

namespace {
struct WindowSearch {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    wchar_t cls[64] = {};
    ::GetClassNameW(w, cls, 64);
    if (pid == s->pid && ::lstrcmpW(cls, s->cls) == 0 && ::IsWindowVisible(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND ChildProcess::WaitWindow(const wchar_t* windowClass, DWORD ms) const {
    if (!process_) return nullptr;
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (;;) {
        WindowSearch s{id_, windowClass, nullptr};
        ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        if (::GetTickCount64() >= end || WaitExit(20)) return nullptr;
    }
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string ReadFileShared(const std::string& path) {
    vek::win::UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string out;
    if (!f) return out;
    std::string buf(1 << 16, '\0');
    DWORD got = 0;
    while (::ReadFile(f.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got > 0)
        out.append(buf.data(), got);
    return out;
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t eol; (eol = text.find("\r\n", start)) != std::string::npos; start = eol + 2)
        out.push_back(text.substr(start, eol - start));
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

RemoteRichEdit::RemoteRichEdit(HANDLE process, HWND box) : process_(process), box_(box) {}

RemoteRichEdit::~RemoteRichEdit() {
    if (block_) ::VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
}

bool RemoteRichEdit::Reserve(SIZE_T bytes) {
    if (bytes <= size_) return block_ != nullptr;
    if (block_) ::VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
    size_ = 0;
    block_ = ::VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (block_) size_ = bytes;
    return block_ != nullptr;
}

bool RemoteRichEdit::Send(UINT msg, WPARAM wp, LPARAM lp, DWORD timeoutMs, LRESULT* result) {
    DWORD_PTR r = 0;
    if (!::SendMessageTimeoutW(box_, msg, wp, lp, SMTO_NORMAL, timeoutMs, &r)) return false;
    if (result) *result = static_cast<LRESULT>(r);
    return true;
}

std::optional<long> RemoteRichEdit::Length(DWORD timeoutMs) {
    if (!Reserve(4096)) return std::nullopt;
    GETTEXTLENGTHEX gtl{GTL_NUMCHARS | GTL_PRECISE, 1200};
    if (!::WriteProcessMemory(process_, block_, &gtl, sizeof gtl, nullptr)) return std::nullopt;
    LRESULT n = 0;
    if (!Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(block_), 0, timeoutMs, &n) || n < 0) return std::nullopt;
    return static_cast<long>(n);
}

std::optional<std::wstring> RemoteRichEdit::Text(DWORD timeoutMs) {
    const std::optional<long> n = Length(timeoutMs);
    if (!n) return Fail("no length");
    // Room for what may have arrived since the length was read.
    const SIZE_T chars = static_cast<SIZE_T>(*n) + 65536;
    const SIZE_T head = 64;  // GETTEXTEX, then the text
    if (!Reserve(head + chars * sizeof(wchar_t))) return Fail("VirtualAllocEx");
    GETTEXTEX gt{};
    gt.cb = static_cast<DWORD>(chars * sizeof(wchar_t));
    gt.flags = GT_DEFAULT;
    gt.codepage = 1200;
    if (!::WriteProcessMemory(process_, block_, &gt, sizeof gt, nullptr)) return Fail("WriteProcessMemory");
    auto* text = static_cast<char*>(block_) + head;
    LRESULT got = 0;
    if (!Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(block_), reinterpret_cast<LPARAM>(text), timeoutMs, &got) ||
        got < 0)
        return Fail("EM_GETTEXTEX");
    std::wstring out(static_cast<size_t>(got), L'\0');
    if (got > 0 && !::ReadProcessMemory(process_, text, out.data(), out.size() * sizeof(wchar_t), nullptr))
        return Fail("ReadProcessMemory");
    return out;
}

std::optional<std::wstring> RemoteRichEdit::Range(long from, long to, DWORD timeoutMs) {
    if (from < 0 || to < from) return Fail("bad range");
    const SIZE_T head = 64;  // TEXTRANGEW, then the text
    const SIZE_T chars = static_cast<SIZE_T>(to - from) + 1;
    if (!Reserve(head + chars * sizeof(wchar_t))) return Fail("VirtualAllocEx");
    auto* text = static_cast<char*>(block_) + head;
    TEXTRANGEW tr{};
    tr.chrg = {from, to};
    tr.lpstrText = reinterpret_cast<LPWSTR>(text);
    if (!::WriteProcessMemory(process_, block_, &tr, sizeof tr, nullptr)) return Fail("WriteProcessMemory");
    LRESULT got = 0;
    if (!Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(block_), timeoutMs, &got) || got < 0 ||
        static_cast<SIZE_T>(got) >= chars)
        return Fail("EM_GETTEXTRANGE");
    std::wstring out(static_cast<size_t>(got), L'\0');
    if (got > 0 && !::ReadProcessMemory(process_, text, out.data(), out.size() * sizeof(wchar_t), nullptr))
        return Fail("ReadProcessMemory");
    return out;
}

std::nullopt_t RemoteRichEdit::Fail(const char* what) {
    error_ = std::string(what) + " failed (error " + std::to_string(::GetLastError()) + ")";
    return std::nullopt;
}

std::optional<vek::Color> RemoteRichEdit::RangeColor(long from, long to) {
    if (!Reserve(4096)) return std::nullopt;
    CHARRANGE range{from, to};
    auto* remoteRange = static_cast<char*>(block_);
    auto* remoteFormat = remoteRange + 64;
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    if (!::WriteProcessMemory(process_, remoteRange, &range, sizeof range, nullptr) ||
        !::WriteProcessMemory(process_, remoteFormat, &cf, sizeof cf, nullptr))
        return std::nullopt;
    if (!Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(remoteRange), 5000) ||
        !Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(remoteFormat), 5000))
        return std::nullopt;
    if (!::ReadProcessMemory(process_, remoteFormat, &cf, sizeof cf, nullptr)) return std::nullopt;
    if (!(cf.dwMask & CFM_COLOR) || (cf.dwEffects & CFE_AUTOCOLOR)) return std::nullopt;
    return static_cast<vek::Color>(cf.crTextColor);
}

}  // namespace vektest
