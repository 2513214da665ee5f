#include "analysis/power_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "analysis/analysis_fakes.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"

namespace {

using fakes::ZTest;

// Records the points at which the solver's objective is evaluated.
class RecordingZTest : public ZTest {
  public:
    double Evaluate(double x) override {
        visited.push_back(x);
        return ZTest::Evaluate(x);
    }
    std::vector<double> visited;
};

// Reference values: verification/analysis/solver_reference.py (SciPy).
constexpr double kTol = 1e-9;

TEST(Solvers, APrioriDescendsFromHundredAndRoundsUp) {
    RecordingZTest test;
    const double n = test.SolveSampleSize(0.5, 0.05, 0.95, true);
    EXPECT_EQ(n, 44.0);  // exact N 43.2887
    EXPECT_EQ(test.sampleSize, 44.0);
    EXPECT_NEAR(test.actualPower, 0.9527152724079094, kTol);
    ASSERT_GE(test.visited.size(), 3u);
    EXPECT_EQ(test.visited[0], 100.0);
    EXPECT_EQ(test.visited[1], 50.5);
    EXPECT_EQ(test.visited[2], 24.75);  // power below target: the descent stops
    EXPECT_EQ(test.bracketLow, 24.75);
    EXPECT_EQ(test.bracketHigh, 50.5);
    EXPECT_EQ(test.analysisType, kAPriori);
}

TEST(Solvers, APrioriUnroundedIsTheExactRoot) {
    ZTest test;
    EXPECT_NEAR(test.SolveSampleSize(0.5, 0.05, 0.95, false), 43.288695265526606, 1e-8);
}

TEST(Solvers, APrioriGrowsByOnePointSix) {
    RecordingZTest test;
    EXPECT_EQ(test.SolveSampleSize(0.1, 0.05, 0.95, true), 1083.0);  // exact 1082.217
    EXPECT_NEAR(test.actualPower, 0.9501225372824558, kTol);
    const std::vector<double> growth = {100, 160, 256, 409.6, 655.36, 1048.576, 1677.7216};
    ASSERT_GE(test.visited.size(), growth.size());
    for (size_t i = 0; i < growth.size(); ++i) EXPECT_NEAR(test.visited[i], growth[i], 1e-9) << i;
    EXPECT_NEAR(test.bracketLow, 1048.576, 1e-9);
    EXPECT_NEAR(test.bracketHigh, 1677.7216, 1e-9);
}

TEST(Solvers, APrioriBelowTheSmallestNGivesTheSmallestN) {
    // With d = 5 one subject already gives more power than asked for: the
    // descent visits every point down to 2.21875 and ends the bracket at 1.
    RecordingZTest test;
    EXPECT_EQ(test.SolveSampleSize(5.0, 0.05, 0.95, true), 1.0);
    const std::vector<double> descent = {100, 50.5, 24.75, 11.875, 5.4375, 2.21875};
    ASSERT_GE(test.visited.size(), descent.size());
    for (size_t i = 0; i < descent.size(); ++i) EXPECT_EQ(test.visited[i], descent[i]) << i;
    EXPECT_EQ(test.bracketLow, 1.0);
    EXPECT_EQ(test.bracketHigh, 2.21875);
    EXPECT_NEAR(test.actualPower, 0.9996033849954737, kTol);
}

TEST(Solvers, OtherFourTypesAgreeWithReference) {
    ZTest test;
    EXPECT_NEAR(test.SolveEffectSize(0.05, 0.95, 44), 0.4959420286957496, kTol);
    EXPECT_EQ(test.analysisType, kSensitivity);

    EXPECT_NEAR(test.ComputePower(0.5, 0.05, 44), 0.9527152724079094, kTol);
    EXPECT_NEAR(test.criticalValue, 1.6448536269514722, kTol);

    const double alpha = test.SolveAlpha(0.5, 0.95, 44);
    EXPECT_NEAR(alpha, 0.04728472759209055, kTol);
    EXPECT_EQ(test.alpha, alpha);
    EXPECT_EQ(test.analysisType, kCriterion);
    EXPECT_EQ(test.bracketLow, 0.03125);  // halving from 0.5 toward 1e-99
    EXPECT_EQ(test.bracketHigh, 0.0625);

    // Compromise with q = 1 balances beta and alpha; q = 2 doubles beta.
    const double balanced = test.SolveCompromise(0.5, 1.0, 44);
    EXPECT_NEAR(balanced, 0.04862721421950164, kTol);
    EXPECT_NEAR(1.0 - test.ComputePower(0.5, balanced, 44), balanced, kTol);
    const double doubled = test.SolveCompromise(0.5, 2.0, 44);
    EXPECT_NEAR(doubled, 0.03397316636421757, kTol);
    EXPECT_EQ(test.ratio, 2.0);
}

TEST(Solvers, TwoGroupVariantsStoreTheGroupSizes) {
    ZTest test;
    EXPECT_NEAR(test.ComputePower2(0.5, 0.05, 20, 24), 0.9527152724079094, kTol);
    EXPECT_EQ(test.groupSize1, 20.0);
    EXPECT_EQ(test.groupSize2, 24.0);
    EXPECT_NEAR(test.SolveAlpha2(0.5, 0.95, 30, 14), 0.04728472759209055, kTol);
    EXPECT_EQ(test.groupSize1, 30.0);
    EXPECT_NEAR(test.SolveEffectSize2(0.05, 0.95, 4, 40), 0.4959420286957496, kTol);
    EXPECT_NEAR(test.SolveCompromise2(0.5, 1.0, 22, 22), 0.04862721421950164, kTol);
    EXPECT_EQ(test.sampleSize, 44.0);
}

TEST(Solvers, RoundSampleSizeDiscardsNoiseBelowTenDecimals) {
    ZTest test;
    const struct {
        double n, rounded;
    } cases[] = {{20.0, 20}, {20.00000000001, 20}, {20.0000001, 21}, {19.99999999999, 20},
                 {0.3, 1},   {43.2886952655, 44}};
    for (const auto& c : cases) EXPECT_EQ(test.RoundSampleSize(c.n), c.rounded) << c.n;
}

// A target that the search range cannot reach is a failure, never a number.
TEST(Solvers, UnreachableTargetsThrow) {
    {
        // Power capped below the target: the growth of the N bracket ends.
        struct Capped : ZTest {
            double NoncentralityFromEffect(double effect) override {
                return effect * std::min(std::sqrt(sampleSize), 2.0);
            }
            int evaluations = 0;
            double Evaluate(double x) override {
                ++evaluations;
                return ZTest::Evaluate(x);
            }
        } test;
        try {
            test.SolveSampleSize(0.5, 0.05, 0.95, true);
            FAIL() << "no exception";
        } catch (const QuorixError& e) {
            EXPECT_EQ(e.GetCode(), QuorixError::kAboveUpperBound);
            EXPECT_STREQ(e.what(), "Solver-SampleSize: answer above upper search bound");
        }
        EXPECT_LT(test.evaluations, 110);
    }
    {
        // Power asked for below alpha: even the smallest effect exceeds it.
        ZTest test;
        try {
            test.SolveEffectSize(0.05, 0.01, 44);
            FAIL() << "no exception";
        } catch (const QuorixError& e) {
            EXPECT_EQ(e.GetCode(), QuorixError::kBelowLowerBound);
            EXPECT_STREQ(e.what(), "Solver-EffectSize: answer below lower search bound");
        }
    }
    {
        // A power function that is not a number anywhere.
        struct Broken : ZTest {
            double ComputePower(double, double, double) override {
                return std::numeric_limits<double>::quiet_NaN();
            }
        } test;
        EXPECT_THROW(test.SolveSampleSize(0.5, 0.05, 0.95, true), QuorixError);
        EXPECT_THROW(test.SolveAlpha(0.5, 0.95, 44), QuorixError);
        EXPECT_THROW(test.SolveCompromise(0.5, 1.0, 44), QuorixError);
    }
}

TEST(Solvers, SolveThatDoesNotConvergeThrows) {
    // Flat tails over a vast bracket: 100 iterations of mostly bisection
    // leave the solve far from its zero.
    struct Flat : ZTest {
        void BracketEffectSize() override {
            bracketLow = -1e300;
            bracketHigh = 1e300;
        }
        double SensitivityObjective(double x) override { return std::tanh(x - 0.5); }
    } test;
    try {
        test.SolveEffectSize(0.05, 0.95, 44);
        FAIL() << "no exception";
    } catch (const QuorixError& e) {
        EXPECT_EQ(e.GetCode(), QuorixError::kNoConvergence);
        EXPECT_STREQ(e.what(), "Solver-EffectSize: no convergence");
    }
}

TEST(Solvers, CancelFlagStopsBracketAndSolve) {
    struct CancelAfter : ZTest {
        int limit = 0, evaluations = 0;
        double Evaluate(double x) override {
            if (++evaluations == limit) cancelled = true;
            return ZTest::Evaluate(x);
        }
    };
    for (int limit : {1, 3, 12}) {  // in the bracket growth and in the solve
        CancelAfter test;
        test.limit = limit;
        EXPECT_THROW(test.SolveSampleSize(0.1, 0.05, 0.95, true), CancelledError) << limit;
        EXPECT_EQ(test.evaluations, limit);
    }
}

// The halving walks end at their bound when the objective keeps its sign.
TEST(Brackets, HalvingWalksEndAtTheirBounds) {
    struct Constant : ZTest {
        double value = 1.0;
        int evaluations = 0;
        double Evaluate(double) override {
            ++evaluations;
            return value;
        }
    };
    {
        Constant test;  // positive everywhere: descend toward lo = 0
        test.BracketFromStart(0.0, 1.0, 0.3);
        EXPECT_EQ(test.bracketLow, 0.0);
        EXPECT_LE(test.evaluations, 402);
        test.evaluations = 0;
        test.BracketSampleSizeFrom(0.0, 0.5);
        EXPECT_EQ(test.bracketLow, 0.0);
        EXPECT_LE(test.evaluations, 403);
        test.evaluations = 0;
        test.BracketAlpha();
        EXPECT_EQ(test.bracketLow, 1e-99);
        EXPECT_LE(test.evaluations, 403);
    }
    {
        Constant test;  // negative everywhere: climb toward hi
        test.value = -1.0;
        test.BracketFromStart(0.0, 1.0, 0.3);
        EXPECT_EQ(test.bracketHigh, 1.0);
        EXPECT_LE(test.evaluations, 402);
        test.BracketAlpha();
        EXPECT_EQ(test.bracketHigh, 1.0);
    }
}

TEST(Brackets, FromStartNarrowsAroundTheRoot) {
    // SensitivityObjective of the z test, root at d = 0.49594.
    ZTest test;
    test.alpha = 0.05;
    test.power = 0.95;
    test.sampleSize = 44;
    test.analysisType = kSensitivity;
    test.BracketFromStart(0.0, 1.0, 0.3);  // 0.3 too small: climb 0.65
    EXPECT_EQ(test.bracketLow, 0.3);
    EXPECT_EQ(test.bracketHigh, 0.65);
    test.BracketFromStart(0.0, 1.0, 0.9);  // 0.9 too large: descend 0.45
    EXPECT_EQ(test.bracketLow, 0.45);
    EXPECT_EQ(test.bracketHigh, 0.9);
    test.BracketEffectSize();
    EXPECT_EQ(test.bracketLow, 1e-6);
    EXPECT_EQ(test.bracketHigh, 100.0);
}

TEST(PowerAnalysisBase, EvaluateDispatchesOnTheAnalysisType) {
    ZTest test;
    test.effectSize = 0.5;
    test.alpha = 0.05;
    test.power = 0.95;
    test.sampleSize = 44;
    test.ratio = 1.0;
    const double power44 = 0.9527152724079094;
    test.analysisType = kAPriori;
    EXPECT_NEAR(test.Evaluate(44), power44 - 0.95, kTol);
    test.analysisType = kSensitivity;
    EXPECT_NEAR(test.Evaluate(0.5), power44 - 0.95, kTol);
    test.analysisType = kCriterion;
    EXPECT_NEAR(test.Evaluate(0.05), power44 - 0.95, kTol);
    test.analysisType = kCompromise;
    EXPECT_NEAR(test.Evaluate(0.05), 1.0 - (1.0 - power44) / 0.05, 1e-7);
    for (int type : {2, 5, -1}) {
        test.analysisType = type;
        EXPECT_EQ(test.Evaluate(0.3), 0.0) << type;
    }
}

TEST(PowerAnalysisBase, TargetPowerUnreachableAtMaxSampleSize) {
    ZTest test;
    test.maxSampleSize = 44;
    const double effect = 0.5;
    const double reachable = test.ComputePower(effect, 0.05, 44);
    EXPECT_FALSE(test.IsTargetPowerUnreachable(&effect, 0.05, reachable));
    EXPECT_TRUE(test.IsTargetPowerUnreachable(&effect, 0.05, reachable + 1e-9));
    EXPECT_EQ(test.sampleSize, 44.0);
}

TEST(PowerAnalysisBase, DefaultsOfATestThatOverridesOnlyClone) {
    struct Bare : PowerAnalysis {
        PowerAnalysis* Clone() override { return new Bare; }
    } test;
    PropertyList inputs;
    test.criticalValue = 1.5;
    EXPECT_EQ(test.Calculate(kPostHoc, &inputs), -1);
    EXPECT_EQ(test.GetTestId(), -1);
    EXPECT_EQ(test.GetCriticalValueId(), -1);
    EXPECT_EQ(test.GetNoncentralityId(), -1);
    EXPECT_EQ(test.GetEffectSizeId(), -1);
    EXPECT_EQ(test.GetDfOutputMask(), 0);
    EXPECT_EQ(test.GetTestName() + test.GetFamilyName() + test.GetStatisticName(), "");
    EXPECT_EQ(test.GetDensityCap(), 3.0);
    EXPECT_EQ(test.GetLowerCriticalValue(), -1.5);
    EXPECT_EQ(test.allocationRatio, 1.0);
    EXPECT_TRUE(test.oneTailed);
    EXPECT_FALSE(test.exactFlag);
    EXPECT_EQ(test.maxSampleSize, 100000.0);
}

TEST(PowerAnalysisBase, CloneCopiesStateButNotMessagesOrCancel) {
    ZTest test;
    test.ComputePower(0.5, 0.05, 44);
    test.effectSize2 = 7.0;
    test.relativeSD = 0.3;
    test.oneTailed = false;
    test.exactFlag = true;
    test.analysisType = kCompromise;
    SetNamedString(&test.inputTexts, "$\\alpha$ err prob", "=1/20");
    test.messages << "a note";
    test.cancelled = true;

    std::unique_ptr<PowerAnalysis> copy(test.Clone());
    EXPECT_EQ(copy->effectSize, 0.5);
    EXPECT_EQ(copy->criticalValue, test.criticalValue);
    EXPECT_EQ(copy->effectSize2, 7.0);
    EXPECT_EQ(copy->relativeSD, 0.3);
    EXPECT_FALSE(copy->oneTailed);
    EXPECT_TRUE(copy->exactFlag);
    EXPECT_EQ(copy->analysisType, kCompromise);
    std::string text;
    ASSERT_TRUE(GetNamedString(&copy->inputTexts, "$\\alpha$ err prob", &text));
    EXPECT_EQ(text, "=1/20");
    EXPECT_NE(copy->inputTexts[0], test.inputTexts[0]);
    EXPECT_EQ(copy->GetMessage(), "");
    EXPECT_FALSE(copy->IsCancelled());
    EXPECT_NE(copy->distribution, test.distribution);
    // The copy computes on its own.
    EXPECT_NEAR(copy->ComputePower(0.5, 0.05, 44), 0.9527152724079094, kTol);
}

}  // namespace
