// The Poisson regression test: every analysis type, covariate and method
// against verification/poisson/poisson_reference.tsv (R: integrate() and
// sums for the variances, checked there against Signorini's closed forms;
// glm(family = poisson) on the expected data set; uniroot), and what the
// test does of its own: its lists, its refusals, the rebuilt input list,
// the fall-back to the large-sample method and the searches that find
// nothing.

#include "tests/z/power_z_poisson_regress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "numerics/quorix_error.h"
#include "tests/z/enumeration_workspace.h"
#include "tests/z/poisson_integrands.h"

namespace {

using calc_test::Texts;

const char kTable[] = "verification/poisson/poisson_reference.tsv";

// The options a row's "method" names.
void SetMethod(PowerZPoissonRegress& test, const std::string& method) {
    if (method == "wald" || method == "lr") {
        test.useEnumeration = true;
        test.enumerationWald = method == "wald";
        return;
    }
    test.demidenko = method.rfind("demidenko", 0) == 0;
    test.varianceCorrection = method.find("-nc") == std::string::npos;
}

int CodeOf(const std::string& name) {
    const char* const names[] = {"Binomial", "Exponential", "Lognormal", "Normal",
                                 "Poisson",  "Uniform",     "Manual"};
    for (int i = 0; i < 7; ++i) {
        if (name == names[i]) return i;
    }
    ADD_FAILURE() << "unknown X distribution " << name;
    return kXNormal;
}

TEST(PoissonRegression, ReferenceCases) {
    const auto cases = calc_test::ReadReferenceCases(kTable, kPoissonRegressionTestId);
    ASSERT_GE(cases.size(), 41u) << kTable << " missing or short";
    for (calc_test::ReferenceCase c : cases) {
        SCOPED_TRACE(c.line);
        PowerZPoissonRegress test;
        SetMethod(test, c.inputs.at("method"));
        c.inputs.erase("method");
        // The covariate's parameters are inputs once the list shows them.
        test.xDistribution = CodeOf(c.inputs.at("xdist"));
        if (auto dir = c.inputs.find("dir"); dir != c.inputs.end()) {
            dir->second = dir->second == "1" ? "$\\beta$1 >= 0" : "$\\beta$1 <= 0";
        }
        const auto run = calc_test::Calculate(test, c.type, c.inputs);
        ASSERT_EQ(run->status, c.status) << run->message;
        EXPECT_EQ(run->message, "");
        EXPECT_EQ(run->inputs.size(), c.inputs.size());
        EXPECT_EQ(run->outputs.size(), c.outputs.size());
        for (const auto& [key, expected] : c.outputs) {
            calc_test::ExpectOutput(run->outputs, calc_test::Label(test, key), expected, key);
        }
    }
}

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

TEST(PoissonRegression, MethodTextFollowsTheOptions) {
    struct Case {
        bool enumeration, wald, demidenko, correction;
        const char* text;
    };
    const Case cases[] = {
        {false, true, true, true, "Large sample z-Test, Demidenko (2007) with var corr "},
        {false, true, true, false, "Large sample z-Test, Demidenko (2007)"},
        {false, true, false, true, "Large sample z-Test, Signorini (1991)"},
        {true, true, true, true, "Enumeration method, Wald-test"},
        {true, false, false, false, "Enumeration method, LR-test"},
    };
    for (const Case& c : cases) {
        PowerZPoissonRegress test;
        test.useEnumeration = c.enumeration;
        test.enumerationWald = c.wald;
        test.demidenko = c.demidenko;
        test.varianceCorrection = c.correction;
        EXPECT_EQ(test.GetMethodText(), c.text);
    }
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

TEST(PoissonRegression, RefusedInputs) {
    struct Case {
        AnalysisType type;
        int covariate;
        Texts texts;
        std::string row, message;
    };
    const Case cases[] = {
        {kSensitivity,
         kXManual,
         {{"R2x", "2"}},
         "X distribution",
         "Sensitivity analyses are not possible when using\n'manual mode' in specifying the X "
         "distribution"},
        {kPostHoc,
         kXNormal,
         {{"R2x", "1"}},
         "R$^2$ other X",
         "R$^2$ other X is outside the admissible range (0, 0.999999)."},
        {kPostHoc,
         kXNormal,
         {{"baserate", "0"}},
         "Base rate exp($\\beta$0)",
         "The base rate exp(b0) must be > 0."},
        {kPostHoc,
         kXNormal,
         {{"exposure", "-1"}},
         "Mean exposure",
         "The mean exposure time must be > 0."},
        {kPostHoc,
         kXBinomial,
         {{"xpi", "1"}},
         "X parm $\\pi$",
         "The parameter pi must lie in the interval ]0,1[."},
        {kPostHoc,
         kXPoisson,
         {{"xlambda", "0"}},
         "X parm $\\lambda$",
         "The parameter lambda must be > 0."},
        {kPostHoc,
         kXLognormal,
         {{"xsigma", "0"}},
         "X parm $\\sigma$",
         "The standard deviation must be > 0."},
        {kPostHoc,
         kXUniform,
         {{"xleft", "1"}},
         "X left border",
         "The left interval border must be lower than the right border."},
        {kPostHoc,
         kXManual,
         {{"xvar0", "0"}},
         "X Var($\\beta$|H0)",
         "The variance under H0 must be greater than zero."},
        {kPostHoc,
         kXManual,
         {{"xvar1", "-1"}},
         "X Var($\\beta$|H1)",
         "The variance under H1 must be greater than zero."},
        {kPostHoc,
         kXNormal,
         {{"expb1", "1001"}},
         "Exp($\\beta$1)",
         "Effect size Exp($\\beta$1) is outside the admissible range (1e-06, 1000)."},
        {kAPriori,
         kXNormal,
         {{"expb1", "0"}},
         "Exp($\\beta$1)",
         "Effect size Exp($\\beta$1) is outside the admissible range (1e-06, 1000)."},
        {kCriterion,
         kXNormal,
         {{"N", "1"}},
         "Total sample size",
         "Sample size must be greater than or equal to 2."},
        {kCompromise,
         kXNormal,
         {{"q", "200"}},
         "$\\beta$/$\\alpha$ ratio",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Case& c : cases) {
        PowerZPoissonRegress test;
        test.xDistribution = c.covariate;
        const auto run = calc_test::Calculate(test, c.type, c.texts);
        calc_test::ExpectRefused(*run, c.row, c.message, c.row);
    }
    // The X-Y plot's checks.
    PowerZPoissonRegress test;
    EXPECT_FALSE(test.CheckEffectSize(kPostHoc, 1001.0));
    EXPECT_EQ(test.GetMessage(), "The effect size is outside the admissible range [1e-06, 1000\n");
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 1e-6));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 1.0));
}

// Choosing another covariate in the list rebuilds it with that covariate's
// parameters; the manual mode is not offered with the enumeration method.
TEST(PoissonRegression, ChangingTheCovariateRebuildsTheInputList) {
    PowerZPoissonRegress test;
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_FALSE(test.InputsChangeLayout(kPostHoc, &inputs));
    inputs.Find(ParameterNames[kXDistributionId])->SetText("Poisson");
    EXPECT_TRUE(test.InputsChangeLayout(kPostHoc, &inputs));
    EXPECT_EQ(test.xDistribution, kXPoisson);
    test.RememberInputs(&inputs);
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_NE(inputs.Find("X parm $\\lambda$"), nullptr);
    EXPECT_EQ(inputs.Find("X parm $\\mu$"), nullptr);

    test.xDistribution = kXManual;
    test.useEnumeration = true;
    test.BuildInputList(kPostHoc, &inputs);
    const auto* selection =
        dynamic_cast<const PropertySelection*>(inputs.Find(ParameterNames[kXDistributionId]));
    ASSERT_NE(selection, nullptr);
    EXPECT_EQ(selection->GetOptionCount(), 6);
    EXPECT_EQ(test.xDistribution, kXNormal);
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

// The chi-square statistic is two-sided: one tail doubles alpha, never to
// a level of one or more; a Criterion search passes there on its way.
TEST(PoissonRegression, OneTailedEnumerationKeepsItsLevelBelowOne) {
    PowerZPoissonRegress test;
    test.useEnumeration = true;
    test.oneTailed = true;
    for (double alpha : {0.6, 0.9999999}) {
        const double p = test.ComputePower(1.3, alpha, 100.0);
        EXPECT_TRUE(p >= alpha && p <= 1.0) << alpha << " " << p;
    }
    const auto run = calc_test::Calculate(test, kCriterion, {{"power", "0.99"}, {"N", "50"}});
    EXPECT_EQ(run->status, kCalculateDone) << run->message;
}

// Every subject carries every count of the common range, weighted by its
// Poisson probability: the weights of a subject add up to nearly 1.
TEST(PoissonRegression, ExpectedDataSetAndItsLimits) {
    EnumerationWorkspace workspace;
    workspace.SetCovariate(kEnumerationBinomial, 0.5, 0.0);
    workspace.exposure = 2.0;
    workspace.beta0 = std::log(1.5);
    workspace.beta1 = std::log(2.0);
    workspace.BuildPoissonDataSet(15);
    const int rows = workspace.design.extent(0);
    ASSERT_EQ(rows % 15, 0);
    const int counts = rows / 15;
    int ones = 0;
    for (int i = 0; i < 15; ++i) {
        double sum = 0.0;
        for (int j = 0; j < counts; ++j) sum += workspace.weights(i * counts + j, 0);
        EXPECT_NEAR(sum, 1.0, 2e-5) << i;
        ones += workspace.design(i * counts, 0) == 1.0;
    }
    EXPECT_EQ(ones, 7);  // trunc(15 * 0.5)
    // Rates of millions would ask for billions of rows: refused, before any
    // is allocated.
    PowerZPoissonRegress test;
    test.useEnumeration = true;
    test.baseRate = 1000.0;
    EXPECT_THROW(test.ComputePower(1000.0, 0.05, 5000.0), QuorixError);
}

// The distribution graph of the enumeration method is that of its
// chi-square statistic, and the test's own distribution comes back.
TEST(PoissonRegression, EnumerationPlotsTheChiSquareStatistic) {
    PowerZPoissonRegress test;
    test.useEnumeration = true;
    const auto run = calc_test::Calculate(test, kPostHoc, {{"tails", "Two"}, {"N", "200"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    Distribution* own = test.distribution;
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_EQ(test.distribution, own);
    EXPECT_NEAR(plot.criticalValue, 3.841459, 1e-6);
    ASSERT_FALSE(plot.noncentralCurve.empty());
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    calc_test::ExpectSameDistributionPlot(test, *clone, 50);
}

}  // namespace
