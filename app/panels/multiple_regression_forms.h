#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/multiple_regression.h"

// f² of the omnibus F test of a multiple regression (form 161, test 103):
// from R² typed, or from the predictor correlations given in the matrix
// dialog. The form binds its edits to effectsize::regression_omnibus.
class CEff_F_MRC_Omni : public CEffectSizePanel {
  public:
    static constexpr int kFromR2RadioId = 1215;
    static constexpr int kFromCorrelationsRadioId = 1212;
    static constexpr int kR2Id = 1022;
    static constexpr int kPredictorsId = 1020;
    static constexpr int kSpecifyMatricesId = 1211;
    static constexpr int kComputedR2Id = 1019;

    explicit CEff_F_MRC_Omni(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    effectsize::regression_omnibus::Inputs Inputs() const;

    // "Specify matrices": the correlations dialog over the matrices sized to
    // the typed count; on OK the count and the matrices come back.
    void SpecifyMatrices();

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;

  private:
    void ShowInputs(const effectsize::regression_omnibus::Inputs& inputs);
    void ApplyMode(int mode);

    effectsize::PredictorCorrelations correlations_;
};

// ρ² under H1 of the exact test in the random model (form 237, test 611):
// a point of the confidence interval of an observed R², or ρyᵀR⁻¹ρy of the
// predictor correlations.
class CEff_Exact_MRC_Random : public CEffectSizePanel {
  public:
    static constexpr int kIntervalRadioId = 1213;
    static constexpr int kCorrelationsRadioId = 1212;
    static constexpr int kSpecifyMatricesId = 1211;
    // The edit of each field of the inputs record, and its label.
    static constexpr int kFieldIds[effectsize::regression_random::kFieldCount] = {1022, 1020, 1019,
                                                                                  1021, 1023, 1206};
    static constexpr int kFieldLabelIds[effectsize::regression_random::kFieldCount] = {
        1185, 1186, 1187, 1189, 1188, 1209};
    // Lower and upper limit, lower and upper one-sided bound.
    static constexpr int kOutputIds[4] = {1088, 1090, 1094, 1096};

    explicit CEff_Exact_MRC_Random(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    void SetUpAfterOpening(int testId) override;

    effectsize::regression_random::Inputs Inputs() const;
    void SpecifyMatrices();

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::regression_random::Inputs& inputs);
    void ApplyMode(int mode);
    void MarkOutputsUnknown();

    effectsize::PredictorCorrelations correlations_;
    effectsize::regression_random::Result last_;
};
