#pragma once

#include <array>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// "H1 corr rho" of the tetrachoric correlation test and the two marginal
// probabilities of its 2x2 table: from observed frequencies (a point inside
// the confidence interval of the estimate) or from cell probabilities (their
// tetrachoric correlation). Cells are numbered row then column: 11 and 12
// above 21 and 22.
namespace effectsize::tetrachoric {

enum Field {
    kP11,
    kP12,
    kP21,
    kP22,
    kF11,
    kF12,
    kF21,
    kF22,
    kRelativePosition,
    kConfidenceLevel,
    kFieldCount
};
enum Mode { kFromFrequencies = 0, kFromProbabilities = 1 };

// 1. Every field the panel shows, as typed, the input mode, and the test's
// option that reports the approximation r* (Bonett and Price) in place of
// the exact estimate in frequency mode.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"0.25", "0.25", "0.25", "0.25", "25",
                                                 "25",   "25",   "25",   "0",    "0.95"};
    int mode = kFromProbabilities;
    bool approximation = false;
};

// The fields the mode reads.
bool FieldIsInput(int mode, int field);

inline constexpr const char* kAllFrequenciesMessage = "All four frequencies must be given.";
inline constexpr const char* kNegativeFrequencyMessage = "Frequencies must be >= 0.";
inline constexpr double kMaxTotal = 2147483647.0;
inline constexpr const char* kTotalMessage =
    "The sum of the frequencies must not be greater than 2147483647.";
inline constexpr const char* kRelativePositionMessage =
    "The relative position inside the C.I.  must be\nbetween 0 (=left) and 1 (=right).";
inline constexpr const char* kConfidenceLevelMessage =
    "The confidence level must lie in the interval [0.5, 0.999]\n";
inline constexpr const char* kEmptyCellsMessage = "More than one empty cell!";
inline constexpr const char* kProbabilityRangeMessage =
    "Probabilities must lie in the interval [0,1].";
inline constexpr const char* kProbabilitySumMessage = "The sum of probabilities must be 1.0.";
inline constexpr const char* kNoEstimateMessage =
    "No tetrachoric correlation can be estimated from this table.";

// A field's value: blank is empty (0); a text holding "=" is a formula;
// any other text must be a number with nothing after it. False with the
// reason in *error.
bool ReadField(const std::string& text, double* value, bool* empty, std::string* error);

// 2. The first error of the mode's fields, in the order a user reads them,
// or an estimator that finds no correlation for the table.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. The results of each mode. Only for inputs that pass the check.
struct FrequencyResult {
    double n = 0.0;
    double estimate = 0.0;  // r or r*, rounded to 7 decimals
    double marginalX = 0.0;
    double marginalY = 0.0;
    double lower = 0.0;  // the interval, within [-1, 1]
    double upper = 0.0;
    double standardError = 0.0;
};
struct ProbabilityResult {
    double r = 0.0;      // rounded to 7 decimals
    double rStar = 0.0;  // rounded to 7 decimals
    double marginalX = 0.0;
    double marginalY = 0.0;
};
struct Result {
    int mode = kFromProbabilities;
    FrequencyResult frequencies;
    ProbabilityResult probabilities;
    double effectSize = 0.0;
    double MarginalX() const;
    double MarginalY() const;
};
Result Compute(const Inputs& inputs);

// 4. "tetc_sel" and the ten texts as typed ("tetc_m11" ... "tetc_mx11" ...
// "tetc_rpos", "tetc_clevel").
const char* StoreKey(int field);
void Save(const Inputs& inputs, PropertyList* store);
// A missing key leaves its field as it was.
void Restore(PropertyList* store, Inputs* inputs);

// 5. The marginals (rounded to 7 decimals) and, from frequencies, the total
// sample size to the main window inputs that are shown; the effect size
// last.
struct TestContext {
    bool showsMarginalX = false;
    bool showsMarginalY = false;
    bool showsTotal = false;
};
TransferPlan PlanTransfer(const Result& result, const TestContext& context);

}  // namespace effectsize::tetrachoric
