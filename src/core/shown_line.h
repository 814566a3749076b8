// A line of the chat as the display shows it, worked out once: its shown
// text, the time lead the display drops, its line colour and its kind. The
// follower's lines go through a LineShaper, which works this out for each
// and hands the same value to every reader (the display, the session's
// store, the alerts, the names); the program's own notices and AppendData's
// text go through it too, so that every reader sees every shown line.
//
//   LineShaper shaper;  shaper.Add(store); shaper.Add(display); shaper.Add(alerts); shaper.Add(names);
//   LogFollower follower(files, shaper);   // lines of a pass: TakeShown each, then EndPass
//   shaper.AddNotice("VekChat: ...");     // a line of the program's own, at once
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/chat_display.h"
#include "core/log_follower.h"

namespace vek {

// What a line is, for views that show only some lines.
enum class LineKind : std::uint8_t {
    Chat,   // in NormalColor: said aloud or on a channel
    Page,   // in PageInColor or PageOutColor, or the game's own record of a page sent ("You page NAME: ...")
    Other,  // everything else, the program's notices included
};

// Where a shown line came from.
enum class LineSource : std::uint8_t {
    Log,     // a line of a follower's pass; EndPass follows the pass's last one
    Input,   // AppendData's text (it carries its own line break): shown at once, no pass
    Notice,  // a line of the program's own: OtherColor, shown as it stands, no lead, at once
};

struct ShownLine {
    ShownText shown;        // what the display shows, line break included; markup not yet rendered
    std::string_view lead;  // the time lead the display drops (at most kLeadLength bytes); empty: none
    Color color = OtherColor;  // the line colour (LineColor; OtherColor for a notice)
    LineKind kind = LineKind::Other;
    LineSource source = LineSource::Log;
    // The rest of a log line cut at a block's end: no lead of its own, and
    // the line's start (handed on before) gave its name already.
    bool continues = false;
    // Whether the display shows anything of it. A log line of 20 characters
    // or fewer shows nothing; one of 21 shows only a line break.
    bool Shows() const { return !shown.empty(); }
};

// The kind of a shown text in line colour `color`.
LineKind KindOf(const ShownText& shown, Color color);

// A log line as the follower gives it (no line break), worked out. The views
// look into `line` (and static storage).
ShownLine ShapeLogLine(std::string_view line, bool continues);
// AppendData's text, which carries its own line break.
ShownLine ShapeInput(std::string_view input);
// A line of the program's own: the text, then CR LF, in OtherColor with no markup.
ShownLine ShapeNotice(std::string_view text);

// The colour runs of a shown line, appended to out: its markup rendered
// (RenderShown), or for a notice the text as it stands and its break, all in
// OtherColor.
void RenderLine(const ShownLine& line, std::vector<ColorRun>& out);

// Readers of shown lines. The line's views are valid during the call only.
class ShownLineSink {
public:
    virtual ~ShownLineSink() = default;
    // Every line: a follower's (even one that shows nothing), AppendData's
    // text, a notice. Lines with source Log belong to the pass under way.
    virtual void TakeShown(const ShownLine& line) = 0;
    // The follower's pass has given all its lines.
    virtual void EndPass(const PassFacts& facts) = 0;
};

// The follower's line sink: works out each line once and hands it to every
// reader, in the order they were added. The readers must outlive it.
class LineShaper final : public LineSink {
public:
    void Add(ShownLineSink& sink) { sinks_.push_back(&sink); }

    void TakeLine(std::string_view line, bool continues) override;
    void EndPass(const PassFacts& facts) override;

    // A text with its own line break, shown at once outside any pass.
    void AddInput(std::string_view input);
    // A line of the program's own, shown at once outside any pass.
    void AddNotice(std::string_view text);

private:
    void Hand(const ShownLine& line);

    std::vector<ShownLineSink*> sinks_;
};

}  // namespace vek
