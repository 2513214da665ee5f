#pragma once

// Generalized linear models fitted by iteratively reweighted least squares.
//
// Typical use (the logistic and Poisson regression tests):
//   GlmFitter fitter;
//   fitter.SetDesignMatrix(X);   // n x p covariates; the fit adds the intercept
//   fitter.SetResponse(y);       // n x 1
//   fitter.SetWeights(w);        // n x 1 prior weights
//   fitter.Fit(kGlmBinomial, kGlmLogit);
//   then read coefficients (intercept first) and covariance.
// The design set last is kept, so Fit may be called again with other family
// or link codes and fits the same data.

#include "numerics/matrix.h"

enum GlmFamily {
    kGlmGaussian = 0,
    kGlmBinomial = 1,
    kGlmPoisson = 2,
    kGlmGamma = 3,
    kGlmInverseGaussian = 4,
};

enum GlmLink {
    kGlmIdentity = 0,
    kGlmLog = 1,
    kGlmLogit = 2,
    kGlmProbit = 3,
    kGlmCloglog = 4,
    kGlmInverse = 5,
    kGlmLoglog = 6,
    kGlmFamilyDefault = 8,
};

class GlmFitter {
  public:
    // out(i) = sqrt(V(mu(i))) for the family; size is the binomial size.
    using VarianceOperation = void (*)(Matrix& out, const Matrix& mu, const Matrix& size);
    // Element by element: eta = g(mu), d eta / d mu, or mu = g^-1(eta).
    using LinkOperation = void (*)(Matrix& out, const Matrix& in);

    static constexpr int kMaxIterations = 100;

    GlmFitter();
    ~GlmFitter();

    void SetDesignMatrix(const Matrix& X);
    void SetResponse(const Matrix& y);
    void SetWeights(const Matrix& w);

    // Fits the data set last given. False, with nothing but family and link
    // changed, when
    //   * family is not 0-4, or the link code has no link function (codes
    //     other than 0-6 and 8; code 8 of the inverse gaussian family, whose
    //     default link has no operations here);
    //   * the response is not n x 1 (binomial: n x 1 proportions or n x 2
    //     successes and failures), the weights are not n x 1, the design
    //     does not have n rows, or n is 0;
    //   * a response or weight lies outside its domain (weights >= 0;
    //     binomial proportions in [0, 1], counts >= 0; poisson >= 0; Gamma
    //     and inverse gaussian > 0; every value finite);
    //   * the weighted design has rank 0.
    // A rank-deficient design (rank from a pivoted QR of the weighted design)
    // loses every column that depends on the columns before it; the kept
    // columns stay in their original order, intercept first.
    // Reaching the iteration limit is not a failure (see converged). Throws
    // QuorixError (code 5) when the iteration produces coefficients that are
    // not finite numbers.
    bool Fit(int family, int link);

    // Installs the link slots for `link`; false (slots unchanged) for a code
    // without a full set of operations.
    bool SetLink();
    // mu = start values from the response by the family's rule, with weight a.
    void StartValues(Matrix& mu, double a);
    // One weighted least-squares solve of z on X with workingWeights: beta
    // (p x 1) and the triangular factor R (p x p) of the weighted design.
    void WlsStep(Matrix& beta, Matrix& R, const Matrix& z, const Matrix& X);

    int family = kGlmGaussian;
    int link = kGlmIdentity;
    bool estimateDispersion = false;  // gaussian, Gamma, inverse gaussian
    bool addIntercept = true;

    Matrix response;        // n x 1, as fitted (proportions for binomial)
    Matrix design;          // n x p as fitted: intercept first, dependent columns dropped
    Matrix priorWeights;    // n x 1, as fitted
    Matrix coefficients;    // p x 1, in the column order of design
    Matrix workingWeights;  // n x 1, square roots of the last IRLS weights
    double pearsonChiSquare = 0.0;
    double residualDf = 0.0;  // max(n - p, 0), n counting observations of nonzero weight
    double sigma = 0.0;       // sqrt(pearsonChiSquare / residualDf)
    RealVector standardErrors;
    Matrix covariance;       // p x p, scaled by sigma^2 when estimateDispersion
    int iterations = 0;      // IRLS iterations of the last fit
    bool converged = false;  // the last fit met the convergence test

    VarianceOperation SqrtVariance = nullptr;
    LinkOperation LinkFun = nullptr;
    LinkOperation LinkDeriv = nullptr;
    LinkOperation LinkInv = nullptr;

  private:
    bool PrepareData();
    void SetWorkingWeights(const Matrix& mu, const Matrix& d, const Matrix& size);

    Matrix inputDesign_;
    Matrix inputResponse_;
    Matrix inputWeights_;
};
