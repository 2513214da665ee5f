// The unconditional exact test of two independent proportions with an
// offset: H0 states a difference, a risk ratio or an odds ratio.

#include "power/exact/power_exact_uncond_offset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/parameter_names.h"
#include "distributions/normal.h"
#include "distributions/t.h"
#include "numerics/quorix_error.h"
#include "numerics/saddle_point.h"
#include "power/exact/exact_reference_fixture.h"

namespace {

using calc_test::Texts;
using exact_test::Run;

constexpr const char* kTable = "verification/unconditional/offset_cases.tsv";
constexpr const char* kScores = "verification/unconditional/offset_scores.tsv";
constexpr const char* kEnumeration = "verification/unconditional/enumeration_cases.tsv";

// The H1 and H0 values of the four effect measures; the options choose the
// measure (before the statistic, which the measure may reset), the
// statistic, and the large-sample power.
const exact_test::Form<PowerExactUncTwoPropOffset> kForm(
    {
        {"p1h1", "Prop. p1|H1"},
        {"p1h0", "Prop. p1|H0"},
        {"diffh1", "(p1-p2)|H1"},
        {"diffh0", "(p1-p2)|H0"},
        {"rrh1", "(p1/p2)|H1"},
        {"rrh0", "(p1/p2)|H0"},
        {"orh1", "Odds ratio|H1"},
        {"orh0", "Odds ratio|H0"},
    },
    {
        {"index", &PowerExactUncTwoPropOffset::SelectEffectIndex},
        {"stat", &PowerExactUncTwoPropOffset::SetStatistic},
        {"large", &PowerExactUncTwoPropOffset::largeSample},
    });

std::unique_ptr<Run> Calculate(PowerExactUncTwoPropOffset& test, AnalysisType type,
                               const Texts& texts) {
    return kForm.Calculate(test, type, texts);
}

// Exact power and size by enumerating every outcome, with restricted
// estimates found by optimisation, and the large-sample powers, of every
// statistic the measures offer; Sensitivity answers of the exact search.
TEST(UnconditionalOffsetTest, ReproducesTheReferenceTable) {
    kForm.ExpectReferenceTable(kTable, 608, 80);
}

// Small and unequal groups, where outcomes without spread carry mass and
// the statistic need not grow with x1 over the whole row: every statistic
// and measure, random designs, and A priori answers, each against the sum
// over every outcome the statistic rejects.
TEST(UnconditionalOffsetTest, AgreesWithTheEnumerationOfSmallGroups) {
    kForm.ExpectReferenceTable(kEnumeration, 608, 180);
}

// The score statistics of single outcomes and their restricted estimates,
// against estimates found by maximising the likelihood numerically.
TEST(UnconditionalOffsetTest, ScoreStatisticsMatchTheOptimisedEstimates) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/" + kScores);
    ASSERT_TRUE(in) << kScores;
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream row(line);
        int code;
        double x1, n1, x2, n2, p2, delta, t1, t2, z;
        row >> code >> x1 >> n1 >> x2 >> n2 >> p2 >> delta >> t1 >> t2 >> z;
        PowerExactUncTwoPropOffset test;
        test.proportion2 = p2;
        test.nullDifference = delta;
        double e1 = NAN, e2 = NAN;
        if (code <= 9) {
            test.DifferenceEstimates(x1, n1, x2, n2, &e1, &e2);
        } else if (code <= 12) {
            test.RatioEstimates(x1, n1, x2, n2, &e1, &e2);
        } else {
            test.OddsRatioEstimates(x1, n1, x2, n2, &e1, &e2);
        }
        EXPECT_NEAR(e1, t1, 1e-12) << line;
        EXPECT_NEAR(e2, t2, 1e-12) << line;
        for (int side = 0; side <= 2; ++side) {
            EXPECT_NEAR(test.StatisticValue(code, x2, x1, n2, n1, 0.0, side), z,
                        1e-10 * std::fabs(z))
                << line;
        }
        ++rows;
    }
    EXPECT_GE(rows, 19);
}

// A measure at its H0 value is where the odds-ratio estimate's quadratic
// loses its leading term and the skewness correction its divisor: the
// statistics there are their limits, the pooled z and the uncorrected z.
TEST(UnconditionalOffsetTest, StatisticsAtTheirLimitsHaveNoZeroDivisors) {
    PowerExactUncTwoPropOffset test;
    test.proportion2 = 0.4;
    test.nullDifference = 0.0;
    for (double x1 : {0.0, 1.0, 13.0, 30.0}) {
        for (double x2 : {0.0, 7.0, 20.0}) {
            const double s = x1 + x2;
            const double pooled = test.StatisticValue(0, x2, x1, 20.0, 30.0, 0.0, 2);
            for (int code : {7, 13}) {
                const double v = test.StatisticValue(code, x2, x1, 20.0, 30.0, 0.0, 2);
                EXPECT_FALSE(std::isnan(v)) << code << " " << x1 << " " << x2;
                if (s > 0 && s < 50) {
                    EXPECT_NEAR(v, pooled, 1e-12 * std::max(1.0, std::fabs(pooled)))
                        << code << " " << x1 << " " << x2;
                }
            }
        }
    }
    // Skewness 0 (equal groups, estimates of 1/2): Gart-Nam is the
    // Farrington-Manning z.
    test.proportion2 = 0.5;
    test.nullDifference = 0.0;
    EXPECT_NEAR(test.StatisticValue(9, 20, 30, 50, 50, 0.0, 2),
                test.StatisticValue(7, 20, 30, 50, 50, 0.0, 2), 1e-12);
    // The unpooled z of outcomes without spread in either group.
    test.nullDifference = 0.1;
    EXPECT_EQ(test.StatisticValue(2, 0, 0, 20, 30, 0.0, 2), -1e30);
    EXPECT_EQ(test.StatisticValue(2, 20, 0, 20, 30, 0.0, 2), -1e30);
    EXPECT_EQ(test.StatisticValue(2, 0, 30, 20, 30, 0.0, 2), 1e30);
}

// The walks find the rejected outcomes of each statistic: the same sums as
// over every outcome, with the statistic's own values.
TEST(UnconditionalOffsetTest, WalksAgreeWithTheSumOverEveryOutcome) {
    struct Case {
        int index;
        std::vector<int> codes;
        double p1, p0, p2;
        int n1, n2;
    };
    const Case cases[] = {
        {1, {0, 1, 2, 3, 6, 7, 8, 9}, 0.3, 0.45, 0.4, 40, 35},
        {1, {1, 3, 7, 9}, 0.8, 0.6, 0.55, 23, 61},
        {2, {10, 11, 12}, 0.75, 0.6, 0.5, 45, 50},
        {3, {13, 14}, 0.3, 0.4, 0.5, 30, 30},
    };
    for (const Case& c : cases) {
        for (int code : c.codes) {
            for (bool oneTailed : {true, false}) {
                PowerExactUncTwoPropOffset test;
                test.effectIndex = c.index;
                test.SetStatistic(code);
                test.oneTailed = oneTailed;
                test.proportion2 = c.p2;
                test.nullDifference = c.p0 - c.p2;
                const double power = test.ExactPower(c.p1, 0.05, c.n1, c.n2);
                const double size = test.actualAlpha;
                const int side = !oneTailed ? 2 : (c.p1 <= c.p0 ? 1 : 0);
                const double tail = 0.05 / (side == 2 ? 2 : 1);
                double crit = -NormalDistribution().Quantile(tail);
                if (code == 6) crit = -TDistribution(c.n1 + c.n2 - 2.0, 0.0).Quantile(tail);
                double sum1 = 0.0, sum0 = 0.0;
                for (int x2 = 0; x2 <= c.n2; ++x2) {
                    for (int x1 = 0; x1 <= c.n1; ++x1) {
                        const double v = test.StatisticValue(code, x2, x1, c.n2, c.n1, 0.0, side);
                        const bool reject = (side != 1 && v > crit) || (side != 0 && v < -crit);
                        if (!reject) continue;
                        const double m2 = dbinom(x2, c.n2, c.p2, 0);
                        sum1 += dbinom(x1, c.n1, c.p1, 0) * m2;
                        sum0 += dbinom(x1, c.n1, c.p0, 0) * m2;
                    }
                }
                EXPECT_NEAR(power, sum1, 1e-13) << code << " index " << c.index;
                EXPECT_NEAR(size, sum0, 1e-13) << code << " index " << c.index;
            }
        }
    }
}

// The critical value of the exact test for the side tested.
double CriticalValue(int code, double alpha, int side, int n) {
    const double tail = alpha / (side == 2 ? 2 : 1);
    if (code == 6) return -TDistribution(n - 2.0, 0.0).Quantile(tail);
    return -NormalDistribution().Quantile(tail);
}

// Every row for which the test claims an interval of accepted x1, scanned
// over every x1: the accepted ones are one run, from x1 = 0 when only the
// upper tail is tested and up to n1 when only the lower one is. Offsets of
// both signs, a one-tailed alpha above 1/2 (a critical value below 0) and
// tiny groups are where a statistic turns back or a variance vanishes.
TEST(UnconditionalOffsetTest, ClaimedIntervalsHoldOverEveryX1) {
    const std::pair<int, int> groups[] = {{1, 2}, {3, 7}, {10, 4}, {25, 25}, {40, 9}};
    int claimed = 0, refused = 0, broken = 0;
    for (int code : {0, 1, 2, 3, 6}) {
        for (double delta : {-0.7, -0.3, -0.05, 0.0, 0.05, 0.3, 0.7}) {
            for (double alpha : {0.01, 0.05, 0.3, 0.7}) {
                for (int side = 0; side <= 2; ++side) {
                    for (const auto& [n1, n2] : groups) {
                        PowerExactUncTwoPropOffset test;
                        test.SetStatistic(code);
                        test.nullDifference = delta;
                        const double c = CriticalValue(code, alpha, side, n1 + n2);
                        for (int x2 = 0; x2 <= n2; ++x2) {
                            std::vector<int> kept;
                            for (int x1 = 0; x1 <= n1; ++x1) {
                                const double v =
                                    test.StatisticValue(code, x2, x1, n2, n1, 0.0, side);
                                if ((side == 1 || v <= c) && (side == 0 || v >= -c)) {
                                    kept.push_back(x1);
                                }
                            }
                            const bool run = kept.empty() || (kept.back() - kept.front() + 1 ==
                                                                  static_cast<int>(kept.size()) &&
                                                              (side != 0 || kept.front() == 0) &&
                                                              (side != 1 || kept.back() == n1));
                            if (!test.AcceptsAnInterval(x2, n1, n2, side, c)) {
                                ++refused;
                                broken += run ? 0 : 1;
                                continue;
                            }
                            ++claimed;
                            EXPECT_TRUE(run)
                                << "code " << code << " delta " << delta << " alpha " << alpha
                                << " side " << side << " n " << n1 << "+" << n2 << " x2 " << x2;
                        }
                    }
                }
            }
        }
    }
    // Both kinds of row occur, and rows without an interval do exist.
    EXPECT_GT(claimed, 3000);
    EXPECT_GT(refused, 1000);
    EXPECT_GT(broken, 10);
}

// The bounds the score statistics of the difference claim over a span of
// x1, checked outcome by outcome against the value as computed: every
// value lies between d near and d far (d the difference less the offset)
// with a margin far inside the one the sums leave. Spans of the whole row
// and of a few standard deviations, offsets of both signs up to the edges
// where the restricted estimates reach 0 or 1, tiny and unequal groups.
// The skewness-corrected score statistics bound their z the same way and
// their skewness g between two values, each checked against z and g from
// their definitions at the restricted estimates. The statistics of the
// ratio and the odds ratio also at p2 near either end, which takes their
// H0 values far from 1.
TEST(UnconditionalOffsetTest, ClaimedBoundsHoldOverEveryX1) {
    const std::pair<int, int> groups[] = {{2, 3}, {9, 4}, {30, 30}, {200, 150}, {1000, 1000}};
    int claimed = 0, refused = 0;
    std::map<int, int> claimedOf;
    // (p2, offset) pairs: p2 0.5 for all, 0.04 and 0.97 for the ratio and
    // the odds ratio.
    auto designs = [](int code) {
        std::vector<std::pair<double, double>> pairs;
        for (double p2 : {0.5, 0.04, 0.97}) {
            if (code < 10 && p2 != 0.5) continue;
            for (double delta : {-0.9, -0.4, -0.05, 0.0, 0.02, 0.3, 0.85}) {
                pairs.emplace_back(p2, delta);
            }
        }
        return pairs;
    };
    for (int code : {2, 6, 7, 8, 9, 10, 11, 12, 13, 14}) {
        for (const auto& [p2, delta] : designs(code)) {
            for (const auto& [n1, n2] : groups) {
                PowerExactUncTwoPropOffset test;
                test.SetStatistic(code);
                test.proportion2 = p2;
                test.nullDifference = delta;
                const double p0 = test.proportion2 + delta;
                if (!(0.0 < p0 && p0 < 1.0)) continue;
                const int step = std::max(1, n2 / 60);
                for (int x2 = 0; x2 <= n2; x2 += step) {
                    for (const auto& [lo, hi] : {std::pair{0, n1}, std::pair{n1 / 3, n1 / 2},
                                                 std::pair{n1 / 2, n1 / 2 + n1 / 10}}) {
                        double nearScale = 0.0, farScale = 0.0;
                        if (!test.BoundsOverRow(x2, lo, hi, n1, n2, &nearScale, &farScale)) {
                            ++refused;
                            continue;
                        }
                        ++claimed;
                        ++claimedOf[code];
                        ASSERT_TRUE(0.0 < nearScale && nearScale <= farScale);
                        double gLo = 0.0, gHi = 0.0;
                        if (!test.SkewOverRow(x2, lo, hi, n1, n2, &gLo, &gHi)) {
                            // Only a skewness that may grow without bound.
                            EXPECT_EQ(code, 12);
                            ++refused;
                            continue;
                        }
                        if (code != 9 && code != 12) {
                            EXPECT_TRUE(gLo == 0.0 && gHi == 0.0);
                        }
                        for (int x1 = lo; x1 <= hi; ++x1) {
                            double v = test.StatisticValue(code, x2, x1, n2, n1, 0.0, 2);
                            if (code == 12) {
                                double t1 = 0.0, t2 = 0.0;
                                test.RatioEstimates(x1, n1, x2, n2, &t1, &t2);
                                const double k =
                                    (1.0 - 2.0 * t1) * (1.0 - t1) / (double(n1) * n1 * t1 * t1) -
                                    (1.0 - 2.0 * t2) * (1.0 - t2) / (double(n2) * n2 * t2 * t2);
                                const double w = (1.0 - t1) / (n1 * t1) + (1.0 - t2) / (n2 * t2);
                                const double g = k / (6.0 * std::pow(w, 1.5));
                                const double gSlack = 1e-9 * (std::fabs(gLo) + std::fabs(gHi));
                                EXPECT_GE(g, gLo - gSlack) << "n " << n1 << "+" << n2 << " x " << x1
                                                           << "," << x2 << " delta " << delta;
                                EXPECT_LE(g, gHi + gSlack) << "n " << n1 << "+" << n2 << " x " << x1
                                                           << "," << x2 << " delta " << delta;
                                v = test.StatisticValue(10, x2, x1, n2, n1, 0.0, 2);
                            }
                            if (code == 9) {
                                double t1 = 0.0, t2 = 0.0;
                                test.DifferenceEstimates(x1, n1, x2, n2, &t1, &t2);
                                const double var = t1 * (1.0 - t1) / n1 + t2 * (1.0 - t2) / n2;
                                const double g =
                                    (t1 * (1.0 - t1) * (1.0 - 2.0 * t1) / (n1 * n1) -
                                     t2 * (1.0 - t2) * (1.0 - 2.0 * t2) / (double(n2) * n2)) /
                                    (6.0 * std::pow(var, 1.5));
                                const double gSlack = 1e-9 * (std::fabs(gLo) + std::fabs(gHi));
                                EXPECT_GE(g, gLo - gSlack) << "n " << n1 << "+" << n2 << " x " << x1
                                                           << "," << x2 << " delta " << delta;
                                EXPECT_LE(g, gHi + gSlack) << "n " << n1 << "+" << n2 << " x " << x1
                                                           << "," << x2 << " delta " << delta;
                                // The bounds on z: the uncorrected statistic.
                                v = test.StatisticValue(7, x2, x1, n2, n1, 0.0, 2);
                            }
                            const double d = test.RowDifference(x2, x1, n1, n2);
                            const double a = d * nearScale, b = d * farScale;
                            const double slack = 1e-9 * std::fabs(b) + 1e-12;
                            EXPECT_GE(v, std::min(a, b) - slack)
                                << "code " << code << " delta " << delta << " n " << n1 << "+" << n2
                                << " x " << x1 << "," << x2;
                            EXPECT_LE(v, std::max(a, b) + slack)
                                << "code " << code << " delta " << delta << " n " << n1 << "+" << n2
                                << " x " << x1 << "," << x2;
                        }
                    }
                }
            }
        }
    }
    // The bounds hold for most spans; those where the variance may vanish
    // are refused.
    EXPECT_GT(claimed, 1000);
    EXPECT_GT(refused, 10);
    for (int code : {2, 6, 7, 8, 9, 10, 11, 12, 13, 14}) EXPECT_GT(claimedOf[code], 300) << code;
    // The other statistics claim none.
    PowerExactUncTwoPropOffset other;
    other.SetStatistic(0);
    double nearScale = 0.0, farScale = 0.0;
    EXPECT_FALSE(other.BoundsOverRow(5, 0, 10, 10, 10, &nearScale, &farScale));
}

// The walks with their mix of bisected and scanned rows give the sums over
// every outcome, for every statistic, at small and unequal groups with
// offsets of both signs.
TEST(UnconditionalOffsetTest, SmallGroupsAgreeWithTheSumOverEveryOutcome) {
    struct Case {
        int index;
        double p1, p0, p2, alpha;
        int n1, n2;
    };
    const Case cases[] = {
        {0, 0.823, 0.927, 0.893, 0.05, 5, 5}, {0, 0.821, 0.137, 0.308, 0.0171, 4, 4},
        {1, 0.9, 0.2, 0.5, 0.1, 2, 9},        {1, 0.1, 0.7, 0.45, 0.6, 8, 3},
        {2, 0.7, 0.3, 0.5, 0.05, 6, 6},       {3, 0.2, 0.6, 0.4, 0.2, 3, 12},
    };
    for (const Case& c : cases) {
        for (int code : PowerExactUncTwoPropOffset::OfferedStatistics(c.index)) {
            for (bool oneTailed : {true, false}) {
                PowerExactUncTwoPropOffset test;
                test.effectIndex = c.index;
                test.SetStatistic(code);
                test.oneTailed = oneTailed;
                test.proportion2 = c.p2;
                test.nullDifference = c.p0 - c.p2;
                const double power = test.ExactPower(c.p1, c.alpha, c.n1, c.n2);
                const double size = test.actualAlpha;
                const int side = !oneTailed ? 2 : (c.p1 <= c.p0 ? 1 : 0);
                const double crit = CriticalValue(code, c.alpha, side, c.n1 + c.n2);
                double sum1 = 0.0, sum0 = 0.0;
                for (int x2 = 0; x2 <= c.n2; ++x2) {
                    for (int x1 = 0; x1 <= c.n1; ++x1) {
                        const double v = test.StatisticValue(code, x2, x1, c.n2, c.n1, 0.0, side);
                        if (!((side != 1 && v > crit) || (side != 0 && v < -crit))) continue;
                        const double m2 = dbinom(x2, c.n2, c.p2, 0);
                        sum1 += dbinom(x1, c.n1, c.p1, 0) * m2;
                        sum0 += dbinom(x1, c.n1, test.proportion2 + test.nullDifference, 0) * m2;
                    }
                }
                EXPECT_NEAR(power, sum1, 1e-13) << code << " p1 " << c.p1 << " tails " << oneTailed;
                EXPECT_NEAR(size, sum0, 1e-13) << code << " p1 " << c.p1 << " tails " << oneTailed;
            }
        }
    }
}

// A size far below 1e-6 keeps its seven digits in every analysis that
// shows it, not only in the Compromise: 1 minus the accepted mass would
// round it by some 1e-16. Against the rejected outcomes summed over every
// outcome, with rows bisected (pooled z) and rows judged one by one (score
// statistic), and a Criterion whose search sorts its rows.
TEST(UnconditionalOffsetTest, SmallSizesKeepTheirDigitsInEveryAnalysis) {
    struct Case {
        AnalysisType type;
        const char* stat;
        const char* tails;
        const char* alphaOrPower;
    };
    const Case cases[] = {
        {kPostHoc, "0", "Two", "1e-7"},  {kPostHoc, "7", "One", "1e-7"},
        {kCriterion, "0", "Two", "0.9"}, {kCriterion, "7", "One", "0.95"},
        {kCriterion, "9", "Two", "0.5"},
    };
    for (const Case& c : cases) {
        Texts texts = {{"index", "0"},   {"stat", c.stat}, {"tails", c.tails}, {"p1h1", "0.95"},
                       {"p1h0", "0.45"}, {"p2", "0.4"},    {"n1", "120"},      {"n2", "100"}};
        texts[c.type == kPostHoc ? "alpha" : "power"] = c.alphaOrPower;
        PowerExactUncTwoPropOffset test;
        const auto run = Calculate(test, c.type, texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const int code = test.statistic, n1 = 120, n2 = 100;
        const int side = test.oneTailed ? 0 : 2;
        const double crit = CriticalValue(code, test.alpha, side, n1 + n2);
        double size = 0.0;
        for (int x2 = 0; x2 <= n2; ++x2) {
            for (int x1 = 0; x1 <= n1; ++x1) {
                const double v = test.StatisticValue(code, x2, x1, n2, n1, 0.0, side);
                if (!((side != 1 && v > crit) || (side != 0 && v < -crit))) continue;
                size += dbinom(x1, n1, 0.45, 0) * dbinom(x2, n2, 0.4, 0);
            }
        }
        const std::string context = std::string(c.stat) + " " + c.tails + " " + c.alphaOrPower;
        EXPECT_LT(size, 1e-6) << context;
        EXPECT_NEAR(test.actualAlpha, size, 1e-9 * size) << context;
        EXPECT_NEAR(run->Value("actualalpha"), size, calc_test::DisplayTolerance(size)) << context;
    }
}

// The risk-ratio and odds-ratio statistics depend on p2 besides the offset:
// H0 ratios 1.2 at p2 0.5 and 1.25 at p2 0.4 give the same offset, and the
// second design must not be computed in the region of the first.
TEST(UnconditionalOffsetTest, KeptRegionFollowsP2) {
    const Texts first = {{"index", "2"},  {"stat", "10"}, {"p2", "0.5"}, {"rrh0", "1.2"},
                         {"rrh1", "1.6"}, {"n1", "30"},   {"n2", "30"}};
    Texts second = first;
    second["p2"] = "0.4";
    second["rrh0"] = "1.25";
    PowerExactUncTwoPropOffset reused, fresh;
    Calculate(reused, kPostHoc, first);
    const double delta = reused.nullDifference;
    const auto again = Calculate(reused, kPostHoc, second);
    ASSERT_EQ(reused.nullDifference, delta);
    const auto alone = Calculate(fresh, kPostHoc, second);
    EXPECT_EQ(again->Value("power"), alone->Value("power"));
    EXPECT_EQ(again->Value("actualalpha"), alone->Value("actualalpha"));
}

TEST(UnconditionalOffsetTest, MeasuresOffsetsAndTheirStatistics) {
    // A risk ratio of 1.2 under H0 with p2 0.5 is the offset 0.1 (p1|H0
    // 0.6), and the list shows 1.2 again.
    PowerExactUncTwoPropOffset test;
    const auto run = Calculate(test, kPostHoc, {{"index", "2"}, {"rrh0", "1.2"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_NEAR(test.nullDifference, 0.1, 1e-15);
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find("(p1/p2)|H0")->text, "1.2");
    for (int index = 0; index < 4; ++index) {
        test.effectIndex = index;
        EXPECT_NEAR(test.H0EffectFromOffset(test.SetOffsetFromH0Effect(0.7)), 0.7, 1e-14) << index;
    }
    // Another measure keeps the offset and shows it in the new measure;
    // the statistic follows the measure's list.
    PowerExactUncTwoPropOffset other;
    other.SelectEffectIndex(3);
    EXPECT_EQ(other.statistic, 13);
    other.SetStatistic(14);
    other.SelectEffectIndex(3);
    EXPECT_EQ(other.statistic, 14);
    other.SelectEffectIndex(1);
    EXPECT_EQ(other.statistic, 0);
    other.SetStatistic(9);
    other.SelectEffectIndex(0);
    EXPECT_EQ(other.statistic, 9);
    other.SelectEffectIndex(2);
    EXPECT_EQ(other.statistic, 12);
    PropertyList shown;
    other.BuildInputList(kPostHoc, &shown);
    EXPECT_EQ(shown.Find("(p1/p2)|H0")->text, "1.1");
    EXPECT_EQ(shown.Find("(p1/p2)|H1")->text, "1.3");
    EXPECT_EQ(other.GetMethodText(), "risk ratio, L score: Gart & Nam");

    // Mantel-Haenszel and the likelihood ratio test equality only: this
    // test refuses them instead of computing a power of 0.
    for (int code : {4, 5}) {
        PowerExactUncTwoPropOffset refused;
        refused.SetStatistic(code);
        EXPECT_THROW(Calculate(refused, kPostHoc, {}), QuorixError) << code;
        EXPECT_EQ(refused.GetMethodText(), "proportion") << code;
    }
}

// The A priori scan decides each total from part of its sums where that
// settles whether the power reaches the target, and asks the groups of two
// totals once. Its answer must still be the first split of the scan that
// reaches the target: the shown groups reach it and the split just below
// (n1 - 1 with n2 = r (n1 - 1), for r 1 and 2) misses it, each by the full
// exact power of a new object.
TEST(UnconditionalOffsetTest, APrioriAnswerIsTheFirstSplitThatReaches) {
    struct Case {
        const char* index;
        const char* stat;
        Texts texts;
    };
    const Case cases[] = {
        {"0", "0", {{"tails", "Two"}, {"p1h1", "0.67"}, {"power", "0.8"}}},
        {"1", "7", {{"tails", "Two"}, {"diffh1", "0.17"}, {"power", "0.8"}, {"r", "2"}}},
        {"0", "9", {{"tails", "One"}, {"p1h1", "0.4"}, {"power", "0.9"}, {"alpha", "0.01"}}},
        {"2", "10", {{"tails", "Two"}, {"rrh1", "1.45"}, {"power", "0.7"}}},
        {"2", "12", {{"tails", "One"}, {"rrh1", "0.85"}, {"power", "0.8"}, {"r", "2"}}},
        {"3", "13", {{"tails", "Two"}, {"orh1", "2.6"}, {"power", "0.85"}}},
    };
    for (const Case& c : cases) {
        Texts texts = c.texts;
        texts["index"] = c.index;
        texts["stat"] = c.stat;
        PowerExactUncTwoPropOffset test;
        const auto run = Calculate(test, kAPriori, texts);
        ASSERT_EQ(run->status, kCalculateDone) << c.stat << ' ' << run->message;
        const double n1 = run->Value("n1"), n2 = run->Value("n2");
        const double r = n2 / n1;
        ASSERT_TRUE(r == 1.0 || r == 2.0) << c.stat;
        EXPECT_GT(n1 + n2, 150.0) << c.stat;
        auto exactPower = [&](double a, double b) {
            PowerExactUncTwoPropOffset check;
            check.SelectEffectIndex(test.effectIndex);
            check.SetStatistic(test.statistic);
            check.oneTailed = test.oneTailed;
            check.proportion2 = test.proportion2;
            check.nullDifference = test.nullDifference;
            return check.ExactPower(test.proportion1, test.alpha, a, b);
        };
        EXPECT_EQ(exactPower(n1, n2), test.actualPower) << c.stat;
        EXPECT_GE(test.actualPower, test.power) << c.stat;
        EXPECT_LT(exactPower(n1 - 1.0, r * (n1 - 1.0)), test.power) << c.stat;
    }
}

TEST(UnconditionalOffsetTest, UnreachableTargetsFail) {
    for (bool large : {false, true}) {
        PowerExactUncTwoPropOffset test;
        test.largeSample = large;
        // Equal H1 and H0 values: the power is alpha at every N.
        EXPECT_THROW(Calculate(test, kAPriori, {{"p1h1", "0.55"}}), QuorixError) << large;
        EXPECT_THROW(
            Calculate(test, kSensitivity,
                      {{"dir", "p|H1$\\ge$p|H0"}, {"power", "0.999999"}, {"n1", "2"}, {"n2", "2"}}),
            QuorixError)
            << large;
    }
}

TEST(UnconditionalOffsetTest, RefusedInputsNameTheirRow) {
    using Case = exact_test::Refusal;
    const Case cases[] = {
        {kPostHoc,
         {{"p2", "0"}, {"p1h0", "2"}},
         "p2",
         "Proportion p2 is outside the admissible range (1e-06, 1-1e-06)."},
        // The H0 value is checked before anything of the analysis type.
        {kCriterion,
         {{"p1h0", "1"}, {"n1", "0"}},
         "p1h0",
         "Proportion p1 is outside the admissible range (1e-06, 1-1e-06)."},
        {kPostHoc,
         {{"index", "2"}, {"rrh1", "2.5"}},
         "rrh1",
         "Effect size specification (2.5) leads to a proportion p1 = 1.25\nthat falls outside "
         "the admissible range (1e-06, 1-1e-06)."},
        {kPostHoc,
         {{"index", "2"}, {"rrh0", "2"}},
         "rrh0",
         "Effect size specification (2) leads to a proportion p1 = 1\nthat falls outside "
         "the admissible range (1e-06, 1-1e-06)."},
        {kAPriori,
         {{"index", "3"}, {"orh1", "0"}, {"r", "0"}},
         "orh1",
         "Effect size (odds ratio) falls outside\nthe admissible range (1e-06, 1e+06)."},
        {kCriterion,
         {{"n1", "0"}, {"power", "2"}},
         "n1",
         "Sample size must be greater than or equal to 1."},
        {kCriterion, {{"power", "2"}}, "power", nullptr},
        {kSensitivity,
         {{"n1", "1"}, {"n2", "1"}},
         "n1",
         "Total sample size is outside the admissible range (3, 2147483647)"},
    };
    kForm.ExpectRefusals(cases);
}

TEST(UnconditionalOffsetTest, ListsStandardValuesAndClone) {
    using Case = exact_test::ListKeys;
    const Case cases[] = {
        {kAPriori,
         {"tails", "p1h1", "p1h0", "p2", "alpha", "power", "r"},
         {"n1", "n2", "N", "actualalpha", "actual"}},
        {kSensitivity,
         {"tails", "dir", "p1h0", "p2", "alpha", "power", "n1", "n2"},
         {"p1h1", "actualalpha", "actual"}},
        {kPostHoc, {"tails", "p1h1", "p1h0", "p2", "alpha", "n1", "n2"}, {"power", "actualalpha"}},
        {kCriterion,
         {"tails", "p1h1", "p1h0", "p2", "power", "n1", "n2"},
         {"alpha", "actual", "actualalpha"}},
        {kCompromise,
         {"tails", "p1h1", "p1h0", "p2", "q", "n1", "n2"},
         {"alpha", "actualalpha", "beta", "power", "actualratio"}},
    };
    kForm.ExpectLists(cases);
    PowerExactUncTwoPropOffset test;
    calc_test::ExpectEffectInput(test, kPostHoc, "Prop. p1|H1", 608, "");
    PropertyList inputs;
    test.BuildInputList(kAPriori, &inputs);
    EXPECT_EQ(inputs.Find("Prop. p1|H1")->text, "0.65");
    EXPECT_EQ(inputs.Find("Prop. p1|H0")->text, "0.55");
    EXPECT_EQ(inputs.Find("Proportion p2")->text, "0.5");
    test.BuildInputList(kSensitivity, &inputs);
    const auto* direction = dynamic_cast<const PropertySelection*>(inputs.Find("Effect direction"));
    ASSERT_NE(direction, nullptr);
    EXPECT_EQ(direction->options, (std::vector<std::string>{"p|H1$\\le$p|H0", "p|H1$\\ge$p|H0"}));
    EXPECT_EQ(test.GetMethodText(), "proportion, z-test pooled");
    EXPECT_EQ(test.GetTestName(),
              "Proportions: Inequality (offset), two independent groups (unconditional) ");
    const char* h1[] = {"Prop. p1|H1", "(p1-p2)|H1", "(p1/p2)|H1", "Odds ratio|H1"};
    const char* h0[] = {"Prop. p1|H0", "(p1-p2)|H0", "(p1/p2)|H0", "Odds ratio|H0"};
    for (int index = 0; index < 4; ++index) {
        test.SelectEffectIndex(index);
        EXPECT_EQ(std::string(ParameterNames[test.GetEffectSizeId()]), h1[index]);
        EXPECT_EQ(std::string(ParameterNames[test.GetH0EffectId()]), h0[index]);
    }
    test.SetStatistic(14);
    test.largeSample = true;
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    auto* copy = dynamic_cast<PowerExactUncTwoPropOffset*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->statistic, 14);
    EXPECT_EQ(copy->effectIndex, 3);
    EXPECT_TRUE(copy->largeSample);
    EXPECT_NEAR(copy->nullDifference, 0.05, 1e-15);
    EXPECT_EQ(copy->GetMethodText(),
              "odds ratio, large sample approx, L score: Miettinen & Nurminen");
}

// Compromise where the ratio is met far below 1e-16, with an offset on
// either side of the rows judged outcome by outcome: beta and the size each
// against the sum over every outcome in mpmath.
// A Compromise at an extreme effect, where beta lies in accepted outcomes
// far from the mode of each row under H1: beta and the size at the alpha
// found agree with the sums over every outcome, for the score statistics
// whose rows are bounded, one tail and two.
TEST(UnconditionalOffsetTest, CompromiseAtAnExtremeEffectSumsEveryAcceptedOutcome) {
    const int n1 = 150, n2 = 130;
    for (const char* stat : {"7", "8"}) {
        for (const char* tails : {"One", "Two"}) {
            PowerExactUncTwoPropOffset test;
            const auto run = Calculate(test, kCompromise,
                                       {{"index", "0"},
                                        {"stat", stat},
                                        {"tails", tails},
                                        {"p1h1", "0.21"},
                                        {"p1h0", "0.98"},
                                        {"p2", "0.5"},
                                        {"n1", "150"},
                                        {"n2", "130"},
                                        {"q", "1"}});
            const std::string context = std::string(stat) + " " + tails;
            ASSERT_EQ(run->status, kCalculateDone) << context << ": " << run->message;
            const int code = test.statistic, side = test.oneTailed ? 1 : 2;
            const double crit = CriticalValue(code, test.alpha, side, n1 + n2);
            double beta = 0.0, size = 0.0;
            for (int x2 = 0; x2 <= n2; ++x2) {
                for (int x1 = 0; x1 <= n1; ++x1) {
                    const double v = test.StatisticValue(code, x2, x1, n2, n1, 0.0, side);
                    const double mass2 = dbinom(x2, n2, 0.5, 0);
                    if ((side != 1 && v > crit) || (side != 0 && v < -crit)) {
                        size += dbinom(x1, n1, 0.98, 0) * mass2;
                    } else {
                        beta += dbinom(x1, n1, 0.21, 0) * mass2;
                    }
                }
            }
            EXPECT_LT(beta, 1e-12) << context;
            EXPECT_NEAR(test.GetBeta(), beta, 1e-9 * beta) << context;
            EXPECT_NEAR(test.actualAlpha, size, 1e-9 * size) << context;
        }
    }
}

// A power far below 1e-6 keeps its digits: it is summed over the rejected
// outcomes, not taken as 1 less the accepted mass.
TEST(UnconditionalOffsetTest, SmallPowersKeepTheirDigits) {
    kForm.ExpectReferenceTable("verification/small_tails/uncond_small_power_reference.tsv", 608, 5);
}

TEST(UnconditionalOffsetTest, CompromiseMeetsTheRatioFarBelow1e16) {
    kForm.ExpectReferenceTable("verification/small_tails/uncond_compromise_reference.tsv", 608, 2);
}

// At a large effect beta and the size meet far below 1e-99 (here near
// 1e-117): the Compromise says that no alpha the search may show meets the
// ratio, in its own terms, and at once. It walked down to the floor with
// an exact power at every step for some seconds, then named a target power
// that a Compromise does not have.
TEST(UnconditionalOffsetTest, CompromiseBelowTheFloorIsRefusedInItsOwnTerms) {
    for (const char* stat : {"1", "3", "7", "8"}) {
        PowerExactUncTwoPropOffset test;
        try {
            Calculate(test, kCompromise,
                      {{"stat", stat},
                       {"tails", "Two"},
                       {"p1h1", "0.95"},
                       {"p1h0", "0.55"},
                       {"p2", "0.5"},
                       {"n1", "5000"},
                       {"n2", "5000"},
                       {"q", "1"}});
            ADD_FAILURE() << stat << ": no refusal";
        } catch (const QuorixError& e) {
            EXPECT_STREQ(e.what(), "Solver-Compromise: no alpha >= 1e-99") << stat;
        }
    }
}

// The bounds that refuse such a Compromise before any exact evaluation
// (beta from the spread that accepted outcomes keep, the size from
// outcomes seen to be rejected) claim a ratio below q at alpha 1e-99 only
// where the sums over every outcome say so too: extreme effects on either
// side of the offset, every statistic the bounds serve, one tail and two,
// and q about the enumerated ratio.
TEST(UnconditionalOffsetTest, FloorBoundsAgreeWithEveryOutcome) {
    struct Design {
        int n1, n2;
        double p1, p0, p2;
    };
    const Design designs[] = {{120, 150, 0.97, 0.1, 0.5},   {200, 90, 0.02, 0.85, 0.6},
                              {150, 150, 0.9, 0.35, 0.3},   {60, 300, 0.995, 0.2, 0.4},
                              {250, 250, 0.999, 0.03, 0.5}, {400, 400, 0.98, 0.2, 0.5},
                              {300, 350, 0.01, 0.9, 0.45}};
    int claimed = 0, declined = 0;
    for (const int code : {0, 1, 2, 3, 6, 7, 8, 10, 11}) {
        for (const Design& d : designs) {
            for (const bool oneTailed : {true, false}) {
                PowerExactUncTwoPropOffset test;
                test.SetStatistic(code);
                test.proportion2 = d.p2;
                test.nullDifference = d.p0 - d.p2;
                test.oneTailed = oneTailed;
                const int side = !oneTailed ? 2 : (d.p1 <= d.p0 ? 1 : 0);
                const double crit = CriticalValue(code, 1e-99, side, d.n1 + d.n2);
                double beta = 0.0, size = 0.0;
                for (int x2 = 0; x2 <= d.n2; ++x2) {
                    const double mass2 = dbinom(x2, d.n2, d.p2, 0);
                    for (int x1 = 0; x1 <= d.n1; ++x1) {
                        double v = test.StatisticValue(code, x2, x1, d.n2, d.n1, 0.0, side);
                        if (std::isnan(v)) v = 0.0;
                        if ((side != 1 && v > crit) || (side != 0 && v < -crit)) {
                            size += dbinom(x1, d.n1, d.p0, 0) * mass2;
                        } else {
                            beta += dbinom(x1, d.n1, d.p1, 0) * mass2;
                        }
                    }
                }
                const std::string context = "code " + std::to_string(code) + " n1 " +
                                            std::to_string(d.n1) + " p1 " + std::to_string(d.p1) +
                                            (oneTailed ? " one" : " two");
                // Nothing rejected at the floor: no ratio to claim below q.
                const double ratio =
                    size > 0.0 ? beta / size : std::numeric_limits<double>::infinity();
                // A claim at half the enumerated ratio is wrong; the ratios
                // a user may enter show the bounds at work.
                for (const double q : {ratio / 2.0, 0.01, 1.0, 100.0}) {
                    const bool claim = test.CompromiseBelowFloor(d.p1, q, d.n1, d.n2);
                    if (claim) {
                        ++claimed;
                        EXPECT_LT(ratio, q) << context << " q " << q;
                    } else {
                        ++declined;
                    }
                }
            }
        }
    }
    // Groups this small meet q below the floor only at the largest q.
    EXPECT_GE(claimed, 10);
    EXPECT_GT(declined, 100);
}

}  // namespace
