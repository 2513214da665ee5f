#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// Cohen's f of a special effect (a main effect or an interaction) of a
// fixed-effects analysis of variance or covariance: from the variance the
// effect explains and the error variance, or directly from partial eta
// squared.
namespace effectsize::anova_special {

enum Field { kEffectVariance, kErrorVariance, kEta2, kFieldCount };
enum Mode { kFromVariances = 0, kDirect = 1 };

// 1. Every field the panel shows, as typed, the input mode, and the variance
// type that names the denominator (1: the variance within groups, any other
// value: the error variance).
struct Inputs {
    std::array<std::string, kFieldCount> text = {"1", "1", "0.5"};
    int mode = kFromVariances;
    int varianceType = 0;
};

// The label of the denominator's variance.
std::string VarianceLabel(int varianceType);
// The fields the mode reads; partial eta squared is an output in mode 0.
bool FieldIsInput(int mode, int field);

inline constexpr const char* kEffectVarianceMessage =
    "The effect variance must be greater than 2.22045e-15";
// "The error variance must be ..." or "The variance within groups must be ...".
std::string DenominatorMessage(int varianceType);
inline constexpr const char* kEta2Message =
    "$\\eta$$^2$ outside of admissible range (1e-19,1-1e-19)";
inline constexpr const char* kNoFiniteFMessage =
    "The effect size is too large to be computed from these values.";

// 2. The first error of the fields the mode reads, or nothing.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. Partial eta squared (computed in mode 0, read in mode 1) and f. Only
// for inputs that pass the check.
struct Result {
    double eta2 = 0.0;
    double f = 0.0;
};
Result Compute(const Inputs& inputs);

// 4. "fas_varerr", "fas_varspecial", "fas_inmode", "fas_eta2", "fas_type".
void Save(const Inputs& inputs, PropertyList* store);
// A store without "fas_inmode" restores mode 0; any other missing key leaves
// its field as it was.
void Restore(PropertyList* store, Inputs* inputs);

// 5. f alone goes to the main window.
TransferPlan PlanTransfer(double f);

}  // namespace effectsize::anova_special
