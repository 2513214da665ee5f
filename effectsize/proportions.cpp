#include "effectsize/proportions.h"

#include <cmath>
#include <cstdio>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "effectsize/leading_number.h"

namespace effectsize::proportions {

const Roles kOneProportion = {
    kP1,
    kP2,
    "Ratio P2/P1 not defined for P1=0",
    "Odds ratio not defined for P1=0, P1=1 or P2=1",
    "The entered value would lead to a proportion P2\noutside the admissible range [0..1]. "
    "To avoid overflow\nthe most extreme admissible input value was chosen.",
    "opro",
};

const Roles kTwoProportions = {
    kP2,
    kP1,
    "Ratio P1/P2 not defined for P2=0",
    "Odds ratio not defined for P2=0, P2=1 or P1=1",
    "The entered value would lead to a proportion P1\noutside the admissible range [0..1]. "
    "To avoid overflow\nthe most extreme admissible input value was chosen.",
    "tpro",
};

namespace {

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

bool InUnitInterval(double p) {
    return 0.0 <= p && p <= 1.0;
}

std::string Key(const Roles& roles, const char* field) {
    return std::string(roles.storePrefix) + "_" + field;
}

void SaveProportion(PropertyList* store, const std::string& key, const std::string& text) {
    SetNamedDouble(store, key.c_str(), ReadLeadingNumber(text));
    auto* entry = dynamic_cast<PropertyDouble*>(store->Find(key));
    if (!entry) return;
    // An emptied edit is kept as an entry without text, so that it comes
    // back empty rather than as 0; a text that is not one number ("0,7")
    // is kept as typed, so that it comes back to be refused on its field
    // instead of as the number it starts with.
    double value = 0.0;
    if (text.find_first_not_of(" \t") == std::string::npos) {
        entry->text.clear();
    } else if (!ReadWholeNumber(text, &value)) {
        entry->text = text;
    }
}

void RestoreProportion(PropertyList* store, const std::string& key, std::string* text) {
    const auto* entry = dynamic_cast<const PropertyDouble*>(store->Find(key));
    if (!entry) return;
    double value = 0.0;
    if (entry->text.empty()) {
        text->clear();
    } else if (!ReadWholeNumber(entry->text, &value)) {
        *text = entry->text;
    } else {
        *text = Format("%.7lf", entry->value);
    }
}

}  // namespace

double Value(const Inputs& inputs, int field) {
    return ReadLeadingNumber(inputs.text[field]);
}

namespace {

bool IsOneNumber(const Inputs& inputs, int field) {
    double value = 0.0;
    return ReadWholeNumber(inputs.text[field], &value);
}

}  // namespace

std::optional<FieldError> CheckProportion(const Inputs& inputs, Field field) {
    if (!IsOneNumber(inputs, field)) return FieldError{field, kNotANumberMessage};
    if (InUnitInterval(Value(inputs, field))) return std::nullopt;
    return FieldError{field, field == kP1 ? kP1RangeMessage : kP2RangeMessage};
}

std::optional<FieldError> CheckProportions(const Inputs& inputs) {
    for (Field field : {kP1, kP2}) {
        if (auto error = CheckProportion(inputs, field)) return error;
    }
    return std::nullopt;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    if (auto error = CheckProportions(inputs)) return error;
    if (!IsOneNumber(inputs, kValue) || !std::isfinite(Value(inputs, kValue)))
        return FieldError{kValue, kNotANumberMessage};
    return std::nullopt;
}

std::optional<std::string> UpdateValue(Inputs* inputs, const Roles& roles) {
    const double base = Value(*inputs, roles.base);
    const double derived = Value(*inputs, roles.derived);
    double value = 0.0;
    std::optional<std::string> message;
    switch (inputs->calcMode) {
        case kDifference:
            value = derived - base;
            break;
        case kRatio:
            if (base == 0.0) {
                message = roles.ratioUndefinedMessage;
            } else {
                value = derived / base;
            }
            break;
        default:
            // Odds of 0 or of an infinity leave the ratio undefined; shown
            // as "inf" or "nan" it would read back as 0 and move the derived
            // proportion without a word.
            if (base == 0.0 || base == 1.0 || derived == 1.0) {
                message = roles.oddsUndefinedMessage;
            } else {
                value = (1.0 - base) * derived / ((1.0 - derived) * base);
            }
            break;
    }
    if (!message && !std::isfinite(value)) {
        message =
            inputs->calcMode == kRatio ? roles.ratioUndefinedMessage : roles.oddsUndefinedMessage;
    }
    if (message) value = 1.0;
    inputs->text[kValue] = Format("%.7g", value);
    return message;
}

std::optional<std::string> UpdateDerived(Inputs* inputs, const Roles& roles) {
    const double base = Value(*inputs, roles.base);
    const double value = Value(*inputs, kValue);
    double derived = 0.0;
    switch (inputs->calcMode) {
        case kDifference:
            derived = value + base;
            break;
        case kRatio:
            derived = value * base;
            break;
        default:
            // An odds ratio of 0 leaves the derived proportion at 0.
            if (value != 0.0) derived = value * base / ((value - 1.0) * base + 1.0);
            break;
    }
    if (InUnitInterval(derived)) {
        inputs->text[roles.derived] = Format("%.7g", derived);
        return std::nullopt;
    }
    // NaN (an infinite odds ratio against a base of 1) is no side of the
    // interval; it takes the upper end as the limit of growing values does.
    derived = derived < 0.0 ? 0.0 : 1.0;
    inputs->text[roles.derived] = Format("%.7g", derived);
    UpdateValue(inputs, roles);
    return std::string(roles.clampMessage);
}

std::vector<std::string> SwitchMode(Inputs* inputs, const Roles& roles, int newMode) {
    std::vector<std::string> messages;
    if (auto message = UpdateDerived(inputs, roles)) messages.push_back(*message);
    inputs->calcMode = newMode;
    if (auto message = UpdateValue(inputs, roles)) messages.push_back(*message);
    return messages;
}

double ComputeG(const Inputs& inputs) {
    return Value(inputs, kP2) - Value(inputs, kP1);
}

double ComputeP1(const Inputs& inputs) {
    return Value(inputs, kP1);
}

void Save(const Inputs& inputs, const Roles& roles, PropertyList* store) {
    if (!store) return;
    SaveProportion(store, Key(roles, "p0"), inputs.text[roles.base]);
    SaveProportion(store, Key(roles, "p1"), inputs.text[roles.derived]);
    SetNamedLong(store, Key(roles, "cm").c_str(), inputs.calcMode);
}

void Restore(PropertyList* store, const Roles& roles, Inputs* inputs) {
    if (!store) return;
    RestoreProportion(store, Key(roles, "p0"), &inputs->text[roles.base]);
    RestoreProportion(store, Key(roles, "p1"), &inputs->text[roles.derived]);
    long mode = 0;
    if (GetNamedLong(store, Key(roles, "cm").c_str(), &mode) && kDifference <= mode &&
        mode <= kOddsRatio)
        inputs->calcMode = static_cast<int>(mode);
}

TransferPlan PlanTransfer(const Inputs& inputs, const Roles& roles, double effect) {
    TransferPlan plan;
    ParameterWrite write;
    write.label = ParameterNames[roles.base == kP1 ? kConstantProportionId : kProportionP2Id];
    write.value = Value(inputs, roles.base);
    write.skipWithin = kUnchangedWithin;
    plan.writes.push_back(write);
    plan.effectSize = effect;
    return plan;
}

}  // namespace effectsize::proportions
