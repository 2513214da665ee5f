#include "app/matrix/matrix_view_contrast.h"

#include "ui/grid/grid_cell_types.h"

namespace {

// Replaces a cell only when it is of another kind: the cell being edited
// must survive its own end-of-edit notification.
template <class T>
T* EnsureCellType(CGridCtrl* grid, int row, int col) {
    if (auto* cell = dynamic_cast<T*>(grid->GetCell(row, col))) return cell;
    grid->SetCellType(row, col, CellClassOf<T>());
    return dynamic_cast<T*>(grid->GetCell(row, col));
}

// A plain cell, and not one of the derived kinds.
void EnsurePlainCell(CGridCtrl* grid, int row, int col) {
    CGridCellBase* cell = grid->GetCell(row, col);
    if (cell && !dynamic_cast<CGridCellCheck*>(cell) && !dynamic_cast<CGridCellCombo*>(cell))
        return;
    grid->SetCellType(row, col, CellClassOf<CGridCell>());
}

}  // namespace

CMatrixViewContrastMat::CMatrixViewContrastMat(ContrastKind kind) : own_(kind) {}

void CMatrixViewContrastMat::InitGrid() {
    // Without contrasts of an owner: the default grid over 4 responses or 3
    // predictors.
    if (contrasts_ == &own_) own_.Init(own_.Kind() == ContrastKind::kVariables ? 4 : 3);
    ShapeGrid(contrasts_->Rows(), contrasts_->Cols(), 1, 1);
    Show();
}

void CMatrixViewContrastMat::Pull() {
    CGridCtrl* grid = Grid();
    ReadTexts(contrasts_->texts);
    for (int r = 1; r < grid->GetRowCount(); ++r) {
        if (auto* check = dynamic_cast<CGridCellCheck*>(grid->GetCell(r, ContrastGrid::kUseColumn)))
            contrasts_->SetUseFlag(r, check->GetCheck());
    }
    // The choices show as texts; NormalizationChosen ignores the blank of a
    // row without coefficients.
    for (int r = 1; r < grid->GetRowCount(); ++r)
        if (dynamic_cast<CGridCellCombo*>(grid->GetCell(r, ContrastGrid::kNormalizeColumn)))
            contrasts_->NormalizationChosen(
                r, grid->GetItemText(r, ContrastGrid::kNormalizeColumn).toStdWString());
    contrasts_->RefreshDerivedColumns();
}

const ContrastGrid& CMatrixViewContrastMat::Content() {
    Pull();
    return *contrasts_;
}

void CMatrixViewContrastMat::Show() {
    WriteTexts(contrasts_->texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

void CMatrixViewContrastMat::FormatGrid() {
    CGridCtrl* grid = Grid();
    const int rows = grid->GetRowCount(), cols = grid->GetColumnCount();
    for (int r = 0; r < rows; ++r) StyleHeaderCell(r, 0);
    for (int k = 0; k < cols; ++k) {
        grid->SetItemFormat(0, k, kMatrixHeaderFormat);
        grid->SetItemBkColour(0, k, FixedBack());
    }
    for (int r = 1; r < rows; ++r) {
        for (int k = 1; k < cols; ++k) {
            if (k == ContrastGrid::kUseColumn || k == ContrastGrid::kNormalizeColumn) continue;
            const bool label = k == ContrastGrid::kLabelColumn;
            grid->SetItemFont(r, k, HeaderFont());
            grid->SetItemBkColour(
                r, k, label && contrasts_->IsLabelled(r) ? kMatrixLabelBack : QColor(Qt::white));
            grid->SetItemState(r, k, grid->GetItemState(r, k) & ~kCellReadOnly);
        }
    }
    RebuildNormalizeColumn();
    RebuildUseColumn();
}

void CMatrixViewContrastMat::RebuildUseColumn() {
    CGridCtrl* grid = Grid();
    if (grid->GetColumnCount() <= ContrastGrid::kUseColumn) return;
    const int k = ContrastGrid::kUseColumn;
    for (int r = 1; r < grid->GetRowCount(); ++r) {
        if (contrasts_->IsLabelled(r)) {
            if (auto* check = EnsureCellType<CGridCellCheck>(grid, r, k)) {
                check->SetText(QString());
                check->SetCheck(contrasts_->UseFlag(r));
            }
        } else {
            EnsurePlainCell(grid, r, k);
            grid->SetItemText(r, k, QStringLiteral(" "));
        }
        grid->SetItemState(r, k, grid->GetItemState(r, k) & ~kCellReadOnly);
    }
}

void CMatrixViewContrastMat::RebuildNormalizeColumn() {
    CGridCtrl* grid = Grid();
    if (grid->GetColumnCount() <= ContrastGrid::kNormalizeColumn) return;
    const int k = ContrastGrid::kNormalizeColumn;
    QStringList options;
    for (const std::wstring& option : contrasts_->normalizeOptions)
        options << QString::fromStdWString(option);
    for (int r = 1; r < grid->GetRowCount(); ++r) {
        if (contrasts_->HasNoCoefficients(r)) {
            EnsurePlainCell(grid, r, k);
            grid->SetItemText(r, k, QStringLiteral(" "));
        } else if (auto* combo = EnsureCellType<CGridCellCombo>(grid, r, k)) {
            combo->SetText(options.value(contrasts_->NormalizeMode(r)));
            combo->SetOptions(options);
            combo->SetStyle(kComboDropDownList);
        }
        grid->SetItemState(r, k, grid->GetItemState(r, k) & ~kCellReadOnly);
    }
}

void CMatrixViewContrastMat::GridToMatrix(LabeledMatrix& m) {
    Pull();
    contrasts_->ToMatrix(m);
}

void CMatrixViewContrastMat::MatrixToGrid(const LabeledMatrix& m) {
    contrasts_->FromMatrix(m);
    Show();
}

void CMatrixViewContrastMat::BuildContrastList(PowerContrastList& list, const Matrix& weights) {
    Pull();
    contrasts_->BuildContrastList(list, weights);
}

void CMatrixViewContrastMat::AddContrast() {
    Pull();
    contrasts_->AddContrast();
    Show();
}

void CMatrixViewContrastMat::Reorder() {
    Pull();
    contrasts_->Reorder();
    Show();
}

long CMatrixViewContrastMat::OnGridNotify(const GridNotify& note) {
    if (note.code != kNotifyEndLabelEdit || note.row < 1) return 0;
    Pull();
    if (note.col == ContrastGrid::kLabelColumn) contrasts_->LabelEdited(note.row);
    // Texts of the edited row may have changed (zeros after a new label, a
    // typed text in the use column back to its blank); the cell types of the
    // use and normalize columns follow.
    WriteTexts(contrasts_->texts);
    FormatGrid();
    Grid()->AutoSizeColumn(note.col);
    Grid()->Refresh();
    return 0;
}
