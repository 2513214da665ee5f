#include "power/t/wilcoxon_moments.h"

#include <cmath>

#include "distributions/bivariate_normal.h"
#include "distributions/normal.h"
#include "numerics/root.h"

namespace {

enum ParentCode { kLaplace = 2, kNormal = 3, kLogistic = 4, kMinimalARE = 5 };

const double kSqrt2 = std::sqrt(2.0);
// pi/sqrt(3): the standard deviation of the standard logistic distribution.
const double kLogisticScale = M_PI / std::sqrt(3.0);

double Phi(double x) {
    NormalDistribution normal(0.0, 1.0);
    return normal.Cdf(x);
}

double PhiInverse(double p) {
    NormalDistribution normal(0.0, 1.0);
    return normal.Quantile(p);
}

// P(X < Y) of two Laplace variates with unit scale and a shift x.
double LaplacePairProbability(double x) {
    return 1.0 - std::exp(-x) * (x / 2.0 + 1.0) / 2.0;
}

// Below this shift the closed forms of the logistic probabilities lose
// their digits to cancellation (numerator and denominator both vanish like
// a power of x); their Taylor series, here to the x^15 term, take over.
constexpr double kLogisticSeriesBelow = 0.25;

double Series(const double* c, int terms, double x) {
    double sum = 0.0;
    for (int i = terms - 1; i >= 0; --i) sum = sum * x + c[i];
    return sum;
}

// P(X < Y) of two logistic variates with unit scale and a shift x.
double LogisticPairProbability(double x) {
    if (std::fabs(x) < kLogisticSeriesBelow) {
        static const double c[] = {1.0 / 2.0, 1.0 / 6.0,          0.0, -1.0 / 180.0,
                                   0.0,       1.0 / 5040.0,       0.0, -1.0 / 151200.0,
                                   0.0,       1.0 / 4790016.0,    0.0, -691.0 / 108972864000.0,
                                   0.0,       1.0 / 5337446400.0, 0.0, -3617.0 / 666913927680000.0};
        return Series(c, 16, x);
    }
    const double e = std::exp(-x);
    return (1.0 - e * (x + 1.0)) / ((1.0 - e) * (1.0 - e));
}

// P(X < Y1, X < Y2) of logistic variates with unit scale and a shift w.
double LogisticTripleProbability(double w) {
    if (std::fabs(w) < kLogisticSeriesBelow) {
        static const double c[] = {1.0 / 3.0,
                                   1.0 / 6.0,
                                   1.0 / 60.0,
                                   -1.0 / 180.0,
                                   -1.0 / 1008.0,
                                   1.0 / 5040.0,
                                   1.0 / 21600.0,
                                   -1.0 / 151200.0,
                                   -1.0 / 532224.0,
                                   1.0 / 4790016.0,
                                   691.0 / 9906624000.0,
                                   -691.0 / 108972864000.0,
                                   -1.0 / 410572800.0,
                                   1.0 / 5337446400.0,
                                   3617.0 / 44460928512000.0,
                                   -3617.0 / 666913927680000.0};
        return Series(c, 16, w);
    }
    const double e = std::exp(-w);
    return (1.0 - 2.0 * w * e - e * e) / std::pow(1.0 - e, 3.0);
}

// The shift x at which `probability` reaches p1.
class InverseOfProbability : public Root {
  public:
    InverseOfProbability(double (*probability)(double), double p1)
        : probability_(probability), p1_(p1) {}
    double Evaluate(double x) override { return probability_(x) - p1_; }

  private:
    double (*probability_)(double);
    double p1_;
};

}  // namespace

int WilcoxParentCode(int method, int option) {
    switch (option) {
        case 0:
            return kNormal;
        case 1:
            return kLaplace;
        case 2:
            return kLogistic;
        case 3:
            return method == 1 ? kMinimalARE : 0;
        default:
            return 0;
    }
}

int WilcoxParentIndex(int method, int code) {
    switch (code) {
        case kLaplace:
            return 1;
        case kLogistic:
            return 2;
        case kMinimalARE:
            return method == 1 ? 3 : 0;
        default:
            return 0;
    }
}

double WilcoxP1FromDelta(double delta, int samples, int code) {
    if (samples == 1) {
        switch (code) {
            case kLaplace:
                return 1.0 - std::exp(-kSqrt2 * delta) / 2.0;
            case kNormal:
                return Phi(delta);
            case kLogistic: {
                const double u = kLogisticScale * delta;
                return 1.0 / (1.0 + std::exp(-u));
            }
            default:
                return 0.0;
        }
    }
    switch (code) {
        case kLaplace:
            return LaplacePairProbability(kSqrt2 * delta);
        case kNormal:
            return Phi(delta / kSqrt2);
        case kLogistic:
            return LogisticPairProbability(kLogisticScale * delta);
        default:
            return 0.0;
    }
}

double wilcox_p1_to_delta(double p1, int samples, int code) {
    if (samples == 1) {
        switch (code) {
            case kLaplace:
                return -std::log(2.0 * (1.0 - p1)) / kSqrt2;
            case kNormal:
                return PhiInverse(p1);
            case kLogistic:
                return std::log(p1 / (1.0 - p1)) / kLogisticScale;
            default:
                return 0.0;
        }
    }
    switch (code) {
        case kLaplace: {
            InverseOfProbability solver(LaplacePairProbability, p1);
            return solver.Solve(0.0, 100.0, 1e-8, 200) / kSqrt2;
        }
        case kNormal:
            return kSqrt2 * PhiInverse(p1);
        case kLogistic: {
            if (std::fabs(p1 - 0.5) < 1e-12) return 0.0;
            InverseOfProbability solver(LogisticPairProbability, p1);
            return solver.Solve(1e-15, 100.0, 1e-8, 200) / kLogisticScale;
        }
        default:
            return 0.0;
    }
}

double WilcoxEffectToDelta(double effect, int method, int samples, int code) {
    return method == 2 ? wilcox_p1_to_delta(effect, samples, code) : effect;
}

double WilcoxPairSumProbability(double v, int code) {
    switch (code) {
        case kLaplace:
            return LaplacePairProbability(v);
        case kNormal:
            return Phi(v);
        case kLogistic:
            return LogisticPairProbability(v);
        default:
            return 0.5;
    }
}

double WilcoxTripleProbability(double v, int samples, int code) {
    const double w = samples == 1 ? 2.0 * v : v;
    switch (code) {
        case kLaplace:
            return 1.0 - std::exp(-w) * (w / 2.0 + 7.0 / 12.0) - std::exp(-2.0 * w) / 12.0;
        case kNormal:
            return BivariateNormalCdf(w, w, 0.0, 0.0, 1.0, 1.0, 0.5, 1e-7);
        case kLogistic:
            return LogisticTripleProbability(w);
        default:
            return 0.5;
    }
}

void WilcoxMomentsOfShift(double delta, int samples, int code, double* p1, double* p2, double* p3) {
    if (samples == 1) {
        double x = 0.0;
        if (code == kLaplace) {
            x = kSqrt2 * delta;
            *p1 = 1.0 - std::exp(-x) / 2.0;
        } else if (code == kLogistic) {
            x = kLogisticScale * delta;
            *p1 = 1.0 / (1.0 + std::exp(-x));
        } else {
            *p1 = Phi(delta);
            x = delta / kSqrt2;
        }
        *p2 = WilcoxPairSumProbability(2.0 * x, code);
        *p3 = WilcoxTripleProbability(x, 1, code);
        return;
    }
    const double v = code == kLaplace    ? kSqrt2 * delta
                     : code == kLogistic ? kLogisticScale * delta
                                         : delta / kSqrt2;
    *p1 = WilcoxPairSumProbability(v, code);
    // Under a parent both group orders give the same p2 and p3.
    *p2 = *p3 = WilcoxTripleProbability(v, 2, code);
}

void WilcoxSignedRankNullMoments(double tail, double n, double* lower, double* upper, double* mean0,
                                 double* var0, bool cc) {
    const double z = -PhiInverse(tail);
    *mean0 = n * (n + 1.0) / 4.0;
    *var0 = n * (n + 1.0) * (2.0 * n + 1.0) / 24.0;
    const double gamma = cc ? 0.5 : 0.0;
    *upper = *mean0 + gamma + z * std::sqrt(*var0);
    *lower = *mean0 - gamma - z * std::sqrt(*var0);
}
