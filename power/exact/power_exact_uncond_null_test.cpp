// The unconditional exact test of two independent proportions, H0 p1 = p2.

#include "power/exact/power_exact_uncond_null.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "distributions/normal.h"
#include "distributions/t.h"
#include "numerics/quorix_error.h"
#include "numerics/saddle_point.h"
#include "power/exact/exact_reference_fixture.h"

namespace {

using calc_test::Texts;
using exact_test::Run;

constexpr const char* kTable = "verification/unconditional/null_cases.tsv";

// The rows of the four effect measures; the options choose the measure,
// the statistic, and where the large-sample power takes over.
const exact_test::Form<PowerExactUncTwoPropNull> kForm(
    {
        {"diff", "Diff (p1-p2)"},
        {"rr", "Ratio (p1/p2)"},
    },
    {
        {"index", &PowerExactUncTwoPropNull::SetEffectIndex},
        {"large", &PowerExactUncTwoPropNull::largeSample},
        {"limit", &PowerExactUncTwoPropNull::exactLimit},
        {"stat", &PowerExactUncTwoPropNull::SetStatistic},
    });

std::unique_ptr<Run> Calculate(PowerExactUncTwoPropNull& test, AnalysisType type,
                               const Texts& texts) {
    return kForm.Calculate(test, type, texts);
}

// Exact power and size by enumerating every outcome, and the large-sample
// powers, of all seven statistics; A priori and Sensitivity answers of the
// exact searches.
TEST(UnconditionalNullTest, ReproducesTheReferenceTable) {
    kForm.ExpectReferenceTable(kTable, 607, 90);
}

// Every statistic at groups of a few subjects, against the sum over every
// outcome its definition rejects.
TEST(UnconditionalNullTest, AgreesWithTheEnumerationOfSmallGroups) {
    const char* path = "verification/unconditional/enumeration_cases.tsv";
    kForm.ExpectReferenceTable(path, 607, 28);
}

// The sum over every outcome of the rejected ones, with the test's own
// statistic: the walks, which stop at 1e-15 of their sums and find the
// region by gallops from the H0 boundary, must give the same power and
// size, also for tiny groups, far tails and a large alpha.
double Enumerated(PowerExactUncTwoPropNull& test, double q1, double alpha, int n1, int n2,
                  int side) {
    const int k = side == 2 ? 2 : 1;
    double c;
    if (test.referenceDistribution == 1) {
        TDistribution t(n1 + n2 - 2.0, 0.0);
        c = -t.Quantile(alpha / k);
    } else {
        NormalDistribution normal;
        c = -normal.Quantile(alpha / k);
    }
    double sum = 0.0;
    for (int x2 = 0; x2 <= n2; ++x2) {
        for (int x1 = 0; x1 <= n1; ++x1) {
            double v = test.StatisticValue(test.statistic, x2, x1, n2, n1, 0.0, side);
            if (test.referenceDistribution == 2) {
                const double d = static_cast<double>(x1) / n1 - static_cast<double>(x2) / n2;
                v = (d < 0 ? -1.0 : 1.0) * std::sqrt(v);
            }
            const bool reject = (side != 1 && v > c) || (side != 0 && v < -c);
            if (reject) sum += dbinom(x1, n1, q1, 0) * dbinom(x2, n2, test.proportion2, 0);
        }
    }
    return sum;
}

TEST(UnconditionalNullTest, WalksAgreeWithTheSumOverEveryOutcome) {
    struct Case {
        double p1, p2, alpha;
        int n1, n2;
    };
    const Case cases[] = {
        {0.6, 0.3, 0.05, 50, 50},  {0.05, 0.02, 0.05, 300, 200}, {0.999, 0.9, 0.2, 40, 90},
        {0.5, 0.5, 0.05, 30, 30},  {0.4, 0.7, 0.9, 5, 3},        {0.3, 0.6, 0.05, 1, 2},
        {1e-6, 0.3, 0.01, 60, 20},
    };
    for (int code = 0; code <= 6; ++code) {
        for (const Case& c : cases) {
            for (bool oneTailed : {true, false}) {
                PowerExactUncTwoPropNull test;
                test.SetStatistic(code);
                test.oneTailed = oneTailed;
                test.proportion2 = c.p2;
                const double power = test.ExactPower(c.p1, c.alpha, c.n1, c.n2);
                const double size = test.actualAlpha;
                const int side = !oneTailed ? 2 : (c.p1 <= c.p2 ? 1 : 0);
                const std::string context = "code " + std::to_string(code) + " p1 " +
                                            std::to_string(c.p1) + " n " + std::to_string(c.n1) +
                                            "+" + std::to_string(c.n2) + " tails " +
                                            std::to_string(oneTailed ? 1 : 2);
                EXPECT_NEAR(power, Enumerated(test, c.p1, c.alpha, c.n1, c.n2, side), 1e-13)
                    << context;
                EXPECT_NEAR(size, Enumerated(test, c.p2, c.alpha, c.n1, c.n2, side), 1e-13)
                    << context;
            }
        }
    }
}

// Every row for which the test claims an interval of accepted x1, scanned
// over every x1: the accepted ones are one run, from x1 = 0 when only the
// upper tail is tested and up to n1 when only the lower one is; a
// one-tailed alpha above 1/2 puts the critical value below 0.
TEST(UnconditionalNullTest, ClaimedIntervalsHoldOverEveryX1) {
    const std::pair<int, int> groups[] = {{1, 2}, {3, 7}, {10, 4}, {25, 25}, {40, 9}};
    int claimed = 0;
    for (int code = 0; code <= 6; ++code) {
        for (double alpha : {0.01, 0.05, 0.3, 0.7}) {
            for (int side = 0; side <= 2; ++side) {
                for (const auto& [n1, n2] : groups) {
                    PowerExactUncTwoPropNull test;
                    test.SetStatistic(code);
                    const double tail = alpha / (side == 2 ? 2 : 1);
                    const double c = code == 6 ? -TDistribution(n1 + n2 - 2.0, 0.0).Quantile(tail)
                                               : -NormalDistribution().Quantile(tail);
                    for (int x2 = 0; x2 <= n2; ++x2) {
                        if (!test.AcceptsAnInterval(x2, n1, n2, side, c)) continue;
                        ++claimed;
                        std::vector<int> kept;
                        for (int x1 = 0; x1 <= n1; ++x1) {
                            double v = test.StatisticValue(code, x2, x1, n2, n1, 0.0, side);
                            if (code == 5) {
                                const double d =
                                    static_cast<double>(x1) / n1 - static_cast<double>(x2) / n2;
                                v = (d < 0 ? -1.0 : 1.0) * std::sqrt(v);
                            }
                            if ((side == 1 || v <= c) && (side == 0 || v >= -c)) kept.push_back(x1);
                        }
                        if (kept.empty()) continue;
                        EXPECT_EQ(kept.back() - kept.front() + 1, static_cast<int>(kept.size()))
                            << "code " << code << " alpha " << alpha << " side " << side << " n "
                            << n1 << "+" << n2 << " x2 " << x2;
                        if (side == 0) {
                            EXPECT_EQ(kept.front(), 0) << code << " x2 " << x2;
                        }
                        if (side == 1) {
                            EXPECT_EQ(kept.back(), n1) << code << " x2 " << x2;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(claimed, 4000);
}

// The region is kept while only p1 changes and found anew when anything
// it depends on changes: a stale region would give the power of the other
// design.
TEST(UnconditionalNullTest, KeptRegionFollowsWhatItDependsOn) {
    PowerExactUncTwoPropNull fresh;
    PowerExactUncTwoPropNull reused;
    reused.ExactPower(0.45, 0.05, 40, 60);
    reused.ExactPower(0.6, 0.05, 40, 60);
    EXPECT_EQ(reused.ExactPower(0.5, 0.05, 40, 60), fresh.ExactPower(0.5, 0.05, 40, 60));
    struct Change {
        const char* what;
        void (*apply)(PowerExactUncTwoPropNull&);
    };
    const Change changes[] = {
        {"statistic", [](PowerExactUncTwoPropNull& t) { t.SetStatistic(2); }},
        {"tails", [](PowerExactUncTwoPropNull& t) { t.oneTailed = !t.oneTailed; }},
    };
    for (const Change& change : changes) {
        PowerExactUncTwoPropNull a, b;
        a.ExactPower(0.5, 0.05, 40, 60);
        change.apply(a);
        change.apply(b);
        EXPECT_EQ(a.ExactPower(0.5, 0.05, 40, 60), b.ExactPower(0.5, 0.05, 40, 60)) << change.what;
    }
    PowerExactUncTwoPropNull a, b;
    a.ExactPower(0.5, 0.05, 40, 60);
    EXPECT_EQ(a.ExactPower(0.5, 0.1, 40, 60), b.ExactPower(0.5, 0.1, 40, 60)) << "alpha";
    EXPECT_EQ(a.ExactPower(0.5, 0.1, 41, 60), b.ExactPower(0.5, 0.1, 41, 60)) << "groups";
    // The side of a one-tailed test follows p1.
    a.oneTailed = b.oneTailed = true;
    a.ExactPower(0.5, 0.1, 41, 60);
    EXPECT_EQ(a.ExactPower(0.1, 0.1, 41, 60), b.ExactPower(0.1, 0.1, 41, 60)) << "side";
}

// At N = the exact limit the power is exact; one subject more, or the
// option, gives the large-sample power with the actual alpha = alpha, the
// method text and the plot of the approximation.
TEST(UnconditionalNullTest, ExactLimitAndOptionChooseTheMethod) {
    struct Case {
        const char* n2;
        bool option;
        bool approximate;
    };
    const Case cases[] = {{"50", false, false}, {"51", false, true}, {"50", true, true}};
    for (const Case& c : cases) {
        PowerExactUncTwoPropNull test;
        test.exactLimit = 100.0;
        test.largeSample = c.option;
        const auto run = Calculate(test, kPostHoc, {{"n2", c.n2}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double n2 = std::stod(c.n2);
        PowerExactUncTwoPropNull other;
        other.proportion1 = 0.6;
        const double approximate = other.LargeSamplePower(0.6, 0.05, 50, n2);
        EXPECT_EQ(test.power == approximate, c.approximate) << c.n2;
        EXPECT_EQ(test.actualAlpha == 0.05, c.approximate) << c.n2;
        EXPECT_EQ(test.GetMethodText(),
                  c.approximate ? "large sample approx, z-test pooled" : "z-test pooled");
        EXPECT_EQ(test.HasDistributionPlot(), c.approximate);
        EXPECT_EQ(test.IsContinuous(), c.approximate);
    }
    PowerExactUncTwoPropNull test;
    test.SetStatistic(6);
    test.largeSample = true;
    EXPECT_FALSE(test.HasDistributionPlot());
    EXPECT_EQ(test.GetMethodText(), "large sample approx, t-test");
}

// The approximation draws the z scale: H0 standard normal, H1 normal with
// mean d/sd0 and sd sd1/sd0, split at the normal quantiles.
TEST(UnconditionalNullTest, PlotOfTheApproximationOnTheZScale) {
    struct Case {
        const char* tails;
        const char* diff;
        double critical, critical2;
    };
    const double z1 = 1.6448536269514722, z2 = 1.959963984540054;
    const Case cases[] = {
        {"One", "0.3", z1, z1}, {"One", "-0.2", -z1, -z1}, {"Two", "0.3", z2, -z2}};
    for (const Case& c : cases) {
        PowerExactUncTwoPropNull test;
        test.largeSample = true;
        const auto run = Calculate(test, kPostHoc, {{"tails", c.tails}, {"diff", c.diff}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        EXPECT_TRUE(plot.continuous);
        EXPECT_EQ(plot.side, std::stod(c.diff) > 0 ? 1 : -1) << c.diff;
        EXPECT_NEAR(plot.criticalValue, c.critical, 1e-9) << c.tails << c.diff;
        EXPECT_NEAR(plot.criticalValue2, c.critical2, 1e-9) << c.tails << c.diff;
        ASSERT_FALSE(plot.noncentralCurve.empty());
        const double p1 = 0.3 + std::stod(c.diff), n = 50.0;
        const double pooled = (p1 + 0.3) / 2.0;
        const double sd0 = std::sqrt(2.0 / n * pooled * (1.0 - pooled));
        const double sd1 = std::sqrt((p1 * (1.0 - p1) + 0.21) / n);
        EXPECT_NEAR(test.distribution->GetParam(0), std::stod(c.diff) / sd0, 1e-12);
        EXPECT_NEAR(test.distribution->GetParam(1), sd1 / sd0, 1e-12);
    }
}

TEST(UnconditionalNullTest, EffectMeasuresConvertBothWays) {
    PowerExactUncTwoPropNull test;
    test.proportion2 = 0.3;
    const double p1s[] = {1e-6, 0.12, 0.3, 0.71, 0.999999};
    for (int index = 0; index < 4; ++index) {
        test.effectIndex = index;
        for (double p1 : p1s) {
            EXPECT_NEAR(test.Convert23(test.Convert24(p1)), p1, 1e-14) << index << " " << p1;
        }
    }
    // Choosing another measure keeps p1: the list shows it converted.
    test.proportion1 = 0.45;
    test.SetEffectIndex(2);
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    ASSERT_NE(inputs.Find("Ratio (p1/p2)"), nullptr);
    EXPECT_NEAR(std::stod(inputs.Find("Ratio (p1/p2)")->text), 1.5, 1e-6);
}

// The exact A priori answer reaches the target, and so does no smaller
// total in the window below it that the search scans; no group is ever
// a single subject, even where one subject in each would do.
TEST(UnconditionalNullTest, ExactAPrioriReachesTheTargetWithGroupsOfTwoOrMore) {
    struct Case {
        Texts texts;
    };
    const Case cases[] = {
        {{{"tails", "Two"}}},
        {{{"tails", "One"}, {"diff", "0.69"}, {"p2", "0.3"}, {"alpha", "0.4"}, {"power", "0.5"}}},
        {{{"tails", "One"}, {"diff", "0.6"}, {"r", "5"}, {"alpha", "0.2"}, {"power", "0.6"}}},
    };
    for (const Case& c : cases) {
        PowerExactUncTwoPropNull test;
        const auto run = Calculate(test, kAPriori, c.texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double n1 = run->Value("n1"), n2 = run->Value("n2");
        EXPECT_GE(n1, 2.0);
        EXPECT_GE(n2, 2.0);
        EXPECT_EQ(run->Value("N"), n1 + n2);
        EXPECT_GE(run->Value("actual"), test.power);
        PowerExactUncTwoPropNull check;
        check.oneTailed = test.oneTailed;
        check.proportion2 = test.proportion2;
        EXPECT_EQ(check.ExactPower(test.proportion1, test.alpha, n1, n2), test.actualPower);
    }
}

// Criterion: the smallest alpha, to 1e-7, whose exact power reaches the
// target. Compromise: the ratio shown is the one attained, near q.
TEST(UnconditionalNullTest, CriterionAndCompromiseShowWhatTheyAttain) {
    for (const char* tails : {"One", "Two"}) {
        PowerExactUncTwoPropNull test;
        auto run = Calculate(test, kCriterion, {{"tails", tails}, {"power", "0.8"}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double a = run->Value("alpha");
        PowerExactUncTwoPropNull check;
        check.oneTailed = test.oneTailed;
        EXPECT_GE(check.ExactPower(0.6, a, 50, 50), 0.8) << tails;
        EXPECT_EQ(check.actualPower, test.actualPower) << tails;
        EXPECT_EQ(check.actualAlpha, test.actualAlpha) << tails;
        EXPECT_LT(check.ExactPower(0.6, a - 2e-7, 50, 50), 0.8) << tails;

        for (const char* q : {"0.2", "1", "4"}) {
            run = Calculate(test, kCompromise, {{"tails", tails}, {"q", q}});
            ASSERT_EQ(run->status, kCalculateDone) << run->message;
            const double shownAlpha = run->Value("alpha");
            const double p = check.ExactPower(0.6, shownAlpha, 50, 50);
            EXPECT_EQ(p, test.power) << q;
            EXPECT_EQ(check.actualAlpha, test.actualAlpha) << q;
            EXPECT_EQ(test.actualRatio, (1.0 - p) / check.actualAlpha) << q;
            EXPECT_NEAR(run->Value("beta"), 1.0 - p, 1e-7) << q;
            // The attained ratios move in steps; the one chosen lies within
            // a factor of the next step of q.
            EXPECT_NEAR(std::log(run->Value("actualratio") / std::stod(q)), 0.0, 0.35) << q;
        }
    }
}

// Targets that cannot be met end in a failure, never in an answer at the
// end of a search range: a power beyond what p1 = 1 gives, and alphas that
// never attain a ratio. No effect at all (the large-sample search would
// grow N without end) has no sample size to find: refused on its row.
TEST(UnconditionalNullTest, UnreachableTargetsFail) {
    for (bool large : {false, true}) {
        PowerExactUncTwoPropNull test;
        test.largeSample = large;
        const auto apriori = Calculate(test, kAPriori, {{"diff", "0"}});
        EXPECT_EQ(apriori->status, apriori->Row("diff")) << large;
        EXPECT_EQ(apriori->message,
                  "In an a priori analysis, the proportions p1 and p2\nmust differ by more than "
                  "1e-06.");
        EXPECT_THROW(
            Calculate(test, kSensitivity, {{"power", "0.999999"}, {"n1", "2"}, {"n2", "2"}}),
            QuorixError)
            << large;
        EXPECT_THROW(
            Calculate(test, kSensitivity,
                      {{"dir", "p1$\\le$p2"}, {"power", "0.999999"}, {"n1", "2"}, {"n2", "2"}}),
            QuorixError)
            << large;
    }
    // Two subjects per group at p1 0.6 against 0.3 never reach power 0.99
    // in a two-tailed test, whatever alpha.
    PowerExactUncTwoPropNull test;
    EXPECT_THROW(Calculate(test, kCriterion,
                           {{"tails", "Two"}, {"power", "0.99"}, {"n1", "2"}, {"n2", "2"}}),
                 QuorixError);
    // No alpha attains beta/alpha 0.01 at one subject against two: with
    // two tails equal outcomes are never rejected.
    EXPECT_THROW(
        Calculate(test, kCompromise, {{"tails", "Two"}, {"q", "0.01"}, {"n1", "1"}, {"n2", "2"}}),
        QuorixError);
    // A statistic code without a statistic would reject nothing.
    PowerExactUncTwoPropNull unknown;
    unknown.SetStatistic(7);
    EXPECT_THROW(Calculate(unknown, kPostHoc, {}), QuorixError);
    // A failed Sensitivity search leaves the effect shown before.
    PowerExactUncTwoPropNull fresh;
    EXPECT_THROW(Calculate(fresh, kSensitivity, {{"power", "0.999999"}, {"n1", "2"}, {"n2", "2"}}),
                 QuorixError);
    PropertyList inputs;
    fresh.BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find("Diff (p1-p2)")->text, "0.3");
}

TEST(UnconditionalNullTest, RefusedInputsNameTheirRow) {
    using Case = exact_test::Refusal;
    const char* kRange = "the admissible range (1e-06, 1-1e-06).";
    const Case cases[] = {
        {kPostHoc,
         {{"p2", "0"}},
         "p2",
         "Proportion p2 is outside the admissible range (1e-06, 1-1e-06)."},
        {kPostHoc,
         {{"p2", "1"}, {"n1", "0"}},
         "p2",
         "Proportion p2 is outside the admissible range (1e-06, 1-1e-06)."},
        {kPostHoc,
         {{"diff", "0.7"}},
         "diff",
         "Effect size specification (0.7) leads to a proportion p1 = 1\nthat falls outside "},
        {kPostHoc,
         {{"index", "2"}, {"rr", "3.5"}},
         "rr",
         "Effect size specification (3.5) leads to a proportion p1 = 1.05\nthat falls outside "},
        {kAPriori,
         {{"index", "2"}, {"rr", "0"}, {"r", "0.001"}},
         "r",
         "The allocation ratio falls outside\nthe admissible range (0.01, 100)."},
        {kPostHoc,
         {{"index", "0"}, {"p1", "1"}},
         "p1",
         "Proportion p1 is outside the admissible range (1e-06, 1-1e-06)."},
        {kCriterion,
         {{"n1", "0"}, {"power", "2"}, {"diff", "5"}},
         "n1",
         "Sample size must be greater than or equal to 1."},
        {kSensitivity,
         {{"n1", "1"}, {"n2", "1"}},
         "n1",
         "Total sample size is outside the admissible range (3, 2147483647)"},
        {kCompromise, {{"q", "200"}}, "q", nullptr},
    };
    for (const Case& c : cases) {
        PowerExactUncTwoPropNull test;
        const auto run = Calculate(test, c.type, c.texts);
        const std::string context = calc_test::Describe(c.type, c.texts);
        EXPECT_EQ(run->status, run->Row(c.row)) << context;
        if (c.message == nullptr) continue;
        std::string expected = c.message;
        if (expected.back() == ' ') expected += kRange;
        EXPECT_EQ(run->message, expected) << context;
    }
    // The ends of the range of p2 are taken.
    for (const char* p2 : {"1e-6", "0.999999"}) {
        PowerExactUncTwoPropNull test;
        const auto run = Calculate(test, kPostHoc, {{"index", "0"}, {"p1", "0.5"}, {"p2", p2}});
        EXPECT_EQ(run->status, kCalculateDone) << p2 << " " << run->message;
    }
}

TEST(UnconditionalNullTest, ListsStandardValuesAndClone) {
    using Case = exact_test::ListKeys;
    const Case cases[] = {
        {kAPriori,
         {"tails", "diff", "p2", "alpha", "power", "r"},
         {"n1", "n2", "N", "actualalpha", "actual"}},
        {kSensitivity,
         {"tails", "dir", "p2", "alpha", "power", "n1", "n2"},
         {"diff", "actualalpha", "actual"}},
        {kPostHoc, {"tails", "diff", "p2", "alpha", "n1", "n2"}, {"power", "actualalpha"}},
        {kCriterion,
         {"tails", "diff", "p2", "power", "n1", "n2"},
         {"alpha", "actual", "actualalpha"}},
        {kCompromise,
         {"tails", "diff", "p2", "q", "n1", "n2"},
         {"alpha", "actualalpha", "beta", "power", "actualratio"}},
    };
    kForm.ExpectLists(cases);
    PowerExactUncTwoPropNull test;
    calc_test::ExpectEffectInput(test, kPostHoc, "Diff (p1-p2)", 607, "");
    PropertyList inputs;
    test.BuildInputList(kSensitivity, &inputs);
    const auto* direction = dynamic_cast<const PropertySelection*>(inputs.Find("Effect direction"));
    ASSERT_NE(direction, nullptr);
    EXPECT_EQ(direction->options, (std::vector<std::string>{"p1$\\le$p2", "p1$\\ge$p2"}));
    EXPECT_EQ(test.proportion1, 0.6);
    EXPECT_EQ(test.proportion2, 0.3);
    EXPECT_NEAR(test.effectSize, 0.3, 1e-15);
    EXPECT_EQ(test.GetTestName(),
              "Proportions: Inequality, two independent groups (unconditional) ");

    const char* names[] = {"Proportion p1", "Diff (p1-p2)", "Ratio (p1/p2)", "Odds ratio"};
    for (int index = 0; index < 4; ++index) {
        test.SetEffectIndex(index);
        EXPECT_EQ(std::string(ParameterNames[test.GetEffectSizeId()]), names[index]);
    }
    test.SetStatistic(5);
    test.largeSample = true;
    test.exactLimit = 500.0;
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    auto* copy = dynamic_cast<PowerExactUncTwoPropNull*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->statistic, 5);
    EXPECT_EQ(copy->referenceDistribution, 2);
    EXPECT_EQ(copy->effectIndex, 3);
    EXPECT_TRUE(copy->largeSample);
    EXPECT_EQ(copy->exactLimit, 500.0);
    EXPECT_EQ(copy->maxSampleSize, 1000000.0);
}

// Outcomes with equal sample proportions give 0 for every statistic; the
// unpooled z of the two most extreme outcomes (no spread in either group)
// lies beyond every critical value, on the side of its difference.
TEST(UnconditionalNullTest, StatisticsAtTheEdgesOfTheSampleSpace) {
    PowerExactUncTwoPropNull test;
    for (int code = 0; code <= 6; ++code) {
        for (int s = 0; s <= 2; ++s) {
            EXPECT_EQ(test.StatisticValue(code, 4, 2, 20, 10, 0.0, s), 0.0) << code;
            EXPECT_EQ(test.StatisticValue(code, 0, 0, 20, 10, 0.0, s), 0.0) << code;
        }
    }
    for (int code : {2, 3, 6}) {
        EXPECT_GE(test.StatisticValue(code, 0, 10, 20, 10, 0.0, 2), 1e30) << code;
        EXPECT_LE(test.StatisticValue(code, 20, 0, 20, 10, 0.0, 2), -1e30) << code;
    }
    // The pooled z of 30 of 50 against 20 of 50 is
    // (0.6 - 0.4)/sqrt(0.04 * 0.25) = 2.
    EXPECT_NEAR(test.StatisticValue(0, 20, 30, 50, 50, 0.0, 2), 2.0, 1e-14);
}

// Compromise where the ratio is met far below 1e-16: beta summed over the
// accepted outcomes and the size over the rejected ones, against the sums
// over every outcome (and the normal tails of the approximation) in mpmath.
// A power far below 1e-6 keeps its digits: it is summed over the rejected
// outcomes, not taken as 1 less the accepted mass.
TEST(UnconditionalNullTest, SmallPowersKeepTheirDigits) {
    kForm.ExpectReferenceTable("verification/small_tails/uncond_small_power_reference.tsv", 607, 3);
}

TEST(UnconditionalNullTest, CompromiseMeetsTheRatioFarBelow1e16) {
    kForm.ExpectReferenceTable("verification/small_tails/uncond_compromise_reference.tsv", 607, 5);
}

// Criterion where alpha 1e-99 already rejects outcomes holding 97 % of the
// power (verification/exact_edges, every outcome of 300 + 300): there is no
// alpha to show, where the halving used to go on toward 0.
TEST(UnconditionalNullTest, CriterionBelowTheFloorHasNoAlpha) {
    kForm.ExpectReferenceTable("verification/exact_edges/criterion_floor.tsv", 607, 1);
}

}  // namespace
