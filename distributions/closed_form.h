#pragma once

#include <string>

#include "distributions/distribution.h"

// Four small continuous distributions in closed form. Invalid parameters
// throw QuorixError with code 4 and value 0.0 (-1.0 from the log-normal
// density) before anything is computed; arguments outside the support give
// 0, 1 or +infinity without an error.

// Exponential distribution with rate lambda = p[0].
class ExponentialDistribution : public Distribution {
  public:
    explicit ExponentialDistribution(double lambda = 1.0) { p[0] = lambda; }

    double Pdf(double x) override;
    double Cdf(double x) override;
    // Quantile(1) is +infinity.
    double Quantile(double prob) override;
    double GetMean() override { return 1.0 / p[0]; }
    double GetVariance() override { return 1.0 / (p[0] * p[0]); }
    std::string GetName() override { return "Exponential"; }
    int GetParamCount() override { return 1; }
    std::string GetParamName(int) override { return "lambda"; }
};

// Uniform distribution on [a, b] = [p[0], p[1]], a < b.
class UniformDistribution : public Distribution {
  public:
    explicit UniformDistribution(double a = 0.0, double b = 1.0) {
        p[0] = a;
        p[1] = b;
    }

    double Pdf(double x) override;
    double Cdf(double x) override;
    double Quantile(double prob) override;
    double GetMean() override { return (p[1] + p[0]) * 0.5; }
    double GetVariance() override;
    std::string GetName() override { return "Uniform"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override { return i == 0 ? "left" : "right"; }
};

// Log-normal distribution: log X is normal with mean mu = p[0] (any real
// number) and standard deviation sigma = p[1] > 0. The support is x > 0:
// the density and distribution function are 0 at and below 0, and the
// quantile runs from 0 at prob = 0 to +infinity at prob = 1.
class LogNormalDistribution : public NoncentralDistribution {
  public:
    explicit LogNormalDistribution(double mu = 0.0, double sigma = 1.0) {
        p[0] = mu;
        p[1] = sigma;
    }

    double Pdf(double x) override;
    double Cdf(double x) override;
    double Quantile(double prob) override;
    double GetMean() override;
    double GetVariance() override;
    std::string GetName() override { return "LogNormal"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override { return i == 0 ? "mean" : "sigma"; }
};

// Laplace distribution with location mu = p[0] and scale b = p[1] > 1e-20.
// The quantile does not check prob: outside [0, 1] it is what the
// logarithm gives (NaN, or an infinity at the ends).
class LaplaceDistribution : public NoncentralDistribution {
  public:
    explicit LaplaceDistribution(double mu = 0.0, double b = 1.0) {
        p[0] = mu;
        p[1] = b;
    }

    double Pdf(double x) override;
    double Cdf(double x) override;
    double Quantile(double prob) override;
    double GetMean() override { return p[0]; }
    double GetVariance() override;
    std::string GetName() override { return "Laplace"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override { return i == 0 ? "mean" : "scale"; }
};
