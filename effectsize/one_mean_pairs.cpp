#include "effectsize/one_mean_pairs.h"

#include <algorithm>
#include <cmath>

#include "analysis/ids.h"
#include "analysis/property.h"
#include "effectsize/two_group_means.h"
#include "power/t/wilcoxon_moments.h"

namespace effectsize {

namespace {

constexpr double kSmallestSd = 1e-12;
constexpr int kLehmannMethod = 2;
constexpr int kOneSample = 1;

template <size_t N>
double Value(const std::array<std::string, N>& text, int field) {
    double value = 0.0;
    ReadPanelNumber(text[field], &value);
    return value;
}

}  // namespace

TransferPlan PlanSignedRankTransfer(double effect, const SignedRankContext& context) {
    TransferPlan plan;
    const bool signedRank =
        context.testId == kWilcoxonOneSampleTestId || context.testId == kWilcoxonMatchedPairsTestId;
    if (signedRank && context.wilcoxonMethod == kLehmannMethod) {
        if (context.manualMoments) {
            plan.refusal = two_group_means::kManualMomentsRefusal;
            return plan;
        }
        if (context.parentIndex) {
            const int code = WilcoxParentCode(context.wilcoxonMethod, *context.parentIndex);
            // Only the Laplace, normal and logistic parents (codes 2 to 4)
            // turn a shift into p1; any other code would give 0, which the
            // main window would take for an effect.
            if (code < 2 || code > 4) {
                plan.refusal = two_group_means::kNoParentRefusal;
                return plan;
            }
            plan.effectSize = WilcoxP1FromDelta(std::fabs(effect), kOneSample, code);
            return plan;
        }
    }
    plan.effectSize = effect;
    return plan;
}

}  // namespace effectsize

namespace effectsize::one_mean {

namespace {
constexpr const char* kKeys[kFieldCount] = {"t1m_mean1", "t1m_mean2", "t1m_sd"};
}

std::optional<FieldError> Check(const Inputs& inputs) {
    if (auto error = FirstNonNumber(inputs.text, kFieldCount, [](int) { return true; }))
        return error;
    if (!(Value(inputs.text, kSd) > kSmallestSd)) return FieldError{kSd, kSdMessage};
    if (!std::isfinite(ComputeD(inputs))) return FieldError{kMeanH0, kTooLargeMessage};
    return std::nullopt;
}

double ComputeD(const Inputs& inputs) {
    return std::fabs(Value(inputs.text, kMeanH0) - Value(inputs.text, kMeanH1)) /
           Value(inputs.text, kSd);
}

const char* StoreKey(int field) {
    return field >= 0 && field < kFieldCount ? kKeys[field] : "";
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SaveNumberFields(store, kFieldCount, kKeys, inputs.text);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    RestoreNumberFields(store, kFieldCount, kKeys, &inputs->text);
}

}  // namespace effectsize::one_mean

namespace effectsize::paired_means {

namespace {

constexpr const char* kKeys[kFieldCount] = {"tdm_mean_dz", "tdm_sd_dz", "tdm_mean1", "tdm_mean2",
                                            "tdm_sd1",     "tdm_sd2",   "tdm_corr"};
constexpr const char* kModeKey = "tdm_inmode";
constexpr double kLargestCorrelation = 0.99999999;

// sqrt(sd1² + sd2² - 2 rho sd1 sd2), written as (sd1 - sd2)² + 2 (1 - rho)
// sd1 sd2 so that nearly equal SDs with rho near 1 do not cancel. The SDs
// are scaled by a power of two (exactly) so that large ones do not overflow
// the squares.
double SdOfDifferences(double sd1, double sd2, double rho) {
    int exponent = 0;
    std::frexp(std::max(sd1, sd2), &exponent);
    const double a = std::ldexp(sd1, -exponent);
    const double b = std::ldexp(sd2, -exponent);
    return std::ldexp(std::sqrt((a - b) * (a - b) + 2.0 * (1.0 - rho) * a * b), exponent);
}

}  // namespace

bool FieldInUse(const Inputs& inputs, int field) {
    const bool groupBlock = field >= kMean1;
    return field >= 0 && field < kFieldCount && groupBlock == inputs.fromGroups;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    const auto inUse = [&inputs](int field) { return FieldInUse(inputs, field); };
    if (auto error = FirstNonNumber(inputs.text, kFieldCount, inUse)) return error;
    if (!inputs.fromGroups) {
        if (!(Value(inputs.text, kSdDiff) > kSmallestSd)) return FieldError{kSdDiff, kSdMessage};
    } else {
        if (!(Value(inputs.text, kSd1) > kSmallestSd)) return FieldError{kSd1, kSdMessage};
        if (!(Value(inputs.text, kSd2) > kSmallestSd)) return FieldError{kSd2, kSdMessage};
        const double rho = Value(inputs.text, kCorr);
        if (!(-kLargestCorrelation < rho && rho <= kLargestCorrelation))
            return FieldError{kCorr, kCorrMessage};
    }
    if (!std::isfinite(ComputeDz(inputs)))
        return FieldError{inputs.fromGroups ? kMean1 : kMeanDiff, kTooLargeMessage};
    return std::nullopt;
}

double ComputeDz(const Inputs& inputs) {
    if (!inputs.fromGroups) return Value(inputs.text, kMeanDiff) / Value(inputs.text, kSdDiff);
    const double s = SdOfDifferences(Value(inputs.text, kSd1), Value(inputs.text, kSd2),
                                     Value(inputs.text, kCorr));
    return std::fabs(Value(inputs.text, kMean1) - Value(inputs.text, kMean2)) / s;
}

const char* StoreKey(int field) {
    return field >= 0 && field < kFieldCount ? kKeys[field] : "";
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SaveNumberFields(store, kFieldCount, kKeys, inputs.text);
    SetNamedLong(store, kModeKey, inputs.fromGroups ? 1 : 0);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    RestoreNumberFields(store, kFieldCount, kKeys, &inputs->text);
    long mode = 0;
    if (GetNamedLong(store, kModeKey, &mode)) inputs->fromGroups = mode > 0;
}

}  // namespace effectsize::paired_means
