// The F family in the test catalogue.

#include "power/f/register_f_tests.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"
#include "analysis/catalogue.h"
#include "analysis/power_analysis.h"

namespace {

using calc_test::TestIds;

const std::vector<int> kCatalogueOrder = {116, 101, 102, 108, 109, 110, 106, 107, 114,
                                          115, 111, 112, 113, 103, 104, 105, 100};

TEST(FTestRegistration, CatalogueHoldsTheFTestsInOrderWithTheGenericTestLast) {
    SetRegisterHook(TestFamily::kF, RegisterFTests);
    BuildTestCatalogue();
    ASSERT_EQ(TestCatalogue.size(), 1u);
    EXPECT_EQ(TestIds(TestCatalogue[0]), kCatalogueOrder);

    // Every specialised test offers A priori; the generic test does not.
    const std::vector<std::pair<int, const char*>> names = {
        {116, "ANCOVA: Fixed effects, main effects and interactions"},
        {101, "ANOVA: Fixed effects, omnibus, one-way"},
        {102, "ANOVA: Fixed effects, special, main effects and interactions"},
        {108, "ANOVA: Repeated measures, between factors"},
        {109, "ANOVA: Repeated measures, within factors"},
        {110, "ANOVA: Repeated measures, within-between interaction"},
        {106, "Hotellings T$^2$: One group mean vector"},
        {107, "Hotellings T$^2$: Two group mean vectors"},
        {103, "Linear multiple regression: Fixed model, R$^2$ deviation from zero"},
        {104, "Linear multiple regression: Fixed model, R$^2$ increase"},
        {105, "Variance: Test of equality (two sample case)"},
        {100, "$\\bullet$ Generic F test"},
    };
    for (const auto& [id, name] : names) {
        PowerAnalysis* test = FindTest(id);
        ASSERT_NE(test, nullptr) << id;
        EXPECT_EQ(test->GetTestName(), name);
        EXPECT_EQ(test->GetFamilyName(), "F tests") << id;
        EXPECT_EQ(test->GetStatisticName(), "F") << id;
        EXPECT_EQ(test->IsGenericTest(), id == 100) << id;
        const std::vector<long> types = {kAPriori, kCompromise, kCriterion, kPostHoc, kSensitivity};
        EXPECT_EQ(calc_test::AnalysisTypeCodes(*test),
                  id == 100 ? std::vector<long>(types.begin() + 1, types.end()) : types)
            << id;
    }

    // A rebuild holds each test once.
    BuildTestCatalogue();
    EXPECT_EQ(TestIds(TestCatalogue[0]), kCatalogueOrder);
    ClearTestCatalogue();
    SetRegisterHook(TestFamily::kF, nullptr);
}

TEST(FTestRegistration, AppendsWithoutEmptyingTheList) {
    RegisterFTests();
    const size_t once = FTestList.size();
    RegisterFTests();
    ASSERT_EQ(FTestList.size(), 2 * once);
    EXPECT_EQ(FTestList[once]->GetTestId(), kCatalogueOrder.front());
    ClearTestCatalogue();
    EXPECT_TRUE(FTestList.empty());
}

TEST(FTestRegistration, ClonesShowWhatTheirSourceShows) {
    calc_test::ExpectClonesShowWhatTheirSourceShows(RegisterFTests, FTestList);
}

}  // namespace
