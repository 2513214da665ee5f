#pragma once

#include <atomic>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/property.h"
#include "distributions/distribution.h"
#include "numerics/root.h"

struct PlotData;
struct PlotPoint;
struct ProtocolRecord;
struct TestOptions;

// One row of a test's output list: the label of the parameter it shows,
// whether it shows a count (a whole number), and the value a calculation
// leaves for it. A row without a label (a base's id -1) shows nothing.
struct OutputRow {
    std::string label;
    bool integral = false;
    std::function<double()> value;
};

// A test's outputs for one analysis type, in the order the list shows them.
// A test declares them once: BuildOutputList shows each row with "?", and
// GetOutputs writes each value with seven digits.
using OutputTable = std::vector<OutputRow>;

// Appends `rows` to `table`.
void AppendRows(OutputTable& table, const OutputTable& rows);

// What a calculation solves for. The numbers are stored in the selection
// lists and in every test, so they never change.
enum AnalysisType : int {
    kAPriori = 0,      // total sample size from effect size, alpha and power
    kSensitivity = 1,  // effect size from alpha, power and N
    kPostHoc = 2,      // power from effect size, alpha and N
    kCriterion = 3,    // alpha from effect size, power and N
    kCompromise = 4,   // alpha (and power) from effect size, N and beta/alpha
};

// Result of Calculate: a row index >= 0 names the input that failed its check
// (the reason is in GetMessage); the negative values mean success.
using CalculateStatus = int;
constexpr CalculateStatus kCalculateDone = -1;
constexpr CalculateStatus kCalculateDoneWithNote = -2;
constexpr CalculateStatus kCalculateDoneWithNoteNoPlot = -3;

// Index into the table of parameter labels; -1 names no parameter.
using ParameterId = int;
// family * 100 + index, e.g. 201; -1 for no test.
using TestId = int;

// The largest total sample size a test accepts, one below the largest int:
// every count of subjects fits an int, and so does one more.
inline constexpr int kLargestTotalSampleSize = 2147483646;

// Base of every statistical test. One object holds the whole state of a test
// and is itself the function that the root finder solves: Evaluate returns
// the objective of the analysis type being solved.
//
// Failures of a solve. A bracket without a sign change, a solve that ends
// without converging, a function value that is not a number and a bracket
// that had to stop growing all mean that the asked-for target cannot be met
// inside the search range. The solvers never hand back the root finder's
// placeholder (0.0 or an end of the bracket) as if it were an answer: they
// throw a QuorixError, which the calculation driver reports as a failed
// computation. The one exception is the A priori search when the power at
// the smallest admissible N already exceeds the target: that smallest N is
// the answer. A cancelled calculation leaves every loop by CancelledError.
class PowerAnalysis : public Root {
  public:
    PowerAnalysis();
    PowerAnalysis(const PowerAnalysis&) = delete;
    PowerAnalysis& operator=(const PowerAnalysis&) = delete;

    // ---- Root
    bool IsCancelled() override { return cancelled.load(std::memory_order_relaxed); }
    double Evaluate(double x) override;

    virtual ~PowerAnalysis();
    // A new object of the concrete class, built by its constructor and given
    // the state of this one (see CopyStateTo).
    virtual PowerAnalysis* Clone() = 0;

    virtual double GetEffectSize() { return effectSize; }
    virtual double GetCriticalValue() { return criticalValue; }
    // beta of the last calculation, at the stored effect, alpha and N.
    virtual double GetBeta() { return ComputeBeta(effectSize, alpha, sampleSize); }
    virtual double GetLowerCriticalValue() { return -criticalValue; }
    // The largest density the distribution graph admits.
    virtual double GetDensityCap() { return 3.0; }
    virtual void SetCentralDistribution();
    virtual void SetNoncentralDistribution();

    // ---- solvers of the five analysis types
    virtual double SolveEffectSize(double alpha, double power, double n);
    virtual double SolveEffectSize2(double alpha, double power, double n1, double n2);
    virtual double ComputePower(double effect, double alpha, double n);
    virtual double ComputePower2(double effect, double alpha, double n1, double n2);
    // beta at these inputs, summed on its own side and never formed as
    // 1 - power: with alpha far below 1e-16 beta can be too, where 1 - power
    // is 0. The base's is the lower tail of the noncentral distribution at
    // the critical value of ComputePower; a test with a power of its own
    // sums its beta over its own acceptance region.
    virtual double ComputeBeta(double effect, double alpha, double n);
    virtual double SolveAlpha(double effect, double power, double n);
    virtual double SolveAlpha2(double effect, double power, double n1, double n2);
    virtual double SolveCompromise(double effect, double q, double n);
    virtual double SolveCompromise2(double effect, double q, double n1, double n2);
    virtual double SolveSampleSize(double effect, double alpha, double power, bool round);

    // ---- conversions (identities in the base)
    virtual double EffectFromNoncentrality(double x) { return x; }
    virtual double NoncentralityFromEffect(double effect) { return effect; }
    virtual double SampleSizeFromNoncentrality(double x) { return x; }
    virtual double EffectForSolving(double x) { return x; }
    virtual double EffectForPlotting(double x) { return x; }

    // ---- brackets: set bracketLow and bracketHigh for the next solve
    virtual void BracketSampleSize();
    virtual void BracketEffectSize();
    virtual void BracketAlpha();
    virtual void BracketCompromiseAlpha() { BracketAlpha(); }
    // N rounded to ten decimals, then up to the next whole number.
    virtual double RoundSampleSize(double n);

    // ---- names and flags
    virtual std::string GetTestName() { return std::string(); }
    virtual std::string GetFamilyName() { return std::string(); }
    virtual std::string GetStatisticName() { return std::string(); }
    virtual bool IsGenericTest() { return true; }
    virtual bool IsContinuous() { return true; }
    virtual bool UsesChiSquarePlot() { return true; }
    virtual bool HasDistributionPlot() { return true; }
    virtual bool SampleSizeCurveFlag() { return false; }
    virtual bool HasOptions() { return false; }
    virtual ParameterId GetCriticalValueId() { return -1; }
    virtual ParameterId GetNoncentralityId() { return -1; }
    virtual ParameterId GetEffectSizeId() { return -1; }
    // Bits of the degrees-of-freedom outputs: 1 "Df", 2 "Numerator df",
    // 4 "Denominator df".
    virtual int GetDfOutputMask() { return 0; }
    virtual TestId GetTestId() { return -1; }
    virtual std::string GetMethodText() { return std::string(); }
    virtual bool InputsChangeLayout(AnalysisType, PropertyList*) { return false; }
    virtual void SetStandardValues() {}

    // ---- options: what the options dialog shows and writes back, declared
    // by the test beside its inputs (analysis/option_declarations.h); none here.
    virtual TestOptions Options();

    // ---- lists, calculation, outputs, protocol
    virtual void GetAnalysisTypes(PropertyList* list);
    virtual void GetGenericAnalysisTypes(PropertyList* list);
    virtual void BuildInputList(AnalysisType, PropertyList*) {}
    virtual CalculateStatus Calculate(AnalysisType, PropertyList*) { return kCalculateDone; }
    // The output table of `type`; the base's is StandardOutputs.
    virtual OutputTable Outputs(AnalysisType type);
    virtual void BuildOutputList(AnalysisType type, PropertyList* outputs);
    virtual void GetOutputs(AnalysisType type, PropertyList* outputs);
    virtual void MakeProtocolRecord(ProtocolRecord* record, PropertyList* inputs,
                                    PropertyList* outputs, PropertyList* analysisTypes,
                                    int chosenIndex);

    // ---- distribution graph
    virtual void SampleUpperTailCurves(PlotData* plot, double xMin, double xMax, double yLimit);
    virtual void SampleLowerTailCurves(PlotData* plot, double xMin, double xMax, double yLimit);
    virtual void MakeLowerTailPlot(PlotData* plot);
    virtual void MakeUpperTailPlot(PlotData* plot);
    virtual void MakeDistributionPlot(PlotData* plot);

    // The whole groups of a two-group A priori answer: the total n that the
    // search found, split by the allocation ratio N2/N1 with N1 rounded to
    // the nearest whole number and N2 the rest (equal allocation gives equal
    // groups; every group keeps one subject). Rounding N1 down can cost a
    // little power, so where that split falls short of the target the next
    // totals are split by the same rule until one reaches it. Leaves the
    // groups, the total and the actual power in the members.
    void SplitAPrioriTotal(double n, double allocation, double effect, double alphaValue,
                           double target);
    // That rule for one total, without the search.
    static void SplitTotal(double total, double allocation, double* n1, double* n2);
    // The smallest whole total whose split gives both groups at least
    // minGroup subjects, looked for below `bound` (a total known to give
    // them), else `bound`. The lower end of a two-group A priori search:
    // a bound from the allocation ratio alone lies above totals that the
    // rounding of the split already makes admissible, and the smallest
    // answer may be one of them.
    static double SmallestSplitTotal(double allocation, double minGroup, double bound);
    // After SplitAPrioriTotal, for the tests whose search runs over real
    // splits: near the lowest total a real split has fewer subjects in the
    // small group than the whole split of the same total, so the search can
    // end above totals whose whole split already reaches the target. Steps
    // the total down while the next smaller one splits into groups of at
    // least minGroup that still reach it; leaves the same members. Only
    // where the real split of the answer leaves the small group less than
    // one subject above minGroup.
    void StepDownAPrioriTotal(double allocation, double minGroup, double effect, double alphaValue,
                              double target);

    // Whether the power at maxSampleSize stays strictly below the target.
    virtual bool IsTargetPowerUnreachable(const double* effect, double alpha, double targetPower);
    virtual bool AdjustSensitivityEffect(double*) { return true; }

    // ---- messages and checks of the inputs
    virtual std::string GetMessage() { return messages.str(); }
    virtual void ClearMessage();
    virtual bool CheckSampleSize(int, double) { return true; }
    virtual bool CheckGroupSizes(int, double, double) { return true; }
    virtual bool CheckEffectSize(int, double) { return true; }
    virtual bool CheckAlpha(int, double alpha);
    virtual bool CheckPower(int, double power);

    // ---- objectives (Evaluate dispatches on analysisType)
    virtual double SensitivityObjective(double x);
    virtual double CriterionObjective(double x);
    virtual double CompromiseObjective(double x);
    virtual double APrioriObjective(double x);

    // ---- bracket procedures for the tests' own bracket operations
    void BracketSampleSizeFrom(double lo, double hi);
    void BracketFromStart(double lo, double hi, double start);

    // ---- non-virtual input checks: true when admissible, else the message
    // is appended to `messages` (numbers in the stream's default format).
    bool CheckAllocationRatio(double ratio, double min);
    bool CheckRatio(double q, double lo, double hi);
    bool CheckAlphaRange(double alpha);
    bool CheckCorrelation(std::string name, double r);
    bool CheckNamedRange(std::string name, double value, double margin);
    bool CheckDfAtLeastOne(double df);
    bool CheckDfMinimum(double df, double min);
    bool CheckEffectSizeAbove(std::string name, double value, double min);
    bool CheckEffectSizeNonNegative(std::string name, double value);
    bool CheckEffectSizeOutside(std::string name, double value, double lo, double hi);
    bool CheckEffectSizeRange(std::string name, double value, double lo, double hi);
    bool CheckAtLeastTwoGroups(int k);
    bool CheckMinimumGroups(int k, int min);
    bool CheckAprioriEffectNonZero(std::string name, double value, double reference);
    bool CheckNoncentralityNonNegative(std::string name, double value);
    bool CheckNumberOfCovariates(int covariates, int groups, int n);
    bool CheckOddsRatio(double oddsRatio, double min);
    bool CheckPowerAboveAlpha(double alpha, double power);
    bool CheckPowerRange(double power);
    bool CheckAtLeastOnePredictor(int p);
    bool CheckNamedRangeInclusive(std::string name, double value, double margin);
    bool CheckProportion(std::string name, double p);
    // lo <= value <= hi; the message names the input by `name`, its label.
    bool CheckValueRange(std::string name, double value, double lo, double hi);
    bool CheckNonsphericity(double epsilon, int m);
    bool CheckEffectRatio(double ratio, double min);
    bool CheckEffectGivesProportion(double effect, double p, double margin);
    bool CheckAtLeastTwoMeasurements(int m);
    bool CheckAtLeastOneResponse(int p);
    bool CheckSampleSizeMinimum(int n, int min);
    bool CheckSampleSizeRange(int n, int lo, int hi);
    bool CheckStandardError(double sigma, double min);
    bool CheckSampleSizeAboveGroups(int n, int k);
    bool CheckSampleSizeAbovePredictors(int n, int p);
    bool CheckSampleSizeAboveMeasurements(int n, int m);
    bool CheckSampleSizeAboveResponses(int n, int p);
    bool CheckTotalSampleSizeAboveResponses(int n, int p);
    // A note, not an error: the caller goes on with the average group size
    // and returns kCalculateDoneWithNote. k < 1 is no group count to check.
    bool CheckSampleSizeMultipleOfGroups(int n, int k);
    bool CheckTotalSampleSize(int n, int lo, int hi);

    // ---- output rows (outputs.cpp), for a test's Outputs
    // The noncentrality, the critical value and the df the test shows, then
    // what the type solves for.
    OutputTable StandardOutputs(AnalysisType type);
    // The generic tests take the noncentrality as their effect.
    OutputTable GenericOutputs(AnalysisType type);
    // What the type solves for (total and actual power, the effect, power,
    // alpha, beta), after a test's own rows.
    OutputTable TypeOutputs(AnalysisType type);
    // The df rows of GetDfOutputMask, in the order Df, numerator, denominator.
    OutputTable DfOutputs();
    // A row of the parameter `id` (none for an id outside the table).
    OutputRow Row(ParameterId id, std::function<double()> value, bool integral = false);
    OutputRow CountRow(ParameterId id, std::function<double()> value) {
        return Row(id, std::move(value), true);
    }
    OutputRow LabelRow(std::string label, std::function<double()> value);
    OutputRow AlphaRow();
    OutputRow PowerRow();
    OutputRow BetaRow();  // from GetBeta, not 1 - power
    OutputRow ActualPowerRow();
    OutputRow ActualAlphaRow();
    OutputRow ActualRatioRow();
    OutputRow CriticalValueRow(ParameterId id);
    // The smaller and the larger of the two critical values.
    OutputRow LowerCriticalRow(ParameterId id, bool integral = false);
    OutputRow UpperCriticalRow(ParameterId id, bool integral = false);
    OutputRow NoncentralityRow(ParameterId id);  // NoncentralityFromEffect(effectSize)
    OutputRow EffectSizeRow(ParameterId id, bool second = false);
    OutputRow DfRow(bool integral = true);
    OutputRow NumeratorDfRow(bool integral = true);
    OutputRow DenominatorDfRow(bool integral = true);
    OutputRow TotalSampleSizeRow();
    OutputRow SampleSize1Row();
    OutputRow SampleSize2Row();

    // ---- input readers (defined with the parameter-name table): each finds
    // the input by its label, writes its row, evaluates a formula text and
    // remembers the text read in inputTexts.
    double ReadAlpha(PropertyList* inputs, int* row);
    double ReadPower(PropertyList* inputs, int* row);
    double ReadRatio(PropertyList* inputs, int* row);
    double ReadAllocationRatio(PropertyList* inputs, int* row);
    double ReadDiscordantProportion(PropertyList* inputs, int* row);
    double ReadProportionP2(PropertyList* inputs, int* row);
    double ReadARE(PropertyList* inputs, int* row);
    double ReadRelativeSD(PropertyList* inputs, int* row);
    double ReadMomentP2(PropertyList* inputs, int* row);
    double ReadMomentP3(PropertyList* inputs, int* row);
    double ReadDouble(PropertyList* inputs, ParameterId id, int* row);
    double ReadEffectSize(PropertyList* inputs, int* row, ParameterId id);
    double ReadDoubleByLabel(PropertyList* inputs, std::string label, int* row);
    double ReadNumeratorDf(PropertyList* inputs, int* row);
    double ReadDenominatorDf(PropertyList* inputs, int* row);
    double ReadDf(PropertyList* inputs, int* row);
    long ReadCount(PropertyList* inputs, int* row, ParameterId id);
    long ReadCountById(PropertyList* inputs, ParameterId id, int* row);
    long ReadNumberOfCovariates(PropertyList* inputs, int* row);
    long ReadResponseVariables(PropertyList* inputs, int* row);
    long ReadSampleSize1(PropertyList* inputs, int* row);
    long ReadSampleSize2(PropertyList* inputs, int* row);
    int ReadTails(PropertyList* inputs, int* row);
    int ReadEffectDirection(PropertyList* inputs, int* row);
    int ReadParentDistribution(PropertyList* inputs, int* row);
    int ReadXDistribution(PropertyList* inputs, int* row);

    // ---- input factories (defined with the standard inputs): each appends
    // one input showing the remembered text of its label, or the member (a
    // factory with a `value` or `count`: that number, which the test keeps
    // itself).
    void AddAlphaInput(PropertyList* inputs);
    void AddPowerInput(PropertyList* inputs);
    void AddRatioInput(PropertyList* inputs);
    void AddAllocationRatioInput(PropertyList* inputs, ParameterId id);
    void AddNoncentralityInput(PropertyList* inputs, ParameterId id);
    void AddDoubleInputByLabel(PropertyList* inputs, std::string label, double value);
    void AddDoubleInput(PropertyList* inputs, ParameterId id, double value);
    void AddProportionP2Input(PropertyList* inputs, double value);
    void AddMomentP2Input(PropertyList* inputs, double value);
    void AddMomentP3Input(PropertyList* inputs, double value);
    void AddDiscordantProportionInput(PropertyList* inputs, double value);
    void AddAREInput(PropertyList* inputs, double value);
    void AddRelativeSDInput(PropertyList* inputs);
    void AddNumeratorDfInput(PropertyList* inputs, bool integral);
    void AddDenominatorDfInput(PropertyList* inputs, bool integral);
    void AddDfInput(PropertyList* inputs, bool integral);
    void AddSampleSizeInput(PropertyList* inputs, ParameterId id);
    void AddSampleSize1Input(PropertyList* inputs);
    void AddSampleSize2Input(PropertyList* inputs);
    void AddCountInput(PropertyList* inputs, ParameterId id);
    void AddLongInput(PropertyList* inputs, int offset, ParameterId id);
    void AddNumberOfCovariatesInput(PropertyList* inputs, double count);
    void AddResponseVariablesInput(PropertyList* inputs, double count);
    void AddMeasurementsInput(PropertyList* inputs, ParameterId id, double count);
    void AddEffectSizeInput(PropertyList* inputs, ParameterId id, TestId testId,
                            std::string helpText, bool panel);
    void AddTailsInput(PropertyList* inputs);
    void AddEffectDirectionInput(PropertyList* inputs, std::string option0, std::string option1);
    void AddParentDistributionInput(PropertyList* inputs, int defaultIndex, bool withMinARE);
    void AddXDistributionInput(PropertyList* inputs, int defaultIndex, bool withoutManual);
    void RememberInputs(PropertyList* inputs);

    // ---- state
    Distribution* distribution = nullptr;  // owned; created by the concrete test
    double maxSampleSize = 100000.0;       // where IsTargetPowerUnreachable looks
    double bracketLow = 0.0;
    double bracketHigh = 0.0;
    double effectDirection = 0.0;  // +1 or -1, the side a Sensitivity search takes
    double df = 0.0;
    double numeratorDf = 0.0;
    double denominatorDf = 0.0;
    double criticalValue = 0.0;
    double criticalValue2 = 0.0;
    double ratio = 0.0;  // beta/alpha ratio q
    double alpha = 0.0;
    double power = 0.0;
    double groupSize1 = 0.0;
    double groupSize2 = 0.0;
    double allocationRatio = 1.0;  // N2/N1
    double effectSize = 0.0;
    double effectSize2 = 0.0;
    double sampleSize = 0.0;
    double groupCount = 0.0;
    double predictorCount = 0.0;
    double relativeSD = 0.0;
    double actualPower = 0.0;
    double actualAlpha = 0.0;
    double actualRatio = 0.0;
    bool exactFlag = false;  // whole group sizes
    bool oneTailed = true;
    int analysisType = kAPriori;
    std::ostringstream messages;
    PropertyList inputTexts;  // the text last read per input label
    // Written by the user-interface thread while a worker runs.
    std::atomic<bool> cancelled{false};

  protected:
    // Copies every member a Clone carries into `target`, which the concrete
    // Clone has just built with its constructor: the numbers, exactFlag,
    // oneTailed, analysisType, a copy of inputTexts and the parameters of
    // the distribution (so that a clone draws the graph its source drew).
    // The distribution object, the message text and the cancel flag stay
    // the target's own. A class with members of its own that a clone must
    // carry overrides it, calls this one and copies them; `target` is then
    // of its class.
    virtual void CopyStateTo(PowerAnalysis& target) const;

    // The usual Clone: a new Test from its default constructor, given the
    // state of this one (CopyStateTo).
    template <class Test>
    Test* CloneAs() const {
        auto* copy = new Test;
        CopyStateTo(*copy);
        return copy;
    }

    // Root::Solve over [bracketLow, bracketHigh] with the failure rule of
    // this class: throws QuorixError unless the solve converged. With
    // lowEndIsAnswer, an objective already positive at both ends gives
    // bracketLow (the smallest N already reaches the power asked for).
    double SolveInBracket(const char* where, int maxit, bool lowEndIsAnswer = false);

    // The critical value of a test that rejects in the upper tail of its
    // central distribution, at alpha, into criticalValue; leaves the
    // distribution central. The tail is taken on its own side: 1 - alpha
    // rounds to 1 below 1.1e-16 and keeps no relative digits of alpha
    // above it, so no test takes Quantile(1 - alpha).
    void SetCentralCriticalValue(double alphaValue);

    // Evaluate after a look at the cancel flag; the bracket loops use it.
    double Probe(double x);
};
