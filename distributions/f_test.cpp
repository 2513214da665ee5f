#include "distributions/f.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>

#include "distributions/reference_rows_test_support.h"
#include "distributions/work_time_test_support.h"

namespace {

// Tolerances, relative to the reference value:
//  - Cdf: incomplete beta ratios (good to a few ulps) with Poisson weights,
//    summed until a term no longer changes the sum; the recurrence between
//    neighbouring ratios adds a rounding per step: 1e-11 noncentral (also in
//    the lower tail near 1e-12 at lambda = 60), 1e-13 central.
//  - Pdf: the Poisson mixture of beta densities: 1e-12; R's noncentral
//    density is itself good to about 1e-11.
//  - Quantile: the driver's search stops at a relative 1e-12 of f, but the
//    answer is only as good as the distribution function's slope allows;
//    1e-9.
void CheckRow(const ReferenceRow& r) {
    FDistribution d(r.p[1], r.p[2], r.p[0], 1.0);
    const bool central = r.p[0] == 0.0;
    const bool fromR = r.source == "r_reference.csv";
    if (fromR && !central && r.function == "cdf") {
        // R's noncentral beta sum stops at an absolute error of 1e-9.
        EXPECT_NEAR(d.Cdf(r.arg), r.expected, 1e-9) << Describe(r);
    } else if (fromR && !central && r.function == "quantile") {
        ExpectRelative(d.Quantile(r.arg), r, 1e-8);
    } else if (r.function == "cdf") {
        ExpectRelative(d.Cdf(r.arg), r, central ? 1e-13 : 1e-11);
    } else if (r.function == "pdf") {
        ExpectRelative(d.Pdf(r.arg), r, central ? 1e-13 : fromR ? 1e-10 : 1e-12);
    } else if (r.function == "quantile") {
        ExpectRelative(d.Quantile(r.arg), r, 1e-9);
    } else if (r.function == "mean") {
        ExpectRelative(d.GetMean(), r, 1e-15);
    } else if (r.function == "variance") {
        ExpectRelative(d.GetVariance(), r, 1e-14);
    }
}

TEST(FDistributionTest, AgreesWithBoost) {
    const auto rows = ReadReferenceRows("boost_reference.csv", "F");
    ASSERT_GT(rows.size(), 30u);
    for (const auto& r : rows) CheckRow(r);
}

TEST(FDistributionTest, AgreesWithR) {
    const auto rows = ReadReferenceRows("r_reference.csv", "F");
    ASSERT_GT(rows.size(), 15u);
    for (const auto& r : rows) CheckRow(r);
}

// Far below and above the mean the terms of the density's mixture peak far
// from the Poisson mode, beyond where the weights alone end the sums (a
// sixth of the density was missing at a third of the mean). Against the
// mixture summed in 60 digits.
TEST(FDistributionTest, DensityFarInItsTails) {
    const auto rows = ReadReferenceRows("density_tail_reference.csv", "F");
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& r : rows) {
        FDistribution d(r.p[1], r.p[2], r.p[0]);
        ExpectRelative(d.Pdf(r.arg), r, 1e-12);
    }
}

TEST(FDistributionTest, ScaleActsOnTheVariableConsistently) {
    // X = Y / s: Cdf(x) = F_Y(x s), Pdf(x) = s f_Y(x s), Quantile = q_Y / s,
    // so Quantile(Cdf(x)) gives x back.
    for (double lambda : {0.0, 7.5}) {
        FDistribution plain(4.0, 30.0, lambda, 1.0), scaled(4.0, 30.0, lambda, 2.0);
        EXPECT_DOUBLE_EQ(scaled.Cdf(1.0), plain.Cdf(2.0));
        EXPECT_DOUBLE_EQ(scaled.Pdf(1.0), 2.0 * plain.Pdf(2.0));
        EXPECT_NEAR(scaled.Quantile(scaled.Cdf(1.3)), 1.3, 1e-10);
    }
}

TEST(FDistributionTest, NoncentralityThresholds) {
    // The distribution function switches to the noncentral routine from
    // |lambda| = 1e-40, the quantile from 1e-100; both agree with the central
    // values there.
    FDistribution central(3.0, 12.0, 0.0, 1.0);
    for (double lambda : {1e-41, 1e-39, 1e-101, 1e-99}) {
        FDistribution d(3.0, 12.0, lambda, 1.0);
        EXPECT_NEAR(d.Cdf(2.0), central.Cdf(2.0), 1e-14) << lambda;
        EXPECT_NEAR(d.Quantile(0.9), central.Quantile(0.9), 1e-10) << lambda;
    }
}

TEST(FDistributionTest, DensityVanishesAtZeroAndBelow) {
    for (double lambda : {0.0, 4.0}) {
        FDistribution d(2.0, 5.0, lambda, 1.0);
        EXPECT_EQ(d.Pdf(0.0), 0.0);
        EXPECT_EQ(d.Pdf(-1.0), 0.0);
    }
}

TEST(FDistributionTest, FailuresThrowWithTheirTexts) {
    struct Case {
        const char* what;
        double df1, df2, lambda;
        int op;  // 0 Cdf, 1 Quantile, 2 GetMean, 3 GetVariance
        double arg;
        const char* message;
        int code;
        double value;
    };
    const Case cases[] = {
        {"GetMean, df2 = 2", 3, 2, 1, 2, 0, "FDist-GetMean: input parameter out of range", 4, 2.0},
        {"GetVariance, df2 = 4", 3, 4, 1, 3, 0, "FDist-GetVariance: input parameter out of range",
         4, 4.0},
        {"central Cdf(-1)", 3, 10, 0, 0, -1.0, "FDist-Cdf: input parameter out of range", 4, 0.0},
        {"noncentral Cdf, df1 = 0", 0, 10, 2, 0, 1.0, "FDist-Cdf: input parameter out of range", 4,
         0.0},
        {"central Quantile(1.5)", 3, 10, 0, 1, 1.5, "FDist-Quantile: input parameter out of range",
         4, 1.0},
        {"noncentral Quantile(1)", 3, 10, 2, 1, 1.0, "FDist-Quantile: input parameter out of range",
         4, 0.99999999999999989},
        {"noncentral Quantile, lambda < 0", 3, 10, -2, 1, 0.5,
         "FDist-Quantile: input parameter out of range", 4, 0.0},
    };
    for (const auto& c : cases) {
        FDistribution d(c.df1, c.df2, c.lambda, 1.0);
        ExpectQuorixError(
            [&] {
                switch (c.op) {
                    case 0:
                        return d.Cdf(c.arg);
                    case 1:
                        return d.Quantile(c.arg);
                    case 2:
                        return d.GetMean();
                    default:
                        return d.GetVariance();
                }
            },
            c.message, c.code, c.value, c.what);
    }
}

// The noncentral sums need some 20 sqrt(lambda / 2) terms: at lambda = 1e15
// the distribution function took a second, the density and the quantile
// far longer, and from about 1e20 on nothing finished. As the noncentral F
// driver does, lambda above 1e10 is refused at once.
TEST(FDistributionTest, NoncentralityBeyondTheSumsIsRefusedPromptly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto start = ThreadCpuClock::now();
    for (double lambda :
         {1.0000001e10, 1e15, 1e20, 1e300, std::numeric_limits<double>::infinity(), nan}) {
        FDistribution d(3.0, 10.0, lambda);
        const std::string what = "lambda " + std::to_string(lambda);
        ExpectQuorixError([&] { d.Cdf(1e9); }, "FDist-Cdf: input parameter out of range", 4, 0.0,
                          what);
        ExpectQuorixError([&] { d.Pdf(1e9); }, "FDist-Pdf: input parameter out of range", 4, 0.0,
                          what);
        ExpectQuorixError([&] { d.Quantile(0.5); }, "FDist-Quantile: input parameter out of range",
                          4, 0.0, what);
        bool notConverged = false;
        EXPECT_TRUE(std::isnan(NoncentralFDensity(1e9, 3.0, 10.0, lambda, &notConverged))) << what;
        EXPECT_TRUE(notConverged) << what;
    }
    // With df2 = 1e-10 the denominator chi-square lies below 1e-1000000000
    // with probability near 1, so P(F <= x) stays far below 1/2 up to the
    // largest double: the steps climbed to its end and returned a point near
    // it as the median, after some 6 s at lambda = 1e8.
    ExpectQuorixError([] { FDistribution(1e-10, 1e-10, 1e8).Quantile(0.5); },
                      "FDist-Quantile: answer above upper search bound", 3, 0.0,
                      "median beyond the doubles");
    const double seconds = std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
}

// With df2 = 1e-300 the distribution function is flat over most of the
// doubles (and rounds to 1 where df2 / (df1 z) underflows): the quantile's
// steps and halvings ran to their limits, 1000 steps of up to 200 sums,
// some 9 s at lambda = 1e8 and minutes at 1e10. The work is now bounded
// and the failure reported.
TEST(FDistributionTest, QuantileWorkIsBoundedWhereTheSumsCannotSettle) {
    const auto start = ThreadCpuClock::now();
    ExpectQuorixError([] { FDistribution(7.0, 1e-300, 1e8).Quantile(1e-300); },
                      "FDist-Quantile: answer below lower search bound", 2, 0.0, "df2 1e-300");
    const double seconds = std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
}

// Far in the lower tail the steps can stall on a point whose probability is
// orders of magnitude from prob (1e-238 for 1e-200): that is a failure,
// reported as below the lower bound, never an answer.
TEST(FDistributionTest, FarLowerTailQuantileIsAnAnswerOrAFailure) {
    const struct {
        double df1, df2, lambda, prob;
    } cases[] = {{10.0, 1.0, 0.3, 1e-200}, {10.0, 1.0, 300.0, 1e-200}, {3.0, 50.0, 3000.0, 1e-200}};
    for (const auto& c : cases) {
        FDistribution d(c.df1, c.df2, c.lambda);
        try {
            const double x = d.Quantile(c.prob);
            EXPECT_NEAR(d.Cdf(x), c.prob, 1e-3 * c.prob)
                << c.df1 << " " << c.df2 << " " << c.lambda;
        } catch (const QuorixError& e) {
            EXPECT_EQ(e.GetCode(), QuorixError::kBelowLowerBound)
                << c.df1 << " " << c.df2 << " " << c.lambda;
        }
    }
}

TEST(FDistributionTest, NamesAndParameters) {
    FDistribution d(3.0, 20.0, 1.5, 1.0);
    EXPECT_EQ(d.GetName(), "F");
    EXPECT_EQ(d.GetParamCount(), 3);
    EXPECT_EQ(d.GetParamName(0), "noncentrality lambda");
    EXPECT_EQ(d.GetParamName(1), "numerator df");
    EXPECT_EQ(d.GetParamName(2), "denominator df");
    EXPECT_EQ(d.GetParamName(9), "denominator df");
    EXPECT_EQ(d.GetParam(5), 20.0);
    EXPECT_EQ(d.GetNoncentrality(), 1.5);
    EXPECT_EQ(d.GetScale(), 1.0);
}

}  // namespace
