#include "effectsize/anova_special.h"

#include <cctype>
#include <cmath>

#include "analysis/property.h"

namespace effectsize::anova_special {

namespace {

// Ten times the double epsilon: smaller variances are taken for zero.
constexpr double kSmallestVariance = 2.220446049250313e-15;
// 1 - 1e-19 is 1 in double precision: the upper end is open.
constexpr double kSmallestEta2 = 1e-19;
constexpr const char* kKeys[kFieldCount] = {"fas_varspecial", "fas_varerr", "fas_eta2"};

double Value(const Inputs& inputs, int field) {
    double value = 0.0;
    ReadPanelNumber(inputs.text[field], &value);
    return value;
}

}  // namespace

std::string VarianceLabel(int varianceType) {
    return varianceType == 1 ? "Variance within groups" : "Error variance";
}

bool FieldIsInput(int mode, int field) {
    return mode == kDirect ? field == kEta2 : field != kEta2;
}

std::string DenominatorMessage(int varianceType) {
    std::string label = VarianceLabel(varianceType);
    label[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(label[0])));
    return "The " + label + " must be greater than 2.22045e-15";
}

std::optional<FieldError> Check(const Inputs& inputs) {
    for (int field = 0; field < kFieldCount; ++field) {
        double value = 0.0;
        if (FieldIsInput(inputs.mode, field) && !ReadPanelNumber(inputs.text[field], &value))
            return FieldError{field, kNotANumberMessage};
    }
    if (inputs.mode == kDirect) {
        const double eta2 = Value(inputs, kEta2);
        // An eta squared of 1 would give an infinite f; the message's own
        // range already leaves it out.
        if (!(eta2 >= kSmallestEta2 && eta2 < 1.0)) return FieldError{kEta2, kEta2Message};
        return std::nullopt;
    }
    if (!(Value(inputs, kEffectVariance) >= kSmallestVariance))
        return FieldError{kEffectVariance, kEffectVarianceMessage};
    if (!(Value(inputs, kErrorVariance) >= kSmallestVariance))
        return FieldError{kErrorVariance, DenominatorMessage(inputs.varianceType)};
    if (!std::isfinite(Compute(inputs).f)) return FieldError{kEffectVariance, kNoFiniteFMessage};
    return std::nullopt;
}

Result Compute(const Inputs& inputs) {
    Result result;
    if (inputs.mode == kDirect) {
        result.eta2 = Value(inputs, kEta2);
        result.f = std::sqrt(result.eta2 / (1.0 - result.eta2));
        return result;
    }
    const double effect = Value(inputs, kEffectVariance);
    const double error = Value(inputs, kErrorVariance);
    result.eta2 = effect / (error + effect);
    // eta2 / (1 - eta2) is effect / error; the ratio itself keeps the digits
    // that 1 - eta2 loses when eta2 is close to 1.
    result.f = std::sqrt(effect / error);
    return result;
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    for (int field = 0; field < kFieldCount; ++field)
        SaveNumberField(store, kKeys[field], inputs.text[field]);
    SetNamedLong(store, "fas_inmode", inputs.mode);
    SetNamedLong(store, "fas_type", inputs.varianceType);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    long mode = 0;
    GetNamedLong(store, "fas_inmode", &mode);
    inputs->mode = mode == kDirect ? kDirect : kFromVariances;
    for (int field = 0; field < kFieldCount; ++field)
        RestoreNumberField(store, kKeys[field], &inputs->text[field]);
    long type = inputs->varianceType;
    if (GetNamedLong(store, "fas_type", &type)) inputs->varianceType = static_cast<int>(type);
}

TransferPlan PlanTransfer(double f) {
    TransferPlan plan;
    plan.effectSize = f;
    return plan;
}

}  // namespace effectsize::anova_special
