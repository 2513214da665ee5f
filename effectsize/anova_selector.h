#pragma once

#include <string>

class PropertyList;

// The choice between the two ANOVA procedures above their panel: f from the
// group means, or from a variance (partial eta squared).
namespace effectsize::anova_selector {

enum Method { kFromMeans = 0, kFromVariance = 1 };
inline constexpr const char* kEntries[2] = {"Effect size from means", "Effect size from variance"};
inline constexpr const char* kMethodKey = "aos_method";

// The panel class of a method.
inline const char* SubPanelOf(int method) {
    return method == kFromVariance ? "CEff_F_Anova_Special" : "CEff_F_Anova_Omni";
}

}  // namespace effectsize::anova_selector
