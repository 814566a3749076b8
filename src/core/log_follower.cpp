#include "core/log_follower.h"

#include <algorithm>
#include <utility>

namespace vek {

namespace {

// How far one pass looks past zero bytes for something else, before it
// leaves the rest for the next pass: room a writer makes at once is smaller.
constexpr std::int64_t kZeroLookAhead = 16 * std::int64_t{kMaxBlock};

}  // namespace

void LogFollower::Start(std::string path) {
    path_ = std::move(path);
    std::unique_ptr<LogFile> f = files_.Open(path_);
    const std::optional<LogProbe> probe = f ? f->Probe() : std::nullopt;
    StartFollowing(state_, probe);
    if (probe && state_.LogSize > 0) {
        // A log that ends in zeros, room its writer made, is followed from
        // where its text ends: the writer goes on there.
        state_.LogSize = TextEnd(*f, state_.LogSize);
    }
    if (probe && state_.LogSize > 0) {
        // What the first read must find again before the new bytes.
        const std::int64_t n = std::min<std::int64_t>(state_.LogSize, kFingerprint);
        buffer_.resize(static_cast<std::size_t>(n));
        if (f->ReadAt(state_.LogSize - n, buffer_) == static_cast<std::size_t>(n)) SetFingerprint(state_, buffer_);
    }
    renamed_.clear();
    renamedMisses_ = 0;
    behind_ = false;
    facts_ = PassFacts{};
    lastLook_.reset();
    quietPasses_ = 0;
    zerosFrom_ = -1;
}

bool LogFollower::Changed(std::optional<LogLook>& look) {
    look = files_.Look(path_);
    if (!look) {
        lastLook_.reset();
        return false;  // nothing there to read
    }
    if (look != lastLook_) {
        quietPasses_ = 0;
        return true;
    }
    if (++quietPasses_ < identityCheckEvery_) return false;
    quietPasses_ = 0;
    const std::optional<FileIdentity> id = files_.Identify(path_);
    return id && state_.Identity && *id != *state_.Identity;
}

bool LogFollower::Pass(std::size_t budget) {
    passBytes_ = 0;
    facts_ = PassFacts{false, behind_, false, {}};
    // A quiet log is only looked at, never opened.
    std::optional<LogLook> look;
    if (renamed_.empty() && !behind_ && !Changed(look)) return false;
    if (!renamed_.empty() && !behind_) Changed(look);  // what the log at the path is now
    bool any = false, behind = false, readPath = false;
    std::unique_ptr<LogFile> f = files_.Open(path_);
    const std::optional<LogProbe> probe = f ? f->Probe() : std::nullopt;
    if (renamed_.empty() && probe && probe->identity && state_.Identity && *probe->identity != *state_.Identity) {
        // Another file at the path: if the one followed so far was renamed
        // away (rotated), what it got since the last pass is read first; the
        // new log is followed from its first byte.
        renamed_ = files_.FindRenamed(path_, *state_.Identity);
        renamedMisses_ = 0;
        if (!renamed_.empty()) {
            renamedState_ = std::move(state_);
            state_ = FollowState{};
            StartFollowing(state_, std::nullopt);
        }
    }
    const bool drained = !renamed_.empty() && Drain(any) == Drained::Read;
    if (drained) {
        behind = true;  // more of it, or the file at the path, comes next
    } else if (probe) {
        // Blocks until the budget is spent; they all go into one insertion.
        // (While a renamed log cannot be opened, the new one is read meanwhile.)
        Read read = Read::Done;
        do {
            const std::size_t limit = std::min<std::size_t>(budget - std::min(budget, passBytes_), kMaxBlock);
            read = Block(state_, *f, *probe, false, any, static_cast<std::uint32_t>(std::max<std::size_t>(limit, 1)));
        } while (read == Read::More && passBytes_ < budget);
        behind = read == Read::More;
        readPath = read != Read::Failed && readTo_ >= probe->length;
    }
    FollowState& followed = drained ? renamedState_ : state_;
    facts_.moreWaiting = behind;
    facts_.restarted = followed.Restarted;
    f.reset();
    // What was looked at is taken in only when the pass read the log at the
    // path without a failure: otherwise the next pass tries again, changed or
    // not.
    if (readPath && look) lastLook_ = look;
    if (any) {
        sink_.EndPass(facts_);
        followed.Restarted = false;  // what came from the first byte was told so
    }
    behind_ = behind;
    return behind;
}

LogFollower::Drained LogFollower::Drain(bool& any) {
    std::unique_ptr<LogFile> old = files_.Open(renamed_);
    const std::optional<LogProbe> probe = old ? old->Probe() : std::nullopt;
    if (!probe) {
        // Still there but held (its writer keeps it open without read
        // sharing)?
        const std::optional<FileIdentity> id = files_.Identify(renamed_);
        if (!id || *id == *renamedState_.Identity) return Miss();
    }
    if (!probe || probe->identity != renamedState_.Identity) {
        // Renamed once more, or gone: looked for again.
        renamed_ = files_.FindRenamed(path_, *renamedState_.Identity);
        renamedMisses_ = 0;
        return renamed_.empty() ? Drained::Nothing : Drained::Read;
    }
    // Whole blocks first; the last bytes then go together, the unfinished
    // last line with them, since no line break will ever come for it. (A
    // renamed log found cut is read from its start: a read that finds that
    // is no failure.)
    PlanRead(renamedState_, *probe);
    const std::int64_t before = renamedState_.LogSize;
    const std::int64_t left = probe->length - before;
    if (left >= kMaxBlock) {
        if (Block(renamedState_, *old, *probe, true, any) == Read::Failed && renamedState_.LogSize == before)
            return Miss();
    } else {
        const bool done = left <= 0 || Rest(renamedState_, *old, *probe, any);
        if (!done && renamedState_.LogSize == before) return Miss();
        if (done) renamed_.clear();  // read to its end; else found cut, and read from its start next
    }
    renamedMisses_ = 0;
    return Drained::Read;
}

LogFollower::Drained LogFollower::Miss() {
    // Tried again at each pass, which is no reason for the next to come
    // sooner, and given up after several seconds.
    if (++renamedMisses_ < kRenamedTries) return Drained::Nothing;
    facts_.renamedLost = std::exchange(renamed_, {});
    renamedMisses_ = 0;
    return Drained::Nothing;
}

void LogFollower::Hand(const FollowState& s, std::span<const std::string_view> lines, bool& any) {
    for (std::size_t i = 0; i < lines.size(); ++i) sink_.TakeLine(lines[i], i == 0 && s.FirstContinues);
    if (!lines.empty()) any = true;
}

std::optional<std::string_view> LogFollower::ReadNew(FollowState& s, LogFile& f, const LogProbe& probe, bool whole,
                                                     std::uint32_t limit) {
    // A log found cut and written again is read from its first byte at once;
    // but not its last bytes: where they begin, and so what they are, is
    // planned anew.
    for (int attempt = 0; attempt < (whole ? 1 : 2); ++attempt) {
        const ReadRequest r = PlanRead(s, probe, limit);
        readTo_ = s.LogSize;
        if (r.count == 0) return std::string_view();
        buffer_.resize(r.count);
        const std::optional<std::size_t> got = f.ReadAt(r.offset, buffer_);
        // All of it, for the last bytes of a renamed log: a short read would
        // make a line of a part.
        if (!got || *got <= r.check || (whole && *got != r.count)) return std::nullopt;
        const std::string_view bytes(buffer_.data(), std::min<std::size_t>(*got, r.count));
        if (!CheckFingerprint(s, bytes, r)) continue;
        readTo_ = r.offset + static_cast<std::int64_t>(bytes.size());
        passBytes_ += bytes.size() - r.check;
        return bytes.substr(r.check);
    }
    return std::nullopt;
}

LogFollower::Read LogFollower::Block(FollowState& s, LogFile& f, const LogProbe& probe, bool final, bool& any,
                                     std::uint32_t limit) {
    std::optional<std::string_view> bytes = ReadNew(s, f, probe, false, limit);
    if (!bytes) return Read::Failed;  // LogSize stays; the next pass tries again
    if (bytes->empty()) return Read::Done;
    // Where this read began: after a restart the read found, byte 0.
    const std::int64_t start = s.LogSize;
    std::span<const std::string_view> lines = TakeBlock(s, *bytes, final);
    if (s.LogSize == start && bytes->size() == limit && limit < kMaxBlock) {
        // A line longer than the budget: a whole block for it, taken whole or
        // cut at the block's end as any line that long.
        bytes = ReadNew(s, f, probe, false, kMaxBlock);
        if (!bytes) return Read::Failed;
        lines = TakeBlock(s, *bytes, final);
    }
    if (!bytes->empty() && bytes->back() == '\0' && s.LogSize < readTo_ && readTo_ < probe.length) {
        // Zeros to the end of what was read, not taken, and the file goes on:
        // a gap in the log when anything else follows them, else room the
        // writer made, and then nothing more is waiting.
        switch (AfterZeros(s, f, probe)) {
            case Zeros::Gap:
                if (s.LogSize == start) lines = TakeBlock(s, *bytes, true);
                break;
            case Zeros::Room: Hand(s, lines, any); return Read::Done;
            case Zeros::GoOn: Hand(s, lines, any); return Read::More;  // looked at further in the next pass
            case Zeros::Failed:
                Hand(s, lines, any);
                return s.LogSize == start ? Read::Failed : Read::Done;
        }
    }
    Hand(s, lines, any);
    // What took something and left more in the file may have more behind it;
    // a read of all there was, or a partial line, waits for the next pass.
    return s.LogSize != start && readTo_ < probe.length ? Read::More : Read::Done;
}

LogFollower::Zeros LogFollower::AfterZeros(FollowState& s, LogFile& f, const LogProbe& probe) {
    // Where the zeros were looked past before, at this same position, need
    // not be looked at again.
    std::int64_t at = readTo_;
    if (zerosFrom_ == s.LogSize && zerosTo_ > at && zerosTo_ <= probe.length) at = zerosTo_;
    zerosFrom_ = s.LogSize;
    const std::int64_t stop = std::min(probe.length, at + kZeroLookAhead);
    while (at < stop) {
        ahead_.resize(static_cast<std::size_t>(std::min<std::int64_t>(stop - at, kMaxBlock)));
        const std::optional<std::size_t> got = f.ReadAt(at, ahead_);
        if (!got) return Zeros::Failed;
        if (*got == 0) break;  // the file ended early
        const std::string_view seen(ahead_.data(), std::min(*got, ahead_.size()));
        if (seen.find_first_not_of('\0') != std::string_view::npos) {
            zerosFrom_ = -1;
            return Zeros::Gap;
        }
        at += static_cast<std::int64_t>(seen.size());
    }
    zerosTo_ = at;
    return at < stop || at >= probe.length ? Zeros::Room : Zeros::GoOn;
}

std::int64_t LogFollower::TextEnd(LogFile& f, std::int64_t length) {
    const std::int64_t stop = std::max<std::int64_t>(length - kZeroLookAhead, 0);
    for (std::int64_t at = length; at > stop;) {
        const std::int64_t n = std::min<std::int64_t>(at - stop, kMaxBlock);
        ahead_.resize(static_cast<std::size_t>(n));
        if (f.ReadAt(at - n, ahead_) != static_cast<std::size_t>(n)) return length;  // cannot tell: the end
        const std::size_t text = ahead_.find_last_not_of('\0');
        if (text != std::string::npos) return at - n + static_cast<std::int64_t>(text) + 1;
        at -= n;
    }
    return stop == 0 ? 0 : length;  // all zeros; or more of them than are looked through
}

bool LogFollower::Rest(FollowState& s, LogFile& f, const LogProbe& probe, bool& any) {
    const std::optional<std::string_view> bytes = ReadNew(s, f, probe, true);
    if (!bytes) return false;
    Hand(s, TakeRest(s, *bytes), any);
    return true;
}

}  // namespace vek
