#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/regression_special.h"

// f squared of a set of predictors (form 162, test 104): from the variance
// they explain and the residual variance, or from partial R squared, chosen
// by the radio button in each frame's caption. The form binds its edits to
// effectsize::regression_special.
class CEff_F_MRC_Special : public CEffectSizePanel {
  public:
    static constexpr int kVariancesRadioId = 1039;
    static constexpr int kDirectRadioId = 1072;
    // The edit of each field of the inputs record, and its label.
    static constexpr int kFieldIds[effectsize::regression_special::kFieldCount] = {1066, 1084,
                                                                                   1085};
    static constexpr int kFieldLabelIds[effectsize::regression_special::kFieldCount] = {1067, 1083,
                                                                                        1064};

    explicit CEff_F_MRC_Special(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    effectsize::regression_special::Inputs Inputs() const;

  protected:
    // The same panel on another form (the single coefficient's).
    CEff_F_MRC_Special(const platform::DialogTemplate& dialog, PanelHost* host);

    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;

  private:
    void ShowInputs(const effectsize::regression_special::Inputs& inputs);
    // The variances in mode 0, partial R squared typed in mode 1.
    void ApplyMode(int mode);
};

// f squared of one regression coefficient (form 234, test 210): the panel
// above with the predictor's wording.
class CEff_T_MRC_1Pred : public CEff_F_MRC_Special {
  public:
    explicit CEff_T_MRC_1Pred(PanelHost* host);
};
