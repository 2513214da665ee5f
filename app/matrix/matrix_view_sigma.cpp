#include "app/matrix/matrix_view_sigma.h"

void CMatrixViewSigma::InitGrid() {
    if (sigma_ == &own_) own_.Init(4);
    ShapeGrid(sigma_->Rows(), sigma_->Rows(), 1, 1);
    Show();
}

const SigmaGrid& CMatrixViewSigma::Content() {
    ReadTexts(sigma_->texts);
    return *sigma_;
}

void CMatrixViewSigma::Show() {
    WriteTexts(sigma_->texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

void CMatrixViewSigma::FormatGrid() {
    CGridCtrl* grid = Grid();
    const int n = grid->GetRowCount();
    for (int i = 0; i < n; ++i) {
        StyleHeaderCell(i, 0);
        StyleHeaderCell(0, i);
    }
    for (int r = 1; r < n; ++r) {
        for (int k = 1; k < grid->GetColumnCount(); ++k) {
            const unsigned state = grid->GetItemState(r, k);
            const bool mirror = r < k;
            grid->SetItemFormat(r, k, kMatrixHeaderFormat);
            grid->SetItemBkColour(r, k, mirror ? FixedBack() : QColor(Qt::white));
            grid->SetItemState(r, k, mirror ? state | kCellReadOnly : state & ~kCellReadOnly);
        }
    }
}

void CMatrixViewSigma::MatrixToGrid(const LabeledMatrix& m) {
    sigma_->Load(m.cells);
    Show();
}

std::optional<std::wstring> CMatrixViewSigma::SetMode(SigmaGrid::Mode mode) {
    ReadTexts(sigma_->texts);
    const std::optional<std::wstring> failure = sigma_->SetMode(mode);
    if (!failure) Show();
    return failure;
}

std::optional<std::wstring> CMatrixViewSigma::GetSigma(LabeledMatrix& m) {
    return Content().GetSigma(m);
}

long CMatrixViewSigma::OnGridNotify(const GridNotify& note) {
    if (note.code != kNotifyEndLabelEdit) return 0;
    if (note.row != note.col && note.row >= 1 && note.col >= 1) {
        SetCellText(note.col, note.row, CellText(note.row, note.col));
        Grid()->AutoSizeColumn(note.row);
    }
    Grid()->AutoSizeColumn(note.col);
    Grid()->Refresh();
    return 0;
}
