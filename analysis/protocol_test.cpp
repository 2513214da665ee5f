#include "analysis/protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysis_fakes.h"

namespace {

class NamedTest : public fakes::ZTest {
  public:
    std::string GetFamilyName() override { return "z tests"; }
    std::string GetTestName() override { return "Mean: One sample"; }
    std::string GetMethodText() override { return method; }
    std::string method;
};

TEST(Protocol, OneLinePerInputAndOutput) {
    NamedTest test;
    PropertyList inputs;
    auto* tails = new PropertySelection("Tail(s)");
    tails->AddOption("One");
    tails->AddOption("Two");
    tails->SetIndex(1);
    inputs.push_back(tails);
    inputs.push_back(new PropertyDouble("Effect size d", "0.5", false));
    inputs.push_back(new PropertyDouble("$\\alpha$ err prob", "=1/20", false));
    inputs.push_back(new PropertyLong("Total sample size", 44L));
    PropertyList outputs;
    outputs.push_back(new PropertyDouble("Power (1-$\\beta$ err prob)", "?", false));
    outputs.push_back(new PropertyDouble("Total sample size", "?", true));
    static_cast<PropertyDouble*>(outputs[0])->SetValueWithDigits(0.9527152724, 7);
    PropertyList types;
    test.GetAnalysisTypes(&types);

    ProtocolRecord record;
    record.inputLines = {"left over"};
    record.outputLines = {"left over"};
    test.MakeProtocolRecord(&record, &inputs, &outputs, &types, 3);

    EXPECT_EQ(record.familyName, "z tests");
    EXPECT_EQ(record.testName, "Mean: One sample");
    EXPECT_EQ(record.methodText, "");
    EXPECT_EQ(record.analysisText, "Post hoc: Compute achieved power ");
    const std::vector<std::string> inputLines = {"Tail(s)\t=\tTwo", "Effect size d\t=\t0.5",
                                                 "$\\alpha$ err prob\t=\t=1/20",
                                                 "Total sample size\t=\t44"};
    EXPECT_EQ(record.inputLines, inputLines);
    const std::vector<std::string> outputLines = {"Power (1-$\\beta$ err prob)\t=\t0.9527153",
                                                  "Total sample size\t=\t?"};
    EXPECT_EQ(record.outputLines, outputLines);
}

TEST(Protocol, AnalysisTextIsTheLabelBeforeItsFirstHyphen) {
    NamedTest test;
    test.method = "Exact distribution";
    PropertyList inputs, outputs, types;
    test.GetGenericAnalysisTypes(&types);
    types.push_back(new PropertyLong("No hyphen here", 9L));
    const struct {
        int index;
        const char* text;
    } cases[] = {{1, "Criterion: Compute alpha "},
                 {0, "Compromise: Compute $\\alpha$ and $\\beta$ "},
                 {4, "No hyphen here"},
                 {5, ""},
                 {-1, ""}};
    ProtocolRecord record;
    for (const auto& c : cases) {
        record.analysisText = "stale";
        test.MakeProtocolRecord(&record, &inputs, &outputs, &types, c.index);
        EXPECT_EQ(record.analysisText, c.text) << c.index;
        EXPECT_EQ(record.methodText, "Exact distribution");
        EXPECT_TRUE(record.inputLines.empty());
    }
}

}  // namespace
