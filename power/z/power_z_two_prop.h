#pragma once

#include <string>

#include "analysis/option_declarations.h"
#include "power/z/power_z.h"

// The large-sample z test of H0: p1 = p2 for two independent groups of
// sizes N1 and N2. The effect is p2 or Cohen's h = 2 asin sqrt(p2) -
// 2 asin sqrt(p1), by the input option; the difference d is taken on the
// scale of the proportions or, with the arcsin transform, on the arcsin
// scale. The continuity correction computes the power of corrected group
// sizes as that of the uncorrected sizes they stand for.
// The options: three check boxes and the effect input, the proportion p2
// (0) or Cohen's h (1).
inline constexpr int kContinuityOption = 1019;
inline constexpr int kArcsinOption = 1021;
inline constexpr int kPlotNormalOption = 1093;
inline constexpr int kEffectInputOption = 1039;

class PowerZTwoProp : public PowerZ {
  public:
    PowerZTwoProp();

    PowerAnalysis* Clone() override;

    // p2 - p1 (p2 from h first when h is the input).
    double GetEffectSize() override;
    // The difference is drawn on its own scale, whose densities can be far
    // above those of the z scale.
    double GetDensityCap() override { return 10000.0; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    // Splits N into two equal halves.
    double ComputePower(double effect, double alpha, double n) override;
    double ComputePower2(double effect, double alpha, double n1, double n2) override;
    bool HasTwoGroups() override { return true; }

    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override;
    bool IsGenericTest() override { return false; }
    bool HasOptions() override { return true; }
    TestOptions Options() override;
    ParameterId GetNoncentralityId() override { return kEffectSizeHId; }
    ParameterId GetEffectSizeId() override;
    TestId GetTestId() override { return kTwoProportionsTestId; }
    std::string GetMethodText() override;
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    bool CheckSampleSize(int type, double n) override;
    bool CheckGroupSizes(int type, double n1, double n2) override;

    // Chooses p2 (true) or h (false) as the effect input and converts the
    // effect, so that it describes the same proportions; the next input
    // list shows the converted value.
    void SetInputProportions(bool proportions);

    // The options of the test's options dialog.
    bool arcsinTransform = false;
    bool continuityCorrection = false;
    bool plotNormal = false;  // the statistic on the scale of d, not of z
    bool inputProportions = true;

    // The terms of the last power computation (UpdateTerms).
    double difference = 0.0;  // d
    double pooledProportion = 0.0;
    double nullSE = 0.0;         // of d under H0
    double alternativeSE = 0.0;  // of d under H1
    double effectiveN1 = 0.0;    // the group sizes of the standard errors
    double effectiveN2 = 0.0;

    // The proportions of the two groups.
    double proportion1 = 0.0;
    double proportion2 = 0.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

    // p2, d, the pooled proportion and both standard errors from p1, the
    // effect and the current group sizes.
    void UpdateTerms();
    // p2 from h and p1.
    void UpdateProportion2();
    // The largest h: the one that makes p2 = 1.
    double MaxEffectSizeH() const;
    // The effect (p2 or h) describes a p2 within [0, 1]; false with the
    // message.
    bool CheckEffectDescribesP2(double effect);
    ParameterId EffectInputId() const {
        return inputProportions ? kProportionP2Id : kEffectSizeHId;
    }
};
