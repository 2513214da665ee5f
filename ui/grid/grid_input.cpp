#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/title_tip.h"

namespace {

// The classic point-in-rectangle test: right and bottom
// are outside.
bool InClassicRect(const QRect& r, QPoint p) {
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

}  // namespace

// --- Selection ---------------------------------------------------------------

bool CGridCtrl::IsCellSelected(int row, int col) const {
    if (!enableSelection_) return false;
    if (virtualMode_) return selectedCells_.count(SelectionKey(row, col)) != 0;
    const CGridCellBase* cell = GetCell(row, col);
    return cell && (cell->GetState() & kCellSelected);
}

void CGridCtrl::SetSelectedRange(int r1, int c1, int r2, int c2, bool forceRepaint, bool select) {
    if (!enableSelection_) return;
    (void)forceRepaint;  // every repaint is a request for a paint event here
    const CCellRange visible = isVisible() ? VisibleRange() : CCellRange();
    if (r1 >= 0 && r1 < fixedRows_) r1 = fixedRows_;
    if (r2 >= 0 && r2 < fixedRows_) r2 = fixedRows_;
    if (c1 >= 0 && c1 < fixedCols_) c1 = fixedCols_;
    if (c2 >= 0 && c2 < fixedCols_) c2 = fixedCols_;
    const CCellRange range(r1, c1, r2, c2);
    const bool allBounds = r1 >= 0 && c1 >= 0 && r2 >= 0 && c2 >= 0;

    if (select) {
        const std::map<std::uint64_t, CCellID> current = selectedCells_;
        for (const auto& [key, cell] : current) {
            if (!IsValid(cell)) {
                selectedCells_.erase(key);
                continue;
            }
            SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~kCellSelected);
            if (!range.InRange(cell) && visible.InRange(cell)) InvalidateCell(cell.row, cell.col);
        }
        if (!(listMode_ && singleRowSelection_) && allBounds) {
            for (const auto& [key, cell] : prevSelectedCells_) {
                if (!IsValid(cell)) continue;
                SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | kCellSelected);
                if (visible.InRange(cell)) InvalidateCell(cell.row, cell.col);
            }
        }
    }
    if (allBounds && r2 < rowCount_ && c2 < colCount_ && r1 <= r2 && c1 <= c2) {
        for (int row = r1; row <= r2; ++row)
            for (int col = c1; col <= c2; ++col) {
                if (IsCellSelected(row, col) == select) continue;
                const unsigned state = GetItemState(row, col);
                SetItemState(row, col, select ? (state | kCellSelected) : (state & ~kCellSelected));
                if (visible.InRange(row, col)) InvalidateCell(row, col);
            }
    }
}

CCellRange CGridCtrl::GetSelectedRange() const {
    if (selectedCells_.empty()) return CCellRange(rowCount_, colCount_, -1, -1);
    CCellRange range(rowCount_, colCount_, -1, -1);
    for (const auto& [key, cell] : selectedCells_) {
        range.minRow = std::min(range.minRow, cell.row);
        range.minCol = std::min(range.minCol, cell.col);
        range.maxRow = std::max(range.maxRow, cell.row);
        range.maxCol = std::max(range.maxCol, cell.col);
    }
    return range;
}

void CGridCtrl::SelectAll() {
    if (!enableSelection_) return;
    SetSelectedRange(fixedRows_, fixedCols_, rowCount_ - 1, colCount_ - 1);
}

void CGridCtrl::SelectCellsTo(CCellID cell, bool forceRepaint, bool select) {
    if (!enableSelection_ || !IsValid(cell) || cell.row < fixedRows_ || cell.col < fixedCols_)
        return;
    SetSelectedRange(std::min(selectionStartCell_.row, cell.row),
                     std::min(selectionStartCell_.col, cell.col),
                     std::max(selectionStartCell_.row, cell.row),
                     std::max(selectionStartCell_.col, cell.col), forceRepaint, select);
}

void CGridCtrl::SelectRowsTo(CCellID cell, bool forceRepaint, bool select) {
    if (!enableSelection_ || !IsValid(cell) || cell.row < fixedRows_) return;
    if (listMode_ && singleRowSelection_)
        SetSelectedRange(cell.row, fixedCols_, cell.row, colCount_ - 1, forceRepaint, select);
    else
        SetSelectedRange(std::min(selectionStartCell_.row, cell.row), fixedCols_,
                         std::max(selectionStartCell_.row, cell.row), colCount_ - 1, forceRepaint,
                         select);
}

void CGridCtrl::SelectColumnsTo(CCellID cell, bool forceRepaint, bool select) {
    if (!enableSelection_ || !IsValid(cell) || cell.col < fixedCols_) return;
    if (singleColSelection_)
        SetSelectedRange(fixedRows_, cell.col, rowCount_ - 1, cell.col, forceRepaint, select);
    else
        SetSelectedRange(fixedRows_, std::min(selectionStartCell_.col, cell.col), rowCount_ - 1,
                         std::max(selectionStartCell_.col, cell.col), forceRepaint, select);
}

void CGridCtrl::ExtendSelection(CCellID cell) {
    if (!enableSelection_) return;
    switch (mouseMode_) {
        case kMouseSelectAll:
            SelectAll();
            break;
        case kMouseSelectCol:
            SelectColumnsTo(cell, false, true);
            break;
        case kMouseSelectRow:
            SelectRowsTo(cell, false, true);
            break;
        case kMouseSelectCells:
            SelectCellsTo(cell, false, true);
            break;
        default:
            break;
    }
}

void CGridCtrl::ClearSelection() {
    prevSelectedCells_.clear();
    SetSelectedRange(-1, -1, -1, -1);
    SetFocusCell(-1, -1);
}

void CGridCtrl::RedrawFixedCellsFor(CCellID cell, CCellID other) {
    if (!trackFocusCell_ || !IsValid(cell)) return;
    if (cell.col != other.col)
        for (int row = 0; row < fixedRows_; ++row) RedrawCell(row, cell.col);
    if (cell.row != other.row)
        for (int col = 0; col < fixedCols_; ++col) RedrawCell(cell.row, col);
}

CCellID CGridCtrl::SetFocusCell(int row, int col) {
    const CCellID previous = focusCell_;
    if (CCellID(row, col) == previous) return previous;
    if (row != -1 && row < fixedRows_) row = fixedRows_;
    if (col != -1 && col < fixedCols_) col = fixedCols_;
    focusCell_ = CCellID(row, col);
    if (IsValid(previous)) {
        SetItemState(previous.row, previous.col,
                     GetItemState(previous.row, previous.col) & ~kCellFocused);
        RedrawCell(previous.row, previous.col);
        RedrawFixedCellsFor(previous, focusCell_);
    }
    if (IsValid(focusCell_)) {
        SetItemState(row, col, GetItemState(row, col) | kCellFocused);
        RedrawCell(row, col);
        RedrawFixedCellsFor(focusCell_, previous);
    }
    return previous;
}

void CGridCtrl::SetListMode(bool on) {
    ClearSelection();
    if (sortColumn_ >= 0) InvalidateCell(0, sortColumn_);
    sortColumn_ = -1;
    listMode_ = on;
    fixedRowSelection_ = false;
    Refresh();
}

bool CGridCtrl::IsOverColumnDivider(QPoint point) {
    if (point.y() >= FixedRowHeight()) return false;
    const CCellID cell = CellFromPoint(point, true);
    QPoint origin;
    if (!CellOrigin(cell.row, cell.col, &origin)) return false;
    const int range = resizeCaptureRange_;
    if (origin.x() + GetColumnWidth(cell.col) - point.x() < range) return true;
    if (point.x() - origin.x() < range) return cell.col != 0;
    return false;
}

bool CGridCtrl::IsOverRowDivider(QPoint point) {
    if (point.x() >= FixedColumnWidth()) return false;
    const CCellID cell = CellFromPoint(point, true);
    QPoint origin;
    if (!CellOrigin(cell.row, cell.col, &origin)) return false;
    const int range = resizeCaptureRange_;
    if (origin.y() + GetRowHeight(cell.row) - point.y() < range) return true;
    if (point.y() - origin.y() < range) return cell.row != 0;
    return false;
}

void CGridCtrl::OnFixedRowClick(CCellID cell) {
    if (!IsValid(cell)) return;
    if (sortOnClick_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        SortByColumn(cell.col, cell.col == sortColumn_ ? !sortAscending_ : true);
        QApplication::restoreOverrideCursor();
        Refresh();
    }
    if (fixedColSelection_) {
        if (cell.col < fixedCols_)
            mouseMode_ = kMouseSelectAll;
        else
            mouseMode_ = kMouseSelectCol;
        ExtendSelection(cell);
    }
}

void CGridCtrl::OnFixedColumnClick(CCellID cell) {
    if (!IsValid(cell) || !fixedRowSelection_) return;
    if (cell.row < fixedRows_)
        mouseMode_ = kMouseSelectAll;
    else
        mouseMode_ = kMouseSelectRow;
    ExtendSelection(cell);
}

// --- Title tips --------------------------------------------------------------

CTitleTip* CGridCtrl::GetTitleTip() {
    if (!titleTip_) {
        titleTip_ = new CTitleTip;
        titleTip_->Create(this);
    }
    return titleTip_;
}

void CGridCtrl::HideTitleTip() {
    if (titleTip_) titleTip_->Hide();
}

void CGridCtrl::ShowTitleTipFor(QPoint point) {
    const CCellID id = CellFromPoint(point, true);
    CGridCellBase* cell = GetCell(id.row, id.col);
    if (!cell || cell->IsEditing()) return;
    const QString tip = cell->GetTipText();
    QRect rect;
    if (tip.isEmpty() || !CellRect(id.row, id.col, &rect)) return;
    QRect textRect = rect;
    if (!cell->GetTipTextRect(textRect)) return;
    const QFont font = cell->GetFont() ? *cell->GetFont() : this->font();
    GetTitleTip()->Show(textRect, tip, 0, &rect, &font, titleTipTextClr_, titleTipBackClr_);
}

// --- Mouse -------------------------------------------------------------------

void CGridCtrl::StartAutoScroll() {
    autoScrollTimer_.start();
}
void CGridCtrl::StopAutoScroll() {
    autoScrollTimer_.stop();
}

void CGridCtrl::OnLButtonDown(QPoint point, Qt::KeyboardModifiers modifiers) {
    HideTitleTip();
    setFocus(Qt::MouseFocusReason);
    lButtonDown_ = true;
    lButtonDownPoint_ = point;
    lButtonDownCell_ = CellFromPoint(point, true);
    if (!IsValid(lButtonDownCell_)) return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;

    if (!shift)
        selectionStartCell_ = lButtonDownCell_;
    else if (!IsValid(selectionStartCell_))
        selectionStartCell_ = focusCell_;

    EndEditing();
    bool inText = false;
    if (CGridCellBase* cell = GetCell(lButtonDownCell_.row, lButtonDownCell_.col)) {
        cell->OnClickDown(PointInCell(lButtonDownCell_.row, lButtonDownCell_.col, point));
        QRect rect;
        if (CellRect(lButtonDownCell_.row, lButtonDownCell_.col, &rect) && cell->GetTextRect(rect))
            inText = InClassicRect(rect, point);
    }

    if (lButtonDownCell_ == focusCell_ && !ctrl && inText && IsCellEditable(lButtonDownCell_)) {
        mouseMode_ = kMousePrepareEdit;
        return;
    }

    const bool fixed = lButtonDownCell_.row < fixedRows_ || lButtonDownCell_.col < fixedCols_;
    if (!IsCellSelected(lButtonDownCell_.row, lButtonDownCell_.col)) {
        if (mouseMode_ != kMouseOverColDivide && mouseMode_ != kMouseOverRowDivide)
            SetFocusCell(fixed ? CCellID() : lButtonDownCell_);
    } else if (ctrl) {
        SetFocusCell(lButtonDownCell_);
        if (listMode_)
            SelectRowsTo(lButtonDownCell_, true, false);
        else
            SelectCellsTo(lButtonDownCell_, true, false);
        return;
    } else if (allowDragAndDrop_) {
        mouseMode_ = kMousePrepareDrag;
    }

    if (mouseMode_ == kMouseNothing) {
        if (allowColResize_ && IsOverColumnDivider(point)) {
            viewport()->setCursor(Qt::SizeHorCursor);
            mouseMode_ = kMouseOverColDivide;
        } else if (allowRowResize_ && IsOverRowDivider(point)) {
            viewport()->setCursor(Qt::SizeVerCursor);
            mouseMode_ = kMouseOverRowDivide;
        }
    }

    const int range = resizeCaptureRange_;
    if (mouseMode_ == kMouseOverColDivide) {
        mouseMode_ = kMouseSizingCol;
        const int last = colCount_ - 1;
        QRect visRect;
        VisibleRange(&visRect);
        if (GetColumnWidth(last) < range && visRect.right() - point.x() < range)
            lButtonDownCell_.col = last;
        QPoint origin;
        if (!CellOrigin(0, lButtonDownCell_.col, &origin)) return;
        bool nearLeft = point.x() - origin.x() < range;
        if (!hiddenColUnhide_ && (nearLeft || lButtonDownCell_.col != last)) {
            int col = lButtonDownCell_.col - (nearLeft ? 1 : 0);
            while (col >= 0 && GetColumnWidth(col) <= 0) --col;
            if (col < 0) return;
            if (col != lButtonDownCell_.col) {
                lButtonDownCell_.col = col;
                if (!CellOrigin(0, col, &origin)) return;
                nearLeft = false;
            }
        }
        trackVertical_ = true;
        trackPos_ = point.x();
        viewport()->update();
        if (nearLeft && (lButtonDownCell_.col != last || GetColumnWidth(last) >= range) &&
            lButtonDownCell_.col > 0) {
            --lButtonDownCell_.col;
            if (!CellOrigin(0, lButtonDownCell_.col, &origin)) return;
        }
        resizeOrigin_ = origin;
    } else if (mouseMode_ == kMouseOverRowDivide) {
        mouseMode_ = kMouseSizingRow;
        const int last = rowCount_ - 1;
        QRect visRect;
        VisibleRange(&visRect);
        if (GetRowHeight(last) < range && visRect.bottom() - point.y() < range)
            lButtonDownCell_.row = last;
        QPoint origin;
        if (!CellOrigin(lButtonDownCell_.row, 0, &origin)) return;
        bool nearTop = point.y() - origin.y() < range;
        if (!hiddenRowUnhide_ && (nearTop || lButtonDownCell_.row != last)) {
            int row = lButtonDownCell_.row - (nearTop ? 1 : 0);
            while (row >= 0 && GetRowHeight(row) <= 0) --row;
            if (row < 0) return;
            if (row != lButtonDownCell_.row) {
                lButtonDownCell_.row = row;
                if (!CellOrigin(row, 0, &origin)) return;
                nearTop = false;
            }
        }
        trackVertical_ = false;
        trackPos_ = point.y();
        viewport()->update();
        if (nearTop && (lButtonDownCell_.row != last || GetRowHeight(last) >= range) &&
            lButtonDownCell_.row > 0) {
            --lButtonDownCell_.row;
            if (!CellOrigin(lButtonDownCell_.row, 0, &origin)) return;
        }
        resizeOrigin_ = origin;
    } else if (mouseMode_ != kMousePrepareDrag) {
        SendMessageToParent(lButtonDownCell_.row, lButtonDownCell_.col, kNotifySelChanging);
        prevSelectedCells_.clear();
        if (ctrl) prevSelectedCells_ = selectedCells_;
        if (lButtonDownCell_.row < fixedRows_) {
            OnFixedRowClick(lButtonDownCell_);
        } else if (lButtonDownCell_.col < fixedCols_) {
            OnFixedColumnClick(lButtonDownCell_);
        } else {
            mouseMode_ = listMode_ ? kMouseSelectRow : kMouseSelectCells;
            ExtendSelection(lButtonDownCell_);
            StartAutoScroll();
        }
    }
    lastMousePoint_ = point;
}

void CGridCtrl::OnMouseMove(QPoint point, Qt::MouseButtons buttons) {
    const QRect client = GetClientRect();
    if (!client.contains(point) && mouseMode_ != kMouseDragging) return;
    const bool down = lButtonDown_ && (buttons & Qt::LeftButton);
    if (!down || mouseMode_ == kMouseNothing) {
        if (allowColResize_ && IsOverColumnDivider(point)) {
            if (mouseMode_ != kMouseOverColDivide) viewport()->setCursor(Qt::SizeHorCursor);
            mouseMode_ = kMouseOverColDivide;
        } else if (allowRowResize_ && IsOverRowDivider(point)) {
            if (mouseMode_ != kMouseOverRowDivide) viewport()->setCursor(Qt::SizeVerCursor);
            mouseMode_ = kMouseOverRowDivide;
        } else if (mouseMode_ != kMouseNothing) {
            viewport()->setCursor(Qt::ArrowCursor);
            mouseMode_ = kMouseNothing;
        }
        if (!virtualMode_ || titleTips_) {
            const CCellID cell = CellFromPoint(point, true);
            if (CGridCellBase* c = GetCell(cell.row, cell.col)) c->OnMouseOver();
            if (titleTips_) ShowTitleTipFor(point);
        }
        lastMousePoint_ = point;
        return;
    }
    if (!IsValid(lButtonDownCell_)) {
        lastMousePoint_ = point;
        return;
    }
    switch (mouseMode_) {
        case kMouseSelectCol:
        case kMouseSelectRow:
        case kMouseSelectCells: {
            const CCellID cell = CellFromPoint(point, true);
            if (!IsValid(cell)) return;
            if (cell != focusCell_) {
                ExtendSelection(cell);
                if ((cell.row >= fixedRows_ && cell.col >= fixedCols_) ||
                    mouseMode_ == kMouseSelectCol || mouseMode_ == kMouseSelectRow)
                    SetFocusCell(cell);
            }
            break;
        }
        case kMouseSizingRow:
            trackPos_ = point.y();
            viewport()->update();
            break;
        case kMouseSizingCol:
            trackPos_ = point.x();
            viewport()->update();
            break;
        case kMousePrepareEdit:
        case kMousePrepareDrag:
            mouseMode_ = kMousePrepareDrag;
            OnBeginDrag();
            break;
        default:
            break;
    }
    lastMousePoint_ = point;
}

void CGridCtrl::OnLButtonUp(QPoint point) {
    lButtonDown_ = false;
    StopAutoScroll();
    const QPoint relative = PointInCell(focusCell_.row, focusCell_.col, point);
    switch (mouseMode_) {
        case kMousePrepareEdit:
            OnEditCell(focusCell_.row, focusCell_.col, relative, kEditStartMouse);
            break;
        case kMousePrepareDrag:
            if (CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col))
                cell->OnClick(relative);
            SendMessageToParent(lButtonDownCell_.row, lButtonDownCell_.col, kNotifyClick);
            SendMessageToParent(lButtonDownCell_.row, lButtonDownCell_.col, kNotifySelChanging);
            ClearSelection();
            SendMessageToParent(focusCell_.row, focusCell_.col, kNotifySelChanged);
            break;
        case kMouseSizingCol:
            trackPos_ = -1;
            if (point != lButtonDownPoint_ && point != QPoint(0, 0)) {
                const int width = std::max(point.x() - resizeOrigin_.x(), allowColHide_ ? 0 : 1);
                SetColumnWidth(lButtonDownCell_.col, width);
            }
            Refresh();
            break;
        case kMouseSizingRow:
            trackPos_ = -1;
            if (point != lButtonDownPoint_ && point != QPoint(0, 0)) {
                const int height = std::max(point.y() - resizeOrigin_.y(), allowRowHide_ ? 0 : 1);
                SetRowHeight(lButtonDownCell_.row, height);
            }
            Refresh();
            break;
        default:
            SendMessageToParent(focusCell_.row, focusCell_.col, kNotifySelChanged);
            if (CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col))
                cell->OnClick(relative);
            SendMessageToParent(lButtonDownCell_.row, lButtonDownCell_.col, kNotifyClick);
            break;
    }
    mouseMode_ = kMouseNothing;
    viewport()->setCursor(Qt::ArrowCursor);
    if (IsValid(lButtonDownCell_) && owner_ && !destroying_) owner_->OnGridCommand(this);
}

void CGridCtrl::OnLButtonDblClk(QPoint point) {
    const CCellID cell = CellFromPoint(point, true);
    if (!IsValid(cell)) return;
    const int range = resizeCaptureRange_;
    if (mouseMode_ == kMouseOverColDivide) {
        QPoint origin;
        int col = cell.col;
        if (CellOrigin(cell.row, cell.col, &origin) && point.x() - origin.x() < range) --col;
        while (col >= 0 && GetColumnWidth(col) <= 0) --col;
        if (col >= 0) AutoSizeColumn(col, autoSizeStyle_, true);
        Refresh();
    } else if (mouseMode_ == kMouseOverRowDivide) {
        QPoint origin;
        int row = cell.row;
        if (CellOrigin(cell.row, cell.col, &origin) && point.y() - origin.y() < range) --row;
        while (row >= 0 && GetRowHeight(row) <= 0) --row;
        if (row >= 0) AutoSizeRow(row, true);
        Refresh();
    } else if (mouseMode_ == kMouseNothing) {
        const QPoint relative = PointInCell(cell.row, cell.col, point);
        bool inText = false;
        if (CGridCellBase* c = GetCell(cell.row, cell.col)) {
            QRect rect;
            if (CellRect(cell.row, cell.col, &rect) && c->GetTextRect(rect))
                inText = InClassicRect(rect, point);
        }
        const bool nonFixed = cell.row >= fixedRows_ && cell.col >= fixedCols_;
        if ((nonFixed && IsValid(lButtonDownCell_) && inText) || (listMode_ && inText))
            OnEditCell(cell.row, cell.col, relative, kEditStartMouse);
    }
    if (CGridCellBase* c = GetCell(cell.row, cell.col))
        c->OnDblClick(PointInCell(cell.row, cell.col, point));
    SendMessageToParent(cell.row, cell.col, kNotifyDblClick);
}

void CGridCtrl::OnRButtonUp(QPoint point) {
    EndEditing();
    const CCellID cell = CellFromPoint(point, true);
    if (IsValid(cell)) {
        SetFocusCell(-1, -1);
        SetFocusCell(std::max(cell.row, fixedRows_), std::max(cell.col, fixedCols_));
        if (CGridCellBase* c = GetCell(cell.row, cell.col))
            c->OnRClick(PointInCell(cell.row, cell.col, point));
        SendMessageToParent(cell.row, cell.col, kNotifyRClick);
    } else {
        SendMessageToParent(-1, -1, kNotifyRClick);
    }
}

void CGridCtrl::OnTimer() {
    const QPoint pt = viewport()->mapFromGlobal(QCursor::pos());
    const QRect client = GetClientRect();
    const int fixedHeight = FixedRowHeight();
    const int fixedWidth = FixedColumnWidth();
    const int x = std::clamp(pt.x(), 0, std::max(0, client.right()));
    const int y = std::clamp(pt.y(), 0, std::max(0, client.bottom()));
    if (pt.y() > client.bottom()) {
        OnKeyDown(Qt::Key_Down, Qt::NoModifier);
        ExtendSelection(CellFromPoint(QPoint(x, client.bottom()), true));
    } else if (pt.y() < fixedHeight) {
        OnKeyDown(Qt::Key_Up, Qt::NoModifier);
        ExtendSelection(CellFromPoint(QPoint(x, fixedHeight + 1), true));
    }
    if (pt.x() > client.right()) {
        OnKeyDown(Qt::Key_Right, Qt::NoModifier);
        ExtendSelection(CellFromPoint(QPoint(client.right(), y), true));
    } else if (pt.x() < fixedWidth) {
        OnKeyDown(Qt::Key_Left, Qt::NoModifier);
        ExtendSelection(CellFromPoint(QPoint(fixedWidth + 1, y), true));
    }
}

// --- Keyboard ----------------------------------------------------------------

int CGridCtrl::NextVisibleRow(int from, int step, int limit) const {
    for (int row = from + step; step > 0 ? row <= limit : row >= limit; row += step)
        if (row >= 0 && row < rowCount_ && rowHeights_[static_cast<size_t>(row)] > 0) return row;
    return -1;
}

int CGridCtrl::NextVisibleCol(int from, int step, int limit) const {
    for (int col = from + step; step > 0 ? col <= limit : col >= limit; col += step)
        if (col >= 0 && col < colCount_ && colWidths_[static_cast<size_t>(col)] > 0) return col;
    return -1;
}

bool CGridCtrl::OnKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    HideTitleTip();
    if (!IsValid(focusCell_)) return false;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool isTab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
    const bool shift = (modifiers & Qt::ShiftModifier) || key == Qt::Key_Backtab;
    CCellID next = focusCell_;
    bool wrapped = false;
    bool hScrolled = false;

    if (ctrl) {
        switch (key) {
            case Qt::Key_Insert:
            case Qt::Key_C:
                OnEditCopy();
                return true;
            case Qt::Key_X:
                OnEditCut();
                return true;
            case Qt::Key_V:
                OnEditPaste();
                return true;
            case Qt::Key_A:
                OnEditSelectAll();
                return true;
            default:
                break;
        }
    }
    if (shift && key == Qt::Key_Insert) {
        OnEditPaste();
        return true;
    }

    if (isTab && !handleTabKey_) return false;

    switch (key) {
        case Qt::Key_Delete:
            CutSelectedText();
            return true;
        case Qt::Key_Down: {
            const int row = NextVisibleRow(next.row, 1, rowCount_ - 1);
            if (row >= 0) next.row = row;
            break;
        }
        case Qt::Key_Up: {
            const int row = NextVisibleRow(next.row, -1, fixedRows_);
            if (row >= 0) next.row = row;
            break;
        }
        case Qt::Key_Right:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (key == Qt::Key_Right || !shift) {
                const int col = NextVisibleCol(next.col, 1, colCount_ - 1);
                if (isTab && col < 0) {
                    // Past the last shown column Tab wraps to the next shown row;
                    // with no such row or no shown column it stays where it is.
                    const int row = NextVisibleRow(next.row, 1, rowCount_ - 1);
                    const int first = NextVisibleCol(fixedCols_ - 1, 1, colCount_ - 1);
                    if (row >= 0 && first >= 0) {
                        next = CCellID(row, first);
                        wrapped = true;
                    }
                } else if (col >= 0) {
                    next.col = col;
                }
                break;
            }
            [[fallthrough]];
        case Qt::Key_Left: {
            const int col = NextVisibleCol(next.col, -1, fixedCols_);
            if (isTab && col < 0) {
                const int row = NextVisibleRow(next.row, -1, fixedRows_);
                const int last = NextVisibleCol(colCount_, -1, fixedCols_);
                if (row >= 0 && last >= 0) {
                    next = CCellID(row, last);
                    wrapped = true;
                }
            } else if (col >= 0) {
                next.col = col;
            }
            break;
        }
        case Qt::Key_PageDown: {
            const CCellID before = TopLeftCell();
            OnVScroll(kScrollPageForward);
            const CCellID after = TopLeftCell();
            if (after.row != before.row)
                next.row = std::min(rowCount_ - 1, next.row + after.row - before.row);
            else
                next.row = rowCount_ - 1;
            break;
        }
        case Qt::Key_PageUp: {
            const CCellID before = TopLeftCell();
            OnVScroll(kScrollPageBack);
            const CCellID after = TopLeftCell();
            if (after.row != before.row)
                next.row = std::max(fixedRows_, next.row + after.row - before.row);
            else
                next.row = fixedRows_;
            break;
        }
        case Qt::Key_Home: {
            if (ctrl) {
                OnVScroll(kScrollToStart);
                next.row = fixedRows_;
            }
            OnHScroll(kScrollToStart);
            hScrolled = true;
            int col = fixedCols_;
            while (col < colCount_ - 1 && GetColumnWidth(col) <= 0) ++col;
            next.col = col;
            int row = next.row;
            while (row < rowCount_ - 1 && GetRowHeight(row) <= 0) ++row;
            next.row = row;
            break;
        }
        case Qt::Key_End: {
            if (ctrl) {
                OnVScroll(kScrollToEnd);
                next.row = rowCount_ - 1;
            }
            OnHScroll(kScrollToEnd);
            hScrolled = true;
            int col = colCount_ - 1;
            while (col > fixedCols_ && GetColumnWidth(col) <= 0) --col;
            next.col = col;
            int row = next.row;
            while (row > fixedRows_ && GetRowHeight(row) <= 0) --row;
            next.row = row;
            break;
        }
        case Qt::Key_F2:
            OnEditCell(focusCell_.row, focusCell_.col, QPoint(-1, -1), kEditStartMouse);
            return true;
        default:
            return false;
    }
    (void)hScrolled;

    if (next == focusCell_ || !IsValid(next)) return true;
    if (mouseMode_ == kMouseNothing) {
        prevSelectedCells_.clear();
        mouseMode_ = listMode_ ? kMouseSelectRow : kMouseSelectCells;
        if (!shift || isTab) selectionStartCell_ = next;
        SendMessageToParent(next.row, next.col, kNotifySelChanging);
        ExtendSelection(next);
        SendMessageToParent(next.row, next.col, kNotifySelChanged);
        mouseMode_ = kMouseNothing;
    }
    SetFocusCell(next);
    if (!IsCellOnScreen(next.row, next.col)) {
        if (isTab && wrapped) {
            OnVScroll(shift ? kScrollLineBack : kScrollLineForward);
            SetScrollPosition(kHorzBar, shift ? hScrollMax_ : 0);
        } else if (isTab || key == Qt::Key_Left || key == Qt::Key_Right) {
            OnHScroll(shift || key == Qt::Key_Left ? kScrollLineBack : kScrollLineForward);
        } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
            OnVScroll(key == Qt::Key_Up ? kScrollLineBack : kScrollLineForward);
        }
        EnsureVisible(next);
        Refresh();
    }
    EnsureVisible(next);
    return true;
}

void CGridCtrl::OnChar(unsigned character, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ControlModifier) return;
    if (mouseMode_ != kMouseNothing) return;
    if (character == 27 || character == static_cast<unsigned>(Qt::Key_Escape)) return;
    if ((character == '\t' || character == static_cast<unsigned>(Qt::Key_Tab)) && handleTabKey_)
        return;
    OnEditCell(focusCell_.row, focusCell_.col, QPoint(-1, -1), character);
}

// --- Qt events ---------------------------------------------------------------

bool CGridCtrl::event(QEvent* e) {
    // The grid keeps Tab and Shift+Tab for moving between its cells.
    if (e->type() == QEvent::KeyPress && handleTabKey_) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

bool CGridCtrl::focusNextPrevChild(bool next) {
    if (handleTabKey_) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void CGridCtrl::keyPressEvent(QKeyEvent* e) {
    if (OnKeyDown(e->key(), e->modifiers())) {
        e->accept();
        return;
    }
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        OnChar(static_cast<unsigned>(Qt::Key_Return), e->modifiers());
    } else if (key == Qt::Key_Backspace) {
        OnChar(static_cast<unsigned>(Qt::Key_Backspace), e->modifiers());
    } else if (!e->text().isEmpty() &&
               !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const QList<uint> codes = e->text().toUcs4();
        if (!codes.isEmpty() && codes.front() >= 0x20 && codes.front() != 0x7F)
            OnChar(codes.front(), e->modifiers());
        else {
            QAbstractScrollArea::keyPressEvent(e);
            return;
        }
    } else {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    e->accept();
}

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) OnLButtonDown(e->position().toPoint(), e->modifiers());
    e->accept();
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* e) {
    OnMouseMove(e->position().toPoint(), e->buttons());
    e->accept();
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        OnLButtonUp(e->position().toPoint());
    else if (e->button() == Qt::RightButton)
        OnRButtonUp(e->position().toPoint());
    e->accept();
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) OnLButtonDblClk(e->position().toPoint());
    e->accept();
}

void CGridCtrl::wheelEvent(QWheelEvent* e) {
    OnMouseWheel(e->angleDelta().y());
    e->accept();
}
