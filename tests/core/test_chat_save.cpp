// Saving the chat: each format's escaping and colours, the lines saved for
// each choice of kinds, the times in front, and the writer's streaming.
#include "core/chat_save.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/session_lines.h"

namespace vek {
namespace {

// A stored entry built by hand: its text and packed runs live here.
struct Entry {
    std::string lead;
    std::string text;
    std::string runs;
    Color color = NormalColor;
    Entry(std::string l, std::initializer_list<std::pair<std::string, Color>> pieces, Color c = NormalColor)
        : lead(std::move(l)), color(c) {
        for (const auto& [piece, pc] : pieces) {
            char buf[kMaxPackedRun];
            text += piece;
            runs.append(buf, PackRun(piece.size(), pc, buf));
        }
    }
    StoredLine Stored() const { return {text, runs, lead, color, LineKind::Chat, false, false}; }
};

class StringSink final : public ByteSink {
public:
    bool Write(std::string_view bytes) override {
        ++writes;
        if (failAt && writes >= failAt) return false;
        out += bytes;
        return true;
    }
    std::string out;
    int writes = 0;
    int failAt = 0;  // this write and later ones fail; 0: none
};

// Windows-1252 as far as these tests need it.
void Decode1252(std::string_view bytes, std::u16string& out) {
    for (char c : bytes) out += c == '\x80' ? u'\x20ac' : static_cast<char16_t>(static_cast<unsigned char>(c));
}

std::string Save(SaveFormat format, bool times, const std::vector<Entry>& entries, int codepage = 1252) {
    StringSink sink;
    ChatWriter w(sink, {format, times, codepage, "Tahoma"}, Decode1252);
    for (const Entry& e : entries) w.Add(e.Stored());
    EXPECT_TRUE(w.Finish());
    return sink.out;
}

// The lines' part of a saved file, without the head and the tail.
std::string Body(SaveFormat format, const std::string& file) {
    if (format == SaveFormat::Text) return file;
    const std::string open = format == SaveFormat::Rtf ? "\\cbpat7 " : "<pre>";
    const std::string close = format == SaveFormat::Rtf ? "}\r\n" : "</pre>";
    const std::size_t a = file.find(open) + open.size();
    return file.substr(a, file.rfind(close) - a);
}

const char kLead[] = "[2026-12-07 11:30:05] ";

TEST(ChatSave, EachFormatEscapesItsOwnCharactersAndColoursTheRuns) {
    const struct {
        SaveFormat format;
        bool times;
        std::vector<Entry> entries;
        std::string body;
    } cases[] = {
        {SaveFormat::Text, false, {Entry(kLead, {{"Ann ", NormalColor}, {"hi", QuoteColor}})}, "Ann hi\r\n"},
        {SaveFormat::Text, true, {Entry(kLead, {{"Ann hi", NormalColor}})}, "[2026-12-07 11:30:05] Ann hi\r\n"},
        // A notice has no time: nothing in front of it.
        {SaveFormat::Text, true, {Entry("", {{"VekChat: x", OtherColor}}, OtherColor)}, "VekChat: x\r\n"},
        // The bytes as read, markup characters of the text included.
        {SaveFormat::Text, false, {Entry(kLead, {{"caf\xe9 <&> {\\}", NormalColor}}), Entry(kLead, {})},
         "caf\xe9 <&> {\\}\r\n\r\n"},
        {SaveFormat::Rtf, false, {Entry(kLead, {{"a\\b{c}\t\xe9\x01", NormalColor}})},
         "\\cf1 a\\\\b\\{c\\}\\tab \\'e9\\'01\\par\r\n"},
        // A colour switch only where the colour changes, across lines too.
        {SaveFormat::Rtf, false,
         {Entry(kLead, {{"Ann ", NormalColor}, {"hi", QuoteColor}}), Entry(kLead, {{"x", QuoteColor}}),
          Entry(kLead, {})},
         "\\cf1 Ann \\cf2 hi\\par\r\nx\\par\r\n\\par\r\n"},
        {SaveFormat::Rtf, true, {Entry(kLead, {{"Bob pages you", PageInColor}}, PageInColor)},
         "\\cf4 [2026-12-07 11:30:05] Bob pages you\\par\r\n"},
        {SaveFormat::Html, false, {Entry(kLead, {{"<a href=\"x\">&</a>", NormalColor}})},
         "<span class=\"c1\">&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;</span>\n"},
        // Bytes beyond ASCII read in the code page, written as UTF-8; control characters dropped.
        {SaveFormat::Html, false,
         {Entry(kLead, {{"caf\xe9 ", NormalColor}, {"\x80\x01", PageOutColor}}), Entry(kLead, {})},
         "<span class=\"c1\">caf\xc3\xa9 </span><span class=\"c5\">\xe2\x82\xac</span>\n\n"},
        {SaveFormat::Html, true, {Entry(kLead, {{"Ann", OtherColor}}, OtherColor)},
         "<span class=\"c6\">[2026-12-07 11:30:05] </span><span class=\"c6\">Ann</span>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(Body(c.format, Save(c.format, c.times, c.entries)), c.body);
    }
}

TEST(ChatSave, RichTextAndTheWebPageShowTheDisplaysColoursOnItsBackground) {
    const std::string rtf = Save(SaveFormat::Rtf, false, {}, 1251);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}", 0), 0u);
    // ChatRtf's table (its \cfN mean the same here), then the background.
    EXPECT_NE(rtf.find("{\\colortbl;\\red0\\green255\\blue255;\\red255\\green255\\blue255;\\red160\\green160\\blue160;"
                       "\\red192\\green192\\blue192;\\red255\\green255\\blue0;\\red0\\green0\\blue255;"
                       "\\red0\\green0\\blue0;}"),
              std::string::npos);
    EXPECT_NE(rtf.find("\\highlight7"), std::string::npos);
    EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");

    const std::string html = Save(SaveFormat::Html, false, {});
    for (const char* part : {"<meta charset=\"utf-8\">", "background: #000000", ".c1 { color: #00ffff; }",
                             ".c2 { color: #ffffff; }", ".c3 { color: #a0a0a0; }", ".c4 { color: #c0c0c0; }",
                             ".c5 { color: #ffff00; }", ".c6 { color: #0000ff; }", "font-family: \"Tahoma\""})
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(html.substr(html.size() - 23), "</pre>\n</body>\n</html>\n");
}

TEST(ChatSave, WritesInPiecesAndStopsAtTheFirstFailedWrite) {
    std::vector<Entry> many(20000, Entry(kLead, {{std::string(60, 'x'), NormalColor}}));
    StringSink sink;
    {
        ChatWriter w(sink, {SaveFormat::Text, false, 1252, "Tahoma"});
        for (const Entry& e : many) w.Add(e.Stored());
        EXPECT_TRUE(w.Finish());
    }
    EXPECT_EQ(sink.out.size(), 20000u * 62);
    EXPECT_GT(sink.writes, 10);  // no whole-file string

    StringSink failing;
    failing.failAt = 2;
    ChatWriter w(failing, {SaveFormat::Text, false, 1252, "Tahoma"});
    for (const Entry& e : many) w.Add(e.Stored());
    EXPECT_FALSE(w.Finish());
    EXPECT_EQ(failing.writes, 2);  // nothing more was tried after the failure
}

TEST(ChatSave, FileNamesSayTheirFormatAndTheDayNamesTheFile) {
    const struct {
        const char* name;
        std::optional<SaveFormat> format;
    } cases[] = {
        {"C:\\chat\\evening.RTF", SaveFormat::Rtf}, {"evening.htm", SaveFormat::Html},
        {"evening.Html", SaveFormat::Html},         {"evening.txt", SaveFormat::Text},
        {"evening.log", std::nullopt},              {"C:\\my.folder\\evening", std::nullopt},
        {"evening", std::nullopt},                  {"evening.rtf.bak", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatOfName(c.name), c.format) << c.name;
    EXPECT_EQ(DefaultSaveName(2026, 12, 8), "VekChat 2026-12-08");
}

// The session's lines as the follower gives them, through the store.
TEST(ChatSave, SavesTheKindsChosenFromTheSessionsFirstLine) {
    SessionLines lines;
    for (std::string_view log : {"[2026-12-07 11:30:05] [\"CC Ann] hello", "[2026-12-07 11:30:06] Bob pages you: psst",
                                 "[2026-12-07 11:30:07] The sun sets.", "[2026-12-07 11:30:08] [\"CC Ann] bye"})
        lines.Append(ShapeLogLine(log, false));
    lines.Append(ShapeNotice("VekChat: a notice"));
    LineKinds kinds;
    kinds.CatchUp(lines);
    const struct {
        KindFilter filter;
        bool times;
        const char* saved;
    } cases[] = {
        {KindFilter::All(), false,
         "[CC Ann] hello\r\nBob pages you: psst\r\nThe sun sets.\r\n[CC Ann] bye\r\nVekChat: a notice\r\n"},
        {{LineKind::Page}, true, "[2026-12-07 11:30:06] Bob pages you: psst\r\n"},
        {{LineKind::Chat, LineKind::Other}, false,
         "[CC Ann] hello\r\nThe sun sets.\r\n[CC Ann] bye\r\nVekChat: a notice\r\n"},
        {{}, false, ""},
    };
    for (const auto& c : cases) {
        StringSink sink;
        EXPECT_TRUE(SaveSession(lines, kinds, c.filter, sink, {SaveFormat::Text, c.times, 1252, "Tahoma"}));
        EXPECT_EQ(sink.out, c.saved);
    }
}

}  // namespace
}  // namespace vek
