#pragma once

// Small stand-ins for the test families, for the framework's own tests: a
// normal statistic whose mean is the noncentrality (a one-sample z test) and
// a binomial count whose success probability moves with the noncentrality.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "analysis/power_analysis.h"

namespace fakes {

// Normal distribution with mean p[0] and unit variance.
class UnitNormal : public NoncentralDistribution {
  public:
    double Pdf(double x) override {
        ++pdfCalls;
        const double z = x - p[0];
        return std::exp(-0.5 * z * z) / std::sqrt(2.0 * std::numbers::pi);
    }
    double Cdf(double x) override { return 0.5 * std::erfc(-(x - p[0]) / std::sqrt(2.0)); }
    // Bisection on the distribution function: slow, but exact to the last
    // bit, which is all a test needs.
    double Quantile(double q) override {
        if (!(q > 0.0)) return -INFINITY;
        if (!(q < 1.0)) return INFINITY;
        double lo = p[0] - 40.0, hi = p[0] + 40.0;
        for (int i = 0; i < 200 && hi - lo > 0.0; ++i) {
            const double mid = 0.5 * (lo + hi);
            if (mid == lo || mid == hi) break;
            (Cdf(mid) < q ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
    double GetMean() override { return p[0]; }
    double GetVariance() override { return 1.0; }
    std::string GetName() override { return "UnitNormal"; }
    int GetParamCount() override { return 1; }
    std::string GetParamName(int) override { return "mean"; }
    int pdfCalls = 0;
};

// Square of a standard normal, shifted right by p[0]: a density without
// bound at its left end.
class ShiftedChiSquare1 : public NoncentralDistribution {
  public:
    double Pdf(double x) override {
        const double u = x - p[0];
        if (!(u > 0.0)) return 0.0;
        return std::exp(-0.5 * u) / std::sqrt(2.0 * std::numbers::pi * u);
    }
    double Cdf(double x) override {
        const double u = x - p[0];
        return u > 0.0 ? std::erf(std::sqrt(0.5 * u)) : 0.0;
    }
    double Quantile(double q) override {
        double lo = p[0], hi = p[0] + 400.0;
        for (int i = 0; i < 300; ++i) {
            const double mid = 0.5 * (lo + hi);
            if (mid == lo || mid == hi) break;
            (Cdf(mid) < q ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
    double GetMean() override { return p[0] + 1.0; }
    double GetVariance() override { return 2.0; }
    std::string GetName() override { return "ShiftedChiSquare1"; }
    int GetParamCount() override { return 1; }
    std::string GetParamName(int) override { return "shift"; }
};

// Binomial count of `trials` with success probability 0.5 + p[0]; the
// density of a non-integral x is the probability of floor(x).
class ShiftedBinomial : public NoncentralDistribution {
  public:
    explicit ShiftedBinomial(int trials) : n(trials) {}
    double Probability() const { return 0.5 + p[0]; }
    double Pdf(double x) override {
        const double k = std::floor(x);
        if (k < 0 || k > n) return 0.0;
        const double pr = Probability();
        return std::exp(std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0) +
                        k * std::log(pr) + (n - k) * std::log1p(-pr));
    }
    double Cdf(double x) override {
        double sum = 0.0;
        for (int k = 0; k <= n && k <= x; ++k) sum += Pdf(k);
        return std::min(sum, 1.0);
    }
    double Quantile(double q) override {
        double sum = 0.0;
        for (int k = 0; k <= n; ++k) {
            sum += Pdf(k);
            if (sum >= q) return k;
        }
        return n;
    }
    double GetMean() override { return n * Probability(); }
    double GetVariance() override { return n * Probability() * (1.0 - Probability()); }
    std::string GetName() override { return "ShiftedBinomial"; }
    int GetParamCount() override { return 1; }
    std::string GetParamName(int) override { return "shift"; }
    int n;
};

// One-sample z test: the noncentrality is d * sqrt(N).
class ZTest : public PowerAnalysis {
  public:
    ZTest() { distribution = new UnitNormal; }
    PowerAnalysis* Clone() override {
        auto* copy = new ZTest;
        CopyStateTo(*copy);
        return copy;
    }
    double NoncentralityFromEffect(double effect) override {
        return effect * std::sqrt(sampleSize);
    }
    bool UsesChiSquarePlot() override { return false; }
    std::string GetStatisticName() override { return "z"; }
    using PowerAnalysis::CopyStateTo;
};

// A test whose statistic has a density without bound at its left end.
class SpikeTest : public PowerAnalysis {
  public:
    SpikeTest() { distribution = new ShiftedChiSquare1; }
    PowerAnalysis* Clone() override {
        auto* copy = new SpikeTest;
        CopyStateTo(*copy);
        return copy;
    }
};

// A test of a binomial count; the effect is the shift of the success
// probability under H1.
class CountTest : public PowerAnalysis {
  public:
    explicit CountTest(int trials) : trials_(trials) { distribution = new ShiftedBinomial(trials); }
    PowerAnalysis* Clone() override {
        auto* copy = new CountTest(trials_);
        CopyStateTo(*copy);
        return copy;
    }
    bool IsContinuous() override { return false; }

  private:
    int trials_;
};

}  // namespace fakes
