// The two z tests of dependent correlations: their lists, their input
// checks and matrix checks in their order, the Sensitivity analysis that
// finds no valid matrix, and every analysis type against
// verification/z_correlations/z_correlations_reference.tsv (mpmath, with a
// Monte Carlo of multivariate normal samples at N = 400).

#include "power/z/power_z_two_dep_corr.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const char kTable[] = "verification/z_correlations/z_correlations_reference.tsv";

const Texts kNciPostHoc = {{"tails", "Two"}, {"rcd1", "0.15"}, {"alpha", "0.05"},
                           {"size", "100"},  {"rab", "0.1"},   {"rac", "0.7"},
                           {"rad", "0.6"},   {"rbc", "0.4"},   {"rbd", "0.41"}};
const Texts kCiPostHoc = {{"tails", "Two"}, {"rac1", "-0.1"}, {"alpha", "0.05"},
                          {"size", "100"},  {"rab", "0.1"},   {"rbc", "-0.1"}};

std::string Direction(bool commonIndex, const std::string& side) {
    const std::string second = commonIndex ? "$\\rho$_ac" : "$\\rho$_cd";
    return second + (side == "up" ? " $\\ge$ " : " $\\le$ ") + "$\\rho$_ab";
}

template <class Test>
void RunCases(TestId id, bool commonIndex) {
    const auto cases = calc_test::ReadReferenceCases(kTable, id);
    ASSERT_GE(cases.size(), 10u) << kTable << " missing or short";
    for (calc_test::ReferenceCase c : cases) {
        if (auto d = c.inputs.find("direction"); d != c.inputs.end()) {
            d->second = Direction(commonIndex, d->second);
        }
        Test test;
        const auto run = Calculate(test, c.type, c.inputs);
        SCOPED_TRACE(c.line);
        ASSERT_EQ(run->status, c.status) << run->message;
        EXPECT_EQ(run->inputs.size(), c.inputs.size());
        EXPECT_EQ(run->outputs.size(), c.outputs.size());
        for (const auto& [key, expected] : c.outputs) {
            calc_test::ExpectOutput(run->outputs, calc_test::Label(test, key), expected, key);
        }
    }
}

TEST(DependentCorrelations, ReferenceCases) {
    RunCases<PowerZTwoDepCorrNCI>(kDependentCorrelationsTestId, false);
    RunCases<PowerZTwoDepCorrCI>(kDependentCorrelationsCommonIndexTestId, true);
}

// Compromise at alpha and beta far below 1e-16 (verification/small_tails,
// mpmath at 40 digits, with seeded random cases): common index, one tail,
// rho_ab 0.0324, rho_bc 0.0317, rho_ac 0.721 under H1, q 0.707 and N 909
// need alpha 1.864340e-21 at critical z 9.439975.
TEST(DependentCorrelations, CompromiseAtSmallAlphaAndBeta) {
    const char table[] = "verification/small_tails/z_reference.tsv";
    calc_test::ExpectReferenceCases(
        table, kDependentCorrelationsCommonIndexTestId,
        [] { return std::make_unique<PowerZTwoDepCorrCI>(); }, 4);
    calc_test::ExpectReferenceCases(
        table, kDependentCorrelationsTestId, [] { return std::make_unique<PowerZTwoDepCorrNCI>(); },
        3);
}

TEST(DependentCorrelations, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> head, outputs;
    };
    const Layout layouts[] = {
        {kAPriori, {"tails", "E", "alpha", "power"}, {"crit", "size", "actual"}},
        {kSensitivity, {"tails", "direction", "alpha", "power", "size"}, {"crit", "E"}},
        {kPostHoc, {"tails", "E", "alpha", "size"}, {"crit", "power"}},
        {kCriterion, {"tails", "E", "power", "size"}, {"crit", "alpha"}},
        {kCompromise, {"tails", "E", "q", "size"}, {"crit", "alpha", "beta", "power"}},
    };
    PowerZTwoDepCorrNCI nci;
    PowerZTwoDepCorrCI ci;
    for (const Layout& layout : layouts) {
        for (const bool common : {false, true}) {
            auto keys = [&](std::vector<std::string> list) {
                for (auto& key : list) {
                    if (key == "E") key = common ? "rac1" : "rcd1";
                }
                return list;
            };
            PowerAnalysis& test = common ? static_cast<PowerAnalysis&>(ci) : nci;
            const std::vector<std::string> tail =
                common ? std::vector<std::string>{"rab", "rbc"}
                       : std::vector<std::string>{"rab", "rac", "rad", "rbc", "rbd"};
            calc_test::ExpectListKeys(test, layout.type, calc_test::Joined(keys(layout.head), tail),
                                      keys(layout.outputs));
        }
    }
    calc_test::ExpectEffectInput(nci, kPostHoc, "H1 corr $\\rho$_cd", kDependentCorrelationsTestId);
    calc_test::ExpectEffectInput(ci, kPostHoc, "H1 corr $\\rho$_ac",
                                 kDependentCorrelationsCommonIndexTestId);
}

TEST(DependentCorrelations, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        bool commonIndex;
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string invalid =
        "The correlation matrix is not valid,\nthat is, not positive "
        "semi-definite.";
    const Texts nciAPriori = {{"tails", "Two"},  {"rcd1", "0.15"}, {"alpha", "0.05"},
                              {"power", "0.95"}, {"rab", "0.1"},   {"rac", "0.7"},
                              {"rad", "0.6"},    {"rbc", "0.4"},   {"rbd", "0.41"}};
    const Texts ciAPriori = {{"tails", "Two"},  {"rac1", "-0.1"}, {"alpha", "0.05"},
                             {"power", "0.95"}, {"rab", "0.1"},   {"rbc", "-0.1"}};
    const std::string zero = "Effect size must not be zero, i.e. check that |r_cd - r_ab| > 1e-6.";
    const Rejection rejections[] = {
        // The given correlations first, in their order.
        {false, kPostHoc, With(kNciPostHoc, {{"rab", "1"}, {"rac", "2"}}), "rab",
         "Corr $\\rho$_ab is outside the admissible range (-0.999999, 0.999999)."},
        {false, kPostHoc, With(kNciPostHoc, {{"rbd", "-0.9999995"}}), "rbd",
         "Corr $\\rho$_bd is outside the admissible range (-0.999999, 0.999999)."},
        {true, kPostHoc, With(kCiPostHoc, {{"rbc", "1"}}), "rbc",
         "Corr $\\rho$_bc is outside the admissible range (-0.999999, 0.999999)."},
        {false, kAPriori, With(nciAPriori, {{"rcd1", "0.1000005"}, {"alpha", "0"}}), "rcd1", zero},
        {true, kAPriori, With(ciAPriori, {{"rac1", "0.1"}}), "rac1", zero},
        {false, kPostHoc, With(kNciPostHoc, {{"rcd1", "-1"}}), "rcd1",
         "Effect size r_cd is outside the admissible range (-0.999999, 0.999999)."},
        {false, kPostHoc, With(kNciPostHoc, {{"size", "3"}}), "size",
         "Total sample size is outside the admissible range (4, 2147483646)"},
        // An H1 matrix that is not valid names the second correlation read.
        {true, kPostHoc, With(kCiPostHoc, {{"rab", "0.9"}, {"rac1", "-0.9"}, {"rbc", "0.9"}}),
         "rbc", "Under H1:\n" + invalid},
        {false, kPostHoc, With(kNciPostHoc, {{"rcd1", "-0.9"}}), "rac", "Under H1:\n" + invalid},
        {false, kPostHoc, With(kNciPostHoc, {{"rab", "-0.9"}}), "rac", "Under H0:\n" + invalid},
    };
    for (const Rejection& r : rejections) {
        std::unique_ptr<PowerAnalysis> test;
        if (r.commonIndex) {
            test = std::make_unique<PowerZTwoDepCorrCI>();
        } else {
            test = std::make_unique<PowerZTwoDepCorrNCI>();
        }
        const auto run = Calculate(*test, r.type, r.texts);
        calc_test::ExpectRefused(*run, calc_test::Label(*test, r.row), r.message,
                                 calc_test::Describe(r.type, r.texts));
    }
}

// A power that no valid correlation matrix reaches: the answer is the
// nonsensical correlation 2 with its note, and no distribution graph.
TEST(DependentCorrelations, SensitivityWithoutAValidMatrixGivesTwoAndANote) {
    PowerZTwoDepCorrCI test;
    const Texts texts = {{"tails", "Two"},  {"direction", Direction(true, "down")},
                         {"alpha", "0.05"}, {"power", "0.99"},
                         {"size", "10"},    {"rab", "0.9"},
                         {"rbc", "0.9"}};
    const auto run = Calculate(test, kSensitivity, texts);
    EXPECT_EQ(run->status, kCalculateDoneWithNoteNoPlot);
    EXPECT_EQ(run->message,
              "No solution found for the requested effect size!\n\n"
              "This is indicated by a (nonsensical) correlation value of 2.\n"
              "The most probable cause is that there is no value leading to a\n"
              "valid (i.e. positive semi-definite) correlation matrix.");
    EXPECT_EQ(run->Value("rac1"), 2.0);
    // A solved effect is reported as solved.
    PowerZTwoDepCorrCI solved;
    const auto ok = Calculate(
        solved, kSensitivity,
        With(texts, {{"power", "0.8"}, {"size", "200"}, {"rab", "0.1"}, {"rbc", "-0.1"}}));
    EXPECT_EQ(ok->status, kCalculateDone) << ok->message;
    EXPECT_LT(ok->Value("rac1"), 0.1);
}

// The checks the X-Y plot makes per point.
TEST(DependentCorrelations, PointChecks) {
    PowerZTwoDepCorrNCI test;
    EXPECT_FALSE(test.exactFlag);
    EXPECT_TRUE(test.CheckSampleSize(kPostHoc, 4));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 3.5));
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 0.15));
    EXPECT_FALSE(test.CheckEffectSize(kPostHoc, -0.9));
    double effect = -0.9;
    EXPECT_FALSE(test.AdjustSensitivityEffect(&effect));
    EXPECT_EQ(effect, 2.0);
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    EXPECT_EQ(static_cast<PowerZTwoDepCorrNCI&>(*clone).correlations[3], 0.6);
}

}  // namespace
