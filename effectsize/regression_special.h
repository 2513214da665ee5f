#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// f squared of a set of predictors in a fixed-model linear multiple
// regression (the R squared increase, test 104) and of a single coefficient
// (test 210): from the variance the predictors explain and the residual
// variance, or from partial R squared directly. Both tests share these
// pieces and their store keys; each test has its own store.
namespace effectsize::regression_special {

enum Field { kEffectVariance, kResidualVariance, kPartialR2, kFieldCount };
enum Mode { kFromVariances = 0, kDirect = 1 };

// 1. The three fields as typed; partial R squared is an output in the mode
// from variances and the variances are not read in the direct mode.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"1", "1", "0.5"};
    int mode = kFromVariances;
};

bool FieldInUse(int mode, int field);

inline constexpr const char* kEffectVarianceMessage =
    "The effect variance must be greater than 1e-16";
inline constexpr const char* kErrorVarianceMessage =
    "The error variance must be greater than 1e-16";
inline constexpr const char* kR2RangeMessage =
    "$\\R$$^2$ outside of admissible range (1e-16,1-1e-16)";
inline constexpr const char* kNotFiniteMessage =
    "These values give a result too large to be computed.";

// 2. The first error, or nothing.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. Partial R squared and f squared = R2 / (1 - R2), for inputs that pass
// the check. From variances f squared is their ratio itself.
struct Result {
    double partialR2 = 0.0;
    double f2 = 0.0;
};
Result Compute(const Inputs& inputs);

// 4. "fms_inmode", "fms_r2", "fms_vareff", "fms_varres".
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// 5. f squared alone.
TransferPlan PlanTransfer(const Result& result);

}  // namespace effectsize::regression_special
