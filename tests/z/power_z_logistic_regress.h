#pragma once

#include <string>

#include "tests/z/covariate_integrands.h"
#include "tests/z/power_z.h"

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
class PowerZLogisticRegress : public PowerZ {
  public:
    PowerZLogisticRegress();

    PowerAnalysis* Clone() override;

    // p1 - p0: its sign is the direction of the effect.
    double GetEffectSize() override;
    double GetLowerCriticalValue() override;
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    double ComputePower(double effect, double alpha, double n) override;
    double SolveEffectSize(double alpha, double power, double n) override;
    // Odds ratio 1 (p1 = p0) leaves the power at alpha for every N: no
    // sample size is found.
    double SolveSampleSize(double effect, double alpha, double power, bool round) override;
    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override { return "Logistic regression"; }
    std::string GetStatisticName() override;
    bool IsGenericTest() override { return false; }
    bool HasOptions() override { return true; }
    bool UsesChiSquarePlot() override { return UsesEnumeration(); }
    ParameterId GetCriticalValueId() override;
    ParameterId GetNoncentralityId() override;
    ParameterId GetEffectSizeId() override;
    int GetDfOutputMask() override { return UsesEnumeration() ? 1 : 0; }
    TestId GetTestId() override { return kLogisticRegressionTestId; }
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

    // Computes varianceH0, varianceH1 and the standard deviations of the
    // statistic; returns noncentralSD.
    double GetNoncentralSD() override;

    // Maximises the power over p1 in [a, c] by golden-section search from
    // the inner point b; leaves actualPower (the largest power) and the
    // bracket between p0 and the p1 found.
    virtual void BracketMaxPower(double a, double b, double c);
    virtual double P1FromEffect(double effect);
    virtual double EffectFromP1(double p);

    // The enumeration method is switched on and N lies below its limit.
    bool EnumerationApplies();
    // ... and there is a covariate distribution to enumerate (the manual
    // mode has none).
    bool UsesEnumeration();
    // Chooses the odds ratio (true) or Pr(Y=1|X=1) H1 (false) as the effect
    // and converts the effect so that it describes the same p1.
    void SetOddsRatioInput(bool oddsRatio);

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
    double manualVarH0 = 1.0;
    double manualVarH1 = 1.5;
    double varianceH0 = 0.0;
    double varianceH1 = 0.0;
    double p0 = 0.2;
    double p1 = 0.0;
    double otherR2 = 0.0;
    double enumerationNoncentrality = 0.0;
    // Options of the test's options dialog.
    bool useEnumeration = false;
    bool enumerationWald = true;
    bool demidenko = true;
    bool varianceCorrection = true;
    bool oddsRatioInput = true;
    double enumerationMaxN = 10000.0;

  protected:
    // p1 - p0 within 1e-6 is moved 1e-6 away from p0, inside (0, 1).
    void SetP1FromEffect(double effect);
    double EnumerationPower(double alphaValue, double effectiveN);
    bool UsesSignorini();
    double SignoriniPower(double alphaValue, double effectiveN);
    // The power at p1 = x, for the effect searches.
    double PowerAtP1(double x);
    void BracketP1FromStart(double lo, double hi, double start);
    // The checks and stores of the covariate's parameters; the row of the
    // failing input, or -1.
    int ReadCovariate(PropertyList* inputs);
    // The refusal of a parameter whose moments the computation cannot
    // carry; false with the message.
    bool CheckCovariateMagnitude(bool representable);
    ParameterId EffectInputId() const { return oddsRatioInput ? kOddsRatioId : kPrY1X1H1Id; }
};
