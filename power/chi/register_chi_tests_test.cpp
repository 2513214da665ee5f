// The chi-square family in the test catalogue.

#include "power/chi/register_chi_tests.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"
#include "analysis/catalogue.h"
#include "analysis/power_analysis.h"

namespace {

using calc_test::TestIds;

TEST(ChiSquareTestRegistration, CatalogueHoldsTheChiSquareTestsWithTheGenericTestLast) {
    SetRegisterHook(TestFamily::kChi, RegisterChiTests);
    BuildTestCatalogue();
    ASSERT_EQ(TestCatalogue.size(), 1u);
    EXPECT_EQ(TestIds(TestCatalogue[0]), (std::vector<int>{401, 402, 400}));

    PowerAnalysis* fit = FindTest(401);
    PowerAnalysis* variance = FindTest(402);
    PowerAnalysis* generic = FindTest(400);
    ASSERT_NE(fit, nullptr);
    ASSERT_NE(variance, nullptr);
    ASSERT_NE(generic, nullptr);
    for (PowerAnalysis* test : {fit, variance, generic}) {
        EXPECT_EQ(test->GetFamilyName(), "$\\chi^2$ tests");
        EXPECT_EQ(test->GetCriticalValueId(), 22);
        EXPECT_EQ(test->GetNoncentralityId(), 21);
    }
    EXPECT_EQ(fit->GetTestName(), "Goodness-of-fit tests: Contingency tables");
    EXPECT_EQ(variance->GetTestName(), "Variance: Difference from constant (one sample case)");
    EXPECT_FALSE(variance->IsGenericTest());
    EXPECT_EQ(calc_test::AnalysisTypeCodes(*variance), calc_test::AnalysisTypeCodes(*fit));
    EXPECT_EQ(generic->GetTestName(), "$\\bullet$ Generic $\\chi^2$ test");
    EXPECT_FALSE(fit->IsGenericTest());
    EXPECT_TRUE(generic->IsGenericTest());
    EXPECT_EQ(calc_test::AnalysisTypeCodes(*fit),
              (std::vector<long>{kAPriori, kCompromise, kCriterion, kPostHoc, kSensitivity}));
    EXPECT_EQ(calc_test::AnalysisTypeCodes(*generic),
              (std::vector<long>{kCompromise, kCriterion, kPostHoc, kSensitivity}));

    ClearTestCatalogue();
    SetRegisterHook(TestFamily::kChi, nullptr);
}

TEST(ChiSquareTestRegistration, AppendsWithoutEmptyingTheList) {
    RegisterChiTests();
    RegisterChiTests();
    EXPECT_EQ(TestIds(ChiTestList), (std::vector<int>{401, 402, 400, 401, 402, 400}));
    ClearTestCatalogue();
    EXPECT_TRUE(ChiTestList.empty());
}

TEST(ChiSquareTestRegistration, ClonesShowWhatTheirSourceShows) {
    calc_test::ExpectClonesShowWhatTheirSourceShows(RegisterChiTests, ChiTestList);
}

}  // namespace
