#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "effectsize/panel_common.h"

class PropertyList;

// Cohen's f of a one-way analysis of variance from the mean and size of each
// group and the common SD within the groups.
namespace effectsize::anova_omnibus {

inline constexpr int kMinGroups = 2;
inline constexpr int kMaxGroups = 50;

// The three edits; the cells of the group table follow as fields of their own
// (MeanCell, SizeCell), so that a check can name the cell to focus.
enum Field { kGroupCount, kSigma, kEqualN, kFieldCount };
int MeanCell(int group);
int SizeCell(int group);
// The group and column of a cell field; false for an edit.
bool CellOf(int field, int* group, bool* sizeColumn);

using Group = GroupRow;

// 1. Every field the panel shows, as typed. `groups` is the number of rows
// the table shows; `table` holds at least that many and never shrinks, so
// groups hidden by a lower count come back when it grows again.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"4", "1", "5"};
    int groups = 4;
    std::vector<Group> table = std::vector<Group>(4);
};

inline constexpr const char* kGroupCountMessage = "Please enter an integer between 2 and 50.";
inline constexpr const char* kEqualNMessage = "Please enter a whole number of at least 1.";
inline constexpr const char* kSigmaMessage =
    "The SD $\\sigma$ in each group must be greater than 1e-16";
inline constexpr const char* kSizeMessage = "The size of each group must be greater or equal 1";
// The largest total sample size: what the main window's count holds.
inline constexpr long kMaxTotal = 2147483647;
inline constexpr const char* kTotalMessage =
    "The total sample size must not be greater than 2147483647";
inline constexpr const char* kNoFiniteFMessage =
    "The effect size is too large to be computed from these values.";

// A table cell's number: the longest number at the start of the text (blanks
// before it allowed), else 0; false for a number that is not finite.
bool ReadCellNumber(const std::string& text, double* value);
// A size cell: the longest whole number at the start, else 0; false when it
// does not fit a long.
bool ReadCellCount(const std::string& text, long* value);

// The count typed into "Number of groups": a whole number in 2..50, or
// nothing.
std::optional<int> TypedGroupCount(const Inputs& inputs);
// Shows `count` rows, held within 2..50; new rows are mean 0 and size 5.
void SetGroupCount(Inputs* inputs, int count);
// "Equal n": every shown group gets the typed size. Returns the error of a
// size that is not a whole number of at least 1, changing nothing.
std::optional<FieldError> ApplyEqualN(Inputs* inputs);
// The sum of the shown sizes as the table reads them.
long TotalN(const Inputs& inputs);

// 2. The first error: the count, sigma, then every shown cell in order.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. f = sigma_m / sigma with the size-weighted grand mean and spread. Only
// for inputs that pass the check.
struct Result {
    double f = 0.0;
    long totalN = 0;
};
Result Compute(const Inputs& inputs);

// 4. "fao_sigma" and "fao_eq_n" (as typed), "fao_ngroups", and per group
// "fao_m<i>" (as typed), "fao_n<i>", hidden groups included.
void Save(const Inputs& inputs, PropertyList* store);
// A missing key leaves its field as it was; the count is held within 2..50.
void Restore(PropertyList* store, Inputs* inputs);

// The main window's inputs the set-up copies in: the count, and an equal size
// that spreads the total over the groups (rounded up).
void SetUpFromMainWindow(Inputs* inputs, std::optional<long> groups, std::optional<long> total);

// 5. The transfer: "Number of groups" and "Total sample size" each asked
// Yes / No / Cancel when the main window shows another value, then f.
struct TestContext {
    std::optional<long> groups;  // the main window's "Number of groups", when shown
    std::optional<long> total;   // its "Total sample size", when shown
};
std::string GroupCountQuestion(long panel, long main);
std::string TotalQuestion(long panel, long main);
TransferPlan PlanTransfer(const Result& result, int groups, const TestContext& context);

}  // namespace effectsize::anova_omnibus
