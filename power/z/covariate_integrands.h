#pragma once

// The covariate X of the regression tests and the information integrals of
// a logistic regression logit Pr(Y=1|X) = beta0 + beta1 X over it.
//
// The variance of the slope estimate per subject is the (beta1, beta1)
// element of the inverse of the expected Fisher information, whose entries
// I0, I1, I2 are E[w(eta)], E[X w(eta)] and E[X^2 w(eta)] with the
// Bernoulli variance w(eta) = p (1 - p). varB holds beta0, beta1 and the
// covariate, evaluates the integrands and integrates them (or sums them
// over a count covariate); one subclass per covariate supplies its moments.
//
// Everything is per object: integrands travel to the quadrature through its
// params pointer, so several computations may run at once on different
// threads.

#include <atomic>
#include <functional>
#include <memory>

#include "distributions/distribution.h"
#include "numerics/quadrature.h"

// The "X distribution" codes of the regression tests, in the order of the
// selection's options.
enum XDistributionCode : int {
    kXBinomial = 0,
    kXExponential = 1,
    kXLognormal = 2,
    kXNormal = 3,
    kXPoisson = 4,
    kXUniform = 5,
    kXManual = 6,
};

// w(eta) = e^eta / (1 + e^eta)^2 and p(eta) = e^eta / (1 + e^eta), both
// without overflow for any eta.
double BernoulliVariance(double eta);
double LogisticProbability(double eta);

// The integrals over [a, b] of `count` functions (a multiple of 3, at most
// 6) that `values` gives together at each point, on shared nodes: a globally
// adaptive 7-15 point Gauss-Kronrod rule that bisects the interval of
// largest error until each triple (J0, J1, J2) is within `tolerance` of
// |J0|, sqrt(|J0 J2|) and |J2|, the scales on which the slope variance
// J0 / (J0 J2 - J1^2) takes them. A value or an integral that is not a
// number, or a tolerance not met in a bounded number of bisections, throws
// "Math overflow".
void IntegrateTriples(const std::function<void(double, double*)>& values, int count, double a,
                      double b, double tolerance, double* result);

class varB : public quadfunc {
  public:
    // Takes the covariate; its integration limits are the quantiles at 1e-12
    // and 1 - 1e-12.
    varB(double b0, double b1, std::unique_ptr<Distribution> x);
    varB(const varB&) = delete;
    varB& operator=(const varB&) = delete;
    virtual ~varB() = default;

    // The integrand of `mode`: 0-2 f w(eta), x f w(eta), x^2 f w(eta) (the
    // information under H1; x taken about `center` in 1 and 2), 3-5 the same with the constant
    // predictor eta0 (under H0), 6 f p(eta) (the marginal probability); 0 for other modes.
    double Evaluate(double x) override;

    // eta0 by `rule`: 0 the logit of the marginal Pr(Y=1), which reproduces
    // it with beta1 = 0; 1 beta0 + beta1 E[X]; any other beta0.
    virtual void SetH0Predictor(int rule);
    virtual void SetH0PredictorDiscrete(int rule);

    // E[X], E[X^2] and the point of highest density of the covariate.
    virtual double GetMean() { return 0.0; }
    virtual double GetSecondMoment() { return 0.0; }
    virtual double GetMode() { return 1.0; }

    // Sum of the integrand over the whole counts from trunc(lower) to upper.
    virtual double SumOverSupport(int integrand);

    // Where the integrand falls to eps: above the log-normal mode, and on
    // either tail from `start`. Bisections of at most 999 steps.
    virtual double FindUpperLimitFromMode(int integrand, double eps);
    virtual double FindUpperTailLimit(int integrand, double start, double eps);
    virtual double FindLowerTailLimit(int integrand, double start, double eps);
    virtual double GetLowerLimit(int, double) { return lower; }
    virtual double GetUpperLimit(int, double) { return upper; }
    // The x where eta = -80 and 80, smaller first (+-1000 for beta1 = 0).
    virtual double GetLowerPredictorLimit();
    virtual double GetUpperPredictorLimit();

    virtual double Integrate(int integrand);

    // var1, the slope variance per subject under H1, and var0 under H0
    // (1 / (w(eta0) Var X) with eta0 by `rule` when `correction`, else
    // var1). A singular information gives an infinite or undefined
    // variance, which the caller judges.
    virtual void ComputeVariances(double* var0, double* var1, int rule, bool correction);
    virtual void ComputeVariancesDiscrete(double* var0, double* var1, int rule, bool correction);

    double beta0 = 0.0;
    double beta1 = 0.0;
    double eta0 = 0.0;
    std::unique_ptr<Distribution> covariate;
    int mode = 0;
    double lower = 0.0;
    double upper = 0.0;
    // The origin of x in the integrands 1 and 2; 0 but while the variances
    // are computed.
    double center = 0.0;
    // Polled by the sums over a count covariate when set.
    const std::atomic<bool>* cancel = nullptr;

  protected:
    // The part [a, b] of [from, to] where |eta| <= 80: beyond it w(eta) is
    // below 2e-35 and p(eta) is 0 or 1 to double precision. False when
    // nothing of the range is left.
    bool PredictorWindow(double from, double to, double* a, double* b) const;
    // The covariate mass in [from, to] where eta > 80 (where Pr(Y=1) = 1).
    double MassOfCertainResponse(double from, double to, bool discrete);
    // The integral of the mode-6 integrand over [from, to], or its sum over
    // the whole counts there.
    double MarginalProbability(double from, double to, bool discrete);
    double SumOver(double from, double to);
    double IntegrateOver(double from, double to);
    // I0 / (I0 I2 - I1^2) from `moment` (Integrate or SumOverSupport).
    double SlopeVariance(double (varB::*moment)(int));
    // 1 / (w0 Var X) at eta0, from the covariate's moments.
    double NullVariance();
};

class varBnormal : public varB {
  public:
    varBnormal(double b0, double b1, double mu, double sigma);
    double GetMean() override;
    double GetSecondMoment() override;
    double GetMode() override { return GetMean(); }
    double GetLowerLimit(int integrand, double eps) override;
    double GetUpperLimit(int integrand, double eps) override;
};

class varBlognormal : public varB {
  public:
    // Limits at the quantiles 1e-8 and 1 - 1e-10.
    varBlognormal(double b0, double b1, double mu, double sigma);
    double GetMean() override;
    double GetSecondMoment() override;
    double GetMode() override;
    double GetLowerLimit(int, double) override { return 0.0; }
    double GetUpperLimit(int integrand, double eps) override;
    // The same integrals over z = (ln x - mu) / sigma, where the density is
    // the standard normal one: the three moments in one adaptive pass on
    // shared nodes, and the marginal probability in another.
    void ComputeVariances(double* var0, double* var1, int rule, bool correction) override;
};

class varBexp : public varB {
  public:
    varBexp(double b0, double b1, double lambda);
    double GetMean() override;
    double GetSecondMoment() override;
    double GetMode() override { return 0.0; }
    double GetLowerLimit(int, double) override { return 0.0; }
    double GetUpperLimit(int integrand, double eps) override;
};

class varBuni : public varB {
  public:
    varBuni(double b0, double b1, double left, double right);
    double GetMean() override;
    double GetSecondMoment() override;
    double GetMode() override;
    double GetLowerLimit(int, double) override { return GetMode(); }
    double GetUpperLimit(int integrand, double eps) override;
};

class varBpoiss : public varB {
  public:
    varBpoiss(double b0, double b1, double lambda);
    double GetMean() override;
    double GetSecondMoment() override;
    double GetMode() override;
};
