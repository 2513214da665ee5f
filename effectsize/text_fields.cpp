#include "effectsize/text_fields.h"

#include <cmath>

#include "analysis/property.h"
#include "analysis/property_input.h"
#include "effectsize/panel_common.h"

namespace effectsize {

bool ReadPanelFormula(const std::string& text, double* value, std::string* message) {
    if (text.find_first_not_of(" \t") == std::string::npos) {
        *message = kNotANumberMessage;
        return false;
    }
    const FormulaInputResult result = EvaluateFormulaText(FormulaPart(text));
    if (!result.ok) {
        *message = result.error.empty() ? std::string(kNotANumberMessage) : result.error;
        return false;
    }
    if (!std::isfinite(result.value)) {
        *message = kNotANumberMessage;
        return false;
    }
    *value = result.value;
    return true;
}

void SaveTextField(PropertyList* store, const char* key, const std::string& text) {
    if (!store) return;
    Property* entry = store->Find(key);
    if (!entry) {
        auto* added = new PropertyString(key, text);
        added->value = text;
        store->push_back(added);
        return;
    }
    if (auto* s = dynamic_cast<PropertyString*>(entry)) s->value = text;
    entry->text = text;
}

bool RestoreTextField(PropertyList* store, const char* key, std::string* text) {
    return store && GetNamedString(store, key, text);
}

}  // namespace effectsize
