#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/option_declarations.h"
#include "power/z/covariate_integrands.h"
#include "power/z/enumeration_workspace.h"
#include "power/z/power_z.h"

class EnumerationWorkspace;

// What the regression tests of one covariate X (logistic and Poisson
// regression) share: the covariate's distribution and parameters, the
// variances of the slope, the options choosing between the large-sample z
// test and the enumeration method (a chi-square test on the expected data
// set while N stays below enumerationMaxN), and what follows from that
// choice: the statistic, its critical values and its plot. Calculate reads
// the inputs in the order of the analysis type, checks them and solves; a
// test adds only its own model inputs, the checks of its effect, what it
// keeps of the design and how it finds the effect in Sensitivity.
// The regressions' options: the computation, enumeration (0) or large
// sample (1), with the enumeration's limit of N and statistic, Wald (0) or
// likelihood ratio (1), and the large sample's procedure, Demidenko (0) or
// the other (1), and variance correction. The logistic regression adds its
// effect input, the odds ratio (0) or Pr(Y=1|X=1) H1 (1).
inline constexpr int kEnumerationOption = 1218;
inline constexpr int kEnumerationLimitOption = 1137;
inline constexpr int kEnumerationStatisticOption = 1217;
inline constexpr int kProcedureOption = 1219;
inline constexpr int kVarianceCorrectionOption = 1019;
inline constexpr int kOddsRatioInputOption = 1220;

class PowerZCovariateRegress : public PowerZ {
  public:
    double GetLowerCriticalValue() override;
    void SetCentralDistribution() override;
    // The chi-square statistic of the enumeration, else the normal one of
    // NormalUnderH1.
    void SetNoncentralDistribution() override;
    void SetStandardValues() override;

    std::string GetMethodText() override;

    std::string GetStatisticName() override;
    bool IsGenericTest() override { return false; }
    bool HasOptions() override { return true; }
    // The computation's choices, in the order they are written.
    std::vector<TestOption> ComputationOptions();
    bool UsesChiSquarePlot() override { return UsesEnumeration(); }
    ParameterId GetCriticalValueId() override;
    ParameterId GetNoncentralityId() override;
    int GetDfOutputMask() override { return UsesEnumeration() ? 1 : 0; }
    // A change of the covariate's distribution rebuilds the input list.
    bool InputsChangeLayout(AnalysisType type, PropertyList* inputs) override;

    void MakeDistributionPlot(PlotData* plot) override;
    bool CheckSampleSize(int type, double n) override;
    void BracketSampleSize() override;

    // Reads the covariate and the test's own inputs, checks them in their
    // order and solves the analysis type.
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;
    void GetOutputs(AnalysisType type, PropertyList* outputs) override;

    // The enumeration method is switched on and N lies below its limit.
    bool EnumerationApplies();
    // ... and there is a covariate distribution to enumerate (the manual
    // mode has none).
    bool UsesEnumeration();

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
    double otherR2 = 0.0;
    double enumerationNoncentrality = 0.0;
    // Options of the test's options dialog.
    bool useEnumeration = false;
    bool enumerationWald = true;
    bool demidenko = true;
    bool varianceCorrection = true;
    double enumerationMaxN = 10000.0;

  protected:
    // The input list up to the test's own inputs: the manual mode is left
    // while the enumeration method applies, then the tails.
    void StartInputList(PropertyList* inputs);
    // R^2 of the other covariates, the X distribution and its parameters.
    void AddCovariateInputs(PropertyList* inputs);
    // The checks and stores of the covariate's parameters; the row of the
    // failing input, or -1.
    int ReadCovariate(PropertyList* inputs);
    // Which of the covariate's parameters, 1 or 2 in the order of the list,
    // takes its moments beyond what the test's variances can carry, once
    // the parameters have passed their range checks; 0 for neither. The
    // limits differ: the logistic model saturates where the Poisson one
    // keeps growing.
    virtual int UnrepresentableParameter(double first, double second) = 0;

    // The inputs of the test's model read after R^2 other X, checked and
    // stored; the row of a failing one, or -1.
    virtual int ReadModelInputs(PropertyList*) { return -1; }
    // An effect the test cannot tell from none is refused as soon as it is
    // read; false with the message.
    virtual bool CheckEffectDiffers(double) { return true; }
    // The effect's range, checked after the other given inputs are read;
    // false with the message.
    virtual bool CheckEffectInput(AnalysisType type, double effect) = 0;
    // What the test keeps of N and the effect once the given inputs have
    // passed their checks, before the slope variances are computed.
    virtual void KeepDesign(double n, double effect) = 0;

    // What Sensitivity is given, with the rows to refuse it on.
    struct SensitivityGiven {
        double alpha = 0.0;
        double power = 0.0;
        long n = 0;
        int direction = 0;
        int alphaRow = -1;
        int powerRow = -1;
        int nRow = -1;
    };
    // Reads those inputs in the test's order: of two inputs that cannot be
    // read, the first one read is the one refused.
    virtual SensitivityGiven ReadSensitivityGiven(PropertyList* inputs) = 0;
    // The effect of the chosen side whose power at N is `powerValue`.
    virtual double SolveSensitivity(double alphaValue, double powerValue);

    // The power of the enumeration method: the chi-square test of the
    // expected data set of `effectiveN` subjects (at most enumerationMaxN).
    double EnumerationPower(double alphaValue, double effectiveN);
    // Builds the expected data set of `n` subjects of the model in
    // `workspace`, whose covariate is set, and returns the power at `level`.
    virtual double Enumerate(EnumerationWorkspace& workspace, int n, double level) = 0;
    // The numbers of the test's model that Enumerate passes on, besides the
    // covariate, N and the statistic: with those they fix the data set.
    virtual std::array<double, 3> EnumeratedModel() const = 0;
    // The mean and standard deviation of the z statistic under H1 for the
    // graph, after GetNoncentralSD.
    virtual void NormalUnderH1(double* mean, double* sd) = 0;

    // The slope variances at the effect `effect`, computed once before any
    // search uses them. Where the covariate's moments cannot be computed
    // over its range (an integral or sum overflows or cannot be done in
    // bounded time), returns the row of the covariate's parameter with a
    // message; else -1.
    int CheckSlopeVariances(double effect, PropertyList* inputs);
    // Whether the covariate's variance, as stored, is so small that its
    // inverse overflows (a normal sigma of 1e-300): X then carries no
    // information on the slope in any analysis, whatever its mean.
    bool CovariateVarianceVanishes() const;
    // The refusal of CheckSlopeVariances: the row of the parameter that sets
    // the covariate's scale or tail, with the message.
    int RefuseCovariate(PropertyList* inputs);
    // After a Compromise solve: where the power is 1 (or alpha) at every
    // alpha the search can reach, the search ends at its bound with a beta /
    // alpha that is not q. That is a failure, never a result. beta is the
    // one the search solved with, from the acceptance region: 1 - power has
    // no digits left where alpha and beta lie below 1e-16.
    void CheckCompromiseRatio(double q, double beta) const;
    // An input the refusals below may trace the failure to: its label and
    // the member that holds its value.
    struct Setting {
        ParameterId id;
        double* value;
    };
    // The test's own model inputs of that kind, in the order of the list.
    virtual std::vector<Setting> ModelSettings() { return {}; }
    // The covariate's parameters of that kind.
    std::vector<Setting> CovariateSettings();
    // Whether alpha `level` gives more power than Criterion's target, or a
    // beta / alpha below Compromise's ratio `target`, at N = n.
    bool PassesAtAlpha(AnalysisType type, double effect, double target, double n, double level);
    struct GivenRows {
        int effect;
        int n;
    };
    // Criterion and Compromise whose search found its answer below `floor`,
    // the smallest alpha it takes: the power is (nearly) 1 at every alpha
    // there is. Refused with that reason; the row of the input that puts the
    // answer out of reach.
    int RefuseBelowAlphaFloor(AnalysisType type, double effect, double target, double n,
                              double floor, GivenRows rows, PropertyList* inputs);
    // Copies the members above; the tests' clones add their own.
    void CopyCovariateStateTo(PowerZCovariateRegress* copy) const;

    // The covariate's code and its parameters; b is 0 for a covariate of one
    // parameter.
    struct CovariateParameters {
        int code;
        double a, b;
    };
    CovariateParameters GetCovariateParameters() const;
    // The slope variances last integrated over the covariate (or summed
    // over its counts) for the intercept beta0, the slope beta1 and the H0
    // rule `rule`, under the covariate and correction set now: true with
    // them in var0 and var1, false where they were not the last computed.
    // They do not depend on N or alpha, so a search over either integrates
    // once; KeepVariances stores them after a computation that succeeded.
    bool RecallVariances(double beta0, double beta1, int rule, double* var0, double* var1) const;
    void KeepVariances(double beta0, double beta1, int rule, double var0, double var1);

  private:
    // What fixes the integrals: the covariate, beta0, beta1, the rule and
    // the correction, compared bit for bit.
    using VarianceInputs = std::array<double, 7>;
    VarianceInputs VarianceInputsOf(double beta0, double beta1, int rule) const;
    struct IntegratedVariances {
        VarianceInputs inputs;
        double var0, var1;
    };
    std::optional<IntegratedVariances> lastIntegrated_;
    // What fixes an expected data set and so its noncentrality.
    struct EnumeratedDesign {
        std::array<double, 3> model;
        int covariate;
        double a, b;
        int n;
        bool wald;
        bool operator==(const EnumeratedDesign&) const = default;
    };
    struct EnumerationResult {
        EnumeratedDesign design;
        double noncentrality;
    };
    // The enumerations of the designs met last, newest at the back: a
    // search for N asks again for the totals it has tried (the power is a
    // step function of N, and the root finder moves between the two sides
    // of a step), and a search for alpha for one design throughout.
    std::vector<EnumerationResult> enumerated_;
    // The expected data set and its fit: their columns are as long as the
    // data set, kept from one evaluation to the next so that the memory is
    // not handed back to the system and faulted in again at every one.
    std::unique_ptr<EnumerationWorkspace> workspace_;
};
