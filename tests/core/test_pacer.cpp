// The size of a catch-up's passes follows the time they take.
#include <gtest/gtest.h>

#include "core/pacer.h"

namespace {

using vek::CatchUpPacer;

// A display that costs `fixed` ms a pass and `perKb` ms a kilobyte: what a
// pass of the pacer's budget takes once the pacer has settled.
struct Settled {
    double passMs, efficiency;  // the share of a pass that goes on bytes
};
Settled Settle(double fixed, double perKb) {
    CatchUpPacer p;
    double ms = 0, bytesMs = 0;
    for (int i = 0; i < 40; ++i) {
        const std::size_t budget = p.Budget();
        const double variable = perKb * static_cast<double>(budget) / 1024;
        ms = fixed + variable;
        bytesMs = variable;
        p.Took(budget, ms);
    }
    return {ms, bytesMs / ms};
}

TEST(CatchUpPacer, PassesTakeAboutTheirTimeAndNeverMostlyFixedCosts) {
    const struct {
        const char* name;
        double fixed, perKb;
        double minMs, maxMs, minEfficiency;
    } cases[] = {
        {"a fast display", 2, 0.5, 50, 90, 0.9},
        {"a slow one", 5, 2.0, 50, 90, 0.8},
        {"a long one: painting and placing cost", 20, 1.0, 50, 90, 0.6},
        // Asking a very long display where its view is costs more than a
        // pass should take: half of each pass still goes on lines.
        {"a held view in a very long display", 60, 1.0, 90, 150, 0.45},
    };
    for (const auto& c : cases) {
        const Settled s = Settle(c.fixed, c.perKb);
        EXPECT_GE(s.passMs, c.minMs) << c.name;
        EXPECT_LE(s.passMs, c.maxMs) << c.name;
        EXPECT_GE(s.efficiency, c.minEfficiency) << c.name;
    }
}

TEST(CatchUpPacer, StartsSmallAndIgnoresPassesTooSmallToTell) {
    CatchUpPacer p;
    EXPECT_EQ(p.Budget(), CatchUpPacer::kFirstBudget);
    p.Took(200, 50.0);  // a line or two
    EXPECT_EQ(p.Budget(), CatchUpPacer::kFirstBudget);
    p.Took(1000000, 1.0);  // very fast: at most four blocks
    EXPECT_LE(p.Budget(), CatchUpPacer::kMaxBudget);
    CatchUpPacer slow;
    slow.Took(10000, 1000.0);  // very slow: at least the least budget
    EXPECT_GE(slow.Budget(), CatchUpPacer::kMinBudget);
}

}  // namespace
