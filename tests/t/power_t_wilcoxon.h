#pragma once

#include <string>

#include "tests/t/power_t_means.h"
#include "tests/t/power_t_one_mean.h"

// The options and the large-sample computation the Wilcoxon tests share.
// Method 1 (A.R.E.) treats the rank test as the t test with its sample size
// multiplied by the asymptotic relative efficiency of the parent; methods 2
// (the effect is p1) and 3 (the effect is d) approximate the rank statistic
// by a normal distribution whose moments under H1 follow from p1, p2, p3.
struct WilcoxonOptions {
    int method = 1;
    // A.R.E. method: the efficiency is entered instead of a parent; normal
    // approximation: the moments are entered and the effect is p1.
    bool manualInput = false;
    bool continuityCorrection = false;
    // The rank statistic is shown standardised (z) rather than as T.
    bool zDistributionPlot = true;
    bool outputMoments = true;
    int lehmannParentCode = 3;

    // The moments of the rank statistic of the last computation.
    double nullMean = 0.0;
    double nullVariance = 0.0;
    double altMean = 0.0;
    double altVariance = 0.0;
    double lowerCriticalT = 0.0;
    double upperCriticalT = 0.0;
    // beta of the last Power, summed on its own side.
    double beta = 0.0;

    bool UsesLehmann() const { return method != 1; }
    bool EffectIsP1() const { return method == 2; }
    std::string MethodText() const;
    std::string StatisticName() const;
    ParameterId CriticalValueId() const;
    // The power of the normal approximation from the moments above, with
    // the critical values (standardised with zDistributionPlot).
    double Power(double alpha, bool oneTailed, double* criticalValue, double* criticalValue2);
};

// The Wilcoxon signed-rank test of one sample against a constant.
class PowerTWilcox1 : public PowerTOneMean {
  public:
    PowerTWilcox1();

    PowerAnalysis* Clone() override;

    double ComputePower(double effect, double alpha, double n) override;
    double ComputePower2(double effect, double alpha, double n1, double n2) override;
    // beta on its own side: the t test's with the A.R.E. method, else the
    // normal approximation's.
    double ComputeBeta2(double effect, double alphaValue, double n1, double n2) override {
        if (!wilcoxon.UsesLehmann()) return PowerT::ComputeBeta2(effect, alphaValue, n1, n2);
        ComputePower2(effect, alphaValue, n1, n2);
        return wilcoxon.beta;
    }
    double SolveEffectSize(double alpha, double power, double n) override;

    double GetLowerCriticalValue() override;
    std::string GetStatisticName() override { return wilcoxon.StatisticName(); }
    bool UsesChiSquarePlot() override { return !wilcoxon.UsesLehmann(); }
    ParameterId GetCriticalValueId() override { return wilcoxon.CriticalValueId(); }
    std::string GetMethodText() override { return wilcoxon.MethodText(); }
    bool HasOptions() override { return true; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    // The normal approximation is drawn on a normal distribution.
    void MakeDistributionPlot(PlotData* plot) override;

    std::string GetTestName() override;
    ParameterId GetEffectSizeId() override;
    TestId GetTestId() override { return kWilcoxonOneSampleTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    void BuildOutputList(AnalysisType type, PropertyList* outputs) override;
    void GetOutputs(AnalysisType type, PropertyList* outputs) override;

    bool CheckEffectSize(int type, double effect) override;
    double SensitivityObjective(double x) override;

    // The efficiency of the parent; an efficiency entered by hand is this
    // test's own.
    double AREFactor() override;
    // p1 below 1/2 counts as its mirror image; stores and returns the effect.
    double StoreEffectSize(double effect);

    WilcoxonOptions wilcoxon;

  protected:
    // The name of the effect in range messages, and the row of the effect
    // as a shift.
    virtual std::string EffectName() { return "d"; }
    virtual ParameterId DOutputId() { return kEffectSizeDId; }
};

// The same test of the differences of matched pairs, with the effect dz.
class PowerTWilcoxPair : public PowerTWilcox1 {
  public:
    PowerAnalysis* Clone() override;
    std::string GetTestName() override;
    TestId GetTestId() override { return kWilcoxonMatchedPairsTestId; }

  protected:
    std::string EffectName() override { return "dz"; }
    ParameterId DOutputId() override { return kEffectSizeDzId; }
};

// The Wilcoxon-Mann-Whitney rank-sum test of two independent groups.
class PowerTWilcox2 : public PowerTMeans {
  public:
    PowerTWilcox2();

    PowerAnalysis* Clone() override;

    double ComputePower(double effect, double alpha, double n) override;
    double ComputePower2(double effect, double alpha, double n1, double n2) override;
    // beta on its own side: the t test's with the A.R.E. method, else the
    // normal approximation's.
    double ComputeBeta2(double effect, double alphaValue, double n1, double n2) override {
        if (!wilcoxon.UsesLehmann()) return PowerT::ComputeBeta2(effect, alphaValue, n1, n2);
        ComputePower2(effect, alphaValue, n1, n2);
        return wilcoxon.beta;
    }
    double SolveEffectSize(double alpha, double power, double n) override;

    double GetLowerCriticalValue() override;
    std::string GetStatisticName() override { return wilcoxon.StatisticName(); }
    bool UsesChiSquarePlot() override { return !wilcoxon.UsesLehmann(); }
    ParameterId GetCriticalValueId() override { return wilcoxon.CriticalValueId(); }
    std::string GetMethodText() override { return wilcoxon.MethodText(); }
    bool HasOptions() override { return true; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    // The normal approximation is drawn on a normal distribution.
    void MakeDistributionPlot(PlotData* plot) override;

    std::string GetTestName() override;
    ParameterId GetEffectSizeId() override;
    TestId GetTestId() override { return kWilcoxonTwoGroupsTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    void BuildOutputList(AnalysisType type, PropertyList* outputs) override;
    void GetOutputs(AnalysisType type, PropertyList* outputs) override;

    bool CheckEffectSize(int type, double effect) override;
    double SensitivityObjective(double x) override;

    double AREFactor() override;
    double StoreEffectSize(double effect);

    WilcoxonOptions wilcoxon;
};
