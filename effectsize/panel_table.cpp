#include "effectsize/panel_table.h"

#include <algorithm>

namespace effectsize {

const std::vector<PanelRow>& PanelTable() {
    static const std::vector<PanelRow> table = {
        {{101}, {"CEff_SelectAnovaOmniSpecial", "CEff_F_Anova_Omni"}, {}},
        {{102, 116}, {"CEff_F_Anova_Special"}, {}},
        {{103}, {"CEff_F_MRC_Omni"}, {}},
        {{104}, {"CEff_F_MRC_Special"}, {}},
        {{105, 402}, {"CEff_Two_Vars"}, {}},
        {{106, 107}, {"CEff_F_Hotelling"}, {}},
        {{108}, {"CEff_SelectRMMOmniSpecial", "CEff_F_RMM_Omni"}, {}},
        {{109, 110}, {"CEff_F_RM_Special"}, {}},
        {{111},
         {"CEff_SelectAnovaOmniSpecial", "CEff_F_Anova_Omni"},
         {"CEff_SelectRMM_Eta_MeanCov", "CEff_F_RMM_MeanCov"}},
        {{112, 113},
         {"CEff_F_Anova_Special"},
         {"CEff_SelectRMM_Eta_MeanCov", "CEff_F_RMM_MeanCov"}},
        {{114, 115}, {"CEff_F_Manova"}, {}},
        {{201, 206}, {"CEff_T_2Groups_Form"}, {}},
        {{202}, {"CEff_T_Corr_PBM"}, {}},
        {{203, 205}, {"CEff_T_OneMean"}, {}},
        {{204, 207}, {"CEff_T_PairedMeans"}, {}},
        {{208}, {"CEff_T_LinRegress2G"}, {}},
        {{209}, {"CEff_T_LinRegress2GI"}, {}},
        {{210}, {"CEff_T_MRC_1Pred"}, {}},
        {{211}, {"CEff_T_LinRegress"}, {}},
        {{302}, {"CEff_Z_2Corr"}, {}},
        {{304, 305, 310}, {"CEff_Z_LogRegress"}, {}},
        {{306, 307}, {"CEff_Z_2DepCorr"}, {}},
        {{309}, {"CEff_Z_Tetrachoric"}, {}},
        {{401}, {"CEff_CHI_GoF_Cont"}, {}},
        {{602}, {"CEff_One_Prop"}, {}},
        {{605}, {"CEff_Exact_1Corr"}, {}},
        {{606}, {"CEff_Two_Prop"}, {}},
        {{611}, {"CEff_Exact_MRC_Random"}, {}},
    };
    return table;
}

std::vector<std::string> PanelClassesFor(int testId, bool meanCorrelationOption) {
    for (const PanelRow& row : PanelTable()) {
        if (std::find(row.testIds.begin(), row.testIds.end(), testId) == row.testIds.end())
            continue;
        if (!meanCorrelationOption && !row.panelsOptionOff.empty()) return row.panelsOptionOff;
        return row.panels;
    }
    return {kDummyPanel};
}

}  // namespace effectsize
