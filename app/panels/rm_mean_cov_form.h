#pragma once

#include "app/panels/effect_size_panel.h"
#include "effectsize/rm_mean_cov.h"

// Cohen's f of a repeated-measures MANOVA effect from the groups' means at
// every measurement, the covariance of the measurements and the groups'
// weights (form 206), through the multivariate model; the matrices are
// typed in the repeated-measures matrix dialog. The first procedure of the
// selector CEff_SelectRMM_Eta_MeanCov.
class CEff_F_RMM_MeanCov : public CEffectSizePanel {
  public:
    static constexpr int kMeasurementsId = 1103;
    static constexpr int kGroupsId = 1066;
    static constexpr int kCovarianceRadioId = 1039;
    static constexpr int kCorrId = 1105;
    static constexpr int kAutocorrId = 1019;
    static constexpr int kEditMatricesId = 1046;
    static constexpr int kEffectLabelId = 1081;
    static constexpr int kCriterionLabelId = 1082;
    static constexpr int kCriterionValueId = 1015;
    static constexpr int kTotalLabelId = 1083;
    static constexpr int kTotalId = 1016;

    CEff_F_RMM_MeanCov(PanelHost* host, int variant, const char* prefix = "rmm_cv");

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    // The test's criterion names the rows; the main window's counts shape
    // the matrices; N is shown where the criterion or the variant uses it.
    void SetUpAfterOpening(int testId) override;

    const effectsize::rm_mean_cov::Inputs& Model() const { return model_; }
    bool UsesN() const { return usesN_; }
    // "Specify/Edit matrices".
    void EditMatrices();

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;
    effectsize::TransferPlan PlanTransfer(double effect) override;

  private:
    // The counts typed, the matrices kept where they fit.
    bool ReadCounts();
    void Reshape(int groups, int measurements);
    void ShowCounts();
    int CriterionId() const;

    std::string prefix_;
    effectsize::rm_mean_cov::Inputs model_;
    bool usesN_ = false;
};
