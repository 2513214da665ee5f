#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/variance_ratio.h"

// The ratio var1/var0 of the variance tests (form 194): two edits that take
// numbers or formulas, bound to effectsize::variance_ratio.
class CEff_Two_Vars : public CEffectSizePanel {
  public:
    static constexpr int kVar0Id = 1133;
    static constexpr int kVar1Id = 1134;
    static constexpr int kFieldIds[effectsize::variance_ratio::kFieldCount] = {kVar0Id, kVar1Id};

    explicit CEff_Two_Vars(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    effectsize::variance_ratio::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    bool CalculateEffectSize(double* effect) override;

  private:
    void ShowInputs(const effectsize::variance_ratio::Inputs& inputs);
};
