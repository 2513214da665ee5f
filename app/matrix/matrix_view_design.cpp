#include "app/matrix/matrix_view_design.h"

void CMatrixViewDesign::InitGrid() {
    if (design_ == &own_) own_.Init(3, 3);
    ShapeGrid(design_->Rows(), design_->Cols(), 0, 0);
    Show();
}

const DesignGrid& CMatrixViewDesign::Content() {
    ReadTexts(design_->texts);
    return *design_;
}

void CMatrixViewDesign::Show() {
    WriteTexts(design_->texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

void CMatrixViewDesign::FormatGrid() {
    CGridCtrl* grid = Grid();
    const int rows = grid->GetRowCount(), cols = grid->GetColumnCount();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const bool header = r == 0 || c == 0;
            // The corner and the weight header are titles, not names.
            const bool title = r == 0 && (c == 0 || c == cols - 1);
            StyleHeaderCell(r, c);
            grid->SetItemBkColour(r, c,
                                  title    ? FixedBack()
                                  : header ? kMatrixLabelBack
                                           : QColor(Qt::white));
            const unsigned state = grid->GetItemState(r, c);
            grid->SetItemState(r, c, title ? state | kCellReadOnly : state & ~kCellReadOnly);
        }
    }
}

void CMatrixViewDesign::SetDimensions(int rows, int weightColumn) {
    ReadTexts(design_->texts);
    design_->SetDimensions(rows, weightColumn);
    Show();
}

void CMatrixViewDesign::GetDesignMatrix(LabeledMatrix& m) {
    Content().GetDesignMatrix(m);
}

void CMatrixViewDesign::GetCellWeights(LabeledMatrix& m) {
    Content().GetCellWeights(m);
}

long CMatrixViewDesign::OnGridNotify(const GridNotify& note) {
    if (note.code == kNotifyEndLabelEdit) {
        Grid()->AutoSizeColumn(note.col);
        Grid()->Refresh();
    }
    return 0;
}
