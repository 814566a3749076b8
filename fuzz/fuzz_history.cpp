// The message history under any mix of messages sent (any bytes, any type),
// steps back and forward, and drafts saved. Aborts when
//   - it holds more than its capacity, an empty markup, a type out of range,
//     a target that is not clean or on another type than Page, or the same
//     message twice in a row;
//   - a message sent is not the newest entry afterwards (unless empty), or
//     sending leaves the position off the draft or a draft saved;
//   - a step goes anywhere but one entry further or nearer, says kNone and
//     moves, says kLeaveDraft other than when leaving the draft or kDraft
//     other than when reaching it, or shows another entry than Current();
//   - back on the draft, the draft is not the one saved since leaving it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/history.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Entries come in only at the front: checking the newest after every step
// checks them all.
void CheckEntries(const vek::MessageHistory& h) {
    const auto& e = h.Entries();
    Check(e.size() <= vek::MessageHistory::kCapacity);
    if (!e.empty()) {
        Check(!e[0].markup.empty());
        Check(e[0].type >= 0 && e[0].type < vek::kMessageKinds);
        Check(e[0].pageTo == vek::PageToCleaned(e[0].pageTo));
        if (e[0].type != vek::kPage) Check(e[0].pageTo.empty());
        if (e.size() > 1) Check(!(e[0] == e[1]));
    }
    const std::optional<std::size_t> at = h.Position();
    Check(at ? *at < e.size() && h.Current() == &e[*at] : h.Current() == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    vek::MessageHistory h;
    vek::Draft saved;  // what the draft must be when the history comes back to it
    while (in.remaining_bytes() > 0) {
        const std::optional<std::size_t> before = h.Position();
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
            case 0: {  // send
                vek::SentMessage m;
                m.type = in.ConsumeIntegralInRange<int>(-1, vek::kMessageKinds);
                m.pageTo = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 12));
                m.markup = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 3));
                h.Add(m);
                Check(!h.Position() && h.SavedDraft() == vek::Draft{});
                if (!m.markup.empty()) {
                    const vek::SentMessage& newest = h.Entries().front();
                    Check(newest.markup == m.markup);
                    Check(newest.type == (m.type == vek::kPage || m.type == vek::kChat ? m.type : vek::kNormal));
                    Check(newest.pageTo == (m.type == vek::kPage ? vek::PageToCleaned(m.pageTo) : ""));
                }
                break;
            }
            case 1: {  // Ctrl+Up
                const vek::HistoryMove move = h.Back();
                const std::size_t next = before ? *before + 1 : 0;
                if (next >= h.Entries().size()) {
                    Check(move == vek::HistoryMove::kNone && h.Position() == before);
                } else {
                    Check(move == (before ? vek::HistoryMove::kEntry : vek::HistoryMove::kLeaveDraft));
                    Check(h.Position() == next);
                }
                if (move == vek::HistoryMove::kLeaveDraft) {
                    saved = {};
                    if (in.ConsumeBool()) {
                        saved.content = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 8));
                        saved.type = in.ConsumeIntegral<int>();
                        saved.pageTo = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 8));
                        h.SaveDraft(saved);
                    }
                }
                break;
            }
            case 2: {  // Ctrl+Down
                const vek::HistoryMove move = h.Forward();
                if (!before) {
                    Check(move == vek::HistoryMove::kNone && !h.Position());
                } else if (*before == 0) {
                    Check(move == vek::HistoryMove::kDraft && !h.Position());
                    Check(h.SavedDraft() == saved);
                } else {
                    Check(move == vek::HistoryMove::kEntry && h.Position() == *before - 1);
                }
                break;
            }
            default: {  // the same message sent again at once: no new entry
                if (h.Entries().empty()) break;
                const vek::SentMessage newest = h.Entries().front();
                const std::size_t count = h.Entries().size();
                h.Add(newest);
                Check(h.Entries().size() == count);
                break;
            }
        }
        CheckEntries(h);
    }
    return 0;
}
