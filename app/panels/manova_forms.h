#pragma once

#include <memory>

#include "app/panels/effect_size_panel.h"
#include "effectsize/manova.h"
#include "effectsize/rm_criterion.h"

class PowerMultCriterion;

// f squared of a MANOVA from a value of the test's criterion (form 204),
// with the design counts the conversion takes. The criterion is the current
// test's (its options choose it); the form binds its edits to
// effectsize::manova.
class CEff_F_Manova : public CEffectSizePanel {
  public:
    static constexpr int kCriterionLabelId = 1127;
    static constexpr int kEffectLabelId = 1125;
    static constexpr int kFieldIds[effectsize::manova::kFieldCount] = {1126, 1066, 1131, 1133,
                                                                       1135};
    static constexpr int kLabelIds[effectsize::manova::kFieldCount] = {1127, 1128, 1130, 1132,
                                                                       1134};

    explicit CEff_F_Manova(PanelHost* host);
    ~CEff_F_Manova() override;

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    // Takes the counts from the main window and shows the rows the test and
    // its criterion use.
    void SetUpAfterOpening(int testId) override;

    effectsize::manova::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::manova::Inputs& inputs);
    PowerMultCriterion& Criterion();
    int TestId() const;

    int testId_ = 0;
    // Stands for the test's criterion while no multivariate test is current.
    std::unique_ptr<PowerMultCriterion> ownCriterion_;
    // Of the class the current test's options choose.
    std::unique_ptr<PowerMultCriterion> testCriterion_;
};

// Cohen's f of a repeated-measures MANOVA test from a criterion value: the
// plain conversion (form 201, between and within factors, CEff_F_RMMulti_2)
// or the one with the design's counts (form 192, interaction,
// CEff_F_RMMulti). Both bind to effectsize::rm_criterion.
class CRmCriterionPanel : public CEffectSizePanel {
  public:
    static constexpr int kCriterionLabelId = 1127;
    static constexpr int kEffectLabelId = 1125;
    static constexpr int kTotalLabelId = 1129;
    static constexpr int kFieldIds[effectsize::rm_criterion::kFieldCount] = {1126, 1066, 1128,
                                                                             1015};

    ~CRmCriterionPanel() override;

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    void SetUpAfterOpening(int testId) override;

    effectsize::rm_criterion::Inputs Inputs() const;

  protected:
    CRmCriterionPanel(bool withDesign, PanelHost* host);
    void OnInitialUpdate() override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::rm_criterion::Inputs& inputs);
    PowerMultCriterion& Criterion();

    bool withDesign_;
    int effectType_ = 0;
    std::unique_ptr<PowerMultCriterion> ownCriterion_;
    std::unique_ptr<PowerMultCriterion> testCriterion_;
};

class CEff_F_RMMulti_2 : public CRmCriterionPanel {
  public:
    explicit CEff_F_RMMulti_2(PanelHost* host) : CRmCriterionPanel(false, host) {}
};

class CEff_F_RMMulti : public CRmCriterionPanel {
  public:
    explicit CEff_F_RMMulti(PanelHost* host) : CRmCriterionPanel(true, host) {}
};
