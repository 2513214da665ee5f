#include "app/forms/main_comp_form.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>

#include "analysis/property.h"
#include "app/forms/form_host.h"
#include "app/forms/form_tables.h"
#include "app/widgets/ui_helpers.h"
#include "app/widgets/xinfo_tip.h"
#include "platform/fonts.h"
#include "ui/graphics/mathtext/math_text_label.h"

using namespace form_tables;

CQuorixMainCompForm::CQuorixMainCompForm(FormHost* host)
    : CFormViewEx(EditFieldForm()), frame_(host) {}

CQuorixMainCompForm::~CQuorixMainCompForm() {
    delete tip_.data();
}

void CQuorixMainCompForm::OnInitialUpdate() {
    labelFont_ = platform::MakeFont(QStringLiteral("Courier New"), 9.0);
    delete tip_.data();
    tip_ = new CXInfoTip;
    tip_->Create(this);
    tip_->SetTipFont(labelFont_);
    WatchMouse(this);
    for (QWidget* control : Controls()) WatchMouse(control);
    watching_ = true;
    ChainTabOrder();
}

void CQuorixMainCompForm::ChainTabOrder() {
    // The controls were made row by row across both group boxes, and the
    // rows' controls when first shown. Hidden controls drop out of the
    // chain by themselves; unmade ones are not in it.
    tabOrderStale_ = false;
    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* next) {
        if (!next) return;
        if (previous) QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (int row = 0; row < kRowCount; ++row) {
        chain(MadeControl(DetermineButtonId(row)));
        chain(MadeControl(InputEditId(row)));
        chain(MadeControl(InputListId(row)));
    }
    for (int row = 0; row < kRowCount; ++row) chain(MadeControl(OutputEditId(row)));
}

void CQuorixMainCompForm::OnControlMade(int, QWidget* control) {
    if (watching_) WatchMouse(control);
    tabOrderStale_ = true;
}

void CQuorixMainCompForm::HideIfMade(int id) {
    if (QWidget* control = MadeControl(id)) control->hide();
}

void CQuorixMainCompForm::WatchMouse(QWidget* widget) {
    // Mouse moves reach the tip only from widgets that track the mouse.
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

bool CQuorixMainCompForm::eventFilter(QObject* watched, QEvent* event) {
    if (tip_) tip_->RelayEvent(watched, event);
    return CFormViewEx::eventFilter(watched, event);
}

void CQuorixMainCompForm::SetTip(QWidget* control, const std::string& helpText) {
    if (!tip_ || !control) return;
    if (helpText.empty()) {
        tip_->RemoveTool(control);
    } else {
        tip_->AddTool(control, ToDisplayLabel(helpText));
    }
}

void CQuorixMainCompForm::ShowLabel(int id, const std::string& name) {
    // The control keeps the plain text; its painting typesets the markup.
    SetControlText(id, ToDisplayLabel(name));
    mathtext::SetMathText(qobject_cast<QLabel*>(Control(id)), ToWideString(name),
                          frame_ ? &frame_->LabelFonts() : nullptr);
}

void CQuorixMainCompForm::SetInputs(PropertyList* inputs) {
    effectSizePanelId_ = -1;
    effectSizeRow_ = -1;
    const int count = inputs ? static_cast<int>(inputs->size()) : 0;
    for (int row = 0; row < std::min(count, kRowCount); ++row) ShowInput(row, (*inputs)[row]);
    for (int row = std::max(count, 0); row < kRowCount; ++row) {
        HideIfMade(InputListId(row));
        HideIfMade(InputLabelId(row));
        HideIfMade(InputEditId(row));
        HideIfMade(DetermineButtonId(row));
    }
    if (tabOrderStale_) ChainTabOrder();
}

void CQuorixMainCompForm::ShowInput(int row, Property* property) {
    QWidget* label = Control(InputLabelId(row));
    ShowLabel(InputLabelId(row), property->name);
    label->show();
    switch (property->GetType()) {
        case Property::kSelection: {
            auto* selection = static_cast<PropertySelection*>(property);
            QComboBox* list = List(InputListId(row));
            list->setGeometry(Control(InputEditId(row))->geometry());
            HideIfMade(InputEditId(row));
            list->clear();
            for (const std::string& option : selection->options)
                list->addItem(ToDisplayLabel(option));
            list->setCurrentIndex(selection->index < list->count() ? selection->index : -1);
            list->show();
            SetTip(list, property->helpText);
            HideIfMade(DetermineButtonId(row));
            break;
        }
        case Property::kExDouble: {
            QAbstractButton* button = Button(DetermineButtonId(row));
            button->setText(QStringLiteral("Determine =>"));
            button->show();
            HideIfMade(InputListId(row));
            SetControlText(InputEditId(row), ToWideString(property->text));
            QWidget* edit = Control(InputEditId(row));
            edit->show();
            effectSizePanelId_ = static_cast<PropertyExDouble*>(property)->testId;
            effectSizeRow_ = row;
            SetTip(edit, property->helpText);
            break;
        }
        default: {
            HideIfMade(DetermineButtonId(row));
            HideIfMade(InputListId(row));
            SetControlText(InputEditId(row), ToWideString(property->text));
            QWidget* edit = Control(InputEditId(row));
            edit->show();
            SetTip(edit, property->helpText);
            break;
        }
    }
}

void CQuorixMainCompForm::SetOutputs(PropertyList* outputs) {
    const int count = outputs ? std::min(static_cast<int>(outputs->size()), kRowCount) : 0;
    for (int row = 0; row < count; ++row) {
        const Property* output = (*outputs)[row];
        ShowLabel(OutputLabelId(row), output->name);
        Control(OutputLabelId(row))->show();
        SetControlText(OutputEditId(row), ToWideString(output->text));
        Control(OutputEditId(row))->show();
        SetTip(Control(OutputEditId(row)), output->helpText);
    }
    for (int row = count; row < kRowCount; ++row) {
        HideIfMade(OutputLabelId(row));
        HideIfMade(OutputEditId(row));
    }
    if (tabOrderStale_) ChainTabOrder();
}

void CQuorixMainCompForm::GetInputs(PropertyList* inputs) {
    if (!inputs || inputs->empty()) return;
    const int count = std::min(static_cast<int>(inputs->size()), kRowCount);
    for (int row = 0; row < count; ++row) {
        Property* input = (*inputs)[row];
        if (input->GetType() == Property::kSelection) {
            auto* selection = static_cast<PropertySelection*>(input);
            const int index = List(InputListId(row))->currentIndex();
            // A selection without options keeps its index: there is nothing to choose.
            if (selection->GetOptionCount() > 0 && index >= 0) selection->SetIndex(index);
        } else {
            input->text = ToNarrowString(ControlText(InputEditId(row)));
            input->ParseText();
        }
    }
}

void CQuorixMainCompForm::MarkInvalidInput(int index, PropertyList* inputs) {
    if (index < 0 || index >= kRowCount) return;
    const bool selection = inputs && index < static_cast<int>(inputs->size()) &&
                           (*inputs)[index]->GetType() == Property::kSelection;
    if (selection) {
        List(InputListId(index))->setFocus(Qt::OtherFocusReason);
        return;
    }
    QLineEdit* edit = Edit(InputEditId(index));
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void CQuorixMainCompForm::SetEffectSizeValue(double value) {
    if (effectSizeRow_ < 0) return;
    char text[64];
    std::snprintf(text, sizeof text, "%.7f", value);
    SetControlText(InputEditId(effectSizeRow_), QString::fromLatin1(text));
    Control(InputEditId(effectSizeRow_))->repaint();
}

void CQuorixMainCompForm::ClearOutputs(PropertyList* outputs) {
    const int count = outputs ? std::min(static_cast<int>(outputs->size()), kRowCount) : 0;
    for (int row = 0; row < count; ++row) ClearDlgItemText(OutputEditId(row));
}

int CQuorixMainCompForm::RowOfId(int id, int (*idOfRow)(int)) const {
    for (int row = 0; row < kRowCount; ++row) {
        if (idOfRow(row) == id) return row;
    }
    return -1;
}

void CQuorixMainCompForm::OnControlEvent(int id, platform::ControlEvent event) {
    if (!frame_) return;
    if (event == platform::ControlEvent::Clicked && RowOfId(id, DetermineButtonId) >= 0) {
        frame_->DetermineEffectSize(effectSizePanelId_);
    } else if (event == platform::ControlEvent::TextEdited && RowOfId(id, InputEditId) >= 0) {
        frame_->OnInputsChanged();
    } else if (event == platform::ControlEvent::SelectionChanged && RowOfId(id, InputListId) >= 0) {
        frame_->OnInputsChanged();
        frame_->OnInputCommitted();
    }
}
