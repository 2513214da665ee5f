// The exact binomial tests: the generic test, one proportion against a
// constant and the sign test.

#include "power/exact/power_exact_binomial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/math/distributions/binomial.hpp>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "distributions/binomial.h"
#include "numerics/quorix_error.h"
#include "power/exact/exact_reference_fixture.h"
#include "power/exact/power_exact_proportion.h"

namespace {

using calc_test::Texts;
using exact_test::Run;

constexpr const char* kTable = "verification/exact_tests/binomial_cases.tsv";

// The rows of the three tests; the option "method" chooses how two tails
// share alpha.
const exact_test::Form<PowerExactBinomial> kForm(
    {
        {"p0", "Constant proportion"},
        {"g", "Effect size g"},
    },
    {{"method", &PowerExactBinomial::alphaBalancing}});

std::string LabelOf(const std::string& key) {
    return kForm.LabelOf(key);
}

std::unique_ptr<PowerExactBinomial> Make(int testId) {
    switch (testId) {
        case 602:
            return std::make_unique<PowerExactBinomialOneProp>();
        case 603:
            return std::make_unique<PowerExactBinomialSign>();
        default:
            return std::make_unique<PowerExactBinomial>();
    }
}

std::unique_ptr<Run> Calculate(PowerExactBinomial& test, AnalysisType type, const Texts& texts) {
    return kForm.Calculate(test, type, texts);
}

// Critical counts, actual alpha and power from enumerated binomial
// probabilities, for every analysis type of the three tests. With p1 1/2,
// balancing 2 meets next counts of equal probability, and the upper region
// takes the tie (N 77 rejected up to 22 and from 56 on where rounding chose).
TEST(ExactBinomialTests, ReproduceTheReferenceTable) {
    size_t rows = 0;
    for (int id : {601, 602, 603}) {
        rows += kForm.ExpectReferenceRows(kTable, id, [id] { return Make(id); });
    }
    EXPECT_GE(rows, 41u) << kTable << " missing or short";
}

// Compromise where the ratio meets q at alpha far below 1e-16, with beta
// summed over the acceptance region (verification/small_tails, mpmath at
// 60 digits, with seeded random cases): the sign test with g 0.2889, q
// 7.28 and N 1135 rejects from 744 on at alpha 3.0022e-26, ratio 4.1434;
// one proportion with beta near 3e-14 shows the ratio 0.2854875.
TEST(ExactBinomialTests, CompromiseAtSmallAlphaAndBeta) {
    const char table[] = "verification/small_tails/binomial_reference.tsv";
    size_t rows = 0;
    for (int id : {601, 602, 603}) {
        rows += kForm.ExpectReferenceRows(table, id, [id] { return Make(id); });
    }
    EXPECT_GE(rows, 8u) << table << " missing or short";
}

// Criterion where the smallest region that reaches the power has a size far
// below 1e-99 (verification/exact_edges, exact fractions): there is no
// alpha to show (it showed 9.9e-197, and 0 where the size underflows).
TEST(ExactBinomialTests, CriterionBelowTheFloorHasNoAlpha) {
    const char table[] = "verification/exact_edges/criterion_floor.tsv";
    EXPECT_EQ(kForm.ExpectReferenceRows(table, 601, [] { return Make(601); }), 1u);
}

// The smooth start skips the two quantiles of most steps of its halving
// where a bracket of the crossing tells their side. It must take the very
// steps of the plain halving over the power continued to real N, which
// turns back where a tail of H0 is clamped at the end of its range (p1
// 0.4133 against 0.1336: 8, where a start from the crossing above gave
// 14): a spread of designs, both tails, small and large N.
TEST(ExactBinomialTests, SmoothStartTakesTheStepsOfThePlainHalving) {
    auto smoothPower = [](double p1, double p2, bool oneTailed, double alpha, double n) {
        BinomialDistribution d(n, p1);
        if (oneTailed) {
            const double s = d.Quantile(p2 > p1 ? 1.0 - alpha : alpha);
            d.SetParam(1, p2);
            return p2 > p1 ? 1.0 - d.Cdf(s) : d.Cdf(s);
        }
        const double upper = d.Quantile(1.0 - alpha / 2.0), lower = d.Quantile(alpha / 2.0);
        d.SetParam(1, p2);
        return 1.0 + d.Cdf(lower) - d.Cdf(upper);
    };
    auto plainStart = [&](double p1, double p2, bool oneTailed, double alpha, double target) {
        double hi = 10001.0;
        while (smoothPower(p1, p2, oneTailed, alpha, hi) < target) hi *= 1.6;
        double lo = 1.0;
        while (hi - lo > 0.001) {
            const double mid = (lo + hi) / 2.0;
            const double p = smoothPower(p1, p2, oneTailed, alpha, mid);
            if (std::fabs(p - target) < 1e-10) break;
            (p < target ? lo : hi) = mid;
        }
        return std::ceil(lo);
    };
    struct Design {
        double p1, p2, alpha, target;
    };
    std::vector<Design> designs = {{0.4133, 0.1336, 0.01764, 0.3117},
                                   {0.1192, 0.02745, 0.0004319, 0.1701},
                                   {0.5, 2.0 / 3.0, 0.05, 0.8},
                                   {0.5, 0.65, 0.05, 0.8}};
    std::mt19937 rng(2718);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 60; ++i) {
        const double p1 = 0.02 + 0.96 * unit(rng), p2 = 0.02 + 0.96 * unit(rng);
        if (std::fabs(p1 - p2) < 0.02) continue;
        designs.push_back({p1, p2, std::pow(10.0, -6.0 * unit(rng)) * 0.3, 0.1 + 0.89 * unit(rng)});
    }
    for (const Design& d : designs) {
        for (const bool oneTailed : {true, false}) {
            PowerExactBinomial test;
            test.proportion1 = d.p1;
            test.proportion2 = d.p2;
            test.oneTailed = oneTailed;
            EXPECT_EQ(test.StartSampleSize(d.alpha, d.target),
                      plainStart(d.p1, d.p2, oneTailed, d.alpha, d.target))
                << d.p1 << " " << d.p2 << " alpha " << d.alpha << " target " << d.target
                << (oneTailed ? " one" : " two");
        }
    }
}

// One tail, p1 0.5 against p2 0.8, alpha 0.05, power 0.95: the smooth start
// is N 26; 26 and 27 miss the power, 28 is the answer although 29 and 30
// reach it too.
TEST(ExactBinomialTests, APrioriStepsFromTheSmoothStartToTheFirstNThatMeetsTheTarget) {
    PowerExactBinomial test;
    const auto run = Calculate(
        test, kAPriori,
        {{"tails", "One"}, {"p2", "0.8"}, {"alpha", "0.05"}, {"power", "0.95"}, {"p1", "0.5"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(test.StartSampleSize(0.05, 0.95), 26.0);
    EXPECT_EQ(run->Value("N"), 28.0);
    EXPECT_EQ(test.power, 0.95);  // the target stays the power shown as input
    EXPECT_LT(test.ComputePower(0.8, 0.05, 27.0), 0.95);

    // Far beyond any N shown the power of this effect is 1; with no effect
    // it stays at the actual alpha.
    const double effect = 0.8, none = 0.5;
    EXPECT_FALSE(test.IsTargetPowerUnreachable(&effect, 0.05, 0.95));
    EXPECT_TRUE(test.IsTargetPowerUnreachable(&none, 0.05, 0.95));
}

// The size of the reported region, counted independently: what "Actual
// alpha" shows belongs to the counts shown, and no balancing rule goes
// above alpha where every count lies inside 0..N.
TEST(ExactBinomialTests, TwoSidedCountsKeepAlphaAndMatchTheirActualAlpha) {
    for (int method : {0, 1, 2}) {
        for (double p1 : {0.3, 0.5, 0.65}) {
            for (double n = 20.0; n <= 200.0; n += 7.0) {
                PowerExactBinomial test;
                test.alphaBalancing = method;
                test.oneTailed = false;
                test.proportion1 = p1;
                const double powerValue = test.ComputePower(p1 + 0.1, 0.05, n);
                const double lower = std::min(test.criticalValue, test.criticalValue2);
                const double upper = std::max(test.criticalValue, test.criticalValue2);
                const std::string where = "method " + std::to_string(method) + " p1 " +
                                          std::to_string(p1) + " N " + std::to_string(n);
                boost::math::binomial_distribution<double> h0(n, p1), h1(n, p1 + 0.1);
                const double size = boost::math::cdf(h0, lower) +
                                    boost::math::cdf(boost::math::complement(h0, upper - 1.0));
                EXPECT_NEAR(test.actualAlpha, size, 1e-14) << where;
                EXPECT_LE(test.actualAlpha, 0.05) << where;
                EXPECT_NEAR(powerValue,
                            boost::math::cdf(h1, lower) +
                                boost::math::cdf(boost::math::complement(h1, upper - 1.0)),
                            1e-13)
                    << where;
                if (method == 2) {
                    // Growing the alpha/2 regions never lowers alpha.
                    PowerExactBinomial half;
                    half.oneTailed = false;
                    half.proportion1 = p1;
                    half.ComputePower(p1 + 0.1, 0.05, n);
                    EXPECT_GE(test.actualAlpha, half.actualAlpha) << where;
                }
            }
        }
    }
}

// Balancing 2 at an alpha far below those the input accepts, as McNemar's
// exact power meets it for each number of pairs: the computed masses of a
// tie differ there by more than a tail's round-off, and the tie still goes
// to the upper region (N 633 rejected up to 126 and from 508 on).
TEST(ExactBinomialTests, BalancingTwoGivesTiesToTheUpperRegionAtTinyAlpha) {
    const auto rows =
        calc_test::ReadReferenceCases("verification/exact_tests/binomial_tiny_alpha.tsv", 601);
    ASSERT_FALSE(rows.empty());
    for (const calc_test::ReferenceCase& c : rows) {
        PowerExactBinomial test;
        test.oneTailed = false;
        test.alphaBalancing = std::stoi(c.inputs.at("method"));
        test.proportion1 = std::stod(c.inputs.at("p1"));
        const double powerValue =
            test.ComputePower(std::stod(c.inputs.at("p2")), std::stod(c.inputs.at("alpha")),
                              std::stod(c.inputs.at("n")));
        const std::map<std::string, double> shown = {
            {"lower", std::min(test.criticalValue, test.criticalValue2)},
            {"upper", std::max(test.criticalValue, test.criticalValue2)},
            {"power", powerValue},
            {"actualalpha", test.actualAlpha}};
        for (const auto& [key, expected] : c.outputs) {
            EXPECT_NEAR(shown.at(key), expected, std::abs(expected) * 1e-10)
                << c.line << ": " << key;
        }
    }
}

// Sensitivity shows the root of the power in p2 rounded to its digits
// (mpmath: sign test, 515 pairs, one tail from 312: g 0.10374945026; one
// proportion, N 2, both successes: g = sqrt(0.8949) - 0.3949 =
// 0.55109154330), where a bracket of 1e-8 had shown the neighbouring digit;
// where the regions' size alone reaches the target (actual alpha 0.5 of two
// pairs against power 0.2733) no effect is needed and none is shown.
TEST(ExactBinomialTests, SensitivityShowsTheRootRounded) {
    struct Case {
        int id;
        Texts inputs;
        double shown;
    };
    const Case cases[] = {
        {603,
         {{"tails", "One"}, {"alpha", "1.348e-06"}, {"power", "0.4808"}, {"n", "515"}},
         0.1037495},
        {602,
         {{"tails", "One"}, {"alpha", "0.1685"}, {"power", "0.8949"}, {"n", "2"}, {"p0", "0.3949"}},
         0.5510915},
        {603, {{"tails", "Two"}, {"alpha", "0.0001988"}, {"power", "0.2733"}, {"n", "2"}}, 0.0},
    };
    for (const Case& c : cases) {
        auto test = Make(c.id);
        test->alphaBalancing = 2;
        test->strictCriticalRegion = false;
        const auto run = Calculate(*test, kSensitivity, c.inputs);
        ASSERT_EQ(run->status, kCalculateDone) << c.id << " " << run->message;
        EXPECT_DOUBLE_EQ(run->Value("g"), c.shown) << c.id;
    }
}

// A tail that holds alpha exactly is a region of size alpha, although the
// incomplete beta ratio gives P(X >= 6 | 7, 1/2) an ulp above 8/128 = 1/16.
// Two tails take at most alpha/2 above and less than alpha/2 below, so the
// lower tail of 1/16 stays out at alpha 1/8.
TEST(ExactBinomialTests, TailsThatHoldAlphaExactlyAreRegionsOfSizeAlpha) {
    const struct {
        bool oneTailed;
        double n, p2, alpha, lower, upper, size;
    } cases[] = {
        {true, 7.0, 0.8, 1.0 / 16.0, 6.0, 6.0, 8.0 / 128.0},
        {true, 7.0, 0.2, 1.0 / 16.0, 1.0, 1.0, 8.0 / 128.0},
        {false, 7.0, 0.8, 1.0 / 8.0, 0.0, 6.0, 9.0 / 128.0},
        {true, 10.0, 0.8, 11.0 / 1024.0, 9.0, 9.0, 11.0 / 1024.0},
    };
    for (const auto& c : cases) {
        PowerExactBinomial test;
        test.oneTailed = c.oneTailed;
        test.proportion1 = 0.5;
        test.ComputePower(c.p2, c.alpha, c.n);
        EXPECT_EQ(std::min(test.criticalValue, test.criticalValue2), c.lower) << c.alpha;
        EXPECT_EQ(std::max(test.criticalValue, test.criticalValue2), c.upper) << c.alpha;
        EXPECT_NEAR(test.actualAlpha, c.size, 1e-15) << c.alpha;
    }
    EXPECT_EQ(BinomialTails(7.0, 0.5).UpperCount(1.0 / 16.0), 6.0);
    EXPECT_EQ(BinomialTails(7.0, 0.5).LowerCount(1.0 / 16.0), 1.0);
}

TEST(ExactBinomialTests, MethodTextNamesTheBalancingOfATwoTailedTest) {
    const std::string texts[] = {
        "$\\alpha$ balancing: $\\alpha$/2 on each side",
        "$\\alpha$ balancing: ($\\alpha$2 = $\\alpha$/2, $\\alpha$1 = $\\alpha$-$\\alpha$2)",
        "$\\alpha$ balancing: increase from $\\alpha$/2 until $\\alpha$ - ($\\alpha$1 + "
        "$\\alpha$2) = min",
        "",
    };
    for (int method = 0; method < 4; ++method) {
        PowerExactBinomialSign test;
        test.alphaBalancing = method;
        test.oneTailed = true;
        EXPECT_EQ(test.GetMethodText(), "") << method;
        test.oneTailed = false;
        EXPECT_EQ(test.GetMethodText(), texts[method]) << method;
    }
}

// A target that cannot be met is a failure, never the last value tried.
TEST(ExactBinomialTests, UnreachableTargetsAreFailures) {
    struct Case {
        int testId;
        AnalysisType type;
        Texts texts;
    };
    const Case cases[] = {
        // An effect too small for any N the field can show.
        {602, kAPriori, {{"g", "0.000002"}, {"power", "0.9999999"}, {"p0", "0.5"}}},
        // Two tails about a constant of 0: the lower count, clamped to 0,
        // rejects every sample, so the actual alpha stays at 1.
        {602, kAPriori, {{"tails", "Two"}, {"g", "0.2"}, {"p0", "0"}}},
        // Three trials: P(X = 3) = 1/8 exceeds alpha, no region fits.
        {603, kSensitivity, {{"n", "3"}}},
    };
    for (const Case& c : cases) {
        auto test = Make(c.testId);
        const double n = test->sampleSize, effect = test->effectSize;
        EXPECT_THROW(Calculate(*test, c.type, c.texts), QuorixError)
            << calc_test::Describe(c.type, c.texts);
        // What the window showed before stays.
        if (c.type == kAPriori) {
            EXPECT_EQ(test->sampleSize, n);
        } else {
            EXPECT_EQ(test->effectSize, effect);
        }
    }
}

TEST(ExactBinomialTests, RefusedInputsNameTheirRow) {
    struct Case {
        int testId;
        AnalysisType type;
        Texts texts;
        const char* row;  // key of the row at fault; nullptr: accepted
        const char* message;
    };
    const char* p2Range = "Proportion p2 is outside the admissible range (1e-06, 1-1e-06).";
    const char* noEffect =
        "In an a priori analysis, the proportions p1 and p2\nmust differ by more than 1e-06.";
    const char* noAlpha =
        "A constant proportion of 0 or 1 leaves no error probability to choose:\n$\\alpha$ is 0 "
        "at every critical value. Please use a proportion in (0, 1).";
    const Case cases[] = {
        {601,
         kPostHoc,
         {{"p1", "0"}},
         "p1",
         "Proportion p1 is outside the admissible range (1e-06, 1-1e-06)."},
        {601, kAPriori, {{"p2", "1"}}, "p2", p2Range},
        // No effect: the power stays at the actual alpha whatever N, so
        // there is no sample size to find.
        {601, kAPriori, {{"p2", "0.5"}, {"p1", "0.5"}}, "p2", noEffect},
        {601, kAPriori, {{"tails", "Two"}, {"p2", "0.3"}, {"p1", "0.3"}}, "p2", noEffect},
        {601, kCriterion, {{"p2", "0.9999995"}}, "p2", p2Range},
        {601,
         kPostHoc,
         {{"n", "0"}, {"p2", "2"}},
         "n",
         "Sample size must be greater than or equal to 1."},
        {601,
         kSensitivity,
         {{"alpha", "0.5"}, {"power", "0.4"}},
         "power",
         "Power must be greater than or equal to alpha."},
        {601,
         kCompromise,
         {{"q", "101"}},
         "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
        {602,
         kPostHoc,
         {{"p0", "1.5"}},
         "p0",
         "Constant proportion is outside the admissible range (0, 1-0)."},
        {602, kPostHoc, {{"p0", "0"}, {"g", "0.2"}}, nullptr, ""},
        {602, kAPriori, {{"p0", "1"}, {"g", "-0.3"}}, nullptr, ""},
        // At 0 or 1 alpha is 0 at every critical value: there is no alpha to
        // find (these ended in alpha 0 or the generic message).
        {602, kCriterion, {{"p0", "0"}}, "p0", noAlpha},
        {602, kCompromise, {{"p0", "1"}, {"g", "-0.3"}}, "p0", noAlpha},
        {602, kCriterion, {{"p0", "1"}, {"g", "-0.3"}}, "p0", noAlpha},
        {602, kSensitivity, {{"p0", "0"}}, nullptr, ""},
        // Sensitivity searches p2 above the constant: at 1, or a rounding
        // below it, there is none left (these failed with "no effect size
        // found", or showed g = -5e-10 with two tails).
        {602, kSensitivity, {{"p0", "1"}}, "p0", noAlpha},
        {602, kSensitivity, {{"p0", "0.99999999999999989"}, {"tails", "Two"}}, "p0", noAlpha},
        {602, kAPriori, {{"g", "0"}}, "g", "Effect size g must be greater 1e-06."},
        {602,
         kPostHoc,
         {{"p0", "0.8"}, {"g", "0.2"}},
         "g",
         "Effect size specification (0.2) leads to a proportion p1 = 1\n"
         "that falls outside the admissible range (1e-06, 1-1e-06)."},
        {603, kPostHoc, {{"g", "-0.499999"}}, nullptr, ""},
        {603, kAPriori, {{"g", "0.0000005"}}, "g", "Effect size g must be greater 1e-06."},
        {603,
         kPostHoc,
         {{"g", "0.5"}, {"n", "0"}},
         "g",
         "Effect size g is outside the admissible range (-0.499999, 0.499999)."},
        {603,
         kCriterion,
         {{"g", "-0.2"}, {"power", "1"}},
         "power",
         "Power is outside the admissible range (1e-07, 1)."},
    };
    for (const Case& c : cases) {
        auto test = Make(c.testId);
        test->criticalValue = -7.0;
        const auto run = Calculate(*test, c.type, c.texts);
        const std::string where =
            std::to_string(c.testId) + " " + calc_test::Describe(c.type, c.texts);
        if (c.row == nullptr) {
            EXPECT_EQ(run->status, kCalculateDone) << where << ": " << run->message;
            continue;
        }
        EXPECT_EQ(run->status, run->Row(c.row)) << where;
        EXPECT_GE(run->status, 0) << where;
        EXPECT_EQ(run->message, c.message) << where;
        EXPECT_EQ(test->criticalValue, -7.0) << where;
    }
}

TEST(ExactBinomialTests, ListsFollowTheAnalysisTypeAndTheTest) {
    const std::vector<std::string> counts = {"Lower critical N", "Upper critical N"};
    struct Case {
        AnalysisType type;
        std::vector<std::string> inputs;  // after "Tail(s)", without the H0 proportion
        std::vector<std::string> outputs;
    };
    const Case cases[] = {
        {kAPriori, {"effect", "alpha", "power"}, {"N", "actual", "actualalpha"}},
        {kCompromise, {"effect", "q", "n"}, {"alpha", "beta", "power", "actualratio"}},
        {kCriterion, {"effect", "power", "n"}, {"alpha", "actual"}},
        {kPostHoc, {"effect", "alpha", "n"}, {"power", "actualalpha"}},
        {kSensitivity, {"alpha", "power", "n"}, {"actualalpha", "effect"}},
    };
    for (int id : {601, 602, 603}) {
        auto test = Make(id);
        const std::string effect = id == 601 ? "p2" : "g";
        for (const Case& c : cases) {
            std::vector<std::string> inputs = {"Tail(s)"}, outputs = counts;
            for (const std::string& key : c.inputs)
                inputs.push_back(LabelOf(key == "effect" ? effect : key));
            if (id == 601) inputs.push_back(LabelOf("p1"));
            if (id == 602) inputs.push_back(LabelOf("p0"));
            for (const std::string& key : c.outputs)
                outputs.push_back(LabelOf(key == "effect" ? effect : key));
            calc_test::ExpectListLabels(*test, c.type, inputs, outputs);
        }
        if (id != 601) calc_test::ExpectEffectInput(*test, kPostHoc, "Effect size g", id, "");
    }
}

// A negative g is a lower-tailed test: the plot takes the lower-tail
// layout, split half a count below the critical count... and a two-tailed
// plot draws the second count.
TEST(ExactBinomialTests, DistributionPlotIsDiscreteAndShowsBothCountsOfTwoTails) {
    PowerExactBinomialSign test;
    auto run = Calculate(test, kPostHoc, {{"tails", "Two"}, {"g", "0.25"}, {"n", "25"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_FALSE(plot.continuous);
    EXPECT_EQ(plot.side, 1);
    EXPECT_EQ(plot.criticalValue, 18.0);
    EXPECT_EQ(plot.criticalValue2, 7.0);
    EXPECT_EQ(plot.statisticName, "N");
    ASSERT_FALSE(plot.alphaArea2.empty());
    EXPECT_EQ(plot.alphaArea2.front().x, 7.5);

    run = Calculate(test, kPostHoc, {{"tails", "One"}, {"g", "-0.2"}, {"n", "40"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    test.MakeDistributionPlot(&plot);
    EXPECT_EQ(plot.side, -1);
    EXPECT_EQ(plot.criticalValue, run->Value("lower"));
    ASSERT_FALSE(plot.centralCurve.empty());
    // H0 is Bin(40, 0.5): its largest probability at 20.
    double peak = 0.0;
    for (const PlotPoint& p : plot.centralCurve) peak = std::max(peak, p.y);
    EXPECT_NEAR(peak, boost::math::pdf(boost::math::binomial_distribution<double>(40, 0.5), 20.0),
                1e-12);
}

TEST(ExactBinomialTests, CloneCarriesOptionsStateAndDistribution) {
    PowerExactBinomialOneProp test;
    test.alphaBalancing = 2;
    auto run =
        Calculate(test, kPostHoc, {{"tails", "Two"}, {"g", "-0.1"}, {"n", "150"}, {"p0", "0.2"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    auto* copy = dynamic_cast<PowerExactBinomialOneProp*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->alphaBalancing, 2);
    EXPECT_FALSE(copy->strictCriticalRegion);
    EXPECT_EQ(copy->proportion1, 0.2);
    EXPECT_EQ(copy->power, test.power);
    EXPECT_EQ(copy->GetMethodText(), test.GetMethodText());
    EXPECT_NE(copy->distribution, test.distribution);
    calc_test::ExpectSameDistributionPlot(test, *copy, 20);
    PropertyList inputs;
    copy->BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find("Constant proportion")->text, "0.2");
}

}  // namespace
