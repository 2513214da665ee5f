#pragma once

#include <string>

class PropertyList;

// Panel fields whose text may be a formula: the text itself is what the
// store keeps, so that a formula stays a formula and an emptied field stays
// empty after the drawer closes and opens again.
namespace effectsize {

// Reads a number or a formula ("=" and an expression, or a bare
// expression) as the main window's inputs do. False with the evaluator's
// message for an unreadable text, and with kNotANumberMessage for an empty
// text or a result that is NaN or infinite.
bool ReadPanelFormula(const std::string& text, double* value, std::string* message);

// Keeps `text` under `key` as a text entry, an empty text included.
void SaveTextField(PropertyList* store, const char* key, const std::string& text);
// The text under `key`; false, leaving *text alone, when the key is missing.
bool RestoreTextField(PropertyList* store, const char* key, std::string* text);

// True when the text holds a formula, which the main window's value must
// not overwrite.
inline bool HoldsFormula(const std::string& text) {
    return text.find('=') != std::string::npos;
}

}  // namespace effectsize
