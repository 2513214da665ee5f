#include "distributions/binomial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "distributions/reference_rows_test_support.h"

namespace {

// Cdf: the incomplete beta ratio, 1e-13 relative, also for the continuation
// to real counts and trials (rows with a fractional count or n); Pdf: the
// saddle-point mass, 1e-13.
TEST(BinomialDistributionTest, AgreesWithR) {
    const auto rows = ReadReferenceRows("r_reference.csv", "binomial");
    ASSERT_GT(rows.size(), 10u);
    for (const auto& r : rows) {
        BinomialDistribution d(r.p[0], r.p[1]);
        if (r.function == "cdf") {
            ExpectRelative(d.Cdf(r.arg), r, 1e-13);
        } else {
            ExpectRelative(d.Pdf(r.arg), r, 1e-13);
        }
    }
}

TEST(BinomialDistributionTest, EndsAndRounding) {
    BinomialDistribution d(10.0, 0.3);
    EXPECT_EQ(d.Cdf(-0.5), 0.0);
    EXPECT_EQ(d.Cdf(10.0), 1.0);
    EXPECT_EQ(d.Cdf(12.0), 1.0);
    EXPECT_EQ(d.Pdf(2.4), d.Pdf(2.0));
    EXPECT_EQ(d.Pdf(2.6), d.Pdf(3.0));
    EXPECT_NEAR(d.Pdf(2.0), 45.0 * 0.09 * std::pow(0.7, 8), 1e-15);
    EXPECT_EQ(d.Pdf(-1.0), 0.0);
    BinomialDistribution bad(10.0, 1.5);
    EXPECT_EQ(bad.Pdf(3.0), 0.0);  // never throws
}

TEST(BinomialDistributionTest, QuantileIsTheRealCountWithThatProbability) {
    // The exact tests search over real counts: Quantile inverts the
    // continued Cdf, so Cdf(Quantile(u)) = u between the ends.
    struct Case {
        double n, pi, u;
    };
    const Case cases[] = {{10, 0.5, 0.3}, {37.6, 0.3, 0.9}, {200, 0.02, 0.05}, {1000, 0.7, 0.999}};
    for (const auto& c : cases) {
        BinomialDistribution d(c.n, c.pi);
        const double s = d.Quantile(c.u);
        EXPECT_GE(s, 0.0);
        EXPECT_LE(s, c.n);
        EXPECT_NEAR(d.Cdf(s), c.u, 1e-10) << c.n << " " << c.pi << " " << c.u;
    }
    // Below P(X <= 0) the search ends at its lower bound: 0; at 1, n.
    BinomialDistribution d(10.0, 0.5);
    EXPECT_EQ(d.Quantile(1e-9), 0.0);
    EXPECT_EQ(d.Quantile(1.0), 10.0);
}

TEST(BinomialDistributionTest, Moments) {
    BinomialDistribution d(40.0, 0.25);
    EXPECT_EQ(d.GetMean(), 10.0);
    EXPECT_EQ(d.GetVariance(), 7.5);
    EXPECT_EQ(d.GetNoncentrality(), 0.0);
    EXPECT_EQ(d.GetName(), "Binomial");
    EXPECT_EQ(d.GetParamName(0), "Number of Trials");
    EXPECT_EQ(d.GetParamName(1), "Probablity of success");
}

// Both operations report with the quantile's prefix.
TEST(BinomialDistributionTest, FailuresThrowWithTheQuantileText) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        double n, pi;
        bool quantile;
        double arg;
        double value;
    };
    const Case cases[] = {
        {"Cdf, pi = 1.5", 10, 1.5, false, 3.0, 1.0}, {"Cdf, pi < 0", 10, -0.5, false, 3.0, 0.0},
        {"Cdf(NaN)", 10, 0.5, false, nan, 0.0},      {"Quantile(1.5)", 10, 0.5, true, 1.5, 1.0},
        {"Quantile, n = 0", 0, 0.5, true, 0.5, 0.0},
    };
    for (const auto& c : cases) {
        BinomialDistribution d(c.n, c.pi);
        ExpectQuorixError([&] { return c.quantile ? d.Quantile(c.arg) : d.Cdf(c.arg); },
                          "BinomialDist-Quantile: input parameter out of range", 4, c.value,
                          c.what);
    }
}

}  // namespace
