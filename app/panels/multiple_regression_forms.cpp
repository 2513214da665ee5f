#include "app/panels/multiple_regression_forms.h"

#include <QLineEdit>

#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/matrix/matrix_in_dialogs.h"

namespace om = effectsize::regression_omnibus;
namespace rr = effectsize::regression_random;

namespace {

using platform::ControlKind;
using platform::kAlignRight;
using platform::kNoControlId;
using platform::kReadOnly;

struct FormBuilder {
    platform::DialogTemplate t;
    void Add(int id, ControlKind kind, const char* caption, platform::DialogRect rect,
             unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    }
    void Buttons(int y, int width) {
        Add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
            {5, y, 60, 14});
        Add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close",
            {width - 65, y, 60, 14});
        Add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
            "Calculate and transfer to main window", {5, y + 16, width - 10, 14});
    }
};

platform::DialogTemplate OmnibusForm() {
    using Form = CEff_F_MRC_Omni;
    FormBuilder b;
    b.t.id = 161;
    b.t.width = 220;
    b.t.height = 148;
    b.Add(Form::kFromR2RadioId, ControlKind::RadioButton, "From correlation coefficient",
          {5, 2, 200, 10}, platform::kGroup);
    b.Add(1185, ControlKind::Label, "", {15, 16, 130, 10});
    b.Add(Form::kR2Id, ControlKind::Edit, "", {150, 14, 65, 12}, kAlignRight);
    b.Add(Form::kFromCorrelationsRadioId, ControlKind::RadioButton, "From predictor correlations",
          {5, 32, 200, 10});
    b.Add(1186, ControlKind::Label, "", {15, 46, 130, 10});
    b.Add(Form::kPredictorsId, ControlKind::Edit, "", {150, 44, 65, 12}, kAlignRight);
    b.Add(Form::kSpecifyMatricesId, ControlKind::PushButton, "Specify matrices", {15, 60, 100, 14});
    b.Add(1187, ControlKind::Label, "", {15, 80, 130, 10});
    b.Add(Form::kComputedR2Id, ControlKind::Edit, "", {150, 78, 65, 12}, kAlignRight | kReadOnly);
    b.Add(1201, ControlKind::Label, "", {15, 98, 130, 10});
    b.Add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {150, 96, 65, 12},
          kAlignRight | kReadOnly);
    b.Buttons(116, 220);
    return b.t;
}

platform::DialogTemplate RandomForm() {
    using Form = CEff_Exact_MRC_Random;
    FormBuilder b;
    b.t.id = 237;
    b.t.width = 240;
    b.t.height = 244;
    // Each frame's radio button sits in the blanks that open its caption.
    b.Add(kNoControlId, ControlKind::GroupBox, "           From confidence interval",
          {5, 2, 230, 132});
    b.Add(Form::kIntervalRadioId, ControlKind::RadioButton, "", {12, 1, 12, 10}, platform::kGroup);
    const char* outputLabels[4] = {"", "", "Statistical lower bound", "Statistical upper bound"};
    const int outputLabelIds[4] = {1089, 1091, 1095, 1097};
    int y = 14;
    for (int field = 0; field < rr::kCorrelationPredictors; ++field, y += 13) {
        b.Add(Form::kFieldLabelIds[field], ControlKind::Label, "", {11, y + 2, 150, 10});
        b.Add(Form::kFieldIds[field], ControlKind::Edit, "", {165, y, 64, 12}, kAlignRight);
    }
    for (int k = 0; k < 4; ++k, y += 13) {
        b.Add(outputLabelIds[k], ControlKind::Label, outputLabels[k], {11, y + 2, 150, 10});
        b.Add(Form::kOutputIds[k], ControlKind::Edit, "", {165, y, 64, 12},
              kAlignRight | kReadOnly);
    }
    b.Add(kNoControlId, ControlKind::GroupBox, "           From predictor correlations",
          {5, 138, 230, 48});
    b.Add(Form::kCorrelationsRadioId, ControlKind::RadioButton, "", {12, 137, 12, 10});
    b.Add(Form::kFieldLabelIds[rr::kCorrelationPredictors], ControlKind::Label, "",
          {11, 152, 150, 10});
    b.Add(Form::kFieldIds[rr::kCorrelationPredictors], ControlKind::Edit, "", {165, 150, 64, 12},
          kAlignRight);
    b.Add(Form::kSpecifyMatricesId, ControlKind::PushButton, "Specify matrices",
          {11, 166, 100, 14});
    b.Add(1201, ControlKind::Label, "", {11, 194, 150, 10});
    b.Add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {165, 192, 64, 12},
          kAlignRight | kReadOnly);
    b.Buttons(212, 240);
    return b.t;
}

}  // namespace

// ------------------------------------------------------------------ omnibus

CEff_F_MRC_Omni::CEff_F_MRC_Omni(PanelHost* host) : CEffectSizePanel(OmnibusForm(), host) {
    correlations_ = om::Inputs{}.correlations;
}

om::Inputs CEff_F_MRC_Omni::Inputs() const {
    om::Inputs inputs;
    inputs.text = {GetDlgItemString(kR2Id), GetDlgItemString(kPredictorsId)};
    inputs.mode =
        RadioIndex(kFromR2RadioId) == om::kFromCorrelations ? om::kFromCorrelations : om::kFromR2;
    inputs.correlations = correlations_;
    return inputs;
}

void CEff_F_MRC_Omni::ShowInputs(const om::Inputs& inputs) {
    SetDlgItemString(kR2Id, inputs.text[om::kR2]);
    SetDlgItemString(kPredictorsId, inputs.text[om::kPredictors]);
    correlations_ = inputs.correlations;
    SetRadioIndex(kFromR2RadioId, inputs.mode);
    ApplyMode(inputs.mode);
}

void CEff_F_MRC_Omni::ApplyMode(int mode) {
    const bool fromR2 = mode == om::kFromR2;
    for (int id : {1185, kR2Id})
        if (QWidget* control = Control(id)) control->setEnabled(fromR2);
    for (int id : {1186, 1187, kPredictorsId, kComputedR2Id, kSpecifyMatricesId})
        if (QWidget* control = Control(id)) control->setEnabled(!fromR2);
    SetDlgItemString(kComputedR2Id, "");
    MarkResultUnknown();
}

void CEff_F_MRC_Omni::OnInitialUpdate() {
    SetDlgItemLabel(1185, "Squared multiple correlation $\\rho$$^2$");
    SetDlgItemLabel(1186, "Number of predictors");
    SetDlgItemLabel(1187, "Squared multiple correlation $\\rho$$^2$");
    SetDlgItemLabel(1201, "Effect size f$^2$");
    ShowInputs(om::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_F_MRC_Omni::SaveInputs(PropertyList* store) {
    om::Inputs inputs = Inputs();
    om::SizeToTypedCount(&inputs);
    om::Save(inputs, store);
    return true;
}

bool CEff_F_MRC_Omni::RestoreInputs(PropertyList* store) {
    om::Inputs inputs = Inputs();
    om::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_F_MRC_Omni::SpecifyMatrices() {
    om::Inputs inputs = Inputs();
    om::SizeToTypedCount(&inputs);
    correlations_ = inputs.correlations;
    PredictorCorrelationInput dialog;
    dialog.predictors = correlations_.outcome.cells.cols();
    dialog.outcomeCorrelations = correlations_.outcome;
    dialog.predictorCorrelations = correlations_.predictors;
    if (!OpenPredictorCorrelationDialog(Host(), this, &dialog)) return;
    if (dialog.predictors != correlations_.outcome.cells.cols())
        SetDlgItemString(kPredictorsId, std::to_string(dialog.predictors));
    correlations_.outcome = dialog.outcomeCorrelations;
    correlations_.predictors = dialog.predictorCorrelations;
    SetDlgItemString(kComputedR2Id, "");
    MarkResultUnknown();
}

void CEff_F_MRC_Omni::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked) {
        if (id == kFromR2RadioId || id == kFromCorrelationsRadioId) {
            ApplyMode(id == kFromR2RadioId ? om::kFromR2 : om::kFromCorrelations);
            return;
        }
        if (id == kSpecifyMatricesId) {
            SpecifyMatrices();
            return;
        }
    }
    if (event == platform::ControlEvent::TextEdited && (id == kR2Id || id == kPredictorsId))
        SetDlgItemString(kComputedR2Id, "");
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_F_MRC_Omni::CalculateEffectSize(double* effect) {
    const om::Inputs inputs = Inputs();
    if (const auto error = om::Check(inputs)) {
        SetDlgItemString(kComputedR2Id, "");
        MarkResultUnknown();
        ShowFieldError(error->field == om::kR2 ? kR2Id : kPredictorsId, error->message);
        return false;
    }
    const om::Result result = om::Compute(inputs);
    if (inputs.mode == om::kFromCorrelations) SetDlgItemDouble(kComputedR2Id, result.r2, "%.7g");
    *effect = result.f2;
    return true;
}

// ------------------------------------------------------------ random model

CEff_Exact_MRC_Random::CEff_Exact_MRC_Random(PanelHost* host)
    : CEffectSizePanel(RandomForm(), host) {
    correlations_ = rr::Inputs{}.correlations;
}

rr::Inputs CEff_Exact_MRC_Random::Inputs() const {
    rr::Inputs inputs;
    for (int field = 0; field < rr::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    inputs.mode = RadioIndex(kIntervalRadioId) == rr::kFromCorrelations ? rr::kFromCorrelations
                                                                        : rr::kFromInterval;
    inputs.correlations = correlations_;
    return inputs;
}

void CEff_Exact_MRC_Random::ShowInputs(const rr::Inputs& inputs) {
    for (int field = 0; field < rr::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    correlations_ = inputs.correlations;
    SetRadioIndex(kIntervalRadioId, inputs.mode);
    ApplyMode(inputs.mode);
}

void CEff_Exact_MRC_Random::ApplyMode(int mode) {
    for (int field = 0; field < rr::kFieldCount; ++field) {
        const bool used = rr::FieldInUse(mode, field);
        for (int id : {kFieldIds[field], kFieldLabelIds[field]})
            if (QWidget* control = Control(id)) control->setEnabled(used);
    }
    for (int id : {1088, 1089, 1090, 1091, 1094, 1095, 1096, 1097})
        if (QWidget* control = Control(id)) control->setEnabled(mode == rr::kFromInterval);
    if (QWidget* button = Control(kSpecifyMatricesId))
        button->setEnabled(mode == rr::kFromCorrelations);
    MarkOutputsUnknown();
}

void CEff_Exact_MRC_Random::MarkOutputsUnknown() {
    for (int id : kOutputIds) SetDlgItemString(id, kUnknown);
    MarkResultUnknown();
}

void CEff_Exact_MRC_Random::OnInitialUpdate() {
    SetDlgItemLabel(1185, "Total sample size");
    SetDlgItemLabel(1186, "Number of predictors");
    SetDlgItemLabel(1187, "Observed R$^2$");
    SetDlgItemLabel(1189, "Confidence level (1-$\\alpha$)");
    SetDlgItemLabel(1188, "Rel C.I. pos to use (0=left,1=right)");
    SetDlgItemLabel(1089, "C.I. lower $\\rho$$^2$");
    SetDlgItemLabel(1091, "C.I. upper $\\rho$$^2$");
    SetDlgItemLabel(1209, "Number of predictors");
    SetDlgItemLabel(1201, "H1 $\\rho$$^2$");
    ShowInputs(rr::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_Exact_MRC_Random::SaveInputs(PropertyList* store) {
    rr::Inputs inputs = Inputs();
    rr::SizeToTypedCount(&inputs);
    rr::Save(inputs, store);
    return true;
}

bool CEff_Exact_MRC_Random::RestoreInputs(PropertyList* store) {
    rr::Inputs inputs = Inputs();
    rr::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_Exact_MRC_Random::SetUpAfterOpening(int testId) {
    (void)testId;
    if (!Host()) return;
    Property* predictors = Host()->FindParameter("Number of predictors");
    Property* sampleSize = Host()->FindParameter("Total sample size");
    rr::Inputs inputs = Inputs();
    rr::TakeMainWindowCounts(predictors ? &predictors->text : nullptr,
                             sampleSize ? &sampleSize->text : nullptr, &inputs);
    for (int field = 0; field < rr::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    MarkOutputsUnknown();
}

void CEff_Exact_MRC_Random::SpecifyMatrices() {
    rr::Inputs inputs = Inputs();
    rr::SizeToTypedCount(&inputs);
    correlations_ = inputs.correlations;
    PredictorCorrelationInput dialog;
    dialog.predictors = correlations_.outcome.cells.cols();
    dialog.outcomeCorrelations = correlations_.outcome;
    dialog.predictorCorrelations = correlations_.predictors;
    if (!OpenPredictorCorrelationDialog(Host(), this, &dialog)) return;
    if (dialog.predictors != correlations_.outcome.cells.cols())
        SetDlgItemString(kFieldIds[rr::kCorrelationPredictors], std::to_string(dialog.predictors));
    correlations_.outcome = dialog.outcomeCorrelations;
    correlations_.predictors = dialog.predictorCorrelations;
    MarkOutputsUnknown();
}

void CEff_Exact_MRC_Random::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked) {
        if (id == kIntervalRadioId || id == kCorrelationsRadioId) {
            ApplyMode(id == kIntervalRadioId ? rr::kFromInterval : rr::kFromCorrelations);
            return;
        }
        if (id == kSpecifyMatricesId) {
            SpecifyMatrices();
            return;
        }
    }
    if (event == platform::ControlEvent::TextEdited && id != kEffectSizeId) MarkOutputsUnknown();
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_Exact_MRC_Random::CalculateEffectSize(double* effect) {
    const rr::Inputs inputs = Inputs();
    std::optional<effectsize::FieldError> error = rr::Check(inputs);
    rr::Result result;
    if (!error) {
        result = rr::Compute(inputs);
        error = result.failure;
    }
    if (error) {
        MarkOutputsUnknown();
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    if (inputs.mode == rr::kFromInterval) {
        const double shown[4] = {result.lower, result.upper, result.lowerBound, result.upperBound};
        for (int k = 0; k < 4; ++k) SetDlgItemDouble(kOutputIds[k], shown[k], "%.7g");
    }
    last_ = result;
    *effect = result.rho2;
    return true;
}

effectsize::TransferPlan CEff_Exact_MRC_Random::PlanTransfer(double effect) {
    rr::Result result = last_;
    result.rho2 = effect;
    return rr::PlanTransfer(Inputs(), result);
}
