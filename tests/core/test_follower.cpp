// The follower's whole pass, driven through in-memory files: where following
// starts, what a pass hands on, and how it meets partial lines, long lines,
// NUL bytes, truncation, replacement, rotation and failing files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/log_follower.h"
#include "fake_log_files.h"

namespace {

using namespace std::string_literals;
using vek::kMaxBlock;
using vektest::FakeFiles;
using vektest::RecordingSink;
using Lines = std::vector<std::string>;

const std::string kLog = "C:\\game\\chat.log";

using vektest::Follower;

TEST(Follower, WhereFollowingStarts) {
    Follower f;
    f.files.Append(kLog, "old line\r\n");
    f.follower.Start(kLog);
    EXPECT_EQ(f.follower.LogSize(), 10);
    EXPECT_EQ(f.Pass(), Lines{});
    f.files.Append(kLog, "new line\r\n");
    EXPECT_EQ(f.Pass(), Lines{"new line"});

    // A restart measures the file again instead of keeping the old count.
    f.files.Append(kLog, "while stopped\r\n");
    f.follower.Start(kLog);
    EXPECT_EQ(f.Pass(), Lines{});

    // No file at the start, even after an earlier run: a log that appears
    // later shows from its first byte. No log chosen at all reads nothing.
    const std::string later = "C:\\game\\later.log";
    f.follower.Start(later);
    EXPECT_EQ(f.follower.LogSize(), 0);
    EXPECT_EQ(f.Pass(), Lines{});
    f.files.Append(later, "first\r\nsecond\r\n");
    EXPECT_EQ(f.Pass(), (Lines{"first", "second"}));
    f.follower.Start("");
    EXPECT_EQ(f.Pass(), Lines{});
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
        Follower f;
        f.files.Append(kLog, "");
        f.follower.Start(kLog);
        for (std::size_t i = 0; i < c.writes.size(); ++i) {
            f.files.Append(kLog, c.writes[i]);
            EXPECT_EQ(f.Pass(), c.perPass[i]) << "pass " << i;
        }
        // LogSize never counts the held-back partial line.
        const std::string& bytes = f.files.Find(kLog)->bytes;
        const std::size_t lastCr = bytes.rfind('\r');
        std::size_t expected = lastCr == std::string::npos ? 0 : lastCr + 1;
        while (expected < bytes.size() && bytes[expected] == '\n') ++expected;
        EXPECT_EQ(f.follower.LogSize(), static_cast<std::int64_t>(expected));
    }
}

// A burst comes in passes of at most the budget the window gives (a line
// longer than the budget comes whole all the same); every line arrives
// whole, in order, also those that cross a block's end, and only the last
// pass says that nothing more is waiting.
TEST(Follower, ABurstComesInPassesOfAtMostTheBudgetWithEveryLineWhole) {
    Lines written;
    std::string burst;
    for (int i = 0; written.size() < 6000; ++i) {
        written.push_back("[2026-12-07 11:30:05] line " + std::to_string(i) + std::string(i % 37, 'x'));
        burst += written.back() + "\r\n";
    }
    written.push_back(std::string(3000, 'L'));  // longer than the smallest budget
    burst += written.back() + "\r\n";
    ASSERT_GT(burst.size(), 4u * kMaxBlock);
    for (std::size_t budget : {std::size_t{1000}, std::size_t{kMaxBlock}, std::size_t{3 * kMaxBlock}}) {
        SCOPED_TRACE(budget);
        Follower f;
        f.files.Append(kLog, "");
        f.follower.Start(kLog);
        f.files.Append(kLog, burst);
        bool more = true;
        int passes = 0;
        for (; passes < 2000 && more; ++passes) {
            const std::int64_t before = f.follower.LogSize();
            more = f.follower.Pass(budget);
            EXPECT_LE(f.follower.LogSize() - before, static_cast<std::int64_t>(std::max<std::size_t>(budget, 3002)));
            EXPECT_GE(f.follower.LastPassBytes(), static_cast<std::size_t>(f.follower.LogSize() - before));
        }
        EXPECT_GE(passes, static_cast<int>(burst.size() / std::max<std::size_t>(budget, 3002)));
        EXPECT_EQ(f.sink.Take(), written);
        EXPECT_EQ(f.follower.LogSize(), static_cast<std::int64_t>(burst.size()));
    }
}

// A line that never gets its CR must not grow the held-back text without
// bound: it is handed on in whole blocks, and the pieces after the first go
// on from it (no lead of their own).
TEST(Follower, OverlongLineIsHandedOnInPiecesThatGoOnFromTheFirst) {
    Follower f;
    f.files.Append(kLog, "");
    f.follower.Start(kLog);
    std::string longLine;
    for (std::size_t i = 0; i < 2 * kMaxBlock + 100; ++i) longLine += static_cast<char>('a' + i % 26);
    f.files.Append(kLog, longLine);
    f.PassUntilQuiet();
    f.files.Append(kLog, "\r\nnext\r\n");
    f.PassUntilQuiet();
    const std::vector<RecordingSink::Line> want = {
        {longLine.substr(0, kMaxBlock), false},
        {longLine.substr(kMaxBlock, kMaxBlock), true},
        {longLine.substr(2 * kMaxBlock), true},
        {"next", false},
    };
    EXPECT_EQ(f.sink.lines, want);
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
        Follower f;
        f.files.Append(kLog, "");
        f.follower.Start(kLog);
        f.files.Append(kLog, c.write);
        EXPECT_EQ(f.Pass(), c.lines);
        EXPECT_EQ(f.follower.LogSize(), static_cast<std::int64_t>(c.write.size()));
        f.files.Append(kLog, "after\r\n");
        EXPECT_EQ(f.Pass(), Lines{"after"});
    }
}

TEST(Follower, TruncatedOrReplacedLogIsFollowedFromItsStart) {
    struct Case {
        const char* name;
        std::string replacement;
        bool newFile;  // another file takes the path, else the same file is cut
        Lines lines;
    };
    const Case cases[] = {
        {"truncated to nothing", "", false, {}},
        {"truncated and rewritten shorter", "fresh\r\n", false, {"fresh"}},
        {"replaced, shorter", "other\r\n", true, {"other"}},
        {"replaced, longer", "a much longer replacement line\r\nand one more\r\n", true,
         {"a much longer replacement line", "and one more"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Follower f;
        f.files.Append(kLog, "existing text\r\n");
        f.follower.Start(kLog);
        f.files.Append(kLog, "seen\r\n");
        ASSERT_EQ(f.Pass(), Lines{"seen"});

        if (c.newFile) {
            f.files.Replace(kLog, c.replacement);
        } else {
            f.files.Truncate(kLog, 0);
            f.files.Append(kLog, c.replacement);
        }
        EXPECT_EQ(f.Pass(), c.lines);
        EXPECT_EQ(f.follower.LogSize(), static_cast<std::int64_t>(c.replacement.size()));
        f.files.Append(kLog, "grown\r\n");
        EXPECT_EQ(f.Pass(), Lines{"grown"});
    }
}

// A log renamed away (rotated) is read to its end, its unfinished last line
// included, before the new log at the path is followed from its first byte.
// One moved out of its folder cannot be found: the new log follows at once.
TEST(Follower, ARotatedLogIsReadToItsEndBeforeTheNewOne) {
    std::string big;
    Lines bigLines;
    for (int i = 0; i < 3000; ++i) {
        bigLines.push_back("burst line " + std::to_string(i) + ", padded out to some length");
        big += bigLines.back() + "\r\n";
    }
    Lines bigThenNew = bigLines;
    bigThenNew.push_back("new first");
    const struct {
        const char* name;
        std::string beforeRename;  // written after the last pass
        std::string renamedTo;
        Lines lines;
    } cases[] = {
        {"whole lines", "late one\r\nlate two\r\n", "C:\\game\\chat.log.1", {"late one", "late two", "new first"}},
        {"an unfinished last line", "late\r\ncut off", "C:\\game\\chat.log.1", {"late", "cut off", "new first"}},
        {"several blocks", big, "C:\\game\\chat.1.log", bigThenNew},
        {"moved to another folder", "gone\r\n", "D:\\old\\chat.log", {"new first"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Follower f;
        f.files.Append(kLog, "");
        f.follower.Start(kLog);
        f.files.Append(kLog, "seen\r\n");
        ASSERT_EQ(f.Pass(), Lines{"seen"});
        f.files.Append(kLog, c.beforeRename);
        f.files.Rename(kLog, c.renamedTo);
        f.files.Append(kLog, "new first\r\n");
        EXPECT_EQ(f.PassUntilQuiet(), c.lines);
        f.files.Append(kLog, "new second\r\n");
        EXPECT_EQ(f.Pass(), Lines{"new second"});
    }
}

// What each pass tells of its lines: whether a read filled a whole block,
// and whether the pass before was behind, so that lines read while catching
// up, or from a log's first byte, can be told from news.
TEST(Follower, EachPassSaysWhetherItWasCatchingUp) {
    Follower f;
    f.files.Append(kLog, "before\r\n");
    f.follower.Start(kLog);
    f.files.Append(kLog, "news\r\n");
    f.Pass();
    f.files.Append(kLog, std::string(3 * kMaxBlock, 'x') + "\r\n");
    f.PassUntilQuiet();
    f.files.Truncate(kLog, 0);
    f.files.Append(kLog, "after truncation\r\n");
    f.Pass();
    // news; the burst a block at a time, then its end; the truncated log
    ASSERT_EQ(f.sink.passes.size(), 6u);
    const struct {
        bool catchingUp, previousBehind;
    } want[] = {{false, false}, {true, false}, {true, true}, {true, true}, {false, true}, {false, false}};
    for (std::size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(f.sink.passes[i].moreWaiting, want[i].catchingUp) << i;
        EXPECT_EQ(f.sink.passes[i].previousBehind, want[i].previousBehind) << i;
        EXPECT_EQ(f.sink.passes[i].restarted, i + 1 == std::size(want)) << i;  // only the truncated log
    }
}

// A quiet log is looked at by path and never opened (a game that opens its
// log with no sharing is never refused); now and then its identity is made
// sure of, which finds a log replaced by another of the same length and times.
TEST(Follower, AQuietLogIsOnlyLookedAt) {
    Follower f;
    f.files.Append(kLog, "old\r\n");
    f.follower.Start(kLog);
    f.Pass();
    const int opens = f.files.opens;
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(f.follower.Pass());
    EXPECT_EQ(f.files.opens, opens);
    EXPECT_LE(f.files.looks, 100 + 100 / 10);

    f.files.ReplaceAlike(kLog, "new\r\n");
    for (int i = 0; i < 40 && f.sink.lines.size() == 0; ++i) f.follower.Pass();
    EXPECT_EQ(f.sink.Take(), Lines{"new"});
    f.files.Append(kLog, "newer\r\n");
    EXPECT_EQ(f.Pass(), Lines{"newer"});
}

// A log cut and written again past what was read, between two looks, is no
// growth: the bytes before LogSize are not what was handed on, and it is read
// again from its first byte. So also right after the start, at the end of a
// log that existed.
TEST(Follower, ALogCutAndWrittenAgainPastTheReadPositionShowsFromItsStart) {
    const std::string old = "[2026-12-07 11:30:05] a line that was there before the cut\r\n";
    const std::string fresh = "[2026-12-07 11:31:00] after the cut, longer than what was read before\r\n";
    for (bool passFirst : {true, false}) {
        SCOPED_TRACE(passFirst ? "after a pass" : "right after the start");
        Follower f;
        f.files.Append(kLog, old);
        f.follower.Start(kLog);
        if (passFirst) {
            f.files.Append(kLog, "seen\r\n");
            ASSERT_EQ(f.Pass(), Lines{"seen"});
        }
        f.files.Truncate(kLog, 0);
        f.files.Append(kLog, fresh + fresh);
        EXPECT_EQ(f.Pass(), (Lines{fresh.substr(0, fresh.size() - 2), fresh.substr(0, fresh.size() - 2)}));
    }
}

// A system that cannot tell identities must not make every pass look like a
// replacement.
TEST(Follower, UnknownIdentityIsNoReplacement) {
    Follower f;
    f.files.Append(kLog, "old\r\n");
    f.follower.Start(kLog);
    f.files.unknownIdentity = true;
    f.files.Append(kLog, "new\r\n");
    EXPECT_EQ(f.Pass(), Lines{"new"});
    f.files.unknownIdentity = false;
    f.files.Append(kLog, "newer\r\n");
    EXPECT_EQ(f.Pass(), Lines{"newer"});
}

// An open, probe or read that fails, or a read that comes back short, keeps
// LogSize and shows no empty line; the next pass takes up where it left off.
TEST(Follower, FailuresKeepLogSizeAndTheNextPassGoesOn) {
    const struct {
        const char* name;
        void (*fault)(FakeFiles&);
        Lines first;
    } cases[] = {
        {"open fails", [](FakeFiles& fs) { fs.failOpens = 1; }, {}},
        {"probes fail", [](FakeFiles& fs) { fs.failProbes = 100; }, {}},
        {"reads fail", [](FakeFiles& fs) { fs.failReads = 100; }, {}},
        {"read comes back empty", [](FakeFiles& fs) { fs.shortRead = 0; }, {}},
        // Within the budget, the pass reads on.
        {"read ends inside the second line", [](FakeFiles& fs) { fs.shortRead = 7; }, {"abc", "def"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Follower f;
        f.files.Append(kLog, "");
        f.follower.Start(kLog);
        f.files.Append(kLog, "abc\r\ndef\r\n");
        c.fault(f.files);
        EXPECT_EQ(f.Pass(), c.first);
        EXPECT_EQ(f.follower.LogSize(), c.first.empty() ? 0 : 10);
        f.files.failProbes = f.files.failReads = 0;
        f.follower.Pass();
        Lines all = c.first;
        for (const std::string& l : f.sink.Take()) all.push_back(l);
        EXPECT_EQ(all, (Lines{"abc", "def"}));
        EXPECT_EQ(f.follower.LogSize(), 10);
    }
}

// Whatever the sizes of the writes and wherever the passes fall, the lines
// handed on are the complete lines of the log (CR-ended pieces, LF and NUL
// removed), each exactly once.
TEST(Follower, RandomWritesGiveTheLogsLines) {
    std::mt19937 rng(99);
    const char alphabet[] = {'a', 'b', 'c', ' ', '"', '{', '\r', '\n', '\0', '\xe9'};
    for (int round = 0; round < 40; ++round) {
        Follower f;
        f.files.Append(kLog, "");
        f.follower.Start(kLog);
        Lines got;
        for (int w = 0; w < 30; ++w) {
            const std::size_t len = rng() % (w % 7 == 0 ? 90000 : 60);
            std::string chunk;
            for (std::size_t i = 0; i < len; ++i) {
                // Mostly text, with a CR now and then so lines stay below a block.
                chunk += (rng() % 50 == 0) ? '\r' : alphabet[rng() % sizeof alphabet];
            }
            f.files.Append(kLog, chunk);
            for (const std::string& l : f.PassUntilQuiet()) got.push_back(l);
        }
        Lines expected;
        std::string current;
        for (char c : f.files.Find(kLog)->bytes) {
            if (c == '\r') expected.push_back(std::exchange(current, {}));
            else if (c != '\n' && c != '\0') current += c;
        }
        ASSERT_EQ(got, expected) << "round " << round;
    }
}

}  // namespace
