#pragma once

#include <string>

#include "distributions/distribution.h"

// Chi-square distribution, central (lambda = 0) and noncentral: p[0] the
// noncentrality lambda, p[1] the degrees of freedom, and a scale s: the
// object describes X = Y / s with Y chi-square, so Cdf(x) = P(Y <= x s),
// Pdf(x) = s f_Y(x s) and Quantile(prob) = q_Y(prob) / s. Every present
// caller uses s = 1. The noncentral operations refuse a lambda above 1e10
// (or NaN) as out of range (code 4, value 0), Pdf included, and Cdf and
// Quantile a df above 1e15.
class ChiDistribution : public NoncentralDistribution {
  public:
    explicit ChiDistribution(double df = 1.0, double lambda = 0.0, double scale = 1.0)
        : scale_(scale) {
        p[0] = lambda;
        p[1] = df;
    }

    double Pdf(double x) override;
    double Cdf(double x) override;
    double Quantile(double prob) override;
    // The central upper tail through the driver's (p, q) route, which
    // searches on the side of the smaller probability.
    double Survival(double x) override;
    double UpperQuantile(double q) override;
    double GetMean() override { return p[1] + p[0]; }
    double GetVariance() override { return 2.0 * p[1] + 4.0 * p[0]; }
    std::string GetName() override { return "$\\chi^2$"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override { return i == 0 ? "noncentrality lambda" : "df"; }

    double GetScale() const { return scale_; }
    void SetScale(double scale) { scale_ = scale; }
    void CopyParametersFrom(Distribution& source) override {
        Distribution::CopyParametersFrom(source);
        if (auto* same = dynamic_cast<ChiDistribution*>(&source)) scale_ = same->scale_;
    }

  private:
    double scale_;
};

// The noncentral pieces, exposed for their tests and for the families that
// mix chi-square terms. They return a status instead of throwing.

// P(Y <= z) for Y noncentral chi-square with df degrees of freedom and
// noncentrality lambda: a Poisson-weighted sum of central distribution
// functions, summed from the Poisson mode in both directions. *status is
// -1 when z is NaN or +infinity, lambda or df is negative, df is above
// 1e15 or lambda above 1e10 (or either NaN), else 0.
double NoncentralChiSquareCdf(double z, double df, double lambda, int* status);

// Density of Y as a Poisson mixture of central densities; *notConverged is
// set when the mixture ran out of terms, and with NaN returned when lambda
// is above 1e10 (or NaN).
double NoncentralChiSquarePdf(double z, double df, double lambda, bool* notConverged);

// The z with P(Y <= z) = prob by a safeguarded Newton iteration. *status:
// -1 for prob outside [0, 1], df <= 0 or above 1e15, lambda < 0 or lambda
// above 1e10; 1 when 1000 steps did not converge, or the steps stalled in
// the lower tail on a point whose probability is not within 1e-3 of prob
// (where the density underflows); else 0.
double NoncentralChiSquareQuantile(double prob, double df, double lambda, int* status);
