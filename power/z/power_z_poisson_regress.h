#pragma once

#include <string>

#include "power/z/covariate_integrands.h"
#include "power/z/power_z_covariate_regress.h"

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
class PowerZPoissonRegress : public PowerZCovariateRegress {
  public:
    PowerZPoissonRegress();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;

    // Exp(beta1) - 1: its sign is the sign of beta1.
    double GetEffectSize() override;

    double ComputePower(double effect, double alpha, double n) override;
    // A rate ratio of 1 leaves the power at alpha for every N: no sample
    // size is found; nor where the total exceeds the largest one admitted.
    double SolveSampleSize(double effect, double alpha, double power, bool round) override;
    void BracketEffectSize() override;

    std::string GetTestName() override { return "Poisson regression"; }
    ParameterId GetEffectSizeId() override { return kExpBeta1Id; }
    TestId GetTestId() override { return kPoissonRegressionTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;

    bool CheckEffectSize(int type, double effect) override;
    double SensitivityObjective(double x) override;

    // Computes varianceH0, varianceH1 and noncentralSD; returns noncentralSD.
    double GetNoncentralSD() override;

    double exposure = 1.0;
    double overDispersion = 1.0;
    double baseRate = 0.85;
    // The same variances times their rate factors e^logRateScaleH0 and
    // e^logRateScale, kept as logarithms (a base rate or a covariate far
    // from 1 and 0 would take the variances beyond the doubles).
    double unitVarianceH0 = 0.0;
    double unitVarianceH1 = 0.0;
    double logRateScaleH0 = 0.0;
    double logRateScale = 0.0;

  protected:
    double Enumerate(EnumerationWorkspace& workspace, int n, double level) override;
    std::array<double, 3> EnumeratedModel() const override {
        return {baseRate, effectSize, exposure};
    }
    void NormalUnderH1(double* mean, double* sd) override;
    int UnrepresentableParameter(double first, double second) override;
    int ReadModelInputs(PropertyList* inputs) override;
    std::vector<Setting> ModelSettings() override {
        return {{kBaseRateId, &baseRate}, {kMeanExposureId, &exposure}};
    }
    bool CheckEffectInput(AnalysisType type, double effect) override;
    void KeepDesign(double n, double effect) override;
    SensitivityGiven ReadSensitivityGiven(PropertyList* inputs) override;
    // The mean and standard deviation of the z statistic under H1 for the
    // variances last computed; mean 0 and sd 1 where they carry no
    // information.
    void StatisticUnderH1(double effectiveN, double* mean, double* sd);
};
