#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/one_mean_pairs.h"

// d of one mean against a constant (form 169): "Mean H0", "Mean H1" and the
// SD. The form binds its edits to effectsize::one_mean and leaves the check
// and the formula to it.
class CEff_T_OneMean : public CEffectSizePanel {
  public:
    static constexpr int kSdLabelId = 1062;
    static constexpr int kFieldIds[effectsize::one_mean::kFieldCount] = {1043, 1012, 1013};

    explicit CEff_T_OneMean(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    effectsize::one_mean::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::one_mean::Inputs& inputs);
};

// dz of matched pairs (form 170): the block "From differences" (mean and SD
// of the differences) or "From group parameters" (two means, two SDs and
// their correlation), chosen by the radio button in each frame's caption.
class CEff_T_PairedMeans : public CEffectSizePanel {
  public:
    static constexpr int kDifferencesRadioId = 1145;
    static constexpr int kGroupsRadioId = 1146;
    static constexpr int kFieldIds[effectsize::paired_means::kFieldCount] = {1045, 1015, 1043, 1012,
                                                                             1011, 1013, 1102};

    explicit CEff_T_PairedMeans(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    effectsize::paired_means::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::paired_means::Inputs& inputs);
    // Enables the chosen block's edits only.
    void ApplyMode(bool fromGroups);
};
