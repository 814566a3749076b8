// The real follower (LogFollower) over in-memory files, under a sequence of
// file events decoded from the input: writes of any bytes in any pieces (CR,
// LF and NUL included, runs longer than a block), a shrink or a truncation
// (written on at once or not), a rotation by rename (the renamed file found
// in the log's folder, or moved out of sight), a deleted log, and passes
// whose look, open, probe or read fails or whose read comes back short. A model says which file each pass must read
// and from where; the target aborts when
//   - a pass (of any budget) hands on anything but the lines of the bytes it consumed: cut
//     at CR, without LF and NUL, a piece of a long line cut at a block's end
//     counting as a line (so every byte is handed on once, in order);
//   - a pass starts anywhere but where the handed-on bytes of its file end,
//     or at byte 0 after a truncation, a replacement, or a cut written on
//     past the read position (the bytes before it are not the ones handed on);
//   - a log renamed away is not read to its last byte, its unfinished last
//     line as a line, before the new log, which is then read from byte 0;
//   - a read asks for more than a block, or outside what the probe reported,
//     whatever length a probe reports;
//   - after the events, passes without faults leave a complete line unread.
// Bytes may go unread only when a truncation, a shrink, a rotation out of
// sight or a deletion took them away before a pass read them.
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

enum class Fault { None, Look, Open, Probe, Read, Short };

struct Harness {
    explicit Harness(FuzzedDataProvider& provider) : in(provider) {
        files.onRead = [](std::int64_t offset, std::size_t asked, std::int64_t reported) {
            Check(offset >= 0 && asked > 0 && asked <= vek::kMaxBlock + vek::kFingerprint);
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
    std::string tail;                     // the last bytes handed on (the follower's fingerprint)
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
    bool Pass(Fault fault, std::size_t budget = vek::kMaxBlock) {
        if (draining) fault = Fault::None;
        switch (fault) {
            case Fault::Look: files.failLooks = 1; break;
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
        const bool more = follower.Pass(budget);
        const std::string got = Handed();
        const std::int64_t after = follower.LogSize();
        // A fault counts only where the pass came to what it hits: a quiet
        // log, say, is only looked at.
        const bool lookFailed = fault == Fault::Look && files.failLooks == 0;
        const bool openFailed = fault == Fault::Open && files.failOpens == 0;
        const bool probeFailed = fault == Fault::Probe && files.failProbes == 0;
        files.failLooks = files.failOpens = files.failProbes = files.failReads = 0;
        files.shortRead.reset();

        if (draining && !drainNoticed && !atPath) {
            // The new log is not there yet: the rotation is still unseen.
            Check(got.empty() && after == handed);
            return false;
        }
        if (draining) {
            drainNoticed = true;
            Check(more);
            const std::string_view old = oldBytes;
            const std::int64_t size = static_cast<std::int64_t>(old.size());
            if (size > handed && old.substr(static_cast<std::size_t>(handed) - tail.size(), tail.size()) != tail) {
                // Cut and written on while renamed: read again from its start,
                // a whole block at once; its last bytes are planned anew.
                if (size - handed >= vek::kMaxBlock) {
                    Check(after > 0);
                    Check(got == Expected(old.substr(0, static_cast<std::size_t>(after))));
                    Remember(old, after);
                } else {
                    Check(got.empty() && after == 0);
                    Remember(old, 0);
                }
                return true;
            }
            const std::int64_t from = size < handed ? 0 : handed;  // cut shorter: from its start
            if (size - from >= vek::kMaxBlock) {
                Check(after > from);
                Check(got == Expected(old.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(after - from))));
                Remember(old, after);
                return true;
            }
            Check(after == 0);
            Check(got == Expected(old.substr(static_cast<std::size_t>(from))));
            draining.reset();
            fromStart = true;
            knows = false;
            Remember(old, 0);
            return true;
        }
        const bool sawFile = atPath && !lookFailed && !openFailed && !probeFailed;
        if (!sawFile) {
            Check(got.empty() && after == handed);
            return false;
        }
        // From byte 0 after a replacement or a truncation, and when the bytes
        // before the read position are not the ones handed on (cut and
        // written again): that shows only to a read, which may fail.
        const std::int64_t length = static_cast<std::int64_t>(pathBytes.size());
        bool restart = fromStart || length < handed;
        if (!restart && length > handed &&
            std::string_view(pathBytes).substr(static_cast<std::size_t>(handed) - tail.size(), tail.size()) != tail) {
            if (got.empty() && after == handed) return false;  // a failed read saw nothing of it
            restart = true;
        }
        const std::int64_t from = restart ? 0 : handed;
        fromStart = false;
        knows = true;
        Check(after >= from && after <= length);
        Check(got == Expected(std::string_view(pathBytes).substr(from, after - from)));
        // The fingerprint changes with what is handed on (or a restart) only.
        if (restart || after != handed) Remember(pathBytes, after);
        return after != from || more;
    }

    // The follower has handed on `bytes` up to `upTo`.
    void Remember(std::string_view bytes, std::int64_t upTo) {
        handed = upTo;
        const std::size_t kept = std::min<std::size_t>(vek::kFingerprint, static_cast<std::size_t>(upTo));
        tail.assign(bytes.substr(static_cast<std::size_t>(upTo) - kept, kept));
    }

    Fault SomeFault() {
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
            case 0: return Fault::Look;
            case 1: return Fault::Open;
            case 2: return Fault::Probe;
            case 3: return Fault::Read;
            case 4: return Fault::Short;
            default: return Fault::None;
        }
    }

    // Cuts the log, and maybe writes it on at once, before any pass looks.
    void Shrink(std::size_t to, std::string_view regrow) {
        if (!files.Find(kLog) || to > files.Find(kLog)->bytes.size()) return;
        files.Truncate(kLog, to);
        if (!regrow.empty()) Append(regrow);
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
        Check(offset >= 0 && asked > 0 && asked <= vek::kMaxBlock + vek::kFingerprint);
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
        const std::string& bytes = h.files.Find(kLog)->bytes;
        h.handed = static_cast<std::int64_t>(bytes.size());
        h.tail = bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), vek::kFingerprint));
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
            case 4: {  // a pass with a fault, and a budget of any size
                const Fault fault = h.SomeFault();
                h.Pass(fault, in.ConsumeIntegralInRange<std::size_t>(1, 3 * vek::kMaxBlock));
                break;
            }
            case 5:  // truncated, and maybe written again at once
                h.Shrink(0, in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 200)));
                break;
            case 6:
                if (const auto* f = h.files.Find(kLog)) {
                    const std::size_t to = in.ConsumeIntegralInRange<std::size_t>(0, f->bytes.size());
                    h.Shrink(to, in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 200)));
                }
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
