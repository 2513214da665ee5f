// The data of the distribution graph: the x range is chosen from quantiles of
// both distributions and widened or narrowed by short walks over the
// densities, then both densities are sampled on one grid and the shaded
// areas are cut out of those samples.

#include "analysis/plot_data.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "analysis/power_analysis.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"

namespace {

constexpr int kWalkSteps = 50;

PlotPoint Point(double x, double y) {
    return PlotPoint{x, y, 0.0, 0.0, true};
}

double ClampProbability(double p) {
    p = std::min(p, 0.99999999);
    if (!(p > 1e-8)) p = 1e-8;
    return p;
}

// Walks from `start` in steps of `step` (direction -1 left, +1 right) and
// returns the last point before the first one whose density falls below
// 0.005 peak (only when `lowTest`), exceeds 15 peak or exceeds the cap;
// `end` when none does within the walk.
double Walk(Distribution* d, double start, double step, int direction, double peak, double cap,
            bool lowTest, double end) {
    for (int i = 1; i <= kWalkSteps; ++i) {
        CancelCheck::Poll();
        const double x = start + direction * i * step;
        const double y = d->Pdf(x);
        if ((lowTest && y < 0.005 * peak) || y > 15.0 * peak || y > cap) {
            return x - direction * step;
        }
    }
    return end;
}

// Moves `end` outwards (direction -1 left, +1 right) in steps of `step`
// while the density there is still above 5 % of `peak`, at most 400 steps.
double Extend(Distribution* d, double end, double step, int direction, double peak) {
    if (!(step > 0.0) || !(peak > 0.0)) return end;
    for (int i = 0; i < 400; ++i) {
        CancelCheck::Poll();
        const double y = d->Pdf(end);
        if (!(y > 0.05 * peak)) break;
        end += direction * step;
    }
    return end;
}

// floor((x - xMin)/step) + offset as a grid index, limited to 0..200 (a
// value that is not a number counts as 0).
int GridIndex(double x, double xMin, double step, int offset) {
    const double k = std::floor((x - xMin) / step) + offset;
    if (!(k > 0.0)) return 0;
    if (k >= kPlotIntervals) return kPlotIntervals;
    return static_cast<int>(k);
}

void AppendRange(std::vector<PlotPoint>& area, const std::vector<PlotPoint>& samples, int from,
                 int to) {
    if (from <= to) {
        for (int k = from; k <= to; ++k) area.push_back(samples[k]);
    } else {
        for (int k = from; k >= to; --k) area.push_back(samples[k]);
    }
}

void SampleCurve(Distribution* d, double xMin, double step, std::vector<PlotPoint>& curve) {
    curve.clear();
    curve.reserve(kPlotIntervals + 1);
    for (int i = 0; i <= kPlotIntervals; ++i) {
        CancelCheck::Poll();
        const double x = i * step + xMin;
        curve.push_back(Point(x, d->Pdf(x)));
    }
}

void SetHalfDensity(Distribution* d, PlotPoint& label) {
    label.y = 0.5 * d->Pdf(label.x);
}

// Both layouts: critical values, markers, label anchors, the x range of both
// distributions and the y limit. `upper` chooses the upper-tail layout.
void MakeTailPlot(PowerAnalysis& test, PlotData* plot, bool upper) {
    const double cap = test.GetDensityCap();
    const double c1 = test.GetCriticalValue();
    plot->criticalValue = c1;
    plot->criticalValue2 = c1;
    plot->statisticName = test.GetStatisticName();
    const bool twoTailed = !test.oneTailed;
    const bool discrete = !test.IsContinuous();
    plot->markers.clear();
    if (test.UsesChiSquarePlot()) plot->markers.push_back(Point(0.0, 0.0));
    plot->markers.push_back(Point(c1, 0.0));
    double c2 = c1;
    if (twoTailed) {
        c2 = test.GetLowerCriticalValue();
        plot->criticalValue2 = c2;
        plot->markers.push_back(Point(c2, 0.0));
    }
    test.SetCentralDistribution();
    Distribution* d = test.distribution;

    const double alpha = test.alpha;
    const double power = test.power;
    const double t = twoTailed ? 2.0 : 1.0;

    // Label anchors of the alpha areas, under H0.
    PlotPoint& label = plot->alphaLabel;
    PlotPoint& label2 = plot->alphaLabel2;
    if (upper) {
        label.x = d->Quantile(ClampProbability(1.0 - 0.5 * alpha / t));
        if (discrete) label.x += 1.5;
        SetHalfDensity(d, label);
        if (twoTailed) {
            label2.x = d->Quantile(ClampProbability(0.25 * alpha));
            if (discrete) label.x -= 0.5;
            SetHalfDensity(d, label2);
        }
    } else {
        label.x = d->Quantile(ClampProbability(0.5 * alpha / t));
        SetHalfDensity(d, label);
        if (twoTailed) {
            label2.x = d->Quantile(ClampProbability(1.0 - 0.25 * alpha));
            SetHalfDensity(d, label2);
        }
    }

    // Range of the central distribution.
    double lo = d->Quantile(0.001);
    if (lo > 0.0) lo = d->Quantile(1e-8);
    const double q = d->Quantile(0.999);
    const double m = d->Quantile(0.5);
    double hi;
    if (upper) {
        hi = std::min(m + 5.0 * (m - lo), q);
        const double delta = c1 - m;
        if (delta > 0.0) {
            hi = std::max(m + 1.5 * delta, hi);
        } else if (lo < 0.0) {
            lo = std::min(m + 1.5 * delta, lo);
        }
    } else {
        lo = m - 5.0 * (m - lo);
        hi = q;
    }
    const double wLo = 2.0 * (m - lo) / 100.0;
    const double wHi = 2.0 * (hi - m) / 100.0;
    const double peak0 = std::min(cap, d->Pdf(m));
    lo = Walk(d, m, wLo, -1, peak0, cap, lo < 0.0, lo);
    if (lo >= c1) lo = c1 > 0.0 ? 0.8 * c1 : 1.2 * c1;
    hi = Walk(d, m, wHi, +1, peak0, cap, true, hi);
    if (c1 >= hi) hi = c1 > 0.0 ? 1.05 * c1 : 0.95 * c1;
    // The second critical value of a two-tailed test is kept inside the
    // range too, so that its marker and its alpha area are drawn.
    if (twoTailed) {
        if (lo >= c2) lo = c2 > 0.0 ? 0.8 * c2 : 1.2 * c2;
        if (c2 >= hi) hi = c2 > 0.0 ? 1.05 * c2 : 0.95 * c2;
    }

    if (upper) {
        label.x = std::max(label.x, c1);
        SetHalfDensity(d, label);
        if (twoTailed) {
            label2.x = std::min(label2.x, c1);
            SetHalfDensity(d, label2);
        }
    } else {
        label.x = std::min(label.x, c1);
        SetHalfDensity(d, label);
        if (twoTailed) {
            label2.x = std::max(label2.x, c1);
            SetHalfDensity(d, label2);
        }
    }
    test.SetNoncentralDistribution();

    // Label anchor of the beta area, under H1.
    PlotPoint& betaLabel = plot->betaLabel;
    if (upper) {
        double x = d->Quantile(ClampProbability(0.5 * (1.0 - power)));
        if (discrete) x = std::floor(x);
        if (twoTailed) {
            if (x > c1 || x < c2 || x - c2 < 0.2 * (c1 - c2)) x = (c1 + c2) / 2.0;
        } else if (x > c1) {
            x = c1;
        }
        betaLabel.x = x;
    } else {
        double x = d->Quantile(ClampProbability(0.5 * (1.0 - power) + power));
        if (discrete) x = std::ceil(x);
        if (twoTailed) {
            if (x < c1 || x > c2 || x - c1 > 0.8 * (c2 - c1)) x = (c1 + c2) / 2.0;
        } else if (x < c1) {
            x = c1;
        }
        betaLabel.x = x;
    }
    SetHalfDensity(d, betaLabel);

    // Range of the noncentral distribution.
    double lo1, hi1, centre;
    if (upper) {
        lo1 = d->Quantile(0.001);
        const double q1 = d->Quantile(0.999);
        const double m1 = d->Quantile(0.5);
        hi1 = std::min(m1 + 5.0 * (m1 - lo1), q1);
        const double delta = c1 - m1;
        if (delta > 0.0) {
            hi1 = std::min(m1 + 5.0 * delta, std::max(m1 + 1.5 * delta, hi1));
        } else {
            hi1 = std::min(m1 - 3.0 * delta, hi1);
        }
        hi1 = std::max(hi1, hi);
        centre = m1;
        if (m1 > hi1) {
            centre = hi1;
            hi1 = m1;
        }
    } else {
        const double pa = d->Cdf(d->Quantile(0.001)) + 0.001;
        const double pb = d->Cdf(d->Quantile(0.999)) - 0.001;
        const double pm = (pa + pb) / 2.0;
        const double qa = d->Quantile(pa);
        hi1 = d->Quantile(pb);
        const double m1 = d->Quantile(pm);
        lo1 = std::max(m1 - 5.0 * (hi1 - m1), qa);
        const double delta = c1 - m1;
        if (delta < 0.0) {
            lo1 = std::max(m1 - 5.0 * delta, std::min(m1 - 1.5 * delta, lo1));
        } else {
            lo1 = std::max(m1 - 3.0 * delta, lo1);
        }
        lo1 = std::min(lo1, lo);
        centre = m1;
        if (lo1 > m1) {
            centre = lo1;
            lo1 = m1;
        }
    }
    const double wLo1 = 2.0 * (centre - lo1) / 100.0;
    const double wHi1 = 2.0 * (hi1 - centre) / 100.0;
    const double peak1 = std::min(cap, d->Pdf(centre));
    lo1 = Walk(d, centre, wLo1, -1, peak1, cap, false, lo1);
    hi1 = Walk(d, centre, wHi1, +1, peak1, cap, true, hi1);
    // The walks only shorten the first guess of the range; a heavy tail on
    // the far side of the H1 curve (a noncentral t with few df, an F with a
    // small denominator df) was cut there while still well above zero.
    if (upper) {
        hi1 = Extend(d, hi1, wHi1, +1, peak1);
    } else {
        lo1 = Extend(d, lo1, wLo1, -1, peak1);
    }

    if (discrete) {
        lo = std::max(std::floor(lo) - 0.5, 0.0);
        hi = std::ceil(hi) + 0.5;
        lo1 = std::max(std::floor(lo1) - 0.5, 0.0);
        hi1 = std::ceil(hi1) + 0.5;
    }
    const double peakMin = std::min(peak0, peak1);
    const double peakMax = std::max(peak0, peak1);
    plot->yLimit = 10.0 * peakMax > peakMin ? std::min(10.0 * peakMin, cap) : cap;
    const double xMin = std::min(lo1, lo);
    const double xMax = std::max(hi1, hi);
    if (upper) {
        test.SampleUpperTailCurves(plot, xMin, xMax, plot->yLimit);
    } else {
        test.SampleLowerTailCurves(plot, xMin, xMax, plot->yLimit);
    }
}

}  // namespace

namespace {

bool Drawable(const std::vector<PlotPoint>& curve) {
    for (const PlotPoint& p : curve) {
        // A density may be infinite at an end of its support; the y limit
        // cuts it. An x that is not finite, or a density that is not a
        // number, cannot be drawn.
        if (!std::isfinite(p.x) || std::isnan(p.y)) return false;
    }
    return true;
}

}  // namespace

void MakeBoundedDistributionPlot(PowerAnalysis* test, PlotData* plot, double budgetSeconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() +
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(budgetSeconds));
    bool overBudget = false;
    {
        CancelCheck check([&] {
            if (test->IsCancelled()) return true;
            overBudget = Clock::now() > deadline;
            return overBudget;
        });
        try {
            test->MakeDistributionPlot(plot);
        } catch (const CancelledError&) {
            if (!overBudget || test->IsCancelled()) throw;
        }
    }
    if (overBudget) {
        *plot = PlotData();
        throw QuorixError("The distributions take too long to draw.", QuorixError::kNoConvergence,
                          budgetSeconds);
    }
    const bool drawable = Drawable(plot->centralCurve) && Drawable(plot->noncentralCurve) &&
                          std::isfinite(plot->criticalValue) && std::isfinite(plot->criticalValue2);
    if (!plot->centralCurve.empty() && !drawable) {
        *plot = PlotData();
        throw QuorixError("The distributions cannot be drawn.", QuorixError::kOutOfRange, 0.0);
    }
}

void PowerAnalysis::MakeDistributionPlot(PlotData* plot) {
    plot->continuous = IsContinuous();
    plot->centralCurve.clear();
    if (!HasDistributionPlot()) return;
    if (GetEffectSize() >= 0.0) {
        plot->side = 1;
        MakeUpperTailPlot(plot);
    } else {
        plot->side = -1;
        MakeLowerTailPlot(plot);
    }
}

void PowerAnalysis::MakeUpperTailPlot(PlotData* plot) {
    MakeTailPlot(*this, plot, true);
}

void PowerAnalysis::MakeLowerTailPlot(PlotData* plot) {
    MakeTailPlot(*this, plot, false);
}

void PowerAnalysis::SampleUpperTailCurves(PlotData* plot, double xMin, double xMax, double) {
    const double step = (xMax - xMin) / kPlotIntervals;
    const double h = IsContinuous() ? 0.0 : 0.5;
    const double c1 = plot->criticalValue;
    const double c2 = plot->criticalValue2;
    const bool twoTailed = !oneTailed;
    const bool c1Inside = xMin <= c1 && c1 <= xMax;
    const bool c2Inside = twoTailed && xMin <= c2 && c2 <= xMax;

    SetCentralDistribution();
    SampleCurve(distribution, xMin, step, plot->centralCurve);
    const std::vector<PlotPoint>& h0 = plot->centralCurve;
    plot->alphaArea.clear();
    if (c1Inside) {
        const double e = c1 - h;
        plot->alphaArea.push_back(Point(e, distribution->Pdf(e)));
        AppendRange(plot->alphaArea, h0, GridIndex(e, xMin, step, 1), kPlotIntervals);
    }
    plot->alphaArea2.clear();
    if (c2Inside) {
        const double e = c2 + h;
        plot->alphaArea2.push_back(Point(e, distribution->Pdf(e)));
        AppendRange(plot->alphaArea2, h0, GridIndex(e, xMin, step, 0), 0);
    }

    SetNoncentralDistribution();
    SampleCurve(distribution, xMin, step, plot->noncentralCurve);
    const std::vector<PlotPoint>& h1 = plot->noncentralCurve;
    plot->betaArea.clear();
    if (c1Inside) {
        const double e = c1 - h;
        plot->betaArea.push_back(Point(e, distribution->Pdf(e)));
        const int k1 = GridIndex(e, xMin, step, 0);
        const int k0 = c2Inside ? GridIndex(c2 + h, xMin, step, 1) : 0;
        if (k1 >= k0) AppendRange(plot->betaArea, h1, k1, k0);
        if (c2Inside) plot->betaArea.push_back(Point(c2 + h, distribution->Pdf(c2 + h)));
    }
}

void PowerAnalysis::SampleLowerTailCurves(PlotData* plot, double xMin, double xMax, double) {
    const double step = (xMax - xMin) / kPlotIntervals;
    const double h = IsContinuous() ? 0.0 : 0.5;
    const double c1 = plot->criticalValue;
    const double c2 = plot->criticalValue2;
    const bool twoTailed = !oneTailed;

    SetCentralDistribution();
    SampleCurve(distribution, xMin, step, plot->centralCurve);
    const std::vector<PlotPoint>& h0 = plot->centralCurve;
    plot->alphaArea.clear();
    if (xMin <= c1 && c1 <= xMax) {
        const double e = c1 + h;
        plot->alphaArea.push_back(Point(e, distribution->Pdf(e)));
        AppendRange(plot->alphaArea, h0, GridIndex(e, xMin, step, 0), 0);
    }
    plot->alphaArea2.clear();
    if (twoTailed && xMin < c2 && c2 < xMax) {
        const double e = c2 - h;
        plot->alphaArea2.push_back(Point(e, distribution->Pdf(e)));
        AppendRange(plot->alphaArea2, h0, GridIndex(e, xMin, step, 1), kPlotIntervals);
    }

    SetNoncentralDistribution();
    SampleCurve(distribution, xMin, step, plot->noncentralCurve);
    const std::vector<PlotPoint>& h1 = plot->noncentralCurve;
    plot->betaArea.clear();
    if (c1 <= xMax) {
        const double s = std::max(xMin - h, c1) + h;
        plot->betaArea.push_back(Point(s, distribution->Pdf(s)));
        const bool closeAtC2 = twoTailed && c2 <= xMax;
        const int k0 = GridIndex(s, xMin, step, 1);
        const int k1 = closeAtC2 ? GridIndex(c2 - h, xMin, step, 0) : kPlotIntervals;
        if (k0 <= k1) AppendRange(plot->betaArea, h1, k0, k1);
        if (closeAtC2) plot->betaArea.push_back(Point(c2 - h, distribution->Pdf(c2 - h)));
    }
}
