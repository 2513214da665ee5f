#include "app/matrix/matrix_view_means.h"

void CMatrixViewMeans::InitGrid() {
    if (means_ == &own_) own_.Init(3, 4);
    ShapeGrid(means_->Rows(), means_->Cols(), 0, 1);
    Show();
}

const MeansGrid& CMatrixViewMeans::Content() {
    ReadTexts(means_->texts);
    return *means_;
}

void CMatrixViewMeans::Show() {
    WriteTexts(means_->texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

void CMatrixViewMeans::FormatGrid() {
    CGridCtrl* grid = Grid();
    const int rows = grid->GetRowCount(), cols = grid->GetColumnCount();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const unsigned state = grid->GetItemState(r, c);
            if (r == 0 || c == 0) {
                StyleHeaderCell(r, c);
                grid->SetItemBkColour(r, c, kMatrixLabelBack);
                // Only the corner is fixed text; response names may be typed.
                grid->SetItemState(
                    r, c, r == 0 && c == 0 ? state | kCellReadOnly : state & ~kCellReadOnly);
            } else {
                grid->SetItemFormat(r, c, kMatrixHeaderFormat);
                grid->SetItemBkColour(r, c, Qt::white);
                grid->SetItemState(r, c, state & ~kCellReadOnly);
            }
        }
    }
}

void CMatrixViewMeans::SetResponses(int responses) {
    ReadTexts(means_->texts);
    means_->SetResponses(responses);
    Show();
}

void CMatrixViewMeans::GetMeans(LabeledMatrix& m) {
    Content().GetMeans(m);
}

long CMatrixViewMeans::OnGridNotify(const GridNotify& note) {
    if (note.code == kNotifyEndLabelEdit) {
        Grid()->AutoSizeColumn(note.col);
        Grid()->Refresh();
    }
    return 0;
}
