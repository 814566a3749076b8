// The messages sent in this run, newest first, for bringing them back into
// the composer (Ctrl+Up goes back, Ctrl+Down forward), and the draft the
// composer held before the first step back. Nothing of it is saved.
#pragma once
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "core/message.h"

namespace vek {

// A message as it was sent.
struct SentMessage {
    std::string markup;
    int type = kNormal;  // a MessageKind
    std::string pageTo;  // the target of a Page; empty for the other types
    friend bool operator==(const SentMessage&, const SentMessage&) = default;
};

// What the composer held when the player stepped back from it. `content` is
// the shell's: whatever brings the composer back exactly, colours included
// (its RTF, say); the history only keeps it.
struct Draft {
    std::string content;
    int type = kNormal;
    std::string pageTo;
    friend bool operator==(const Draft&, const Draft&) = default;
};

// What a step asks the shell to do with the composer.
enum class HistoryMove {
    kNone,        // nowhere to go: leave the composer as it is
    kLeaveDraft,  // first SaveDraft() what the composer holds, then show Current()
    kEntry,       // show Current(); whatever edits the composer held are dropped
    kDraft,       // show SavedDraft() as it was saved
};

// An arrow key pressed in the composer, with where its caret stands.
struct ArrowKey {
    bool up = true;              // Up, else Down
    bool ctrl = false;           // Ctrl held
    bool otherModifier = false;  // Shift or Alt held (with or without Ctrl)
    bool onFirstLine = false;    // the caret (a selection's start) is on the composer's first line
    bool onLastLine = false;     // the caret (a selection's end) is on its last line
};

// Whether an arrow key steps through the history (back for Up, forward for
// Down) instead of moving the caret: always with Ctrl alone; without
// modifiers only from the first line (Up) or the last (Down), so that the
// arrows still move between the lines of a longer message; never with Shift
// or Alt, which extend a selection or belong to the system.
bool StepsHistory(const ArrowKey& key);

class MessageHistory {
public:
    static constexpr std::size_t kCapacity = 100;

    // Records a message just sent and puts the position back on the draft;
    // the saved draft is forgotten (the composer is emptied by sending). The
    // type is taken as Normal when out of range, the target is cleaned
    // (PageToCleaned) and kept for a Page only. A message equal to the newest
    // entry, or with empty markup, adds no entry. The oldest entry goes when
    // there would be more than kCapacity.
    void Add(SentMessage message);

    // Ctrl+Up: one message further back. kNone at the oldest entry or with no
    // entries. From the draft the answer is kLeaveDraft.
    HistoryMove Back();
    // Ctrl+Down: one message forward; past the newest, kDraft. kNone on the
    // draft.
    HistoryMove Forward();

    // Keeps what the composer holds, after Back() answered kLeaveDraft. May
    // be called any time; the last call before the return to the draft wins.
    void SaveDraft(Draft draft) { draft_ = std::move(draft); }
    const Draft& SavedDraft() const { return draft_; }

    // The entry shown, or nullptr on the draft. Valid until the next Add.
    const SentMessage* Current() const { return position_ ? &entries_[*position_] : nullptr; }
    // Index of the entry shown (0 the newest), or nullopt on the draft.
    std::optional<std::size_t> Position() const { return position_; }
    // Newest first.
    const std::deque<SentMessage>& Entries() const { return entries_; }

private:
    std::deque<SentMessage> entries_;
    std::optional<std::size_t> position_;
    Draft draft_;
};

}  // namespace vek
