#pragma once

#include "ui/grid/grid_ctrl.h"

// What an input grid tells the form that owns it.
class IGridOwnerForm {
  public:
    virtual ~IGridOwnerForm() = default;
    // After every ended cell edit, whether the text changed or not.
    virtual void OnInputChange() = 0;
    // After the edit of a combo cell ended, following OnInputChange.
    virtual void OnInputCommitted() = 0;
};

// The input grid of the main form: after each ended cell edit it tells its
// owner form. Without an owner form it behaves as a plain grid.
class IGridCtrl : public CGridCtrl {
  public:
    explicit IGridCtrl(QWidget* parent = nullptr) : CGridCtrl(0, 0, 0, 0, parent) {}

    void SetOwnerForm(IGridOwnerForm* form) { ownerForm_ = form; }
    IGridOwnerForm* GetOwnerForm() const { return ownerForm_; }

    void OnEndEditCell(int row, int col, const QString& text) override;

  private:
    IGridOwnerForm* ownerForm_ = nullptr;
};
