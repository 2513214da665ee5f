#include "effectsize/two_group_means.h"

#include <cmath>

#include "analysis/ids.h"
#include "analysis/property.h"
#include "power/t/wilcoxon_moments.h"

namespace effectsize::two_group_means {

namespace {

constexpr double kSmallestSd = 1e-12;
constexpr int kLehmannMethod = 2;
constexpr const char* kKeys[kFieldCount] = {"t2g_mean1",  "t2g_mean2", "t2g_sd",  "t2g_mean11",
                                            "t2g_mean22", "t2g_sd11",  "t2g_sd22"};

double Value(const Inputs& inputs, int field) {
    double value = 0.0;
    ReadPanelNumber(inputs.text[field], &value);
    return value;
}

double DOf(const Inputs& inputs) {
    if (!inputs.equalN)
        return std::fabs(Value(inputs, kMean1) - Value(inputs, kMean2)) / Value(inputs, kSd);
    const double sd1 = Value(inputs, kSd11);
    const double sd2 = Value(inputs, kSd22);
    // hypot keeps huge SDs from overflowing in the squares.
    const double pooled = std::hypot(sd1, sd2) / std::sqrt(2.0);
    return std::fabs(Value(inputs, kMean11) - Value(inputs, kMean22)) / pooled;
}

}  // namespace

bool FieldInUse(const Inputs& inputs, int field) {
    const bool equalBlock = field >= kMean11;
    return field >= 0 && field < kFieldCount && equalBlock == inputs.equalN;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    const auto inUse = [&inputs](int field) { return FieldInUse(inputs, field); };
    if (auto error = FirstNonNumber(inputs.text, kFieldCount, inUse)) return error;
    if (!inputs.equalN) {
        if (!(Value(inputs, kSd) > kSmallestSd)) return FieldError{kSd, kSdMessage};
    } else {
        // The focus goes to the first SD that fails the test itself; an SD of
        // exactly 1e-12 is refused and gets the focus too.
        if (!(Value(inputs, kSd11) > kSmallestSd)) return FieldError{kSd11, kSdsMessage};
        if (!(Value(inputs, kSd22) > kSmallestSd)) return FieldError{kSd22, kSdsMessage};
    }
    if (!std::isfinite(DOf(inputs)))
        return FieldError{inputs.equalN ? kMean11 : kMean1, kNoFiniteDMessage};
    return std::nullopt;
}

double ComputeD(const Inputs& inputs) {
    return DOf(inputs);
}

const char* StoreKey(int field) {
    return field >= 0 && field < kFieldCount ? kKeys[field] : "";
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SaveNumberFields(store, kFieldCount, kKeys, inputs.text);
    SetNamedLong(store, "t2g_equalN", inputs.equalN ? 1 : 0);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    RestoreNumberFields(store, kFieldCount, kKeys, &inputs->text);
    long equalN = 0;
    if (GetNamedLong(store, "t2g_equalN", &equalN)) inputs->equalN = equalN != 0;
}

TransferPlan PlanTransfer(double d, const TestContext& context) {
    TransferPlan plan;
    double value = d;
    if (context.testId == kWilcoxonTwoGroupsTestId && context.wilcoxonMethod == kLehmannMethod) {
        if (context.manualMoments) {
            plan.refusal = kManualMomentsRefusal;
            return plan;
        }
        if (context.parentIndex) {
            const int code = WilcoxParentCode(context.wilcoxonMethod, *context.parentIndex);
            // Only the Laplace, normal and logistic parents (codes 2 to 4)
            // turn a shift into p1; any other code would give 0, which the
            // main window would take for an effect.
            if (code < 2 || code > 4) {
                plan.refusal = kNoParentRefusal;
                return plan;
            }
            const double p1 = WilcoxP1FromDelta(std::fabs(d), 2, code);
            value = p1;
        }
    }
    plan.effectSize = value;
    return plan;
}

}  // namespace effectsize::two_group_means
