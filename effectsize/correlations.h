#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// Effect sizes of correlation tests: a correlation from a coefficient of
// determination (the exact test of one correlation and the point-biserial
// model), Cohen's q of two independent correlations, and the H1 correlation
// of two dependent correlations from the H0 one and q.
namespace effectsize::determination {

enum Field { kR2, kFieldCount };

// 1. The coefficient of determination as typed.
struct Inputs {
    std::string r2 = "0.5";
};

inline constexpr const char* kRangeMessage =
    "Coefficient of determination out of\nadmissible range (1e-12, 1 - 1e-12)";

// 2. The error, or nothing: r2 must lie strictly between 1e-12 and
// 1 - 1e-12.
std::optional<FieldError> Check(const Inputs& inputs);
// 3. |rho| = sqrt(r2).
double ComputeR(const Inputs& inputs);
// 4. One real-valued key: "exco_r2" for the exact test, "tco_r2" for the
// point-biserial model.
inline constexpr const char* kExactKey = "exco_r2";
inline constexpr const char* kPointBiserialKey = "tco_r2";
void Save(const Inputs& inputs, const char* key, PropertyList* store);
void Restore(PropertyList* store, const char* key, Inputs* inputs);

}  // namespace effectsize::determination

namespace effectsize::two_correlations {

enum Field { kR1, kR2, kFieldCount };

struct Inputs {
    std::array<std::string, kFieldCount> text = {"0.3", "0.5"};
};

inline constexpr const char* kR1Message =
    "correlation coefficient 1 out of\nadmissible range (-1+1e-10, 1-1e-10)";
inline constexpr const char* kR2Message =
    "correlation coefficient 2 out of\nadmissible range (-1+1e-10, 1-1e-10)";

// 2. Each correlation strictly inside (-1 + 1e-10, 1 - 1e-10).
std::optional<FieldError> Check(const Inputs& inputs);
// 3. q = atanh r1 - atanh r2, signed.
double ComputeQ(const Inputs& inputs);
// 4. "z2c_corr1", "z2c_corr2".
const char* StoreKey(int field);
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

}  // namespace effectsize::two_correlations

namespace effectsize::dependent_correlations {

// Both fields may hold formulas.
enum Field { kRab, kQ, kFieldCount };

struct Inputs {
    std::array<std::string, kFieldCount> text = {"0.3", "1"};
};

// What a calculation gives: the H0 correlation read, and r_ac.
struct Result {
    double rab = 0.0;
    double rac = 0.0;
};

// 2. and 3. The first error (an unreadable text with the evaluator's
// message, or r_ab outside (-1 + 1e-10, 1 - 1e-10) with the message of
// two_correlations::kR1Message), or the result: r_ac is the correlation
// whose Fisher z is that of r_ab minus q, tanh(atanh r_ab - q).
std::optional<FieldError> Compute(const Inputs& inputs, Result* result);

// 4. The texts under "z2dc_corr1" and "z2dc_effq".
const char* StoreKey(int field);
void Save(const Inputs& inputs, PropertyList* store);
// A missing key gives an empty field.
void Restore(PropertyList* store, Inputs* inputs);

// The set-up after the drawer opened: unless r_ab holds a formula it takes
// the text of the main window's "H0 corr rho_ab", or "0.3" when the main
// window has no such input.
void SetUpFromMainWindow(const std::optional<std::string>& mainWindowRab, Inputs* inputs);

// 5. The transfer: "H0 corr rho_ab" := r_ab, then the effect size r_ac.
TransferPlan PlanTransfer(const Result& result);

}  // namespace effectsize::dependent_correlations
