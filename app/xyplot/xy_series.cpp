// The series of the X-Y plot: every curve evaluated on the working copy of
// the test at the user's x steps (the table) and on a finer grid (the lines).
// Runs on a worker thread; it touches nothing but the settings and its copy.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/xyplot/xy_plot_settings.h"
#include "numerics/cancel.h"
#include "numerics/rounding.h"
#include "ui/graphics/plot/plot_geometry.h"

namespace {

std::string Number6(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6g", v);
    return buffer;
}

void AppendPart(std::string* text, const std::string& part) {
    if (!text->empty()) *text += ", ";
    *text += part;
}

}  // namespace

double PlotSettings::EvaluateAt(double x) {
    if (xWorking) *xWorking = x;
    pointFailed = false;
    PowerAnalysis& t = *test;
    const double n = working[kTotalSampleSize];
    if (t.exactFlag) {
        t.groupSize1 = RoundTo(n / (t.allocationRatio + 1.0), 0);
        t.groupSize2 = n - t.groupSize1;
    } else {
        t.groupSize1 = t.groupSize2 = n * 0.5;
    }
    const double alphaValue = working[kAlpha];
    const double powerValue = working[kPower];
    double effect = t.EffectForSolving(working[kEffect]);
    switch (analysisType) {
        case kAPriori:
            if (xRole == kEffect && t.IsTargetPowerUnreachable(&effect, alphaValue, powerValue)) {
                pointFailed = true;
                return 0;
            }
            return t.SolveSampleSize(effect, alphaValue, powerValue, false);
        case kSensitivity: {
            double v = t.EffectForPlotting(
                t.SolveEffectSize2(alphaValue, powerValue, t.groupSize1, t.groupSize2));
            t.AdjustSensitivityEffect(&v);
            return v;
        }
        case kPostHoc:
            return t.ComputePower2(effect, alphaValue, t.groupSize1, t.groupSize2);
        case kCriterion:
            return t.SolveAlpha2(effect, powerValue, t.groupSize1, t.groupSize2);
        default:
            return 0;
    }
}

double PlotSettings::LayerValueOf(int k) const {
    return curveCount < 2 ? layerSingleValue : layerFrom + k * layerStep;
}

void PlotSettings::WidenRange(const XYCurve& curve, bool first) {
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    plot::ComputePointRange(curve, x0, x1, y0, y1);
    if (first) {
        xMin = x0;
        xMax = x1;
        yMin = y0;
        yMax = y1;
        return;
    }
    xMin = std::min(xMin, x0);
    xMax = std::max(xMax, x1);
    yMin = std::min(yMin, y0);
    yMax = std::max(yMax, y1);
}

bool PlotSettings::BuildSeries() {
    if (!test) return false;
    const int count = std::clamp(curveCount, 1, kMaxCurves);
    layerLast = layerFrom + (count - 1) * layerStep;
    // A role without a parameter (the constant of a generic test) writes
    // into a slot that nothing reads.
    auto pointer = [&](int role) { return role >= 0 && role < 4 ? &working[role] : &spare_; };
    xWorking = pointer(xRole);
    layerWorking = pointer(layerRole);
    constantWorking = pointer(constantRole);
    *constantWorking = constantValue;
    tableCurves.clear();

    const double tol = EndTolerance();
    const int tablePoints = TablePointCount();
    auto tableX = [&](int i) { return xFrom + i * xStep; };
    double fineStep = (xTo - xFrom) / 100;
    if (!test->IsContinuous() && xRole == kTotalSampleSize)
        fineStep = std::ceil((xTo - xFrom) / 200);
    const bool copyTable = fineStep > xStep || interpolateOnly;
    int finePoints = 0;
    if (!copyTable) {
        while (xFrom + finePoints * fineStep <= xTo + tol) ++finePoints;
    }

    const double total = count * (tablePoints + 1.0) + count * (copyTable ? 1.0 : finePoints);
    double done = 0;
    auto cancelled = [&] {
        done += 1;
        return progress && progress(done / total);
    };

    try {
        for (int k = 0; k < count; ++k) {
            const double layer = LayerValueOf(k);
            *layerWorking = layer;
            curveLabels[k] = " = " + Number6(layer);
            XYCurve curve;
            curve.reserve(tablePoints);
            for (int i = 0; i < tablePoints; ++i) {
                const double x = tableX(i);
                const double y = EvaluateAt(x);
                curve.push_back({x, pointFailed ? 0.0 : y, 0.0, 0.0, !pointFailed});
                if (cancelled()) return false;
            }
            WidenRange(curve, k == 0);
            tableCurves.push_back(std::move(curve));
        }

        drawCurves.clear();
        for (int k = 0; k < count; ++k) {
            *layerWorking = LayerValueOf(k);
            const XYCurve& table = tableCurves[k];
            XYCurve curve;
            if (copyTable) {
                curve = table;
                if (table.empty() || table.back().x < xTo) {
                    const double y = EvaluateAt(xTo);
                    curve.push_back({xTo, pointFailed ? 0.0 : y, 0.0, 0.0, !pointFailed});
                }
            } else {
                size_t j = 0;
                for (int i = 0; i < finePoints; ++i) {
                    const double x = xFrom + i * fineStep;
                    if (j < table.size() && table[j].x <= x) {
                        if (x - table[j].x > 1e-10) curve.push_back(table[j]);
                        ++j;
                    }
                    const double y = EvaluateAt(x);
                    curve.push_back({x, pointFailed ? 0.0 : y, 0.0, 0.0, !pointFailed});
                    if (cancelled()) return false;
                }
            }
            WidenRange(curve, false);
            drawCurves.push_back(std::move(curve));
        }
    } catch (const CancelledError&) {
        return false;
    }

    WriteTitles();
    if (progress) progress(1.0);
    return true;
}

void PlotSettings::WriteTitles() {
    const bool generic = test->IsGenericTest();
    title = generic ? std::string() : test->GetFamilyName() + " - ";
    title += test->GetTestName();

    subtitle.clear();
    PropertyList inputs;
    test->BuildInputList(analysisType, &inputs);
    for (const Property* input : inputs) {
        const std::string& label = input->name;
        if (std::find(names.begin(), names.end(), label) != names.end()) continue;
        if (label == "Sample size group 1" || label == "Sample size group 2" ||
            label == "$\\beta$/$\\alpha$ ratio")
            continue;
        const std::string shown =
            input->GetType() == Property::kSelection
                ? static_cast<const PropertySelection*>(input)->GetSelectedText()
                : input->text;
        AppendPart(&subtitle, label + " = " + shown);
    }
    if (!generic) {
        if (constantRole >= 0 && constantRole < 4)
            AppendPart(&subtitle, names[constantRole] + " = " + Number6(constantValue));
        if (yRole != kTotalSampleSize && test->exactFlag)
            AppendPart(&subtitle, "Allocation ratio N2/N1 = " + Number6(test->allocationRatio));
    }
    if (curveCount == 1 && layerRole >= 0 && layerRole < 4)
        AppendPart(&subtitle, names[layerRole] + " = " + Number6(layerSingleValue));
}
