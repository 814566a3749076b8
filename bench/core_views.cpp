// Lines by kind and saving the chat over a session of 1,000,000 lines: a kind
// ticked back in a view, the kinds caught up from the store, and the whole
// session written in each format to a sink that only counts (the disk's own
// speed is not the program's). Run: build/native/core_views --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "core/chat_save.h"
#include "core/line_kinds.h"
#include "core/session_lines.h"
#include "core/shown_line.h"

namespace {

constexpr std::size_t kLines = 1000000;

// A session's worth of the kinds of lines a game writes (about 85 characters,
// quotes and braces included), and a notice now and then.
const vek::SessionLines& Session() {
    static vek::SessionLines session;
    static const bool filled = [] {
        vek::SessionLines* s = &session;
        std::mt19937 rng(2026);
        const char* names[] = {"Orrin", "Tessaly", "Brannoc", "Ilse", "Wren"};
        const char* words[] = {"the", "keep", "at", "dawn", "\"north gate\"", "{Ward}", "horses", "ready", "siege"};
        std::string line;
        for (std::size_t i = 0; i < kLines; ++i) {
            if (i % 1000 == 999) {
                s->Append(vek::ShapeNotice("VekChat: the game does not answer; this message waits for it: hello"));
                continue;
            }
            line = "[2026-12-07 11:30:05] ";
            const char* who = names[rng() % 5];
            switch (rng() % 5) {
                case 0: line += "{"; line += who; line += "}\":\" "; break;
                case 1: line += "[\"CC "; line += who; line += "] "; break;
                case 2: line += who; line += " pages you: "; break;
                case 3: line += "Paged "; line += who; line += " "; break;
                default: line += who; line += " says, "; break;
            }
            while (line.size() < 85) {
                line += words[rng() % 9];
                line += ' ';
            }
            s->Append(vek::ShapeLogLine(line, false));
        }
        return true;
    }();
    (void)filled;
    return session;
}

const vek::LineKinds& Kinds() {
    static const vek::LineKinds kinds = [] {
        vek::LineKinds k;
        k.CatchUp(Session());
        return k;
    }();
    return kinds;
}

// The kinds of a whole session taken from the store, as a first view does.
void BM_KindsCatchUp(benchmark::State& state) {
    const vek::SessionLines& s = Session();
    for (auto _ : state) {
        vek::LineKinds kinds;
        kinds.CatchUp(s);
        benchmark::DoNotOptimize(kinds.Size());
    }
    state.counters["lines"] = static_cast<double>(s.Size());
}
BENCHMARK(BM_KindsCatchUp)->Unit(benchmark::kMillisecond);

// Chat lines ticked back while other lines stay hidden: the view counts its
// lines again over the whole session. (Ticking the last hidden kind back
// shows every line, which costs nothing.)
void BM_KindTickedBack(benchmark::State& state) {
    const vek::LineKinds& kinds = Kinds();
    vek::KindView view(kinds, {vek::LineKind::Page});
    std::size_t shown = 0;
    for (auto _ : state) {
        view.SetFilter({vek::LineKind::Page, vek::LineKind::Chat});
        shown = view.Size();
        state.PauseTiming();
        view.SetFilter({vek::LineKind::Page});
        state.ResumeTiming();
    }
    state.counters["lines"] = static_cast<double>(kinds.Size());
    state.counters["shown"] = static_cast<double>(shown);
}
BENCHMARK(BM_KindTickedBack)->Unit(benchmark::kMillisecond);

// A view line to its store entry and back, at random places.
void BM_KindViewLookups(benchmark::State& state) {
    vek::KindView view(Kinds(), {vek::LineKind::Page});
    std::mt19937 rng(7);
    std::size_t sum = 0;
    for (auto _ : state) {
        const std::size_t line = rng() % view.Size();
        sum += view.LinesBefore(view.Entry(line)) - line;
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_KindViewLookups);

class CountingSink final : public vek::ByteSink {
public:
    bool Write(std::string_view bytes) override {
        count += bytes.size();
        benchmark::DoNotOptimize(bytes.data());
        return true;
    }
    std::size_t count = 0;
};

void SaveAll(benchmark::State& state, vek::SaveFormat format, bool times) {
    const vek::SessionLines& s = Session();
    const vek::LineKinds& kinds = Kinds();
    const vek::DecodeAnsi decode = [](std::string_view bytes, std::u16string& out) {
        for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    };
    std::size_t bytes = 0;
    for (auto _ : state) {
        CountingSink sink;
        if (!vek::SaveSession(s, kinds, vek::KindFilter::All(), sink, {format, times, 1252, "Tahoma"}, decode))
            state.SkipWithError("the sink failed");
        bytes = sink.count;
    }
    state.counters["lines"] = static_cast<double>(s.Size());
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_SaveText(benchmark::State& state) { SaveAll(state, vek::SaveFormat::Text, false); }
void BM_SaveTextTimes(benchmark::State& state) { SaveAll(state, vek::SaveFormat::Text, true); }
void BM_SaveRtf(benchmark::State& state) { SaveAll(state, vek::SaveFormat::Rtf, true); }
void BM_SaveHtml(benchmark::State& state) { SaveAll(state, vek::SaveFormat::Html, true); }
BENCHMARK(BM_SaveText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTextTimes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRtf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveHtml)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
