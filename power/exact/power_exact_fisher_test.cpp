// Fisher's exact test of two independent proportions and its large-sample
// approximation.

#include "power/exact/power_exact_fisher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "power/exact/exact_reference_fixture.h"

namespace {

using calc_test::Texts;
using exact_test::Run;

constexpr const char* kTable = "verification/fisher/fisher_cases.tsv";

// The rows of Fisher's test; the options choose the statistic, the
// balancing of two tails, and where the approximation takes over.
const exact_test::Form<PowerExactFisherTwoProp> kForm(
    {}, {
            {"statistic", &PowerExactFisherTwoProp::statistic},
            {"balancing", &PowerExactFisherTwoProp::alphaBalancing},
            {"approx", &PowerExactFisherTwoProp::useApproximation},
            {"threshold", &PowerExactFisherTwoProp::exactThreshold},
        });

std::string LabelOf(const std::string& key) {
    return kForm.LabelOf(key);
}

std::unique_ptr<Run> Calculate(PowerExactFisherTwoProp& test, AnalysisType type,
                               const Texts& texts) {
    return kForm.Calculate(test, type, texts);
}

// Power and actual alpha summed over every rejected table, for both tails,
// the three statistics and both balancings, down to a size of 1e-19; and
// the A priori scans over N.
TEST(FisherTest, ReproducesTheReferenceTable) {
    kForm.ExpectReferenceTable(kTable, 606, 30);
}

// The size of the rejected tables, not one minus an acceptance probability:
// with 10 and 100 subjects and proportions 0.01 and 0.03 only margins of 32
// successes and more can reject, and both sums keep their digits.
TEST(FisherTest, TinySizeAndPowerKeepTheirDigits) {
    PowerExactFisherTwoProp test;
    const auto run =
        Calculate(test, kPostHoc,
                  {{"tails", "One"}, {"p1", "0.01"}, {"p2", "0.03"}, {"n1", "10"}, {"n2", "100"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_NEAR(test.actualAlpha / 1.0188341050572996e-19, 1.0, 1e-9);
    EXPECT_NEAR(test.power / 1.249505228288722e-19, 1.0, 1e-9);
}

// Proportions of 0 and 1: every table of equal proportions has the margin
// 0 or N, which no test rejects; the approximation's power of no
// difference is alpha, never 1. Proportions 0 and 1 reject every table.
TEST(FisherTest, ProportionsOfZeroAndOne) {
    struct Case {
        const char* p1;
        const char* p2;
        const char* approx;
        double power;
        double actualAlpha;
    };
    const Case cases[] = {
        {"0", "0", "0", 0.0, 0.0},   {"1", "1", "0", 0.0, 0.0}, {"0", "0", "1", 0.05, 0.05},
        {"1", "1", "1", 0.05, 0.05}, {"0", "1", "0", 1.0, 0.0}, {"1", "0", "1", 1.0, 0.05},
    };
    for (const Case& c : cases) {
        for (const char* tails : {"One", "Two"}) {
            PowerExactFisherTwoProp test;
            const auto run = Calculate(test, kPostHoc,
                                       {{"tails", tails},
                                        {"p1", c.p1},
                                        {"p2", c.p2},
                                        {"n1", "20"},
                                        {"n2", "20"},
                                        {"approx", c.approx}});
            const std::string context = std::string(c.p1) + " " + c.p2 + " " + c.approx + tails;
            ASSERT_EQ(run->status, kCalculateDone) << context << run->message;
            EXPECT_NEAR(run->Value("power"), c.power, 1e-15) << context;
            EXPECT_NEAR(run->Value("actualalpha"), c.actualAlpha, 1e-15) << context;
        }
    }
}

// Exact up to and including the threshold, the approximation above it or
// on request: its method text, its distribution plot of the standardized
// difference, and the power of the closed form.
TEST(FisherTest, ThresholdChoosesTheApproximationWithItsTextAndPlot) {
    const Texts texts = {{"tails", "One"}, {"p1", "0.5"}, {"p2", "0.52"}, {"n1", "5000"}};
    for (const char* n2 : {"5000", "5001"}) {
        PowerExactFisherTwoProp test;
        const auto run = Calculate(test, kPostHoc, calc_test::With(texts, {{"n2", n2}}));
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const bool above = std::string(n2) == "5001";
        EXPECT_EQ(test.GetMethodText(),
                  above ? "Large Sample z-Approximation" : "Exact distribution");
        EXPECT_EQ(test.HasDistributionPlot(), above);
        EXPECT_EQ(test.IsContinuous(), above);
        const double closedForm = test.ApproximatePower(0.5, 0.05, 5000.0, std::stod(n2));
        EXPECT_EQ(test.power == closedForm, above) << n2;
        EXPECT_EQ(test.actualAlpha == 0.05, above) << n2;
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        EXPECT_EQ(plot.centralCurve.empty(), !above);
    }
    PowerExactFisherTwoProp test;
    const auto run =
        Calculate(test, kPostHoc, calc_test::With(texts, {{"n2", "10"}, {"approx", "1"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(test.GetMethodText(), "Large Sample z-Approximation");
}

// The plot shows the statistic z: N(0, 1) under H0, the critical values on
// the side of p1 - p2 first, two tails split alpha in halves.
TEST(FisherTest, PlotOfTheApproximation) {
    struct Case {
        const char* tails;
        const char* p1;
        int side;
        double critical, critical2;
    };
    const Case cases[] = {
        {"One", "0.5", -1, -1.6448536269514729, -1.6448536269514729},
        {"One", "0.56", 1, 1.6448536269514729, 1.6448536269514729},
        {"Two", "0.5", -1, -1.9599639845400538, 1.9599639845400538},
        {"Two", "0.56", 1, 1.9599639845400538, -1.9599639845400538},
    };
    for (const Case& c : cases) {
        PowerExactFisherTwoProp test;
        const auto run = Calculate(
            test, kPostHoc,
            {{"tails", c.tails}, {"p1", c.p1}, {"p2", "0.52"}, {"n1", "6000"}, {"n2", "6000"}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        EXPECT_EQ(plot.side, c.side) << c.tails << c.p1;
        EXPECT_NEAR(plot.criticalValue, c.critical, 1e-12) << c.tails << c.p1;
        EXPECT_NEAR(plot.criticalValue2, c.critical2, 1e-12) << c.tails << c.p1;
        EXPECT_EQ(plot.statisticName, "z");
        ASSERT_EQ(plot.centralCurve.size(), 201u);
        // H1: the difference over its standard error under H0.
        const double p1 = std::stod(c.p1), pooled = (p1 + 0.52) / 2.0;
        const double sd0 = std::sqrt(pooled * (1.0 - pooled) * (2.0 / 6000.0));
        test.SetNoncentralDistribution();
        EXPECT_NEAR(test.distribution->GetMean(), (p1 - 0.52) / sd0, 1e-9);
        std::unique_ptr<PowerAnalysis> clone(test.Clone());
        calc_test::ExpectSameDistributionPlot(test, *clone, 20);
    }
}

TEST(FisherTest, ListsOfTheAnalysisTypes) {
    using Case = exact_test::ListKeys;
    const Case cases[] = {
        {kAPriori,
         {"tails", "p1", "p2", "alpha", "power", "r"},
         {"n1", "n2", "N", "actual", "actualalpha"}},
        {kSensitivity,
         {"tails", "dir", "p2", "alpha", "power", "n1", "n2"},
         {"p1", "actual", "actualalpha"}},
        {kPostHoc, {"tails", "p1", "p2", "alpha", "n1", "n2"}, {"power", "actualalpha"}},
        {kCriterion,
         {"tails", "p1", "p2", "power", "n1", "n2"},
         {"alpha", "actualalpha", "actual"}},
        {kCompromise,
         {"tails", "p1", "p2", "q", "n1", "n2"},
         {"alpha", "actualalpha", "beta", "power", "actualratio"}},
    };
    kForm.ExpectLists(cases);
    PowerExactFisherTwoProp test;
    calc_test::ExpectEffectInput(test, kPostHoc, "Proportion p1", 606, "");
    // The direction shown first is the side of the standard p1 - p2 < 0.
    PropertyList inputs;
    test.BuildInputList(kSensitivity, &inputs);
    const auto* direction = dynamic_cast<const PropertySelection*>(inputs.Find(LabelOf("dir")));
    ASSERT_NE(direction, nullptr);
    EXPECT_EQ(direction->GetOption(0), "p1$\\le$p2");
    EXPECT_EQ(direction->GetOption(1), "p1$\\ge$p2");
    EXPECT_EQ(direction->index, 0);
}

TEST(FisherTest, RefusedInputsNameTheirRow) {
    const char* noAlpha =
        "A proportion p2 of 0 or 1 leaves no error probability to choose:\n$\\alpha$ is 0 at "
        "every critical value. Please use a proportion in (0, 1).";
    using Case = exact_test::Refusal;
    const Case cases[] = {
        {kPostHoc,
         {{"p2", "1.5"}, {"p1", "2"}},
         "p2",
         "Proportion p2 is outside the admissible range (0, 1-0)."},
        {kCriterion,
         {{"p1", "-0.1"}},
         "p1",
         "Proportion p1 is outside the admissible range (0, 1-0)."},
        {kAPriori,
         {{"r", "200"}, {"p1", "2"}},
         "r",
         "The allocation ratio falls outside\nthe admissible range (0.01, 100)."},
        // Equal proportions: the power stays at alpha for every N.
        {kAPriori,
         {{"p1", "0.6"}},
         "p1",
         "In a priori calculations the effect size must not be zero.\nPlease choose p1 != p2"},
        // Within rounding of the proportions themselves.
        {kAPriori,
         {{"p1", "0.6000000001"}},
         "p1",
         "In a priori calculations the effect size must not be zero.\nPlease choose p1 != p2"},
        {kAPriori, {{"power", "0.01"}}, "power", "Power must be greater than or equal to alpha."},
        {kSensitivity, {{"n2", "0"}}, "n2", "Sample size must be greater than or equal to 1."},
        {kCompromise,
         {{"n1", "1"}, {"n2", "1"}},
         "n1",
         "Total sample size is outside the admissible range (3, 2147483647)"},
        {kCompromise,
         {{"q", "1000"}},
         "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
        // p2 at 0 or 1: every table is certain under H0, alpha is 0 at every
        // critical value, and there is no alpha to find (Criterion showed
        // alpha 1 with power 0 at p1 = p2 = 0).
        {kCriterion, {{"p1", "0"}, {"p2", "0"}}, "p2", noAlpha},
        {kCriterion, {{"p2", "1"}}, "p2", noAlpha},
        {kCompromise, {{"p2", "0"}}, "p2", noAlpha},
        // Near 0 the table of no successes holds all but 1e-10 of the mass:
        // no alpha reaches a power the input takes (it ended in the search's
        // "target power not reachable").
        {kCriterion,
         {{"p1", "1e-12"}, {"p2", "2e-12"}},
         "p1",
         "With proportions this near 0 or 1 one table is all but certain:\nno $\\alpha$ gives a "
         "power of 1e-07 or more."},
        {kCriterion,
         {{"p1", "0.9999999999"}, {"p2", "0.99999999995"}, {"tails", "One"}},
         "p1",
         nullptr},
        // Sensitivity with p2 at the end of [0, 1] its direction searches
        // toward: no p1 is left to search, exact or approximate (these failed
        // with "no effect size found").
        {kSensitivity, {{"p2", "0"}, {"dir", "0"}}, "p2", noAlpha},
        {kSensitivity, {{"p2", "-0"}, {"dir", "0"}, {"approx", "1"}}, "p2", noAlpha},
        {kSensitivity, {{"p2", "1"}, {"dir", "1"}}, "p2", noAlpha},
    };
    kForm.ExpectRefusals(cases);
}

// Proportions near 0 that differ by a factor are an effect however small
// their difference: 1e-6 against 2e-6 was refused as no effect, while
// 1e-5 against 2e-5 answered 3,443,697 a group. Both lie beyond the exact
// threshold, where the large-sample approximation answers
// (verification/exact_edges/fisher_small_reference.py, mpmath).
TEST(FisherTest, SmallProportionsThatDifferAreAnEffect) {
    kForm.ExpectReferenceTable("verification/exact_edges/fisher_small.tsv", 606, 3);
}

// The A priori total is the first from below whose split reaches the
// target: its power reaches it and the split before does not, whichever
// of the two scans over totals meets it first; with the correction the
// scan from above starts past the answer, without it at the answer's
// neighbours.
TEST(FisherTest, APrioriTakesTheFirstSplitReaching) {
    struct Case {
        const char *tails, *p1, *p2, *alpha, *power, *ratio;
        bool corrected;
    };
    const Case cases[] = {
        {"Two", "0.5", "0.56", "0.05", "0.8", "1", true},
        {"Two", "0.3", "0.45", "0.05", "0.9", "1", true},
        {"Two", "0.3", "0.45", "0.05", "0.9", "1", false},
        {"One", "0.2", "0.3", "0.01", "0.8", "2.5", true},
        {"One", "0.62", "0.5", "0.1", "0.6", "0.4", false},
        {"Two", "0.1", "0.25", "0.2", "0.95", "1.7", true},
    };
    for (const Case& c : cases) {
        PowerExactFisherTwoProp test;
        test.exactThreshold = 100000.0;
        test.continuityCorrection = c.corrected;
        const auto run = Calculate(test, kAPriori,
                                   {{"tails", c.tails},
                                    {"p1", c.p1},
                                    {"p2", c.p2},
                                    {"alpha", c.alpha},
                                    {"power", c.power},
                                    {"r", c.ratio}});
        const std::string context = std::string(c.p1) + " " + c.p2 + " " + c.tails;
        ASSERT_EQ(run->status, kCalculateDone) << context << run->message;
        const double n1 = test.groupSize1, n2 = test.groupSize2, target = std::stod(c.power);
        const double p1 = std::stod(c.p1), alpha = std::stod(c.alpha);
        const double reached = test.ComputePower2(p1, alpha, n1, n2);
        EXPECT_GE(reached, target) << context;
        if (reached == target) continue;
        // The largest total below whose split differs.
        double total = n1 + n2, before = 0.0;
        do {
            total -= 1.0;
            before = test.ComputePower(p1, alpha, total);
        } while (test.groupSize1 == n1 && test.groupSize2 == n2);
        EXPECT_LT(before, target) << context << " at " << total;
    }
}

// Compromise answers with the ratio the rejected tables attain, for an
// alpha below 1, exact and approximate.
TEST(FisherTest, CompromiseShowsTheAttainedRatio) {
    for (const char* approx : {"0", "1"}) {
        for (const char* q : {"0.5", "1", "4"}) {
            PowerExactFisherTwoProp test;
            const auto run = Calculate(
                test, kCompromise,
                {{"p1", "0.3"}, {"q", q}, {"n1", "30"}, {"n2", "40"}, {"approx", approx}});
            ASSERT_EQ(run->status, kCalculateDone) << run->message;
            EXPECT_GT(test.alpha, 0.0) << q;
            EXPECT_LT(test.alpha, 1.0) << q;
            EXPECT_LE(test.actualAlpha, test.alpha) << q;
            // beta summed over the accepted tables is 1 - power to rounding.
            EXPECT_DOUBLE_EQ(test.actualRatio, test.GetBeta() / test.actualAlpha) << q;
            EXPECT_NEAR(test.GetBeta(), 1.0 - test.power, 1e-14) << q;
            // The exact ratio moves in steps; it lands near q.
            EXPECT_NEAR(std::log(test.actualRatio / std::stod(q)), 0.0, 0.7) << approx << q;
        }
    }
}

// Compromise where q is met at alpha far below 1e-16, beta summed over the
// accepted tables (verification/small_tails, mpmath, the tables of every
// margin): p1 0.05 against p2 0.95 with 80 + 80 and q 1 meets the ratio
// 1.030799 at an actual alpha of 2.752617e-18; the approximation with
// 200 + 200 and p 0.1 against 0.9 at alpha 1.429562e-23.
TEST(FisherTest, CompromiseAtSmallAlphaAndBeta) {
    const char table[] = "verification/small_tails/fisher_compromise_reference.tsv";
    kForm.ExpectReferenceTable(table, 606, 3);
}

// Compromise where the ratio stays above q up to alpha 1: the power, actual
// alpha and ratio shown are those of the rejected tables at the alpha
// returned (verification/exact_edges, exact rational enumeration).
TEST(FisherTest, CompromiseNearAlphaOne) {
    kForm.ExpectReferenceTable("verification/exact_edges/compromise_near_one.tsv", 606, 1);
}

// Criterion where the alpha rounded to the digits shown would fall below
// the jump of the power: the alpha shown is the next value up, and the
// power and actual alpha shown are those at it (verification/exact_edges,
// exact rational enumeration).
TEST(FisherTest, CriterionShowsThePowerAtTheAlphaShown) {
    kForm.ExpectReferenceTable("verification/exact_edges/criterion_floor.tsv", 606, 3);
}

// A target beyond what the chosen side can give ends the search with a
// failure, not with the end of the range.
TEST(FisherTest, UnreachableSensitivityFails) {
    for (const char* approx : {"0", "1"}) {
        PowerExactFisherTwoProp test;
        EXPECT_THROW(Calculate(test, kSensitivity,
                               {{"dir", "p1$\\ge$p2"},
                                {"p2", "0.99"},
                                {"power", "0.99"},
                                {"n1", "3"},
                                {"n2", "3"},
                                {"approx", approx}}),
                     QuorixError)
            << approx;
    }
}

// Criterion where the alpha that reaches the power lies far below 1e-16:
// p1 0.213 against p2 0.9573 with 138 + 155 reaches power 0.772 at an
// actual power of 0.7735622 and an actual alpha near 3e-90 (verification/
// small_tails, mpmath, the tables of every margin by the same rule). A
// target that even alpha 1 misses fails with the unconditional tests'
// words instead of showing alpha 1.
TEST(FisherTest, CriterionAtTinyAlphaAndUnreachableTargets) {
    const char table[] = "verification/small_tails/fisher_reference.tsv";
    kForm.ExpectReferenceTable(table, 606, 2);
    PowerExactFisherTwoProp test;
    try {
        Calculate(test, kCriterion,
                  {{"tails", "Two"},
                   {"p1", "0.5"},
                   {"p2", "0.6"},
                   {"power", "0.99"},
                   {"n1", "3"},
                   {"n2", "3"}});
        ADD_FAILURE() << "an unreachable target gave an answer";
    } catch (const QuorixError& e) {
        EXPECT_STREQ(e.what(), "Solver-Alpha: target power not reachable");
    }
}

// The symmetrical balancing only widens the acceptance interval: its size
// and power never exceed those of "Maximize alpha", and no size exceeds
// alpha.
TEST(FisherTest, SymmetricalBalancingNeverExceedsMaximizeAlpha) {
    for (int stat : {0, 1, 2}) {
        for (const auto& [n1, n2] : {std::pair{9, 31}, std::pair{20, 20}, std::pair{45, 12}}) {
            double size[2], power[2];
            for (int balancing : {0, 1}) {
                PowerExactFisherTwoProp test;
                test.oneTailed = false;
                test.statistic = stat;
                test.alphaBalancing = balancing;
                power[balancing] = test.ComputePower2(0.25, 0.05, n1, n2);
                size[balancing] = test.actualAlpha;
            }
            const std::string context = std::to_string(stat) + " " + std::to_string(n1);
            EXPECT_LE(size[0], size[1]) << context;
            EXPECT_LE(power[0], power[1]) << context;
            EXPECT_LE(size[1], 0.05) << context;
        }
    }
}

TEST(FisherTest, CloneCarriesOptionsAndAnalysis) {
    PowerExactFisherTwoProp test;
    test.statistic = 2;
    test.alphaBalancing = 1;
    test.exactThreshold = 500.0;
    test.useApproximation = true;
    test.continuityCorrection = false;
    const auto run = Calculate(test, kPostHoc, {{"tails", "Two"}, {"n1", "30"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    auto* copy = dynamic_cast<PowerExactFisherTwoProp*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->statistic, 2);
    EXPECT_EQ(copy->alphaBalancing, 1);
    EXPECT_EQ(copy->exactThreshold, 500.0);
    EXPECT_TRUE(copy->useApproximation);
    EXPECT_FALSE(copy->continuityCorrection);
    EXPECT_TRUE(copy->exactFlag);
    EXPECT_FALSE(copy->oneTailed);
    EXPECT_EQ(copy->groupSize1, 30.0);
    EXPECT_EQ(copy->maxSampleSize, 1000000.0);
    EXPECT_EQ(copy->GetMethodText(), "Large Sample z-Approximation");
}

// The standard values, and a cancelled exact computation leaves at once.
TEST(FisherTest, StandardValuesAndCancel) {
    PowerExactFisherTwoProp test;
    EXPECT_EQ(test.effectSize, 0.5);
    EXPECT_EQ(test.proportion2, 0.6);
    EXPECT_EQ(test.groupSize1, 50.0);
    EXPECT_EQ(test.groupSize2, 50.0);
    EXPECT_EQ(test.exactThreshold, 10000.0);
    EXPECT_FALSE(test.useApproximation);
    EXPECT_TRUE(test.continuityCorrection);
    EXPECT_EQ(test.GetMethodText(), "Exact distribution");
    EXPECT_FALSE(test.HasDistributionPlot());
    test.cancelled = true;
    EXPECT_THROW(test.ComputePower2(0.5, 0.05, 50.0, 50.0), CancelledError);
}

}  // namespace
