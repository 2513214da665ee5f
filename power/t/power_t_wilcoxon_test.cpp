// The Wilcoxon tests: the parent codes and the conversions between a shift
// and its moments, the lists of each method, the input checks, and the
// options that change what the inputs mean. The numbers of every analysis
// type are checked against the reference table in
// power_t_wilcoxon_reference_test.cpp.

#include "power/t/power_t_wilcoxon.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "power/t/wilcoxon_moments.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

enum { kLaplace = 2, kNormal = 3, kLogistic = 4 };

double Phi(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

TEST(WilcoxonMoments, ParentCodesAndOptions) {
    // Only the A.R.E. method knows the minimal efficiency.
    EXPECT_EQ(WilcoxParentCode(1, 3), 5);
    EXPECT_EQ(WilcoxParentCode(2, 3), 0);
    EXPECT_EQ(WilcoxParentIndex(1, 5), 3);
    EXPECT_EQ(WilcoxParentIndex(3, 5), 0);
    for (int option = 0; option < 3; ++option) {
        EXPECT_EQ(WilcoxParentIndex(2, WilcoxParentCode(2, option)), option);
    }
}

TEST(WilcoxonMoments, ShiftsAndP1RoundTrip) {
    for (int samples : {1, 2}) {
        for (int code : {kLaplace, kNormal, kLogistic}) {
            SCOPED_TRACE(std::to_string(samples) + " sample(s), parent " + std::to_string(code));
            EXPECT_EQ(WilcoxP1FromDelta(0.0, samples, code), 0.5);
            EXPECT_NEAR(wilcox_p1_to_delta(0.5, samples, code), 0.0, 1e-8);
            for (double delta : {0.01, 0.3, 1.0, 2.5}) {
                const double p1 = WilcoxP1FromDelta(delta, samples, code);
                EXPECT_GT(p1, 0.5);
                EXPECT_NEAR(wilcox_p1_to_delta(p1, samples, code), delta, 1e-7 * (1.0 + delta));
            }
        }
    }
    EXPECT_DOUBLE_EQ(WilcoxP1FromDelta(1.0, 1, kNormal), Phi(1.0));
    EXPECT_DOUBLE_EQ(WilcoxP1FromDelta(1.0, 2, kNormal), Phi(1.0 / std::sqrt(2.0)));
    EXPECT_EQ(WilcoxEffectToDelta(0.7, 3, 1, kNormal), 0.7);
}

// The logistic probabilities at small shifts, where their closed forms
// lose digits; reference values from mpmath at 40 digits.
TEST(WilcoxonMoments, LogisticProbabilitiesKeepTheirDigitsNearZero) {
    struct Row {
        double v, pair, triple;
    };
    const Row rows[] = {
        {1e-4, 0.50001666666666111111, 0.33335000016666111101},
        {0.01, 0.50166666111113095231, 0.33500166110121036369},
        {0.049, 0.50816601311715330224, 0.34153935739874542902},
        {0.051, 0.5084992631184514563, 0.34187593974109041803},
        {0.24, 0.53992335768578393191, 0.37421340841726783232},
        {0.26, 0.54323592410040299531, 0.37769140487085734662},
        {0.5, 0.58264503802041640171, 0.42008375015983398942},
        {3.0, 0.88697267998507666223, 0.8144967661519653117},
    };
    for (const Row& r : rows) {
        EXPECT_NEAR(WilcoxPairSumProbability(r.v, kLogistic), r.pair, 1e-14) << r.v;
        // The two-group triple probability takes the shift as it is.
        EXPECT_NEAR(WilcoxTripleProbability(r.v, 2, kLogistic), r.triple, 1e-13) << r.v;
    }
    EXPECT_EQ(WilcoxTripleProbability(0.0, 1, kLogistic), 1.0 / 3.0);
    EXPECT_NEAR(WilcoxTripleProbability(0.0, 1, kNormal), 1.0 / 3.0, 1e-7);
}

TEST(WilcoxonMoments, ContinuityCorrectionWidensTheNullRegionByOne) {
    double lower, upper, mean, var, lowerCC, upperCC;
    WilcoxSignedRankNullMoments(0.025, 30.0, &lower, &upper, &mean, &var, false);
    WilcoxSignedRankNullMoments(0.025, 30.0, &lowerCC, &upperCC, &mean, &var, true);
    EXPECT_EQ(mean, 30.0 * 31.0 / 4.0);
    EXPECT_EQ(var, 30.0 * 31.0 * 61.0 / 24.0);
    EXPECT_NEAR((upperCC - lowerCC) - (upper - lower), 1.0, 1e-12);
}

const Texts kPostHocTexts = {{"tails", "Two"}, {"d", "0.5"}, {"alpha", "0.05"}, {"n", "30"}};

// No shift, no power beyond alpha, by every parent and method; the largest
// shift, where the moments leave the statistic no spread, full power.
TEST(Wilcoxon, NoShiftGivesAlphaTheLargestFullPower) {
    for (const char* parent : {"Normal", "Laplace", "Logistic"}) {
        PowerTWilcox1 one;
        one.wilcoxon.method = 3;
        const auto a =
            Calculate(one, kPostHoc, With(kPostHocTexts, {{"d", "20"}, {"parent", parent}}));
        EXPECT_EQ(a->Text("power"), "1.0000000") << parent << a->message;
        PowerTWilcox2 two;
        two.wilcoxon.method = 3;
        const auto b = Calculate(two, kPostHoc,
                                 {{"tails", "Two"},
                                  {"d", "-20"},
                                  {"alpha", "0.05"},
                                  {"n1", "30"},
                                  {"n2", "30"},
                                  {"parent", parent}});
        EXPECT_EQ(b->Text("power"), "1.0000000") << parent << b->message;
    }
    for (int method : {1, 3}) {
        for (const char* parent : {"Normal", "Laplace", "Logistic"}) {
            for (const char* tails : {"One", "Two"}) {
                PowerTWilcox1 one;
                one.wilcoxon.method = method;
                const auto a = Calculate(
                    one, kPostHoc,
                    With(kPostHocTexts, {{"d", "0"}, {"parent", parent}, {"tails", tails}}));
                EXPECT_NEAR(a->Value("power"), 0.05, 1e-12) << method << parent << tails;
                PowerTWilcox2 two;
                two.wilcoxon.method = method;
                const auto b = Calculate(two, kPostHoc,
                                         {{"tails", tails},
                                          {"d", "0"},
                                          {"alpha", "0.05"},
                                          {"n1", "20"},
                                          {"n2", "35"},
                                          {"parent", parent}});
                EXPECT_NEAR(b->Value("power"), 0.05, 1e-12) << method << parent << tails;
            }
        }
    }
}

// Each parent's efficiency multiplies the sample size of the t test; one
// entered by hand belongs to the test that took it.
TEST(Wilcoxon, EfficiencyOfEachParent) {
    const std::pair<const char*, double> parents[] = {{"Normal", 3.0 / M_PI},
                                                      {"Laplace", 1.5},
                                                      {"Logistic", M_PI * M_PI / 9.0},
                                                      {"min ARE", 0.864}};
    for (const auto& [parent, f] : parents) {
        PowerTWilcox1 one;
        const auto a = Calculate(one, kPostHoc, With(kPostHocTexts, {{"parent", parent}}));
        EXPECT_NEAR(a->Value("df"), f * 30.0 - 1.0, 1e-6) << parent;
        PowerTWilcox2 two;
        const auto b = Calculate(two, kPostHoc,
                                 {{"tails", "Two"},
                                  {"d", "0.5"},
                                  {"alpha", "0.05"},
                                  {"n1", "30"},
                                  {"n2", "30"},
                                  {"parent", parent}});
        EXPECT_NEAR(b->Value("df"), f * 60.0 - 2.0, 1e-6) << parent;
    }
    PowerTWilcox1 first, second;
    first.wilcoxon.manualInput = second.wilcoxon.manualInput = true;
    const auto a =
        Calculate(first, kPostHoc,
                  {{"tails", "Two"}, {"d", "0.5"}, {"alpha", "0.05"}, {"n", "30"}, {"are", "0.9"}});
    const auto b =
        Calculate(second, kPostHoc,
                  {{"tails", "Two"}, {"d", "0.5"}, {"alpha", "0.05"}, {"n", "30"}, {"are", "2"}});
    ASSERT_EQ(a->status, kCalculateDone) << a->message;
    EXPECT_NEAR(a->Value("df"), 0.9 * 30.0 - 1.0, 1e-6);
    EXPECT_NEAR(b->Value("df"), 2.0 * 30.0 - 1.0, 1e-6);
    EXPECT_NEAR(first.ComputePower(0.5, 0.05, 30.0), a->Value("power"), 1e-7);
}

TEST(Wilcoxon, ListsOfEachMethod) {
    struct Layout {
        int method;
        bool manual;
        bool z;
        std::vector<std::string> inputs, outputs;
    };
    using calc_test::Joined;
    const Layout layouts[] = {
        {1, false, true, {"tails", "parent", "d", "alpha", "n"}, {"ncp", "crit", "df", "power"}},
        {1, true, true, {"tails", "are", "d", "alpha", "n"}, {"ncp", "crit", "df", "power"}},
        {2,
         false,
         true,
         {"tails", "parent", "rsd", "mp1", "alpha", "n"},
         {"crit", "power", "d", "mp2", "mp3"}},
        {2, true, false, {"tails", "mp3", "mp2", "mp1", "alpha", "n"}, {"tlow", "tup", "power"}},
        {3,
         false,
         false,
         {"tails", "parent", "d", "alpha", "n"},
         {"tlow", "tup", "power", "mp1", "mp2", "mp3"}},
    };
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.method);
        PowerTWilcox1 test;
        test.wilcoxon.method = l.method;
        test.wilcoxon.manualInput = l.manual;
        test.wilcoxon.zDistributionPlot = l.z;
        calc_test::ExpectListKeys(test, kPostHoc, l.inputs, l.outputs);
    }
    PowerTWilcox1 test;
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(static_cast<PropertySelection*>(inputs.Find("Parent distribution"))->options.size(),
              4u);
    EXPECT_EQ(test.GetMethodText(), "A.R.E. method");
    test.wilcoxon.method = 3;
    test.wilcoxon.continuityCorrection = true;
    EXPECT_EQ(test.GetMethodText(), "Lehmann 3 moments method, continuity correction");
    EXPECT_EQ(test.GetStatisticName(), "z");
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(static_cast<PropertySelection*>(inputs.Find("Parent distribution"))->options.size(),
              3u);
}

TEST(Wilcoxon, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        int method;
        bool manual;
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const Texts moments = {{"tails", "Two"}, {"mp1", "0.7"}, {"alpha", "0.05"},
                           {"n", "30"},      {"mp2", "0.8"}, {"mp3", "0.7"}};
    const Texts byP1 = {
        {"tails", "Two"}, {"mp1", "0.7"}, {"alpha", "0.05"}, {"n", "30"}, {"rsd", "1"}};
    const Rejection rejections[] = {
        {1, true, kPostHoc, With(kPostHocTexts, {{"are", "0.8639"}}), "are",
         "The minimal A.R.E. of the Wilcoxon test versus the t test is 0.864."},
        {2, true, kPostHoc, With(moments, {{"mp2", "0"}, {"mp3", "2"}}), "mp2",
         "Moment p2 is outside the admissible range (1e-06, 1-1e-06)."},
        {2, true, kPostHoc, With(moments, {{"mp3", "1"}}), "mp3",
         "Moment p3 is outside the admissible range (1e-06, 1-1e-06)."},
        {2, false, kPostHoc, With(byP1, {{"rsd", "0"}}), "rsd",
         "The relative standard deviation must be greater than 1e-6"},
        {2,
         true,
         kSensitivity,
         {{"tails", "Two"},
          {"alpha", "0.05"},
          {"power", "0.9"},
          {"n", "30"},
          {"mp2", "0.8"},
          {"mp3", "0.7"}},
         "tails",
         "A sensitivity analysis is not possible if moments are specified manually"},
        {2,
         false,
         kAPriori,
         {{"tails", "Two"}, {"mp1", "0.500009"}, {"alpha", "0.05"}, {"power", "0.9"}, {"rsd", "1"}},
         "mp1",
         "In an a priori analysis, the absolute difference of p1\nfrom p = 1/2 must be greater "
         "than 0.00001."},
        {2, false, kPostHoc, With(byP1, {{"mp1", "1"}}), "mp1",
         "Effect size p1 is outside the admissible range (1e-06, 0.999999)."},
        {3, false, kPostHoc, With(kPostHocTexts, {{"d", "21"}}), "d",
         "Effect size d is outside the admissible range (-20, 20)."},
        {1, false, kPostHoc, With(kPostHocTexts, {{"n", "2"}}), "n",
         "Total sample size is outside the admissible range (3, 2147483646)"},
    };
    for (const Rejection& r : rejections) {
        PowerTWilcox1 test;
        test.wilcoxon.method = r.method;
        test.wilcoxon.manualInput = r.manual;
        calc_test::ExpectRefused(*Calculate(test, r.type, r.texts), calc_test::Label(test, r.row),
                                 r.message, calc_test::Describe(r.type, r.texts));
    }
    // The smallest manual efficiency is admitted.
    PowerTWilcox1 test;
    test.wilcoxon.manualInput = true;
    EXPECT_EQ(Calculate(test, kPostHoc, With(kPostHocTexts, {{"are", "0.864"}}))->status,
              kCalculateDone);
}

// With p1 as the effect: a p1 below 1/2 is its mirror image, and a
// Sensitivity analysis answers a p1; the method is back whatever the
// search did.
TEST(Wilcoxon, P1AsTheEffect) {
    const Texts byP1 = {{"tails", "Two"}, {"mp1", "0.3"}, {"alpha", "0.05"},
                        {"n1", "30"},     {"n2", "40"},   {"rsd", "1.5"}};
    PowerTWilcox2 low, high;
    low.wilcoxon.method = high.wilcoxon.method = 2;
    const auto a = Calculate(low, kPostHoc, byP1);
    const auto b = Calculate(high, kPostHoc, With(byP1, {{"mp1", "0.7"}}));
    ASSERT_EQ(a->status, kCalculateDone) << a->message;
    EXPECT_EQ(a->Text("power"), b->Text("power"));
    EXPECT_EQ(low.effectSize, 0.7);

    PowerTWilcox2 test;
    test.wilcoxon.method = 2;
    const auto run = Calculate(test, kSensitivity,
                               {{"tails", "Two"},
                                {"alpha", "0.05"},
                                {"power", "0.8"},
                                {"n1", "30"},
                                {"n2", "40"},
                                {"rsd", "1.5"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(test.wilcoxon.method, 2);
    // The shift shown is in units of the parent's standard deviation.
    EXPECT_NEAR(run->Value("mp1"), Phi(run->Value("d") / std::sqrt(2.0)), 1e-7);
    EXPECT_EQ(test.wilcoxon.momentP1, test.effectSize);

    // A target no shift reaches: the search fails, and the method it
    // switched is back.
    PowerTWilcox1 failing;
    failing.wilcoxon.method = 2;
    EXPECT_ANY_THROW(Calculate(
        failing, kSensitivity,
        {{"tails", "Two"}, {"alpha", "1e-7"}, {"power", "0.9999999"}, {"n", "3"}, {"rsd", "1"}}));
    EXPECT_EQ(failing.wilcoxon.method, 2);
}

// The normal approximation is drawn as normal densities, standardised or
// on the scale of T, and the test keeps its own t distribution.
TEST(Wilcoxon, NormalApproximationIsDrawnOnNormalDensities) {
    for (bool z : {true, false}) {
        PowerTWilcox2 test;
        test.wilcoxon.method = 3;
        test.wilcoxon.zDistributionPlot = z;
        const auto run = Calculate(test, kPostHoc,
                                   {{"tails", "Two"},
                                    {"d", "0.5"},
                                    {"alpha", "0.05"},
                                    {"n1", "50"},
                                    {"n2", "50"},
                                    {"parent", "Normal"}});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        Distribution* own = test.distribution;
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        EXPECT_EQ(test.distribution, own);
        EXPECT_EQ(plot.statisticName, z ? "z" : "T");
        const WilcoxonOptions& w = test.wilcoxon;
        const double sd0 = std::sqrt(w.nullVariance), sd1 = std::sqrt(w.altVariance);
        const double m0 = z ? 0.0 : w.nullMean, s0 = z ? 1.0 : sd0;
        const double m1 = z ? (w.altMean - w.nullMean) / sd0 : w.altMean;
        const double s1 = z ? sd1 / sd0 : sd1;
        ASSERT_EQ(plot.centralCurve.size(), 201u);
        for (int i = 0; i <= 200; i += 50) {
            const double x = plot.centralCurve[i].x;
            const double u0 = (x - m0) / s0, u1 = (x - m1) / s1;
            EXPECT_NEAR(plot.centralCurve[i].y, std::exp(-u0 * u0 / 2) / (s0 * std::sqrt(2 * M_PI)),
                        1e-12);
            EXPECT_NEAR(plot.noncentralCurve[i].y,
                        std::exp(-u1 * u1 / 2) / (s1 * std::sqrt(2 * M_PI)), 1e-12);
        }
        if (z) {
            EXPECT_NEAR(plot.criticalValue, 1.959963984540054, 1e-9);
        } else {
            EXPECT_NEAR(plot.criticalValue, w.upperCriticalT, 1e-9);
        }
    }
}

// The matched pairs compute what one sample computes, under other labels.
TEST(Wilcoxon, MatchedPairsComputeLikeOneSample) {
    for (int method : {1, 3}) {
        PowerTWilcox1 one;
        PowerTWilcoxPair pairs;
        one.wilcoxon.method = pairs.wilcoxon.method = method;
        const auto a = Calculate(one, kPostHoc, kPostHocTexts);
        const auto b = Calculate(pairs, kPostHoc,
                                 {{"tails", "Two"}, {"dz", "0.5"}, {"alpha", "0.05"}, {"n", "30"}});
        EXPECT_EQ(a->Text("power"), b->Text("power"));
    }
    PowerTWilcoxPair pairs;
    std::unique_ptr<PowerAnalysis> clone(pairs.Clone());
    EXPECT_EQ(clone->GetTestId(), 207);
    EXPECT_EQ(clone->GetEffectSizeId(), kEffectSizeDzId);
    EXPECT_TRUE(clone->HasOptions());
}

}  // namespace
