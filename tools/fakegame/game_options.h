// Command line of the imitation game client. Header-only and free of Windows.
#pragma once
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fakegame {

inline constexpr std::string_view kUsage =
    "fakegame --log PATH [--rate N] [--seed N] [--pieces] [--received PATH]\n"
    "         [--hang-after N] [--duration SECONDS] [--rotate-every N]\n"
    "         [--truncate-at N] [--burst BYTES] [--burst-after SECONDS]\n"
    "         [--quit-on LINE]\n";

struct GameOptions {
    std::string log;                 // --log: the chat log, created when missing
    double rate = 0;                 // --rate: chatter lines per second, 0 = none
    std::uint32_t seed = 1;          // --seed: chatter script
    bool pieces = false;             // --pieces: write each line in several writes
    std::string received;            // --received: every typed byte is appended here
    std::int64_t hang_after = -1;    // --hang-after: hang on the character after N
    double duration = 0;             // --duration: seconds until exit, 0 = until closed
    std::int64_t rotate_every = 0;   // --rotate-every: rename to .1 every N lines
    std::int64_t truncate_at = 0;    // --truncate-at: empty the log once, at line N
    std::int64_t burst = 0;          // --burst: bytes of whole lines written at once
    double burst_after = 2;          // --burst-after: seconds before the burst
    std::string quit_on;             // --quit-on: a typed line that closes the window at its CR
};

struct ParseResult {
    std::optional<GameOptions> options;  // set when the command line is good
    std::string error;                   // otherwise, what is wrong
};

namespace detail {
inline bool ToInt(std::string_view s, std::int64_t& v) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size() && v >= 0;
}
// Non-negative decimal such as "2", "0.5" or "12.25"; no exponent, no sign.
inline bool ToNumber(std::string_view s, double& v) {
    std::size_t dot = s.find('.');
    std::string_view whole = s.substr(0, dot);
    std::string_view frac = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
    if (whole.empty() && frac.empty()) return false;
    if (dot != std::string_view::npos && frac.empty()) return false;
    double out = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    double scale = 0.1;
    for (char c : frac) {
        if (c < '0' || c > '9') return false;
        out += (c - '0') * scale;
        scale /= 10;
    }
    v = out;
    return true;
}
}  // namespace detail

// Parses the arguments after the program name.
inline ParseResult ParseGameOptions(const std::vector<std::string>& args) {
    GameOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--pieces") { o.pieces = true; continue; }
        if (i + 1 >= args.size()) return {std::nullopt, a + ": unknown option or missing value"};
        const std::string& v = args[++i];
        bool ok = true;
        std::int64_t n = 0;
        if (a == "--log") { o.log = v; ok = !v.empty(); }
        else if (a == "--received") { o.received = v; ok = !v.empty(); }
        else if (a == "--quit-on") { o.quit_on = v; ok = !v.empty(); }
        else if (a == "--rate") ok = detail::ToNumber(v, o.rate);
        else if (a == "--duration") ok = detail::ToNumber(v, o.duration);
        else if (a == "--burst-after") ok = detail::ToNumber(v, o.burst_after);
        else if (a == "--seed") { ok = detail::ToInt(v, n) && n <= 0xffffffffLL; o.seed = static_cast<std::uint32_t>(n); }
        else if (a == "--hang-after") ok = detail::ToInt(v, o.hang_after);
        else if (a == "--rotate-every") ok = detail::ToInt(v, o.rotate_every);
        else if (a == "--truncate-at") ok = detail::ToInt(v, o.truncate_at);
        else if (a == "--burst") ok = detail::ToInt(v, o.burst);
        else return {std::nullopt, a + ": unknown option"};
        if (!ok) return {std::nullopt, a + ": bad value \"" + v + "\""};
    }
    if (o.log.empty()) return {std::nullopt, "--log PATH is required"};
    return {o, {}};
}

}  // namespace fakegame
