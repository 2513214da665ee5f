#pragma once

#include <functional>
#include <string>

#include "analysis/option_declarations.h"
#include "power/f/power_f.h"
#include "power/multivariate/power_mult_criterion.h"

// The options of the multivariate tests: the criterion by its statistic and
// its algorithm (ChoiceOfCriterion), and the repeated-measures tests'
// "Use mean correlation in effect size calculation".
inline constexpr int kCriterionStatisticOption = 1124;
inline constexpr int kCriterionAlgorithmOption = 1099;
inline constexpr int kMeanCorrelationOption = 1019;

// The criterion id that the options of `test` choose; -1 for a test without
// the choice.
int ChosenCriterion(PowerAnalysis* test);

// What the MANOVA tests and the repeated-measures tests by the multivariate
// approach share: they own a multivariate criterion, which does every
// conversion between effect, noncentrality, df and N; they name it in their
// method text and show its statistic as their last output.
class PowerFMultivariate : public PowerF {
  public:
    PowerFMultivariate();
    ~PowerFMultivariate() override;

    bool HasOptions() override { return true; }
    std::string GetMethodText() override { return criterion->GetLongName(); }
    OutputTable Outputs(AnalysisType type) override;

    // The options' choice: a fresh criterion of `id` (100 to 107) takes the
    // place of the current one, even one of the same class. False, and
    // nothing changed, for any other id.
    bool SetCriterion(int id);

    PowerMultCriterion* criterion = nullptr;  // owned, never null
    // The criterion statistic of the last calculated effect.
    double criterionValue = 0.0;

  protected:
    // The criterion's two choices; a new pair takes a fresh criterion.
    std::vector<TestOption> CriterionOptions(PanelRebuild panel);
    // A clone with a criterion of its own of the same class.
    template <class Test>
    Test* CloneWithCriterion() const {
        Test* copy = CloneAs<Test>();
        delete copy->criterion;
        copy->criterion = criterion->NewInstance();
        copy->criterionValue = criterionValue;
        return copy;
    }
    // The effect's label without "Effect size ", for the range messages.
    std::string EffectName();
    // The effect range check of every type: (1e-6, 50) for A priori, else
    // (0, 50).
    bool CheckEffectInRange(AnalysisType type, double effect);
    // The path of a design with one total N (DesignPath), whose Criterion
    // search leaves the df of the design.
    ReadCheckSolve MultivariatePath(AnalysisType type, Hook<int()> readDesign,
                                    SmallFunction<void(const GivenValues&), 64> takeDesign);
};

// MANOVA, global effects (test 114): the k group mean vectors of p
// responses differ; hypothesis df k - 1. The effect is f² of the criterion.
class PowerFManovaGlobal : public PowerFMultivariate {
  public:
    PowerFManovaGlobal();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;

    double EffectFromNoncentrality(double lambda) override;
    double NoncentralityFromEffect(double f2) override;
    void BracketSampleSize() override;
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.3); }
    // The search from the criterion's minimum N, then, where it ends there,
    // the smallest total below it that still reaches the target.
    double SolveSampleSize(double effect, double alpha, double power, bool round) override;
    // Up to the next multiple of k.
    double RoundSampleSize(double n) override;

    std::string GetTestName() override { return "MANOVA: Global effects"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return CriterionF2ParamId(*criterion); }
    int GetDfOutputMask() override { return 6; }
    TestId GetTestId() override { return kManovaGlobalTestId; }
    void SetStandardValues() override;
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;

    void UpdateDf() override;

    virtual void SetGroups(double x);
    virtual void SetResponses(double x);
    void SetDesign(int k, int p);

  protected:
    // The hypothesis df of the design.
    virtual int HypothesisDf() { return groups_ - 1; }
    // The design inputs after the sample size.
    virtual void AddDesignInputs(PropertyList* inputs);
    // Reads and checks the design; the failing row, or -1.
    virtual int ReadDesign(PropertyList* inputs);
    virtual bool GivesGroupNote() { return true; }
    // f² 0.0625, N 100, alpha 0.05, power 0.95 and the standard ratio.
    void SetStandardInputs();
    // The lower end of the A priori search: above k and not below the
    // criterion's closed-form minimum N.
    double SearchStart();
    // Whether the total n has a positive denominator df and a power that
    // reaches the target.
    bool ReachesTarget(double n, double effect, double alphaValue, double target);

    int groups_ = 3;
    int responses_ = 2;
};

// MANOVA, special effects and interactions (test 115): one effect with m
// hypothesis df (the number of predictors) inside a k-group design.
class PowerFManovaSpecial : public PowerFManovaGlobal {
  public:
    PowerFManovaSpecial();

    PowerAnalysis* Clone() override;
    double RoundSampleSize(double n) override { return PowerAnalysis::RoundSampleSize(n); }
    std::string GetTestName() override { return "MANOVA: Special effects and interactions"; }
    TestId GetTestId() override { return kManovaSpecialTestId; }
    void SetStandardValues() override;

    void SetPredictors(double x);
    void SetDesign(int k, int m, int p);

  protected:
    int HypothesisDf() override { return predictors_; }
    void AddDesignInputs(PropertyList* inputs) override;
    int ReadDesign(PropertyList* inputs) override;
    bool GivesGroupNote() override { return false; }

    int predictors_ = 3;
};

// Repeated measures by the multivariate approach, between factors (test
// 111): k groups, m measurements per subject, the measurements reduced to
// contrasts and tested with the criterion. The effect is f; with the
// option "Use mean correlation in effect size calculation" it is the
// univariate-style f, converted with the correlation rho among the
// measurements.
class PowerFRepMMultiBetween : public PowerFMultivariate {
  public:
    PowerFRepMMultiBetween();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;

    double EffectFromNoncentrality(double lambda) override;
    double NoncentralityFromEffect(double f) override;
    double SampleSizeFromNoncentrality(double lambda) override;
    void BracketSampleSize() override;
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.3); }
    double RoundSampleSize(double n) override;

    std::string GetTestName() override;
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override;
    int GetDfOutputMask() override { return 6; }
    TestId GetTestId() override { return kManovaRepeatedBetweenTestId; }
    void SetStandardValues() override;
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    bool CheckSampleSize(int type, double n) override;

    void UpdateDf() override;

    // Stores k and the criterion dimensions of the design, the smallest
    // group count and the smallest admissible N.
    void SetDesign(int k, int m);
    void SetGroups(double k);

    bool useMeanCorrelation = true;

    // The correlation among the repeated measures.
    double measuresCorrelation = 0.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

    // The design's hypothesis df and transformed measurements.
    virtual int DesignH(int k, int) { return k - 1; }
    virtual int DesignT(int, int) { return 1; }
    virtual int MinimumGroups() { return 2; }
    // The factor m/((m - 1) rho + 1) of the between test, m/(1 - rho) of
    // the others.
    virtual bool UsesCompoundFactor() { return true; }
    double CorrelationFactor();
    // The criterion's design members, for its repeated-measures conversions.
    void WriteCriterionDesign();

    int groups_ = 2;
    int h_ = 1;
    int t_ = 1;
    double minimumN_ = 0.0;
};

// Within factors (test 112): hypothesis df 1, m - 1 transformed
// measurements; one group is admissible.
class PowerFRepMMultiWithin : public PowerFRepMMultiBetween {
  public:
    PowerAnalysis* Clone() override;
    TestId GetTestId() override { return kManovaRepeatedWithinTestId; }
    bool CheckSampleSize(int type, double n) override;

  protected:
    int DesignH(int, int) override { return 1; }
    int DesignT(int, int m) override { return m - 1; }
    int MinimumGroups() override { return 1; }
    bool UsesCompoundFactor() override { return false; }
};

// Within-between interaction (test 113): k - 1 and m - 1.
class PowerFRepMMultiInter : public PowerFRepMMultiWithin {
  public:
    PowerAnalysis* Clone() override;
    TestId GetTestId() override { return kManovaRepeatedInteractionTestId; }
    double RoundSampleSize(double n) override { return PowerAnalysis::RoundSampleSize(n); }

  protected:
    int DesignH(int k, int) override { return k - 1; }
    int MinimumGroups() override { return 2; }
};
