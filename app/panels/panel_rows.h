#pragma once

#include "app/panels/effect_size_panel.h"
#include "platform/dialog_template.h"

// Builds the form table of a panel of labelled rows: a label on the left,
// its edit on the right, then the effect-size row and the shared buttons.
// The rows of the panels of one mean, pairs, correlations and logistic
// regression all have this shape.
class PanelRows {
  public:
    // `labelWidth` and `editWidth` in dialog units; the form is as wide as
    // a row plus its margins.
    PanelRows(int formId, int labelWidth, int editWidth);

    // A framed block whose caption opens with blanks for the radio button
    // `radioId`; the rows added until EndFrame are inside it.
    void BeginFrame(const char* caption, int radioId);
    void EndFrame();
    // A label (its id, or kNoControlId) and its right-aligned edit.
    void Row(int labelId, const char* label, int editId);
    // The read-only effect-size row, "Calculate", "Close" and "Calculate
    // and transfer to main window"; returns the finished table.
    platform::DialogTemplate Finish(int labelId, const char* label);

  private:
    platform::DialogTemplate t_;
    int labelWidth_;
    int editWidth_;
    int y_ = 6;
    int inset_ = 7;
    int frameTop_ = -1;
};
