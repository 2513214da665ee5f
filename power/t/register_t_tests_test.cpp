// The t family in the test catalogue: which tests, in which order, with
// which names and starting inputs.

#include "power/t/register_t_tests.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"
#include "analysis/catalogue.h"

namespace {

class RegisterT : public ::testing::Test {
  protected:
    void TearDown() override {
        SetRegisterHook(TestFamily::kT, nullptr);
        ClearTestCatalogue();
    }
};

std::string InputText(PowerAnalysis& test, AnalysisType type, const std::string& key) {
    PropertyList inputs;
    test.BuildInputList(type, &inputs);
    const Property* input = inputs.Find(calc_test::Label(test, key));
    return input ? input->text : "<no input " + key + ">";
}

TEST_F(RegisterT, FamilyOrderNamesAndFlags) {
    RegisterTTests();
    struct Expected {
        TestId id;
        std::string name;
        bool generic, exact;
    };
    const Expected expected[] = {
        {202, "Correlation: Point biserial model", false, false},
        {211, "Linear bivariate regression: One group, size of slope", false, false},
        {209, "Linear bivariate regression: Two groups, difference between intercepts", false,
         true},
        {208, "Linear bivariate regression: Two groups, difference between slopes", false, true},
        {210, "Linear multiple regression: Fixed model, single regression coefficient", false,
         false},
        {204, "Means: Difference between two dependent means (matched pairs)", false, false},
        {201, "Means: Difference between two independent means (two groups)", false, true},
        {203, "Means: Difference from constant (one sample case)", false, false},
        {207, "Means: Wilcoxon signed-rank test (matched pairs)", false, false},
        {205, "Means: Wilcoxon signed-rank test (one sample case)", false, false},
        {206, "Means: Wilcoxon-Mann-Whitney test (two groups)", false, true},
        {200, "$\\bullet$ Generic t test", true, false},
    };
    ASSERT_EQ(TTestList.size(), std::size(expected));
    for (size_t i = 0; i < TTestList.size(); ++i) {
        PowerAnalysis* test = TTestList[i];
        EXPECT_EQ(test->GetTestId(), expected[i].id);
        EXPECT_EQ(test->GetTestName(), expected[i].name);
        EXPECT_EQ(test->GetFamilyName(), "t tests");
        EXPECT_EQ(test->GetStatisticName(), "t");
        EXPECT_EQ(test->IsGenericTest(), expected[i].generic);
        EXPECT_EQ(test->exactFlag, expected[i].exact);
        EXPECT_EQ(test->GetMethodText(), test->HasOptions() ? "A.R.E. method" : "");
    }
    // A second call appends; it does not replace.
    RegisterTTests();
    EXPECT_EQ(TTestList.size(), 2 * std::size(expected));
}

TEST_F(RegisterT, PrototypesStartFromTheirStandardValues) {
    RegisterTTests();
    struct Start {
        TestId id;
        AnalysisType type;
        std::string key, text;
    };
    const Start starts[] = {
        {200, kPostHoc, "tails", "One"},
        {200, kPostHoc, "delta", "10"},
        {200, kPostHoc, "df", "1"},
        {200, kPostHoc, "alpha", "0.05"},
        {200, kCompromise, "q", "1"},
        {201, kAPriori, "d", "0.5"},
        {201, kAPriori, "power", "0.95"},
        {201, kAPriori, "r", "1"},
        {201, kPostHoc, "n1", "50"},
        {201, kPostHoc, "n2", "50"},
        {203, kPostHoc, "n", "100"},
        {203, kAPriori, "d", "0.5"},
        {204, kPostHoc, "dz", "0.5"},
        {204, kSensitivity, "n", "100"},
        {202, kAPriori, "absrho", "0.3"},
        {202, kPostHoc, "n", "100"},
        {211, kAPriori, "b1", "0.15"},
        {211, kAPriori, "tails", "One"},
        {211, kSensitivity, "dir", "Slope > H0"},
        {211, kPostHoc, "sy", "1"},
        {209, kAPriori, "dint", "2"},
        {209, kAPriori, "mx2", "7"},
        {209, kPostHoc, "n2", "50"},
        {208, kAPriori, "dslope", "0.015"},
        {208, kAPriori, "sx2", "10"},
        {208, kAPriori, "sd", "0.5"},
        {210, kAPriori, "f2", "0.15"},
        {210, kAPriori, "preds", "2"},
    };
    for (const Start& s : starts) {
        PowerAnalysis* test = nullptr;
        for (PowerAnalysis* t : TTestList) {
            if (t->GetTestId() == s.id) test = t;
        }
        ASSERT_NE(test, nullptr);
        EXPECT_EQ(InputText(*test, s.type, s.key), s.text) << s.id << " " << s.key;
    }
}

TEST_F(RegisterT, TheCatalogueFindsEveryTest) {
    SetRegisterHook(TestFamily::kT, RegisterTTests);
    BuildTestCatalogue();
    for (TestId id : {200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211}) {
        PowerAnalysis* test = FindTest(id);
        ASSERT_NE(test, nullptr) << id;
        EXPECT_EQ(test->GetTestId(), id);
    }
    PropertyList types;
    FindTest(200)->GetAnalysisTypes(&types);
    EXPECT_EQ(types.size(), 4u);
    FindTest(204)->GetAnalysisTypes(&types);
    EXPECT_EQ(types.size(), 5u);
}

TEST_F(RegisterT, ClonesShowWhatTheirSourceShows) {
    calc_test::ExpectClonesShowWhatTheirSourceShows(RegisterTTests, TTestList);
}

}  // namespace
