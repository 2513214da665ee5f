#include "effectsize/panel_common.h"

#include <charconv>
#include <cmath>

#include "analysis/property.h"

namespace effectsize {

bool ReadPanelNumber(const std::string& text, double* value) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    if (begin == end) return false;
    // from_chars takes no leading "+" and reads "." whatever the C locale is.
    if (text[begin] == '+') {
        ++begin;
        if (begin == end || text[begin] == '-' || text[begin] == '+') return false;
    }
    double parsed = 0.0;
    const auto [stop, error] = std::from_chars(text.data() + begin, text.data() + end, parsed);
    if (error != std::errc() || stop != text.data() + end || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

void SaveNumberField(PropertyList* store, const char* key, const std::string& text) {
    if (!store) return;
    double value = 0.0;
    ReadPanelNumber(text, &value);
    SetNamedDouble(store, key, value);
    // The typed text, not the value's own formatting, is what comes back.
    if (auto* entry = dynamic_cast<PropertyDouble*>(store->Find(key))) entry->text = text;
}

bool RestoreNumberField(PropertyList* store, const char* key, std::string* text) {
    if (!store || !dynamic_cast<PropertyDouble*>(store->Find(key))) return false;
    return GetNamedString(store, key, text);
}

}  // namespace effectsize
