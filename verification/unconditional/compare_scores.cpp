// Runs random input sets of every analysis type through the unconditional
// test with an H0 value, with the statistics that bound their rows: the
// score statistics of the ratio and of the odds ratio (codes 10 to 14, each
// with its own measure), and the unpooled z, the t and the score
// statistics of the difference (2, 6, 7 to 9), the way the main window
// does, and prints one line per case: the options, the inputs typed, the
// status, the message and every output text. Built in two trees, before
// and after a change, the outputs are compared line by line. The CPU time
// of each case goes to stderr.
//
// It is not part of the build. To run it, append to
// power/exact/CMakeLists.txt of each tree (and do not commit the lines):
//
//   add_executable(uncond_compare /path/to/compare_scores.cpp)
//   target_link_libraries(uncond_compare PRIVATE quorix_power_exact)
//
// then
//
//   uncond_compare COUNT SEED [CODE] > out.txt 2> times.txt
//   uncond_compare show CODE TYPE 'LABEL=TEXT'...   (one case, its outputs)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "../exact_search_compare/compare_support.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "numerics/quorix_error.h"
#include "power/exact/power_exact_uncond_offset.h"

namespace {

using namespace compare_support;

// The proportions of one case: p2, p1 under H1 and under H0.
struct Draw {
    double p2, p1, p0;
    int maxGroup;
};

Draw DrawCase() {
    Draw d;
    d.p2 = U(0.02, 0.98);
    d.p0 = U(0.02, 0.98);
    const int kind = I(0, 5);
    if (kind <= 1) {
        // Near H0: large groups.
        d.p1 = std::clamp(d.p0 + (I(0, 1) ? 1 : -1) * LogU(0.01, 0.15), 0.005, 0.995);
    } else if (kind == 2) {
        // Far from H0: tiny beta and alpha in Compromise.
        d.p0 = U(0.7, 0.99);
        d.p1 = U(0.05, 0.35);
        if (I(0, 1)) {
            d.p0 = 1.0 - d.p0;
            d.p1 = 1.0 - d.p1;
        }
    } else {
        d.p1 = U(0.01, 0.99);
    }
    d.maxGroup = I(0, 2) == 0 ? 5000 : 800;
    return d;
}

// The effect measure of the statistic: the difference below code 10.
int MeasureOf(int code) {
    return code < 10 ? 1 : code <= 12 ? 2 : 3;
}

std::string Measure(int index, double p, double p2) {
    if (index == 1) return F(p - p2, 5);
    if (index == 2) return F(p / p2, 5);
    return F((p / (1.0 - p)) / (p2 / (1.0 - p2)), 5);
}

std::string TextFor(const std::string& label, AnalysisType type, int index, const Draw& d) {
    if (label == "Tail(s)") return I(0, 1) ? "One" : "Two";
    if (label == "$\\alpha$ err prob") {
        const int k = I(0, 9);
        if (k == 0) return F(LogU(1e-9, 1e-4));
        if (k == 1) return F(U(0.3, 0.9));
        return F(LogU(1e-4, 0.3));
    }
    if (label == "Power (1-$\\beta$ err prob)") return F(U(0.05, 0.995));
    if (label == "$\\beta$/$\\alpha$ ratio") return F(LogU(0.01, 100));
    if (label == "Sample size group 1" || label == "Sample size group 2")
        return std::to_string(static_cast<int>(LogU(2, d.maxGroup)));
    if (label == "Allocation ratio N2/N1") return F(LogU(0.3, 3));
    if (label == "Proportion p2") return F(d.p2, 4);
    if (label == "(p1/p2)|H1" || label == "Odds ratio|H1" || label == "(p1-p2)|H1") {
        return Measure(index, d.p1, d.p2);
    }
    if (label == "(p1/p2)|H0" || label == "Odds ratio|H0" || label == "(p1-p2)|H0") {
        return Measure(index, d.p0, d.p2);
    }
    std::fprintf(stderr, "unknown label %s (type %d)\n", label.c_str(), type);
    return "";
}

void RunCase(int code, AnalysisType type, long id) {
    PowerExactUncTwoPropOffset test;
    const int index = MeasureOf(code);
    test.SelectEffectIndex(index);
    test.SetStatistic(code);
    test.largeSample = I(0, 19) == 0;
    const Draw d = DrawCase();
    PropertyList inputs;
    test.BuildInputList(type, &inputs);
    std::string line = "code" + std::to_string(code) + " #" + std::to_string(id) + " t" +
                       std::to_string(type) + " large" + std::to_string(test.largeSample);
    for (Property* p : inputs) {
        const std::string label = p->name;
        if (label == "Effect direction") {
            auto* sel = dynamic_cast<PropertySelection*>(p);
            if (sel && !sel->options.empty())
                p->SetText(sel->options[I(0, (int)sel->options.size() - 1)]);
        } else {
            const std::string text = TextFor(label, type, index, d);
            if (!text.empty()) p->SetText(text);
        }
        line += " " + label + "=" + p->text;
    }
    const std::clock_t start = std::clock();
    const std::string result = Outcome(test, type, &inputs);
    const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
    PrintLine(line + result);
    std::fprintf(stderr, "%ld code%d t%d %.4f\n", id, code, type, seconds);
}

// One case with the texts given: CODE TYPE LABEL=TEXT...
int Show(int argc, char** argv) {
    const int code = std::atoi(argv[2]);
    const auto type = static_cast<AnalysisType>(std::atoi(argv[3]));
    PowerExactUncTwoPropOffset test;
    test.SelectEffectIndex(MeasureOf(code));
    test.SetStatistic(code);
    PropertyList inputs, outputs;
    test.BuildInputList(type, &inputs);
    for (int i = 4; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        if (Property* p = inputs.Find(arg.substr(0, eq))) p->SetText(arg.substr(eq + 1));
    }
    for (Property* p : inputs) std::printf("%s=%s\n", p->name.c_str(), p->text.c_str());
    const auto start = std::chrono::steady_clock::now();
    try {
        const CalculateStatus status = CalculateWithInputErrors(&test, type, &inputs);
        std::printf("status %d msg{%s}\n", status, test.GetMessage().c_str());
        test.BuildOutputList(type, &outputs);
        if (status < 0) test.GetOutputs(type, &outputs);
        for (Property* p : outputs) std::printf("  %s=%s\n", p->name.c_str(), p->text.c_str());
    } catch (const std::exception& e) {
        std::printf("throw{%s}\n", e.what());
    }
    std::printf("%.3f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3 && std::string(argv[1]) == "show") return Show(argc, argv);
    const long count = argc > 1 ? std::atol(argv[1]) : 100;
    rng.seed(argc > 2 ? std::atol(argv[2]) : 12345);
    const int only = argc > 3 ? std::atoi(argv[3]) : -1;
    const AnalysisType types[] = {kAPriori, kCompromise, kCriterion, kPostHoc, kSensitivity};
    long id = 0;
    for (int code : {12, 13, 14, 10, 11, 2, 6, 7, 8, 9}) {
        if (only >= 0 && code != only) continue;
        for (AnalysisType type : types) {
            for (long i = 0; i < count; ++i) {
                RunCase(code, type, id++);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
