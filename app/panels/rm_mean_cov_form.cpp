#include "app/panels/rm_mean_cov_form.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <memory>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/matrix/matrix_in_dialogs.h"
#include "effectsize/design_counts.h"
#include "effectsize/rm_selectors.h"
#include "numerics/matrix.h"
#include "power/f/power_f_multivariate.h"
#include "power/multivariate/power_mult_criterion.h"

namespace mc = effectsize::rm_mean_cov;

namespace {

using platform::ControlKind;
using platform::kAlignRight;
using platform::kNoControlId;
using platform::kReadOnly;
using platform::kStyleNone;

constexpr int kWidth = 210;
constexpr int kMaxCount = 50;

platform::DialogTemplate MeanCovForm() {
    using Form = CEff_F_RMM_MeanCov;
    platform::DialogTemplate t;
    t.id = 206;
    t.width = kWidth;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    add(kNoControlId, ControlKind::Label, "Number of measurements", {5, 6, 120, 10});
    add(Form::kMeasurementsId, ControlKind::Edit, "", {130, 4, 75, 12}, kAlignRight);
    add(kNoControlId, ControlKind::Label, "Number of groups", {5, 20, 120, 10});
    add(Form::kGroupsId, ControlKind::Edit, "", {130, 18, 75, 12}, kAlignRight);
    add(kNoControlId, ControlKind::GroupBox, "Input method: Means and ...", {5, 34, 200, 64});
    add(Form::kCovarianceRadioId, ControlKind::RadioButton, "variance-covariance matrix",
        {12, 46, 180, 10}, platform::kGroup);
    add(1041, ControlKind::RadioButton, "SD and correlation matrix", {12, 58, 180, 10});
    add(1040, ControlKind::RadioButton, "SD and correlation pattern", {12, 70, 180, 10});
    add(1106, ControlKind::Label, "Corr", {22, 84, 30, 10});
    add(Form::kCorrId, ControlKind::Edit, "", {55, 82, 50, 12}, kAlignRight);
    add(Form::kAutocorrId, ControlKind::CheckBox, "1st autocorr.", {115, 83, 85, 10});
    add(Form::kEditMatricesId, ControlKind::PushButton, "Specify/Edit matrices", {5, 102, 200, 14});
    add(Form::kTotalLabelId, ControlKind::Label, "Total sample size", {5, 124, 120, 10});
    add(Form::kTotalId, ControlKind::Edit, "", {130, 122, 75, 12}, kAlignRight);
    add(Form::kCriterionLabelId, ControlKind::Label, "Criterion", {5, 138, 120, 10});
    add(Form::kCriterionValueId, ControlKind::Edit, "", {130, 136, 75, 12},
        kAlignRight | kReadOnly);
    add(Form::kEffectLabelId, ControlKind::Label, "Effect size f", {5, 152, 120, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {130, 150, 75, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 168, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close",
        {kWidth - 65, 168, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 184, kWidth - 10, 14});
    t.height = 202;
    return t;
}

// The criterion the current test's options choose; -1 for none.
int TestCriterionId(PanelHost* host) {
    return ChosenCriterion(host ? host->CurrentTest() : nullptr);
}

std::optional<long> MainCount(PanelHost* host, int id) {
    Property* shown = host ? host->FindParameter(ParameterNames[id]) : nullptr;
    return shown ? effectsize::WholeOf(shown->text) : std::nullopt;
}

// A table's values into a record whose cells show them with "%lg".
void ToRecord(const mc::Table& table, LabeledMatrix* m) {
    const int rows = static_cast<int>(table.size());
    const int cols = rows > 0 ? static_cast<int>(table[0].size()) : 0;
    m->values.resize(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) m->values(i, j) = table[i][j];
    m->cells.Resize(rows, cols);
    m->FormatCells();
}

void FromRecord(LabeledMatrix& m, mc::Table* table) {
    m.EvaluateCells();
    table->assign(m.values.extent(0), std::vector<double>(m.values.extent(1), 0.0));
    for (int i = 0; i < m.values.extent(0); ++i)
        for (int j = 0; j < m.values.extent(1); ++j) (*table)[i][j] = m.values(i, j);
}

// The covariance record re-expressed for another input method: covariances
// for 0, SDs with correlations for 1 and 2. A matrix that cannot be
// converted (a variance not above 0) stays as it is.
void ConvertCovariance(mc::Inputs* model, int method) {
    const bool wasCov = model->inputMethod == mc::kCovariance;
    const bool toCov = method == mc::kCovariance;
    model->inputMethod = method;
    if (wasCov == toCov) return;
    const int m = static_cast<int>(model->covariance.size());
    Matrix values(m, m);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j) values(i, j) = model->covariance[i][j];
    if (!(toCov ? SdCorrToCovariance(values) : CovarianceToSdCorr(values))) return;
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j) model->covariance[i][j] = values(i, j);
}

std::string Key(const std::string& prefix, const std::string& rest) {
    return prefix + rest;
}

}  // namespace

CEff_F_RMM_MeanCov::CEff_F_RMM_MeanCov(PanelHost* host, int variant, const char* prefix)
    : CEffectSizePanel(MeanCovForm(), host), prefix_(prefix) {
    model_.variant = variant;
    model_.inputMethod = mc::kSdPattern;
    Reshape(3, 2);
}

int CEff_F_RMM_MeanCov::CriterionId() const {
    const int id = TestCriterionId(Host());
    return id >= 0 ? id : 107;
}

void CEff_F_RMM_MeanCov::Reshape(int groups, int measurements) {
    // What fits stays; new groups get means 0 and weight 1, new measurements
    // a variance 1 and no correlation.
    model_.means.resize(groups);
    for (auto& row : model_.means) row.resize(measurements, 0.0);
    model_.weights.resize(groups, 1.0);
    const int old = static_cast<int>(model_.covariance.size());
    model_.covariance.resize(measurements);
    for (int i = 0; i < measurements; ++i) {
        model_.covariance[i].resize(measurements, 0.0);
        if (i >= old) model_.covariance[i][i] = 1.0;
    }
}

void CEff_F_RMM_MeanCov::ShowCounts() {
    SetDlgItemLong(kGroupsId, static_cast<long>(model_.means.size()));
    SetDlgItemLong(kMeasurementsId, static_cast<long>(model_.covariance.size()));
}

bool CEff_F_RMM_MeanCov::ReadCounts() {
    const auto m = effectsize::ReadCount(GetDlgItemString(kMeasurementsId), 1, kMaxCount);
    if (!m) {
        ShowFieldError(kMeasurementsId, "The number of measurements must lie in the range [1, 50]");
        return false;
    }
    const auto g = effectsize::ReadCount(GetDlgItemString(kGroupsId), 1, kMaxCount);
    if (!g) {
        ShowFieldError(kGroupsId, "The number of groups must lie in the range [1, 50]");
        return false;
    }
    Reshape(static_cast<int>(*g), static_cast<int>(*m));
    return true;
}

void CEff_F_RMM_MeanCov::OnInitialUpdate() {
    ShowCounts();
    SetRadioIndex(kCovarianceRadioId, model_.inputMethod);
    SetDlgItemString(kCorrId, "0.6");
    SetDlgItemLong(kTotalId, 100);
    for (const int id : {kCorrId, kAutocorrId})
        if (QWidget* c = Control(id)) c->setEnabled(model_.inputMethod == mc::kSdPattern);
    CEffectSizePanel::OnInitialUpdate();
}

void CEff_F_RMM_MeanCov::SetUpAfterOpening(int testId) {
    model_.variant = effectsize::rm_selectors::VariantOf(testId);
    if (const std::unique_ptr<PowerMultCriterion> criterion{
            NewCriterion(TestCriterionId(Host()))}) {
        SetDlgItemLabel(kEffectLabelId, ParameterNames[CriterionFParamId(*criterion)]);
        SetDlgItemLabel(kCriterionLabelId, criterion->GetShortName());
    }
    const auto m = MainCount(Host(), kNumberOfMeasurementsId);
    const auto g = MainCount(Host(), kNumberOfGroupsId);
    Reshape(g && *g >= 1 && *g <= kMaxCount ? static_cast<int>(*g)
                                            : static_cast<int>(model_.means.size()),
            m && *m >= 1 && *m <= kMaxCount ? static_cast<int>(*m)
                                            : static_cast<int>(model_.covariance.size()));
    ShowCounts();
    usesN_ = effectsize::rm_selectors::MeanCovUsesN(model_.variant, CriterionId());
    for (const int id : {kTotalLabelId, kTotalId})
        if (QWidget* c = Control(id)) c->setVisible(usesN_);
    CloseUpHiddenRows();
    if (usesN_) {
        if (const auto n = MainCount(Host(), kTotalSampleSizeId)) SetDlgItemLong(kTotalId, *n);
    } else {
        SetDlgItemLong(kTotalId, 100);
    }
    MarkResultUnknown();
}

void CEff_F_RMM_MeanCov::EditMatrices() {
    if (!ReadCounts()) return;
    MeansCovarianceInput input;
    input.responses = static_cast<int>(model_.covariance.size());
    input.groups = static_cast<int>(model_.means.size());
    input.mode = RadioIndex(kCovarianceRadioId);
    double corr = 0.0;
    effectsize::ReadPanelNumber(GetDlgItemString(kCorrId), &corr);
    input.patternValue = corr;
    const QAbstractButton* autocorr = Button(kAutocorrId);
    input.firstOrderAutocorr = autocorr && autocorr->isChecked();
    input.setPattern = input.mode == mc::kSdPattern;
    if (input.setPattern)
        mc::BuildCorrelationPattern(&model_.covariance, corr, input.firstOrderAutocorr);
    ToRecord(model_.means, &input.means);
    ToRecord(model_.covariance, &input.covariance);
    mc::Table weights;
    for (double w : model_.weights) weights.push_back({w});
    ToRecord(weights, &input.weights);
    if (!OpenRepeatedMeansCovarianceDialog(Host(), window(), &input)) return;
    FromRecord(input.means, &model_.means);
    FromRecord(input.covariance, &model_.covariance);
    FromRecord(input.weights, &weights);
    model_.weights.clear();
    for (const auto& row : weights) model_.weights.push_back(row.empty() ? 1.0 : row[0]);
    model_.inputMethod = input.mode;
    ShowCounts();
    SetRadioIndex(kCovarianceRadioId, input.mode);
    SetDlgItemDouble(kCorrId, input.patternValue, "%lg");
    if (QAbstractButton* box = Button(kAutocorrId)) box->setChecked(input.firstOrderAutocorr);
    MarkResultUnknown();
}

void CEff_F_RMM_MeanCov::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked && id == kEditMatricesId) {
        EditMatrices();
        return;
    }
    if (event == platform::ControlEvent::Clicked &&
        (id == kCovarianceRadioId || id == 1041 || id == 1040)) {
        const int method = RadioIndex(kCovarianceRadioId);
        ConvertCovariance(&model_, method);
        for (const int c : {kCorrId, kAutocorrId})
            if (QWidget* w = Control(c)) w->setEnabled(method == mc::kSdPattern);
        MarkResultUnknown();
        return;
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_F_RMM_MeanCov::CalculateEffectSize(double* effect) {
    if (!ReadCounts()) return false;
    mc::Inputs inputs = model_;
    inputs.inputMethod = RadioIndex(kCovarianceRadioId);
    // The pattern is built from the typed correlation of method 2 only; a
    // typed covariance or correlation matrix is never overwritten by it.
    if (inputs.inputMethod == mc::kSdPattern) {
        double corr = 0.0;
        if (!effectsize::ReadPanelNumber(GetDlgItemString(kCorrId), &corr) ||
            !(-1.0 <= corr && corr <= 1.0)) {
            ShowFieldError(kCorrId, "The correlation must lie in the range [-1, 1]");
            return false;
        }
        const QAbstractButton* autocorr = Button(kAutocorrId);
        mc::BuildCorrelationPattern(&inputs.covariance, corr, autocorr && autocorr->isChecked());
    }
    const auto n = effectsize::ReadCount(GetDlgItemString(kTotalId), 2, 100000000);
    if (usesN_ && !n) {
        ShowFieldError(kTotalId, "The total sample size must be a whole number of at least 2");
        return false;
    }
    inputs.n = usesN_ ? static_cast<double>(*n) : 100.0;
    inputs.criterionId = CriterionId();
    const mc::Result result = mc::Compute(inputs);
    if (result.error) {
        ShowFieldError(kEditMatricesId, *result.error);
        return false;
    }
    model_ = inputs;
    SetDlgItemDouble(kCriterionValueId, result.criterionValue, "%.7g");
    *effect = result.f;
    return true;
}

effectsize::TransferPlan CEff_F_RMM_MeanCov::PlanTransfer(double effect) {
    effectsize::TransferPlan plan;
    auto write = [&](int id, double value) {
        if (Host() && Host()->FindParameter(ParameterNames[id]))
            plan.writes.push_back({ParameterNames[id], value, -1.0, {}});
    };
    write(kNumberOfMeasurementsId, static_cast<double>(model_.covariance.size()));
    write(kNumberOfGroupsId, static_cast<double>(model_.means.size()));
    if (usesN_) write(kTotalSampleSizeId, model_.n);
    plan.effectSize = effect;
    return plan;
}

bool CEff_F_RMM_MeanCov::SaveInputs(PropertyList* store) {
    if (!store) return true;
    ReadCounts();
    const int g = static_cast<int>(model_.means.size());
    const int m = static_cast<int>(model_.covariance.size());
    SetNamedLong(store, Key(prefix_, "_inmode").c_str(), RadioIndex(kCovarianceRadioId));
    const QAbstractButton* autocorr = Button(kAutocorrId);
    SetNamedLong(store, Key(prefix_, "_autocorr").c_str(), autocorr && autocorr->isChecked());
    effectsize::SaveNumberField(store, Key(prefix_, "_corrval").c_str(), GetDlgItemString(kCorrId));
    SetNamedLong(store, Key(prefix_, "_nresvar").c_str(), m);
    SetNamedLong(store, Key(prefix_, "_ngroups").c_str(), g);
    for (int i = 0; i < g; ++i) {
        SetNamedDouble(store, Key(prefix_, "_w_" + std::to_string(i)).c_str(), model_.weights[i]);
        for (int j = 0; j < m; ++j)
            SetNamedDouble(
                store, Key(prefix_, "_m_" + std::to_string(i) + "_" + std::to_string(j)).c_str(),
                model_.means[i][j]);
    }
    for (int i = 0; i < m; ++i)
        for (int j = i; j < m; ++j)
            SetNamedDouble(
                store, Key(prefix_, "_s_" + std::to_string(i) + "_" + std::to_string(j)).c_str(),
                model_.covariance[i][j]);
    return true;
}

bool CEff_F_RMM_MeanCov::RestoreInputs(PropertyList* store) {
    long method = 0;
    if (!store || !GetNamedLong(store, Key(prefix_, "_inmode").c_str(), &method)) return false;
    long autocorr = 0, m = static_cast<long>(model_.covariance.size()),
         g = static_cast<long>(model_.means.size());
    GetNamedLong(store, Key(prefix_, "_autocorr").c_str(), &autocorr);
    GetNamedLong(store, Key(prefix_, "_nresvar").c_str(), &m);
    GetNamedLong(store, Key(prefix_, "_ngroups").c_str(), &g);
    if (!(1 <= m && m <= kMaxCount && 1 <= g && g <= kMaxCount)) return false;
    Reshape(static_cast<int>(g), static_cast<int>(m));
    for (int i = 0; i < g; ++i) {
        GetNamedDouble(store, Key(prefix_, "_w_" + std::to_string(i)).c_str(), &model_.weights[i]);
        for (int j = 0; j < m; ++j)
            GetNamedDouble(
                store, Key(prefix_, "_m_" + std::to_string(i) + "_" + std::to_string(j)).c_str(),
                &model_.means[i][j]);
    }
    for (int i = 0; i < m; ++i)
        for (int j = i; j < m; ++j) {
            GetNamedDouble(
                store, Key(prefix_, "_s_" + std::to_string(i) + "_" + std::to_string(j)).c_str(),
                &model_.covariance[i][j]);
            model_.covariance[j][i] = model_.covariance[i][j];
        }
    std::string corr;
    if (effectsize::RestoreNumberField(store, Key(prefix_, "_corrval").c_str(), &corr))
        SetDlgItemString(kCorrId, corr);
    model_.inputMethod = static_cast<int>(method);
    SetRadioIndex(kCovarianceRadioId, model_.inputMethod);
    if (QAbstractButton* box = Button(kAutocorrId)) box->setChecked(autocorr != 0);
    for (const int id : {kCorrId, kAutocorrId})
        if (QWidget* c = Control(id)) c->setEnabled(model_.inputMethod == mc::kSdPattern);
    ShowCounts();
    return true;
}
