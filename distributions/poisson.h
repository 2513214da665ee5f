#pragma once

#include <string>

#include "distributions/distribution.h"

// Poisson distribution with mean lambda = p[0].
class PoissonDistribution : public Distribution {
  public:
    explicit PoissonDistribution(double lambda = 1.0) { p[0] = lambda; }

    // P(X = x) when x lies within 1e-7 of a whole count, else 0.
    double Pdf(double x) override;
    // P(X <= floor(x + 1e-7)) through the chi-square identity.
    double Cdf(double x) override;
    // The smallest count k with P(X <= k) >= prob; the largest double for
    // prob = 1. Small means sum the probabilities from 0; means above 1e4
    // search on Cdf. Cdf and Quantile refuse a mean above 1e15.
    double Quantile(double prob) override;
    double GetMean() override { return p[0]; }
    double GetVariance() override { return p[0]; }
    std::string GetName() override { return "Poisson"; }
    int GetParamCount() override { return 1; }
    std::string GetParamName(int) override { return "lambda"; }

  private:
    double QuantileBySearch(double prob);
};
