// Time of one Criterion and one Compromise of the binomial test of one
// proportion with two tails, through the same path as the main window, by
// alpha balancing (0: alpha/2 on each side, searched over alpha; 1 and 2:
// every step of the regions the rule takes, listed and tried in order) and
// by N (effect 0.02 against 0.3; 0.0002 at 1e8 trials, where 0.02 needs an
// alpha below 1e-99). The steps tried lie between the alphas where bounds
// from the largest and the smallest regions the rule may build reach the
// target (Criterion) or allow a ratio nearer to q than the search's own
// answer (Compromise); they grow with the counts between those regions,
// some tenths of a standard deviation of X. Past 20,000 steps the searches
// of balancing 0 stand in.
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
                     {"Effect size g", state.range(1) > 1000000 ? "0.0002" : "0.02"},
                     {"Constant proportion", "0.3"},
                     {given, value},
                     {kN, std::to_string(state.range(1))}},
               &outputs);
}

void BalancedCriterion(benchmark::State& state) {
    Run(state, kCriterion, "Power (1-$\\beta$ err prob)", "0.8");
}
BENCHMARK(BalancedCriterion)
    ->ArgsProduct({{0, 1, 2}, {100, 1000, 10000, 100000, 100000000}})
    ->Unit(benchmark::kMillisecond);

void BalancedCompromise(benchmark::State& state) {
    Run(state, kCompromise, "$\\beta$/$\\alpha$ ratio", "1");
}
BENCHMARK(BalancedCompromise)
    ->ArgsProduct({{0, 1, 2}, {100, 1000, 10000, 100000, 100000000}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
