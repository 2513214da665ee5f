#pragma once

#include <string>

#include "distributions/distribution.h"

// Distribution of the sample correlation coefficient r of n pairs from a
// bivariate normal population with correlation rho: p[0] rho ("pop corr
// coeff"), p[1] n ("sample size"). GetMean and GetVariance answer the fixed
// 0 and 1 that the callers expect of this family.
class CorrDistribution : public NoncentralDistribution {
  public:
    explicit CorrDistribution(double rho = 0.0, double n = 3.0) {
        p[0] = rho;
        p[1] = n;
    }

    // Exact density by the hypergeometric series (Hotelling's form), 0 for
    // arguments or parameters outside their ranges (n as for Cdf, 2 to 1e6);
    // never throws. With |rho| = 1 the distribution is a point mass:
    // +infinity at x = rho.
    double Pdf(double x) override;
    // Exact distribution function by the finite series in n rounded to the
    // nearest whole number (for rho = 0 by Student's t, the same function at
    // a cost that does not grow with n). Throws QuorixError "CorrDist-Cdf: input parameter
    // out of range" (code 4, value 0) for x or rho outside [-1, 1], n < 2 or
    // n > 1e6 (the series takes about n/2 steps).
    double Cdf(double x) override;
    // Cdf(x1) and Cdf(x2) in one pass of the series, at little more than the
    // cost of one (the two critical values of a two-tailed test); the same
    // values and errors as two calls of Cdf.
    void CdfPair(double x1, double x2, double* f1, double* f2);
    // Newton's method with the exact density, safeguarded by bisection on
    // [-1, 1]; at least as close as a bisection to 1e-10 in x or to 1e-10 of
    // the nearer tail in probability. Throws "CorrDist-Quantile: input
    // parameter out of range" for prob outside [0, 1], rho outside [-1, 1],
    // n < 2 or n > 1e6.
    double Quantile(double prob) override;
    double GetMean() override { return 0.0; }
    double GetVariance() override { return 1.0; }
    std::string GetName() override { return "r"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override { return i == 0 ? "pop corr coeff" : "sample size"; }
};

// The finite series of the distribution function of r, without checks.
double CorrelationCdfSeries(double x, double rho, double n);

// The density of r as K times the Gauss series 2F1(1/2, 1/2; n - 1/2;
// (1 + x rho) / 2), stopped at the first term below eps in magnitude or
// after maxTerms terms; without checks.
double CorrelationDensitySeries(double x, double rho, double n, double eps, int maxTerms);

// The log of the density of Fisher's z of r, u = atanh(r), under rho for n
// pairs (3 <= n), with 1 - r^2, 1 - rho^2 and 1 - rho r formed from the
// distances to +-1, so that it keeps its digits where r or rho lies within
// 1e-16 of +-1. Without checks.
double CorrelationLogDensityOfZ(double u, double rho, double n);

// P(r <= x) under rho for n pairs (3 <= n) by integrating that density:
// keeps its digits in a lower tail far below 1e-16, where the finite
// series has none. Without checks; meant for tails (x below the bulk).
double CorrelationLowerTail(double x, double rho, double n);
