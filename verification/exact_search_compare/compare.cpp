// Runs random input sets of every analysis type through the exact tests and
// prints every output text, status and message, one line per case, so that
// two builds can be diffed.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "compare_support.h"
#include "numerics/quorix_error.h"
#include "power/exact/power_exact_binomial.h"
#include "power/exact/power_exact_fisher.h"
#include "power/exact/power_exact_mcnemar.h"
#include "power/exact/power_exact_proportion.h"

namespace {

using namespace compare_support;

double gMaxN = 2000;
// Fisher's test with the exact limit raised: p2 lies near p1, so that the
// A priori totals reach the tens of thousands.
bool gNearP = false;
double gLastP1 = 0.5;

std::string TextFor(const std::string& label, AnalysisType type) {
    if (label == "Tail(s)") return I(0, 1) ? "One" : "Two";
    if (label == "$\\alpha$ err prob") {
        const int k = I(0, 9);
        if (k == 0) return F(LogU(1e-9, 1e-4));
        if (k == 1) return F(U(0.3, 0.999));
        return F(LogU(1e-4, 0.3));
    }
    if (label == "Power (1-$\\beta$ err prob)") return F(U(0.05, 0.995));
    if (label == "$\\beta$/$\\alpha$ ratio") return F(LogU(0.01, 100));
    if (label == "Total sample size") return std::to_string(static_cast<int>(LogU(2, gMaxN)));
    if (label == "Sample size group 1" || label == "Sample size group 2")
        return std::to_string(static_cast<int>(LogU(2, gMaxN / 2)));
    if (gNearP && label == "Proportion p1") {
        gLastP1 = U(0.05, 0.95);
        return F(gLastP1);
    }
    if (gNearP && label == "Proportion p2") {
        const double d = LogU(0.008, 0.08) * (I(0, 1) ? 1.0 : -1.0);
        return F(std::fmin(std::fmax(gLastP1 + d, 0.01), 0.99));
    }
    if (label == "Proportion p1" || label == "Proportion p2") return F(U(0.01, 0.99));
    if (label == "Effect size g") return F(U(-0.45, 0.45));
    if (label == "Constant proportion") return F(U(0.02, 0.98));
    if (label == "Odds ratio") return F(LogU(0.15, 6));
    if (label == "Prop discordant pairs") return F(U(0.05, 0.95));
    if (label == "Allocation ratio N2/N1") return F(LogU(0.3, 3));
    if (label == "Effect direction") return "";
    std::fprintf(stderr, "unknown label %s (type %d)\n", label.c_str(), type);
    return "";
}

struct Maker {
    const char* name;
    std::function<std::unique_ptr<PowerAnalysis>(std::string*)> make;
    double maxN;
};

void RunCase(const Maker& m, AnalysisType type, long id) {
    std::string options;
    std::unique_ptr<PowerAnalysis> test = m.make(&options);
    gMaxN = m.maxN;
    gNearP = std::string(m.name) == "fisherbig";
    PropertyList inputs;
    test->BuildInputList(type, &inputs);
    std::string line = std::string(m.name) + " #" + std::to_string(id) + " t" +
                       std::to_string(type) + " [" + options + "]";
    for (Property* p : inputs) {
        const std::string label = p->name;
        if (label == "Effect direction") {
            auto* sel = dynamic_cast<PropertySelection*>(p);
            if (sel && !sel->options.empty())
                p->SetText(sel->options[I(0, (int)sel->options.size() - 1)]);
        } else {
            const std::string text = TextFor(label, type);
            if (!text.empty()) p->SetText(text);
        }
        line += " " + label + "=" + p->text;
    }
    PrintLine(line + Outcome(*test, type, &inputs));
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 200;
    const std::string only = argc > 2 ? argv[2] : "";
    rng.seed(argc > 3 ? std::atol(argv[3]) : 12345);
    // An analysis type alone: apriori, compromise, criterion, posthoc or
    // sensitivity.
    const std::string onlyType = argc > 4 ? argv[4] : "";
    // A binomial test with random options.
    auto binomial = [](auto make) {
        return [make](std::string* o) -> std::unique_ptr<PowerAnalysis> {
            auto t = make();
            t->alphaBalancing = I(0, 2);
            t->strictCriticalRegion = I(0, 1);
            *o = "bal" + std::to_string(t->alphaBalancing) + " strict" +
                 std::to_string(t->strictCriticalRegion);
            return t;
        };
    };
    std::vector<Maker> makers = {
        {"binomial", binomial([] { return std::make_unique<PowerExactBinomial>(); }), 5000},
        {"oneprop", binomial([] { return std::make_unique<PowerExactBinomialOneProp>(); }), 5000},
        {"sign", binomial([] { return std::make_unique<PowerExactBinomialSign>(); }), 5000},
        {"mcnemar",
         [&](std::string* o) {
             auto t = std::make_unique<PowerExactMcNemar>();
             t->useApproximation = I(0, 3) == 0;
             t->alphaBalancing = I(0, 2);
             *o = "approx" + std::to_string(t->useApproximation) + " bal" +
                  std::to_string(t->alphaBalancing);
             return std::unique_ptr<PowerAnalysis>(std::move(t));
         },
         20000},
        {"fisher",
         [&](std::string* o) {
             auto t = std::make_unique<PowerExactFisherTwoProp>();
             t->useApproximation = I(0, 5) == 0;
             t->continuityCorrection = I(0, 1);
             *o = "approx" + std::to_string(t->useApproximation) + " cc" +
                  std::to_string(t->continuityCorrection);
             return std::unique_ptr<PowerAnalysis>(std::move(t));
         },
         1000},
        {"fisherbig",
         [&](std::string* o) {
             auto t = std::make_unique<PowerExactFisherTwoProp>();
             t->exactThreshold = 100000.0;
             t->continuityCorrection = I(0, 1);
             t->statistic = I(0, 2);
             t->alphaBalancing = I(0, 1);
             *o = "limit100000 cc" + std::to_string(t->continuityCorrection) + " stat" +
                  std::to_string(t->statistic) + " bal" + std::to_string(t->alphaBalancing);
             return std::unique_ptr<PowerAnalysis>(std::move(t));
         },
         100000},
    };
    const AnalysisType types[] = {kAPriori, kCompromise, kCriterion, kPostHoc, kSensitivity};
    const char* typeNames[] = {"apriori", "compromise", "criterion", "posthoc", "sensitivity"};
    long id = 0;
    for (const Maker& m : makers) {
        if (!only.empty() && only != m.name) continue;
        for (int t = 0; t < 5; ++t) {
            if (!onlyType.empty() && onlyType != typeNames[t]) continue;
            for (long i = 0; i < count; ++i) RunCase(m, types[t], id++);
        }
    }
    std::fflush(stdout);
    return 0;
}
