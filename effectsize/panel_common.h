#pragma once

#include <optional>
#include <string>
#include <vector>

class PropertyList;

// What every effect-size panel's plain parts share: reading a typed number,
// the check's answer, the store of a field and the plan of a transfer.
namespace effectsize {

// The first input error a check finds: the field to focus and the message.
struct FieldError {
    int field = -1;
    std::string message;
};

// A panel's number as typed: surrounding blanks allowed, nothing else after
// the number; false for an empty text, for trailing characters, and for NaN
// and infinities.
bool ReadPanelNumber(const std::string& text, double* value);
// The message of a field whose text is not a number, the main window's own.
inline constexpr const char* kNotANumberMessage = "Input error (illegal character?)";

// A number field kept in a test's input store: its text exactly as typed (an
// emptied field stays empty) on a real-valued entry under `key`.
void SaveNumberField(PropertyList* store, const char* key, const std::string& text);
// The text under `key`; false, leaving *text alone, when the key is missing.
bool RestoreNumberField(PropertyList* store, const char* key, std::string* text);

// The first of `count` fields that `inUse(field)` names whose text is not a
// number, with its message.
template <class Texts, class InUse>
std::optional<FieldError> FirstNonNumber(const Texts& texts, int count, InUse inUse) {
    for (int field = 0; field < count; ++field) {
        double value = 0.0;
        if (inUse(field) && !ReadPanelNumber(texts[field], &value))
            return FieldError{field, kNotANumberMessage};
    }
    return std::nullopt;
}

// The texts of `count` number fields, each under its key in `keys`.
template <class Keys, class Texts>
void SaveNumberFields(PropertyList* store, int count, const Keys& keys, const Texts& texts) {
    for (int field = 0; field < count; ++field) SaveNumberField(store, keys[field], texts[field]);
}
template <class Keys, class Texts>
void RestoreNumberFields(PropertyList* store, int count, const Keys& keys, Texts* texts) {
    for (int field = 0; field < count; ++field)
        RestoreNumberField(store, keys[field], &(*texts)[field]);
}

// One write to a main-window input, named by its label.
struct ParameterWrite {
    std::string label;
    double value = 0.0;
    // Skip the write when the shown value differs by at most this much; a
    // negative tolerance always writes.
    double skipWithin = -1.0;
    // Asked Yes / No / Cancel before the write; empty asks nothing.
    std::string question;
};

// The writes of a transfer in their order, the effect size last. A refusal
// is shown instead and nothing is written.
struct TransferPlan {
    std::string refusal;
    std::vector<ParameterWrite> writes;
    std::optional<double> effectSize;
};

// One row of a table of group means and sizes, as typed (the one-way ANOVA
// and the repeated-measures between-factor panels).
struct GroupRow {
    std::string mean = "0";
    std::string size = "5";
};

}  // namespace effectsize
