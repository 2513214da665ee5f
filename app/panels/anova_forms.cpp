#include "app/panels/anova_forms.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/focus_out_check.h"
#include "app/panels/group_table.h"
#include "app/widgets/ui_helpers.h"
#include "effectsize/anova_selector.h"
#include "ui/grid/grid_ctrl.h"

namespace omni = effectsize::anova_omnibus;
namespace special = effectsize::anova_special;
namespace selector = effectsize::anova_selector;

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
             unsigned style = kStyleNone, std::vector<std::string> items = {}) {
        t.controls.push_back({id, kind, caption, rect, style, std::move(items)});
    }
    // "Calculate", "Close" and the transfer button below row `y`.
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
    using Form = CEff_F_Anova_Omni;
    TemplateBuilder b;
    b.t.id = 159;
    b.t.width = kPanelWidth;
    b.Add(kNoControlId, ControlKind::Label, "Number of groups", {5, 6, 90, 10});
    b.Add(Form::kGroupCountId, ControlKind::Edit, "", {130, 4, 64, 12}, kAlignRight);
    b.Add(Form::kSpinId, ControlKind::Area, "", {195, 4, 10, 12});
    b.Add(Form::kGridId, ControlKind::Area, "", {5, 20, 200, 96});
    b.Add(Form::kSigmaLabelId, ControlKind::Label, "", {5, 124, 120, 10});
    b.Add(Form::kSigmaId, ControlKind::Edit, "", {130, 122, 75, 12}, kAlignRight);
    b.Add(Form::kEqualNButtonId, ControlKind::PushButton, "Equal n", {5, 137, 60, 14});
    b.Add(Form::kEqualNId, ControlKind::Edit, "", {130, 138, 75, 12}, kAlignRight);
    b.Add(kNoControlId, ControlKind::Label, "Total sample size", {5, 156, 120, 10});
    b.Add(Form::kTotalId, ControlKind::Edit, "", {130, 154, 75, 12}, kAlignRight | kReadOnly);
    b.Add(kNoControlId, ControlKind::Label, "Effect size f", {5, 172, 120, 10});
    b.Add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {130, 170, 75, 12},
          kAlignRight | kReadOnly);
    b.AddButtons(188);
    return b.t;
}

platform::DialogTemplate SpecialForm() {
    using Form = CEff_F_Anova_Special;
    TemplateBuilder b;
    b.t.id = 158;
    b.t.width = kPanelWidth;
    b.Add(Form::kFromVariancesRadioId, ControlKind::RadioButton, "From variances", {5, 4, 120, 10},
          platform::kGroup);
    b.Add(Form::kEffectVarianceLabelId, ControlKind::Label, "Variance explained by special effect",
          {15, 18, 135, 10});
    b.Add(Form::kFieldIds[special::kEffectVariance], ControlKind::Edit, "", {152, 16, 53, 12},
          kAlignRight);
    b.Add(Form::kVarianceLabelId, ControlKind::Label, "", {15, 32, 135, 10});
    b.Add(Form::kFieldIds[special::kErrorVariance], ControlKind::Edit, "", {152, 30, 53, 12},
          kAlignRight);
    b.Add(Form::kDirectRadioId, ControlKind::RadioButton, "Direct", {5, 48, 120, 10});
    b.Add(Form::kEta2LabelId, ControlKind::Label, "", {15, 62, 135, 10});
    b.Add(Form::kFieldIds[special::kEta2], ControlKind::Edit, "", {152, 60, 53, 12}, kAlignRight);
    b.Add(kNoControlId, ControlKind::Label, "Effect size f", {5, 80, 120, 10});
    b.Add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {152, 78, 53, 12},
          kAlignRight | kReadOnly);
    b.AddButtons(96);
    return b.t;
}

platform::DialogTemplate SelectorForm() {
    TemplateBuilder b;
    b.t.id = 189;
    b.t.width = kPanelWidth;
    b.t.height = 34;
    b.Add(kNoControlId, ControlKind::GroupBox, "Select procedure", {5, 2, kPanelWidth - 10, 29});
    b.Add(CEff_SelectAnovaOmniSpecial::kMethodListId, ControlKind::DropDownList, "",
          {12, 13, kPanelWidth - 24, 40}, kStyleNone,
          {selector::kEntries[0], selector::kEntries[1]});
    return b.t;
}

// The main window's whole-number input `id`, when it shows one.
std::optional<long> MainWhole(PanelHost* host, int id) {
    Property* shown = host ? host->FindParameter(ParameterNames[id]) : nullptr;
    double value = 0.0;
    if (!shown || !effectsize::ReadPanelNumber(shown->text, &value)) return std::nullopt;
    return static_cast<long>(std::trunc(value));
}

// The form's edit of an edit field of the omnibus inputs.
int OmnibusEditId(int field) {
    switch (field) {
        case omni::kGroupCount:
            return CEff_F_Anova_Omni::kGroupCountId;
        case omni::kSigma:
            return CEff_F_Anova_Omni::kSigmaId;
        default:
            return CEff_F_Anova_Omni::kEqualNId;
    }
}

}  // namespace

// --- One-way ANOVA, omnibus ----------------------------------------------

CEff_F_Anova_Omni::CEff_F_Anova_Omni(PanelHost* host) : CEffectSizePanel(OmnibusForm(), host) {}

void CEff_F_Anova_Omni::OnInitialUpdate() {
    SetDlgItemLabel(kSigmaLabelId, "SD $\\sigma$ within each group");
    if (QWidget* spin = Control(kSpinId)) {
        // Two arrow buttons stacked in the spin's place step the count.
        auto* column = new QVBoxLayout(spin);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        for (const int step : {1, -1}) {
            auto* arrow = new QToolButton(spin);
            arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
            arrow->setFocusPolicy(Qt::NoFocus);
            arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            arrow->setObjectName(step > 0 ? QStringLiteral("up") : QStringLiteral("down"));
            connect(arrow, &QToolButton::clicked, this, [this, step] { StepGroupCount(step); });
            column->addWidget(arrow);
        }
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

omni::Inputs CEff_F_Anova_Omni::Inputs() const {
    omni::Inputs inputs = model_;
    inputs.text[omni::kGroupCount] = GetDlgItemString(kGroupCountId);
    inputs.text[omni::kSigma] = GetDlgItemString(kSigmaId);
    inputs.text[omni::kEqualN] = GetDlgItemString(kEqualNId);
    if (grid_) ReadGroupTable(grid_, model_.groups, &inputs.table);
    return inputs;
}

void CEff_F_Anova_Omni::ShowInputs(const omni::Inputs& inputs) {
    model_ = inputs;
    SetDlgItemString(kGroupCountId, inputs.text[omni::kGroupCount]);
    SetDlgItemString(kSigmaId, inputs.text[omni::kSigma]);
    SetDlgItemString(kEqualNId, inputs.text[omni::kEqualN]);
    RebuildGrid();
    ShowTotal(omni::TotalN(model_));
}

void CEff_F_Anova_Omni::RebuildGrid() {
    if (grid_) FillGroupTable(grid_, model_.table, model_.groups, cellFont_);
    MarkResultUnknown();
}

void CEff_F_Anova_Omni::ShowTotal(long total) {
    SetDlgItemLong(kTotalId, total);
}

bool CEff_F_Anova_Omni::ApplyGroupCount() {
    const omni::Inputs inputs = Inputs();
    const std::optional<int> count = omni::TypedGroupCount(inputs);
    if (!count) {
        ShowFieldError(kGroupCountId, omni::kGroupCountMessage);
        return false;
    }
    model_ = inputs;
    omni::SetGroupCount(&model_, *count);
    RebuildGrid();
    ShowTotal(omni::TotalN(model_));
    return true;
}

void CEff_F_Anova_Omni::StepGroupCount(int step) {
    const std::optional<int> typed = omni::TypedGroupCount(Inputs());
    const int count =
        std::clamp(typed.value_or(model_.groups) + step, omni::kMinGroups, omni::kMaxGroups);
    SetDlgItemString(kGroupCountId, std::to_string(count));
    ApplyGroupCount();
}

long CEff_F_Anova_Omni::OnGridNotify(const GridNotify& note) {
    if (note.code == kNotifyEndLabelEdit) {
        model_ = Inputs();
        ShowTotal(omni::TotalN(model_));
        MarkResultUnknown();
    }
    return 0;
}

void CEff_F_Anova_Omni::SetUpFromMainWindow(std::optional<long> groups, std::optional<long> total) {
    omni::Inputs inputs = Inputs();
    omni::SetUpFromMainWindow(&inputs, groups, total);
    // Sizes the user typed stay; a first opening shows the equal size.
    if (!restored_ && groups && total) omni::ApplyEqualN(&inputs);
    ShowInputs(inputs);
}

void CEff_F_Anova_Omni::OnControlEvent(int id, platform::ControlEvent event) {
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

void CEff_F_Anova_Omni::ShowError(const effectsize::FieldError& error) {
    int group = 0;
    bool sizeColumn = false;
    if (!omni::CellOf(error.field, &group, &sizeColumn)) {
        ShowFieldError(OmnibusEditId(error.field), error.message);
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

bool CEff_F_Anova_Omni::CalculateEffectSize(double* effect) {
    // A count typed without Enter takes effect first, so that the table
    // shows the groups the effect size is computed from.
    const std::optional<int> typed = omni::TypedGroupCount(Inputs());
    if (!typed) {
        ShowError({omni::kGroupCount, omni::kGroupCountMessage});
        return false;
    }
    if (*typed != model_.groups && !ApplyGroupCount()) return false;
    const omni::Inputs inputs = Inputs();
    if (const auto error = omni::Check(inputs)) {
        ShowError(*error);
        return false;
    }
    model_ = inputs;
    last_ = omni::Compute(inputs);
    RebuildGrid();
    ShowTotal(last_.totalN);
    *effect = last_.f;
    return true;
}

effectsize::TransferPlan CEff_F_Anova_Omni::PlanTransfer(double effect) {
    omni::TestContext context;
    context.groups = MainWhole(Host(), kNumberOfGroupsId);
    context.total = MainWhole(Host(), kTotalSampleSizeId);
    omni::Result result = last_;
    result.f = effect;
    return omni::PlanTransfer(result, model_.groups, context);
}

bool CEff_F_Anova_Omni::SaveInputs(PropertyList* store) {
    omni::Save(Inputs(), store);
    return true;
}

bool CEff_F_Anova_Omni::RestoreInputs(PropertyList* store) {
    omni::Inputs inputs = Inputs();
    omni::Restore(store, &inputs);
    ShowInputs(inputs);
    restored_ = true;
    return true;
}

// --- ANOVA special effects -------------------------------------------------

CEff_F_Anova_Special::CEff_F_Anova_Special(PanelHost* host)
    : CEffectSizePanel(SpecialForm(), host) {}

void CEff_F_Anova_Special::OnInitialUpdate() {
    SetDlgItemLabel(kEta2LabelId, "Partial $\\eta$$^2$");
    ShowInputs(special::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

special::Inputs CEff_F_Anova_Special::Inputs() const {
    special::Inputs inputs;
    for (int field = 0; field < special::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    inputs.mode = std::max(0, RadioIndex(kFromVariancesRadioId));
    inputs.varianceType = varianceType_;
    return inputs;
}

void CEff_F_Anova_Special::ShowInputs(const special::Inputs& inputs) {
    for (int field = 0; field < special::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    SetVarianceType(inputs.varianceType);
    SetRadioIndex(kFromVariancesRadioId, inputs.mode);
    ApplyMode(inputs.mode);
}

void CEff_F_Anova_Special::SetVarianceType(int type) {
    varianceType_ = type;
    SetDlgItemString(kVarianceLabelId, special::VarianceLabel(type));
}

void CEff_F_Anova_Special::ApplyMode(int mode) {
    const bool direct = mode == special::kDirect;
    for (const int id : {kEffectVarianceLabelId, kVarianceLabelId,
                         kFieldIds[special::kEffectVariance], kFieldIds[special::kErrorVariance]}) {
        if (QWidget* control = Control(id)) control->setEnabled(!direct);
    }
    // Partial eta squared is shown in both modes; it is typed only in "Direct".
    if (QLineEdit* eta2 = Edit(kFieldIds[special::kEta2])) eta2->setReadOnly(!direct);
    MarkResultUnknown();
}

void CEff_F_Anova_Special::SetUpAfterOpening(int testId) {
    if (testId == kManovaRepeatedWithinTestId || testId == kManovaRepeatedInteractionTestId)
        SetVarianceType(1);
}

void CEff_F_Anova_Special::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked &&
        (id == kFromVariancesRadioId || id == kDirectRadioId)) {
        ApplyMode(id == kDirectRadioId ? special::kDirect : special::kFromVariances);
        return;
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_F_Anova_Special::CalculateEffectSize(double* effect) {
    const special::Inputs inputs = Inputs();
    if (const auto error = special::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    const special::Result result = special::Compute(inputs);
    if (inputs.mode == special::kFromVariances)
        SetDlgItemDouble(kFieldIds[special::kEta2], result.eta2, "%.7g");
    *effect = result.f;
    return true;
}

bool CEff_F_Anova_Special::SaveInputs(PropertyList* store) {
    special::Save(Inputs(), store);
    return true;
}

bool CEff_F_Anova_Special::RestoreInputs(PropertyList* store) {
    special::Inputs inputs = Inputs();
    special::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

// --- The procedure selector -------------------------------------------------

CEff_SelectAnovaOmniSpecial::CEff_SelectAnovaOmniSpecial(PanelHost* host)
    : CEffectSizePanel(SelectorForm(), host) {}

void CEff_SelectAnovaOmniSpecial::OnInitialUpdate() {
    if (QComboBox* list = List(kMethodListId)) list->setCurrentIndex(method_);
    CEffectSizePanel::OnInitialUpdate();
}

void CEff_SelectAnovaOmniSpecial::AttachPanels(CFormViewEx** panels) {
    if (panels && panels[0] && panels[1]) subPanel_ = panels[1];
}

bool CEff_SelectAnovaOmniSpecial::SaveInputs(PropertyList* store) {
    if (QComboBox* list = List(kMethodListId)) method_ = std::max(0, list->currentIndex());
    SetNamedLong(store, selector::kMethodKey, method_);
    if (subPanel_) subPanel_->SaveInputs(store);
    return true;
}

bool CEff_SelectAnovaOmniSpecial::RestoreInputs(PropertyList* store) {
    long method = method_;
    GetNamedLong(store, selector::kMethodKey, &method);
    const int chosen =
        method == selector::kFromVariance ? selector::kFromVariance : selector::kFromMeans;
    if (chosen != method_) ReplaceSubPanel(chosen);
    if (subPanel_) subPanel_->RestoreInputs(store);
    if (QComboBox* list = List(kMethodListId)) list->setCurrentIndex(method_);
    return true;
}

bool CEff_SelectAnovaOmniSpecial::ReplaceSubPanel(int method) {
    if (!Host()) return false;
    CFormViewEx* panel = method == selector::kFromVariance
                             ? static_cast<CFormViewEx*>(new CEff_F_Anova_Special(Host()))
                             : static_cast<CFormViewEx*>(new CEff_F_Anova_Omni(Host()));
    CFormViewEx* placed = Host()->ReplaceDrawerPane(1, panel);
    if (!placed) return false;
    subPanel_ = placed;
    method_ = method;
    return true;
}

void CEff_SelectAnovaOmniSpecial::SetUpAfterOpening(int testId) {
    if (testId == kAnovaGlobalTestId || testId == kManovaRepeatedBetweenTestId) varianceType_ = 1;
    SetUp();
}

void CEff_SelectAnovaOmniSpecial::SetUp() {
    if (auto* means = dynamic_cast<CEff_F_Anova_Omni*>(subPanel_.data())) {
        means->SetUpFromMainWindow(MainWhole(Host(), kNumberOfGroupsId),
                                   MainWhole(Host(), kTotalSampleSizeId));
    } else if (auto* variance = dynamic_cast<CEff_F_Anova_Special*>(subPanel_.data())) {
        if (varianceType_ == 1) variance->SetVarianceType(1);
    }
}

void CEff_SelectAnovaOmniSpecial::OnControlEvent(int id, platform::ControlEvent event) {
    if (id != kMethodListId || event != platform::ControlEvent::SelectionChanged) {
        CEffectSizePanel::OnControlEvent(id, event);
        return;
    }
    QComboBox* list = List(kMethodListId);
    const int chosen = list ? list->currentIndex() : method_;
    if (chosen == method_ || chosen < 0) return;
    // The procedure shown so far keeps its inputs for the way back.
    PropertyList* store = Host() ? Host()->GetCurrentInputStore() : nullptr;
    if (store && subPanel_) subPanel_->SaveInputs(store);
    if (!ReplaceSubPanel(chosen)) {
        list->setCurrentIndex(method_);
        return;
    }
    if (store) subPanel_->RestoreInputs(store);
    SetUp();
}
