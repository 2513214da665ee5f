// Time of one calculation, for each analysis type of the generic t test,
// the two-sample t test and the one-sample t test, through the same path as
// the main window: input list, Calculate, output list and outputs.
//
//   quorix_power_t_bench [--benchmark_filter=Means]

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "analysis/parameter_names.h"
#include "power/bench_support.h"
#include "power/t/power_t_corr.h"
#include "power/t/power_t_generic.h"
#include "power/t/power_t_lin_regression.h"
#include "power/t/power_t_means.h"
#include "power/t/power_t_one_mean.h"

namespace {

using bench::Texts;

void Run(benchmark::State& state, PowerAnalysis& test, AnalysisType type, const Texts& texts) {
    PropertyList outputs;
    bench::Run(state, test, type, texts, &outputs);
}

const std::string kTails = "Tail(s)";
const std::string kAlpha = "$\\alpha$ err prob";
const std::string kPower = "Power (1-$\\beta$ err prob)";
const std::string kRatio = "$\\beta$/$\\alpha$ ratio";
const std::string kDf = "Df";
const std::string kDelta = "Noncentrality parameter $\\delta$";
const std::string kD = "Effect size d";
const std::string kN = "Total sample size";
const std::string kN1 = "Sample size group 1";
const std::string kN2 = "Sample size group 2";
const std::string kAllocation = "Allocation ratio N2/N1";

template <class Test>
void Register(const std::string& name, AnalysisType type, Texts texts) {
    benchmark::RegisterBenchmark(name.c_str(), [type, texts](benchmark::State& state) {
        Test test;
        Run(state, test, type, texts);
    });
}

void RegisterAll() {
    Register<PowerTGeneric>("Generic/Sensitivity", kSensitivity,
                            {{kTails, "Two"}, {kAlpha, "0.05"}, {kPower, "0.95"}, {kDf, "30"}});
    Register<PowerTGeneric>("Generic/PostHoc", kPostHoc,
                            {{kTails, "Two"}, {kDelta, "2.5"}, {kAlpha, "0.05"}, {kDf, "30"}});
    Register<PowerTGeneric>("Generic/Criterion", kCriterion,
                            {{kTails, "Two"}, {kDelta, "3"}, {kPower, "0.8"}, {kDf, "30"}});
    Register<PowerTGeneric>("Generic/Compromise", kCompromise,
                            {{kTails, "Two"}, {kDelta, "3"}, {kRatio, "1"}, {kDf, "30"}});

    Register<PowerTMeans>(
        "Means/APriori", kAPriori,
        {{kTails, "Two"}, {kD, "0.5"}, {kAlpha, "0.05"}, {kPower, "0.95"}, {kAllocation, "1"}});
    Register<PowerTMeans>(
        "Means/APriori/SmallEffect", kAPriori,
        {{kTails, "Two"}, {kD, "0.05"}, {kAlpha, "0.05"}, {kPower, "0.95"}, {kAllocation, "2"}});
    Register<PowerTMeans>(
        "Means/Sensitivity", kSensitivity,
        {{kTails, "Two"}, {kAlpha, "0.05"}, {kPower, "0.95"}, {kN1, "50"}, {kN2, "50"}});
    Register<PowerTMeans>(
        "Means/PostHoc", kPostHoc,
        {{kTails, "Two"}, {kD, "0.5"}, {kAlpha, "0.05"}, {kN1, "50"}, {kN2, "50"}});
    Register<PowerTMeans>(
        "Means/Criterion", kCriterion,
        {{kTails, "Two"}, {kD, "0.5"}, {kPower, "0.95"}, {kN1, "50"}, {kN2, "50"}});
    Register<PowerTMeans>("Means/Compromise", kCompromise,
                          {{kTails, "Two"}, {kD, "0.5"}, {kRatio, "1"}, {kN1, "50"}, {kN2, "50"}});

    Register<PowerTOneMean>("OneMean/APriori", kAPriori,
                            {{kTails, "Two"}, {kD, "0.5"}, {kAlpha, "0.05"}, {kPower, "0.95"}});
    Register<PowerTOneMean>("OneMean/Sensitivity", kSensitivity,
                            {{kTails, "Two"}, {kAlpha, "0.05"}, {kPower, "0.95"}, {kN, "30"}});
    Register<PowerTOneMean>("OneMean/PostHoc", kPostHoc,
                            {{kTails, "Two"}, {kD, "0.5"}, {kAlpha, "0.05"}, {kN, "30"}});
    Register<PowerTOneMean>("OneMean/Criterion", kCriterion,
                            {{kTails, "Two"}, {kD, "0.5"}, {kPower, "0.8"}, {kN, "30"}});
    Register<PowerTOneMean>("OneMean/Compromise", kCompromise,
                            {{kTails, "Two"}, {kD, "0.5"}, {kRatio, "1"}, {kN, "30"}});

    // Searches that end in a failure, on a new object each run: no alpha
    // down to 1e-99 meets the ratio (the slope test with N 1,000,000) or
    // the target power (the point-biserial test with N 1e8), where each
    // power sums some million terms of the noncentral t.
    benchmark::RegisterBenchmark("Failing/Slope/Compromise", [](benchmark::State& state) {
        bench::RunFresh<PowerTLinRegression>(state, kCompromise,
                                             {{kTails, "One"},
                                              {"Slope H1", "72.8"},
                                              {kRatio, "0.368"},
                                              {kN, "1000000"},
                                              {"Std dev $\\sigma$_x", "0.108"},
                                              {"Std dev $\\sigma$_y", "7.87"}},
                                             [](PowerTLinRegression&) {});
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Failing/PointBiserial/Criterion", [](benchmark::State& state) {
        bench::RunFresh<PowerTCorr>(state, kCriterion,
                                    {{kTails, "Two"},
                                     {"Effect size |$\\rho$|", "0.99"},
                                     {kPower, "0.95"},
                                     {kN, "100000000"}},
                                    [](PowerTCorr&) {});
    })->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
