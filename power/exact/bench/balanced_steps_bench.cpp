// Time of one Criterion and one Compromise of the binomial test of one
// proportion with two tails, through the same path as the main window, by
// alpha balancing (0: alpha/2 on each side, searched over alpha; 1 and 2:
// every step of the regions the rule takes, listed and tried in order) and
// by N. The steps grow with the counts whose tails lie above 1e-99, some
// tens of standard deviations of X about its mean; past 20,000 of them the
// searches of balancing 0 stand in.
//
//   quorix_power_exact_balanced_bench [--benchmark_filter=Compromise]

#include <benchmark/benchmark.h>

#include <string>

#include "power/bench_support.h"
#include "power/exact/power_exact_proportion.h"

namespace {

using bench::Texts;

const std::string kTails = "Tail(s)";
const std::string kN = "Total sample size";

void Run(benchmark::State& state, AnalysisType type, const std::string& given,
         const std::string& value) {
    PowerExactBinomialOneProp test;
    test.alphaBalancing = static_cast<int>(state.range(0));
    PropertyList outputs;
    bench::Run(state, test, type,
               Texts{{kTails, "Two"},
                     {"Effect size g", "0.02"},
                     {"Constant proportion", "0.3"},
                     {given, value},
                     {kN, std::to_string(state.range(1))}},
               &outputs);
}

void BalancedCriterion(benchmark::State& state) {
    Run(state, kCriterion, "Power (1-$\\beta$ err prob)", "0.8");
}
BENCHMARK(BalancedCriterion)
    ->ArgsProduct({{0, 1, 2}, {100, 1000, 10000, 100000}})
    ->Unit(benchmark::kMillisecond);

void BalancedCompromise(benchmark::State& state) {
    Run(state, kCompromise, "$\\beta$/$\\alpha$ ratio", "1");
}
BENCHMARK(BalancedCompromise)
    ->ArgsProduct({{0, 1, 2}, {100, 1000, 10000, 100000}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
