#pragma once

// What the X-Y plot window plots: which parameter is on the y axis, which one
// varies along x, which one gives one curve per value and which one is held
// constant, with the ranges and values of each, and a private copy of the
// current test on which the series are computed. Plain C++: the window edits
// it, a worker thread computes into it.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/plot_data.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"

using XYCurve = std::vector<PlotPoint>;

// The roles {y, x, layer, constant} with which the X-Y plot opens for an
// analysis: what the analysis solves for goes on the y axis. False for an
// analysis code without roles.
bool XYPlotRolesFor(int analysisCode, bool generic, std::array<int, 4>* roles);

class PlotSettings {
  public:
    // The parameters every test offers, by index.
    enum Parameter { kAlpha = 0, kPower = 1, kEffect = 2, kTotalSampleSize = 3 };
    static constexpr int kMaxCurves = 10;
    // More table points per curve than this are refused: a range such as
    // 10 to 1e9 in steps of 1 would otherwise exhaust memory and time.
    static constexpr double kMaxPointsPerCurve = 10000;

    // {from, to, step} when the parameter is x; {from, layerStep} when it is
    // the layer.
    struct Range {
        double from = 0;
        double to = 0;
        double step = 0;
        double layerStep = 0;
    };

    // Called on the worker after every computed point with the completed
    // fraction; true asks the computation to stop.
    using ProgressCallback = std::function<bool(double fraction)>;

    PlotSettings();
    ~PlotSettings();
    PlotSettings(const PlotSettings&) = delete;
    PlotSettings& operator=(const PlotSettings&) = delete;

    // Resets everything from `current` (which stays the caller's) and sets
    // the four roles in the order y, x, layer, constant.
    void InitFromAnalysis(PowerAnalysis* current, int yRoleIndex, int xRoleIndex,
                          int layerRoleIndex, int constantRoleIndex);
    void BuildParameterList();

    // A role taking a parameter that another role holds swaps the two; each
    // role then reloads its edit fields from the committed rows.
    void SetYRole(int p);
    void SetXRole(int p);
    void SetLayerRole(int p);
    void SetConstantRole(int p);

    void SetXRange(double from, double to, double step);
    void SetLayerRange(double from, double step);
    void SetLayerValue(double v) { layerSingleValue = v; }
    void SetConstantValue(double v) { constantValue = v; }
    // The edit fields go back into the rows (after a completed computation).
    void CommitRanges();

    // Three for the generic tests (no total sample size), else four.
    int ParameterCount() const { return static_cast<int>(parameters.size()); }
    bool CheckParameterValue(int type, int p, double value);
    // -1 when the ranges and values can be computed; else the edit field to
    // correct (0 x from, 1 x step, 2 x to, 3 layer from or layer value,
    // 4 layer step, 5 constant value), with `message` saying why.
    int Validate();

    // Computes the curves on the working copy; false when cancelled (the
    // curves completed before stay). Numerical failures propagate.
    bool BuildSeries();
    // The y value at x for the current layer and constant values; sets
    // pointFailed when there is none.
    double EvaluateAt(double x);

    // The number of table points per curve for the current x range.
    int TablePointCount() const;
    // How far past xTo the last x value may fall and still count.
    double EndTolerance() const;

    ProgressCallback progress;
    PowerAnalysis* prototype = nullptr;   // the frame's current test, not owned
    std::unique_ptr<PowerAnalysis> test;  // the working copy
    AnalysisType analysisType = kPostHoc;
    PropertyList parameters;
    std::string message;
    std::string title;
    std::string subtitle;
    std::vector<XYCurve> tableCurves;
    std::vector<XYCurve> drawCurves;
    bool interpolateOnly = true;

    std::array<double, 4> working{};
    double* xWorking = nullptr;
    double* layerWorking = nullptr;
    double* constantWorking = nullptr;
    std::array<double, 4> value{};
    std::array<Range, 4> range{};
    std::array<std::string, 4> names;
    std::array<std::string, kMaxCurves> curveLabels;
    int yRole = -1;
    int xRole = -1;
    int layerRole = -1;
    int constantRole = -1;
    int curveCount = 1;

    double xFrom = 0, xStep = 0, xTo = 0;
    double layerFrom = 0, layerStep = 0, layerLast = 0, layerSingleValue = 0;
    double constantValue = 0;

    bool pointFailed = false;
    double xMin = 0, xMax = 1, yMin = 0, yMax = 1;

  private:
    // Moves role `which` to parameter p; a role that held p gets the old one.
    void AssignRole(int* which, int p);
    void ReloadFields(const int* which);
    double LayerValueOf(int k) const;
    int Report(int field);  // message = the test's message; returns `field`
    void WidenRange(const XYCurve& curve, bool first);
    void WriteTitles();

    double spare_ = 0;
};
