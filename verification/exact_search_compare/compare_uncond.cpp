// Runs random input sets through the unconditional exact tests of two
// proportions (the test of equality and the test with an H0 value) with a
// chosen statistic, and prints every output text, status and message, one
// line per case, so that two builds can be diffed. The proportions are
// drawn first and written in the effect measure of the case, so that most
// cases describe a study a user could plan: totals from a few dozen to
// beyond the exact limit.
//
//   compare_uncond COUNT CODE SEED [TYPE] [big]
//
// CODE is the statistic (0 to 14; codes 4 and 5 run the test of equality
// alone, codes 7 to 14 the test with an H0 value alone); TYPE the analysis
// type (0 A priori, the default; -1 every type). With "big", groups of
// 1,000 to 5,000 and effects of 0.1 to 0.45, where a Compromise meets q
// far below alpha 1e-16 or not at all.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "compare_support.h"
#include "numerics/quorix_error.h"
#include "power/exact/power_exact_uncond_null.h"
#include "power/exact/power_exact_uncond_offset.h"

namespace {

using namespace compare_support;

// The value of measure `index` (0 p1, 1 p1 - p2, 2 p1/p2, 3 odds ratio) for
// p1 against p2.
double Measure(int index, double p1, double p2) {
    switch (index) {
        case 0:
            return p1;
        case 1:
            return p1 - p2;
        case 2:
            return p1 / p2;
        default:
            return (p1 / (1.0 - p1)) / (p2 / (1.0 - p2));
    }
}

bool IsOneOf(const std::string& label, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return label == n; });
}

bool big = false;

void RunCase(int code, AnalysisType type, long id) {
    const bool withH0 = code >= 7 || (code != 4 && code != 5 && I(0, 1) == 1);
    std::unique_ptr<PowerExactUncondTwoProp> test;
    int index;
    if (withH0) {
        auto t = std::make_unique<PowerExactUncTwoPropOffset>();
        index = code <= 9 ? I(0, 1) : code <= 12 ? 2 : 3;
        t->SelectEffectIndex(index);
        t->SetStatistic(code);
        test = std::move(t);
    } else {
        auto t = std::make_unique<PowerExactUncTwoPropNull>();
        index = I(0, 3);
        t->SetEffectIndex(index);
        t->SetStatistic(code);
        test = std::move(t);
    }
    // p2, p1 under H0 (p2 itself for the test of equality) and under H1 at
    // a distance from it that sets the size of the study.
    const double p2 = U(0.03, 0.97);
    double p0 = p2;
    if (withH0) p0 = std::clamp(p2 + U(-0.25, 0.25), 0.02, 0.98);
    double p1 = p0 + (I(0, 1) ? 1.0 : -1.0) * (big ? U(0.1, 0.45) : LogU(0.012, 0.4));
    p1 = std::clamp(p1, 0.005, 0.995);

    PropertyList inputs;
    test->BuildInputList(type, &inputs);
    std::string line = std::string(withH0 ? "offset" : "null") + " #" + std::to_string(id) +
                       " code" + std::to_string(code) + " t" + std::to_string(type);
    const int maxN = I(0, 3) == 0 ? 20000 : 4000;
    for (Property* p : inputs) {
        const std::string& label = p->name;
        std::string text;
        if (label == "Tail(s)") {
            text = I(0, 1) ? "One" : "Two";
        } else if (label == "Proportion p2") {
            text = F(p2);
        } else if (IsOneOf(label,
                           {"Prop. p1|H1", "(p1-p2)|H1", "(p1/p2)|H1", "Odds ratio|H1",
                            "Proportion p1", "Diff (p1-p2)", "Ratio (p1/p2)", "Odds ratio"})) {
            text = F(Measure(index, p1, p2));
        } else if (IsOneOf(label, {"Prop. p1|H0", "(p1-p2)|H0", "(p1/p2)|H0", "Odds ratio|H0"})) {
            text = F(Measure(index, p0, p2));
        } else if (label == "$\\alpha$ err prob") {
            const int k = I(0, 9);
            text = F(k == 0 ? LogU(1e-7, 1e-3) : k == 1 ? U(0.2, 0.5) : LogU(1e-3, 0.2));
        } else if (label == "Power (1-$\\beta$ err prob)") {
            text = F(I(0, 2) == 0 ? U(0.1, 0.99) : U(0.75, 0.95));
        } else if (label == "$\\beta$/$\\alpha$ ratio") {
            text = F(LogU(0.05, 20));
        } else if (label == "Allocation ratio N2/N1") {
            text = I(0, 1) ? "1" : F(LogU(0.3, 3), 3);
        } else if (label == "Sample size group 1" || label == "Sample size group 2") {
            text = std::to_string(static_cast<int>(big ? U(1000, 5000) : LogU(3, maxN / 2)));
        } else if (label == "Effect direction") {
            auto* sel = dynamic_cast<PropertySelection*>(p);
            if (sel && !sel->options.empty())
                text = sel->options[static_cast<size_t>(I(0, (int)sel->options.size() - 1))];
        }
        if (!text.empty()) p->SetText(text);
        line += " " + label + "=" + p->text;
    }
    PrintLine(line + Outcome(*test, type, &inputs));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 200;
    const int code = argc > 2 ? std::atoi(argv[2]) : 0;
    rng.seed(argc > 3 ? std::atol(argv[3]) : 12345);
    const int only = argc > 4 ? std::atoi(argv[4]) : 0;
    big = argc > 5 && std::string(argv[5]) == "big";
    const AnalysisType types[] = {kAPriori, kCompromise, kCriterion, kPostHoc, kSensitivity};
    long id = 0;
    for (AnalysisType type : types) {
        if (only >= 0 && type != only) continue;
        for (long i = 0; i < count; ++i) RunCase(code, type, id++);
    }
    return 0;
}
