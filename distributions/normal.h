#pragma once

#include <string>

#include "distributions/distribution.h"

// Normal distribution with mean p[0] and standard deviation p[1]. The mean
// doubles as the noncentrality, so tests shift it through SetNoncentrality.
class NormalDistribution : public NoncentralDistribution {
  public:
    explicit NormalDistribution(double mean = 0.0, double sigma = 1.0) {
        p[0] = mean;
        p[1] = sigma;
    }

    // sigma = 0 is the point mass at the mean: 1 there, 0 elsewhere.
    double Pdf(double x) override;
    double Cdf(double x) override;
    double Quantile(double prob) override;
    double GetMean() override { return p[0]; }
    double GetVariance() override { return p[1] * p[1]; }
    std::string GetName() override { return "Normal"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override { return i == 0 ? "mean" : "sigma"; }
};
