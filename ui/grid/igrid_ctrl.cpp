#include "ui/grid/igrid_ctrl.h"

#include <QPointer>

void IGridCtrl::OnEndEditCell(int row, int col, const QString& text) {
    CGridCtrl::OnEndEditCell(row, col, text);
    const CGridCellBase* cell = GetCell(row, col);
    const bool combo = cell && cell->IsComboCell();
    if (!ownerForm_ || IsEndingQuietly()) return;
    // The form may rebuild this grid while it answers.
    QPointer<IGridCtrl> self(this);
    ownerForm_->OnInputChange();
    if (self && combo && ownerForm_) ownerForm_->OnInputCommitted();
}
