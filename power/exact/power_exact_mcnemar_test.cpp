// McNemar's test of two dependent proportions, approximate and exact.

#include "power/exact/power_exact_mcnemar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "numerics/quorix_error.h"
#include "power/exact/exact_reference_fixture.h"

namespace {

using calc_test::Texts;
using exact_test::Run;

constexpr const char* kTable = "verification/exact_tests/mcnemar_cases.tsv";

// The rows of McNemar's test; the option "approx" chooses the
// approximation on ceil(N pd) pairs, "bal" the balancing of two tails.
const exact_test::Form<PowerExactMcNemar> kForm(
    {
        {"pd", "Prop discordant pairs"},
        {"p12", "Proportion p12"},
        {"p21", "Proportion p21"},
    },
    {{"approx", &PowerExactMcNemar::useApproximation},
     {"bal", &PowerExactBinomial::alphaBalancing}});

std::string LabelOf(const std::string& key) {
    return kForm.LabelOf(key);
}

std::unique_ptr<Run> Calculate(PowerExactMcNemar& test, AnalysisType type, const Texts& texts) {
    return kForm.Calculate(test, type, texts);
}

// Exact power as the average of the conditional power over the number of
// discordant pairs, and the approximation on ceil(N pd) pairs.
TEST(McNemarTest, ReproducesTheReferenceTable) {
    kForm.ExpectReferenceTable(kTable, 604, 11);
}

// Compromise of the exact method where q is met at alpha far below 1e-16,
// beta summed over the acceptance regions (verification/small_tails,
// mpmath, every number of discordant pairs from 0): OR 200, q 1, 200 pairs,
// pd 0.9 meets the ratio 1.009823 at an actual alpha of 7.249681e-25.
TEST(McNemarTest, ExactCompromiseAtSmallAlphaAndBeta) {
    const char table[] = "verification/small_tails/mcnemar_reference.tsv";
    kForm.ExpectReferenceTable(table, 604, 3);
}

// The exact searches at their edges (verification/exact_edges, scipy and
// exact fractions for the regions of each number of pairs). Sensitivity
// finds the odds ratio above 1, never the second root beyond the null,
// where the power rises again (it showed OR 1.008e-06 with power 1), and
// shows the root rounded to the row's digits, with the actual alpha and
// proportions there (it showed its last trial of a bracket of 1e-8, often
// one unit off). Under balancing 2 the next lower and upper counts often
// have the same probability; the upper region takes such a tie, whatever the
// rounding of the two masses (it showed OR 2.1046923 at N 60, pd 0.5192,
// alpha 0.01043). Started below the null, the search finds the root below
// 1, walking toward the null or away from it.
TEST(McNemarTest, ExactSensitivityShowsTheRootOnItsSideOfTheNull) {
    kForm.ExpectReferenceTable("verification/exact_edges/sensitivity_null.tsv", 604, 19);

    const auto below =
        calc_test::ReadReferenceCases("verification/exact_edges/sensitivity_below_null.tsv", 604);
    EXPECT_EQ(below.size(), 12u);
    for (const calc_test::ReferenceCase& c : below) {
        auto in = [&](const char* key) { return c.inputs.at(key); };
        PowerExactMcNemar test;
        test.useApproximation = false;
        test.oneTailed = in("tails") == "One";
        test.alphaBalancing = std::stoi(in("bal"));
        test.discordantProportion = std::stod(in("pd"));
        const double oddsRatio =
            test.ExactEffectSize(std::stod(in("alpha")), std::stod(in("power")), std::stod(in("n")),
                                 std::stod(in("start")));
        const std::map<std::string, double> shown = {{"or", oddsRatio},
                                                     {"actualalpha", test.actualAlpha},
                                                     {"p12", test.proportionP12},
                                                     {"p21", test.proportionP21}};
        for (const auto& [key, expected] : c.outputs) {
            EXPECT_NEAR(shown.at(key), expected, calc_test::DisplayTolerance(expected))
                << c.line << ": " << key;
        }
    }
}

// Criterion shows the smallest alpha at or above the jump of the power
// that the output can show, seven digits far below 1e-16 too (it stopped
// walking at 1e-10), and where alpha 1e-99 already gives the target power
// there is no alpha to show, exact or approximate (both showed alpha 0).
TEST(McNemarTest, CriterionDownToTheFloor) {
    kForm.ExpectReferenceTable("verification/exact_edges/criterion_floor.tsv", 604, 6);
}

// Compromise never answers alpha 1, which Post hoc refuses: where the
// ratio stays above q up to the largest alpha a user can type, the answer
// is an alpha of at most 0.9999999, and Post hoc there shows its power
// (it showed alpha 1 with power 0.3300070 where Post hoc at 0.9999999
// gives 0.0865011).
TEST(McNemarTest, ExactCompromiseAnswersAnAlphaPostHocTakes) {
    const Texts cases[] = {
        {{"tails", "Two"},
         {"approx", "0"},
         {"or", "1.393"},
         {"q", "0.0258"},
         {"n", "5"},
         {"pd", "0.1588"}},
        {{"tails", "Two"},
         {"approx", "0"},
         {"or", "0.5512"},
         {"q", "0.171"},
         {"n", "16"},
         {"pd", "0.2719"}},
    };
    for (const Texts& texts : cases) {
        PowerExactMcNemar test;
        const auto run = Calculate(test, kCompromise, texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double alpha = run->Value("alpha");
        EXPECT_LE(alpha, 0.9999999);
        Texts back = texts;
        back.erase("q");
        const auto* shown =
            dynamic_cast<const PropertyDouble*>(run->outputs.Find(LabelOf("alpha")));
        ASSERT_NE(shown, nullptr);
        back["alpha"] = shown->text;
        PowerExactMcNemar again;
        const auto postHoc = Calculate(again, kPostHoc, back);
        ASSERT_EQ(postHoc->status, kCalculateDone) << postHoc->message;
        EXPECT_NEAR(postHoc->Value("power"), run->Value("power"), 1e-7);
        EXPECT_NEAR(postHoc->Value("actualalpha"), run->Value("actualalpha"), 1e-7);
    }
}

// The exact power carries the conditional tails from one number of pairs to
// the next. Reference (mcnemar_ladder_reference.py, scipy): up to a million
// pairs (thousands of numbers of discordant pairs, ladders restarted on the
// way, tails under H1 that underflow), either tail and side, OR = 1, alpha
// 1e-6.
TEST(McNemarTest, ExactPowerOverManyPairs) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) +
                     "/verification/exact_speed/mcnemar_ladder_cases.csv");
    ASSERT_TRUE(in.good());
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string tails;
        std::getline(fields, tails, ',');
        double oddsRatio = 0.0, pd = 0.0, alpha = 0.0, n = 0.0, power = 0.0, size = 0.0;
        char comma = 0;
        fields >> oddsRatio >> comma >> pd >> comma >> alpha >> comma >> n >> comma >> power >>
            comma >> size;
        ASSERT_FALSE(fields.fail()) << line;
        PowerExactMcNemar test;
        test.useApproximation = false;
        test.oneTailed = tails == "One";
        test.discordantProportion = pd;
        EXPECT_NEAR(test.ComputePower(oddsRatio, alpha, n), power, 1e-12 * power) << line;
        EXPECT_NEAR(test.actualAlpha, size, 1e-12 * size) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 8);
}

// Where a tail of a few pairs equals alpha (or alpha/2) to the last digit,
// the tail computed afresh decides whether its count rejects, as in the
// conditional test on those pairs alone, never the rounding of the ladders
// that carry the tails from one number of pairs to the next: 1/16 is the
// upper tail of 4 pairs and the lower one of 4, 1/8 twice 1/16.
TEST(McNemarTest, ExactPowerDecidesTiesOfTheTailsAsTheConditionalTest) {
    struct Case {
        bool oneTailed;
        double oddsRatio, pd, alpha, n;
    };
    const Case cases[] = {
        {false, 0.7, 0.25, 0.125, 40.0},
        {true, 1.5, 0.5, 0.0625, 30.0},
        {true, 0.5, 0.5, 0.0625, 30.0},
        {false, 2.0, 0.5, 0.0625, 30.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "one tail " << c.oneTailed << " OR " << c.oddsRatio
                                        << " alpha " << c.alpha);
        // The conditional test on each number of pairs with tails afresh.
        const double p2 = c.oddsRatio / (c.oddsRatio + 1.0);
        const BinomialTails pairs(c.n, c.pd);
        double power = 0.0, size = 0.0;
        for (double k = 1.0; k <= c.n; k += 1.0) {
            const BinomialTails h0(k, 0.5), h1(k, p2);
            double upper = k + 1.0, lower = -1.0;
            if (c.oneTailed && p2 >= 0.5) {
                upper = h0.UpperCount(c.alpha);
            } else if (c.oneTailed) {
                lower = h0.LowerCount(c.alpha);
            } else {
                upper = h0.UpperCount(c.alpha / 2.0);
                lower = h0.LowerCount(c.alpha / 2.0);
                if (lower >= 0.0 && h0.AtMost(lower) >= c.alpha / 2.0) lower -= 1.0;
            }
            power += pairs.Exactly(k) * (h1.AtLeast(upper) + h1.AtMost(lower));
            size += pairs.Exactly(k) * (h0.AtLeast(upper) + h0.AtMost(lower));
        }
        PowerExactMcNemar test;
        test.useApproximation = false;
        test.oneTailed = c.oneTailed;
        test.discordantProportion = c.pd;
        EXPECT_NEAR(test.ComputePower(c.oddsRatio, c.alpha, c.n), power, 1e-13 * power);
        EXPECT_NEAR(test.actualAlpha, size, 1e-13 * size);
    }
}

// The approximation's N must reach the target with the pairs its power
// counts: ceil(d/pd) = 894 pairs for d = 268 would count 269 discordant
// pairs, whose power falls short.
TEST(McNemarTest, ApproximateAPrioriIsTheSmallestNThatReachesTheTarget) {
    PowerExactMcNemar test;
    const auto run = Calculate(test, kAPriori, {{"tails", "One"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(run->Value("N"), 891.0);
    EXPECT_GE(run->Value("actual"), 0.95);
    EXPECT_EQ(test.DiscordantPairs(891.0), 268.0);
    EXPECT_EQ(test.DiscordantPairs(890.0), 267.0);
    EXPECT_LT(test.ComputePower(1.5, 0.05, 890.0), 0.95);
    EXPECT_LT(test.ComputePower(1.5, 0.05, 894.0), 0.95);
}

// The exact A priori answer reaches the target and one pair fewer does not.
TEST(McNemarTest, ExactAPrioriBracketsTheTarget) {
    struct Case {
        Texts texts;
    };
    const Case cases[] = {
        {{{"tails", "One"}, {"power", "0.8"}}},
        // Few pairs: the search steps down from N 2, where a step by the
        // factor 1.2 rounds back up to the same N.
        {{{"tails", "One"}, {"or", "1000"}, {"pd", "0.99"}, {"alpha", "0.3"}, {"power", "0.5"}}},
    };
    for (const Case& c : cases) {
        PowerExactMcNemar test;
        test.useApproximation = false;
        const auto run = Calculate(test, kAPriori, c.texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double n = run->Value("N");
        const double target = test.power;
        EXPECT_GE(test.actualPower, target) << n;
        EXPECT_EQ(test.actualPower, test.ExactPower(test.effectSize, test.alpha, n)) << n;
        if (n > 1.0) {
            EXPECT_LT(test.ExactPower(test.effectSize, test.alpha, n - 1.0), target) << n;
        }
    }
}

// The exact searches start from the approximation's answer and end where
// the exact power meets the target: for the odds ratio, which moves the
// power smoothly, at the root rounded to the digits shown, and for alpha,
// which moves it in steps, at the smallest value shown whose power reaches
// it.
TEST(McNemarTest, ExactSensitivityAndCriterionMeetTheTarget) {
    for (const char* tails : {"One", "Two"}) {
        PowerExactMcNemar test;
        test.useApproximation = false;
        auto run =
            Calculate(test, kSensitivity, {{"tails", tails}, {"power", "0.8"}, {"n", "200"}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double oddsRatio = run->Value("or");
        EXPECT_GT(oddsRatio, 1.0) << tails;
        // The root lies within half a shown unit of the odds ratio shown.
        EXPECT_GE(test.ComputePower(oddsRatio + 0.5e-7, 0.05, 200.0), 0.8) << tails;
        EXPECT_LT(test.ComputePower(oddsRatio - 0.5e-7, 0.05, 200.0), 0.8) << tails;

        run = Calculate(test, kCriterion,
                        {{"tails", tails}, {"or", "2"}, {"power", "0.8"}, {"n", "200"}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double alphaFound = test.alpha;
        EXPECT_GE(test.ExactPower(2.0, alphaFound, 200.0), 0.8) << tails;
        EXPECT_LT(test.ExactPower(2.0, alphaFound - 2e-7, 200.0), 0.8) << tails;
    }
}

// Under H0 the discordant pairs split evenly, so the odds ratios r and 1/r
// are mirror images: the same power, whichever tail they need, also where
// few pairs leave a tail with nothing but its outermost count.
TEST(McNemarTest, OddsRatioAndItsInverseHaveTheSamePower) {
    for (bool oneTailed : {true, false}) {
        for (double n : {7.0, 20.0, 100.0}) {
            PowerExactMcNemar test;
            test.oneTailed = oneTailed;
            const double up = test.ExactPower(2.5, 0.05, n);
            const double upAlpha = test.actualAlpha;
            const double down = test.ExactPower(1.0 / 2.5, 0.05, n);
            EXPECT_NEAR(up, down, 1e-14) << oneTailed << " " << n;
            EXPECT_NEAR(upAlpha, test.actualAlpha, 1e-14) << oneTailed << " " << n;
        }
    }
}

// An odds ratio of 1 leaves the power at the actual alpha: A priori has no
// sample size to find and refuses the odds ratio on its row, and the
// searches that cannot reach their target end, and say so. (The exact
// Criterion search looks for alpha below the power asked for, where none
// reaches it.)
TEST(McNemarTest, NoEffectEndsEverySearch) {
    for (bool approximate : {true, false}) {
        PowerExactMcNemar test;
        test.useApproximation = approximate;
        const auto apriori = Calculate(test, kAPriori, {{"or", "1"}});
        int oddsRatioRow = -1;
        apriori->inputs.FindWithIndex(LabelOf("or"), &oddsRatioRow);
        EXPECT_EQ(apriori->status, oddsRatioRow) << approximate;
        EXPECT_EQ(
            apriori->message,
            "In an a priori analysis, the odds ratio\nmust differ from 1 by more than 1e-06.");
        if (!approximate) {
            // The power is the actual alpha: Criterion finds an alpha of at
            // least the target, not one below it.
            const auto criterion = Calculate(test, kCriterion, {{"or", "1"}, {"power", "0.8"}});
            ASSERT_EQ(criterion->status, kCalculateDone) << criterion->message;
            EXPECT_GE(criterion->Value("alpha"), 0.8);
            EXPECT_GE(criterion->Value("actual"), 0.8);
        }
        // With no effect the power is the actual alpha.
        const auto run = Calculate(test, kPostHoc, {{"or", "1"}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        EXPECT_NEAR(run->Value("power"), run->Value("actualalpha"), 1e-15);
    }
}

// Compromise keeps every trial alpha below 1 and always answers with a
// ratio: here a small effect with q = 0.01 drives alpha up to its bound.
TEST(McNemarTest, ExactCompromiseAnswersWithARatioBelowAlphaOne) {
    for (double q : {0.01, 1.0, 100.0}) {
        PowerExactMcNemar test;
        test.useApproximation = false;
        const auto run =
            Calculate(test, kCompromise, {{"or", "1.1"}, {"q", std::to_string(q)}, {"n", "50"}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double alphaShown = run->Value("alpha");
        EXPECT_GT(alphaShown, 0.0) << q;
        EXPECT_LT(alphaShown, 1.0) << q;
        // The ratio shown is the one attained, with beta summed over the
        // acceptance regions, which is 1 - power to rounding.
        EXPECT_DOUBLE_EQ(test.actualRatio, test.GetBeta() / test.actualAlpha) << q;
        EXPECT_NEAR(test.GetBeta(), 1.0 - test.power, 1e-14) << q;
    }
}

TEST(McNemarTest, ExactLimitChoosesTheApproximationAndItsLists) {
    const std::vector<std::string> approximate = {
        "Lower critical N", "Upper critical N", "Power (1-$\\beta$ err prob)",
        "Actual $\\alpha$", "Proportion p12",   "Proportion p21"};
    for (const char* n : {"50", "51"}) {
        PowerExactMcNemar test;
        test.useApproximation = false;
        test.exactLimit = 50.0;
        test.oneTailed = true;
        const auto run = Calculate(test, kPostHoc, {{"tails", "One"}, {"n", n}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const bool above = std::string(n) == "51";
        EXPECT_EQ(test.GetMethodText(), above ? "approximation" : "") << n;
        EXPECT_EQ(calc_test::Names(run->outputs).size(), above ? 6u : 4u) << n;
        if (above) {
            EXPECT_EQ(calc_test::Names(run->outputs), approximate);
        }
        EXPECT_EQ(test.HasDistributionPlot(), above) << n;
        PowerExactMcNemar approximation;
        const double expected = approximation.ComputePower(1.5, 0.05, std::stod(n));
        EXPECT_EQ(test.power == expected, above) << n;
    }
    // The window builds the list before it calculates and fills it after:
    // the list shown is the one of the method the calculation used.
    PowerExactMcNemar test;
    test.useApproximation = false;
    PropertyList shown;
    test.BuildOutputList(kPostHoc, &shown);
    EXPECT_EQ(shown.size(), 4u);
    test.exactLimit = 50.0;
    test.power = test.ComputePower(1.5, 0.05, 100.0);
    test.GetOutputs(kPostHoc, &shown);
    EXPECT_EQ(calc_test::Names(shown), approximate);
    EXPECT_NE(shown.Find("Lower critical N")->text, "?");

    test.oneTailed = false;
    EXPECT_EQ(test.GetMethodText(), "$\\alpha$ balancing: $\\alpha$/2 on each side, approximation");
}

TEST(McNemarTest, ListsFollowTheOption) {
    struct Case {
        AnalysisType type;
        bool approximate;
        std::vector<std::string> inputs;
        std::vector<std::string> outputs;
    };
    const std::vector<std::string> p = {"p12", "p21"};
    const Case cases[] = {
        {kAPriori,
         true,
         {"or", "alpha", "power"},
         {"lower", "upper", "N", "actual", "actualalpha", "p12", "p21"}},
        {kAPriori, false, {"or", "alpha", "power"}, {"N", "actual", "actualalpha", "p12", "p21"}},
        {kCompromise,
         true,
         {"or", "q", "n"},
         {"lower", "upper", "alpha", "beta", "power", "actualratio"}},
        {kCompromise,
         false,
         {"or", "q", "n"},
         {"alpha", "actualalpha", "beta", "power", "actualratio", "p12", "p21"}},
        {kCriterion, false, {"or", "power", "n"}, {"alpha", "actual", "p12", "p21"}},
        {kPostHoc, false, {"or", "alpha", "n"}, {"power", "actualalpha", "p12", "p21"}},
        {kSensitivity,
         true,
         {"alpha", "power", "n"},
         {"lower", "upper", "or", "actualalpha", "p12", "p21"}},
    };
    for (const Case& c : cases) {
        PowerExactMcNemar test;
        test.useApproximation = c.approximate;
        std::vector<std::string> inputs = {"Tail(s)"}, outputs;
        for (const std::string& key : c.inputs) inputs.push_back(LabelOf(key));
        inputs.push_back(LabelOf("pd"));
        for (const std::string& key : c.outputs) outputs.push_back(LabelOf(key));
        calc_test::ExpectListLabels(test, c.type, inputs, outputs);
    }
    PowerExactMcNemar test;
    calc_test::ExpectEffectInput(test, kPostHoc, "Odds ratio", 604, "");
}

TEST(McNemarTest, RefusedInputsNameTheirRow) {
    using Case = exact_test::Refusal;
    const Case cases[] = {
        {kPostHoc,
         {{"pd", "0"}},
         "pd",
         "Prop discordant pairs is outside the admissible range (1e-06, 1-1e-06)."},
        {kAPriori,
         {{"or", "0"}},
         "or",
         "Effect size (odds ratio) falls outside\nthe admissible range (1e-06, 1e+06)."},
        {kPostHoc,
         {{"n", "0"}, {"or", "0"}},
         "n",
         "Sample size must be greater than or equal to 1."},
    };
    kForm.ExpectRefusals(cases);
}

// The standard values: p12 0.18, p21 0.12, and the approximation's plot of
// Bin(30, 0.5) against Bin(30, 0.6), split at the critical count 20.
TEST(McNemarTest, StandardValuesAndThePlotOfTheApproximation) {
    PowerExactMcNemar test;
    EXPECT_DOUBLE_EQ(test.proportionP12, 0.18);
    EXPECT_DOUBLE_EQ(test.proportionP21, 0.12);
    EXPECT_DOUBLE_EQ(test.proportion2, 0.6);
    const auto run = Calculate(test, kPostHoc, {{"tails", "One"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_EQ(plot.criticalValue, 20.0);
    EXPECT_EQ(test.distribution->GetParam(0), 30.0);
    EXPECT_FALSE(plot.centralCurve.empty());

    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    auto* copy = dynamic_cast<PowerExactMcNemar*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->strictCriticalRegion);
    EXPECT_TRUE(copy->useApproximation);
    EXPECT_EQ(copy->exactLimit, 1000000.0);
    EXPECT_EQ(copy->discordantProportion, 0.3);
    calc_test::ExpectSameDistributionPlot(test, *copy, 20);
}

}  // namespace
