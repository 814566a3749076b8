#include "core/log_follower.h"

#include <algorithm>
#include <utility>

namespace vek {

namespace {

// Passes in a row that may fail to open a renamed log before it counts as
// gone: a moment's exclusive hold (a virus scanner, say) loses nothing.
constexpr int kRenamedMisses = 50;


}  // namespace

void LogFollower::Start(std::string path) {
    path_ = std::move(path);
    std::unique_ptr<LogFile> f = files_.Open(path_);
    const std::optional<LogProbe> probe = f ? f->Probe() : std::nullopt;
    StartFollowing(state_, probe);
    if (probe && state_.LogSize > 0) {
        // What the first read must find again before the new bytes.
        const std::int64_t n = std::min<std::int64_t>(state_.LogSize, kFingerprint);
        buffer_.resize(static_cast<std::size_t>(n));
        if (f->ReadAt(state_.LogSize - n, buffer_) == static_cast<std::size_t>(n)) SetFingerprint(state_, buffer_);
    }
    renamed_.clear();
    renamedMisses_ = 0;
    behind_ = false;
    lastLook_.reset();
    quietPasses_ = 0;
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
    // A quiet log is only looked at, never opened.
    std::optional<LogLook> look;
    if (renamed_.empty() && !behind_ && !Changed(look)) return false;
    bool any = false, behind = false, readPath = false;
    facts_ = PassFacts{-1, false, behind_, false};
    state_.Restarted = false;
    std::unique_ptr<LogFile> f = files_.Open(path_);
    const std::optional<LogProbe> probe = f ? f->Probe() : std::nullopt;
    if (renamed_.empty() && probe && probe->identity && state_.Identity && *probe->identity != *state_.Identity) {
        // Another file at the path: if the one followed so far was renamed
        // away (rotated), what it got since the last pass is read first.
        renamed_ = files_.FindRenamed(path_, *state_.Identity);
        renamedMisses_ = 0;
    }
    if (!renamed_.empty()) {
        Drain(any);
        behind = true;  // the file at the path comes next
    } else if (probe) {
        // Blocks until the budget is spent; they all go into one insertion.
        Read read = Read::Done;
        do {
            const std::size_t limit = std::min<std::size_t>(budget - std::min(budget, passBytes_), kMaxBlock);
            read = Block(*f, *probe, any, static_cast<std::uint32_t>(std::max<std::size_t>(limit, 1)));
        } while (read == Read::More && passBytes_ < budget);
        behind = read == Read::More;
        readPath = read != Read::Failed && readTo_ >= probe->length;
    }
    facts_.moreWaiting = behind;
    facts_.restarted = state_.Restarted;
    f.reset();
    // What was looked at is taken in only when the pass read the log at the
    // path without a failure: otherwise the next pass tries again, changed or
    // not.
    if (readPath && look) lastLook_ = look;
    if (any) sink_.EndPass(facts_);
    behind_ = behind;
    return behind;
}

void LogFollower::Drain(bool& any) {
    std::unique_ptr<LogFile> old = files_.Open(renamed_);
    const std::optional<LogProbe> probe = old ? old->Probe() : std::nullopt;
    if (!probe || probe->identity != state_.Identity) {
        // Renamed once more, held for a moment, or gone. Looked for again;
        // given up when it cannot be found, or not opened for a while.
        if (!old && ++renamedMisses_ < kRenamedMisses) return;
        renamed_ = files_.FindRenamed(path_, *state_.Identity);
        renamedMisses_ = 0;
        if (renamed_.empty()) StartFollowing(state_, std::nullopt);
        return;
    }
    renamedMisses_ = 0;
    // Whole blocks first; the last bytes then go together, the unfinished
    // last line with them, since no line break will ever come for it. (A
    // renamed log found cut is read from its start.)
    PlanRead(state_, *probe);
    const std::int64_t left = probe->length - state_.LogSize;
    if (left >= kMaxBlock) {
        Block(*old, *probe, any);
        return;
    }
    if (left > 0 && !Rest(*old, *probe, any)) return;  // the next pass tries again
    // Done with it: the file at the path next, from its first byte.
    renamed_.clear();
    StartFollowing(state_, std::nullopt);
}

void LogFollower::Note(std::int64_t offset) {
    if (facts_.firstReadOffset < 0) facts_.firstReadOffset = offset;
}

void LogFollower::Hand(std::span<const std::string_view> lines, bool& any) {
    for (std::size_t i = 0; i < lines.size(); ++i) sink_.TakeLine(lines[i], i == 0 && state_.FirstContinues);
    if (!lines.empty()) any = true;
}

std::optional<std::string_view> LogFollower::ReadNew(LogFile& f, const LogProbe& probe, bool whole,
                                                     std::uint32_t limit) {
    // A log found cut and written again is read from its first byte at once;
    // but not its last bytes: where they begin, and so what they are, is
    // planned anew.
    for (int attempt = 0; attempt < (whole ? 1 : 2); ++attempt) {
        const ReadRequest r = PlanRead(state_, probe, limit);
        readTo_ = state_.LogSize;
        if (r.count == 0) return std::string_view();
        buffer_.resize(r.count);
        const std::optional<std::size_t> got = f.ReadAt(r.offset, buffer_);
        // All of it, for the last bytes of a renamed log: a short read would
        // make a line of a part.
        if (!got || *got <= r.check || (whole && *got != r.count)) return std::nullopt;
        const std::string_view bytes(buffer_.data(), std::min<std::size_t>(*got, r.count));
        if (!CheckFingerprint(state_, bytes, r)) continue;
        readTo_ = r.offset + static_cast<std::int64_t>(bytes.size());
        Note(r.offset + r.check);
        passBytes_ += bytes.size() - r.check;
        return bytes.substr(r.check);
    }
    return std::nullopt;
}

LogFollower::Read LogFollower::Block(LogFile& f, const LogProbe& probe, bool& any, std::uint32_t limit) {
    const std::int64_t before = state_.LogSize;
    std::optional<std::string_view> bytes = ReadNew(f, probe, false, limit);
    if (!bytes) return Read::Failed;  // LogSize stays; the next pass tries again
    if (bytes->empty()) return Read::Done;
    std::span<const std::string_view> lines = TakeBlock(state_, *bytes);
    if (state_.LogSize == before && bytes->size() == limit && limit < kMaxBlock) {
        // A line longer than the budget: a whole block for it, taken whole or
        // cut at the block's end as any line that long.
        bytes = ReadNew(f, probe, false, kMaxBlock);
        if (!bytes) return Read::Failed;
        lines = TakeBlock(state_, *bytes);
    }
    Hand(lines, any);
    // What took something and left more in the file may have more behind it;
    // a read of all there was, or a partial line, waits for the next pass.
    return state_.LogSize != before && readTo_ < probe.length ? Read::More : Read::Done;
}

bool LogFollower::Rest(LogFile& f, const LogProbe& probe, bool& any) {
    const std::optional<std::string_view> bytes = ReadNew(f, probe, true);
    if (!bytes) return false;
    Hand(TakeRest(state_, *bytes), any);
    return true;
}

}  // namespace vek
