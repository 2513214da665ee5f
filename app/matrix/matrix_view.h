#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <string>

#include "app/widgets/form_view_ex.h"
#include "glm/labeled_matrix.h"
#include "ui/grid/grid_ctrl.h"

class VariableTree;

// DrawText flags of the header cells: right-aligned, vertically centred,
// single line.
inline constexpr unsigned kMatrixHeaderFormat = kFmtRight | kFmtVCenter | kFmtSingleLine;
// The light blue of labelled header and label cells.
inline const QColor kMatrixLabelBack{200, 210, 240};

// The form that shows one matrix in a grid: a header row (column labels), a
// header column (row labels), a corner cell with a title, and a body whose
// cell (r, k) holds element (r - 1, k - 1) as text, a number or a "="
// formula. Every matrix grid of the model explorer and of the matrix input
// forms derives from it; each gives its own default layout (InitGrid) and
// header styling (FormatGrid). Its host creates it as a child of one of its
// own windows and fits it there.
class CMatrixView : public CFormViewEx, public IGridOwner {
  public:
    static constexpr int kGridId = 1076;

    CMatrixView();
    ~CMatrixView() override;

    // The grid, the header font, the fit to the parent, then InitGrid.
    void OnInitialUpdate() override;
    // The view and its grid fill the parent's client area.
    void FitToParent() override;

    // The default layout: 3 x 5, corner "Var", rows "1", "2", columns
    // "Meandiff", "SD", "Cov 1", "Cov 2".
    virtual void InitGrid();
    // Re-applies the header styling after the content was replaced.
    virtual void FormatGrid() {}

    // Trimmed texts of grid rows r0 .. r1 - 1 and columns c0 .. c1 - 1 into
    // the existing array at (rowOffset + r - r0, colOffset + c - c0).
    void GetCellTextsAt(TextArray& texts, int rowOffset, int colOffset, int r0, int c0, int r1,
                        int c1) const;
    // The same into an array shaped (r1 - r0) x (c1 - c0).
    void GetCellTexts(TextArray& texts, int r0, int c0, int r1, int c1) const;
    // The whole grid's trimmed texts, headers included, into m.cells.
    virtual void GridToMatrix(LabeledMatrix& m);
    // The grid takes the shape and every text of m.cells, headers included.
    virtual void MatrixToGrid(const LabeledMatrix& m);
    // The body read as numbers (see EvaluateCellText); formulas may name the
    // variables of `table`.
    void GetValues(Matrix& values, VariableTree* table = nullptr) const;
    // Writes every element into its body cell; false, and nothing written,
    // when the shape differs from the body's.
    bool SetValues(const Matrix& values, const wchar_t* format);
    // A grid one row and column larger than `values`, headers numbered from 1.
    bool ShowMatrix(const Matrix& values, const wchar_t* valueFormat, const std::wstring& corner,
                    const std::wstring& rowFormat, const std::wstring& colFormat);
    // Shape, one fixed row and column, the switches, and the header texts;
    // body cells keep their texts.
    bool SetupGrid(int rows, int cols, const std::wstring& corner, const std::wstring& rowFormat,
                   const std::wstring& colFormat);

    CGridCtrl* Grid() const { return grid_; }
    const QFont& HeaderFont() const { return headerFont_; }
    // The background of the grid's fixed cells.
    QColor FixedBack() const;

    // Notifications of the grid; every answer is 0 (edits are accepted).
    long OnGridNotify(const GridNotify& note) override;

  protected:
    // The behaviour switches every matrix grid shares.
    void SetGridSwitches();
    // The grid's shape with its fixed rows and columns, the switches, and
    // the first column 100 pixels wide; the texts stay to be written.
    void ShapeGrid(int rows, int cols, int fixedRows, int fixedCols);
    // Header style: right-aligned single line in the header font.
    void StyleHeaderCell(int row, int col);
    // The whole grid's texts as they stand (untrimmed).
    void ReadTexts(TextArray& texts) const;
    // The grid takes the shape and the texts of `texts`.
    void WriteTexts(const TextArray& texts);
    // The text of a cell, wide; an empty text outside the grid.
    std::wstring CellText(int row, int col) const;
    void SetCellText(int row, int col, const std::wstring& text);

  private:
    QPointer<CGridCtrl> grid_;
    QFont headerFont_;
};

// The table of a matrix view (dialog 173): one grid area.
platform::DialogTemplate MatrixViewTemplate();
