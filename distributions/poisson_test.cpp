#include "distributions/poisson.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <cmath>
#include <string>

#include "distributions/reference_rows_test_support.h"
#include "distributions/work_time_test_support.h"

namespace {

// Cdf through the upper tail of a central chi-square (the incomplete gamma
// ratio, a few ulps: 1e-13, also for tails near 1e-12); Pdf the
// saddle-point mass (1e-13); Quantile a whole count, exact.
TEST(PoissonDistributionTest, AgreesWithR) {
    const auto rows = ReadReferenceRows("r_reference.csv", "poisson");
    ASSERT_GT(rows.size(), 15u);
    for (const auto& r : rows) {
        PoissonDistribution d(r.p[0]);
        if (r.function == "cdf") {
            ExpectRelative(d.Cdf(r.arg), r, 1e-13);
        } else if (r.function == "pdf") {
            ExpectRelative(d.Pdf(r.arg), r, 1e-13);
        } else {
            EXPECT_EQ(d.Quantile(r.arg), r.expected) << Describe(r);
        }
    }
}

TEST(PoissonDistributionTest, ZeroMean) {
    PoissonDistribution d(0.0);
    EXPECT_EQ(d.Cdf(3.0), 1.0);
    EXPECT_EQ(d.Pdf(0.0), 1.0);
    EXPECT_EQ(d.Pdf(3.0), 0.0);
    EXPECT_EQ(d.Quantile(0.5), 0.0);
}

TEST(PoissonDistributionTest, CountsAndEnds) {
    PoissonDistribution d(2.5);
    const double sum = d.Pdf(0.0) + d.Pdf(1.0) + d.Pdf(2.0);
    EXPECT_NEAR(d.Cdf(2.0), sum, 1e-15);
    EXPECT_EQ(d.Cdf(1.9999999999), d.Cdf(2.0));  // the 1e-7 allowance
    EXPECT_EQ(d.Cdf(2.5), d.Cdf(2.0));
    EXPECT_EQ(d.Cdf(-0.5), 0.0);
    EXPECT_EQ(d.Pdf(1.5), 0.0);
    EXPECT_EQ(d.Quantile(1.0), DBL_MAX);
    EXPECT_EQ(d.Quantile(0.0), 0.0);
    // Just below 1 the running sum may never reach the target by rounding;
    // the summation ends where the terms add nothing.
    const double k = d.Quantile(std::nextafter(1.0, 0.0));
    EXPECT_GT(k, 10.0);
    EXPECT_LT(k, 60.0);
    EXPECT_EQ(d.GetMean(), 2.5);
    EXPECT_EQ(d.GetVariance(), 2.5);
    EXPECT_EQ(d.GetName(), "Poisson");
    EXPECT_EQ(d.GetParamName(2), "lambda");
    EXPECT_EQ(d.GetParam(4), 2.5);
}

TEST(PoissonDistributionTest, LargeMeanQuantileIsTheSmallestCountReachingProb) {
    // Above a mean of 1e4 the quantile searches on Cdf rather than summing
    // every probability from 0; the answer is the same smallest count.
    for (double lambda : {9999.0, 10001.0, 2.5e6, 1e9}) {
        PoissonDistribution d(lambda);
        for (double prob : {1e-12, 0.3, 0.5, 0.999999}) {
            const double k = d.Quantile(prob);
            EXPECT_EQ(k, std::floor(k));
            EXPECT_GE(d.Cdf(k), prob) << lambda << " " << prob;
            EXPECT_LT(d.Cdf(k - 1.0), prob) << lambda << " " << prob;
        }
    }
}

// Beyond 2^53 the midpoint of two neighbouring double counts is one of
// them, and the quantile's search never ended for a mean of 1e17; from
// about 1e20 on the chi-square tail beneath Cdf loses digits (Cdf gave 2 at
// 1e30). Means above 1e15 are refused; at 1e15 the quantile is the normal
// quantile of 1e-300, -37.0470963 standard deviations (mpmath), which the
// skewness moves by 1e-6.
TEST(PoissonDistributionTest, HugeMeansAreRefusedBeyond1e15) {
    const auto start = ThreadCpuClock::now();
    PoissonDistribution largest(1e15);
    EXPECT_NEAR((largest.Quantile(1e-300) - 1e15) / std::sqrt(1e15), -37.0470963, 1e-3);
    EXPECT_NEAR((largest.Quantile(0.5) - 1e15) / std::sqrt(1e15), 0.0, 1e-3);
    for (double lambda : {1.0000001e15, 1e17, 1e30, DBL_MAX, static_cast<double>(INFINITY)}) {
        PoissonDistribution d(lambda);
        const std::string what = "lambda " + std::to_string(lambda);
        ExpectQuorixError([&] { return d.Quantile(1e-300); },
                          "Poisson-Quantile: input parameter out of range", 4, 0.0, what);
        ExpectQuorixError([&] { return d.Cdf(lambda); },
                          "Poisson-Cdf: input parameter out of range", 4, 0.0, what);
    }
    const double seconds = std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
}

TEST(PoissonDistributionTest, FailuresThrowWithTheirTexts) {
    PoissonDistribution negative(-1.0);
    EXPECT_EQ(negative.Pdf(-1.0), 0.0);  // the argument is tested first
    EXPECT_EQ(negative.Cdf(-1.0), 0.0);
    ExpectQuorixError([&] { return negative.Pdf(1.0); },
                      "Poisson-Cdf: input parameter out of range", 4, 0.0, "Pdf, lambda < 0");
    ExpectQuorixError([&] { return negative.Cdf(1.0); },
                      "Poisson-Cdf: input parameter out of range", 4, 0.0, "Cdf, lambda < 0");
    ExpectQuorixError([&] { return negative.Quantile(0.5); },
                      "Poisson-Quantile: input parameter out of range", 4, 0.0,
                      "Quantile, lambda < 0");
    PoissonDistribution d(2.5);
    ExpectQuorixError([&] { return d.Quantile(1.5); },
                      "Poisson-Quantile: input parameter out of range", 4, 0.0, "Quantile(1.5)");
    ExpectQuorixError([&] { return d.Quantile(-0.5); },
                      "Poisson-Quantile: input parameter out of range", 4, 0.0, "Quantile(-0.5)");
}

}  // namespace
