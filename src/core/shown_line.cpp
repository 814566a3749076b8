#include "core/shown_line.h"

#include <algorithm>

namespace vek {

namespace {

constexpr std::string_view kYouPage = "You page ";

// The game's record of a page the player sent: "You page NAME: ...", a
// name of at least one character.
bool IsPageSentRecord(std::string_view body) {
    if (!body.starts_with(kYouPage)) return false;
    const std::size_t colon = body.find(": ", kYouPage.size());
    return colon != std::string_view::npos && colon > kYouPage.size();
}

}  // namespace

LineKind KindOf(const ShownText& shown, Color color) {
    if (color == NormalColor) return LineKind::Chat;
    if (color == PageInColor || color == PageOutColor) return LineKind::Page;
    return IsPageSentRecord(shown.body) ? LineKind::Page : LineKind::Other;
}

ShownLine ShapeLogLine(std::string_view line, bool continues) {
    ShownLine s;
    s.shown = continues ? ShownOfContinuation(line) : ShownOfLogLine(line);
    if (!continues) s.lead = line.substr(0, std::min(line.size(), kLeadLength));
    s.color = LineColor(s.shown);
    s.kind = KindOf(s.shown, s.color);
    s.source = LineSource::Log;
    s.continues = continues;
    return s;
}

ShownLine ShapeInput(std::string_view input) {
    ShownLine s;
    s.shown = ShownOfInput(input);
    s.lead = input.substr(0, std::min(input.size(), kLeadLength));
    s.color = LineColor(s.shown);
    s.kind = KindOf(s.shown, s.color);
    s.source = LineSource::Input;
    return s;
}

ShownLine ShapeNotice(std::string_view text) {
    ShownLine s;
    s.shown = {text, "\r\n"};
    s.color = OtherColor;
    s.kind = LineKind::Other;
    s.source = LineSource::Notice;
    return s;
}

void RenderLine(const ShownLine& line, std::vector<ColorRun>& out) {
    if (line.source != LineSource::Notice) {
        RenderShown(line.shown, out);
        return;
    }
    if (!line.shown.body.empty()) out.push_back({line.shown.body, OtherColor});
    out.push_back({line.shown.lineBreak, OtherColor});
}

void LineShaper::Hand(const ShownLine& line) {
    for (ShownLineSink* s : sinks_) s->TakeShown(line);
}

void LineShaper::TakeLine(std::string_view line, bool continues) { Hand(ShapeLogLine(line, continues)); }

void LineShaper::EndPass(const PassFacts& facts) {
    for (ShownLineSink* s : sinks_) s->EndPass(facts);
}

void LineShaper::AddInput(std::string_view input) { Hand(ShapeInput(input)); }

void LineShaper::AddNotice(std::string_view text) { Hand(ShapeNotice(text)); }

}  // namespace vek
