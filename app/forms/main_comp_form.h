#pragma once

#include <QFont>
#include <QPointer>

#include "app/widgets/form_view_ex.h"
#include "app/widgets/xinfo_tip.h"

class FormHost;
class Property;
class PropertyList;

// The main input/output form made of ordinary controls: per input a label,
// an edit field (or a drop-down list for a selection) and, for the effect
// size, a "Determine =>" button; per output a label and a read-only field.
// It offers the frame the same operations as the grid form.
class CQuorixMainCompForm : public CFormViewEx {
  public:
    explicit CQuorixMainCompForm(FormHost* host);
    ~CQuorixMainCompForm() override;

    void OnInitialUpdate() override;

    void SetInputs(PropertyList* inputs);
    void SetOutputs(PropertyList* outputs);
    void GetInputs(PropertyList* inputs);
    void MarkInvalidInput(int index, PropertyList* inputs);
    void SetEffectSizeValue(double value);
    void ClearOutputs(PropertyList* outputs);

    int EffectSizePanelId() const { return effectSizePanelId_; }
    int EffectSizeRow() const { return effectSizeRow_; }
    CXInfoTip* Tip() const { return tip_.data(); }

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;
    void OnControlMade(int id, QWidget* control) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Hides the control if it has been made; one never made stays unmade.
    void HideIfMade(int id);
    // Tab runs down the inputs, row by row, then down the outputs.
    void ChainTabOrder();
    void ShowInput(int row, Property* property);
    void SetTip(QWidget* control, const std::string& helpText);
    // Writes a parameter label into a label control, typeset as math text.
    void ShowLabel(int id, const std::string& name);
    void WatchMouse(QWidget* widget);
    int RowOfId(int id, int (*idOfRow)(int)) const;

    FormHost* frame_;
    int effectSizePanelId_ = -1;
    int effectSizeRow_ = -1;
    QPointer<CXInfoTip> tip_;
    QFont labelFont_;
    bool watching_ = false;
    bool tabOrderStale_ = false;
};
