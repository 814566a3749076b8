#include "core/alerts.h"

#include <algorithm>
#include <array>

namespace vek {

namespace {

enum class ByteKind : unsigned char { Kept, Separator, Dropped };

constexpr std::array<ByteKind, 256> MakeKinds() {
    std::array<ByteKind, 256> t{};
    for (int i = 0; i < 32; ++i) t[i] = ByteKind::Dropped;
    t[127] = ByteKind::Dropped;
    for (char c : {' ', '\t', '\r', '\n', ',', ';'}) t[static_cast<unsigned char>(c)] = ByteKind::Separator;
    // Markup would switch colours in the display rather than show; a word
    // holding it could never stand whole in a shown line.
    for (char c : {'"', '{', '}'}) t[static_cast<unsigned char>(c)] = ByteKind::Dropped;
    return t;
}
constexpr auto kKinds = MakeKinds();

constexpr std::array<bool, 256> MakeWordBytes() {
    std::array<bool, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = (i >= '0' && i <= '9') || (i >= 'A' && i <= 'Z') || (i >= 'a' && i <= 'z') || i >= 128;
    return t;
}
constexpr auto kWordBytes = MakeWordBytes();

constexpr std::array<unsigned char, 256> MakeFold() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
    return t;
}
constexpr auto kFold = MakeFold();

// Whether text begins with word, ASCII letters in any case.
bool StartsFolded(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (kFold[static_cast<unsigned char>(text[i])] != kFold[static_cast<unsigned char>(word[i])]) return false;
    return true;
}

bool EqualFolded(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsFolded(a, b); }

void TrimBack(std::string& w) {
    while (!w.empty() && !IsWordByte(w.back())) w.pop_back();
}

}  // namespace

bool IsWordByte(char c) { return kWordBytes[static_cast<unsigned char>(c)]; }

AlertWords AlertWords::Parse(std::string_view text) {
    AlertWords out;
    std::string word;
    auto finish = [&] {
        TrimBack(word);
        if (word.size() > kMaxAlertWordBytes) {
            word.resize(kMaxAlertWordBytes);
            TrimBack(word);
        }
        const bool known = std::any_of(out.words_.begin(), out.words_.end(),
                                       [&](const std::string& w) { return EqualFolded(w, word); });
        if (!word.empty() && !known && out.words_.size() < kMaxAlertWords) out.words_.push_back(word);
        word.clear();
    };
    for (char c : text) {
        switch (kKinds[static_cast<unsigned char>(c)]) {
            case ByteKind::Separator: finish(); break;
            case ByteKind::Dropped: break;
            case ByteKind::Kept:
                if (!word.empty() || IsWordByte(c)) word += c;  // a word begins with a word byte
                break;
        }
    }
    finish();
    return out;
}

std::string AlertWords::Format() const {
    std::string s;
    for (const std::string& w : words_) {
        if (!s.empty()) s += ", ";
        s += w;
    }
    return s;
}

bool AlertWords::FoundIn(std::string_view text) const {
    if (words_.empty()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Every word begins with a word byte, so only a word's start can match.
        if (!IsWordByte(text[i]) || (i > 0 && IsWordByte(text[i - 1]))) continue;
        const std::string_view rest = text.substr(i);
        for (const std::string& w : words_)
            if (StartsFolded(rest, w) && (rest.size() == w.size() || !IsWordByte(rest[w.size()]))) return true;
    }
    return false;
}

bool LineAlerts(const ShownLine& line, const AlertSettings& settings) {
    if (settings.flashOnPages && line.color == PageInColor) return true;
    return settings.words.FoundIn(line.shown.body);
}

bool PassMayAlert(const PassFacts& pass) {
    return !pass.restarted && !pass.moreWaiting && !pass.previousBehind;
}

bool SoundThrottle::TryPlay(std::uint64_t nowMs) {
    // A clock that went back wraps the difference round to a huge one.
    if (last_ && nowMs - *last_ < kSoundIntervalMs) return false;
    last_ = nowMs;
    return true;
}

AlertAction DecideAlert(const AlertSettings& settings, bool foreground, SoundThrottle& throttle,
                        std::uint64_t nowMs) {
    if (foreground) return {};
    return {true, settings.playSound && throttle.TryPlay(nowMs)};
}

}  // namespace vek
