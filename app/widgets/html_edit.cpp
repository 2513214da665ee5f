#include "app/widgets/html_edit.h"

#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>

namespace {

// The fonts the markup names: captions bold at 10 points, table cells at 8.
const QStringList kFontFamilies = {QStringLiteral("Lucida Sans Unicode"),
                                   QStringLiteral("sans-serif")};

QTextCharFormat TextFormat(qreal points, bool bold) {
    QTextCharFormat format;
    format.setFontFamilies(kFontFamilies);
    format.setFontPointSize(points);
    if (bold) format.setFontWeight(QFont::Bold);
    return format;
}

}  // namespace

CHTMLEdit::CHTMLEdit(QWidget* parent) : QTextBrowser(parent) {
    setReadOnly(true);
    setOpenLinks(false);
    document()->setUndoRedoEnabled(false);
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
                        "font-size:8pt; white-space:nowrap;\"> ") +
                    cell.toHtmlEscaped() + QStringLiteral("</td>");
        }
        html += QStringLiteral("\n</tr>\n");
    }
    html += QStringLiteral("</table><br>");
    return html;
}

QString CHTMLEdit::Body() const {
    QString body;
    for (const Piece& piece : pieces_) {
        switch (piece.kind) {
            case Piece::kRule:
                body += RuleHtml();
                break;
            case Piece::kParagraph:
                body += ParagraphHtml(piece.text);
                break;
            case Piece::kTable:
                body += TableHtml(piece.table);
                break;
        }
    }
    return body;
}

void CHTMLEdit::NewDocument() {
    pieces_.clear();
    Refresh();
}

void CHTMLEdit::AppendRule() {
    pieces_.push_back({Piece::kRule, {}, {}});
    Insert(pieces_.back());
}

void CHTMLEdit::AppendParagraph(const QString& text) {
    pieces_.push_back({Piece::kParagraph, text, {}});
    Insert(pieces_.back());
}

void CHTMLEdit::AppendTable(const Table& table) {
    pieces_.push_back({Piece::kTable, {}, table});
    Insert(pieces_.back());
}

void CHTMLEdit::BeginAppending() {
    if (appending_++ > 0) return;
    // A document that no view lays out takes its pieces several times
    // faster than the shown one, which would follow every change.
    building_ = NewTextDocument();
    // One edit: the document's changes are told once, at its end.
    QTextCursor(building_).beginEditBlock();
    const int kept = inserted_;
    inserted_ = 0;
    for (int i = 0; i < kept; ++i) Insert(pieces_[static_cast<std::size_t>(i)]);
}

void CHTMLEdit::EndAppending() {
    if (appending_ == 0 || --appending_ > 0) return;
    // The view deletes a document of its own that it gives up; one made
    // here goes with the next.
    QTextCursor(building_).endEditBlock();
    const QPointer<QTextDocument> old = document();
    setDocument(building_);
    building_ = nullptr;
    if (old && old->parent() == this) delete old;
}

QTextDocument* CHTMLEdit::NewTextDocument() {
    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(document()->defaultFont());
    // The document is written only by the appends: an undo history of a
    // large report would cost as much as the report.
    doc->setUndoRedoEnabled(false);
    return doc;
}

void CHTMLEdit::Refresh() {
    QTextDocument* doc = building_ ? building_ : document();
    doc->clear();
    inserted_ = 0;
    for (const Piece& piece : pieces_) Insert(piece);
}

void CHTMLEdit::Insert(const Piece& piece) {
    QTextCursor cursor(building_ ? building_ : document());
    cursor.movePosition(QTextCursor::End);
    // The document's first block is there from the start: the first piece
    // takes it, every later one opens a block of its own.
    const bool first = inserted_++ == 0;
    auto block = [&](const QTextBlockFormat& format) {
        if (first)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format);
    };
    switch (piece.kind) {
        case Piece::kRule: {
            QTextBlockFormat rule;
            rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                             QTextLength(QTextLength::PercentageLength, 100));
            block(rule);
            // The empty line the markup's <br> leaves under the rule.
            cursor.insertBlock(QTextBlockFormat());
            break;
        }
        case Piece::kParagraph: {
            QTextBlockFormat paragraph;
            paragraph.setTopMargin(12);
            paragraph.setBottomMargin(12);
            block(paragraph);
            // White space as the markup shows it: runs of it one blank, none
            // at the ends (the caption's closing line break).
            cursor.insertText(piece.text.simplified(), TextFormat(10, true));
            break;
        }
        case Piece::kTable: {
            int columns = 0;
            for (const auto& row : piece.table)
                columns = std::max(columns, static_cast<int>(row.size()));
            if (piece.table.empty() || columns == 0) {
                block(QTextBlockFormat());
                break;
            }
            QTextTableFormat format;
            format.setBorder(1);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Outset);
            format.setCellPadding(1);
            format.setCellSpacing(1);
            format.setAlignment(Qt::AlignLeft);
            QTextTable* table =
                cursor.insertTable(static_cast<int>(piece.table.size()), columns, format);
            // Numbers stand right-aligned and never break at their sign.
            QTextBlockFormat cellBlock;
            cellBlock.setAlignment(Qt::AlignRight);
            cellBlock.setNonBreakableLines(true);
            const QTextCharFormat cellText = TextFormat(8, false);
            for (int r = 0; r < static_cast<int>(piece.table.size()); ++r) {
                const auto& row = piece.table[static_cast<std::size_t>(r)];
                for (int c = 0; c < columns; ++c) {
                    if (c >= static_cast<int>(row.size())) continue;
                    QTextCursor cell = table->cellAt(r, c).firstCursorPosition();
                    cell.insertText(row[static_cast<std::size_t>(c)], cellText);
                }
            }
            // One format for every cell of the table at once: set cell by
            // cell it costs a third of the table's time.
            QTextCursor all(building_ ? building_ : document());
            all.setPosition(table->firstPosition());
            all.setPosition(table->lastPosition(), QTextCursor::KeepAnchor);
            all.setBlockFormat(cellBlock);
            // The empty line the markup's <br> leaves under the table.
            cursor.movePosition(QTextCursor::End);
            cursor.insertBlock(QTextBlockFormat());
            break;
        }
    }
}
