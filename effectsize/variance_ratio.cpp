#include "effectsize/variance_ratio.h"

#include <cmath>

#include "analysis/property.h"
#include "analysis/property_input.h"

namespace effectsize::variance_ratio {

namespace {

constexpr const char* kKeys[kFieldCount] = {"tva_var1", "tva_var2"};

double ValueOf(const Inputs& inputs, int field) {
    double value = 0.0;
    std::string message;
    Evaluate(inputs.text[field], &value, &message);
    return value;
}

}  // namespace

bool Evaluate(const std::string& text, double* value, std::string* message) {
    const FormulaInputResult result = EvaluateFormulaText(FormulaPart(text));
    if (!result.ok) {
        *message = result.error.empty() ? "Input error" : result.error;
        return false;
    }
    if (!std::isfinite(result.value)) {
        *message = kNotANumberMessage;
        return false;
    }
    *value = result.value;
    return true;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    double values[kFieldCount] = {};
    for (int field = 0; field < kFieldCount; ++field) {
        std::string message;
        if (!Evaluate(inputs.text[field], &values[field], &message))
            return FieldError{field, message};
    }
    if (!(values[kVar0] > 0.0)) return FieldError{kVar0, kVar0Message};
    if (!(values[kVar1] >= 0.0)) return FieldError{kVar1, kVar1Message};
    if (!std::isfinite(values[kVar1] / values[kVar0]))
        return FieldError{kVar1, kNoFiniteRatioMessage};
    return std::nullopt;
}

double ComputeRatio(const Inputs& inputs) {
    return ValueOf(inputs, kVar1) / ValueOf(inputs, kVar0);
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    for (int field = 0; field < kFieldCount; ++field) {
        const std::string& text = inputs.text[field];
        // The store's string setter ignores an empty text, which would bring
        // the previous text back at the next opening; an emptied edit is
        // written as an empty entry instead.
        if (!text.empty()) {
            SetNamedString(store, kKeys[field], text);
        } else if (auto* entry = dynamic_cast<PropertyString*>(store->Find(kKeys[field]))) {
            entry->value.clear();
            entry->text.clear();
        } else if (!store->Find(kKeys[field])) {
            store->push_back(new PropertyString(kKeys[field], ""));
        }
    }
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    for (int field = 0; field < kFieldCount; ++field)
        GetNamedString(store, kKeys[field], &inputs->text[field]);
}

}  // namespace effectsize::variance_ratio
