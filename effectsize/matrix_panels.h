#pragma once

#include <optional>
#include <string>

#include "glm/labeled_matrix.h"

class PropertyList;

// What the panels that keep matrices share: the correlations of the two
// multiple-regression panels, sized to their predictor count and kept in
// the test's input store cell by cell, and the labels' text in the store.
namespace effectsize {

// A label or cell text as the store keeps it (UTF-8) and back.
std::string ToStoreText(const std::wstring& text);
std::wstring FromStoreText(const std::string& text);

// The correlations of the predictors with the outcome (1 x p) and among the
// predictors (p x p), as typed (cells) and evaluated (values).
struct PredictorCorrelations {
    LabeledMatrix outcome;
    LabeledMatrix predictors;
};

// The largest predictor count a panel sizes its matrices to.
inline constexpr int kMaxPredictors = 500;

// Sizes both records to p predictors (0 when p < 0, kMaxPredictors at most),
// keeping the leading entries: a new predictor i is labelled "P i+1", with
// outcome correlation "0", "1" on the diagonal and "0" against the others.
// Shrinking drops the trailing entries. The values follow the cells.
void SizePredictorCorrelations(PredictorCorrelations* c, int p);

// The cells under prefix + "_y_%d", the labels under prefix + "_yl_%d" and
// the lower triangle of the predictor cells under prefix + "_m_%d_%d".
void SaveCorrelations(const PredictorCorrelations& c, const std::string& prefix,
                      PropertyList* store);
// Sizes the records to p, then reads every key present; the predictor
// matrix is made symmetric with "1" on its diagonal.
void RestoreCorrelations(PropertyList* store, const std::string& prefix, int p,
                         PredictorCorrelations* c);

// R² = ρyᵀ R⁻¹ ρy of the evaluated cells, or the message why there is none
// (a singular predictor matrix, a result outside [0, 1] or not a number).
struct RSquaredResult {
    std::optional<double> value;
    std::string message;
};
RSquaredResult RSquaredOf(const PredictorCorrelations& c);

// A count typed as a number or formula, rounded half up; nothing for a text
// that does not evaluate.
std::optional<int> ReadCount(const std::string& text);

}  // namespace effectsize
