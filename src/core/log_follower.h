// The log follower: one whole pass over the followed chat log, against two
// small interfaces, the log files and a sink for the lines. The shell runs a
// pass now and then (a timer, a change notification) and nothing else.
//
//   LogFollower follower(files, sink);
//   follower.Start(path);                  // from the log's end
//   bool more = follower.Pass(budget);     // lines go to sink; more: call again soon
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/follower.h"

namespace vek {

// A log file, open for reading. Owned by whoever opened it; closed when destroyed.
class LogFile {
public:
    virtual ~LogFile() = default;
    // Length and identity as the open file has them now; nullopt when the
    // system cannot tell (the pass then reads nothing from this file).
    virtual std::optional<LogProbe> Probe() = 0;
    // Reads up to buffer.size() bytes at offset into buffer. The number of
    // bytes read (0 at or past the end), or nullopt when the read failed.
    virtual std::optional<std::size_t> ReadAt(std::int64_t offset, std::span<char> buffer) = 0;
};

// What a look at a file by its path tells, without opening it.
struct LogLook {
    std::int64_t length = 0;
    std::uint64_t created = 0;  // times as the file system keeps them
    std::uint64_t written = 0;
    friend bool operator==(const LogLook&, const LogLook&) = default;
};

// The file system, as the follower sees it.
class LogFiles {
public:
    virtual ~LogFiles() = default;
    // Length and times of the file at path, looked at without a handle that
    // could stand in a writer's way; nullopt when there is no file there.
    virtual std::optional<LogLook> Look(const std::string& path) = 0;
    // The identity of the file at path, from a handle that reads attributes
    // only (no writer's open fails for it); nullopt when it cannot be told.
    virtual std::optional<FileIdentity> Identify(const std::string& path) = 0;
    // Opens the file at path for reading, letting its writer go on writing,
    // renaming or deleting it. Never creates a file. nullptr when it cannot be
    // opened (missing, no path chosen, a folder, access denied).
    virtual std::unique_ptr<LogFile> Open(const std::string& path) = 0;
    // Where the file with identity `id` went when it was renamed away from
    // path (rotated): another file in the same folder with that identity.
    // "" when there is none (deleted, or moved elsewhere).
    virtual std::string FindRenamed(const std::string& path, const FileIdentity& id) = 0;
};

// What a pass was, for telling news from old lines.
struct PassFacts {
    bool moreWaiting = false;     // more was waiting than the pass took: catching up
    bool previousBehind = false;  // the pass before was catching up too
    // Following started over from the file's first byte (it was truncated,
    // replaced, or cut and written again): what is read is not news.
    bool restarted = false;
    // A log renamed away that could not be opened for several seconds, and so
    // was given up with its last lines unread: where it was renamed to.
    std::string renamedLost;
};

// How many passes in a row may fail to open a log renamed away before it is
// given up: several seconds at the shell's interval, so that a moment's
// exclusive hold (a virus scanner, say) loses nothing.
constexpr int kRenamedTries = 100;

// Where the lines of a pass go.
class LineSink {
public:
    virtual ~LineSink() = default;
    // One line of the log, without its line break. `continues`: the rest of a
    // line cut at a block's end, handed on before; it has no lead of its own.
    // The view is valid during the call only.
    virtual void TakeLine(std::string_view line, bool continues) = 0;
    // The pass has given all its lines (called only after a pass that gave any).
    virtual void EndPass(const PassFacts& facts) = 0;
};

// Follows one log file: owns the follow state, the block buffer, the file a
// rotation renamed the log to (until it is read to its end) and whether it is
// behind. Both interfaces must outlive it.
class LogFollower {
public:
    LogFollower(LogFiles& files, LineSink& sink) : files_(files), sink_(sink) {}
    LogFollower(const LogFollower&) = delete;
    LogFollower& operator=(const LogFollower&) = delete;

    // Starts following the log at `path`: from its end when it exists (where
    // its text ends, before any zeros that end it), from
    // its first byte when there is none yet (so a log that appears later shows
    // whole). Forgets everything of an earlier log.
    void Start(std::string path);

    // One pass: hands on the complete lines the log got since the last pass,
    // taking at most `budget` new bytes (in reads of at most a block; a line
    // longer than the budget is still taken whole, or in pieces of a block),
    // so that a burst goes in by parts the window can take while it keeps
    // answering. A log renamed away is read to its end
    // first, its unfinished last line included (while it cannot be opened,
    // the new log is followed meanwhile and the renamed one is tried again at
    // each pass, until kRenamedTries passes failed); a log truncated, replaced, or
    // cut and written again is followed again from its first byte. While the
    // log's length and times stay as they were, a pass only looks at it by
    // path (and now and then makes sure of its identity), so a quiet log is
    // never opened. Zero bytes after the last line are room a writer made and
    // may write over: they are not taken until something else follows them.
    // Failures (look, open, probe, read) skip what needed them;
    // the next pass tries again. Returns true when more is waiting, so that
    // the next pass should come soon.
    bool Pass(std::size_t budget = kMaxBlock);

    // New bytes the last pass read.
    std::size_t LastPassBytes() const { return passBytes_; }

    // How many quiet passes go between two looks at the identity of a log
    // whose length and times stay the same (replaced by another of the same
    // size and times): about a second's worth at the shell's interval.
    void SetIdentityCheckEvery(int quietPasses) { identityCheckEvery_ = quietPasses > 0 ? quietPasses : 1; }

    // What the last pass was (also when it handed on no line).
    const PassFacts& LastPass() const { return facts_; }

    // Bytes of the log at the path handed on so far.
    std::int64_t LogSize() const { return state_.LogSize; }

private:
    // Whether the log may have changed since the last pass that got through;
    // `look` is what was seen.
    bool Changed(std::optional<LogLook>& look);

    enum class Read {
        More,    // a whole block was taken: more may be waiting
        Done,    // all there was, or a partial line that waits for its end
        Failed,  // the read failed; nothing was taken
    };
    // Reads what is new at s.LogSize of the file `probe` describes (at most
    // `limit` bytes), the fingerprint checked: a view into buffer_, empty when
    // there is nothing new, nullopt when the read failed. whole: all or
    // nothing.
    std::optional<std::string_view> ReadNew(FollowState& s, LogFile& f, const LogProbe& probe, bool whole,
                                            std::uint32_t limit = kMaxBlock);
    // Reads at most `limit` new bytes at s.LogSize of the file `probe`
    // describes, and hands on their lines. final: the file will not grow.
    Read Block(FollowState& s, LogFile& f, const LogProbe& probe, bool final, bool& any,
               std::uint32_t limit = kMaxBlock);
    enum class Zeros {
        Gap,     // something else follows them: they are a gap in the log
        Room,    // zeros to the file's end: room its writer made
        GoOn,    // zeros further than a pass looks: the next pass looks on
        Failed,  // a read failed
    };
    // What follows the zero bytes that end the read up to readTo_.
    Zeros AfterZeros(FollowState& s, LogFile& f, const LogProbe& probe);
    // Where the text of a file `length` bytes long ends, before the zeros
    // that end it.
    std::int64_t TextEnd(LogFile& f, std::int64_t length);
    // Reads the last bytes of a file that will not grow again, its
    // unfinished last line included; false when the read failed.
    bool Rest(FollowState& s, LogFile& f, const LogProbe& probe, bool& any);
    enum class Drained {
        Read,     // read from it (or found it renamed again): more of it, or the log at the path, next
        Nothing,  // it could not be opened this time, or is lost: the log at the path now
    };
    // A pass over the file the log was renamed to.
    Drained Drain(bool& any);
    // It could not be read this time: given up after kRenamedTries in a row.
    Drained Miss();
    void Hand(const FollowState& s, std::span<const std::string_view> lines, bool& any);

    LogFiles& files_;
    LineSink& sink_;
    std::string path_;
    FollowState state_;    // of the log at the path
    std::string buffer_;   // one block of the log, reused
    std::string ahead_;    // what follows zero bytes, looked at
    std::string renamed_;  // where the followed log was renamed to, until read to its end
    FollowState renamedState_;  // of that file
    int renamedMisses_ = 0;     // passes in a row that could not open it
    bool behind_ = false;       // more was waiting after the last pass
    PassFacts facts_;           // of the pass under way, then of the last pass
    std::optional<LogLook> lastLook_;  // the log as the last pass that got through found it
    int quietPasses_ = 0;              // passes since its identity was last made sure of
    int identityCheckEvery_ = 20;
    std::int64_t readTo_ = 0;          // where the last read ended
    std::int64_t zerosFrom_ = -1;      // LogSize when zeros were last looked past
    std::int64_t zerosTo_ = 0;         // and how far they were found to go
    std::size_t passBytes_ = 0;        // new bytes read in the pass under way
};

}  // namespace vek
