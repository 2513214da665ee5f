#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/logistic_regression.h"

// Logistic regression (form 236): the odds ratio from Pr(Y=1|X=1) under H1
// and H0, or Pr(Y=1|X=1) H1 from the odds ratio and the H0 probability,
// whichever the current test takes as its effect. Both inputs may be
// formulas; the transfer also writes the H0 probability.
class CEff_Z_LogRegress : public CEffectSizePanel {
  public:
    static constexpr int kFieldIds[effectsize::logistic_regression::kFieldCount] = {1045, 1178};
    static constexpr int kInput1LabelId = 1182;
    static constexpr int kP0LabelId = 1183;
    static constexpr int kResultLabelId = 1180;

    explicit CEff_Z_LogRegress(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    // Takes the input kind from the test, names the fields and the result,
    // and takes the main window's H0 probability unless the field holds a
    // formula.
    void SetUpAfterOpening(int testId) override;
    // The inputs as the form shows them, with the text of the first field
    // of the other kind as last shown.
    effectsize::logistic_regression::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::logistic_regression::Inputs& inputs);
    // The input kind the current test asks for; the shown one without a
    // logistic regression test.
    bool ProbabilityInputOfTest() const;

    effectsize::logistic_regression::Inputs inputs_;
    effectsize::logistic_regression::Result result_;
};
