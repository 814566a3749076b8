// Other programs in tests: starting them, finding their windows, reading
// files they share, and reading a RichEdit of theirs across the process
// boundary (text and the colour of a range of characters).
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/palette.h"
#include "win/handles.h"

namespace vektest {

// A program started with CreateProcess; ended (TerminateProcess) at scope
// exit if it is still running.
class ChildProcess {
public:
    explicit ChildProcess(const std::string& commandLine);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool ok() const { return static_cast<bool>(process_); }
    HANDLE handle() const { return process_.get(); }
    DWORD id() const { return id_; }
    // Waits up to ms for the program to end; its exit code in *code.
    bool WaitExit(DWORD ms, DWORD* code = nullptr) const;
    // The first visible top-level window of this process with that class,
    // waited for up to ms (nullptr when none showed up or the program ended).
    HWND WaitWindow(const wchar_t* windowClass, DWORD ms) const;

private:
    vek::win::UniqueHandle process_;
    DWORD id_ = 0;
};

// "path" with the quotes a command line needs.
std::string Quoted(const std::string& path);

// The whole content of a file, opened with full sharing ("" when missing).
std::string ReadFileShared(const std::string& path);

// The lines of a text cut at CR LF, without them; a trailing piece without
// CR LF is returned as a last line too, so a torn end shows.
std::vector<std::string> SplitCrLf(const std::string& text);

// A RichEdit control in another process. The system carries no pointers for
// RichEdit messages between processes, so their structures live in a block
// allocated inside the other process. Every message is sent with a timeout.
class RemoteRichEdit {
public:
    RemoteRichEdit(HANDLE process, HWND box);
    ~RemoteRichEdit();
    RemoteRichEdit(const RemoteRichEdit&) = delete;
    RemoteRichEdit& operator=(const RemoteRichEdit&) = delete;

    // Characters in the box (nullopt when it did not answer within timeoutMs).
    std::optional<long> Length(DWORD timeoutMs = 5000);
    // The box's text, paragraph breaks as CR, in UTF-16 so that positions are
    // the control's character positions. nullopt when it could not be read.
    std::optional<std::wstring> Text(DWORD timeoutMs = 20000);
    // The characters [from, to) (EM_GETTEXTRANGE): a part of a long box
    // without copying all of it. nullopt when it could not be read.
    std::optional<std::wstring> Range(long from, long to, DWORD timeoutMs = 5000);
    // The colour of the characters [from, to): nullopt when they are not all
    // in one colour or the box could not be asked. Moves the box's selection.
    std::optional<vek::Color> RangeColor(long from, long to);
    // What went wrong last in Text().
    const std::string& error() const { return error_; }

private:
    std::nullopt_t Fail(const char* what);
    bool Reserve(SIZE_T bytes);
    bool Send(UINT msg, WPARAM wp, LPARAM lp, DWORD timeoutMs, LRESULT* result = nullptr);

    HANDLE process_;
    HWND box_;
    void* block_ = nullptr;  // in the other process
    SIZE_T size_ = 0;
    std::string error_;
};

}  // namespace vektest
