// The explorer's Calculate, A priori and post hoc, over designs of g cells
// (one predictor each, X = I) and p responses: the means vary with the
// cell and the response, Σ has variances 1 and covariances 0.3, the contrasts are
// the tabs' defaults (two rows each), of full rank, or one contrast a row. Run from a Release
// build:
//   build/release/glm/bench/quorix_glm_explorer_search_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "glm/bench/explorer_bench_design.h"
#include "glm/explorer_model.h"
#include "glm/model/power_glmm.h"

namespace {

ExplorerModel Design(int cells, int responses, bool aPriori, int contrasts) {
    ExplorerModel model = BenchmarkDesign(cells, responses);
    // Contrasts of full rank (1), or each row a contrast of its own (2).
    if (contrasts > 0)
        ContrastsAgainstFirst(model, cells, responses,
                              contrasts == 2 ? ContrastRows::kEachRow : ContrastRows::kOneContrast);
    model.settings.aPriori = aPriori;
    return model;
}

void Calculate(benchmark::State& state, bool aPriori, const wchar_t* totalN = nullptr) {
    ExplorerModel model = Design(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                 aPriori, static_cast<int>(state.range(2)));
    if (totalN) model.settings.totalN = totalN;
    PowerGLMM glmm;
    std::vector<ReportBlock> blocks;
    for (auto _ : state) {
        if (model.Calculate(glmm, blocks)) state.SkipWithError("not computed");
        benchmark::DoNotOptimize(blocks);
    }
    if (!blocks.empty() && !blocks[0].results.empty() && blocks[0].results[0].size() > 1) {
        const auto& row = blocks[0].results[0][1];
        state.SetLabel("N " + std::string(row[1].begin(), row[1].end()) + ", df1 " +
                       std::string(row[10].begin(), row[10].end()));
    }
}

void APriori(benchmark::State& state) {
    Calculate(state, true);
}
void PostHoc(benchmark::State& state) {
    Calculate(state, false);
}
// The tabs' N (24) leaves designs of more cells without error df, and their
// rows without values; at N 1000 every row computes its power.
void PostHocN1000(benchmark::State& state) {
    Calculate(state, false, L"1000");
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (auto [g, p] : {std::pair{5, 4}, std::pair{10, 5}, std::pair{20, 10}, std::pair{40, 20},
                        std::pair{100, 50}})
        for (int contrasts : {0, 1, 2}) b->Args({g, p, contrasts});
    b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(APriori)->Apply(Sizes);
BENCHMARK(PostHoc)->Apply(Sizes);
BENCHMARK(PostHocN1000)->Apply(Sizes);
BENCHMARK_MAIN();
