#pragma once

#include <string>

#include "power/f/power_f.h"

// Hotelling's T^2 test of the mean vector of p response variables in one
// group against a constant vector, with the Mahalanobis distance Delta as
// effect size: numerator df p, denominator df N - p, lambda = Delta^2 N.
// The number of response variables is kept in extraCount.
class PowerFHotellingT2One : public PowerF {
  public:
    PowerFHotellingT2One();

    PowerAnalysis* Clone() override { return CloneAs<PowerFHotellingT2One>(); }

    double EffectFromNoncentrality(double lambda) override;
    double NoncentralityFromEffect(double delta) override { return delta * delta * sampleSize; }
    double SampleSizeFromNoncentrality(double lambda) override {
        return lambda / (effectSize * effectSize);
    }
    // From the smallest N that leaves one denominator df.
    void BracketSampleSize() override {
        BracketSampleSizeFrom(extraCount + 1.0, extraCount + 100.0);
    }
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.3); }

    std::string GetTestName() override { return "Hotellings T$^2$: One group mean vector"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeDeltaId; }
    int GetDfOutputMask() override { return 6; }  // numerator and denominator df
    TestId GetTestId() override { return kHotellingOneGroupTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    bool CheckSampleSize(int, double n) override;
    // Delta = 0 is admissible in every type but A priori.
    bool CheckEffectSize(int type, double delta) override;

    void UpdateDf() override { SetDf(extraCount, sampleSize - extraCount); }
};

// Hotelling's T^2 test of the difference between the mean vectors of two
// independent groups of N1 and N2: numerator df p, denominator df
// N1 + N2 - p - 1, lambda = Delta^2 N1 N2/(N1 + N2). A priori splits the
// total by the allocation ratio N2/N1.
class PowerFHotellingT2Two : public PowerF {
  public:
    PowerFHotellingT2Two();

    PowerAnalysis* Clone() override { return CloneAs<PowerFHotellingT2Two>(); }

    // A total alone stands for two equal groups.
    double ComputePower(double delta, double alpha, double n) override;
    double ComputePower2(double delta, double alpha, double n1, double n2) override;
    // beta at two equal groups or at the given ones, on its own side.
    double ComputeBeta(double effect, double alphaValue, double n) override {
        return ComputeBeta2(effect, alphaValue, n / 2.0, n / 2.0);
    }
    double ComputeBeta2(double effect, double alphaValue, double n1, double n2);
    double GetBeta() override { return ComputeBeta2(effectSize, alpha, groupSize1, groupSize2); }
    double EffectFromNoncentrality(double lambda) override;
    double NoncentralityFromEffect(double delta) override;
    // From the smallest total that leaves one denominator df.
    void BracketSampleSize() override {
        BracketSampleSizeFrom(extraCount + 2.0, extraCount + 100.0);
    }
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.3); }

    std::string GetTestName() override { return "Hotellings T$^2$: Two group mean vectors"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeDeltaId; }
    int GetDfOutputMask() override { return 6; }  // numerator and denominator df
    TestId GetTestId() override { return kHotellingTwoGroupsTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    // A priori shows the two group sizes in place of the total.
    OutputTable Outputs(AnalysisType type) override;
    bool CheckSampleSize(int, double n) override;
    bool CheckGroupSizes(int, double n1, double n2) override;
    bool CheckEffectSize(int type, double delta) override;

    // The searches keep the given split of the total: A priori divides each
    // trial total by the allocation ratio, the others keep N1 and N2.
    double SensitivityObjective(double x) override;
    double CriterionObjective(double x) override;
    double CompromiseObjective(double x) override;
    double APrioriObjective(double x) override;

    void UpdateDf() override;
};
