#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;
class PowerMultCriterion;

// Cohen's f of a repeated-measures MANOVA test (between factors, within
// factors, interaction) from a value of the test's multivariate criterion:
// the plain conversion of one value (between and within factors), or the
// conversion with the design's dimensions (interaction), whose counts the
// transfer hands to the main window.
namespace effectsize::rm_criterion {

enum Field { kCriterion, kGroups, kMeasurements, kTotal, kFieldCount };

// The effect tested: 0 between factors (test 111), 1 within factors (112),
// 2 the interaction (113).
int EffectTypeOf(int testId);

// 1. Every field, as typed; the plain panel shows the criterion alone.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"0.4", "2", "2", "100"};
    bool withDesign = false;
    int effectType = 0;
};

inline constexpr const char* kCountMessage = "Please enter a whole number of at least 1.";
inline constexpr const char* kNoEffectMessage =
    "The criterion value gives no effect size for this design.";

// Only the Hotelling-Lawley T2 criteria depend on N: the panel shows N for
// them, and warns in an a priori analysis, where the main window has none.
bool UsesSampleSize(int criterionId);
// The warning of an a priori analysis, naming the N the conversion uses.
std::string APrioriWarning(long n);

// 2. The first field that does not read, or nothing.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. f: the criterion's plain conversion, or the design's with the value,
// N, k and the hypothesis and response dimensions of the effect type
// (between k - 1 and 1, within 1 and m - 1, interaction k - 1 and m - 1).
struct Result {
    double f = 0.0;
    std::optional<FieldError> error;
};
Result Compute(const Inputs& inputs, PowerMultCriterion& criterion);

// 4. Only the criterion value is kept ("frm_crit").
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// The main window's counts at opening; N is 100 unless it shows one.
struct MainCounts {
    std::optional<long> groups, total, measurements;
};
void SetUpFromMainWindow(Inputs* inputs, const MainCounts& main);

// 5. The design panel writes "Number of groups" and "Number of
// measurements" where shown, and "Total sample size" for an N-dependent
// criterion where shown; then f. The plain panel writes f alone.
struct TestContext {
    int criterionId = 0;
    bool hasGroups = false, hasMeasurements = false, hasTotal = false;
};
TransferPlan PlanTransfer(const Inputs& inputs, double f, const TestContext& context);

}  // namespace effectsize::rm_criterion
