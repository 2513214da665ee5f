#pragma once

#include "app/widgets/form_view_ex.h"

class FormHost;

// The command form under the main form: "Options", "X-Y plot for a range of
// values" and "Calculate".
class CQuorixCmdCompForm : public CFormViewEx {
  public:
    explicit CQuorixCmdCompForm(FormHost* host);

    void EnableCalculate(bool enable);
    void EnableXYPlot(bool enable);
    void EnableXYPlotButton(bool enable) { EnableXYPlot(enable); }
    void ShowOptions(bool show);

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    FormHost* frame_;
};

// The smaller command form with "Calculate" and two check boxes.
class CQuorixCmdForm : public CFormViewEx {
  public:
    explicit CQuorixCmdForm(FormHost* host);

    void EnableCalculate(bool enable);

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    FormHost* frame_;
};

// Forms that show their table and have no behaviour of their own.
class CInputHelpForm : public CFormViewEx {
  public:
    CInputHelpForm();
};

class CRangeForm : public CFormViewEx {
  public:
    CRangeForm();
};

// The "Calculate" button's sequence, shared by both command forms: nothing
// while the frame is busy; else the button is disabled while the frame
// calculates.
void RunCalculateFromButton(FormHost* frame, CFormViewEx* form, bool fromShortForm);
