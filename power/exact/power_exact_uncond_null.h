#pragma once

#include <string>

#include "power/exact/power_exact_uncond.h"

// The unconditional exact test of H0: p1 = p2 for two independent groups,
// with one of seven statistics (statistic codes 0 to 6: z with pooled or
// unpooled variance, each with or without continuity correction,
// Mantel-Haenszel, likelihood ratio, t), or their large-sample
// approximations. The effect is entered as p1, p1 - p2, p1/p2 or the odds
// ratio (effectIndex); p2 is an input of its own.
class PowerExactUncTwoPropNull : public PowerExactUncondTwoProp {
  public:
    PowerExactUncTwoPropNull();

    PowerAnalysis* Clone() override;
    std::string GetTestName() override {
        return "Proportions: Inequality, two independent groups (unconditional) ";
    }
    ParameterId GetNoncentralityId() override;
    TestId GetTestId() override { return kUnconditionalTwoProportionsTestId; }
    void SetStandardValues() override;

    StatisticMoments GetStatisticMoments(double p1, double alpha, double n1, double n2) override;
    double StatisticValue(int code, double x2, double x1, double n2, double n1, double extra,
                          int side) override;
    bool AcceptsAnInterval(int x2, int m1, int m2, int side, double c) override;
};
