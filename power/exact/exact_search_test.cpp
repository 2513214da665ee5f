#include "power/exact/exact_search.h"

#include <gtest/gtest.h>

#include <cmath>

#include "power/exact/power_exact_uncond.h"

namespace {

// A ratio that falls with alpha in steps of a quarter decade, as the
// exact tests' ratio falls in steps of their regions: k over alpha
// rounded down to its step.
exact_search::Step StepRatio(double k, double alpha) {
    const double step = std::pow(10.0, std::floor(4.0 * std::log10(alpha)) / 4.0);
    return {k / step, alpha};
}

// Ending a walk at its last trial, where that trial does not cross q,
// gives what the whole walk gives: down and up, crossings a few steps from
// the start, many steps away, and none before the floor or the ceiling.
TEST(CompromiseWalkTest, ProbingTheLastTrialEndsAsTheWholeWalk) {
    struct Case {
        double start, k, q;
        bool probes;  // whether the walk never crosses, so the probe ends it
    };
    const Case cases[] = {
        {0.05, 1e-3, 1.0, false},    // down, crosses within eight steps
        {0.05, 1e-8, 1.0, false},    // down, crosses after many steps
        {0.05, 1e-30, 1.0, false},   // down, crosses far below 1e-10
        {0.05, 1e-60, 1.0, true},    // down, the walk's steps end above the crossing
        {0.05, 1e-120, 1.0, true},   // down, never above the floor
        {1e-30, 1e-12, 1.0, false},  // up, crosses after many steps
        {1e-30, 5.0, 1.0, true},     // up, never below the ceiling
        {1e-6, 1e-200, 4.0, true},   // down from a small start
    };
    for (const Case& c : cases) {
        // The unconditional tests' rules, with and without the probe.
        exact_search::CompromiseRules rules = PowerExactUncondTwoProp::CompromiseSearchRules();
        const int probeAfter = rules.probeEndAfter;
        rules.probeEndAfter = -1;
        int plainCount = 0, probedCount = 0;
        double plainLast = 0.0, probedLast = 0.0;
        const auto plain = exact_search::CompromiseAlpha(
            [&](double a) {
                ++plainCount;
                plainLast = a;
                return StepRatio(c.k, a);
            },
            c.q, c.start, rules);
        rules.probeEndAfter = probeAfter;
        const auto probed = exact_search::CompromiseAlpha(
            [&](double a) {
                ++probedCount;
                probedLast = a;
                return StepRatio(c.k, a);
            },
            c.q, c.start, rules);
        EXPECT_EQ(probed.alpha, plain.alpha) << c.k;
        EXPECT_EQ(probed.ratio, plain.ratio) << c.k;
        EXPECT_EQ(probed.bracketed, plain.bracketed) << c.k;
        EXPECT_EQ(probed.bracketed, !c.probes) << c.k;
        // The last evaluation is at the alpha returned.
        EXPECT_EQ(probedLast, probed.alpha) << c.k;
        if (c.probes) {
            EXPECT_LE(probedCount, 10) << c.k;
        } else {
            EXPECT_LE(probedCount, plainCount + 1) << c.k;
        }
        // An evaluation that, given the probe's bar, answers only with a
        // bound below it where the ratio lies below: the same walk, and
        // only the probe is asked so.
        int bars = 0;
        double boundedLast = 0.0;
        const auto bounded = exact_search::CompromiseAlpha(
            [&](double a, double bar = 0.0) {
                boundedLast = a;
                exact_search::Step s = StepRatio(c.k, a);
                if (bar > 0.0) {
                    ++bars;
                    if (s.ratio < bar) s = {bar / 2.0, a, true};
                }
                return s;
            },
            c.q, c.start, rules);
        EXPECT_EQ(bounded.alpha, plain.alpha) << c.k;
        EXPECT_EQ(bounded.bracketed, plain.bracketed) << c.k;
        if (bounded.bracketed) {
            EXPECT_EQ(bounded.ratio, plain.ratio) << c.k;
        }
        EXPECT_EQ(boundedLast, bounded.alpha) << c.k;
        EXPECT_LE(bars, 1) << c.k;
    }
}

}  // namespace
