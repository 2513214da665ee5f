// Fisher's exact test of two independent proportions and its large-sample
// approximation.

#include "tests/exact/power_exact_fisher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"

namespace {

using calc_test::Texts;

constexpr const char* kTable = "verification/fisher/fisher_cases.tsv";

std::string LabelOf(const std::string& key) {
    static const std::map<std::string, std::string> labels = {
        {"tails", "Tail(s)"},
        {"dir", "Effect direction"},
        {"p1", "Proportion p1"},
        {"p2", "Proportion p2"},
        {"alpha", "$\\alpha$ err prob"},
        {"power", "Power (1-$\\beta$ err prob)"},
        {"q", "$\\beta$/$\\alpha$ ratio"},
        {"beta", "$\\beta$ err prob"},
        {"r", "Allocation ratio N2/N1"},
        {"n1", "Sample size group 1"},
        {"n2", "Sample size group 2"},
        {"N", "Total sample size"},
        {"actual", "Actual power"},
        {"actualalpha", "Actual $\\alpha$"},
        {"actualratio", "Actual $\\beta$/$\\alpha$ ratio"},
    };
    const auto it = labels.find(key);
    if (it == labels.end()) {
        ADD_FAILURE() << "no label for key " << key;
        return key;
    }
    return it->second;
}

// The options that the table and the cases set by key.
bool IsOption(const std::string& key) {
    return key == "statistic" || key == "balancing" || key == "approx" || key == "threshold";
}

struct Run {
    CalculateStatus status = kCalculateDone;
    std::string message;
    PropertyList inputs;
    PropertyList outputs;

    double Value(const std::string& key) const {
        return calc_test::OutputValue(outputs, LabelOf(key));
    }
};

// Sets the options, types the other texts into the inputs of `type` and
// calculates as the main window does.
std::unique_ptr<Run> Calculate(PowerExactFisherTwoProp& test, AnalysisType type,
                               const Texts& texts) {
    auto run = std::make_unique<Run>();
    for (const auto& [key, text] : texts) {
        if (key == "statistic") test.statistic = std::stoi(text);
        if (key == "balancing") test.alphaBalancing = std::stoi(text);
        if (key == "approx") test.useApproximation = text == "1";
        if (key == "threshold") test.exactThreshold = std::stod(text);
    }
    test.BuildInputList(type, &run->inputs);
    for (const auto& [key, text] : texts) {
        if (IsOption(key)) continue;
        Property* input = run->inputs.Find(LabelOf(key));
        if (input == nullptr) {
            ADD_FAILURE() << "type " << type << " has no input " << key;
            continue;
        }
        input->SetText(text);
    }
    run->status = CalculateWithInputErrors(&test, type, &run->inputs);
    run->message = test.GetMessage();
    test.BuildOutputList(type, &run->outputs);
    if (run->status < 0) test.GetOutputs(type, &run->outputs);
    return run;
}

// Power and actual alpha summed over every rejected table, for both tails,
// the three statistics and both balancings, down to a size of 1e-19; and
// the A priori scans over N.
TEST(FisherTest, ReproducesTheReferenceTable) {
    const auto cases = calc_test::ReadReferenceCases(kTable, 606);
    ASSERT_GE(cases.size(), 30u) << kTable << " missing or short";
    for (const calc_test::ReferenceCase& c : cases) {
        PowerExactFisherTwoProp test;
        const auto run = Calculate(test, c.type, c.inputs);
        ASSERT_EQ(run->status, c.status) << c.line << "\n" << run->message;
        for (const auto& [key, expected] : c.outputs) {
            calc_test::ExpectOutput(run->outputs, LabelOf(key), expected, c.line);
        }
    }
}

}  // namespace
