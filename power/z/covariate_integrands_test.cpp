// The slope variances of the logistic regression over each covariate
// against verification/logistic/variances.tsv (R's integrate() over the
// whole support, and sums for the Poisson covariate), and the pieces the
// variances are built from.

#include "power/z/covariate_integrands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "numerics/reference_table.h"
#include "power/z/poisson_integrands.h"

namespace {

std::unique_ptr<varB> MakeIntegrand(int code, double b0, double b1, double a, double b) {
    switch (code) {
        case kXExponential:
            return std::make_unique<varBexp>(b0, b1, a);
        case kXLognormal:
            return std::make_unique<varBlognormal>(b0, b1, a, b);
        case kXNormal:
            return std::make_unique<varBnormal>(b0, b1, a, b);
        case kXPoisson:
            return std::make_unique<varBpoiss>(b0, b1, a);
        case kXUniform:
            return std::make_unique<varBuni>(b0, b1, a, b);
        default:
            return nullptr;
    }
}

void Variances(const std::vector<double>& v, double* var0, double* var1, bool correction) {
    const int code = static_cast<int>(v[0]);
    auto integrand = MakeIntegrand(code, v[1], v[2], v[3], v[4]);
    if (code == kXPoisson) {
        integrand->ComputeVariancesDiscrete(var0, var1, 0, correction);
    } else {
        integrand->ComputeVariances(var0, var1, 0, correction);
    }
}

// The quadrature's relative tolerance is 1e-8; the log-normal support is
// cut at its 1e-8 quantile.
constexpr double kRelativeTolerance = 5e-8;

TEST(CovariateIntegrands, SlopeVariancesAgreeWithTheIntegralsOfR) {
    const auto rows = ReadReferenceTable("verification/logistic/variances.tsv", false);
    ASSERT_GE(rows.size(), 12u);
    for (const ReferenceRow& row : rows) {
        SCOPED_TRACE(row.text);
        double var0 = 0.0, var1 = 0.0;
        Variances(row.values, &var0, &var1, true);
        EXPECT_NEAR(var0, row.values[5], kRelativeTolerance * row.values[5]);
        EXPECT_NEAR(var1, row.values[6], kRelativeTolerance * row.values[6]);
        // Without the correction both are the variance under H1.
        Variances(row.values, &var0, &var1, false);
        EXPECT_EQ(var0, var1);
        EXPECT_NEAR(var1, row.values[6], kRelativeTolerance * row.values[6]);
    }
}

// A log-normal covariate in both tests (0 Poisson, 1 logistic), against
// 30-digit integrals: among them a rate that grows over the tail, covariates
// of almost no spread, and a rate whose weight lies far below the mean,
// where moments about the mean would cancel.
TEST(CovariateIntegrands, LogNormalVariancesAgreeWithThirtyDigitIntegrals) {
    const auto rows =
        ReadReferenceTable("verification/regression_speed/lognormal_variances.tsv", false);
    ASSERT_GE(rows.size(), 10u);
    for (const ReferenceRow& row : rows) {
        SCOPED_TRACE(row.text);
        const std::vector<double>& v = row.values;
        double var0 = 0.0, var1 = 0.0;
        if (v[0] == 0.0) {
            varBplognormal(v[1], v[2], v[3], v[4]).ComputeVariances(&var0, &var1, 0, true);
        } else {
            varBlognormal(v[1], v[2], v[3], v[4]).ComputeVariances(&var0, &var1, 0, true);
        }
        EXPECT_NEAR(var0, v[5], 1e-10 * v[5]);
        EXPECT_NEAR(var1, v[6], 1e-10 * v[6]);
    }
}

TEST(CovariateIntegrands, InformationOfAStandardNormalCovariateWithoutEffect) {
    varBnormal integrand(0.0, 0.0, 0.0, 1.0);
    EXPECT_NEAR(integrand.Integrate(0), 0.25, 1e-10);
    EXPECT_NEAR(integrand.Integrate(1), 0.0, 1e-10);
    EXPECT_NEAR(integrand.Integrate(2), 0.25, 1e-10);
    // The marginal probability of a symmetric model is one half.
    EXPECT_NEAR(integrand.Integrate(6), 0.5, 1e-10);
}

TEST(CovariateIntegrands, PredictorLimitsAreWhereEtaReachesEighty) {
    varBnormal steep(0.0, 2.0, 0.0, 1.0);
    EXPECT_EQ(steep.GetLowerPredictorLimit(), -40.0);
    EXPECT_EQ(steep.GetUpperPredictorLimit(), 40.0);
    varBnormal falling(10.0, -2.0, 0.0, 1.0);
    EXPECT_EQ(falling.GetLowerPredictorLimit(), -35.0);
    EXPECT_EQ(falling.GetUpperPredictorLimit(), 45.0);
    varBnormal flat(0.0, 0.0, 0.0, 1.0);
    EXPECT_EQ(flat.GetLowerPredictorLimit(), -1000.0);
    EXPECT_EQ(flat.GetUpperPredictorLimit(), 1000.0);
}

// The tail searches end where the integrand falls to eps: for 0.25 phi(x)
// at +-sqrt(2 ln(0.25 / (eps sqrt(2 pi)))), from either predictor limit.
TEST(CovariateIntegrands, TailSearchesFindWhereTheIntegrandVanishes) {
    const double eps = 1e-10;
    const double edge = std::sqrt(2.0 * std::log(0.25 / (eps * std::sqrt(2.0 * M_PI))));
    varBnormal integrand(0.0, 0.0, 0.0, 1.0);
    integrand.mode = 0;
    EXPECT_NEAR(integrand.GetUpperLimit(0, eps), edge, 1e-4 * edge);
    EXPECT_NEAR(integrand.GetLowerLimit(0, eps), -edge, 1e-4 * edge);
    // The log-normal search starts at the mode exp(mu - sigma^2) and ends
    // where x^2 f(x) w vanishes.
    varBlognormal skewed(0.0, 0.0, 0.0, 1.0);
    const double r = skewed.FindUpperLimitFromMode(2, 1e-30);
    skewed.mode = 2;
    EXPECT_LE(skewed.Evaluate(r), 1e-30);
    EXPECT_GT(skewed.Evaluate(r * (1.0 - 1e-4)), 1e-30);
}

TEST(CovariateIntegrands, SumsStartAtTheTruncatedLowerLimit) {
    varBpoiss integrand(0.0, 0.0, 3.0);
    integrand.eta0 = 0.0;
    integrand.lower = 2.7;
    integrand.upper = 4.0;
    const double expected = 0.25 * (integrand.covariate->Pdf(2.0) + integrand.covariate->Pdf(3.0) +
                                    integrand.covariate->Pdf(4.0));
    EXPECT_DOUBLE_EQ(integrand.SumOverSupport(3), expected);
}

TEST(CovariateIntegrands, LogNormalNullMomentsNeedNoQuadrature) {
    varBlognormal integrand(-1.0, 0.5, 0.2, 0.7);
    integrand.eta0 = -0.3;
    const double w0 = BernoulliVariance(-0.3);
    EXPECT_EQ(integrand.Integrate(3), w0);
    EXPECT_EQ(integrand.Integrate(4), w0 * std::exp(0.2 + 0.49 / 2.0));
    EXPECT_EQ(integrand.Integrate(5), w0 * std::exp(2.0 * (0.2 + 0.49)));
}

// The Bernoulli weights keep their value far out, where e^eta overflows.
TEST(CovariateIntegrands, WeightsHoldAtExtremePredictors) {
    EXPECT_EQ(BernoulliVariance(0.0), 0.25);
    EXPECT_NEAR(BernoulliVariance(700.0) / std::exp(-700.0), 1.0, 1e-15);
    EXPECT_EQ(BernoulliVariance(-1000.0), BernoulliVariance(1000.0));
    EXPECT_EQ(LogisticProbability(1000.0), 1.0);
    EXPECT_EQ(LogisticProbability(-1000.0), 0.0);
    EXPECT_NEAR(LogisticProbability(-700.0) / std::exp(-700.0), 1.0, 1e-15);
}

// A covariate far out on the predictor's scale carries no information:
// the model's probabilities are 0 or 1 there. The variance is then not a
// finite positive number, and no quadrature fails on the way.
TEST(CovariateIntegrands, NoInformationFarFromTheModelsRange) {
    for (double mu : {1e30, -1e30, 1e300}) {
        varBnormal integrand(std::log(0.25), std::log(1.3), mu, 1.0);
        double var0 = 0.0, var1 = 0.0;
        integrand.ComputeVariances(&var0, &var1, 0, true);
        EXPECT_FALSE(std::isfinite(var1) && var1 > 0.0) << mu << " " << var1;
    }
}

// A wide covariate whose information lies in a narrow band of the
// predictor: the band is found.
TEST(CovariateIntegrands, NarrowInformationBandOfAWideCovariate) {
    varBnormal integrand(0.0, 5.0, 0.0, 1000.0);
    double var0 = 0.0, var1 = 0.0;
    integrand.ComputeVariances(&var0, &var1, 0, false);
    // E[w(5x)] and E[x^2 w(5x)] with the density nearly flat at 1/(1000
    // sqrt(2 pi)) over the band: I0 = f0 / 5, I2 = f0 pi^2 / 375.
    const double f0 = 1.0 / (1000.0 * std::sqrt(2.0 * M_PI));
    EXPECT_NEAR(var1, 1.0 / (f0 * M_PI * M_PI / 375.0), 1e-5 / (f0 * M_PI * M_PI / 375.0));
}

// Nothing is shared between integrands: computations on several threads at
// once give what each gives alone.
TEST(CovariateIntegrands, ConcurrentComputationsDoNotInterfere) {
    const auto rows = ReadReferenceTable("verification/logistic/variances.tsv", false);
    ASSERT_FALSE(rows.empty());
    std::vector<std::vector<double>> alone(rows.size(), std::vector<double>(2));
    for (size_t i = 0; i < rows.size(); ++i) {
        Variances(rows[i].values, &alone[i][0], &alone[i][1], true);
    }
    std::vector<std::vector<double>> together(rows.size(), std::vector<double>(2));
    std::vector<std::thread> threads;
    for (size_t i = 0; i < rows.size(); ++i) {
        threads.emplace_back([&, i] {
            for (int repeat = 0; repeat < 3; ++repeat) {
                Variances(rows[i].values, &together[i][0], &together[i][1], true);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(together, alone);
}

}  // namespace
