#pragma once

#include <QPointer>
#include <vector>

#include "app/widgets/form_view_ex.h"
#include "glm/explorer_report.h"

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
    // A new document with the report of every block.
    void ShowReport(const std::vector<ReportBlock>& blocks);

  private:
    QPointer<CHTMLEdit> html_;
};

// Appends each block as the Results tab shows it: a rule, the caption, the
// coefficients of C and A, the result tables, then the failure and notes;
// the document is laid out once, after the last.
void AppendReport(CHTMLEdit& html, const std::vector<ReportBlock>& blocks);

// The table of the results tab (dialog 181).
platform::DialogTemplate ResultsTabTemplate();
