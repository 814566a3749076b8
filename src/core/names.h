// Player names as the chat log shows them: the name a line gives, the names
// seen lately (offered as the page target is typed), and whom Ctrl+R and
// Ctrl+Shift+R page.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/chat_display.h"
#include "core/shown_line.h"

namespace vek {

// Longest name kept, in bytes. Game names are far shorter; anything longer
// is text that only looks like a name.
inline constexpr std::size_t kMaxNameLength = 64;

// A name as a page target may hold it: cleaned as a target that was not typed
// (PageToCleaned). nullopt when nothing is left or more than kMaxNameLength
// bytes are.
std::optional<std::string> CleanName(std::string_view raw);

enum class NameRole {
    kSpeaker,     // said it, aloud or on a channel
    kPageSender,  // paged the player
    kPageTarget,  // was paged by the player
};

struct LineName {
    std::string name;  // cleaned (CleanName)
    NameRole role = NameRole::kSpeaker;
    friend bool operator==(const LineName&, const LineName&) = default;
};

// The name a shown line gives, or nullopt. The line colour (LineColor)
// decides what kind of line it is, as the display does; then:
//   NormalColor   {Name}":" text, ["CC Channel"] {Name}":" text    kSpeaker
//   PageInColor   Name pages you: text                             kPageSender
//   PageOutColor  Paged Name.                                      kPageTarget
//   OtherColor    You page Name: text                              kPageTarget
// A line that only takes the colour gives nothing: no name where it stands,
// or a page-in whose sender would hold ": " (a said line, or the echo of a
// page sent, with " pages you: " early in its text). The name is cleaned.
std::optional<LineName> NameOfLine(const ShownText& shown, Color color);
inline std::optional<LineName> NameOfLine(const ShownText& shown) { return NameOfLine(shown, LineColor(shown)); }
inline std::optional<LineName> NameOfLine(std::string_view shown) { return NameOfLine(ShownText{shown, {}}); }

class SessionLines;

// The other player of the page a stored entry shows (a continuation counts
// as the line it continues): the sender of a page received, the player paged
// for one sent. nullopt for a line that is no page, or gives no name.
std::optional<std::string> PagePartnerOf(const SessionLines& lines, std::size_t entry);

// The names seen most recently, most recent first, at most kCapacity. Names
// that differ only in ASCII case are one name, spelled as seen last.
class RecentNames {
public:
    static constexpr std::size_t kCapacity = 200;

    // Makes a name the most recent one: cleaned (CleanName) first, and not
    // kept when that leaves none. The least recent goes when the store is
    // full. Returns whether the name is now stored. Call it with the name
    // each shown line gives (NameOfLine) and the target of every Page the
    // player sends.
    bool See(std::string_view name);

    // The name to offer as the player types `typed` into the page box: the
    // most recent name that begins with it, ignoring ASCII case, when that
    // name is longer than `typed`; nullopt when there is none, when it is
    // exactly what was typed, or when nothing was typed. The name comes whole
    // in its own spelling; its first typed.size() bytes match `typed` but for
    // case, the rest is what the box shows selected. Ask after a character
    // typed at the end of the box, not after a deletion, or the name deleted
    // would come straight back.
    std::optional<std::string> Complete(std::string_view typed) const;

    const std::vector<std::string>& Names() const { return names_; }

private:
    std::vector<std::string> names_;
};

// The targets of the two reply keys. Both start empty; a key with no target
// changes nothing (the shell beeps).
class ReplyTargets {
public:
    // Notes the sender of a page received, from the name a shown line gives
    // (NameOfLine); a name of another role leaves the last sender standing.
    void See(const LineName& name);
    // Notes the target of a Page the player sent, cleaned (CleanName); one
    // that cleans to nothing is not noted.
    void PageSent(std::string_view target);

    const std::optional<std::string>& LastSender() const { return sender_; }  // Ctrl+R
    const std::optional<std::string>& LastPaged() const { return paged_; }    // Ctrl+Shift+R

private:
    std::optional<std::string> sender_;
    std::optional<std::string> paged_;
};

// The names of the followed log, read as its lines go by: a reader of the
// shown lines beside the display. Each log line's name is seen; a page's
// sender becomes Ctrl+R's target. The rest of a line cut at a block's end
// gives no name: the line's start, handed on before, gave it already if it
// had one. Lines not from the log (notices, AppendData's text) give none.
class LogNames final : public ShownLineSink {
public:
    void TakeShown(const ShownLine& line) override;
    void EndPass(const PassFacts&) override {}

    // A Page the player sent: its target is seen, and is Ctrl+Shift+R's.
    void PageSent(std::string_view target);

    const RecentNames& Recent() const { return names_; }
    const ReplyTargets& Replies() const { return replies_; }

private:
    RecentNames names_;
    ReplyTargets replies_;
};

}  // namespace vek
