#pragma once

#include "app/widgets/form_view_ex.h"

class PowerGLMM;

// The "General" tab of the explorer: the significance level, the target
// power, the total sample size and the kind of analysis. It holds texts
// only; the explorer reads them at every Calculate.
class CGLMM_In_General : public CFormViewEx {
  public:
    static constexpr int kAlphaEdit = 1001;
    static constexpr int kPowerEdit = 1002;
    static constexpr int kTotalEdit = 1003;
    static constexpr int kBScaleEdit = 1004;
    static constexpr int kAnalysisList = 1038;
    enum Analysis : int { kAPriori = 0, kPostHoc = 1 };

    CGLMM_In_General();

    // Set before Create; the form itself does not use it.
    void SetModel(PowerGLMM* model) { model_ = model; }

    void OnInitialUpdate() override;
    int AnalysisIndex() const;

  private:
    PowerGLMM* model_ = nullptr;
};

// The table of the general tab (dialog 175).
platform::DialogTemplate GeneralTabTemplate();
