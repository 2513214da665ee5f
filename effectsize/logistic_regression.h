#pragma once

#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// Logistic regression: the odds ratio from the probabilities Pr(Y=1|X=1)
// under H1 and H0, or the H1 probability from the odds ratio and the H0
// probability, whichever the current test takes as its effect.
namespace effectsize::logistic_regression {

// The first field is the H1 probability or the odds ratio, by the input
// kind; both may hold formulas.
enum Field { kInput1, kP0, kFieldCount };

// 1. The texts as typed. Both texts of the first field are kept, so that a
// change of the input kind shows what was typed for that kind.
struct Inputs {
    std::string p1 = "0.5";
    std::string oddsRatio = "4";
    std::string p0 = "0.3";
    // True when the first field is the H1 probability (the result is the
    // odds ratio), false when it is the odds ratio (the result is p1).
    bool probabilityInput = true;
};

// The text of `field` as the panel shows it, and its change.
const std::string& FieldText(const Inputs& inputs, int field);
void SetFieldText(Inputs* inputs, int field, const std::string& text);

// The input kind that makes the panel's result the effect the test takes:
// a test taking the odds ratio gets the H1 probability as input.
inline bool ProbabilityInputFor(bool testTakesOddsRatio) {
    return testTakesOddsRatio;
}

inline constexpr const char* kP0Message = "Proportion 1 out of\nadmissible range (1e-10, 1-1e-10)";
inline constexpr const char* kP1Message = "Proportion 2 out of\nadmissible range (1e-10, 1-1e-10)";
inline constexpr const char* kOddsRatioMessage =
    "Odds ratio must be greater than 1e-10\nadmissible range (1e-10, infinity)";

// What a calculation gives: p0 as read and the result (the odds ratio or
// p1).
struct Result {
    double p0 = 0.0;
    double value = 0.0;
};

// 2. and 3. The first error, each on its own field, or the result:
// OR = (p1 / (1 - p1)) / (p0 / (1 - p0)), or p1 = p0 OR / ((OR - 1) p0 + 1).
std::optional<FieldError> Compute(const Inputs& inputs, Result* result);

// 4. The texts under "zlog_in2" (p0), "zlog_in1p" (the H1 probability) and
// "zlog_in1or" (the odds ratio).
inline constexpr const char* kP0Key = "zlog_in2";
inline constexpr const char* kP1Key = "zlog_in1p";
inline constexpr const char* kOddsRatioKey = "zlog_in1or";
void Save(const Inputs& inputs, PropertyList* store);
// A missing key leaves its text as it was.
void Restore(PropertyList* store, Inputs* inputs);

// The set-up after the drawer opened: unless p0 holds a formula it takes
// the text of the main window's "Pr(Y=1|X=1) H0", or "0.3" when the main
// window has no such input.
void SetUpFromMainWindow(const std::optional<std::string>& mainWindowP0, Inputs* inputs);

// 5. The transfer: "Pr(Y=1|X=1) H0" := p0, then the effect size.
TransferPlan PlanTransfer(const Result& result);

}  // namespace effectsize::logistic_regression
