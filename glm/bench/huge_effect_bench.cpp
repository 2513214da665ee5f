// The explorer's report for a huge effect: the 3 x 3 x 2 design in effect
// coding (18 cells, 18 predictors), three responses, the main effect of A
// against the responses' differences from the first; either means of 1e11
// for both A effects against variances 1, or ordinary means against
// variances 1e-200. Every row's noncentrality lies beyond what the
// noncentral F computes; post hoc each shows power 1, a priori each answers
// the first N it allows. Run from a Release build:
//   build/release/glm/bench/quorix_glm_huge_effect_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "glm/explorer_report.h"
#include "glm/model/effect_design.h"
#include "glm/model/power_glmm.h"

namespace {

LabeledMatrix Labeled(int rows, int cols, const std::vector<double>& values) {
    LabeledMatrix m;
    m.values.resize(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) m.values(i, j) = values[i * cols + j];
    return m;
}

void EffectModel(PowerGLMM& model, bool hugeMean) {
    const EffectDesign d = ThreeByThreeByTwo(hugeMean ? 1e11 : 1.0);
    const double v = hugeMean ? 1.0 : 1e-200;
    SetModelMatrices(model, Labeled(18, 18, d.x), Labeled(18, 1, std::vector<double>(18, 1.0)),
                     Labeled(18, 3, d.means), Labeled(3, 3, {v, 0, 0, 0, v, 0, 0, 0, v}));
}

void Report(benchmark::State& state) {
    const bool hugeMean = state.range(0) == 1, aPriori = state.range(1) == 1;
    PowerGLMM model;
    EffectModel(model, hugeMean);
    PowerContrastList cList, aList;
    auto c = std::make_unique<PowerContrast>();
    std::vector<double> effectOfA(2 * 18, 0.0);
    effectOfA[1] = effectOfA[18 + 2] = 1.0;
    c->matrix = Labeled(2, 18, effectOfA);
    cList.push_back(std::move(c));
    auto a = std::make_unique<PowerContrast>();
    a->matrix = Labeled(2, 3, {1, -1, 0, 1, 0, -1});
    aList.push_back(std::move(a));
    for (auto _ : state) {
        auto blocks = BuildReport(model, cList, aList, {0.05, 0.9, 24, aPriori});
        benchmark::DoNotOptimize(blocks);
    }
}

}  // namespace

// (1 huge mean | 0 tiny variances, 1 a priori | 0 post hoc)
BENCHMARK(Report)->Args({1, 0})->Args({1, 1})->Args({0, 0})->Args({0, 1})->Unit(
    benchmark::kMillisecond);

BENCHMARK_MAIN();
