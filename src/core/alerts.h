// When a shown line calls for the player's attention while VekChat is in
// the background: a page received, or one of the player's alert words. The
// shell flashes the taskbar button and may play the notification sound; the
// core decides which lines alert, cleans the stored alert words and keeps
// the sound to one every few seconds.
//
//   stored:    with the other settings (core/settings.h); the words as Format() gives them
//   a pass:    if PassMayAlert(...): for each shown line, alert |= LineAlerts(shown, settings)
//              if alert: AlertAction a = DecideAlert(settings, foreground, throttle, nowMs)
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/log_follower.h"
#include "core/shown_line.h"

namespace vek {

// The defaults, for a first run and for damaged stored values.
inline constexpr bool kFlashOnPagesDefault = true;
inline constexpr bool kPlaySoundDefault = false;

inline constexpr std::size_t kMaxAlertWords = 20;
inline constexpr std::size_t kMaxAlertWordBytes = 32;

// The bytes that make up words, in any ANSI code page: ASCII letters and
// digits, and every byte from 128 up (letters of the code page, or parts of
// double-byte characters). Everything else, markup included, ends a word.
bool IsWordByte(char c);

// The player's alert words, cleaned: at most kMaxAlertWords, each of 1 to
// kMaxAlertWordBytes bytes, beginning and ending with a word byte, holding no
// blank, comma, semicolon, double quote, brace or control character, and no
// two the same but for the case of ASCII letters.
class AlertWords {
public:
    AlertWords() = default;

    // Reads the stored text (or what the player typed). Blanks, tabs, line
    // breaks, commas and semicolons separate words; double quotes, braces and
    // other control characters are dropped; non-word bytes at either end of
    // a word are trimmed (so "Orrin." is "Orrin", and "--" no word at all); a
    // word is cut to kMaxAlertWordBytes; a repeated word is dropped, and
    // words past the 20th. Never fails: a damaged text gives what is left.
    static AlertWords Parse(std::string_view text);

    // The stored form: the words in order, separated by ", ". Parse gives
    // back the same words.
    std::string Format() const;

    std::span<const std::string> Words() const { return words_; }
    bool Empty() const { return words_.empty(); }

    // Whether one of the words stands in the text as a whole word: the bytes
    // right before and after it are no word bytes (or the text's ends). ASCII
    // letters match in any case; other bytes only themselves. Meant for a
    // shown line's body, markup included: a quote or brace ends a word like
    // a blank does. Allocates nothing.
    bool FoundIn(std::string_view text) const;

    friend bool operator==(const AlertWords&, const AlertWords&) = default;

private:
    std::vector<std::string> words_;
};

struct AlertSettings {
    bool flashOnPages = kFlashOnPagesDefault;
    AlertWords words;
    bool playSound = kPlaySoundDefault;
};

// Whether a shown line alerts: a page received (a line in PageInColor)
// while flashOnPages is set, or a line with one of the alert words.
bool LineAlerts(const ShownLine& line, const AlertSettings& settings);

// Whether the lines of a pass are news that may alert. Lines read while
// catching up more than a pass takes are old, and so are lines read after
// following started over from a log's first byte (it was replaced,
// truncated, or cut and written again): what is in it was written before. A
// log that was empty at the start, or appeared later, has only news.
bool PassMayAlert(const PassFacts& pass);

// Keeps the notification sound to one per kSoundIntervalMs. Time is the
// caller's monotonic clock in milliseconds (GetTickCount64).
class SoundThrottle {
public:
    static constexpr std::uint64_t kSoundIntervalMs = 5000;

    // True, and counted as played, when no sound played in the last
    // kSoundIntervalMs; false otherwise. A clock that went back lets the sound
    // play rather than silence it for a long time.
    bool TryPlay(std::uint64_t nowMs);

private:
    std::optional<std::uint64_t> last_;
};

struct AlertAction {
    bool flash = false;  // flash the taskbar button
    bool sound = false;  // play the system's notification sound
    friend bool operator==(const AlertAction&, const AlertAction&) = default;
};

// What to do for a pass that has an alerting line: nothing while VekChat is
// the foreground window (the player is looking); else flash, and sound when
// the player chose it and the throttle allows (which then counts it).
AlertAction DecideAlert(const AlertSettings& settings, bool foreground, SoundThrottle& throttle,
                        std::uint64_t nowMs);

}  // namespace vek
