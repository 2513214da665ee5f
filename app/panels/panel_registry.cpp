#include "app/panels/panel_registry.h"

#include <functional>
#include <map>
#include <string>

#include "analysis/option_declarations.h"
#include "app/drawer/panel_host.h"
#include "app/panels/anova_forms.h"
#include "app/panels/correlation_forms.h"
#include "app/panels/effect_size_panel.h"
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
#include "effectsize/panel_table.h"
#include "power/f/power_f_multivariate.h"

namespace {

// The repeated-measures tests' option "Use mean correlation in effect size
// calculation", which chooses their panels; on when the test has none.
bool UsesMeanCorrelation(PanelHost* host, int testId) {
    PowerAnalysis* test = host ? host->CurrentTest() : nullptr;
    if (!test || test->GetTestId() != testId) return true;
    return TestOptionValue(test, kMeanCorrelationOption).value_or(1.0) != 0;
}

}  // namespace

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
