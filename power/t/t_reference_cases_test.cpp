// Every analysis type of the generic, two-sample, one-sample and
// matched-pairs t tests against verification/t_tests/t_tests_reference.tsv
// (R's noncentral t and pwr, checked again with mpmath): each case runs
// through the input list, Calculate and the output list like the main
// window, and every output shown must carry the reference value to the
// seven digits it displays.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/catalogue.h"
#include "numerics/quorix_error.h"
#include "power/t/register_t_tests.h"

namespace {

struct Case {
    int line = 0;
    int test = 0;
    AnalysisType type = kAPriori;
    calc_test::Texts inputs;
    std::map<std::string, double> outputs;
};

std::map<std::string, std::string> SplitPairs(const std::string& text) {
    std::map<std::string, std::string> pairs;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ';')) {
        const auto eq = item.find('=');
        pairs[item.substr(0, eq)] = item.substr(eq + 1);
    }
    return pairs;
}

std::vector<Case> ReadCases() {
    std::ifstream file(QUORIX_SOURCE_DIR "/verification/t_tests/t_tests_reference.tsv");
    std::vector<Case> cases;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        std::stringstream fields(line);
        std::string test, type, inputs, outputs;
        std::getline(fields, test, '\t');
        std::getline(fields, type, '\t');
        std::getline(fields, inputs, '\t');
        std::getline(fields, outputs, '\t');
        Case c;
        c.line = number;
        c.test = std::stoi(test);
        c.type = static_cast<AnalysisType>(std::stoi(type));
        c.inputs = SplitPairs(inputs);
        for (const auto& [key, value] : SplitPairs(outputs)) c.outputs[key] = std::stod(value);
        cases.push_back(c);
    }
    return cases;
}

class TReferenceCases : public ::testing::Test {
  protected:
    void SetUp() override { RegisterTTests(); }
    void TearDown() override { ClearTestCatalogue(); }

    PowerAnalysis* Prototype(int id) {
        for (PowerAnalysis* test : TTestList) {
            if (test->GetTestId() == id) return test;
        }
        return nullptr;
    }
};

TEST_F(TReferenceCases, EveryOutputMatchesTheReference) {
    const std::vector<Case> cases = ReadCases();
    ASSERT_GE(cases.size(), 50u) << "reference table missing or short";
    std::set<std::pair<int, int>> covered;
    for (const Case& c : cases) {
        SCOPED_TRACE("reference line " + std::to_string(c.line));
        PowerAnalysis* prototype = Prototype(c.test);
        ASSERT_NE(prototype, nullptr) << c.test;
        std::unique_ptr<PowerAnalysis> test(prototype->Clone());
        const auto run = calc_test::Calculate(*test, c.type, c.inputs);
        // The case names every input the list has.
        EXPECT_EQ(run->inputs.size(), c.inputs.size());
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        EXPECT_EQ(run->message, "");
        // ... and every output it shows.
        EXPECT_EQ(run->outputs.size(), c.outputs.size());
        for (const auto& [key, expected] : c.outputs) {
            calc_test::ExpectOutput(run->outputs, run->LabelOf(key), expected, key);
        }
        covered.insert({c.test, c.type});
    }
    // All five types of the concrete tests and the four of the generic one.
    EXPECT_EQ(covered.size(), 3u * 5u + 4u);
}

// Compromise analyses whose implied alpha lies far below 1e-12, where beta
// formed as 1 - power has no digits left, against
// verification/small_tails/t_compromise_reference.tsv (mpmath, named cases
// and seeded random ones of every t test, both tails and effect signs):
// alpha, beta and the critical value to the shown digits, or a failure
// where no alpha down to 1e-99 satisfies the ratio.
TEST_F(TReferenceCases, CompromiseFindsAlphaFarBelowTheDoubles) {
    std::ifstream file(QUORIX_SOURCE_DIR "/verification/small_tails/t_compromise_reference.tsv");
    std::string line;
    int rows = 0;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(line);
        std::stringstream fields(line);
        std::string id, type, status, inputs, outputs;
        std::getline(fields, id, '\t');
        std::getline(fields, type, '\t');
        std::getline(fields, status, '\t');
        std::getline(fields, inputs, '\t');
        std::getline(fields, outputs, '\t');
        calc_test::Texts texts;
        for (const auto& [key, text] : calc_test::SplitPairs(inputs)) texts[key] = text;
        PowerAnalysis* prototype = Prototype(std::stoi(id));
        ASSERT_NE(prototype, nullptr);
        std::unique_ptr<PowerAnalysis> test(prototype->Clone());
        ++rows;
        if (status == "none") {
            EXPECT_THROW(calc_test::Calculate(*test, kCompromise, texts), QuorixError);
            continue;
        }
        const auto run = calc_test::Calculate(*test, kCompromise, texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        for (const auto& [key, text] : calc_test::SplitPairs(outputs)) {
            calc_test::ExpectOutput(run->outputs, run->LabelOf(key), std::stod(text), key);
        }
    }
    EXPECT_GE(rows, 29);
}

// The median of the central t is 0, not the search's last ulp.
TEST_F(TReferenceCases, OneTailedCriticalValueAtAlphaOneHalfIsZero) {
    std::unique_ptr<PowerAnalysis> test(Prototype(200)->Clone());
    const auto run = calc_test::Calculate(
        *test, kPostHoc, {{"tails", "One"}, {"delta", "1"}, {"alpha", "0.5"}, {"df", "30"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(calc_test::OutputValue(run->outputs, run->LabelOf("crit")), 0.0);
}

}  // namespace
