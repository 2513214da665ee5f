#include "effectsize/logistic_regression.h"

#include <cmath>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "effectsize/text_fields.h"

namespace effectsize::logistic_regression {

namespace {
constexpr double kSmallest = 1e-10;
constexpr double kLargestProportion = 1.0 - 1e-10;
constexpr const char* kDefaultP0 = "0.3";
}  // namespace

const std::string& FieldText(const Inputs& inputs, int field) {
    if (field == kP0) return inputs.p0;
    return inputs.probabilityInput ? inputs.p1 : inputs.oddsRatio;
}

void SetFieldText(Inputs* inputs, int field, const std::string& text) {
    if (field == kP0) {
        inputs->p0 = text;
    } else if (inputs->probabilityInput) {
        inputs->p1 = text;
    } else {
        inputs->oddsRatio = text;
    }
}

std::optional<FieldError> Compute(const Inputs& inputs, Result* result) {
    double values[kFieldCount] = {};
    for (int field = 0; field < kFieldCount; ++field) {
        std::string message;
        if (!ReadPanelFormula(FieldText(inputs, field), &values[field], &message))
            return FieldError{field, message};
    }
    const double p0 = values[kP0];
    // p0 = 1 has infinite odds: neither an odds ratio nor a p1 follows.
    if (!(kSmallest <= p0 && p0 <= kLargestProportion)) return FieldError{kP0, kP0Message};
    double value = 0.0;
    if (inputs.probabilityInput) {
        const double p1 = values[kInput1];
        if (!(kSmallest <= p1 && p1 <= kLargestProportion)) return FieldError{kInput1, kP1Message};
        value = (p1 * (1.0 - p0)) / (p0 * (1.0 - p1));
    } else {
        const double oddsRatio = values[kInput1];
        if (!(kSmallest <= oddsRatio)) return FieldError{kInput1, kOddsRatioMessage};
        // p0 OR / ((OR - 1) p0 + 1) divided through by OR, so that a huge
        // odds ratio does not overflow.
        value = p0 / (p0 + (1.0 - p0) / oddsRatio);
    }
    result->p0 = p0;
    result->value = value;
    return std::nullopt;
}

void Save(const Inputs& inputs, PropertyList* store) {
    SaveTextField(store, kP1Key, inputs.p1);
    SaveTextField(store, kOddsRatioKey, inputs.oddsRatio);
    SaveTextField(store, kP0Key, inputs.p0);
}

void Restore(PropertyList* store, Inputs* inputs) {
    RestoreTextField(store, kP1Key, &inputs->p1);
    RestoreTextField(store, kOddsRatioKey, &inputs->oddsRatio);
    RestoreTextField(store, kP0Key, &inputs->p0);
}

void SetUpFromMainWindow(const std::optional<std::string>& mainWindowP0, Inputs* inputs) {
    if (HoldsFormula(inputs->p0)) return;
    inputs->p0 = mainWindowP0 ? *mainWindowP0 : kDefaultP0;
}

TransferPlan PlanTransfer(const Result& result) {
    TransferPlan plan;
    plan.writes.push_back({ParameterNames[kPrY1X1H0Id], result.p0, -1.0, ""});
    plan.effectSize = result.value;
    return plan;
}

}  // namespace effectsize::logistic_regression
