// The real follower (LogFollower) over in-memory files, under a sequence of
// file events decoded from the input: writes of any bytes in any pieces (CR,
// LF and NUL included, runs longer than a block), room made with zeros ahead
// of the writer, which then writes over it, a shrink or a truncation
// (written on at once or not), a rotation by rename (the renamed file found
// in the log's folder, or moved out of sight; held by its writer without
// read sharing for a while or for good), a deleted log, and passes whose
// look, open, probe or read fails or whose read comes back short. A model
// says which file each pass must read and from where; the target aborts when
//   - a pass (of any budget) hands on anything but the lines of the bytes it
//     consumed: cut at CR, without LF and NUL, a piece of a long line cut at
//     a block's end counting as a line (so every byte is handed on once, in
//     order);
//   - a pass starts anywhere but where the handed-on bytes of its file end,
//     or at byte 0 after a truncation, a replacement, or a cut written on
//     past the read position (the bytes before it are not the ones handed
//     on); or says it started over when it did not, or not when it did;
//   - the read position comes to rest after zeros that nothing but zeros
//     follows (room the writer may write over), at the start too;
//   - a log renamed away is not read to its last byte, its unfinished last
//     line as a line, before the new log, which is then read from byte 0;
//     or, while it cannot be opened, a pass says more is waiting without
//     taking anything, the new log is not followed meanwhile, or it is given
//     up (and said so) at any other pass than the kRenamedTries-th;
//   - a read asks for more than a block, or outside what the probe reported,
//     whatever length a probe reports;
//   - after the events, passes without faults leave a complete line unread.
// Bytes may go unread only when a truncation, a shrink, a rotation out of
// sight, a deletion or a renamed log held for good took them away before a
// pass read them.
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

// Where the text of `bytes` ends, before the zeros that end it.
std::size_t TextEnd(std::string_view bytes) {
    const std::size_t last = bytes.find_last_not_of('\0');
    return last == std::string_view::npos ? 0 : last + 1;
}

// What a block read from a file that will not grow takes: up to its last CR
// and the LFs and NULs after it, or all of a whole block without a CR.
std::size_t TakenOfFinal(std::string_view block) {
    const std::size_t cr = block.rfind('\r');
    if (cr == std::string_view::npos) return block.size() >= vek::kMaxBlock ? block.size() : 0;
    std::size_t n = cr + 1;
    while (n < block.size() && (block[n] == '\n' || block[n] == '\0')) ++n;
    return n;
}

// The model of one followed file.
struct Track {
    std::int64_t handed = 0;  // bytes handed on
    std::string tail;         // the last bytes handed on (the follower's fingerprint)

    void Remember(std::string_view bytes, std::int64_t upTo) {
        handed = upTo;
        const std::size_t kept = std::min<std::size_t>(vek::kFingerprint, static_cast<std::size_t>(upTo));
        tail.assign(bytes.substr(static_cast<std::size_t>(upTo) - kept, kept));
    }
    // Whether bytes before `handed` in `bytes` are no longer the ones handed on.
    bool Cut(std::string_view bytes) const {
        return static_cast<std::int64_t>(bytes.size()) > handed &&
               bytes.substr(static_cast<std::size_t>(handed) - tail.size(), tail.size()) != tail;
    }
};

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
    Track path;                           // the file at the path
    bool knows = false;                   // the follower has seen the identity of the file at the path
    bool hadIdentity = false;             // the follower holds an identity for the path (of this file or one before)
    bool fromStart = false;               // the file at the path is read from byte 0 next
    bool restartPending = false;          // lines from it must say that following started over
    std::size_t writerAt = 0;             // where the writer of the file at the path writes next
    std::optional<std::string> draining;  // the renamed-away log, read first
    Track old;                            // of that file
    bool drainNoticed = false;
    int misses = 0;                       // passes in a row that could not open it
    int idle = 0;                         // passes in a row that said more and took nothing
    int rotations = 0;
    std::size_t written = 0;  // bound on the work one input may cause

    void NewFileAtPath() {
        fromStart = true;  // a new file at the path, unseen as yet
        knows = false;
        writerAt = 0;
    }

    // The writer writes at its place, over any room it made.
    void Append(std::string_view bytes) {
        if (!files.Find(kLog)) NewFileAtPath();
        const vektest::FakeFiles::File& f = files.Append(kLog, "");
        files.Overwrite(kLog, std::min(writerAt, f.bytes.size()), bytes);
        writerAt = std::min(writerAt, f.bytes.size()) + bytes.size();
        written += bytes.size();
    }

    // Zeros after the end of the file, for the writer to write over.
    void MakeRoom(std::size_t n) {
        if (!files.Find(kLog)) NewFileAtPath();
        files.Append(kLog, std::string(n, '\0'));
        written += n;
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
        const bool unnoticed = draining && !drainNoticed;
        Check(follower.LogSize() == (unnoticed ? old.handed : path.handed));
        const vektest::FakeFiles::File* atPath = files.Find(kLog);
        const std::string pathBytes = atPath ? atPath->bytes : std::string();
        const std::string oldBytes = draining ? files.Find(*draining)->bytes : std::string();
        const bool held = draining && files.Find(*draining)->held;
        const std::size_t passesBefore = sink.passes.size();
        const bool more = follower.Pass(budget);
        const std::string got = Handed();
        const std::int64_t after = follower.LogSize();
        const std::string& lost = follower.LastPass().renamedLost;
        // A fault counts only where the pass came to what it hits: a quiet
        // log, say, is only looked at.
        const bool lookFailed = fault == Fault::Look && files.failLooks == 0;
        const bool openFailed = fault == Fault::Open && files.failOpens == 0;
        const bool probeFailed = fault == Fault::Probe && files.failProbes == 0;
        files.failLooks = files.failOpens = files.failProbes = files.failReads = 0;
        files.shortRead.reset();
        // No pass says more is waiting, again and again, without taking anything.
        idle = more && got.empty() && after == (unnoticed ? old.handed : path.handed) ? idle + 1 : 0;
        Check(idle < 64);

        if (unnoticed && !atPath) {
            // The new log is not there yet: the rotation is still unseen.
            Check(got.empty() && after == old.handed && lost.empty());
            return false;
        }
        if (draining && !held) {
            drainNoticed = true;
            misses = 0;
            idle = 0;  // it took something, or found where it was cut
            Check(more && lost.empty() && after == path.handed);
            const std::string_view bytes = oldBytes;
            const std::int64_t size = static_cast<std::int64_t>(bytes.size());
            const std::int64_t from = size < old.handed || old.Cut(bytes) ? 0 : old.handed;
            if (old.Cut(bytes) && size - old.handed < vek::kMaxBlock) {
                // Cut and written on while renamed, its last bytes: where they
                // begin, and so what they are, is planned anew.
                Check(got.empty());
                old.Remember(bytes, 0);
                return true;
            }
            if (size - from >= vek::kMaxBlock) {
                const std::size_t n = TakenOfFinal(bytes.substr(static_cast<std::size_t>(from), vek::kMaxBlock));
                Check(got == Expected(bytes.substr(static_cast<std::size_t>(from), n)));
                old.Remember(bytes, from + static_cast<std::int64_t>(n));
                return true;
            }
            Check(got == Expected(bytes.substr(static_cast<std::size_t>(from))));
            draining.reset();  // the file at the path next, as far as it was read
            return true;
        }
        if (draining) {
            // Held: tried at each pass, and given up at the kRenamedTries-th.
            drainNoticed = true;
            if (++misses == vek::kRenamedTries) {
                Check(lost == *draining);
                draining.reset();
            } else {
                Check(lost.empty());
            }
        } else {
            Check(lost.empty());
        }
        const bool sawFile = atPath && !lookFailed && !openFailed && !probeFailed;
        if (!sawFile) {
            Check(got.empty() && after == path.handed);
            return false;
        }
        // From byte 0 after a replacement or a truncation, and when the bytes
        // before the read position are not the ones handed on (cut and
        // written again): that shows only to a read, which may fail.
        const std::int64_t length = static_cast<std::int64_t>(pathBytes.size());
        bool restart = fromStart || length < path.handed;
        bool startedOver = (fromStart && hadIdentity) || (!fromStart && length < path.handed);
        if (!restart && path.Cut(pathBytes)) {
            if (got.empty() && after == path.handed) return false;  // a failed read saw nothing of it
            restart = startedOver = true;
        }
        const std::int64_t from = restart ? 0 : path.handed;
        fromStart = false;
        knows = hadIdentity = true;
        restartPending = restartPending || startedOver;
        Check(after >= from && after <= length);
        const std::string_view region = std::string_view(pathBytes).substr(static_cast<std::size_t>(from),
                                                                           static_cast<std::size_t>(after - from));
        Check(got == Expected(region));
        // It rests after zeros only when something else follows them.
        if (after > from && pathBytes[static_cast<std::size_t>(after - 1)] == '\0')
            Check(pathBytes.find_first_not_of('\0', static_cast<std::size_t>(after)) != std::string::npos);
        if (!got.empty()) {
            Check(sink.passes.size() == passesBefore + 1);
            Check(sink.passes.back().restarted == restartPending);
            restartPending = false;
        }
        // The fingerprint changes with what is handed on (or a restart) only.
        if (restart || after != path.handed) path.Remember(pathBytes, after);
        return after != from || more;
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
        writerAt = std::min(writerAt, to);
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
            // Read to its end first; the new log then from its first byte, as
            // a log of its own (no start over).
            draining = to;
            drainNoticed = false;
            misses = 0;
            old = path;
            path = Track{};
            hadIdentity = restartPending = false;
        }
        NewFileAtPath();
        const std::string first = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 40));
        files.Append(kLog, first);
        writerAt = first.size();
    }

    // The renamed log's writer holds it open without read sharing, or lets go.
    void Hold() {
        if (draining) files.Find(*draining)->held = !files.Find(*draining)->held;
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

    // Start on a log that already exists (followed from the end of its text)
    // or on none yet.
    if (in.ConsumeBool()) {
        h.Append(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 300)));
        const std::string& bytes = h.files.Find(kLog)->bytes;
        h.writerAt = TextEnd(bytes);
        h.path.Remember(bytes, static_cast<std::int64_t>(h.writerAt));
        h.knows = h.hadIdentity = true;
    }
    h.fromStart = false;
    h.follower.Start(kLog);
    Check(h.follower.LogSize() == h.path.handed);

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
            default:
                switch (in.ConsumeIntegralInRange<int>(0, 3)) {
                    case 0:  // room made with zeros, some of it more than a block
                        h.MakeRoom(in.ConsumeIntegralInRange<std::size_t>(1, 2 * vek::kMaxBlock));
                        break;
                    case 1: h.Hold(); break;
                    default: h.Pass(Fault::None); break;
                }
                break;
        }
    }

    // Passes without faults until nothing moves: then only a partial line
    // shorter than a block (and room after it) may be left unread.
    for (int i = 0; i < 10000 && (h.Pass(Fault::None) || h.draining); ++i) {
    }
    Check(!h.draining);
    if (const auto* f = h.files.Find(kLog); f && !h.fromStart) {
        std::string_view rest = std::string_view(f->bytes).substr(static_cast<std::size_t>(h.path.handed));
        rest = rest.substr(0, TextEnd(rest));
        Check(rest.find('\r') == std::string_view::npos);
        Check(rest.size() < vek::kMaxBlock);
    }
    return 0;
}
