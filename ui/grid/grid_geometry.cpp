#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "ui/grid/grid_ctrl.h"

// --- Sizes ------------------------------------------------------------------

bool CGridCtrl::SetRowHeight(int row, int height) {
    if (row < 0 || row >= rowCount_ || height < 0) return false;
    rowHeights_[static_cast<size_t>(row)] = height;
    UpdateScrollBars();
    return true;
}

bool CGridCtrl::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= colCount_ || width < 0) return false;
    colWidths_[static_cast<size_t>(col)] = width;
    UpdateScrollBars();
    return true;
}

int CGridCtrl::GetRowHeight(int row) const {
    if (row < 0 || row >= rowCount_) return -1;
    return rowHeights_[static_cast<size_t>(row)];
}

int CGridCtrl::GetColumnWidth(int col) const {
    if (col < 0 || col >= colCount_) return -1;
    return colWidths_[static_cast<size_t>(col)];
}

int CGridCtrl::FixedRowHeight() const {
    int sum = 0;
    for (int row = 0; row < fixedRows_; ++row) sum += rowHeights_[static_cast<size_t>(row)];
    return sum;
}

int CGridCtrl::FixedColumnWidth() const {
    int sum = 0;
    for (int col = 0; col < fixedCols_; ++col) sum += colWidths_[static_cast<size_t>(col)];
    return sum;
}

int CGridCtrl::TotalHeight() const {
    int sum = 0;
    for (int h : rowHeights_) sum += h;
    return sum;
}

int CGridCtrl::TotalWidth() const {
    int sum = 0;
    for (int w : colWidths_) sum += w;
    return sum;
}

bool CGridCtrl::AutoSizeColumn(int col, int style, bool resetScroll) {
    if (col < 0 || col >= colCount_ || colWidths_[static_cast<size_t>(col)] < 1) return false;
    if (style == 0) style = autoSizeStyle_;
    const int first = (style & kAutoSizeHeader) ? 0 : fixedRows_;
    const int last = (style & kAutoSizeData) ? rowCount_ - 1 : fixedRows_ - 1;
    if (virtualMode_) SendCacheHint(CCellRange(first, col, last, col));
    int width = 0;
    for (int row = first; row <= last; ++row)
        if (CGridCellBase* cell = GetCell(row, col))
            width = std::max(width, cell->GetCellExtent().width());
    if (virtualMode_) SendCacheHint(CCellRange());
    colWidths_[static_cast<size_t>(col)] = width;
    if (resetScroll) UpdateScrollBars();
    return true;
}

void CGridCtrl::AutoSizeColumns(int style) {
    for (int col = 0; col < colCount_; ++col)
        if (colWidths_[static_cast<size_t>(col)] > 0) AutoSizeColumn(col, style, false);
    UpdateScrollBars();
}

bool CGridCtrl::AutoSizeRow(int row, bool resetScroll) {
    if (row < 0 || row >= rowCount_ || rowHeights_[static_cast<size_t>(row)] < 1) return false;
    if (virtualMode_) SendCacheHint(CCellRange(row, 0, row, colCount_ - 1));
    int height = 0;
    for (int col = 0; col < colCount_; ++col)
        if (CGridCellBase* cell = GetCell(row, col))
            height = std::max(height, cell->GetCellExtent().height());
    if (virtualMode_) SendCacheHint(CCellRange());
    rowHeights_[static_cast<size_t>(row)] = height;
    if (resetScroll) UpdateScrollBars();
    return true;
}

namespace {

// Spreads `free` pixels (negative: takes them) over the shown entries of
// `sizes` from `first` on. Every shown entry gets free / n; the remainder goes
// one pixel each to the first shown entries. No entry drops below one pixel,
// so a shown row or column never vanishes or turns negative.
void Spread(std::vector<int>& sizes, int first, int free) {
    int shown = 0;
    for (size_t i = static_cast<size_t>(first); i < sizes.size(); ++i)
        if (sizes[i] > 0) ++shown;
    if (shown < 1) return;
    const int each = free / shown;
    int rest = (free < 0 ? -free : free) % shown;
    const int step = free < 0 ? -1 : 1;
    for (size_t i = static_cast<size_t>(first); i < sizes.size(); ++i) {
        if (sizes[i] <= 0) continue;
        int size = sizes[i] + each;
        if (rest > 0) {
            size += step;
            --rest;
        }
        sizes[i] = std::max(1, size);
    }
}

}  // namespace

void CGridCtrl::ExpandColumnsToFit(bool includeFixed) {
    if (includeFixed ? colCount_ <= 0 : colCount_ <= fixedCols_) return;
    if (barState_ & 1) {
        barState_ &= ~1;
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    const QRect client = GetClientRect();
    Spread(colWidths_, includeFixed ? 0 : fixedCols_, client.width() - TotalWidth());
    Refresh();
    UpdateScrollBars();
}

void CGridCtrl::ExpandRowsToFit(bool includeFixed) {
    if (includeFixed ? rowCount_ <= 0 : rowCount_ <= fixedRows_) return;
    if (barState_ & 2) {
        barState_ &= ~2;
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    const QRect client = GetClientRect();
    Spread(rowHeights_, includeFixed ? 0 : fixedRows_, client.height() - TotalHeight());
    Refresh();
    UpdateScrollBars();
}

void CGridCtrl::ExpandToFit(bool includeFixed) {
    ExpandColumnsToFit(includeFixed);
    ExpandRowsToFit(includeFixed);
    ExpandColumnsToFit(includeFixed);
    Refresh();
}

void CGridCtrl::ExpandLastColumn() {
    if (colCount_ <= 0) return;
    int last = colCount_ - 1;
    while (last >= 0 && colWidths_[static_cast<size_t>(last)] <= 0) --last;
    // With every column hidden there is nothing to expand.
    if (last <= 0) return;
    if (barState_ & 1) {
        barState_ &= ~1;
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    const int free = GetClientRect().width() - TotalWidth();
    if (free > 0) {
        colWidths_[static_cast<size_t>(last)] += free;
        Refresh();
    }
    UpdateScrollBars();
}

// --- Geometry --------------------------------------------------------------

QRect CGridCtrl::GetClientRect() const {
    const QRect contents = contentsRect();
    int w = contents.width();
    int h = contents.height();
    if (barState_ & 2) w -= ScrollBarExtent();
    if (barState_ & 1) h -= ScrollBarExtent();
    return QRect(0, 0, std::max(0, w), std::max(0, h));
}

int CGridCtrl::ScrollBarExtent() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

bool CGridCtrl::CellOrigin(int row, int col, QPoint* origin) {
    if (!IsValid(row, col)) return false;
    CCellID topLeft;
    if (col >= fixedCols_ || row >= fixedRows_) topLeft = TopLeftCell();
    if (col >= fixedCols_ && col < topLeft.col) return false;
    if (row >= fixedRows_ && row < topLeft.row) return false;
    int x = 0;
    if (col < fixedCols_) {
        for (int c = 0; c < col; ++c) x += colWidths_[static_cast<size_t>(c)];
    } else {
        x = FixedColumnWidth();
        for (int c = topLeft.col; c < col; ++c) x += colWidths_[static_cast<size_t>(c)];
    }
    int y = 0;
    if (row < fixedRows_) {
        for (int r = 0; r < row; ++r) y += rowHeights_[static_cast<size_t>(r)];
    } else {
        y = FixedRowHeight();
        for (int r = topLeft.row; r < row; ++r) y += rowHeights_[static_cast<size_t>(r)];
    }
    if (origin) *origin = QPoint(x, y);
    return true;
}

bool CGridCtrl::CellRect(int row, int col, QRect* rect) {
    QPoint origin;
    if (!CellOrigin(row, col, &origin)) return false;
    if (rect)
        *rect = QRect(QPoint(origin.x(), origin.y()), QPoint(origin.x() + GetColumnWidth(col) - 1,
                                                             origin.y() + GetRowHeight(row) - 1));
    return true;
}

QPoint CGridCtrl::PointInCell(int row, int col, QPoint point) {
    QPoint origin;
    if (!CellOrigin(row, col, &origin)) return QPoint(0, 0);
    return point - origin;
}

CCellID CGridCtrl::CellFromPoint(QPoint point, bool allowFixed) {
    CCellID cell;
    const CCellID topLeft = TopLeftCell();
    if (!allowFixed && !IsValid(topLeft)) return cell;

    const int fixedWidth = FixedColumnWidth();
    const int x = point.x();
    if (x < 0) {
        cell.col = -1;
    } else if (allowFixed && x < fixedWidth) {
        int right = 0;
        int col = 0;
        for (; col < fixedCols_; ++col) {
            right += colWidths_[static_cast<size_t>(col)];
            if (right > x) break;
        }
        cell.col = col;
    } else if (x >= fixedWidth) {
        int right = fixedWidth;
        int col = std::max(topLeft.col, fixedCols_);
        for (; col < colCount_; ++col) {
            right += colWidths_[static_cast<size_t>(col)];
            if (right > x) break;
        }
        cell.col = col >= colCount_ ? -1 : col;
    } else {
        cell.col = -1;
    }

    const int fixedHeight = FixedRowHeight();
    const int y = point.y();
    if (y < 0) {
        cell.row = -1;
    } else if (allowFixed && y < fixedHeight) {
        int bottom = 0;
        int row = 0;
        for (; row < fixedRows_; ++row) {
            bottom += rowHeights_[static_cast<size_t>(row)];
            if (bottom > y) break;
        }
        cell.row = row;
    } else if (y >= fixedHeight) {
        int bottom = fixedHeight;
        int row = std::max(topLeft.row, fixedRows_);
        for (; row < rowCount_; ++row) {
            bottom += rowHeights_[static_cast<size_t>(row)];
            if (bottom > y) break;
        }
        cell.row = row >= rowCount_ ? -1 : row;
    } else {
        cell.row = -1;
    }
    return cell;
}

CCellID CGridCtrl::TopLeftCell(bool recalculate) {
    if (topLeftValid_ && !recalculate && topLeft_.row >= 0 && topLeft_.col >= 0) return topLeft_;
    const int h = GetScrollPosition(kHorzBar);
    const int v = GetScrollPosition(kVertBar);
    int col = fixedCols_;
    int x = 0;
    while (h > 0 && col < colCount_ - 1) {
        x += colWidths_[static_cast<size_t>(col)];
        ++col;
        if (x >= h) break;
    }
    int row = fixedRows_;
    int y = 0;
    while (v > 0 && row < rowCount_ - 1) {
        y += rowHeights_[static_cast<size_t>(row)];
        ++row;
        if (y >= v) break;
    }
    topLeft_ = CCellID(row, col);
    topLeftValid_ = true;
    return topLeft_;
}

CCellRange CGridCtrl::VisibleRange(QRect* rect, bool recalculate) {
    const QRect client = GetClientRect();
    const CCellID topLeft = TopLeftCell(recalculate);
    const int bottomEdge = client.bottom() + 1;
    const int rightEdge = client.right() + 1;
    int y = FixedRowHeight();
    int row = topLeft.row;
    for (; row < rowCount_; ++row) {
        if (y >= bottomEdge) {
            y = bottomEdge;
            break;
        }
        y += rowHeights_[static_cast<size_t>(row)];
    }
    const int lastRow = std::min(row - 1, rowCount_ - 1);
    int x = FixedColumnWidth();
    int col = topLeft.col;
    for (; col < colCount_; ++col) {
        if (x >= rightEdge) {
            x = rightEdge;
            break;
        }
        x += colWidths_[static_cast<size_t>(col)];
    }
    const int lastCol = std::min(col - 1, colCount_ - 1);
    if (rect) *rect = QRect(QPoint(0, 0), QPoint(x, y));
    return CCellRange(topLeft.row, topLeft.col, lastRow, lastCol);
}

bool CGridCtrl::IsCellOnScreen(int row, int col) {
    if (!IsValid(row, col)) return false;
    const QRect client = GetClientRect();
    CCellID topLeft;
    if (col >= fixedCols_ || row >= fixedRows_) topLeft = TopLeftCell();
    if (col >= fixedCols_ && col < topLeft.col) return false;
    if (row >= fixedRows_ && row < topLeft.row) return false;
    const int rightEdge = client.right() + 1;
    const int bottomEdge = client.bottom() + 1;
    int x = col < fixedCols_ ? 0 : FixedColumnWidth();
    for (int c = col < fixedCols_ ? 0 : topLeft.col; c < col; ++c)
        x += colWidths_[static_cast<size_t>(c)];
    if (x >= rightEdge) return false;
    int y = row < fixedRows_ ? 0 : FixedRowHeight();
    for (int r = row < fixedRows_ ? 0 : topLeft.row; r < row; ++r)
        y += rowHeights_[static_cast<size_t>(r)];
    return y < bottomEdge;
}

// --- Scroll bars -------------------------------------------------------------

// The classic scroll bar has a range 0..maximum and a page, and its position
// runs to maximum - page + 1; Qt's bar takes that last position as its
// maximum. This is the one place where the two meet.
void CGridCtrl::ApplyScrollRange(int bar, int maximum, int page) {
    QScrollBar* sb = bar == kHorzBar ? horizontalScrollBar() : verticalScrollBar();
    const int last = maximum > 0 ? std::max(0, maximum - std::max(page, 1) + 1) : 0;
    const QSignalBlocker block(sb);
    sb->setRange(0, last);
    sb->setPageStep(std::max(page, 1));
    sb->setSingleStep(1);
}

void CGridCtrl::UpdateScrollBars() {
    InvalidateTopLeft();
    if (!allowDraw_ || destroying_ || inUpdateScrollBars_) return;
    const QRect contents = contentsRect();
    if (contents.width() <= 0 || contents.height() <= 0) return;
    inUpdateScrollBars_ = true;

    const int fixedWidth = FixedColumnWidth();
    const int fixedHeight = FixedRowHeight();
    int clientWidth = contents.width();
    int clientHeight = contents.height();
    const int extent = ScrollBarExtent();

    auto showBars = [this](bool horizontal, bool vertical) {
        const int state = (horizontal ? 1 : 0) | (vertical ? 2 : 0);
        if (state == barState_) return;
        barState_ = state;
        setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    };

    if (clientWidth - fixedWidth <= 0 || clientHeight - fixedHeight <= 0) {
        showBars(false, false);
        vScrollMax_ = hScrollMax_ = 0;
        ApplyScrollRange(kHorzBar, 0, 0);
        ApplyScrollRange(kVertBar, 0, 0);
        inUpdateScrollBars_ = false;
        return;
    }

    const int scrollHeight = TotalHeight() - fixedHeight;
    const int scrollWidth = TotalWidth() - fixedWidth;
    int availHeight = clientHeight - fixedHeight;
    int availWidth = clientWidth - fixedWidth;
    if (availHeight < scrollHeight) availWidth -= extent;
    if (availWidth < scrollWidth) {
        clientHeight -= extent;
        availHeight = clientHeight - fixedHeight;
    }
    // A horizontal bar may have made a vertical one necessary after all.
    if (availHeight < scrollHeight && availWidth == clientWidth - fixedWidth) availWidth -= extent;

    const bool vertical = availHeight < scrollHeight;
    const bool horizontal = availWidth < scrollWidth;
    vScrollMax_ = vertical ? scrollHeight - 1 : 0;
    hScrollMax_ = horizontal ? scrollWidth - 1 : 0;
    showBars(horizontal, vertical);
    ApplyScrollRange(kHorzBar, hScrollMax_, hScrollMax_ > 0 ? availWidth : 0);
    ApplyScrollRange(kVertBar, vScrollMax_, vScrollMax_ >= 1 ? availHeight : 0);
    InvalidateTopLeft();
    inUpdateScrollBars_ = false;
}

void CGridCtrl::SetScrollPosition(int bar, int position) {
    InvalidateTopLeft();
    QScrollBar* sb = bar == kHorzBar ? horizontalScrollBar() : verticalScrollBar();
    const QSignalBlocker block(sb);
    sb->setValue(position);
}

int CGridCtrl::GetScrollPosition(int bar) const {
    const QScrollBar* sb = bar == kHorzBar ? horizontalScrollBar() : verticalScrollBar();
    return sb ? sb->value() : 0;
}

void CGridCtrl::scrollContentsBy(int, int) {
    // The user moved a bar's thumb (or clicked its arrows): the cells move.
    EndEditing();
    const CCellID before = topLeft_;
    InvalidateTopLeft();
    if (TopLeftCell() != before) viewport()->update();
}

void CGridCtrl::InvalidateScrollArea(bool horizontal) {
    if (!allowDraw_) return;
    QRect area = GetClientRect();
    if (horizontal)
        area.setLeft(FixedColumnWidth());
    else
        area.setTop(FixedRowHeight());
    viewport()->update(area);
}

void CGridCtrl::OnHScroll(int code, int position) {
    EndEditing();
    HideTitleTip();
    const int pos = GetScrollPosition(kHorzBar);
    const CCellID topLeft = TopLeftCell();
    const QRect client = GetClientRect();
    const int page = client.right() + 1 - FixedColumnWidth();
    switch (code) {
        case kScrollLineForward: {
            if (pos >= hScrollMax_) return;
            int col = topLeft.col;
            while (col < colCount_ - 1 && colWidths_[static_cast<size_t>(col)] < 1) ++col;
            if (col < 0 || col >= colCount_) return;
            SetScrollPosition(kHorzBar, pos + colWidths_[static_cast<size_t>(col)]);
            if (GetScrollPosition(kHorzBar) == pos) return;
            InvalidateScrollArea(true);
            break;
        }
        case kScrollLineBack: {
            if (pos <= 0 || topLeft.col <= fixedCols_) return;
            int col = topLeft.col - 1;
            while (col > fixedCols_ && colWidths_[static_cast<size_t>(col)] < 1) --col;
            SetScrollPosition(kHorzBar, std::max(0, pos - colWidths_[static_cast<size_t>(col)]));
            InvalidateScrollArea(true);
            break;
        }
        case kScrollPageForward:
            if (pos >= hScrollMax_) return;
            SetScrollPosition(kHorzBar, std::min(hScrollMax_, pos + page));
            InvalidateScrollArea(true);
            break;
        case kScrollPageBack:
            if (pos <= 0) return;
            SetScrollPosition(kHorzBar, std::max(0, pos - page));
            InvalidateScrollArea(true);
            break;
        case kScrollThumbPosition:
        case kScrollThumbTrack: {
            SetScrollPosition(kHorzBar, position);
            const CCellID now = TopLeftCell(true);
            if (now != topLeft) InvalidateScrollArea(true);
            break;
        }
        case kScrollToStart:
            if (pos > 0) {
                SetScrollPosition(kHorzBar, 0);
                Refresh();
            }
            break;
        case kScrollToEnd:
            if (pos < hScrollMax_) {
                SetScrollPosition(kHorzBar, hScrollMax_);
                Refresh();
            }
            break;
        default:
            break;
    }
}

void CGridCtrl::OnVScroll(int code, int position) {
    EndEditing();
    HideTitleTip();
    const int pos = GetScrollPosition(kVertBar);
    const CCellID topLeft = TopLeftCell();
    const QRect client = GetClientRect();
    const int page = client.bottom() + 1 - FixedRowHeight();
    switch (code) {
        case kScrollLineForward: {
            if (pos >= vScrollMax_) return;
            int row = topLeft.row;
            while (row < rowCount_ - 1 && rowHeights_[static_cast<size_t>(row)] < 1) ++row;
            if (row < 0 || row >= rowCount_) return;
            SetScrollPosition(kVertBar, pos + rowHeights_[static_cast<size_t>(row)]);
            if (GetScrollPosition(kVertBar) == pos) return;
            InvalidateScrollArea(false);
            break;
        }
        case kScrollLineBack: {
            if (pos <= 0 || topLeft.row <= fixedRows_) return;
            int row = topLeft.row - 1;
            while (row > fixedRows_ && rowHeights_[static_cast<size_t>(row)] < 1) --row;
            SetScrollPosition(kVertBar, std::max(0, pos - rowHeights_[static_cast<size_t>(row)]));
            InvalidateScrollArea(false);
            break;
        }
        case kScrollPageForward:
            if (pos >= vScrollMax_) return;
            SetScrollPosition(kVertBar, std::min(vScrollMax_, pos + page));
            InvalidateScrollArea(false);
            break;
        case kScrollPageBack:
            if (pos <= 0) return;
            SetScrollPosition(kVertBar, std::max(0, pos - page));
            InvalidateScrollArea(false);
            break;
        case kScrollThumbPosition:
        case kScrollThumbTrack: {
            SetScrollPosition(kVertBar, position);
            const CCellID now = TopLeftCell(true);
            if (now != topLeft) InvalidateScrollArea(false);
            break;
        }
        case kScrollToStart:
            if (pos > 0) {
                SetScrollPosition(kVertBar, 0);
                Refresh();
            }
            break;
        case kScrollToEnd:
            if (pos < vScrollMax_) {
                SetScrollPosition(kVertBar, vScrollMax_);
                Refresh();
            }
            break;
        default:
            break;
    }
}

void CGridCtrl::EnsureVisible(int row, int col) {
    if (!allowDraw_ || !IsValid(row, col)) return;
    QWidget* focused = QApplication::focusWidget();
    const QPointer<QWidget> remembered(focused);
    const CCellRange visible = VisibleRange();
    for (int c = visible.maxCol + 1; c <= col; ++c)
        if (colWidths_[static_cast<size_t>(c)] > 0) OnHScroll(kScrollLineForward);
    for (int c = visible.minCol - 1; c >= col; --c)
        if (colWidths_[static_cast<size_t>(c)] > 0) OnHScroll(kScrollLineBack);
    for (int r = visible.maxRow + 1; r <= row; ++r)
        if (rowHeights_[static_cast<size_t>(r)] > 0) OnVScroll(kScrollLineForward);
    for (int r = visible.minRow - 1; r >= row; --r)
        if (rowHeights_[static_cast<size_t>(r)] > 0) OnVScroll(kScrollLineBack);

    const QRect client = GetClientRect();
    QRect rect;
    // Each step scrolls by at least one pixel or stops, so these loops end.
    for (int guard = 0; guard <= colCount_; ++guard) {
        if (!CellRect(row, col, &rect)) break;
        if (!(rect.right() > client.right() && rect.left() > FixedColumnWidth())) break;
        const int before = GetScrollPosition(kHorzBar);
        OnHScroll(kScrollLineForward);
        if (GetScrollPosition(kHorzBar) == before) break;
    }
    for (int guard = 0; guard <= rowCount_; ++guard) {
        if (!CellRect(row, col, &rect)) break;
        if (!(rect.bottom() > client.bottom() && rect.top() > FixedRowHeight())) break;
        const int before = GetScrollPosition(kVertBar);
        OnVScroll(kScrollLineForward);
        if (GetScrollPosition(kVertBar) == before) break;
    }
    if (remembered && remembered != QApplication::focusWidget()) remembered->setFocus();
}

void CGridCtrl::OnMouseWheel(int delta) {
    if (wheelScrollLines_ == kWheelPageScroll) {
        const int pages = delta / 120;
        for (int i = 0; i < pages; ++i) OnVScroll(kScrollPageBack);
        for (int i = 0; i < -pages; ++i) OnVScroll(kScrollPageForward);
        return;
    }
    const int lines = delta * wheelScrollLines_ / 120;
    for (int i = 0; i < lines; ++i) OnVScroll(kScrollLineBack);
    for (int i = 0; i < -lines; ++i) OnVScroll(kScrollLineForward);
}

void CGridCtrl::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    if (inUpdateScrollBars_) return;
    EndEditing();
    UpdateScrollBars();
}
