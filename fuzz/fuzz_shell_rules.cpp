// The main window's rules on values an outsider controls: stored settings
// (registry strings), the log path shown in the File menu, and the window
// size. Aborts when
//   - ParseStoredBool gives a value for a text that is neither one of the
//     words nor a whole number, or the wrong value for one;
//   - "True"/"False" as written, or a word in any capitalisation with blanks
//     around it, is not read as its value;
//   - the Change Log caption does not wrap the path, or some "&" in it is not
//     doubled (un-doubling must give the path back);
//   - a layout part comes out negative.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/shell_rules.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

struct Word {
    std::string_view text;
    bool value;
};
constexpr Word kWords[] = {{"true", true}, {"yes", true}, {"on", true},
                           {"false", false}, {"no", false}, {"off", false}};

std::optional<bool> WordValue(std::string_view t) {
    for (const Word& w : kWords) {
        if (t.size() != w.text.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < t.size(); ++i) same = same && Lower(t[i]) == w.text[i];
        if (same) return w.value;
    }
    return std::nullopt;
}

// A whole number, optionally signed: non-zero is true.
std::optional<bool> NumberValue(std::string_view t) {
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) t.remove_prefix(1);
    if (t.empty()) return std::nullopt;
    bool nonZero = false;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        nonZero = nonZero || c != '0';
    }
    return nonZero;
}

void CheckCaption(std::string_view path) {
    const std::string caption = vek::ChangeLogCaption(path);
    constexpr std::string_view kHead = "&Change Log - (";
    Check(caption.size() >= kHead.size() + 1 && caption.compare(0, kHead.size(), kHead) == 0 &&
          caption.back() == ')');
    const std::string_view inner = std::string_view(caption).substr(kHead.size(), caption.size() - kHead.size() - 1);
    if (path.empty()) {
        Check(inner == "none");
        return;
    }
    std::string undone;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '&') Check(i + 1 < inner.size() && inner[++i] == '&');
        undone += inner[i];
    }
    Check(undone == path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);

    // A word in the capitalisation the input picks, blanks around it.
    const Word& w = kWords[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kWords) - 1)];
    std::string word;
    for (char c : w.text) word += in.ConsumeBool() ? static_cast<char>(c - 'a' + 'A') : c;
    constexpr std::string_view kBlanks = " \t\r\n";
    std::string text;
    for (int side = 0; side < 2; ++side) {
        const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 3);
        const char blank = kBlanks[in.ConsumeIntegralInRange<std::size_t>(0, 3)];
        text.append(n, blank);
        if (side == 0) text += word;
    }
    Check(vek::ParseStoredBool(text) == w.value);
    for (bool b : {false, true}) Check(vek::ParseStoredBool(vek::StoredBool(b)) == b);

    // Any stored text: a value only for a word or a whole number, and the right one.
    const std::string stored = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 300));
    const std::string_view t = Trimmed(stored);
    std::optional<bool> expected = WordValue(t);
    if (!expected) expected = NumberValue(t);
    Check(vek::ParseStoredBool(stored) == expected);

    // Client sizes the window can have (twips from pixels at some DPI).
    const int dpi = in.ConsumeIntegralInRange<int>(48, 960);
    const int w_twips = vek::PixelsToTwips(in.ConsumeIntegralInRange<int>(-32768, 32767), dpi);
    const int h_twips = vek::PixelsToTwips(in.ConsumeIntegralInRange<int>(-32768, 32767), dpi);
    const vek::Layout l = vek::ComputeLayout(w_twips, h_twips, in.ConsumeIntegralInRange<int>(0, 100000));
    for (int part : {l.chatWidth, l.chatHeight, l.messageWidth, l.buttonTop, l.pageToTop, l.messageTop, l.lineY})
        Check(part >= 0);

    CheckCaption(stored);
    CheckCaption(in.ConsumeRemainingBytesAsString());
    return 0;
}
