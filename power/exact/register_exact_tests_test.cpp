// The exact family in the test catalogue.

#include "power/exact/register_exact_tests.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"
#include "analysis/catalogue.h"
#include "analysis/power_analysis.h"

namespace {

using calc_test::TestIds;

TEST(ExactTestRegistration, CatalogueOpensWithTheExactTestsAndTheGenericTestLast) {
    SetRegisterHook(TestFamily::kExact, RegisterExactTests);
    BuildTestCatalogue();
    ASSERT_EQ(TestCatalogue.size(), 1u);
    EXPECT_EQ(TestIds(TestCatalogue[0]),
              (std::vector<int>{605, 611, 602, 604, 606, 607, 608, 603, 601}));
    const char* names[] = {
        "Correlation: Bivariate normal model",
        "Linear multiple regression: Random model",
        "Proportion: Difference from constant (binomial test, one sample case)",
        "Proportions: Inequality, two dependent groups (McNemar) ",
        "Proportions: Inequality, two independent groups (Fisher's exact test) ",
        "Proportions: Inequality, two independent groups (unconditional) ",
        "Proportions: Inequality (offset), two independent groups (unconditional) ",
        "Proportion: Sign test (binomial test)",
        "$\\bullet$ Generic binomial test",
    };
    for (size_t i = 0; i < 9; ++i) {
        PowerAnalysis* test = TestCatalogue[0][i];
        EXPECT_EQ(test->GetTestName(), names[i]);
        EXPECT_EQ(test->GetFamilyName(), "Exact");
        EXPECT_TRUE(test->HasOptions());
        // Only the correlation tests have a continuous statistic.
        EXPECT_EQ(test->IsContinuous(), i < 2);
        // Fisher's and the unconditional tests take whole group sizes of their own.
        EXPECT_EQ(test->exactFlag, i >= 4 && i <= 6);
        EXPECT_EQ(test->IsGenericTest(), i == 8);
        // The generic binomial test has an A priori analysis too.
        EXPECT_EQ(calc_test::AnalysisTypeCodes(*test),
                  (std::vector<long>{kAPriori, kCompromise, kCriterion, kPostHoc, kSensitivity}));
    }
    ClearTestCatalogue();
    SetRegisterHook(TestFamily::kExact, nullptr);
}

TEST(ExactTestRegistration, AppendsWithoutEmptyingTheList) {
    RegisterExactTests();
    RegisterExactTests();
    EXPECT_EQ(TestIds(ExactTestList),
              (std::vector<int>{605, 611, 602, 604, 606, 607, 608, 603, 601, 605, 611, 602, 604,
                                606, 607, 608, 603, 601}));
    ClearTestCatalogue();
    EXPECT_TRUE(ExactTestList.empty());
}

TEST(ExactTestRegistration, ClonesShowWhatTheirSourceShows) {
    calc_test::ExpectClonesShowWhatTheirSourceShows(RegisterExactTests, ExactTestList);
}

}  // namespace
