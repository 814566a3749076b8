// Names read from arbitrary lines, the recent-names store and its completion,
// and the reply targets, under any mix of lines, names seen, pages sent and
// text typed into the page box. Aborts when
//   - a line gives a name that is empty, longer than kMaxNameLength, holds a
//     double quote, a brace or a control character, is not to be found in
//     the line's text once that is cleaned the same way, or comes in another
//     role than the line's colour allows (a speaker from a NormalColor line,
//     a page sender from a PageInColor one, a page target from the others);
//   - the store holds a name that is not clean, or differs from a plain
//     model of it (at most its capacity, most recent first, names that differ
//     only in case kept once in the latest spelling);
//   - completion offers a name that is not the most recent one beginning with
//     what was typed (ASCII case ignored), or one that is not longer, or
//     offers nothing while such a name is stored;
//   - a reply target is not the last page sender seen, or the last target
//     sent that was not empty once cleaned.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/message.h"
#include "core/names.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsIgnoringCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    return true;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsIgnoringCase(a, b);
}

bool IsCleanName(std::string_view n) {
    return !n.empty() && n.size() <= vek::kMaxNameLength && vek::PageToCleaned(n) == n;
}

struct Model {
    std::vector<std::string> names;  // most recent first
    std::optional<std::string> sender, paged;

    void See(std::string_view raw) {
        const std::string n = vek::PageToCleaned(raw);
        if (n.empty() || n.size() > vek::kMaxNameLength) return;
        std::erase_if(names, [&](const std::string& m) { return SameIgnoringCase(m, n); });
        names.insert(names.begin(), n);
        if (names.size() > vek::RecentNames::kCapacity) names.pop_back();
    }
};

void CheckLine(const vek::ShownText& shown, vek::RecentNames& store, vek::ReplyTargets& reply, Model& model) {
    const std::optional<vek::LineName> n = vek::NameOfLine(shown);
    if (n) {
        store.See(n->name);
        reply.See(*n);
    }
    if (!n) return;
    Check(IsCleanName(n->name));
    Check(vek::PageToCleaned(shown.body).find(n->name) != std::string::npos);
    const vek::Color color = vek::LineColor(shown);
    switch (n->role) {
        case vek::NameRole::kSpeaker: Check(color == vek::NormalColor); break;
        case vek::NameRole::kPageSender:
            Check(color == vek::PageInColor);
            model.sender = n->name;
            break;
        case vek::NameRole::kPageTarget: Check(color == vek::PageOutColor || color == vek::OtherColor); break;
    }
    model.See(n->name);
}

void CheckCompletion(const vek::RecentNames& store, std::string_view typed) {
    const std::optional<std::string> offer = store.Complete(typed);
    const auto& names = store.Names();
    const auto first = std::find_if(names.begin(), names.end(),
                                    [&](const std::string& n) { return StartsIgnoringCase(n, typed); });
    if (typed.empty() || first == names.end() || first->size() == typed.size()) {
        Check(!offer);
    } else {
        Check(offer && *offer == *first && offer->size() > typed.size());
    }
}

// The model holds no two names alike but for case, and no more than the
// capacity; only the most recent name can be new since the last check.
void CheckStore(const vek::RecentNames& store, const Model& model) {
    Check(store.Names() == model.names);
    Check(store.Names().empty() || IsCleanName(store.Names().front()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    vek::RecentNames store;
    vek::ReplyTargets reply;
    Model model;
    bool filled = false;
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
            case 0: {  // a line shown, with or without its break
                const std::string body = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 120));
                CheckLine({body, in.ConsumeBool() ? "\r\n" : ""}, store, reply, model);
                break;
            }
            case 1: {  // a name seen or a target sent
                const std::string name = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 80));
                Check(store.See(name) == IsCleanName(vek::PageToCleaned(name)));
                model.See(name);
                if (in.ConsumeBool()) {
                    reply.PageSent(name);
                    if (IsCleanName(vek::PageToCleaned(name))) model.paged = vek::PageToCleaned(name);
                }
                break;
            }
            case 2: {  // many names, to fill the store past its capacity (once: it is slow)
                if (filled) break;
                filled = true;
                const int count = in.ConsumeIntegralInRange<int>(1, 300);
                const int step = in.ConsumeIntegralInRange<int>(1, 7);
                for (int i = 0; i < count; ++i) {
                    std::string name = "Nm" + std::to_string(i * step % 251);
                    if (i % 3 == 0) name[0] = 'n';
                    store.See(name);
                    model.See(name);
                }
                break;
            }
            case 3: {  // typed into the page box
                CheckCompletion(store, in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 20)));
                break;
            }
            default: {  // the start of a stored name, in another case
                if (store.Names().empty()) break;
                std::string typed = store.Names()[in.ConsumeIntegralInRange<std::size_t>(0, store.Names().size() - 1)];
                typed.resize(in.ConsumeIntegralInRange<std::size_t>(0, typed.size()));
                for (char& c : typed)
                    if (c >= 'a' && c <= 'z' && in.ConsumeBool()) c = static_cast<char>(c - 'a' + 'A');
                CheckCompletion(store, typed);
                break;
            }
        }
        CheckStore(store, model);
        Check(reply.LastSender() == model.sender && reply.LastPaged() == model.paged);
    }
    return 0;
}
