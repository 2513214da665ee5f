#pragma once

#include <string>

#include "power/f/power_f.h"

// Linear multiple regression, fixed model: the test that R^2 of p
// predictors differs from zero, with Cohen's effect size f^2. Numerator df
// p, denominator df N - p - 1, lambda = f^2 N.
class PowerFMRCGlobal : public PowerF {
  public:
    PowerFMRCGlobal();

    PowerAnalysis* Clone() override { return CloneAs<PowerFMRCGlobal>(); }

    double EffectFromNoncentrality(double lambda) override { return lambda / sampleSize; }
    double NoncentralityFromEffect(double f2) override { return f2 * sampleSize; }
    double SampleSizeFromNoncentrality(double lambda) override { return lambda / effectSize; }
    // From the smallest N that leaves one denominator df.
    void BracketSampleSize() override {
        BracketSampleSizeFrom(predictorCount + 2.0, predictorCount + 100.0);
    }
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.3); }

    std::string GetTestName() override {
        return "Linear multiple regression: Fixed model, R$^2$ deviation from zero";
    }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeF2Id; }
    int GetDfOutputMask() override { return 6; }  // numerator and denominator df
    TestId GetTestId() override { return kRegressionR2TestId; }
    // Keeps the number of predictors.
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    bool CheckSampleSize(int, double n) override;
    // With the flag set f^2 = 0 is admissible (every type but A priori).
    bool CheckEffectSize(int zeroAllowed, double f2) override;

    void UpdateDf() override { SetDf(TestedPredictors(), sampleSize - predictorCount - 1.0); }

    // On the critical value (PowerF::SolveOnCriticalValue), else as the
    // base searches.
    double SolveAlpha(double effect, double power, double n) override;
    double SolveCompromise(double effect, double q, double n) override;

  protected:
    // The predictors whose contribution is tested: the numerator df.
    virtual double TestedPredictors() { return predictorCount; }
    // The largest f^2 admitted.
    virtual double MaxEffect() { return 50.0; }
    // Reads and checks the design inputs; the failing row, or -1 with the
    // total and the tested number of predictors in *p and *q.
    virtual int ReadDesign(PropertyList* inputs, long* p, long* q);
    virtual void AddDesignInputs(PropertyList* inputs);
    virtual void SetDesign(long p, long q);
};

// The test of the increase of R^2 that q of the p predictors bring:
// numerator df q, denominator df N - p - 1, lambda = f^2 N. The tested
// number is kept in groupCount.
class PowerFMRCSpecial : public PowerFMRCGlobal {
  public:
    PowerFMRCSpecial();

    PowerAnalysis* Clone() override { return CloneAs<PowerFMRCSpecial>(); }

    std::string GetTestName() override {
        return "Linear multiple regression: Fixed model, R$^2$ increase";
    }
    TestId GetTestId() override { return kRegressionR2IncreaseTestId; }
    void SetStandardValues() override;

  protected:
    double TestedPredictors() override { return groupCount; }
    double MaxEffect() override { return 250.0; }
    int ReadDesign(PropertyList* inputs, long* p, long* q) override;
    void AddDesignInputs(PropertyList* inputs) override;
    void SetDesign(long p, long q) override;
};
