#include "power/z/covariate_integrands.h"

#include <algorithm>
#include <cmath>

#include "distributions/closed_form.h"
#include "distributions/normal.h"
#include "distributions/poisson.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"

namespace {

// Beyond |eta| = 80 the Bernoulli variance is below 2e-35 and Pr(Y=1) is 0
// or 1 to double precision.
constexpr double kPredictorBound = 80.0;
constexpr double kQuadratureTolerance = 1e-10;
constexpr double kTailProbability = 1e-12;
constexpr double kMostCounts = 2e6;
// Bisections of the limit searches stop after this many halvings.
constexpr int kMaxHalvings = 1000;
constexpr double kSearchGrowth = 1.6;
constexpr double kSearchEnd = 1e20;
constexpr double kSearchResolution = 1e-5;

bool IsLogNormal(Distribution& d) {
    return d.GetName() == "LogNormal";
}

}  // namespace

double BernoulliVariance(double eta) {
    const double e = std::exp(-std::fabs(eta));
    return e / ((1.0 + e) * (1.0 + e));
}

double LogisticProbability(double eta) {
    const double e = std::exp(-std::fabs(eta));
    return eta >= 0.0 ? 1.0 / (1.0 + e) : e / (1.0 + e);
}

// ------------------------------------------------------------------- varB

varB::varB(double b0, double b1, std::unique_ptr<Distribution> x)
    : beta0(b0), beta1(b1), covariate(std::move(x)) {
    lower = covariate->Quantile(kTailProbability);
    upper = covariate->Quantile(1.0 - kTailProbability);
}

double varB::Evaluate(double x) {
    const double eta = beta0 + beta1 * x;
    switch (mode) {
        case 0:
            return covariate->Pdf(x) * BernoulliVariance(eta);
        case 1:
            return (x - center) * covariate->Pdf(x) * BernoulliVariance(eta);
        case 2:
            return Square(x - center) * covariate->Pdf(x) * BernoulliVariance(eta);
        case 3:
            return covariate->Pdf(x) * BernoulliVariance(eta0);
        case 4:
            return x * covariate->Pdf(x) * BernoulliVariance(eta0);
        case 5:
            return x * x * covariate->Pdf(x) * BernoulliVariance(eta0);
        case 6:
            return covariate->Pdf(x) * LogisticProbability(eta);
        default:
            return 0.0;
    }
}

double varB::GetLowerPredictorLimit() {
    if (beta1 == 0.0) return -1000.0;
    return std::min((kPredictorBound - beta0) / beta1, (-kPredictorBound - beta0) / beta1);
}

double varB::GetUpperPredictorLimit() {
    if (beta1 == 0.0) return 1000.0;
    return std::max((kPredictorBound - beta0) / beta1, (-kPredictorBound - beta0) / beta1);
}

bool varB::PredictorWindow(double from, double to, double* a, double* b) const {
    *a = from;
    *b = to;
    if (beta1 != 0.0) {
        // Computed here rather than through the virtual limits, whose
        // stand-ins for beta1 = 0 would cut a covariate off at +-1000.
        const double x1 = (kPredictorBound - beta0) / beta1;
        const double x2 = (-kPredictorBound - beta0) / beta1;
        *a = std::max(from, std::min(x1, x2));
        *b = std::min(to, std::max(x1, x2));
    }
    return *a < *b;
}

double varB::MassOfCertainResponse(double from, double to, bool discrete) {
    if (beta1 == 0.0) return 0.0;
    const double edge = (kPredictorBound - beta0) / beta1;
    double a = from, b = to;
    if (beta1 > 0.0) {
        a = std::max(from, discrete ? std::floor(edge) + 1.0 : edge);
    } else {
        b = std::min(to, discrete ? std::ceil(edge) - 1.0 : edge);
    }
    if (!(a < b || (discrete && a == b))) return 0.0;
    if (discrete) return covariate->Cdf(b) - covariate->Cdf(a - 1.0);
    return covariate->Cdf(b) - covariate->Cdf(a);
}

double varB::IntegrateOver(double from, double to) {
    double a = from, b = to;
    // Only the integrands of the H1 predictor vanish outside the window.
    if (mode >= 0 && mode <= 2 && !PredictorWindow(from, to, &a, &b)) return 0.0;
    if (!(a < b)) return 0.0;
    return IntegrateCquad(this, a, b, kQuadratureTolerance);
}

double varB::SumOver(double from, double to) {
    // A sum of more counts than this would take the calculation minutes
    // (a Poisson covariate with lambda near 1e10 or beyond); it is refused.
    if (to - from > kMostCounts) throw QuorixError("Math overflow", QuorixError::kMathOverflow, to);
    double sum = 0.0;
    long count = 0;
    for (double k = from; k <= to; k += 1.0) {
        if (cancel && (++count & 4095) == 0 && cancel->load(std::memory_order_relaxed)) {
            throw CancelledError();
        }
        sum += Evaluate(k);
    }
    return sum;
}

double varB::MarginalProbability(double from, double to, bool discrete) {
    mode = 6;
    double inside = 0.0;
    double a = from, b = to;
    if (PredictorWindow(from, to, &a, &b)) {
        if (discrete) {
            inside = SumOver(std::max(from, std::ceil(a)), b);
        } else {
            inside = IntegrateCquad(this, a, b, kQuadratureTolerance);
        }
    }
    return inside + MassOfCertainResponse(from, to, discrete);
}

double varB::SumOverSupport(int integrand) {
    mode = integrand;
    const double first = std::trunc(lower);
    if (integrand == 6) return MarginalProbability(first, upper, true);
    if (integrand >= 0 && integrand <= 2) {
        double a = first, b = upper;
        if (!PredictorWindow(first, upper, &a, &b)) return 0.0;
        // The counts of the window, on the grid that starts at trunc(lower).
        return SumOver(std::max(first, first + std::ceil(a - first)), b);
    }
    return SumOver(first, upper);
}

double varB::Integrate(int integrand) {
    mode = integrand;
    if (IsLogNormal(*covariate)) {
        if (integrand >= 0 && integrand <= 2) {
            // The reach of the integrand about 0; centred, it is no wider.
            const double shift = center;
            center = 0.0;
            const double reach = FindUpperLimitFromMode(integrand, 1e-30);
            center = shift;
            return IntegrateOver(0.0, reach);
        }
        if (integrand >= 3 && integrand <= 5) {
            const double w0 = BernoulliVariance(eta0);
            if (integrand == 3) return w0;
            return w0 * (integrand == 4 ? GetMean() : GetSecondMoment());
        }
        // The support of a log-normal covariate starts at 0.
        if (integrand == 6) return MarginalProbability(0.0, upper, false);
    }
    if (integrand == 6) return MarginalProbability(lower, upper, false);
    return IntegrateOver(lower, upper);
}

void varB::SetH0Predictor(int rule) {
    if (rule == 0) {
        const double p = Integrate(6);
        eta0 = std::log(p / (1.0 - p));
    } else if (rule == 1) {
        eta0 = beta0 + beta1 * covariate->GetMean();
    } else {
        eta0 = beta0;
    }
}

void varB::SetH0PredictorDiscrete(int rule) {
    if (rule == 0) {
        const double p = SumOverSupport(6);
        eta0 = std::log(p / (1.0 - p));
    } else {
        SetH0Predictor(rule);
    }
}

double varB::NullVariance() {
    // w0 / (w0^2 E[X^2] - (w0 E[X])^2), with the variance of X taken as the
    // distribution gives it: E[X^2] - E[X]^2 cancels where the mean is large.
    return 1.0 / (BernoulliVariance(eta0) * covariate->GetVariance());
}

double varB::SlopeVariance(double (varB::*moment)(int)) {
    // I0 I2 - I1^2 is invariant under a shift of x; about the mean of X it
    // does not cancel the digits of a covariate far from 0.
    const double mean = GetMean();
    center = std::isfinite(mean) ? mean : 0.0;
    const double i0 = (this->*moment)(0);
    const double i1 = (this->*moment)(1);
    const double i2 = (this->*moment)(2);
    center = 0.0;
    return i0 / (i0 * i2 - i1 * i1);
}

void varB::ComputeVariances(double* var0, double* var1, int rule, bool correction) {
    *var1 = SlopeVariance(&varB::Integrate);
    if (correction) {
        SetH0Predictor(rule);
        *var0 = NullVariance();
    } else {
        *var0 = *var1;
    }
}

void varB::ComputeVariancesDiscrete(double* var0, double* var1, int rule, bool correction) {
    *var1 = SlopeVariance(&varB::SumOverSupport);
    if (correction) {
        SetH0PredictorDiscrete(rule);
        *var0 = NullVariance();
    } else {
        *var0 = *var1;
    }
}

// ------------------------------------------------------------ limit searches

double varB::FindUpperLimitFromMode(int integrand, double eps) {
    mode = integrand;
    const double m =
        std::exp(covariate->GetParam(0) - covariate->GetParam(1) * covariate->GetParam(1));
    double lo = std::max(1.0, m);
    double hi = 2.0 * lo;
    double r = hi;
    while (Evaluate(hi) > eps && hi < kSearchEnd) {
        hi *= kSearchGrowth;
        r = hi;
    }
    for (int count = 1; (hi - lo) / hi > kSearchResolution && count < kMaxHalvings; ++count) {
        const double mid = (lo + hi) / 2.0;
        if (Evaluate(mid) > eps) {
            lo = mid;
        } else {
            hi = mid;
            r = mid;
        }
    }
    return r;
}

double varB::FindUpperTailLimit(int integrand, double start, double eps) {
    mode = integrand;
    auto g = [this](double x) { return std::fabs(Evaluate(x)); };
    double lo = std::max(1.0, start);
    double a = lo;
    double r = lo;
    while (g(a) > eps && a < kSearchEnd) {
        a *= kSearchGrowth;
        r = a;
    }
    while (g(lo) < eps && lo > 1.0) lo /= kSearchGrowth;
    for (int count = 1; (a - lo) / a > kSearchResolution && count < kMaxHalvings; ++count) {
        const double mid = (a + lo) / 2.0;
        if (g(mid) > eps) {
            lo = mid;
        } else {
            a = mid;
            r = mid;
        }
    }
    return r;
}

double varB::FindLowerTailLimit(int integrand, double start, double eps) {
    mode = integrand;
    auto g = [this](double x) { return std::fabs(Evaluate(x)); };
    const double s = std::min(-1.0, start);
    double a = s;
    double r = s;
    while (g(a) > eps && a > -kSearchEnd) {
        a *= kSearchGrowth;
        r = a;
    }
    double lo = s;
    while (g(lo) < eps && lo < -1.0) lo /= kSearchGrowth;
    for (int count = 1;
         std::fabs(lo - a) / std::fabs(lo) > kSearchResolution && count < kMaxHalvings; ++count) {
        const double mid = (a + lo) / 2.0;
        if (g(mid) < eps) {
            a = mid;
            r = mid;
        } else {
            lo = mid;
        }
    }
    return r;
}

// -------------------------------------------------------------- covariates

varBnormal::varBnormal(double b0, double b1, double mu, double sigma)
    : varB(b0, b1, std::make_unique<NormalDistribution>(mu, sigma)) {}

double varBnormal::GetMean() {
    return covariate->GetParam(0);
}

double varBnormal::GetSecondMoment() {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    return mu * mu + sigma * sigma;
}

double varBnormal::GetLowerLimit(int, double eps) {
    return FindLowerTailLimit(mode, GetLowerPredictorLimit(), eps);
}

double varBnormal::GetUpperLimit(int, double eps) {
    return FindUpperTailLimit(mode, GetUpperPredictorLimit(), eps);
}

varBlognormal::varBlognormal(double b0, double b1, double mu, double sigma)
    : varB(b0, b1, std::make_unique<LogNormalDistribution>(mu, sigma)) {
    // The far upper tail of a log-normal covariate reaches values whose
    // squares the integrands cannot carry; the tails are cut earlier.
    lower = covariate->Quantile(1e-8);
    upper = covariate->Quantile(0.9999999999);
}

double varBlognormal::GetMean() {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    return std::exp(mu + sigma * sigma / 2.0);
}

double varBlognormal::GetSecondMoment() {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    return std::exp(2.0 * (mu + sigma * sigma));
}

double varBlognormal::GetMode() {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    return std::exp(mu - sigma * sigma);
}

double varBlognormal::GetUpperLimit(int, double eps) {
    return FindUpperTailLimit(mode, GetUpperPredictorLimit(), eps);
}

varBexp::varBexp(double b0, double b1, double lambda)
    : varB(b0, b1, std::make_unique<ExponentialDistribution>(lambda)) {}

double varBexp::GetMean() {
    return 1.0 / covariate->GetParam(0);
}

double varBexp::GetSecondMoment() {
    const double lambda = covariate->GetParam(0);
    return 2.0 / (lambda * lambda);
}

double varBexp::GetUpperLimit(int, double eps) {
    return FindUpperTailLimit(mode, GetUpperPredictorLimit(), eps);
}

varBuni::varBuni(double b0, double b1, double left, double right)
    : varB(b0, b1, std::make_unique<UniformDistribution>(left, right)) {}

double varBuni::GetMean() {
    return (covariate->GetParam(0) + covariate->GetParam(1)) / 2.0;
}

double varBuni::GetSecondMoment() {
    const double a = covariate->GetParam(0), b = covariate->GetParam(1);
    return (a * b + a * a + b * b) / 3.0;
}

double varBuni::GetMode() {
    return covariate->GetParam(0);
}

double varBuni::GetUpperLimit(int, double eps) {
    return FindUpperTailLimit(mode, GetUpperPredictorLimit(), eps);
}

varBpoiss::varBpoiss(double b0, double b1, double lambda)
    : varB(b0, b1, std::make_unique<PoissonDistribution>(lambda)) {}

double varBpoiss::GetMean() {
    return covariate->GetParam(0);
}

double varBpoiss::GetSecondMoment() {
    const double lambda = covariate->GetParam(0);
    return lambda * lambda + lambda;
}

double varBpoiss::GetMode() {
    return std::floor(covariate->GetParam(0));
}
