#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/panels/effect_size_panel.h"
#include "effectsize/proportions.h"

class FocusOutCheck;

// The form the two proportion panels share (forms 193 and 202): P1 and P2,
// the value field with its mode ("Calc ... from ..."), "Sync values". It
// binds the edits to effectsize::proportions and leaves the arithmetic to
// it; the two panels differ in their roles, captions, effect and set-up.
class CEffProportionsForm : public CEffectSizePanel {
  public:
    static constexpr int kP1Id = 1130;
    static constexpr int kP2Id = 1131;
    static constexpr int kValueId = 1012;
    static constexpr int kSyncId = 1013;
    // The radio buttons of the modes, in the order of their codes.
    static constexpr int kModeIds[3] = {1132, 1040, 1041};
    // The edit of each field of the inputs record.
    static constexpr int kFieldIds[effectsize::proportions::kFieldCount] = {kP1Id, kP2Id, kValueId};

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    effectsize::proportions::Inputs Inputs() const;

    // The captions that differ between the two forms.
    struct Captions {
        int formId;
        const char* group;
        const char* modes[3];
        const char* effect;
    };

  protected:
    CEffProportionsForm(const Captions& captions, const effectsize::proportions::Roles& roles,
                        PanelHost* host);

    // The panel's effect size from inputs after the derived proportion was
    // updated.
    virtual double Effect(const effectsize::proportions::Inputs& inputs) const = 0;
    // Copies main-window inputs (by parameter id) into proportion edits, then
    // brings the value field in line with them. A proportion the panel holds
    // refused (restored as the user left it) is reported on its field
    // instead, and nothing is copied.
    void CopyFromMainWindow(std::initializer_list<std::pair<int, int>> parameterToField);

    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::proportions::Inputs& inputs);
    void ShowMessages(const std::vector<std::string>& messages);
    // A proportion edit left for another control: its range check, else the
    // value field follows the proportions.
    bool CheckLeftProportion(QLineEdit* edit);

    const effectsize::proportions::Roles& roles_;
    FocusOutCheck* focusCheck_ = nullptr;
    // The mode the radio group showed before a click changed it.
    int lastMode_ = effectsize::proportions::kOddsRatio;
};

// The effect size g = P2 - P1 of the test of one proportion against a
// constant (form 193); P1 goes to "Constant proportion".
class CEff_One_Prop : public CEffProportionsForm {
  public:
    explicit CEff_One_Prop(PanelHost* host);
    void SetUpAfterOpening(int testId) override;

  protected:
    double Effect(const effectsize::proportions::Inputs& inputs) const override;
};

// The proportion P1 of the test of two proportions (form 202), with P1
// derived from P2 by the value field; P2 goes to "Proportion p2".
class CEff_Two_Prop : public CEffProportionsForm {
  public:
    explicit CEff_Two_Prop(PanelHost* host);
    void SetUpAfterOpening(int testId) override;

  protected:
    double Effect(const effectsize::proportions::Inputs& inputs) const override;
};
