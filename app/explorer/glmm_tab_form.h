#pragma once

#include "app/widgets/form_view_ex.h"

class PowerGLMM;
class CMatrixView;
struct ExplorerModel;

// What the explorer's matrix tabs share: the model record whose grid they
// show and edit, the opener's model to which they report a count the user
// changes, a frame (control 1109) that their grid view fills, and the
// fitting of both to the explorer's page area.
class CGLMMTabForm : public CFormViewEx {
  public:
    static constexpr int kFrameId = 1109;

    using CFormViewEx::CFormViewEx;

    // Set before Create. Without a record the tab's grid keeps its own.
    void SetDocument(ExplorerModel* document) { document_ = document; }
    void SetModel(PowerGLMM* model) { model_ = model; }
    PowerGLMM* Model() const { return model_; }

    // The tab shows its grid of the record as the record holds it.
    virtual void ShowDocument() = 0;
    // What the user typed into the tab, written into the record.
    virtual void CommitEdits() = 0;

    // The form fills its parent; the frame keeps its top and ends 5 pixels
    // before the parent's left, right and bottom edges; the view fills the frame.
    void FitToParent() override;

    virtual CMatrixView* View() const = 0;

  protected:
    // Creates `view` as a visible child of the frame; its initial update lays
    // out its default grid.
    void CreateView(CMatrixView* view);

    ExplorerModel* document_ = nullptr;
    PowerGLMM* model_ = nullptr;
};
