#pragma once

// The tetrachoric correlation of a 2x2 table: the correlation rho of a
// standard bivariate normal distribution whose dichotomised version gives
// the table, its asymptotic standard error, and the approximation of Bonett
// and Price, r* = cos(pi/(1 + w^c)) with w the odds ratio.
//
// A table is four non-negative cells a, b, c, d: rows (a, b) and (c, d),
// columns (a, c) and (b, d), with a and d on the concordant diagonal (a is
// the cell where both variables lie below their thresholds).

// What the estimator did.
//   n >= 6  the series method converged after n - 1 terms
//   1       Gauss-Legendre quadrature (strong association)
//   2       symmetric table (a = d, b = c): closed form
//   3       a whole diagonal empty: r = -1 or +1
//   4       a d = b c: r = 0
// Negated when 0.5 was moved between the diagonals because of an empty cell.
// Fault: 0 success, 1 no convergence within 1000 iterations, 2 a negative
// cell or an empty cell on both diagonals; r is 0 on a fault.
struct TetrachoricEstimate {
    double r = 0.0;
    double standardError = 0.0;
    double standardErrorAtZero = 0.0;
    int method = 0;
    int fault = 0;
};

// The cells are counts or any positive multiple of proportions; the
// standard errors use N = a + b + c + d of the (adjusted) table.
TetrachoricEstimate EstimateTetrachoricR(double a, double b, double c, double d);

// The asymptotic standard error of the tetrachoric r at rho for a table of
// expected proportions a, b, c, d (summing to 1) and a sample of N. Throws
// QuorixError where the variance formula is negative (no valid table).
double TetrachoricStandardError(double a, double b, double c, double d, double rho, double n);

// One table with every result of the estimator and of the approximation.
// The operations that estimate throw QuorixError when the estimate fails,
// instead of leaving r = 0 and standard errors 0 as if they were results.
struct TetrachoricTable {
    double proportions[4] = {0.0, 0.0, 0.0, 0.0};
    double counts[4] = {0.0, 0.0, 0.0, 0.0};
    double total = 0.0;
    double r = 0.0;
    double standardError = 0.0;
    double standardErrorAtZero = 0.0;
    double lowerLimit = 0.0;
    double upperLimit = 0.0;
    double exponentC = 0.0;
    double oddsRatio = 0.0;
    double approximateR = 0.0;
    double approximateLowerLimit = 0.0;
    double approximateUpperLimit = 0.0;
    double approximateStandardError = 0.0;

    void SetCounts(double a, double b, double c, double d);
    void SetProportions(double a, double b, double c, double d);
    // total = the sum of the counts; proportion i = (count i + add)/D, with
    // D the sum of the counts plus 4 add, or without the 4 add when
    // excludeAddedFromTotal.
    void SetProportionsFromCounts(double add, bool excludeAddedFromTotal);
    // The estimator on proportion x total; stores r and both standard errors.
    double EstimateR();
    // EstimateR, then r -+ z se with z = Phi^-1(alpha/2) (not clamped).
    int ComputeLimits(double alpha);
    // The Bonett-Price approximation of the proportions and total.
    double ApproximateR();
    // Limits of the odds ratio carried to r*.
    void ComputeApproxLimits(double alpha);
};
