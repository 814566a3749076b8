// Every text format of the imitation game client "Ember Heraldry": the time
// lead of a log line, the kinds of chat line it writes, the echo of what is
// typed into its window, and its scripted chatter. Header-only and free of
// Windows so that tests on either side can build the lines they expect.
//
// Line bodies are the part after the 22-character lead, without the CR LF.
// Text is bytes: names and markup pass through unchanged, bytes above 127 too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace fakegame {

// ---------------------------------------------------------------- log lines

inline constexpr std::size_t kLeadLength = 22;  // "[YYYY-MM-DD HH:MM:SS] "
inline constexpr std::string_view kEol = "\r\n";

struct Stamp {
    int year = 2026, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// "[2026-12-07 11:30:05] ". Fields are clamped to their width so the lead is
// always exactly kLeadLength characters, whatever the clock says.
inline std::string Lead(const Stamp& s) {
    auto put = [](std::string& out, int v, int width) {
        int limit = 1;
        for (int i = 0; i < width; ++i) limit *= 10;
        if (v < 0) v = 0;
        if (v >= limit) v = limit - 1;
        std::string digits(static_cast<std::size_t>(width), '0');
        for (int i = width - 1; i >= 0; --i, v /= 10) digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + v % 10);
        out += digits;
    };
    std::string out = "[";
    put(out, s.year, 4);   out += '-';
    put(out, s.month, 2);  out += '-';
    put(out, s.day, 2);    out += ' ';
    put(out, s.hour, 2);   out += ':';
    put(out, s.minute, 2); out += ':';
    put(out, s.second, 2); out += "] ";
    return out;
}

// One whole line as it goes into the log file.
inline std::string LogLine(const Stamp& s, std::string_view body) {
    std::string out = Lead(s);
    out += body;
    out += kEol;
    return out;
}

// --------------------------------------------------------------- line kinds

// The kinds of line the game writes, by the colour a reader gives them.
enum class LineKind { Say, Channel, PageIn, PageOut, Other };

// {Aldric}":" markup  -- something said aloud: the name in braces, then a
// double quote, a colon, a double quote and a blank (the colon shows quoted).
// Names up to 15 characters keep those five characters within the first 21,
// where readers look for them.
inline std::string SayLine(std::string_view name, std::string_view markup) {
    std::string out = "{";
    out.append(name).append("}\":\" ").append(markup);
    return out;
}

// ["CC Traders"] {Brenna}":" markup  -- said on a chat channel.
inline std::string ChannelLine(std::string_view channel, std::string_view name, std::string_view markup) {
    std::string out = "[\"CC ";
    out.append(channel).append("\"] ").append(SayLine(name, markup));
    return out;
}

// Corvin pages you: markup  -- a page received (names up to 16 characters).
inline std::string PageInLine(std::string_view from, std::string_view markup) {
    std::string out(from);
    out.append(" pages you: ").append(markup);
    return out;
}

// Paged Dahlia.  -- the confirmation of a page sent. Short on purpose: with a
// name of up to 12 characters the line, CR LF included, stays within 21.
inline std::string PagedLine(std::string_view to) {
    std::string out = "Paged ";
    out.append(to).append(".");
    return out;
}

// You page Dahlia: markup  -- the text of a page sent, on its own line.
inline std::string PageTextLine(std::string_view to, std::string_view markup) {
    std::string out = "You page ";
    out.append(to).append(": ").append(markup);
    return out;
}

// -------------------------------------------------------------- typed input

inline constexpr std::string_view kPlayerName = "You";
inline constexpr std::string_view kEchoChannel = "Ember";
inline constexpr std::string_view kPageWhom = "Page whom?";
inline constexpr std::string_view kPageUsage = "Usage: /\"Name\" message";

// The log lines (bodies) the game writes for one typed line, without its CR:
//   text            -> {You}":" text
//   ;text           -> ["CC Ember"] {You}":" text
//   /"Name" text    -> Paged Name.  and  You page Name: text
// An empty message says nothing; a page without a name or without its closing
// quote gets a one-line complaint, as games do.
inline std::vector<std::string> EchoBodies(std::string_view typed) {
    if (typed.size() >= 2 && typed[0] == '/' && typed[1] == '"') {
        std::size_t close = typed.find('"', 2);
        if (close == std::string_view::npos) return {std::string(kPageUsage)};
        std::string_view name = typed.substr(2, close - 2);
        if (name.empty()) return {std::string(kPageWhom)};
        std::string_view text = typed.substr(close + 1);
        if (!text.empty() && text[0] == ' ') text.remove_prefix(1);
        return {PagedLine(name), PageTextLine(name, text)};
    }
    if (!typed.empty() && typed[0] == ';') {
        if (typed.size() == 1) return {};
        return {ChannelLine(kEchoChannel, kPlayerName, typed.substr(1))};
    }
    if (typed.empty()) return {};
    return {SayLine(kPlayerName, typed)};
}

// Collects typed characters into lines. Carriage return ends a line;
// backspace removes the last byte; other control characters are dropped so a
// stray LF or NUL can never break the log's line structure. A line stops
// growing at kMaxTyped bytes, as a game's input box would.
class TypedLine {
public:
    static constexpr std::size_t kMaxTyped = 64 * 1024;

    // Feeds one byte; returns true when it completed a line (see line()).
    bool Feed(unsigned char c) {
        if (c == '\r') {
            line_ = std::move(pending_);
            pending_.clear();
            return true;
        }
        if (c == '\b') {
            if (!pending_.empty()) pending_.pop_back();
        } else if (c >= 32 && c != 127 && pending_.size() < kMaxTyped) {
            pending_ += static_cast<char>(c);
        }
        return false;
    }
    const std::string& line() const { return line_; }        // the last completed line
    const std::string& pending() const { return pending_; }  // typed so far

private:
    std::string pending_;
    std::string line_;
};

// ------------------------------------------------------------------ chatter

// Scripted chatter: a reproducible stream of line bodies of every kind, with
// quoted and braced markup, some plain, and one with bytes above 127.
class Chatter {
public:
    explicit Chatter(std::uint32_t seed) : rng_(seed) {}

    std::string Next() {
        static constexpr std::string_view names[] = {"Aldric", "Brenna", "Corvin", "Dahlia", "Edric",
                                                     "Fenna",  "Garrick", "Isolde", "Maelis", "Tobias"};
        static constexpr std::string_view channels[] = {"Traders", "Guild", "Ember", "Newcomers"};
        static constexpr std::string_view says[] = {
            "Meet me at the {Old Mill} at dusk.",
            "She said \"never again\" and left.",
            "Trade: \"{Iron Sword}\" for 40 gold.",
            "Anyone up for the \"{Ashen Keep}\" run?",
            "Good morning, all.",
            "Who took the last \"healing draught\"?",
            "{Lord Varn} wants \"every banner\" raised by noon.",
            "The Caf\xe9 des Ombres is open again \xbb come by.",
            "Unclosed \"quote runs to the end",
            "{unclosed brace to the end",
        };
        static constexpr std::string_view others[] = {
            "Aldric has connected.",
            "Brenna has disconnected.",
            "The sun rises over Ember Vale.",
            "You feel a little stronger.",
            "Server notice: a restart is planned for 04:00.",
            "It begins to rain.",
        };
        auto pick = [this](const auto& table) { return table[rng_() % std::size(table)]; };

        unsigned roll = rng_() % 100;
        if (roll < 40) { kind_ = LineKind::Say;     return SayLine(pick(names), pick(says)); }
        if (roll < 60) { kind_ = LineKind::Channel; return ChannelLine(pick(channels), pick(names), pick(says)); }
        if (roll < 72) { kind_ = LineKind::PageIn;  return PageInLine(pick(names), pick(says)); }
        if (roll < 80) { kind_ = LineKind::PageOut; return PagedLine(pick(names)); }
        kind_ = LineKind::Other;
        return std::string(pick(others));
    }
    LineKind last_kind() const { return kind_; }  // the kind of the last Next()

    // Cuts a whole log line into 2 to 4 pieces (fewer when it is very short),
    // for writing it in separate writes, so that readers see partial lines.
    std::vector<std::string> Pieces(std::string_view line) {
        std::vector<std::string> out;
        std::size_t count = 2 + rng_() % 3;
        while (count > 1 && line.size() > 1) {
            std::size_t cut = 1 + rng_() % (line.size() - 1);
            out.emplace_back(line.substr(0, cut));
            line.remove_prefix(cut);
            --count;
        }
        out.emplace_back(line);
        return out;
    }

private:
    std::mt19937 rng_;  // fully specified by the standard: the same stream everywhere
    LineKind kind_ = LineKind::Other;
};

}  // namespace fakegame
