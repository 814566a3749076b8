// The follower's two interfaces in memory, for driving the real follower
// natively (tests and fuzzers): a folder of files that can be written,
// truncated, replaced, renamed and deleted, with faults on demand, and a sink
// that records what a pass handed on.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/log_follower.h"

namespace vektest {

class FakeFiles final : public vek::LogFiles {
public:
    struct File {
        std::string bytes;
        vek::FileIdentity id;
        std::uint64_t created = 0;  // the creation time, as it were
        std::uint64_t writes = 0;   // the last-write time, as it were
        bool held = false;          // open by its writer without read sharing: opens fail
    };

    // Faults: each counts down, one call at a time.
    int failLooks = 0;   // Look gives nullopt
    int failOpens = 0;   // Open gives nullptr
    int failProbes = 0;  // Probe gives nullopt
    int failReads = 0;   // ReadAt gives nullopt
    // The next read gives at most this many bytes (then reads are whole again).
    std::optional<std::size_t> shortRead;
    // The system cannot tell identities (every probe says nullopt for it).
    bool unknownIdentity = false;
    // Probes report this length instead of the real one (a broken file system).
    std::optional<std::int64_t> lieAboutLength;

    int opens = 0;  // successful opens for reading, all paths
    int looks = 0;  // looks and identifications by path
    // Called with every read asked of a file: offset, bytes asked, and the
    // length its probe reports.
    std::function<void(std::int64_t offset, std::size_t asked, std::int64_t reported)> onRead;

    // Appends to the file at path, creating it (a new identity) when missing.
    File& Append(const std::string& path, std::string_view bytes) {
        std::shared_ptr<File>& f = files_[path];
        if (!f) {
            const std::uint64_t index = nextIndex_++;
            f = std::make_shared<File>(File{{}, vek::FileIdentity{7, index}, index, 0});
        }
        f->bytes.append(bytes);
        ++f->writes;
        return *f;
    }
    // Writes over the file at path from `offset` on, making it longer when
    // the bytes go past its end (a writer that made room with zeros first).
    void Overwrite(const std::string& path, std::size_t offset, std::string_view bytes) {
        File* f = Find(path);
        if (!f || offset > f->bytes.size()) return;
        if (f->bytes.size() < offset + bytes.size()) f->bytes.resize(offset + bytes.size());
        std::copy(bytes.begin(), bytes.end(), f->bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        ++f->writes;
    }
    // Cuts the file at path to `size` bytes (the same file: same identity).
    void Truncate(const std::string& path, std::size_t size) {
        if (File* f = Find(path)) {
            f->bytes.resize(std::min(size, f->bytes.size()));
            ++f->writes;
        }
    }
    // Another file takes the path, holding `bytes`.
    void Replace(const std::string& path, std::string_view bytes) {
        files_.erase(path);
        Append(path, bytes);
    }
    // Another file takes the path, of the same length and with the same
    // times: only its identity tells.
    void ReplaceAlike(const std::string& path, std::string_view bytes) {
        const File* old = Find(path);
        if (!old || old->bytes.size() != bytes.size()) return;
        const std::uint64_t created = old->created, writes = old->writes;
        Replace(path, bytes);
        File* f = Find(path);
        f->created = created;
        f->writes = writes;
    }
    void Rename(const std::string& from, const std::string& to) {
        auto it = files_.find(from);
        if (it == files_.end()) return;
        files_[to] = it->second;
        files_.erase(it);
    }
    void Remove(const std::string& path) { files_.erase(path); }
    File* Find(const std::string& path) {
        auto it = files_.find(path);
        return it == files_.end() ? nullptr : it->second.get();
    }

    std::optional<vek::LogLook> Look(const std::string& path) override {
        ++looks;
        if (failLooks > 0) {
            --failLooks;
            return std::nullopt;
        }
        const File* f = Find(path);
        if (!f) return std::nullopt;
        return vek::LogLook{static_cast<std::int64_t>(f->bytes.size()), f->created, f->writes};
    }

    std::optional<vek::FileIdentity> Identify(const std::string& path) override {
        ++looks;
        const File* f = Find(path);
        if (!f || unknownIdentity) return std::nullopt;
        return f->id;
    }

    std::unique_ptr<vek::LogFile> Open(const std::string& path) override {
        if (failOpens > 0) {
            --failOpens;
            return nullptr;
        }
        auto it = files_.find(path);
        if (it == files_.end() || it->second->held) return nullptr;
        ++opens;
        return std::make_unique<Handle>(*this, it->second);
    }

    std::string FindRenamed(const std::string& path, const vek::FileIdentity& id) override {
        const std::string folder = Folder(path);
        for (const auto& [p, f] : files_)
            if (p != path && Folder(p) == folder && f->id == id) return p;
        return {};
    }

private:
    static std::string Folder(const std::string& path) {
        const std::size_t slash = path.find_last_of("\\/");
        return slash == std::string::npos ? std::string() : path.substr(0, slash);
    }

    // An open file: it stays with its file through renames, as a handle does.
    class Handle final : public vek::LogFile {
    public:
        Handle(FakeFiles& owner, std::shared_ptr<File> file) : owner_(owner), file_(std::move(file)) {}

        std::optional<vek::LogProbe> Probe() override {
            if (owner_.failProbes > 0) {
                --owner_.failProbes;
                return std::nullopt;
            }
            vek::LogProbe p;
            p.length = Reported();
            if (!owner_.unknownIdentity) p.identity = file_->id;
            return p;
        }

        std::optional<std::size_t> ReadAt(std::int64_t offset, std::span<char> buffer) override {
            if (owner_.onRead) owner_.onRead(offset, buffer.size(), Reported());
            if (owner_.failReads > 0) {
                --owner_.failReads;
                return std::nullopt;
            }
            if (offset < 0) return std::nullopt;
            const std::string& b = file_->bytes;
            if (static_cast<std::uint64_t>(offset) >= b.size()) return 0;
            std::size_t n = std::min(buffer.size(), b.size() - static_cast<std::size_t>(offset));
            if (owner_.shortRead) {
                n = std::min(n, *owner_.shortRead);
                owner_.shortRead.reset();
            }
            std::copy_n(b.data() + static_cast<std::size_t>(offset), n, buffer.data());
            return n;
        }

    private:
        std::int64_t Reported() const {
            return owner_.lieAboutLength ? *owner_.lieAboutLength : static_cast<std::int64_t>(file_->bytes.size());
        }

        FakeFiles& owner_;
        std::shared_ptr<File> file_;
    };

    std::map<std::string, std::shared_ptr<File>> files_;
    std::uint64_t nextIndex_ = 1;
};

// Records what the follower hands on.
struct RecordingSink final : vek::LineSink {
    struct Line {
        std::string text;
        bool continues;
        friend bool operator==(const Line&, const Line&) = default;
    };
    std::vector<Line> lines;
    std::vector<vek::PassFacts> passes;  // of each pass that gave lines

    void TakeLine(std::string_view line, bool continues) override { lines.push_back({std::string(line), continues}); }
    void EndPass(const vek::PassFacts& facts) override { passes.push_back(facts); }

    // The texts handed on since the last call.
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        for (std::size_t i = taken_; i < lines.size(); ++i) out.push_back(lines[i].text);
        taken_ = lines.size();
        return out;
    }

private:
    std::size_t taken_ = 0;
};

// A follower over in-memory files, and the lines its passes hand on.
struct Follower {
    FakeFiles files;
    RecordingSink sink;
    vek::LogFollower follower{files, sink};

    // One pass; the lines it handed on.
    std::vector<std::string> Pass(std::size_t budget = vek::kMaxBlock) {
        follower.Pass(budget);
        return sink.Take();
    }
    // Passes until one finds nothing more waiting; all their lines.
    std::vector<std::string> PassUntilQuiet() {
        for (int i = 0; i < 1000 && follower.Pass(); ++i) {
        }
        follower.Pass();  // and one that finds the rest of a burst, if any
        return sink.Take();
    }
};

}  // namespace vektest
