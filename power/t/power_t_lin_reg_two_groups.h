#pragma once

#include <string>
#include <vector>

#include "power/t/power_t.h"

// What the t tests comparing the simple linear regressions of Y on X in two
// independent groups share: the group sizes N1 and N2 (N2/N1 the allocation
// ratio), df = N1 + N2 - 4, delta = Delta sqrt(N2)/S with S the standard
// error factor of the difference, the checks and most of Calculate.
class PowerTLinReg2 : public PowerT {
  public:
    PowerTLinReg2();

    double EffectFromNoncentrality(double delta) override;
    double NoncentralityFromEffect(double difference) override;
    double SampleSizeFromNoncentrality(double delta) override;

    void BracketSampleSize() override;
    // The total rounded up to an even number.
    double RoundSampleSize(double n) override;

    bool IsGenericTest() override { return false; }

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    // The checks the X-Y plot makes per point.
    bool CheckSampleSize(int type, double n) override;
    bool CheckGroupSizes(int type, double n1, double n2) override;
    bool CheckEffectSize(int type, double difference) override;

    double APrioriObjective(double x) override;
    double UpdateDf() override;

    // The design: the residual standard deviation and the standard
    // deviations of X in both groups; the means of X only in the test of
    // the intercepts.
    double sigmaResidual = 0.0;
    double sigmaX1 = 0.0;
    double sigmaX2 = 0.0;
    double meanX1 = 0.0;
    double meanX2 = 0.0;

  protected:
    // One of the test's own inputs and the member that keeps it.
    struct DesignInput {
        ParameterId label;
        double PowerTLinReg2::*value;
        bool standardDeviation;  // must be positive; a mean may be any number
    };
    // The own inputs in the order the list shows them.
    virtual std::vector<DesignInput> DesignInputs() const = 0;
    // S for the allocation ratio r = N2/N1.
    virtual double StandardErrorFactor(double r) const = 0;
    // The smallest difference outside A priori: a negative slope difference
    // is tested on the lower side; an intercept difference is its size.
    virtual double SmallestDifference() const = 0;
    // The bracket of the Sensitivity search starts at this difference.
    virtual double EffectBracketStart() const = 0;

    void BracketEffectSize() override;
    void SetCommonStandardValues();
    void CopyStateTo(PowerAnalysis& target) const override;

  private:
    // N2/N1 of the groups the power is computed for; the allocation ratio
    // before group sizes exist.
    double GroupRatio() const;
    // Reads and checks the test's own inputs and takes them; the row of the
    // first that fails, else -1.
    int ReadDesign(PropertyList* inputs);
};

// H0: the slopes of the two regressions are equal; the effect is the slope
// difference.
class PowerTLinReg2Slopes : public PowerTLinReg2 {
  public:
    PowerTLinReg2Slopes();
    PowerAnalysis* Clone() override;

    std::string GetTestName() override;
    ParameterId GetEffectSizeId() override { return kAbsDeltaSlopeId; }
    TestId GetTestId() override { return kTwoSlopesTestId; }
    void SetStandardValues() override;

    // sigma sqrt(r/sigma_x1^2 + 1/sigma_x2^2).
    double SlopeDifferenceSE(double r) const;

  protected:
    std::vector<DesignInput> DesignInputs() const override;
    double StandardErrorFactor(double r) const override { return SlopeDifferenceSE(r); }
    double SmallestDifference() const override;
    double EffectBracketStart() const override { return 1.0; }
};

// H0: the intercepts of the two regressions are equal; the effect is the
// size of the intercept difference.
class PowerTLinReg2Interc : public PowerTLinReg2 {
  public:
    PowerTLinReg2Interc();
    PowerAnalysis* Clone() override;

    std::string GetTestName() override;
    ParameterId GetEffectSizeId() override { return kAbsDeltaInterceptId; }
    TestId GetTestId() override { return kTwoInterceptsTestId; }
    void SetStandardValues() override;

    // sigma sqrt(r (1 + mu_x1^2/sigma_x1^2) + 1 + mu_x2^2/sigma_x2^2).
    double InterceptDifferenceSE(double r) const;

  protected:
    std::vector<DesignInput> DesignInputs() const override;
    double StandardErrorFactor(double r) const override { return InterceptDifferenceSE(r); }
    double SmallestDifference() const override { return 0.0; }
    double EffectBracketStart() const override { return 0.3; }
};
