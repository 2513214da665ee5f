#pragma once

#include "app/widgets/form_view_ex.h"
#include "glm/explorer_report.h"

class PowerGLMM;

// The "General" tab of the explorer: the significance level, the target
// power, the total sample size and the kind of analysis, as texts of the
// model record's settings ("Matrix B scale" is shown only).
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
    // The record's settings, set before Create; without them the tab keeps
    // its own.
    void SetDocument(ReportSettingsTexts* settings) { settings_ = settings; }

    void OnInitialUpdate() override;
    // The fields show the settings as the record holds them.
    void ShowDocument();
    // The fields' texts and the chosen analysis, written into the record.
    void CommitEdits();
    int AnalysisIndex() const;

  private:
    PowerGLMM* model_ = nullptr;
    ReportSettingsTexts own_;
    ReportSettingsTexts* settings_ = &own_;
};

// The table of the general tab (dialog 175).
platform::DialogTemplate GeneralTabTemplate();
