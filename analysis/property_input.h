#pragma once

#include <string>

#include "analysis/property.h"

// Typed entries that may be formulas: a text that contains "=" is evaluated
// from the character after its first "=" by a Formula without variables.

// The outcome of evaluating one entry text.
struct FormulaInputResult {
    bool ok = false;
    double value = 0.0;
    // Why the text could not be read: "Input error (illegal character?)"
    // for characters left over, the formula's own message (ending with a line
    // break) for a syntax or math error, or "Input error" for anything else.
    std::string error;
};

// Evaluates `expression` (already stripped of anything up to its "=").
FormulaInputResult EvaluateFormulaText(const std::string& expression);

// The text after the first "=" of `text`, or the whole text.
std::string FormulaPart(const std::string& text);

// Reads a typed entry for the dialog-field readers. The raw text is first
// remembered in `store` under `key` (when the key is not empty). With
// `formulas` false the input's current value is returned. Otherwise the text
// is evaluated; a failure returns 0 with the reason in *error, which is
// emptied on success. EvaluateLongInput rounds halves upward and reports a
// result outside the 32-bit range as "Input error (number out of range)".
long EvaluateLongInput(PropertyList* store, Property* input, std::string key, bool formulas,
                       std::string* error);
double EvaluateDoubleInput(PropertyList* store, Property* input, std::string key, bool formulas,
                           std::string* error);
