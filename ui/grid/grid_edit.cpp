#include "ui/grid/grid_ctrl.h"

void CGridCtrl::OnEditCell(int row, int col, QPoint point, unsigned start) {
    HideTitleTip();
    if (!IsValid(row, col) || !editable_) return;
    CGridCellBase* cell = GetCell(row, col);
    if (cell && cell->IsReadOnly()) return;
    EnsureVisible(row, col);
    QRect rect;
    if (!IsCellOnScreen(row, col) || !CellRect(row, col, &rect)) return;
    if (SendMessageToParent(row, col, kNotifyBeginLabelEdit) < 0) return;
    // The owner may have changed the grid while it answered.
    cell = GetCell(row, col);
    if (!cell) return;
    cell->Edit(row, col, rect, point, 8, start);
}

bool CGridCtrl::ValidateEdit(int row, int col, const QString& text) {
    CGridCellBase* cell = GetCell(row, col);
    return !cell || cell->ValidateEdit(text);
}

void CGridCtrl::EndEditing() {
    if (!IsValid(focusCell_)) return;
    if (CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col)) cell->EndEdit();
}

void CGridCtrl::OnEndEditCell(int row, int col, const QString& text) {
    const QString old = GetItemText(row, col);
    CGridCellBase* cell = GetCell(row, col);
    if (text != old) {
        if (!virtualMode_ && cell) {
            cell->SetText(text);
            SetModified(true, row, col);
        }
        if (ValidateEdit(row, col, text) &&
            SendMessageToParent(row, col, kNotifyEndLabelEdit) >= 0) {
            SetModified(true, row, col);
            RedrawCell(row, col);
        } else if (!virtualMode_) {
            // The owner may have replaced the cell while it answered.
            if (CGridCellBase* now = GetCell(row, col)) {
                now->SetText(old);
                SetModified(true, row, col);
            }
        }
    }
    if (CGridCellBase* now = GetCell(row, col)) now->OnEndEdit();
}

void CGridCtrl::OnEndInPlaceEdit(const GridDispInfo& info) {
    if (destroying_) return;
    OnEndEditCell(info.row, info.col, info.text);
    const int key = static_cast<int>(info.data);
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down: {
            OnKeyDown(key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            // Editing goes on in the cell the key moved to.
            if (IsValid(focusCell_))
                OnEditCell(focusCell_.row, focusCell_.col, QPoint(-1, -1),
                           static_cast<unsigned>(key));
            break;
        }
        default:
            break;
    }
}
