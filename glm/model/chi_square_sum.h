#pragma once

#include <vector>

// One term w * chi2(df, noncentrality) of a sum of independent chi-squares.
struct ChiSquareTerm {
    double weight;
    double df;
    double noncentrality;
};

// P(sum of the terms > 0), by the inversion of the characteristic function
// (Imhof, 1961, Biometrika 48, 419-426). Weights of either sign; terms with
// weight 0 add nothing. Throws QuorixError("Math overflow") when the
// integration fails.
double ProbabilitySumAboveZero(const std::vector<ChiSquareTerm>& terms);
