// Time of one calculation of the unconditional exact tests of two
// proportions with each statistic in each analysis, through the path of
// the main window (input list, Calculate, output list and outputs), each
// run on a new object. Two tails, alpha 0.05, power 0.8, q 1, 5,000 +
// 5,000 where the groups are given, p1 above H0 in the Sensitivity. The
// test with an H0 value at p2 0.5: p1 0.585 against 0.55 for the
// proportion's statistics (A priori answer 3,162 + 3,162 with the score
// statistics), the ratio 1.17 against 1.1 and the odds ratio 1.4096
// against 1.2222 for theirs; the test of equality at p1 0.535 against p2
// 0.5 (answer near 3,205 + 3,205). The `near10k` variants move the effect
// towards H0 (p1 0.579, the ratio 1.16, the odds ratio 1.374, the
// difference 0.029), so that the answer lies between 8,000 and 10,000, the
// largest exact total.
//
//   quorix_power_exact_uncond_codes_bench [--benchmark_filter=Offset/code:9]

#include <benchmark/benchmark.h>

#include <string>

#include "power/bench_support.h"
#include "power/exact/power_exact_uncond_null.h"
#include "power/exact/power_exact_uncond_offset.h"

namespace {

using bench::Texts;

template <class Test>
void RunFresh(benchmark::State& state, AnalysisType type, const Texts& texts, int index,
              int statistic) {
    bench::RunFresh<Test>(state, type, texts, [index, statistic](Test& test) {
        test.SetEffectIndex(index);
        test.SetStatistic(statistic);
    });
}

Texts Common() {
    return {{"Tail(s)", "Two"},
            {"Power (1-$\\beta$ err prob)", "0.8"},
            {"Sample size group 1", "5000"},
            {"Sample size group 2", "5000"},
            {"$\\beta$/$\\alpha$ ratio", "1"},
            {"Proportion p2", "0.5"}};
}

// range(0): the statistic, range(1): the analysis type, range(2): 1 for p1
// near the largest exact total.
void Offset(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    Texts texts = Common();
    texts["Effect direction"] = "p|H1$\\ge$p|H0";
    int index = 0;
    if (code <= 9) {
        texts["Prop. p1|H1"] = state.range(2) ? "0.579" : "0.585";
        texts["Prop. p1|H0"] = "0.55";
    } else if (code <= 12) {
        index = 2;
        texts["(p1/p2)|H1"] = state.range(2) ? "1.16" : "1.17";
        texts["(p1/p2)|H0"] = "1.1";
    } else {
        index = 3;
        texts["Odds ratio|H1"] = state.range(2) ? "1.374" : "1.4096";
        texts["Odds ratio|H0"] = "1.2222";
    }
    RunFresh<PowerExactUncTwoPropOffset>(state, static_cast<AnalysisType>(state.range(1)), texts,
                                         index, code);
}

void Null(benchmark::State& state) {
    Texts texts = Common();
    texts["Effect direction"] = "p1$\\ge$p2";
    texts["Diff (p1-p2)"] = state.range(2) ? "0.029" : "0.035";
    RunFresh<PowerExactUncTwoPropNull>(state, static_cast<AnalysisType>(state.range(1)), texts, 1,
                                       static_cast<int>(state.range(0)));
}

// One tail, p1 0.58 against 0.55 under H0 (the ratio 1.16 against 1.1, the
// odds ratio 1.3811 against 1.2222), the searches of a fixed 5,000 +
// 5,000: range(0) the statistic, range(1) the analysis type.
void OneTail(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    Texts texts = Common();
    texts["Tail(s)"] = "One";
    texts["Effect direction"] = "p|H1$\\ge$p|H0";
    int index = 0;
    if (code <= 9) {
        texts["Prop. p1|H1"] = "0.58";
        texts["Prop. p1|H0"] = "0.55";
    } else if (code <= 12) {
        index = 2;
        texts["(p1/p2)|H1"] = "1.16";
        texts["(p1/p2)|H0"] = "1.1";
    } else {
        index = 3;
        texts["Odds ratio|H1"] = "1.3811";
        texts["Odds ratio|H0"] = "1.2222";
    }
    RunFresh<PowerExactUncTwoPropOffset>(state, static_cast<AnalysisType>(state.range(1)), texts,
                                         index, code);
}

void Cases(benchmark::internal::Benchmark* b, std::initializer_list<int> codes) {
    b->ArgNames({"code", "type", "near10k"});
    for (int code : codes) {
        for (int type : {kAPriori, kSensitivity, kPostHoc, kCriterion, kCompromise}) {
            b->Args({code, type, 0});
        }
        b->Args({code, kAPriori, 1});
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(Offset)->Apply([](benchmark::internal::Benchmark* b) {
    Cases(b, {0, 1, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14});
});
BENCHMARK(OneTail)->Apply([](benchmark::internal::Benchmark* b) {
    b->ArgNames({"code", "type"});
    for (int code : {1, 3, 7, 8, 9, 10, 11, 12, 13, 14}) {
        for (int type : {kSensitivity, kCriterion, kCompromise}) b->Args({code, type});
    }
    b->Unit(benchmark::kMillisecond);
});
BENCHMARK(Null)->Apply([](benchmark::internal::Benchmark* b) { Cases(b, {0, 1, 2, 3, 4, 5, 6}); });

}  // namespace

BENCHMARK_MAIN();
