#include "distributions/hypergeometric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "distributions/table_rows_test_support.h"

namespace {

// Tolerances: the saddle-point density is good to a few ulps; a cumulative
// sum is one density value times a running product of ratios, so the
// rounding grows with the number of terms summed (up to a few hundred
// here): 1e-12 relative. Quantiles are counts and must match exactly.
TEST(HypergeometricTest, AgreesWithR) {
    const auto rows = ReadTableRows("r_reference.csv", "hyper");
    ASSERT_GT(rows.size(), 150u);
    for (const ReferenceRow& r : rows) {
        HypergeometricDistribution d(r.p[0], r.p[1], r.p[2]);
        if (r.function == "pdf") {
            ExpectRelative(d.Pdf(r.arg), r, 1e-13);
        } else if (r.function == "cdf") {
            ExpectRelative(d.Cdf(r.arg), r, 1e-12);
        } else if (r.function == "quantile") {
            EXPECT_EQ(d.Quantile(r.arg), r.expected) << Describe(r);
        }
    }
}

// The smallest count whose cumulative probability reaches prob, for every
// count and for probabilities just below and just above each cumulative
// value: this walks through every branch of the quantile (below the mode,
// at the mass below the mode, above it, and next to 1).
TEST(HypergeometricTest, QuantileIsTheSmallestCountReachingProb) {
    for (auto [n, K, N] : {std::tuple{10.0, 5.0, 20.0}, {30.0, 12.0, 45.0}, {4.0, 9.0, 11.0}}) {
        HypergeometricDistribution d(n, K, N);
        const int lowest = static_cast<int>(std::max(0.0, n + K - N));
        const int highest = static_cast<int>(std::min(n, K));
        for (int k = lowest; k < highest; ++k) {
            const double f = d.Cdf(k);
            EXPECT_EQ(d.Quantile(f * (1.0 - 1e-9)), k)
                << n << " " << K << " " << N << " below F(" << k << ")";
            EXPECT_EQ(d.Quantile(std::min(1.0, f * (1.0 + 1e-9))), k + 1)
                << n << " " << K << " " << N << " above F(" << k << ")";
        }
    }
}

TEST(HypergeometricTest, CdfOutsideTheSupportAndErrors) {
    HypergeometricDistribution d(10.0, 5.0, 20.0);
    EXPECT_EQ(d.Cdf(-0.6), 0.0);
    EXPECT_EQ(d.Cdf(5.0), 1.0);
    EXPECT_EQ(d.Cdf(17.0), 1.0);
    // With n = 15 of N = 20 and K = 12, at least 7 successes are drawn:
    // below that the distribution function is 0, not an error.
    HypergeometricDistribution narrow(15.0, 12.0, 20.0);
    EXPECT_EQ(narrow.Cdf(6.0), 0.0);
    EXPECT_EQ(narrow.Cdf(0.0), 0.0);
    EXPECT_NEAR(narrow.Cdf(7.0), narrow.Pdf(7.0), 1e-16);

    HypergeometricDistribution tooMany(10.0, 25.0, 20.0);
    ExpectQuorixError([&] { tooMany.Cdf(3.0); },
                      "HypergeometricDist-Quantile: input parameter out of range",
                      QuorixError::kOutOfRange, 3.0, "Cdf with K > N");
    ExpectQuorixError([&] { tooMany.Quantile(0.5); },
                      "HypergeometricDist-Quantile: input parameter out of range",
                      QuorixError::kOutOfRange, 0.5, "Quantile with K > N");
    HypergeometricDistribution bigSample(30.0, 5.0, 20.0);
    ExpectQuorixError([&] { bigSample.Quantile(0.5); },
                      "HypergeometricDist-Quantile: input parameter out of range",
                      QuorixError::kOutOfRange, 0.5, "Quantile with n > N");
    ExpectQuorixError([] { HypergeometricDistribution(-2.0, 5.0, 20.0).Cdf(1.0); },
                      "HypergeometricDist-Quantile: input parameter out of range",
                      QuorixError::kOutOfRange, 1.0, "Cdf with n < 0");
    ExpectQuorixError([] { HypergeometricDistribution(10.0, 5.0, 1e12).Quantile(0.5); },
                      "HypergeometricDist-Quantile: input parameter out of range",
                      QuorixError::kOutOfRange, 0.5, "Quantile with N beyond the count range");
    ExpectQuorixError([&] { d.Quantile(1.5); },
                      "HypergeometricDist-Quantile: input parameter out of range",
                      QuorixError::kOutOfRange, 1.5, "Quantile of 1.5");
    ExpectQuorixError([&] { d.Quantile(std::nan("")); },
                      "HypergeometricDist-Quantile: input parameter out of range",
                      QuorixError::kOutOfRange, std::nan(""), "Quantile of NaN");

    EXPECT_EQ(d.Quantile(0.0), 0.0);
    EXPECT_EQ(d.Quantile(1.0), 5.0);
}

TEST(HypergeometricTest, SumsFromTheMode) {
    // n = 10, K = 5, N = 20: mean 2.5, rounded mean 3.
    HypergeometricDistribution d(10.0, 5.0, 20.0);
    int last = -1;
    const double below = d.SumDownFromMode(1.0, &last);
    EXPECT_EQ(last, 0);
    EXPECT_NEAR(below, d.Pdf(0) + d.Pdf(1) + d.Pdf(2), 1e-15);
    const double above = d.SumUpFromMode(1.0, &last);
    EXPECT_EQ(last, 5);
    EXPECT_NEAR(below + above, 1.0, 1e-15);
    // A target below 1 stops at the first count that reaches it.
    EXPECT_NEAR(d.SumDownFromMode(0.4, &last), d.Pdf(2) + d.Pdf(1), 1e-15);
    EXPECT_EQ(last, 1);
    EXPECT_NEAR(d.SumUpFromMode(0.45, &last), d.Pdf(3) + d.Pdf(4), 1e-15);
    EXPECT_EQ(last, 4);
    // Rounded mean 0: nothing lies below it.
    HypergeometricDistribution rare(3.0, 2.0, 40.0);
    EXPECT_EQ(rare.SumDownFromMode(1.0, &last), 0.0);
    EXPECT_EQ(last, 0);
}

TEST(HypergeometricTest, TwoSidedBoundsOfHandCheckedCases) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) +
                     "/verification/distributions2/two_sided_bounds.csv");
    ASSERT_TRUE(in.good());
    std::string line;
    std::getline(in, line);
    int cases = 0;
    while (std::getline(in, line)) {
        std::stringstream ss(line);
        double n, K, N, target, probability;
        int lower, upper;
        char comma;
        ss >> n >> comma >> K >> comma >> N >> comma >> target >> comma >> lower >> comma >>
            upper >> comma >> probability;
        HypergeometricDistribution d(n, K, N);
        int gotLower = -1, gotUpper = -1;
        const double got = d.FindTwoSidedBounds(target, &gotLower, &gotUpper);
        EXPECT_EQ(gotLower, lower) << line;
        EXPECT_EQ(gotUpper, upper) << line;
        EXPECT_NEAR(got, probability, 1e-14) << line;
        ++cases;
    }
    EXPECT_GT(cases, 10);
}

// An empty population (n = K = N = 0) has the single count 0. Its mean is
// 0/0: the count taken for the mode was a NaN converted to int, from which
// the quantile's sums walked through the whole int range.
TEST(HypergeometricTest, EmptyPopulationHasTheSingleCountZero) {
    HypergeometricDistribution d(0.0, 0.0, 0.0);
    for (double prob : {1e-300, 0.5, 1.0}) EXPECT_EQ(d.Quantile(prob), 0.0) << prob;
    EXPECT_EQ(d.Pdf(0.0), 1.0);
    EXPECT_EQ(d.Cdf(0.0), 1.0);
    int lower = -1, upper = -1;
    EXPECT_EQ(d.FindTwoSidedBounds(0.95, &lower, &upper), 1.0);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 0);
}

TEST(HypergeometricTest, ParametersAndMoments) {
    HypergeometricDistribution d(10.0, 5.0, 20.0);
    EXPECT_EQ(d.GetName(), "Hypergeometric");
    EXPECT_EQ(d.GetParamCount(), 3);
    EXPECT_EQ(d.GetParamName(0), "sample size");
    EXPECT_EQ(d.GetParamName(1), "n successes");
    EXPECT_EQ(d.GetParamName(7), "n total");
    EXPECT_DOUBLE_EQ(d.GetMean(), 2.5);
    EXPECT_DOUBLE_EQ(d.GetVariance(), 0.75 * 50.0 * 10.0 / (19.0 * 20.0));
    d.SetNoncentrality(4.0);
    EXPECT_EQ(d.GetNoncentrality(), 0.0);
    EXPECT_EQ(d.GetParam(0), 10.0);
    // Unrounded parameters: each operation rounds what it needs.
    HypergeometricDistribution fractional(10.2, 4.8, 19.9);
    EXPECT_DOUBLE_EQ(fractional.Pdf(2.4), d.Pdf(2.0));
}

}  // namespace
