#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "effectsize/panel_common.h"

class PropertyList;

// Cohen's f of a repeated-measures ANOVA effect (between factors, within
// factors, interaction) from the variance the effect explains and the
// error variance, expressed in the test's effect-size specification, or
// directly from partial eta squared.
namespace effectsize::rm_special {

enum Field {
    kEffectVariance,
    kErrorVariance,
    kEta2,
    kMeasurements,
    kCorrelation,
    kGroups,
    kTotal,
    kFieldCount
};

// 1. Every field as typed (numbers or formulas), the input mode (0 "From
// variances", 1 "Direct") and the variance type, which is only kept.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"1", "2", "0.5", "4", "0.5", "2", "100"};
    int mode = 0;
    int varianceType = 0;
};

// The store key of a field.
const char* StoreKey(int field);

// A row of the form that a specification uses: the field, the edit it is
// shown in, and its label.
struct ExtraRow {
    int field;
    int controlId;
    const char* label;
};
// The rows of the specification (0 and 3 use none), in the order of the
// form: specification 1 measurements (1022) and correlation (1020);
// specification 2 measurements (1019, not for test 108), groups (1022) and
// total (1020).
std::vector<ExtraRow> ExtraRows(int specification, int testId);
// "Error variance" for specifications 2 and 3, else "Variance within group".
const char* VarianceLabel(int specification);

inline constexpr double kSmallestVariance = 2.220446049250313e-15;
inline constexpr const char* kTotalMessage =
    "The total sample size must be greater than the number of groups";
inline constexpr const char* kEta2Message =
    "$\\eta$$^2$ outside of admissible range (1e-10,1-1e-10)";
inline constexpr const char* kCorrelationMessage =
    "$\\rho$$^2$ outside of admissible range [-0.9999999999, 0.9999999999]";

// 2.-3. The check and the formula in one pass, as the fields are read: the
// first error, or f with partial eta squared.
struct TestContext {
    int specification = 0;
    int testId = 0;
};
struct Result {
    double f = 0.0;
    double eta2 = 0.0;
    std::optional<FieldError> error;
};
Result Compute(const Inputs& inputs, const TestContext& context);

// 4. Every field's text as typed, "frmms_inmode" and "frmms_type".
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// 5. In mode 0, a question before each count that differs from the main
// window's: the measurements (specifications 1 and 2, not test 108), the
// groups and the total (specification 2); then f.
struct MainCounts {
    std::optional<long> groups, measurements, total;
};
TransferPlan PlanTransfer(const Inputs& inputs, double f, const TestContext& context,
                          const MainCounts& main);

}  // namespace effectsize::rm_special
