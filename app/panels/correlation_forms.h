#pragma once

#include <string>

#include "app/panels/effect_size_panel.h"
#include "effectsize/correlations.h"

// The correlation |rho| from a coefficient of determination. Two panels
// share it and differ in form, store key and result label: the exact test
// of one correlation (CEff_Exact_1Corr) and the point-biserial model
// (CEff_T_Corr_PBM).
class CorrelationFromR2Panel : public CEffectSizePanel {
  public:
    static constexpr int kR2Id = 1063;
    static constexpr int kR2LabelId = 1064;
    static constexpr int kResultLabelId = 1201;

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    effectsize::determination::Inputs Inputs() const;

  protected:
    CorrelationFromR2Panel(int formId, const char* storeKey, const char* resultLabel,
                           PanelHost* host);
    void OnInitialUpdate() override;
    bool CalculateEffectSize(double* effect) override;

  private:
    const char* storeKey_;
    std::string resultLabel_;
};

class CEff_Exact_1Corr : public CorrelationFromR2Panel {
  public:
    explicit CEff_Exact_1Corr(PanelHost* host);
};

class CEff_T_Corr_PBM : public CorrelationFromR2Panel {
  public:
    explicit CEff_T_Corr_PBM(PanelHost* host);
};

// Cohen's q of two independent correlations (form 168).
class CEff_Z_2Corr : public CEffectSizePanel {
  public:
    static constexpr int kFieldIds[effectsize::two_correlations::kFieldCount] = {1066, 1100};
    static constexpr int kLabelIds[effectsize::two_correlations::kFieldCount] = {1067, 1101};

    explicit CEff_Z_2Corr(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    effectsize::two_correlations::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    bool CalculateEffectSize(double* effect) override;
};

// The H1 correlation r_ac of two dependent correlations from the H0
// correlation r_ab and Cohen's q (form 228). Both inputs may be formulas;
// the transfer also writes r_ab to the main window.
class CEff_Z_2DepCorr : public CEffectSizePanel {
  public:
    static constexpr int kFieldIds[effectsize::dependent_correlations::kFieldCount] = {1066, 1175};
    static constexpr int kRabLabelId = 1067;
    static constexpr int kResultLabelId = 1174;

    explicit CEff_Z_2DepCorr(PanelHost* host);

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    // Names the result after the test's effect size and takes the main
    // window's r_ab unless the field holds a formula.
    void SetUpAfterOpening(int testId) override;
    effectsize::dependent_correlations::Inputs Inputs() const;

  protected:
    void OnInitialUpdate() override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::dependent_correlations::Inputs& inputs);
    void ShowLabels();

    effectsize::dependent_correlations::Result result_;
};
