#include "distributions/mrc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "distributions/f.h"
#include "distributions/reference_rows_test_support.h"
#include "distributions/table_rows_test_support.h"
#include "distributions/work_time_test_support.h"

namespace {

// Reference: the negative-binomial mixture of incomplete beta ratios and of
// beta densities at 30 digits (mpmath_reference.py). Both series stop at a
// remainder below 1e-12; the distribution function keeps 1e-12 absolute,
// the density 1e-11 relative.
TEST(MRCDistributionTest, AgreesWithTheNegativeBinomialMixture) {
    const auto rows = ReadTableRows("mpmath_reference.csv", "mrc");
    ASSERT_EQ(rows.size(), 26u);
    for (const ReferenceRow& r : rows) {
        MRCDistribution d(r.p[0], r.p[1], r.p[2]);
        if (r.function == "cdf") {
            EXPECT_NEAR(d.Cdf(r.arg), r.expected, 1e-12) << Describe(r);
        } else {
            ExpectRelative(d.Pdf(r.arg), r, 1e-11);
        }
    }
}

// The two series of the distribution function sum the same mixture from
// different ends.
TEST(MRCDistributionTest, BothSeriesAgree) {
    for (auto [rho2, k, N, x] : {std::tuple{0.2, 3.0, 20.0, 0.3},
                                 {0.5, 5.0, 60.0, 0.55},
                                 {1e-11, 4.0, 30.0, 0.1},
                                 {0.05, 2.0, 12.0, 0.8}}) {
        bool fromZero = false, fromMode = false;
        const double a = SquaredMultipleCorrelationCdfFromZero(x, rho2, k, N, 1e-14, &fromZero);
        const double b = SquaredMultipleCorrelationCdfFromMode(x, rho2, k, N, 1e-14, &fromMode);
        EXPECT_TRUE(fromZero);
        EXPECT_TRUE(fromMode);
        EXPECT_NEAR(a, b, 1e-13) << rho2 << " " << k << " " << N << " " << x;
    }
}

TEST(MRCDistributionTest, NullDistributionIsTheCentralF) {
    MRCDistribution d(0.0, 4.0, 25.0);
    FDistribution f(3.0, 21.0);
    for (double x : {0.02, 0.1, 0.3, 0.6}) {
        EXPECT_DOUBLE_EQ(d.Cdf(x), f.Cdf(21.0 * x / ((1.0 - x) * 3.0))) << x;
        EXPECT_NEAR(d.Quantile(d.Cdf(x)), x, 1e-12) << x;
    }
}

TEST(MRCDistributionTest, QuantileInvertsCdf) {
    for (auto [rho2, k, N] : {std::tuple{0.3, 5.0, 50.0}, {0.05, 3.0, 15.0}, {0.8, 2.0, 40.0}}) {
        MRCDistribution d(rho2, k, N);
        // The bisection stops within 1e-8 of the answer, or where the
        // distribution function meets prob to a relative 1e-8.
        for (double prob : {1e-12, 0.001, 0.025, 0.5, 0.975, 0.9999}) {
            const double x = d.Quantile(prob);
            const double f = d.Cdf(x);
            if (std::fabs(f - prob) >= 1e-8 * prob) {
                EXPECT_LE(d.Cdf(std::max(0.0, x - 1e-8)), prob)
                    << rho2 << " " << k << " " << N << " " << prob;
                EXPECT_GE(d.Cdf(std::min(1.0, x + 1e-8)), prob)
                    << rho2 << " " << k << " " << N << " " << prob;
            }
        }
        EXPECT_EQ(d.Quantile(0.0), 0.0);
        EXPECT_EQ(d.Quantile(1.0), 1.0);
    }
    // A probability below anything the walk towards zero reaches: the
    // bracket falls back to [0, rho^2] instead of walking forever.
    MRCDistribution concentrated(0.5, 2.0, 3000.0);
    const double x = concentrated.Quantile(1e-300);
    EXPECT_LE(concentrated.Cdf(x - 1e-8), 1e-300);
    EXPECT_GE(concentrated.Cdf(x + 1e-8), 1e-300);
    // A small probability is a quantile of its own, not any point whose
    // probability lies below 1e-8.
    const double small = concentrated.Quantile(1e-10);
    EXPECT_LE(concentrated.Cdf(small - 1e-8), 1e-10);
    EXPECT_GE(concentrated.Cdf(small + 1e-8), 1e-10);
}

// With N - k = 1 the upper tail thins like sqrt(1 - x): the quantile of
// 1 - 1e-7 under rho^2 0.07037 lies 2.139622e-14 below 1 (mpmath, the tail
// summed from 1 - x; verification/small_tails/r2_criterion_reference.py),
// a dozen doubles from the end; the walk used to stop at 1 - 1e-10.
TEST(MRCDistributionTest, QuantileReachesTheDoublesNextToOne) {
    MRCDistribution d(0.07037, 2.0, 3.0);
    EXPECT_NEAR(1.0 - d.Quantile(1.0 - 1e-7), 2.139622e-14, 2.5e-16);
}

// The approximations of methods 1 and 2 stay close to the exact series
// for a moderate sample.
TEST(MRCDistributionTest, ApproximationsFollowTheExactSeries) {
    MRCDistribution exact(0.3, 5.0, 80.0);
    for (int method : {MRCDistribution::kNoncentralF, MRCDistribution::kChiSquareExpansion}) {
        MRCDistribution approx(0.3, 5.0, 80.0);
        approx.SetMethod(method);
        for (double x : {0.15, 0.3, 0.45})
            EXPECT_NEAR(approx.Cdf(x), exact.Cdf(x), 0.01) << method << " " << x;
    }
}

TEST(MRCDistributionTest, RangesAndErrors) {
    MRCDistribution d(0.3, 4.0, 20.0);
    EXPECT_EQ(d.Pdf(0.0), 0.0);
    EXPECT_EQ(d.Pdf(1.0), 0.0);
    EXPECT_EQ(d.Cdf(0.0), 0.0);
    EXPECT_EQ(d.Cdf(1.0), 1.0);
    EXPECT_EQ(MRCDistribution(0.3, 5.0, 3.0).Pdf(0.5), 0.0);
    EXPECT_EQ(MRCDistribution(1.0, 3.0, 20.0).Cdf(0.99), 0.0);
    // As many observations as variates: a perfect fit, R^2 = 1.
    EXPECT_EQ(MRCDistribution(0.3, 4.0, 4.0).Cdf(0.99), 0.0);
    EXPECT_EQ(MRCDistribution(0.3, 4.0, 4.0).Pdf(0.5), 0.0);
    const char* cdf = "MRCDist-Cdf: input parameter out of range";
    const char* quantile = "MRCDist-Quantile: input parameter out of range";
    ExpectQuorixError([] { MRCDistribution(0.3, 5.0, 3.0).Cdf(0.5); }, cdf,
                      QuorixError::kOutOfRange, 0.0, "N < k");
    ExpectQuorixError([] { MRCDistribution(0.3, 1.0, 30.0).Cdf(0.5); }, cdf,
                      QuorixError::kOutOfRange, 0.0, "k < 2");
    ExpectQuorixError([&] { d.Cdf(1.2); }, cdf, QuorixError::kOutOfRange, 0.0, "x > 1");
    ExpectQuorixError([] { MRCDistribution(-0.1, 3.0, 30.0).Cdf(0.5); }, cdf,
                      QuorixError::kOutOfRange, 0.0, "rho2 < 0");
    ExpectQuorixError([&] { d.Quantile(std::nan("")); }, quantile, QuorixError::kOutOfRange, 0.0,
                      "Quantile(NaN)");
    EXPECT_EQ(d.GetName(), "r");
    EXPECT_EQ(d.GetParamName(1), "number of variates");
    EXPECT_EQ(d.GetParamName(3), "");
    EXPECT_EQ(d.GetMean(), 0.0);
    EXPECT_EQ(d.GetVariance(), 1.0);
}

// The approximations' noncentral F and chi-square distributions have a
// noncentrality that grows with N rho^2 / (1 - rho^2); for N = 1e15 their
// sums took seconds or never finished. They now refuse it, and the refusal
// is this family's.
TEST(MRCDistributionTest, ApproximationsBeyondTheNoncentralRangeAreRefused) {
    const auto start = ThreadCpuClock::now();
    for (int method : {MRCDistribution::kNoncentralF, MRCDistribution::kChiSquareExpansion}) {
        for (double N : {1e15, 1e100}) {
            MRCDistribution d(0.07, 7.0, N);
            d.SetMethod(method);
            const std::string what = "method " + std::to_string(method) + " N " + std::to_string(N);
            ExpectQuorixError([&] { d.Cdf(0.3); }, "MRCDist-Cdf: input parameter out of range",
                              QuorixError::kOutOfRange, 0.0, what);
            // The quantile's bracket is walked out by Cdf, whose text it passes on.
            ExpectQuorixError([&] { d.Quantile(0.5); }, "MRCDist-Cdf: input parameter out of range",
                              QuorixError::kOutOfRange, 0.0, what);
        }
    }
    const double seconds = std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
}

// Confidence limits for rho^2 from an observed R^2, against the rho^2 at
// which P(R^2 <= r2) is 1 - alpha/2 and alpha/2 (mpmath_reference.py).
TEST(MRCDistributionTest, SolveRhoIntervalBracketsKnownCases) {
    const auto rows = ReadTableRows("mpmath_reference.csv", "mrcci");
    ASSERT_EQ(rows.size(), 9u);
    for (size_t i = 0; i < rows.size(); i += 3) {
        const double r2 = rows[i].p[0], k = rows[i].p[1], N = rows[i].p[2], alpha = rows[i].arg;
        MRCDistribution d(0.0, k, N);
        double q = -1.0, lower = -1.0, upper = -1.0;
        d.SolveRhoInterval(r2, alpha, &q, &lower, &upper);
        EXPECT_NEAR(lower, rows[i].expected, 1e-6) << Describe(rows[i]);
        EXPECT_NEAR(upper, rows[i + 1].expected, 1e-6) << Describe(rows[i + 1]);
        EXPECT_NEAR(q, rows[i + 2].expected, 1e-10) << Describe(rows[i + 2]);
        EXPECT_LT(lower, r2);
        EXPECT_GT(upper, r2);
    }
}

// Limits where one tail at r2 is as small as 5e-7 (a confidence of
// 1 - 1e-6) or the sample is barely larger than the model, against the
// root in rho^2 of that tail integrated in mpmath at 40 digits
// (verification/mrc_extreme): to a relative 1e-9, well inside the seven
// digits shown. The lower limit at 30 predictors, N = 40, once missed its
// seventh digit.
TEST(MRCDistributionTest, SolveRhoIntervalSmallTails) {
    const auto rows = ReadRowsFrom("verification/mrc_extreme", "mrc_interval.csv", "r2");
    ASSERT_EQ(rows.size(), 4u);
    for (const ReferenceRow& r : rows) {
        MRCDistribution d(0.0, r.p[1], r.p[2]);
        double q = -1.0, lower = -1.0, upper = -1.0;
        d.SolveRhoInterval(r.p[0], r.arg, &q, &lower, &upper);
        EXPECT_NEAR(r.function == "lower" ? lower : upper, r.expected, 1e-9 * r.expected)
            << Describe(r);
    }
}

TEST(MRCDistributionTest, SolveRhoIntervalEdges) {
    MRCDistribution d(0.0, 4.0, 50.0);
    double q = 0.0, lower = -1.0, upper = -1.0;
    // Below the lower null quantile: both limits 0.
    d.SolveRhoInterval(1e-4, 0.05, &q, &lower, &upper);
    EXPECT_GT(q, 1e-4);
    EXPECT_EQ(lower, 0.0);
    EXPECT_EQ(upper, 0.0);
    // Between the null quantiles: the lower limit is 0, the upper positive.
    d.SolveRhoInterval(0.05, 0.05, &q, &lower, &upper);
    EXPECT_EQ(lower, 0.0);
    EXPECT_GT(upper, 0.05);
    // Close to 1 the walk towards 1 still ends.
    d.SolveRhoInterval(0.995, 0.05, &q, &lower, &upper);
    EXPECT_LT(lower, 0.995);
    EXPECT_GE(upper, 0.995);
    EXPECT_LE(upper, 1.0);
    ExpectQuorixError([&] { d.SolveRhoInterval(1.0, 0.05, &q, &lower, &upper); },
                      "MRCDist-SolveRhoInterval: input parameter out of range",
                      QuorixError::kOutOfRange, 0.0, "r2 = 1");
}

// Both tails far below 1e-12, which the series from the mode sums only to
// an absolute 1e-12: the lower tail at a critical R^2 of a two-tailed test
// and the upper one by Survival, to nine digits
// (verification/exact_corr_tails, mpmath at 30 digits).
TEST(MRCDistributionTest, TailsFarBelowTheDoublesKeepTheirDigits) {
    const auto rows = ReadRowsFrom("verification/exact_corr_tails", "distribution_tails.csv", "r2");
    ASSERT_GE(rows.size(), 4u);
    for (const ReferenceRow& r : rows) {
        MRCDistribution d(r.p[0], r.p[1], r.p[2]);
        const double p = r.function == "cdf" ? d.Cdf(r.arg) : d.Survival(r.arg);
        EXPECT_NEAR(p / r.expected, 1.0, 1e-9) << r.function << " rho2 " << r.p[0] << " k "
                                               << r.p[1] << " N " << r.p[2] << " x " << r.arg;
    }
}

// Tails whose terms peak far from the weights' bulk: the upper tail far
// above the bulk under a small rho^2 (the complement at the weights' mode is
// 1e-60 of its value further up, where the sum used to stop) and the lower
// tail far below it with N in the thousands (verification/r2_edges, mpmath
// at 60 digits).
TEST(MRCDistributionTest, TailsWhoseTermsPeakAwayFromTheWeights) {
    const auto rows = ReadRowsFrom("verification/r2_edges", "tails.csv", "r2");
    ASSERT_GE(rows.size(), 7u);
    for (const ReferenceRow& r : rows) {
        MRCDistribution d(r.p[0], r.p[1], r.p[2]);
        const double p = r.function == "cdf" ? d.Cdf(r.arg) : d.Survival(r.arg);
        EXPECT_NEAR(p / r.expected, 1.0, 1e-9) << r.function << " rho2 " << r.p[0] << " k "
                                               << r.p[1] << " N " << r.p[2] << " x " << r.arg;
    }
}

// rho^2 near 1 (0.9999 to 1 - 1e-12, N 10 to 10,000, 1 to 30 predictors):
// the weights spread over up to 1e16 terms, which no series visits. Both
// tails around the bulk of R^2 and the lower tail at R^2 = 0.5, against
// the density integrated in mpmath at 40 digits (and the mixture where its
// summand lies within the first terms; verification/mrc_extreme), to the
// seven digits an analysis shows; and the density, which the distribution
// plot draws.
TEST(MRCDistributionTest, RhoSquaredNearOneKeepsBothTails) {
    auto rows = ReadRowsFrom("verification/mrc_extreme", "mrc_extreme.csv", "r2");
    ASSERT_GE(rows.size(), 450u);
    const auto densities =
        ReadRowsFrom("verification/mrc_extreme", "mrc_extreme_density.csv", "r2");
    ASSERT_EQ(densities.size(), 27u);
    rows.insert(rows.end(), densities.begin(), densities.end());
    for (const ReferenceRow& r : rows) {
        MRCDistribution d(r.p[0], r.p[1], r.p[2]);
        const double p = r.function == "cdf"  ? d.Cdf(r.arg)
                         : r.function == "sf" ? d.Survival(r.arg)
                                              : d.Pdf(r.arg);
        EXPECT_NEAR(p / r.expected, 1.0, 5e-8) << Describe(r) << " " << r.function;
    }
}

// Quantiles where rho^2 lies within 5e-7 of 1 (up to 1 - 1e-12; N 10 to
// 10,000, 1 to 30 predictors; prob 1e-6 to 1 - 1e-6), against the root of
// the tail integrated in mpmath at 40 digits (verification/mrc_extreme),
// as the distance 1 - x, which keeps the digits such a quantile has: to a
// relative 1e-8, or the doubles' spacing next to 1. The upper quantile of
// 1 - prob is the same point. These once all came out as 1.
TEST(MRCDistributionTest, QuantilesWhereRhoSquaredNearlyOne) {
    const auto rows = ReadRowsFrom("verification/mrc_extreme", "mrc_extreme_quantile.csv", "r2");
    ASSERT_EQ(rows.size(), 160u);
    for (const ReferenceRow& r : rows) {
        MRCDistribution d(r.p[0], r.p[1], r.p[2]);
        const double tolerance = 1e-8 * r.expected + 2.3e-16;
        EXPECT_NEAR(1.0 - d.Quantile(r.arg), r.expected, tolerance) << Describe(r);
        if (r.arg > 0.5) {
            EXPECT_NEAR(1.0 - d.UpperQuantile(1.0 - r.arg), r.expected, tolerance) << Describe(r);
        }
    }
    // A correlation of exactly one puts all of R^2 at 1.
    EXPECT_EQ(MRCDistribution(1.0, 6.0, 100.0).Quantile(0.5), 1.0);
}

// The two tails of spread weights are summed from different summands (the
// weights times the beta ratios, or times their complements), so their sum
// checks the integration, here up to the largest N. The quantiles, solved
// on ln(1 - x), invert them to a relative 1e-8, or to x within a relative
// 1e-9 where R^2 is so concentrated that a step of that size moves the
// probability more (N in the millions); an upper quantile closer to 1 than
// the doubles reach is 1.
TEST(MRCDistributionTest, SpreadWeightsTailsAddUpAndInvert) {
    for (auto [rho2, k, N] : {std::tuple{0.999999, 2.0, 3.0},
                              {0.999999, 6.0, 10.0},
                              {0.99999, 31.0, 100.0},
                              {0.9999, 2.0, 10000.0},
                              {0.999, 11.0, 1e6},
                              {0.999999, 4.0, 5e8},
                              {0.5, 2.0, 2147483646.0}}) {
        MRCDistribution d(rho2, k, N);
        const std::string what =
            std::to_string(rho2) + " " + std::to_string(k) + " " + std::to_string(N);
        auto expectInverts = [&](double x, double prob, bool upper) {
            auto tail = [&](double at) { return upper ? d.Survival(at) : d.Cdf(at); };
            EXPECT_NEAR(d.Cdf(x) + d.Survival(x), 1.0, 1e-12) << what << " " << prob;
            if (std::fabs(tail(x) / prob - 1.0) <= 1e-8 || (upper && x == 1.0)) return;
            const double step = 1e-9 * std::min(x, 1.0 - x);
            const double below = tail(std::nextafter(x - step, 0.0));
            const double above = tail(std::nextafter(x + step, 1.0));
            EXPECT_LE(std::min(below, above), prob) << what << " " << prob << " " << upper;
            EXPECT_GE(std::max(below, above), prob) << what << " " << prob << " " << upper;
        };
        for (double prob : {1e-7, 0.025, 0.5, 0.975}) {
            expectInverts(d.Quantile(prob), prob, false);
            expectInverts(d.UpperQuantile(prob), prob, true);
        }
        // Far below the bulk the lower tail is what a test against 0 meets.
        EXPECT_NEAR(d.Cdf(0.3) + d.Survival(0.3), 1.0, 1e-12) << what;
    }
}

}  // namespace
