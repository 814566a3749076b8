// The session's lines: keeping a million log lines of about 85 characters,
// and Find Next over all of them when nothing matches, beside the search the
// Find dialog makes today (FindInText over the display's whole text, UTF-16).
// Run: build/native/core_session --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/find_text.h"
#include "core/session_find.h"
#include "core/session_lines.h"
#include "core/shown_line.h"

namespace {

constexpr std::size_t kLines = 1'000'000;

// Log lines as the follower gives them (no CR LF), 85 characters on average:
// said, channel and page lines, markup among the words.
const std::vector<std::string>& LogLines() {
    static const std::vector<std::string> lines = [] {
        std::mt19937 rng(2026);
        const char* names[] = {"Orrin", "Tessaly", "Brannoc", "Ilse", "Wren"};
        const char* words[] = {"the", "keep", "at", "dawn", "\"north gate\"", "{Ward}", "horses", "ready", "siege"};
        std::vector<std::string> out;
        for (int i = 0; i < 4096; ++i) {
            std::string line = "[2026-12-07 11:30:05] ";
            const char* who = names[rng() % 5];
            switch (rng() % 4) {
                case 0: line += "{"; line += who; line += "}\":\" "; break;
                case 1: line += "[\"CC Traders\"] {"; line += who; line += "}\":\" "; break;
                case 2: line += who; line += " pages you: "; break;
                default: line += "You page "; line += who; line += ": "; break;
            }
            const std::size_t target = 60 + rng() % 51;  // 60-110
            while (line.size() < target) {
                line += words[rng() % 9];
                line += ' ';
            }
            out.push_back(line);
        }
        return out;
    }();
    return lines;
}

double AverageLength() {
    double sum = 0;
    for (const std::string& l : LogLines()) sum += static_cast<double>(l.size());
    return sum / static_cast<double>(LogLines().size());
}

const vek::SessionLines& Session() {
    static vek::SessionLines s;
    static const bool filled = [] {
        for (std::size_t i = 0; i < kLines; ++i) s.Append(vek::ShapeLogLine(LogLines()[i % LogLines().size()], false));
        return true;
    }();
    (void)filled;
    return s;
}

std::array<char16_t, 256> Latin1() {
    std::array<char16_t, 256> t{};
    for (std::size_t b = 0; b < 256; ++b) t[b] = static_cast<char16_t>(b);
    return t;
}

// Keeping a million lines: time, and the heap per line.
void BM_SessionAppend1M(benchmark::State& state) {
    std::size_t bytes = 0, entries = 0;
    for (auto _ : state) {
        vek::SessionLines s;
        for (std::size_t i = 0; i < kLines; ++i) s.Append(vek::ShapeLogLine(LogLines()[i % LogLines().size()], false));
        bytes = s.MemoryBytes();
        entries = s.Size();
    }
    state.counters["bytes/line"] = static_cast<double>(bytes) / static_cast<double>(entries);
    state.counters["chars/line"] = AverageLength();
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kLines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SessionAppend1M)->Unit(benchmark::kMillisecond);

// Find Next with no match over the million lines, from the newest upwards
// (the dialog's first direction). Args: match case, whole word.
void BM_SessionFindNoMatch1M(benchmark::State& state) {
    const vek::SessionLines& s = Session();
    const vek::AnsiDecoder d = vek::AnsiDecoder::SingleByte(Latin1());
    const vek::FindOptions o{false, state.range(0) != 0, state.range(1) != 0};
    const vek::SessionPlace end{s.Size(), 0};
    for (auto _ : state) benchmark::DoNotOptimize(vek::FindInSession(s, d, u"dragon", {end, end}, o));
}
BENCHMARK(BM_SessionFindNoMatch1M)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Unit(benchmark::kMillisecond);

// A text that begins like many words of the log ("the ..."), so that the
// first character matches often.
void BM_SessionFindNoMatchCommonStart1M(benchmark::State& state) {
    const vek::SessionLines& s = Session();
    const vek::AnsiDecoder d = vek::AnsiDecoder::SingleByte(Latin1());
    const vek::SessionPlace end{s.Size(), 0};
    for (auto _ : state) benchmark::DoNotOptimize(vek::FindInSession(s, d, u"the dragon", {end, end}, {}));
}
BENCHMARK(BM_SessionFindNoMatchCommonStart1M)->Unit(benchmark::kMillisecond);

// The same through a per-entry conversion, as for a double-byte code page.
void BM_SessionFindNoMatchConverter1M(benchmark::State& state) {
    const vek::SessionLines& s = Session();
    const vek::AnsiDecoder d = vek::AnsiDecoder::Converter([](std::string_view bytes, std::u16string& out) {
        for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    });
    const vek::SessionPlace end{s.Size(), 0};
    for (auto _ : state) benchmark::DoNotOptimize(vek::FindInSession(s, d, u"dragon", {end, end}, {}));
}
BENCHMARK(BM_SessionFindNoMatchConverter1M)->Unit(benchmark::kMillisecond);

// Today's search: FindInText over the display's whole text, the entries
// joined by CRs as the control holds them.
void BM_FindInTextWholeDisplay1M(benchmark::State& state) {
    const vek::SessionLines& s = Session();
    std::u16string text;
    for (std::size_t i = 0; i < s.Size(); ++i) {
        for (char c : s[i].text) text += static_cast<char16_t>(static_cast<unsigned char>(c));
        text += u'\r';
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(vek::FindInText(text, u"dragon", {text.size(), text.size()}, {}));
}
BENCHMARK(BM_FindInTextWholeDisplay1M)->Unit(benchmark::kMillisecond);

// What the display asks for as the player scrolls: a screenful of entries
// as one RTF document.
void BM_SessionRender200(benchmark::State& state) {
    const vek::SessionLines& s = Session();
    vek::ChatRtf rtf;
    std::size_t first = 0;
    for (auto _ : state) {
        rtf.Begin();
        s.Render(first, first + 200, rtf);
        benchmark::DoNotOptimize(rtf.Finish().data());
        first = (first + 7919) % (s.Size() - 200);
    }
}
BENCHMARK(BM_SessionRender200)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
