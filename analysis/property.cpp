#include "analysis/property.h"

#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "numerics/rounding.h"

namespace {

// atof follows the process locale; the program's numbers always use ".".
// strtod_l with a private C locale keeps parsing correct whatever
// setlocale the user interface did.
double ParseCDouble(const std::string& s) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(s.c_str(), nullptr, cLocale);
}

// Written with "." whatever the process locale: the C locale is made this
// thread's locale for the one call.
std::string FormatC(const char* format, double v) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const locale_t previous = uselocale(cLocale);
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, v);
    uselocale(previous);
    return buffer;
}

std::string FormatDouble16(double v) {
    return FormatC("%.16g", v);
}

std::string FormatLong(long v) {
    return std::to_string(v);
}

}  // namespace

// ---------------------------------------------------------------- Property

Property::Property(std::string n) : name(std::move(n)) {}

Property* Property::Clone() const {
    auto* copy = new Property("");
    CopyStrings(*copy);
    return copy;
}

void Property::SetText(std::string t) {
    text = std::move(t);
    ParseText();
}

void Property::CopyStrings(Property& target) const {
    target.text = text;
    target.helpText = helpText;
    target.name = name;
}

// ------------------------------------------------------------ PropertyLong

PropertyLong::PropertyLong(std::string n, std::string t) : Property(std::move(n)) {
    SetText(std::move(t));
}

PropertyLong::PropertyLong(std::string n, long v) : Property(std::move(n)), value(v) {
    text = FormatLong(v);
}

bool RoundToWhole(double x, long* out) {
    const double r = RoundTo(x, 0);
    if (!(-2147483648.0 <= r && r <= 2147483647.0)) return false;
    *out = static_cast<long>(r);
    return true;
}

void PropertyLong::ParseText() {
    if (text.find('=') != std::string::npos) return;
    const double x = ParseCDouble(text);
    if (RoundToWhole(x, &value)) return;
    value = std::isnan(x) ? 0 : (x < 0 ? -2147483648L : 2147483647L);
}

Property* PropertyLong::Clone() const {
    auto* copy = new PropertyLong("", 0L);
    CopyStrings(*copy);
    copy->value = value;
    return copy;
}

void PropertyLong::SetValue(long v) {
    value = v;
    if (text.find('=') == std::string::npos) text = FormatLong(v);
}

// ---------------------------------------------------------- PropertyDouble

PropertyDouble::PropertyDouble(std::string n, std::string t, bool isIntegral)
    : Property(std::move(n)), integral(isIntegral) {
    SetText(std::move(t));
}

PropertyDouble::PropertyDouble(std::string n, double v, int digits, bool isIntegral)
    : Property(std::move(n)), integral(isIntegral) {
    SetValueWithDigits(v, digits);
}

PropertyDouble::PropertyDouble(std::string n, double v, bool isIntegral)
    : Property(std::move(n)), integral(isIntegral) {
    SetValue(v);
}

void PropertyDouble::ParseText() {
    value = ParseCDouble(text);
}

Property* PropertyDouble::Clone() const {
    auto* copy = new PropertyDouble("", 0.0, false);
    CopyStrings(*copy);
    copy->value = value;
    copy->integral = integral;
    return copy;
}

void PropertyDouble::SetValue(double v) {
    value = v;
    SetText(FormatDouble16(v));
}

namespace {

// The format of a real output with `digits` digits.
std::string RealFormat(double v, int digits) {
    if (digits >= 1 && std::fabs(v) > 0.01 && std::fabs(v) < 100.0) {
        return "%." + std::to_string(digits) + "f";
    }
    return "%." + std::to_string(std::abs(digits)) + "g";
}

}  // namespace

void PropertyDouble::SetValueWithDigits(double v, int digits) {
    std::string format;
    if (integral) {
        v = RoundTo(v, 0);
        format = (std::fabs(v) == 0.0 || std::log10(std::fabs(v)) < 12.0) ? "%.f" : "%.5g";
    } else {
        format = RealFormat(v, digits);
    }
    value = v;
    SetText(FormatC(format.c_str(), v));
}

double ShownOutputValue(double v) {
    if (!std::isfinite(v)) return v;
    return ParseCDouble(FormatC(RealFormat(v, kOutputDigits).c_str(), v));
}

double ShownOutputAtLeast(double v) {
    const double shown = ShownOutputValue(v);
    if (!(shown < v)) return shown;
    // One unit of the last digit shown: a fixed decimal, or the last of
    // the significant digits.
    const bool fixed = std::fabs(v) > 0.01 && std::fabs(v) < 100.0;
    const double exponent =
        fixed ? -kOutputDigits : std::floor(std::log10(std::fabs(v))) - (kOutputDigits - 1);
    return ShownOutputValue(shown + std::pow(10.0, exponent));
}

// -------------------------------------------------------- PropertyExDouble

Property* PropertyExDouble::Clone() const {
    auto* copy = new PropertyExDouble("", 0.0, false);
    CopyStrings(*copy);
    copy->value = value;
    copy->integral = integral;
    copy->testId = testId;
    return copy;
}

// ------------------------------------------------------- PropertySelection

PropertySelection::PropertySelection(std::string n) : Property(std::move(n)) {}

void PropertySelection::ParseText() {
    index = -1;
    for (int i = 0; i < GetOptionCount(); ++i) {
        if (options[i] == text) index = i;
    }
}

Property* PropertySelection::Clone() const {
    auto* copy = new PropertySelection("");
    CopyStrings(*copy);
    copy->options = options;
    copy->index = index;
    return copy;
}

bool PropertySelection::IsSelectionValid() const {
    return index >= 0 && index < GetOptionCount() && options[index] == text;
}

std::string PropertySelection::EnsureValidSelection(std::string s) {
    if (IsSelectionValid()) return s;
    if (options.empty()) return std::string();
    index = 0;
    text = options[0];
    return options[0];
}

void PropertySelection::SelectText(std::string s) {
    for (int i = 0; i < GetOptionCount(); ++i) {
        if (options[i] == s) {
            index = i;
            text = options[i];
            return;
        }
    }
    index = -1;
}

std::string PropertySelection::GetOption(int i) const {
    const int n = GetOptionCount();
    if (n == 0) return std::string();
    return options[((i % n) + n) % n];
}

int PropertySelection::SetIndex(int i) {
    const int n = GetOptionCount();
    if (n == 0) {
        index = -1;
        return 0;
    }
    index = ((i % n) + n) % n;
    return i / n;
}

std::string PropertySelection::GetSelectedText() const {
    if (!(0 <= index && index < GetOptionCount())) return std::string();
    return options[index];
}

// ---------------------------------------------------------- PropertyString

PropertyString::PropertyString(std::string n, std::string v) : Property(std::move(n)) {
    SetText(std::move(v));
}

Property* PropertyString::Clone() const {
    auto* copy = new PropertyString("", "");
    CopyStrings(*copy);
    copy->value = value;
    return copy;
}

// ------------------------------------------------------------ PropertyList

PropertyList::~PropertyList() {
    Clear();
}

void PropertyList::CopyTo(PropertyList& destination) const {
    if (&destination == this) return;
    destination.Clear();
    for (const Property* element : *this) destination.push_back(element->Clone());
}

void PropertyList::Clear() {
    for (Property* element : *this) delete element;
    clear();
}

Property* PropertyList::Find(std::string_view name) const {
    for (Property* element : *this) {
        if (element->name == name) return element;
    }
    return nullptr;
}

Property* PropertyList::FindWithIndex(std::string_view name, int* index) const {
    for (size_t i = 0; i < size(); ++i) {
        if ((*this)[i]->name == name) {
            if (index) *index = static_cast<int>(i);
            return (*this)[i];
        }
    }
    return nullptr;
}

// ------------------------------------------------------------ named store

bool GetNamedLong(PropertyList* store, const char* key, long* out) {
    auto* entry = dynamic_cast<PropertyLong*>(store->Find(key));
    if (!entry) return false;
    *out = entry->value;
    return true;
}

bool GetNamedDouble(PropertyList* store, const char* key, double* out) {
    auto* entry = dynamic_cast<PropertyDouble*>(store->Find(key));
    if (!entry) return false;
    *out = entry->value;
    return true;
}

bool GetNamedString(PropertyList* store, const char* key, std::string* out) {
    Property* entry = store->Find(key);
    if (!entry) return false;
    *out = entry->text;
    return true;
}

void SetNamedLong(PropertyList* store, const char* key, long value) {
    if (auto* entry = dynamic_cast<PropertyLong*>(store->Find(key))) {
        entry->SetValue(value);
    } else {
        store->push_back(new PropertyLong(key, value));
    }
}

void SetNamedDouble(PropertyList* store, const char* key, double value) {
    if (auto* entry = dynamic_cast<PropertyDouble*>(store->Find(key))) {
        entry->SetValue(value);
    } else {
        store->push_back(new PropertyDouble(key, value, false));
    }
}

void SetNamedString(PropertyList* store, const char* key, std::string value) {
    if (value.empty()) return;
    Property* entry = store->Find(key);
    if (!entry) {
        store->push_back(new PropertyString(key, value));
        return;
    }
    if (auto* s = dynamic_cast<PropertyString*>(entry)) s->value = value;
    entry->SetText(value);
}
