// The probability that a weighted sum of chi-squares is positive, where it
// has a closed form: F(d1, d2, nc) > x is chi2(d1, nc) - x d1/d2 chi2(d2) > 0
// (references: scipy.stats.ncf.sf and f.sf; for d1 = 2 the closed form
// (1 + 2x/d2)^(-d2/2), with mpmath), and two unequal weights of 2 df each
// against c chi2(nu), whose survival function is a difference of two
// exponentials: P = (w1 (1 + c/w1)^(-nu/2) - w2 (1 + c/w2)^(-nu/2)) /
// (w1 - w2) (mpmath). Error df in the millions and beyond, as a sample-size
// search meets them, take the path of the long oscillating tail.

#include "glm/model/chi_square_sum.h"

#include <gtest/gtest.h>

TEST(ChiSquareSum, FTailsAsSignsOfTwoTerms) {
    const struct {
        double x, d1, d2, nc, upper;
    } cases[] = {
        {2.5, 3, 10, 2.0, 0.27744911880429257},   {1.2, 8, 60, 0.0, 0.3145053549842739},
        {4.0, 2, 15, 12.0, 0.7737896126290789},   {60.0, 4, 5, 400.0, 0.8598948089843423},
        {0.8, 12, 200, 30.0, 0.9998718452987679}, {1.5, 3, 1e6, 20.0, 0.996261977195105},
        {2.0, 12, 1e8, 5.0, 0.14434569100873718}, {3.0, 2, 2e9, 0.0, 0.049787068591905751},
    };
    for (const auto& c : cases) {
        // A common scale of the weights does not change the sign, even one
        // whose square leaves the range of numbers.
        for (double scale : {1.0, 1e-6, 250.0, 1e200, 1e-200, 1e300, 1e-300}) {
            const double p = ProbabilitySumAboveZero(
                {{scale, c.d1, c.nc}, {-scale * c.x * c.d1 / c.d2, c.d2, 0.0}});
            EXPECT_NEAR(p, c.upper, 1e-9) << c.x << " " << c.d1 << " " << c.d2 << " " << scale;
        }
    }
    // Split into two halves of equal weight, the numerator is the same.
    EXPECT_NEAR(ProbabilitySumAboveZero({{1, 1.5, 1.0}, {1, 1.5, 1.0}, {-0.75, 10, 0}}),
                0.27744911880429257, 1e-9);
}

TEST(ChiSquareSum, UnequalWeightsAgainstTheirClosedForm) {
    const struct {
        double nu, upper;
    } cases[] = {{30, 0.52146542256789013}, {1e7, 0.51025324009125031}};
    for (const auto& c : cases) {
        EXPECT_NEAR(ProbabilitySumAboveZero({{1.0, 2, 0}, {0.3, 2, 0}, {-2.0 / c.nu, c.nu, 0}}),
                    c.upper, 1e-9)
            << c.nu;
    }
}
