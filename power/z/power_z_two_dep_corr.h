#pragma once

#include <string>
#include <vector>

#include "numerics/matrix.h"
#include "power/z/power_z.h"

// Two z tests of two Pearson correlations measured on the same N cases:
// the difference of their Fisher z values over its standard error, with the
// covariance of the two z values by Steiger's formulas. Under H0 the second
// correlation equals rho_ab; under H1 it is the effect.
//
// PowerZTwoDepCorrNCI: no common index, rho_ab against rho_cd of four
// variables a, b, c, d. The entries of `correlations`: 0 rho_ab, 1 rho_cd
// (the effect), 2 rho_ac, 3 rho_ad, 4 rho_bc, 5 rho_bd.
class PowerZTwoDepCorrNCI : public PowerZ {
  public:
    PowerZTwoDepCorrNCI();

    PowerAnalysis* Clone() override;

    // The effect as a difference: H1 correlation minus rho_ab.
    double GetEffectSize() override { return effectSize - correlations[0]; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    double ComputePower(double effect, double alpha, double n) override;
    // One sample of N1 + N2 cases.
    double ComputePower2(double effect, double alpha, double n1, double n2) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;
    // Rises through zero on the side of rho_ab that effectDirection names.
    double SensitivityObjective(double x) override;

    std::string GetTestName() override;
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kH1CorrRhoCdId; }
    TestId GetTestId() override { return kDependentCorrelationsTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    bool CheckSampleSize(int type, double n) override;
    bool CheckGroupSizes(int type, double n1, double n2) override;
    // The correlation matrix with the H1 correlation `effect` is positive
    // semi-definite.
    bool CheckEffectSize(int type, double effect) override;
    // A solved effect whose matrix is not valid becomes 2, the value that
    // stands for no solution; true when the effect stays below 2.
    bool AdjustSensitivityEffect(double* effect) override;

    // The model update: se0 and se1 for the current correlations and N;
    // returns se1/se0.
    double GetNoncentralSD() override;

    // Whether the correlation matrix with `second` as the H1 (or H0)
    // correlation is positive semi-definite; false writes `label` and the
    // reason as the message.
    bool CheckMatrix(double second, const std::string& label);

    bool checkMatrix = true;
    double standardError0 = 0.0;  // se of the z difference under H0

    // The correlations of the design, by the entries above.
    double correlations[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

    // The covariance of the two Fisher z values with `second` as the second
    // correlation.
    virtual double Covariance(double second);
    // The correlation matrix of the variables with `second` as the second
    // correlation.
    virtual Matrix CorrelationMatrix(double second);
    // The given correlations in their input order: the label and the entry
    // of `correlations` of each.
    struct GivenCorrelation {
        ParameterId id;
        const char* name;
        int index;
    };
    virtual std::vector<GivenCorrelation> GivenCorrelations();
    virtual std::string DirectionOption(bool above);
    // The z of the H1 correlation minus that of rho_ab, over se0.
    double Shift();
    // Both matrix checks in the test's order; false leaves the message.
    virtual bool CheckBothMatrices(double effect);

  private:
    // Reads and checks the given correlations and takes them for the
    // matrix checks; the row of a failure, else -1. *matrixRow receives
    // the row a matrix that is not valid points at.
    int ReadCorrelations(PropertyList* inputs, int* matrixRow);
    // A solved effect whose matrix is not valid, or whose power misses the
    // one asked for, becomes 2 with the note that there is no solution.
    CalculateStatus CheckEffectFound(const GivenValues& given);
};

// PowerZTwoDepCorrCI: common index, rho_ab against rho_ac of three variables
// a, b, c. The entries of `correlations`: 0 rho_ab, 1 rho_ac (the effect),
// 2 rho_bc.
class PowerZTwoDepCorrCI : public PowerZTwoDepCorrNCI {
  public:
    PowerZTwoDepCorrCI();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override;
    ParameterId GetEffectSizeId() override { return kH1CorrRhoAcId; }
    TestId GetTestId() override { return kDependentCorrelationsCommonIndexTestId; }
    void SetStandardValues() override;

  protected:
    double Covariance(double second) override;
    Matrix CorrelationMatrix(double second) override;
    std::vector<GivenCorrelation> GivenCorrelations() override;
    std::string DirectionOption(bool above) override;
    bool CheckBothMatrices(double effect) override;
};
