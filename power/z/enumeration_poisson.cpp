// The Poisson regression's part of the enumeration workspace.

#include <algorithm>
#include <cmath>
#include <vector>

#include "distributions/poisson.h"
#include "numerics/quorix_error.h"
#include "power/z/enumeration_workspace.h"

namespace {

// Rows of the expected data set at most: the fit takes about a second for
// a million rows, and a calculation answers or refuses within two.
constexpr double kMaxRows = 1e6;
// A count whose probability lies below this adds nothing the sums of the
// fit can hold (they keep 16 digits of terms near 1): its row is left out.
// Far from a subject's rate these are most of the counts of the range.
constexpr double kNegligibleWeight = 1e-30;

// The Poisson probability of count y at `rate`, as a logarithm; -inf where
// the rate underflowed and the count is not 0.
double LogPoissonProbability(double y, double rate) {
    return y == 0.0 ? -rate : y * std::log(rate) - rate - std::lgamma(y + 1.0);
}

void TooManyRows(double rows) {
    throw QuorixError("Enumeration: the expected data set would have too many rows",
                      QuorixError::kOutOfRange, rows);
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
    // Subjects at the same covariate value (the counts and the two-valued
    // covariate have few) share their rows: one row per count, weighted by
    // their number. The fit and the likelihood are sums over the rows,
    // linear in the weights, so this changes nothing but the work.
    struct Group {
        double x, rate, subjects, first, last;
    };
    std::vector<Group> groups;
    for (int i = 0; i < n; ++i) {
        if (!groups.empty() && groups.back().x == x[i]) {
            groups.back().subjects += 1.0;
        } else {
            groups.push_back({x[i], rate[i], 1.0, 0.0, -1.0});
        }
    }
    // The counts of each value that are not negligible: one run around the
    // mode of its Poisson distribution, within [low, high].
    const double logFloor = std::log(kNegligibleWeight);
    double rows = 0.0;
    for (size_t g = 0; g < groups.size(); ++g) {
        if ((g & 255) == 255) CheckCancelled();
        Group& group = groups[g];
        auto kept = [&](double y) { return LogPoissonProbability(y, group.rate) >= logFloor; };
        const double mode = std::clamp(std::floor(group.rate), low, high);
        if (!kept(mode)) continue;
        group.first = group.last = mode;
        while (group.last < high && kept(group.last + 1.0)) {
            group.last += 1.0;
            if (rows + (group.last - group.first) >= kMaxRows) TooManyRows(rows);
        }
        while (group.first > low && kept(group.first - 1.0)) {
            group.first -= 1.0;
            if (rows + (group.last - group.first) >= kMaxRows) TooManyRows(rows);
        }
        rows += group.last - group.first + 1.0;
    }
    const int m = static_cast<int>(rows);
    design.resize(m, 1);
    response.resize(m, 1);
    weights.resize(m, 1);
    int row = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        if ((g & 255) == 255) CheckCancelled();
        const Group& group = groups[g];
        for (double y = group.first; y <= group.last; y += 1.0, ++row) {
            design(row, 0) = group.x;
            response(row, 0) = y;
            weights(row, 0) = group.subjects * std::exp(LogPoissonProbability(y, group.rate));
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
