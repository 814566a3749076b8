#include "core/history.h"

namespace vek {

bool StepsHistory(const ArrowKey& key) {
    if (key.otherModifier) return false;
    if (key.ctrl) return true;
    return key.up ? key.onFirstLine : key.onLastLine;
}

void MessageHistory::Add(SentMessage message) {
    position_.reset();
    draft_ = {};
    if (message.type < 0 || message.type >= kMessageKinds) message.type = kNormal;
    // The page box of another type holds whatever was left in it: not part
    // of the message, and it would tell two equal messages apart.
    message.pageTo = message.type == kPage ? PageToCleaned(message.pageTo) : std::string();
    // Nothing to bring back in an empty composer.
    if (message.markup.empty()) return;
    if (!entries_.empty() && entries_.front() == message) return;
    entries_.push_front(std::move(message));
    if (entries_.size() > kCapacity) entries_.pop_back();
}

HistoryMove MessageHistory::Back() {
    const std::size_t next = position_ ? *position_ + 1 : 0;
    if (next >= entries_.size()) return HistoryMove::kNone;
    const bool fromDraft = !position_;
    position_ = next;
    if (!fromDraft) return HistoryMove::kEntry;
    // A draft left by an earlier step back must not stand in for this one.
    draft_ = {};
    return HistoryMove::kLeaveDraft;
}

HistoryMove MessageHistory::Forward() {
    if (!position_) return HistoryMove::kNone;
    if (*position_ == 0) {
        position_.reset();
        return HistoryMove::kDraft;
    }
    --*position_;
    return HistoryMove::kEntry;
}

}  // namespace vek
