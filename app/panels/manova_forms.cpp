#include "app/panels/manova_forms.h"

#include <QLineEdit>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/panel_rows.h"
#include "app/widgets/ui_helpers.h"
#include "effectsize/design_counts.h"
#include "platform/dialogs.h"
#include "power/f/power_f_multivariate.h"
#include "power/multivariate/power_mult_criterion.h"

namespace manova = effectsize::manova;
namespace rmc = effectsize::rm_criterion;

namespace {

constexpr const char* kWarningCaption = "Conversion error";

// A criterion of the class the current test's options choose, kept in
// `held` while the choice stays; null when the test has no such choice.
PowerMultCriterion* TestCriterion(PanelHost* host, std::unique_ptr<PowerMultCriterion>* held) {
    const int id = ChosenCriterion(host ? host->CurrentTest() : nullptr);
    if (id < 0) return nullptr;
    if (!*held || (*held)->GetCriterionId() != id) held->reset(NewCriterion(id));
    return held->get();
}

std::optional<long> MainCount(PanelHost* host, int id) {
    Property* shown = host ? host->FindParameter(ParameterNames[id]) : nullptr;
    return shown ? effectsize::WholeOf(shown->text) : std::nullopt;
}

bool MainShows(PanelHost* host, int id) {
    return host && host->FindParameter(ParameterNames[id]);
}

void ShowRow(CFormViewEx* form, int labelId, int editId, bool shown) {
    for (const int id : {labelId, editId}) {
        if (QWidget* control = form->Control(id)) control->setVisible(shown);
    }
}

platform::DialogTemplate ManovaForm() {
    using Form = CEff_F_Manova;
    PanelRows rows(204, 110, 60);
    rows.Row(Form::kLabelIds[manova::kCriterion], "Wilks U", Form::kFieldIds[manova::kCriterion]);
    rows.Row(Form::kLabelIds[manova::kGroups], "Number of groups",
             Form::kFieldIds[manova::kGroups]);
    rows.Row(Form::kLabelIds[manova::kResponses], "Response variables",
             Form::kFieldIds[manova::kResponses]);
    rows.Row(Form::kLabelIds[manova::kPredictors], "Number of predictors",
             Form::kFieldIds[manova::kPredictors]);
    rows.Row(Form::kLabelIds[manova::kTotal], "Total sample size", Form::kFieldIds[manova::kTotal]);
    return rows.Finish(Form::kEffectLabelId, "Effect size f$^2$(V)");
}

platform::DialogTemplate RmCriterionForm(bool withDesign) {
    using Form = CRmCriterionPanel;
    PanelRows rows(withDesign ? 192 : 201, 110, 60);
    rows.Row(Form::kCriterionLabelId, "Wilks U", Form::kFieldIds[rmc::kCriterion]);
    if (withDesign) {
        rows.Row(platform::kNoControlId, "Number of groups", Form::kFieldIds[rmc::kGroups]);
        rows.Row(platform::kNoControlId, "Number of measurements",
                 Form::kFieldIds[rmc::kMeasurements]);
        rows.Row(Form::kTotalLabelId, "Total sample size", Form::kFieldIds[rmc::kTotal]);
    }
    return rows.Finish(Form::kEffectLabelId, "Effect size f");
}

}  // namespace

// --- MANOVA ------------------------------------------------------------------

CEff_F_Manova::CEff_F_Manova(PanelHost* host)
    : CEffectSizePanel(ManovaForm(), host), ownCriterion_(NewCriterion(107)) {}

CEff_F_Manova::~CEff_F_Manova() = default;

PowerMultCriterion& CEff_F_Manova::Criterion() {
    PowerMultCriterion* criterion = TestCriterion(Host(), &testCriterion_);
    return criterion ? *criterion : *ownCriterion_;
}

int CEff_F_Manova::TestId() const {
    if (testId_ != 0) return testId_;
    PowerAnalysis* test = Host() ? Host()->CurrentTest() : nullptr;
    return test ? test->GetTestId() : kManovaGlobalTestId;
}

manova::Inputs CEff_F_Manova::Inputs() const {
    manova::Inputs inputs;
    for (int field = 0; field < manova::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    return inputs;
}

void CEff_F_Manova::ShowInputs(const manova::Inputs& inputs) {
    for (int field = 0; field < manova::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
}

void CEff_F_Manova::OnInitialUpdate() {
    ShowInputs(manova::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_F_Manova::SaveInputs(PropertyList* store) {
    manova::Save(Inputs(), store);
    return true;
}

bool CEff_F_Manova::RestoreInputs(PropertyList* store) {
    manova::Inputs inputs = Inputs();
    manova::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_F_Manova::SetUpAfterOpening(int testId) {
    testId_ = testId;
    manova::Inputs inputs = Inputs();
    manova::SetUpFromMainWindow(
        &inputs, testId,
        {MainCount(Host(), kNumberOfGroupsId), MainCount(Host(), kTotalSampleSizeId),
         MainCount(Host(), kResponseVariablesId), MainCount(Host(), kNumberOfPredictorsId)});
    ShowInputs(inputs);
    const PowerMultCriterion& criterion = Criterion();
    const manova::Layout layout = manova::LayoutFor(testId, criterion.GetCriterionId());
    ShowRow(this, kLabelIds[manova::kGroups], kFieldIds[manova::kGroups], layout.groups);
    ShowRow(this, kLabelIds[manova::kPredictors], kFieldIds[manova::kPredictors],
            layout.predictors);
    ShowRow(this, kLabelIds[manova::kTotal], kFieldIds[manova::kTotal], layout.total);
    CloseUpHiddenRows();
    SetDlgItemLabel(kEffectLabelId, ParameterNames[CriterionF2ParamId(criterion)]);
    SetDlgItemLabel(kCriterionLabelId, criterion.GetShortName());
    MarkResultUnknown();
}

void CEff_F_Manova::OnControlEvent(int id, platform::ControlEvent event) {
    // The global test's predictors are its groups.
    if (event == platform::ControlEvent::TextEdited && id == kFieldIds[manova::kGroups] &&
        TestId() == kManovaGlobalTestId)
        SetDlgItemString(kFieldIds[manova::kPredictors], GetDlgItemString(id));
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_F_Manova::CalculateEffectSize(double* effect) {
    const manova::Inputs inputs = Inputs();
    if (const auto error = manova::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    PowerMultCriterion& criterion = Criterion();
    if (!MainShows(Host(), kTotalSampleSizeId) &&
        manova::UsesSampleSize(criterion.GetCriterionId())) {
        platform::ShowMessage(window(), QString::fromLatin1(manova::kAPrioriWarning),
                              QString::fromLatin1(kWarningCaption), platform::MessageIcon::Warning);
    }
    const manova::Result result = manova::Compute(inputs, criterion);
    if (result.error) {
        ShowFieldError(kFieldIds[result.error->field], result.error->message);
        return false;
    }
    *effect = result.f2;
    return true;
}

effectsize::TransferPlan CEff_F_Manova::PlanTransfer(double effect) {
    manova::TestContext context;
    context.testId = TestId();
    context.criterionId = Criterion().GetCriterionId();
    context.hasGroups = MainShows(Host(), kNumberOfGroupsId);
    context.hasResponses = MainShows(Host(), kResponseVariablesId);
    context.hasPredictors = MainShows(Host(), kNumberOfPredictorsId);
    context.hasTotal = MainShows(Host(), kTotalSampleSizeId);
    return manova::PlanTransfer(Inputs(), effect, context);
}

// --- Repeated measures, criterion --------------------------------------------

CRmCriterionPanel::CRmCriterionPanel(bool withDesign, PanelHost* host)
    : CEffectSizePanel(RmCriterionForm(withDesign), host),
      withDesign_(withDesign),
      ownCriterion_(NewCriterion(101)) {}

CRmCriterionPanel::~CRmCriterionPanel() = default;

PowerMultCriterion& CRmCriterionPanel::Criterion() {
    PowerMultCriterion* criterion = TestCriterion(Host(), &testCriterion_);
    return criterion ? *criterion : *ownCriterion_;
}

rmc::Inputs CRmCriterionPanel::Inputs() const {
    rmc::Inputs inputs;
    inputs.withDesign = withDesign_;
    inputs.effectType = effectType_;
    for (int field = 0; field < rmc::kFieldCount; ++field) {
        if (Edit(kFieldIds[field])) inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    }
    return inputs;
}

void CRmCriterionPanel::ShowInputs(const rmc::Inputs& inputs) {
    for (int field = 0; field < rmc::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
}

void CRmCriterionPanel::OnInitialUpdate() {
    ShowInputs(rmc::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CRmCriterionPanel::SaveInputs(PropertyList* store) {
    rmc::Save(Inputs(), store);
    return true;
}

bool CRmCriterionPanel::RestoreInputs(PropertyList* store) {
    rmc::Inputs inputs = Inputs();
    rmc::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CRmCriterionPanel::SetUpAfterOpening(int testId) {
    effectType_ = rmc::EffectTypeOf(testId);
    const PowerMultCriterion& criterion = Criterion();
    if (withDesign_) {
        rmc::Inputs inputs = Inputs();
        rmc::SetUpFromMainWindow(
            &inputs, {MainCount(Host(), kNumberOfGroupsId), MainCount(Host(), kTotalSampleSizeId),
                      MainCount(Host(), kNumberOfMeasurementsId)});
        ShowInputs(inputs);
        ShowRow(this, kTotalLabelId, kFieldIds[rmc::kTotal],
                rmc::UsesSampleSize(criterion.GetCriterionId()));
        CloseUpHiddenRows();
    }
    SetDlgItemLabel(kCriterionLabelId, criterion.GetShortName());
    MarkResultUnknown();
}

bool CRmCriterionPanel::CalculateEffectSize(double* effect) {
    const rmc::Inputs inputs = Inputs();
    if (const auto error = rmc::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    PowerMultCriterion& criterion = Criterion();
    if (withDesign_ && !MainShows(Host(), kTotalSampleSizeId) &&
        rmc::UsesSampleSize(criterion.GetCriterionId())) {
        const long n = effectsize::ReadCount(inputs.text[rmc::kTotal], 1, 100000000).value_or(1);
        platform::ShowMessage(window(), QString::fromStdString(rmc::APrioriWarning(n)),
                              QString::fromLatin1(kWarningCaption), platform::MessageIcon::Warning);
    }
    const rmc::Result result = rmc::Compute(inputs, criterion);
    if (result.error) {
        ShowFieldError(kFieldIds[result.error->field], result.error->message);
        return false;
    }
    *effect = result.f;
    return true;
}

effectsize::TransferPlan CRmCriterionPanel::PlanTransfer(double effect) {
    rmc::TestContext context;
    context.criterionId = Criterion().GetCriterionId();
    context.hasGroups = MainShows(Host(), kNumberOfGroupsId);
    context.hasMeasurements = MainShows(Host(), kNumberOfMeasurementsId);
    context.hasTotal = MainShows(Host(), kTotalSampleSizeId);
    return rmc::PlanTransfer(Inputs(), effect, context);
}
