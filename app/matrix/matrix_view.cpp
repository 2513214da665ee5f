#include "app/matrix/matrix_view.h"

#include <QFontMetrics>
#include <algorithm>

#include "platform/fonts.h"

platform::DialogTemplate MatrixViewTemplate() {
    platform::DialogTemplate t;
    t.id = 173;
    t.width = 200;
    t.height = 120;
    t.controls.push_back(platform::ControlSpec{CMatrixView::kGridId,
                                               platform::ControlKind::Area,
                                               "",
                                               {0, 0, 200, 120},
                                               platform::kStyleNone,
                                               {}});
    return t;
}

namespace {

// The headers' font: the stand-in of "Lucida Sans Unicode" whose cell
// (ascent plus descent) is at most 15 pixels high.
QFont MakeHeaderFont() {
    QFont font(platform::StandInFamily(QStringLiteral("Lucida Sans Unicode")));
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    for (int pixels = 15; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= 15) break;
    }
    return font;
}

}  // namespace

CMatrixView::CMatrixView() : CFormViewEx(MatrixViewTemplate()) {}

CMatrixView::~CMatrixView() {
    // The grid dies with the widget base, after this view's own part: it must
    // not notify a view that is gone.
    if (grid_) grid_->SetOwner(nullptr);
}

void CMatrixView::OnInitialUpdate() {
    QWidget* area = Control(kGridId);
    if (!area) return;
    if (!grid_) {
        grid_ = new CGridCtrl(0, 0, 0, 0, area);
        grid_->Create(area->rect(), area, kGridId);
        grid_->PreSubclassWindow();
        grid_->SetOwner(this);
    }
    headerFont_ = MakeHeaderFont();
    // An empty cell measures as the default cell: as wide as a short number,
    // so that the blank lines of a contrast grid do not widen its columns.
    const int narrow = QFontMetrics(headerFont_).horizontalAdvance(QStringLiteral("000"));
    for (bool fixedRow : {false, true})
        for (bool fixedCol : {false, true})
            grid_->GetDefaultCell(fixedRow, fixedCol)->SetWidth(narrow);
    FitToParent();
    InitGrid();
}

void CMatrixView::FitToParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    const QRect client = parent->rect();
    setGeometry(client);
    if (QWidget* area = Control(kGridId)) area->setGeometry(QRect(QPoint(0, 0), client.size()));
    if (grid_) grid_->setGeometry(QRect(QPoint(0, 0), client.size()));
}

QColor CMatrixView::FixedBack() const {
    return grid_ ? grid_->GetDefaultCell(true, false)->GetBackClr() : QColor();
}

void CMatrixView::SetGridSwitches() {
    grid_->SetSingleRowSelection(true);
    grid_->SetSingleColSelection(true);
    grid_->SetFixedColumnSelection(false);
    grid_->SetRowResize(false);
    grid_->SetColumnResize(true);
}

void CMatrixView::ShapeGrid(int rows, int cols, int fixedRows, int fixedCols) {
    grid_->SetColumnCount(cols);
    grid_->SetRowCount(rows);
    grid_->SetFixedRowCount(fixedRows);
    grid_->SetFixedColumnCount(fixedCols);
    grid_->SetColumnWidth(0, 100);
    SetGridSwitches();
}

void CMatrixView::StyleHeaderCell(int row, int col) {
    grid_->SetItemFormat(row, col, kMatrixHeaderFormat);
    grid_->SetItemFont(row, col, headerFont_);
}

void CMatrixView::InitGrid() {
    SetupGrid(3, 5, L"Var", L"%d", L"Cov %d");
    SetCellText(0, 1, L"Meandiff");
    SetCellText(0, 2, L"SD");
    SetCellText(0, 3, L"Cov 1");
    SetCellText(0, 4, L"Cov 2");
}

bool CMatrixView::SetupGrid(int rows, int cols, const std::wstring& corner,
                            const std::wstring& rowFormat, const std::wstring& colFormat) {
    ShapeGrid(rows, cols, 1, 1);
    for (int r = 0; r < rows; ++r) {
        StyleHeaderCell(r, 0);
        SetCellText(r, 0, r == 0 ? corner : Numbered(rowFormat, r));
    }
    grid_->AutoSizeColumn(0, 0, true);
    for (int k = 1; k < cols; ++k) {
        StyleHeaderCell(0, k);
        SetCellText(0, k, Numbered(colFormat, k));
    }
    return true;
}

bool CMatrixView::ShowMatrix(const Matrix& values, const wchar_t* valueFormat,
                             const std::wstring& corner, const std::wstring& rowFormat,
                             const std::wstring& colFormat) {
    SetupGrid(values.rows() + 1, values.cols() + 1, corner, rowFormat, colFormat);
    for (int j = 0; j < values.cols(); ++j)
        for (int i = 0; i < values.rows(); ++i)
            SetCellText(i + 1, j + 1, FormatNumber(values(i, j), valueFormat));
    return true;
}

bool CMatrixView::SetValues(const Matrix& values, const wchar_t* format) {
    if (values.rows() != grid_->GetRowCount() - 1 || values.cols() != grid_->GetColumnCount() - 1)
        return false;
    for (int j = 0; j < values.cols(); ++j)
        for (int i = 0; i < values.rows(); ++i)
            SetCellText(i + 1, j + 1, FormatNumber(values(i, j), format));
    return true;
}

void CMatrixView::GetValues(Matrix& values, VariableTree* table) const {
    const int rows = std::max(grid_->GetRowCount() - 1, 0);
    const int cols = std::max(grid_->GetColumnCount() - 1, 0);
    values.resize(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < cols; ++k)
            values(r, k) = EvaluateCellText(CellText(r + 1, k + 1), table);
}

void CMatrixView::GetCellTextsAt(TextArray& texts, int rowOffset, int colOffset, int r0, int c0,
                                 int r1, int c1) const {
    for (int r = r0; r < r1; ++r)
        for (int c = c0; c < c1; ++c) {
            const int i = rowOffset + r - r0, j = colOffset + c - c0;
            if (i >= 0 && i < texts.rows() && j >= 0 && j < texts.cols())
                texts(i, j) = Trimmed(CellText(r, c));
        }
}

void CMatrixView::GetCellTexts(TextArray& texts, int r0, int c0, int r1, int c1) const {
    const int rows = std::max(r1 - r0, 0), cols = std::max(c1 - c0, 0);
    if (texts.rows() != rows || texts.cols() != cols) texts.Resize(rows, cols);
    GetCellTextsAt(texts, 0, 0, r0, c0, r1, c1);
}

void CMatrixView::GridToMatrix(LabeledMatrix& m) {
    GetCellTexts(m.cells, 0, 0, grid_->GetRowCount(), grid_->GetColumnCount());
}

void CMatrixView::MatrixToGrid(const LabeledMatrix& m) {
    WriteTexts(m.cells);
    FormatGrid();
    grid_->AutoSizeColumns();
}

void CMatrixView::ReadTexts(TextArray& texts) const {
    texts.Resize(grid_->GetRowCount(), grid_->GetColumnCount());
    for (int r = 0; r < texts.rows(); ++r)
        for (int c = 0; c < texts.cols(); ++c) texts(r, c) = CellText(r, c);
}

void CMatrixView::WriteTexts(const TextArray& texts) {
    grid_->SetColumnCount(texts.cols());
    grid_->SetRowCount(texts.rows());
    for (int r = 0; r < texts.rows(); ++r)
        for (int c = 0; c < texts.cols(); ++c) SetCellText(r, c, texts(r, c));
}

std::wstring CMatrixView::CellText(int row, int col) const {
    return grid_ ? grid_->GetItemText(row, col).toStdWString() : std::wstring();
}

void CMatrixView::SetCellText(int row, int col, const std::wstring& text) {
    grid_->SetItemText(row, col, QString::fromStdWString(text));
}

long CMatrixView::OnGridNotify(const GridNotify&) {
    return 0;
}
