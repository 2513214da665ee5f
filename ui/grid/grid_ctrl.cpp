#include "ui/grid/grid_ctrl.h"

#include <QApplication>
#include <QEvent>
#include <QHideEvent>
#include <QScrollBar>
#include <algorithm>
#include <new>

#include "ui/grid/in_place_edit.h"
#include "ui/grid/title_tip.h"

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent)
    : QAbstractScrollArea(parent), defaultCellClass_(CellClassOf<CGridCell>()) {
    setFrameStyle(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (QApplication::instance()) wheelScrollLines_ = QApplication::wheelScrollLines();

    cellDefault_ = std::make_unique<CGridDefaultCell>();
    cellFixedColDefault_ = std::make_unique<CGridDefaultCell>();
    cellFixedRowDefault_ = std::make_unique<CGridDefaultCell>();
    cellFixedRowColDefault_ = std::make_unique<CGridDefaultCell>();
    for (CGridDefaultCell* def : {cellDefault_.get(), cellFixedColDefault_.get(),
                                  cellFixedRowDefault_.get(), cellFixedRowColDefault_.get()}) {
        def->SetGrid(this);
        def->SetTextClr(SysColor(kSysWindowText));
        def->SetBackClr(def == cellDefault_.get() ? SysColor(kSysWindow) : SysColor(kSys3DFace));
    }
    gridBkColour_ = SysColor(kSys3DShadow);

    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);

    // Drops are taken (or refused) cell by cell by the drag handlers.
    viewport()->setAcceptDrops(true);

    autoScrollTimer_.setInterval(25);
    QObject::connect(&autoScrollTimer_, &QTimer::timeout, this, [this] { OnTimer(); });
}

CGridCtrl::~CGridCtrl() {
    destroying_ = true;
    autoScrollTimer_.stop();
    // Open editors belong to the viewport and outlive this body; cut them off
    // so that their loss of focus does not reach a grid being destroyed.
    for (QObject* child : viewport()->children())
        if (auto* editor = dynamic_cast<CGridEditorBase*>(child)) editor->DetachGrid();
    owner_ = nullptr;
    delete titleTip_;
    DeleteAllItems();
}

bool CGridCtrl::Create(const QRect& rect, QWidget* parent, int id) {
    setParent(parent);
    setGeometry(rect);
    controlId_ = id;
    std::fill(rowHeights_.begin(), rowHeights_.end(), cellDefault_->GetHeight());
    std::fill(colWidths_.begin(), colWidths_.end(), cellDefault_->GetWidth());
    show();
    UpdateScrollBars();
    return true;
}

void CGridCtrl::PreSubclassWindow() {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    UpdateScrollBars();
}

QColor CGridCtrl::SysColor(SysColour which) const {
    const QPalette& pal = palette();
    switch (which) {
        case kSysWindow:
            return pal.color(QPalette::Base);
        case kSysWindowText:
            return pal.color(QPalette::Text);
        case kSys3DFace:
            return pal.color(QPalette::Button);
        case kSys3DShadow:
            return pal.color(QPalette::Dark);
        case kSys3DHighlight:
            return pal.color(QPalette::Light);
        case kSys3DDkShadow:
            return pal.color(QPalette::Shadow);
        case kSysHighlight:
            return pal.color(QPalette::Highlight);
        case kSysHighlightText:
            return pal.color(QPalette::HighlightedText);
    }
    return QColor();
}

void CGridCtrl::hideEvent(QHideEvent* e) {
    QAbstractScrollArea::hideEvent(e);
    if (e->spontaneous()) return;
    // The grid goes out of sight, perhaps because its window is being torn
    // down while an owner is already half gone: an open edit keeps its text
    // in the cell, and nobody is called.
    endingQuietly_ = true;
    for (QObject* child : viewport()->children())
        if (auto* editor = dynamic_cast<CGridEditorBase*>(child)) editor->EndEdit();
    EndEditing();
    endingQuietly_ = false;
}

void CGridCtrl::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange) {
        // Colours that still follow the old palette follow the new one.
        for (CGridDefaultCell* def : {cellDefault_.get(), cellFixedRowDefault_.get(),
                                      cellFixedColDefault_.get(), cellFixedRowColDefault_.get()}) {
            def->SetTextClr(SysColor(kSysWindowText));
            if (def == cellDefault_.get())
                def->SetBackClr(SysColor(kSysWindow));
            else
                def->SetBackClr(SysColor(kSys3DFace));
        }
        gridBkColour_ = SysColor(kSys3DShadow);
    } else if (e->type() == QEvent::FontChange) {
        const QFont f = font();
        for (CGridDefaultCell* def : {cellDefault_.get(), cellFixedRowDefault_.get(),
                                      cellFixedColDefault_.get(), cellFixedRowColDefault_.get()})
            def->SetFont(&f);
        if (allowDraw_) viewport()->update();
    }
    QAbstractScrollArea::changeEvent(e);
}

// --- Shape -----------------------------------------------------------------

bool CGridCtrl::IsValid(const CCellRange& range) const {
    return range.minRow >= 0 && range.minCol >= 0 && range.maxRow >= 0 && range.maxCol >= 0 &&
           range.maxRow < rowCount_ && range.maxCol < colCount_ && range.minRow <= range.maxRow &&
           range.minCol <= range.maxCol;
}

bool CGridCtrl::SetRowCount(int n) {
    if (n < 0) return false;
    if (n == rowCount_) return true;
    InvalidateTopLeft();
    if (n < fixedRows_) fixedRows_ = n;
    if (focusCell_.row >= n) SetFocusCell(-1, -1);
    if (n < rowCount_ && !virtualMode_) {
        for (int row = n; row < rowCount_; ++row) {
            for (int col = 0; col < colCount_; ++col) DestroyCell(row, col);
            delete rows_[static_cast<size_t>(row)];
            rows_[static_cast<size_t>(row)] = nullptr;
        }
    }
    bool ok = true;
    const int oldCount = rowCount_;
    if (n < oldCount) {
        rowCount_ = n;
        rowHeights_.resize(static_cast<size_t>(n));
        if (!virtualMode_) rows_.resize(static_cast<size_t>(n));
    } else {
        try {
            rowHeights_.reserve(static_cast<size_t>(n));
            if (!virtualMode_) rows_.reserve(static_cast<size_t>(n));
            for (int row = oldCount; row < n; ++row) {
                rowHeights_.push_back(cellDefault_->GetHeight());
                if (!virtualMode_) {
                    rows_.push_back(new Row(static_cast<size_t>(colCount_), nullptr));
                    ++rowCount_;
                    for (int col = 0; col < colCount_; ++col)
                        (*rows_.back())[static_cast<size_t>(col)] = CreateCell(row, col);
                } else {
                    ++rowCount_;
                }
            }
        } catch (const std::bad_alloc&) {
            ok = false;
            rowHeights_.resize(static_cast<size_t>(rowCount_));
        }
    }
    SetModified(true);
    ResetScrollBars();
    Refresh();
    return ok;
}

bool CGridCtrl::SetColumnCount(int n) {
    if (n < 0) return false;
    if (n == colCount_) return true;
    InvalidateTopLeft();
    if (n < fixedCols_) fixedCols_ = n;
    if (focusCell_.col >= n) SetFocusCell(-1, -1);
    const int oldCount = colCount_;
    if (n < oldCount && !virtualMode_) {
        for (int row = 0; row < rowCount_; ++row)
            for (int col = n; col < oldCount; ++col) DestroyCell(row, col);
    }
    bool ok = true;
    try {
        colWidths_.resize(static_cast<size_t>(n));
        if (!virtualMode_)
            for (Row* row : rows_) row->resize(static_cast<size_t>(n), nullptr);
        for (int col = oldCount; col < n; ++col) {
            colWidths_[static_cast<size_t>(col)] = cellFixedColDefault_->GetWidth();
        }
        colCount_ = n;
        if (!virtualMode_)
            for (int row = 0; row < rowCount_; ++row)
                for (int col = oldCount; col < n; ++col)
                    (*rows_[static_cast<size_t>(row)])[static_cast<size_t>(col)] =
                        CreateCell(row, col);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    colCount_ = n;
    if (sortColumn_ >= 0) InvalidateCell(0, sortColumn_);
    sortColumn_ = -1;
    modified_ = true;
    ResetScrollBars();
    Refresh();
    return ok;
}

bool CGridCtrl::SetFixedColumnCount(int n) {
    if (n < 0) return false;
    if (n == fixedCols_) return true;
    if (n > colCount_ && !SetColumnCount(n)) return false;
    if (focusCell_.col < n) SetFocusCell(-1, -1);
    ClearSelection();
    InvalidateTopLeft();
    if (!virtualMode_) {
        if (n > fixedCols_) {
            for (int row = 0; row < rowCount_; ++row)
                for (int col = fixedCols_; col < n; ++col) {
                    SetItemState(row, col, GetItemState(row, col) | kCellFixed | kCellFixedCol);
                    if (CGridCellBase* cell = GetCell(row, col)) {
                        cell->SetTextClr(QColor());
                        cell->SetBackClr(QColor());
                    }
                }
        } else {
            for (int row = 0; row < rowCount_; ++row)
                for (int col = n; col < fixedCols_; ++col) {
                    if (row < fixedRows_) {
                        SetItemState(row, col, GetItemState(row, col) & ~kCellFixedCol);
                    } else {
                        SetItemState(row, col,
                                     GetItemState(row, col) & ~(kCellFixed | kCellFixedCol));
                        if (CGridCellBase* cell = GetCell(row, col)) {
                            cell->SetTextClr(QColor());
                            cell->SetBackClr(QColor());
                        }
                    }
                }
        }
    }
    fixedCols_ = n;
    ResetScrollBars();
    Refresh();
    return true;
}

bool CGridCtrl::SetFixedRowCount(int n) {
    if (n < 0) return false;
    if (n == fixedRows_) return true;
    ClearSelection();
    if (n > rowCount_ && !SetRowCount(n)) return false;
    if (focusCell_.row < n) SetFocusCell(-1, -1);
    InvalidateTopLeft();
    if (!virtualMode_) {
        if (n > fixedRows_) {
            for (int row = fixedRows_; row < n; ++row)
                for (int col = 0; col < colCount_; ++col) {
                    SetItemState(row, col, GetItemState(row, col) | kCellFixed | kCellFixedRow);
                    if (CGridCellBase* cell = GetCell(row, col)) {
                        cell->SetTextClr(QColor());
                        cell->SetBackClr(QColor());
                    }
                }
        } else {
            for (int row = n; row < fixedRows_; ++row)
                for (int col = 0; col < colCount_; ++col) {
                    if (col < fixedCols_) {
                        SetItemState(row, col, GetItemState(row, col) & ~kCellFixedRow);
                    } else {
                        SetItemState(row, col,
                                     GetItemState(row, col) & ~(kCellFixed | kCellFixedRow));
                        if (CGridCellBase* cell = GetCell(row, col)) {
                            cell->SetTextClr(QColor());
                            cell->SetBackClr(QColor());
                        }
                    }
                }
        }
    }
    fixedRows_ = n;
    ResetScrollBars();
    Refresh();
    return true;
}

int CGridCtrl::InsertRow(const QString& heading, int position) {
    if (position >= 0 && (position < fixedRows_ || position >= rowCount_)) return -1;
    InvalidateTopLeft();
    ClearSelection();
    if (colCount_ < 1) SetColumnCount(1);
    const int row = position < 0 ? rowCount_ : position;
    try {
        rowHeights_.insert(rowHeights_.begin() + row, 0);
        if (!virtualMode_)
            rows_.insert(rows_.begin() + row, new Row(static_cast<size_t>(colCount_), nullptr));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    ++rowCount_;
    if (!virtualMode_) {
        for (int col = 0; col < colCount_; ++col)
            (*rows_[static_cast<size_t>(row)])[static_cast<size_t>(col)] = CreateCell(row, col);
        if (CGridCellBase* cell = GetCell(row, 0)) {
            cell->SetText(heading);
            SetModified(true, row, 0);
        }
    }
    int height = cellFixedRowDefault_->GetHeight();
    if (!heading.isEmpty()) {
        CGridCellBase* cell = virtualMode_ ? nullptr : GetCell(row, 0);
        height = cell ? cell->GetTextExtent(heading).height() : 0;
    }
    rowHeights_[static_cast<size_t>(row)] = height;
    if (focusCell_.row != -1 && row < focusCell_.row) ++focusCell_.row;
    ResetScrollBars();
    SetModified(true);
    return row;
}

int CGridCtrl::InsertColumn(const QString& heading, unsigned format, int position) {
    if (position >= 0 && (position < fixedCols_ || position > colCount_)) return -1;
    InvalidateTopLeft();
    ClearSelection();
    if (rowCount_ < 1) SetRowCount(1);
    const int col = position < 0 ? colCount_ : position;
    try {
        if (!virtualMode_) {
            for (int row = 0; row < rowCount_; ++row) {
                if (!rows_[static_cast<size_t>(row)]) return -1;
                Row& cells = *rows_[static_cast<size_t>(row)];
                cells.insert(cells.begin() + col, nullptr);
            }
        }
        colWidths_.insert(colWidths_.begin() + col, 0);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    ++colCount_;
    if (!virtualMode_)
        for (int row = 0; row < rowCount_; ++row)
            (*rows_[static_cast<size_t>(row)])[static_cast<size_t>(col)] = CreateCell(row, col);
    int width = 0;
    if (CGridCellBase* cell = virtualMode_ ? nullptr : GetCell(0, col)) {
        cell->SetText(heading);
        SetModified(true, 0, col);
        width = cell->GetTextExtent(heading).width();
    }
    for (int row = 0; row < rowCount_; ++row) SetItemFormat(row, col, format);
    colWidths_[static_cast<size_t>(col)] = width;
    if (focusCell_.col != -1 && col < focusCell_.col) ++focusCell_.col;
    ResetScrollBars();
    if (sortColumn_ >= 0) InvalidateCell(0, sortColumn_);
    sortColumn_ = -1;
    modified_ = true;
    return col;
}

bool CGridCtrl::DeleteRow(int row) {
    if (row < 0 || row >= rowCount_) return false;
    ClearSelection();
    if (!virtualMode_) {
        Row* cells = rows_[static_cast<size_t>(row)];
        if (!cells) return false;
        for (int col = 0; col < colCount_; ++col) DestroyCell(row, col);
        delete cells;
        rows_.erase(rows_.begin() + row);
    }
    rowHeights_.erase(rowHeights_.begin() + row);
    --rowCount_;
    if (row < fixedRows_) --fixedRows_;
    if (focusCell_.row == row)
        focusCell_ = CCellID();
    else if (focusCell_.row > row)
        --focusCell_.row;
    InvalidateTopLeft();
    ResetScrollBars();
    SetModified(true);
    return true;
}

bool CGridCtrl::DeleteColumn(int col) {
    if (col < 0 || col >= colCount_) return false;
    ClearSelection();
    if (!virtualMode_) {
        for (int row = 0; row < rowCount_; ++row) {
            Row* cells = rows_[static_cast<size_t>(row)];
            if (!cells) return false;
            DestroyCell(row, col);
            cells->erase(cells->begin() + col);
        }
    }
    colWidths_.erase(colWidths_.begin() + col);
    --colCount_;
    if (col < fixedCols_) --fixedCols_;
    if (focusCell_.col == col)
        focusCell_ = CCellID();
    else if (focusCell_.col > col)
        --focusCell_.col;
    InvalidateTopLeft();
    ResetScrollBars();
    SetModified(true);
    return true;
}

bool CGridCtrl::DeleteAllItems() {
    ClearSelection();
    rowHeights_.clear();
    colWidths_.clear();
    if (!virtualMode_) {
        for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
            if (!rows_[static_cast<size_t>(row)]) continue;
            for (int col = 0; col < static_cast<int>(rows_[static_cast<size_t>(row)]->size());
                 ++col)
                DestroyCell(row, col);
            delete rows_[static_cast<size_t>(row)];
        }
        rows_.clear();
    }
    selectedCells_.clear();
    prevSelectedCells_.clear();
    focusCell_ = CCellID();
    rowCount_ = colCount_ = fixedRows_ = fixedCols_ = 0;
    InvalidateTopLeft();
    if (!destroying_) ResetScrollBars();
    SetModified(true);
    return true;
}

// --- Cells ---------------------------------------------------------------

CGridCellBase* CGridCtrl::GetCell(int row, int col) const {
    if (!IsValid(row, col)) return nullptr;
    if (!virtualMode_) {
        if (static_cast<size_t>(row) >= rows_.size() || !rows_[static_cast<size_t>(row)])
            return nullptr;
        const Row& cells = *rows_[static_cast<size_t>(row)];
        return static_cast<size_t>(col) < cells.size() ? cells[static_cast<size_t>(col)] : nullptr;
    }
    FillDispInfo(dispInfo_, row, col);
    if (callback_)
        callback_(&dispInfo_, callbackArg_);
    else
        SendDispInfoRequest(dispInfo_);
    if (!virtualCell_) virtualCell_ = std::make_unique<CGridCell>();
    CGridCell& cell = *virtualCell_;
    cell.SetState(dispInfo_.state);
    cell.SetFormat(dispInfo_.format);
    cell.SetImage(dispInfo_.image);
    cell.SetBackClr(dispInfo_.backClr);
    cell.SetTextClr(dispInfo_.textClr);
    cell.SetData(dispInfo_.data);
    cell.SetFont(dispInfo_.hasFont ? &dispInfo_.font : nullptr);
    cell.SetMargin(dispInfo_.margin);
    cell.SetText(dispInfo_.text);
    cell.SetGrid(const_cast<CGridCtrl*>(this));
    return &cell;
}

void CGridCtrl::FillDispInfo(GridDispInfo& info, int row, int col) const {
    CGridDefaultCell* def = GetDefaultCell(row < fixedRows_, col < fixedCols_);
    info = GridDispInfo();
    info.grid = const_cast<CGridCtrl*>(this);
    info.controlId = controlId_;
    info.code = kNotifyGetDispInfo;
    info.format = def->GetFormat();
    info.image = def->GetImage();
    info.backClr = def->GetBackClr();
    info.textClr = def->GetTextClr();
    info.data = def->GetData();
    if (const QFont* font = def->GetFont()) {
        info.font = *font;
        info.hasFont = true;
    }
    info.margin = def->GetMargin();
    info.row = row;
    info.col = col;
    info.mask = 0xFFFFFFFFu;
    info.text.clear();
    unsigned state = 0;
    if (IsCellSelected(row, col)) state |= kCellSelected;
    if (row < fixedRows_) state |= kCellFixed | kCellFixedRow;
    if (col < fixedCols_) state |= kCellFixed | kCellFixedCol;
    if (CCellID(row, col) == focusCell_) state |= kCellFocused;
    info.state = state;
}

bool CGridCtrl::SetCell(int row, int col, CGridCellBase* cell) {
    if (virtualMode_ || !IsValid(row, col)) return false;
    if (static_cast<size_t>(row) >= rows_.size() || !rows_[static_cast<size_t>(row)]) return false;
    CGridCellBase*& slot = (*rows_[static_cast<size_t>(row)])[static_cast<size_t>(col)];
    if (slot == cell) return true;
    if (cell) cell->SetCoords(row, col);
    // The grid owns its cells: the one replaced here is deleted, not leaked.
    CGridCellBase* old = slot;
    slot = cell;
    delete old;
    return true;
}

CGridCellBase* CGridCtrl::CreateCell(int row, int col) {
    if (!defaultCellClass_) return nullptr;
    CGridCellBase* cell = defaultCellClass_();
    if (!cell) return nullptr;
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    unsigned state = cell->GetState();
    if (col < fixedCols_) state |= kCellFixed | kCellFixedCol;
    if (row < fixedRows_) state |= kCellFixed | kCellFixedRow;
    cell->SetState(state);
    if (CGridDefaultCell* def = cell->GetDefaultCell()) cell->SetFormat(def->GetFormat());
    return cell;
}

void CGridCtrl::DestroyCell(int row, int col) {
    SetItemState(row, col, 0);
    if (virtualMode_ || static_cast<size_t>(row) >= rows_.size() ||
        !rows_[static_cast<size_t>(row)])
        return;
    Row& cells = *rows_[static_cast<size_t>(row)];
    if (static_cast<size_t>(col) >= cells.size()) return;
    delete cells[static_cast<size_t>(col)];
    cells[static_cast<size_t>(col)] = nullptr;
}

bool CGridCtrl::SetCellType(int row, int col, CellClass cellClass) {
    if (virtualMode_ || !IsValid(row, col) || !cellClass) return false;
    CGridCellBase* cell = cellClass();
    if (!cell) return false;
    CGridCellBase* old = GetCell(row, col);
    if (old) {
        if (old->IsEditing()) old->EndEdit();
        // Ending the edit may have replaced the cell once more.
        old = GetCell(row, col);
    }
    if (old)
        cell->CopyFrom(*old);
    else
        cell->SetGrid(this);
    return SetCell(row, col, cell);
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) const {
    if (fixedRow && fixedCol) return cellFixedRowColDefault_.get();
    if (fixedRow) return cellFixedRowDefault_.get();
    if (fixedCol) return cellFixedColDefault_.get();
    return cellDefault_.get();
}

void CGridCtrl::SetVirtualMode(bool on) {
    if (on == virtualMode_) return;
    DeleteAllItems();
    virtualMode_ = on;
}

// --- Items ---------------------------------------------------------------

QString CGridCtrl::GetItemText(int row, int col) const {
    if (!IsValid(row, col)) return QString();
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetText() : QString();
}

bool CGridCtrl::SetItemText(int row, int col, const QString& text) {
    if (virtualMode_) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    cell->SetText(text);
    SetModified(true, row, col);
    return true;
}

unsigned CGridCtrl::GetItemState(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetState() : 0;
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
    const bool selected = IsCellSelected(row, col);
    const std::uint64_t key = SelectionKey(row, col);
    if (selected && !(state & kCellSelected))
        selectedCells_.erase(key);
    else if (!selected && (state & kCellSelected))
        selectedCells_[key] = CCellID(row, col);
    if (virtualMode_) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    cell->SetState(state);
    return true;
}

bool CGridCtrl::SetItemFormat(int row, int col, unsigned format) {
    if (virtualMode_) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    cell->SetFormat(format);
    return true;
}

unsigned CGridCtrl::GetItemFormat(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetFormat() : 0;
}

bool CGridCtrl::SetItemTextColour(int row, int col, const QColor& colour) {
    if (virtualMode_) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    cell->SetTextClr(colour);
    return true;
}

bool CGridCtrl::SetItemBkColour(int row, int col, const QColor& colour) {
    if (virtualMode_) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    cell->SetBackClr(colour);
    return true;
}

bool CGridCtrl::SetItemFont(int row, int col, const QFont& font) {
    if (virtualMode_) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    cell->SetFont(&font);
    return true;
}

bool CGridCtrl::IsCellEditable(int row, int col) const {
    if (!editable_) return false;
    const CGridCellBase* cell = GetCell(row, col);
    return !cell || !cell->IsReadOnly();
}

bool CGridCtrl::IsItemEditing(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell && cell->IsEditing();
}

void CGridCtrl::ModifyItemText(int row, int col, const QString& text) {
    if (!IsCellEditable(row, col)) return;
    if (SendMessageToParent(row, col, kNotifyBeginLabelEdit) < 0) return;
    const QString old = GetItemText(row, col);
    if (old == text) return;
    SetItemText(row, col, text);
    if (ValidateEdit(row, col, text) && SendMessageToParent(row, col, kNotifyEndLabelEdit) >= 0) {
        SetModified(true, row, col);
        RedrawCell(row, col);
        return;
    }
    SetItemText(row, col, old);
}

void CGridCtrl::ClearCells(int minRow, int minCol, int maxRow, int maxCol) {
    for (int row = minRow; row <= maxRow; ++row) {
        if (GetRowHeight(row) <= 0) continue;
        for (int col = minCol; col <= maxCol; ++col)
            if (GetColumnWidth(col) > 0) ModifyItemText(row, col, QString());
    }
    Refresh();
}

void CGridCtrl::SetModified(bool modified, int row, int col) {
    if (col < 0 || col == sortColumn_) {
        if (sortColumn_ >= 0) InvalidateCell(0, sortColumn_);
        sortColumn_ = -1;
    }
    if (row < 0 || col < 0) {
        modified_ = modified;
    } else if (CGridCellBase* cell = GetCell(row, col)) {
        if (modified) {
            cell->SetState(cell->GetState() | kCellModified);
            modified_ = true;
        } else {
            cell->SetState(cell->GetState() & ~kCellModified);
        }
    }
    if (!modified_ && !virtualMode_) {
        for (int r = 0; r < rowCount_; ++r)
            for (int c = 0; c < colCount_; ++c)
                if (CGridCellBase* cell = GetCell(r, c))
                    cell->SetState(cell->GetState() & ~kCellModified);
    }
}

bool CGridCtrl::GetModified(int row, int col) const {
    if (row < 0 || col < 0) return modified_;
    return (GetItemState(row, col) & kCellModified) != 0;
}

// --- Owner notifications ---------------------------------------------------

long CGridCtrl::SendMessageToParent(int row, int col, int code) const {
    if (!owner_ || destroying_ || endingQuietly_) return 0;
    GridNotify note;
    note.grid = const_cast<CGridCtrl*>(this);
    note.controlId = controlId_;
    note.code = code;
    note.row = row;
    note.col = col;
    return owner_->OnGridNotify(note);
}

long CGridCtrl::SendDispInfoRequest(GridDispInfo& info) const {
    if (!owner_ || destroying_) return 0;
    return owner_->OnGridDispInfo(info);
}

long CGridCtrl::SendCacheHint(const CCellRange& range) const {
    if (!owner_ || destroying_) return 0;
    return owner_->OnGridCacheHint(const_cast<CGridCtrl*>(this), range);
}

// --- Redrawing -----------------------------------------------------------

void CGridCtrl::Refresh() {
    if (allowDraw_ && !destroying_) viewport()->update();
}

void CGridCtrl::SetRedraw(bool allow, bool resetScrollBars) {
    if (allow && !allowDraw_) viewport()->update();
    allowDraw_ = allow;
    if (resetScrollBars) UpdateScrollBars();
}

void CGridCtrl::InvalidateCell(int row, int col) {
    if (!allowDraw_ || destroying_ || !IsValid(row, col) || !IsCellOnScreen(row, col)) return;
    QRect rect;
    if (!CellRect(row, col, &rect)) return;
    viewport()->update(rect.adjusted(0, 0, 1, 1));
}

void CGridCtrl::RedrawCell(int row, int col) {
    // Qt paints only inside a paint event: redrawing a cell at once means
    // asking for its rectangle (with its grid lines) to be painted.
    InvalidateCell(row, col);
}
