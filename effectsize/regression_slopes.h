#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "effectsize/panel_common.h"

class PropertyList;

// The panels of the bivariate linear regression tests. Each completes a
// regression (SD of x, SD of y, correlation, slope, residual SD) from three
// of those members chosen by an input mode: one group and the size of its
// slope, two groups and the difference of their slopes, two groups and the
// difference of their intercepts.
namespace effectsize::regression {

// One regression's five members.
struct Members {
    double sdX = 0.0;
    double sdY = 0.0;
    double rho = 0.0;
    double slope = 0.0;
    double residualSd = 0.0;
};

inline constexpr const char* kSdMessage = "The standard deviation must be greater than 1e-12";
inline constexpr const char* kCorrelationMessage =
    "The correlation coefficient must lie in the interval [-0.999999,0.999999]";
inline constexpr const char* kFirstRegressionMessage =
    "Illeagal input in first regression leading to\n"
    "correlation coefficient outside the interval [-1, 1]";
inline constexpr const char* kSecondRegressionMessage =
    "Illeagal input in second regression leading to\n"
    "correlation coefficient outside the interval [-1, 1]";
// The two-group modes that divide the slope by the correlation.
inline constexpr const char* kSmallCorrelationMessage =
    "For input mode 'sx1, slope 1, $\\rho$' |$\\rho$| must be > 1e-6";
// The same for the one-group mode that does.
inline constexpr const char* kOneSlopeSmallCorrelationMessage =
    "For input mode '$\\rho$, slope, $\\sigma$_x' |$\\rho$| must be > 1e-6";
// sd y = (slope / rho) sd x: a slope against the sign of the correlation
// would give a negative SD, a slope of 0 an SD of 0.
inline constexpr const char* kSlopeSignMessage =
    "The slope must not be 0 and must have the sign of the correlation";
inline constexpr const char* kResidualAboveSdYMessage =
    "The residual standard deviation must not be greater than $\\sigma$_y";
inline constexpr const char* kRatioMessage = "The allocation ratio N2/N1 must be greater than 0";
inline constexpr const char* kNotFiniteMessage =
    "These values give a result too large to be computed.";

// Whether the main window shows an input with this label.
using ShownInput = std::function<bool(const std::string& label)>;

// "%.7g", the way the panels show a number.
std::string FormatShown(double value);

}  // namespace effectsize::regression

// Test 211: one regression, the slope as the effect size.
namespace effectsize::one_slope {

enum Field { kSlope, kResidualSd, kSdX, kSdY, kRho, kFieldCount };
inline constexpr int kModeCount = 5;

// 1. Every member as typed or as last computed, and the input mode.
struct Inputs {
    std::array<std::string, kFieldCount> text = {"1", "0.3", "1", "1", "0.5"};
    int mode = 0;
};

// The mode's texts in the combo and the fields of its three edits, top to
// bottom, with their labels.
extern const std::array<const char*, kModeCount> kModeTexts;
std::array<int, 3> ModeFields(int mode);
std::array<const char*, 3> ModeLabels(int mode);
// Whether the mode shows sd y as its second result.
bool ShowsSdY(int mode);

// 2. The first error, or nothing.
std::optional<FieldError> Check(const Inputs& inputs);

// 3. The completed regression, for inputs that pass the check; the effect
// size is its slope.
regression::Members Compute(const Inputs& inputs);
// Writes the members the mode computes into their texts ("%.7g"), so that
// another mode starts from them.
void KeepComputed(const regression::Members& members, Inputs* inputs);

// The main window's values a first opening starts from, where it has them.
struct MainValues {
    std::optional<double> slope;  // "Slope H1"
    std::optional<double> sdX;    // "Std dev $\sigma$_x"
    std::optional<double> sdY;    // "Std dev $\sigma$_y"
};
void TakeMainValues(const MainValues& main, Inputs* inputs);

// 4. The keys "lreg_sel" and "lreg_<member>".
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// 5. The SDs of x and y rounded to 7 decimals where the main window has
// them, then the slope.
TransferPlan PlanTransfer(const regression::Members& members, const regression::ShownInput& shown);

}  // namespace effectsize::one_slope

// Test 208: one regression per group, |slope 1 - slope 2| as the effect size.
namespace effectsize::two_slopes {

enum Field {
    kSdX1,
    kSdY1,
    kRho1,
    kSlope1,
    kSdX2,
    kSdY2,
    kRho2,
    kSlope2,
    kRatio,     // N2/N1
    kPooledSd,  // last computed, never typed
    kFieldCount
};
inline constexpr int kModeCount = 3;

struct Inputs {
    std::array<std::string, kFieldCount> text = {"1", "1",   "0.5", "1", "1",
                                                 "1", "0.5", "0.5", "1", "0.3"};
    int mode = 0;
};

extern const std::array<const char*, kModeCount> kModeTexts;
// The fields of a group's three edits (group 0 or 1), top to bottom, their
// labels, and the member each group shows as its result.
std::array<int, 3> ModeFields(int mode, int group);
std::array<std::string, 3> ModeLabels(int mode, int group);
int ResultField(int mode, int group);
std::string ResultLabel(int mode, int group);

std::optional<FieldError> Check(const Inputs& inputs);

struct Result {
    std::array<regression::Members, 2> group;
    double ratio = 1.0;
    double pooledResidualSd = 0.0;
    double effect = 0.0;
};
Result Compute(const Inputs& inputs);
void KeepComputed(const Result& result, Inputs* inputs);

struct MainValues {
    std::optional<double> sdX1;   // "Std dev $\sigma$_x1"
    std::optional<double> sdX2;   // "Std dev $\sigma$_x2"
    std::optional<double> ratio;  // "Allocation ratio N2/N1"
    std::optional<long> n1;       // "Sample size group 1"
    std::optional<long> n2;       // "Sample size group 2"
};
void TakeMainValues(const MainValues& main, Inputs* inputs);

// 4. "lreg2_sel" and the members; without "lreg2_sel" the store holds
// nothing of this panel and Restore changes nothing.
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// 5. Both SDs of x, the pooled residual SD and the ratio, each rounded to 7
// decimals where the main window has it, then the effect size.
TransferPlan PlanTransfer(const Result& result, const regression::ShownInput& shown);

}  // namespace effectsize::two_slopes

// Test 209: |intercept 1 - intercept 2| as the effect size, typed directly,
// beside one regression whose SD of x and residual SD go to the main window.
namespace effectsize::two_intercepts {

enum Field {
    kSdX,
    kSdY,
    kRho,
    kSlope,
    kIntercept1,
    kIntercept2,
    kResidualSd,  // last computed, never typed
    kFieldCount
};
inline constexpr int kModeCount = 3;

struct Inputs {
    std::array<std::string, kFieldCount> text = {"1", "1", "0.5", "1", "0", "0", "0.3"};
    int mode = 0;
};

extern const std::array<const char*, kModeCount> kModeTexts;
std::array<int, 3> ModeFields(int mode);
std::array<const char*, 3> ModeLabels(int mode);

std::optional<FieldError> Check(const Inputs& inputs);

struct Result {
    regression::Members regression;
    double effect = 0.0;
};
Result Compute(const Inputs& inputs);
void KeepComputed(const Result& result, Inputs* inputs);

struct MainValues {
    std::optional<double> sdX1;            // "Std dev $\sigma$_x1"
    std::optional<double> interceptDelta;  // "|$\Delta$ intercept|"
};
void TakeMainValues(const MainValues& main, Inputs* inputs);

void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);

// 5. The SD of x and the residual SD, rounded to 7 decimals where the main
// window has them, then the effect size.
TransferPlan PlanTransfer(const Result& result, const regression::ShownInput& shown);

}  // namespace effectsize::two_intercepts
