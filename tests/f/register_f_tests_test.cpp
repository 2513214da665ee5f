// The F family in the test catalogue.

#include "tests/f/register_f_tests.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"
#include "analysis/catalogue.h"
#include "analysis/power_analysis.h"

namespace {

using calc_test::TestIds;

TEST(FTestRegistration, CatalogueHoldsTheFTestsInOrderWithTheGenericTestLast) {
    SetRegisterHook(TestFamily::kF, RegisterFTests);
    BuildTestCatalogue();
    ASSERT_EQ(TestCatalogue.size(), 1u);
    EXPECT_EQ(TestIds(TestCatalogue[0]),
              (std::vector<int>{116, 101, 102, 106, 107, 103, 104, 105, 100}));

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
    EXPECT_EQ(calc_test::AnalysisTypeCodes(*anova),
              (std::vector<long>{kAPriori, kCompromise, kCriterion, kPostHoc, kSensitivity}));
    EXPECT_EQ(calc_test::AnalysisTypeCodes(*generic),
              (std::vector<long>{kCompromise, kCriterion, kPostHoc, kSensitivity}));

    // A rebuild holds each test once.
    BuildTestCatalogue();
    EXPECT_EQ(TestIds(TestCatalogue[0]),
              (std::vector<int>{116, 101, 102, 106, 107, 103, 104, 105, 100}));
    ClearTestCatalogue();
    SetRegisterHook(TestFamily::kF, nullptr);
}

TEST(FTestRegistration, AppendsWithoutEmptyingTheList) {
    RegisterFTests();
    RegisterFTests();
    EXPECT_EQ(TestIds(FTestList), (std::vector<int>{116, 101, 102, 106, 107, 103, 104, 105, 100,
                                                    116, 101, 102, 106, 107, 103, 104, 105, 100}));
    ClearTestCatalogue();
    EXPECT_TRUE(FTestList.empty());
}

}  // namespace
