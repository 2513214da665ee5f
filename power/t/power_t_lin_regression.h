#pragma once

#include <string>

#include "power/t/power_t.h"

// The t test of the slope of a simple linear regression of Y on X in one
// group: H0 says the slope is b0, H1 that it is b1 (the effect input). The
// standard deviations of X and Y fix the residual standard deviation under
// H1; df = N - 2 and delta = sqrt(N) sigma_x (b1 - b0)/sigma(b1). The side
// of a one-tailed test is the side of b1 - b0.
class PowerTLinRegression : public PowerT {
  public:
    PowerTLinRegression();

    PowerAnalysis* Clone() override;

    // +1 when b1 lies above b0, else -1: the side of the test.
    double GetEffectSize() override;
    double ComputePower(double b, double alpha, double n) override;
    double ComputePower2(double b, double alpha, double n1, double n2) override;
    // beta of the total n1 + n2 on the side of b1 - b0, summed on its own
    // side, without the power beside it.
    double ComputeBeta2(double b, double alphaValue, double n1, double n2) override;

    double EffectFromNoncentrality(double delta) override;
    double NoncentralityFromEffect(double b) override;
    double SampleSizeFromNoncentrality(double delta) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override;
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kSlopeH1Id; }
    TestId GetTestId() override { return kOneSlopeTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;

    // The checks the X-Y plot makes per point.
    bool CheckSampleSize(int type, double n) override;
    bool CheckEffectSize(int type, double b) override;

    // Searches b1 on the side of b0 that effectDirection names.
    double SensitivityObjective(double x) override;
    double UpdateDf() override;

    // sqrt(sigma_y^2 - (b sigma_x)^2), or -1 where that is not real.
    double ResidualSD(double b) const;

    // The test's own inputs: the slope b0 under H0 and the standard
    // deviations of X and Y.
    double slopeH0 = 0.0;
    double sigmaX = 1.0;
    double sigmaY = 1.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

  private:
    // Stores the given values, sets df, the critical values and delta;
    // true when the test looks above b0.
    bool SetUpSlope(double b, double alphaValue, double n);
    // |b| <= |sigma_y/sigma_x| - 1e-6, which keeps sigma(b) real.
    bool CheckSlopeBound(double b, double sdX, double sdY);
    // |b1 - b0| > 1e-5.
    bool CheckSlopesDiffer(double b1, double b0);
    void TakeDesign(double b0, double sdX, double sdY);
};
