#include "app/panels/hotelling_form.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalBlocker>
#include <cstdio>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/matrix/matrix_in_dialogs.h"

namespace ho = effectsize::hotelling;

namespace {

platform::DialogTemplate HotellingForm() {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kNoControlId;
    using Form = CEff_F_Hotelling;
    platform::DialogTemplate t;
    t.id = 172;
    t.width = 220;
    t.height = 172;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    add(kNoControlId, ControlKind::Label, "Number of response variables", {5, 4, 140, 10});
    add(Form::kResponsesId, ControlKind::Edit, "", {150, 2, 65, 12}, kAlignRight);
    add(kNoControlId, ControlKind::GroupBox, "Input method: Means and ...", {5, 18, 210, 62});
    add(Form::kMethodRadioIds[0], ControlKind::RadioButton, "variance-covariance matrix",
        {12, 30, 196, 10}, platform::kGroup);
    add(Form::kMethodRadioIds[1], ControlKind::RadioButton, "SD and correlation matrix",
        {12, 42, 196, 10});
    add(Form::kMethodRadioIds[2], ControlKind::RadioButton, "SD and correlation pattern",
        {12, 54, 196, 10});
    add(Form::kCorrLabelId, ControlKind::Label, "Corr.", {24, 67, 30, 10});
    add(Form::kCorrId, ControlKind::Edit, "", {56, 65, 44, 12}, kAlignRight);
    add(Form::kAutocorrId, ControlKind::CheckBox, "1st autocorr.", {110, 66, 98, 10});
    add(Form::kEditMatricesId, ControlKind::PushButton, "Specify/Edit input values",
        {5, 86, 210, 14});
    add(kNoControlId, ControlKind::Label, "Multiply all means by ", {5, 108, 140, 10});
    add(Form::kMeanFactorId, ControlKind::Edit, "", {150, 106, 65, 12}, kAlignRight);
    add(1081, ControlKind::Label, "", {5, 124, 140, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {150, 122, 65, 12},
        kAlignRight | platform::kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 140, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {155, 140, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 156, 210, 14});
    return t;
}

int CurrentTestId(PanelHost* host) {
    PowerAnalysis* test = host ? host->CurrentTest() : nullptr;
    return test ? test->GetTestId() : 0;
}

std::string PrefixOf(int testId) {
    return testId == kHotellingOneGroupTestId    ? "fho1"
           : testId == kHotellingTwoGroupsTestId ? "fho2"
                                                 : "fht";
}

}  // namespace

CEff_F_Hotelling::CEff_F_Hotelling(PanelHost* host, std::string prefix)
    : CEffectSizePanel(HotellingForm(), host) {
    const int testId = CurrentTestId(host);
    if (testId != 0) testId_ = testId;
    prefix_ = prefix.empty() ? PrefixOf(testId) : std::move(prefix);
}

ho::Inputs CEff_F_Hotelling::Inputs() const {
    ho::Inputs inputs = records_;
    inputs.text[ho::kResponses] = GetDlgItemString(kResponsesId);
    inputs.text[ho::kPatternCorrelation] = GetDlgItemString(kCorrId);
    inputs.text[ho::kMeanFactor] = GetDlgItemString(kMeanFactorId);
    const int method = RadioIndex(kMethodRadioIds[0]);
    inputs.method = method >= 0 && method <= 2 ? method : records_.method;
    if (QAbstractButton* box = Button(kAutocorrId)) inputs.firstOrderAutocorr = box->isChecked();
    return inputs;
}

void CEff_F_Hotelling::ShowInputs(const ho::Inputs& inputs) {
    records_ = inputs;
    SetDlgItemString(kResponsesId, inputs.text[ho::kResponses]);
    SetDlgItemString(kCorrId, inputs.text[ho::kPatternCorrelation]);
    SetDlgItemString(kMeanFactorId, inputs.text[ho::kMeanFactor]);
    SetRadioIndex(kMethodRadioIds[0], inputs.method);
    if (QAbstractButton* box = Button(kAutocorrId)) {
        const QSignalBlocker quiet(box);
        box->setChecked(inputs.firstOrderAutocorr);
    }
    UpdatePatternControls();
}

void CEff_F_Hotelling::UpdatePatternControls() {
    const bool pattern = records_.method == ho::kSdAndCorrelationPattern;
    for (int id : {kCorrLabelId, kCorrId, kAutocorrId})
        if (QWidget* control = Control(id)) control->setEnabled(pattern);
    MarkResultUnknown();
}

void CEff_F_Hotelling::OnInitialUpdate() {
    SetDlgItemLabel(1081, "effect size $\\Delta$");
    ShowInputs(ho::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_F_Hotelling::SaveInputs(PropertyList* store) {
    ho::Save(Inputs(), prefix_, store);
    return true;
}

bool CEff_F_Hotelling::RestoreInputs(PropertyList* store) {
    ho::Inputs inputs = Inputs();
    ho::Restore(store, prefix_, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_F_Hotelling::CopyConfigFrom(CFormViewEx* templatePanel) {
    if (auto* other = dynamic_cast<CEff_F_Hotelling*>(templatePanel)) {
        prefix_ = other->prefix_;
        testId_ = other->testId_;
    }
}

void CEff_F_Hotelling::SetUpAfterOpening(int testId) {
    testId_ = testId;
    Property* responses = Host() ? Host()->FindParameter("Response variables") : nullptr;
    double value = 0.0;
    if (responses && effectsize::ReadPanelNumber(responses->text, &value) && value >= 1 &&
        value <= ho::kMaxResponses)
        SetDlgItemString(kResponsesId, std::to_string(static_cast<int>(value)));
    MarkResultUnknown();
}

void CEff_F_Hotelling::EditMatrices() {
    ho::Inputs inputs = Inputs();
    const std::optional<int> p = ho::ResponseCount(inputs);
    if (!p) {
        ShowFieldError(kResponsesId, ho::kResponsesMessage);
        return;
    }
    inputs.ResizeMatrices(*p);
    double corr = 0.0;
    const bool pattern = inputs.method == ho::kSdAndCorrelationPattern &&
                         effectsize::ReadPanelNumber(inputs.text[ho::kPatternCorrelation], &corr);
    if (pattern) ho::BuildCorrelationPattern(&inputs, corr);
    records_ = inputs;
    MeansCovarianceInput dialog;
    dialog.responses = *p;
    dialog.groups = OneGroup() ? 1 : 2;
    dialog.mode = inputs.method;
    dialog.setPattern = pattern;
    dialog.patternValue = corr;
    dialog.firstOrderAutocorr = inputs.firstOrderAutocorr;
    dialog.means = inputs.means;
    if (OneGroup()) {
        dialog.means.cells.ResizeKeeping(1, *p);
        dialog.means.rowLabels.ResizeKeeping(1, 1);
        dialog.means.EvaluateCells();
    }
    dialog.covariance = inputs.covariance;
    if (!OpenMeansCovarianceDialog(Host(), this, &dialog)) return;
    // The second group's means stay for a one-group dialog.
    LabeledMatrix means = dialog.means;
    if (means.cells.rows() < 2) {
        means.cells.ResizeKeeping(2, means.cells.cols(), L"0");
        for (int j = 0; j < means.cells.cols() && j < inputs.means.cells.cols(); ++j)
            means.cells(1, j) = inputs.means.cells(1, j);
        means.rowLabels.ResizeKeeping(2, 1);
        means.EvaluateCells();
    }
    inputs.means = means;
    inputs.covariance = dialog.covariance;
    inputs.method = dialog.mode;
    inputs.firstOrderAutocorr = dialog.firstOrderAutocorr;
    inputs.text[ho::kResponses] = std::to_string(dialog.responses);
    if (dialog.setPattern) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", dialog.patternValue);
        inputs.text[ho::kPatternCorrelation] = text;
    }
    inputs.ResizeMatrices(dialog.responses);
    ShowInputs(inputs);
}

void CEff_F_Hotelling::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked) {
        for (int method = 0; method < 3; ++method) {
            if (id != kMethodRadioIds[method]) continue;
            // The radio already shows the new method; the records are still
            // in the old one's form, which the conversion starts from.
            ho::Inputs current = Inputs();
            current.method = records_.method;
            ho::ChangeMethod(&current, method);
            records_ = current;
            UpdatePatternControls();
            return;
        }
        if (id == kAutocorrId) {
            records_.firstOrderAutocorr = Button(kAutocorrId)->isChecked();
            double corr = 0.0;
            if (effectsize::ReadPanelNumber(GetDlgItemString(kCorrId), &corr))
                ho::BuildCorrelationPattern(&records_, corr);
            MarkResultUnknown();
            return;
        }
        if (id == kEditMatricesId) {
            EditMatrices();
            return;
        }
    }
    if (event == platform::ControlEvent::TextEdited && id == kCorrId &&
        records_.method == ho::kSdAndCorrelationPattern) {
        double corr = 0.0;
        if (effectsize::ReadPanelNumber(GetDlgItemString(kCorrId), &corr))
            ho::BuildCorrelationPattern(&records_, corr);
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_F_Hotelling::CalculateEffectSize(double* effect) {
    const ho::Inputs inputs = Inputs();
    if (const auto error = ho::Check(inputs, OneGroup())) {
        MarkResultUnknown();
        const int ids[ho::kFieldCount] = {kResponsesId, kCorrId, kMeanFactorId};
        ShowFieldError(ids[error->field], error->message);
        return false;
    }
    *effect = ho::Compute(inputs, OneGroup());
    return true;
}

effectsize::TransferPlan CEff_F_Hotelling::PlanTransfer(double effect) {
    return ho::PlanTransfer(Inputs(), effect);
}
