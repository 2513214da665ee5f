#pragma once

// Densities and probability masses by Loader's saddle-point method
// (C. Loader, "Fast and accurate computation of binomial probabilities",
// 2000): each mass is exp(-Stirling errors - deviance terms) over a
// square-root factor, so that large counts neither overflow nor cancel.
//
// The densities take a final log flag: 0 gives the probability scale, any
// other value the natural-log scale. On the log scale a zero mass is the
// finite value kLogZero, not minus infinity. Invalid parameters (and
// arguments that are not numbers) give 0.0 on both scales.
//
// Every function is pure: the Chebyshev term counts are constants fixed at
// the first call, so the routines may run on several threads at once.

// The log-scale stand-in for a zero probability.
inline constexpr double kLogZero = -1e100;

// ln Gamma(n + 1) - (n + 1/2) ln n + n - ln sqrt(2 pi), for n >= 0.
double stirlerr(double n);

// Deviance term x ln(x / np) + np - x, computed without cancellation when x
// is close to np.
double bd0(double x, double np);

// Binomial mass at x for n trials, p the success probability and q = 1 - p.
// x and n need not be integral (the F density uses half-integers).
double dbinom_raw(double x, double n, double p, double q, int log);

// Poisson mass at x >= 0 with mean lambda; x need not be integral.
double dpois_raw(double x, double lambda, int log);

// Binomial mass with argument checks: n and x must lie within 1e-7 of a
// non-negative integer, p in [0, 1].
double dbinom(double x, double n, double p, int log);

// Poisson mass with argument checks.
double PoissonDensity(double x, double lambda, int log);

// Central F density with m and n degrees of freedom.
double CentralFDensity(double x, double m, double n, int log);

// Gamma density with the given shape and scale.
double GammaDensity(double x, double shape, double scale, int log);

// Probability of x white balls when n balls are drawn without replacement
// from r white and b black.
double HypergeometricDensity(double x, double r, double b, double n, int log);

// Central t density with n degrees of freedom.
double CentralTDensity(double x, double n, int log);

// C(n, k) as a double; exact integers while they are representable.
double BinomialCoefficient(double n, double k);

// ln Gamma(x) - ((x - 1/2) ln x - x + ln sqrt(2 pi)) for x >= 10; 0 below
// 10 and for x beyond the range where it is representable.
double lgammacor(double x);

// ln(1 + x), accurate near 0; 0 for x <= -1 + sqrt(eps).
double Log1pChebyshev(double x);

// Sum of the first n terms of the Chebyshev series a at x in [-1, 1], the
// first coefficient halved; 0 for n outside 1..1000 or |x| > 1 + 2^-52.
double ChebyshevEval(double x, const double* a, int n);

// Number of leading terms of the series a (n coefficients) whose neglected
// tail stays at or below eta; -1 when n < 1.
int ChebyshevTerms(const double* a, int n, double eta);
