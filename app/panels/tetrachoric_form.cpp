#include "app/panels/tetrachoric_form.h"

#include <QAbstractButton>
#include <QLineEdit>

#include "analysis/ids.h"
#include "analysis/option_declarations.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "power/z/power_z_tetrachoric_corr.h"

namespace tet = effectsize::tetrachoric;

namespace {

using platform::ControlKind;
using platform::kAlignRight;
using platform::kNoControlId;
using platform::kReadOnly;
using platform::kStyleNone;

constexpr int kResultIds[] = {CEff_Z_Tetrachoric::kTotalId,
                              CEff_Z_Tetrachoric::kEstimateId,
                              CEff_Z_Tetrachoric::kEstMarginalXId,
                              CEff_Z_Tetrachoric::kEstMarginalYId,
                              CEff_Z_Tetrachoric::kLowerId,
                              CEff_Z_Tetrachoric::kUpperId,
                              CEff_Z_Tetrachoric::kStandardErrorId,
                              CEff_Z_Tetrachoric::kCorrelationId,
                              CEff_Z_Tetrachoric::kApproxCorrelationId,
                              CEff_Z_Tetrachoric::kMarginalXId,
                              CEff_Z_Tetrachoric::kMarginalYId};
// Labels of the frequency block's fields and results, then the probability
// block's: enabled with their block.
constexpr int kFrequencyLabels[] = {1189, 1199, 1190, 1200, 1185, 1186, 1225,
                                    1226, 1227, 1228, 1229, 1198, 1204};
constexpr int kProbabilityLabels[] = {1270, 1272, 1271, 1273, 1089, 1091, 1095, 1097};

platform::DialogTemplate TetrachoricForm() {
    using Form = CEff_Z_Tetrachoric;
    platform::DialogTemplate t;
    t.id = 233;
    t.width = 272;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    const int* ids = Form::kFieldIds;
    // A 2x2 block of cells, row 1 above row 2.
    auto cells = [&](int y, const int labels[4], const char* names[4], int firstField) {
        for (int i = 0; i < 4; ++i) {
            const int x = i % 2 == 0 ? 12 : 92;
            const int row = y + (i / 2) * 14;
            add(labels[i], ControlKind::Label, names[i], {x, row + 2, 16, 10});
            add(ids[firstField + i], ControlKind::Edit, "", {x + 18, row, 52, 12}, kAlignRight);
        }
    };
    // Two results side by side per row.
    auto result = [&](int column, int y, int labelId, const char* label, int id) {
        const int x = column == 0 ? 12 : 140;
        add(labelId, ControlKind::Label, label, {x, y + 2, 78, 10});
        add(id, ControlKind::Edit, "", {x + 80, y, 44, 12}, kAlignRight | kReadOnly);
    };
    // Each frame's radio button sits in the blanks that open its caption.
    add(kNoControlId, ControlKind::GroupBox, "            From C.I. calculated from observed freq",
        {5, 2, 262, 132});
    add(Form::kFrequenciesRadioId, ControlKind::RadioButton, "", {12, 1, 12, 10}, platform::kGroup);
    const int frequencyLabels[4] = {1189, 1199, 1190, 1200};
    const char* frequencyNames[4] = {"f11", "f12", "f21", "f22"};
    cells(16, frequencyLabels, frequencyNames, tet::kF11);
    add(1185, ControlKind::Label, "Rel.pos in CI (0=left,1=right)", {12, 48, 160, 10});
    add(ids[tet::kRelativePosition], ControlKind::Edit, "", {220, 46, 44, 12}, kAlignRight);
    add(1186, ControlKind::Label, "", {12, 62, 160, 10});
    add(ids[tet::kConfidenceLevel], ControlKind::Edit, "", {220, 60, 44, 12}, kAlignRight);
    result(0, 78, 1225, "", Form::kTotalId);
    result(1, 78, Form::kEstimateLabelId, "", Form::kEstimateId);
    result(0, 92, 1227, "Est. marginal prob x", Form::kEstMarginalXId);
    result(1, 92, 1228, "Est. marginal prob y", Form::kEstMarginalYId);
    result(0, 106, 1229, "", Form::kLowerId);
    result(1, 106, 1198, "", Form::kUpperId);
    result(0, 120, 1204, "", Form::kStandardErrorId);
    // t.height is set below; the probability frame follows.
    add(kNoControlId, ControlKind::GroupBox, "            From cell probabilities",
        {5, 140, 262, 76});
    add(Form::kProbabilitiesRadioId, ControlKind::RadioButton, "", {12, 139, 12, 10});
    const int probabilityLabels[4] = {1270, 1272, 1271, 1273};
    const char* probabilityNames[4] = {"p11", "p12", "p21", "p22"};
    cells(154, probabilityLabels, probabilityNames, tet::kP11);
    result(0, 186, 1089, "", Form::kCorrelationId);
    result(1, 186, 1091, "", Form::kApproxCorrelationId);
    result(0, 200, 1095, "Marginal prob x", Form::kMarginalXId);
    result(1, 200, 1097, "Marginal prob y", Form::kMarginalYId);

    add(1180, ControlKind::Label, "", {12, 224, 120, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {220, 222, 44, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 240, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {207, 240, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 256, 262, 14});
    t.height = 274;
    return t;
}

}  // namespace

CEff_Z_Tetrachoric::CEff_Z_Tetrachoric(PanelHost* host)
    : CEffectSizePanel(TetrachoricForm(), host) {}

void CEff_Z_Tetrachoric::OnInitialUpdate() {
    // The option is read once; a change of it rebuilds the drawer.
    if (const auto approximation = TestOptionValue(Host() ? Host()->CurrentTest() : nullptr,
                                                   kTetrachoricApproximationOption))
        approximation_ = *approximation != 0;
    SetLabels();
    ShowInputs(tet::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

void CEff_Z_Tetrachoric::SetLabels() {
    const bool a = approximation_;
    SetDlgItemLabel(1225, ParameterNames[kTotalSampleSizeId]);
    SetDlgItemLabel(kEstimateLabelId, a ? "Correlation r*" : "Correlation r");
    SetDlgItemLabel(1229, a ? "C.I. $\\rho$* lwr" : "C.I. $\\rho$ lwr");
    SetDlgItemLabel(1198, a ? "C.I. $\\rho$* upr" : "C.I. $\\rho$ upr");
    SetDlgItemLabel(1204, a ? "Std. error of r*" : "Std. error of r");
    SetDlgItemLabel(1186, "Confidence level (1-$\\alpha$)");
    SetDlgItemLabel(1089, "Correlation $\\rho$");
    SetDlgItemLabel(1091, "Approx. correlation $\\rho$*");
    SetDlgItemLabel(1180, ParameterNames[kH1CorrRhoId]);
}

tet::Inputs CEff_Z_Tetrachoric::Inputs() const {
    tet::Inputs inputs;
    for (int field = 0; field < tet::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    inputs.mode =
        RadioIndex(kFrequenciesRadioId) == 0 ? tet::kFromFrequencies : tet::kFromProbabilities;
    inputs.approximation = approximation_;
    return inputs;
}

void CEff_Z_Tetrachoric::ShowInputs(const tet::Inputs& inputs) {
    for (int field = 0; field < tet::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    SetRadioIndex(kFrequenciesRadioId, inputs.mode == tet::kFromFrequencies ? 0 : 1);
    ApplyMode(inputs.mode);
}

void CEff_Z_Tetrachoric::ApplyMode(int mode) {
    const bool frequencies = mode == tet::kFromFrequencies;
    for (int field = 0; field < tet::kFieldCount; ++field) {
        if (QWidget* edit = Control(kFieldIds[field]))
            edit->setEnabled(tet::FieldIsInput(mode, field));
    }
    for (const int id : kFrequencyLabels)
        if (QWidget* label = Control(id)) label->setEnabled(frequencies);
    for (const int id : kProbabilityLabels)
        if (QWidget* label = Control(id)) label->setEnabled(!frequencies);
    for (const int id : kResultIds) {
        const bool frequencyResult = id != kCorrelationId && id != kApproxCorrelationId &&
                                     id != kMarginalXId && id != kMarginalYId;
        if (QWidget* edit = Control(id)) edit->setEnabled(frequencyResult == frequencies);
    }
    ResetOutputs();
}

void CEff_Z_Tetrachoric::ResetOutputs() {
    for (const int id : kResultIds) SetDlgItemString(id, kUnknown);
    MarkResultUnknown();
}

void CEff_Z_Tetrachoric::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked &&
        (id == kFrequenciesRadioId || id == kProbabilitiesRadioId)) {
        ApplyMode(id == kFrequenciesRadioId ? tet::kFromFrequencies : tet::kFromProbabilities);
        return;
    }
    if (event == platform::ControlEvent::TextEdited) ResetOutputs();
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_Z_Tetrachoric::CalculateEffectSize(double* effect) {
    ResetOutputs();
    const tet::Inputs inputs = Inputs();
    if (const auto error = tet::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    last_ = tet::Compute(inputs);
    if (inputs.mode == tet::kFromFrequencies) {
        const tet::FrequencyResult& f = last_.frequencies;
        SetDlgItemDouble(kTotalId, f.n, "%.7g");
        SetDlgItemDouble(kEstimateId, f.estimate, "%.7g");
        SetDlgItemDouble(kEstMarginalXId, f.marginalX, "%.7g");
        SetDlgItemDouble(kEstMarginalYId, f.marginalY, "%.7g");
        SetDlgItemDouble(kLowerId, f.lower, "%.7g");
        SetDlgItemDouble(kUpperId, f.upper, "%.7g");
        SetDlgItemDouble(kStandardErrorId, f.standardError, "%.7g");
    } else {
        const tet::ProbabilityResult& p = last_.probabilities;
        SetDlgItemDouble(kCorrelationId, p.r, "%.7g");
        SetDlgItemDouble(kApproxCorrelationId, p.rStar, "%.7g");
        SetDlgItemDouble(kMarginalXId, p.marginalX, "%.7g");
        SetDlgItemDouble(kMarginalYId, p.marginalY, "%.7g");
    }
    *effect = last_.effectSize;
    return true;
}

effectsize::TransferPlan CEff_Z_Tetrachoric::PlanTransfer(double effect) {
    tet::TestContext context;
    if (PanelHost* host = Host()) {
        context.showsMarginalX = host->FindParameter(ParameterNames[kMarginalPropXId]) != nullptr;
        context.showsMarginalY = host->FindParameter(ParameterNames[kMarginalPropYId]) != nullptr;
        context.showsTotal = host->FindParameter(ParameterNames[kTotalSampleSizeId]) != nullptr;
    }
    tet::Result result = last_;
    result.effectSize = effect;
    return tet::PlanTransfer(result, context);
}

bool CEff_Z_Tetrachoric::SaveInputs(PropertyList* store) {
    tet::Save(Inputs(), store);
    return true;
}

bool CEff_Z_Tetrachoric::RestoreInputs(PropertyList* store) {
    tet::Inputs inputs = Inputs();
    tet::Restore(store, &inputs);
    ShowInputs(inputs);
    SetLabels();
    return true;
}
