#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// Cohen's d of two independent means, for the two-group t test and the
// Wilcoxon-Mann-Whitney test. Two blocks of inputs: one common SD (n1 != n2)
// or one SD per group (n1 = n2).
namespace effectsize::two_group_means {

enum Field { kMean1, kMean2, kSd, kMean11, kMean22, kSd11, kSd22, kFieldCount };

// 1. Every field the panel shows, as typed, and the block in use.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"0", "1", "0.5", "0", "1", "0.5", "0.5"};
    bool equalN = true;
};

// The fields of the block in use; the other block is kept but not read.
bool FieldInUse(const Inputs& inputs, int field);

inline constexpr const char* kSdMessage = "The standard deviation must be greater than 1e-12";
inline constexpr const char* kSdsMessage = "The standard deviations must be greater than 1e-12";
inline constexpr const char* kNoFiniteDMessage =
    "The effect size is too large to be computed from these values.";

// 2. The first error of the block in use, or nothing.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. d = |m1 - m2| / sd, or with two SDs their root mean square in place of
// sd. Only for inputs that pass the check.
double ComputeD(const Inputs& inputs);

// 4. The store keys "t2g_<field>" and "t2g_equalN".
const char* StoreKey(int field);
void Save(const Inputs& inputs, PropertyList* store);
// A missing key leaves its field as it was.
void Restore(PropertyList* store, Inputs* inputs);

// 5. The transfer of d. For the Wilcoxon-Mann-Whitney test under the
// Lehmann method the main window takes p1 = P(X < Y) of the parent named by
// "Parent distribution" instead of d.
struct TestContext {
    int testId = 0;
    // The Wilcoxon test's method code (2 is the Lehmann method with p1 as
    // the effect) and whether its moments are entered by hand.
    int wilcoxonMethod = 1;
    bool manualMoments = false;
    // The selected index of the main window's "Parent distribution", when
    // that input is shown.
    std::optional<int> parentIndex;
};
inline constexpr const char* kManualMomentsRefusal =
    "The effect size cannot be determined from d if \nthe moments are specified manually.\n"
    "The effect size will not be copied.";
inline constexpr const char* kNoParentRefusal =
    "The chosen parent distribution has no p1 for d.\nThe effect size will not be copied.";
TransferPlan PlanTransfer(double d, const TestContext& context);

}  // namespace effectsize::two_group_means
