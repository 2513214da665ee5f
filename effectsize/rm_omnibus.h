#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "effectsize/panel_common.h"

class PropertyList;

// Cohen's f of the between-subjects factor of a repeated-measures ANOVA
// from the groups' means and sizes and the SD within the groups, expressed
// in the effect-size specification of the test (0 plain f, 1 and 3 f(V)
// with the measurements and their correlation, 2 f(U) with N too).
namespace effectsize::rm_omnibus {

enum Field { kGroups, kSigma, kMeasurements, kCorrelation, kEqualN, kFieldCount };

inline constexpr int kMinGroups = 2;
inline constexpr int kMaxGroups = 50;

using Group = GroupRow;

// 1. Every field as typed, and the group table. The table only grows: rows
// beyond the shown count stay and come back when the count grows again.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"4", "1", "2", "0", "5"};
    int groups = 4;
    std::vector<Group> table = std::vector<Group>(4);
};

// A check's field for the mean (or the size) of group i.
int MeanField(int group);
int SizeField(int group);
// The group and column of a table field; false for an edit field.
bool CellOf(int field, int* group, bool* sizeColumn);

inline constexpr const char* kGroupCountMessage =
    "The number of groups must lie in the range [2, 50]";
inline constexpr const char* kSigmaMessage =
    "The SD $\\sigma$ in each group must be greater than 1e-16";
inline constexpr const char* kCorrelationMessage =
    "The correlation $\\rho$ among repeated measures must\nlie in the range [-0.9999999, "
    "0.9999999]";
inline constexpr const char* kMeasurementsMessage = "There must be at least two measurements";
// The most measurements the form's spin offers; a count the transfer writes
// as a whole number.
inline constexpr int kMaxMeasurements = 200;
inline constexpr const char* kMeasurementsRangeMessage =
    "The number of measurements must lie in the range [2, 200]";
inline constexpr const char* kSizeMessage = "The size of each group must be greater or equal 1";
inline constexpr const char* kEqualNMessage = "Equal n must be a whole number of at least 1.";
inline constexpr const char* kTotalMessage =
    "The total sample size must be greater than the number of groups";
// The largest total sample size: what the main window's count holds.
inline constexpr long kMaxTotal = 2147483647;
inline constexpr const char* kTotalTooLargeMessage =
    "The total sample size must not be greater than 2147483647";

// The count typed into "Number of groups", when it is one within 2..50.
std::optional<int> TypedGroupCount(const Inputs& inputs);
// Shows `count` groups, growing the table with means 0 and sizes 5.
void SetGroupCount(Inputs* inputs, int count);
// "Equal n": every shown group gets the typed size.
std::optional<FieldError> ApplyEqualN(Inputs* inputs);
// The sum of the shown sizes that read as whole numbers.
long TotalN(const Inputs& inputs);

// 2. The first error, or nothing. The measurements and the correlation are
// read only where the specification uses them (not 0).
std::optional<FieldError> Check(const Inputs& inputs, int specification);

// 3. f0 = the SD of the means weighted by size / sigma, expressed in the
// specification.
struct Result {
    double f = 0.0;
    long totalN = 0;
};
Result Compute(const Inputs& inputs, int specification);
// f0 in specification 0 expressed in `specification` for m measurements,
// k groups, correlation rho and total N.
double ConvertFromPlain(double f0, int specification, double m, double k, double rho, double n);

// 4. "frmo_sigma", "frmo_repcorr", "frmo_ngroups", "frmo_nmeasures",
// "frmo_eq_n" and per shown group "frmo_m<i>" and "frmo_n<i>".
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// The main window's counts and correlation at opening, where shown.
struct MainValues {
    std::optional<long> groups, measurements;
    std::optional<std::string> correlation;
};
void SetUpFromMainWindow(Inputs* inputs, const MainValues& main);

// 5. A question (Yes / No / Cancel) before each count that differs from
// the main window's: groups, measurements (specifications other than 0),
// total; then f.
struct TestContext {
    int specification = 0;
    std::optional<long> mainGroups, mainMeasurements, mainTotal;
};
TransferPlan PlanTransfer(const Inputs& inputs, const Result& result, const TestContext& context);

}  // namespace effectsize::rm_omnibus
