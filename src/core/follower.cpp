#include "core/follower.h"

#include <algorithm>
#include <cstring>

#include "core/lines.h"

namespace vek {

void StartFollowing(FollowState& s, const std::optional<LogProbe>& probe) {
    s.LogSize = probe ? std::max<std::int64_t>(probe->length, 0) : 0;
    s.Identity = probe ? probe->identity : std::nullopt;
    s.Lines.clear();
}

ReadRequest PlanRead(FollowState& s, const LogProbe& probe) {
    if (probe.identity) {
        if (s.Identity && *s.Identity != *probe.identity) s.LogSize = 0;  // replaced
        s.Identity = probe.identity;
    }
    if (probe.length < s.LogSize) s.LogSize = 0;  // truncated
    ReadRequest r;
    r.offset = s.LogSize;
    std::int64_t grown = probe.length - s.LogSize;
    r.count = static_cast<std::uint32_t>(std::min<std::int64_t>(grown, kMaxBlock));
    return r;
}

std::span<const std::string_view> TakeBlock(FollowState& s, std::string_view bytes) {
    s.Lines.clear();
    s.Scratch.clear();
    std::size_t lastCr = bytes.rfind('\r');
    std::size_t consumed;
    std::string_view complete;
    if (lastCr != std::string_view::npos) {
        complete = bytes.substr(0, lastCr);  // the pieces that a CR ended
        consumed = lastCr + 1;
        // LFs (and NULs) straight after the last CR would be dropped from the
        // next line anyway; taking them now lets LogSize rest at its start.
        while (consumed < bytes.size() && (bytes[consumed] == '\n' || bytes[consumed] == '\0')) ++consumed;
    } else if (bytes.size() >= kMaxBlock) {
        complete = bytes;  // a line too long to hold back: hand on this piece
        consumed = bytes.size();
    } else {
        return {};  // a partial line: read again when more has arrived
    }
    // No cleaned line is longer than its piece, so this keeps every view
    // into Scratch valid while the block is cut.
    if (s.Scratch.capacity() < complete.size()) s.Scratch.reserve(std::max<std::size_t>(complete.size(), kMaxBlock));

    const char* p = complete.data();
    const char* end = p + complete.size();
    for (;;) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
        if (!cr) cr = end;
        s.Lines.push_back(CleanPiece(std::string_view(p, static_cast<std::size_t>(cr - p)), true, s.Scratch));
        if (cr == end) break;
        p = cr + 1;
    }
    s.LogSize += static_cast<std::int64_t>(consumed);
    return s.Lines;
}

}  // namespace vek
