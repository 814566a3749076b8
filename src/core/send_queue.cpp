#include "core/send_queue.h"

namespace vek {

void SendQueue::Add(std::string_view text) {
    if (!text.empty()) messages_.emplace_back(text);
}

std::optional<SendQueue::Next> SendQueue::Take(std::uint64_t nowMs) {
    if (inFlight_ || messages_.empty()) return std::nullopt;
    const Next next{messages_.front()[typed_], typed_ == 0};
    ++typed_;
    inFlight_ = true;
    since_ = nowMs;
    return next;
}

void SendQueue::Taken() {
    if (!inFlight_) return;
    inFlight_ = false;
    if (typed_ == messages_.front().size()) {
        messages_.pop_front();
        typed_ = 0;
    }
}

std::string SendQueue::Drop() {
    if (messages_.empty()) return {};
    std::string text = std::move(messages_.front());
    messages_.pop_front();
    typed_ = 0;
    inFlight_ = false;
    return text;
}

std::vector<std::string> SendQueue::Unsent() const {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < messages_.size(); ++i) {
        std::string_view m = messages_[i];
        if (i == 0) m.remove_prefix(typed_);
        if (m.empty()) continue;  // all of it is with the game
        if (m.back() == '\r') m.remove_suffix(1);
        rest.emplace_back(m);
    }
    return rest;
}

const std::string& SendQueue::Current() const {
    static const std::string none;
    return messages_.empty() ? none : messages_.front();
}

}  // namespace vek
