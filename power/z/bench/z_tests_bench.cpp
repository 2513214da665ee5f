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

// The enumeration method's likelihood ratio with a log-normal covariate
// (mu -0.49, sigma 0.62; odds ratio 1.165 at Pr(Y=1|X=1) H0 0.322, alpha
// 0.01, two tails): A priori (its answer lies near 9,000), and Sensitivity
// at N 9,000. A new test each run, as on a first calculation.
void LogisticEnumerationLognormal(benchmark::State& state) {
    const AnalysisType type = static_cast<AnalysisType>(state.range(0));
    Texts texts = {{"Tail(s)", "Two"},
                   {"Exp($\\beta$1)", "1.165"},
                   {"Pr(Y=1|X=1) H0", "0.322"},
                   {"$\\alpha$ err prob", "0.01"},
                   {"Power (1-$\\beta$ err prob)", "0.8"},
                   {"X parm $\\mu$", "-0.49"},
                   {"X parm $\\sigma$", "0.62"},
                   {"Effect direction", "p2 >= p1"}};
    if (type == kSensitivity) texts[kN] = "9000";
    bench::RunFresh<PowerZLogisticRegress>(state, type, texts, [](PowerZLogisticRegress& test) {
        test.xDistribution = kXLognormal;
        test.useEnumeration = true;
        test.enumerationWald = false;
    });
}
BENCHMARK(LogisticEnumerationLognormal)
    ->Arg(kAPriori)
    ->Arg(kSensitivity)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
