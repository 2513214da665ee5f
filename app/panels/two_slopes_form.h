#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/regression_slopes.h"

// The difference of two regressions' slopes (form 230), test 208: one input
// mode for both groups, three edits per group, the allocation ratio; the
// form shows each group's computed member, the pooled residual SD and
// |slope 1 - slope 2| by effectsize::two_slopes.
class CEff_T_LinRegress2G : public CEffectSizePanel {
  public:
    static constexpr int kModeListId = 1176;
    // The edits of each group, top to bottom, and their labels.
    static constexpr int kEditIds[2][3] = {{1045, 1178, 1179}, {1185, 1189, 1191}};
    static constexpr int kLabelIds[2][3] = {{1182, 1183, 1184}, {1186, 1190, 1192}};
    static constexpr int kRatioId = 1193;
    // Each group's result and the pooled residual SD.
    static constexpr int kResultIds[2] = {1202, 1187};
    static constexpr int kResultLabelIds[2] = {1204, 1188};
    static constexpr int kPooledSdId = 1195;

    explicit CEff_T_LinRegress2G(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    effectsize::two_slopes::Inputs Inputs() const;
    int EditOf(int field) const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::two_slopes::Inputs& inputs);
    void MarkResultsUnknown();

    effectsize::two_slopes::Inputs members_;
    effectsize::two_slopes::Result computed_;
};
