#include "ui/grid/grid_print.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <chrono>

#include "platform/dialogs.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_paint.h"

namespace {

// The local time now.
std::tm LocalNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// Text drawn on one line, vertically centred in a classic rectangle.
void DrawLine(QPainter* painter, const QRect& classic, Qt::Alignment horizontal,
              const QString& text) {
    painter->drawText(gridpaint::ToPixels(classic),
                      static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), text);
}

}  // namespace

// A row as tall as the page, or taller, gets a page of its own and is printed
// cut at the page's foot: counting a page break before the first row of a
// page would leave that page empty and the row on no page at all.
int CGridCtrl::WalkRowPages(int page, int* pages) const {
    int count = 1, total = 0, first = fixedRows_;
    for (int row = fixedRows_; row < rowCount_; ++row) {
        const int height = GetRowHeight(row);
        if (total > 0 && total + height > pageHeight_) {
            ++count;
            total = 0;
            if (count == page) first = row;
        }
        total += height;
    }
    if (pages) *pages = count;
    return page <= count ? first : rowCount_;
}

int CGridCtrl::WalkColumnPages(int page, int* pages) const {
    int count = 1, total = 0, first = fixedCols_;
    for (int col = fixedCols_; col < colCount_; ++col) {
        const int width = GetColumnWidth(col);
        if (total > 0 && total + width > pageWidth_) {
            ++count;
            total = 0;
            if (count == page) first = col;
        }
        total += width;
    }
    if (pages) *pages = count;
    return page <= count ? first : colCount_;
}

void CGridCtrl::OnBeginPrinting(QPainter* painter, GridPrintInfo* info) {
    if (!painter || !info || !painter->device()) return;
    QPaintDevice* printer = painter->device();
    const int printerDpiX = printer->logicalDpiX(), printerDpiY = printer->logicalDpiY();
    const int screenDpiX = logicalDpiX(), screenDpiY = logicalDpiY();

    // Sizes are in logical units, which one transform maps onto the paper:
    // the font is sized in them too, never in points.
    printerFont_ = std::make_unique<QFont>(QStringLiteral("Arial"));
    printerFont_->setPixelSize(10);
    printerFont_->setWeight(QFont::Normal);
    painter->save();
    painter->setFont(*printerFont_);
    const QFontMetrics metrics(*printerFont_);
    const QString sample = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ");
    printCharSize_ = QSize(metrics.horizontalAdvance(sample) / 52, metrics.height());

    paperSize_ = QSize(printer->width(), printer->height());
    const int marginWidth = (leftMargin_ + rightMargin_) * printCharSize_.width();
    if (wysiwygPrinting_) {
        logicalPageSize_ = QSize(screenDpiX * paperSize_.width() / printerDpiX * 3 / 4,
                                 screenDpiY * paperSize_.height() / printerDpiY * 3 / 4);
    } else {
        const int width = TotalWidth() + marginWidth;
        const int height =
            paperSize_.width() > 0
                ? static_cast<int>(
                      (static_cast<qint64>(width) * paperSize_.height() + paperSize_.width() / 2) /
                      paperSize_.width())
                : 0;
        logicalPageSize_ = QSize(width, height);
    }
    pageHeight_ = logicalPageSize_.height() -
                  (headerHeight_ + footerHeight_ + 2 * gap_) * printCharSize_.height() -
                  FixedRowHeight();
    pageWidth_ = logicalPageSize_.width() - FixedColumnWidth() - marginWidth;

    int rowPages = 1;
    WalkRowPages(1, &rowPages);
    columnPageCount_ = 1;
    if (wysiwygPrinting_) WalkColumnPages(1, &columnPageCount_);
    pageCount_ = rowPages * columnPageCount_;

    info->maxPage = pageCount_;
    info->currentPage = 1;
    painter->restore();
}

void CGridCtrl::OnEndPrinting(QPainter*, GridPrintInfo*) {
    printerFont_.reset();
}

void CGridCtrl::PrintGridLine(QPainter* painter, int x1, int y1, int x2, int y2) const {
    gridpaint::Line(*painter, x1, y1, x2, y2, Qt::black);
}

void CGridCtrl::OnPrint(QPainter* painter, GridPrintInfo* info) {
    if (!painter || !info || !printerFont_) return;
    painter->save();
    painter->setFont(*printerFont_);
    const int cw = printCharSize_.width(), ch = printCharSize_.height();
    QPoint origin(-leftMargin_ * cw, 0);
    const auto applyOrigin = [&] {
        painter->setWindow(QRect(origin, logicalPageSize_));
        painter->setViewport(QRect(QPoint(0, 0), paperSize_));
    };
    applyOrigin();

    info->rectDraw = QRect(
        QPoint(0, 0),
        QPoint(logicalPageSize_.width() - (leftMargin_ + rightMargin_) * cw, headerHeight_ * ch));
    PrintHeader(painter, info);
    const int fixedRowHeight = FixedRowHeight();
    const int fixedColWidth = FixedColumnWidth();
    origin.ry() -= headerHeight_ * ch + gap_ * ch + fixedRowHeight;
    applyOrigin();

    // The page's place in the rows and, when wide grids split, in the columns.
    const int p = info->currentPage;
    int q = p / columnPageCount_, r = p - q * columnPageCount_;
    if (r > 0) ++q;
    if (r == 0) r = columnPageCount_;
    --r;
    printRow_ = WalkRowPages(q, nullptr);
    printCol_ = WalkColumnPages(r + 1, nullptr);

    PrintRowButtons(painter, info);
    info->rectDraw.setBottom(fixedRowHeight);

    origin.ry() += fixedRowHeight;
    applyOrigin();
    const int savedPageWidth = pageWidth_, savedPrintCol = printCol_;
    pageWidth_ += fixedColWidth;
    if (printCol_ == fixedCols_) printCol_ = 0;
    PrintColumnHeadings(painter, info);
    pageWidth_ = savedPageWidth;
    printCol_ = savedPrintCol;

    origin += QPoint(-fixedColWidth, -fixedRowHeight);
    applyOrigin();

    if (printRow_ >= rowCount_) {
        painter->restore();
        return;
    }
    const int lines = gridLines_;
    painter->save();
    // A row taller than the page is cut at the page's foot.
    painter->setClipRect(QRect(-1, -1, pageWidth_ + 2, pageHeight_ + 2));
    QRect rect(QPoint(0, 0), QPoint(0, -1));
    for (int row = printRow_; row < rowCount_; ++row) {
        rect.setTop(rect.bottom() + 1);
        rect.setBottom(rect.top() + GetRowHeight(row) - 1);
        if (rect.bottom() > pageHeight_ && row != printRow_) break;
        rect.setRight(-1);
        for (int col = printCol_; col < colCount_; ++col) {
            rect.setLeft(rect.right() + 1);
            rect.setRight(rect.left() + GetColumnWidth(col) - 1);
            if (rect.right() > pageWidth_) break;
            if (CGridCellBase* cell = GetCell(row, col)) cell->PrintCell(*painter, row, col, rect);
            if (lines == kGridBoth || lines == kGridHorz) {
                const int o = col == 0 ? 0 : 1;
                PrintGridLine(painter, rect.left() - o, rect.bottom(), rect.right(), rect.bottom());
                if (row == 0)
                    PrintGridLine(painter, rect.left() - o, rect.top(), rect.right(), rect.top());
            }
            if (lines == kGridBoth || lines == kGridVert) {
                const int v = row == printRow_ ? 0 : 1;
                PrintGridLine(painter, rect.right(), rect.top() - v, rect.right(), rect.bottom());
                if (col == 0)
                    PrintGridLine(painter, rect.left(), rect.top() - v, rect.left(), rect.bottom());
            }
        }
    }
    painter->restore();

    info->rectDraw.setBottom(footerHeight_ * ch);
    origin = QPoint(-leftMargin_ * cw, footerHeight_ * ch - logicalPageSize_.height());
    applyOrigin();
    PrintFooter(painter, info);
    painter->restore();
}

void CGridCtrl::PrintColumnHeadings(QPainter* painter, GridPrintInfo*) {
    if (!printerFont_) return;
    painter->save();
    painter->setFont(*printerFont_);
    QRect rect(QPoint(0, 0), QPoint(0, -1));
    bool firstColumn = true;
    for (int row = 0; row < fixedRows_; ++row) {
        rect.setTop(rect.bottom() + 1);
        rect.setBottom(rect.top() + GetRowHeight(row) - 1);
        rect.setRight(-1);
        if (printCol_ >= fixedCols_) {
            PrintRowCells(0, fixedCols_, row, rect, painter, firstColumn);
            firstColumn = true;
        }
        PrintRowCells(printCol_, colCount_, row, rect, painter, firstColumn);
    }
    painter->restore();
}

void CGridCtrl::PrintRowCells(int firstCol, int endCol, int row, QRect& rect, QPainter* painter,
                              bool& firstColumn) {
    const int lines = gridLines_;
    for (int col = firstCol; col < endCol; ++col) {
        rect.setLeft(rect.right() + 1);
        rect.setRight(rect.left() + GetColumnWidth(col) - 1);
        if (rect.right() > pageWidth_) break;
        if (CGridCellBase* cell = GetCell(row, col)) cell->PrintCell(*painter, row, col, rect);
        if (lines == kGridBoth || lines == kGridHorz) {
            const int o = col == 0 ? 0 : 1;
            PrintGridLine(painter, rect.left() - o, rect.bottom(), rect.right(), rect.bottom());
            if (row == 0)
                PrintGridLine(painter, rect.left() - o, rect.top(), rect.right(), rect.top());
        }
        if (lines == kGridBoth || lines == kGridVert) {
            const int v = row == 0 ? 0 : 1;
            PrintGridLine(painter, rect.right(), rect.top() - v, rect.right(), rect.bottom());
            if (firstColumn) {
                PrintGridLine(painter, rect.left() - 1, rect.top() - v, rect.left() - 1,
                              rect.bottom());
                firstColumn = false;
            }
        }
    }
}

void CGridCtrl::PrintRowButtons(QPainter* painter, GridPrintInfo*) {
    if (!printerFont_) return;
    painter->save();
    painter->setFont(*printerFont_);
    const int lines = gridLines_;
    bool first = true;
    painter->setClipRect(QRect(-1, -1, FixedColumnWidth() + 2, pageHeight_ + 2));
    QRect rect(QPoint(0, 0), QPoint(-1, -1));
    for (int col = 0; col < fixedCols_; ++col) {
        rect.setLeft(rect.right() + 1);
        rect.setRight(rect.left() + GetColumnWidth(col) - 1);
        rect.setBottom(-1);
        for (int row = printRow_; row < rowCount_; ++row) {
            rect.setTop(rect.bottom() + 1);
            rect.setBottom(rect.top() + GetRowHeight(row) - 1);
            if (rect.bottom() > pageHeight_ && row != printRow_) break;
            if (CGridCellBase* cell = GetCell(row, col)) cell->PrintCell(*painter, row, col, rect);
            const int o = col == 0 ? 0 : 1;
            if (lines == kGridBoth || lines == kGridHorz) {
                PrintGridLine(painter, rect.left() - o, rect.bottom(), rect.right(), rect.bottom());
                if (first)
                    PrintGridLine(painter, rect.left() - o, rect.top() - 1, rect.right(),
                                  rect.top() - 1);
            }
            first = false;
            if (lines == kGridBoth || lines == kGridVert) {
                const int v = row == 0 ? 0 : 1;
                PrintGridLine(painter, rect.right(), rect.top() - v, rect.right(), rect.bottom());
                if (col == 0)
                    PrintGridLine(painter, rect.left(), rect.top() - v, rect.left(), rect.bottom());
            }
        }
    }
    painter->restore();
}

void CGridCtrl::PrintHeader(QPainter* painter, GridPrintInfo* info) {
    if (!printerFont_) return;
    const QString right = QApplication::applicationName();
    QString centre;
    for (QWidget* w = parentWidget(); w && centre.isEmpty(); w = w->parentWidget())
        centre = w->windowTitle();

    painter->save();
    QFont bold(*printerFont_);
    bold.setWeight(QFont::Bold);
    painter->setFont(bold);
    painter->setBackgroundMode(Qt::TransparentMode);
    painter->setPen(Qt::black);
    const QRect& rect = info->rectDraw;
    DrawLine(painter, rect, Qt::AlignHCenter, centre);
    DrawLine(painter, rect, Qt::AlignRight, right);
    gridpaint::Line(*painter, rect.left(), rect.bottom(), rect.right(), rect.bottom(), Qt::black);
    painter->restore();
}

void CGridCtrl::PrintFooter(QPainter* painter, GridPrintInfo* info) {
    if (!printerFont_) return;
    const QString page = QStringLiteral("Page %1 of %2").arg(info->currentPage).arg(info->maxPage);
    const std::tm now = printClock_ ? printClock_() : LocalNow();
    char buffer[128] = {};
    std::strftime(buffer, sizeof buffer, "%c", &now);
    const QString date = QString::fromLocal8Bit(buffer);

    painter->save();
    const QRect& rect = info->rectDraw;
    gridpaint::Line(*painter, rect.left(), rect.top(), rect.right(), rect.top(), Qt::black);
    QFont bold(*printerFont_);
    bold.setWeight(QFont::Bold);
    painter->setFont(bold);
    painter->setPen(Qt::black);
    painter->setBackgroundMode(Qt::TransparentMode);
    DrawLine(painter, rect, Qt::AlignLeft, page);
    DrawLine(painter, rect, Qt::AlignRight, date);
    painter->restore();
}

// --- The print job ---------------------------------------------------------------

bool PrintGridPages(CGridCtrl& grid, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    GridPrintInfo info;
    grid.OnBeginPrinting(&painter, &info);
    for (int page = 1; page <= info.maxPage; ++page) {
        if (page > 1) printer.newPage();
        info.currentPage = page;
        grid.OnPrint(&painter, &info);
    }
    grid.OnEndPrinting(&painter, &info);
    return painter.end();
}

bool PrintGrid(CGridCtrl& grid, QPrinter& printer, QWidget* parent) {
    if (!platform::PrintDialogs().ChoosePrinter(parent, &printer)) return false;
    return PrintGridPages(grid, printer);
}
