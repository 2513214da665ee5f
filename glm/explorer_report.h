#pragma once

#include <optional>
#include <string>
#include <vector>

#include "glm/contrast_list.h"
#include "glm/labeled_matrix.h"

class PowerGLMM;

// A table of the explorer's report: rows of cell texts, the header first.
// The texts are plain (a Greek letter is the letter itself); whoever turns
// them into markup escapes them.
using ReportTable = std::vector<std::vector<std::wstring>>;

// The report of one pair of a predictor contrast C and a response contrast
// A: its caption, both contrasts' coefficients and the result tables (the
// t table; the F table; or the univariate table followed by the
// multivariate one). When the model cannot be computed for the pair, the
// reason stands in place of the result tables.
struct ReportBlock {
    std::wstring caption;  // "Test of: " C's name " x " A's name "\n"
    ReportTable cTable, aTable;
    std::vector<ReportTable> results;
    std::wstring failure;
    // What the tables' "?" rows owe to the model, shown under the tables.
    std::vector<std::wstring> notes;
};

// What the General tab holds, as typed.
struct ReportSettingsTexts {
    std::wstring alpha = L"0.05";
    std::wstring power = L"0.80";
    std::wstring totalN = L"24";
    bool aPriori = false;  // "A priori: Calc sample size", else "Post hoc: Calc Power"
};

struct ReportSettings {
    double alpha = 0.05;
    double power = 0.8;
    double totalN = 24.0;
    bool aPriori = false;
};

// The settings read with the leading-number rule, or why they cannot be
// used: α and the target power must lie strictly between 0 and 1, a post
// hoc N must be a positive number (a zero α or N would be computed into
// tables that look like answers).
std::optional<std::wstring> ReadReportSettings(const ReportSettingsTexts& texts,
                                               ReportSettings* settings);

// The tabs' matrices into the model: X (cells x predictors), the cell
// weights (first column of W), B and Σ; the counts follow X and B. The
// reason when their shapes do not fit together (a tab not yet brought in
// step with the design) or Σ is no covariance matrix, and the model
// untouched.
std::optional<std::wstring> SetModelMatrices(PowerGLMM& model, const LabeledMatrix& X,
                                             const LabeledMatrix& W, const LabeledMatrix& B,
                                             const LabeledMatrix& Sigma);

// The blocks for every pair, C in its order and for each C every A in its
// order; none when either list is empty. A sample-size search that finds no
// N shows "no sample size found"; a test that cannot be computed shows "?"
// in its computed cells.
std::vector<ReportBlock> BuildReport(PowerGLMM& model, const PowerContrastList& cList,
                                     const PowerContrastList& aList,
                                     const ReportSettings& settings);

// The texts of cells that are not computed and of a failed search.
inline constexpr const wchar_t* kNotComputed = L"?";
inline constexpr const wchar_t* kNoSampleSize = L"no sample size found";
