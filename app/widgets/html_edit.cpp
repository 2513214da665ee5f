#include "app/widgets/html_edit.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace {

// The fonts the markup names: captions bold at 10 points, table cells at 8.
const QStringList kFontFamilies = {QStringLiteral("Lucida Sans Unicode"),
                                   QStringLiteral("sans-serif")};

QFont ReportFont(qreal points, bool bold) {
    QFont font;
    font.setFamilies(kFontFamilies);
    font.setPointSizeF(points);
    if (bold) font.setWeight(QFont::Bold);
    return font;
}

QTextCharFormat TextFormat(qreal points, bool bold) {
    QTextCharFormat format;
    format.setFont(ReportFont(points, bold));
    return format;
}

// A table's character in the document: its object type, and the property
// that holds the index of its piece.
constexpr int kTableObjectType = QTextFormat::UserObject + 1;
constexpr int kPieceProperty = QTextFormat::UserProperty + 1;

// The markup's table: a border of one pixel round the table and round each
// cell, one pixel between cells and one inside each cell round its text.
constexpr qreal kBorder = 1;
constexpr qreal kSpacing = 1;
constexpr qreal kPadding = 1;
constexpr qreal kCellFrame = kBorder + kPadding;  // each side of a cell's text

QString RowText(const std::vector<QString>& row) {
    QString line;
    for (std::size_t c = 0; c < row.size(); ++c) {
        if (c > 0) line += QLatin1Char('\t');
        line += row[c];
    }
    return line;
}

}  // namespace

// Measures and draws the tables of the document. A table is measured when
// the layout first reaches its line; a cell's width is the sum of its
// characters' advances, looked up once each, so that a report of hundreds
// of thousands of cells is measured in a few milliseconds.
class ReportTableObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

  public:
    explicit ReportTableObject(CHTMLEdit* edit)
        : QObject(edit), edit_(edit), font_(ReportFont(8, false)), metrics_(font_) {
        advances_.fill(-1);
        rowHeight_ = std::ceil(metrics_.height()) + 2 * kCellFrame;
    }

    void Forget() { geometry_.clear(); }

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
        const Geometry* g = Measure(format);
        return g ? g->size : QSizeF();
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat& format) override {
        const Geometry* g = Measure(format);
        if (!g) return;
        const CHTMLEdit::Table& table = TableOf(format);
        const QRectF frame(rect.topLeft(), g->size);
        // Only the rows and cells in sight are drawn: a table can be far
        // taller and wider than the view.
        const QRectF clip = painter->hasClipping() ? painter->clipBoundingRect() : frame;
        if (!clip.intersects(frame)) return;
        painter->save();
        const QColor text = painter->pen().color();
        const QColor dark(Qt::darkGray);
        const QColor light = dark.lighter(160);
        // Raised round the table, sunk round each cell.
        Edge(painter, frame, light, dark);
        const qreal step = rowHeight_ + kSpacing;
        const qreal top = frame.top() + kBorder + kSpacing;
        const int rows = static_cast<int>(table.size());
        const int first = std::clamp(static_cast<int>((clip.top() - top) / step), 0, rows);
        const int last = std::clamp(static_cast<int>((clip.bottom() - top) / step) + 1, 0, rows);
        painter->setFont(font_);
        for (int r = first; r < last; ++r) {
            const auto& row = table[static_cast<std::size_t>(r)];
            qreal x = frame.left() + kBorder + kSpacing;
            const qreal y = top + r * step;
            for (std::size_t c = 0; c < g->columns.size(); ++c) {
                const QRectF cell(x, y, g->columns[c], rowHeight_);
                x += g->columns[c] + kSpacing;
                if (cell.right() < clip.left()) continue;
                if (cell.left() > clip.right()) break;
                Edge(painter, cell, dark, light);
                if (c >= row.size() || row[c].isEmpty()) continue;
                painter->setPen(text);
                painter->drawText(cell.adjusted(kCellFrame, kCellFrame, -kCellFrame, -kCellFrame),
                                  Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, row[c]);
            }
        }
        painter->restore();
    }

  private:
    struct Geometry {
        std::vector<qreal> columns;  // outer widths of the cells
        QSizeF size;
    };

    // One pixel line round `r`: `topLeft` on its top and left, `bottomRight`
    // on its other two sides.
    static void Edge(QPainter* painter, const QRectF& r, const QColor& topLeft,
                     const QColor& bottomRight) {
        painter->fillRect(QRectF(r.left(), r.top(), r.width(), 1), topLeft);
        painter->fillRect(QRectF(r.left(), r.top(), 1, r.height()), topLeft);
        painter->fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), bottomRight);
        painter->fillRect(QRectF(r.right() - 1, r.top(), 1, r.height()), bottomRight);
    }

    const CHTMLEdit::Table& TableOf(const QTextFormat& format) const {
        return edit_->pieces_[static_cast<std::size_t>(format.intProperty(kPieceProperty))].table;
    }

    qreal Width(const QString& text) {
        qreal width = 0;
        for (const QChar ch : text) {
            const char16_t u = ch.unicode();
            // Marks, surrogates and the rarer scripts: measured as a whole.
            if (u >= advances_.size() || ch.isMark()) return metrics_.horizontalAdvance(text);
            qreal& advance = advances_[u];
            if (advance < 0) advance = metrics_.horizontalAdvance(ch);
            width += advance;
        }
        return width;
    }

    const Geometry* Measure(const QTextFormat& format) {
        const int index = format.intProperty(kPieceProperty);
        if (index < 0 || static_cast<std::size_t>(index) >= edit_->pieces_.size()) return nullptr;
        if (geometry_.size() < edit_->pieces_.size()) geometry_.resize(edit_->pieces_.size());
        std::optional<Geometry>& g = geometry_[static_cast<std::size_t>(index)];
        if (g) return &*g;
        const CHTMLEdit::Table& table = TableOf(format);
        Geometry made;
        for (const auto& row : table) {
            if (made.columns.size() < row.size()) made.columns.resize(row.size(), 0);
            for (std::size_t c = 0; c < row.size(); ++c)
                made.columns[c] = std::max(made.columns[c], Width(row[c]));
        }
        qreal width = 2 * kBorder + kSpacing;
        for (qreal& column : made.columns) {
            column = std::ceil(column) + 2 * kCellFrame;
            width += column + kSpacing;
        }
        const auto rows = static_cast<qreal>(table.size());
        made.size = QSizeF(width, 2 * kBorder + kSpacing + rows * (rowHeight_ + kSpacing));
        g = std::move(made);
        return &*g;
    }

    CHTMLEdit* edit_;
    QFont font_;
    QFontMetricsF metrics_;
    qreal rowHeight_;
    std::array<qreal, 0x3000> advances_;             // by character, -1 until looked up
    std::vector<std::optional<Geometry>> geometry_;  // by piece
};

CHTMLEdit::CHTMLEdit(QWidget* parent) : QTextBrowser(parent) {
    setReadOnly(true);
    setOpenLinks(false);
    tables_ = new ReportTableObject(this);
    document()->setUndoRedoEnabled(false);
    document()->documentLayout()->registerHandler(kTableObjectType, tables_);
}

CHTMLEdit::~CHTMLEdit() = default;

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

QString CHTMLEdit::PlainText() const {
    return TextBetween(0, document()->characterCount() - 1);
}

const CHTMLEdit::Table* CHTMLEdit::TableAt(int position) const {
    const QTextBlock block = document()->findBlock(position);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (position < fragment.position() || position >= fragment.position() + fragment.length())
            continue;
        const QTextCharFormat format = fragment.charFormat();
        if (format.objectType() != kTableObjectType) return nullptr;
        const int index = format.intProperty(kPieceProperty);
        if (index < 0 || static_cast<std::size_t>(index) >= pieces_.size()) return nullptr;
        return &pieces_[static_cast<std::size_t>(index)].table;
    }
    return nullptr;
}

QString CHTMLEdit::TextBetween(int from, int to) const {
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.position() > from) text += QLatin1Char('\n');
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (start >= end) continue;
            if (fragment.charFormat().objectType() != kTableObjectType) {
                text += fragment.text().mid(start - fragment.position(), end - start);
                continue;
            }
            // A table's character: its rows, a line each.
            for (int p = start; p < end; ++p) {
                const Table* table = TableAt(p);
                if (!table) continue;
                for (std::size_t r = 0; r < table->size(); ++r) {
                    if (r > 0) text += QLatin1Char('\n');
                    text += RowText((*table)[r]);
                }
            }
        }
    }
    // Blocks end in a paragraph separator within a selection's text.
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QMimeData* CHTMLEdit::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* mime = new QMimeData;
    mime->setText(TextBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return mime;
}

void CHTMLEdit::NewDocument() {
    pieces_.clear();
    tables_->Forget();
    Refresh();
}

void CHTMLEdit::AppendRule() {
    pieces_.push_back({Piece::kRule, {}, {}});
    Insert(static_cast<int>(pieces_.size()) - 1);
}

void CHTMLEdit::AppendParagraph(const QString& text) {
    pieces_.push_back({Piece::kParagraph, text, {}});
    Insert(static_cast<int>(pieces_.size()) - 1);
}

void CHTMLEdit::AppendTable(Table table) {
    pieces_.push_back({Piece::kTable, {}, std::move(table)});
    Insert(static_cast<int>(pieces_.size()) - 1);
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
    for (int i = 0; i < kept; ++i) Insert(i);
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
    doc->documentLayout()->registerHandler(kTableObjectType, tables_);
    return doc;
}

QTextDocument* CHTMLEdit::Target() const {
    return building_ ? building_ : document();
}

void CHTMLEdit::Refresh() {
    QTextDocument* doc = Target();
    doc->clear();
    inserted_ = 0;
    for (int i = 0; i < static_cast<int>(pieces_.size()); ++i) Insert(i);
}

void CHTMLEdit::Insert(int index) {
    const Piece& piece = pieces_[static_cast<std::size_t>(index)];
    QTextCursor cursor(Target());
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
            // Under a table, the line its <br> leaves.
            if (index > 0 && pieces_[static_cast<std::size_t>(index) - 1].kind == Piece::kTable)
                rule.setTopMargin(QFontMetricsF(Target()->defaultFont()).height());
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
            // The markup's <br> under a table leaves no line: the next
            // table follows a few pixels below, as in the HTML view.
            QTextBlockFormat line;
            line.setBottomMargin(2);
            block(line);
            const bool empty =
                std::all_of(piece.table.begin(), piece.table.end(),
                            [](const std::vector<QString>& row) { return row.empty(); });
            if (empty) break;
            QTextCharFormat object;
            object.setObjectType(kTableObjectType);
            object.setProperty(kPieceProperty, index);
            cursor.insertText(QString(QChar::ObjectReplacementCharacter), object);
            break;
        }
    }
}

#include "html_edit.moc"
