// Lines by kind: the kind each stored entry has, and a view of some kinds
// mapping its lines to store entries and back.
#include "core/line_kinds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vek {
namespace {

// Entries written as letters: c chat, p page, o other; a following '+'
// makes the entry a continuation (its own kind written as 'o').
LineKinds KindsOf(std::string_view letters) {
    LineKinds kinds;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const bool continues = i + 1 < letters.size() && letters[i + 1] == '+';
        const char c = letters[i];
        if (c == '+') continue;
        kinds.Add(c == 'c' ? LineKind::Chat : c == 'p' ? LineKind::Page : LineKind::Other, continues);
    }
    return kinds;
}

std::vector<std::size_t> EntriesOf(const KindView& v) {
    std::vector<std::size_t> out;
    for (std::size_t n = 0; n < v.Size(); ++n) out.push_back(v.Entry(n));
    return out;
}

TEST(LineKinds, AContinuationIsOfTheKindOfTheLineItContinues) {
    const LineKinds kinds = KindsOf("po+o+cco+");
    const LineKind expected[] = {LineKind::Page, LineKind::Page, LineKind::Page, LineKind::Chat, LineKind::Chat,
                                 LineKind::Chat};
    ASSERT_EQ(kinds.Size(), std::size(expected));
    for (std::size_t i = 0; i < kinds.Size(); ++i) EXPECT_EQ(kinds[i], expected[i]) << i;
    // The first entry has no line before it: its own kind.
    EXPECT_EQ(KindsOf("o+")[0], LineKind::Other);
}

TEST(KindView, ShowsTheChosenKindsAndMapsLinesBothWays) {
    //                 0123456789
    const char* letters = "cpoccpoopc";
    const struct {
        KindFilter filter;
        std::vector<std::size_t> entries;
        std::vector<std::size_t> linesBefore;  // for entries 0..10
    } cases[] = {
        {KindFilter::All(), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {{LineKind::Page}, {1, 5, 8}, {0, 0, 1, 1, 1, 1, 2, 2, 2, 3, 3}},
        {{LineKind::Chat, LineKind::Other}, {0, 2, 3, 4, 6, 7, 9}, {0, 1, 1, 2, 3, 4, 4, 5, 6, 6, 7}},
        {{}, {}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    const LineKinds kinds = KindsOf(letters);
    for (const auto& c : cases) {
        KindView v(kinds, c.filter);
        EXPECT_EQ(EntriesOf(v), c.entries);
        for (std::size_t e = 0; e <= 10; ++e) EXPECT_EQ(v.LinesBefore(e), c.linesBefore[e]) << e;
        for (std::size_t e = 0; e < 10; ++e) EXPECT_EQ(v.Shows(e), c.filter.Has(kinds[e])) << e;
    }
}

TEST(KindView, GrowsWithTheStoreAndCountsAgainWhenTheChoiceChanges) {
    LineKinds kinds = KindsOf("cpo");
    KindView v(kinds, {LineKind::Page});
    for (char c : std::string("pcp")) kinds.Add(c == 'p' ? LineKind::Page : LineKind::Chat, false);
    EXPECT_EQ(v.Size(), 1u);  // not yet taken
    v.CatchUp();
    EXPECT_EQ(EntriesOf(v), (std::vector<std::size_t>{1, 3, 5}));
    // Every kind, then one ticked off, then back: each choice sees the whole store.
    v.SetFilter(KindFilter::All());
    kinds.Add(LineKind::Other, false);
    v.CatchUp();
    EXPECT_EQ(v.Size(), 7u);
    EXPECT_EQ(v.Entry(6), 6u);
    v.SetFilter(KindFilter::All().With(LineKind::Chat, false));
    EXPECT_EQ(EntriesOf(v), (std::vector<std::size_t>{1, 2, 3, 5, 6}));
    v.SetFilter(v.Filter().With(LineKind::Chat, true));
    EXPECT_EQ(EntriesOf(v), (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace vek
