// The Poisson regression's part of the enumeration workspace.

#include <algorithm>
#include <cmath>
#include <vector>

#include "distributions/poisson.h"
#include "numerics/quorix_error.h"
#include "power/z/enumeration_workspace.h"

namespace {

// Counts summed over all subjects at most: each takes a logarithm of the
// gamma function, and a calculation answers or refuses within seconds.
constexpr double kMaxCounts = 4e6;
// A count whose probability lies below this adds nothing the sums of the
// fit can hold (they keep 16 digits of terms near 1): it is left out. Far
// from a subject's rate these are most of the counts of the range.
constexpr double kNegligibleWeight = 1e-30;

// The Poisson probability of count y at `rate`, as a logarithm; -inf where
// the rate underflowed and the count is not 0.
double LogPoissonProbability(double y, double rate) {
    return y == 0.0 ? -rate : y * std::log(rate) - rate - std::lgamma(y + 1.0);
}

void TooManyCounts(double counts) {
    throw QuorixError("Enumeration: the expected data set would have too many counts",
                      QuorixError::kOutOfRange, counts);
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
    // covariate have few values) and their counts make one row: the mean
    // count, weighted by the summed probabilities of the counts times the
    // number of subjects. The Poisson log-likelihood is linear in y at
    // every predictor, sum w (y eta - e^eta) up to terms without the
    // coefficients, so these rows have the score, the information and hence
    // the fit and the likelihood ratio of the rows they stand for.
    struct Group {
        double x, rate, subjects;
    };
    std::vector<Group> groups;
    for (int i = 0; i < n; ++i) {
        if (!groups.empty() && groups.back().x == x[i]) {
            groups.back().subjects += 1.0;
        } else {
            groups.push_back({x[i], rate[i], 1.0});
        }
    }
    // The counts of each value that are not negligible: one run around the
    // mode of its Poisson distribution, within [low, high].
    const double logFloor = std::log(kNegligibleWeight);
    double counts = 0.0;
    std::vector<double> groupX, groupMean, groupWeight;
    for (size_t g = 0; g < groups.size(); ++g) {
        if ((g & 255) == 255) CheckCancelled();
        const Group& group = groups[g];
        double mass = 0.0, sum = 0.0;
        auto add = [&](double y) {
            const double logP = LogPoissonProbability(y, group.rate);
            if (!(logP >= logFloor)) return false;
            const double p = std::exp(logP);
            mass += p;
            sum += p * y;
            if (++counts >= kMaxCounts) TooManyCounts(counts);
            return true;
        };
        const double mode = std::clamp(std::floor(group.rate), low, high);
        if (!add(mode)) continue;
        for (double y = mode + 1.0; y <= high && add(y); y += 1.0) {
        }
        for (double y = mode - 1.0; y >= low && add(y); y -= 1.0) {
        }
        groupX.push_back(group.x);
        groupMean.push_back(sum / mass);
        groupWeight.push_back(group.subjects * mass);
    }
    const int m = static_cast<int>(groupX.size());
    design.resize(m, 1);
    response.resize(m, 1);
    weights.resize(m, 1);
    for (int row = 0; row < m; ++row) {
        design(row, 0) = groupX[row];
        response(row, 0) = groupMean[row];
        weights(row, 0) = groupWeight[row];
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
