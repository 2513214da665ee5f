// The tetrachoric correlation test at its standard inputs against
// verification/z_correlations/tetrachoric_test_reference.txt (Plackett's
// integral and a numerical delta method), its input checks, and what the
// approximation changes.

#include "power/z/power_z_tetrachoric_corr.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;
using T = PowerZTetrachoricCorr;

const std::string kRho1 = "H1 corr $\\rho$";
const std::string kRho0 = "H0 corr $\\rho$";
const std::string kMarginX = "Marginal prop x";

// Texts by label: the keys of the shared table do not name this test's rows.
std::unique_ptr<calc_test::Calculation> RunByLabel(
    T& test, AnalysisType type, const std::map<std::string, std::string>& byLabel) {
    auto run = std::make_unique<calc_test::Calculation>();
    test.BuildInputList(type, &run->inputs);
    for (const auto& [label, text] : byLabel) {
        Property* input = run->inputs.Find(label);
        if (input == nullptr) {
            ADD_FAILURE() << "no input " << label;
            continue;
        }
        input->SetText(text);
    }
    run->status = CalculateWithInputErrors(&test, type, &run->inputs);
    run->message = test.GetMessage();
    test.BuildOutputList(type, &run->outputs);
    if (run->status < 0) test.GetOutputs(type, &run->outputs);
    return run;
}

const std::map<std::string, std::string> kPostHocTexts = {{"Tail(s)", "Two"},
                                                          {"Total sample size", "100"}};

TEST(TetrachoricTest, StandardInputsAgreeWithTheReference) {
    T test;
    test.ComputeCellProbabilities(-0.1, 0.6, 0.3);
    const double cells[] = {0.2664620933, 0.4335379067, 0.1335379067, 0.1664620933};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(test.cells[i], cells[i], 1e-9) << i;

    const auto post = RunByLabel(test, kPostHoc, kPostHocTexts);
    ASSERT_EQ(post->status, kCalculateDone) << post->message;
    EXPECT_NEAR(calc_test::OutputValue(post->outputs, "Power (1-$\\beta$ err prob)"), 0.2280479,
                5e-7);
    // The exact r of the expected tables reproduces both correlations.
    EXPECT_NEAR(calc_test::OutputValue(post->outputs, kRho1), 0.1, 1e-8);
    EXPECT_NEAR(calc_test::OutputValue(post->outputs, kRho0), -0.1, 1e-8);

    T apriori;
    const auto run = RunByLabel(apriori, kAPriori, {{"Tail(s)", "Two"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(calc_test::OutputValue(run->outputs, "Total sample size"), 895.0);
    EXPECT_NEAR(calc_test::OutputValue(run->outputs, "Actual power"), 0.9500390, 5e-7);
}

TEST(TetrachoricTest, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        std::map<std::string, std::string> texts;
        std::string row, message;
    };
    const Rejection rejections[] = {
        {kPostHoc,
         {{kRho0, "1"}, {kMarginX, "2"}},
         kRho0,
         "The H0 correlation must lie in the interval [-0.999999, 0.999999]."},
        // A margin of 0 or 1 has no threshold.
        {kPostHoc,
         {{kMarginX, "0"}},
         kMarginX,
         "Margin proportion of variable x must lie in the interval (0,1)."},
        {kPostHoc,
         {{"Marginal prop y", "1"}},
         "Marginal prop y",
         "Margin proportion of variable y must lie in the interval (0,1)."},
        // Within 1e-15 of 0 or 1 the threshold is lost in rounding (1 - 1e-300
        // is 1); 1e-12 is still computed (below).
        {kCriterion,
         {{kMarginX, "1e-300"}},
         kMarginX,
         "Margin proportion of variable x is too close to 0 or 1:\nits threshold cannot be "
         "computed."},
        {kSensitivity,
         {{"Marginal prop y", "0.9999999999999999"}},
         "Marginal prop y",
         "Margin proportion of variable y is too close to 0 or 1:\nits threshold cannot be "
         "computed."},
        // At the end of the range the variance of r, a difference of nearly
        // equal terms, comes out negative: no standard error under H0 or H1.
        {kPostHoc,
         {{kRho0, "0.999999"}, {kRho1, "0.999999"}},
         kRho0,
         "The standard error of r under H0 cannot be computed at this correlation\nwith these "
         "margins."},
        {kCompromise,
         {{kRho1, "0.999999"}},
         kRho1,
         "The standard error of r under H1 cannot be computed at this correlation\nwith these "
         "margins."},
        {kAPriori,
         {{kRho1, "-0.1000001"}},
         kRho1,
         "Effect size to small (|H0 rho - H1 rho| < 1e-6)"},
        {kPostHoc,
         {{kRho1, "1"}},
         kRho1,
         "Effect size H1 corr $\\rho$ is outside the admissible range (-0.999999, 0.999999)."},
        {kPostHoc,
         {{"Total sample size", "1"}},
         "Total sample size",
         "Sample size must be greater than or equal to 2."},
    };
    for (const Rejection& r : rejections) {
        T test;
        const auto run = RunByLabel(test, r.type, r.texts);
        calc_test::ExpectRefused(*run, r.row, r.message, r.message);
    }
    // Post hoc with rho1 = rho0 is computed: power alpha.
    T same;
    const auto run = RunByLabel(same, kPostHoc, {{kRho1, "-0.1"}});
    EXPECT_NEAR(calc_test::OutputValue(run->outputs, "Power (1-$\\beta$ err prob)"), 0.05, 1e-12);
}

// A critical r is a correlation, also where the standard error is huge: at
// N = 3 and at a margin of 1e-12 it was shown as 1.47 and 4.99e11.
TEST(TetrachoricTest, CriticalRStaysACorrelation) {
    const std::map<std::string, std::string> cases[] = {
        {{"Tail(s)", "One"}, {"Total sample size", "3"}},
        {{"Tail(s)", "Two"}, {"Total sample size", "3"}},
        {{"Tail(s)", "One"}, {kMarginX, "1e-12"}},
        {{"Tail(s)", "Two"}, {kMarginX, "1e-12"}},
        {{"Tail(s)", "One"}, {kRho1, "-0.5"}, {"Total sample size", "3"}},
    };
    for (const auto& texts : cases) {
        T test;
        const auto run = RunByLabel(test, kPostHoc, texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        for (const char* label : {"Critical r lwr", "Critical r upr"}) {
            const double r = calc_test::OutputValue(run->outputs, label);
            EXPECT_TRUE(-1.0 <= r && r <= 1.0)
                << label << " = " << r << " at " << texts.begin()->second << " "
                << std::next(texts.begin())->second;
        }
    }
}

// The approximation names its method and its starred outputs, shows r* of
// rho1 there, and a Sensitivity run still shows the rho1 it solved.
TEST(TetrachoricTest, ApproximationChangesTheMethodOutputs) {
    T test;
    test.useApproximation = true;
    EXPECT_EQ(test.GetMethodText(), "Approximate r");
    const auto post = RunByLabel(test, kPostHoc, kPostHocTexts);
    ASSERT_EQ(post->status, kCalculateDone) << post->message;
    EXPECT_EQ(calc_test::Names(post->outputs),
              (std::vector<std::string>{"Critical z", "Power (1-$\\beta$ err prob)",
                                        "H1 corr $\\rho$*", "H0 corr $\\rho$*", "Critical r* lwr",
                                        "Critical r* upr", "Std err r*"}));
    EXPECT_NE(calc_test::OutputValue(post->outputs, "H1 corr $\\rho$*"), 0.1);
    EXPECT_NEAR(calc_test::OutputValue(post->outputs, "H1 corr $\\rho$*"), 0.1, 0.02);

    T sensitivity;
    sensitivity.useApproximation = true;
    const auto run = RunByLabel(
        sensitivity, kSensitivity,
        {{"Tail(s)", "Two"}, {"Total sample size", "200"}, {"Power (1-$\\beta$ err prob)", "0.8"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    const double rho1 = calc_test::OutputValue(run->outputs, kRho1);
    EXPECT_GT(rho1, -0.1);
    EXPECT_NEAR(rho1, sensitivity.effectSize, 5e-8);
    // One tail: both critical r show the same value.
    T oneTail;
    const auto one =
        RunByLabel(oneTail, kPostHoc, {{"Tail(s)", "One"}, {"Total sample size", "100"}});
    EXPECT_EQ(calc_test::OutputValue(one->outputs, "Critical r lwr"),
              calc_test::OutputValue(one->outputs, "Critical r upr"));
}

// The cell cache belongs to the object: a clone and its source each keep
// their own cells.
TEST(TetrachoricTest, EachObjectKeepsItsOwnCells) {
    T test;
    test.ComputeCellProbabilities(-0.1, 0.6, 0.3);
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    auto& copy = static_cast<T&>(*clone);
    copy.ComputeCellProbabilities(0.5, 0.6, 0.3);
    EXPECT_NEAR(test.cells[0], 0.2664620933, 1e-9);
    EXPECT_GT(copy.cells[0], test.cells[0]);
}

}  // namespace
