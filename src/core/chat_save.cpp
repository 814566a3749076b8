#include "core/chat_save.h"

#include <array>
#include <cstdio>
#include <utility>

#include "core/chat_display.h"

namespace vek {

namespace {

// Written to the sink in pieces of about this size.
constexpr std::size_t kFlushBytes = 64 * 1024;

constexpr char kHex[] = "0123456789abcdef";

// The rich text's colour table: the display's text colours at the indexes
// ChatRtf gives them, then the background.
std::array<Color, 8> RtfTable() {
    std::array<Color, 8> t{};
    for (Color c : {NormalColor, QuoteColor, BraceColor, PageInColor, PageOutColor, OtherColor})
        t[static_cast<std::size_t>(RtfColorIndex(c))] = c;
    t[7] = BackgroundColor;
    return t;
}
constexpr int kRtfBackground = 7;

std::string CssColor(Color c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xffu, (c >> 8) & 0xffu, (c >> 16) & 0xffu);
    return buf;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

// A character of the page's text, escaped where HTML would read it as markup.
void AppendHtmlChar(char32_t c, std::string& out) {
    switch (c) {
        case '&': out += "&amp;"; return;
        case '<': out += "&lt;"; return;
        case '>': out += "&gt;"; return;
        case '"': out += "&quot;"; return;
        default: break;
    }
    // Control characters have no place in a page; a tab keeps its room.
    if (c < 0x20 && c != '\t') return;
    if (c == 0x7f) return;
    AppendUtf8(c, out);
}

}  // namespace

std::optional<SaveFormat> FormatOfName(std::string_view name) {
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const std::string_view ext = name.substr(dot + 1);
    if (ext.find_first_of("\\/") != std::string_view::npos) return std::nullopt;  // a dot in a folder's name
    if (EqualsNoCase(ext, "txt")) return SaveFormat::Text;
    if (EqualsNoCase(ext, "rtf")) return SaveFormat::Rtf;
    if (EqualsNoCase(ext, "htm") || EqualsNoCase(ext, "html")) return SaveFormat::Html;
    return std::nullopt;
}

const char* ExtensionOf(SaveFormat format) {
    switch (format) {
        case SaveFormat::Rtf: return "rtf";
        case SaveFormat::Html: return "html";
        case SaveFormat::Text: break;
    }
    return "txt";
}

std::string DefaultSaveName(int year, int month, int day) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "VekChat %04d-%02d-%02d", year, month, day);
    return buf;
}

ChatWriter::ChatWriter(ByteSink& sink, SaveOptions options, DecodeAnsi decode)
    : sink_(sink), options_(std::move(options)), decode_(std::move(decode)) {
    out_.reserve(kFlushBytes + 4096);
}

void ChatWriter::Head() {
    started_ = true;
    if (options_.format == SaveFormat::Rtf) {
        char num[64];
        std::snprintf(num, sizeof num, "{\\rtf1\\ansi\\ansicpg%d\\deff0", options_.codepage);
        out_ += num;
        out_ += "{\\fonttbl{\\f0\\fnil ";
        out_ += options_.font;
        out_ += ";}}{\\colortbl;";
        const std::array<Color, 8> table = RtfTable();
        for (std::size_t i = 1; i < table.size(); ++i) {
            std::snprintf(num, sizeof num, "\\red%u\\green%u\\blue%u;", table[i] & 0xffu, (table[i] >> 8) & 0xffu,
                          (table[i] >> 16) & 0xffu);
            out_ += num;
        }
        // The page's background for word processors that show one; the text
        // carries the display's background as its highlight for those that
        // do not (WordPad).
        out_ += "}{\\*\\background{\\shp{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 0}}}}}\\viewbksp1\r\n";
        std::snprintf(num, sizeof num, "\\pard\\plain\\f0\\fs20\\highlight%d\\cbpat%d ", kRtfBackground,
                      kRtfBackground);
        out_ += num;
    } else if (options_.format == SaveFormat::Html) {
        out_ +=
            "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>VekChat</title>\n<style>\nbody { "
            "background: ";
        out_ += CssColor(BackgroundColor);
        out_ += "; color: ";
        out_ += CssColor(NormalColor);
        out_ += "; margin: 0.5em; }\npre { font-family: \"";
        for (char c : options_.font)
            if (c != '"' && c != '<' && c != '\\') out_ += c;
        out_ += "\", sans-serif; white-space: pre-wrap; margin: 0; }\n";
        for (Color c : {NormalColor, QuoteColor, BraceColor, PageInColor, PageOutColor, OtherColor}) {
            out_ += ".c";
            out_ += static_cast<char>('0' + RtfColorIndex(c));
            out_ += " { color: " + CssColor(c) + "; }\n";
        }
        out_ += "</style>\n</head>\n<body>\n<pre>";
    }
}

void ChatWriter::Flush() {
    if (out_.empty()) return;
    if (!failed_ && !sink_.Write(out_)) failed_ = true;
    out_.clear();
}

void ChatWriter::PutRtf(std::string_view text) {
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '{' || c == '}') {
            out_ += '\\';
            out_ += ch;
        } else if (c == '\t') {
            out_ += "\\tab ";
        } else if (c == 0) {
            // nothing to show
        } else if (c < 0x20 || c >= 0x7f) {
            const char esc[4] = {'\\', '\'', kHex[c >> 4], kHex[c & 15]};
            out_.append(esc, 4);
        } else {
            out_ += ch;
        }
    }
}

void ChatWriter::PutHtml(std::string_view text) {
    bool ascii = true;
    for (char ch : text) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
    if (ascii) {
        for (char ch : text) AppendHtmlChar(static_cast<unsigned char>(ch), out_);
        return;
    }
    wide_.clear();
    if (decode_) {
        decode_(text, wide_);
    } else {
        for (char ch : text) wide_ += static_cast<unsigned char>(ch) < 0x80 ? static_cast<char16_t>(ch) : u'\xfffd';
    }
    for (std::size_t i = 0; i < wide_.size(); ++i) {
        char32_t c = wide_[i];
        if (c >= 0xd800 && c < 0xdc00 && i + 1 < wide_.size() && wide_[i + 1] >= 0xdc00 && wide_[i + 1] < 0xe000) {
            c = 0x10000 + ((c - 0xd800) << 10) + (wide_[i + 1] - 0xdc00);
            ++i;
        } else if (c >= 0xd800 && c < 0xe000) {
            c = 0xfffd;  // half a pair
        }
        AppendHtmlChar(c, out_);
    }
}

void ChatWriter::AddRun(std::string_view text, Color color) {
    if (text.empty()) return;
    switch (options_.format) {
        case SaveFormat::Text: out_ += text; break;
        case SaveFormat::Rtf: {
            const int index = RtfColorIndex(color);
            if (index != rtfColor_) {
                const char word[] = {'\\', 'c', 'f', static_cast<char>('0' + index), ' '};
                out_.append(word, sizeof word);
                rtfColor_ = index;
            }
            PutRtf(text);
            break;
        }
        case SaveFormat::Html:
            out_ += "<span class=\"c";
            out_ += static_cast<char>('0' + RtfColorIndex(color));
            out_ += "\">";
            PutHtml(text);
            out_ += "</span>";
            break;
    }
}

void ChatWriter::Add(const StoredLine& line) {
    if (!started_) Head();
    if (options_.times && !line.lead.empty()) AddRun(line.lead, line.color);
    PackedRuns runs(line.runs);
    std::size_t at = 0, length = 0;
    Color color = line.color;
    while (at < line.text.size() && runs.Next(length, color)) {
        AddRun(line.text.substr(at, length), color);
        at += length;
    }
    // Runs that fall short of the text (a damaged entry) leave the rest in the line colour.
    if (at < line.text.size()) AddRun(line.text.substr(at), line.color);
    switch (options_.format) {
        case SaveFormat::Text: out_ += "\r\n"; break;
        case SaveFormat::Rtf: out_ += "\\par\r\n"; break;
        case SaveFormat::Html: out_ += '\n'; break;
    }
    if (out_.size() >= kFlushBytes) Flush();
}

bool ChatWriter::Finish() {
    if (!started_) Head();
    if (options_.format == SaveFormat::Rtf) out_ += "}\r\n";
    else if (options_.format == SaveFormat::Html) out_ += "</pre>\n</body>\n</html>\n";
    Flush();
    return !failed_;
}

}  // namespace vek
