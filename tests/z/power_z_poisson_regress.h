#pragma once

#include <string>

#include "tests/z/covariate_integrands.h"
#include "tests/z/power_z.h"

// Power of the test of the slope beta1 of a Poisson regression
// log mu = beta0 + beta1 X with counts observed over a mean exposure time t
// and one covariate X of a chosen distribution. The effect is the rate ratio
// Exp(beta1) per unit of X; the base rate exp(beta0) is the rate at X = 0.
// Other covariates shrink the sample to (1 - R^2) N.
//
// Two methods: the large-sample z test of the slope, with the variances of
// Signorini (1991) or Demidenko (2007) (optionally corrected under H0); and
// the enumeration method, a Wald or likelihood-ratio chi-square test
// evaluated on the expected data set, used while N stays below
// enumerationMaxN.
class PowerZPoissonRegress : public PowerZ {
  public:
    PowerZPoissonRegress();

    PowerAnalysis* Clone() override;

    // Exp(beta1) - 1: its sign is the sign of beta1.
    double GetEffectSize() override;
    double GetLowerCriticalValue() override;
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    double ComputePower(double effect, double alpha, double n) override;
    // A rate ratio of 1 leaves the power at alpha for every N: no sample
    // size is found; nor where the total exceeds the largest one admitted.
    double SolveSampleSize(double effect, double alpha, double power, bool round) override;
    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override { return "Poisson regression"; }
    std::string GetStatisticName() override;
    bool IsGenericTest() override { return false; }
    bool HasOptions() override { return true; }
    bool UsesChiSquarePlot() override { return UsesEnumeration(); }
    ParameterId GetCriticalValueId() override;
    ParameterId GetNoncentralityId() override;
    ParameterId GetEffectSizeId() override { return kExpBeta1Id; }
    int GetDfOutputMask() override { return UsesEnumeration() ? 1 : 0; }
    TestId GetTestId() override { return kPoissonRegressionTestId; }
    std::string GetMethodText() override;
    bool InputsChangeLayout(AnalysisType type, PropertyList* inputs) override;
    void SetStandardValues() override;

    void GetAnalysisTypes(PropertyList* list) override;
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    void BuildOutputList(AnalysisType type, PropertyList* outputs) override;
    void GetOutputs(AnalysisType type, PropertyList* outputs) override;
    void MakeDistributionPlot(PlotData* plot) override;

    bool CheckSampleSize(int type, double n) override;
    bool CheckEffectSize(int type, double effect) override;
    double SensitivityObjective(double x) override;

    // Computes varianceH0, varianceH1 and noncentralSD; returns noncentralSD.
    double GetNoncentralSD() override;

    // The enumeration method is switched on and N lies below its limit.
    bool EnumerationApplies();
    // ... and there is a covariate distribution to enumerate (the manual
    // mode has none).
    bool UsesEnumeration();

    int xDistribution = kXNormal;
    double normalMean = 0.0;
    double normalSD = 1.0;
    double exponentialLambda = 1.0;
    double binomialPi = 0.5;
    double uniformLeft = 0.0;
    double uniformRight = 1.0;
    double lognormalMu = 0.0;
    double lognormalSigma = 1.0;
    double poissonLambda = 1.0;
    double exposure = 1.0;
    double overDispersion = 1.0;
    double manualVarH0 = 1.0;
    double manualVarH1 = 1.5;
    double baseRate = 0.85;
    double varianceH0 = 0.0;
    double varianceH1 = 0.0;
    // The same variances times their rate factors e^logRateScaleH0 and
    // e^logRateScale, kept as logarithms (a base rate or a covariate far
    // from 1 and 0 would take the variances beyond the doubles).
    double unitVarianceH0 = 0.0;
    double unitVarianceH1 = 0.0;
    double logRateScaleH0 = 0.0;
    double logRateScale = 0.0;
    double otherR2 = 0.0;
    double enumerationNoncentrality = 0.0;
    // Options of the test's options dialog.
    bool useEnumeration = false;
    bool enumerationWald = true;
    bool demidenko = true;
    bool varianceCorrection = true;
    double enumerationMaxN = 10000.0;

  protected:
    double EnumerationPower(double alphaValue, double effectiveN);
    // The mean and standard deviation of the z statistic under H1 for the
    // variances last computed; mean 0 and sd 1 where they carry no
    // information.
    void StatisticUnderH1(double effectiveN, double* mean, double* sd);
    // The checks and stores of the covariate's parameters; the row of the
    // failing input, or -1.
    int ReadCovariate(PropertyList* inputs);
};
