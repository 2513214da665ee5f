#include "effectsize/correlations.h"

#include <cmath>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "effectsize/text_fields.h"

namespace effectsize {

namespace {

// Both correlation panels keep r strictly inside (-1 + 1e-10, 1 - 1e-10).
constexpr double kLargestCorrelation = 0.9999999999;

bool InsideCorrelationRange(double r) {
    return -kLargestCorrelation < r && r < kLargestCorrelation;
}

double Number(const std::string& text) {
    double value = 0.0;
    ReadPanelNumber(text, &value);
    return value;
}

}  // namespace

namespace determination {

std::optional<FieldError> Check(const Inputs& inputs) {
    double r2 = 0.0;
    if (!ReadPanelNumber(inputs.r2, &r2)) return FieldError{kR2, kNotANumberMessage};
    if (!(1e-12 < r2 && r2 < 0.999999999999)) return FieldError{kR2, kRangeMessage};
    return std::nullopt;
}

double ComputeR(const Inputs& inputs) {
    return std::sqrt(Number(inputs.r2));
}

void Save(const Inputs& inputs, const char* key, PropertyList* store) {
    SaveNumberField(store, key, inputs.r2);
}

void Restore(PropertyList* store, const char* key, Inputs* inputs) {
    RestoreNumberField(store, key, &inputs->r2);
}

}  // namespace determination

namespace two_correlations {

namespace {
constexpr const char* kKeys[kFieldCount] = {"z2c_corr1", "z2c_corr2"};
}

std::optional<FieldError> Check(const Inputs& inputs) {
    for (int field = 0; field < kFieldCount; ++field) {
        double value = 0.0;
        if (!ReadPanelNumber(inputs.text[field], &value))
            return FieldError{field, kNotANumberMessage};
    }
    if (!InsideCorrelationRange(Number(inputs.text[kR1]))) return FieldError{kR1, kR1Message};
    if (!InsideCorrelationRange(Number(inputs.text[kR2]))) return FieldError{kR2, kR2Message};
    return std::nullopt;
}

double ComputeQ(const Inputs& inputs) {
    return std::atanh(Number(inputs.text[kR1])) - std::atanh(Number(inputs.text[kR2]));
}

const char* StoreKey(int field) {
    return field >= 0 && field < kFieldCount ? kKeys[field] : "";
}

void Save(const Inputs& inputs, PropertyList* store) {
    for (int field = 0; field < kFieldCount; ++field)
        SaveNumberField(store, kKeys[field], inputs.text[field]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    for (int field = 0; field < kFieldCount; ++field)
        RestoreNumberField(store, kKeys[field], &inputs->text[field]);
}

}  // namespace two_correlations

namespace dependent_correlations {

namespace {
constexpr const char* kKeys[kFieldCount] = {"z2dc_corr1", "z2dc_effq"};
constexpr const char* kDefaultRab = "0.3";
}  // namespace

std::optional<FieldError> Compute(const Inputs& inputs, Result* result) {
    double values[kFieldCount] = {};
    for (int field = 0; field < kFieldCount; ++field) {
        std::string message;
        if (!ReadPanelFormula(inputs.text[field], &values[field], &message))
            return FieldError{field, message};
    }
    if (!InsideCorrelationRange(values[kRab]))
        return FieldError{kRab, two_correlations::kR1Message};
    result->rab = values[kRab];
    // tanh(z) is (e^2z - 1) / (e^2z + 1) without the overflow of e^2z.
    result->rac = std::tanh(std::atanh(values[kRab]) - values[kQ]);
    return std::nullopt;
}

const char* StoreKey(int field) {
    return field >= 0 && field < kFieldCount ? kKeys[field] : "";
}

void Save(const Inputs& inputs, PropertyList* store) {
    for (int field = 0; field < kFieldCount; ++field)
        SaveTextField(store, kKeys[field], inputs.text[field]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    for (int field = 0; field < kFieldCount; ++field) {
        inputs->text[field].clear();
        RestoreTextField(store, kKeys[field], &inputs->text[field]);
    }
}

void SetUpFromMainWindow(const std::optional<std::string>& mainWindowRab, Inputs* inputs) {
    if (HoldsFormula(inputs->text[kRab])) return;
    inputs->text[kRab] = mainWindowRab ? *mainWindowRab : kDefaultRab;
}

TransferPlan PlanTransfer(const Result& result) {
    TransferPlan plan;
    plan.writes.push_back({ParameterNames[kH0CorrRhoAbId], result.rab, -1.0, ""});
    plan.effectSize = result.rac;
    return plan;
}

}  // namespace dependent_correlations

}  // namespace effectsize
