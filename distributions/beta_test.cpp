#include "distributions/beta.h"

#include <gtest/gtest.h>

#include <cmath>

#include "distributions/reference_rows_test_support.h"

namespace {

// The incomplete beta ratio of the driver is good to a few ulps (1e-13
// relative, fractional shapes included); the density from the log-beta
// function to 1e-13 at shapes near 150; the quantile search stops at a
// relative 1e-12 of x.
TEST(BetaDistributionTest, AgreesWithR) {
    const auto rows = ReadReferenceRows("r_reference.csv", "beta");
    ASSERT_GT(rows.size(), 15u);
    for (const auto& r : rows) {
        BetaDistribution d(r.p[0], r.p[1]);
        if (r.function == "cdf") {
            ExpectRelative(d.Cdf(r.arg), r, 1e-13);
        } else if (r.function == "pdf") {
            ExpectRelative(d.Pdf(r.arg), r, 1e-12);
        } else {
            ExpectRelative(d.Quantile(r.arg), r, 1e-11);
        }
    }
}

TEST(BetaDistributionTest, DensityOutsideTheSupportIsZero) {
    BetaDistribution d(2.0, 3.0);
    for (double x : {0.0, 1.0, -0.2, 1.5}) EXPECT_EQ(d.Pdf(x), 0.0) << x;
    BetaDistribution bad(-1.0, 3.0);
    EXPECT_EQ(bad.Pdf(0.5), 0.0);
}

TEST(BetaDistributionTest, MomentsAndNoNoncentrality) {
    BetaDistribution d(2.0, 3.0);
    EXPECT_DOUBLE_EQ(d.GetMean(), 0.4);
    EXPECT_DOUBLE_EQ(d.GetVariance(), 6.0 / (25.0 * 6.0));
    d.SetNoncentrality(3.0);
    EXPECT_EQ(d.GetNoncentrality(), 0.0);
    EXPECT_EQ(d.GetParam(0), 2.0);
    EXPECT_EQ(d.GetName(), "Beta");
    EXPECT_EQ(d.GetParamName(0), "shape alpha");
    EXPECT_EQ(d.GetParamName(2), "shape beta");
}

// The driver leaves its answer unwritten when it fails; these operations
// throw rather than return it.
TEST(BetaDistributionTest, DriverFailuresThrow) {
    struct Case {
        const char* what;
        double a, b;
        bool quantile;
        double arg;
        const char* message;
        double value;
    };
    const Case cases[] = {
        {"Cdf, a = 0", 0.0, 3.0, false, 0.5, "BetaDist-Cdf: input parameter out of range", 0.0},
        {"Cdf, b < 0", 2.0, -1.0, false, 0.5, "BetaDist-Cdf: input parameter out of range", 0.0},
        {"Cdf(1.5)", 2.0, 3.0, false, 1.5, "BetaDist-Cdf: input parameter out of range", 1.0},
        {"Quantile(-0.1)", 2.0, 3.0, true, -0.1, "BetaDist-Quantile: input parameter out of range",
         0.0},
        {"Quantile, a = 0", 0.0, 3.0, true, 0.5, "BetaDist-Quantile: input parameter out of range",
         0.0},
    };
    for (const auto& c : cases) {
        BetaDistribution d(c.a, c.b);
        ExpectQuorixError([&] { return c.quantile ? d.Quantile(c.arg) : d.Cdf(c.arg); }, c.message,
                          4, c.value, c.what);
    }
}

}  // namespace
