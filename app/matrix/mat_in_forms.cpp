#include "app/matrix/mat_in_forms.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <cmath>

#include "app/widgets/spin_buttons.h"
#include "platform/dialogs.h"

using platform::ControlKind;

namespace {

void AddControl(platform::DialogTemplate& t, int id, ControlKind kind, const char* caption,
                platform::DialogRect rect, unsigned style = platform::kStyleNone,
                std::vector<std::string> items = {}) {
    t.controls.push_back(platform::ControlSpec{id, kind, caption, rect, style, std::move(items)});
}

platform::DialogTemplate FormTable(int id) {
    platform::DialogTemplate t;
    t.id = id;
    t.width = 300;
    t.height = 180;
    return t;
}

void AddPlaceholder(platform::DialogTemplate& t) {
    AddControl(t, CMatInForm::kPlaceholderId, ControlKind::Area, "", {5, 22, 290, 153});
}

// One count: its label, its edit and the area of its spin.
void AddCount(platform::DialogTemplate& t, int x, int labelWidth, const char* label, int editId,
              int spinId) {
    AddControl(t, platform::kNoControlId, ControlKind::Label, label, {x, 7, labelWidth, 8});
    AddControl(t, editId, ControlKind::Edit, "", {x + labelWidth + 1, 5, 24, 12});
    AddControl(t, spinId, ControlKind::Area, "", {x + labelWidth + 25, 5, 9, 12});
}

}  // namespace

platform::DialogTemplate MatInMeansTemplate() {
    platform::DialogTemplate t = FormTable(196);
    AddCount(t, 5, 52, "Responses Y: ", CMatInMeans::kCountEdit, CMatInMeans::kCountSpin);
    AddPlaceholder(t);
    return t;
}

platform::DialogTemplate MatInPredYCorrTemplate() {
    platform::DialogTemplate t = FormTable(239);
    AddCount(t, 5, 82, "Number of predictors: ", CMatInPredYCorr::kCountEdit,
             CMatInPredYCorr::kCountSpin);
    AddPlaceholder(t);
    return t;
}

platform::DialogTemplate MatInRMMMeansTemplate() {
    platform::DialogTemplate t = FormTable(208);
    AddCount(t, 5, 32, "Groups: ", CMatInRMMMeans::kGroupsEdit, CMatInRMMMeans::kGroupsSpin);
    AddCount(t, 80, 106, "Number of measurements Y: ", CMatInRMMMeans::kMeasurementsEdit,
             CMatInRMMMeans::kMeasurementsSpin);
    AddPlaceholder(t);
    return t;
}

platform::DialogTemplate MatInCorrTemplate() {
    platform::DialogTemplate t = FormTable(238);
    // Carried for its id; the form never reads it.
    AddControl(t, CMatInCorr::kUnusedEdit, ControlKind::Edit, "", {5, 5, 24, 12},
               platform::kHidden);
    AddPlaceholder(t);
    return t;
}

platform::DialogTemplate MatInSigmaTemplate(int id) {
    platform::DialogTemplate t = FormTable(id);
    AddControl(t, CMatInSigmaForm::kModeList, ControlKind::DropDownList, "", {5, 5, 86, 40},
               platform::kStyleNone, {"Covariances", "SD and Correlation"});
    AddControl(t, CMatInSigmaForm::kSetPatternCheck, ControlKind::CheckBox, "set pattern",
               {98, 6, 54, 10});
    AddControl(t, CMatInSigmaForm::kPatternLabel, ControlKind::Label, "Corr.", {156, 7, 22, 8});
    AddControl(t, CMatInSigmaForm::kPatternEdit, ControlKind::Edit, "", {178, 5, 34, 12});
    AddControl(t, CMatInSigmaForm::kAutocorrCheck, ControlKind::CheckBox, "1st autocorr",
               {218, 6, 62, 10});
    AddPlaceholder(t);
    return t;
}

// ------------------------------------------------------------- base form

void CMatInForm::FitToParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    const QRect area = parent->rect();
    setGeometry(area);
    if (QWidget* frame = Control(kPlaceholderId)) {
        const int top = frame->geometry().top();
        frame->setGeometry(
            QRect(QPoint(area.left() + 5, top), QPoint(area.right() - 5, area.bottom() - 5)));
    }
    if (CMatrixView* view = View()) view->FitToParent();
    update();
}

void CMatInForm::CreateView(CMatrixView* view) {
    QWidget* frame = Control(kPlaceholderId);
    if (!frame) return;
    view->Create(frame, QPoint(0, 0), kFormVisible);
    view->FitToParent();
}

SpinButtons* CMatInForm::MakeSpin(int editId, int areaId) {
    auto* spin = new SpinButtons(Edit(editId), 1, 50, Control(areaId));
    spin->setGeometry(spin->parentWidget()->rect());
    return spin;
}

int CMatInForm::ReadCount(int editId) const {
    bool ok = false;
    const int value = ControlText(editId).trimmed().toInt(&ok);
    return ok && 1 <= value && value <= 50 ? value : -1;
}

// ------------------------------------------------------------ means form

CMatInMeans::CMatInMeans() : CMatInForm(MatInMeansTemplate()) {}

void CMatInMeans::OnInitialUpdate() {
    responseCount = committedResponseCount;
    spin_ = MakeSpin(kCountEdit, kCountSpin);
    spin_->SetOnStep([this] { CountEdited(); });
    view_ = new CMatInMeansView;
    view_->Bind(means, groupCount, committedResponseCount);
    CreateView(view_);
    FitToParent();
    SetControlText(kCountEdit, QString::number(responseCount));
}

void CMatInMeans::OnControlEvent(int id, platform::ControlEvent event) {
    if (id == kCountEdit && event == platform::ControlEvent::TextEdited) CountEdited();
}

void CMatInMeans::CountEdited() {
    const int count = ReadCount(kCountEdit);
    // A count being typed (empty, or out of 1 .. 50) leaves the grids alone.
    if (count < 0 || !view_) return;
    responseCount = committedResponseCount = count;
    view_->SetResponseCount(count);
    if (partner && partner->SigmaView()) partner->SigmaView()->SetVariableLabels(*view_);
}

// ------------------------------------------------ predictor-outcome form

CMatInPredYCorr::CMatInPredYCorr() : CMatInForm(MatInPredYCorrTemplate()) {}

void CMatInPredYCorr::OnInitialUpdate() {
    predictorCount = committedPredictorCount;
    spin_ = MakeSpin(kCountEdit, kCountSpin);
    spin_->SetOnStep([this] { CountEdited(); });
    view_ = new CMatInPredYCorrView;
    view_->Bind(correlations, committedPredictorCount);
    CreateView(view_);
    FitToParent();
    SetControlText(kCountEdit, QString::number(predictorCount));
}

void CMatInPredYCorr::OnControlEvent(int id, platform::ControlEvent event) {
    if (id == kCountEdit && event == platform::ControlEvent::TextEdited) CountEdited();
}

void CMatInPredYCorr::CountEdited() {
    const int count = ReadCount(kCountEdit);
    if (count < 0 || !view_) return;
    predictorCount = committedPredictorCount = count;
    view_->SetPredictorCount(count);
    if (partner && partner->CorrView()) partner->CorrView()->SetPredictorLabels(*view_);
}

// ---------------------------------------------- repeated-measures means

CMatInRMMMeans::CMatInRMMMeans() : CMatInForm(MatInRMMMeansTemplate()) {}

void CMatInRMMMeans::OnInitialUpdate() {
    groupCount = committedGroupCount;
    measurementCount = committedMeasurementCount;
    groupsSpin_ = MakeSpin(kGroupsEdit, kGroupsSpin);
    groupsSpin_->SetOnStep([this] { CountsEdited(false); });
    measurementsSpin_ = MakeSpin(kMeasurementsEdit, kMeasurementsSpin);
    measurementsSpin_->SetOnStep([this] { CountsEdited(true); });
    view_ = new CMatInRMMMeansView;
    view_->Bind(means, weights, committedGroupCount, committedMeasurementCount);
    CreateView(view_);
    FitToParent();
    SetControlText(kGroupsEdit, QString::number(groupCount));
    SetControlText(kMeasurementsEdit, QString::number(measurementCount));
}

void CMatInRMMMeans::OnControlEvent(int id, platform::ControlEvent event) {
    if (event != platform::ControlEvent::TextEdited) return;
    if (id == kGroupsEdit) CountsEdited(false);
    if (id == kMeasurementsEdit) CountsEdited(true);
}

void CMatInRMMMeans::CountsEdited(bool measurementsChanged) {
    const int groups = ReadCount(kGroupsEdit), measurements = ReadCount(kMeasurementsEdit);
    if (groups < 0 || measurements < 0 || !view_) return;
    groupCount = committedGroupCount = groups;
    measurementCount = committedMeasurementCount = measurements;
    view_->Resize(groups, measurements);
    if (measurementsChanged && partner && partner->RmmSigmaView())
        partner->RmmSigmaView()->SetVariableLabels(*view_);
}

// ------------------------------------------------ predictor correlations

CMatInCorr::CMatInCorr() : CMatInForm(MatInCorrTemplate()) {}

void CMatInCorr::OnInitialUpdate() {
    view_ = new CMatInCorrView;
    view_->Bind(correlations);
    CreateView(view_);
    FitToParent();
}

// ------------------------------------------------------ covariance forms

CMatInSigma::CMatInSigma() : CMatInSigmaForm(MatInSigmaTemplate(197), false) {}
CMatInRMMSigma::CMatInRMMSigma() : CMatInSigmaForm(MatInSigmaTemplate(209), true) {}

CMatInSigmaForm::CMatInSigmaForm(const platform::DialogTemplate& dialog, bool repeatedMeasures)
    : CMatInForm(dialog), repeatedMeasures_(repeatedMeasures) {}

void CMatInSigmaForm::OnInitialUpdate() {
    if (QComboBox* list = List(kModeList)) list->setCurrentIndex(pattern.covarianceMode ? 0 : 1);
    if (QAbstractButton* check = Button(kSetPatternCheck)) check->setChecked(pattern.setPattern);
    if (QAbstractButton* check = Button(kAutocorrCheck))
        check->setChecked(pattern.firstOrderAutocorr);
    SetControlText(kPatternEdit,
                   QString::fromStdWString(FormatNumber(pattern.patternValue, L"%lf")));
    if (QLineEdit* edit = Edit(kPatternEdit)) edit->installEventFilter(this);
    ShowPatternControls();
    view_ = repeatedMeasures_ ? new CMatInRMMSigmaView : new CMatInSigmaView;
    view_->Bind(covariance, &pattern);
    CreateView(view_);
    FitToParent();
}

void CMatInSigmaForm::ShowPatternControls() {
    const bool sd = !pattern.covarianceMode;
    if (QWidget* check = Control(kSetPatternCheck)) check->setVisible(sd);
    for (int id : {kPatternEdit, kPatternLabel, kAutocorrCheck})
        if (QWidget* control = Control(id)) control->setVisible(sd && pattern.setPattern);
}

bool CMatInSigmaForm::ApplyPattern() {
    if (QAbstractButton* check = Button(kAutocorrCheck))
        pattern.firstOrderAutocorr = check->isChecked();
    if (!view_) return true;
    TextArray texts = view_->Texts();
    if (const std::optional<std::wstring> failure =
            ::ApplyPattern(texts, pattern.patternValue, pattern.firstOrderAutocorr)) {
        platform::ShowMessage(this, QString::fromStdWString(*failure), QStringLiteral("Quorix"),
                              platform::MessageIcon::Warning);
        return false;
    }
    view_->SetTexts(texts);
    return true;
}

bool CMatInSigmaForm::TakePatternValue(bool applyUnchanged) {
    const double value = ReadLeadingNumber(ControlText(kPatternEdit).toStdWString());
    if (value == pattern.patternValue && !applyUnchanged) return true;
    const double old = pattern.patternValue;
    pattern.patternValue = value;
    const bool active = pattern.setPattern && !pattern.covarianceMode;
    // "1e999" reads as an infinity: no pattern, shown or kept for the panel.
    if (!std::isfinite(value) || (active && !ApplyPattern())) {
        if (!std::isfinite(value))
            platform::ShowMessage(
                this, QStringLiteral("The pattern value Corr. must be a finite number."),
                QStringLiteral("Quorix"), platform::MessageIcon::Warning);
        pattern.patternValue = old;
        SetControlText(kPatternEdit, QString::fromStdWString(FormatNumber(old, L"%lf")));
        return false;
    }
    return true;
}

bool CMatInSigmaForm::CommitPatternValue() {
    return TakePatternValue(false);
}

bool CMatInSigmaForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == Control(kPatternEdit) &&
        pattern.setPattern && !pattern.covarianceMode)
        TakePatternValue(true);
    return CMatInForm::eventFilter(watched, event);
}

void CMatInSigmaForm::OnControlEvent(int id, platform::ControlEvent event) {
    switch (id) {
        case kSetPatternCheck:
            if (event != platform::ControlEvent::Clicked) return;
            pattern.setPattern = Button(kSetPatternCheck)->isChecked();
            ShowPatternControls();
            if (pattern.setPattern) ApplyPattern();
            return;
        case kAutocorrCheck:
            if (event == platform::ControlEvent::Clicked) ApplyPattern();
            return;
        case kModeList:
            if (event == platform::ControlEvent::SelectionChanged)
                ModeChosen(List(kModeList)->currentIndex());
            return;
        default:
            return;
    }
}

void CMatInSigmaForm::ModeChosen(int index) {
    const bool toCovariances = index == 0;
    if (!view_ || toCovariances == pattern.covarianceMode) return;
    TextArray texts = view_->Texts();
    if (const std::optional<std::wstring> failure =
            ConvertSigmaGrid(texts, toCovariances, view_->Variables())) {
        // The grid still holds the other form: the list must say so.
        List(kModeList)->setCurrentIndex(pattern.covarianceMode ? 0 : 1);
        platform::ShowMessage(this, QString::fromStdWString(*failure), QStringLiteral("Quorix"),
                              platform::MessageIcon::Warning);
        return;
    }
    texts(0, 0) = toCovariances ? L"Covariance" : L"SD and corr";
    pattern.covarianceMode = toCovariances;
    view_->SetTexts(texts);
    ShowPatternControls();
    // Back in standard deviations and correlations a chosen pattern applies again.
    if (!toCovariances && pattern.setPattern) ApplyPattern();
}
