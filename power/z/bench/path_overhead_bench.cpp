// Time of the cheapest calculations, where reading, checking and solving
// around a single power evaluation is a large share of the whole: the
// two-proportion z test, the one-tailed two-sample t test and the generic t
// test, each in Post hoc. "Calculate" times Calculate alone (read, check,
// solve); "Full" adds the output list and outputs, as the main window does.
//
//   quorix_power_path_overhead_bench --benchmark_repetitions=10
//       --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <string>

#include "analysis/parameter_names.h"
#include "power/bench_support.h"
#include "power/t/power_t_generic.h"
#include "power/t/power_t_means.h"
#include "power/z/power_z_two_prop.h"

namespace {

using bench::Texts;

const std::string kTails = "Tail(s)";
const std::string kAlpha = "$\\alpha$ err prob";
const std::string kDelta = "Noncentrality parameter $\\delta$";
const std::string kD = "Effect size d";
const std::string kN1 = "Sample size group 1";
const std::string kN2 = "Sample size group 2";
const std::string kP1 = "Proportion p1";
const std::string kP2 = "Proportion p2";

const Texts kTwoProportions = {{kTails, "Two"},  {kP1, "0.5"}, {kP2, "0.65"},
                               {kAlpha, "0.05"}, {kN1, "100"}, {kN2, "100"}};
const Texts kMeansOneTailed = {
    {kTails, "One"}, {kD, "0.5"}, {kAlpha, "0.05"}, {kN1, "50"}, {kN2, "50"}};
const Texts kGeneric = {{kTails, "Two"}, {kDelta, "2.5"}, {kAlpha, "0.05"}, {"Df", "30"}};

template <class Test>
void Calculate(benchmark::State& state, const Texts& texts) {
    Test test;
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    bench::TypeTexts(&inputs, texts);
    for (auto _ : state) {
        const CalculateStatus status = CalculateWithInputErrors(&test, kPostHoc, &inputs);
        benchmark::DoNotOptimize(status);
    }
    if (CalculateWithInputErrors(&test, kPostHoc, &inputs) != kCalculateDone)
        state.SkipWithError("the inputs were refused");
}

template <class Test>
void Full(benchmark::State& state, const Texts& texts) {
    Test test;
    PropertyList outputs;
    bench::Run(state, test, kPostHoc, texts, &outputs);
}

void TwoProportionsCalculate(benchmark::State& s) {
    Calculate<PowerZTwoProp>(s, kTwoProportions);
}
void TwoProportionsFull(benchmark::State& s) {
    Full<PowerZTwoProp>(s, kTwoProportions);
}
void MeansOneTailedCalculate(benchmark::State& s) {
    Calculate<PowerTMeans>(s, kMeansOneTailed);
}
void MeansOneTailedFull(benchmark::State& s) {
    Full<PowerTMeans>(s, kMeansOneTailed);
}
void GenericCalculate(benchmark::State& s) {
    Calculate<PowerTGeneric>(s, kGeneric);
}
void GenericFull(benchmark::State& s) {
    Full<PowerTGeneric>(s, kGeneric);
}

BENCHMARK(TwoProportionsCalculate);
BENCHMARK(TwoProportionsFull);
BENCHMARK(MeansOneTailedCalculate);
BENCHMARK(MeansOneTailedFull);
BENCHMARK(GenericCalculate);
BENCHMARK(GenericFull);

}  // namespace

BENCHMARK_MAIN();
