// Time from a computed report to the explorer's Results tab showing it: the
// report of a model with one contrast a row (every cell against the first,
// every response against the first: a t table a pair), or with two-row
// response contrasts (the univariate and the multivariate table a pair), is
// computed once; each iteration puts it into the real Results tab of a
// shown explorer and paints the tab (OnScreen), and then lays out the rest
// of the document (LaidOutWhole), which the view otherwise does in steps
// between events. Run from a Release build:
//   build/release/app/explorer/bench/quorix_app_explorer_results_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QTabBar>
#include <QTextDocument>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/explorer/glmm_explorer.h"
#include "app/explorer/glmm_results.h"
#include "app/widgets/html_edit.h"
#include "glm/bench/explorer_bench_design.h"
#include "glm/explorer_model.h"
#include "glm/model/power_glmm.h"

namespace {

// g cells with their own predictor, p responses; (g - 1) predictor
// contrasts of one row; (p - 1) response contrasts of one row, or of two
// rows (`twoRowResponses`, about (p - 1) / 2 of them).
ExplorerModel Design(int cells, int responses, bool twoRowResponses) {
    ExplorerModel model = BenchmarkDesign(cells, responses);
    ContrastsAgainstFirst(model, cells, responses,
                          twoRowResponses ? ContrastRows::kResponsePairs : ContrastRows::kEachRow);
    return model;
}

// `whole`: the time includes laying out the whole document, which the view
// otherwise does in steps after the first picture, between events.
void Show(benchmark::State& state, bool whole) {
    const ExplorerModel document = Design(static_cast<int>(state.range(0)),
                                          static_cast<int>(state.range(1)), state.range(2) != 0);
    PowerGLMM model;
    std::vector<ReportBlock> blocks;
    if (document.Calculate(model, blocks)) {
        state.SkipWithError("not computed");
        return;
    }
    model.SetDimensions(5, 3, 4);
    CGLMMExplorer window;
    window.SetModel(&model);
    if (!window.OnInitDialog()) {
        state.SkipWithError("no window");
        return;
    }
    window.resize(900, 700);
    window.show();
    window.Tabs()->setCurrentIndex(CGLMMExplorer::kResults);
    QCoreApplication::processEvents();
    CGLMM_Results* results = window.ResultsForm();
    for (auto _ : state) {
        results->ShowReport(blocks);
        // The first picture, as the window paints it.
        benchmark::DoNotOptimize(results->Html()->viewport()->grab());
        if (whole) benchmark::DoNotOptimize(results->Html()->document()->size());
        state.PauseTiming();
        results->ShowReport({});
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["pairs"] = static_cast<double>(blocks.size());
}

void OnScreen(benchmark::State& state) {
    Show(state, false);
}
void LaidOutWhole(benchmark::State& state) {
    Show(state, true);
}

void Reports(benchmark::internal::Benchmark* b) {
    // cells, responses, two-row response contrasts: 45, 171, 551 and
    // 1,000 pairs with a t table each; 1,000 pairs, most with the
    // univariate and the multivariate table.
    for (auto args : {std::vector<int64_t>{10, 6, 0}, std::vector<int64_t>{20, 10, 0},
                      std::vector<int64_t>{30, 20, 0}, std::vector<int64_t>{41, 26, 0},
                      std::vector<int64_t>{41, 50, 1}})
        b->Args(args);
    b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(OnScreen)->Apply(Reports);
BENCHMARK(LaidOutWhole)->Apply(Reports);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
