// Feeds arbitrary bytes through the follower in uneven writes and through the
// display's RTF builder. Aborts when a line is lost, split or altered, when
// LogSize runs ahead of what was handed on, or when the RTF is not plain
// ASCII with balanced groups.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/chat_display.h"
#include "core/follower.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Shorter than a block, so every line handed on ended at a CR.
    if (size < 1 || size > vek::kMaxBlock) return 0;
    // The first byte picks the write size, so blocks end anywhere.
    const std::size_t step = 1 + data[0] % 97;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    vek::FollowState s;
    vek::StartFollowing(s, std::nullopt);
    std::string file, got;
    for (std::size_t at = 0; at < input.size(); at += step) {
        file += input.substr(at, step);
        for (;;) {
            vek::ReadRequest r = vek::PlanRead(s, vek::LogProbe{vek::FileIdentity{1, 1}, static_cast<std::int64_t>(file.size())});
            if (r.count == 0) break;
            const std::int64_t before = s.LogSize;
            for (std::string_view line : vek::TakeBlock(s, std::string_view(file).substr(r.offset, r.count))) {
                got += line;
                got += '\r';
            }
            if (s.LogSize == before) break;
        }
    }
    if (s.LogSize > static_cast<std::int64_t>(file.size())) std::abort();
    // What was handed on is the consumed part of the file, CR-cut, without LF and NUL.
    std::string expected;
    for (char c : std::string_view(file).substr(0, static_cast<std::size_t>(s.LogSize)))
        if (c != '\n' && c != '\0') expected += c;
    if (got != expected) std::abort();
    // And nothing consumed is left out: after the last CR only dropped bytes.
    std::size_t lastCr = file.rfind('\r');
    if (lastCr != std::string::npos && static_cast<std::size_t>(s.LogSize) <= lastCr) std::abort();

    vek::ChatRtf rtf;
    rtf.Begin();
    std::size_t start = 0;
    for (std::size_t i = 0; i <= input.size(); ++i)
        if (i == input.size() || input[i] == '\r') {
            rtf.AddLogLine(input.substr(start, i - start));
            start = i + 1;
        }
    int depth = 0;
    std::string_view doc = rtf.Finish();
    for (std::size_t i = 0; i < doc.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(doc[i]);
        if (c >= 128 || c == 0) std::abort();
        if (c == '\\') ++i;  // an escaped character is no group mark
        else if (c == '{') ++depth;
        else if (c == '}' && --depth < 0) std::abort();
    }
    if (depth != 0) std::abort();
    return 0;
}
