#pragma once

#include <QFont>

#include "app/panels/effect_size_panel.h"
#include "effectsize/rm_omnibus.h"
#include "effectsize/rm_special.h"
#include "ui/grid/grid_types.h"

class CGridCtrl;
class SpinButtons;

// Cohen's f of the between-subjects factor of a repeated-measures ANOVA
// from the groups' means and sizes (form 247), expressed in the test's
// effect-size specification. The form binds its edits and its group table
// to effectsize::rm_omnibus.
class CEff_F_RMM_Omni : public CEffectSizePanel, public IGridOwner {
  public:
    static constexpr int kGroupCountId = 1066;
    static constexpr int kGroupSpinId = 1075;
    static constexpr int kGridId = 1076;
    static constexpr int kSigmaLabelId = 1077;
    static constexpr int kSigmaId = 1078;
    static constexpr int kCorrelationLabelId = 1080;
    static constexpr int kCorrelationId = 1081;
    static constexpr int kMeasurementsLabelId = 1082;
    static constexpr int kMeasurementsId = 1083;
    static constexpr int kMeasurementsSpinId = 1232;
    static constexpr int kEqualNId = 1011;
    static constexpr int kEqualNButtonId = 1079;
    static constexpr int kTotalId = 1015;
    static constexpr int kEffectLabelId = 1201;

    explicit CEff_F_RMM_Omni(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    // The main window's counts and correlation; the specification's label
    // and controls.
    void SetUpAfterOpening(int testId) override;

    effectsize::rm_omnibus::Inputs Inputs() const;
    CGridCtrl* Grid() const { return grid_; }
    // The typed group count takes effect (Enter, a spin step); false after
    // its message.
    bool ApplyGroupCount();

    long OnGridNotify(const GridNotify& note) override;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    int Specification() const;
    void ShowInputs(const effectsize::rm_omnibus::Inputs& inputs);
    void RebuildGrid();
    void ShowError(const effectsize::FieldError& error);

    CGridCtrl* grid_ = nullptr;
    QFont cellFont_;
    effectsize::rm_omnibus::Inputs model_;
    effectsize::rm_omnibus::Result last_;
};

// Cohen's f of a repeated-measures effect from the effect's and the error
// variance, in the test's specification, or from partial eta squared (form
// 249). The rows a specification needs appear under the variances.
class CEff_F_RM_Special : public CEffectSizePanel {
  public:
    static constexpr int kFromVariancesRadioId = 1039;
    static constexpr int kDirectRadioId = 1072;
    static constexpr int kEffectVarianceLabelId = 1067;
    static constexpr int kVarianceLabelId = 1074;
    static constexpr int kEta2LabelId = 1068;
    static constexpr int kEffectLabelId = 1201;
    static constexpr int kEffectVarianceId = 1066;
    static constexpr int kErrorVarianceId = 1073;
    static constexpr int kEta2Id = 1069;
    // The three rows a specification may use: edit and label.
    static constexpr int kRowEditIds[3] = {1022, 1020, 1019};
    static constexpr int kRowLabelIds[3] = {1185, 1186, 1187};

    explicit CEff_F_RM_Special(PanelHost* host, int varianceType = 0);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    // Fills the store with the default text of every field it lacks.
    bool SaveModeInputs(PropertyList* store) override;
    // The specification's rows and labels, and the main window's values of
    // their counts.
    void SetUpAfterOpening(int testId) override;
    int SetVarianceType(int type);

    effectsize::rm_special::Inputs Inputs() const;
    // The edit that shows `field` for the current specification, or 0.
    int EditOf(int field) const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    effectsize::rm_special::TestContext Context() const;
    void ShowInputs(const effectsize::rm_special::Inputs& inputs);
    void ApplyLayout();
    void ApplyMode(int mode);

    int testId_ = 0;
    int varianceType_ = 0;
    // Fields of rows the specification does not show keep their texts.
    effectsize::rm_special::Inputs model_;
};
