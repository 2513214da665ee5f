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

QString ReportHtml(const std::vector<ReportBlock>& blocks) {
    QString html;
    for (const ReportBlock& block : blocks) {
        html += CHTMLEdit::RuleHtml();
        html += CHTMLEdit::ParagraphHtml(QString::fromStdWString(block.caption));
        html += CHTMLEdit::TableHtml(ToTable(block.cTable));
        html += CHTMLEdit::TableHtml(ToTable(block.aTable));
        for (const ReportTable& table : block.results) html += CHTMLEdit::TableHtml(ToTable(table));
        if (!block.failure.empty())
            html += CHTMLEdit::ParagraphHtml(QString::fromStdWString(block.failure));
        for (const std::wstring& note : block.notes)
            html += CHTMLEdit::ParagraphHtml(QString::fromStdWString(note));
    }
    return html;
}

void AppendReport(CHTMLEdit& html, const std::vector<ReportBlock>& blocks) {
    html.SetBody(html.Body() + ReportHtml(blocks));
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
    html_->SetBody(ReportHtml(blocks));
}

void CGLMM_Results::FitToParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    setGeometry(parent->rect());
    const QRect area(QPoint(0, 0), size());
    if (QWidget* frame = Control(kFrameId)) frame->setGeometry(area);
    if (html_) html_->setGeometry(area);
}
