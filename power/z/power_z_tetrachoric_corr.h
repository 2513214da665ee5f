#pragma once

#include <string>

#include "analysis/option_declarations.h"
#include "power/z/power_z.h"

// The z test of a tetrachoric correlation: two dichotomised variables from
// a standard bivariate normal distribution with correlation rho, cut where
// P(X = 1) and P(Y = 1) are the marginal proportions; the tetrachoric r of a
// sample of N pairs is compared with rho0 through its asymptotic normal
// distribution. The exact method uses r and its standard error; the
// approximation of Bonett and Price uses r* = cos(pi/(1 + w^c)).
//
// The option: the exact correlation (0) or its approximation (1).
inline constexpr int kTetrachoricApproximationOption = 1097;

// The cell probabilities are cached per object, keyed on (rho, px, py).
class PowerZTetrachoricCorr : public PowerZ {
  public:
    PowerZTetrachoricCorr();

    PowerAnalysis* Clone() override;

    double GetEffectSize() override { return effectSize - h0Rho; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    double ComputePower(double effect, double alpha, double n) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;
    double SensitivityObjective(double x) override;

    std::string GetTestName() override { return "Correlation: Tetrachoric model"; }
    bool IsGenericTest() override { return false; }
    bool HasOptions() override { return true; }
    TestOptions Options() override;
    bool UsesChiSquarePlot() override { return false; }
    ParameterId GetEffectSizeId() override { return kH1CorrRhoId; }
    TestId GetTestId() override { return kTetrachoricTestId; }
    std::string GetMethodText() override { return useApproximation ? "Approximate r" : "Exact r"; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    bool CheckSampleSize(int type, double n) override;
    bool CheckEffectSize(int type, double rho1) override;

    // The model update: standard errors and centres under H0 and H1.
    double GetNoncentralSD() override;

    // p00, p10, p01, p11 of the bivariate normal at rho cut at the margins;
    // computed only when the arguments differ from the last ones.
    void ComputeCellProbabilities(double rho, double px, double py);
    // Checks of the model with their messages: a margin whose cells can be
    // computed, and a correlation whose standard error of r can.
    bool MarginComputable(double p, const char* variable);
    bool StandardErrorComputable(double rho, double px, double py, const char* hypothesis);
    double StandardErrorOfR(double rho, double px, double py, double n);
    double ExpectedR(double rho, double px, double py);
    void ComputeCriticalR();

    bool useApproximation = false;
    bool rawScale = false;

    // The model: rho under H0 and the marginal proportions P(X = 1) and
    // P(Y = 1).
    double h0Rho = 0.0;
    double marginalX = 0.0;
    double marginalY = 0.0;
    // p00, p10, p01, p11 (p10: X = 1, Y = 0) of the last (rho, px, py).
    double cells[4] = {0.0, 0.0, 0.0, 0.0};
    double cachedRho = 0.0;
    double cachedX = 0.0;
    double cachedY = 0.0;
    // The standard errors of r and the centres of the statistic under H0 and
    // H1 (r* on the approximation's scale, else rho itself), and the
    // expected r under both.
    double standardError0 = 0.0;
    double standardError1 = 0.0;
    double mean0 = 0.0;
    double mean1 = 0.0;
    double expectedR0 = 0.0;
    double expectedR1 = 0.0;
    // The critical r of the rejection rule and as the outputs show them.
    double criticalRLower = 0.0;
    double criticalRUpper = 0.0;
    double reportedLower = 0.0;
    double reportedUpper = 0.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

  private:
    // Reads and checks rho0 and the two margins and takes them; the row of
    // a failure, else -1.
    int ReadModel(PropertyList* inputs);
    void ReportCriticalR();
};
