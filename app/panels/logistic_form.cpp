#include "app/panels/logistic_form.h"

#include "analysis/ids.h"
#include "analysis/option_declarations.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/panel_rows.h"
#include "power/z/power_z_logistic_regress.h"

namespace lr = effectsize::logistic_regression;

namespace {

platform::DialogTemplate LogisticForm() {
    PanelRows rows(236, 94, 68);
    rows.Row(CEff_Z_LogRegress::kInput1LabelId, "", CEff_Z_LogRegress::kFieldIds[lr::kInput1]);
    rows.Row(CEff_Z_LogRegress::kP0LabelId, "", CEff_Z_LogRegress::kFieldIds[lr::kP0]);
    return rows.Finish(CEff_Z_LogRegress::kResultLabelId, "");
}

}  // namespace

CEff_Z_LogRegress::CEff_Z_LogRegress(PanelHost* host) : CEffectSizePanel(LogisticForm(), host) {}

bool CEff_Z_LogRegress::ProbabilityInputOfTest() const {
    PowerAnalysis* test = Host() ? Host()->CurrentTest() : nullptr;
    if (const auto input = TestOptionValue(test, kOddsRatioInputOption))
        return lr::ProbabilityInputFor(*input == 0);
    return inputs_.probabilityInput;
}

lr::Inputs CEff_Z_LogRegress::Inputs() const {
    lr::Inputs inputs = inputs_;
    for (int field = 0; field < lr::kFieldCount; ++field)
        lr::SetFieldText(&inputs, field, GetDlgItemString(kFieldIds[field]));
    return inputs;
}

void CEff_Z_LogRegress::ShowInputs(const lr::Inputs& inputs) {
    inputs_ = inputs;
    SetDlgItemLabel(kInput1LabelId,
                    ParameterNames[inputs.probabilityInput ? kPrY1X1H1Id : kOddsRatioId]);
    SetDlgItemLabel(kP0LabelId, ParameterNames[kPrY1X1H0Id]);
    // The result is what the first field is not.
    SetDlgItemLabel(kResultLabelId,
                    ParameterNames[inputs.probabilityInput ? kOddsRatioId : kPrY1X1H1Id]);
    for (int field = 0; field < lr::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], lr::FieldText(inputs, field));
    MarkResultUnknown();
}

void CEff_Z_LogRegress::OnInitialUpdate() {
    lr::Inputs inputs;
    inputs.probabilityInput = ProbabilityInputOfTest();
    ShowInputs(inputs);
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_Z_LogRegress::SaveInputs(PropertyList* store) {
    lr::Save(Inputs(), store);
    return true;
}

bool CEff_Z_LogRegress::RestoreInputs(PropertyList* store) {
    lr::Inputs inputs = Inputs();
    lr::Restore(store, &inputs);
    inputs.probabilityInput = ProbabilityInputOfTest();
    ShowInputs(inputs);
    return true;
}

void CEff_Z_LogRegress::SetUpAfterOpening(int testId) {
    (void)testId;
    lr::Inputs inputs = Inputs();
    inputs.probabilityInput = ProbabilityInputOfTest();
    std::optional<std::string> mainP0;
    if (Property* shown = Host() ? Host()->FindParameter(ParameterNames[kPrY1X1H0Id]) : nullptr)
        mainP0 = shown->text;
    lr::SetUpFromMainWindow(mainP0, &inputs);
    ShowInputs(inputs);
}

bool CEff_Z_LogRegress::CalculateEffectSize(double* effect) {
    lr::Result result;
    if (const auto error = lr::Compute(Inputs(), &result)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    result_ = result;
    *effect = result.value;
    return true;
}

effectsize::TransferPlan CEff_Z_LogRegress::PlanTransfer(double effect) {
    (void)effect;  // the same result as in result_
    return lr::PlanTransfer(result_);
}
