// Bookkeeping of the log follower, free of any file access: the shell opens
// the log once per pass, tells the core what it found, reads what the core
// asks for and hands the lines the core gives back to the display.
//
//   start:   StartFollowing(Follow, probe or nullopt)
//   a pass:  open (read-only, full sharing); probe = {identity, length}
//            ReadRequest r = PlanRead(Follow, probe)
//            if r.count: read up to r.count bytes at r.offset into buf
//                        lines = TakeBlock(Follow, bytes actually read)
//            close; show lines (each followed by CR LF)
//   failure: an open or read that fails simply skips the call that needed it;
//            LogSize stays and the next pass tries again.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

// What identifies a file across renames: volume serial number and file index.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What the shell found when it opened the log in this pass.
struct LogProbe {
    std::optional<FileIdentity> identity;  // nullopt when the system could not tell
    std::int64_t length = 0;               // from the open handle
};

// The most a pass reads, and so the longest piece a line without a CR is
// held back for: a longer one is handed on in pieces of this size.
constexpr std::uint32_t kMaxBlock = 65535;

struct ReadRequest {
    std::int64_t offset = 0;  // always LogSize
    std::uint32_t count = 0;  // 0: nothing to read in this pass
};

struct FollowState {
    std::int64_t LogSize = 0;  // bytes of the followed file already handed on
    std::optional<FileIdentity> Identity;  // of the file LogSize counts, once seen

    // The first line the last TakeBlock (or TakeRest) gave goes on from a
    // piece of the same line handed on before, cut at a block's end: it has
    // no lead of its own.
    bool FirstContinues = false;
    bool CutOff = false;  // the last line handed on was such a piece

    // Reused by TakeBlock so that a pass allocates nothing once warmed up.
    std::vector<std::string_view> Lines;
    std::string Scratch;
};

// Where following starts: at the end of a log that exists (probe given), at
// byte 0 when there is none yet, so a log that appears later shows whole.
void StartFollowing(FollowState& s, const std::optional<LogProbe>& probe);

// Decides this pass's read. A log now shorter than LogSize (truncated), or a
// different file at the path (replaced by a rename), is followed again from
// byte 0. Never asks for more than kMaxBlock bytes.
ReadRequest PlanRead(FollowState& s, const LogProbe& probe);

// Takes the bytes read at offset LogSize (at most what PlanRead asked for;
// fewer when the file ended early) and returns the complete lines in them:
// the CR-ended pieces, without CR, LF and NUL bytes. A trailing partial line
// is held back and read again next pass; only when a whole kMaxBlock block
// holds no CR is it handed on as one piece. LogSize advances by exactly the
// bytes consumed. The views point into `bytes` or s.Scratch and stay valid
// until the next TakeBlock while `bytes` lives.
std::span<const std::string_view> TakeBlock(FollowState& s, std::string_view bytes);

// Takes the last bytes of a file that will not grow any more (a log renamed
// away), read at LogSize after TakeBlock has taken its whole lines: like
// TakeBlock, but what follows the last CR is handed on as a line as well,
// since no CR will ever come for it. LogSize advances by all the bytes.
std::span<const std::string_view> TakeRest(FollowState& s, std::string_view bytes);

}  // namespace vek
