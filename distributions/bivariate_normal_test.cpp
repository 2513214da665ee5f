#include "distributions/bivariate_normal.h"

#include <gtest/gtest.h>

#include <cmath>

#include "distributions/normal.h"
#include "distributions/table_rows_test_support.h"

namespace {

double Phi(double z) {
    NormalDistribution standard(0.0, 1.0);
    return standard.Cdf(z);
}

TEST(BivariateNormalTest, ClosedFormsAtTheOrigin) {
    // h = k = 0: 1/4 + asin(rho) / (2 pi), without quadrature.
    for (double rho : {0.5, -0.5, 0.9, -0.99, 0.2}) {
        EXPECT_NEAR(BivariateNormalCdf(0.0, 0.0, 0.0, 0.0, 1.0, 1.0, rho, 1e-14),
                    0.25 + std::asin(rho) / (2.0 * M_PI), 1e-15)
            << rho;
    }
    EXPECT_NEAR(BivariateNormalCdf(0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 0.5, 1e-14), 1.0 / 3.0, 1e-15);
    EXPECT_NEAR(BivariateNormalCdf(0.0, 0.0, 0.0, 0.0, 1.0, 1.0, -0.5, 1e-14), 1.0 / 6.0, 1e-15);
    // Shifted and scaled bounds standardise to the origin.
    EXPECT_NEAR(BivariateNormalCdf(3.0, -1.0, 3.0, -1.0, 2.0, 0.5, 0.5, 1e-14), 1.0 / 3.0, 1e-15);
}

TEST(BivariateNormalTest, IndependenceGivesTheProductOfTheMargins) {
    for (double rho : {0.0, 1e-14, -1e-14}) {
        EXPECT_DOUBLE_EQ(BivariateNormalCdf(0.7, -0.4, 0.0, 0.0, 1.0, 1.0, rho, 1e-12),
                         Phi(0.7) * Phi(-0.4))
            << rho;
    }
}

// Reference: the integral over z1 of phi(z1) Phi((k - rho z1) / sqrt(1 -
// rho^2)) at 50 digits (mpmath_reference.py). The quadrature runs to an
// absolute 1e-13; the result keeps 2e-13, also at h = k and h = -k where
// the integrand's limit at the end of the angle range needs its rewritten
// form, and near |rho| = 1.
TEST(BivariateNormalTest, AgreesWithMpmath) {
    const auto rows = ReadTableRows("mpmath_reference.csv", "bvn");
    ASSERT_EQ(rows.size(), 13u);
    for (const ReferenceRow& r : rows) {
        const double h = r.p[0], k = r.p[1], rho = r.p[2];
        EXPECT_NEAR(BivariateNormalCdf(h, k, 0.0, 0.0, 1.0, 1.0, rho, 1e-13), r.expected, 2e-13)
            << Describe(r);
        // The same probability through means and standard deviations, and
        // with the two variables exchanged.
        EXPECT_NEAR(
            BivariateNormalCdf(2.0 + 3.0 * k, 1.0 + 0.5 * h, 2.0, 1.0, 3.0, 0.5, rho, 1e-13),
            r.expected, 2e-13)
            << Describe(r);
    }
}

TEST(BivariateNormalTest, NegativeCorrelationWithEmptyBase) {
    // rho < 0 and Phi(h) < Phi(-k): the value at rho = -1 is 0 and the
    // integral term alone gives the probability, which stays positive.
    const double got = BivariateNormalCdf(-1.0, -1.0, 0.0, 0.0, 1.0, 1.0, -0.3, 1e-14);
    EXPECT_GT(got, 0.0);
    EXPECT_LT(got, Phi(-1.0) * Phi(-1.0));
    // Frechet bounds: max(0, Phi(h) + Phi(k) - 1) <= F <= min(Phi(h), Phi(k)).
    for (double rho : {-0.999, -0.5, 0.5, 0.999}) {
        const double f = BivariateNormalCdf(0.4, -0.9, 0.0, 0.0, 1.0, 1.0, rho, 1e-13);
        EXPECT_GE(f, std::max(0.0, Phi(0.4) + Phi(-0.9) - 1.0)) << rho;
        EXPECT_LE(f, std::min(Phi(0.4), Phi(-0.9))) << rho;
    }
}

}  // namespace
