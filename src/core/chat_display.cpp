#include "core/chat_display.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace vek {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kLf = "\n";

// The first n characters of a shown text, break included, copied into buf.
std::string_view Window(const ShownText& s, std::size_t n, char* buf) {
    std::size_t fromBody = std::min(n, s.body.size());
    std::size_t fromBreak = std::min(n - fromBody, s.lineBreak.size());
    std::copy_n(s.body.data(), fromBody, buf);
    std::copy_n(s.lineBreak.data(), fromBreak, buf + fromBody);
    return std::string_view(buf, fromBody + fromBreak);
}

constexpr std::array<Color, 6> kTableColors = {NormalColor, QuoteColor, BraceColor,
                                               PageInColor, PageOutColor, OtherColor};
static_assert(kTableColors.size() < 10, "\\cfN is written as a single digit");

// How the RTF writer treats a byte: 0 copied as is, 1 escaped with a
// backslash, 2 line break, 3 tab, 4 hex escape, 5 dropped.
constexpr std::array<unsigned char, 256> MakeRtfClass() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) {
        if (i == '\\' || i == '{' || i == '}') t[i] = 1;
        else if (i == '\r' || i == '\n') t[i] = 2;
        else if (i == '\t') t[i] = 3;
        else if (i == 0) t[i] = 5;
        else if (i < 0x20 || i >= 0x7f) t[i] = 4;
    }
    return t;
}
constexpr auto kRtfClass = MakeRtfClass();

constexpr std::array<bool, 256> MakeMarkup() {
    std::array<bool, 256> t{};
    t['"'] = t['{'] = t['}'] = true;
    return t;
}
constexpr auto kMarkup = MakeMarkup();

}  // namespace

ShownText ShownOfLogLine(std::string_view line) {
    if (line.size() >= kLeadLength) return {line.substr(kLeadLength), kCrLf};
    if (line.size() == kLeadLength - 1) return {{}, kLf};
    return {};
}

ShownText ShownOfContinuation(std::string_view piece) { return {piece, kCrLf}; }

ShownText ShownOfInput(std::string_view input) {
    if (input.size() <= kLeadLength) return {};
    return {input.substr(kLeadLength), {}};
}

bool MatchesPattern(std::string_view text, std::string_view pattern) {
    std::size_t t = 0, p = 0;
    std::size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;  // let the last star take one more character
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

Color LineColor(const ShownText& shown) {
    char buf[28];
    if (Window(shown, 5, buf) == "[\"CC ") return NormalColor;
    if (MatchesPattern(Window(shown, 28, buf), "* pages you: *")) return PageInColor;
    if (Window(shown, 6, buf) == "Paged " && shown.size() <= 21) return PageOutColor;
    if (MatchesPattern(Window(shown, 21, buf), "{*}\":\" *")) return NormalColor;
    return OtherColor;
}

Color RenderShown(const ShownText& shown, std::vector<ColorRun>& out) {
    const Color lineColor = LineColor(shown);
    Color color = lineColor;
    const char* p = shown.body.data();
    const char* end = p + shown.body.size();
    while (p != end) {
        const char* q = p;
        while (q != end && !kMarkup[static_cast<unsigned char>(*q)]) ++q;
        if (q != p) out.push_back({std::string_view(p, static_cast<std::size_t>(q - p)), color});
        if (q == end) break;
        switch (*q) {
            case '"': color = color == lineColor ? QuoteColor : lineColor; break;
            case '{': color = BraceColor; break;
            default: color = lineColor; break;  // '}'
        }
        p = q + 1;
    }
    if (!shown.lineBreak.empty()) out.push_back({shown.lineBreak, color});
    return lineColor;
}

std::size_t PackRun(std::size_t length, Color color, char* out) {
    const int index = RtfColorIndex(color);
    std::uint64_t v = (static_cast<std::uint64_t>(length) << 3) | static_cast<unsigned>(index > 0 ? index - 1 : 5);
    std::size_t n = 0;
    while (v >= 0x80) {
        out[n++] = static_cast<char>((v & 0x7f) | 0x80);
        v >>= 7;
    }
    out[n++] = static_cast<char>(v);
    return n;
}

bool PackedRuns::Next(std::size_t& length, Color& color) {
    std::uint64_t v = 0;
    for (unsigned shift = 0; p_ != end_ && shift < 64; shift += 7) {
        const auto b = static_cast<unsigned char>(*p_++);
        v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
        if (b < 0x80) {
            const std::size_t index = v & 7;
            if (index >= kTableColors.size()) break;
            length = static_cast<std::size_t>(v >> 3);
            color = kTableColors[index];
            return true;
        }
    }
    p_ = end_;  // damaged: no more runs
    return false;
}

int RtfColorIndex(Color c) {
    for (std::size_t i = 0; i < kTableColors.size(); ++i)
        if (kTableColors[i] == c) return static_cast<int>(i) + 1;
    return 0;  // the control's default colour; never reached for palette colours
}

void ChatRtf::Begin() {
    out_.clear();
    hasColor_ = afterCr_ = hasText_ = false;
    paragraphs_ = 0;
    char num[96];
    std::snprintf(num, sizeof num, "{\\rtf1\\ansi\\ansicpg%d", codepage_);
    out_ += num;
    out_ += "{\\colortbl;";
    for (Color c : kTableColors) {
        std::snprintf(num, sizeof num, "\\red%u\\green%u\\blue%u;", c & 0xffu, (c >> 8) & 0xffu,
                      (c >> 16) & 0xffu);
        out_ += num;
    }
    out_ += '}';
}

void ChatRtf::SwitchColor(Color c) {
    if (hasColor_ && c == current_) return;
    // Table indices are single digits; no formatting on the hot path.
    const char word[] = {'\\', 'c', 'f', static_cast<char>('0' + RtfColorIndex(c)), ' '};
    out_.append(word, sizeof word);
    current_ = c;
    hasColor_ = true;
}

void ChatRtf::Put(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end) {
        const char* q = p;
        while (q != end && kRtfClass[static_cast<unsigned char>(*q)] == 0) ++q;
        if (q != p) {
            out_.append(p, static_cast<std::size_t>(q - p));
            afterCr_ = false;
        }
        if (q == end) break;
        unsigned char c = static_cast<unsigned char>(*q);
        switch (kRtfClass[c]) {
            case 1:
                out_ += '\\';
                out_ += static_cast<char>(c);
                afterCr_ = false;
                break;
            case 2:
                // CR LF is one paragraph break, also when split across runs.
                if (!(c == '\n' && afterCr_)) {
                    out_ += "\\par ";
                    ++paragraphs_;
                }
                afterCr_ = c == '\r';
                break;
            case 3:
                out_ += "\\tab ";
                afterCr_ = false;
                break;
            case 4: {
                char esc[4] = {'\\', '\'', kHex[c >> 4], kHex[c & 15]};
                out_.append(esc, 4);
                afterCr_ = false;
                break;
            }
            default: break;  // NUL: nothing to show
        }
        p = q + 1;
    }
}

void ChatRtf::AddShown(const ShownText& shown) {
    if (shown.empty()) return;
    runs_.clear();
    RenderShown(shown, runs_);
    afterCr_ = false;
    for (const ColorRun& r : runs_) AddRun(r.text, r.color);
}

void ChatRtf::AddRun(std::string_view text, Color color) {
    SwitchColor(color);
    Put(text);
    hasText_ = true;
}

void ChatRtf::AddPacked(std::string_view text, std::string_view runs, Color color) {
    PackedRuns r(runs);
    std::size_t length = 0;
    Color c = color;
    afterCr_ = false;
    while (r.Next(length, c)) {
        length = std::min(length, text.size());
        AddRun(text.substr(0, length), c);
        text.remove_prefix(length);
    }
    if (!text.empty()) AddRun(text, c);  // runs that fall short: the rest in the colour in force
    AddRun("\r\n", c);
}

std::string_view ChatRtf::Finish() {
    out_ += '}';
    return out_;
}

}  // namespace vek
