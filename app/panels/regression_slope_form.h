#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/regression_slopes.h"

// The slope of one bivariate regression (form 229), test 211: an input mode
// chooses the three members typed into the three edits; the form completes
// the regression by effectsize::one_slope and shows sd y and the slope.
class CEff_T_LinRegress : public CEffectSizePanel {
  public:
    static constexpr int kModeListId = 1176;
    // The three edits, top to bottom, and their labels.
    static constexpr int kEditIds[3] = {1045, 1178, 1179};
    static constexpr int kLabelIds[3] = {1182, 1183, 1184};
    static constexpr int kSdYResultId = 1177;
    static constexpr int kSdYLabelId = 1181;

    explicit CEff_T_LinRegress(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    // Every member: the shown edits as typed, the others as last typed or
    // computed.
    effectsize::one_slope::Inputs Inputs() const;
    // The edit that shows `field` in the current mode, or 0.
    int EditOf(int field) const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::one_slope::Inputs& inputs);
    void MarkResultsUnknown();

    effectsize::one_slope::Inputs members_;
    effectsize::regression::Members computed_;
};
