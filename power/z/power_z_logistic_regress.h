#pragma once

#include <string>

#include "power/z/covariate_integrands.h"
#include "power/z/power_z_covariate_regress.h"

// Power of the test of the slope beta1 of a logistic regression
// logit Pr(Y=1|X) = beta0 + beta1 X with one covariate X of a chosen
// distribution. The effect is the odds ratio e^beta1 per unit of X or, by
// option, Pr(Y=1|X=1) under H1; Pr(Y=1|X=1) under H0 fixes beta0. Other
// covariates shrink the sample to (1 - R^2) N.
//
// Two methods: the large-sample z test of the slope, with the variances of
// Demidenko (2007) (optionally corrected under H0) or the formulas of
// Signorini (1991); and the enumeration method, a Wald or likelihood-ratio
// chi-square test evaluated on the expected data set, used while N stays
// below enumerationMaxN.
class PowerZLogisticRegress : public PowerZCovariateRegress {
  public:
    PowerZLogisticRegress();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;

    // p1 - p0: its sign is the direction of the effect.
    double GetEffectSize() override;

    double ComputePower(double effect, double alpha, double n) override;
    double SolveEffectSize(double alpha, double power, double n) override;
    // Odds ratio 1 (p1 = p0) leaves the power at alpha for every N: no
    // sample size is found.
    double SolveSampleSize(double effect, double alpha, double power, bool round) override;
    void BracketEffectSize() override;

    std::string GetTestName() override { return "Logistic regression"; }
    ParameterId GetEffectSizeId() override;
    TestId GetTestId() override { return kLogisticRegressionTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;

    bool CheckEffectSize(int type, double effect) override;
    double SensitivityObjective(double x) override;

    // Computes varianceH0, varianceH1 and the standard deviations of the
    // statistic; returns noncentralSD.
    double GetNoncentralSD() override;

    // Maximises the power over p1 in [a, c] by golden-section search from
    // the inner point b; leaves actualPower (the largest power) and the
    // bracket between p0 and the p1 found.
    virtual void BracketMaxPower(double a, double b, double c);
    virtual double P1FromEffect(double effect);
    virtual double EffectFromP1(double p);

    // Chooses the odds ratio (true) or Pr(Y=1|X=1) H1 (false) as the effect
    // and converts the effect so that it describes the same p1.
    void SetOddsRatioInput(bool oddsRatio);

    double p0 = 0.2;
    double p1 = 0.0;
    bool oddsRatioInput = true;

  protected:
    // p1 - p0 within 1e-6 is moved 1e-6 away from p0, inside (0, 1).
    void SetP1FromEffect(double effect);
    double Enumerate(EnumerationWorkspace& workspace, int n, double level) override;
    std::array<double, 3> EnumeratedModel() const override { return {p0, p1, 0.0}; }
    void NormalUnderH1(double* mean, double* sd) override;
    int UnrepresentableParameter(double first, double second) override;
    bool UsesSignorini();
    double SignoriniPower(double alphaValue, double effectiveN);
    // The power at p1 = x, for the effect searches.
    double PowerAtP1(double x);
    void BracketP1FromStart(double lo, double hi, double start);
    bool CheckEffectDiffers(double effect) override;
    bool CheckEffectInput(AnalysisType type, double effect) override;
    void KeepDesign(double n, double effect) override;
    SensitivityGiven ReadSensitivityGiven(PropertyList* inputs) override;
    double SolveSensitivity(double alphaValue, double powerValue) override;
    ParameterId EffectInputId() const { return oddsRatioInput ? kOddsRatioId : kPrY1X1H1Id; }
};
