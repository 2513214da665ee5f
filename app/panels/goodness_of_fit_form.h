#pragma once

#include <optional>

#include "app/panels/effect_size_panel.h"
#include "effectsize/goodness_of_fit.h"
#include "ui/grid/grid_types.h"

class CGridCtrl;
class QToolButton;

// Cohen's w of the chi-square goodness-of-fit and contingency tests (form
// 157): the cell count with its spin arrows, a grid of p(H0) and p(H1) per
// cell, and the buttons under each column. The form keeps the columns in an
// effectsize::goodness_of_fit::Inputs record, which also holds the cells a
// smaller count hides, and leaves the arithmetic to it.
class CEff_CHI_GoF_Cont : public CEffectSizePanel, public IGridOwner {
  public:
    static constexpr int kGridId = 1056;
    static constexpr int kCellsId = 1066;
    static constexpr int kSpinId = 1067;
    static constexpr int kEqualValueIds[2] = {1148, 1149};
    static constexpr int kEqualIds[2] = {1147, 1011};
    static constexpr int kNormalizeIds[2] = {1020, 1021};
    static constexpr int kLastCellIds[2] = {1013, 1015};

    explicit CEff_CHI_GoF_Cont(PanelHost* host);
    ~CEff_CHI_GoF_Cont() override;

    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;

    CGridCtrl* Grid() const { return grid_; }
    QToolButton* SpinUp() const { return spinUp_; }
    QToolButton* SpinDown() const { return spinDown_; }
    // The columns as the grid shows them.
    effectsize::goodness_of_fit::Inputs Inputs();

    long OnGridNotify(const GridNotify& note) override;

  protected:
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool CalculateEffectSize(double* effect) override;

  private:
    // The grid's cells into the record (rows 1..k; a cell reads as the number
    // at its start, 0 when there is none).
    void ReadGrid();
    // The record into the grid; a column whose flag is false keeps its last
    // cell's text. The effect size turns to "?".
    void WriteGrid(bool writeLast0 = true, bool writeLast1 = true);
    // The count typed in the field: held to 2..50 and shown, the columns
    // grown to it and the grid rebuilt. A count that is no number is
    // refused on its field; a new count is refused while a cell is no
    // number (the rebuilt grid would show it as 0), and the field goes back
    // to the shown count. Without `report` (closing) nothing is reported
    // and the field goes back. False when refused.
    bool ApplyCellCount(bool report = true);
    // The first shown cell whose text is not one number, outside grid
    // column `skipColumn` and among the first `rows` rows (all shown rows
    // when negative): reported on the cell; false when there is none.
    bool RefuseCellThatIsNoNumber(int skipColumn = -1, int rows = -1);
    // Whether a shown cell (row, grid column) holds text that is no number.
    bool CellIsNoNumber(int row, int column) const;
    // The last-cell mode makes the last row computed, the others editable.
    void ModeState();
    void LastCellUpdate();
    void StepCells(int step);
    // The count field held to 2..50; none when its text is not a number.
    std::optional<int> TypedCellCount() const;
    void ShowEqualDefaults();
    void FocusCells(int row, int firstColumn, int lastColumn);

    effectsize::goodness_of_fit::Inputs inputs_;
    CGridCtrl* grid_ = nullptr;
    QToolButton* spinUp_ = nullptr;
    QToolButton* spinDown_ = nullptr;
    bool initialised_ = false;
};
