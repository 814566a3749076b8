// The sending and open-dialog rules on arbitrary input. Aborts when
//   - the dialog's filter list keeps a "|", changes any other character,
//     does not end in NUL or adds a second closing separator;
//   - the path read from the dialog's file buffer is not the buffer's text
//     between its outer spaces up to the first NUL, or a path the dialog
//     wrote (with or without a NUL after it, whatever follows) is not given
//     back whole;
//   - the current-folder marker is recognised in other text than any
//     capitalisation of "[Use CurDir]";
//   - the page-target filter lets a double quote or brace through, drops or
//     reorders anything else, or is not idempotent;
//   - the outgoing text is not prefix, markup and one CR, with line breaks
//     and tabs in target and markup as blanks and other control characters
//     gone, or holds a control character before its CR, or a page prefix
//     built from a filtered target holds other than its two double quotes;
//   - a message type from outside the range leaves the cycle.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/message.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A text as the game's input line takes it: CR LF, CR, LF and tab each one
// blank, other control characters gone.
std::string GameLine(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\n' && i > 0 && s[i - 1] == '\r') continue;
        if (c == '\r' || c == '\n' || c == '\t') out += ' ';
        else if (c >= 32 && c != 127) out += s[i];
    }
    return out;
}

void CheckFilter(std::string_view f) {
    const std::string out = vek::DialogFilter(f);
    const bool closed = !f.empty() && f.back() == '|';
    Check(out.size() == f.size() + (closed ? 0 : 1));
    Check(out.find('|') == std::string::npos && out.back() == '\0');
    for (std::size_t i = 0; i < f.size(); ++i) Check(out[i] == (f[i] == '|' ? '\0' : f[i]));
}

void CheckResultPath(std::string_view buffer) {
    const std::string path = vek::DialogResultPath(buffer);
    const std::size_t first = buffer.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        Check(path.empty());
        return;
    }
    const std::size_t last = buffer.find_last_not_of(' ');
    std::string_view text = buffer.substr(first, last + 1 - first);
    text = text.substr(0, text.find('\0'));
    Check(path == text);
}

void CheckMarker(std::string_view dir) {
    constexpr std::string_view kMarker = "[use curdir]";
    bool same = dir.size() == kMarker.size();
    for (std::size_t i = 0; same && i < dir.size(); ++i) same = Lower(dir[i]) == kMarker[i];
    Check(vek::IsCurDirMarker(dir) == same);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int type = in.ConsumeIntegral<int>();
    const std::string a = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 300));
    const std::string b = in.ConsumeRemainingBytesAsString();

    for (std::string_view s : {std::string_view(a), std::string_view(b)}) {
        CheckFilter(s);
        CheckResultPath(s);
        CheckMarker(s);
    }

    // A path the dialog wrote into its buffer of 254 spaces: NUL-terminated
    // when it is shorter, filling the buffer when it is exactly as long.
    // Whatever stands behind the NUL must not matter.
    std::string path = a.substr(0, a.find('\0'));
    const std::size_t lead = path.find_first_not_of(' ');
    path = lead == std::string::npos ? std::string() : path.substr(lead, path.find_last_not_of(' ') + 1 - lead);
    if (!path.empty() && path.size() <= 254) {
        std::string buffer(254, ' ');
        buffer.replace(0, path.size(), path);
        if (path.size() < 254) {
            buffer[path.size()] = '\0';
            buffer.replace(path.size() + 1, std::min(b.size(), 253 - path.size()), b.substr(0, 253 - path.size()));
        }
        Check(vek::DialogResultPath(buffer) == path);
    }

    // The page target and the outgoing text.
    const std::string target = vek::PageToFiltered(a);
    Check(target.find_first_of("\"{}") == std::string::npos);
    std::string kept;
    for (char c : a)
        if (vek::IsPageToChar(c)) kept += c;
    Check(target == kept && vek::PageToFiltered(target) == target);

    const std::string game = GameLine(b);
    Check(vek::OneGameLine(b) == game && vek::OneGameLine(game) == game);
    for (int t : {type, static_cast<int>(vek::kNormal), static_cast<int>(vek::kChat), static_cast<int>(vek::kPage)}) {
        const std::string prefix = vek::MessagePrefix(t, GameLine(target));
        const std::string out = vek::OutgoingText(t, target, b);
        // The game ends a message at its first CR, and takes other control
        // characters as editing keys: only the closing CR may be one.
        for (std::size_t i = 0; i + 1 < out.size(); ++i)
            Check(static_cast<unsigned char>(out[i]) >= 32 && out[i] != 127);
        Check(out.back() == '\r');
        Check(out == prefix + game + '\r');
        if (t == vek::kPage) {
            Check(prefix == "/\"" + GameLine(target) + "\" ");
            Check(std::count(prefix.begin(), prefix.end(), '"') == 2);
        } else {
            Check(prefix == (t == vek::kChat ? ";" : ""));
        }
        const int next = vek::NextMessageType(t);
        Check(next >= 0 && next < vek::kMessageKinds);
        Check(vek::MessageTypeTooltip(t) != nullptr);
    }
    return 0;
}
