#include "core/follower.h"

#include <algorithm>
#include <cstring>

#include "core/lines.h"

namespace vek {

namespace {

// Follows the file again from its first byte.
void Restart(FollowState& s) {
    s.Restarted = true;
    s.LogSize = 0;
    s.CutOff = false;  // a file read from its start begins a line
    s.Tail.clear();
}

// The fingerprint after `consumed` more bytes were handed on.
void Remember(FollowState& s, std::string_view consumed) {
    if (consumed.size() >= kFingerprint) {
        s.Tail.assign(consumed.substr(consumed.size() - kFingerprint));
        return;
    }
    s.Tail.append(consumed);
    if (s.Tail.size() > kFingerprint) s.Tail.erase(0, s.Tail.size() - kFingerprint);
}

}  // namespace

void StartFollowing(FollowState& s, const std::optional<LogProbe>& probe) {
    s.LogSize = probe ? std::max<std::int64_t>(probe->length, 0) : 0;
    s.Identity = probe ? probe->identity : std::nullopt;
    s.CutOff = s.FirstContinues = s.Restarted = false;
    s.Lines.clear();
    s.Tail.clear();
    s.Tail.reserve(2 * kFingerprint);
}

void SetFingerprint(FollowState& s, std::string_view lastBytes) {
    if (lastBytes.size() > static_cast<std::uint64_t>(s.LogSize)) return;  // not the bytes before LogSize
    s.Tail.clear();
    Remember(s, lastBytes);
}

ReadRequest PlanRead(FollowState& s, const LogProbe& probe, std::uint32_t limit) {
    if (probe.identity) {
        if (s.Identity && *s.Identity != *probe.identity) Restart(s);  // replaced
        s.Identity = probe.identity;
    }
    if (probe.length < s.LogSize) Restart(s);  // truncated
    ReadRequest r;
    // A length below zero is nothing a file has; read nothing rather than let
    // the count wrap round to gigabytes.
    const std::int64_t grown = std::max<std::int64_t>(probe.length - s.LogSize, 0);
    if (grown == 0) {
        r.offset = s.LogSize;
        return r;
    }
    r.check = static_cast<std::uint32_t>(s.Tail.size());
    r.offset = s.LogSize - r.check;
    r.count = r.check + static_cast<std::uint32_t>(std::min<std::int64_t>(grown, std::min(limit, kMaxBlock)));
    return r;
}

bool CheckFingerprint(FollowState& s, std::string_view bytes, const ReadRequest& r) {
    if (bytes.substr(0, r.check) == std::string_view(s.Tail).substr(0, r.check)) return true;
    Restart(s);
    return false;
}

namespace {

// Cuts `complete` (the CR-ended pieces of the bytes, or a piece handed on
// without its CR) into cleaned lines and counts `consumed` bytes as read.
// cutOff: the last piece is a line's beginning cut at the block's end.
std::span<const std::string_view> Cut(FollowState& s, std::string_view complete, std::size_t consumed, bool cutOff) {
    s.FirstContinues = s.CutOff;
    s.CutOff = cutOff;
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
    // A piece of a long line that holds nothing to show (only LFs and NULs)
    // is no line of its own, and the line before it stays as it was: ended,
    // or cut.
    if (cutOff && s.Lines.size() == 1 && s.Lines[0].empty()) {
        s.Lines.clear();
        s.CutOff = s.FirstContinues;
    }
    s.LogSize += static_cast<std::int64_t>(consumed);
    return s.Lines;
}

}  // namespace

std::span<const std::string_view> TakeRest(FollowState& s, std::string_view bytes) {
    s.Lines.clear();
    s.Scratch.clear();
    if (bytes.empty()) return {};
    // What follows the last CR is the file's last line, though unfinished;
    // LFs and NULs alone are no line.
    const std::size_t lastCr = bytes.rfind('\r');
    const std::size_t tail = lastCr == std::string_view::npos ? 0 : lastCr + 1;
    const bool tailIsLine = bytes.find_first_not_of(std::string_view("\n\0", 2), tail) != std::string_view::npos;
    Remember(s, bytes);
    if (!tailIsLine && lastCr == std::string_view::npos) {
        s.LogSize += static_cast<std::int64_t>(bytes.size());
        s.CutOff = false;
        return {};
    }
    return Cut(s, tailIsLine ? bytes : bytes.substr(0, lastCr), bytes.size(), false);
}

std::span<const std::string_view> TakeBlock(FollowState& s, std::string_view bytes, bool zerosGoOn) {
    s.Lines.clear();
    s.Scratch.clear();
    // Zeros at the end may be written over: what is taken ends before them.
    std::size_t end = bytes.size();
    if (!zerosGoOn)
        while (end > 0 && bytes[end - 1] == '\0') --end;
    const std::size_t lastCr = bytes.rfind('\r', end == 0 ? 0 : end - 1);
    std::size_t consumed;
    std::string_view complete;
    bool cutOff = false;
    if (end > 0 && lastCr != std::string_view::npos) {
        complete = bytes.substr(0, lastCr);  // the pieces that a CR ended
        consumed = lastCr + 1;
        // LFs (and NULs) straight after the last CR would be dropped from the
        // next line anyway; taking them now lets LogSize rest at its start.
        while (consumed < end && (bytes[consumed] == '\n' || bytes[consumed] == '\0')) ++consumed;
    } else if (bytes.size() >= kMaxBlock && end == bytes.size()) {
        complete = bytes;  // a line too long to hold back: hand on this piece
        consumed = bytes.size();
        cutOff = true;
    } else {
        return {};  // a partial line: read again when more has arrived
    }
    Remember(s, bytes.substr(0, consumed));
    return Cut(s, complete, consumed, cutOff);
}

}  // namespace vek
