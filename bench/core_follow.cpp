// Throughput of the follower's core work on a realistic chat log: its passes
// (cutting blocks into lines), rendering the markup into colour runs, and
// building the RTF of a pass. Run: build/native/core_follow --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/alerts.h"
#include "core/chat_display.h"
#include "core/follower.h"
#include "core/log_follower.h"
#include "core/names.h"
#include "fake_log_files.h"

namespace {

// About 1 MB of the kinds of lines a game writes, CR LF ended.
const std::string& ChatLog() {
    static const std::string log = [] {
        std::mt19937 rng(2026);
        const char* names[] = {"Orrin", "Tessaly", "Brannoc", "Ilse", "Wren"};
        const char* words[] = {"the", "keep", "at", "dawn", "\"north gate\"", "{Ward}", "horses", "ready", "siege"};
        std::string out;
        while (out.size() < (1u << 20)) {
            out += "[2026-12-07 11:30:05] ";
            const char* who = names[rng() % 5];
            switch (rng() % 5) {
                case 0: out += "{"; out += who; out += "}\":\" "; break;
                case 1: out += "[\"CC "; out += who; out += "] "; break;
                case 2: out += who; out += " pages you: "; break;
                case 3: out += "Paged "; out += who; out += " "; break;
                default: out += who; out += " says, "; break;
            }
            for (int n = 4 + rng() % 12; n > 0; --n) {
                out += words[rng() % 9];
                out += ' ';
            }
            out += "\r\n";
        }
        return out;
    }();
    return log;
}

std::vector<std::string_view> LogLines() {
    std::vector<std::string_view> lines;
    vek::FollowState s;
    vek::StartFollowing(s, std::nullopt);
    const std::string& log = ChatLog();
    for (std::string_view l : vek::TakeBlock(s, log)) lines.push_back(l);  // all CR LF ended: views into log
    return lines;
}

// The follower's passes over the whole log, as the window runs them (a
// block, then two at a time while behind), through in-memory files.
void BM_FollowerPass(benchmark::State& state) {
    struct Counting final : vek::LineSink {
        std::size_t lines = 0;
        void TakeLine(std::string_view line, bool) override {
            ++lines;
            benchmark::DoNotOptimize(line.data());
        }
        void EndPass(const vek::PassFacts&) override {}
    } sink;
    vektest::FakeFiles files;
    files.Append("chat.log", ChatLog());
    vek::LogFollower follower(files, sink);
    for (auto _ : state) {
        state.PauseTiming();
        files.Remove("chat.log");
        follower.Start("chat.log");  // no log yet: it shows from its first byte
        files.Append("chat.log", ChatLog());
        state.ResumeTiming();
        while (follower.Pass()) {
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ChatLog().size()));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(sink.lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FollowerPass);

void BM_RenderMarkup(benchmark::State& state) {
    const std::vector<std::string_view> lines = LogLines();
    std::size_t bytes = 0;
    for (std::string_view l : lines) bytes += l.size();
    std::vector<vek::ColorRun> runs;
    for (auto _ : state) {
        for (std::string_view l : lines) {
            runs.clear();
            vek::RenderShown(vek::ShownOfLogLine(l), runs);
            benchmark::DoNotOptimize(runs.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_RenderMarkup);

// Colour classification, markup and RTF of every line, one document per
// 1000 lines as a busy pass would make.
void BM_ChatRtf(benchmark::State& state) {
    const std::vector<std::string_view> lines = LogLines();
    std::size_t bytes = 0;
    for (std::string_view l : lines) bytes += l.size();
    vek::ChatRtf rtf;
    for (auto _ : state) {
        for (std::size_t i = 0; i < lines.size(); i += 1000) {
            rtf.Begin();
            for (std::size_t j = i; j < lines.size() && j < i + 1000; ++j) rtf.AddShown(vek::ShownOfLogLine(lines[j]));
            benchmark::DoNotOptimize(rtf.Finish().data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * lines.size()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChatRtf);

// The alert test a pass makes of every shown line: pages on, and the most
// alert words the settings take, each with a first letter of its own (as
// names have), none of which the log holds.
void BM_LineAlerts(benchmark::State& state) {
    const std::vector<std::string_view> lines = LogLines();
    vek::AlertSettings settings;
    std::string words;
    for (std::size_t i = 0; i < vek::kMaxAlertWords; ++i) words += static_cast<char>('a' + i) + std::string("qzx ");
    settings.words = vek::AlertWords::Parse(words);
    std::size_t alerts = 0;
    for (auto _ : state)
        for (std::string_view l : lines) alerts += vek::LineAlerts(vek::ShapeLogLine(l, false), settings);
    benchmark::DoNotOptimize(alerts);
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * lines.size()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LineAlerts);

// Keeping the lead of 100,000 shown lines, then looking each one up.

// The names the window reads from every line it follows (for the reply keys
// and the page box): the mixed log above, whose few names are always near
// the front of the store; and lines said by 300 players in turn, so that
// every name is a new one at the back of a full store.
void RunLogNames(benchmark::State& state, const std::vector<std::string>& lines) {
    for (auto _ : state) {
        vek::LogNames names;
        for (const std::string& l : lines) names.TakeShown(vek::ShapeLogLine(l, false));
        benchmark::DoNotOptimize(names.Recent().Names().data());
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * lines.size()),
                                                   benchmark::Counter::kIsRate);
}

void BM_LogNames(benchmark::State& state) {
    const std::vector<std::string_view> views = LogLines();
    RunLogNames(state, std::vector<std::string>(views.begin(), views.end()));
}
BENCHMARK(BM_LogNames);

void BM_LogNamesAllNew(benchmark::State& state) {
    std::vector<std::string> lines;
    for (int i = 0; i < 30000; ++i)
        lines.push_back("[2026-12-07 11:30:05] {Player" + std::to_string(i % 300) + "}\":\" the keep at dawn");
    RunLogNames(state, lines);
}
BENCHMARK(BM_LogNamesAllNew);

}  // namespace

BENCHMARK_MAIN();
