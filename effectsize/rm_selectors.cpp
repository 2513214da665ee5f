#include "effectsize/rm_selectors.h"

#include "analysis/ids.h"
#include "analysis/property.h"

namespace effectsize::rm_selectors {

int VariantOf(int testId) {
    if (testId == kManovaRepeatedWithinTestId) return 1;
    if (testId == kManovaRepeatedInteractionTestId) return 2;
    return 0;
}

std::string OmniSpecialPanel(int method) {
    return method == 1 ? "CEff_F_RM_Special" : "CEff_F_RMM_Omni";
}

std::string MeanCovPanel(int method, int variant) {
    if (method != 1) return "CEff_F_RMM_MeanCov";
    return variant == 2 ? "CEff_F_RMMulti" : "CEff_F_RMMulti_2";
}

bool MeanCovUsesN(int variant, int criterionId) {
    switch (criterionId) {
        case 100:
        case 102:
        case 104:
        case 105:
        case 106:
            return true;
        default:
            return variant == 2;
    }
}

int RestoreMethod(PropertyList* store, const char* key, int current) {
    long method = current;
    if (!store || !GetNamedLong(store, key, &method)) return current;
    return method == 0 || method == 1 ? static_cast<int>(method) : current;
}

void SaveMethod(PropertyList* store, const char* key, int method) {
    if (store) SetNamedLong(store, key, method);
}

}  // namespace effectsize::rm_selectors
