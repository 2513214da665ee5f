#pragma once

#include <QPointer>

#include "app/widgets/form_view_ex.h"

class CHTMLEdit;

// The "Results" tab of the explorer: one read-only HTML view, filling the
// tab, into which Calculate writes its captions and tables.
class CGLMM_Results : public CFormViewEx {
  public:
    static constexpr int kFrameId = 1111;

    CGLMM_Results();

    void OnInitialUpdate() override;
    // The form takes its parent's whole area, and the frame and the HTML
    // view the form's.
    void FitToParent() override;

    CHTMLEdit* Html() const { return html_; }

  private:
    QPointer<CHTMLEdit> html_;
};

// The table of the results tab (dialog 181).
platform::DialogTemplate ResultsTabTemplate();
