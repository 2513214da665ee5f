// Time of one calculation of the test of R^2 in the fixed regression model
// (f^2 0.15, 3 predictors, N 80), for each analysis type, on a new object
// each run, through the same path as the main window: input list,
// Calculate, output list and outputs. verification/f_speed/compare_with_r.py
// times R's route (pwr.f2.test, and uniroot over it for Compromise) on the
// same works in the same run.
//
//   quorix_power_f_bench [--benchmark_filter=Criterion]

#include <benchmark/benchmark.h>

#include <string>

#include "power/bench_support.h"
#include "power/f/power_f_regression.h"

namespace {

using bench::Texts;

const std::string kF2 = "Effect size f$^2$";
const std::string kAlpha = "$\\alpha$ err prob";
const std::string kPower = "Power (1-$\\beta$ err prob)";
const std::string kRatio = "$\\beta$/$\\alpha$ ratio";
const std::string kN = "Total sample size";
const std::string kPredictors = "Number of predictors";

void Register(const std::string& name, AnalysisType type, Texts texts) {
    texts[kF2] = "0.15";
    texts[kPredictors] = "3";
    benchmark::RegisterBenchmark(name.c_str(), [type, texts](benchmark::State& state) {
        bench::RunFresh<PowerFMRCGlobal>(state, type, texts, [](PowerFMRCGlobal&) {});
    })->Unit(benchmark::kMicrosecond);
}

void RegisterAll() {
    Register("RegressionR2/APriori", kAPriori, {{kAlpha, "0.05"}, {kPower, "0.8"}});
    Register("RegressionR2/PostHoc", kPostHoc, {{kAlpha, "0.05"}, {kN, "80"}});
    Register("RegressionR2/Criterion", kCriterion, {{kPower, "0.8"}, {kN, "80"}});
    Register("RegressionR2/Compromise", kCompromise, {{kRatio, "1"}, {kN, "80"}});
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
