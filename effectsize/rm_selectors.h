#pragma once

#include <string>

class PropertyList;

// The choices of the repeated-measures procedure selectors: what each
// entry shows beneath the selector and the keys that keep the choice.
namespace effectsize::rm_selectors {

// The selector of test 108: "Effect size from means" or "... from variance".
inline constexpr const char* kOmniSpecialEntries[2] = {"Effect size from means",
                                                       "Effect size from variance"};
inline constexpr const char* kOmniSpecialKey = "rmmos_method";

// The selector of tests 111, 112 and 113 without the mean correlation:
// means and covariance, or the criterion.
inline constexpr const char* kMeanCovEntries[2] = {"Effectsize from mean and cov",
                                                   "Effectsize from criterion"};
inline constexpr const char* kMeanCovKey = "rmcv_method";
inline constexpr const char* kVariantKey = "rmcv_mget";

// The effect tested: 0 between factors (111), 1 within (112), 2 the
// interaction (113).
int VariantOf(int testId);

// The panel class of a procedure.
std::string OmniSpecialPanel(int method);
std::string MeanCovPanel(int method, int variant);

// Whether the mean and covariance procedure uses (shows and transfers) the
// total sample size: for the interaction, and for the criteria whose
// statistic depends on N (Wilks U and Hotelling-Lawley T1 by Muller-Peterson,
// both T2, Pillai V by Muller-Peterson).
bool MeanCovUsesN(int variant, int criterionId);

// A method read from the store: 0 or 1; anything else keeps `current`.
int RestoreMethod(PropertyList* store, const char* key, int current);
void SaveMethod(PropertyList* store, const char* key, int method);

}  // namespace effectsize::rm_selectors
