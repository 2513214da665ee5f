#include "app/explorer/glmm_results.h"

#include "app/widgets/html_edit.h"

namespace {

CHTMLEdit::Table ToTable(const ReportTable& table) {
    CHTMLEdit::Table out;
    for (const auto& row : table) {
        std::vector<QString> cells;
        for (const std::wstring& cell : row) cells.push_back(QString::fromStdWString(cell));
        out.push_back(std::move(cells));
    }
    return out;
}

}  // namespace

void AppendReport(CHTMLEdit& html, const std::vector<ReportBlock>& blocks) {
    html.BeginAppending();
    for (const ReportBlock& block : blocks) {
        html.AppendRule();
        html.AppendParagraph(QString::fromStdWString(block.caption));
        html.AppendTable(ToTable(block.cTable));
        html.AppendTable(ToTable(block.aTable));
        for (const ReportTable& table : block.results) html.AppendTable(ToTable(table));
        if (!block.failure.empty()) html.AppendParagraph(QString::fromStdWString(block.failure));
        for (const std::wstring& note : block.notes)
            html.AppendParagraph(QString::fromStdWString(note));
    }
    html.EndAppending();
}

platform::DialogTemplate ResultsTabTemplate() {
    platform::DialogTemplate t;
    t.id = 181;
    t.width = 370;
    t.height = 220;
    t.controls.push_back(platform::ControlSpec{CGLMM_Results::kFrameId,
                                               platform::ControlKind::Area,
                                               "",
                                               {0, 0, 370, 220},
                                               platform::kStyleNone,
                                               {}});
    return t;
}

CGLMM_Results::CGLMM_Results() : CFormViewEx(ResultsTabTemplate()) {}

void CGLMM_Results::OnInitialUpdate() {
    QWidget* frame = Control(kFrameId);
    html_ = new CHTMLEdit(frame ? frame : this);
    html_->NewDocument();
    html_->show();
    FitToParent();
}

void CGLMM_Results::ShowReport(const std::vector<ReportBlock>& blocks) {
    if (!html_) return;
    html_->NewDocument();
    AppendReport(*html_, blocks);
}

void CGLMM_Results::FitToParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    setGeometry(parent->rect());
    const QRect area(QPoint(0, 0), size());
    if (QWidget* frame = Control(kFrameId)) frame->setGeometry(area);
    if (html_) html_->setGeometry(area);
}
