#pragma once

#include <optional>
#include <string>

#include "effectsize/panel_common.h"
#include "glm/labeled_matrix.h"

class PropertyList;

// Δ of the Hotelling T² tests: the Mahalanobis distance of the mean vector
// from zero (one group, test 106) or between two mean vectors (test 107),
// Δ² = d Σ⁻¹ dᵀ over p response variables, every mean multiplied by a factor.
namespace effectsize::hotelling {

enum Method { kCovariances = 0, kSdAndCorrelation = 1, kSdAndCorrelationPattern = 2 };
enum Field { kResponses, kPatternCorrelation, kMeanFactor, kFieldCount };

inline constexpr int kMaxResponses = 50;

// 1. The form's fields as typed, the covariance input method, the pattern
// kind and the two records: means (2 x p, row 1 the second group) and the
// covariance in the form of the method (covariances, or standard deviations
// on the diagonal and correlations off it).
struct Inputs {
    std::string text[kFieldCount] = {"2", "0.6", "1"};
    int method = kSdAndCorrelationPattern;
    bool firstOrderAutocorr = true;
    LabeledMatrix means;
    LabeledMatrix covariance;
    Inputs() { ResizeMatrices(2); }
    // Resizes both records to p responses, keeping what fits: a new
    // response k is labelled "Y k+1", with means "0", "1" on the diagonal
    // and "0" against the others. The values follow the cells.
    void ResizeMatrices(int p);
};

inline constexpr const char* kResponsesMessage =
    "The number of response variables must lie in the interval [1..50]";
inline constexpr const char* kPatternMessage = "The correlation must lie in the interval (-1..1)";
inline constexpr const char* kSingularMessage =
    "The covariance matrix is singular or not positive definite:\n"
    "$\\Delta$ cannot be computed.";
inline constexpr const char* kNotFiniteMessage =
    "These values give a result too large to be computed.";

// The covariance values with the pattern's correlations: Corr everywhere
// (compound symmetry) or Corr^|i - j| (first-order autocorrelation); the
// diagonal stays. The cells follow with "%lg".
// A correlation whose pattern has an entry that is not a finite number (a
// power that overflows) builds nothing: false, the matrix as it was.
bool BuildCorrelationPattern(Inputs* inputs, double corr);

// The covariance record converted to `method`'s form (the cells evaluated
// first, written back with "%lg"); a conversion that fails (a variance not
// above 0, a correlation outside [-1, 1]) leaves the values as they were.
void ChangeMethod(Inputs* inputs, int method);

// The count typed in the responses field, or nothing when it is not an
// integer within [1, kMaxResponses].
std::optional<int> ResponseCount(const Inputs& inputs);

// 2. The first error, or nothing: p, Corr (method 2) and the factor read as
// numbers, and Δ computable (Σ positive definite, Δ finite). The records are
// taken as sized to p.
std::optional<FieldError> Check(const Inputs& inputs, bool oneGroup);

// 3. Δ for inputs that pass the check.
double Compute(const Inputs& inputs, bool oneGroup);

// 4. prefix + "_inmode", "_nresvar", per response j "_cl" j, "_m1_" j,
// "_m2_" j and "_s_" i "_" j for i <= j (the values); the typed Corr, mean
// factor and pattern kind under "_corr", "_factor" and "_autocorr".
void Save(const Inputs& inputs, const std::string& prefix, PropertyList* store);
void Restore(PropertyList* store, const std::string& prefix, Inputs* inputs);

// 5. "Response variables" := p, then Δ.
TransferPlan PlanTransfer(const Inputs& inputs, double delta);

}  // namespace effectsize::hotelling
