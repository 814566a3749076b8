// The size of a catch-up's passes follows the time they take.
#include <gtest/gtest.h>

#include "core/pacer.h"

namespace {

using vek::CatchUpPacer;

TEST(CatchUpPacer, PassesAreSizedToTakeAboutTheirTime) {
    const struct {
        const char* name;
        std::vector<std::pair<std::size_t, double>> passes;  // bytes, ms
        std::size_t budget;
    } cases[] = {
        {"untimed: a small first part", {}, CatchUpPacer::kFirstBudget},
        {"a line or two tells nothing", {{200, 5.0}}, CatchUpPacer::kFirstBudget},
        {"1000 bytes a ms: 70 ms of it", {{100000, 100.0}}, 70000},
        {"slower now: half way to the new rate", {{100000, 100.0}, {50000, 100.0}}, 52500},
        {"very fast: at most four blocks", {{1000000, 1.0}}, CatchUpPacer::kMaxBudget},
        {"took no time: counted as half a ms", {{100000, 0.0}}, CatchUpPacer::kMaxBudget},
        {"very slow: at least the least budget", {{10000, 1000.0}}, CatchUpPacer::kMinBudget},
    };
    for (const auto& c : cases) {
        CatchUpPacer p;
        for (auto [bytes, ms] : c.passes) p.Took(bytes, ms);
        EXPECT_EQ(p.Budget(), c.budget) << c.name;
    }
}

}  // namespace
