#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One point of a curve, an area outline, a marker or a label anchor. The
// plotting classes draw a line through each run of consecutive valid points.
struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
    double extra1 = 0.0;  // not used by the distribution graph
    double extra2 = 0.0;  // not used by the distribution graph
    bool valid = true;
};

// Everything the distribution plot draws for "Central and noncentral
// distributions": the densities under H0 and H1 at 201 common abscissae,
// the outlines of the shaded alpha and beta areas, the critical values, the
// label anchors and the y-axis limit. Filled by
// PowerAnalysis::MakeDistributionPlot on the plot worker.
struct PlotData {
    std::vector<PlotPoint> centralCurve;     // H0 density, increasing x
    std::vector<PlotPoint> noncentralCurve;  // H1 density at the same x
    std::vector<PlotPoint> alphaArea;        // H0 tail of the layout's side
    std::vector<PlotPoint> alphaArea2;       // other tail (two-tailed tests only)
    std::vector<PlotPoint> betaArea;         // H1 acceptance region
    std::vector<PlotPoint> markers;          // points on the x axis
    double criticalValue = 0.0;
    double criticalValue2 = 0.0;  // equals criticalValue in a one-tailed test
    double yLimit = 0.0;
    PlotPoint alphaLabel;
    PlotPoint alphaLabel2;
    PlotPoint betaLabel;
    std::string statisticName;
    bool continuous = true;
    std::int32_t side = 1;  // +1 upper-tail layout, -1 lower-tail layout
};

// Number of intervals of the sampling grid; the curves have one point more.
constexpr int kPlotIntervals = 200;

class PowerAnalysis;

// How long a distribution plot may take before it is given up, in seconds.
constexpr double kPlotTimeBudget = 0.5;

// The plot worker's entry: fills `plot` through the test's
// MakeDistributionPlot, polling the test's cancel flag (CancelledError) and
// a time budget throughout. Densities far out in the noncentrality or the
// degrees of freedom cost so much that a plot could take minutes; such a
// plot, and one whose curves are not numbers, is reported as a QuorixError:
// the distributions cannot be drawn for these inputs.
void MakeBoundedDistributionPlot(PowerAnalysis* test, PlotData* plot,
                                 double budgetSeconds = kPlotTimeBudget);
