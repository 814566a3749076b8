#include "core/markup_compose.h"

namespace vek {

std::optional<Color> ColorKeyResult(char key, std::optional<Color> current) {
    switch (key) {
        case '"': return current == NormalColor ? QuoteColor : NormalColor;
        case '{': return BraceColor;
        case '}': return NormalColor;
        default: return std::nullopt;
    }
}

std::optional<Color> CleanedSelectionColor(std::optional<Color> current) {
    if (current && !IsKnownTextColor(*current)) return NormalColor;
    return std::nullopt;
}

void MarkupComposer::Add(std::string_view text, Color color) {
    if (text.empty()) return;
    if (!IsKnownTextColor(color)) color = NormalColor;
    if (color == QuoteColor && state_ != QuoteColor) {
        if (state_ == BraceColor) out_ += '}';
        out_ += '"';
        state_ = QuoteColor;
    } else if (color == BraceColor && state_ != BraceColor) {
        out_ += '{';
        state_ = BraceColor;
    } else if (color == NormalColor && state_ != NormalColor) {
        out_ += state_ == QuoteColor ? '"' : '}';
        state_ = NormalColor;
    }
    out_ += text;
}

std::string MarkupComposer::Finish() {
    if (state_ == QuoteColor) out_ += '"';
    else if (state_ == BraceColor) out_ += '}';
    state_ = NormalColor;
    std::string done;
    done.swap(out_);
    return done;
}

std::vector<ComposedChar> ComposedOfMarkup(std::string_view markup) {
    std::vector<ComposedChar> out;
    out.reserve(markup.size());
    Color color = NormalColor;
    for (char c : markup) {
        if (const std::optional<Color> next = ColorKeyResult(c, color)) color = *next;
        else out.push_back({c, color});
    }
    return out;
}

}  // namespace vek
