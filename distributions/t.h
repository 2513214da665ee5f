#pragma once

#include <limits>
#include <string>

#include "distributions/distribution.h"

// Student t distribution, central (delta = 0) and noncentral: p[0] the
// noncentrality delta, p[1] the degrees of freedom nu, and the density
// method: false sums the power series of the noncentral density, true takes
// the difference of two distribution functions.
class TDistribution : public NoncentralDistribution {
  public:
    explicit TDistribution(double df = 1.0, double lambda = 0.0, bool method = false)
        : method_(method) {
        p[0] = lambda;
        p[1] = df;
    }

    double Pdf(double x) override;
    double Cdf(double x) override;
    double Quantile(double prob) override;
    // Defined for nu > 1 and nu > 2; otherwise QuorixError code 4.
    double GetMean() override;
    double GetVariance() override;
    std::string GetName() override { return "t"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override { return i == 0 ? "noncentrality lambda" : "df"; }

    bool GetMethod() const { return method_; }
    void SetMethod(bool method) { method_ = method; }

  private:
    bool method_;
    // The last central quantile and its arguments: a solver over the effect
    // size asks for the same critical value at every step, and the driver's
    // search costs as much as the rest of a power calculation. Per object,
    // so no state is shared between threads.
    double quantileProb_ = std::numeric_limits<double>::quiet_NaN();
    double quantileDf_ = std::numeric_limits<double>::quiet_NaN();
    double quantile_ = 0.0;
};

// The noncentral pieces (delta != 0), exposed for their tests. They return a
// status instead of throwing.

// P(T <= x) by the Poisson mixture of incomplete beta ratios of Benton and
// Krishnamoorthy (2003), summed from the Poisson mode in both directions;
// for x < 0 < delta, the tail on the far side of 0, by an integral over the
// chi variable of normal tails instead (relative accuracy about 1e-14).
// *status -1 for nu <= 0 or an undefined delta, 4 when the sums reached their term limit (which
// grows with delta) before their stop criterion, else 0.
double NoncentralTCdf(double x, double nu, double delta, int* status);

// Density for delta > 0 by its power series in x delta / sqrt(nu + x^2),
// carried in logarithms so that e^(-delta^2/2) cannot underflow early.
// *converged is false when 100000 terms did not reach the tolerance.
double NoncentralTDensitySeries(double x, double nu, double delta, bool* converged);

// Density for delta > 0 as (nu/x)(F(x sqrt((nu+2)/nu); nu+2) - F(x; nu)).
double NoncentralTDensityDifference(double x, double nu, double delta);

// The x with P(T <= x) = prob by a safeguarded Newton iteration. *status -1
// for prob outside [0, 1], 1 when 1000 steps did not converge or the steps
// ran out of doubles (an infinite x for 0 < prob < 1), 4 when a distribution
// function on the way did not converge, else 0.
double NoncentralTQuantile(double prob, double nu, double delta, int* status);
