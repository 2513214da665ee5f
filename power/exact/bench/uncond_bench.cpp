// Time of one calculation of the unconditional exact tests of two
// proportions through the path of the main window: input list, Calculate,
// output list and outputs. An exact power sums some sqrt(n1 n2) terms of
// each hypothesis; the A priori search evaluates some forty totals, the
// Sensitivity search keeps one region for all of its p1.
//
//   quorix_power_exact_uncond_bench [--benchmark_filter=APriori]

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "analysis/parameter_names.h"
#include "power/bench_support.h"
#include "power/exact/power_exact_uncond_null.h"
#include "power/exact/power_exact_uncond_offset.h"

namespace {

using bench::Texts;

template <class Test>
void Run(benchmark::State& state, AnalysisType type, const Texts& texts) {
    Test test;
    PropertyList outputs;
    bench::Run(state, test, type, texts, &outputs);
}

// The same on a new object each run, with the statistic `statistic` (-1:
// the test's own).
template <class Test>
void RunFresh(benchmark::State& state, AnalysisType type, const Texts& texts, int statistic) {
    bench::RunFresh<Test>(state, type, texts, [statistic](Test& test) {
        if (statistic >= 0) test.SetStatistic(statistic);
    });
}

const std::string kTails = "Tail(s)";
const std::string kPower = "Power (1-$\\beta$ err prob)";
const std::string kN1 = "Sample size group 1";
const std::string kN2 = "Sample size group 2";
const std::string kDiff = "Diff (p1-p2)";
const std::string kRatio = "$\\beta$/$\\alpha$ ratio";

// 50 + 50 at p1 0.6 against 0.3.
void NullPostHoc(benchmark::State& state) {
    Run<PowerExactUncTwoPropNull>(state, kPostHoc, {{kTails, "Two"}});
}
BENCHMARK(NullPostHoc)->Unit(benchmark::kMillisecond);

// The same on a new object each time: nothing kept from the last run.
void NullPostHocFresh(benchmark::State& state) {
    RunFresh<PowerExactUncTwoPropNull>(state, kPostHoc, {{kTails, "Two"}}, -1);
}
BENCHMARK(NullPostHocFresh)->Unit(benchmark::kMillisecond);

// Effects that need totals of about 140, 560 and 2,000.
void NullAPriori(benchmark::State& state) {
    const char* diff[] = {"0.3", "0.15", "0.08"};
    Run<PowerExactUncTwoPropNull>(state, kAPriori,
                                  {{kTails, "Two"}, {kDiff, diff[state.range(0)]}});
}
BENCHMARK(NullAPriori)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void NullSensitivity(benchmark::State& state) {
    Run<PowerExactUncTwoPropNull>(state, kSensitivity,
                                  {{kTails, "Two"}, {kPower, "0.8"}, {kN1, "500"}, {kN2, "500"}});
}
BENCHMARK(NullSensitivity)->Unit(benchmark::kMillisecond);

void NullCriterion(benchmark::State& state) {
    Run<PowerExactUncTwoPropNull>(state, kCriterion,
                                  {{kTails, "Two"}, {kPower, "0.8"}, {kN1, "500"}, {kN2, "500"}});
}
BENCHMARK(NullCriterion)->Unit(benchmark::kMillisecond);

// The largest exact total by default: 5,000 + 5,000.
void NullPostHocAtTheLimit(benchmark::State& state) {
    Run<PowerExactUncTwoPropNull>(state, kPostHoc,
                                  {{kTails, "Two"}, {kDiff, "0.02"}, {kN1, "5000"}, {kN2, "5000"}});
}
BENCHMARK(NullPostHocAtTheLimit)->Unit(benchmark::kMillisecond);

// The test with an offset at its standard inputs (50 + 50, p1 0.65 against
// 0.55, p2 0.5), with the z test and with the score statistic of the
// difference, whose restricted estimates solve a cubic for every outcome.
template <int Statistic, int Index>
void OffsetPostHoc(benchmark::State& state) {
    struct Chosen : PowerExactUncTwoPropOffset {
        Chosen() {
            SelectEffectIndex(Index);
            SetStatistic(Statistic);
        }
    };
    Run<Chosen>(state, kPostHoc, {{kTails, "One"}});
}
BENCHMARK(OffsetPostHoc<0, 0>)->Unit(benchmark::kMillisecond);
BENCHMARK(OffsetPostHoc<7, 1>)->Unit(benchmark::kMillisecond);
BENCHMARK(OffsetPostHoc<13, 3>)->Unit(benchmark::kMillisecond);

template <int Statistic, int Index>
void OffsetAPriori(benchmark::State& state) {
    struct Chosen : PowerExactUncTwoPropOffset {
        Chosen() {
            SelectEffectIndex(Index);
            SetStatistic(Statistic);
        }
    };
    Run<Chosen>(state, kAPriori, {{kTails, "One"}, {kPower, "0.8"}});
}
BENCHMARK(OffsetAPriori<0, 0>)->Unit(benchmark::kMillisecond);
BENCHMARK(OffsetAPriori<8, 1>)->Unit(benchmark::kMillisecond);
BENCHMARK(OffsetAPriori<12, 2>)->Unit(benchmark::kMillisecond);

// Two tails at 5,000 + 5,000 (the A priori answer is 3,162 + 3,162),
// p1 0.585 against 0.55 under H0, p2 0.5, power 0.8, q 1: each run on a new
// object, so that nothing a search keeps is carried over from the last
// run. The test with an offset with the pooled z and with the score
// statistic of the difference; the test of equality at the same p1 and p2
// for comparison.
const Texts kLargeTwoTailed = {{kTails, "Two"},  {"Prop. p1|H1", "0.585"},
                               {kDiff, "0.085"}, {kPower, "0.8"},
                               {kN1, "5000"},    {kN2, "5000"},
                               {kRatio, "1"}};

template <class Test, int Statistic>
void TwoTailed(benchmark::State& state) {
    RunFresh<Test>(state, static_cast<AnalysisType>(state.range(0)), kLargeTwoTailed, Statistic);
}
void TypeNames(benchmark::internal::Benchmark* b) {
    b->ArgName("type");
    for (AnalysisType type : {kAPriori, kPostHoc, kCriterion, kCompromise}) b->Arg(type);
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(TwoTailed<PowerExactUncTwoPropOffset, -1>)->Apply(TypeNames);
BENCHMARK(TwoTailed<PowerExactUncTwoPropOffset, 7>)->Apply(TypeNames);
BENCHMARK(TwoTailed<PowerExactUncTwoPropOffset, 9>)->Apply(TypeNames);
BENCHMARK(TwoTailed<PowerExactUncTwoPropNull, -1>)->Apply(TypeNames);

// The score statistics of the difference at an extreme effect: a
// Compromise at p1 0.21 against 0.98 under H0, p2 0.5, two tails,
// 3,250 + 3,250, q 1, where beta and alpha lie far below 1e-16.
template <int Code>
void ScoreCompromiseExtreme(benchmark::State& state) {
    RunFresh<PowerExactUncTwoPropOffset>(state, kCompromise,
                                         {{kTails, "Two"},
                                          {"Prop. p1|H1", "0.21"},
                                          {"Prop. p1|H0", "0.98"},
                                          {kN1, "3250"},
                                          {kN2, "3250"},
                                          {kRatio, "1"}},
                                         Code);
}
// The score statistic of the difference, and Gart and Nam's corrected one.
BENCHMARK(ScoreCompromiseExtreme<7>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ScoreCompromiseExtreme<9>)->Unit(benchmark::kMillisecond)->Iterations(1);

// The score statistics of the ratio (codes 10 to 12) and of the odds ratio
// (13, 14) take their own measure: the same proportions as the ratio 1.17
// against 1.1 under H0, or the odds ratio 1.4096386 against 1.2222222, and
// the extreme Compromise as the ratio 0.42 against 1.96, or the odds ratio
// 0.2658228 against 49.
template <int Code>
struct ScoreOfMeasure : PowerExactUncTwoPropOffset {
    static constexpr int kIndex = Code <= 12 ? 2 : 3;
    ScoreOfMeasure() {
        SelectEffectIndex(kIndex);
        SetStatistic(Code);
    }
};

Texts MeasureTexts(int index, const char* h1Ratio, const char* h0Ratio, const char* h1Odds,
                   const char* h0Odds) {
    if (index == 2) return {{"(p1/p2)|H1", h1Ratio}, {"(p1/p2)|H0", h0Ratio}};
    return {{"Odds ratio|H1", h1Odds}, {"Odds ratio|H0", h0Odds}};
}

template <int Code>
void MeasureTwoTailed(benchmark::State& state) {
    Texts texts =
        MeasureTexts(ScoreOfMeasure<Code>::kIndex, "1.17", "1.1", "1.4096386", "1.2222222");
    texts.insert(kLargeTwoTailed.begin(), kLargeTwoTailed.end());
    RunFresh<ScoreOfMeasure<Code>>(state, static_cast<AnalysisType>(state.range(0)), texts, -1);
}
BENCHMARK(MeasureTwoTailed<12>)->Apply(TypeNames);
BENCHMARK(MeasureTwoTailed<13>)->Apply(TypeNames);
BENCHMARK(MeasureTwoTailed<14>)->Apply(TypeNames);

template <int Code>
void MeasureCompromiseExtreme(benchmark::State& state) {
    Texts texts = MeasureTexts(ScoreOfMeasure<Code>::kIndex, "0.42", "1.96", "0.2658228", "49");
    texts.insert({{kTails, "Two"}, {kN1, "3250"}, {kN2, "3250"}, {kRatio, "1"}});
    RunFresh<ScoreOfMeasure<Code>>(state, kCompromise, texts, -1);
}
BENCHMARK(MeasureCompromiseExtreme<10>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(MeasureCompromiseExtreme<11>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(MeasureCompromiseExtreme<12>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(MeasureCompromiseExtreme<13>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(MeasureCompromiseExtreme<14>)->Unit(benchmark::kMillisecond)->Iterations(1);

// A Compromise at a large effect at 5,000 + 5,000, two tails, p1 0.95
// against 0.55 under H0, p2 0.5, q 1: alpha = beta lies near 1e-117, below
// the floor of 1e-99, and the search refuses. Statistic 3 (unpooled z with
// continuity correction), the score statistics of the difference, and
// those of the ratio (1.9 against 1.1) and of the odds ratio (19 against
// 1.2222).
template <int Code>
void CompromiseBelowTheFloor(benchmark::State& state) {
    Texts texts = {{kTails, "Two"}, {kN1, "5000"}, {kN2, "5000"}, {kRatio, "1"}};
    const int index = Code <= 9 ? 0 : Code <= 12 ? 2 : 3;
    if (index == 0) {
        texts["Prop. p1|H1"] = "0.95";
        texts["Prop. p1|H0"] = "0.55";
    } else if (index == 2) {
        texts["(p1/p2)|H1"] = "1.9";
        texts["(p1/p2)|H0"] = "1.1";
    } else {
        texts["Odds ratio|H1"] = "19";
        texts["Odds ratio|H0"] = "1.2222";
    }
    bench::RunFresh<PowerExactUncTwoPropOffset>(state, kCompromise, texts,
                                                [index](PowerExactUncTwoPropOffset& test) {
                                                    test.SelectEffectIndex(index);
                                                    test.SetStatistic(Code);
                                                });
}
BENCHMARK(CompromiseBelowTheFloor<1>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<3>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<7>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<8>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<9>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<10>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<11>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<12>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<13>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseBelowTheFloor<14>)->Unit(benchmark::kMillisecond)->Iterations(1);

// Compromises at 5,000 + 5,000, two tails, p1 against 0.55 under H0, p2
// 0.5, q 1, with the continuity-corrected and score statistics: at p1 0.8
// the ratio is met near alpha 1e-41 (every code shows an answer); at p1
// 0.9 with the corrected unpooled z (code 3) no alpha the walk tries meets
// it, and the search ends "no solution".
template <int Code, int P1Permille>
void CompromiseFarBelow1e16(benchmark::State& state) {
    RunFresh<PowerExactUncTwoPropOffset>(state, kCompromise,
                                         {{kTails, "Two"},
                                          {"Prop. p1|H1", std::to_string(P1Permille / 1000.0)},
                                          {"Prop. p1|H0", "0.55"},
                                          {kN1, "5000"},
                                          {kN2, "5000"},
                                          {kRatio, "1"}},
                                         Code);
}
BENCHMARK(CompromiseFarBelow1e16<1, 800>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseFarBelow1e16<3, 800>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseFarBelow1e16<7, 800>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseFarBelow1e16<9, 800>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CompromiseFarBelow1e16<3, 900>)->Unit(benchmark::kMillisecond)->Iterations(1);

// The first calculation in a process, before any memory of the sums has
// been taken: run one alone (for example
// --benchmark_filter=FirstCalculation/3/4), so that it is the first; later
// runs in the same process are those of TwoTailed above. Post hoc, Criterion
// and Compromise at 5,000 + 5,000 with the corrected and score statistics.
void FirstCalculation(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    RunFresh<PowerExactUncTwoPropOffset>(state, static_cast<AnalysisType>(state.range(1)),
                                         kLargeTwoTailed, code);
}
BENCHMARK(FirstCalculation)
    ->ArgsProduct({{1, 3, 7, 8, 9}, {kPostHoc, kCriterion, kCompromise}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
