// Time of the X-Y plot's series for 100 points of the two-sample t test
// (two tails, alpha 0.05), as the window's worker computes them: power
// against N (one power per point), and the A priori sample size against
// the effect size (one root search per point), each with the table and the
// lines of interpolated points.
//
//   quorix_app_xy_series_bench [--benchmark_filter=Power]

#include <benchmark/benchmark.h>

#include "app/xyplot/xy_plot_settings.h"
#include "power/t/power_t_means.h"

namespace {

void Series(benchmark::State& state, int y, int x, int layer, int constant, double from,
            double step, double constantValue) {
    PowerTMeans test;
    test.oneTailed = false;
    PlotSettings settings;
    settings.InitFromAnalysis(&test, y, x, layer, constant);
    settings.SetXRange(from, from + 99 * step, step);
    settings.SetLayerValue(0.05);
    settings.SetConstantValue(constantValue);
    if (settings.Validate() != -1 || settings.TablePointCount() != 100) {
        state.SkipWithError(settings.message.c_str());
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(settings.BuildSeries());
    state.counters["points"] = static_cast<double>(settings.tableCurves.at(0).size());
}

void PowerAgainstN(benchmark::State& state) {
    Series(state, 1, 3, 0, 2, 10, 5, 0.5);  // N 10 .. 505, d 0.5
}
BENCHMARK(PowerAgainstN)->Unit(benchmark::kMillisecond);

void SampleSizeAgainstEffect(benchmark::State& state) {
    Series(state, 3, 2, 0, 1, 0.2, 0.01, 0.8);  // d 0.2 .. 1.19, power 0.8
}
BENCHMARK(SampleSizeAgainstEffect)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
