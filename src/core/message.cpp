#include "core/message.h"

#include <algorithm>

namespace vek {

int NextMessageType(int type) {
    if (type < 0 || type >= kMessageKinds) type = kNormal;
    return (type + 1) % kMessageKinds;
}

const char* MessageTypeTooltip(int type) {
    switch (type) {
        case kChat: return "Chat Mode";
        case kPage: return "Page Mode";
        default: return "Normal Mode";
    }
}

int ComposerLeft(int type, int pageToWidthTwips) {
    return type == kPage ? pageToWidthTwips + 345 : 360;
}

std::string MessagePrefix(int type, std::string_view pageTo) {
    switch (type) {
        case kChat: return ";";
        case kPage: {
            std::string p;
            p.reserve(pageTo.size() + 4);
            p += "/\"";
            p += pageTo;
            p += "\" ";
            return p;
        }
        default: return {};
    }
}

std::string OneGameLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // The game ends a message at the first carriage return: a line break
    // inside the composition would send what follows as a message of its
    // own, without the prefix (the rest of a page said aloud). It goes as a
    // blank instead, CR LF as one. Other control characters would edit the
    // game's input line (a backspace deletes what was typed before it).
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n' || c == '\t') {
            if (!(c == '\n' && i > 0 && text[i - 1] == '\r')) out += ' ';
        } else if (c >= 32 && c != 127) {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string OutgoingText(int type, std::string_view pageTo, std::string_view markup) {
    // The page target too: pasted into the page box, it can hold anything.
    std::string out = MessagePrefix(type, OneGameLine(pageTo));
    out += OneGameLine(markup);
    out += '\r';
    return out;
}

namespace {

std::string Kept(std::string_view text, bool (*keep)(char)) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (keep(c)) out += c;
    return out;
}

}  // namespace

std::string PageToFiltered(std::string_view text) { return Kept(text, IsPageToChar); }

std::string PageToCleaned(std::string_view text) { return Kept(text, IsCleanPageToChar); }

std::string DialogFilter(std::string_view filter) {
    std::string out(filter);
    if (out.empty() || out.back() != '|') out += '|';
    std::replace(out.begin(), out.end(), '|', '\0');
    return out;
}

bool IsCurDirMarker(std::string_view initialDir) {
    constexpr std::string_view kMarker = "[use curdir]";
    if (initialDir.size() != kMarker.size()) return false;
    for (size_t i = 0; i < kMarker.size(); ++i) {
        char c = initialDir[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kMarker[i]) return false;
    }
    return true;
}

std::string DialogResultPath(std::string_view buffer) {
    const size_t first = buffer.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = buffer.find_last_not_of(' ');
    std::string_view text = buffer.substr(first, last - first + 1);
    return std::string(text.substr(0, text.find('\0')));
}

}  // namespace vek
