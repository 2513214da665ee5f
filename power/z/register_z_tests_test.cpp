// The z family in the test catalogue: which tests, in which order, with
// which names, flags and starting inputs.

#include "power/z/register_z_tests.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "analysis/catalogue.h"
#include "analysis/ids.h"

namespace {

class RegisterZ : public ::testing::Test {
  protected:
    void TearDown() override {
        SetRegisterHook(TestFamily::kZ, nullptr);
        ClearTestCatalogue();
    }
};

std::string InputText(PowerAnalysis& test, AnalysisType type, const std::string& key) {
    PropertyList inputs;
    test.BuildInputList(type, &inputs);
    const Property* input = inputs.Find(calc_test::Label(test, key));
    return input ? input->text : "<no input " + key + ">";
}

TEST_F(RegisterZ, FamilyOrderNamesAndFlags) {
    RegisterZTests();
    struct Expected {
        TestId id;
        std::string name;
        bool generic, exact, options;
    };
    const Expected expected[] = {
        {kTetrachoricTestId, "Correlation: Tetrachoric model", false, false, true},
        {kDependentCorrelationsCommonIndexTestId,
         "Correlations: Two dependent Pearson r's (common index)", false, false, false},
        {kDependentCorrelationsTestId, "Correlations: Two dependent Pearson r's (no common index)",
         false, false, false},
        {kTwoCorrelationsTestId, "Correlations: Two independent Pearson r's", false, true, false},
        {kLogisticRegressionTestId, "Logistic regression", false, false, true},
        {kPoissonRegressionTestId, "Poisson regression", false, false, true},
        {kTwoProportionsTestId, "Proportions: Difference between two independent proportions",
         false, true, true},
        {kGenericZTestId, "$\\bullet$ Generic z test", true, false, false},
    };
    ASSERT_EQ(ZTestList.size(), std::size(expected));
    for (size_t i = 0; i < ZTestList.size(); ++i) {
        PowerAnalysis* test = ZTestList[i];
        EXPECT_EQ(test->GetTestId(), expected[i].id);
        EXPECT_EQ(test->GetTestName(), expected[i].name);
        EXPECT_EQ(test->GetFamilyName(), "z tests");
        EXPECT_EQ(test->GetStatisticName(), "z");
        EXPECT_EQ(test->GetCriticalValueId(), kCriticalZId);
        EXPECT_EQ(test->GetDfOutputMask(), 0);
        EXPECT_EQ(test->IsGenericTest(), expected[i].generic);
        EXPECT_EQ(test->exactFlag, expected[i].exact);
        EXPECT_EQ(test->HasOptions(), expected[i].options);
        std::string method;
        if (test->GetTestId() == kTetrachoricTestId) method = "Exact r";
        if (test->GetTestId() == kLogisticRegressionTestId ||
            test->GetTestId() == kPoissonRegressionTestId) {
            method = "Large sample z-Test, Demidenko (2007) with var corr ";
        }
        EXPECT_EQ(test->GetMethodText(), method);
    }
}

TEST_F(RegisterZ, PrototypesStartFromTheirStandardValues) {
    RegisterZTests();
    struct Start {
        TestId id;
        AnalysisType type;
        std::string key, text;
    };
    const Start starts[] = {
        {kGenericZTestId, kPostHoc, "tails", "One"},
        {kGenericZTestId, kPostHoc, "mu", "3"},
        {kGenericZTestId, kPostHoc, "sigma", "1"},
        {kGenericZTestId, kCriterion, "power", "0.95"},
        {kGenericZTestId, kCompromise, "q", "1"},
        {kTwoProportionsTestId, kAPriori, "p2", "0.6"},
        {kTwoProportionsTestId, kAPriori, "p1", "0.5"},
        {kTwoProportionsTestId, kAPriori, "r", "1"},
        {kTwoProportionsTestId, kPostHoc, "n1", "50"},
        {kTwoProportionsTestId, kPostHoc, "n2", "50"},
        {kTwoCorrelationsTestId, kAPriori, "qr", "0.6"},
        {kTwoCorrelationsTestId, kAPriori, "alpha", "0.05"},
        {kTwoCorrelationsTestId, kSensitivity, "n2", "50"},
        {kTwoCorrelationsTestId, kCompromise, "q", "1"},
        {kDependentCorrelationsCommonIndexTestId, kPostHoc, "rac1", "-0.1"},
        {kDependentCorrelationsCommonIndexTestId, kPostHoc, "rbc", "-0.1"},
        {kDependentCorrelationsCommonIndexTestId, kPostHoc, "size", "100"},
        {kDependentCorrelationsTestId, kAPriori, "rcd1", "0.15"},
        {kDependentCorrelationsTestId, kAPriori, "rac", "0.7"},
        {kDependentCorrelationsTestId, kAPriori, "rbd", "0.41"},
        {kLogisticRegressionTestId, kAPriori, "OR", "1.3"},
        {kLogisticRegressionTestId, kAPriori, "pH0", "0.2"},
        {kLogisticRegressionTestId, kPostHoc, "N", "100"},
        {kLogisticRegressionTestId, kPostHoc, "R2x", "0"},
        {kLogisticRegressionTestId, kPostHoc, "xdist", "Normal"},
        {kLogisticRegressionTestId, kPostHoc, "xsigma", "1"},
        {kLogisticRegressionTestId, kCompromise, "q", "1"},
        {kPoissonRegressionTestId, kAPriori, "expb1", "1.3"},
        {kPoissonRegressionTestId, kAPriori, "baserate", "0.85"},
        {kPoissonRegressionTestId, kPostHoc, "exposure", "1"},
        {kPoissonRegressionTestId, kPostHoc, "xdist", "Normal"},
        {kPoissonRegressionTestId, kCompromise, "N", "100"},
    };
    for (const Start& s : starts) {
        PowerAnalysis* test = nullptr;
        for (PowerAnalysis* t : ZTestList) {
            if (t->GetTestId() == s.id) test = t;
        }
        ASSERT_NE(test, nullptr);
        EXPECT_EQ(InputText(*test, s.type, s.key), s.text) << s.id << " " << s.key;
    }
}

TEST_F(RegisterZ, TheCatalogueFindsEveryTest) {
    SetRegisterHook(TestFamily::kZ, RegisterZTests);
    BuildTestCatalogue();
    for (TestId id : {kGenericZTestId, kTwoProportionsTestId, kTwoCorrelationsTestId,
                      kDependentCorrelationsCommonIndexTestId, kDependentCorrelationsTestId,
                      kTetrachoricTestId, kLogisticRegressionTestId, kPoissonRegressionTestId}) {
        PowerAnalysis* test = FindTest(id);
        ASSERT_NE(test, nullptr) << id;
        std::unique_ptr<PowerAnalysis> clone(test->Clone());
        EXPECT_EQ(clone->GetTestId(), id);
        EXPECT_EQ(clone->exactFlag, test->exactFlag);
    }
}

TEST_F(RegisterZ, ClonesShowWhatTheirSourceShows) {
    calc_test::ExpectClonesShowWhatTheirSourceShows(RegisterZTests, ZTestList);
}

}  // namespace
