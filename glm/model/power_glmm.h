#pragma once

#include <string>
#include <vector>

#include "numerics/matrix.h"
#include "numerics/root.h"

class FDistribution;
class TDistribution;

// The test selectors of the sample-size search: each value names one test.
enum GlmmTestFlags : unsigned int {
    kGlmmUnivariate = 1,
    kGlmmGreenhouseGeisser = 2,
    kGlmmHuynhFeldt = 4,
    kGlmmBox = 8,
    kGlmmWilksOS = 256,
    kGlmmWilksMP = 512,
    kGlmmHotelling1OS = 1024,
    kGlmmHotelling1MP = 2048,
    kGlmmHotelling2OS = 4096,
    kGlmmHotelling2MP = 8192,
    kGlmmPillai1OS = 16384,
    kGlmmPillai1MP = 32768,
    kGlmmPillai2OS = 65536,
    kGlmmPillai2MP = 131072,
    kGlmmContrastTOneTailed = 16777216,
    kGlmmContrastTTwoTailed = 33554432,
    kGlmmContrastF = 67108864,
};

// Power of tests in the general linear multivariate model Y = X B + E, from
// the design X of the g cells, their relative frequencies W, the parameters
// B (q x p), the covariance Sigma of the p responses, and the hypothesis
// C B A = Theta0 with the between-cells contrast C and the within-responses
// contrast A. Compute forms the hypothesis matrix H of one observation and
// the eigenvalues of SigmaStar+ H (SigmaStar = A' Sigma A); the tests turn
// them into a statistic, F degrees of freedom, a noncentrality and power at
// the total size N.
//
// Failures are results, never exceptions: Compute answers false (with the
// reason in `failure`) for matrices whose shapes do not fit together or a
// computation that fails; a test leaves power 0 (or -1 where the
// denominator df is not positive) and answers false; SolveN answers 0 with
// the reason in `failure` when no N in its range reaches the target.
class PowerGLMM : public Root {
  public:
    PowerGLMM();
    ~PowerGLMM();
    PowerGLMM(const PowerGLMM&) = delete;
    PowerGLMM& operator=(const PowerGLMM&) = delete;

    // The objective of the sample-size search: N := x, Compute, then the
    // power of the selected test minus the target.
    double Evaluate(double x) override;

    // Resizes X (cells x predictors), B (predictors x responses), Sigma,
    // A (responses x responses - 1), C (predictors - 1 x predictors) and
    // Theta0, keeping what still fits and filling new elements with 0.
    void SetDimensions(int cellCount, int predictorCount, int responseCount);
    // W := diag(w) / sum |w_i|.
    void SetCellWeights(const std::vector<double>& w);
    bool SetTestSelector(unsigned int value);

    // The matrix computation for the current N; false, with the reason in
    // `failure`, when the matrices do not fit together or a step fails.
    bool Compute();
    // The smallest whole total sample size at which the selected test is
    // defined and reaches `target`, every result field computed there; 0
    // with the reason in `failure` when none is found. Polls the thread's
    // CancelCheck at every step.
    double SolveN();
    // Whether the error df at N allow the selected test's approximation.
    bool Allowed() const;
    double PowerMinusTarget();
    // Whether the selected test sees an effect in the model at all (at
    // every N alike).
    bool HasEffect() const;
    // Runs the test named by `selector` with power; false for a failed test
    // or an unknown selector.
    bool RunTests();

    // ---- the tests (Compute first); with computePower false only the
    // statistic and the effect are computed.
    bool HotellingLawley1(bool plain, bool computePower);
    bool HotellingLawley2(bool plain, bool computePower);
    bool Pillai1(bool plain, bool computePower);
    bool Pillai2(bool plain, bool computePower);
    bool Wilks(bool plain, bool computePower);
    // The eigenvalues of SigmaStar and the population epsilon; the four
    // univariate tests need it first.
    bool UnivariateCommon();
    bool Univariate(unsigned int which);
    bool ContrastF();
    bool ContrastT(bool oneTailedTest);
    void SetEffectFromLambda();

    // ---- statistics of the eigenvalues (plain and N-scaled)
    void HotellingLawleyStatistic();
    void PillaiStatistic();
    void WilksStatistic();

    // Expected values of the Greenhouse-Geisser and Huynh-Feldt estimates
    // of epsilon at error df nu, from the eigenvalues of SigmaStar.
    static double ExpectedGreenhouseGeisser(const std::vector<double>& psi, double nu);
    static double ExpectedHuynhFeldt(const std::vector<double>& psi, double n, double nu);

    FDistribution* dist = nullptr;
    TDistribution* tdist = nullptr;
    int responses = 0, predictors = 0, cells = 0;
    Matrix X, C, A, Sigma, W, B, Theta0;
    double N = 0.0;
    Matrix Theta, XWX, H, SigmaStar, Q;
    std::vector<double> eigen;
    // r is the rank of the rows of X whose cells carry weight (the others
    // have no subjects and give no error df).
    double s = 0.0, r = 0.0, a = 0.0, b = 0.0;
    // Whether C's rows lie in the row space of the weighted cells' rows of
    // X, so that C B depends on the cell means only; without it no test of
    // C has a meaning.
    bool estimable = true;
    double df1 = 0.0, df2 = 0.0, lambda = 0.0, alpha = 0.05, power = 0.0, critical = 0.0;
    double eta2 = 0.0, effect = 0.0;
    double U = 0.0, UN = 0.0, V = 0.0, VN = 0.0, T = 0.0, TN = 0.0, value = 0.0;
    // Univariate approach: H and SigmaStar on an orthonormal basis of the
    // space A's columns span (A's own when they are orthonormal).
    Matrix HUni, SigmaStarUni;
    bool orthonormalA = true;
    // The eigenvalues of SigmaStarUni (descending) and, for those above
    // rounding, the share of HUni along each eigenvector over its eigenvalue.
    struct UnivariateTerm {
        double psi;
        double shift;
    };
    std::vector<UnivariateTerm> uniTerms;
    std::vector<double> psiAll;
    // The eigenvalues relative to the largest, for epsilon.
    std::vector<double> psi;
    double eps = 0.0, epsGG = 0.0, epsHF = 0.0, epsShown = 0.0, epsExpShown = 0.0;
    double df1Power = 0.0, df2Power = 0.0, lambdaPower = 0.0, df1Crit = 0.0, df2Crit = 0.0;
    bool oneTailed = false;
    double target = 0.8;
    double low = 0.0, high = 0.0;
    unsigned int selector = 0;
    std::string failure;

  private:
    // The eigenvalues of Q for the effect, M and SigmaStar they were
    // computed from: a search computes the model at every N, and they do
    // not depend on it.
    Matrix eigenEffect_, eigenM_, eigenSigmaStar_;
    std::vector<double> eigenOfThose_;
    void OrthonormalContrastForms();
    void DecomposeWeightedCells();
    bool RowsInDesignSpace(const Matrix& contrast) const;
    // What the single-contrast tests take for Q's first element when A has
    // rank 1 over several rows: that of the unit contrast the rows span.
    double RankOneContrastShift(const Matrix& mi) const;
    // Sets to 0 each element of C B A - Theta0 that lies within the rounding
    // of its products; RoundingBound is that rounding for C's `row` along
    // the response direction `direction`, with the null value `nullTerm`.
    void DropRoundingOfEffect(Matrix& d) const;
    double RoundingBound(int row, const std::vector<double>& direction, double nullTerm) const;
    // The single-contrast tests' noncentrality of one observation.
    double contrastShift_ = 0.0;
    // X and W as last decomposed, with the rank of the weighted cells' rows
    // of X, an orthonormal basis of their row space (q x rank) and (X'WX)+.
    Matrix designX_, designW_, pinvXWX_, rowSpace_;
    double designRank_ = 0.0;
    // s - V, s - VN and the logarithms of U and UN, for the effects.
    double pillaiRest_ = 0.0, pillaiRestN_ = 0.0, wilksLog_ = 0.0, wilksLogN_ = 0.0;
    // F power at the current df1, df2 and lambda; power 0 and false on any
    // numerical failure.
    bool FPower();
    bool UnivariatePower(double critDf1, double critDf2, double powDf1, double powDf2,
                         double powLambda);
    // P(F > criticalValue) for the univariate statistic, exactly.
    double TraceRatioPower(double criticalValue) const;
    double ErrorDf() const { return N - r; }
};
