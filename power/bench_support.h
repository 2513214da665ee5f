#pragma once

// For the calculation benchmarks: one calculation timed through the same
// path as the main window (input list, Calculate, output list and outputs).

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "numerics/quorix_error.h"

namespace bench {

// Input texts by label; a label the input list lacks is passed over.
using Texts = std::map<std::string, std::string>;

inline void TypeTexts(PropertyList* inputs, const Texts& texts) {
    for (const auto& [label, text] : texts) {
        if (Property* input = inputs->Find(label)) input->SetText(text);
    }
}

// Times the calculation of `test` on `inputs`, leaving the last outputs in
// `outputs`.
inline void TimeCalculation(benchmark::State& state, PowerAnalysis& test, AnalysisType type,
                            PropertyList* inputs, PropertyList* outputs) {
    for (auto _ : state) {
        const CalculateStatus status = CalculateWithInputErrors(&test, type, inputs);
        test.BuildOutputList(type, outputs);
        test.GetOutputs(type, outputs);
        benchmark::DoNotOptimize(status);
    }
}

// The input list of `type` with `texts` typed over its defaults, timed.
inline void Run(benchmark::State& state, PowerAnalysis& test, AnalysisType type, const Texts& texts,
                PropertyList* outputs) {
    PropertyList inputs;
    test.BuildInputList(type, &inputs);
    TypeTexts(&inputs, texts);
    TimeCalculation(state, test, type, &inputs, outputs);
}

// The same on a new object each run, set up by `setup(test)` before its
// inputs are typed, so that nothing a search keeps carries over. A search
// that finds no answer refuses with its message, which is timed too.
template <class Test, class Setup>
void RunFresh(benchmark::State& state, AnalysisType type, const Texts& texts, Setup setup) {
    for (auto _ : state) {
        Test test;
        setup(test);
        PropertyList inputs, outputs;
        test.BuildInputList(type, &inputs);
        TypeTexts(&inputs, texts);
        try {
            const CalculateStatus status = CalculateWithInputErrors(&test, type, &inputs);
            test.BuildOutputList(type, &outputs);
            test.GetOutputs(type, &outputs);
            benchmark::DoNotOptimize(status);
        } catch (const QuorixError&) {
        }
    }
}

}  // namespace bench
