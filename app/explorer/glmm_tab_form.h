#pragma once

#include "app/widgets/form_view_ex.h"

class PowerGLMM;
class CMatrixView;

// What the explorer's matrix tabs share: the model whose counts they read
// and write, a frame (control 1109) that their grid view fills, and the
// fitting of both to the explorer's page area.
class CGLMMTabForm : public CFormViewEx {
  public:
    static constexpr int kFrameId = 1109;

    using CFormViewEx::CFormViewEx;

    // Set before Create.
    void SetModel(PowerGLMM* model) { model_ = model; }
    PowerGLMM* Model() const { return model_; }

    // The form fills its parent; the frame keeps its top and ends 5 pixels
    // before the parent's left, right and bottom edges; the view fills the frame.
    void FitToParent() override;

    virtual CMatrixView* View() const = 0;

  protected:
    // Creates `view` as a visible child of the frame; its initial update lays
    // out its default grid.
    void CreateView(CMatrixView* view);

    PowerGLMM* model_ = nullptr;
};
