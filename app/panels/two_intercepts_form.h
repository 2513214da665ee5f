#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/regression_slopes.h"

// The difference of two regressions' intercepts (form 231), test 209: the
// intercepts typed directly, beside one regression completed from three of
// its members by an input mode (effectsize::two_intercepts), whose residual
// SD the form shows.
class CEff_T_LinRegress2GI : public CEffectSizePanel {
  public:
    static constexpr int kModeListId = 1176;
    static constexpr int kEditIds[3] = {1045, 1178, 1179};
    static constexpr int kLabelIds[3] = {1182, 1183, 1184};
    static constexpr int kIntercept1Id = 1185;
    static constexpr int kIntercept2Id = 1177;
    static constexpr int kResidualSdId = 1187;

    explicit CEff_T_LinRegress2GI(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    effectsize::two_intercepts::Inputs Inputs() const;
    int EditOf(int field) const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::two_intercepts::Inputs& inputs);
    void MarkResultsUnknown();

    effectsize::two_intercepts::Inputs members_;
    effectsize::two_intercepts::Result computed_;
};
