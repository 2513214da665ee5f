// What the Poisson regression test does of its own: its lists, the
// fall-back to the large-sample method, the variances of the slope, rates
// far from 1 and the searches that find nothing. Its reference table,
// refusals, covariate inputs, method texts and enumeration run with those
// of logistic regression.

#include "power/z/power_z_poisson_regress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "analysis/calculation_test_support.h"
#include "distributions/work_time_test_support.h"
#include "numerics/quorix_error.h"
#include "power/z/enumeration_workspace.h"
#include "power/z/poisson_integrands.h"

namespace {

using calc_test::Texts;

const std::vector<std::string> kNormal = {"baserate", "exposure", "R2x", "xdist", "xmu", "xsigma"};

TEST(PoissonRegression, ListsOfEachAnalysisType) {
    using calc_test::Joined;
    PowerZPoissonRegress test;
    struct Case {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Case cases[] = {
        {kAPriori, {"tails", "expb1", "alpha", "power"}, {"crit", "N", "actual"}},
        {kSensitivity, {"tails", "dir", "alpha", "power", "N"}, {"crit", "expb1"}},
        {kPostHoc, {"tails", "expb1", "alpha", "N"}, {"crit", "power"}},
        {kCriterion, {"tails", "expb1", "power", "N"}, {"crit", "alpha"}},
        {kCompromise, {"tails", "expb1", "q", "N"}, {"crit", "alpha", "beta", "power"}},
    };
    for (const Case& c : cases) {
        calc_test::ExpectListKeys(test, c.type, Joined(c.inputs, kNormal), c.outputs);
    }
    calc_test::ExpectEffectInput(test, kPostHoc, "Exp($\\beta$1)", kPoissonRegressionTestId);
    // The enumeration method shows its chi-square statistic.
    test.useEnumeration = true;
    calc_test::ExpectListKeys(test, kPostHoc, Joined(cases[2].inputs, kNormal),
                              {"lambda", "crit", "df", "power"});
    EXPECT_EQ(std::string(ParameterNames[test.GetCriticalValueId()]), "Critical $\\chi^2$");
}

// From the limit of the enumeration method on, everything is that of the
// large-sample method: rows, statistic, method text and the power itself.
TEST(PoissonRegression, LargeSamplesFallBackToTheLargeSampleMethod) {
    PowerZPoissonRegress enumeration, largeSample;
    enumeration.useEnumeration = true;
    enumeration.enumerationWald = false;
    const Texts texts = {{"tails", "Two"}, {"expb1", "1.05"}, {"N", "10000"}};
    const auto run = calc_test::Calculate(enumeration, kPostHoc, texts);
    const auto expected = calc_test::Calculate(largeSample, kPostHoc, texts);
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(calc_test::Names(run->outputs), calc_test::Names(expected->outputs));
    EXPECT_EQ(run->Value("power"), expected->Value("power"));
    EXPECT_EQ(enumeration.GetStatisticName(), "z");
    EXPECT_EQ(enumeration.GetMethodText(), "Large sample z-Test, Demidenko (2007) with var corr ");
    // One subject fewer, and the chi-square test of the expected data set.
    const auto below = calc_test::Calculate(enumeration, kPostHoc,
                                            {{"tails", "Two"}, {"expb1", "1.05"}, {"N", "9999"}});
    ASSERT_EQ(below->status, kCalculateDone) << below->message;
    EXPECT_EQ(enumeration.GetStatisticName(), "$\\chi$$^2$");
    EXPECT_EQ(enumeration.GetMethodText(), "Enumeration method, LR-test");
    EXPECT_GT(below->Value("lambda"), 0.0);
    EXPECT_EQ(below->Value("df"), 1.0);
}

// The slope variances of the standard design and of a 0/1 covariate, and
// those of the integrals against Signorini's closed forms from the
// covariate's moment generating function M: I0 = e^b0 M(b1), I1 = e^b0
// M'(b1), I2 = e^b0 M''(b1), var1 = I0 / (I0 I2 - I1^2); under H0 with
// the constant predictor eta0, var0 = 1 / (e^eta0 Var X).
TEST(PoissonRegression, VariancesOfTheSlope) {
    PowerZPoissonRegress test;
    // Base rate 0.85, Exp(b1) 1.3, X ~ N(0, 1): Demidenko's var0 is taken
    // at the log of the mean rate, which makes it var1.
    test.effectSize = 1.3;
    test.GetNoncentralSD();
    EXPECT_NEAR(test.varianceH0, 1.136668, 5e-7);
    EXPECT_NEAR(test.varianceH1, 1.136668, 5e-7);
    EXPECT_NEAR(test.noncentralSD, 1.0, 1e-9);
    // Signorini's var0 is taken at b0 itself.
    test.demidenko = false;
    test.GetNoncentralSD();
    EXPECT_NEAR(test.varianceH0, 1.0 / 0.85, 1e-9);
    // A 0/1 covariate with pi 0.5, base rate 1, Exp(b1) 2: var1 = 2 + 1.
    test.xDistribution = kXBinomial;
    test.baseRate = 1.0;
    test.effectSize = 2.0;
    test.GetNoncentralSD();
    EXPECT_DOUBLE_EQ(test.varianceH1, 3.0);
    EXPECT_DOUBLE_EQ(test.varianceH0, 4.0);

    const double b0 = std::log(0.7), b1 = std::log(1.25);
    struct Case {
        const char* name;
        std::unique_ptr<varBp> integrand;
        double m0, m1, m2;  // M(b1), M'(b1), M''(b1)
        double varianceOfX;
        bool discrete;
    };
    const double lambda = 2.0, mu = 1.0, sigma = 0.5;
    const double mn = std::exp(mu * b1 + sigma * sigma * b1 * b1 / 2.0),
                 t = mu + sigma * sigma * b1;
    const double ml = lambda / (lambda - b1);
    const double mp = std::exp(lambda * (std::exp(b1) - 1.0)), le = lambda * std::exp(b1);
    const double e = std::exp(b1);
    Case cases[] = {
        {"normal", std::make_unique<varBpnormal>(b0, b1, mu, sigma), mn, mn * t,
         mn * (t * t + sigma * sigma), sigma * sigma, false},
        {"exponential", std::make_unique<varBpexp>(b0, b1, lambda), ml, ml / (lambda - b1),
         2.0 * ml / ((lambda - b1) * (lambda - b1)), 1.0 / (lambda * lambda), false},
        // On [0, 1]: M = (e - 1) / b1 and its derivatives.
        {"uniform", std::make_unique<varBpuni>(b0, b1, 0.0, 1.0), (e - 1.0) / b1,
         (e * b1 - (e - 1.0)) / (b1 * b1),
         (e * b1 * b1 - 2.0 * b1 * e + 2.0 * (e - 1.0)) / (b1 * b1 * b1), 1.0 / 12.0, false},
        {"Poisson", std::make_unique<varBppoiss>(b0, b1, lambda), mp, le * mp, (le + le * le) * mp,
         lambda, true},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double i0 = c.m0, i1 = c.m1, i2 = c.m2;
        const double expected1 = i0 / (i0 * i2 - i1 * i1) / std::exp(b0);
        for (int rule : {0, 2}) {
            double var0 = 0.0, var1 = 0.0;
            if (c.discrete) {
                c.integrand->ComputeVariancesDiscrete(&var0, &var1, rule, true);
            } else {
                c.integrand->ComputeVariances(&var0, &var1, rule, true);
            }
            const double eta0 = rule == 0 ? b0 + std::log(i0) : b0;
            EXPECT_NEAR(var1, expected1, 5e-8 * expected1);
            EXPECT_NEAR(c.integrand->eta0, eta0, 1e-9);
            const double expected0 = 1.0 / (std::exp(eta0) * c.varianceOfX);
            EXPECT_NEAR(var0, expected0, 5e-8 * expected0) << rule;
        }
        double var0 = 0.0, var1 = 0.0;
        c.integrand->ComputeVariances(&var0, &var1, 0, false);
        EXPECT_EQ(var0, var1);
    }
}

// Far from 0 a covariate's moments about 0 cancel nearly all their digits
// in I0 I2 - I1^2; about the mean they keep them.
TEST(PoissonRegression, CovariateFarFromZeroKeepsItsDigits) {
    varBpnormal far(std::log(0.85), 0.0, 1e4, 1.0);
    double var0 = 0.0, var1 = 0.0;
    far.ComputeVariances(&var0, &var1, 0, true);
    EXPECT_NEAR(var1, 1.0 / 0.85, 1e-8);
    EXPECT_NEAR(var0, 1.0 / 0.85, 1e-8);
}

// Moving the covariate by c multiplies every rate by e^(b1 c), as a base
// rate does: the power stays where the rates stay, and rates beyond the
// doubles give the power 1 instead of an overflow.
TEST(PoissonRegression, RatesFarFromOneKeepTheirPower) {
    const double b1 = std::log(1.3);
    PowerZPoissonRegress moved, standard;
    moved.oneTailed = standard.oneTailed = false;
    moved.normalMean = 50.0;
    moved.baseRate = 0.85 * std::exp(-50.0 * b1);
    const double expected = standard.ComputePower(1.3, 0.05, 150.0);
    EXPECT_NEAR(moved.ComputePower(1.3, 0.05, 150.0), expected, 1e-9);
    moved.xDistribution = standard.xDistribution = kXUniform;
    moved.uniformLeft = 49.5;
    moved.uniformRight = 50.5;
    standard.uniformLeft = -0.5;
    standard.uniformRight = 0.5;
    EXPECT_NEAR(moved.ComputePower(1.3, 0.05, 150.0), standard.ComputePower(1.3, 0.05, 150.0),
                1e-9);
    for (auto [rate, mean] : {std::pair{1e308, 0.0}, std::pair{0.85, 1e30}}) {
        PowerZPoissonRegress far;
        far.baseRate = rate;
        far.normalMean = mean;
        EXPECT_EQ(far.ComputePower(1.3, 0.05, 100.0), 1.0) << rate << " " << mean;
    }
}

// The X-Y plot checks each effect and N it draws; the admissible rate
// ratios include their ends.
TEST(PoissonRegression, ChecksOfTheXYPlot) {
    PowerZPoissonRegress test;
    EXPECT_FALSE(test.CheckEffectSize(kPostHoc, 1001.0));
    EXPECT_EQ(test.GetMessage(), "The effect size is outside the admissible range [1e-06, 1000\n");
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 1e-6));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 1.0));
}

// A rate ratio of 1 gives the power alpha with either method, and A priori
// says that no sample size reaches the target instead of showing the end
// of its search.
TEST(PoissonRegression, NoEffectGivesAlphaAndNoSampleSize) {
    for (bool enumeration : {false, true}) {
        PowerZPoissonRegress test;
        test.useEnumeration = enumeration;
        test.oneTailed = true;
        EXPECT_NEAR(test.ComputePower(1.0, 0.05, 100.0), enumeration ? 0.1 : 0.05, 1e-9);
        const double shown = test.sampleSize;
        EXPECT_THROW(calc_test::Calculate(test, kAPriori, {{"expb1", "1"}}), QuorixError);
        EXPECT_EQ(test.sampleSize, shown);
    }
    // Nor is a total answered that the test would refuse as an input: Exp(b1)
    // 1.000001 needs some 1.3e13 subjects.
    PowerZPoissonRegress test;
    EXPECT_THROW(calc_test::Calculate(test, kAPriori, {{"expb1", "1.000001"}}), QuorixError);
    EXPECT_EQ(calc_test::Calculate(test, kAPriori, {{"expb1", "1.02"}})->Value("N"), 32462);
}

// The subjects at one covariate value and their counts make one row: the
// mean count over the common range, weighted by their number times the
// probability of the range (nearly 1).
TEST(PoissonRegression, ExpectedDataSetAndItsLimits) {
    EnumerationWorkspace workspace;
    workspace.SetCovariate(kEnumerationBinomial, 0.5, 0.0);
    workspace.exposure = 2.0;
    workspace.beta0 = std::log(1.5);
    workspace.beta1 = std::log(2.0);
    workspace.BuildPoissonDataSet(15);
    ASSERT_EQ(workspace.design.extent(0), 2);
    // trunc(15 * 0.5) = 7 subjects at X = 1 first, at the rate 2 * 1.5 * 2.
    const double rates[] = {6.0, 3.0}, subjects[] = {7.0, 8.0};
    for (int r = 0; r < 2; ++r) {
        EXPECT_EQ(workspace.design(r, 0), 1.0 - r);
        EXPECT_NEAR(workspace.response(r, 0), rates[r], 1e-4 * rates[r]);
        EXPECT_NEAR(workspace.weights(r, 0), subjects[r], 2e-5 * subjects[r]);
    }
    // Expected counts beyond 1e15, where the Poisson distribution stops
    // computing, are refused; those just below are taken.
    PowerZPoissonRegress test;
    test.useEnumeration = true;
    test.baseRate = 1e6;
    EXPECT_THROW(test.ComputePower(1000.0, 0.05, 5000.0), QuorixError);
    test.baseRate = 1000.0;
    const auto start = ThreadCpuClock::now();
    EXPECT_EQ(test.ComputePower(1000.0, 0.05, 5000.0), 1.0);
    EXPECT_LT(std::chrono::duration<double>(ThreadCpuClock::now() - start).count(), 1.0);
}

}  // namespace
