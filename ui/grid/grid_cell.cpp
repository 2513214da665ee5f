#include "ui/grid/grid_cell.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_paint.h"
#include "ui/grid/in_place_edit.h"

namespace {

Qt::Alignment AlignmentOf(unsigned format) {
    Qt::Alignment align;
    if (format & kFmtRight)
        align |= Qt::AlignRight;
    else if (format & kFmtCenter)
        align |= Qt::AlignHCenter;
    else
        align |= Qt::AlignLeft;
    if (format & kFmtSingleLine) {
        if (format & kFmtBottom)
            align |= Qt::AlignBottom;
        else if (format & kFmtVCenter)
            align |= Qt::AlignVCenter;
        else
            align |= Qt::AlignTop;
    } else {
        align |= Qt::AlignTop;
    }
    return align;
}

bool WordBreaks(unsigned format) {
    return (format & kFmtWordBreak) && !(format & kFmtSingleLine);
}

// Draws `text` in the classic rectangle `box` with a cell format.
void DrawCellText(QPainter& painter, const QRect& box, const QString& text, unsigned format) {
    const QRect pixels = gridpaint::ToPixels(box);
    if (pixels.isEmpty() || text.isEmpty()) return;
    int flags = static_cast<int>(AlignmentOf(format));
    QString shown = text;
    if (WordBreaks(format)) {
        flags |= Qt::TextWordWrap;
    } else {
        flags |= Qt::TextSingleLine;
        if (format & kFmtEndEllipsis)
            shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, pixels.width());
    }
    painter.drawText(pixels, flags, shown);
}

bool IsPrinting(const QPainter& painter) {
    return painter.device() && painter.device()->devType() == QInternal::Printer;
}

// The size of image `index` of the grid's image list, or an invalid size.
QSize ImageSize(const CGridCtrl* grid, int index) {
    if (!grid || index < 0 || !grid->GetImageList()) return QSize();
    const QList<QPixmap>& images = *grid->GetImageList();
    if (index >= images.size()) return QSize();
    return images[index].size();
}

}  // namespace

// --- CGridCellBase -----------------------------------------------------------

void CGridCellBase::SetCoords(int, int) {}

CGridDefaultCell* CGridCellBase::GetDefaultCell() const {
    CGridCtrl* grid = GetGrid();
    if (!grid) return nullptr;
    return grid->GetDefaultCell(IsFixedRow(), IsFixedCol());
}

QFont CGridCellBase::DrawingFont() const {
    if (const QFont* font = GetFont()) return *font;
    return QGuiApplication::font();
}

void CGridCellBase::CopyFrom(const CGridCellBase& source) {
    if (&source == this) return;
    SetGrid(source.GetGrid());
    SetText(source.GetText());
    SetImage(source.GetImage());
    SetData(source.GetData());
    SetState(source.GetState());
    SetFormat(source.GetFormat());
    SetTextClr(source.GetTextClr());
    SetBackClr(source.GetBackClr());
    SetFont(source.IsDefaultFont() ? nullptr : source.GetFont());
    SetMargin(source.GetMargin());
}

bool CGridCellBase::Edit(int, int, QRect, QPoint, int, unsigned) {
    return false;
}

bool CGridCellBase::Draw(QPainter& painter, int row, int col, QRect rect, bool eraseBkgnd) {
    CGridCtrl* grid = GetGrid();
    if (!grid || rect.right() - rect.left() <= 0 || rect.bottom() - rect.top() <= 0) return false;
    CGridDefaultCell* def = GetDefaultCell();
    if (!def) return false;
    painter.save();

    QColor textClr = GetTextClr().isValid() ? GetTextClr() : def->GetTextClr();
    QColor backClr = def->GetBackClr();
    if (GetBackClr().isValid()) {
        backClr = GetBackClr();
        eraseBkgnd = true;
    }

    const bool gridLines = grid->GetGridLines() != kGridNone;
    if (IsFocused() || IsDropHighlighted()) {
        if (IsSelected()) {
            backClr = grid->SysColor(CGridCtrl::kSysHighlight);
            textClr = grid->SysColor(CGridCtrl::kSysHighlightText);
            eraseBkgnd = true;
        }
        rect.setRight(rect.right() + 1);
        rect.setBottom(rect.bottom() + 1);
        if (eraseBkgnd) gridpaint::Fill(painter, rect, backClr);
        if (gridLines) {
            rect.setRight(rect.right() - 1);
            rect.setBottom(rect.bottom() - 1);
        }
        if (grid->GetFrameFocusCell()) gridpaint::Frame(painter, rect, textClr);
        if (!gridLines) {
            rect.setRight(rect.right() - 1);
            rect.setBottom(rect.bottom() - 1);
        }
        rect.setTop(rect.top() + 1);
        rect.setRight(rect.right() - 1);
        rect.setBottom(rect.bottom() - 1);
    } else {
        const QRect widened(QPoint(rect.left(), rect.top()),
                            QPoint(rect.right() + 1, rect.bottom() + 1));
        if (IsSelected()) {
            gridpaint::Fill(painter, widened, grid->SysColor(CGridCtrl::kSysHighlight));
            textClr = grid->SysColor(CGridCtrl::kSysHighlightText);
        } else if (eraseBkgnd) {
            gridpaint::Fill(painter, widened, backClr);
        }
    }

    if (IsFixed() && gridLines) {
        const CCellID focus = grid->GetFocusCell();
        if (grid->GetTrackFocusCell() && grid->IsValid(focus) &&
            (focus.row == row || focus.col == col)) {
            // Sunken: shadow above and left, light below and right.
            const QRect edge(QPoint(rect.left(), rect.top()),
                             QPoint(rect.right() + 1, rect.bottom() + 1));
            const QColor shadow = grid->SysColor(CGridCtrl::kSys3DShadow);
            const QColor light = grid->SysColor(CGridCtrl::kSys3DHighlight);
            gridpaint::Fill(painter, edge.left(), edge.top(), edge.right(), edge.top() + 1, shadow);
            gridpaint::Fill(painter, edge.left(), edge.top(), edge.left() + 1, edge.bottom(),
                            shadow);
            gridpaint::Fill(painter, edge.left(), edge.bottom() - 1, edge.right(), edge.bottom(),
                            light);
            gridpaint::Fill(painter, edge.right() - 1, edge.top(), edge.right(), edge.bottom(),
                            light);
            rect =
                QRect(QPoint(rect.left() + 1, rect.top() + 1), QPoint(rect.right(), rect.bottom()));
        } else {
            const QColor light = grid->SysColor(CGridCtrl::kSys3DHighlight);
            const QColor dark = grid->SysColor(CGridCtrl::kSys3DDkShadow);
            gridpaint::Line(painter, rect.right(), rect.top(), rect.left(), rect.top(), light);
            gridpaint::Line(painter, rect.left(), rect.top(), rect.left(), rect.bottom(), light);
            gridpaint::Line(painter, rect.right(), rect.top(), rect.right(), rect.bottom(), dark);
            gridpaint::Line(painter, rect.right(), rect.bottom(), rect.left(), rect.bottom(), dark);
            rect.adjust(1, 1, -1, -1);
        }
    }

    if (!IsPrinting(painter)) painter.setFont(DrawingFont());
    painter.setPen(textClr);

    const int margin = static_cast<int>(GetMargin());
    rect.setLeft(rect.left() + margin);
    rect.setRight(rect.right() - margin);

    const QSize image = ImageSize(grid, GetImage());
    if (image.isValid() && rect.left() + image.width() <= rect.right() + 2 * margin &&
        rect.top() + image.height() <= rect.bottom() + 2 * margin) {
        painter.drawPixmap(rect.left(), rect.top(), (*grid->GetImageList())[GetImage()]);
    }

    if (row == 0 && col == grid->GetSortColumn()) {
        int size = painter.fontMetrics().height() - 4;
        const int height = rect.bottom() - rect.top();
        if (size >= height) size = height - 4;
        if (size > 0 && rect.left() + size < rect.right() + 2 * margin) {
            const int b = rect.bottom() - size - 2;
            const int l = rect.right() - size;
            const QColor shadow = grid->SysColor(CGridCtrl::kSys3DShadow);
            const QColor light = grid->SysColor(CGridCtrl::kSys3DHighlight);
            auto tri = [&](int x0, int y0, int x1, int y1, int x2, int y2, const QColor& c) {
                gridpaint::Line(painter, x0, y0, x1, y1, c);
                gridpaint::Line(painter, x1, y1, x2, y2, c);
                gridpaint::Line(painter, x2, y2, x0, y0, c);
            };
            const int h = size / 2;
            if (grid->GetSortAscending()) {
                tri(l + 1, b + size + 1, l + h + 1, b + 1, l + size + 1, b + size + 1, light);
                tri(l, b + size, l + h, b, l + size, b + size, shadow);
            } else {
                tri(l + 1, b + 1, l + h + 1, b + size + 1, l + size + 1, b + 1, light);
                tri(l, b, l + h, b + size, l + size, b, shadow);
            }
            rect.setRight(rect.right() - size);
        }
    }

    GetTextRect(rect);
    DrawCellText(painter, rect, GetText(), GetFormat() | kFmtNoPrefix);
    painter.restore();
    return true;
}

bool CGridCellBase::GetTextRect(QRect& rect) {
    const QSize image = ImageSize(GetGrid(), GetImage());
    if (image.isValid())
        rect.setLeft(rect.left() + image.width() + 1 + static_cast<int>(GetMargin()));
    return true;
}

QSize CGridCellBase::GetTextExtent(const QString& text, QPainter*) {
    CGridDefaultCell* def = GetDefaultCell();
    if (text.isEmpty()) return def ? QSize(def->GetWidth(), def->GetHeight()) : QSize(0, 0);
    const QFontMetrics metrics(DrawingFont());
    const unsigned format = GetFormat();
    QSize size;
    if (WordBreaks(format)) {
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const QRect box =
            metrics.boundingRect(QRect(0, 0, widest + 1, 1 << 20),
                                 static_cast<int>(AlignmentOf(format)) | Qt::TextWordWrap, text);
        size = QSize(widest, box.height());
    } else {
        size = QSize(metrics.horizontalAdvance(text), metrics.height());
    }
    const int margin = static_cast<int>(GetMargin());
    return QSize(size.width() + 4 * margin, size.height() + 2 * margin);
}

QSize CGridCellBase::GetCellExtent(QPainter* painter) {
    QSize size = GetTextExtent(GetText(), painter);
    const QSize image = ImageSize(GetGrid(), GetImage());
    if (image.isValid()) {
        size.setWidth(size.width() + image.width() + 1);
        size.setHeight(std::max(size.height(), image.height() + 1));
    }
    return size;
}

bool CGridCellBase::PrintCell(QPainter& painter, int, int, QRect rect) {
    CGridCtrl* grid = GetGrid();
    if (!grid || rect.right() <= rect.left() || rect.bottom() <= rect.top()) return false;
    painter.save();
    QColor textClr(Qt::black);
    if (grid->GetShadedPrintOut()) {
        CGridDefaultCell* def = GetDefaultCell();
        if (!def) {
            painter.restore();
            return false;
        }
        QColor back;
        if (IsFixed())
            back = GetBackClr().isValid() ? GetBackClr() : def->GetBackClr();
        else if (GetBackClr().isValid() && GetBackClr() != def->GetBackClr())
            back = GetBackClr();
        textClr =
            GetBackClr().isValid() && GetTextClr().isValid() ? GetTextClr() : def->GetTextClr();
        if (back.isValid())
            gridpaint::Fill(painter, rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1,
                            back);
    }
    painter.setPen(textClr);
    // Printing maps the grid's screen pixels onto the paper with one
    // transform; a font sized in points would be scaled a second time by the
    // printer's resolution.
    QFont font = DrawingFont();
    if (font.pixelSize() <= 0)
        font.setPixelSize(std::max(1, qRound(font.pointSizeF() * grid->logicalDpiY() / 72.0)));
    painter.setFont(font);
    if (grid->GetGridLines() != kGridNone && IsFixed()) {
        const QColor light = grid->SysColor(CGridCtrl::kSys3DHighlight);
        const QColor dark = grid->SysColor(CGridCtrl::kSys3DDkShadow);
        gridpaint::Line(painter, rect.right(), rect.top(), rect.left(), rect.top(), light);
        gridpaint::Line(painter, rect.left(), rect.top(), rect.left(), rect.bottom(), light);
        gridpaint::Line(painter, rect.right(), rect.top(), rect.right(), rect.bottom(), dark);
        gridpaint::Line(painter, rect.right(), rect.bottom(), rect.left(), rect.bottom(), dark);
        rect.adjust(1, 1, -1, -1);
    }
    const int margin = static_cast<int>(GetMargin());
    rect.setLeft(rect.left() + margin);
    rect.setRight(rect.right() - margin);
    const QSize image = ImageSize(grid, GetImage());
    if (image.isValid()) {
        painter.drawPixmap(rect.left(), rect.top(), (*grid->GetImageList())[GetImage()]);
        rect.setLeft(rect.left() + image.width() + margin);
    }
    DrawCellText(painter, rect, GetText(), GetFormat() | kFmtNoPrefix);
    painter.restore();
    return true;
}

// --- CGridCell ------------------------------------------------------------

CGridCell::~CGridCell() {
    // An editor still open outlives its cell; it reports to the grid by
    // position, never to the cell.
}

void CGridCell::SetFont(const QFont* font) {
    if (!font) {
        font_.reset();
        return;
    }
    if (!font_)
        font_ = std::make_unique<QFont>(*font);
    else
        *font_ = *font;
}

unsigned CGridCell::GetFormat() const {
    if (format_ != kUseDefault) return format_;
    if (CGridDefaultCell* def = GetDefaultCell()) return def->GetFormat();
    return kFmtDefault;
}

const QFont* CGridCell::GetFont() const {
    if (font_) return font_.get();
    if (CGridDefaultCell* def = GetDefaultCell()) return def->GetFont();
    return nullptr;
}

unsigned CGridCell::GetMargin() const {
    if (margin_ != kUseDefault) return margin_;
    if (CGridDefaultCell* def = GetDefaultCell()) return def->GetMargin();
    return 3;
}

void CGridCell::Reset() {
    CGridCellBase::Reset();
    text_.clear();
    image_ = -1;
    grid_ = nullptr;
    editing_ = false;
    editWnd_ = nullptr;
    format_ = kUseDefault;
    textClr_ = QColor();
    backClr_ = QColor();
    font_.reset();
    margin_ = kUseDefault;
}

bool CGridCell::Edit(int row, int col, QRect rect, QPoint, int controlId, unsigned start) {
    if (editing_) {
        if (auto* editor = dynamic_cast<CInPlaceEdit*>(editWnd_.data())) editor->SendChar(start);
        return true;
    }
    if (!GetGrid()) return false;
    const unsigned format = GetFormat();
    const Qt::Alignment align = (format & kFmtRight)    ? Qt::AlignRight
                                : (format & kFmtCenter) ? Qt::AlignHCenter
                                                        : Qt::AlignLeft;
    editing_ = true;
    editWnd_ = new CInPlaceEdit(GetGrid(), rect, align, controlId, row, col, GetText(), start);
    return true;
}

void CGridCell::EndEdit() {
    if (auto* editor = dynamic_cast<CInPlaceEdit*>(editWnd_.data())) editor->EndEdit();
}

void CGridCell::OnEndEdit() {
    editing_ = false;
    editWnd_ = nullptr;
}

// --- CGridDefaultCell -----------------------------------------------------

CGridDefaultCell::CGridDefaultCell() {
    CGridCell::SetFormat(kFmtDefault);
    if (QGuiApplication::instance()) {
        const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        SetFont(&font);
    } else {
        SetMargin(3);
        width_ = 40;
        height_ = 16;
    }
}

void CGridDefaultCell::SetFont(const QFont* font) {
    if (!font) return;
    CGridCell::SetFont(font);
    if (!QGuiApplication::instance()) {
        SetMargin(3);
        width_ = 40;
        height_ = 16;
        return;
    }
    const QFontMetrics metrics(*font);
    SetMargin(static_cast<unsigned>(metrics.horizontalAdvance(QStringLiteral(" "))));
    width_ = metrics.horizontalAdvance(QStringLiteral(" XXXXXXXXXXXX "));
    height_ = metrics.height() * 3 / 2;
}
