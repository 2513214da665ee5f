#pragma once

// The enumeration method of the regression tests: the power of the test of
// a slope as that of a chi-square test with one degree of freedom whose
// noncentrality is evaluated on an expected data set. The subjects'
// covariate values are laid out deterministically from the covariate
// distribution, each subject contributes one row per outcome weighted by
// the model's probability of that outcome, and a generalized linear model
// is fitted to the weighted rows. The noncentrality is the Wald statistic of
// the true slope, or the likelihood-ratio statistic between the true model
// and the fitted intercept-only model.
//
// One workspace serves one power computation; it holds no state beyond it
// and shares nothing with other workspaces.

#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

#include "distributions/distribution.h"
#include "numerics/glm_fitter.h"
#include "numerics/matrix.h"

// The covariate codes of the workspace (they differ from those of the tests'
// "X distribution" selection; see EnumerationCovariateOf).
enum EnumerationCovariate : int {
    kEnumerationBinomial = 0,  // X in {0, 1}
    kEnumerationNormal = 1,
    kEnumerationLogNormal = 2,
    kEnumerationUniform = 3,
    kEnumerationPoisson = 4,
    kEnumerationExponential = 5,
};

// The workspace code of an "X distribution" code (XDistributionCode);
// -1 for the manual mode, which has no covariate to enumerate.
int EnumerationCovariateOf(int xDistribution);

// The chi-square test of one df at level alphaPrime for the noncentrality
// of an expected data set: its power (at least alphaPrime), critical value,
// and beta from the acceptance region. Throws QuorixError for alphaPrime
// outside (0, 1).
struct OneDfChiSquareTest {
    double power = 0.0;
    double criticalValue = 0.0;
    double acceptance = 0.0;
};
OneDfChiSquareTest ChiSquareTestAt(double noncentrality, double alphaPrime);

class EnumerationWorkspace {
  public:
    EnumerationWorkspace();
    EnumerationWorkspace(const EnumerationWorkspace&) = delete;
    EnumerationWorkspace& operator=(const EnumerationWorkspace&) = delete;

    // The covariate: binomial (a = Pr(X = 1)), normal (a = mu, b = sigma),
    // log-normal (mu, sigma), uniform (left, right), Poisson (a = lambda)
    // or exponential (a = lambda). Any other kind leaves no covariate.
    void SetCovariate(int kind, double a, double b);

    // Power of the chi-square test at level alphaPrime of the slope of the
    // logistic regression with Pr(Y=1) = p0 at X = 0 and p1 at X = 1, on
    // the expected data set of n subjects; Wald or likelihood-ratio
    // statistic. Leaves criticalValue and noncentrality. Throws QuorixError
    // for alphaPrime outside (0, 1), for a missing covariate and when the
    // model cannot be fitted.
    double Enumerate(double p0, double p1, int n, double alphaPrime, bool wald);

    // Power of the chi-square test at level alphaPrime of the slope b1 of the
    // Poisson regression log mu = b0 + b1 X with the mean exposure
    // `exposure`, on the expected data set of n subjects; Wald or
    // likelihood-ratio statistic. Leaves criticalValue and noncentrality.
    // Throws QuorixError as Enumerate does, and for expected counts above
    // 1e15.
    double EnumeratePoisson(double b0, double b1, int n, double alphaPrime, bool wald);
    // The Poisson expected data set: every subject with every count
    // between the Poisson quantiles 1e-5 at the smallest rate and 0.99999
    // at the largest, weighted by its probability. The subjects at one
    // covariate value and their counts are one row, their mean count
    // weighted by their total weight: the Poisson likelihood is linear in
    // the count, so the fit and the likelihood ratio are those of the rows
    // per count.
    void BuildPoissonDataSet(int n);
    // sum w (y ln mu - mu - ln y!) with mu = exposure e^(b0 + b1 x).
    double PoissonLogLikelihood(const Matrix& b);

    // The 2n rows of the logistic expected data set.
    void BuildDataSet(int n);
    // The log-likelihood of the data set at the coefficients b (intercept,
    // slope).
    double LogLikelihood(const Matrix& b);

    // The n covariate values: Blom's plotting positions (i + 1 - 0.375) /
    // (n + 0.25) of the covariate distribution, i = 0 ... n - 1; for the
    // binomial covariate the first trunc(n pi) are 1, the rest 0.
    void CovariateValues(int n, std::vector<double>& values);

    // The steps that the enumerations share. Fits the data set with the
    // family and link given; QuorixError when the fit fails or does not
    // converge.
    void FitDataSet(int family, int link);
    // b1^2 / Var(b1) of the last fit for the slope b1; 0 when the fit lost
    // the covariate (all subjects at one value).
    double WaldNoncentrality(double slope);
    // Sets criticalValue and acceptance for alphaPrime and returns the
    // power of the one-df chi-square test at `noncentrality`, at least
    // alphaPrime.
    double ChiSquarePower(double alphaPrime);

    int covariateKind = kEnumerationNormal;
    std::unique_ptr<Distribution> covariate;  // none for the binomial covariate
    double binomialPi = 0.5;
    Matrix design;        // 2n x 1 covariate value of each row
    Matrix response;      // 2n x 1 outcome of each row, 0 or 1
    Matrix weights;       // 2n x 1 prior weight of each row
    Matrix coefficients;  // 2 x 1 (beta0, beta1)
    GlmFitter fitter;
    double criticalValue = 0.0;
    double noncentrality = 0.0;
    double acceptance = 0.0;  // beta of the last ChiSquarePower
    double p0 = 0.0;
    double p1 = 0.0;
    double odds0 = 0.0;
    double odds1 = 0.0;
    double oddsRatio = 0.0;
    double beta0 = 0.0;
    double beta1 = 0.0;
    double exposure = 1.0;
    // Polled while the data set is built, when set.
    const std::atomic<bool>* cancel = nullptr;

  private:
    void CheckCancelled() const;

    // The covariate last set (kind, a, b; NaN none yet) and the values
    // CovariateValues laid out for it at valuesN_ subjects (-1 none).
    std::array<double, 3> covariateKey_ = {NAN, NAN, NAN};
    int valuesN_ = -1;
    std::vector<double> values_;
};
