#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/tetrachoric_panel.h"

// "H1 corr rho" of the tetrachoric correlation test (form 233): from a 2x2
// table of observed frequencies (a point inside the confidence interval of
// the estimate) or from a 2x2 table of cell probabilities, chosen by the
// radio button in each frame's caption. The test's option "Computation of
// correlation", read when the panel is set up, makes the frequency block
// report the approximation r*. The form binds its edits to
// effectsize::tetrachoric and leaves checks and formulas to it.
class CEff_Z_Tetrachoric : public CEffectSizePanel {
  public:
    static constexpr int kFrequenciesRadioId = 1219;
    static constexpr int kProbabilitiesRadioId = 1099;
    // The edit of each field of the inputs record, in the record's order.
    static constexpr int kFieldIds[effectsize::tetrachoric::kFieldCount] = {
        1203, 1012, 1016, 1017, 1196, 1011, 1013, 1015, 1022, 1020};
    // The results of each block.
    static constexpr int kTotalId = 1220;
    static constexpr int kEstimateId = 1221;
    static constexpr int kEstMarginalXId = 1222;
    static constexpr int kEstMarginalYId = 1223;
    static constexpr int kLowerId = 1224;
    static constexpr int kUpperId = 1027;
    static constexpr int kStandardErrorId = 1028;
    static constexpr int kCorrelationId = 1088;
    static constexpr int kApproxCorrelationId = 1090;
    static constexpr int kMarginalXId = 1094;
    static constexpr int kMarginalYId = 1096;
    static constexpr int kEstimateLabelId = 1226;

    explicit CEff_Z_Tetrachoric(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    effectsize::tetrachoric::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::tetrachoric::Inputs& inputs);
    // Enables the chosen block, disables the other, and resets the results.
    void ApplyMode(int mode);
    void ResetOutputs();
    void SetLabels();

    bool approximation_ = false;
    effectsize::tetrachoric::Result last_;
};
