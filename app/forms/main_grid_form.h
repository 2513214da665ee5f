#pragma once

#include <QFont>
#include <QPointer>

#include "app/widgets/form_view_ex.h"
#include "ui/grid/igrid_ctrl.h"

class FormHost;
class Property;
class PropertyList;

// The main input/output form made of two grids: the current test's inputs
// in an editable two-column grid (label, value) and its outputs in a
// read-only one. It offers the frame the same operations as the edit-field
// form, and tells the frame of every ended cell edit.
class CQuorixMainForm : public CFormViewEx, public IGridOwnerForm {
  public:
    static constexpr int kRowCount = 11;
    static constexpr int kInputGridId = 1025;
    static constexpr int kOutputGridId = 1024;

    explicit CQuorixMainForm(FormHost* host);
    ~CQuorixMainForm() override;

    void OnInitialUpdate() override;

    void SetInputs(PropertyList* inputs);
    void SetOutputs(PropertyList* outputs);
    // Empties the value cells of the outputs that `outputs` lists; the labels stay.
    void ClearOutputs(PropertyList* outputs);
    void GetInputs(PropertyList* inputs);
    void MarkInvalidInput(int index);
    void SetEffectSizeValue(double value);

    // What the input grid reports: every ended edit, and a combo cell's edit.
    void OnInputChange() override;
    void OnInputCommitted() override;

    IGridCtrl* InputGrid() const { return inputGrid_; }
    CGridCtrl* OutputGrid() const { return outputGrid_; }
    int EffectSizePanelId() const { return effectSizePanelId_; }
    int EffectSizeRow() const { return effectSizeRow_; }

  private:
    void SetUpGrid(CGridCtrl* grid);
    void ClearGrid(CGridCtrl* grid);
    void ShowParameter(CGridCtrl* grid, int row, Property* property);
    void FitLabelColumn(CGridCtrl* grid);

    FormHost* frame_;
    QPointer<IGridCtrl> inputGrid_;
    QPointer<CGridCtrl> outputGrid_;
    int effectSizePanelId_ = -1;
    int effectSizeRow_ = -1;
    QFont cellFont_;  // the font of both grids' cells
    // Set while SetInputs replaces the input grid's cells.
    bool replacingInputs_ = false;
};

// The table of the grid form (dialog 130).
platform::DialogTemplate MainGridFormTemplate();
