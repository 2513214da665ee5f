// The F family in the test catalogue.

#include "tests/f/register_f_tests.h"

#include <gtest/gtest.h>

#include "analysis/catalogue.h"
#include "analysis/power_analysis.h"

namespace {

std::vector<int> Ids(const TestList& list) {
    std::vector<int> ids;
    for (PowerAnalysis* test : list) ids.push_back(test->GetTestId());
    return ids;
}

std::vector<long> AnalysisCodes(PowerAnalysis* test) {
    PropertyList types;
    test->GetAnalysisTypes(&types);
    std::vector<long> codes;
    for (Property* p : types) codes.push_back(static_cast<PropertyLong*>(p)->GetValue());
    return codes;
}

TEST(FTestRegistration, CatalogueHoldsTheFTestsInOrderWithTheGenericTestLast) {
    SetRegisterHook(TestFamily::kF, RegisterFTests);
    BuildTestCatalogue();
    ASSERT_EQ(TestCatalogue.size(), 1u);
    EXPECT_EQ(Ids(TestCatalogue[0]), (std::vector<int>{101, 100}));

    PowerAnalysis* anova = FindTest(101);
    PowerAnalysis* generic = FindTest(100);
    ASSERT_NE(anova, nullptr);
    ASSERT_NE(generic, nullptr);
    for (PowerAnalysis* test : {anova, generic}) {
        EXPECT_EQ(test->GetFamilyName(), "F tests");
        EXPECT_EQ(test->GetStatisticName(), "F");
    }
    EXPECT_EQ(anova->GetTestName(), "ANOVA: Fixed effects, omnibus, one-way");
    EXPECT_EQ(generic->GetTestName(), "$\\bullet$ Generic F test");
    EXPECT_FALSE(anova->IsGenericTest());
    EXPECT_TRUE(generic->IsGenericTest());
    EXPECT_EQ(AnalysisCodes(anova), (std::vector<long>{kAPriori, kCompromise, kCriterion, kPostHoc, kSensitivity}));
    EXPECT_EQ(AnalysisCodes(generic), (std::vector<long>{kCompromise, kCriterion, kPostHoc, kSensitivity}));

    // A rebuild holds each test once.
    BuildTestCatalogue();
    EXPECT_EQ(Ids(TestCatalogue[0]), (std::vector<int>{101, 100}));
    ClearTestCatalogue();
    SetRegisterHook(TestFamily::kF, nullptr);
}

TEST(FTestRegistration, AppendsWithoutEmptyingTheList) {
    RegisterFTests();
    RegisterFTests();
    EXPECT_EQ(Ids(FTestList), (std::vector<int>{101, 100, 101, 100}));
    ClearTestCatalogue();
    EXPECT_TRUE(FTestList.empty());
}

}  // namespace
