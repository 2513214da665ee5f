// Every analysis type of the Wilcoxon tests by both methods against
// verification/wilcoxon/cases.tsv (R's noncentral t at fractional df, and
// the moments by numerical integration of the parent densities): each case
// runs through the input list, Calculate and the output list like the main
// window, and every output shown must carry the reference value to the
// seven digits it displays.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "analysis/calculation_test_support.h"
#include "power/t/power_t_wilcoxon.h"

namespace {

const char kTable[] = "verification/wilcoxon/cases.tsv";

// The option keys of a row set the test's options; the parent is shown by
// its option text.
template <class Test>
calc_test::Texts TakeOptions(Test& test, calc_test::Texts texts) {
    test.wilcoxon.method = std::stoi(texts.at("method"));
    test.wilcoxon.continuityCorrection = texts.at("cc") == "1";
    texts.erase("method");
    texts.erase("cc");
    static const char* const parents[] = {"Normal", "Laplace", "Logistic", "min ARE"};
    texts["parent"] = parents[std::stoi(texts.at("parent"))];
    return texts;
}

template <class Test>
void ExpectRows(int id, size_t minimum) {
    const std::vector<calc_test::ReferenceCase> cases = calc_test::ReadReferenceCases(kTable, id);
    ASSERT_GE(cases.size(), minimum) << kTable << " missing or short for " << id;
    std::set<std::pair<int, AnalysisType>> covered;
    for (const calc_test::ReferenceCase& c : cases) {
        Test test;
        const calc_test::Texts texts = TakeOptions(test, c.inputs);
        const auto run = calc_test::Calculate(test, c.type, texts);
        ASSERT_EQ(run->status, c.status) << c.line << "\n" << run->message;
        EXPECT_EQ(run->inputs.size(), texts.size()) << c.line;
        EXPECT_EQ(run->outputs.size(), c.outputs.size()) << c.line;
        for (const auto& [key, expected] : c.outputs)
            calc_test::ExpectOutput(run->outputs, run->LabelOf(key), expected, c.line);
        covered.insert({test.wilcoxon.method, c.type});
    }
    if (minimum > 5) {
        EXPECT_EQ(covered.size(), 10u) << id;
    }
}

TEST(WilcoxonReferenceCases, OneSample) {
    ExpectRows<PowerTWilcox1>(205, 10);
}

TEST(WilcoxonReferenceCases, MatchedPairs) {
    ExpectRows<PowerTWilcoxPair>(207, 3);
}

TEST(WilcoxonReferenceCases, TwoGroups) {
    ExpectRows<PowerTWilcox2>(206, 10);
}

// Criterion and Compromise at alpha far below 1e-16 (verification/
// small_tails, mpmath): by the Lehmann method with a Laplace parent, two
// tails, dz 0.864, power 0.829 and N 526 need alpha 3.672643e-54 at z
// 15.49633; by the A.R.E. method with a logistic parent, one tail, dz 1.02,
// q 0.317 and N 1514, alpha 3.258345e-85 at t 20.70745, above the floor of
// 1e-99. Only the outputs a row lists are compared.
TEST(WilcoxonReferenceCases, SmallAlphaAndBeta) {
    const char table[] = "verification/small_tails/t_family_reference.tsv";
    const auto cases = calc_test::ReadReferenceCases(table, kWilcoxonMatchedPairsTestId);
    ASSERT_GE(cases.size(), 3u) << table << " missing or short";
    for (const calc_test::ReferenceCase& c : cases) {
        PowerTWilcoxPair test;
        const calc_test::Texts texts = TakeOptions(test, c.inputs);
        const auto run = calc_test::Calculate(test, c.type, texts);
        ASSERT_EQ(run->status, c.status) << c.line << "\n" << run->message;
        for (const auto& [key, expected] : c.outputs)
            calc_test::ExpectOutput(run->outputs, run->LabelOf(key), expected, c.line);
    }
}

}  // namespace
