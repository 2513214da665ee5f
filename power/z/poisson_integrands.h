#pragma once

// The information integrals of a Poisson regression log mu = beta0 +
// beta1 X over the covariate X, for the large-sample test of the slope.
//
// For one subject with unit exposure the Fisher information of (beta0,
// beta1) is E[e^eta (1, X)^T (1, X)]: its entries are I0 = E[e^eta],
// I1 = E[X e^eta] and I2 = E[X^2 e^eta], and the variance of the slope
// estimate is I0 / (I0 I2 - I1^2). varBp holds beta0, beta1 and the
// covariate, evaluates the integrands and integrates them over the
// covariate's range (or sums them over a count covariate); one subclass per
// covariate. The H0 variance comes from the same moments with a constant
// predictor eta0.
//
// Everything is per object: the integrand travels to the quadrature through
// its params pointer, so computations on different threads do not meet.

#include <atomic>
#include <memory>

#include "distributions/distribution.h"
#include "numerics/quadrature.h"

class varBp : public quadfunc {
  public:
    // Takes the covariate; the range is that between its quantiles at 1e-12
    // and 1 - 1e-12.
    varBp(double b0, double b1, std::unique_ptr<Distribution> x);
    varBp(const varBp&) = delete;
    varBp& operator=(const varBp&) = delete;
    virtual ~varBp() = default;

    // The integrand of `mode`: 0-2 f e^eta, x f e^eta, x^2 f e^eta (under
    // H1), 3-5 the same with the constant predictor eta0 (under H0), 6 f
    // e^eta (the rate weighted by the density); 0 for other modes. x is
    // taken about `center` in 1, 2, 4 and 5.
    double Evaluate(double x) override;

    // eta0 by `rule`: 0 the log of the mean rate, which reproduces the mean
    // count with beta1 = 0; 1 beta0 + beta1 E[X]; any other beta0.
    virtual void SetH0Predictor(int rule);
    virtual void SetH0PredictorDiscrete(int rule);

    // E[X] and E[X^2] of the covariate; the variances do not use them.
    virtual double GetMean() { return 0.0; }
    virtual double GetSecondMoment() { return 0.0; }

    // The sum of the integrand over the whole counts from trunc(lower) to
    // upper, and its integral from lower to upper.
    virtual double SumOverSupport(int integrand);
    virtual double Integrate(int integrand);

    // var1, the slope variance per subject and unit exposure under H1, and
    // var0 under H0 (from the moments with eta0 by `rule` when
    // `correction`, else var1). A singular information gives an infinite or
    // undefined variance, which the caller judges.
    virtual void ComputeVariances(double* var0, double* var1, int rule, bool correction);
    virtual void ComputeVariancesDiscrete(double* var0, double* var1, int rule, bool correction);

    double beta0 = 0.0;
    double beta1 = 0.0;
    double eta0 = 0.0;
    std::unique_ptr<Distribution> covariate;
    int mode = 0;
    double lower = 0.0;
    double upper = 0.0;
    int failureCount = 0;
    // The origin of x in the moments; 0 but while the variances are
    // computed.
    double center = 0.0;
    // Polled by the sums over a count covariate when set.
    const std::atomic<bool>* cancel = nullptr;

  protected:
    // I0 / (I0 I2 - I1^2) of the modes first .. first + 2; I0 in *zeroth
    // when given.
    double SlopeVariance(double (varBp::*moment)(int), int first, double* zeroth = nullptr);
    void Variances(double (varBp::*moment)(int), void (varBp::*predictor)(int), double* var0,
                   double* var1, int rule, bool correction);
};

class varBpnormal : public varBp {
  public:
    varBpnormal(double b0, double b1, double mu, double sigma);
    double GetMean() override;
    double GetSecondMoment() override;
};

class varBplognormal : public varBp {
  public:
    // The range starts at the 1e-10 quantile.
    varBplognormal(double b0, double b1, double mu, double sigma);
    double GetMean() override;
    double GetSecondMoment() override;
    // The six moments over the same range in z = (ln x - mu) / sigma, where
    // the density is the standard normal one and the integrands are smooth
    // bells: one adaptive pass on shared nodes instead of six integrals
    // over x, whose far tail the quadrature otherwise has to search.
    void ComputeVariances(double* var0, double* var1, int rule, bool correction) override;
};

class varBpexp : public varBp {
  public:
    varBpexp(double b0, double b1, double lambda);
    double GetMean() override;
    double GetSecondMoment() override;
};

class varBpuni : public varBp {
  public:
    varBpuni(double b0, double b1, double left, double right);
    double GetMean() override;
    double GetSecondMoment() override;
};

class varBppoiss : public varBp {
  public:
    varBppoiss(double b0, double b1, double lambda);
    double GetMean() override;
    double GetMode();
};
