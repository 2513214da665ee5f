#include "app/panels/rm_forms.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <algorithm>

#include "analysis/ids.h"
#include "analysis/option_declarations.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/focus_out_check.h"
#include "app/panels/group_table.h"
#include "app/widgets/spin_buttons.h"
#include "app/widgets/ui_helpers.h"
#include "effectsize/design_counts.h"
#include "effectsize/text_fields.h"
#include "power/f/power_f_repeated.h"
#include "ui/grid/grid_ctrl.h"

namespace omni = effectsize::rm_omnibus;
namespace special = effectsize::rm_special;

namespace {

using platform::ControlKind;
using platform::kAlignRight;
using platform::kNoControlId;
using platform::kReadOnly;
using platform::kStyleNone;

constexpr int kPanelWidth = 210;

struct TemplateBuilder {
    platform::DialogTemplate t;
    void Add(int id, ControlKind kind, const char* caption, platform::DialogRect rect,
             unsigned style = kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    }
    void AddButtons(int y) {
        Add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
            {5, y, 60, 14});
        Add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close",
            {kPanelWidth - 65, y, 60, 14});
        Add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
            "Calculate and transfer to main window", {5, y + 16, kPanelWidth - 10, 14});
        t.height = y + 34;
    }
};

platform::DialogTemplate OmnibusForm() {
    using Form = CEff_F_RMM_Omni;
    TemplateBuilder b;
    b.t.id = 247;
    b.t.width = kPanelWidth;
    b.Add(kNoControlId, ControlKind::Label, "Number of groups", {5, 6, 120, 10});
    b.Add(Form::kGroupCountId, ControlKind::Edit, "", {130, 4, 64, 12}, kAlignRight);
    b.Add(Form::kGroupSpinId, ControlKind::Area, "", {195, 4, 10, 12});
    b.Add(Form::kSigmaLabelId, ControlKind::Label, "", {5, 20, 120, 10});
    b.Add(Form::kSigmaId, ControlKind::Edit, "", {130, 18, 75, 12}, kAlignRight);
    b.Add(Form::kMeasurementsLabelId, ControlKind::Label, "Number of measurements",
          {5, 34, 120, 10});
    b.Add(Form::kMeasurementsId, ControlKind::Edit, "", {130, 32, 64, 12}, kAlignRight);
    b.Add(Form::kMeasurementsSpinId, ControlKind::Area, "", {195, 32, 10, 12});
    b.Add(Form::kCorrelationLabelId, ControlKind::Label, "Corr among rep  measures",
          {5, 48, 120, 10});
    b.Add(Form::kCorrelationId, ControlKind::Edit, "", {130, 46, 75, 12}, kAlignRight);
    b.Add(Form::kGridId, ControlKind::Area, "", {5, 62, 200, 90});
    b.Add(Form::kEqualNButtonId, ControlKind::PushButton, "Equal n", {5, 157, 60, 14});
    b.Add(Form::kEqualNId, ControlKind::Edit, "", {130, 158, 75, 12}, kAlignRight);
    b.Add(kNoControlId, ControlKind::Label, "Total sample size", {5, 176, 120, 10});
    b.Add(Form::kTotalId, ControlKind::Edit, "", {130, 174, 75, 12}, kAlignRight | kReadOnly);
    b.Add(Form::kEffectLabelId, ControlKind::Label, "Effect size f", {5, 192, 120, 10});
    b.Add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {130, 190, 75, 12},
          kAlignRight | kReadOnly);
    b.AddButtons(208);
    return b.t;
}

platform::DialogTemplate SpecialForm() {
    using Form = CEff_F_RM_Special;
    TemplateBuilder b;
    b.t.id = 249;
    b.t.width = kPanelWidth;
    b.Add(Form::kFromVariancesRadioId, ControlKind::RadioButton, "From variances", {5, 4, 120, 10},
          platform::kGroup);
    b.Add(Form::kEffectVarianceLabelId, ControlKind::Label, "Variance explained by effect",
          {15, 18, 135, 10});
    b.Add(Form::kEffectVarianceId, ControlKind::Edit, "", {152, 16, 53, 12}, kAlignRight);
    b.Add(Form::kVarianceLabelId, ControlKind::Label, "", {15, 32, 135, 10});
    b.Add(Form::kErrorVarianceId, ControlKind::Edit, "", {152, 30, 53, 12}, kAlignRight);
    for (int row = 0; row < 3; ++row) {
        const int y = 46 + 14 * row;
        b.Add(Form::kRowLabelIds[row], ControlKind::Label, "", {15, y + 2, 135, 10});
        b.Add(Form::kRowEditIds[row], ControlKind::Edit, "", {152, y, 53, 12}, kAlignRight);
    }
    b.Add(Form::kDirectRadioId, ControlKind::RadioButton, "Direct", {5, 90, 120, 10});
    b.Add(Form::kEta2LabelId, ControlKind::Label, "", {15, 104, 135, 10});
    b.Add(Form::kEta2Id, ControlKind::Edit, "", {152, 102, 53, 12}, kAlignRight);
    b.Add(Form::kEffectLabelId, ControlKind::Label, "Effect size f", {5, 122, 135, 10});
    b.Add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {152, 120, 53, 12},
          kAlignRight | kReadOnly);
    b.AddButtons(138);
    return b.t;
}

// The test's effect-size specification and the label of its effect size.
int SpecificationOf(PanelHost* host) {
    const auto specification =
        TestOptionValue(host ? host->CurrentTest() : nullptr, kEffectSpecificationOption);
    return static_cast<int>(specification.value_or(0));
}

std::string EffectLabelOf(int specification) {
    if (specification == 0) return ParameterNames[kEffectSizeFId];
    if (specification == 2) return ParameterNames[kEffectSizeFUId];
    return ParameterNames[kEffectSizeFVId];
}

Property* MainInput(PanelHost* host, int id) {
    return host ? host->FindParameter(ParameterNames[id]) : nullptr;
}

std::optional<long> MainCount(PanelHost* host, int id) {
    Property* shown = MainInput(host, id);
    return shown ? effectsize::WholeOf(shown->text) : std::nullopt;
}

}  // namespace

// --- Between factors from means ----------------------------------------------

CEff_F_RMM_Omni::CEff_F_RMM_Omni(PanelHost* host) : CEffectSizePanel(OmnibusForm(), host) {}

int CEff_F_RMM_Omni::Specification() const {
    return SpecificationOf(Host());
}

void CEff_F_RMM_Omni::OnInitialUpdate() {
    SetDlgItemLabel(kSigmaLabelId, "SD $\\sigma$ within each group");
    if (QWidget* area = Control(kGroupSpinId)) {
        auto* spin = new SpinButtons(Edit(kGroupCountId), omni::kMinGroups, omni::kMaxGroups, area);
        spin->setGeometry(area->rect());
        spin->SetOnStep([this] { ApplyGroupCount(); });
    }
    if (QWidget* area = Control(kMeasurementsSpinId)) {
        auto* spin = new SpinButtons(Edit(kMeasurementsId), 1, 200, area);
        spin->setGeometry(area->rect());
        spin->SetOnStep([this] { MarkResultUnknown(); });
    }
    if (QWidget* area = Control(kGridId))
        grid_ = CreateGroupTable(area, this, kGridId, model_.groups, &cellFont_);
    ShowInputs(omni::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
    // Enter in "Number of groups" resizes the table instead of calculating;
    // leaving the field (Tab, a click elsewhere) resizes it too.
    if (QLineEdit* count = Edit(kGroupCountId)) {
        disconnect(count, &QLineEdit::returnPressed, this, nullptr);
        connect(count, &QLineEdit::returnPressed, this, [this] { ApplyGroupCount(); });
        auto* leaving = new FocusOutCheck(this, [this](QLineEdit*) {
            const std::optional<int> typed = omni::TypedGroupCount(Inputs());
            return (typed && *typed == model_.groups) || ApplyGroupCount();
        });
        leaving->Watch(count);
    }
}

omni::Inputs CEff_F_RMM_Omni::Inputs() const {
    omni::Inputs inputs = model_;
    inputs.text[omni::kGroups] = GetDlgItemString(kGroupCountId);
    inputs.text[omni::kSigma] = GetDlgItemString(kSigmaId);
    inputs.text[omni::kMeasurements] = GetDlgItemString(kMeasurementsId);
    inputs.text[omni::kCorrelation] = GetDlgItemString(kCorrelationId);
    inputs.text[omni::kEqualN] = GetDlgItemString(kEqualNId);
    if (grid_) ReadGroupTable(grid_, model_.groups, &inputs.table);
    return inputs;
}

void CEff_F_RMM_Omni::ShowInputs(const omni::Inputs& inputs) {
    model_ = inputs;
    SetDlgItemString(kGroupCountId, inputs.text[omni::kGroups]);
    SetDlgItemString(kSigmaId, inputs.text[omni::kSigma]);
    SetDlgItemString(kMeasurementsId, inputs.text[omni::kMeasurements]);
    SetDlgItemString(kCorrelationId, inputs.text[omni::kCorrelation]);
    SetDlgItemString(kEqualNId, inputs.text[omni::kEqualN]);
    RebuildGrid();
    SetDlgItemLong(kTotalId, omni::TotalN(model_));
}

void CEff_F_RMM_Omni::RebuildGrid() {
    if (grid_) FillGroupTable(grid_, model_.table, model_.groups, cellFont_);
    MarkResultUnknown();
}

bool CEff_F_RMM_Omni::ApplyGroupCount() {
    const omni::Inputs inputs = Inputs();
    const std::optional<int> count = omni::TypedGroupCount(inputs);
    if (!count) {
        ShowFieldError(kGroupCountId, omni::kGroupCountMessage);
        return false;
    }
    model_ = inputs;
    omni::SetGroupCount(&model_, *count);
    RebuildGrid();
    return true;
}

long CEff_F_RMM_Omni::OnGridNotify(const GridNotify& note) {
    if (note.code == kNotifyEndLabelEdit) {
        model_ = Inputs();
        SetDlgItemLong(kTotalId, omni::TotalN(model_));
        MarkResultUnknown();
    }
    return 0;
}

bool CEff_F_RMM_Omni::SaveInputs(PropertyList* store) {
    omni::Save(Inputs(), store);
    return true;
}

bool CEff_F_RMM_Omni::RestoreInputs(PropertyList* store) {
    omni::Inputs inputs = Inputs();
    omni::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_F_RMM_Omni::SetUpAfterOpening(int testId) {
    (void)testId;
    const int spec = Specification();
    for (const int id : {kMeasurementsId, kMeasurementsSpinId, kMeasurementsLabelId, kCorrelationId,
                         kCorrelationLabelId}) {
        if (QWidget* control = Control(id)) control->setEnabled(spec != 0);
    }
    SetDlgItemLabel(kEffectLabelId, EffectLabelOf(spec));
    omni::Inputs inputs = Inputs();
    omni::MainValues main;
    main.groups = MainCount(Host(), kNumberOfGroupsId);
    main.measurements = MainCount(Host(), kNumberOfMeasurementsId);
    if (Property* rho = MainInput(Host(), kRepeatedMeasuresCorrelationId))
        main.correlation = rho->text;
    omni::SetUpFromMainWindow(&inputs, main);
    ShowInputs(inputs);
}

void CEff_F_RMM_Omni::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked && id == kEqualNButtonId) {
        omni::Inputs inputs = Inputs();
        if (const auto error = omni::ApplyEqualN(&inputs)) {
            ShowError(*error);
            return;
        }
        ShowInputs(inputs);
        return;
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

void CEff_F_RMM_Omni::ShowError(const effectsize::FieldError& error) {
    int group = 0;
    bool sizeColumn = false;
    if (!omni::CellOf(error.field, &group, &sizeColumn)) {
        const int ids[omni::kFieldCount] = {kGroupCountId, kSigmaId, kMeasurementsId,
                                            kCorrelationId, kEqualNId};
        ShowFieldError(ids[error.field], error.message);
        return;
    }
    ShowFieldError(kGridId, error.message);
    if (!grid_) return;
    const int row = group + 1;
    const int col = sizeColumn ? 2 : 1;
    grid_->EnsureVisible(row, col);
    grid_->SetFocusCell(row, col);
    grid_->SetSelectedRange(row, col, row, col);
    grid_->setFocus(Qt::OtherFocusReason);
}

bool CEff_F_RMM_Omni::CalculateEffectSize(double* effect) {
    // A count typed without Enter takes effect first, so that the table
    // shows the groups the effect size is computed from.
    const std::optional<int> typed = omni::TypedGroupCount(Inputs());
    if (!typed) {
        ShowError({omni::kGroups, omni::kGroupCountMessage});
        return false;
    }
    if (*typed != model_.groups && !ApplyGroupCount()) return false;
    const omni::Inputs inputs = Inputs();
    const int spec = Specification();
    if (const auto error = omni::Check(inputs, spec)) {
        ShowError(*error);
        return false;
    }
    model_ = inputs;
    last_ = omni::Compute(inputs, spec);
    RebuildGrid();
    SetDlgItemLong(kTotalId, last_.totalN);
    *effect = last_.f;
    return true;
}

effectsize::TransferPlan CEff_F_RMM_Omni::PlanTransfer(double effect) {
    omni::TestContext context;
    context.specification = Specification();
    context.mainGroups = MainCount(Host(), kNumberOfGroupsId);
    context.mainMeasurements = MainCount(Host(), kNumberOfMeasurementsId);
    context.mainTotal = MainCount(Host(), kTotalSampleSizeId);
    omni::Result result = last_;
    result.f = effect;
    return omni::PlanTransfer(model_, result, context);
}

// --- Special effects ----------------------------------------------------------

CEff_F_RM_Special::CEff_F_RM_Special(PanelHost* host, int varianceType)
    : CEffectSizePanel(SpecialForm(), host), varianceType_(varianceType) {
    model_.varianceType = varianceType;
}

int CEff_F_RM_Special::SetVarianceType(int type) {
    varianceType_ = type;
    model_.varianceType = type;
    return type;
}

special::TestContext CEff_F_RM_Special::Context() const {
    special::TestContext context;
    context.specification = SpecificationOf(Host());
    context.testId = testId_;
    if (context.testId == 0) {
        PowerAnalysis* test = Host() ? Host()->CurrentTest() : nullptr;
        context.testId = test ? test->GetTestId() : kRepeatedBetweenTestId;
    }
    return context;
}

int CEff_F_RM_Special::EditOf(int field) const {
    switch (field) {
        case special::kEffectVariance:
            return kEffectVarianceId;
        case special::kErrorVariance:
            return kErrorVarianceId;
        case special::kEta2:
            return kEta2Id;
        default:
            break;
    }
    const special::TestContext context = Context();
    for (const special::ExtraRow& row : special::ExtraRows(context.specification, context.testId))
        if (row.field == field) return row.controlId;
    return 0;
}

special::Inputs CEff_F_RM_Special::Inputs() const {
    special::Inputs inputs = model_;
    for (int field = 0; field < special::kFieldCount; ++field) {
        if (const int id = EditOf(field)) inputs.text[field] = GetDlgItemString(id);
    }
    inputs.mode = RadioIndex(kFromVariancesRadioId) == 1 ? 1 : 0;
    inputs.varianceType = varianceType_;
    return inputs;
}

void CEff_F_RM_Special::ShowInputs(const special::Inputs& inputs) {
    model_ = inputs;
    for (int field = 0; field < special::kFieldCount; ++field) {
        if (const int id = EditOf(field)) SetDlgItemString(id, inputs.text[field]);
    }
    SetRadioIndex(kFromVariancesRadioId, inputs.mode);
    ApplyMode(inputs.mode);
}

void CEff_F_RM_Special::ApplyLayout() {
    const special::TestContext context = Context();
    // A row that the chosen way of giving the effect leaves unused is hidden:
    // a disabled edit without a label only puzzles.
    for (int row = 0; row < 3; ++row) {
        SetDlgItemString(kRowLabelIds[row], "");
        SetDlgItemString(kRowEditIds[row], "");
        for (const int id : {kRowEditIds[row], kRowLabelIds[row]}) {
            if (QWidget* control = Control(id)) {
                control->setEnabled(false);
                control->setVisible(false);
            }
        }
    }
    SetDlgItemLabel(kVarianceLabelId, special::VarianceLabel(context.specification));
    SetDlgItemLabel(kEta2LabelId, "Partial $\\eta$$^2$");
    SetDlgItemLabel(kEffectLabelId, EffectLabelOf(context.specification));
    for (const special::ExtraRow& row : special::ExtraRows(context.specification, context.testId)) {
        for (int i = 0; i < 3; ++i) {
            if (kRowEditIds[i] != row.controlId) continue;
            SetDlgItemLabel(kRowLabelIds[i], row.label);
            for (const int id : {kRowEditIds[i], kRowLabelIds[i]})
                if (QWidget* control = Control(id)) control->setVisible(true);
        }
    }
    CloseUpHiddenRows();
}

void CEff_F_RM_Special::ApplyMode(int mode) {
    const special::TestContext context = Context();
    const bool fromVariances = mode == 0;
    for (const int id :
         {kVarianceLabelId, kEffectVarianceLabelId, kEffectVarianceId, kErrorVarianceId})
        if (QWidget* control = Control(id)) control->setEnabled(fromVariances);
    for (const special::ExtraRow& row : special::ExtraRows(context.specification, context.testId)) {
        for (int i = 0; i < 3; ++i) {
            if (kRowEditIds[i] != row.controlId) continue;
            for (const int id : {kRowEditIds[i], kRowLabelIds[i]})
                if (QWidget* control = Control(id)) control->setEnabled(fromVariances);
        }
    }
    if (QLineEdit* eta2 = Edit(kEta2Id)) eta2->setReadOnly(fromVariances);
    MarkResultUnknown();
}

void CEff_F_RM_Special::OnInitialUpdate() {
    ApplyLayout();
    ShowInputs(model_);
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_F_RM_Special::SaveModeInputs(PropertyList* store) {
    if (!store) return true;
    // A field the store lacks gets its default text, in the store and shown.
    special::Inputs inputs = Inputs();
    const special::Inputs defaults;
    for (int field = 0; field < special::kFieldCount; ++field) {
        if (store->Find(special::StoreKey(field))) continue;
        inputs.text[field] = defaults.text[field];
        effectsize::SaveTextField(store, special::StoreKey(field), inputs.text[field]);
    }
    ShowInputs(inputs);
    return true;
}

bool CEff_F_RM_Special::SaveInputs(PropertyList* store) {
    special::Save(Inputs(), store);
    return true;
}

bool CEff_F_RM_Special::RestoreInputs(PropertyList* store) {
    special::Inputs inputs = Inputs();
    special::Restore(store, &inputs);
    SetVarianceType(inputs.varianceType);
    ShowInputs(inputs);
    return true;
}

void CEff_F_RM_Special::SetUpAfterOpening(int testId) {
    testId_ = testId;
    // Opened alone for the within and interaction tests, the panel names the
    // denominator as the variance within groups.
    if (testId == kRepeatedWithinTestId || testId == kRepeatedInteractionTestId) SetVarianceType(1);
    special::Inputs inputs = Inputs();
    ApplyLayout();
    // The rows the specification shows start from the main window's values.
    const special::TestContext context = Context();
    const int parameters[special::kFieldCount] = {-1,
                                                  -1,
                                                  -1,
                                                  kNumberOfMeasurementsId,
                                                  kRepeatedMeasuresCorrelationId,
                                                  kNumberOfGroupsId,
                                                  kTotalSampleSizeId};
    for (const special::ExtraRow& row : special::ExtraRows(context.specification, context.testId)) {
        if (Property* shown = MainInput(Host(), parameters[row.field]))
            inputs.text[row.field] = shown->text;
    }
    ShowInputs(inputs);
}

void CEff_F_RM_Special::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked &&
        (id == kFromVariancesRadioId || id == kDirectRadioId)) {
        ApplyMode(id == kDirectRadioId ? 1 : 0);
        return;
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_F_RM_Special::CalculateEffectSize(double* effect) {
    const special::Inputs inputs = Inputs();
    const special::Result result = special::Compute(inputs, Context());
    if (result.error) {
        ShowFieldError(EditOf(result.error->field), result.error->message);
        return false;
    }
    model_ = inputs;
    if (inputs.mode == 0) SetDlgItemDouble(kEta2Id, result.eta2, "%.7g");
    *effect = result.f;
    return true;
}

effectsize::TransferPlan CEff_F_RM_Special::PlanTransfer(double effect) {
    special::MainCounts main;
    main.groups = MainCount(Host(), kNumberOfGroupsId);
    main.measurements = MainCount(Host(), kNumberOfMeasurementsId);
    main.total = MainCount(Host(), kTotalSampleSizeId);
    return special::PlanTransfer(Inputs(), effect, Context(), main);
}
