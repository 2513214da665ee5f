#include "effectsize/regression_special.h"

#include <cmath>

#include "analysis/property.h"

namespace effectsize::regression_special {

namespace {

constexpr double kSmallestVariance = 1e-16;
constexpr double kSmallestR2 = 1e-16;
// 1 - 1e-16 in double precision.
constexpr double kLargestR2 = 0.9999999999999999;
constexpr const char* kKeys[kFieldCount] = {"fms_vareff", "fms_varres", "fms_r2"};

}  // namespace

bool FieldInUse(int mode, int field) {
    return mode == kDirect ? field == kPartialR2
                           : field == kEffectVariance || field == kResidualVariance;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    double value[kFieldCount] = {};
    for (int field = 0; field < kFieldCount; ++field) {
        if (FieldInUse(inputs.mode, field) && !ReadPanelNumber(inputs.text[field], &value[field]))
            return FieldError{field, kNotANumberMessage};
    }
    if (inputs.mode == kDirect) {
        if (!(kSmallestR2 <= value[kPartialR2] && value[kPartialR2] <= kLargestR2))
            return FieldError{kPartialR2, kR2RangeMessage};
        return std::nullopt;
    }
    if (!(value[kEffectVariance] >= kSmallestVariance))
        return FieldError{kEffectVariance, kEffectVarianceMessage};
    if (!(value[kResidualVariance] >= kSmallestVariance))
        return FieldError{kResidualVariance, kErrorVarianceMessage};
    if (!std::isfinite(value[kEffectVariance] / value[kResidualVariance]))
        return FieldError{kEffectVariance, kNotFiniteMessage};
    return std::nullopt;
}

Result Compute(const Inputs& inputs) {
    double value[kFieldCount] = {};
    for (int field = 0; field < kFieldCount; ++field)
        ReadPanelNumber(inputs.text[field], &value[field]);
    Result result;
    if (inputs.mode == kDirect) {
        result.partialR2 = value[kPartialR2];
        result.f2 = result.partialR2 / (1.0 - result.partialR2);
    } else {
        // The ratio of the variances is f squared without the rounding of
        // R2 near 1; R2 as 1 / (1 + 1/f2) does not overflow in the sum.
        result.f2 = value[kEffectVariance] / value[kResidualVariance];
        result.partialR2 = 1.0 / (1.0 + value[kResidualVariance] / value[kEffectVariance]);
    }
    return result;
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SetNamedLong(store, "fms_inmode", inputs.mode);
    for (int field = 0; field < kFieldCount; ++field)
        SaveNumberField(store, kKeys[field], inputs.text[field]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    long mode = 0;
    if (GetNamedLong(store, "fms_inmode", &mode) && (mode == kFromVariances || mode == kDirect))
        inputs->mode = static_cast<int>(mode);
    for (int field = 0; field < kFieldCount; ++field)
        RestoreNumberField(store, kKeys[field], &inputs->text[field]);
}

TransferPlan PlanTransfer(const Result& result) {
    TransferPlan plan;
    plan.effectSize = result.f2;
    return plan;
}

}  // namespace effectsize::regression_special
