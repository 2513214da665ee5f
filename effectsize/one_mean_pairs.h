#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// The standardized mean difference of one sample against a constant (d, for
// the one-sample t test and the signed-rank test of one sample) and of
// matched pairs (dz, for the paired t test and the signed-rank test of
// pairs).
namespace effectsize {

inline constexpr const char* kSdMessage = "The standard deviation must be greater than 1e-12";
inline constexpr const char* kTooLargeMessage =
    "The effect size is too large to be computed from these values.";

// What the transfer of a one-sample effect needs to know of the current
// test.
struct SignedRankContext {
    int testId = 0;
    // The signed-rank test's method code (2 is the Lehmann method with p1
    // as the effect) and whether its moments are entered by hand.
    int wilcoxonMethod = 1;
    bool manualMoments = false;
    // The selected index of the main window's "Parent distribution", when
    // that input is shown.
    std::optional<int> parentIndex;
};

// The transfer of d or dz. The signed-rank tests under the Lehmann method
// take p1 = P(X > 0) of the parent shifted by |effect|; every other test
// takes the effect with its sign.
TransferPlan PlanSignedRankTransfer(double effect, const SignedRankContext& context);

}  // namespace effectsize

namespace effectsize::one_mean {

enum Field { kMeanH0, kMeanH1, kSd, kFieldCount };

// 1. The fields as typed.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"0", "1", "2"};
};

// 2. The first error, or nothing.
std::optional<FieldError> Check(const Inputs& inputs);
// 3. d = |mean H0 - mean H1| / sd, for inputs that pass the check.
double ComputeD(const Inputs& inputs);
// 4. The store keys "t1m_mean1", "t1m_mean2", "t1m_sd".
const char* StoreKey(int field);
void Save(const Inputs& inputs, PropertyList* store);
// A missing key leaves its field as it was.
void Restore(PropertyList* store, Inputs* inputs);

}  // namespace effectsize::one_mean

namespace effectsize::paired_means {

// The block "From differences" first, then "From group parameters".
enum Field { kMeanDiff, kSdDiff, kMean1, kMean2, kSd1, kSd2, kCorr, kFieldCount };

// 1. The fields as typed and the block in use.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"0", "1", "0", "1", "1", "1", "0.5"};
    bool fromGroups = true;
};

// The fields of the block in use; the other block is kept but not read.
bool FieldInUse(const Inputs& inputs, int field);

inline constexpr const char* kCorrMessage =
    "Correlation lies outside of admissible range (-1+1e-8,1-1e-8)";

// 2. The first error of the block in use, or nothing.
std::optional<FieldError> Check(const Inputs& inputs);
// 3. From differences dz = mean / SD with its sign; from group parameters
// dz = |mean1 - mean2| / SD of the differences. For inputs that pass the
// check.
double ComputeDz(const Inputs& inputs);
// 4. The store keys "tdm_<field>" and the block as "tdm_inmode" (0 from
// differences, 1 from group parameters).
const char* StoreKey(int field);
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

}  // namespace effectsize::paired_means
