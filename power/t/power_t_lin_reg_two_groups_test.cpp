// The t tests of the slopes and of the intercepts of two regressions: their
// lists, their input checks in their order, and the whole groups of an
// A priori answer. The numbers of every analysis type are checked against
// the reference table in t_regression_reference_test.cpp.

#include "power/t/power_t_lin_reg_two_groups.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kSlopes = {{"tails", "Two"}, {"sd", "0.5"}, {"sx1", "5"}, {"sx2", "10"}};
const Texts kIntercepts = {{"tails", "Two"}, {"sd", "2"},  {"sx1", "4"},
                           {"sx2", "3"},     {"mx1", "5"}, {"mx2", "7"}};

// The texts of each analysis type on top of a test's design; `effect` is
// the key of its effect input.
Texts TypeTexts(const Texts& design, const std::string& effect, const std::string& value,
                AnalysisType type) {
    switch (type) {
        case kAPriori:
            return With(design,
                        {{effect, value}, {"alpha", "0.05"}, {"power", "0.95"}, {"r", "1"}});
        case kSensitivity:
            return With(design,
                        {{"alpha", "0.05"}, {"power", "0.95"}, {"n1", "100"}, {"n2", "100"}});
        case kPostHoc:
            return With(design, {{effect, value}, {"alpha", "0.05"}, {"n1", "100"}, {"n2", "100"}});
        case kCriterion:
            return With(design, {{effect, value}, {"power", "0.8"}, {"n1", "100"}, {"n2", "100"}});
        case kCompromise:
            return With(design, {{effect, value}, {"q", "1"}, {"n1", "100"}, {"n2", "100"}});
    }
    return design;
}
Texts SlopeTexts(AnalysisType type, const Texts& changes = {}) {
    return With(TypeTexts(kSlopes, "dslope", "0.015", type), changes);
}
Texts InterceptTexts(AnalysisType type, const Texts& changes = {}) {
    return With(TypeTexts(kIntercepts, "dint", "2", type), changes);
}

TEST(TwoRegressions, ListsOfEachAnalysisType) {
    using calc_test::Joined;
    PowerTLinReg2Slopes slopes;
    PowerTLinReg2Interc intercepts;
    const std::vector<std::string> slopeDesign = {"sd", "sx1", "sx2"};
    const std::vector<std::string> interceptDesign = {"sd", "sx1", "sx2", "mx1", "mx2"};
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;  // "e" stands for the effect
    };
    const Layout layouts[] = {
        {kAPriori,
         {"tails", "e", "alpha", "power", "r"},
         {"ncp", "crit", "df", "n1", "n2", "n", "actual"}},
        {kSensitivity, {"tails", "alpha", "power", "n1", "n2"}, {"ncp", "crit", "df", "e"}},
        {kPostHoc, {"tails", "e", "alpha", "n1", "n2"}, {"ncp", "crit", "df", "power"}},
        {kCriterion, {"tails", "e", "power", "n1", "n2"}, {"ncp", "crit", "df", "alpha"}},
        {kCompromise,
         {"tails", "e", "q", "n1", "n2"},
         {"ncp", "crit", "df", "alpha", "beta", "power"}},
    };
    auto named = [](std::vector<std::string> keys, const std::string& effect) {
        for (std::string& key : keys)
            if (key == "e") key = effect;
        return keys;
    };
    for (const Layout& l : layouts) {
        calc_test::ExpectListKeys(slopes, l.type, Joined(named(l.inputs, "dslope"), slopeDesign),
                                  named(l.outputs, "dslope"));
        calc_test::ExpectListKeys(intercepts, l.type,
                                  Joined(named(l.inputs, "dint"), interceptDesign),
                                  named(l.outputs, "dint"));
    }
    calc_test::ExpectEffectInput(slopes, kPostHoc, "|$\\Delta$ slope|", 208, "");
    calc_test::ExpectEffectInput(intercepts, kPostHoc, "|$\\Delta$ intercept|", 209, "");
    EXPECT_TRUE(slopes.exactFlag);
    EXPECT_TRUE(intercepts.exactFlag);
}

TEST(TwoRegressions, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        bool slopes;
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string apriori =
        "In an a priori analysis, the absolute value of the\neffect size must be greater than "
        "0.00001.";
    const std::string positive = "Effect size d is outside the admissible range (0, 1e+150).";
    const std::string total = "Total sample size is outside the admissible range (5, 2147483646)";
    const std::string group = "Sample size must be greater than or equal to 1.";
    const std::string vanishing =
        "Std dev residual $\\sigma$ is too small: the standard error of the difference vanishes.";
    const Rejection rejections[] = {
        // The design first, before anything of the type.
        {true, kPostHoc, SlopeTexts(kPostHoc, {{"sd", "0"}, {"alpha", "0"}, {"sx1", "0"}}), "sd",
         "Std dev residual $\\sigma$ must be greater than 0."},
        {true, kAPriori, SlopeTexts(kAPriori, {{"sx1", "-5"}}), "sx1",
         "Std dev $\\sigma$_x1 must be greater than 0."},
        {false, kAPriori, InterceptTexts(kAPriori, {{"sx2", "nan"}}), "sx2",
         "Input error (number out of range)"},
        {false, kPostHoc, InterceptTexts(kPostHoc, {{"mx2", "inf"}}), "mx2",
         "Input error (number out of range)"},
        // A standard error that all but vanishes would show delta = inf.
        {true, kPostHoc, SlopeTexts(kPostHoc, {{"sd", "1e-320"}}), "sd", vanishing},
        {false, kPostHoc, InterceptTexts(kPostHoc, {{"sd", "1e-320"}}), "sd", vanishing},
        {true, kSensitivity, SlopeTexts(kSensitivity, {{"sd", "1e-200"}}), "sd", vanishing},
        {true, kPostHoc, SlopeTexts(kPostHoc, {{"sx1", "1e200"}, {"sx2", "1e200"}}), "sd",
         vanishing},
        // A priori: the ratio, then the effect.
        {true, kAPriori, SlopeTexts(kAPriori, {{"r", "101"}, {"dslope", "0"}}), "r",
         "The allocation ratio falls outside\nthe admissible range (0.01, 100)."},
        {true, kAPriori, SlopeTexts(kAPriori, {{"dslope", "0.000005"}}), "dslope", apriori},
        {false, kAPriori, InterceptTexts(kAPriori, {{"dint", "-0.5"}}), "dint", positive},
        {true, kAPriori, SlopeTexts(kAPriori, {{"dslope", "-0.5"}}), "dslope", positive},
        {true, kAPriori, SlopeTexts(kAPriori, {{"power", "0.01"}}), "power",
         "Power must be greater than or equal to alpha."},
        // Outside A priori an intercept difference is a size; a slope
        // difference may be negative.
        {false, kPostHoc, InterceptTexts(kPostHoc, {{"dint", "-1"}}), "dint", positive},
        {true, kPostHoc, SlopeTexts(kPostHoc, {{"dslope", "nan"}}), "dslope",
         "Input error (number out of range)"},
        // A negative slope difference meets the same bound as a positive
        // one, short of an infinite delta.
        {true, kPostHoc, SlopeTexts(kPostHoc, {{"dslope", "-1e308"}}), "dslope",
         "Effect size d is outside the admissible range (-1e+150, 1e+150)."},
        {true, kCompromise, SlopeTexts(kCompromise, {{"dslope", "-1e151"}}), "dslope",
         "Effect size d is outside the admissible range (-1e+150, 1e+150)."},
        // The groups: each at least one, then at least five in all.
        {true, kSensitivity, SlopeTexts(kSensitivity, {{"n1", "0"}, {"n2", "0"}}), "n1", group},
        {false, kPostHoc, InterceptTexts(kPostHoc, {{"n2", "0"}}), "n2", group},
        {true, kPostHoc, SlopeTexts(kPostHoc, {{"n1", "2"}, {"n2", "2"}}), "n1", total},
        {false, kCriterion, InterceptTexts(kCriterion, {{"n1", "2"}, {"n2", "2"}}), "n1", total},
        {true, kCriterion, SlopeTexts(kCriterion, {{"power", "1"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        {false, kCompromise, InterceptTexts(kCompromise, {{"q", "0"}, {"n1", "2"}, {"n2", "2"}}),
         "n1", total},
        {true, kCompromise, SlopeTexts(kCompromise, {{"q", "0"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Rejection& r : rejections) {
        std::unique_ptr<PowerAnalysis> test;
        if (r.slopes) {
            test = std::make_unique<PowerTLinReg2Slopes>();
        } else {
            test = std::make_unique<PowerTLinReg2Interc>();
        }
        calc_test::ExpectRefused(*Calculate(*test, r.type, r.texts), calc_test::Label(*test, r.row),
                                 r.message, calc_test::Describe(r.type, r.texts));
    }
    // Accepted: the smallest groups, a negative mean, a negative slope
    // difference and no difference at all outside A priori.
    const std::pair<bool, Texts> accepted[] = {
        {true, SlopeTexts(kPostHoc, {{"n1", "2"}, {"n2", "3"}})},
        {false, InterceptTexts(kPostHoc, {{"mx1", "-5"}, {"dint", "0"}})},
        {true, SlopeTexts(kPostHoc, {{"dslope", "-0.02"}})},
        {true, SlopeTexts(kPostHoc, {{"dslope", "-1e150"}})},
        // Small but not vanishing.
        {true, SlopeTexts(kPostHoc, {{"sd", "1e-100"}})},
    };
    for (const auto& [slopes, texts] : accepted) {
        std::unique_ptr<PowerAnalysis> test;
        if (slopes) {
            test = std::make_unique<PowerTLinReg2Slopes>();
        } else {
            test = std::make_unique<PowerTLinReg2Interc>();
        }
        const auto run = Calculate(*test, kPostHoc, texts);
        EXPECT_EQ(run->status, kCalculateDone)
            << calc_test::Describe(kPostHoc, texts) << run->message;
    }
}

// Rounding the total into whole groups can cost a little power; both tests
// grow the groups until the actual power reaches the power asked for, keep
// equal groups at ratio 1, and show the total of the groups.
TEST(TwoRegressions, APrioriGroupsReachThePowerAskedFor) {
    struct Case {
        bool slopes;
        Texts changes;
    };
    const Case cases[] = {
        {false, {{"dint", "3"}, {"r", "0.5"}}},  // one split gives 91 + 45, short of 0.95
        {false, {{"dint", "2.5"}, {"r", "0.3"}}},
        {false, {{"dint", "1"}, {"r", "2"}}},
        {false, {{"dint", "2.5"}, {"r", "4"}}},
        {false, {{"dint", "0.7"}, {"r", "1"}, {"tails", "One"}}},
        {true, {{"dslope", "0.02"}, {"r", "0.5"}}},
        {true, {{"dslope", "0.03"}, {"r", "3"}, {"power", "0.8"}}},
        {true, {{"dslope", "0.05"}, {"r", "100"}}},
        {true, {{"dslope", "0.015"}, {"r", "1"}}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PowerAnalysis> test;
        Texts texts;
        if (c.slopes) {
            test = std::make_unique<PowerTLinReg2Slopes>();
            texts = SlopeTexts(kAPriori, c.changes);
        } else {
            test = std::make_unique<PowerTLinReg2Interc>();
            texts = InterceptTexts(kAPriori, c.changes);
        }
        SCOPED_TRACE(calc_test::Describe(kAPriori, texts));
        const auto run = Calculate(*test, kAPriori, texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double n1 = run->Value("n1"), n2 = run->Value("n2");
        EXPECT_GE(run->Value("actual"), std::stod(texts.at("power")));
        EXPECT_EQ(run->Value("n"), n1 + n2);
        EXPECT_EQ(run->Value("df"), n1 + n2 - 4.0);
        if (texts.at("r") == "1") {
            EXPECT_EQ(n1, n2);
        }
        // The actual power is that of the groups shown.
        EXPECT_NEAR(run->Value("actual"), test->ComputePower2(test->effectSize, 0.05, n1, n2),
                    1e-7);
    }
}

TEST(TwoRegressions, CloneKeepsTheDesign) {
    PowerTLinReg2Interc test;
    const auto run = Calculate(
        test, kPostHoc, InterceptTexts(kPostHoc, {{"mx1", "-1"}, {"sd", "3"}, {"n2", "50"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    EXPECT_EQ(clone->GetTestId(), 209);
    EXPECT_EQ(clone->NoncentralityFromEffect(2.0), test.NoncentralityFromEffect(2.0));
    PropertyList inputs;
    clone->BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find("Mean $\\mu$_x1")->text, "-1");
    EXPECT_EQ(inputs.Find("Std dev residual $\\sigma$")->text, "3");
}

TEST(TwoRegressions, PointChecks) {
    PowerTLinReg2Slopes slopes;
    PowerTLinReg2Interc intercepts;
    EXPECT_TRUE(slopes.CheckGroupSizes(kPostHoc, 2, 3));
    EXPECT_FALSE(slopes.CheckGroupSizes(kPostHoc, 2, 2));
    EXPECT_EQ(slopes.GetMessage(),
              "Total sample size is outside the admissible range (5, 2147483646)");
    EXPECT_FALSE(intercepts.CheckGroupSizes(kPostHoc, 0, 10));
    EXPECT_TRUE(intercepts.CheckSampleSize(kPostHoc, 5));
    EXPECT_FALSE(intercepts.CheckSampleSize(kPostHoc, 4));
    EXPECT_TRUE(slopes.CheckEffectSize(kPostHoc, -1.0));
    EXPECT_FALSE(intercepts.CheckEffectSize(kPostHoc, -1.0));
    EXPECT_FALSE(slopes.CheckEffectSize(kAPriori, -1.0));
}

}  // namespace
