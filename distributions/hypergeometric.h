#pragma once

#include <string>

#include "distributions/distribution.h"

// Number of successes X in a sample of n = p[0] drawn without replacement
// from a population of N = p[2] items of which K = p[1] are successes. The
// parameters are stored as given; each operation rounds what it needs to the
// nearest whole number. Probabilities come from the saddle-point density, and
// every sum is built from one density value and the ratio of consecutive
// probabilities, so that a sum costs one density evaluation.
class HypergeometricDistribution : public Distribution {
  public:
    explicit HypergeometricDistribution(double n = 1.0, double K = 1.0, double N = 2.0) {
        p[0] = n;
        p[1] = K;
        p[2] = N;
    }

    double Pdf(double x) override;
    // P(X <= round(x)): 0 below the support, 1 from min(n, K) on. Throws
    // QuorixError code 4 (value round(x)) when K > N, n > N, a parameter is
    // negative, N exceeds 1e9 or x is not a number.
    double Cdf(double x) override;
    // Smallest count whose cumulative probability reaches prob. Throws
    // QuorixError code 4 (value prob) for the parameters Cdf refuses or prob
    // outside [0, 1].
    double Quantile(double prob) override;
    double GetMean() override { return p[1] * p[0] / p[2]; }
    double GetVariance() override;
    std::string GetName() override { return "Hypergeometric"; }
    int GetParamCount() override { return 3; }
    std::string GetParamName(int i) override {
        return i == 0 ? "sample size" : i == 1 ? "n successes" : "n total";
    }

    // Probability of the counts below the rounded mean m, summed downward
    // from m - 1. A target of 1.0 or more sums until the terms become
    // negligible; a smaller target stops as soon as the sum reaches it.
    // *last receives the lowest count added (m when m = 0 and nothing was).
    double SumDownFromMode(double target, int* last);
    // Probability of the counts from m upward, with the same meaning of the
    // target; *last receives the highest count added.
    double SumUpFromMode(double target, int* last);
    // Grows an interval of counts around the mean, always adding the more
    // probable neighbour (ties to the lower side), until its probability
    // reaches target or the support is exhausted. Returns the probability;
    // *lower and *upper receive the interval's ends.
    double FindTwoSidedBounds(double target, int* lower, int* upper);

  private:
    int RoundedMean();
    // P(j) / P(j + 1) and P(k) / P(k - 1) on the rounded parameters.
    double RatioDown(double j) const;
    double RatioUp(double k) const;
};
