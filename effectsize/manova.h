#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;
class PowerMultCriterion;

// f squared of a MANOVA (global effects, special effects and interactions)
// from a value of the test's multivariate criterion, with the design counts
// that the conversion takes and the transfer hands to the main window.
namespace effectsize::manova {

enum Field { kCriterion, kGroups, kResponses, kPredictors, kTotal, kFieldCount };

// 1. Every field, as typed.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"0.4", "5", "2", "5", "100"};
};

// Which counts the form shows: the global test hides the predictors (they
// follow the groups), and only the Hotelling-Lawley T2 criteria, whose
// conversion depends on N, show the total sample size.
struct Layout {
    bool groups = true;
    bool predictors = false;
    bool total = false;
};
Layout LayoutFor(int testId, int criterionId);
bool UsesSampleSize(int criterionId);

inline constexpr const char* kCountMessage = "Please enter a whole number of at least 1.";
inline constexpr const char* kNoEffectMessage =
    "The criterion value gives no effect size for this design.";
// Shown, without stopping, when the main window has no "Total sample size"
// (an a priori analysis) and the conversion depends on N.
inline constexpr const char* kAPrioriWarning =
    "The conversion to effect size f depends on the \nsample size! Thus, it cannot be computed \n"
    "in an a priori analysis. The sample size you set \nin the field `total sample size' has been "
    "assumed\nto calculate the effect size.\n";

// 2. The first field that does not read (a count must be a whole number of
// at least 1), or nothing; hidden counts hold the main window's values.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. f squared from the criterion's conversion with the criterion value, N,
// k, the predictors minus 1 and p; a value the criterion cannot convert is
// reported on the criterion field.
struct Result {
    double f2 = 0.0;
    std::optional<FieldError> error;
};
Result Compute(const Inputs& inputs, PowerMultCriterion& criterion);

// 4. Only the criterion value is kept ("fman_crit"); the counts come from
// the main window at every opening.
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// The counts the main window shows when the drawer opens: k, N (100 when
// absent), p and the predictors (3 when absent); the global test's
// predictors are its groups.
struct MainCounts {
    std::optional<long> groups, total, responses, predictors;
};
void SetUpFromMainWindow(Inputs* inputs, int testId, const MainCounts& main);

// 5. The counts, each where the main window shows it, then f squared: the
// groups for the global test or an N-dependent criterion, the responses,
// the predictors, the total for an N-dependent criterion.
struct TestContext {
    int testId = 0;
    int criterionId = 0;
    bool hasGroups = false, hasResponses = false, hasPredictors = false, hasTotal = false;
};
TransferPlan PlanTransfer(const Inputs& inputs, double f2, const TestContext& context);

}  // namespace effectsize::manova
