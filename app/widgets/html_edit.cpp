#include "app/widgets/html_edit.h"

CHTMLEdit::CHTMLEdit(QWidget* parent) : QTextBrowser(parent) {
    setReadOnly(true);
    setOpenLinks(false);
}

QString CHTMLEdit::RuleHtml() {
    return QStringLiteral("<hr><br>");
}

QString CHTMLEdit::ParagraphHtml(const QString& text) {
    return QStringLiteral(
               "<p><span style=\"font-family:'Lucida Sans Unicode',sans-serif; font-size:10pt; "
               "font-weight:bold;\">") +
           text.toHtmlEscaped() + QStringLiteral("</span></p>");
}

QString CHTMLEdit::TableHtml(const Table& table) {
    QString html = QStringLiteral("<table border=\"1\" cellpadding=\"1\" cellspacing=\"1\">\n");
    for (const auto& row : table) {
        html += QStringLiteral("<tr align=\"right\" >");
        for (const QString& cell : row) {
            html += QStringLiteral(
                        "<td style=\"font-family:'Lucida Sans Unicode',sans-serif; "
                        "font-size:8pt;\"> ") +
                    cell.toHtmlEscaped() + QStringLiteral("</td>");
        }
        html += QStringLiteral("\n</tr>\n");
    }
    html += QStringLiteral("</table><br>");
    return html;
}

void CHTMLEdit::NewDocument() {
    body_.clear();
    Refresh();
}

void CHTMLEdit::AppendRule() {
    Append(RuleHtml());
}

void CHTMLEdit::AppendParagraph(const QString& text) {
    Append(ParagraphHtml(text));
}

void CHTMLEdit::AppendTable(const Table& table) {
    Append(TableHtml(table));
}

void CHTMLEdit::SetBody(const QString& body) {
    body_ = body;
    Refresh();
}

void CHTMLEdit::Append(const QString& html) {
    body_ += html;
    Refresh();
}

void CHTMLEdit::Refresh() {
    // The whole document is set again so that every append lands at the end
    // of the body, whatever the user has selected or scrolled to.
    setHtml(QStringLiteral("<html><body>") + body_ + QStringLiteral("</body></html>"));
}
