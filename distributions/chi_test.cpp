#include "distributions/chi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "distributions/reference_rows_test_support.h"
#include "distributions/work_time_test_support.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

// Tolerances, relative to the reference value:
//  - central Cdf: the incomplete gamma ratio of the driver, good to a few
//    ulps: 1e-13.
//  - noncentral Cdf: Poisson weights and central terms are each good to a
//    few ulps; the sum of up to a few hundred terms keeps 1e-12 (R's own
//    noncentral values are good to about 1e-12 absolute, hence the extra
//    absolute floor for those rows).
//  - densities: the saddle-point gamma density per term: 1e-13 central,
//    1e-12 for the mixture.
//  - quantiles: the driver's search and the Newton iteration both stop at a
//    relative 1e-10 to 1e-12 of the answer: 1e-9, or what the conditioning
//    allows far in the upper tail.
void CheckRow(const ReferenceRow& r) {
    ChiDistribution d(r.p[1], r.p[0]);
    const bool central = r.p[0] == 0.0;
    const bool fromR = r.source == "r_reference.csv";
    if (r.function == "cdf") {
        const double got = d.Cdf(r.arg);
        if (central) {
            ExpectRelative(got, r, 1e-13);
        } else {
            EXPECT_NEAR(got, r.expected, 1e-12 * std::fabs(r.expected) + (fromR ? 2e-12 : 0.0))
                << Describe(r);
        }
    } else if (r.function == "pdf") {
        ExpectRelative(d.Pdf(r.arg), r, central ? 1e-13 : fromR ? 1e-10 : 1e-12);
    } else if (r.function == "quantile") {
        // Near 1 the distribution function is known only to a few ulps of 1,
        // which moves the answer by about eps / f(x): the relative tolerance
        // is the larger of 1e-9 and 10 eps / (f(x) x).
        const double conditioning = 10 * 2.220446049250313e-16 / (d.Pdf(r.expected) * r.expected);
        ExpectRelative(d.Quantile(r.arg), r, std::max(1e-9, conditioning));
    }
}

TEST(ChiDistributionTest, AgreesWithBoost) {
    const auto rows = ReadReferenceRows("boost_reference.csv", "chi");
    ASSERT_GT(rows.size(), 30u);
    for (const auto& r : rows) CheckRow(r);
}

TEST(ChiDistributionTest, AgreesWithR) {
    const auto rows = ReadReferenceRows("r_reference.csv", "chi");
    ASSERT_GT(rows.size(), 20u);
    for (const auto& r : rows) CheckRow(r);
}

// Far below and above the mean the terms of the density's mixture peak far
// from the Poisson mode, beyond where the weights alone end the sums (a
// quarter of the density was missing at a third of the mean). Against the
// Bessel form in 60 digits.
TEST(ChiDistributionTest, DensityFarInItsTails) {
    const auto rows = ReadReferenceRows("density_tail_reference.csv", "chi");
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& r : rows) {
        ChiDistribution d(r.p[1], r.p[0]);
        ExpectRelative(d.Pdf(r.arg), r, 1e-12);
    }
}

TEST(ChiDistributionTest, SwitchToTheSeriesAtTinyNoncentrality) {
    ChiDistribution central(3.0, 0.0), below(3.0, 1e-101), above(3.0, 1e-99);
    EXPECT_EQ(below.Cdf(2.5), central.Cdf(2.5));
    EXPECT_NEAR(above.Cdf(2.5), central.Cdf(2.5), 1e-15);
    EXPECT_NEAR(above.Pdf(2.5), central.Pdf(2.5), 1e-15);
}

TEST(ChiDistributionTest, SeriesCornerCases) {
    int status = 0;
    EXPECT_EQ(NoncentralChiSquareCdf(0.0, 3.0, 2.0, &status), 0.0);
    EXPECT_EQ(status, 0);
    // df = 0: the point mass e^(-lambda/2) at 0, then the mixture above it.
    EXPECT_DOUBLE_EQ(NoncentralChiSquareCdf(0.0, 0.0, 2.0, &status), std::exp(-1.0));
    EXPECT_NEAR(NoncentralChiSquareCdf(3.0, 0.0, 2.0, &status), 0.7477930575739610, 1e-13);
    EXPECT_EQ(NoncentralChiSquareCdf(kInf, 3.0, 2.0, &status), 1.0);
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(std::isnan(NoncentralChiSquareCdf(1.0, -1.0, 2.0, &status)));
    EXPECT_EQ(status, -1);
    // Far in the upper tail the rounding of the sum once ended an ulp above 1.
    EXPECT_LE(NoncentralChiSquareCdf(2030.0, 1000.0, 15.0, &status), 1.0);
}

TEST(ChiDistributionTest, NoncentralQuantileWithTinyDegreesOfFreedom) {
    // With df = 0.05 the distribution function climbs from 0 like z^0.025:
    // small probabilities sit at tiny z, which the iteration must reach
    // rather than stop at an absolute step.
    for (double prob : {1e-3, 1e-6}) {
        ChiDistribution d(0.05, 20.0);
        const double z = d.Quantile(prob);
        EXPECT_NEAR(d.Cdf(z), prob, 1e-8 * prob) << prob << " at " << z;
    }
    // With df = 0.01 the 1e-12 quantile lies below the smallest double: the
    // iteration walks down into the subnormal numbers and ends there.
    ChiDistribution d(0.01, 20.0);
    EXPECT_LT(d.Quantile(1e-12), 1e-300);
}

// With df far below 1 the central lower tail climbs like z^(df/2) and the
// quantiles lie at 1e-45 to 1e-223; the driver's search stalled near 6e-51
// and reported it as the answer. Against mpmath in 50 digits
// (far_reach_reference.py); an answer below the doubles is a failure.
TEST(ChiDistributionTest, CentralQuantileWithTinyDegreesOfFreedom) {
    const auto rows = ReadReferenceRows("far_reach_reference.csv", "chi");
    ASSERT_EQ(rows.size(), 6u);
    for (const auto& r : rows) {
        ChiDistribution d(r.p[1], 0.0);
        ExpectRelative(d.Quantile(r.arg), r, 1e-9);
    }
    // The 0.95 quantile of df 1e-4 is 3.3e-446.
    ChiDistribution d(1e-4, 0.0);
    ExpectQuorixError([&] { return d.Quantile(0.95); },
                      "ChiDist-Quantile: answer below lower search bound", 2,
                      std::numeric_limits<double>::min(), "df 1e-4");
}

TEST(ChiDistributionTest, ScaleActsOnTheVariableConsistently) {
    // X = Y / s: Cdf(x) = F_Y(x s), Pdf(x) = s f_Y(x s), Quantile = q_Y / s.
    for (double lambda : {0.0, 6.0}) {
        ChiDistribution plain(5.0, lambda), scaled(5.0, lambda, 2.0);
        EXPECT_DOUBLE_EQ(scaled.Cdf(1.5), plain.Cdf(3.0));
        EXPECT_DOUBLE_EQ(scaled.Pdf(1.5), 2.0 * plain.Pdf(3.0));
        EXPECT_NEAR(scaled.Quantile(0.3), plain.Quantile(0.3) / 2.0, 1e-12);
        EXPECT_NEAR(scaled.Cdf(scaled.Quantile(0.3)), 0.3, 1e-12);
    }
}

TEST(ChiDistributionTest, QuantileEndsDensityAndMoments) {
    ChiDistribution d(4.0, 3.0);
    EXPECT_EQ(d.Quantile(0.0), 0.0);
    EXPECT_EQ(d.Quantile(1.0), kInf);
    EXPECT_EQ(d.GetMean(), 7.0);
    EXPECT_EQ(d.GetVariance(), 20.0);
    ChiDistribution two(2.0, 0.0);
    EXPECT_DOUBLE_EQ(two.Pdf(1.0), std::exp(-0.5) / 2.0);
}

TEST(ChiDistributionTest, FailuresThrowWithTheirTexts) {
    struct Case {
        const char* what;
        double df, lambda;
        bool quantile;
        double arg;
        const char* message;
        int code;
        double value;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"noncentral Cdf(NaN)", 3, 1, false, nan, "ChiDist-Cdf: input parameter out of range", 4,
         0.0},
        {"noncentral Cdf(inf)", 3, 1, false, kInf, "ChiDist-Cdf: input parameter out of range", 4,
         0.0},
        {"central Cdf(-1)", 3, 0, false, -1.0, "ChiDist-Cdf: input parameter out of range", 4, 0.0},
        {"central Cdf, df 0", 0, 0, false, 1.0, "ChiDist-Cdf: input parameter out of range", 4,
         0.0},
        {"noncentral Quantile, lambda < 0", 3, -1, true, 0.5,
         "ChiDist-Quantile: input parameter out of range", 4, 0.0},
        {"noncentral Quantile(1.5)", 3, 2, true, 1.5,
         "ChiDist-Quantile: input parameter out of range", 4, 0.0},
        {"central Quantile(-0.5)", 3, 0, true, -0.5,
         "ChiDist-Quantile: input parameter out of range", 4, 0.0},
    };
    for (const auto& c : cases) {
        ChiDistribution d(c.df, c.lambda);
        ExpectQuorixError([&] { return c.quantile ? d.Quantile(c.arg) : d.Cdf(c.arg); }, c.message,
                          c.code, c.value, c.what);
    }
}

// At the largest noncentrality the sums accept, 1e10, against the closed
// form of one degree of freedom at 50 digits (chi_limit_reference.py). The
// terms number some 1.5 million; their rounding leaves about 3e-12 of the
// distribution function and 1e-12 of the density.
TEST(ChiDistributionTest, LargestNoncentralityAgreesWithTheClosedForm) {
    const auto rows = ReadRowsFrom("verification/bounds", "chi_limit_reference.csv", "chi");
    ASSERT_EQ(rows.size(), 7u);
    for (const ReferenceRow& r : rows) {
        ChiDistribution d(r.p[1], r.p[0]);
        if (r.function == "cdf") ExpectRelative(d.Cdf(r.arg), r, 1e-11);
        if (r.function == "pdf") ExpectRelative(d.Pdf(r.arg), r, 1e-11);
        if (r.function == "quantile") ExpectRelative(d.Quantile(r.arg), r, 1e-10);
    }
}

// The sums need some 20 sqrt(lambda / 2) terms: at lambda = 1e14 the
// distribution function took seconds, and from about 1e20 on none of the
// operations finished. Beyond 1e10 they are refused at once.
TEST(ChiDistributionTest, NoncentralityBeyondTheSumsIsRefusedPromptly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto start = ThreadCpuClock::now();
    for (double lambda : {1.0000001e10, 1e14, 1e20, 1e300, kInf, nan}) {
        ChiDistribution d(1.0, lambda);
        const std::string what = "lambda " + std::to_string(lambda);
        ExpectQuorixError([&] { d.Cdf(lambda); }, "ChiDist-Cdf: input parameter out of range", 4,
                          0.0, what);
        ExpectQuorixError([&] { d.Pdf(lambda); }, "ChiDist-Pdf: input parameter out of range", 4,
                          0.0, what);
        ExpectQuorixError([&] { d.Quantile(0.5); },
                          "ChiDist-Quantile: input parameter out of range", 4, 0.0, what);
        int status = 0;
        bool notConverged = false;
        EXPECT_TRUE(std::isnan(NoncentralChiSquareCdf(1.0, 1.0, lambda, &status))) << what;
        EXPECT_EQ(status, -1) << what;
        EXPECT_TRUE(std::isnan(NoncentralChiSquarePdf(1.0, 1.0, lambda, &notConverged))) << what;
        EXPECT_TRUE(notConverged) << what;
        EXPECT_TRUE(std::isnan(NoncentralChiSquareQuantile(0.5, 1.0, lambda, &status))) << what;
        EXPECT_EQ(status, -1) << what;
    }
    const double seconds = std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
}

// The log-normal start of the quantile iteration lost its spread to
// cancellation for df near 1e15 (starting at the mean, each Newton step
// then gained only a factor e of a far tail: seconds for prob 1e-300).
// Reference: the normal quantile of 1e-300, -37.0470963 (mpmath), which the
// skewness (9e-8) moves by about 2e-5 standard deviations. Beyond 1e15 the
// central distribution functions beneath lose digits (at df = 1e300 the
// answer was a fifth of the mean): refused.
TEST(ChiDistributionTest, HugeDegreesOfFreedomUpTo1e15) {
    const auto start = ThreadCpuClock::now();
    ChiDistribution wide(1e15, 1e8);
    const double x = wide.Quantile(1e-300);
    // Newton's steps converge quadratically, far inside their stopping step;
    // 1e-4 of the probability is 3e-6 standard deviations here.
    EXPECT_NEAR(wide.Cdf(x), 1e-300, 1e-4 * 1e-300);
    const double sd = std::sqrt(2.0 * (1e15 + 2e8));
    EXPECT_NEAR((x - (1e15 + 1e8)) / sd, -37.0470963, 1e-3);
    for (double df : {1.0000001e15, 1e300, kInf}) {
        ChiDistribution d(df, 1e10);
        const std::string what = "df " + std::to_string(df);
        ExpectQuorixError([&] { d.Quantile(1e-300); },
                          "ChiDist-Quantile: input parameter out of range", 4, 0.0, what);
        ExpectQuorixError([&] { d.Cdf(df); }, "ChiDist-Cdf: input parameter out of range", 4, 0.0,
                          what);
    }
    const double seconds = std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
}

// Far in the lower tail the density underflows before the distribution
// function does: the steps stalled on a point whose probability was 0 and
// returned it (953 for the 1e-300 quantile of df 1, lambda 1e4, which is
// (100 - 37.0470963)^2 = 3963.07 by the closed form). That is a failure;
// nearer in, at 1e-20, the answer is the closed form's (the normal quantile
// -9.2623400898 from mpmath).
TEST(ChiDistributionTest, QuantileStalledFarFromProbIsAFailure) {
    ChiDistribution d(1.0, 1e4);
    ExpectQuorixError([&] { d.Quantile(1e-300); },
                      "ChiDist-Quantile: answer below lower search bound", 2, 0.0,
                      "Quantile(1e-300)");
    EXPECT_NEAR(d.Quantile(1e-20), std::pow(100.0 - 9.262340089798408, 2.0), 1e-6);
}

TEST(ChiDistributionTest, Names) {
    ChiDistribution d(4.0, 3.0);
    EXPECT_EQ(d.GetName(), "$\\chi^2$");
    EXPECT_EQ(d.GetParamName(0), "noncentrality lambda");
    EXPECT_EQ(d.GetParamName(3), "df");
    EXPECT_EQ(d.GetParam(3), 4.0);
    EXPECT_EQ(d.GetNoncentrality(), 3.0);
}

}  // namespace
