#include "analysis/property_input.h"

#include "analysis/formula.h"

FormulaInputResult EvaluateFormulaText(const std::string& expression) {
    FormulaInputResult result;
    try {
        Formula formula(expression.c_str(), nullptr);
        if (formula.GetError() != Formula::kValid) {
            result.error = formula.GetError() == Formula::kLeftOver
                               ? "Input error (illegal character?)"
                               : formula.GetMessage();
            return result;
        }
        result.value = formula.Evaluate();
        if (formula.GetError() != Formula::kValid) {
            result.value = 0.0;
            result.error = formula.GetMessage();
            return result;
        }
        result.ok = true;
    } catch (...) {
        result.value = 0.0;
        result.error = "Input error";
    }
    return result;
}

std::string FormulaPart(const std::string& text) {
    const size_t eq = text.find('=');
    return eq == std::string::npos ? text : text.substr(eq + 1);
}

namespace {

// Steps shared by both readers; false when the caller returns the input's
// own value without evaluating.
bool Prepare(PropertyList* store, Property* input, const std::string& key, bool formulas,
             std::string* error, FormulaInputResult* result) {
    error->clear();
    const std::string text = input->text;
    if (!key.empty()) SetNamedString(store, key.c_str(), text);
    if (!formulas) return false;
    *result = EvaluateFormulaText(FormulaPart(text));
    if (!result->ok) *error = result->error;
    return true;
}

}  // namespace

long EvaluateLongInput(PropertyList* store, Property* input, std::string key, bool formulas,
                       std::string* error) {
    FormulaInputResult result;
    if (!Prepare(store, input, key, formulas, error, &result)) {
        const auto* typed = dynamic_cast<const PropertyLong*>(input);
        return typed ? typed->GetValue() : 0;
    }
    if (!result.ok) return 0;
    long whole = 0;
    if (!RoundToWhole(result.value, &whole)) {
        *error = "Input error (number out of range)";
        return 0;
    }
    return whole;
}

double EvaluateDoubleInput(PropertyList* store, Property* input, std::string key, bool formulas,
                           std::string* error) {
    FormulaInputResult result;
    if (!Prepare(store, input, key, formulas, error, &result)) {
        const auto* typed = dynamic_cast<const PropertyDouble*>(input);
        return typed ? typed->GetValue() : 0.0;
    }
    return result.ok ? result.value : 0.0;
}
