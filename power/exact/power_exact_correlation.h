#pragma once

#include <string>

#include "analysis/ids.h"
#include "power/exact/power_exact.h"

// Test of one Pearson correlation of a bivariate normal population, H0
// rho = rho0 against H1 rho = rho1, with the exact distribution of the sample
// correlation r, or for large samples Fisher's z of r against a normal
// distribution with standard deviation 1/sqrt(N - 3).
//
// rho1 is the effect size and rho0 is kept in rhoH0.
class PowerExactOneCorr : public PowerExact {
  public:
    PowerExactOneCorr();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;
    double GetEffectSize() override { return effectSize - NullValue(); }
    // The density of r is taller than the base cap of 3 from N of about 60
    // on (its peak grows like the square root of N); with that cap the plot
    // cut both peaks and stopped the x axis at the H1 peak.
    double GetDensityCap() override { return 1e12; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    double ComputePower(double effect, double alpha, double n) override;
    // beta of ComputePower, summed over the acceptance region, for
    // Compromise and the beta output.
    double ComputeBeta(double effect, double alpha, double n) override;
    double GetBeta() override { return ComputeBeta(effectSize, alpha, sampleSize); }
    // Criterion and Compromise search log(alpha) down to 1e-99: alpha can
    // lie far below 1e-16 there. Criterion reports a power that the floor
    // of 1e-99 already exceeds as "no alpha >= 1e-99", one no alpha gives
    // as "Underflow"; Compromise fails where no alpha meets the ratio.
    double SolveAlpha(double effect, double target, double n) override;
    double SolveCompromise(double effect, double q, double n) override;
    double SampleSizeFromNoncentrality(double n) override { return n; }
    void BracketSampleSize() override;
    void BracketEffectSize() override;
    double SolveSampleSize(double effect, double alpha, double power, bool round) override;

    std::string GetTestName() override { return "Correlation: Bivariate normal model"; }
    std::string GetStatisticName() override { return Approximates(sampleSize) ? "z" : "r"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kCorrelationRhoH1Id; }
    TestId GetTestId() override { return kCorrelationExactTestId; }
    std::string GetMethodText() override;
    void SetStandardValues() override;
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;
    void GetOutputs(AnalysisType type, PropertyList* outputs) override;
    void MakeDistributionPlot(PlotData* plot) override;
    bool IsTargetPowerUnreachable(const double* effect, double alpha, double target) override;
    bool CheckSampleSize(int, double n) override;
    bool CheckEffectSize(int type, double rho1) override;
    double SensitivityObjective(double x) override;

    // Whether a sample of N pairs is analysed by Fisher's z: N <= 3 never,
    // beyond exactLimit always, else as the option says.
    bool Approximates(double n) const;

    double NullValue() const { return rhoH0; }

    bool useApproximation = false;
    double exactLimit = 10000.0;
    double unreachableCheckN = 100000.0;

    // rho under H0.
    double rhoH0 = 0.0;

  private:
    // The critical values of the exact distribution for one N, alpha, H0
    // value and choice of tails: a search over the effect asks for the same
    // ones at every step. Per object, so no state is shared between threads.
    struct CriticalValues {
        double n = -1.0;
        double alpha = -1.0;
        double rho0 = 0.0;
        bool oneTailed = false;
        bool lowerTail = false;
        double upper = 0.0;
        double lower = 0.0;
    };
    CriticalValues critical_;

    // The smallest whole N whose exact power reaches the target, by steps
    // from `start` over whole N; 0 when it is not inside the exact range
    // (the general search decides there).
    double WholeSampleSizeFrom(double start, double effect, double alpha, double target);
    // beta of the last ComputePower; its upper tail on its own side only
    // when ComputeBeta asks, so that the searches pay nothing for it.
    double beta_ = 0.0;
    bool wantBeta_ = false;
};

// Test of the squared multiple correlation rho^2 of a criterion with p
// predictors when predictors and criterion are jointly normal (the random
// regression model), H0 rho^2 = rho0^2 against H1 rho^2 = rho1^2, with the
// distribution of the sample R^2 exactly or by a three-moment F
// approximation.
//
// rho1^2 is the effect size, rho0^2 is kept in rho2H0 and p in
// predictorCount.
class PowerExactMRC : public PowerExact {
  public:
    PowerExactMRC();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;
    double GetEffectSize() override { return effectSize - NullValue(); }
    double GetDensityCap() override { return 1e12; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    double ComputePower(double effect, double alpha, double n) override;
    // beta of ComputePower, summed over the acceptance region, for
    // Compromise and the beta output.
    double ComputeBeta(double effect, double alpha, double n) override;
    double GetBeta() override { return ComputeBeta(effectSize, alpha, sampleSize); }
    // Criterion and Compromise search log(alpha) down to 1e-99: alpha can
    // lie far below 1e-16 there. Criterion reports a power no alpha gives
    // as "Underflow"; Compromise fails where no alpha meets the ratio.
    double SolveAlpha(double effect, double target, double n) override;
    double SolveCompromise(double effect, double q, double n) override;
    double SampleSizeFromNoncentrality(double n) override { return n; }
    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override { return "Linear multiple regression: Random model"; }
    std::string GetStatisticName() override { return "R$^2$"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kH1Rho2Id; }
    TestId GetTestId() override { return kRegressionRandomTestId; }
    std::string GetMethodText() override;
    void SetStandardValues() override;
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;
    bool IsTargetPowerUnreachable(const double* effect, double alpha, double target) override;
    bool CheckSampleSize(int, double n) override;
    bool CheckEffectSize(int type, double rho2) override;
    double SensitivityObjective(double x) override;

    // 0 the exact distribution of R^2, 1 the three-moment F approximation;
    // the distribution computes by the same method.
    void SetMethod(int value);
    int GetMethod() const { return method; }

    double NullValue() const { return rho2H0; }

    // rho^2 under H0.
    double rho2H0 = 0.0;

  private:
    int method = 0;
    double beta_ = 0.0;
};
