#pragma once

#include <string>

#include "analysis/option_declarations.h"
#include "power/f/power_f.h"

// Repeated-measures analysis of variance by the univariate approach, the F
// test of the between-subjects factor: k groups, m measurements per
// subject (kept in extraCount) that correlate with rho. Numerator df k - 1,
// denominator df N - k; the total A priori finds is a multiple of k.
//
// The effect size comes in one of four specifications, an option of the
// test: 0 Cohen's f with the correlation among the measures as an input
// (lambda = f^2 u N eps with u from m and rho), 1 and 3 f(V), which holds
// the correlation within it (lambda = f^2 N eps), and 2 f(U), whose
// lambda is f^2 times the denominator df. The within and interaction tests
// derive from this one and add the nonsphericity correction eps.
// The option that holds the specification: a radio group, index = code.
inline constexpr int kEffectSpecificationOption = 1230;

class PowerFRepMBetween : public PowerF {
  public:
    PowerFRepMBetween();

    PowerAnalysis* Clone() override;

    double EffectFromNoncentrality(double lambda) override;
    double NoncentralityFromEffect(double f) override;
    double SampleSizeFromNoncentrality(double lambda) override;
    void BracketSampleSize() override {
        BracketSampleSizeFrom(groupCount + 1.0, groupCount + 100.0);
    }
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.3); }
    // Up to the next multiple of k.
    double RoundSampleSize(double n) override;

    std::string GetTestName() override { return "ANOVA: Repeated measures, between factors"; }
    bool IsGenericTest() override { return false; }
    bool HasOptions() override { return true; }
    // The effect-size specification, one radio group.
    TestOptions Options() override;
    ParameterId GetEffectSizeId() override { return GetEffectSizeIdFor(effectSizeSpecification); }
    int GetDfOutputMask() override { return 6; }  // numerator and denominator df
    TestId GetTestId() override { return kRepeatedBetweenTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    // The standard outputs; the df show their fractions, which a
    // nonsphericity correction below 1 gives them.
    OutputTable Outputs(AnalysisType type) override;
    bool CheckSampleSize(int, double n) override;
    // f = 0 is admissible in every type but A priori; the message names the
    // effect size by the label of its input.
    bool CheckEffectSize(int type, double f) override;

    void UpdateDf() override;

    // Stores k and updates the df.
    virtual void SetNumberOfGroups(double k);
    // f given in specification `from` expressed in specification `to`, for
    // the design given (not the one stored).
    virtual double ConvertEffectSize(double f, int from, int to, double m, double k, double rho,
                                     double n, double eps);
    // The label of the effect-size input of a specification.
    virtual ParameterId GetEffectSizeIdFor(int specification);

    // What the options dialog does when it closes with another
    // specification: the effect shown in `inputs` (the current input list)
    // is converted for the design shown there and becomes the effect, and
    // the text shown, of the new specification's input.
    void ChangeEffectSizeSpecification(int specification, PropertyList* inputs);

    double correlation = 0.5;    // rho among the repeated measures
    double nonsphericity = 1.0;  // eps
    int minimumGroups = 2;
    int effectSizeSpecification = 0;

  protected:
    // u, by which specification 0 weighs f^2 N eps.
    virtual double WeightOfMeasures(double m, double rho) { return m / (1.0 + (m - 1.0) * rho); }
    // The between weight rests on the compound-symmetric covariance.
    virtual bool UsesCompoundSymmetry() { return true; }
    // The denominator df of a design: (N - k) eps here.
    virtual double ErrorDf(double n, double k, double m, double eps);
    // Whether the test reads the nonsphericity correction.
    virtual bool ReadsNonsphericity() { return false; }
    // Copies the members of this class into a clone.
    void CopyRepeatedStateTo(PowerFRepMBetween& target) const;
};

// The F test of the within-subjects factor: numerator df (m - 1) eps,
// denominator df (N - k)(m - 1) eps, and u = m/(1 - rho). A single group is
// a design.
class PowerFRepMWithin : public PowerFRepMBetween {
  public:
    PowerFRepMWithin();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override { return "ANOVA: Repeated measures, within factors"; }
    TestId GetTestId() override { return kRepeatedWithinTestId; }

    void UpdateDf() override;

  protected:
    double WeightOfMeasures(double m, double rho) override { return m / (1.0 - rho); }
    bool UsesCompoundSymmetry() override { return false; }
    double ErrorDf(double n, double k, double m, double eps) override;
    bool ReadsNonsphericity() override { return true; }
};

// The F test of the within-between interaction: numerator df
// (k - 1)(m - 1) eps, the rest as in the within test.
class PowerFRepMInteraction : public PowerFRepMWithin {
  public:
    PowerFRepMInteraction();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override {
        return "ANOVA: Repeated measures, within-between interaction";
    }
    TestId GetTestId() override { return kRepeatedInteractionTestId; }

    void UpdateDf() override;
};
