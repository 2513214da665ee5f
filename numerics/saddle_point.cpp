#include "numerics/saddle_point.h"

#include <cfloat>
#include <cmath>

#include "numerics/special_functions.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kLnSqrtTwoPi = 0.9189385332046728;
// Above this a double no longer holds every integer reliably (0.9 * 2^53).
constexpr double kExactIntegerLimit = 8106479329266893.0;

// Stirling errors at n = 0, 1/2, 1, ..., 15; produced by
// verification/saddle_point/constants.py.
constexpr double kStirlingErrorHalves[31] = {
    0.0,
    1.5342640972002734529e-1,
    8.106146679532725822e-2,
    5.4814121051917653896e-2,
    4.1340695955409294094e-2,
    3.3162873519936287485e-2,
    2.7677925684998339149e-2,
    2.3746163656297495971e-2,
    2.0790672103765093112e-2,
    1.8488450532673185231e-2,
    1.6644691189821192163e-2,
    1.5134973221917378874e-2,
    1.3876128823070747999e-2,
    1.2810465242920226924e-2,
    1.1896709945891770095e-2,
    1.1104559758206917327e-2,
    1.0411265261972096497e-2,
    9.7994161261588032984e-3,
    9.2554621827127329177e-3,
    8.768700134139385463e-3,
    8.3305634333628712565e-3,
    7.9341145643140205472e-3,
    7.573675487951840795e-3,
    7.2445543013203831795e-3,
    6.9428401072095298657e-3,
    6.6652470327076824424e-3,
    6.4089941880042070684e-3,
    6.1717122630394576475e-3,
    5.9513701127588477356e-3,
    5.746216513010115682e-3,
    5.554733551962801371e-3,
};

// Chebyshev series (SLATEC D9LGMC and DLNREL) of x * lgammacor(x) in
// t = 2 (10/x)^2 - 1 and of (1 - ln(1 + x)/x)/x in t = x/0.375; regenerated
// by verification/saddle_point/constants.py.
constexpr double kGammaCorrectionSeries[15] = {
    1.6663894804518632472e-1,   -1.3849481760675638407e-5,  9.8108256469247294262e-9,
    -1.8091294755724941943e-11, 6.2210980418926052271e-14,  -3.3996150054177219443e-16,
    2.683181998482698749e-18,   -2.8680424353346432845e-20, 3.9628370610464349029e-22,
    -6.831888753985773031e-24,  1.4292273559424001478e-25,  -3.5475981581006874203e-27,
    1.0256800579247236032e-28,  -3.4011022351910099659e-30, 1.2766421191424030372e-31,
};

constexpr double kLog1pSeries[43] = {
    1.0378693562743769801,      -1.3364301504908918099e-1,  1.9408249135520563358e-2,
    -3.010755112753577769e-3,   4.869461479715485009e-4,    -8.1054881893175356067e-5,
    1.3778847799559524783e-5,   -2.3802210894358970251e-6,  4.1640416213865183476e-7,
    -7.3595828378075994984e-8,  1.3117611876241674949e-8,   -2.3546709317742425137e-9,
    4.2522773276034997776e-10,  -7.7190894134840796826e-11, 1.4075746481359069909e-11,
    -2.5769072058024680628e-12, 4.7342406666294421849e-13,  -8.7249012674742641745e-14,
    1.6124614902740551466e-14,  -2.9875652015665773007e-15, 5.5480701209082887983e-16,
    -1.0324619158271569595e-16, 1.9250239203049851178e-17,  -3.5955073465265150011e-18,
    6.7264542537876857892e-19,  -1.2602624168735219252e-19, 2.3644884408606210045e-20,
    -4.4419377050807936899e-21, 8.3546594464034259016e-22,  -1.5731559416479562576e-22,
    2.9653128740247422686e-23,  -5.5949583481815947226e-24, 1.0566354268835681031e-24,
    -1.9972483680670204973e-25, 3.7782977818839339514e-26,  -7.1531586889081468797e-27,
    1.3552488463674276654e-27,  -2.5694673048489660681e-28, 4.8747756066222309061e-29,
    -9.2542112530515334375e-30, 1.7578597841802642475e-30,  -3.3410026681125333792e-31,
    6.3533936184062592881e-32,
};

double LogScale(double value, int log) {
    return log ? value : std::exp(value);
}
double ZeroMass(int log) {
    return log ? kLogZero : 0.0;
}
double UnitMass(int log) {
    return log ? 0.0 : 1.0;
}

// True when v lies within 1e-7 of an integer (NaN is not).
bool NearInteger(double v) {
    return std::fabs(v - std::floor(v + 0.5)) <= 1e-7;
}

}  // namespace

double stirlerr(double n) {
    constexpr double S0 = 0.08333333333333333;    // 1/12
    constexpr double S1 = 0.002777777777777778;   // 1/360
    constexpr double S2 = 0.0007936507936507937;  // 1/1260
    constexpr double S3 = 0.0005952380952380953;  // 1/1680
    constexpr double S4 = 0.0008417508417508417;  // 1/1188
    if (n < 15.0) {
        const double twice = n + n;
        if (twice == std::trunc(twice) && twice >= 0.0)
            return kStirlingErrorHalves[static_cast<int>(twice)];
        return LogGamma(n + 1.0) - (n + 0.5) * std::log(n) + n - kLnSqrtTwoPi;
    }
    const double nn = n * n;
    if (n > 500.0) return (S0 - S1 / nn) / n;
    if (n > 80.0) return (S0 - (S1 - S2 / nn) / nn) / n;
    if (n > 35.0) return (S0 - (S1 - (S2 - S3 / nn) / nn) / nn) / n;
    return (S0 - (S1 - (S2 - (S3 - S4 / nn) / nn) / nn) / nn) / n;
}

double bd0(double x, double np) {
    // Written so that values which are not numbers take the direct form:
    // the series below only stops for finite arguments.
    if (!(std::fabs(x - np) < 0.1 * (x + np))) return x * std::log(x / np) + np - x;
    // x ln(x/np) + np - x = (x - np) v + 2x sum_j v^(2j+1)/(2j+1), v = (x-np)/(x+np).
    const double v = (x - np) / (x + np);
    double s = (x - np) * v;
    double ej = 2.0 * x * v;
    for (int j = 1;; ++j) {
        ej *= v * v;
        const double s1 = s + ej / (2 * j + 1);
        if (s1 == s) return s1;
        s = s1;
    }
}

double dbinom_raw(double x, double n, double p, double q, int log) {
    if (p == 0.0) return x == 0.0 ? UnitMass(log) : ZeroMass(log);
    if (q == 0.0) return x == n ? UnitMass(log) : ZeroMass(log);
    if (x == 0.0) {
        if (n == 0.0) return UnitMass(log);
        const double lc = p < 0.1 ? -bd0(n, n * q) - n * p : n * std::log(q);
        return LogScale(lc, log);
    }
    if (x == n) {
        const double lc = q < 0.1 ? -bd0(n, n * p) - n * q : n * std::log(p);
        return LogScale(lc, log);
    }
    if (!(0.0 < x && x < n)) return ZeroMass(log);
    const double lc =
        stirlerr(n) - stirlerr(x) - stirlerr(n - x) - bd0(x, n * p) - bd0(n - x, n * q);
    const double lf = kTwoPi * x * (n - x) / n;
    return log ? lc - 0.5 * std::log(lf) : std::exp(lc) / std::sqrt(lf);
}

double dpois_raw(double x, double lambda, int log) {
    if (lambda == 0.0) return x == 0.0 ? UnitMass(log) : ZeroMass(log);
    if (x == 0.0) return LogScale(-lambda, log);
    if (!(x > 0.0)) return ZeroMass(log);
    const double exponent = -stirlerr(x) - bd0(x, lambda);
    return log ? exponent - 0.5 * std::log(kTwoPi * x) : std::exp(exponent) / std::sqrt(kTwoPi * x);
}

double dbinom(double x, double n, double p, int log) {
    if (!(n >= 0.0 && NearInteger(n)) || !(0.0 <= p && p <= 1.0)) return 0.0;
    if (!(x >= 0.0 && NearInteger(x))) return ZeroMass(log);
    return dbinom_raw(std::floor(x + 0.5), std::floor(n + 0.5), p, 1.0 - p, log);
}

double PoissonDensity(double x, double lambda, int log) {
    if (!(lambda >= 0.0)) return 0.0;
    if (!(x >= 0.0 && NearInteger(x))) return ZeroMass(log);
    return dpois_raw(std::floor(x + 0.5), lambda, log);
}

double CentralFDensity(double x, double m, double n, int log) {
    if (!(m > 0.0 && n > 0.0)) return 0.0;
    if (!(x > 0.0)) return ZeroMass(log);
    const double f = 1.0 / (n + x * m);
    const double q = n * f;
    const double p = x * m * f;
    double factor, dens;
    if (m >= 2.0) {
        factor = m * q / 2.0;
        dens = dbinom_raw((m - 2.0) / 2.0, (m + n - 2.0) / 2.0, p, q, log);
    } else {
        factor = m * m * q / (2.0 * p * (m + n));
        dens = dbinom_raw(m / 2.0, (m + n) / 2.0, p, q, log);
    }
    return log ? std::log(factor) + dens : factor * dens;
}

double GammaDensity(double x, double shape, double scale, int log) {
    // A zero scale is a point mass at 0, not a density; it is refused like a
    // negative one instead of dividing by zero below.
    if (!(shape > 0.0 && scale > 0.0)) return 0.0;
    if (!(x > 0.0)) return ZeroMass(log);
    if (shape < 1.0) {
        const double pr = dpois_raw(shape, x / scale, log);
        return log ? pr + std::log(shape / x) : pr * shape / x;
    }
    const double pr = dpois_raw(shape - 1.0, x / scale, log);
    return log ? pr + std::log(1.0 / scale) : pr / scale;
}

double HypergeometricDensity(double x, double r, double b, double n, int log) {
    if (!(r >= 0.0 && NearInteger(r)) || !(b >= 0.0 && NearInteger(b)) ||
        !(n >= 0.0 && NearInteger(n)) || !(n <= r + b))
        return 0.0;
    if (!(x >= 0.0 && NearInteger(x))) return ZeroMass(log);
    x = std::floor(x + 0.5);
    r = std::floor(r + 0.5);
    b = std::floor(b + 0.5);
    n = std::floor(n + 0.5);
    if (n == 0.0) return x == 0.0 ? UnitMass(log) : ZeroMass(log);
    const double p = n / (r + b);
    const double q = (r + b - n) / (r + b);
    const double p1 = dbinom_raw(x, r, p, q, log);
    const double p2 = dbinom_raw(n - x, b, p, q, log);
    const double p3 = dbinom_raw(n, r + b, p, q, log);
    return log ? p1 + p2 - p3 : p1 * p2 / p3;
}

double CentralTDensity(double x, double n, int log) {
    if (!(n > 0.0)) return 0.0;
    if (std::isnan(x)) return ZeroMass(log);
    const double t = stirlerr((n + 1.0) / 2.0) - bd0(n / 2.0, (n + 1.0) / 2.0) - stirlerr(n / 2.0);
    const double x2 = x * x;
    const double u =
        x2 > n ? std::log(1.0 + x2 / n) * n / 2.0 : x2 / 2.0 - bd0(n / 2.0, (n + x2) / 2.0);
    const double scale = kTwoPi * (1.0 + x2 / n);
    return log ? t - u - 0.5 * std::log(scale) : std::exp(t - u) / std::sqrt(scale);
}

double BinomialCoefficient(double n, double k) {
    if (!(n >= 0.0 && k >= 0.0 && k <= n)) return 0.0;
    const double m = std::fmin(n - k, k);
    const double lnMax = std::log(DBL_MAX) - 0.0001;
    if (m <= 20.0 && std::log(std::fmax(1.0, n)) * m <= lnMax) {
        if (m == 0.0) return 1.0;
        double r = 1.0;
        for (int j = 1; j <= m; ++j) r *= (n - j + 1.0) / j;
        return r >= kExactIntegerLimit ? r : std::floor(r + 0.5);
    }
    if (m < 9.0) return 0.0;
    const double lc = (m + 1.0) * std::log((n - m + 1.0) / (m + 1.0)) -
                      (n + 1.0) * Log1pChebyshev(-m / (n + 1.0)) -
                      std::log((n + 1.0) * (n - m + 1.0) / (m + 1.0)) / 2.0 + 1.0 - kLnSqrtTwoPi +
                      lgammacor(n + 1.0) - lgammacor(m + 1.0) - lgammacor(n - m + 1.0);
    if (lc > lnMax) return 0.0;
    const double r = std::exp(lc);
    return r < kExactIntegerLimit ? std::floor(r + 0.5) : r;
}

double lgammacor(double x) {
    static const int terms = ChebyshevTerms(kGammaCorrectionSeries, 15, 0x1p-53);
    constexpr double xbig = 94906265.62425154;  // 1/sqrt(2^-53): beyond it 1/(12x) is exact
    static const double xmax =
        std::exp(std::fmin(std::log(DBL_MAX / 12.0), -std::log(12.0 * DBL_MIN)));
    if (!(10.0 <= x && x < xmax)) return 0.0;
    if (x < xbig) {
        const double t = 10.0 / x;
        return ChebyshevEval(t * t * 2.0 - 1.0, kGammaCorrectionSeries, terms) / x;
    }
    return 1.0 / (x * 12.0);
}

double Log1pChebyshev(double x) {
    static const int terms = ChebyshevTerms(kLog1pSeries, 43, 0x1p-52 / 20.0);
    static const double xmin = std::sqrt(0x1p-52) - 1.0;
    if (!(x >= xmin)) return 0.0;
    if (std::fabs(x) <= 0.375) return x * (1.0 - x * ChebyshevEval(x / 0.375, kLog1pSeries, terms));
    return std::log(1.0 + x);
}

double ChebyshevEval(double x, const double* a, int n) {
    if (n < 1 || n > 1000 || !(std::fabs(x) <= 1.0000000000000002)) return 0.0;
    const double twox = 2.0 * x;
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    for (int i = 1; i <= n; ++i) {
        b2 = b1;
        b1 = b0;
        b0 = twox * b1 - b2 + a[n - i];
    }
    return (b0 - b2) * 0.5;
}

int ChebyshevTerms(const double* a, int n, double eta) {
    if (n < 1) return -1;
    double sum = 0.0;
    for (int i = n - 1; i >= 0; --i) {
        sum += std::fabs(a[i]);
        if (sum > eta) return i + 1;
    }
    return 1;
}
