// The views' and the save's side of the session's store: kept apart from
// line_kinds.cpp and chat_save.cpp, which work on what they are given.
#include <algorithm>

#include "core/chat_save.h"
#include "core/line_kinds.h"
#include "core/session_lines.h"

namespace vek {

void LineKinds::CatchUp(const SessionLines& lines) {
    for (std::size_t i = kinds_.size(); i < lines.Size(); ++i) {
        const StoredLine line = lines[i];
        Add(line.kind, line.continues);
    }
}

bool SaveSession(const SessionLines& lines, const LineKinds& kinds, KindFilter filter, ByteSink& sink,
                 const SaveOptions& options, const DecodeAnsi& decode) {
    ChatWriter writer(sink, options, decode);
    const std::size_t n = std::min(lines.Size(), kinds.Size());
    for (std::size_t i = 0; i < n; ++i)
        if (filter.Has(kinds[i])) writer.Add(lines[i]);
    return writer.Finish();
}

}  // namespace vek
