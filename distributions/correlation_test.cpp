#include "distributions/correlation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "distributions/reference_rows_test_support.h"
#include "distributions/t.h"
#include "distributions/table_rows_test_support.h"
#include "distributions/work_time_test_support.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

// Lower tails far below 1e-16, where the finite series is rounding only,
// to eight digits: near the bulk of large samples, with rho within 1e-3 of
// -1 and with rho = 1 - 2^-53, where the distribution lies within 1e-8 of 1
// (verification/exact_corr_tails, mpmath at 30 digits).
TEST(CorrDistributionTest, LowerTailsFarBelowTheDoublesKeepTheirDigits) {
    const auto rows = ReadRowsFrom("verification/exact_corr_tails", "distribution_tails.csv", "r");
    ASSERT_GE(rows.size(), 5u);
    for (const ReferenceRow& r : rows) {
        CorrDistribution d(r.p[0], r.p[1]);
        EXPECT_NEAR(d.Cdf(r.arg) / r.expected, 1.0, 1e-8)
            << "rho " << r.p[0] << " n " << r.p[1] << " x " << r.arg;
    }
}

// With rho = 0, t = r sqrt(n - 2) / sqrt(1 - r^2) has Student's t
// distribution with n - 2 degrees of freedom, for odd and even n.
TEST(CorrDistributionTest, NullDistributionIsTheTransformedT) {
    for (double n : {3.0, 4.0, 5.0, 8.0, 11.0, 30.0, 101.0}) {
        CorrDistribution r(0.0, n);
        TDistribution t(n - 2.0);
        for (double x : {-0.9, -0.35, 0.0, 0.1, 0.5, 0.97}) {
            const double tx = x * std::sqrt(n - 2.0) / std::sqrt(1.0 - x * x);
            EXPECT_NEAR(r.Cdf(x), t.Cdf(tx), 1e-13) << "n " << n << " x " << x;
        }
        EXPECT_NEAR(r.Quantile(0.5), 0.0, 1e-10) << n;
    }
}

// The series takes about n/2 steps and the quantile sums it some 35 times:
// a sample size of 1e18 never finished. Above 1e6 both are refused at once;
// at 1e6 the rounding of half a million terms leaves about 1.5e-12 (the t
// values are exact to a few ulps: mpmath's incomplete beta agrees).
TEST(CorrDistributionTest, SampleSizeBeyondTheSeriesIsRefusedPromptly) {
    const auto start = ThreadCpuClock::now();
    for (double n : {1e6 + 1.0, 1e10, 1e18, 1e300, kInf}) {
        CorrDistribution d(0.07, n);
        const std::string what = "n " + std::to_string(n);
        ExpectQuorixError([&] { d.Cdf(0.07); }, "CorrDist-Cdf: input parameter out of range", 4,
                          0.0, what);
        ExpectQuorixError([&] { d.Quantile(0.5); },
                          "CorrDist-Quantile: input parameter out of range", 4, 0.0, what);
    }
    const double n = 1e6;
    CorrDistribution r(0.0, n);
    TDistribution t(n - 2.0);
    for (double x : {-0.004, -0.001, 0.0005, 0.002}) {
        const double tx = x * std::sqrt(n - 2.0) / std::sqrt(1.0 - x * x);
        EXPECT_NEAR(r.Cdf(x), t.Cdf(tx), 5e-12) << "x " << x;
    }
    // The density's factor is a difference of log-gamma values near 1.3e7,
    // good to about 1e-9 at n = 1e6 (reference: corr_limit_reference.py);
    // beyond, the density is 0 as outside its other ranges.
    EXPECT_NEAR(CorrDistribution(0.07, 1e6).Pdf(0.0705), 353.39026714784399, 1e-9 * 353.4);
    EXPECT_EQ(CorrDistribution(0.07, 1e6 + 1.0).Pdf(0.0705), 0.0);
    const double seconds = std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
}

// Reference: the exact density (Hotelling's hypergeometric form) and its
// numerical integral at 50 digits (mpmath_reference.py). The finite series
// keeps 1e-12 absolute; the density series stops at terms below 1e-14.
TEST(CorrDistributionTest, AgreesWithTheIntegratedExactDensity) {
    const auto rows = ReadTableRows("mpmath_reference.csv", "corr");
    ASSERT_EQ(rows.size(), 24u);
    for (const ReferenceRow& r : rows) {
        CorrDistribution d(r.p[0], r.p[1]);
        if (r.function == "cdf") {
            EXPECT_NEAR(d.Cdf(r.arg), r.expected, 1e-12) << Describe(r);
        } else {
            ExpectRelative(d.Pdf(r.arg), r, 1e-12);
        }
    }
}

TEST(CorrDistributionTest, QuantileInvertsCdf) {
    for (auto [rho, n] : {std::pair{0.3, 10.0}, {-0.6, 7.0}, {0.9, 40.0}, {0.5, 4.0}}) {
        CorrDistribution d(rho, n);
        for (double prob : {0.001, 0.05, 0.5, 0.9, 0.999}) {
            const double x = d.Quantile(prob);
            EXPECT_NEAR(d.Cdf(x), prob, 1e-9) << rho << " " << n << " " << prob;
        }
        // A small probability is met relative to itself (or within the
        // bisection's 1e-10 in x), not by any point whose probability is
        // merely below the absolute tolerance.
        const double small = 1e-11;
        const double x = d.Quantile(small);
        const bool close = std::fabs(d.Cdf(x) - small) <= 1e-3 * small;
        const bool bracketed =
            d.Cdf(std::max(-1.0, x - 1e-10)) <= small && small <= d.Cdf(std::min(1.0, x + 1e-10));
        EXPECT_TRUE(close || bracketed) << rho << " " << n << ": " << x << " " << d.Cdf(x);
    }
}

// Reference: roots of the integrated exact density (or of the incomplete
// beta ratio for rho = 0) at 30 digits, corr_quantile_reference.py. The
// quantile is good to the distribution function's own accuracy, the
// critical values of the correlation tests with it: for rho = 0 from the
// incomplete beta ratio, else from the finite series (1e-12 absolute, and
// the density there is at most about 14 in these rows).
TEST(CorrDistributionTest, QuantileAgreesWithTheIntegratedDensity) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) +
                     "/verification/exact_speed/corr_quantile_cases.csv");
    ASSERT_TRUE(in.good());
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        double rho = 0.0, n = 0.0, prob = 0.0, expected = 0.0;
        char comma = 0;
        fields >> rho >> comma >> n >> comma >> prob >> comma >> expected;
        ASSERT_FALSE(fields.fail()) << line;
        CorrDistribution d(rho, n);
        const double tolerance = rho == 0.0 ? 1e-14 * std::fabs(expected) : 2e-13;
        EXPECT_NEAR(d.Quantile(prob), expected, tolerance) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 17);
}

// The two points of CdfPair run through one pass of the series, odd and
// even n alike; each gets exactly what Cdf gives it, the ends and rho = 0
// included.
TEST(CorrDistributionTest, CdfPairIsTwoCallsOfCdf) {
    for (auto [rho, n] : {std::pair{0.3, 7.0}, {-0.6, 10.0}, {0.1, 782.0}, {0.0, 85.0}}) {
        CorrDistribution d(rho, n);
        for (auto [x1, x2] : {std::pair{0.2, -0.2}, {0.9, 0.05}, {1.0, -0.99}, {-0.5, -1.0}}) {
            double f1 = -1.0, f2 = -1.0;
            d.CdfPair(x1, x2, &f1, &f2);
            EXPECT_EQ(f1, d.Cdf(x1)) << rho << " " << n << " " << x1;
            EXPECT_EQ(f2, d.Cdf(x2)) << rho << " " << n << " " << x2;
        }
    }
    double f1 = 0.0, f2 = 0.0;
    ExpectQuorixError([&] { CorrDistribution(0.2, 10.0).CdfPair(0.1, 1.5, &f1, &f2); },
                      "CorrDist-Cdf: input parameter out of range", QuorixError::kOutOfRange, 0.0,
                      "CdfPair(0.1, 1.5)");
}

TEST(CorrDistributionTest, EndsAndDegenerateCases) {
    // n = 2.4 rounds to 2: r is +-1, and the ends are exact.
    CorrDistribution two(0.3, 2.4);
    EXPECT_NEAR(two.Cdf(1.0), 1.0, 1e-15);
    EXPECT_NEAR(two.Cdf(-1.0), 0.0, 1e-15);
    // |rho| = 1 is a point mass at rho; the test of rho precedes that of x.
    CorrDistribution perfect(1.0, 10.0);
    EXPECT_EQ(perfect.Pdf(0.3), 0.0);
    EXPECT_EQ(perfect.Pdf(1.0), kInf);
    EXPECT_EQ(perfect.Cdf(1.0), 1.0);
    EXPECT_NEAR(perfect.Cdf(0.5), 0.0, 1e-15);
    // Outside the ranges the density is 0 and never throws.
    CorrDistribution d(0.2, 10.0);
    EXPECT_EQ(d.Pdf(1.5), 0.0);
    EXPECT_EQ(d.Pdf(-1.0), 0.0);
    EXPECT_EQ(CorrDistribution(0.2, 1.5).Pdf(0.3), 0.0);
    EXPECT_EQ(CorrDistribution(1.2, 10.0).Pdf(0.3), 0.0);
}

TEST(CorrDistributionTest, InvalidInputsThrow) {
    const char* cdf = "CorrDist-Cdf: input parameter out of range";
    const char* quantile = "CorrDist-Quantile: input parameter out of range";
    CorrDistribution d(0.2, 10.0);
    ExpectQuorixError([&] { d.Cdf(1.1); }, cdf, QuorixError::kOutOfRange, 0.0, "Cdf(1.1)");
    ExpectQuorixError([&] { d.Cdf(std::nan("")); }, cdf, QuorixError::kOutOfRange, 0.0, "Cdf(NaN)");
    ExpectQuorixError([&] { CorrDistribution(0.2, 1.9).Cdf(0.1); }, cdf, QuorixError::kOutOfRange,
                      0.0, "n < 2");
    ExpectQuorixError([&] { CorrDistribution(-1.5, 10.0).Cdf(0.1); }, cdf, QuorixError::kOutOfRange,
                      0.0, "rho");
    ExpectQuorixError([&] { d.Quantile(-0.1); }, quantile, QuorixError::kOutOfRange, 0.0,
                      "Quantile(-0.1)");
    ExpectQuorixError([&] { CorrDistribution(2.0, 10.0).Quantile(0.5); }, quantile,
                      QuorixError::kOutOfRange, 0.0, "Quantile with rho 2");
}

TEST(CorrDistributionTest, ParametersAndNames) {
    CorrDistribution d(0.4, 12.0);
    EXPECT_EQ(d.GetName(), "r");
    EXPECT_EQ(d.GetParamName(0), "pop corr coeff");
    EXPECT_EQ(d.GetParamName(5), "sample size");
    EXPECT_EQ(d.GetMean(), 0.0);
    EXPECT_EQ(d.GetVariance(), 1.0);
    EXPECT_EQ(d.GetNoncentrality(), 0.4);
    d.SetNoncentrality(-0.1);
    EXPECT_EQ(d.GetParam(2), -0.1);
}

}  // namespace
