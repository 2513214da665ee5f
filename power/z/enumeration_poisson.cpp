// The Poisson regression's part of the enumeration workspace.

#include <algorithm>
#include <cmath>
#include <vector>

#include "distributions/poisson.h"
#include "numerics/quorix_error.h"
#include "power/z/enumeration_workspace.h"

namespace {

// Rows of the expected data set at most: three columns here and the
// fitter's copies of them must stay within the memory of one calculation.
constexpr double kMaxRows = 4e6;

}  // namespace

void EnumerationWorkspace::BuildPoissonDataSet(int n) {
    std::vector<double> x;
    CovariateValues(n, x);
    std::vector<double> rate(n);
    for (int i = 0; i < n; ++i) rate[i] = exposure * std::exp(beta0 + beta1 * x[i]);
    const auto [smallest, largest] = std::minmax_element(rate.begin(), rate.end());
    if (!(std::isfinite(*largest) && *largest <= 1e15)) {
        throw QuorixError("Enumeration: the expected counts are too large",
                          QuorixError::kOutOfRange, *largest);
    }
    const double low = std::trunc(PoissonDistribution(*smallest).Quantile(1e-5));
    const double high = std::trunc(PoissonDistribution(*largest).Quantile(0.99999));
    const double counts = high - low + 1.0;
    if (counts * n > kMaxRows) {
        throw QuorixError("Enumeration: the expected data set would have too many rows",
                          QuorixError::kOutOfRange, counts * n);
    }
    const int m = static_cast<int>(counts);
    design.resize(n * m, 1);
    response.resize(n * m, 1);
    weights.resize(n * m, 1);
    int row = 0;
    for (int i = 0; i < n; ++i) {
        if ((i & 255) == 255) CheckCancelled();
        const double logRate = std::log(rate[i]);
        for (int j = 0; j < m; ++j, ++row) {
            const double y = low + j;
            design(row, 0) = x[i];
            response(row, 0) = y;
            // The Poisson probability of the count; 0 where the rate
            // underflowed and the count is not 0.
            const double logP = y == 0.0 ? -rate[i] : y * logRate - rate[i] - std::lgamma(y + 1.0);
            weights(row, 0) = std::exp(logP);
        }
    }
}

double EnumerationWorkspace::PoissonLogLikelihood(const Matrix& b) {
    double sum = 0.0;
    for (int r = 0; r < design.extent(0); ++r) {
        const double w = weights(r, 0);
        if (w == 0.0) continue;
        const double eta = b(0, 0) + b(1, 0) * design(r, 0);
        const double mu = exposure * std::exp(eta);
        const double y = response(r, 0);
        // y ln mu from the predictor itself, which stays finite where mu
        // underflows.
        const double yLogMu = y == 0.0 ? 0.0 : y * (std::log(exposure) + eta);
        sum += w * (yLogMu - mu - std::lgamma(y + 1.0));
    }
    return sum;
}

double EnumerationWorkspace::EnumeratePoisson(double b0, double b1, int n, double alphaPrime,
                                              bool wald) {
    if (!(0.0 < alphaPrime && alphaPrime < 1.0)) {
        throw QuorixError("Enumeration: alpha outside (0, 1)", QuorixError::kOutOfRange,
                          alphaPrime);
    }
    criticalValue = 0.0;
    noncentrality = 0.0;
    beta0 = b0;
    beta1 = b1;
    coefficients.resize(2, 1);
    coefficients(0, 0) = b0;
    coefficients(1, 0) = b1;
    // No subject, no information: the test keeps its level.
    if (n < 1) return ChiSquarePower(alphaPrime);
    if (covariateKind != kEnumerationBinomial && !covariate) {
        throw QuorixError("Enumeration: no covariate", QuorixError::kOutOfRange, 0.0);
    }

    BuildPoissonDataSet(n);
    FitDataSet(kGlmPoisson, kGlmLog);
    if (wald) {
        noncentrality = WaldNoncentrality(b1);
    } else {
        const double full = PoissonLogLikelihood(coefficients);
        design = 0.0;
        FitDataSet(kGlmPoisson, kGlmLog);
        // The fit has no offset: its intercept is that of the mean count,
        // ln t + b0. The log-likelihood multiplies by t itself.
        coefficients(0, 0) = fitter.coefficients(0, 0) - std::log(exposure);
        coefficients(1, 0) = 0.0;
        const double reduced = PoissonLogLikelihood(coefficients);
        // Near b1 = 0 rounding can leave the difference an ulp below 0,
        // which no noncentrality can be.
        noncentrality = std::fmax(2.0 * (full - reduced), 0.0);
    }
    return ChiSquarePower(alphaPrime);
}
