#include "app/panels/effect_size_panel.h"

#include <QLineEdit>
#include <cmath>
#include <functional>
#include <map>

#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "analysis/test_options.h"
#include "app/drawer/panel_host.h"
#include "app/panels/anova_forms.h"
#include "app/panels/correlation_forms.h"
#include "app/panels/goodness_of_fit_form.h"
#include "app/panels/hotelling_form.h"
#include "app/panels/logistic_form.h"
#include "app/panels/manova_forms.h"
#include "app/panels/mean_forms.h"
#include "app/panels/multiple_regression_forms.h"
#include "app/panels/proportions_form.h"
#include "app/panels/regression_slope_form.h"
#include "app/panels/regression_special_form.h"
#include "app/panels/rm_forms.h"
#include "app/panels/rm_mean_cov_form.h"
#include "app/panels/rm_selector_forms.h"
#include "app/panels/tetrachoric_form.h"
#include "app/panels/two_groups_form.h"
#include "app/panels/two_intercepts_form.h"
#include "app/panels/two_slopes_form.h"
#include "app/panels/variance_ratio_form.h"
#include "app/widgets/label_font_source.h"
#include "app/widgets/ui_helpers.h"
#include "effectsize/panel_table.h"
#include "platform/dialogs.h"
#include "power/f/power_f_multivariate.h"

namespace {

constexpr const char* kCaption = "Quorix";

// The repeated-measures tests' option "Use mean correlation in effect size
// calculation", which chooses their panels; on when the test has none.
bool UsesMeanCorrelation(PanelHost* host, int testId) {
    PowerAnalysis* test = host ? host->CurrentTest() : nullptr;
    if (!test || test->GetTestId() != testId) return true;
    return TestOptionValue(test, kMeanCorrelationOption).value_or(1.0) != 0;
}

platform::DialogTemplate DummyPanelForm() {
    platform::DialogTemplate t;
    t.id = 160;
    t.width = 80;
    t.height = 24;
    t.controls.push_back({CEffectSizePanel::kCloseButtonId,
                          platform::ControlKind::PushButton,
                          "Close",
                          {15, 5, 50, 14},
                          platform::kStyleNone,
                          {}});
    return t;
}

}  // namespace

CEffectSizePanel::CEffectSizePanel(const platform::DialogTemplate& dialog, PanelHost* host)
    : CFormViewEx(dialog), host_(host) {}

bool CEffectSizePanel::CopyMainParameterToStore(int parameterId, const char* key) {
    if (!host_ || parameterId < 0 || parameterId >= kParameterNameCount) return false;
    Property* parameter = host_->FindParameter(ParameterNames[parameterId]);
    PropertyList* store = host_->GetCurrentInputStore();
    if (!parameter || !store) return false;
    SetNamedString(store, key, parameter->text);
    return true;
}

mathtext::LabelFontSets* CEffectSizePanel::LabelFontsForControls() const {
    auto* source = dynamic_cast<LabelFontSource*>(host_);
    return source ? &source->LabelFonts() : nullptr;
}

void CEffectSizePanel::OnInitialUpdate() {
    MarkResultUnknown();
    // Typeset as the main window's labels are, fixed captions as well as
    // those that carry markup, so that all of them have one size.
    TypesetLabels();
    // Enter in an input does what "Calculate" does.
    for (QWidget* control : Controls()) {
        auto* edit = qobject_cast<QLineEdit*>(control);
        if (edit && !edit->isReadOnly())
            connect(edit, &QLineEdit::returnPressed, this, [this] { Calculate(); });
    }
}

bool CEffectSizePanel::Calculate() {
    double effect = 0.0;
    if (!CalculateEffectSize(&effect)) return false;
    // A formula that overflowed is no effect size.
    if (!std::isfinite(effect)) {
        platform::ShowMessage(window(), QStringLiteral("The effect size is not a finite number."),
                              QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        return false;
    }
    effectSize_ = effect;
    SetDlgItemDouble(kEffectSizeId, effect, "%.7g");
    return true;
}

bool CEffectSizePanel::CalculateAndTransfer() {
    // Nothing goes to the main window unless this calculation succeeded: a
    // stale or never computed effect size is not what the user sees typed.
    if (!Calculate()) return false;
    return RunTransfer(PlanTransfer(effectSize_));
}

effectsize::TransferPlan CEffectSizePanel::PlanTransfer(double effect) {
    effectsize::TransferPlan plan;
    plan.effectSize = effect;
    return plan;
}

bool CEffectSizePanel::RunTransfer(const effectsize::TransferPlan& plan) {
    if (!host_) return false;
    if (!plan.refusal.empty()) {
        platform::ShowMessage(window(), ToDisplayLabel(plan.refusal), QString::fromLatin1(kCaption),
                              platform::MessageIcon::Information);
        return false;
    }
    // The last guard before the main window: a value that is not a finite
    // number stops the whole transfer before anything is written.
    for (const effectsize::ParameterWrite& write : plan.writes) {
        if (!std::isfinite(write.value)) {
            platform::ShowMessage(window(),
                                  ToDisplayLabel("The value for \"" + write.label +
                                                 "\" is not a finite number:\nnothing was "
                                                 "transferred."),
                                  QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
            return false;
        }
    }
    if (plan.effectSize && !std::isfinite(*plan.effectSize)) {
        platform::ShowMessage(window(), QStringLiteral("The effect size is not a finite number."),
                              QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        return false;
    }
    for (const effectsize::ParameterWrite& write : plan.writes) {
        if (write.skipWithin >= 0.0) {
            Property* shown = host_->FindParameter(write.label);
            double current = 0.0;
            if (shown && effectsize::ReadPanelNumber(shown->text, &current) &&
                std::fabs(current - write.value) <= write.skipWithin)
                continue;
        }
        if (!write.question.empty()) {
            const platform::MessageAnswer answer = platform::ShowMessage(
                window(), ToDisplayLabel(write.question), QString::fromLatin1(kCaption),
                platform::MessageIcon::Question, platform::MessageButtons::YesNoCancel);
            if (answer == platform::MessageAnswer::Cancel) return false;
            if (answer == platform::MessageAnswer::No) continue;
        }
        host_->SetParameterValue(write.label, write.value);
    }
    if (plan.effectSize) host_->SetEffectSize(*plan.effectSize);
    return true;
}

void CEffectSizePanel::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::TextEdited) {
        if (id != kEffectSizeId) MarkResultUnknown();
        return;
    }
    if (event != platform::ControlEvent::Clicked) return;
    switch (id) {
        case kCalculateButtonId:
            Calculate();
            break;
        case kTransferButtonId:
            CalculateAndTransfer();
            break;
        case kCloseButtonId:
            if (host_) host_->CloseEffectSizeDrawer();
            break;
        default:
            break;
    }
}

void CEffectSizePanel::ShowFieldError(int controlId, const std::string& message) {
    platform::ShowMessage(window(), ToDisplayLabel(message), QString::fromLatin1(kCaption),
                          platform::MessageIcon::Warning);
    if (QLineEdit* edit = Edit(controlId)) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

void CEffectSizePanel::MarkResultUnknown() {
    if (Edit(kEffectSizeId)) SetDlgItemString(kEffectSizeId, kUnknown);
}

CEff_Dummy::CEff_Dummy(PanelHost* host) : CEffectSizePanel(DummyPanelForm(), host) {}

std::vector<CFormViewEx*> EffectSizePanelTable(int testId, PanelHost* host) {
    // The panels built so far; a class of the table not listed here stands
    // as the dummy until it is.
    static const std::map<std::string, std::function<CFormViewEx*(PanelHost*)>> makers = {
        {"CEff_CHI_GoF_Cont", [](PanelHost* h) { return new CEff_CHI_GoF_Cont(h); }},
        {"CEff_One_Prop", [](PanelHost* h) { return new CEff_One_Prop(h); }},
        {"CEff_T_2Groups_Form", [](PanelHost* h) { return new CEff_T_2Groups_Form(h); }},
        {"CEff_T_OneMean", [](PanelHost* h) { return new CEff_T_OneMean(h); }},
        {"CEff_T_PairedMeans", [](PanelHost* h) { return new CEff_T_PairedMeans(h); }},
        {"CEff_Exact_1Corr", [](PanelHost* h) { return new CEff_Exact_1Corr(h); }},
        {"CEff_T_Corr_PBM", [](PanelHost* h) { return new CEff_T_Corr_PBM(h); }},
        {"CEff_Z_2Corr", [](PanelHost* h) { return new CEff_Z_2Corr(h); }},
        {"CEff_Z_2DepCorr", [](PanelHost* h) { return new CEff_Z_2DepCorr(h); }},
        {"CEff_Z_LogRegress", [](PanelHost* h) { return new CEff_Z_LogRegress(h); }},
        {"CEff_Two_Prop", [](PanelHost* h) { return new CEff_Two_Prop(h); }},
        {"CEff_Two_Vars", [](PanelHost* h) { return new CEff_Two_Vars(h); }},
        {"CEff_F_Manova", [](PanelHost* h) { return new CEff_F_Manova(h); }},
        {"CEff_F_RMMulti", [](PanelHost* h) { return new CEff_F_RMMulti(h); }},
        {"CEff_F_RMMulti_2", [](PanelHost* h) { return new CEff_F_RMMulti_2(h); }},
        {"CEff_F_RMM_Omni", [](PanelHost* h) { return new CEff_F_RMM_Omni(h); }},
        {"CEff_F_RM_Special", [](PanelHost* h) { return new CEff_F_RM_Special(h); }},
        {"CEff_F_RMM_MeanCov", [](PanelHost* h) { return new CEff_F_RMM_MeanCov(h, 0); }},
        {"CEff_SelectRMMOmniSpecial",
         [](PanelHost* h) { return new CEff_SelectRMMOmniSpecial(h); }},
        {"CEff_SelectRMM_Eta_MeanCov",
         [](PanelHost* h) { return new CEff_SelectRMM_Eta_MeanCov(h); }},
        {"CEff_F_MRC_Special", [](PanelHost* h) { return new CEff_F_MRC_Special(h); }},
        {"CEff_T_MRC_1Pred", [](PanelHost* h) { return new CEff_T_MRC_1Pred(h); }},
        {"CEff_T_LinRegress", [](PanelHost* h) { return new CEff_T_LinRegress(h); }},
        {"CEff_T_LinRegress2G", [](PanelHost* h) { return new CEff_T_LinRegress2G(h); }},
        {"CEff_T_LinRegress2GI", [](PanelHost* h) { return new CEff_T_LinRegress2GI(h); }},
        {"CEff_SelectAnovaOmniSpecial",
         [](PanelHost* h) { return new CEff_SelectAnovaOmniSpecial(h); }},
        {"CEff_F_Anova_Omni", [](PanelHost* h) { return new CEff_F_Anova_Omni(h); }},
        {"CEff_F_Anova_Special", [](PanelHost* h) { return new CEff_F_Anova_Special(h); }},
        {"CEff_Z_Tetrachoric", [](PanelHost* h) { return new CEff_Z_Tetrachoric(h); }},
        {"CEff_F_MRC_Omni", [](PanelHost* h) { return new CEff_F_MRC_Omni(h); }},
        {"CEff_Exact_MRC_Random", [](PanelHost* h) { return new CEff_Exact_MRC_Random(h); }},
        {"CEff_F_Hotelling", [](PanelHost* h) { return new CEff_F_Hotelling(h); }},
    };
    std::vector<CFormViewEx*> panels;
    for (const std::string& name :
         effectsize::PanelClassesFor(testId, UsesMeanCorrelation(host, testId))) {
        const auto maker = makers.find(name);
        panels.push_back(maker != makers.end() ? maker->second(host) : new CEff_Dummy(host));
    }
    // One dummy is enough where a selector and its sub-panel both wait.
    if (panels.size() > 1 && dynamic_cast<CEff_Dummy*>(panels[0])) {
        for (size_t i = 1; i < panels.size(); ++i) delete panels[i];
        panels.resize(1);
    }
    return panels;
}
