#pragma once

#include <string>

#include "distributions/distribution.h"

// Binomial distribution with n = p[0] trials and success probability
// pi = p[1].
//
// Cdf and Quantile are continued to real counts and real n through the
// incomplete beta function, P(X <= s) = I_{1-pi}(n - s, s + 1): the exact
// tests search over real sample sizes and critical counts and take floors or
// ceilings themselves, so Cdf does not round s and Quantile returns the real
// s with Cdf(s) = prob. At whole s and n these are the ordinary binomial
// values. Pdf is the probability mass of the nearest whole count.
class BinomialDistribution : public Distribution {
  public:
    explicit BinomialDistribution(double n = 10.0, double pi = 0.5) {
        p[0] = n;
        p[1] = pi;
    }

    // The probability of the whole count nearest to x; 0 outside 0..n, for
    // invalid parameters and on any failure.
    double Pdf(double x) override;
    // 0 below 0, 1 from n upwards.
    double Cdf(double x) override;
    // 0 when the answer lies below the search range, n when above it.
    double Quantile(double prob) override;
    double GetMean() override { return p[0] * p[1]; }
    double GetVariance() override { return p[0] * p[1] * (1.0 - p[1]); }
    std::string GetName() override { return "Binomial"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override {
        return i == 0 ? "Number of Trials" : "Probablity of success";
    }
};
