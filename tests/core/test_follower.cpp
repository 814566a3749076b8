#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/follower.h"
#include "core/lines.h"

namespace {

using namespace std::string_literals;
using vek::FileIdentity;
using vek::FollowState;
using vek::kMaxBlock;
using Lines = std::vector<std::string>;

// A log file as the shell would see it, and the shell's side of a pass.
struct FakeLog {
    std::optional<std::string> bytes;  // nullopt: no file at the path
    FileIdentity id{7, 1};

    vek::LogProbe Probe() const { return {id, static_cast<std::int64_t>(bytes->size())}; }
    void Append(const std::string& s) {
        if (!bytes) bytes.emplace();
        *bytes += s;
    }
};

void Start(FollowState& s, const FakeLog& log) {
    vek::StartFollowing(s, log.bytes ? std::optional(log.Probe()) : std::nullopt);
}

// One pass: open (fails when there is no file), probe, read what is asked.
Lines Pass(FollowState& s, const FakeLog& log, std::uint32_t* asked = nullptr) {
    if (!log.bytes) return {};
    vek::ReadRequest r = vek::PlanRead(s, log.Probe());
    if (asked) *asked = r.count;
    if (r.count == 0) return {};
    EXPECT_EQ(r.offset, s.LogSize);
    EXPECT_LE(r.count, kMaxBlock);
    std::string block = log.bytes->substr(static_cast<std::size_t>(r.offset), r.count);
    Lines out;
    for (std::string_view line : vek::TakeBlock(s, block)) out.emplace_back(line);
    return out;
}

Lines PassUntilQuiet(FollowState& s, const FakeLog& log) {
    Lines all;
    for (int i = 0; i < 1000; ++i) {
        std::int64_t before = s.LogSize;
        Lines got = Pass(s, log);
        all.insert(all.end(), got.begin(), got.end());
        if (s.LogSize == before) break;
    }
    return all;
}

TEST(Follower, WhereFollowingStarts) {
    FollowState s;
    FakeLog log;
    log.Append("old line\r\n");
    Start(s, log);
    EXPECT_EQ(s.LogSize, 10);
    EXPECT_EQ(Pass(s, log), Lines{});
    log.Append("new line\r\n");
    EXPECT_EQ(Pass(s, log), Lines{"new line"});

    // A restart measures the file again instead of keeping the old count.
    log.Append("while stopped\r\n");
    Start(s, log);
    EXPECT_EQ(Pass(s, log), Lines{});

    // No file at Start, even after an earlier run: a log that appears later
    // shows from its first byte.
    FakeLog later;
    later.bytes.reset();
    Start(s, later);
    EXPECT_EQ(s.LogSize, 0);
    EXPECT_EQ(Pass(s, later), Lines{});
    later.Append("first\r\nsecond\r\n");
    EXPECT_EQ(Pass(s, later), (Lines{"first", "second"}));
}

TEST(Follower, PartialLinesAreHeldBackUntilTheirCr) {
    struct Case {
        const char* name;
        std::vector<std::string> writes;  // a pass runs after each
        std::vector<Lines> perPass;
    };
    const Case cases[] = {
        {"completed later", {"hel", "lo wor", "ld\r\nnext"}, {{}, {}, {"hello world"}}},
        {"CR now, LF in the next write", {"abc\r", "\ndef\r\n"}, {{"abc"}, {"def"}}},
        {"only the LF arrives", {"abc\r", "\n", "x\r\n"}, {{"abc"}, {}, {"x"}}},
        {"several lines and a partial", {"a\r\nb\r\nc", "c\r\n"}, {{"a", "b"}, {"cc"}}},
        {"empty lines are lines", {"\r\n\r\n"}, {{"", ""}}},
        {"LF inside a line is dropped", {"a\nb\r\n"}, {{"ab"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FollowState s;
        FakeLog log;
        log.Append("");
        Start(s, log);
        for (std::size_t i = 0; i < c.writes.size(); ++i) {
            log.Append(c.writes[i]);
            EXPECT_EQ(Pass(s, log), c.perPass[i]) << "pass " << i;
        }
        // LogSize never counts the held-back partial line.
        std::size_t lastCr = log.bytes->rfind('\r');
        std::size_t expected = lastCr == std::string::npos ? 0 : lastCr + 1;
        while (expected < log.bytes->size() && (*log.bytes)[expected] == '\n') ++expected;  // no NULs here
        EXPECT_EQ(s.LogSize, static_cast<std::int64_t>(expected));
    }
}

// More than one block at once: every line arrives whole, in order, also the
// one that crosses the 65535-byte boundary.
TEST(Follower, GrowthBeyondOneBlockKeepsEveryLineWhole) {
    FollowState s;
    FakeLog log;
    log.Append("");
    Start(s, log);
    Lines written;
    for (int i = 0; written.size() < 5000; ++i) {
        written.push_back("[2026-12-07 11:30:05] line " + std::to_string(i) + std::string(i % 37, 'x'));
        log.Append(written.back() + "\r\n");
    }
    ASSERT_GT(log.bytes->size(), 3u * kMaxBlock);
    std::uint32_t asked = 0;
    Lines first = Pass(s, log, &asked);
    EXPECT_EQ(asked, kMaxBlock);
    Lines got = first;
    Lines rest = PassUntilQuiet(s, log);
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_EQ(got, written);
    EXPECT_EQ(s.LogSize, static_cast<std::int64_t>(log.bytes->size()));
}

// A line that never gets its CR must not grow the held-back text without
// bound: it is handed on in whole blocks.
TEST(Follower, OverlongLineIsHandedOnInPieces) {
    FollowState s;
    FakeLog log;
    log.Append("");
    Start(s, log);
    std::string longLine;
    for (std::size_t i = 0; i < 2 * kMaxBlock + 100; ++i) longLine += static_cast<char>('a' + i % 26);
    log.Append(longLine);
    Lines got = PassUntilQuiet(s, log);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].size(), kMaxBlock);
    EXPECT_EQ(got[0] + got[1], longLine.substr(0, 2 * kMaxBlock));
    EXPECT_EQ(s.LogSize, 2 * static_cast<std::int64_t>(kMaxBlock));  // the last 100 bytes wait

    log.Append("\r\n");
    EXPECT_EQ(Pass(s, log), Lines{longLine.substr(2 * kMaxBlock)});
}

TEST(Follower, NulBytesAreSkippedWithoutStalling) {
    struct Case {
        std::string write;
        Lines lines;
    };
    const Case cases[] = {
        {"ab\0cd\r\n"s, {"abcd"}},
        {"\0\0\0line\r\n"s, {"line"}},
        {"one\r\n\0\0two\r\n"s, {"one", "two"}},
        {"x\r\0\n"s, {"x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.write));
        FollowState s;
        FakeLog log;
        log.Append("");
        Start(s, log);
        log.Append(c.write);
        EXPECT_EQ(Pass(s, log), c.lines);
        EXPECT_EQ(s.LogSize, static_cast<std::int64_t>(log.bytes->size()));
        log.Append("after\r\n");
        EXPECT_EQ(Pass(s, log), Lines{"after"});
    }
}

TEST(Follower, TruncatedOrReplacedLogIsFollowedFromItsStart) {
    struct Case {
        const char* name;
        std::string replacement;
        bool newIdentity;
        Lines lines;
    };
    const Case cases[] = {
        {"truncated to nothing", "", false, {}},
        {"truncated and rewritten shorter", "fresh\r\n", false, {"fresh"}},
        {"renamed over, shorter", "other\r\n", true, {"other"}},
        {"renamed over, longer", "a much longer replacement line\r\nand one more\r\n", true,
         {"a much longer replacement line", "and one more"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FollowState s;
        FakeLog log;
        log.Append("existing text\r\n");
        Start(s, log);
        log.Append("seen\r\n");
        ASSERT_EQ(Pass(s, log), Lines{"seen"});

        log.bytes = c.replacement;
        if (c.newIdentity) log.id = {7, 2};
        EXPECT_EQ(Pass(s, log), c.lines);
        EXPECT_EQ(s.LogSize, static_cast<std::int64_t>(c.replacement.size()));
        log.Append("grown\r\n");
        EXPECT_EQ(Pass(s, log), Lines{"grown"});
    }
}

// A system that cannot tell the identity must not make every pass look like
// a replacement.
TEST(Follower, UnknownIdentityIsNoReplacement) {
    FollowState s;
    vek::StartFollowing(s, vek::LogProbe{FileIdentity{1, 1}, 100});
    vek::ReadRequest r = vek::PlanRead(s, vek::LogProbe{std::nullopt, 120});
    EXPECT_EQ(r.offset, 100);
    EXPECT_EQ(r.count, 20u);
    r = vek::PlanRead(s, vek::LogProbe{FileIdentity{1, 1}, 120});
    EXPECT_EQ(r.offset, 100);
}

// A read that fails or comes back short (the shell then hands over what it
// got, possibly nothing) keeps LogSize and shows no empty line.
TEST(Follower, FailedOrShortReadKeepsLogSize) {
    FollowState s;
    FakeLog log;
    log.Append("");
    Start(s, log);
    log.Append("abc\r\ndef\r\n");
    ASSERT_EQ(vek::PlanRead(s, log.Probe()).count, 10u);
    EXPECT_TRUE(vek::TakeBlock(s, "").empty());
    EXPECT_EQ(s.LogSize, 0);
    Lines got;
    for (std::string_view l : vek::TakeBlock(s, "abc\r\nde")) got.emplace_back(l);
    EXPECT_EQ(got, Lines{"abc"});
    EXPECT_EQ(Pass(s, log), Lines{"def"});
    EXPECT_EQ(s.LogSize, 10);
}

// Whatever the sizes of the writes and wherever the passes fall, the lines
// handed on are the complete lines of the log (as GetLine cuts them, NULs
// removed), each exactly once.
TEST(Follower, RandomWritesGiveTheLogsLines) {
    std::mt19937 rng(99);
    const char alphabet[] = {'a', 'b', 'c', ' ', '"', '{', '\r', '\n', '\0', '\xe9'};
    for (int round = 0; round < 40; ++round) {
        FollowState s;
        FakeLog log;
        log.Append("");
        Start(s, log);
        Lines got;
        for (int w = 0; w < 30; ++w) {
            std::size_t len = rng() % (w % 7 == 0 ? 90000 : 60);
            std::string chunk;
            for (std::size_t i = 0; i < len; ++i) {
                // Mostly text, with a CR now and then so lines stay below a block.
                chunk += (rng() % 50 == 0) ? '\r' : alphabet[rng() % sizeof alphabet];
            }
            log.Append(chunk);
            Lines passLines = PassUntilQuiet(s, log);
            got.insert(got.end(), passLines.begin(), passLines.end());
        }
        // The log's complete lines, cut plainly: CR-ended pieces, LF and NUL out.
        Lines expected;
        std::string current;
        for (char c : *log.bytes) {
            if (c == '\r') expected.push_back(std::exchange(current, {}));
            else if (c != '\n' && c != '\0') current += c;
        }
        ASSERT_EQ(got, expected) << "round " << round;
    }
}

}  // namespace
