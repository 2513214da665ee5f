// The Poisson regression's part of the enumeration workspace.

#include <algorithm>
#include <cmath>
#include <vector>

#include "distributions/chi.h"
#include "distributions/poisson.h"
#include "numerics/quorix_error.h"
#include "power/z/enumeration_workspace.h"

namespace {

// P(Y <= k) for Y Poisson with mean `rate`; 0 below 0.
double LowerTail(double k, double rate) {
    if (k < 0.0) return 0.0;
    return PoissonDistribution(rate).Cdf(k);
}

// P(Y >= k) = P(chi-square with 2k df <= 2 rate), from its own side.
double UpperTail(double k, double rate) {
    if (k <= 0.0) return 1.0;
    return ChiDistribution(2.0 * k, 0.0).Cdf(2.0 * rate);
}

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
    // The subjects at one covariate value (the counts and the two-valued
    // covariate have few values) with every count of [low, high] make one
    // row: their mean count, weighted by the number of subjects times the
    // probability of the range. The Poisson log-likelihood is linear in y
    // at every predictor, sum w (y eta - e^eta) up to terms without the
    // coefficients, so this row has the score, the information and hence
    // the fit and the likelihood ratio of the rows per count it stands for.
    // Over a range, sum P(y) and sum y P(y) = rate sum P(y - 1) are
    // differences of Poisson tails: no count needs to be visited.
    std::vector<double> groupX, groupSubjects, groupRate;
    for (int i = 0; i < n; ++i) {
        if (!groupX.empty() && groupX.back() == x[i]) {
            groupSubjects.back() += 1.0;
        } else {
            groupX.push_back(x[i]);
            groupSubjects.push_back(1.0);
            groupRate.push_back(rate[i]);
        }
    }
    const int m = static_cast<int>(groupX.size());
    design.resize(m, 1);
    response.resize(m, 1);
    weights.resize(m, 1);
    for (int g = 0; g < m; ++g) {
        if ((g & 255) == 255) CheckCancelled();
        const double r = groupRate[g];
        // P(low <= Y <= high), and the same one count lower.
        const double mass = 1.0 - LowerTail(low - 1.0, r) - UpperTail(high + 1.0, r);
        const double shifted = 1.0 - LowerTail(low - 2.0, r) - UpperTail(high, r);
        design(g, 0) = groupX[g];
        response(g, 0) = mass > 0.0 ? r * shifted / mass : 0.0;
        weights(g, 0) = groupSubjects[g] * std::fmax(mass, 0.0);
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
        // The model without the covariate has the mean count as its fitted
        // mean: its score equation sum w (y - mu) = 0 has that root, which
        // a second fit of the data set would only approach. Its intercept
        // is per unit of exposure; the log-likelihood multiplies by t.
        double weight = 0.0, count = 0.0;
        for (int r = 0; r < response.extent(0); ++r) {
            weight += weights(r, 0);
            count += weights(r, 0) * response(r, 0);
        }
        coefficients(0, 0) = std::log(count / weight) - std::log(exposure);
        coefficients(1, 0) = 0.0;
        const double reduced = PoissonLogLikelihood(coefficients);
        // Near b1 = 0 rounding can leave the difference an ulp below 0,
        // which no noncentrality can be.
        noncentrality = std::fmax(2.0 * (full - reduced), 0.0);
    }
    return ChiSquarePower(alphaPrime);
}
