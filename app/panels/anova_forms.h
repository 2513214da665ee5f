#pragma once

#include <QPointer>

#include "app/panels/effect_size_panel.h"
#include "effectsize/anova_omnibus.h"
#include "effectsize/anova_special.h"
#include "ui/grid/grid_types.h"

class CGridCtrl;

// Cohen's f of a one-way ANOVA from the groups' means and sizes (form 159):
// the number of groups with its spin buttons, the group table, the SD within
// the groups, "Equal n" and the total sample size. The form binds its
// widgets to effectsize::anova_omnibus and leaves checks and formula to it.
class CEff_F_Anova_Omni : public CEffectSizePanel, public IGridOwner {
  public:
    static constexpr int kGroupCountId = 1066;
    static constexpr int kSpinId = 1075;
    static constexpr int kGridId = 1076;
    static constexpr int kSigmaLabelId = 1077;
    static constexpr int kSigmaId = 1078;
    static constexpr int kEqualNId = 1011;
    static constexpr int kEqualNButtonId = 1079;
    static constexpr int kTotalId = 1015;

    explicit CEff_F_Anova_Omni(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    // The inputs as the form shows them (hidden rows of the table included).
    effectsize::anova_omnibus::Inputs Inputs() const;
    CGridCtrl* Grid() const { return grid_; }
    // Shows the main window's group count and spreads its total over the
    // groups in "Equal n"; at the first opening of a test the table's sizes
    // take that equal size too.
    void SetUpFromMainWindow(std::optional<long> groups, std::optional<long> total);
    // The count typed or spun into "Number of groups", range-checked before
    // the table changes; false after its message.
    bool ApplyGroupCount();
    // The spin buttons' step: one group more or fewer, within 2..50.
    void StepGroupCount(int step);

    long OnGridNotify(const GridNotify& note) override;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::anova_omnibus::Inputs& inputs);
    void RebuildGrid();
    void ShowTotal(long total);
    void ShowError(const effectsize::FieldError& error);

    CGridCtrl* grid_ = nullptr;
    QFont cellFont_;
    // Rows the table holds beyond the shown ones, and the shown count.
    effectsize::anova_omnibus::Inputs model_;
    effectsize::anova_omnibus::Result last_;
    bool restored_ = false;
};

// Cohen's f of a special ANOVA effect (form 158) from the variance the
// effect explains and the error variance (or the variance within groups),
// or directly from partial eta squared.
class CEff_F_Anova_Special : public CEffectSizePanel {
  public:
    static constexpr int kFromVariancesRadioId = 1039;
    static constexpr int kDirectRadioId = 1072;
    static constexpr int kEffectVarianceLabelId = 1067;
    static constexpr int kVarianceLabelId = 1074;
    static constexpr int kEta2LabelId = 1068;
    static constexpr int kFieldIds[effectsize::anova_special::kFieldCount] = {1066, 1073, 1069};

    explicit CEff_F_Anova_Special(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    void SetUpAfterOpening(int testId) override;

    // 1 names the denominator "Variance within groups", anything else
    // "Error variance".
    void SetVarianceType(int type);
    effectsize::anova_special::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;

  private:
    void ShowInputs(const effectsize::anova_special::Inputs& inputs);
    void ApplyMode(int mode);

    int varianceType_ = 0;
};

// The choice of the ANOVA procedure (form 189) above its panel in the
// drawer: "Effect size from means" (CEff_F_Anova_Omni) or "Effect size from
// variance" (CEff_F_Anova_Special). Switching keeps each procedure's inputs
// in the test's store.
class CEff_SelectAnovaOmniSpecial : public CEffectSizePanel {
  public:
    static constexpr int kMethodListId = 1123;

    explicit CEff_SelectAnovaOmniSpecial(PanelHost* host);

    void AttachPanels(CFormViewEx** panels) override;
    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    void SetUpAfterOpening(int testId) override;

    int Method() const { return method_; }
    CFormViewEx* SubPanel() const { return subPanel_; }
    // Copies the main window's values into the procedure's panel.
    void SetUp();

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    // Puts the panel of `method` in place of the shown one; false when the
    // drawer took none.
    bool ReplaceSubPanel(int method);

    int method_ = 0;
    int varianceType_ = 0;
    QPointer<CFormViewEx> subPanel_;
};
