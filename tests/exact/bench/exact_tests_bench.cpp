// Time of one calculation of McNemar's test with the exact power, through the
// same path as the main window: input list, Calculate, output list and
// outputs. The exact power sums the conditional tests over every number of
// discordant pairs where that number has mass, so it grows with the root of N.
//
//   quorix_tests_exact_bench [--benchmark_filter=PostHoc]

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "analysis/parameter_names.h"
#include "tests/exact/power_exact_mcnemar.h"

namespace {

using Texts = std::map<std::string, std::string>;

void Run(benchmark::State& state, AnalysisType type, const Texts& texts) {
    PowerExactMcNemar test;
    test.useApproximation = false;
    PropertyList inputs, outputs;
    test.BuildInputList(type, &inputs);
    for (const auto& [label, text] : texts) {
        if (Property* input = inputs.Find(label)) input->SetText(text);
    }
    for (auto _ : state) {
        const CalculateStatus status = CalculateWithInputErrors(&test, type, &inputs);
        test.BuildOutputList(type, &outputs);
        test.GetOutputs(type, &outputs);
        benchmark::DoNotOptimize(status);
    }
}

const std::string kTails = "Tail(s)";
const std::string kN = "Total sample size";
const std::string kPower = "Power (1-$\\beta$ err prob)";

void McNemarExactPostHoc(benchmark::State& state) {
    const std::string n = std::to_string(state.range(0));
    Run(state, kPostHoc, {{kTails, "One"}, {kN, n}});
}
BENCHMARK(McNemarExactPostHoc)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void McNemarExactPostHocTwoTails(benchmark::State& state) {
    Run(state, kPostHoc, {{kTails, "Two"}, {kN, "10000"}});
}
BENCHMARK(McNemarExactPostHocTwoTails)->Unit(benchmark::kMillisecond);

void McNemarExactAPriori(benchmark::State& state) {
    Run(state, kAPriori, {{kTails, "One"}, {kPower, "0.95"}});
}
BENCHMARK(McNemarExactAPriori)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
