// A file written whole or not at all: the bytes go into a temporary file
// beside the target, which is renamed over the target only once every byte
// is on disk. An existing file is never left half-written; on any failure
// it stays as it was and the temporary file is removed.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "core/chat_save.h"

namespace vek::win {

// Fills the file at `path` through `write`, which returns false when it
// could not (its sink refused, or its own reason). Returns ERROR_SUCCESS, or
// the system's error code of the step that failed (ERROR_WRITE_FAULT when
// `write` failed without one).
[[nodiscard]] DWORD WriteFileWhole(const std::wstring& path, const std::function<bool(ByteSink&)>& write);

// The system's words for an error code, without a line break at the end.
std::wstring ErrorText(DWORD code);

}  // namespace vek::win
