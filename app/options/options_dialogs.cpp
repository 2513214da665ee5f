// The options dialogs of the tests: one form each, the choices the test
// keeps as fields, and the few rules by which one choice enables others or
// refills a list.

#include "app/options/options_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/options/option_codes.h"
#include "app/widgets/ui_helpers.h"
#include "platform/dialogs.h"
#include "platform/screen_fit.h"

using platform::ControlEvent;

namespace {

// The number in an edit: the whole text, blanks around it allowed, and
// finite; false for anything else.
bool ParseNumber(const QString& text, double* value) {
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty()) return false;
    char* end = nullptr;
    const double parsed = std::strtod(bytes.constData(), &end);
    if (end != bytes.constData() + bytes.size() || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

void FillList(QComboBox* list, const std::vector<option_codes::CodedEntry>& entries) {
    list->clear();
    for (const option_codes::CodedEntry& entry : entries) list->addItem(ToWideString(entry.text));
}

}  // namespace

// The form inside the dialog hands every user action to the dialog.
class COptionsDialog::FormView : public platform::DialogForm {
  public:
    FormView(const platform::DialogTemplate& form, COptionsDialog* dialog)
        : platform::DialogForm(form, dialog), dialog_(dialog) {}

  protected:
    void OnControlEvent(int id, ControlEvent event) override {
        if (id == kOptionsOk && event == ControlEvent::Clicked) {
            dialog_->OnOK();
        } else if (id == kOptionsCancel && event == ControlEvent::Clicked) {
            dialog_->reject();
        } else {
            dialog_->OnControl(id, event);
        }
    }

  private:
    COptionsDialog* dialog_;
};

COptionsDialog::COptionsDialog(QWidget* parent, const OptionsForm& form,
                               const OptionsDialogFields& fields)
    : QDialog(parent), fields_(form.defaults) {
    // The test's choices replace the defaults; what it does not name keeps
    // the form's default.
    for (const auto& [id, value] : fields.radios) fields_.radios[id] = value;
    for (const auto& [id, value] : fields.checks) fields_.checks[id] = value;
    for (const auto& [id, value] : fields.edits) fields_.edits[id] = value;
    fields_.areMode = fields.areMode;
    fields_.checkEnabled = fields.checkEnabled;
    fields_.statisticCode = fields.statisticCode;
    fields_.effectIndexCode = fields.effectIndexCode;
    fields_.testId = fields.testId;

    setWindowTitle(ToWideString(form.caption));
    setWindowIcon(QApplication::windowIcon());
    form_ = new FormView(form.form, this);
    form_->setMinimumSize(form_->size());
    // The form scrolls where the screen's free area is smaller than it.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scroller = new platform::ScreenScroller(form_, this);
    layout->addWidget(scroller);
    setFixedSize(form_->size());
    platform::FitToScreen(this, scroller);
}

COptionsDialog::~COptionsDialog() = default;

void COptionsDialog::InitDialog() {
    ShowFields();
    OnInitDialog();
}

void COptionsDialog::ShowFields() {
    for (int group : form_->RadioGroups()) form_->SetRadioIndex(group, fields_.Radio(group));
    for (const auto& [id, value] : fields_.checks) {
        if (auto* check = qobject_cast<QCheckBox*>(form_->Control(id))) check->setChecked(value);
    }
    for (const auto& [id, value] : fields_.edits) {
        if (form_->Edit(id)) form_->SetControlText(id, QString::asprintf("%.15g", value));
    }
}

void COptionsDialog::ReadChoices() {
    for (int group : form_->RadioGroups()) fields_.radios[group] = form_->RadioIndex(group);
    for (auto& [id, value] : fields_.checks) {
        if (auto* check = qobject_cast<QCheckBox*>(form_->Control(id)))
            value = check->isChecked() ? 1 : 0;
    }
}

bool COptionsDialog::ReadEdits() {
    std::map<int, double> read = fields_.edits;
    for (auto& [id, value] : read) {
        QLineEdit* edit = form_->Edit(id);
        if (!edit) continue;
        if (!ParseNumber(edit->text(), &value)) {
            platform::ShowMessage(this, QStringLiteral("Please enter a number."),
                                  QStringLiteral("Quorix"), platform::MessageIcon::Warning);
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    fields_.edits = read;
    return true;
}

void COptionsDialog::OnOK() {
    if (!ReadEdits()) return;
    ReadChoices();
    ReadOwnControls();
    accept();
}

void COptionsDialog::OnControl(int, ControlEvent) {}

void COptionsDialog::Enable(int id, bool enabled) {
    if (QWidget* control = form_->Control(id)) control->setEnabled(enabled);
}

// The binomial tests: the texts of the alpha-balancing choices hold Greek
// letters and are set when the dialog starts.
class COpt_Exact_Binomial : public COptionsDialog {
  public:
    using COptionsDialog::COptionsDialog;

  protected:
    void OnInitDialog() override {
        const std::vector<int> ids = Form()->RadioGroupIds(kAlphaBalancingGroup);
        const std::vector<std::string>& labels = option_codes::AlphaBalancingLabels();
        for (size_t i = 0; i < ids.size() && i < labels.size(); ++i)
            Form()->SetControlText(ids[i], ToDisplayLabel(labels[i]));
    }
};

// McNemar's test balances alpha as the binomial tests do.
class COpt_Exact_McNemar : public COpt_Exact_Binomial {
  public:
    using COpt_Exact_Binomial::COpt_Exact_Binomial;
};

// Fisher's exact test: the statistic follows the list's choice.
class COpt_Exact_FisherExact : public COptionsDialog {
  public:
    using COptionsDialog::COptionsDialog;

  protected:
    void OnInitDialog() override {
        QComboBox* list = Form()->List(kStatisticList);
        for (const std::string& name : option_codes::FisherStatistics())
            list->addItem(ToWideString(name));
        // A code without an entry shows the first, and OK keeps what was shown.
        if (fields_.statisticCode < 0 || fields_.statisticCode >= list->count())
            fields_.statisticCode = 0;
        list->setCurrentIndex(fields_.statisticCode);
    }
    void OnControl(int id, ControlEvent event) override {
        if (id == kStatisticList && event == ControlEvent::SelectionChanged)
            fields_.statisticCode = Form()->List(kStatisticList)->currentIndex();
    }
};

// The unconditional exact tests keep codes: the statistics offered depend
// on the test and on the effect measure, and the list is refilled whenever
// the measure changes.
class COpt_Exact_TwoProp_Unc_Ieq : public COptionsDialog {
  public:
    using COptionsDialog::COptionsDialog;

  protected:
    void OnInitDialog() override {
        const auto& measures = option_codes::EffectIndexEntries();
        QComboBox* index = Form()->List(kEffectIndexList);
        FillList(index, measures);
        const int position = option_codes::PositionOfCode(measures, fields_.effectIndexCode);
        index->setCurrentIndex(position);
        fields_.effectIndexCode = measures[static_cast<size_t>(position)].code;
        FillStatistics();
    }
    void OnControl(int id, ControlEvent event) override {
        if (event != ControlEvent::SelectionChanged) return;
        if (id == kEffectIndexList) {
            const int position = Form()->List(kEffectIndexList)->currentIndex();
            const auto& measures = option_codes::EffectIndexEntries();
            if (position < 0 || position >= static_cast<int>(measures.size())) return;
            fields_.effectIndexCode = measures[static_cast<size_t>(position)].code;
            FillStatistics();
        } else if (id == kStatisticList) {
            fields_.statisticCode =
                option_codes::UncondStatisticCodeAt(fields_.testId, fields_.effectIndexCode,
                                                    Form()->List(kStatisticList)->currentIndex());
        }
    }

  private:
    // Shows the statistic that has the current code, or the first when none
    // has it; the code then follows what is shown, so that OK never keeps a
    // statistic the list does not offer.
    void FillStatistics() {
        const auto entries =
            option_codes::UncondStatistics(fields_.testId, fields_.effectIndexCode);
        QComboBox* list = Form()->List(kStatisticList);
        FillList(list, entries);
        if (entries.empty()) {
            fields_.statisticCode = 0;
            return;
        }
        const int position = option_codes::PositionOfCode(entries, fields_.statisticCode);
        list->setCurrentIndex(position);
        fields_.statisticCode = entries[static_cast<size_t>(position)].code;
    }
};

// The repeated-measures MANOVA: the mean-correlation check is disabled
// where the test cannot use it.
class COpt_RepMMulti : public COptionsDialog {
  public:
    using COptionsDialog::COptionsDialog;

  protected:
    void OnInitDialog() override {
        ReadChoices();
        Enable(1019, fields_.checkEnabled);
    }
};

// The rank tests: two pages (A.R.E. and Lehmann's method), each chosen by
// the radio button on its frame; only the chosen page's controls are enabled.
class COpt_T_Wilcoxon : public COptionsDialog {
  public:
    using COptionsDialog::COptionsDialog;

  protected:
    void OnInitDialog() override {
        using namespace wilcoxon_form;
        Form()->JoinRadioGroup(kAreTitle, kLehmannTitle);
        // The title buttons cover their frame's line only as far as their text.
        for (int id : {kAreTitle, kLehmannTitle}) {
            QWidget* title = Form()->Control(id);
            title->setAutoFillBackground(true);
            title->resize(std::min(title->width(), title->sizeHint().width()), title->height());
        }
        Form()->SetControlText(kEffectParameter, ToDisplayLabel("d = $\\Delta$/$\\sigma$"));
        Form()->SetControlText(kEffectP1, ToDisplayLabel("p1 = Prob(X < Y)"));
        mode_ = fields_.areMode ? 1 : 0;
        UpdateControls();
    }
    void OnControl(int id, ControlEvent event) override {
        using namespace wilcoxon_form;
        if (event != ControlEvent::Clicked) return;
        if (id == kAreTitle) {
            mode_ = 1;
        } else if (id == kLehmannTitle) {
            mode_ = 0;
        } else if (id == kEffectParameter || id == kEffectP1 || id == kInputMethod ||
                   id == kManualMoments) {
            ReadChoices();
        } else {
            return;
        }
        UpdateControls();
    }
    void ReadOwnControls() override {
        fields_.areMode = mode_ == 1;
        // The page is the mode, not a field of its own.
        fields_.radios.erase(wilcoxon_form::kAreTitle);
    }

  private:
    void UpdateControls() {
        using namespace wilcoxon_form;
        Form()->SetRadioIndex(kAreTitle, mode_ == 1 ? 0 : 1);
        const option_codes::WilcoxonEnabling on = option_codes::WilcoxonEnablingFor(
            {mode_, Form()->RadioIndex(kInputMethod), Form()->RadioIndex(kEffectParameter)});
        for (int id : Form()->RadioGroupIds(kAreSource)) Enable(id, on.areChoices);
        for (int id : {kInputMethodFrame, kEffectParameterFrame, kPlotFrame, kOtherFrame,
                       kInputMethod, kManualMoments, kPlotKind, 1161, kContinuityCheck}) {
            Enable(id, on.lehmannPage);
        }
        for (int id : {kEffectParameter, kEffectP1}) Enable(id, on.effectParameter);
        Enable(kOutputCheck, on.outputCheck);
        Form()->SetControlText(kOutputCheck, ToWideString(on.outputCaption));
    }

    int mode_ = 1;
};

// The regressions: the enumeration takes a test statistic, the large-sample
// approximation a procedure and the variance correction.
class CRegressionOptions : public COptionsDialog {
  public:
    using COptionsDialog::COptionsDialog;

  protected:
    void OnInitDialog() override {
        UpdateComputation(Form()->RadioIndex(computation_form::kEnumeration));
    }
    void OnControl(int id, ControlEvent event) override {
        if (event != ControlEvent::Clicked) return;
        if (id == computation_form::kLargeSample) UpdateComputation(1);
        if (id == computation_form::kEnumeration) UpdateComputation(0);
    }

  private:
    void UpdateComputation(int computation) {
        using namespace computation_form;
        const option_codes::ComputationEnabling on =
            option_codes::ComputationEnablingFor(computation);
        for (int id : {kWald, kLikelihoodRatio}) Enable(id, on.testStatistic);
        for (int id : {kProcedure, kOtherProcedure}) Enable(id, on.procedure);
        Enable(kVarianceCorrection, on.varianceCorrection);
    }
};

class COpt_Z_Poisson : public CRegressionOptions {
  public:
    using CRegressionOptions::CRegressionOptions;
};

class COpt_Z_Logistic : public CRegressionOptions {
  public:
    using CRegressionOptions::CRegressionOptions;
};

std::unique_ptr<COptionsDialog> MakeOptionsDialog(QWidget* parent, const OptionsDialogInfo& info,
                                                  const OptionsDialogFields& fields) {
    using Kind = OptionsDialogKind;
    const OptionsForm form = OptionsFormFor(info.kind);
    if (form.form.controls.empty()) return nullptr;
    std::unique_ptr<COptionsDialog> dialog;
    switch (info.kind) {
        case Kind::kExactBinomial:
            dialog = std::make_unique<COpt_Exact_Binomial>(parent, form, fields);
            break;
        case Kind::kExactMcNemar:
            dialog = std::make_unique<COpt_Exact_McNemar>(parent, form, fields);
            break;
        case Kind::kExactFisherExact:
            dialog = std::make_unique<COpt_Exact_FisherExact>(parent, form, fields);
            break;
        case Kind::kExactTwoPropUncIeq:
            dialog = std::make_unique<COpt_Exact_TwoProp_Unc_Ieq>(parent, form, fields);
            break;
        case Kind::kRepMMulti:
            dialog = std::make_unique<COpt_RepMMulti>(parent, form, fields);
            break;
        case Kind::kTWilcoxon:
            dialog = std::make_unique<COpt_T_Wilcoxon>(parent, form, fields);
            break;
        case Kind::kZPoisson:
            dialog = std::make_unique<COpt_Z_Poisson>(parent, form, fields);
            break;
        case Kind::kZLogistic:
            dialog = std::make_unique<COpt_Z_Logistic>(parent, form, fields);
            break;
        default:
            // The other dialogs only show and take back their choices.
            dialog = std::make_unique<COptionsDialog>(parent, form, fields);
            break;
    }
    dialog->InitDialog();
    return dialog;
}

int FormOptionsDialogs::DoModal(QWidget* parent, const OptionsDialogInfo& info,
                                OptionsDialogFields* fields) {
    std::unique_ptr<COptionsDialog> dialog = MakeOptionsDialog(parent, info, *fields);
    if (!dialog) return kNoDialog;
    Run(dialog.get());
    if (dialog->result() != QDialog::Accepted) return 2;
    *fields = dialog->Fields();
    return 1;
}

void FormOptionsDialogs::Run(COptionsDialog* dialog) {
    dialog->exec();
}
