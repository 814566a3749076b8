// The session's lines, and Find over them, on any lines: log lines (whole
// or the rest of a cut one), AppendData's texts, notices, runs of one byte
// longer than a block (of a size the input chooses). Aborts when
//   - the store's entries differ from a plain model's (each line's
//     characters coloured one at a time by the markup rule, cut at every
//     paragraph break as the display makes them, NUL dropped): text, colour
//     of every character, lead, line colour, kind, notice, continuation;
//   - a line with its line break adds other than as many entries as ChatRtf
//     counts paragraphs for it, or entries rendered back do not;
//   - FindInSession, through the code page's table or through a per-entry
//     conversion, finds other than FindInText over the entries joined by CRs
//     (the display's text), from the same selection.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/session_find.h"
#include "core/session_lines.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Entry {
    std::string text;
    std::vector<vek::Color> colors;  // one per character
    std::string lead;
    vek::Color color = vek::OtherColor;
    vek::LineKind kind = vek::LineKind::Other;
    bool notice = false;
    bool continues = false;
};

// The line's characters in their colours, one at a time.
std::vector<std::pair<char, vek::Color>> Colored(const vek::ShownLine& line) {
    std::vector<std::pair<char, vek::Color>> out;
    const std::string shown = std::string(line.shown.body) + std::string(line.shown.lineBreak);
    if (line.source == vek::LineSource::Notice) {
        for (char c : shown) out.push_back({c, vek::OtherColor});
        return out;
    }
    const vek::Color lineColor = vek::LineColor(line.shown);
    vek::Color color = lineColor;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char c = shown[i];
        const bool body = i < line.shown.body.size();
        if (body && c == '"') color = color == lineColor ? vek::QuoteColor : lineColor;
        else if (body && c == '{') color = vek::BraceColor;
        else if (body && c == '}') color = lineColor;
        else out.push_back({c, color});
    }
    return out;
}

void Model(const vek::ShownLine& line, std::vector<Entry>& model) {
    if (line.shown.empty()) return;
    Entry e;
    e.lead = std::string(line.lead.substr(0, vek::kMaxStoredLead));
    e.color = line.color;
    e.kind = line.kind;
    e.notice = line.source == vek::LineSource::Notice;
    e.continues = line.continues;
    Entry next = e;
    next.continues = true;
    bool afterCr = false;
    for (auto [c, color] : Colored(line)) {
        if (c == '\0') continue;
        if (c == '\r' || (c == '\n' && !afterCr)) {
            model.push_back(e);
            e = next;
        } else if (c != '\n') {
            e.text += c;
            e.colors.push_back(color);
        }
        afterCr = c == '\r';
    }
    if (!e.text.empty()) model.push_back(e);
}

void Same(const vek::StoredLine& s, const Entry& e) {
    Check(s.text == e.text && s.lead == e.lead && s.color == e.color && s.kind == e.kind && s.notice == e.notice &&
          s.continues == e.continues);
    std::vector<vek::Color> colors;
    vek::PackedRuns r(s.runs);
    std::size_t n = 0;
    vek::Color c = 0;
    while (r.Next(n, c)) colors.insert(colors.end(), n, c);
    Check(colors == e.colors);
}

// Bytes as characters: ASCII as is, 0x80-0x9F Cyrillic capitals, 0xA0-0xBF
// their small letters, the rest Latin-1.
std::array<char16_t, 256> Table() {
    std::array<char16_t, 256> t{};
    for (std::size_t b = 0; b < 256; ++b)
        t[b] = static_cast<char16_t>(b < 0x80 ? b : b < 0xA0 ? 0x0410 + (b - 0x80) : b < 0xC0 ? 0x0430 + (b - 0xA0) : b);
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // Small blocks, so that lines fall on block ends and outgrow blocks often.
    vek::SessionLines store(in.ConsumeIntegralInRange<std::size_t>(64, 4096));
    std::vector<Entry> model;
    std::vector<std::string> keep;  // the texts the lines view
    keep.reserve(64);

    for (int op = 0; op < 64 && in.remaining_bytes() > 0; ++op) {
        const int kind = in.ConsumeIntegralInRange(0, 6);
        if (kind == 6) break;  // on to the searches
        std::string text = kind == 4 ? std::string(in.ConsumeIntegralInRange<std::size_t>(0, 9000),
                                                   in.ConsumeIntegral<char>())
                                     : in.ConsumeRandomLengthString(120);
        keep.push_back(std::move(text));
        const std::string& t = keep.back();
        const vek::ShownLine line = kind == 2 ? vek::ShapeInput(t)
                                  : kind == 3 ? vek::ShapeNotice(t)
                                              : vek::ShapeLogLine(t, kind == 1);
        const std::size_t before = store.Size();
        store.Append(line);
        Model(line, model);
        Check(store.Size() == model.size());
        for (std::size_t i = before; i < store.Size(); ++i) Same(store[i], model[i]);

        // The display's paragraphs for the line, and for its entries rendered back.
        if (line.source != vek::LineSource::Input) {
            vek::ChatRtf direct, back;
            direct.Begin();
            if (line.source == vek::LineSource::Notice) {
                direct.AddRun(line.shown.body, vek::OtherColor);
                direct.AddRun(line.shown.lineBreak, vek::OtherColor);
            } else {
                direct.AddShown(line.shown);
            }
            if (line.shown.empty()) Check(direct.Paragraphs() == 0);
            else Check(direct.Paragraphs() == store.Size() - before);
            back.Begin();
            store.Render(before, store.Size(), back);
            Check(back.Paragraphs() == store.Size() - before);
        }
    }
    for (std::size_t i = 0; i < store.Size(); ++i) Same(store[i], model[i]);

    // Find, against FindInText over the display's text.
    const std::array<char16_t, 256> table = Table();
    const vek::AnsiDecoder single = vek::AnsiDecoder::SingleByte(table);
    const vek::AnsiDecoder converter = vek::AnsiDecoder::Converter([&](std::string_view bytes, std::u16string& out) {
        for (char c : bytes) out += table[static_cast<unsigned char>(c)];
    });
    std::u16string joined;
    std::vector<std::size_t> base;
    for (const Entry& e : model) {
        base.push_back(joined.size());
        for (char c : e.text) joined += table[static_cast<unsigned char>(c)];
        joined += u'\r';
    }
    const auto at = [&](const vek::SessionPlace& p) {
        if (p.entry >= model.size()) return joined.size();
        return base[p.entry] + std::min(p.offset, model[p.entry].text.size());
    };
    for (int q = 0; q < 3 && in.remaining_bytes() > 0; ++q) {
        std::u16string what;
        for (char c : in.ConsumeRandomLengthString(6)) {
            const char16_t u = table[static_cast<unsigned char>(c)];
            what += u == u'\r' || u == u'\n' ? u'x' : u;  // the Find dialog's text is one line
        }
        vek::SessionPlace a{in.ConsumeIntegralInRange<std::size_t>(0, model.size()), in.ConsumeIntegralInRange<std::size_t>(0, 130)};
        vek::SessionPlace b{in.ConsumeIntegralInRange<std::size_t>(0, model.size()), in.ConsumeIntegralInRange<std::size_t>(0, 130)};
        if (at(b) < at(a)) std::swap(a, b);
        vek::FindOptions o;
        o.down = in.ConsumeBool();
        o.matchCase = in.ConsumeBool();
        o.wholeWord = in.ConsumeBool();
        const std::optional<vek::TextRange> expected = vek::FindInText(joined, what, {at(a), at(b)}, o);
        for (const vek::AnsiDecoder* d : {&single, &converter}) {
            const std::optional<vek::SessionMatch> found = vek::FindInSession(store, *d, what, {a, b}, o);
            Check(found.has_value() == expected.has_value());
            if (!found) continue;
            Check(found->range.end - found->range.start == what.size());
            Check(base[found->entry] + found->range.start == expected->start);
        }
    }
    return 0;
}
