#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/matrix_panels.h"
#include "effectsize/panel_common.h"

class PropertyList;

// The effect sizes of linear multiple regression that start from R²: f² of
// the omnibus F test (fixed model, test 103) and ρ² under H1 of the exact
// test in the random model (test 611). Both may take R² from the
// correlations of the predictors with the outcome and among themselves.
namespace effectsize::regression_omnibus {

enum Field { kR2, kPredictors, kFieldCount };
enum Mode { kFromR2 = 0, kFromCorrelations = 1 };

// 1. R² (mode 0) or the predictor count of the matrices (mode 1), both as
// typed (numbers or formulas), and the matrices.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"0.5", "3"};
    int mode = kFromR2;
    PredictorCorrelations correlations;
    Inputs() { SizePredictorCorrelations(&correlations, 3); }
};

inline constexpr const char* kR2RangeMessage =
    "Squared multiple correlation out of\nadmissible range (0, 1-1e-16)";
inline constexpr const char* kPredictorCountMessage = "The number of predictors must be >= 1";

// 2. The first error, or nothing. In mode 1 the predictor count is
// evaluated and the matrices are read as sized to it.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. R² and f² = R² / (1 - R²) for inputs that pass the check.
struct Result {
    double r2 = 0.0;
    double f2 = 0.0;
};
Result Compute(const Inputs& inputs);

// The matrices sized to the typed predictor count (unchanged when it does
// not evaluate); what every step that walks over p runs first.
void SizeToTypedCount(Inputs* inputs);

// 4. "fmo_mode", "fmo_r2", "fmo_pred" and the matrices under "fmo_y_%d",
// "fmo_yl_%d", "fmo_m_%d_%d".
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// 5. f² alone; the predictor count is not the panel's to set.
TransferPlan PlanTransfer(const Result& result);

}  // namespace effectsize::regression_omnibus

namespace effectsize::regression_random {

enum Field {
    kSampleSize,
    kPredictors,
    kObservedR2,
    kConfidence,
    kPosition,
    kCorrelationPredictors,
    kFieldCount
};
enum Mode { kFromInterval = 0, kFromCorrelations = 1 };

// 1. The confidence-interval group (N, k, observed R², confidence level,
// position in the interval), the predictor count of the correlations group,
// all as typed, and the matrices.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"100", "6", "0.3", "0.95", "0.5", "6"};
    int mode = kFromInterval;
    PredictorCorrelations correlations;
    Inputs() { SizePredictorCorrelations(&correlations, 6); }
};

bool FieldInUse(int mode, int field);

inline constexpr const char* kPredictorsMessage = "The number of predictors must be >= 1";
inline constexpr const char* kSampleSizeMessage =
    "The sample size must be greater than Predictor+1 ";
inline constexpr const char* kObservedR2Message =
    "The observed multiple regression parameter must lie in the interval [0..1]";
// The level is 1 - alpha; the one-sided bounds use 2 (1 - c) as alpha of a
// two-sided interval, which needs c above 0.5.
inline constexpr const char* kConfidenceMessage =
    "The confidence level (1-$\\alpha$) must lie in the interval (0.5..0.999999]";
inline constexpr const char* kPositionMessage =
    "The relative position must lie in the interval [0..1]";

// 2. The first error, or nothing. The interval itself is computed by
// Compute, which may still fail (see Result::failure).
std::optional<FieldError> Check(const Inputs& inputs);

// 3. Mode 0: the two-sided interval of ρ² at level c, the one-sided bounds
// (the two-sided interval at 1 - 2 (1 - c)), and ρ² := lower + (upper -
// lower) * position. Mode 1: ρ² = ρyᵀ R⁻¹ ρy. A distribution that could not
// be solved gives a failure message and no effect size.
struct Result {
    double lower = 0.0;
    double upper = 0.0;
    double lowerBound = 0.0;
    double upperBound = 0.0;
    double rho2 = 0.0;
    std::optional<FieldError> failure;
};
Result Compute(const Inputs& inputs);

void SizeToTypedCount(Inputs* inputs);

// 4. "mrcrnd_mode", the texts under "mcrrnd_ssize", "mcrrnd_pred1",
// "mcrrnd_obsr2", "mcrrnd_alpha", "mcrrnd_relpos", "mcrrnd_pred2", and the
// matrices under "mcrrnd_y_%d", "mcrrnd_yl_%d", "mcrrnd_m_%d_%d".
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);
const char* StoreKey(int field);

// The main window's "Number of predictors" and "Total sample size" texts
// (null when not shown) taken into the interval group once the drawer
// opened; a field holding a formula keeps it.
void TakeMainWindowCounts(const std::string* predictors, const std::string* sampleSize,
                          Inputs* inputs);

// 5. The predictor count (k, or p of the matrices), in mode 0 the sample
// size, then ρ².
TransferPlan PlanTransfer(const Inputs& inputs, const Result& result);

}  // namespace effectsize::regression_random
