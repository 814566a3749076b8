// The real follower (LogFollower) over in-memory files, under a sequence of
// file events decoded from the input: writes of any bytes in any pieces (CR,
// LF and NUL included, runs longer than a block), a shrink, a truncation, a
// rotation by rename (the renamed file found in the log's folder, or moved
// out of sight), a deleted log, and passes whose open, probe or read fails or
// whose read comes back short. A model says which file each pass must read
// and from where; the target aborts when
//   - a pass hands on anything but the lines of the bytes it consumed: cut
//     at CR, without LF and NUL, a piece of a long line cut at a block's end
//     counting as a line (so every byte is handed on once, in order);
//   - a pass starts anywhere but where the handed-on bytes of its file end,
//     or at byte 0 after a truncation or replacement;
//   - a log renamed away is not read to its last byte, its unfinished last
//     line as a line, before the new log, which is then read from byte 0;
//   - a read asks for more than a block, or outside what the probe reported,
//     whatever length a probe reports;
//   - after the events, passes without faults leave a complete line unread.
// Bytes may go unread only when a truncation, a shrink, a rotation out of
// sight or a deletion took them away before a pass read them. The follower
// only ever sees length and identity, so a log cut and then grown back past
// the read position between two looks would look like growth: the generator
// lets a pass look at the file after each shrink.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/log_follower.h"
#include "fake_log_files.h"

namespace {

// Says which property failed, then stops the run.
#define Check(ok)                                                                 \
    do {                                                                          \
        if (!(ok)) {                                                              \
            std::fprintf(stderr, "fuzz_follow: line %d: %s\n", __LINE__, #ok);   \
            std::abort();                                                         \
        }                                                                         \
    } while (false)

const std::string kLog = "C:\\game\\chat.log";

std::string Cleaned(std::string_view bytes) {
    std::string out;
    for (char c : bytes)
        if (c != '\n' && c != '\0') out += c;
    return out;
}

// The lines a consumed stretch of a file must give, each followed by CR:
// the CR-ended pieces, and what follows the last CR when it holds anything
// to show (the piece of a long line, or the last line of a renamed log).
std::string Expected(std::string_view region) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t cr; (cr = region.find('\r', start)) != std::string_view::npos; start = cr + 1)
        out += Cleaned(region.substr(start, cr - start)) + '\r';
    const std::string tail = Cleaned(region.substr(start));
    if (!tail.empty()) out += tail + '\r';
    return out;
}

enum class Fault { None, Open, Probe, Read, Short };

struct Harness {
    explicit Harness(FuzzedDataProvider& provider) : in(provider) {
        files.onRead = [](std::int64_t offset, std::size_t asked, std::int64_t reported) {
            Check(offset >= 0 && asked > 0 && asked <= vek::kMaxBlock);
            Check(offset + static_cast<std::int64_t>(asked) <= reported);
        };
    }

    FuzzedDataProvider& in;
    vektest::FakeFiles files;
    vektest::RecordingSink sink;
    vek::LogFollower follower{files, sink};
    std::size_t seen = 0;  // lines of the sink already checked

    // The model.
    std::int64_t handed = 0;              // bytes of the followed file handed on
    bool knows = false;                   // the follower has seen the identity of the file at the path
    bool fromStart = false;               // the file at the path is read from byte 0 next
    std::optional<std::string> draining;  // the renamed-away log, read first
    bool drainNoticed = false;
    int rotations = 0;
    std::size_t written = 0;  // bound on the work one input may cause

    void Append(std::string_view bytes) {
        if (!files.Find(kLog)) {
            fromStart = true;  // a new file at the path, unseen as yet
            knows = false;
        }
        files.Append(kLog, bytes);
        written += bytes.size();
    }

    // What the pass handed on, each line followed by CR, a piece that goes
    // on from the one before it joined to it.
    std::string Handed() {
        std::string out;
        for (; seen < sink.lines.size(); ++seen) {
            const vektest::RecordingSink::Line& l = sink.lines[seen];
            if (l.continues && !out.empty() && out.back() == '\r') out.pop_back();
            out += l.text + '\r';
        }
        return out;
    }

    // One pass; whether it moved anything.
    bool Pass(Fault fault) {
        if (draining) fault = Fault::None;
        switch (fault) {
            case Fault::Open: files.failOpens = 1; break;
            case Fault::Probe: files.failProbes = 1; break;
            case Fault::Read: files.failReads = 1; break;
            case Fault::Short: files.shortRead = in.ConsumeIntegralInRange<std::size_t>(0, vek::kMaxBlock); break;
            case Fault::None: break;
        }
        Check(follower.LogSize() == handed);
        const vektest::FakeFiles::File* atPath = files.Find(kLog);
        const std::string pathBytes = atPath ? atPath->bytes : std::string();
        const std::string oldBytes = draining ? files.Find(*draining)->bytes : std::string();
        const bool more = follower.Pass();
        const std::string got = Handed();
        const std::int64_t after = follower.LogSize();
        files.failOpens = files.failProbes = files.failReads = 0;
        files.shortRead.reset();

        if (draining && !drainNoticed && !atPath) {
            // The new log is not there yet: the rotation is still unseen.
            Check(got.empty() && after == handed);
            return false;
        }
        if (draining) {
            drainNoticed = true;
            Check(more);
            const std::int64_t left = static_cast<std::int64_t>(oldBytes.size()) - handed;
            if (left >= vek::kMaxBlock) {
                Check(after > handed);
                Check(got == Expected(std::string_view(oldBytes).substr(handed, after - handed)));
                handed = after;
                return true;
            }
            Check(after == 0);
            Check(got == Expected(std::string_view(oldBytes).substr(handed)));
            draining.reset();
            fromStart = true;
            knows = false;
            handed = 0;
            return true;
        }
        const bool sawFile = atPath && fault != Fault::Open && fault != Fault::Probe;
        if (!sawFile) {
            Check(got.empty() && after == handed);
            return false;
        }
        const std::int64_t from = fromStart ? 0 : handed;
        fromStart = false;
        knows = true;
        Check(after >= from && after <= static_cast<std::int64_t>(pathBytes.size()));
        Check(got == Expected(std::string_view(pathBytes).substr(from, after - from)));
        handed = after;
        return after != from || more;
    }

    Fault SomeFault() {
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
            case 0: return Fault::Open;
            case 1: return Fault::Probe;
            case 2: return Fault::Read;
            case 3: return Fault::Short;
            default: return Fault::None;
        }
    }

    void Shrink(std::size_t to) {
        vektest::FakeFiles::File* f = files.Find(kLog);
        if (!f || to > f->bytes.size()) return;
        files.Truncate(kLog, to);
        if (!draining && static_cast<std::int64_t>(to) < handed) fromStart = true;  // shown again from its start
        Pass(Fault::None);  // a look at the file before it grows back
    }

    // Another file takes the path: the old one renamed within the folder,
    // where the follower finds it, or out of sight.
    void Rotate(bool found) {
        if (draining || !files.Find(kLog)) return;
        const std::string to = found ? kLog + "." + std::to_string(++rotations) : "D:\\elsewhere\\old.log";
        files.Remove(to);
        files.Rename(kLog, to);
        if (found && knows) {
            draining = to;
            drainNoticed = false;
        } else {
            fromStart = true;
        }
        files.Append(kLog, in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 40)));
        knows = false;
    }

    void Delete() {
        if (draining) return;
        files.Remove(kLog);
    }
};

// Whatever length and start a probe reports (a broken file system, a device
// at the path), reads stay within a block and within the reported length.
void CheckAnyProbe(const std::uint8_t* data, std::size_t size) {
    if (size < 16) return;
    std::int64_t start = 0, length = 0;
    std::memcpy(&start, data, 8);
    std::memcpy(&length, data + 8, 8);
    vektest::FakeFiles files;
    vektest::RecordingSink sink;
    std::int64_t reported = start;
    files.onRead = [&](std::int64_t offset, std::size_t asked, std::int64_t) {
        Check(offset >= 0 && asked > 0 && asked <= vek::kMaxBlock);
        Check(offset + static_cast<std::int64_t>(asked) <= reported);
    };
    files.Append(kLog, std::string(100, 'x') + "\r\n");
    files.lieAboutLength = start;
    vek::LogFollower follower(files, sink);
    follower.Start(kLog);
    Check(follower.LogSize() >= 0);
    reported = length;
    files.lieAboutLength = length;
    follower.Pass();
    follower.Pass();
    Check(follower.LogSize() >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckAnyProbe(data, size);
    FuzzedDataProvider in(data, size);
    Harness h(in);

    // Start on a log that already exists (followed from its end) or on none yet.
    if (in.ConsumeBool()) {
        h.Append(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 300)));
        h.handed = static_cast<std::int64_t>(h.files.Find(kLog)->bytes.size());
        h.knows = true;
    }
    h.fromStart = false;
    h.follower.Start(kLog);
    Check(h.follower.LogSize() == h.handed);

    constexpr std::size_t kMaxWritten = 1 << 18;  // four blocks and more: keeps a run fast
    while (in.remaining_bytes() > 0 && h.written < kMaxWritten) {
        switch (in.ConsumeIntegralInRange<int>(0, 10)) {
            case 0:  // a write of any bytes, ending anywhere
                h.Append(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 80)));
                break;
            case 1: {  // a line as the game writes it
                const std::string line = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 60));
                h.Append(line + "\r\n");
                break;
            }
            case 2: {  // a long run of one byte: lines longer than a block, bursts
                const char c = in.ConsumeIntegral<char>();
                const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(1, 3 * vek::kMaxBlock / 2);
                h.Append(std::string(n, c));
                break;
            }
            case 3: h.Pass(Fault::None); break;
            case 4: h.Pass(h.SomeFault()); break;
            case 5: h.Shrink(0); break;  // truncated
            case 6:
                if (const auto* f = h.files.Find(kLog))
                    h.Shrink(in.ConsumeIntegralInRange<std::size_t>(0, f->bytes.size()));
                break;
            case 7: h.Rotate(true); break;
            case 8: h.Rotate(false); break;
            case 9: h.Delete(); break;
            default: h.Pass(Fault::None); break;
        }
    }

    // Passes without faults until nothing moves: then only a partial line
    // shorter than a block may be left unread.
    for (int i = 0; i < 10000 && (h.Pass(Fault::None) || h.draining); ++i) {
    }
    Check(!h.draining);
    if (const auto* f = h.files.Find(kLog); f && !h.fromStart) {
        const std::string_view rest = std::string_view(f->bytes).substr(static_cast<std::size_t>(h.handed));
        Check(rest.find('\r') == std::string_view::npos);
        Check(rest.size() < vek::kMaxBlock);
    }
    return 0;
}
