#pragma once

#include <optional>
#include <string>

#include "analysis/option_declarations.h"
#include "power/t/power_t_means.h"
#include "power/t/power_t_one_mean.h"

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
    // The moments p1, p2 and p3 of the rank statistic, given or of the
    // parent, and an efficiency entered by hand.
    double momentP1 = 0.0;
    double momentP2 = 0.0;
    double momentP3 = 0.0;
    double manualARE = 0.0;

    bool UsesLehmann() const { return method != 1; }
    bool EffectIsP1() const { return method == 2; }
    std::string MethodText() const;
    std::string StatisticName() const;
    ParameterId CriticalValueId() const;
    // The power of the normal approximation from the moments above, with
    // the critical values (standardised with zDistributionPlot).
    double Power(double alpha, bool oneTailed, double* criticalValue, double* criticalValue2);
};

// The rank tests' options dialog has two pages, the A.R.E. method (page 0)
// and Lehmann's (page 1), each with its own choices.
inline constexpr int kWilcoxonPageOption = 1162;
inline constexpr int kWilcoxonAreSourceOption = 1164;    // 0 the parent, 1 a manual A.R.E.
inline constexpr int kWilcoxonInputMethodOption = 1165;  // 0 the parent, 1 manual moments
inline constexpr int kWilcoxonEffectOption = 1166;       // 0 d, 1 p1
inline constexpr int kWilcoxonPlotOption = 1168;         // 0 z, 1 the rank statistic
inline constexpr int kWilcoxonMomentsOption = 1019;
inline constexpr int kWilcoxonContinuityOption = 1021;

// The method and the manual input that a rank test's options stand for;
// nothing for a test without them.
struct WilcoxonMethodChoice {
    int method = 1;
    bool manualInput = false;
};
std::optional<WilcoxonMethodChoice> ChosenWilcoxonMethod(PowerAnalysis* test);

// The inputs that choose the model of the rank statistic, read and checked
// before those of the analysis type: the parent (its code), the relative
// standard deviation, an efficiency or the moments entered by hand.
struct WilcoxonMethodInputs {
    int code = 0;
    double relativeSD = 1.0;
    double manualARE = 1.0;
    double p2 = 0.0;
    double p3 = 0.0;
};

// A Wilcoxon test on top of the t test whose design it shares (one sample
// or two groups): the options, both methods, the parents and the searches.
// `kSamples` is 1 for the signed-rank tests (one N, taken as two halves)
// and 2 for the rank-sum test (N1 and N2, or the allocation ratio that
// splits the total A priori finds); what a test adds is its name and the
// moments of its rank statistic.
template <class Base, int kSamples>
class PowerTWilcoxon : public Base {
  public:
    // The total N as two halves.
    double ComputePower(double effect, double alpha, double n) override;
    double ComputePower2(double effect, double alpha, double n1, double n2) override;
    // beta on its own side: the t test's with the A.R.E. method, else the
    // normal approximation's.
    double ComputeBeta2(double effect, double alphaValue, double n1, double n2) override;
    double SolveEffectSize(double alpha, double power, double n) override;

    double GetLowerCriticalValue() override;
    std::string GetStatisticName() override { return wilcoxon.StatisticName(); }
    bool UsesChiSquarePlot() override { return !wilcoxon.UsesLehmann(); }
    ParameterId GetCriticalValueId() override { return wilcoxon.CriticalValueId(); }
    std::string GetMethodText() override { return wilcoxon.MethodText(); }
    bool HasOptions() override { return true; }
    // The two pages of the dialog; a new method converts the shown effect
    // between d and p1.
    TestOptions Options() override;
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    // The normal approximation is drawn on a normal distribution.
    void MakeDistributionPlot(PlotData* plot) override;

    ParameterId GetEffectSizeId() override;
    // The values both tests start from; each test adds its own.
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

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

    // The mean and variance of the rank statistic under H1 and H0 from p1,
    // p2, p3, into `wilcoxon`.
    virtual void SetRankMoments(double alpha, double n1, double n2, double p1, double p2,
                                double p3) = 0;

    // A copy of the concrete test that carries the options and the parent.
    template <class Test>
    Test* CloneWilcoxon() const {
        auto* copy = this->template CloneAs<Test>();
        copy->areIndex = this->areIndex;
        copy->wilcoxon = wilcoxon;
        return copy;
    }

  private:
    // Takes the model read into the test's state.
    void TakeMethodInputs(const WilcoxonMethodInputs& read);
    // After the options changed the method from `oldMethod`: the effect the
    // screen shows under `oldEffectLabel`, converted between d and p1.
    void ConvertShownEffect(int oldMethod, bool oldManual, const std::string& oldEffectLabel,
                            OptionScreen& screen);
};

// The Wilcoxon signed-rank test of one sample against a constant.
class PowerTWilcox1 : public PowerTWilcoxon<PowerTOneMean, 1> {
  public:
    PowerTWilcox1();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override;
    TestId GetTestId() override { return kWilcoxonOneSampleTestId; }
    void SetStandardValues() override;

  protected:
    void SetRankMoments(double alpha, double n1, double n2, double p1, double p2,
                        double p3) override;
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
class PowerTWilcox2 : public PowerTWilcoxon<PowerTMeans, 2> {
  public:
    PowerTWilcox2();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override;
    TestId GetTestId() override { return kWilcoxonTwoGroupsTestId; }
    void SetStandardValues() override;

  protected:
    void SetRankMoments(double alpha, double n1, double n2, double p1, double p2,
                        double p3) override;
};

extern template class PowerTWilcoxon<PowerTOneMean, 1>;
extern template class PowerTWilcoxon<PowerTMeans, 2>;
