#include <QPaintEvent>
#include <QPainter>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_paint.h"

void CGridCtrl::paintEvent(QPaintEvent* e) {
    // Qt already paints through an off-screen backing store.
    QPainter painter(viewport());
    OnDraw(painter, e->rect());
}

void CGridCtrl::EraseBkgnd(QPainter& painter, const QRect& clipPixels) {
    // Classic coordinates from here on: right and bottom are exclusive.
    const QRect c(QPoint(clipPixels.left(), clipPixels.top()),
                  QPoint(clipPixels.right() + 1, clipPixels.bottom() + 1));
    QRect v;
    VisibleRange(&v);
    const int w = FixedColumnWidth();
    const int h = FixedRowHeight();
    const QColor corner = cellFixedRowColDefault_->GetBackClr();
    const QColor fixedRow = cellFixedRowDefault_->GetBackClr();
    const QColor fixedCol = cellFixedColDefault_->GetBackClr();
    const QColor normal = cellDefault_->GetBackClr();

    if (c.left() < w) {
        if (c.top() < h) gridpaint::Fill(painter, c.left(), c.top(), w, h, corner);
        if (c.top() < v.bottom())
            gridpaint::Fill(painter, c.left(), c.top(), w, v.bottom(), fixedCol);
    }
    if (c.top() < h && c.right() > w && c.left() < v.right())
        gridpaint::Fill(painter, w - 1, c.top(), v.right(), h, fixedRow);
    const int il = std::max(v.left(), c.left()), it = std::max(v.top(), c.top());
    const int ir = std::min(v.right(), c.right()), ib = std::min(v.bottom(), c.bottom());
    if (il < ir && it < ib)
        gridpaint::Fill(painter, std::max(w, il), std::max(h, it), ir, ib, normal);
    if (v.right() < c.right())
        gridpaint::Fill(painter, v.right(), c.top(), c.right(), c.bottom(), gridBkColour_);
    if (v.bottom() < c.bottom() && c.left() < v.right())
        gridpaint::Fill(painter, c.left(), v.bottom(), v.right(), c.bottom(), gridBkColour_);
}

void CGridCtrl::OnDraw(QPainter& painter, const QRect& clip) {
    if (!allowDraw_ || clip.isEmpty()) return;
    EraseBkgnd(painter, clip);

    const int fixedHeight = FixedRowHeight();
    const int fixedWidth = FixedColumnWidth();
    QRect visRect;
    const CCellRange visible = VisibleRange(&visRect);
    const int minRow = visible.minRow, minCol = visible.minCol;
    const int maxRow = visible.maxRow, maxCol = visible.maxCol;
    if (virtualMode_) SendCacheHint(visible);

    auto drawCell = [&](int row, int col, const QRect& rect) {
        CGridCellBase* cell = GetCell(row, col);
        if (!cell) return;
        cell->SetCoords(row, col);
        cell->Draw(painter, row, col, rect, false);
    };

    // The corner, never clipped.
    int bottom = -1;
    for (int row = 0; row < fixedRows_; ++row) {
        const int height = GetRowHeight(row);
        if (height <= 0) continue;
        const int top = bottom + 1;
        bottom = top + height - 1;
        int right = -1;
        for (int col = 0; col < fixedCols_; ++col) {
            const int width = GetColumnWidth(col);
            if (width <= 0) continue;
            const int left = right + 1;
            right = left + width - 1;
            drawCell(row, col, QRect(QPoint(left, top), QPoint(right, bottom)));
        }
    }

    // Fixed columns, fixed rows and the body, bounded by the clip box.
    auto drawBlock = [&](int row0, int row1, int y0, int col0, int col1, int x0) {
        int rowBottom = y0 - 1;
        for (int row = row0; row >= 0 && row <= row1; ++row) {
            const int height = GetRowHeight(row);
            if (height <= 0) continue;
            const int top = rowBottom + 1;
            rowBottom = top + height - 1;
            if (top > clip.bottom()) break;
            if (rowBottom < clip.top()) continue;
            int colRight = x0 - 1;
            for (int col = col0; col >= 0 && col <= col1; ++col) {
                const int width = GetColumnWidth(col);
                if (width <= 0) continue;
                const int left = colRight + 1;
                colRight = left + width - 1;
                if (left > clip.right()) break;
                if (colRight < clip.left()) continue;
                drawCell(row, col, QRect(QPoint(left, top), QPoint(colRight, rowBottom)));
            }
        }
    };
    drawBlock(minRow, maxRow, fixedHeight, 0, fixedCols_ - 1, 0);
    drawBlock(0, fixedRows_ - 1, 0, minCol, maxCol, fixedWidth);
    drawBlock(minRow, maxRow, fixedHeight, minCol, maxCol, fixedWidth);

    // Grid lines over the non-fixed cells only.
    if (gridLines_ == kGridBoth || gridLines_ == kGridVert) {
        int x = fixedWidth;
        for (int col = minCol; col >= 0 && col <= maxCol; ++col) {
            const int width = GetColumnWidth(col);
            if (width <= 0) continue;
            x += width;
            gridpaint::Line(painter, x - 1, fixedHeight, x - 1, visRect.bottom(), gridLineColour_);
        }
    }
    if (gridLines_ == kGridBoth || gridLines_ == kGridHorz) {
        int y = fixedHeight;
        for (int row = minRow; row >= 0 && row <= maxRow; ++row) {
            const int height = GetRowHeight(row);
            if (height <= 0) continue;
            y += height;
            gridpaint::Line(painter, fixedWidth, y - 1, visRect.right(), y - 1, gridLineColour_);
        }
    }

    // The tracking line of a row or column being resized, inverted.
    if (trackPos_ >= 0) {
        painter.save();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const QRect client = GetClientRect();
        if (trackVertical_)
            painter.fillRect(QRect(trackPos_, 0, 2, client.height()), Qt::white);
        else
            painter.fillRect(QRect(0, trackPos_, client.width(), 2), Qt::white);
        painter.restore();
    }

    if (virtualMode_) SendCacheHint(CCellRange());
}
