#include "distributions/normal.h"

#include <gtest/gtest.h>

#include <cmath>

#include "distributions/reference_rows_test_support.h"

namespace {

// Cody's normal integral is good to a few ulps in both tails (1e-13 leaves
// room for forming (x - mean)/sigma); the quantile comes from the driver's
// inverse, good to 1e-12 relative.
TEST(NormalDistributionTest, AgreesWithR) {
    const auto rows = ReadReferenceRows("r_reference.csv", "normal");
    ASSERT_GT(rows.size(), 15u);
    for (const auto& r : rows) {
        NormalDistribution d(r.p[0], r.p[1]);
        if (r.function == "cdf") {
            if (r.expected < 2.3e-308) {
                EXPECT_EQ(d.Cdf(r.arg), 0.0) << Describe(r);  // below the smallest normal double
            } else {
                ExpectRelative(d.Cdf(r.arg), r, 1e-13);
            }
        } else if (r.function == "pdf") {
            ExpectRelative(d.Pdf(r.arg), r, 1e-14);
        } else {
            ExpectRelative(d.Quantile(r.arg), r, 1e-12);
        }
    }
}

TEST(NormalDistributionTest, PointMassAtZeroSigma) {
    NormalDistribution d(2.0, 0.0);
    EXPECT_EQ(d.Pdf(2.0), 1.0);
    EXPECT_EQ(d.Pdf(2.0 + 1e-15), 0.0);
    NormalDistribution origin(0.0, 0.0);
    EXPECT_EQ(origin.Pdf(1e-300), 0.0);
}

TEST(NormalDistributionTest, MomentsAndNoncentralityAreTheMean) {
    NormalDistribution d(1.5, 3.0);
    EXPECT_EQ(d.GetMean(), 1.5);
    EXPECT_EQ(d.GetVariance(), 9.0);
    d.SetNoncentrality(-4.0);
    EXPECT_EQ(d.GetMean(), -4.0);
    EXPECT_EQ(d.GetNoncentrality(), -4.0);
    EXPECT_EQ(d.GetName(), "Normal");
    EXPECT_EQ(d.GetParamName(0), "mean");
    EXPECT_EQ(d.GetParamName(4), "sigma");
    EXPECT_EQ(d.GetParam(3), 3.0);
}

TEST(NormalDistributionTest, FailuresThrowWithTheirTexts) {
    NormalDistribution flat(0.0, 0.0);
    ExpectQuorixError([&] { return flat.Cdf(1.0); }, "NormalDist-Cdf: input parameter out of range",
                      4, 0.0, "Cdf with sigma 0");
    NormalDistribution d(0.0, 1.0);
    ExpectQuorixError([&] { return d.Quantile(0.0); },
                      "NormalDist-Quantile: input parameter out of range", 4, 0.0, "Quantile(0)");
    ExpectQuorixError([&] { return d.Quantile(1.5); },
                      "NormalDist-Quantile: input parameter out of range", 4, 1.0, "Quantile(1.5)");
    NormalDistribution negative(0.0, -1.0);
    ExpectQuorixError([&] { return negative.Quantile(0.5); },
                      "NormalDist-Quantile: input parameter out of range", 4, 0.0,
                      "Quantile with sigma < 0");
}

}  // namespace
