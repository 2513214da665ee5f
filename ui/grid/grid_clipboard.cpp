#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <algorithm>

#include "platform/dialogs.h"
#include "ui/grid/grid_ctrl.h"

namespace {

const QString kPlainText = QStringLiteral("text/plain");
// Marks text copied from a grid: its fields end at tabs only, so that a cell
// text holding a comma (a formula such as "=max(1,2)") comes back whole.
const QString kGridCells = QStringLiteral("application/x-quorix-grid-cells");

// The text of `mime` up to its first zero character, and whether its fields
// end at tabs only.
bool ReadPastedText(const QMimeData* mime, QString* text, bool* tabsOnly) {
    if (!mime) return false;
    if (mime->hasFormat(kGridCells)) {
        *text = QString::fromUtf8(mime->data(kGridCells));
        *tabsOnly = true;
    } else if (mime->hasText()) {
        *text = mime->text();
        *tabsOnly = false;
    } else {
        return false;
    }
    const qsizetype end = text->indexOf(QChar(0));
    if (end >= 0) text->truncate(end);
    return true;
}

bool OffersText(const QMimeData* mime) {
    return mime && (mime->hasFormat(kGridCells) || mime->hasText());
}

}  // namespace

// --- Copy, cut and paste ---------------------------------------------------------

std::unique_ptr<QMimeData> CGridCtrl::CopyTextFromGrid() {
    copyError_.clear();
    const CCellRange range = GetSelectedRange();
    if (!IsValid(range)) return nullptr;
    if (virtualMode_) SendCacheHint(range);

    QByteArray bytes;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        if (GetRowHeight(row) == 0) continue;
        QString line;
        for (int col = range.minCol; col <= range.maxCol; ++col) {
            if (GetColumnWidth(col) == 0) continue;
            const CGridCellBase* cell = GetCell(row, col);
            if (cell && (cell->GetState() & kCellSelected)) {
                const QString text = cell->GetText();
                // Dropping a line that cannot be converted would hand over
                // shifted rows as if they were the selection: refuse instead.
                if (!text.isValidUtf16()) {
                    copyError_ = QStringLiteral(
                                     "The text of the cell in row %1, column %2 cannot be "
                                     "copied: it is not valid Unicode.")
                                     .arg(row + 1)
                                     .arg(col + 1);
                    if (virtualMode_) SendCacheHint(CCellRange());
                    return nullptr;
                }
                line += text;
            }
            if (col != range.maxCol) line += QLatin1Char('\t');
        }
        if (row != range.maxRow) line += QLatin1Char('\n');
        bytes += line.toUtf8();
    }
    if (virtualMode_) SendCacheHint(CCellRange());

    auto mime = std::make_unique<QMimeData>();
    mime->setData(kPlainText, bytes);
    mime->setData(kGridCells, bytes);
    return mime;
}

void CGridCtrl::ReportCopyError() {
    if (!copyError_.isEmpty())
        platform::ShowMessage(this, copyError_, QStringLiteral("Copy"),
                              platform::MessageIcon::Warning);
}

void CGridCtrl::CutSelectedText() {
    if (!editable_) return;
    const std::map<std::uint64_t, CCellID> selected = selectedCells_;
    for (const auto& [key, cell] : selected) ModifyItemText(cell.row, cell.col, QString());
}

void CGridCtrl::OnEditCopy() {
    std::unique_ptr<QMimeData> mime = CopyTextFromGrid();
    if (!mime) {
        ReportCopyError();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(mime.release());
}

void CGridCtrl::OnEditCut() {
    if (!editable_) return;
    std::unique_ptr<QMimeData> mime = CopyTextFromGrid();
    // Cells are emptied only when their text reached the clipboard.
    if (!mime) {
        ReportCopyError();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(mime.release());
    CutSelectedText();
}

void CGridCtrl::OnEditPaste() {
    if (!editable_) return;
    const CCellRange range = GetSelectedRange();
    CCellID target;
    if (range.IsValid())
        target = CCellID(range.minRow, range.minCol);
    else if (IsValid(focusCell_))
        target = focusCell_;
    else
        target = TopLeftCell();
    if (!IsValid(target)) return;

    if (CGridCellBase* cell = GetCell(target.row, target.col); cell && cell->IsEditing()) {
        if (auto* edit = qobject_cast<QLineEdit*>(cell->GetEditWnd())) {
            edit->paste();
            return;
        }
    }
    if (const QMimeData* mime = QGuiApplication::clipboard()->mimeData())
        PasteTextToGrid(target.row, target.col, mime, true);
}

bool CGridCtrl::PasteTextToGrid(int row, int col, const QMimeData* mime, bool selectPasted) {
    if (!IsValid(row, col) || !editable_) return false;
    if (const CGridCellBase* cell = GetCell(row, col); cell && cell->IsReadOnly()) return false;
    QString text;
    bool tabsOnly = false;
    if (!ReadPastedText(mime, &text, &tabsOnly)) return false;

    const auto isSeparator = [tabsOnly](QChar c) {
        return c == QLatin1Char('\t') || (!tabsOnly && c == QLatin1Char(','));
    };
    CCellRange pasted(row, col, -1, -1);
    QStringView rest(text);
    bool more = true;
    for (int n = 0; more; ++n) {
        const qsizetype lineEnd = rest.indexOf(QLatin1Char('\n'));
        QStringView line = lineEnd < 0 ? rest : rest.left(lineEnd);
        more = lineEnd >= 0;
        if (more) rest = rest.mid(lineEnd + 1);

        int targetRow = row + n;
        while (targetRow < rowCount_ && GetRowHeight(targetRow) <= 0) targetRow = row + ++n;
        for (int k = 0; !line.isEmpty(); ++k) {
            qsizetype end = 0;
            while (end < line.size() && !isSeparator(line[end])) ++end;
            const QStringView field = line.left(end);
            int targetCol = col + k;
            while (targetCol < colCount_ && GetColumnWidth(targetCol) <= 0) targetCol = col + ++k;
            if (targetRow < rowCount_ && targetCol < colCount_) {
                ModifyItemText(targetRow, targetCol, field.trimmed().toString());
                SetItemState(targetRow, targetCol,
                             GetItemState(targetRow, targetCol) & ~kCellSelected);
                pasted.maxRow = std::max(pasted.maxRow, targetRow);
                pasted.maxCol = std::max(pasted.maxCol, targetCol);
            }
            line = end < line.size() ? line.mid(end + 1) : QStringView();
        }
    }

    if (selectPasted) {
        SetSelectedRange(row, col, pasted.maxRow, pasted.maxCol, true);
    } else {
        ClearSelection();
        Refresh();
    }
    return true;
}

void CGridCtrl::OnEditSelectAll() {
    SendMessageToParent(lButtonDownCell_.row, lButtonDownCell_.col, kNotifySelChanging);
    SelectAll();
    SendMessageToParent(focusCell_.row, focusCell_.col, kNotifySelChanged);
}

// --- Edit commands -------------------------------------------------------------

bool CGridCtrl::HandleCommand(int id) {
    switch (id) {
        case kCmdEditCopy:
            OnEditCopy();
            return true;
        case kCmdEditCut:
            OnEditCut();
            return true;
        case kCmdEditPaste:
            OnEditPaste();
            return true;
        case kCmdEditSelectAll:
            OnEditSelectAll();
            return true;
        default:
            return false;
    }
}

bool CGridCtrl::QueryCommand(int id, platform::CommandState* state) {
    switch (id) {
        case kCmdEditCopy:
            state->enabled = GetSelectedCount() > 0;
            return true;
        case kCmdEditCut:
            state->enabled = editable_ && GetSelectedCount() > 0;
            return true;
        case kCmdEditPaste: {
            const CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col);
            state->enabled = IsValid(focusCell_) && editable_ && (!cell || !cell->IsReadOnly()) &&
                             OffersText(QGuiApplication::clipboard()->mimeData());
            return true;
        }
        case kCmdEditSelectAll:
            state->enabled = enableSelection_;
            return true;
        default:
            return false;
    }
}

// --- Dragging from the grid ------------------------------------------------------

void CGridCtrl::OnBeginDrag() {
    if (!allowDragAndDrop_) return;
    std::unique_ptr<QMimeData> mime = CopyTextFromGrid();
    if (!mime) {
        ReportCopyError();
        return;
    }
    const CCellRange range = GetSelectedRange();
    SendMessageToParent(range.minRow, range.minCol, kNotifyBeginDrag);
    mouseMode_ = kMouseDragging;
    const Qt::DropAction result = ExecDrag(std::move(mime));
    // The drag ate the button release.
    mouseMode_ = kMouseNothing;
    lButtonDown_ = false;
    StopAutoScroll();
    if (result == Qt::MoveAction) CutSelectedText();
}

Qt::DropAction CGridCtrl::ExecDrag(std::unique_ptr<QMimeData> mime) {
    auto* drag = new QDrag(this);
    drag->setMimeData(mime.release());
    return drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

// --- Dropping on the grid --------------------------------------------------------

Qt::DropAction CGridCtrl::OnDragEnter(const QMimeData* mime, Qt::KeyboardModifiers keys,
                                      QPoint point) {
    if (!allowDragAndDrop_ || !OffersText(mime)) return Qt::IgnoreAction;
    lastDragOverCell_ = CellFromPoint(point, true);
    if (!IsValid(lastDragOverCell_) || !IsCellEditable(lastDragOverCell_)) return Qt::IgnoreAction;
    const CCellID cell = lastDragOverCell_;
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | kCellDropHighlighted);
    RedrawCell(cell.row, cell.col);
    return (keys & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
}

Qt::DropAction CGridCtrl::OnDragOver(const QMimeData* mime, Qt::KeyboardModifiers keys,
                                     QPoint point) {
    if (!allowDragAndDrop_ || !editable_ || !OffersText(mime)) return Qt::IgnoreAction;
    const CCellID cell = CellFromPoint(point, true);
    if (!IsValid(cell)) {
        OnDragLeave();
        lastDragOverCell_ = CCellID();
        return Qt::IgnoreAction;
    }
    if (!IsCellEditable(cell)) return Qt::IgnoreAction;
    if (cell != lastDragOverCell_) {
        const CCellID old = lastDragOverCell_;
        if (IsValid(old)) {
            SetItemState(old.row, old.col, GetItemState(old.row, old.col) & ~kCellDropHighlighted);
            RedrawCell(old.row, old.col);
        }
        lastDragOverCell_ = cell;
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | kCellDropHighlighted);
        RedrawCell(cell.row, cell.col);
    }
    return (keys & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
}

void CGridCtrl::OnDragLeave() {
    const CCellID cell = lastDragOverCell_;
    if (!IsValid(cell)) return;
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~kCellDropHighlighted);
    RedrawCell(cell.row, cell.col);
}

bool CGridCtrl::OnDrop(const QMimeData* mime, Qt::DropAction, QPoint) {
    mouseMode_ = kMouseNothing;
    const CGridCellBase* target = GetCell(lastDragOverCell_.row, lastDragOverCell_.col);
    if (!allowDragAndDrop_ || !editable_ || (target && target->IsReadOnly())) return false;
    OnDragLeave();
    return PasteTextToGrid(lastDragOverCell_.row, lastDragOverCell_.col, mime, false);
}

void CGridCtrl::dragEnterEvent(QDragEnterEvent* e) {
    const Qt::DropAction action =
        OnDragEnter(e->mimeData(), e->modifiers(), e->position().toPoint());
    // The drag stays with the grid while it may still reach an editable cell.
    if (allowDragAndDrop_ && OffersText(e->mimeData())) {
        e->setDropAction(action);
        e->accept();
    } else {
        e->ignore();
    }
}

void CGridCtrl::dragMoveEvent(QDragMoveEvent* e) {
    const Qt::DropAction action =
        OnDragOver(e->mimeData(), e->modifiers(), e->position().toPoint());
    if (action == Qt::IgnoreAction) {
        e->ignore();
        return;
    }
    e->setDropAction(action);
    e->accept();
}

void CGridCtrl::dragLeaveEvent(QDragLeaveEvent* e) {
    OnDragLeave();
    e->accept();
}

void CGridCtrl::dropEvent(QDropEvent* e) {
    const Qt::DropAction action =
        (e->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
    if (OnDrop(e->mimeData(), action, e->position().toPoint())) {
        e->setDropAction(action);
        e->accept();
    } else {
        e->ignore();
    }
}
