#include "power/z/covariate_integrands.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <queue>
#include <vector>

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
// Far below the digits shown, and above the rounding of the sums.
constexpr double kTripleTolerance = 1e-13;
// Below this z the standard normal density is 0 in double precision.
constexpr double kLowestZ = -40.0;

bool IsLogNormal(Distribution& d) {
    return d.GetName() == "LogNormal";
}

// The 7-15 point Gauss-Kronrod pair: the Kronrod nodes on [0, 1) from the
// outside in (the Gauss nodes are the odd ones), then 0.
constexpr std::array<double, 8> kKronrodNodes = {
    0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
    0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
    0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
    0.207784955007898467600689403773245, 0.0};
constexpr std::array<double, 8> kKronrodWeights = {
    0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
    0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
    0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
    0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
constexpr std::array<double, 4> kGaussWeights = {
    0.129484966168869693270611432679082, 0.279705391489276667901467771423780,
    0.381830050505118944950369775488975, 0.417959183673469387755102040816327};
constexpr int kMostTripleIntervals = 2000;
constexpr int kMostTripleValues = 6;

struct TripleInterval {
    double a, b;
    std::array<double, kMostTripleValues> sum, error;
    double weight;  // the largest error relative to its tolerance, for the queue
    bool operator<(const TripleInterval& other) const { return weight < other.weight; }
};

// The Kronrod sums of [a, b] and their error estimates, in the form of the
// classic adaptive quadrature package: the difference of the two rules,
// scaled down where the integrand is smooth on the interval.
void KronrodOnInterval(const std::function<void(double, double*)>& values, int count,
                       TripleInterval* interval) {
    const double centre = 0.5 * (interval->a + interval->b);
    const double half = 0.5 * (interval->b - interval->a);
    std::array<std::array<double, kMostTripleValues>, 15> f{};
    values(centre, f[0].data());
    for (int j = 0; j < 7; ++j) {
        values(centre - half * kKronrodNodes[j], f[2 * j + 1].data());
        values(centre + half * kKronrodNodes[j], f[2 * j + 2].data());
    }
    for (int k = 0; k < count; ++k) {
        double kronrod = kKronrodWeights[7] * f[0][k];
        double gauss = kGaussWeights[3] * f[0][k];
        for (int j = 0; j < 7; ++j) {
            const double pair = f[2 * j + 1][k] + f[2 * j + 2][k];
            kronrod += kKronrodWeights[j] * pair;
            if (j % 2 == 1) gauss += kGaussWeights[j / 2] * pair;
        }
        const double mean = 0.5 * kronrod;
        double spread = kKronrodWeights[7] * std::fabs(f[0][k] - mean);
        for (int j = 0; j < 7; ++j) {
            spread += kKronrodWeights[j] *
                      (std::fabs(f[2 * j + 1][k] - mean) + std::fabs(f[2 * j + 2][k] - mean));
        }
        double error = std::fabs((kronrod - gauss) * half);
        spread *= std::fabs(half);
        if (spread != 0.0 && error != 0.0) {
            error = spread * std::min(1.0, std::pow(200.0 * error / spread, 1.5));
        }
        interval->sum[k] = kronrod * half;
        interval->error[k] = error;
        if (!std::isfinite(interval->sum[k])) {
            throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
        }
    }
}

}  // namespace

void IntegrateTriples(const std::function<void(double, double*)>& values, int count, double a,
                      double b, double tolerance, double* result) {
    std::array<double, kMostTripleValues> total{}, error{};
    auto add = [&](const TripleInterval& interval, double sign) {
        for (int k = 0; k < count; ++k) {
            total[k] += sign * interval.sum[k];
            error[k] += sign * interval.error[k];
        }
    };
    // The tolerance of each integral on the scale of its triple; an interval
    // is weighed by the largest share of it that its errors take.
    std::array<double, kMostTripleValues> allowed{};
    auto setAllowed = [&] {
        for (int t = 0; t < count; t += 3) {
            allowed[t] = tolerance * std::fabs(total[t]);
            allowed[t + 1] =
                tolerance * std::sqrt(std::fabs(total[t])) * std::sqrt(std::fabs(total[t + 2]));
            allowed[t + 2] = tolerance * std::fabs(total[t + 2]);
        }
    };
    auto weigh = [&](TripleInterval* interval) {
        interval->weight = 0.0;
        for (int k = 0; k < count; ++k) {
            const double share =
                allowed[k] > 0.0 ? interval->error[k] / allowed[k] : interval->error[k] * 1e300;
            interval->weight = std::max(interval->weight, share);
        }
    };
    std::priority_queue<TripleInterval> queue;
    TripleInterval whole{a, b, {}, {}, 0.0};
    KronrodOnInterval(values, count, &whole);
    add(whole, 1.0);
    setAllowed();
    weigh(&whole);
    queue.push(whole);
    for (int intervals = 1;; ++intervals) {
        bool met = true;
        for (int k = 0; k < count; ++k) met = met && error[k] <= allowed[k];
        if (met) break;
        if (intervals >= kMostTripleIntervals) {
            throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
        }
        CancelCheck::Poll();
        const TripleInterval worst = queue.top();
        queue.pop();
        const double middle = 0.5 * (worst.a + worst.b);
        TripleInterval left{worst.a, middle, {}, {}, 0.0};
        TripleInterval right{middle, worst.b, {}, {}, 0.0};
        KronrodOnInterval(values, count, &left);
        KronrodOnInterval(values, count, &right);
        add(worst, -1.0);
        add(left, 1.0);
        add(right, 1.0);
        setAllowed();
        // The weights of the intervals kept were taken against the earlier
        // tolerances; they only order the work, and the totals settle fast.
        weigh(&left);
        weigh(&right);
        queue.push(left);
        queue.push(right);
    }
    // The sums again from the intervals themselves: the running total has
    // gathered the rounding of every subtraction.
    std::array<double, kMostTripleValues> sum{};
    while (!queue.empty()) {
        for (int k = 0; k < count; ++k) sum[k] += queue.top().sum[k];
        queue.pop();
    }
    for (int k = 0; k < count; ++k) result[k] = sum[k];
}

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

void varBlognormal::ComputeVariances(double* var0, double* var1, int rule, bool correction) {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    const double mean = GetMean();
    if (!std::isfinite(mean) || rule == 1) {
        varB::ComputeVariances(var0, var1, rule, correction);
        return;
    }
    const double scale = 1.0 / std::sqrt(2.0 * M_PI);
    const double shift = sigma * sigma / 2.0;
    auto zOf = [&](double x) { return x > 0.0 ? (std::log(x) - mu) / sigma : kLowestZ; };
    // The moments reach where the farthest of their integrands about 0
    // falls below 1e-30, as the integrals over x take them.
    center = 0.0;
    double reach = 0.0;
    for (int k = 0; k <= 2; ++k) reach = std::max(reach, FindUpperLimitFromMode(k, 1e-30));
    double m[3] = {0.0, 0.0, 0.0};
    double a = 0.0, b = 0.0;
    if (PredictorWindow(0.0, reach, &a, &b)) {
        const double za = std::max(kLowestZ, zOf(a)), zb = zOf(b);
        // The moments about `origin`, with the distance to it taken without
        // the cancellation of the two near it.
        auto moments = [&](double origin) {
            const double offset = std::log(origin / mean);
            auto values = [&](double z, double* v) {
                const double x = std::exp(mu + sigma * z);
                const double d = origin * std::expm1(sigma * z - shift - offset);
                v[0] = scale * std::exp(-0.5 * z * z) * BernoulliVariance(beta0 + beta1 * x);
                v[1] = v[0] * d;
                v[2] = v[1] * d;
            };
            IntegrateTriples(values, 3, za, zb, kTripleTolerance, m);
        };
        if (za < zb) {
            moments(mean);
            // Where the model's weight lies far from the covariate's mean,
            // the moments about the mean cancel in the slope's variance:
            // about the weighted mean they do not.
            const double lean = m[1] / m[0];
            const double weighted = mean + lean;
            if (lean * lean > 0.5 * (m[2] / m[0]) && weighted > 0.0 && std::isfinite(weighted)) {
                moments(weighted);
            }
        }
    }
    *var1 = m[0] / (m[0] * m[2] - m[1] * m[1]);
    if (!correction) {
        *var0 = *var1;
        return;
    }
    if (rule == 0) {
        // The logit of the marginal Pr(Y=1) over [0, upper].
        double p = MassOfCertainResponse(0.0, upper, false);
        if (PredictorWindow(0.0, upper, &a, &b)) {
            const double za = std::max(kLowestZ, zOf(a)), zb = zOf(b);
            auto values = [&](double z, double* v) {
                const double x = std::exp(mu + sigma * z);
                v[0] = scale * std::exp(-0.5 * z * z) * LogisticProbability(beta0 + beta1 * x);
                v[1] = v[2] = 0.0;
            };
            double q[3];
            if (za < zb) {
                IntegrateTriples(values, 3, za, zb, kTripleTolerance, q);
                p += q[0];
            }
        }
        eta0 = std::log(p / (1.0 - p));
    } else {
        eta0 = beta0;
    }
    *var0 = NullVariance();
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
