// The follower's bookkeeping driven by a sequence of file events decoded from
// the input: writes of any bytes in any pieces (CR, LF and NUL included, runs
// longer than a block), a shrink, a truncation, a replacement by another file
// (rotation by rename, the renamed file read to its end or lost), a deleted
// log, reads that fail or come back short and opens that fail. A model of the
// file at the path says which bytes the follower has handed on; the target
// aborts when
//   - a pass's read does not start where the handed-on bytes of the file end
//     (so a byte would be read twice or skipped), or asks for more than a block
//     or than the file holds, whatever length a probe reports;
//   - the lines of a block are not exactly the bytes consumed, cut at CR,
//     without LF and NUL, in order;
//   - a block that held a CR leaves a complete line behind, or a block without
//     one is consumed before it is a whole block;
//   - after the events, passes that read everything leave a complete line
//     unread; or a file renamed away is not handed on to its last byte, its
//     unfinished last line as a line.
// Bytes may go unread only when a truncation, a shrink, a rotation whose old
// file is lost, or a deletion took them away before a pass read them. A
// shrink below what was handed on restarts the file from byte 0 (the follower
// cannot tell a cut from a rewrite, and a rewritten log must show whole), so
// the model counts the kept bytes as written anew.
//
// The follower only ever sees the length and identity, so a log cut and then
// grown back past the read position between two looks is indistinguishable
// from growth; the generator lets a pass look at the file after each shrink.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/follower.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Cleaned(std::string_view bytes) {
    std::string out;
    for (char c : bytes)
        if (c != '\n' && c != '\0') out += c;
    return out;
}

// What the path holds, and how much of it the follower has handed on.
struct Model {
    bool exists = false;
    std::string file;
    std::uint64_t index = 0;    // file index of the file at the path
    std::int64_t readUpTo = 0;  // bytes of this file handed on (where the next read must start)
    std::size_t written = 0;    // bound on the work one input may cause
};

enum class ReadMode { Whole, Short, Fail };

struct Harness {
    explicit Harness(FuzzedDataProvider& provider) : in(provider) {}

    FuzzedDataProvider& in;
    Model m;
    vek::FollowState s;
    std::uint64_t nextIndex = 1;

    vek::LogProbe Probe() const {
        return {vek::FileIdentity{7, m.index}, static_cast<std::int64_t>(m.file.size())};
    }

    void Create() {
        m.exists = true;
        m.file.clear();
        m.index = nextIndex++;
        m.readUpTo = 0;
    }

    void Append(std::string_view bytes) {
        if (!m.exists) Create();
        m.file += bytes;
        m.written += bytes.size();
    }

    // One pass of the shell's loop with the log opened; returns whether the
    // follower moved on.
    bool Pass(ReadMode mode) {
        if (!m.exists) return false;  // the open fails; nothing is called
        const vek::ReadRequest r = vek::PlanRead(s, Probe());
        Check(s.LogSize == m.readUpTo);
        Check(r.offset == m.readUpTo);
        const std::int64_t left = static_cast<std::int64_t>(m.file.size()) - m.readUpTo;
        Check(left >= 0);
        Check(r.count == std::min<std::int64_t>(left, vek::kMaxBlock));
        if (r.count == 0 || mode == ReadMode::Fail) return false;

        std::uint32_t got = r.count;
        if (mode == ReadMode::Short) got = in.ConsumeIntegralInRange<std::uint32_t>(0, r.count);
        const std::string_view bytes = std::string_view(m.file).substr(static_cast<std::size_t>(r.offset), got);
        const std::int64_t before = s.LogSize;
        std::string handed;
        const auto lines = vek::TakeBlock(s, bytes);
        const std::size_t lastCr = bytes.rfind('\r');
        for (std::string_view line : lines) {
            handed += line;
            if (lastCr != std::string_view::npos) handed += '\r';
        }
        const std::int64_t consumed = s.LogSize - before;
        Check(consumed >= 0 && consumed <= static_cast<std::int64_t>(bytes.size()));
        const std::string_view taken = bytes.substr(0, static_cast<std::size_t>(consumed));
        Check(handed == Cleaned(taken));
        if (lastCr != std::string_view::npos) {
            Check(static_cast<std::size_t>(consumed) > lastCr);  // every complete line went
        } else if (bytes.size() >= vek::kMaxBlock) {
            Check(lines.size() == 1 && static_cast<std::size_t>(consumed) == bytes.size());
        } else {
            Check(consumed == 0 && lines.empty());  // a partial line waits
        }
        m.readUpTo += consumed;
        return consumed > 0;
    }

    ReadMode SomeReadMode() {
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
            case 0: return ReadMode::Whole;
            case 1: return ReadMode::Short;
            default: return ReadMode::Fail;
        }
    }

    // The file followed so far was renamed away and the shell found it: it
    // reads it to its end, the last unfinished line included, before it
    // turns to the new file at the path.
    void FinishRenamed() {
        if (!m.exists) return;
        while (Pass(ReadMode::Whole)) {
        }
        const std::string_view rest = std::string_view(m.file).substr(static_cast<std::size_t>(m.readUpTo));
        if (rest.empty()) return;
        Check(rest.find('\r') == std::string_view::npos && rest.size() < vek::kMaxBlock);
        const std::int64_t before = s.LogSize;
        std::string handed;
        for (std::string_view line : vek::TakeRest(s, rest)) {
            handed += line;
            handed += '\r';
        }
        // The rest is one line unless it is only LFs and NULs.
        std::string expected = Cleaned(rest);
        if (!expected.empty()) expected += '\r';
        Check(handed == expected);
        Check(s.LogSize == before + static_cast<std::int64_t>(rest.size()));
        m.readUpTo = s.LogSize;
    }

    void Shrink(std::size_t to) {
        if (!m.exists || to > m.file.size()) return;
        m.file.resize(to);
        if (static_cast<std::int64_t>(to) < m.readUpTo) m.readUpTo = 0;  // shown again from its start
        Pass(SomeReadMode());  // a look at the file before it grows back
    }
};

// Whatever length and start a probe reports (a broken file system, a device
// at the path), a read stays within the file and within a block.
void CheckAnyProbe(const std::uint8_t* data, std::size_t size) {
    if (size < 16) return;
    std::int64_t start = 0, length = 0;
    std::memcpy(&start, data, 8);
    std::memcpy(&length, data + 8, 8);
    vek::FollowState s;
    vek::StartFollowing(s, vek::LogProbe{vek::FileIdentity{1, 1}, start});
    Check(s.LogSize >= 0);
    const vek::ReadRequest r = vek::PlanRead(s, vek::LogProbe{vek::FileIdentity{1, 1}, length});
    Check(r.offset == s.LogSize && r.offset >= 0 && r.count <= vek::kMaxBlock);
    Check(r.count == 0 || r.offset + static_cast<std::int64_t>(r.count) <= length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckAnyProbe(data, size);
    FuzzedDataProvider in(data, size);
    Harness h(in);

    // Start on a log that already exists (followed from its end) or on none yet.
    if (in.ConsumeBool()) {
        h.Append(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 300)));
        h.m.readUpTo = static_cast<std::int64_t>(h.m.file.size());
        vek::StartFollowing(h.s, h.Probe());
    } else {
        vek::StartFollowing(h.s, std::nullopt);
    }
    Check(h.s.LogSize == h.m.readUpTo);

    constexpr std::size_t kMaxWritten = 1 << 18;  // four blocks and more: keeps a run fast
    while (in.remaining_bytes() > 0 && h.m.written < kMaxWritten) {
        switch (in.ConsumeIntegralInRange<int>(0, 9)) {
            case 0:  // a write of any bytes, ending anywhere
                h.Append(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 80)));
                break;
            case 1: {  // a line as the game writes it
                std::string line = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 60));
                h.Append(line + "\r\n");
                break;
            }
            case 2: {  // a long run of one byte: lines longer than a block, bursts
                const char c = in.ConsumeIntegral<char>();
                const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(1, 3 * vek::kMaxBlock / 2);
                h.Append(std::string(n, c));
                break;
            }
            case 3: h.Pass(ReadMode::Whole); break;
            case 4: h.Pass(ReadMode::Short); break;
            case 5: h.Pass(ReadMode::Fail); break;
            case 6: h.Shrink(0); break;  // truncated
            case 7:
                if (h.m.exists) h.Shrink(in.ConsumeIntegralInRange<std::size_t>(0, h.m.file.size()));
                break;
            case 8:  // rotated: another file now at the path, maybe with bytes already
                if (in.ConsumeBool()) {
                    h.FinishRenamed();
                    vek::StartFollowing(h.s, std::nullopt);  // as the shell turns to the path
                }  // else the old file is gone
                h.Create();
                h.Append(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 40)));
                break;
            default:  // deleted; the next write creates a new file
                h.m.exists = false;
                h.m.file.clear();
                break;
        }
    }

    // Passes that read everything until nothing more moves: then only a
    // partial line shorter than a block may be left.
    while (h.Pass(ReadMode::Whole)) {
    }
    if (h.m.exists) {
        const std::string_view rest = std::string_view(h.m.file).substr(static_cast<std::size_t>(h.m.readUpTo));
        Check(rest.find('\r') == std::string_view::npos);
        Check(rest.size() < vek::kMaxBlock);
    }
    return 0;
}
