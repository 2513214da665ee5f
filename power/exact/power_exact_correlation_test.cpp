// The exact tests of one correlation (bivariate normal model) and of R^2
// (random-model multiple regression).

#include "power/exact/power_exact_correlation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "analysis/property.h"
#include "distributions/mrc.h"
#include "numerics/quorix_error.h"
#include "power/exact/exact_reference_fixture.h"
#include "power/exact/exact_search.h"

namespace {

using calc_test::Texts;
using exact_test::Run;

constexpr const char* kTable = "verification/exact_corr/correlation_cases.tsv";

constexpr const char* kLowerR = "Lower critical r";
constexpr const char* kUpperR = "Upper critical r";
constexpr const char* kLowerZ = "Lower critical z";
constexpr const char* kUpperZ = "Upper critical z";

// The rows of one correlation and of R^2; the option "approx" chooses
// Fisher's z. The output list is built before the calculation, as the
// window shows it, since an answer across the exact limit relabels the
// critical values.
const exact_test::Form<PowerAnalysis> kForm(
    {
        {"rho1", "Correlation $\\rho$ H1"},
        {"rho0", "Correlation $\\rho$ H0"},
        {"lowr", kLowerR},
        {"upr", kUpperR},
        {"lowz", kLowerZ},
        {"upz", kUpperZ},
        {"rho1sq", "H1 $\\rho$$^2$"},
        {"rho0sq", "H0 $\\rho$$^2$"},
        {"lowr2", "Lower critical R$^2$"},
        {"upr2", "Upper critical R$^2$"},
    },
    {{"approx", &PowerExactOneCorr::useApproximation}}, true);

std::unique_ptr<Run> Calculate(PowerAnalysis& test, AnalysisType type, const Texts& texts) {
    return kForm.Calculate(test, type, texts);
}

template <class Test>
void ExpectTable(int testId, size_t minimumRows, const char* table = kTable) {
    kForm.ExpectReferenceTable<Test>(table, testId, minimumRows);
}

// Criterion and Compromise where alpha or beta lies far below 1e-10
// (verification/exact_corr_tails, mpmath at 30 digits): the rows of one
// test and analysis type, each on a fresh test; a row marked "none" has no
// alpha down to 1e-99 and must fail, never show a made-up alpha.
constexpr const char* kTailTable = "verification/exact_corr_tails/corr_tails_reference.tsv";

template <class Test>
void ExpectTailRows(int testId, AnalysisType type, bool solvable, size_t minimumRows) {
    size_t rows = 0;
    for (const calc_test::ReferenceCase& c : calc_test::ReadReferenceCases(kTailTable, testId)) {
        if (c.type != type || c.noSolution == solvable) continue;
        ++rows;
        Test test;
        if (c.noSolution) {
            EXPECT_THROW(Calculate(test, c.type, c.inputs), QuorixError) << c.line;
            continue;
        }
        const auto run = Calculate(test, c.type, c.inputs);
        ASSERT_EQ(run->status, kCalculateDone) << c.line << "\n" << run->message;
        for (const auto& [key, expected] : c.outputs)
            calc_test::ExpectOutput(run->outputs, kForm.LabelOf(key), expected, c.line);
        // beta is summed over the acceptance region: never below 0, and in
        // Compromise q alpha.
        if (type == kCompromise) {
            EXPECT_NEAR(run->Value("beta") / (std::stod(c.inputs.at("q")) * run->Value("alpha")),
                        1.0, 1e-6)
                << c.line;
        }
    }
    EXPECT_GE(rows, minimumRows) << kTailTable << " missing or short";
}

// ============================================== one correlation (605)

// Exact r by the integrated density and Fisher's z, in all five analyses,
// both tails and H0 values other than 0.
TEST(ExactCorrelationTest, ReproducesTheReferenceTable) {
    ExpectTable<PowerExactOneCorr>(605, 20);
}

TEST(ExactCorrelationTest, InputAndOutputLists) {
    PowerExactOneCorr test;
    const std::vector<std::string> crit = {kLowerR, kUpperR};
    const std::string tails = "Tail(s)", rho1 = "Correlation $\\rho$ H1",
                      rho0 = "Correlation $\\rho$ H0", alpha = "$\\alpha$ err prob",
                      power = "Power (1-$\\beta$ err prob)", n = "Total sample size",
                      q = "$\\beta$/$\\alpha$ ratio", beta = "$\\beta$ err prob";
    using calc_test::Joined;
    calc_test::ExpectListLabels(test, kAPriori, {tails, rho1, alpha, power, rho0},
                                Joined(crit, {n, "Actual power"}));
    calc_test::ExpectListLabels(test, kSensitivity,
                                {tails, "Effect direction", alpha, power, n, rho0},
                                Joined(crit, {rho1}));
    calc_test::ExpectListLabels(test, kPostHoc, {tails, rho1, alpha, n, rho0},
                                Joined(crit, {power}));
    calc_test::ExpectListLabels(test, kCriterion, {tails, rho1, power, n, rho0},
                                Joined(crit, {alpha}));
    calc_test::ExpectListLabels(test, kCompromise, {tails, rho1, q, n, rho0},
                                Joined(crit, {alpha, beta, power}));
    calc_test::ExpectEffectInput(test, kPostHoc, rho1, 605);
}

// N <= 3 is always exact; beyond the exact limit Fisher's z takes over, and
// the critical values, the statistic and the method text say which ran.
TEST(ExactCorrelationTest, MethodFollowsSampleSizeAndOption) {
    struct Case {
        const char* approx;
        const char* n;
        bool z;
    };
    const Case cases[] = {
        {"1", "3", false},     {"1", "4", true},     {"0", "4", false},
        {"0", "10000", false}, {"0", "10001", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("approx ") + c.approx + " N " + c.n);
        PowerExactOneCorr test;
        const auto run =
            Calculate(test, kPostHoc, {{"approx", c.approx}, {"tails", "One"}, {"n", c.n}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        EXPECT_EQ(calc_test::Names(run->outputs),
                  (std::vector<std::string>{c.z ? kLowerZ : kLowerR, c.z ? kUpperZ : kUpperR,
                                            "Power (1-$\\beta$ err prob)"}));
        EXPECT_EQ(test.GetStatisticName(), c.z ? "z" : "r");
        EXPECT_EQ(test.GetMethodText(),
                  c.z ? "large sample approximation (Fisher Z)" : "exact distribution");
        const double power = run->Value("power");
        EXPECT_TRUE(0.0 < power && power <= 1.0) << power;
    }
    // Across the limit the two methods nearly agree.
    PowerExactOneCorr test;
    const double exact = test.ComputePower(0.02, 0.05, 10000.0);
    const double z = test.ComputePower(0.02, 0.05, 10001.0);
    EXPECT_NEAR(exact, z, 2e-3);
    EXPECT_NEAR(exact, 0.6388, 2e-3);
}

// An A priori answer that crosses the exact limit relabels the critical
// values built for the N held before; one that comes back relabels again.
TEST(ExactCorrelationTest, APrioriAcrossTheExactLimitRelabelsTheCriticalValues) {
    PowerExactOneCorr test;
    test.exactLimit = 110.0;
    auto run = Calculate(test, kAPriori, {{"tails", "One"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(run->Value("N"), 116.0);  // above 110: Fisher's z
    EXPECT_EQ(calc_test::Names(run->outputs)[0], kLowerZ);
    EXPECT_NEAR(run->Value("lowz"), 1.6448536, 1e-7);

    run = Calculate(test, kAPriori, {{"tails", "One"}, {"rho1", "0.5"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_LE(run->Value("N"), 110.0);
    EXPECT_EQ(calc_test::Names(run->outputs)[0], kLowerR);
    EXPECT_EQ(calc_test::Names(run->outputs)[1], kUpperR);
}

// The A priori search over whole N from Fisher's z gives the N of the
// general search over real N (which narrows the step of the exact power to
// 1e-10) and the same actual power, on either side of its start, for
// either tail, H0 values other than 0, small and large N, and hands the
// answers near N = 5 and beyond the exact limit back to the general search.
TEST(ExactCorrelationTest, WholeSampleSizeSearchAgreesWithTheGeneralSearch) {
    struct Case {
        bool oneTailed;
        double rho1, rho0, alpha, power;
    };
    const Case cases[] = {
        {false, 0.1, 0.0, 0.05, 0.8},   {true, 0.3, 0.0, 0.05, 0.95},
        {false, -0.25, 0.1, 0.01, 0.9}, {true, 0.5, 0.3, 0.05, 0.8},
        {false, 0.6, -0.2, 0.2, 0.6},   {true, -0.7, -0.2, 0.1, 0.99},
        {false, 0.95, 0.0, 0.05, 0.5},  {true, 0.9, 0.0, 0.3, 0.4},
        {false, 0.03, 0.0, 0.05, 0.95}, {true, 0.021, 0.0, 0.05, 0.95},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "one tail " << c.oneTailed << " rho1 " << c.rho1 << " rho0 " << c.rho0
                     << " alpha " << c.alpha << " power " << c.power);
        PowerExactOneCorr whole, general;
        for (PowerExactOneCorr* t : {&whole, &general}) {
            t->oneTailed = c.oneTailed;
            t->rhoH0 = c.rho0;
        }
        const double n = whole.SolveSampleSize(c.rho1, c.alpha, c.power, true);
        const double expected =
            general.PowerAnalysis::SolveSampleSize(c.rho1, c.alpha, c.power, true);
        EXPECT_EQ(n, expected);
        EXPECT_NEAR(whole.actualPower, general.actualPower, 1e-13);
        EXPECT_GE(whole.actualPower, c.power);
        EXPECT_EQ(whole.sampleSize, n);
    }
}

// Two tails with rho1 below rho0: the lower output is still the smaller.
TEST(ExactCorrelationTest, TwoTailedCriticalValuesAreOrdered) {
    PowerExactOneCorr test;
    const auto run = Calculate(test, kPostHoc,
                               {{"tails", "Two"}, {"rho1", "0.1"}, {"rho0", "0.4"}, {"n", "60"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_LT(run->Value("lowr"), run->Value("upr"));
    EXPECT_LT(test.GetEffectSize(), 0.0);
}

TEST(ExactCorrelationTest, RefusesInadmissibleInputs) {
    const char* twoLines =
        "In a priori calculations the effect size must not be zero.\n"
        "Please choose different values for the population and test correlation";
    using Case = exact_test::Refusal;
    const Case cases[] = {
        {kAPriori, {{"rho1", "0.2"}, {"rho0", "0.2"}}, "rho1", twoLines},
        {kPostHoc,
         {{"rho0", "1.1"}},
         "rho0",
         "Correlation $\\rho$ H0 is outside the admissible range (-1, 1)."},
        // rho0 = +-1 leaves no distribution under H0 (it ended in "Underflow").
        {kAPriori,
         {{"rho1", "1"}, {"rho0", "1"}},
         "rho0",
         "Correlation $\\rho$ H0 is outside the admissible range (-1, 1)."},
        {kPostHoc,
         {{"rho0", "-1"}},
         "rho0",
         "Correlation $\\rho$ H0 is outside the admissible range (-1, 1)."},
        {kAPriori,
         {{"rho1", "1"}},
         "rho1",
         "Effect size r is outside the admissible range (-0.999999, 0.999999)."},
        {kPostHoc,
         {{"n", "2"}},
         "n",
         "Total sample size is outside the admissible range (3, 2147483646)"},
        {kSensitivity,
         {{"alpha", "0.5"}, {"power", "0.4"}},
         "power",
         "Power must be greater than or equal to alpha."},
        {kCompromise,
         {{"q", "200"}},
         "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    kForm.ExpectRefusals<PowerExactOneCorr>(cases);
}

// The check the X-Y plot calls refuses equal correlations in A priori only,
// and says so in its answer as well as in its message.
TEST(ExactCorrelationTest, EffectCheckReturnsTheAPrioriVerdict) {
    PowerExactOneCorr test;
    test.rhoH0 = 0.3;
    EXPECT_FALSE(test.CheckEffectSize(kAPriori, 0.3));
    EXPECT_NE(test.GetMessage().find("must not be zero"), std::string::npos);
    test.ClearMessage();
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 0.3));
    EXPECT_TRUE(test.CheckEffectSize(kAPriori, 0.35));
    EXPECT_EQ(test.GetMessage(), "");
}

// Compromise far below 1e-16, two tails (alpha 5.8e-24) and one, where the
// search stopped near 1e-17 with beta 0, or 0.1-10 % off between 1e-16 and
// 1e-11; and with rho0 near 1, up to 1 - 2^-53, where r lies within 1e-8
// of 1 under H0.
TEST(ExactCorrelationTest, CompromiseFindsAlphaFarBelowTheDoubles) {
    ExpectTailRows<PowerExactOneCorr>(605, kCompromise, true, 4);
}

// Where no alpha down to 1e-99 meets the ratio the calculation fails (it
// showed alpha 7e-15 with a negative beta); beta stays in [0, 1] at every
// alpha, for correlations within 2e-4 of -1 and an H0 value of 1 - 2^-53.
TEST(ExactCorrelationTest, CompromiseWithoutAlphaAboveTheFloorFails) {
    ExpectTailRows<PowerExactOneCorr>(605, kCompromise, false, 2);
    struct Case {
        double rho1, rho0, n;
    };
    const Case cases[] = {{-0.999816, -0.999019, 2818.0},
                          {-0.999816, 1.0 - std::ldexp(1.0, -53), 2818.0},
                          {0.3691, 1.0 - std::ldexp(1.0, -53), 487.0}};
    for (const Case& c : cases) {
        PowerExactOneCorr test;
        test.oneTailed = true;
        test.rhoH0 = c.rho0;
        for (double alpha = 1e-99; alpha < 1.0; alpha *= 1e7) {
            const double beta = test.ComputeBeta(c.rho1, alpha, c.n);
            EXPECT_TRUE(0.0 <= beta && beta <= 1.0)
                << "rho1 " << c.rho1 << " rho0 " << c.rho0 << " alpha " << alpha << ": " << beta;
        }
    }
}

// Criterion below the old floor of 1e-10: alpha 5.6e-20 and 6.8e-13.
TEST(ExactCorrelationTest, CriterionFindsAlphaFarBelowTheDoubles) {
    ExpectTailRows<PowerExactOneCorr>(605, kCriterion, true, 2);
}

// A power that alpha 1e-99 already reaches has its answer below every
// alpha the row shows: the failure says so as the other exact tests do (it
// said "Underflow"), never a made-up alpha (verification/exact_edges/
// below_floor_reference.py: the power at 1e-99 by the exact distribution
// of r in mpmath).
TEST(ExactCorrelationTest, CriterionBelowTheFloorSaysSo) {
    const auto rows =
        calc_test::ReadReferenceCases("verification/exact_edges/below_floor.tsv", 605);
    EXPECT_EQ(rows.size(), 3u);
    for (const calc_test::ReferenceCase& c : rows) {
        PowerExactOneCorr test;
        try {
            Calculate(test, c.type, c.inputs);
            ADD_FAILURE() << c.line << ": no error";
        } catch (const QuorixError& e) {
            EXPECT_STREQ(e.what(), "Exact-Correlation: no alpha >= 1e-99") << c.line;
            EXPECT_EQ(e.GetCode(), QuorixError::kBelowLowerBound) << c.line;
        }
    }
}

// With Fisher's z the curves are drawn on the z scale, and the distribution
// of r is back in place afterwards; a clone keeps the options.
TEST(ExactCorrelationTest, ApproximationPlotAndClone) {
    PowerExactOneCorr test;
    test.useApproximation = true;
    test.exactLimit = 500.0;
    test.ComputePower(0.3, 0.05, 100.0);
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_NEAR(plot.criticalValue, 1.6448536, 1e-6);
    ASSERT_FALSE(plot.noncentralCurve.empty());
    EXPECT_EQ(test.distribution->GetName(), "r");

    std::unique_ptr<PowerAnalysis> copy(test.Clone());
    auto& clone = dynamic_cast<PowerExactOneCorr&>(*copy);
    EXPECT_TRUE(clone.useApproximation);
    EXPECT_EQ(clone.exactLimit, 500.0);
    EXPECT_EQ(clone.ComputePower(0.3, 0.05, 100.0), test.ComputePower(0.3, 0.05, 100.0));
}

// ======================================= R^2, random model (611)

TEST(ExactMultipleCorrelationTest, ReproducesTheReferenceTable) {
    ExpectTable<PowerExactMRC>(611, 9);
}

// A lower critical R^2 near 1e-4 to its seven digits: two tails, rho0²
// 0.07037, alpha 0.00166, N 37, 2 predictors give 0.0001814594
// (verification/small_tails, mpmath at 30 digits).
TEST(ExactMultipleCorrelationTest, SmallCriticalValuesKeepTheirDigits) {
    ExpectTable<PowerExactMRC>(611, 2, "verification/small_tails/r2_reference.tsv");
}

// Criterion with alpha near 1: one tail against a smaller rho², N = p + 2,
// power 1 - 1e-7 puts the critical R² within 1e-13 of 1 (alpha 0.9999999
// at N 3, 1 predictor, rho² 0.01 against 0.07037; verification/small_tails,
// mpmath at 40 digits). A power that no alpha down to 1e-99 gives stays an
// underflow (rho² 0.9 with N 300 needs alpha near 1e-150; with N 100 it
// is found, in the table of small tails).
TEST(ExactMultipleCorrelationTest, CriterionReachesAlphaNearOne) {
    ExpectTable<PowerExactMRC>(611, 2, "verification/small_tails/r2_criterion_reference.tsv");
    PowerExactMRC test;
    try {
        Calculate(test, kCriterion, {{"rho1sq", "0.9"}, {"power", "0.5"}, {"n", "300"}});
        ADD_FAILURE() << "no error";
    } catch (const QuorixError& e) {
        EXPECT_STREQ(e.what(), "Underflow");
    }
}

// Compromise at alpha and beta far below 1e-12, beta summed over the
// acceptance region (verification/small_tails, mpmath): one correlation
// 0.9 against 0 by Fisher's z with N 500 and q 1 needs alpha 8.049025e-61;
// R^2 0.7 against 0 with N 160 and 2 predictors needs alpha 2.624410e-13.
TEST(ExactMultipleCorrelationTest, CompromiseAtSmallAlphaAndBeta) {
    const char table[] = "verification/small_tails/correlation_reference.tsv";
    ExpectTable<PowerExactOneCorr>(605, 2, table);
    ExpectTable<PowerExactMRC>(611, 2, table);
}

// Two tails against rho^2 = 0 at alpha 2.5e-32, where the search on alpha
// itself stopped at 1.6e-32 (beta 2.3 q alpha), and beta is a lower tail
// far below the series' absolute 1e-12.
TEST(ExactMultipleCorrelationTest, CompromiseFindsAlphaFarBelowTheDoubles) {
    ExpectTailRows<PowerExactMRC>(611, kCompromise, true, 1);
}

// Two tails against rho^2 > 0 at alpha 4.1e-8: both critical values are
// tails of 2e-8 under H0, which the series summed to 1e-12 kept to four
// digits only; one tail at alpha far below the old floor of 1e-10; and a
// power that no alpha down to 1e-99 gives.
TEST(ExactMultipleCorrelationTest, CriterionKeepsTheDigitsOfSmallTails) {
    ExpectTailRows<PowerExactMRC>(611, kCriterion, true, 2);
    ExpectTailRows<PowerExactMRC>(611, kCriterion, false, 1);
}

// The rows of a table of Criterion and Compromise answers
// (verification/r2_edges, mpmath at 60 digits), each to the digits shown,
// and each answer typed back: the power at the alpha shown, on a new test,
// gives the critical values shown and the power shown in Compromise; in
// Criterion it reaches the target, where one shown unit lower misses it
// (the root rounded missed it by up to 2.6e-7: one tail, rho^2 0.5158
// against 0, power 0.537, N 5, 3 predictors showed 0.3697635, whose power
// is 0.5369999).
void ExpectAnswersTypedBack(const char* table, size_t minimumRows) {
    ExpectTable<PowerExactMRC>(611, minimumRows, table);
    for (const calc_test::ReferenceCase& c : calc_test::ReadReferenceCases(table, 611)) {
        PowerExactMRC test;
        const auto run = Calculate(test, c.type, c.inputs);
        ASSERT_EQ(run->status, kCalculateDone) << c.line << "\n" << run->message;
        PowerExactMRC again;
        again.oneTailed = c.inputs.at("tails") == "One";
        again.rho2H0 = std::stod(c.inputs.at("rho0sq"));
        again.predictorCount = std::stod(c.inputs.at("predictors"));
        const double power = again.ComputePower(std::stod(c.inputs.at("rho1sq")),
                                                run->Value("alpha"), std::stod(c.inputs.at("n")));
        const double lower = std::min(again.criticalValue, again.criticalValue2);
        const double upper = std::max(again.criticalValue, again.criticalValue2);
        EXPECT_EQ(ShownOutputValue(lower), run->Value("lowr2")) << c.line;
        EXPECT_EQ(ShownOutputValue(upper), run->Value("upr2")) << c.line;
        if (c.type == kCompromise) {
            EXPECT_EQ(ShownOutputValue(power), run->Value("power")) << c.line;
        } else {
            // The smallest alpha shown whose power reaches the target.
            const double target = std::stod(c.inputs.at("power"));
            EXPECT_GE(power, target) << c.line;
            const double below = exact_search::ShownBelow(run->Value("alpha"));
            EXPECT_LT(again.ComputePower(std::stod(c.inputs.at("rho1sq")), below,
                                         std::stod(c.inputs.at("n"))),
                      target)
                << c.line << ": alpha " << below;
        }
    }
}

// Criterion answers whose root, rounded to its digits, misses the target
// (verification/exact_edges/r2_criterion_reference.py, mpmath at 60
// digits): the alpha shown is the smallest that reaches it, one tail and
// two, against rho^2 0 and above and below a positive one.
TEST(ExactMultipleCorrelationTest, CriterionShowsTheSmallestAlphaReaching) {
    ExpectAnswersTypedBack("verification/exact_edges/r2_criterion.tsv", 4);
}

// N = p + 2, where N - k = 1: under rho^2 = 0 the upper tail of R^2 thins
// like the root of 1 - x, and the critical R^2 of an alpha below some 1e-8
// rounds to 1 (Criterion ended in "Underflow", Compromise in an F quantile
// beyond its search bound); one tail and two, and against rho^2 > 0.
TEST(ExactMultipleCorrelationTest, CriterionAndCompromiseAtTheSmallestSampleSize) {
    ExpectAnswersTypedBack("verification/r2_edges/sample_size_edge.tsv", 5);
}

// Alpha far below 1e-16 against rho^2 > 0: the upper tail under H0 at the
// critical value sums terms that peak far beyond the weights' bulk (the
// sum stopped at its end and showed alpha 1.684107e-61 for 2.121171e-61),
// and both critical values show their seven digits.
TEST(ExactMultipleCorrelationTest, AnswersFarBelowTheDoublesAgainstAPositiveNull) {
    ExpectAnswersTypedBack("verification/r2_edges/small_alpha.tsv", 3);
}

// N = 100,000 against rho^2 0.3: answers near the bulk, whose searches
// need no tail far below 1e-6.
TEST(ExactMultipleCorrelationTest, AnswersAtALargeSampleAgainstAPositiveNull) {
    ExpectAnswersTypedBack("verification/r2_edges/large_n.tsv", 2);
}

TEST(ExactMultipleCorrelationTest, InputAndOutputLists) {
    PowerExactMRC test;
    const std::vector<std::string> crit = {"Lower critical R$^2$", "Upper critical R$^2$"};
    const std::string tails = "Tail(s)", rho1 = "H1 $\\rho$$^2$", rho0 = "H0 $\\rho$$^2$",
                      alpha = "$\\alpha$ err prob", power = "Power (1-$\\beta$ err prob)",
                      n = "Total sample size", q = "$\\beta$/$\\alpha$ ratio",
                      beta = "$\\beta$ err prob", p = "Number of predictors";
    using calc_test::Joined;
    calc_test::ExpectListLabels(test, kAPriori, {tails, rho1, rho0, alpha, power, p},
                                Joined(crit, {n, "Actual power"}));
    calc_test::ExpectListLabels(test, kSensitivity,
                                {tails, "Effect direction", rho0, alpha, power, n, p},
                                Joined(crit, {rho1}));
    calc_test::ExpectListLabels(test, kPostHoc, {tails, rho1, rho0, alpha, n, p},
                                Joined(crit, {power}));
    calc_test::ExpectListLabels(test, kCriterion, {tails, rho1, rho0, power, n, p},
                                Joined(crit, {alpha}));
    calc_test::ExpectListLabels(test, kCompromise, {tails, rho1, rho0, q, n, p},
                                Joined(crit, {alpha, beta, power}));
    calc_test::ExpectEffectInput(test, kAPriori, rho1, 611);
}

TEST(ExactMultipleCorrelationTest, RefusesInadmissibleInputs) {
    using Case = exact_test::Refusal;
    const Case cases[] = {
        {kPostHoc, {{"predictors", "0"}}, "predictors", "There must be at least 1 predictor."},
        {kPostHoc,
         {{"rho0sq", "0.999999"}},
         "rho0sq",
         "H0 $\\rho$$^2$ is outside the admissible range (0, 0.999999)."},
        {kPostHoc,
         {{"rho1sq", "0"}},
         "rho1sq",
         "H1 $\\rho$$^2$ is outside the admissible range (1e-06, 0.999999)."},
        {kAPriori,
         {{"rho1sq", "0.2"}, {"rho0sq", "0.2"}},
         "rho1sq",
         "In a priori calculations the effect size must not be zero.\n"
         "Please choose different values for the population and test correlation"},
        {kSensitivity,
         {{"predictors", "5"}, {"n", "6"}},
         "n",
         "Total sample size is outside the admissible range (7, 2147483646)"},
        {kCriterion,
         {{"predictors", "5"}, {"n", "6"}},
         "n",
         "Total sample size is outside the admissible range (7, 2147483646)"},
    };
    kForm.ExpectRefusals<PowerExactMRC>(cases);
    // The edges that pass: rho1^2 = 0.999999, rho0^2 = 0, N = p + 2.
    PowerExactMRC test;
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 0.999999));
    const auto run = Calculate(test, kPostHoc, {{"rho0sq", "0"}, {"predictors", "5"}, {"n", "7"}});
    EXPECT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_TRUE(test.CheckSampleSize(0, 7.0));
    EXPECT_FALSE(test.CheckSampleSize(0, 6.0));
}

// The option changes the method text and the distribution's computation,
// not the lists; the F approximation stays near the exact power, and a
// clone keeps the method.
TEST(ExactMultipleCorrelationTest, MethodOption) {
    PowerExactMRC test;
    const double exact = test.ComputePower(0.3, 0.05, 100.0);
    EXPECT_EQ(test.GetMethodText(), "Exact distribution");
    test.SetMethod(1);
    EXPECT_EQ(test.GetMethodText(), "3-moment F approximation");
    EXPECT_EQ(dynamic_cast<MRCDistribution&>(*test.distribution).GetMethod(), 1);
    test.predictorCount = 3.0;
    test.rho2H0 = 0.1;
    const double approx = test.ComputePower(0.3, 0.05, 100.0);
    EXPECT_NEAR(approx, 0.8698669, 0.01);
    test.rho2H0 = 0.0;
    EXPECT_NE(test.ComputePower(0.3, 0.05, 100.0), exact);

    std::unique_ptr<PowerAnalysis> copy(test.Clone());
    auto& clone = dynamic_cast<PowerExactMRC&>(*copy);
    EXPECT_EQ(clone.GetMethod(), 1);
    EXPECT_EQ(dynamic_cast<MRCDistribution&>(*clone.distribution).GetMethod(), 1);
}

// rho^2 near 1 in every analysis: H1 0.999999 against 0, 0.5 and 0.99999,
// where the weights of the H1 distribution (and of H0's at 0.99999) spread
// over tens of millions of terms; the power used to end in "failed to
// converge" (verification/mrc_extreme, mpmath at 24 digits).
TEST(ExactMultipleCorrelationTest, RhoSquaredNearOneInEveryAnalysis) {
    ExpectTable<PowerExactMRC>(611, 20, "verification/mrc_extreme/analysis_reference.tsv");
}

// Sensitivity downward from H0 finds the rho1^2 whose lower-tail power is
// the target.
TEST(ExactMultipleCorrelationTest, SensitivityBelowTheNullValue) {
    PowerExactMRC test;
    const auto run = Calculate(
        test, kSensitivity,
        {{"dir", "$\\rho$$^2$ H1$\\le$H0"}, {"rho0sq", "0.4"}, {"power", "0.8"}, {"n", "120"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    const double rho1 = run->Value("rho1sq");
    EXPECT_LT(rho1, 0.4);
    EXPECT_NEAR(test.ComputePower(rho1, 0.05, 120.0), 0.8, 1e-7);
}

}  // namespace
