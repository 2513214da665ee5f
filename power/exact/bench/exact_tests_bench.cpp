// Time of one calculation of McNemar's test with the exact power, through the
// same path as the main window: input list, Calculate, output list and
// outputs. The exact power sums the conditional tests over every number of
// discordant pairs where that number has mass, so it grows with the root of
// N; their tails are carried from one number to the next.
//
//   quorix_power_exact_bench [--benchmark_filter=PostHoc]

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "analysis/parameter_names.h"
#include "power/bench_support.h"
#include "power/exact/power_exact_correlation.h"
#include "power/exact/power_exact_fisher.h"
#include "power/exact/power_exact_mcnemar.h"

namespace {

using bench::Texts;

void Run(benchmark::State& state, AnalysisType type, const Texts& texts) {
    PowerExactMcNemar test;
    test.useApproximation = false;
    PropertyList outputs;
    bench::Run(state, test, type, texts, &outputs);
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

// Criterion and Compromise at a million pairs: every trial alpha sums the
// conditional tests over the numbers of discordant pairs.
void McNemarExactCriterion(benchmark::State& state) {
    Run(state, kCriterion,
        {{kTails, state.range(0) == 1 ? "One" : "Two"},
         {kN, "1000000"},
         {kPower, "0.8"},
         {"Odds ratio", "1.02"}});
}
BENCHMARK(McNemarExactCriterion)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void McNemarExactCompromise(benchmark::State& state) {
    Run(state, kCompromise,
        {{kTails, state.range(0) == 1 ? "One" : "Two"},
         {kN, "1000000"},
         {"$\\beta$/$\\alpha$ ratio", "1"},
         {"Odds ratio", "1.02"}});
}
BENCHMARK(McNemarExactCompromise)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A Compromise at a large effect where beta underflows to 0 at every alpha
// (OR 19.56, discordant 0.7856, N 13,207, q 0.104), on a new object each
// run: beta is summed beyond the numbers of pairs the power counts as long
// as a term there could be other than 0.
void McNemarExactCompromiseBetaUnderflow(benchmark::State& state) {
    bench::RunFresh<PowerExactMcNemar>(
        state, kCompromise,
        {{kTails, state.range(0) == 1 ? "One" : "Two"},
         {kN, "13207"},
         {"Prop discordant pairs", "0.7856"},
         {"$\\beta$/$\\alpha$ ratio", "0.104"},
         {"Odds ratio", "19.56"}},
        [](PowerExactMcNemar& test) { test.useApproximation = false; });
}
BENCHMARK(McNemarExactCompromiseBetaUnderflow)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The correlation tests: the distribution function of r takes about N/2
// steps and its quantile three to five of them (under rho = 0 Student's t
// stands in for both); that of R^2 sums the mixture
// around its largest weight, a span that grows like the root of
// N rho^2 / (1 - rho^2).
template <class Test>
void RunTest(benchmark::State& state, AnalysisType type, const Texts& texts) {
    Test test;
    PropertyList outputs;
    bench::Run(state, test, type, texts, &outputs);
}

const std::string kRho1 = "Correlation $\\rho$ H1";
const std::string kRho2H1 = "H1 $\\rho$$^2$";

void CorrelationExactPostHoc(benchmark::State& state) {
    RunTest<PowerExactOneCorr>(state, kPostHoc, {{kTails, "Two"}, {kN, "10000"}, {kRho1, "0.03"}});
}
BENCHMARK(CorrelationExactPostHoc)->Unit(benchmark::kMillisecond);

// About 9,600 pairs, all below the exact limit.
void CorrelationExactAPriori(benchmark::State& state) {
    RunTest<PowerExactOneCorr>(state, kAPriori, {{kTails, "One"}, {kRho1, "0.0335"}});
}
BENCHMARK(CorrelationExactAPriori)->Unit(benchmark::kMillisecond);

void MultipleCorrelationExactPostHoc(benchmark::State& state) {
    RunTest<PowerExactMRC>(state, kPostHoc, {{kTails, "Two"}, {kN, "10000"}, {kRho2H1, "0.9"}});
}
BENCHMARK(MultipleCorrelationExactPostHoc)->Unit(benchmark::kMillisecond);

void MultipleCorrelationExactAPriori(benchmark::State& state) {
    RunTest<PowerExactMRC>(state, kAPriori, {{kTails, "One"}, {kRho2H1, "0.0015"}});
}
BENCHMARK(MultipleCorrelationExactAPriori)->Unit(benchmark::kMillisecond);

// Criterion and Compromise against rho^2 0.3 with N 100,000 and 5
// predictors (answers near the bulk of R^2), and a Compromise at alpha
// 2.1e-61 against rho^2 0.1092 (both critical values far in the tails), on
// a new object each run.
void MultipleCorrelationExactSearch(benchmark::State& state, AnalysisType type,
                                    const Texts& texts) {
    bench::RunFresh<PowerExactMRC>(state, type, texts, [](PowerExactMRC&) {});
}
const std::string kRho2H0 = "H0 $\\rho$$^2$";
const std::string kPredictors = "Number of predictors";
const std::string kRatio = "$\\beta$/$\\alpha$ ratio";
// The texts below are assigned as strings: GCC 12 warns, wrongly, of an
// overlapping copy where a literal is assigned inside these lambdas.
const Texts kLargeN = {
    {kTails, "One"}, {kRho2H1, "0.3002"}, {kRho2H0, "0.3"}, {kN, "100000"}, {kPredictors, "5"}};
BENCHMARK_CAPTURE(MultipleCorrelationExactSearch, CriterionLargeN, kCriterion,
                  [] {
                      Texts t = kLargeN;
                      t[kPower] = std::string("0.8");
                      return t;
                  }())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MultipleCorrelationExactSearch, CompromiseLargeN, kCompromise,
                  [] {
                      Texts t = kLargeN;
                      t[kRatio] = std::string("1");
                      return t;
                  }())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MultipleCorrelationExactSearch, CompromiseSmallAlpha, kCompromise,
                  Texts{{kTails, "Two"},
                        {kRho2H1, "0.7091"},
                        {kRho2H0, "0.1092"},
                        {kRatio, "2.54"},
                        {kN, "1434"},
                        {kPredictors, "1"}})
    ->Unit(benchmark::kMillisecond);

// Fisher's exact test: an evaluation walks the margins where the tables have
// mass and, within each, the rejected counts, about N terms in all; the
// rejected counts of a margin are found once per design. The A priori
// search scans the totals between the approximation's answers with and
// without continuity correction, about 4/|p1 - p2| of them.
const std::string kP1 = "Proportion p1";
const std::string kP2 = "Proportion p2";
const std::string kN1 = "Sample size group 1";
const std::string kN2 = "Sample size group 2";

void FisherExactPostHoc(benchmark::State& state) {
    const std::string n = std::to_string(state.range(0) / 2);
    RunTest<PowerExactFisherTwoProp>(state, kPostHoc,
                                     {{kTails, "One"}, {kN1, n}, {kN2, n}, {kP1, "0.5"}});
}
BENCHMARK(FisherExactPostHoc)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

void FisherExactPostHocTwoTails(benchmark::State& state) {
    RunTest<PowerExactFisherTwoProp>(state, kPostHoc,
                                     {{kTails, "Two"}, {kN1, "5000"}, {kN2, "5000"}, {kP1, "0.5"}});
}
BENCHMARK(FisherExactPostHocTwoTails)->Unit(benchmark::kMillisecond);

// Criterion and Compromise of two tails at 5,000 + 5,000, the largest exact
// design by default.
void FisherExactCriterion(benchmark::State& state) {
    RunTest<PowerExactFisherTwoProp>(state, kCriterion,
                                     {{kTails, "Two"},
                                      {kN1, "5000"},
                                      {kN2, "5000"},
                                      {kP1, "0.5"},
                                      {kP2, "0.52"},
                                      {kPower, "0.8"}});
}
BENCHMARK(FisherExactCriterion)->Unit(benchmark::kMillisecond);

void FisherExactCompromise(benchmark::State& state) {
    RunTest<PowerExactFisherTwoProp>(state, kCompromise,
                                     {{kTails, "Two"},
                                      {kN1, "5000"},
                                      {kN2, "5000"},
                                      {kP1, "0.5"},
                                      {kP2, "0.52"},
                                      {"$\\beta$/$\\alpha$ ratio", "1"}});
}
BENCHMARK(FisherExactCompromise)->Unit(benchmark::kMillisecond);

// Totals of about 800, 6,800 and 9,500, one tail and two.
void FisherExactAPriori(benchmark::State& state) {
    const char* p2 = state.range(0) == 0 ? "0.6" : state.range(0) == 1 ? "0.54" : "0.534";
    const char* tails = state.range(1) == 1 ? "One" : "Two";
    RunTest<PowerExactFisherTwoProp>(state, kAPriori,
                                     {{kTails, tails}, {kP1, "0.5"}, {kP2, p2}, {kPower, "0.95"}});
}
BENCHMARK(FisherExactAPriori)->ArgsProduct({{0, 1, 2}, {1, 2}})->Unit(benchmark::kMillisecond);

// A priori with the exact limit raised to 100,000 (p1 0.5, p2 0.51, power
// 0.8, two tails: 39,355 + 39,355): each total the scan tries walks margins
// of some 80,000 tables.
void FisherExactAPrioriRaisedLimit(benchmark::State& state) {
    bench::RunFresh<PowerExactFisherTwoProp>(
        state, kAPriori, {{kTails, "Two"}, {kP1, "0.5"}, {kP2, "0.51"}, {kPower, "0.8"}},
        [](PowerExactFisherTwoProp& test) { test.exactThreshold = 100000.0; });
}
BENCHMARK(FisherExactAPrioriRaisedLimit)->Unit(benchmark::kMillisecond)->Iterations(1);

void FisherExactSensitivity(benchmark::State& state) {
    RunTest<PowerExactFisherTwoProp>(state, kSensitivity,
                                     {{kTails, "Two"}, {kN1, "2000"}, {kN2, "2000"}});
}
BENCHMARK(FisherExactSensitivity)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
