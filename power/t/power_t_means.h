#pragma once

#include <string>

#include "power/t/power_t.h"

// Asymptotic relative efficiencies of the two-sample rank test against the
// t test, by parent distribution; the t test of means itself uses entry 0.
// Entry 6 stands for an efficiency entered by hand, which the tests that
// take one keep as their own state (AREFactor).
inline constexpr double TwoSampleAREFactors[7] = {
    1.0, 1.0, 1.5, 0.954929658551372, 1.096622711232151, 0.864, 1.0,
};

// The two-sample t test of the difference between two independent means:
// effect size d = (mu1 - mu2)/sigma, group sizes N1 and N2 (N2/N1 the
// allocation ratio), df = N1 + N2 - 2 and delta = d sqrt(N1 N2/(N1 + N2)).
class PowerTMeans : public PowerT {
  public:
    PowerTMeans();

    PowerAnalysis* Clone() override;

    double EffectFromNoncentrality(double delta) override;
    double NoncentralityFromEffect(double d) override;
    double SampleSizeFromNoncentrality(double delta) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;
    // The total rounded up to an even number.
    double RoundSampleSize(double n) override;

    std::string GetTestName() override;
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeDId; }
    TestId GetTestId() override { return kTwoMeansTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    // The checks the X-Y plot makes per point (the first argument is the
    // analysis type); false leaves the reason in the message text.
    bool CheckSampleSize(int type, double n) override;
    bool CheckGroupSizes(int type, double n1, double n2) override;
    bool CheckEffectSize(int type, double d) override;

    double APrioriObjective(double x) override;
    double UpdateDf() override;

    // sqrt(f N1 N2/(N1 + N2)) with f the efficiency factor.
    virtual double GetNoncentralityFactor();
    // The efficiency factor f of df and noncentrality: 1 for this test.
    virtual double AREFactor();

    int areIndex = 0;
};
