#pragma once

#include <string>

#include "distributions/distribution.h"

// F distribution, central (lambda = 0) and noncentral: p[0] the
// noncentrality lambda, p[1] the numerator and p[2] the denominator degrees
// of freedom, and a scale s: the object describes X = Y / s with Y an F
// variable, so Cdf(x) = P(Y <= x s), Pdf(x) = s f_Y(x s) and
// Quantile(prob) = q_Y(prob) / s. The noncentral operations refuse a lambda
// above 1e10 as out of range (code 4), as the noncentral F driver does.
class FDistribution : public NoncentralDistribution {
  public:
    explicit FDistribution(double df1 = 1.0, double df2 = 1.0, double lambda = 0.0,
                           double scale = 1.0)
        : scale_(scale) {
        p[0] = lambda;
        p[1] = df1;
        p[2] = df2;
    }

    double Pdf(double x) override;
    double Cdf(double x) override;
    double Quantile(double prob) override;
    // The central upper tail through the driver's (p, q) route, which
    // searches on the side of the smaller probability.
    double Survival(double x) override;
    double UpperQuantile(double q) override;
    // Defined for df2 > 2 and df2 > 4; otherwise QuorixError code 4.
    double GetMean() override;
    double GetVariance() override;
    std::string GetName() override { return "F"; }
    int GetParamCount() override { return 3; }
    std::string GetParamName(int i) override {
        return i == 0 ? "noncentrality lambda" : i == 1 ? "numerator df" : "denominator df";
    }

    double GetScale() const { return scale_; }
    void SetScale(double scale) { scale_ = scale; }
    void CopyParametersFrom(Distribution& source) override {
        Distribution::CopyParametersFrom(source);
        if (auto* same = dynamic_cast<FDistribution*>(&source)) scale_ = same->scale_;
    }

  private:
    double scale_;
};

// P(Y <= z) for Y noncentral F: sum over i of Poisson(i; lambda/2) times
// I_x(df1/2 + i, df2/2) with x = df1 z / (df1 z + df2), summed from the
// Poisson mode in both directions until a term no longer changes the sum.
// Arguments are not checked.
double NoncentralFCdf(double z, double df1, double df2, double lambda);

// The z with NoncentralFCdf(z) = prob, 0 < prob < 1, by a safeguarded Newton
// iteration from the two-moment central F approximation; *converged is
// false when 1000 steps or 100 evaluations of the distribution function
// did not settle or the steps stalled in the lower tail on a point whose
// probability is not within 1e-3 of prob, and with +infinity returned when
// the answer lies beyond the largest double (FDistribution::Quantile then
// reports "answer above upper search bound").
double NoncentralFQuantile(double prob, double df1, double df2, double lambda, bool* converged);

// Density of a noncentral F variable at z as a Poisson mixture of scaled
// beta densities, summed from the Poisson mode outwards; *notConverged is set
// when the mixture ran out of terms, and with NaN returned when lambda is
// above 1e10 (or NaN).
double NoncentralFDensity(double z, double df1, double df2, double lambda, bool* notConverged);
