#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// The ratio var1/var0 of two variances, for the variance tests.
namespace effectsize::variance_ratio {

enum Field { kVar0, kVar1, kFieldCount };

// 1. The two edits as typed; each holds a number or a formula ("=...").
struct Inputs {
    std::array<std::string, kFieldCount> text = {"1", "2"};
};

inline constexpr const char* kVar0Message = "Variance 0 must be a positive value";
inline constexpr const char* kVar1Message = "Variance 1 must be non-negative\n";
inline constexpr const char* kNoFiniteRatioMessage =
    "The ratio is too large to be computed from these values.";

// A field's number or formula; false with the reader's message when the
// text does not evaluate to a finite number.
bool Evaluate(const std::string& text, double* value, std::string* message);

// 2. The first error: an edit that does not evaluate, var0 <= 0, var1 < 0,
// a ratio beyond the range of doubles.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. var1 / var0, for inputs that passed the check.
double ComputeRatio(const Inputs& inputs);

// 4. The texts as typed under "tva_var1" (var0) and "tva_var2" (var1); an
// emptied edit is stored empty and comes back empty. A missing key leaves
// its field as it was.
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// 5. The transfer writes the ratio alone: the base plan.

}  // namespace effectsize::variance_ratio
