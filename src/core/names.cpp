#include "core/names.h"

#include <algorithm>
#include <utility>

#include "core/message.h"
#include "core/session_lines.h"

namespace vek {

namespace {

constexpr std::string_view kSaid = "}\":\" ";
constexpr std::string_view kChannelOpen = "[\"CC ";
constexpr std::string_view kChannelClose = "\"] ";
constexpr std::string_view kPagesYou = " pages you: ";
constexpr std::string_view kPaged = "Paged ";
constexpr std::string_view kYouPage = "You page ";

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `text` begins with `prefix`, ignoring ASCII case.
bool StartsFolded(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(),
                                                      [](char a, char b) { return Folded(a) == Folded(b); });
}

// The text between `open` at the start of `body` and the first `close` after it.
std::optional<std::string_view> Between(std::string_view body, std::string_view open, std::string_view close) {
    if (!body.starts_with(open)) return std::nullopt;
    const std::size_t end = body.find(close, open.size());
    if (end == std::string_view::npos) return std::nullopt;
    return body.substr(open.size(), end - open.size());
}

std::optional<std::string_view> RawName(std::string_view body, Color color) {
    switch (color) {
        case NormalColor:
            if (const auto channel = Between(body, kChannelOpen, kChannelClose))
                body.remove_prefix(kChannelOpen.size() + channel->size() + kChannelClose.size());
            return Between(body, "{", kSaid);
        case PageInColor: {
            const std::size_t at = body.find(kPagesYou);
            if (at == std::string_view::npos) return std::nullopt;
            return body.substr(0, at);
        }
        case PageOutColor:
            if (!body.starts_with(kPaged) || !body.ends_with('.')) return std::nullopt;
            return body.substr(kPaged.size(), body.size() - kPaged.size() - 1);
        default: return Between(body, kYouPage, ": ");
    }
}

}  // namespace

std::optional<std::string> CleanName(std::string_view raw) {
    std::string name = PageToCleaned(raw);
    if (name.empty() || name.size() > kMaxNameLength) return std::nullopt;
    return name;
}

std::optional<LineName> NameOfLine(const ShownText& shown, Color color) {
    const std::optional<std::string_view> raw = RawName(shown.body, color);
    if (!raw) return std::nullopt;
    std::optional<std::string> name = CleanName(*raw);
    if (!name) return std::nullopt;
    if (color == PageInColor && name->find(": ") != std::string::npos) return std::nullopt;
    const NameRole role = color == NormalColor   ? NameRole::kSpeaker
                          : color == PageInColor ? NameRole::kPageSender
                                                 : NameRole::kPageTarget;
    return LineName{std::move(*name), role};
}

bool RecentNames::See(std::string_view name) {
    std::optional<std::string> clean = CleanName(name);
    if (!clean) return false;
    auto it = std::find_if(names_.begin(), names_.end(), [&](const std::string& n) {
        return n.size() == clean->size() && StartsFolded(n, *clean);
    });
    if (it == names_.end()) {
        if (names_.size() == kCapacity) names_.pop_back();
        names_.push_back(std::move(*clean));
        it = names_.end() - 1;
    } else {
        *it = std::move(*clean);  // the latest spelling
    }
    std::rotate(names_.begin(), it, it + 1);
    return true;
}

std::optional<std::string> RecentNames::Complete(std::string_view typed) const {
    if (typed.empty()) return std::nullopt;
    for (const std::string& n : names_) {
        if (!StartsFolded(n, typed)) continue;
        // A name typed out in full is meant as it stands, not as the start
        // of a longer one.
        if (n.size() == typed.size()) return std::nullopt;
        return n;
    }
    return std::nullopt;
}

void ReplyTargets::See(const LineName& name) {
    if (name.role == NameRole::kPageSender) sender_ = name.name;
}

void ReplyTargets::PageSent(std::string_view target) {
    if (std::optional<std::string> n = CleanName(target)) paged_ = std::move(n);
}

void LogNames::TakeShown(const ShownLine& line) {
    if (line.continues || line.source != LineSource::Log) return;
    const std::optional<LineName> n = NameOfLine(line.shown, line.color);
    if (!n) return;
    names_.See(n->name);
    replies_.See(*n);
}

void LogNames::PageSent(std::string_view target) {
    names_.See(target);
    replies_.PageSent(target);
}

std::optional<std::string> PagePartnerOf(const SessionLines& lines, std::size_t entry) {
    if (entry >= lines.Size()) return std::nullopt;
    while (entry > 0 && lines[entry].continues) --entry;
    const StoredLine l = lines[entry];
    const std::optional<LineName> name = NameOfLine(ShownText{l.text, {}}, l.color);
    if (!name || name->role == NameRole::kSpeaker) return std::nullopt;
    return name->name;
}

}  // namespace vek
