#pragma once

#include <string>

#include "distributions/distribution.h"
#include "numerics/root.h"

// Distribution of the squared multiple correlation coefficient R^2 of one
// variable with k - 1 others, from N observations of a (k)-variate normal
// population whose squared multiple correlation is rho^2: p[0] rho^2, p[1]
// k ("number of variates"), p[2] N ("sample size"). The method selects how
// the distribution function is computed:
//   0 exact: the negative-binomial mixture of incomplete beta ratios
//     P(R^2 <= x) = sum_i pi_i I_x(a + i, b), a = (k - 1)/2, b = (N - k)/2,
//     pi_i = Gamma(b' + i) / (Gamma(b') i!) rho^(2i) (1 - rho^2)^b',
//     b' = (N - 1)/2;
//   1 a noncentral F approximation;
//   2 a chi-square expansion.
// GetMean and GetVariance answer the fixed 0 and 1 that the callers expect
// of this family.
class MRCDistribution : public NoncentralDistribution {
  public:
    enum Method { kExact = 0, kNoncentralF = 1, kChiSquareExpansion = 2 };

    MRCDistribution(double rho2 = 0.0, double k = 2.0, double N = 3.0) {
        p[0] = rho2;
        p[1] = k;
        p[2] = N;
    }

    // The exact density (whatever the method), 0 outside 0 < x < 1 and for
    // invalid parameters; NaN when the mixture could not be summed (far
    // beyond any sample size and correlation in use). Never throws.
    double Pdf(double x) override;
    // Throws QuorixError "MRCDist-Cdf: input parameter out of range" (code 4,
    // value 0) for x or rho^2 outside [0, 1], k < 2 or N < k, or when the
    // noncentrality of method 1 or 2 exceeds the 1e10 of the F and chi-square
    // families, and "MRCDist-Cdf: failed to converge" (code 5) when the
    // mixture could not be summed.
    double Cdf(double x) override;
    // The upper tail from its own side where it is small (exact method), so
    // that it keeps its digits where 1 - Cdf would not; same errors as Cdf.
    double Survival(double x) override;
    // Bisection to 1e-8 within a bracket walked out from rho^2.
    double Quantile(double prob) override;
    // With rho^2 = 0 the upper quantile of the central F itself, which
    // keeps its digits where 1 - q rounds to 1.
    double UpperQuantile(double q) override;
    double GetMean() override { return 0.0; }
    double GetVariance() override { return 1.0; }
    std::string GetName() override { return "r"; }
    int GetParamCount() override { return 3; }
    std::string GetParamName(int i) override {
        switch (i) {
            case 0:
                return "squared correlation";
            case 1:
                return "number of variates";
            case 2:
                return "sample size";
            default:
                return "";
        }
    }

    int GetMethod() const { return method_; }
    void SetMethod(int method) { method_ = method; }

    // Confidence limits for rho^2 from an observed R^2 = r2 at level
    // 1 - alpha: *lower is the rho^2 whose 1 - alpha/2 quantile is r2 (0 when
    // r2 does not exceed that quantile under rho^2 = 0), *upper the rho^2
    // whose alpha/2 quantile is r2; *q receives the alpha/2 quantile under
    // rho^2 = 0, and both limits are 0 when r2 lies below it. Uses this
    // object's k, N and method. A limit that cannot be bracketed or solved
    // throws QuorixError "MRCDist-SolveRhoInterval: failed to converge"
    // (code 5); r2 outside [0, 1) or alpha outside (0, 1) throws
    // "MRCDist-SolveRhoInterval: input parameter out of range" (code 4).
    void SolveRhoInterval(double r2, double alpha, double* q, double* lower, double* upper);

  private:
    // Cdf; with smallTailDigits false a lower tail below 1e-6 keeps only
    // the absolute 1e-12 of the series, which serves wherever it is
    // compared with a larger probability or subtracted from 1.
    double LowerTail(double x, bool smallTailDigits);
    // The prob quantile (upper: the upper prob quantile) of R^2 under
    // rho^2 = 0 with m and nu2 df, from the F distribution.
    static double CentralR2(double m, double nu2, double prob, bool upper);

    int method_ = kExact;
};

// Inverts the R^2 distribution in rho^2. Mode 0: target - Cdf(x) of the
// embedded distribution; with rho^2 = x, mode 1: alpha/2 - P(R^2 > target),
// zero where target is the 1 - alpha/2 quantile; mode 2: P(R^2 <= target) -
// alpha/2, zero where target is the alpha/2 quantile. Modes 1 and 2 fall as
// x rises.
class MRCRoot : public Root {
  public:
    MRCRoot(const MRCDistribution& dist, double targetValue, double alphaValue, int modeValue)
        : distribution(dist), target(targetValue), alpha(alphaValue), mode(modeValue) {}

    double Evaluate(double x) override;

    MRCDistribution distribution;
    double target;
    double alpha;
    int mode;
};

// The exact series of the distribution function and the density, without
// checks; exposed for their tests. A series that could not be summed sets
// *converged to false.
double SquaredMultipleCorrelationCdfFromZero(double x, double rho2, double k, double N, double eps,
                                             bool* converged);
double SquaredMultipleCorrelationCdfFromMode(double x, double rho2, double k, double N, double eps,
                                             bool* converged);
double SquaredMultipleCorrelationDensity(double x, double rho2, double k, double N, double eps,
                                         bool* converged);

// P(R^2 <= x) (upper false) or P(R^2 > x) (upper true) of the exact
// distribution, 0 < rho^2 <= 0.9999999999, summed from the tail's own side
// with every term positive: keeps its digits far below 1e-16. Without
// checks.
double SquaredMultipleCorrelationTail(double x, double rho2, double k, double N, bool upper);

// P(R^2 <= x) (upper false) or P(R^2 > x) (upper true) where the weights
// spread over more terms than any sum can visit (rho^2 near 1, or a huge
// N): from the tail's own summand, term by term where its bulk is narrow,
// otherwise as an integral over the real index. Keeps its digits in both
// tails. A summand it could not integrate sets *converged to false.
double SquaredMultipleCorrelationSpreadTail(double x, double rho2, double k, double N, bool upper,
                                            bool* converged);
// The density where the weights spread, by the same method.
double SquaredMultipleCorrelationSpreadDensity(double x, double rho2, double k, double N,
                                               bool* converged);
