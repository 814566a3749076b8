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
    StartFollowing(state_, f ? f->Probe() : std::nullopt);
    renamed_.clear();
    renamedMisses_ = 0;
    behind_ = false;
}

bool LogFollower::Pass() {
    bool any = false, behind = false;
    facts_ = PassFacts{-1, false, behind_};
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
        behind = Block(*f, *probe, any) == Read::More;
        // Catching up a burst: a second block goes into the same insertion.
        if (behind && behind_) behind = Block(*f, *probe, any) == Read::More;
    }
    f.reset();
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
    // last line with them, since no line break will ever come for it.
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

void LogFollower::Note(std::int64_t offset, std::size_t bytes) {
    if (facts_.firstReadOffset < 0) facts_.firstReadOffset = offset;
    if (bytes >= kMaxBlock) facts_.readWholeBlock = true;
}

void LogFollower::Hand(std::span<const std::string_view> lines, bool& any) {
    for (std::size_t i = 0; i < lines.size(); ++i) sink_.TakeLine(lines[i], i == 0 && state_.FirstContinues);
    if (!lines.empty()) any = true;
}

LogFollower::Read LogFollower::Block(LogFile& f, const LogProbe& probe, bool& any) {
    const ReadRequest r = PlanRead(state_, probe);
    if (r.count == 0) return Read::Done;
    const std::int64_t before = state_.LogSize;
    buffer_.resize(r.count);
    const std::optional<std::size_t> got = f.ReadAt(r.offset, buffer_);
    if (!got || *got == 0) return Read::Failed;  // LogSize stays; the next pass tries again
    const std::size_t n = std::min<std::size_t>(*got, r.count);
    Note(r.offset, n);
    Hand(TakeBlock(state_, std::string_view(buffer_.data(), n)), any);
    // A whole block that took something may have more behind it; a read of
    // all there was, or a partial line, waits for the next pass.
    return n == kMaxBlock && state_.LogSize != before ? Read::More : Read::Done;
}

bool LogFollower::Rest(LogFile& f, const LogProbe& probe, bool& any) {
    const ReadRequest r = PlanRead(state_, probe);
    if (r.count == 0) return true;
    buffer_.resize(r.count);
    // All of it or nothing: a short read would make a line of a part.
    const std::optional<std::size_t> got = f.ReadAt(r.offset, buffer_);
    if (!got || *got != r.count) return false;
    Note(r.offset, r.count);
    Hand(TakeRest(state_, std::string_view(buffer_.data(), r.count)), any);
    return true;
}

}  // namespace vek
