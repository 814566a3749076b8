// How the display shows arbitrary log lines. The input is cut at CR into
// lines (which keep any LF, NUL or byte above 127). Aborts when
//   - a line as the follower hands it and the same line as AppendData gets
//     it (with its CR LF) show different text;
//   - the line colour depends on where the shown text is split between body
//     and line break, or MatchesPattern disagrees with a table matcher;
//   - the rendered runs are not the shown text without its markup
//     characters, or a character is in another colour than the markup rule
//     gives it, read one character at a time;
//   - the RTF of all lines is not plain ASCII with balanced groups, or,
//     read back, does not give every shown character (LF after CR and NUL
//     aside) in its colour.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/chat_display.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// The pattern rule as a table: can the first t characters of the text match
// the first p characters of the pattern?
bool SlowMatch(std::string_view text, std::string_view pattern) {
    std::vector<std::vector<bool>> m(text.size() + 1, std::vector<bool>(pattern.size() + 1));
    m[0][0] = true;
    for (std::size_t p = 1; p <= pattern.size(); ++p) m[0][p] = m[0][p - 1] && pattern[p - 1] == '*';
    for (std::size_t t = 1; t <= text.size(); ++t)
        for (std::size_t p = 1; p <= pattern.size(); ++p)
            m[t][p] = pattern[p - 1] == '*' ? m[t][p - 1] || m[t - 1][p]
                                            : m[t - 1][p - 1] && pattern[p - 1] == text[t - 1];
    return m[text.size()][pattern.size()];
}

struct Shown {
    char ch;
    vek::Color color;
};

// The markup rule one character at a time, against the line colour.
std::vector<Shown> SlowRender(std::string_view shown, vek::Color line) {
    std::vector<Shown> out;
    vek::Color color = line;
    for (char c : shown) {
        if (c == '"') color = color == line ? vek::QuoteColor : line;
        else if (c == '{') color = vek::BraceColor;
        else if (c == '}') color = line;
        else out.push_back({c, color});
    }
    return out;
}

// What the display should show of the characters, as the RTF reader will
// see them: CR, LF and CR LF are each one paragraph mark ('\n'), NUL nothing.
void AppendDisplayed(const std::vector<Shown>& chars, std::vector<Shown>& out) {
    bool afterCr = false;
    for (const Shown& s : chars) {
        if (s.ch == '\0') continue;
        if (s.ch == '\r' || s.ch == '\n') {
            if (!(s.ch == '\n' && afterCr)) out.push_back({'\n', s.color});
            afterCr = s.ch == '\r';
        } else {
            out.push_back(s);
            afterCr = false;
        }
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads the text of the outer group of the RTF back: control words that
// carry no text are passed over, nested groups (the tables) skipped.
std::vector<Shown> ReadRtf(std::string_view rtf) {
    static constexpr vek::Color kTable[] = {0, vek::NormalColor, vek::QuoteColor, vek::BraceColor,
                                            vek::PageInColor, vek::PageOutColor, vek::OtherColor};
    std::vector<Shown> out;
    vek::Color color = 0;
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        Check(static_cast<unsigned char>(c) < 128 && c != '\0');
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            Check(--depth >= 0);
            ++i;
            if (depth == 0) Check(i == rtf.size());  // nothing after the document
        } else if (c == '\\') {
            Check(i + 1 < rtf.size());
            const char d = rtf[i + 1];
            if (d == '\\' || d == '{' || d == '}') {
                if (depth == 1) out.push_back({d, color});
                i += 2;
            } else if (d == '\'') {
                Check(i + 3 < rtf.size());
                const int hi = HexDigit(rtf[i + 2]), lo = HexDigit(rtf[i + 3]);
                Check(hi >= 0 && lo >= 0);
                if (depth == 1) out.push_back({static_cast<char>(hi * 16 + lo), color});
                i += 4;
            } else {
                std::size_t j = i + 1;
                while (j < rtf.size() && rtf[j] >= 'a' && rtf[j] <= 'z') ++j;
                Check(j > i + 1);  // no other control symbol is written
                const std::string_view word = rtf.substr(i + 1, j - i - 1);
                std::size_t k = j;
                if (k < rtf.size() && rtf[k] == '-') ++k;
                while (k < rtf.size() && rtf[k] >= '0' && rtf[k] <= '9') ++k;
                const std::string_view num = rtf.substr(j, k - j);
                if (k < rtf.size() && rtf[k] == ' ') ++k;  // the delimiter
                i = k;
                if (depth != 1) continue;
                if (word == "par") out.push_back({'\n', color});
                else if (word == "tab") out.push_back({'\t', color});
                else if (word == "cf") {
                    Check(num.size() == 1 && num[0] >= '1' && num[0] <= '6');
                    color = kTable[num[0] - '0'];
                }
            }
        } else {
            if (depth == 1) out.push_back({c, color});
            ++i;
        }
    }
    Check(depth == 0);
    return out;
}

bool Same(const std::vector<Shown>& a, const std::vector<Shown>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].ch != b[i].ch || a[i].color != b[i].color) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int codepage = in.ConsumeIntegral<int>();
    // A pattern to check the matcher with on every line.
    const std::string pattern = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 16));
    const std::string input = in.ConsumeRemainingBytesAsString();

    vek::ChatRtf rtf(codepage);
    rtf.Begin();
    std::vector<Shown> expected;
    std::vector<vek::ColorRun> runs;
    bool anyShown = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= input.size(); ++i) {
        if (i != input.size() && input[i] != '\r') continue;
        const std::string_view line = std::string_view(input).substr(start, i - start);
        start = i + 1;

        const vek::ShownText shown = vek::ShownOfLogLine(line);
        const std::string whole = std::string(shown.body) + std::string(shown.lineBreak);
        const std::string withBreak = std::string(line) + "\r\n";
        const vek::ShownText asInput = vek::ShownOfInput(withBreak);
        Check(std::string(asInput.body) + std::string(asInput.lineBreak) == whole);

        const vek::Color color = vek::LineColor(shown);
        Check(color == vek::LineColor(std::string_view(whole)));
        Check(color == vek::NormalColor || color == vek::PageInColor || color == vek::PageOutColor ||
              color == vek::OtherColor);
        if (whole.size() <= 64) Check(vek::MatchesPattern(whole, pattern) == SlowMatch(whole, pattern));

        runs.clear();
        Check(vek::RenderShown(shown, runs) == color);
        std::vector<Shown> rendered;
        for (const vek::ColorRun& r : runs) {
            Check(!r.text.empty());
            for (char c : r.text) rendered.push_back({c, r.color});
        }
        Check(Same(rendered, SlowRender(whole, color)));

        AppendDisplayed(rendered, expected);
        rtf.AddShown(shown);
        anyShown = anyShown || !shown.empty();
    }
    Check(rtf.HasText() == anyShown);
    Check(Same(ReadRtf(rtf.Finish()), expected));
    return 0;
}
