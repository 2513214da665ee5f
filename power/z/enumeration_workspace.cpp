#include "power/z/enumeration_workspace.h"

#include <array>
#include <cmath>
#include <cstring>

#include "distributions/closed_form.h"
#include "distributions/normal.h"
#include "distributions/poisson.h"
#include "numerics/cancel.h"
#include "numerics/freed_memory.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"
#include "power/z/covariate_integrands.h"

namespace {

// ln(1 + e^eta) without overflow or loss of digits at either end.
double SoftPlus(double eta) {
    return eta > 0.0 ? eta + std::log1p(std::exp(-eta)) : std::log1p(std::exp(eta));
}

}  // namespace

int EnumerationCovariateOf(int xDistribution) {
    switch (xDistribution) {
        case kXBinomial:
            return kEnumerationBinomial;
        case kXExponential:
            return kEnumerationExponential;
        case kXLognormal:
            return kEnumerationLogNormal;
        case kXNormal:
            return kEnumerationNormal;
        case kXPoisson:
            return kEnumerationPoisson;
        case kXUniform:
            return kEnumerationUniform;
        default:
            return -1;
    }
}

EnumerationWorkspace::EnumerationWorkspace() : covariate(std::make_unique<NormalDistribution>()) {
    // Each step of a fit takes new columns as long as the data set.
    KeepFreedMemory();
}

void EnumerationWorkspace::SetCovariate(int kind, double a, double b) {
    // The same covariate again (bit for bit) keeps its values.
    const std::array<double, 3> key = {static_cast<double>(kind), a, b};
    if (std::memcmp(key.data(), covariateKey_.data(), sizeof key) == 0 &&
        (kind == kEnumerationBinomial || covariate)) {
        return;
    }
    covariateKey_ = key;
    valuesN_ = -1;
    covariate.reset();
    covariateKind = kind;
    switch (kind) {
        case kEnumerationBinomial:
            binomialPi = a;
            break;
        case kEnumerationNormal:
            covariate = std::make_unique<NormalDistribution>(a, b);
            break;
        case kEnumerationLogNormal:
            covariate = std::make_unique<LogNormalDistribution>(a, b);
            break;
        case kEnumerationUniform:
            covariate = std::make_unique<UniformDistribution>(a, b);
            break;
        case kEnumerationPoisson:
            covariate = std::make_unique<PoissonDistribution>(a);
            break;
        case kEnumerationExponential:
            covariate = std::make_unique<ExponentialDistribution>(a);
            break;
        default:
            break;
    }
}

void EnumerationWorkspace::CheckCancelled() const {
    if (cancel && cancel->load(std::memory_order_relaxed)) throw CancelledError();
}

void EnumerationWorkspace::CovariateValues(int n, std::vector<double>& values) {
    values.assign(n, 0.0);
    if (covariateKind == kEnumerationBinomial) {
        const double ones = std::trunc(n * binomialPi);
        for (int i = 0; i < n && i < ones; ++i) values[i] = 1.0;
        return;
    }
    if (!covariate) throw QuorixError("Enumeration: no covariate", QuorixError::kOutOfRange, 0.0);
    // A search over the effect lays out the same n values at every step.
    if (valuesN_ == n) {
        values = values_;
        return;
    }
    valuesN_ = -1;
    for (int i = 0; i < n; ++i) {
        if ((i & 1023) == 1023) CheckCancelled();
        values[i] = covariate->Quantile((i + 1 - 0.375) / (n + 0.25));
    }
    values_ = values;
    valuesN_ = n;
}

void EnumerationWorkspace::BuildDataSet(int n) {
    design.resize(2 * n, 1);
    response.resize(2 * n, 1);
    weights.resize(2 * n, 1);
    if (covariateKind == kEnumerationBinomial) {
        const int k = static_cast<int>(RoundTo(n * binomialPi, 0));
        const int m = n - k;
        int row = 0;
        auto rows = [&](int count, double x, double y, double w) {
            for (int i = 0; i < count; ++i, ++row) {
                design(row, 0) = x;
                response(row, 0) = y;
                weights(row, 0) = w;
            }
        };
        rows(m, 0.0, 0.0, 1.0 - p0);
        rows(m, 0.0, 1.0, p0);
        rows(k, 1.0, 0.0, 1.0 - p1);
        rows(k, 1.0, 1.0, p1);
        return;
    }
    std::vector<double> x;
    CovariateValues(n, x);
    for (int i = 0; i < n; ++i) {
        const double eta = beta0 + beta1 * x[i];
        double p;
        if (eta > 60.0) {
            p = 1.0;
        } else if (eta < -60.0) {
            p = 0.0;
        } else {
            p = LogisticProbability(eta);
        }
        design(2 * i, 0) = design(2 * i + 1, 0) = x[i];
        response(2 * i, 0) = 0.0;
        weights(2 * i, 0) = 1.0 - p;
        response(2 * i + 1, 0) = 1.0;
        weights(2 * i + 1, 0) = p;
    }
}

double EnumerationWorkspace::LogLikelihood(const Matrix& b) {
    // y ln p + (1 - y) ln(1 - p) = y eta - ln(1 + e^eta), which keeps its
    // value where p rounds to 0 or 1 (there ln(1 - p) is about -eta).
    double sum = 0.0;
    for (int r = 0; r < design.extent(0); ++r) {
        const double eta = b(0, 0) + b(1, 0) * design(r, 0);
        const double w = weights(r, 0);
        if (w != 0.0) sum += w * (response(r, 0) * eta - SoftPlus(eta));
    }
    return sum;
}

void EnumerationWorkspace::FitDataSet(int family, int link) {
    CheckCancelled();
    fitter.SetDesignMatrix(design);
    fitter.SetResponse(response);
    fitter.SetWeights(weights);
    if (!fitter.Fit(family, link) || !fitter.converged) {
        throw QuorixError("Enumeration: the model could not be fitted to the expected data set",
                          QuorixError::kNoConvergence, 0.0);
    }
}

double EnumerationWorkspace::WaldNoncentrality(double slope) {
    // The slope is gone when every subject has the same covariate value:
    // nothing then tells the slope apart from the intercept.
    if (fitter.covariance.extent(0) < 2) return 0.0;
    const double variance = fitter.covariance(1, 1);
    if (!(variance > 0.0)) return 0.0;
    return slope * slope / variance;
}

OneDfChiSquareTest ChiSquareTestAt(double noncentrality, double alphaPrime) {
    if (!(0.0 < alphaPrime && alphaPrime < 1.0)) {
        throw QuorixError("Enumeration: alpha outside (0, 1)", QuorixError::kOutOfRange,
                          alphaPrime);
    }
    // A chi-square variable of one df is the square of a normal one:
    // Quantile(1 - a) = z^2 with z the upper a/2 point, and with
    // noncentrality lambda the upper tail at z^2 is that of N(sqrt(lambda), 1)
    // outside +-z. Both keep their digits for a tiny alpha.
    NormalDistribution standard(0.0, 1.0);
    const double z = -standard.Quantile(alphaPrime / 2.0);
    OneDfChiSquareTest test;
    test.criticalValue = z * z;
    const double shift = std::sqrt(std::fmax(noncentrality, 0.0));
    const double power = standard.Cdf(shift - z) + standard.Cdf(-shift - z);
    // beta on its own side: N(shift, 1) inside +-z, which keeps its digits
    // where the power rounds to 1.
    test.acceptance = power > alphaPrime
                          ? std::fmax(standard.Cdf(z - shift) - standard.Cdf(-z - shift), 0.0)
                          : 1.0 - alphaPrime;
    test.power = std::fmax(alphaPrime, power);
    return test;
}

double EnumerationWorkspace::ChiSquarePower(double alphaPrime) {
    const OneDfChiSquareTest test = ChiSquareTestAt(noncentrality, alphaPrime);
    criticalValue = test.criticalValue;
    acceptance = test.acceptance;
    return test.power;
}

double EnumerationWorkspace::Enumerate(double p0Value, double p1Value, int n, double alphaPrime,
                                       bool wald) {
    if (!(0.0 < alphaPrime && alphaPrime < 1.0)) {
        throw QuorixError("Enumeration: alpha outside (0, 1)", QuorixError::kOutOfRange,
                          alphaPrime);
    }
    criticalValue = 0.0;
    noncentrality = 0.0;
    p0 = p0Value;
    p1 = p1Value;
    odds0 = p0 / (1.0 - p0);
    odds1 = p1 / (1.0 - p1);
    oddsRatio = odds1 / odds0;
    beta0 = std::log(odds0);
    beta1 = std::log(oddsRatio);
    coefficients.resize(2, 1);
    coefficients(0, 0) = beta0;
    coefficients(1, 0) = beta1;
    // No subject, no information: the test keeps its level.
    if (n < 1) return ChiSquarePower(alphaPrime);
    if (covariateKind != kEnumerationBinomial && !covariate) {
        throw QuorixError("Enumeration: no covariate", QuorixError::kOutOfRange, 0.0);
    }

    BuildDataSet(n);
    FitDataSet(kGlmBinomial, kGlmLogit);
    if (wald) {
        noncentrality = WaldNoncentrality(beta1);
    } else {
        const double full = LogLikelihood(coefficients);
        // The model without the covariate has the mean response as its
        // fitted probability: its score equation sum w (y - p) = 0 has that
        // root, which a second fit of the data set would only approach.
        double successes = 0.0, failures = 0.0;
        for (int r = 0; r < response.extent(0); ++r) {
            (response(r, 0) > 0.0 ? successes : failures) += weights(r, 0);
        }
        if (successes > 0.0 && failures > 0.0) {
            coefficients(0, 0) = std::log(successes) - std::log(failures);
        } else {
            // All of the weight on one outcome: the fit's bounded intercept.
            design = 0.0;
            FitDataSet(kGlmBinomial, kGlmLogit);
            coefficients(0, 0) = fitter.coefficients(0, 0);
        }
        coefficients(1, 0) = 0.0;
        const double reduced = LogLikelihood(coefficients);
        noncentrality = std::fmax(-2.0 * (reduced - full), 0.0);
    }
    return ChiSquarePower(alphaPrime);
}
