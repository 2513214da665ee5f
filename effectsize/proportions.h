#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "effectsize/panel_common.h"

class PropertyList;

// The proportion panels: one proportion against a constant (g = P2 - P1) and
// two proportions (the effect size is P1). Both let the user type the second
// proportion directly or through a difference, a ratio or an odds ratio
// relative to the first one. The one-proportion panel derives P2 from P1; the
// two-proportions panel, whose captions read "Calc P1 from ...", "difference
// P1 - P2" and "ratio P1/P2", derives P1 from P2.
namespace effectsize::proportions {

enum Field { kP1, kP2, kValue, kFieldCount };
enum CalcMode { kDifference = 0, kRatio = 1, kOddsRatio = 2 };

// What differs between the two panels: which proportion is given (the base)
// and which the value field derives, their messages and the store prefix.
struct Roles {
    Field base;
    Field derived;
    const char* ratioUndefinedMessage;
    const char* oddsUndefinedMessage;
    const char* clampMessage;
    // The store keys are "<prefix>_p0" (base), "<prefix>_p1" (derived) and
    // "<prefix>_cm" (mode).
    const char* storePrefix;
};
extern const Roles kOneProportion;
extern const Roles kTwoProportions;

inline constexpr const char* kP1RangeMessage =
    "Proportion P1 is outside the admissible range [0..1]";
inline constexpr const char* kP2RangeMessage =
    "Proportion P2 is outside the admissible range [0..1]";

// 1. The three edits as typed and the chosen mode. The value field's "1.5"
// is replaced by the odds ratio of the proportions as soon as the form shows
// (UpdateValue).
struct Inputs {
    std::array<std::string, kFieldCount> text = {"0.5", "0.55", "1.5"};
    int calcMode = kOddsRatio;
};

// A field read the way the panel reads it: the number at the start of the
// text, 0 when there is none.
double Value(const Inputs& inputs, int field);

// 2. The check a proportion edit runs when it loses the focus: a text that
// is not one number (a decimal comma, a letter, nothing) is refused with
// kNotANumberMessage rather than read as the number it starts with; outside
// [0, 1] (NaN and an overflowed decimal included) gives its range message.
std::optional<FieldError> CheckProportion(const Inputs& inputs, Field field);
// Both proportions by that check, P1 first.
std::optional<FieldError> CheckProportions(const Inputs& inputs);
// The whole check before a calculation, a sync or a change of mode: both
// proportions, then a value field that is not one number or overflowed.
std::optional<FieldError> Check(const Inputs& inputs);

// The value field from the two proportions by the mode, written with "%.7g".
// Where the ratio or odds ratio has no value (a base of 0 for the ratio, a
// proportion of 0 or 1 that makes the odds infinite) the field shows 1 and
// the message is returned.
std::optional<std::string> UpdateValue(Inputs* inputs, const Roles& roles);
// The derived proportion from the base and the value field by the mode,
// written with "%.7g". A result outside [0, 1] is clamped to the nearer end,
// the value field recomputed from the clamped proportion, and the clamp
// message returned (the form then focuses the value field); the calculation
// goes on with the clamped proportion.
std::optional<std::string> UpdateDerived(Inputs* inputs, const Roles& roles);
// A click on a mode: the derived proportion follows the value under the old
// mode, then the value field is recomputed under the new one. The messages
// in the order they are shown.
std::vector<std::string> SwitchMode(Inputs* inputs, const Roles& roles, int newMode);

// 3. The effect sizes, from inputs after UpdateDerived: g = P2 - P1 of the
// one-proportion test, P1 of the two-proportions test.
double ComputeG(const Inputs& inputs);
double ComputeP1(const Inputs& inputs);

// 4. Store mapping. The edits' numbers are kept as reals and come back with
// "%.7lf"; an emptied edit comes back empty, and a text that is not one
// number comes back as typed (for the checks to refuse, not as its start).
void Save(const Inputs& inputs, const Roles& roles, PropertyList* store);
// A missing key leaves its field as it was.
void Restore(PropertyList* store, const Roles& roles, Inputs* inputs);

// 5. The transfer: the proportion the main window holds as an input (P1 as
// "Constant proportion", P2 as "Proportion p2") when it differs by more than
// 1e-10 from what is shown there, then the effect size.
inline constexpr double kUnchangedWithin = 1e-10;
TransferPlan PlanTransfer(const Inputs& inputs, const Roles& roles, double effect);

}  // namespace effectsize::proportions
