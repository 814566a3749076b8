#include "core/shell_rules.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vek {

std::string WindowCaption(Version v) {
    std::string s = "Vek Chat v";
    s += std::to_string(v.major);
    s += '.';
    s += std::to_string(v.minor);
    if (v.revision > 0) s += std::to_string(v.revision);
    s += " - By Orrin";
    return s;
}

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<bool> ParseStoredBool(std::string_view text) {
    std::string_view t = Trim(text);
    for (std::string_view yes : {"true", "yes", "on"})
        if (EqualsNoCase(t, yes)) return true;
    for (std::string_view no : {"false", "no", "off"})
        if (EqualsNoCase(t, no)) return false;
    if (t.empty()) return std::nullopt;
    // A whole number, optionally signed; digits only, however many.
    std::string_view digits = t;
    if (digits.front() == '-' || digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return digits.find_first_not_of('0') != std::string_view::npos;
}

bool HasRunBefore(const std::optional<std::string>& stored) {
    if (!stored || Trim(*stored).empty()) return false;
    return ParseStoredBool(*stored).value_or(true);
}

std::string ChangeLogCaption(std::string_view logFile) {
    std::string s = "&Change Log - (";
    if (logFile.empty()) {
        s += "none";
    } else {
        for (char c : logFile) {
            if (c == '&') s += '&';
            s += c;
        }
    }
    s += ')';
    return s;
}

Layout ComputeLayout(int w, int h, int messageLeft) {
    auto nonNeg = [](int v) { return std::max(v, 0); };
    Layout l;
    l.chatWidth = nonNeg(w + 15);
    l.chatHeight = nonNeg(h - 360);
    l.messageWidth = nonNeg(w + 15 - messageLeft);
    l.buttonTop = nonNeg(h - 390);
    l.pageToTop = nonNeg(h - 360);
    l.messageTop = nonNeg(h - 375);
    l.lineY = nonNeg(h - 15);
    return l;
}

}  // namespace vek
