// Bookkeeping of the log follower, free of any file access (LogFollower
// does the reading):
//
//   start:   StartFollowing(s, probe or nullopt); SetFingerprint(s, the file's last bytes)
//   a read:  ReadRequest r = PlanRead(s, probe)
//            if r.count: read up to r.count bytes at r.offset into buf
//                        if !CheckFingerprint(s, buf, r): the log is another one; plan again
//                        lines = TakeBlock(s, buf after its first r.check bytes)
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

// The last bytes handed on are read again before the new ones, and must be
// the same: a log cut and written again past LogSize between two looks would
// otherwise pass for growth, and following would go on in the middle of a
// line of the new content.
constexpr std::uint32_t kFingerprint = 64;

struct ReadRequest {
    std::int64_t offset = 0;  // LogSize less the fingerprint's bytes
    std::uint32_t count = 0;  // the fingerprint, then at most kMaxBlock new bytes; 0: nothing to read
    std::uint32_t check = 0;  // how many bytes at the start are the fingerprint
};

struct FollowState {
    std::int64_t LogSize = 0;  // bytes of the followed file already handed on
    std::optional<FileIdentity> Identity;  // of the file LogSize counts, once seen

    // The first line the last TakeBlock (or TakeRest) gave goes on from a
    // piece of the same line handed on before, cut at a block's end: it has
    // no lead of its own.
    bool FirstContinues = false;
    bool CutOff = false;  // the last line handed on was such a piece

    // The file's last bytes before LogSize, at most kFingerprint of them.
    std::string Tail;

    // Following started over from byte 0 (truncated, replaced, cut and
    // written again) since the flag was last cleared (StartFollowing clears it).
    bool Restarted = false;

    // Reused by TakeBlock so that a pass allocates nothing once warmed up.
    std::vector<std::string_view> Lines;
    std::string Scratch;
};

// Where following starts: at the end of a log that exists (probe given), at
// byte 0 when there is none yet, so a log that appears later shows whole.
void StartFollowing(FollowState& s, const std::optional<LogProbe>& probe);

// The last bytes of a log that following starts at the end of: what the
// first read must find again.
void SetFingerprint(FollowState& s, std::string_view lastBytes);

// Decides this pass's read. A log now shorter than LogSize (truncated), or a
// different file at the path (replaced by a rename), is followed again from
// byte 0. Never asks for more than `limit` new bytes (at most kMaxBlock).
ReadRequest PlanRead(FollowState& s, const LogProbe& probe, std::uint32_t limit = kMaxBlock);

// Whether bytes read as `r` asked (more than r.check of them: fewer are a
// failed read) begin with the fingerprint. When they do not, the log was cut
// and written again: it is followed again from byte 0 (plan the read anew)
// and false is returned.
bool CheckFingerprint(FollowState& s, std::string_view bytes, const ReadRequest& r);

// Takes the bytes read at offset LogSize (at most what PlanRead asked for;
// fewer when the file ended early) and returns the complete lines in them:
// the CR-ended pieces, without CR, LF and NUL bytes. A trailing partial line
// is held back and read again next pass; only when a whole kMaxBlock block
// holds no CR is it handed on as one piece. Zero bytes at the end of `bytes`
// are room a writer made and may yet write over: they are not taken (nor is
// a block that ends in them a piece), unless zerosGoOn says that something
// else follows them in the file. LogSize advances by exactly the bytes
// consumed. The views point into `bytes` or s.Scratch and stay valid until
// the next TakeBlock while `bytes` lives.
std::span<const std::string_view> TakeBlock(FollowState& s, std::string_view bytes, bool zerosGoOn = false);

// Takes the last bytes of a file that will not grow any more (a log renamed
// away), read at LogSize after TakeBlock has taken its whole lines: like
// TakeBlock, but what follows the last CR is handed on as a line as well,
// since no CR will ever come for it. LogSize advances by all the bytes.
std::span<const std::string_view> TakeRest(FollowState& s, std::string_view bytes);

}  // namespace vek
