#pragma once

#include <string>

#include "analysis/ids.h"
#include "app/panels/effect_size_panel.h"
#include "effectsize/hotelling.h"

// Δ of the Hotelling T² tests (form 172; test 106 one group, 107 two
// groups): mean vectors and a covariance matrix typed in the matrix dialog,
// the covariance as covariances, SDs with correlations, or SDs with a
// correlation pattern. The form binds its controls to effectsize::hotelling.
class CEff_F_Hotelling : public CEffectSizePanel {
  public:
    static constexpr int kResponsesId = 1103;
    // The input methods' radios in their order.
    static constexpr int kMethodRadioIds[3] = {1039, 1041, 1040};
    static constexpr int kCorrLabelId = 1106;
    static constexpr int kCorrId = 1105;
    static constexpr int kAutocorrId = 1019;
    static constexpr int kEditMatricesId = 1046;
    static constexpr int kMeanFactorId = 1140;

    // The key prefix follows the host's current test ("fho1" for 106,
    // "fho2" for 107) unless one is given.
    explicit CEff_F_Hotelling(PanelHost* host, std::string prefix = {});

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    void CopyConfigFrom(CFormViewEx* templatePanel) override;
    void SetUpAfterOpening(int testId) override;

    const std::string& KeyPrefix() const { return prefix_; }
    effectsize::hotelling::Inputs Inputs() const;
    // "Specify/Edit input values".
    void EditMatrices();

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    void ShowInputs(const effectsize::hotelling::Inputs& inputs);
    void UpdatePatternControls();
    bool OneGroup() const { return testId_ == kHotellingOneGroupTestId; }

    std::string prefix_;
    int testId_ = kHotellingTwoGroupsTestId;
    effectsize::hotelling::Inputs records_;
};
