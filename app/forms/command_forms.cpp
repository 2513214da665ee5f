#include "app/forms/command_forms.h"

#include <QAbstractButton>

#include "app/forms/form_host.h"
#include "app/forms/form_tables.h"

using namespace form_tables;

void RunCalculateFromButton(FormHost* frame, CFormViewEx* form, bool fromShortForm) {
    if (!frame || frame->IsBusy()) return;
    QAbstractButton* button = form->Button(kCalculateButton);
    if (button) button->setEnabled(false);
    // The frame, the command form's window, takes the focus from the button.
    form->window()->setFocus(Qt::OtherFocusReason);
    frame->PumpMessages();
    frame->SetShortFormCalculation(fromShortForm);
    frame->OnCalculate();
    frame->SetShortFormCalculation(false);
    if (button) button->setEnabled(true);
}

CQuorixCmdCompForm::CQuorixCmdCompForm(FormHost* host)
    : CFormViewEx(FullCommandForm()), frame_(host) {}

void CQuorixCmdCompForm::EnableCalculate(bool enable) {
    Button(kCalculateButton)->setEnabled(enable);
}

void CQuorixCmdCompForm::EnableXYPlot(bool enable) {
    Button(kXYPlotButton)->setEnabled(enable);
}

void CQuorixCmdCompForm::ShowOptions(bool show) {
    Button(kOptionsButton)->setVisible(show);
}

void CQuorixCmdCompForm::OnControlEvent(int id, platform::ControlEvent event) {
    if (event != platform::ControlEvent::Clicked || !frame_) return;
    switch (id) {
        case kCalculateButton:
            RunCalculateFromButton(frame_, this, false);
            break;
        case kXYPlotButton:
            frame_->OnXYPlot();
            break;
        case kOptionsButton:
            frame_->OnOptions();
            break;
        default:
            break;
    }
}

CQuorixCmdForm::CQuorixCmdForm(FormHost* host) : CFormViewEx(ShortCommandForm()), frame_(host) {}

void CQuorixCmdForm::EnableCalculate(bool enable) {
    Button(kCalculateButton)->setEnabled(enable);
}

void CQuorixCmdForm::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked && id == kCalculateButton) {
        RunCalculateFromButton(frame_, this, true);
    }
}

CInputHelpForm::CInputHelpForm() : CFormViewEx(InputHelpForm()) {}

CRangeForm::CRangeForm() : CFormViewEx(RangeForm()) {}
