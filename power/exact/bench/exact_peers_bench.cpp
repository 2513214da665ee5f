// Time of one calculation of the exact correlation test, of McNemar's test
// with the exact power and with its approximation, and of the sign test,
// through the same path as the main window
// (input list, Calculate, output list and outputs), on the works that
// verification/exact_speed/peers_timing.R times with R's peers under the same
// names. Two tails each.
//
//   quorix_power_exact_peers_bench [--benchmark_filter=Correlation]

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "analysis/parameter_names.h"
#include "power/bench_support.h"
#include "power/exact/power_exact_correlation.h"
#include "power/exact/power_exact_mcnemar.h"
#include "power/exact/power_exact_proportion.h"

namespace {

using bench::Texts;

// The output the peers answer too, reported as the counter "answer".
std::string AnswerOf(AnalysisType type) {
    switch (type) {
        case kAPriori:
            return "Total sample size";
        case kSensitivity:
            return "Correlation $\\rho$ H1";
        case kPostHoc:
            return "Power (1-$\\beta$ err prob)";
        default:
            return "$\\alpha$ err prob";
    }
}

void Run(benchmark::State& state, PowerAnalysis& test, AnalysisType type, const Texts& texts) {
    PropertyList outputs;
    bench::Run(state, test, type, texts, &outputs);
    if (const auto* answer = dynamic_cast<const PropertyDouble*>(outputs.Find(AnswerOf(type))))
        state.counters["answer"] = answer->GetValue();
}

const std::string kTails = "Tail(s)";
const std::string kAlpha = "$\\alpha$ err prob";
const std::string kPower = "Power (1-$\\beta$ err prob)";
const std::string kRatio = "$\\beta$/$\\alpha$ ratio";
const std::string kN = "Total sample size";
const std::string kRho1 = "Correlation $\\rho$ H1";
const std::string kRho0 = "Correlation $\\rho$ H0";
const std::string kOddsRatio = "Odds ratio";
const std::string kDiscordant = "Prop discordant pairs";
const std::string kEffectG = "Effect size g";

void Correlation(const std::string& name, AnalysisType type, Texts texts) {
    texts[kTails] = "Two";
    texts[kRho0] = "0";
    benchmark::RegisterBenchmark(name.c_str(), [type, texts](benchmark::State& state) {
        PowerExactOneCorr test;
        Run(state, test, type, texts);
    });
}

void McNemar(const std::string& name, AnalysisType type, Texts texts) {
    texts[kTails] = "Two";
    texts[kOddsRatio] = "2";
    texts[kDiscordant] = "0.3";
    benchmark::RegisterBenchmark(name.c_str(), [type, texts](benchmark::State& state) {
        PowerExactMcNemar test;
        test.useApproximation = false;
        Run(state, test, type, texts);
    });
}

// McNemar's approximation: the binomial test on ceil(N pd) discordant pairs.
void McNemarApproximate(const std::string& name, AnalysisType type, Texts texts) {
    texts[kTails] = "Two";
    texts[kOddsRatio] = "2";
    texts[kDiscordant] = "0.3";
    benchmark::RegisterBenchmark(name.c_str(), [type, texts](benchmark::State& state) {
        PowerExactMcNemar test;
        test.useApproximation = true;
        Run(state, test, type, texts);
    });
}

void SignTest(const std::string& name, AnalysisType type, Texts texts) {
    texts[kTails] = "Two";
    benchmark::RegisterBenchmark(name.c_str(), [type, texts](benchmark::State& state) {
        PowerExactBinomialSign test;
        Run(state, test, type, texts);
    });
}

void RegisterAll() {
    // N 782.
    Correlation("Correlation/APriori", kAPriori,
                {{kRho1, "0.1"}, {kAlpha, "0.05"}, {kPower, "0.8"}});
    Correlation("Correlation/Sensitivity", kSensitivity,
                {{kAlpha, "0.05"}, {kPower, "0.8"}, {kN, "782"}});
    Correlation("Correlation/PostHoc", kPostHoc, {{kRho1, "0.1"}, {kAlpha, "0.05"}, {kN, "2000"}});
    Correlation("Correlation/Criterion", kCriterion, {{kRho1, "0.3"}, {kPower, "0.8"}, {kN, "85"}});
    Correlation("Correlation/Compromise", kCompromise, {{kRho1, "0.3"}, {kRatio, "1"}, {kN, "85"}});

    McNemar("McNemar/PostHoc/200", kPostHoc, {{kAlpha, "0.05"}, {kN, "200"}});
    McNemar("McNemar/PostHoc/20000", kPostHoc, {{kAlpha, "0.05"}, {kN, "20000"}});
    McNemar("McNemar/APriori", kAPriori, {{kAlpha, "0.05"}, {kPower, "0.95"}});
    McNemarApproximate("McNemarApprox/APriori", kAPriori, {{kAlpha, "0.05"}, {kPower, "0.8"}});
    SignTest("Sign/APriori", kAPriori, {{kEffectG, "0.15"}, {kAlpha, "0.05"}, {kPower, "0.8"}});
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
