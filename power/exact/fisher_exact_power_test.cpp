// The conditional test's power told against a target from part of the
// margins.

#include "power/exact/fisher_exact_power.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

class NoStop : public FisherExactPower::Poll {
  public:
    void operator()() override {}
};

// Reaches answers +1 only where the whole sum of Compute reaches the
// target, -1 only where it does not, and leaves undecided only powers
// within a hair of it; a target well away from the power is settled.
// One tail and two, each statistic and balancing, unequal groups, and a
// proportion at 0.
TEST(FisherExactPowerTest, ReachesAgreesWithTheWholeSum) {
    struct Case {
        int na, nb;
        bool oneTailed;
        int statistic, balancing;
        double pa, pb, alpha;
    };
    const Case cases[] = {
        {400, 400, false, FisherExactPower::kFisher, FisherExactPower::kSymmetrical, 0.5, 0.6,
         0.05},
        {900, 300, false, FisherExactPower::kPearson, FisherExactPower::kMaximizeAlpha, 0.3, 0.22,
         0.01},
        {250, 700, true, FisherExactPower::kFisher, FisherExactPower::kSymmetrical, 0.1, 0.16,
         0.05},
        {30, 25, false, FisherExactPower::kLikelihoodRatio, FisherExactPower::kSymmetrical, 0.0,
         0.2, 0.1},
        {3000, 3000, false, FisherExactPower::kFisher, FisherExactPower::kSymmetrical, 0.5, 0.55,
         1e-4},
    };
    NoStop poll;
    for (const Case& c : cases) {
        FisherExactPower::Design design;
        design.referenceSize = c.na;
        design.otherSize = c.nb;
        design.oneTailed = c.oneTailed;
        design.statistic = c.statistic;
        design.balancing = c.balancing;
        design.alpha = c.alpha;
        FisherExactPower exact;
        const double power = exact.Compute(design, c.pa, c.pb, c.pa, poll).power;
        const std::string context = std::to_string(c.na) + "+" + std::to_string(c.nb) + " " +
                                    std::to_string(c.pa) + " " + std::to_string(c.pb);
        ASSERT_GT(power, 0.06) << context;
        ASSERT_LT(power, 0.94) << context;
        for (double offset : {-0.05, -1e-3, -1e-7, -1e-12, 0.0, 1e-12, 1e-7, 1e-3, 0.05}) {
            const double target = power + offset;
            const int verdict = exact.Reaches(design, c.pa, c.pb, target, poll);
            const std::string at = context + " offset " + std::to_string(offset);
            if (verdict > 0) {
                EXPECT_GE(power, target) << at;
            } else if (verdict < 0) {
                EXPECT_LT(power, target) << at;
            } else {
                EXPECT_LT(std::abs(offset), 1e-8) << at;
            }
            if (std::abs(offset) >= 1e-3) {
                EXPECT_NE(verdict, 0) << at;
            }
        }
        // Reaches leaves the regions as Compute uses them.
        EXPECT_EQ(exact.Compute(design, c.pa, c.pb, c.pa, poll).power, power) << context;
    }
}

}  // namespace
