// Time of one calculation of the logistic and the Poisson regression test
// (large-sample z test, Demidenko's variances with the H0 correction, two
// tails), through the same path as the main window (input list, Calculate,
// output list and outputs), in every analysis type and covariate
// distribution at the standard parameters of each covariate, odds ratio 1.3
// and rate ratio 0.9. The works are those that
// verification/regression_speed/peers_timing.R times in R under the same
// names; the answer the peer gives too is reported as the counter "answer",
// A priori's actual power as "power", both unrounded.
//
//   quorix_power_z_regression_bench [--benchmark_filter=Logistic/APriori]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "analysis/parameter_names.h"
#include "power/bench_support.h"
#include "power/z/power_z_logistic_regress.h"
#include "power/z/power_z_poisson_regress.h"

namespace {

using bench::Texts;

const std::string kTails = "Tail(s)";
const std::string kAlpha = "$\\alpha$ err prob";
const std::string kPower = "Power (1-$\\beta$ err prob)";
const std::string kRatio = "$\\beta$/$\\alpha$ ratio";
const std::string kN = "Total sample size";

struct Type {
    const char* name;
    AnalysisType type;
    Texts texts;
};

// The other types are given half the N that A priori finds, so that the
// power lies between alpha and 1 for every covariate.
const Type kTypes[] = {
    {"APriori", kAPriori, {{kAlpha, "0.05"}, {kPower, "0.95"}}},
    {"PostHoc", kPostHoc, {{kAlpha, "0.05"}}},
    {"Criterion", kCriterion, {{kPower, "0.8"}}},
    {"Compromise", kCompromise, {{kRatio, "1"}}},
    {"Sensitivity", kSensitivity, {{kAlpha, "0.05"}, {kPower, "0.95"}}},
};

const char* const kCovariates[] = {"Binomial", "Exponential", "Lognormal",
                                   "Normal",   "Poisson",     "Uniform"};

// The answer of `type` as computed, before the outputs round it to the
// digits they show.
double AnswerOf(const PowerAnalysis& test, AnalysisType type) {
    switch (type) {
        case kAPriori:
            return test.sampleSize;
        case kSensitivity:
            return test.effectSize;
        case kPostHoc:
            return test.power;
        default:
            return test.alpha;
    }
}

double ValueOf(const PropertyList& outputs, const std::string& label) {
    const auto* value = dynamic_cast<const PropertyDouble*>(outputs.Find(label));
    return value ? value->GetValue() : NAN;
}

// The input list of `type` with `texts` and the effect `effect` typed over
// the standard inputs.
template <class Test>
void TypeInputs(Test& test, AnalysisType type, const std::string& effect, Texts texts,
                PropertyList* inputs) {
    test.BuildInputList(type, inputs);
    texts[kTails] = "Two";
    texts[ParameterNames[test.GetEffectSizeId()]] = effect;
    bench::TypeTexts(inputs, texts);
}

// Sensitivity looks for the effect on the side `direction`.
template <class Test>
void Register(const std::string& family, const std::string& effect, const std::string& direction) {
    for (int covariate = kXBinomial; covariate <= kXUniform; ++covariate) {
        Test first;
        first.xDistribution = covariate;
        PropertyList inputs, outputs;
        TypeInputs(first, kAPriori, effect, kTypes[0].texts, &inputs);
        CalculateWithInputErrors(&first, kAPriori, &inputs);
        first.GetOutputs(kAPriori, &outputs);
        const long n = std::max(10L, std::lround(ValueOf(outputs, kN) / 2.0));
        for (const Type& type : kTypes) {
            const std::string name =
                family + "/" + type.name + "/" + kCovariates[covariate - kXBinomial];
            Texts texts = type.texts;
            if (type.type != kAPriori) texts[kN] = std::to_string(n);
            if (type.type == kSensitivity) texts["Effect direction"] = direction;
            benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
                // A new test each time: the slope variances it keeps from
                // one calculation to the next would spare every later one
                // the integrals.
                PropertyList given, shown;
                {
                    Test test;
                    test.xDistribution = covariate;
                    TypeInputs(test, type.type, effect, texts, &given);
                }
                for (auto _ : state) {
                    Test test;
                    test.xDistribution = covariate;
                    const CalculateStatus status =
                        CalculateWithInputErrors(&test, type.type, &given);
                    test.BuildOutputList(type.type, &shown);
                    test.GetOutputs(type.type, &shown);
                    benchmark::DoNotOptimize(status);
                }
                Test test;
                test.xDistribution = covariate;
                CalculateWithInputErrors(&test, type.type, &given);
                state.counters["n"] = type.type == kAPriori ? 0.0 : static_cast<double>(n);
                state.counters["answer"] = AnswerOf(test, type.type);
                if (type.type == kAPriori) state.counters["power"] = test.actualPower;
            })->Unit(benchmark::kMicrosecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Register<PowerZLogisticRegress>("Logistic", "1.3", "p2 >= p1");
    // A rate ratio below 1: a growing rate has no finite information over
    // the log-normal covariate's unbounded tail.
    Register<PowerZPoissonRegress>("Poisson", "0.9", "$\\beta$1 <= 0");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
