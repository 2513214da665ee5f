#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/two_group_means.h"

// Cohen's d of two independent means (form 150): two framed blocks, n1 != n2
// with one SD and n1 = n2 with an SD per group, chosen by the radio button in
// each frame's caption. The form binds its edits to the inputs record of
// effectsize::two_group_means and leaves checks and formula to it.
class CEff_T_2Groups_Form : public CEffectSizePanel {
  public:
    static constexpr int kUnequalRadioId = 1143;
    static constexpr int kEqualRadioId = 1144;
    // The edit of each field of the inputs record, in the record's order.
    static constexpr int kFieldIds[effectsize::two_group_means::kFieldCount] = {
        1043, 1012, 1013, 1045, 1015, 1016, 1017};

    explicit CEff_T_2Groups_Form(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    // The inputs as the form shows them.
    effectsize::two_group_means::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::two_group_means::Inputs& inputs);
    // Enables the chosen block's edits only.
    void ApplyMode(bool equalN);
};
