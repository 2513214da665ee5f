#pragma once

#include <cmath>
#include <limits>
#include <string>

#include "analysis/option_declarations.h"
#include "analysis/power_analysis.h"

// The exact tests' options, by the controls that show them.
inline constexpr int kAlphaBalancingOption = 1039;        // binomial and McNemar
inline constexpr int kFisherAlphaBalancingOption = 1102;  // Fisher's test
inline constexpr int kExactApproximationOption = 1097;    // 0 exact, 1 approximation
inline constexpr int kExactLimitOption = 1137;            // exact up to this N
inline constexpr int kExactStatisticOption = 1139;        // a list of codes
inline constexpr int kEffectIndexOption = 1070;           // a list of codes
inline constexpr int kRegressionMethodOption = 1159;

// The two-group exact tests admit totals up to the largest int, one above
// kLargestTotalSampleSize of the other tests; their messages name this bound.
inline constexpr int kLargestExactTotalSampleSize = std::numeric_limits<int>::max();

// Base of the exact tests: the tests whose statistic has an exact, mostly
// discrete distribution. It only groups the family; every member replaces
// the continuous solvers of PowerAnalysis by searches of its own over counts
// and reports the error rates it attains ("Actual alpha", "Actual power").
class PowerExact : public PowerAnalysis {
  public:
    std::string GetFamilyName() override { return "Exact"; }
    // Every exact test has options.
    bool HasOptions() override { return true; }
    // beta of the last Compromise, which each test sums over its acceptance
    // region: alpha and beta can lie far below 1e-16 there, where 1 - power
    // is 0. A clone, which carries no beta of its own, falls back on the
    // complement of its power.
    double GetBeta() override { return std::isnan(compromiseBeta) ? 1.0 - power : compromiseBeta; }

    // The proportions of the tests of proportions: p1 and p2 as each test
    // defines them (under H0 and H1, or in the two groups).
    double proportion1 = 0.0;
    double proportion2 = 0.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override {
        PowerAnalysis::CopyStateTo(target);
        auto& copy = static_cast<PowerExact&>(target);
        copy.proportion1 = proportion1;
        copy.proportion2 = proportion2;
    }

    double compromiseBeta = std::numeric_limits<double>::quiet_NaN();
};
