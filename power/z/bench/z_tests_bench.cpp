// Time of one calculation of the logistic regression test at its standard
// inputs (normal covariate, p0 0.2, odds ratio 1.3, alpha 0.05, power 0.95,
// two tails) with each method, through the same path as the main window:
// input list, Calculate, output list and outputs. The large-sample methods
// integrate the covariate's information at every power they compute; the
// enumeration method fits a model to 2N weighted rows (twice for the
// likelihood ratio).
//
//   quorix_power_z_bench [--benchmark_filter=Enumeration]

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "analysis/parameter_names.h"
#include "power/bench_support.h"
#include "power/z/power_z_logistic_regress.h"

namespace {

using bench::Texts;

enum class Method { kDemidenko, kDemidenkoUncorrected, kSignorini, kWald, kLikelihoodRatio };

void Run(benchmark::State& state, Method method, AnalysisType type, const Texts& texts) {
    PowerZLogisticRegress test;
    test.varianceCorrection = method != Method::kDemidenkoUncorrected;
    test.demidenko = method != Method::kSignorini;
    test.useEnumeration = method == Method::kWald || method == Method::kLikelihoodRatio;
    test.enumerationWald = method != Method::kLikelihoodRatio;
    PropertyList inputs, outputs;
    test.BuildInputList(type, &inputs);
    inputs.Find("Tail(s)")->SetText("Two");
    bench::TypeTexts(&inputs, texts);
    bench::TimeCalculation(state, test, type, &inputs, &outputs);
}

const std::string kN = "Total sample size";

void LogisticAPriori(benchmark::State& state) {
    Run(state, static_cast<Method>(state.range(0)), kAPriori, {});
}
// 0 Demidenko, 1 without the variance correction, 2 Signorini, 3 Wald and
// 4 likelihood ratio of the enumeration method (N about 1200).
BENCHMARK(LogisticAPriori)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void LogisticPostHoc(benchmark::State& state) {
    Run(state, static_cast<Method>(state.range(0)), kPostHoc, {{kN, "1188"}});
}
BENCHMARK(LogisticPostHoc)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void LogisticSensitivity(benchmark::State& state) {
    Run(state, static_cast<Method>(state.range(0)), kSensitivity, {{kN, "1188"}});
}
BENCHMARK(LogisticSensitivity)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
