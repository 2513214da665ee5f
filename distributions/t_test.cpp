#include "distributions/t.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "distributions/beta.h"
#include "distributions/binomial.h"
#include "distributions/chi.h"
#include "distributions/f.h"
#include "distributions/reference_rows_test_support.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

// Tolerances, relative to the reference value:
//  - central Cdf: the driver's incomplete beta ratio is good to a few ulps;
//    1e-13 leaves room for the t-to-beta transformation.
//  - noncentral Cdf: the mixture sums incomplete beta integrals whose own
//    accuracy is about 1e-13 at large shape parameters (k near delta^2/2
//    reaches 5000 at delta = 100), and each recurrence step adds a rounding;
//    2e-12 holds from delta = 0.001 to 100.
//  - density series (with the difference form standing in beyond the
//    series' term limit, delta = 400): its logarithmic coefficients carry the exponent
//    -delta^2/2 and about delta^2 recurrence steps, so the relative error
//    grows like delta^2 ulps: max(1e-12, 1e-15 delta^2). Left of 0 (x delta
//    < 0) odd and even terms cancel and only an absolute 1e-15 is promised.
//  - density as a difference of distribution functions: cancellation in
//    F(x') - F(x) costs the digits of (F(x') - F(x)) / F; checked to 1e-6,
//    enough for the Newton steps that use it.
//  - quantile: the Newton iteration stops at a relative step of 1.5e-8;
//    its last step is quadratically accurate, so 1e-10 holds.
//  - R's noncentral values are accurate to about 1e-12 absolute, so those
//    rows are checked to max(1e-12 relative, 2e-12 absolute).
constexpr double kCentralCdfTol = 1e-13;
constexpr double kNoncentralCdfTol = 2e-12;
constexpr double kDifferencePdfTol = 1e-6;
constexpr double kQuantileTol = 1e-10;

void CheckRow(const ReferenceRow& r) {
    const double delta = r.p[0];
    const double nu = r.p[1];
    TDistribution series(nu, delta, false);
    TDistribution difference(nu, delta, true);
    const bool central = delta == 0.0;
    const bool fromR = r.source == "r_reference.csv";
    if (r.function == "cdf") {
        const double got = series.Cdf(r.arg);
        if (fromR && !central) {
            EXPECT_NEAR(got, r.expected, std::max(1e-12 * std::fabs(r.expected), 2e-12))
                << Describe(r);
        } else if (r.arg * delta < 0.0) {
            // Left of 0 for delta > 0 (or right of it for delta < 0) the
            // value is Phi(-|delta|) minus a sum of the same size, so its
            // error is absolute: a few ulps of Phi(-|delta|) <= 0.5.
            EXPECT_NEAR(got, r.expected, std::max(kNoncentralCdfTol * std::fabs(r.expected), 1e-15))
                << Describe(r);
        } else {
            ExpectRelative(got, r, central ? kCentralCdfTol : kNoncentralCdfTol);
        }
    } else if (r.function == "pdf") {
        if (fromR && !central) {
            // R forms this density as a difference of its distribution
            // functions, each good to about 1e-12.
            ExpectRelative(series.Pdf(r.arg), r, 1e-10);
        } else if (r.arg * delta < 0.0) {
            EXPECT_NEAR(series.Pdf(r.arg), r.expected, 1e-15) << Describe(r);
        } else {
            ExpectRelative(series.Pdf(r.arg), r, std::max(1e-12, 1e-15 * delta * delta));
        }
        if (!central) {
            // F(x') - F(x) = x f / nu is formed from values of order 1: the
            // relative error is at least a few eps over x f / nu.
            const double conditioning =
                10 * 2.220446049250313e-16 * nu / std::fabs(r.arg * r.expected);
            ExpectRelative(difference.Pdf(r.arg), r, std::max(kDifferencePdfTol, conditioning));
        }
    } else if (r.function == "quantile") {
        double tol = central ? 1e-11 : kQuantileTol;
        if (!central && r.expected * delta < 0.0) {
            // On the far side of 0 the distribution function is Phi(-|delta|)
            // less a sum of the same size, good to about 1e-15 Phi(-|delta|)
            // absolute; a quantile there moves by that over its density.
            const double phi = 0.5 * std::erfc(std::fabs(delta) / std::sqrt(2.0));
            tol = std::max(tol, 1e-15 * phi / std::fabs(r.expected * series.Pdf(r.expected)));
        }
        ExpectRelative(series.Quantile(r.arg), r, tol);
    } else if (r.function == "mean") {
        ExpectRelative(series.GetMean(), r, 1e-13);
    } else if (r.function == "variance") {
        // delta^2 nu/(nu-2) minus the squared mean cancels at large delta
        // and nu near 2 (delta = 100, nu = 2.2 loses about 4 digits).
        ExpectRelative(series.GetVariance(), r, 1e-10);
    }
}

TEST(TDistributionTest, AgreesWithBoostIncludingLargeNoncentrality) {
    const auto rows = ReadReferenceRows("boost_reference.csv", "t");
    ASSERT_GT(rows.size(), 60u);
    for (const auto& r : rows) CheckRow(r);
}

TEST(TDistributionTest, AgreesWithR) {
    const auto rows = ReadReferenceRows("r_reference.csv", "t");
    ASSERT_GT(rows.size(), 20u);
    for (const auto& r : rows) CheckRow(r);
}

// Left of 0 with delta > 0 the series gives Phi(-delta) less a sum of about
// its size whose terms also cancel among themselves; the tail is integrated
// from positive terms instead. Against two independent integrals in 30
// digits: the far sides of two-tailed power calculations, nu from 0.01 to
// 4e8, tails from 0.5 down to 1e-301, x from -1e-8 to -1e300, delta from
// 1e-90 to 36, and random cases. 1e-13 relative holds throughout (the
// arguments of the normal tails, near delta - x, carry a rounding that
// costs about (delta - x)^2 ulps: 2e-14 at delta 30).
TEST(TDistributionTest, FarSideTailsAgreeWithTheIntegral) {
    const auto rows = ReadReferenceRows("far_side_reference.csv", "t");
    ASSERT_EQ(rows.size(), 47u);
    for (const auto& r : rows) {
        TDistribution d(r.p[1], r.p[0]);
        ExpectRelative(d.Cdf(r.arg), r, 1e-13);
    }
}

// From |delta| of about 1e4 the Poisson weights spread beyond 50,000 terms
// a side; a sum cut off there was returned as the answer (the power of a
// one-sample test with delta 2e4 came out as 0.9995932 instead of 1).
// Against E[Phi(x sqrt(V/nu) - delta)] in 50 digits: the recurrences run
// over up to a million terms and keep 1e-11.
TEST(TDistributionTest, LargeNoncentralitySumsReachTheirTails) {
    const auto rows = ReadReferenceRows("far_reach_reference.csv", "t");
    ASSERT_EQ(rows.size(), 6u);
    for (const auto& r : rows) {
        TDistribution d(r.p[1], r.p[0]);
        ExpectRelative(d.Cdf(r.arg), r, 1e-11);
        // The mirror image: P(T <= -x; -delta) = 1 - P(T <= x; delta).
        TDistribution mirror(r.p[1], -r.p[0]);
        EXPECT_NEAR(mirror.Cdf(-r.arg), 1.0 - r.expected, 1e-11) << Describe(r);
    }
    // The critical value of a one-sample test far below the mean of T:
    // P(T <= 1.96) is Phi(-2e4) and less, 0 in doubles.
    TDistribution power(4e8 - 1.0, 2e4);
    EXPECT_EQ(power.Cdf(1.959963984540054), 0.0);
    EXPECT_NEAR(power.Quantile(0.5), 2e4, 1e-3);
}

// Above the median the difference form takes the difference of the upper
// tails; that of the distribution functions, both near 1, lost up to all
// digits (9e-22 came out as 0). Against the closed form in 60 digits.
TEST(TDistributionTest, DifferenceDensityKeepsUpperTails) {
    const auto rows = ReadReferenceRows("density_tail_reference.csv", "t");
    ASSERT_EQ(rows.size(), 6u);
    for (const auto& r : rows) {
        TDistribution d(r.p[1], r.p[0], true);
        ExpectRelative(d.Pdf(r.arg), r, 1e-11);
    }
}

// Beyond 0 the tail is at most P(Z + delta <= 0) = Phi(-delta). At delta 30
// the terms of the series cancel from about 1e-23 down to tails near 1e-200
// and left noise as large as 1e-36.
TEST(TDistributionTest, FarSideTailStaysBelowTheNormalBound) {
    for (double nu : {1.0, 2.5, 10.0, 100.0}) {
        for (double x : {-3.0, -0.5}) {
            TDistribution d(nu, 30.0);
            const double bound = 0.5 * std::erfc(30.0 / std::sqrt(2.0));
            EXPECT_LE(d.Cdf(x), bound) << nu << " " << x;
        }
    }
}

TEST(TDistributionTest, ReflectionAndSymmetry) {
    for (double delta : {0.7, 3.0, 45.0}) {
        for (double x : {-2.0, 0.5, 4.0, 44.0}) {
            TDistribution plus(7.5, delta), minus(7.5, -delta);
            const double a = minus.Cdf(-x);
            const double b = 1.0 - plus.Cdf(x);
            // Both sides are distribution values of order 1 reached by
            // different sums: a few ulps of 1 apart.
            EXPECT_NEAR(a, b, 4e-15) << delta << " " << x;
            EXPECT_GE(a, 0.0);
            EXPECT_LE(a, 1.0);
            EXPECT_NEAR(minus.Pdf(x), plus.Pdf(-x), 1e-15 + 1e-14 * plus.Pdf(-x))
                << delta << " " << x;
        }
    }
    TDistribution plus(6.0, 1.5), minus(6.0, -1.5);
    EXPECT_DOUBLE_EQ(minus.GetMean(), -plus.GetMean());
}

TEST(TDistributionTest, DensityLeftOfZeroStaysSmallAndNonNegative) {
    // For delta > 0 and x < 0 the odd terms of the series cancel the even
    // ones; the density there is below f(0) = central(0) e^(-delta^2/2).
    for (double delta : {5.0, 12.0, 30.0}) {
        TDistribution d(10.0, delta);
        const double atZero = d.Pdf(0.0);
        for (double x : {-0.5, -3.0, -20.0}) {
            const double f = d.Pdf(x);
            EXPECT_GE(f, 0.0) << delta << " " << x;
            EXPECT_LE(f, atZero + 1e-300) << delta << " " << x;
        }
    }
}

TEST(TDistributionTest, QuantileInvertsCdfInTheTailsAndAtLargeNoncentrality) {
    struct Case {
        double nu, delta, prob;
    };
    const Case cases[] = {
        {10, 50, 1e-12}, {10, 50, 0.5},  {10, 50, 0.999},  {3, 100, 0.2},
        {0.6, 2, 0.9},   {25, -8, 1e-9}, {2, 0.01, 0.975}, {40, 37.5, 0.05},
    };
    for (const auto& c : cases) {
        TDistribution d(c.nu, c.delta);
        const double x = d.Quantile(c.prob);
        EXPECT_NEAR(d.Cdf(x), c.prob, 1e-9 * c.prob) << c.nu << " " << c.delta << " " << c.prob;
    }
}

TEST(TDistributionTest, HugeDegreesOfFreedomUseTheNormalLimit) {
    TDistribution d(2e7, 1.0);
    EXPECT_DOUBLE_EQ(d.Pdf(1.0), 1.0 / std::sqrt(2.0 * M_PI));
    EXPECT_EQ(d.Pdf(200.0), 0.0);
    EXPECT_NEAR(d.Quantile(0.975), 1.0 + 1.959963984540054, 1e-12);
}

// With one degree of freedom the lower tail is a power law: T = (Z + delta)
// / |W|, so P(T <= x) -> 2 phi(0) (phi(delta) - delta Phi(-delta)) / |x| as
// x -> -infinity (mpmath for the constants), far enough out for the 1/x^2
// terms to vanish. Beyond the reach of the iteration (prob 1e-300, the
// answer near -1e300) the steps ran out of doubles and returned +infinity
// as the answer; that is a failure now.
TEST(TDistributionTest, FarLowerTailQuantileIsThePowerLawOrAFailure) {
    const struct {
        double delta, constant;
    } cases[] = {{1.0, 0.0664761276579401285}, {-1.0, 0.864360688460805484}};
    for (const auto& c : cases) {
        TDistribution d(1.0, c.delta);
        EXPECT_NEAR(d.Quantile(1e-40), -c.constant / 1e-40, 1e-7 * c.constant / 1e-40) << c.delta;
    }
    TDistribution d(1.0, -1.0);
    ExpectQuorixError([&] { d.Quantile(1e-300); },
                      "TDist-Quantile: answer below lower search bound",
                      QuorixError::kBelowLowerBound, 0.0, "Quantile(1e-300)");
}

// The central quantile is kept for the next call with the same arguments;
// a change of either one, or of the noncentrality, must compute afresh.
TEST(TDistributionTest, KeptQuantileFollowsItsArguments) {
    TDistribution d(10.0);
    const double q10 = d.Quantile(0.975);
    d.SetParam(1, 20.0);
    EXPECT_EQ(d.Quantile(0.975), TDistribution(20.0).Quantile(0.975));
    EXPECT_EQ(d.Quantile(0.95), TDistribution(20.0).Quantile(0.95));
    d.SetParam(1, 10.0);
    EXPECT_EQ(d.Quantile(0.975), q10);
    d.SetNoncentrality(1.0);
    EXPECT_EQ(d.Quantile(0.975), TDistribution(10.0, 1.0).Quantile(0.975));
}

TEST(TDistributionTest, QuantileEndsAndMoments) {
    TDistribution d(9.0, 2.0);
    EXPECT_EQ(d.Quantile(0.0), -kInf);
    EXPECT_EQ(d.Quantile(1.0), kInf);
    EXPECT_EQ(d.Cdf(kInf), 1.0);
    EXPECT_EQ(d.Cdf(-kInf), 0.0);
    EXPECT_NEAR(d.Cdf(0.0), 0.5 * std::erfc(2.0 / std::sqrt(2.0)), 1e-17);
}

TEST(TDistributionTest, FailuresThrowWithTheirTexts) {
    struct Case {
        const char* what;
        double nu, delta;
        int op;  // 0 Cdf(1), 1 Quantile(arg), 2 GetMean, 3 GetVariance
        double arg;
        const char* message;
        int code;
        double value;
    };
    const Case cases[] = {
        {"noncentral Cdf, nu = 0", 0.0, 1.0, 0, 1.0, "TDist-Cdf: input parameter out of range", 4,
         0.0},
        {"noncentral Cdf, nu NaN", NAN, 1.0, 0, 1.0, "TDist-Cdf: input parameter out of range", 4,
         0.0},
        {"central Cdf, nu < 0", -2.0, 0.0, 0, 1.0, "TDist-Cdf: input parameter out of range", 4,
         0.0},
        // An undefined delta never reaches the term limit, an int.
        {"noncentral Cdf, delta NaN", 6.0, NAN, 0, 1.0, "TDist-Cdf: input parameter out of range",
         4, 0.0},
        {"central Quantile(0)", 5.0, 0.0, 1, 0.0, "TDist-Quantile: input parameter out of range", 4,
         0.0},
        {"central Quantile(1.2)", 5.0, 0.0, 1, 1.2, "TDist-Quantile: input parameter out of range",
         4, 1.0},
        {"noncentral Quantile(-0.1)", 5.0, 1.0, 1, -0.1,
         "TDist-Quantile: input parameter out of range", 4, 0.0},
        {"noncentral Quantile, nu = 0", 0.0, 1.0, 1, 0.5,
         "TDist-Quantile: input parameter out of range", 4, 0.0},
        {"GetMean, nu = 1", 1.0, 2.0, 2, 0.0, "TDist-GetMean: input parameter out of range", 4,
         1.0},
        {"GetVariance, nu = 2", 2.0, 2.0, 3, 0.0, "TDist-GetVariance: input parameter out of range",
         4, 2.0},
        // Beyond |delta| of about 5e5 the mixture would need more terms than
        // a call can afford: a failure, never a sum cut short.
        {"noncentral Cdf, delta 1e6", 10.0, 1e6, 0, 0.0, "TDist-Cdf: failed to converge", 5, 0.0},
        {"noncentral Cdf, delta -1e6", 10.0, -1e6, 0, 0.0, "TDist-Cdf: failed to converge", 5, 0.0},
        {"noncentral Quantile, delta 1e6", 10.0, 1e6, 1, 0.5, "TDist-Quantile: failed to converge",
         5, 1e6},
    };
    for (const auto& c : cases) {
        TDistribution d(c.nu, c.delta);
        ExpectQuorixError(
            [&] {
                switch (c.op) {
                    case 0:
                        return d.Cdf(1.0);
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

TEST(TDistributionTest, ParametersNamesAndNoncentrality) {
    TDistribution d(12.0, 1.5, true);
    EXPECT_EQ(d.GetName(), "t");
    EXPECT_EQ(d.GetParamCount(), 2);
    EXPECT_EQ(d.GetParamName(0), "noncentrality lambda");
    EXPECT_EQ(d.GetParamName(1), "df");
    EXPECT_EQ(d.GetParamName(7), "df");
    EXPECT_EQ(d.GetParam(0), 1.5);
    EXPECT_EQ(d.GetParam(5), 12.0);
    d.SetNoncentrality(-3.0);
    EXPECT_EQ(d.GetNoncentrality(), -3.0);
    EXPECT_TRUE(d.GetMethod());
}

// The calculation, the distribution plot and the X-Y plot may compute on
// different threads; nothing here may keep state between calls. Each thread
// runs the same mixed batch (driver searches, series, Newton iterations)
// and must get the serial results bit for bit.
std::vector<double> MixedBatch() {
    std::vector<double> out;
    for (int i = 0; i < 6; ++i) {
        const double s = 0.1 + 0.15 * i;
        TDistribution t(5.0 + i, 2.0 + 8.0 * i);
        FDistribution f(3.0, 20.0 + i, 10.0 * i, 1.0);
        ChiDistribution chi(2.0 + i, 5.0 * i);
        BetaDistribution beta(2.0 + i, 3.0);
        BinomialDistribution binomial(30.0, 0.2 + 0.1 * i);
        out.push_back(t.Cdf(t.GetNoncentrality() + s));
        out.push_back(t.Quantile(s));
        out.push_back(f.Quantile(s));
        out.push_back(f.Cdf(2.0 + i));
        out.push_back(chi.Quantile(s));
        out.push_back(chi.Cdf(3.0 + 2.0 * i));
        out.push_back(beta.Quantile(s));
        out.push_back(binomial.Quantile(s));
    }
    return out;
}

TEST(DistributionThreadsTest, ConcurrentUseGivesTheSameNumbers) {
    const std::vector<double> serial = MixedBatch();
    std::vector<std::vector<double>> results(4);
    std::vector<std::thread> threads;
    for (auto& r : results) {
        threads.emplace_back([&r] {
            for (int repeat = 0; repeat < 5; ++repeat) r = MixedBatch();
        });
    }
    for (auto& t : threads) t.join();
    for (const auto& r : results) EXPECT_EQ(r, serial);
}

}  // namespace
