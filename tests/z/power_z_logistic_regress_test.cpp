// The logistic regression test: every analysis type, covariate and option
// against verification/logistic/logistic_reference.tsv (R: integrate() for
// the variances, pnorm, glm() on the expected data set, uniroot; checked
// there against Hsieh's closed form and power.prop.test), and what the test
// does of its own: its lists, its refusals, the rebuilt input list, the
// method texts and the searches that find nothing.

#include "tests/z/power_z_logistic_regress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "numerics/quorix_error.h"

namespace {

using calc_test::Texts;

const char kTable[] = "verification/logistic/logistic_reference.tsv";

// The entries of a row's "opt": the covariate code xN and the options.
void SetOptions(PowerZLogisticRegress& test, const std::string& options) {
    std::stringstream names(options);
    std::string name;
    while (std::getline(names, name, '+')) {
        if (name.size() == 2 && name[0] == 'x') {
            test.xDistribution = name[1] - '0';
        } else if (name == "enum") {
            test.useEnumeration = true;
        } else if (name == "lr") {
            test.enumerationWald = false;
        } else if (name == "nocorr") {
            test.varianceCorrection = false;
        } else if (name == "signorini") {
            test.demidenko = false;
        } else if (name == "p1") {
            test.oddsRatioInput = false;
        } else {
            ADD_FAILURE() << "unknown option " << name;
        }
    }
}

TEST(LogisticRegression, ReferenceCases) {
    const auto cases = calc_test::ReadReferenceCases(kTable, kLogisticRegressionTestId);
    ASSERT_GE(cases.size(), 38u) << kTable << " missing or short";
    for (calc_test::ReferenceCase c : cases) {
        SCOPED_TRACE(c.line);
        PowerZLogisticRegress test;
        SetOptions(test, c.inputs.at("opt"));
        c.inputs.erase("opt");
        if (auto dir = c.inputs.find("dir"); dir != c.inputs.end()) {
            dir->second = dir->second == "1" ? "p2 >= p1" : "p2 <= p1";
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

const std::vector<std::string> kNormal = {"R2x", "xdist", "xmu", "xsigma"};

TEST(LogisticRegression, ListsOfEachAnalysisType) {
    using calc_test::Joined;
    PowerZLogisticRegress test;
    struct Case {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Case cases[] = {
        {kAPriori, {"tails", "OR", "pH0", "alpha", "power"}, {"crit", "N", "actual"}},
        {kSensitivity, {"tails", "dir", "alpha", "pH0", "power", "N"}, {"crit", "OR"}},
        {kPostHoc, {"tails", "OR", "pH0", "alpha", "N"}, {"crit", "power"}},
        {kCriterion, {"tails", "OR", "pH0", "power", "N"}, {"crit", "alpha"}},
        {kCompromise, {"tails", "OR", "pH0", "q", "N"}, {"crit", "alpha", "beta", "power"}},
    };
    for (const Case& c : cases) {
        calc_test::ExpectListKeys(test, c.type, Joined(c.inputs, kNormal), c.outputs);
    }
    calc_test::ExpectEffectInput(test, kPostHoc, "Odds ratio", kLogisticRegressionTestId);

    // The enumeration method shows its chi-square statistic.
    test.useEnumeration = true;
    calc_test::ExpectListKeys(test, kPostHoc, Joined(cases[2].inputs, kNormal),
                              {"lambda", "crit", "df", "power"});
    EXPECT_EQ(std::string(ParameterNames[test.GetCriticalValueId()]), "Critical $\\chi^2$");
    EXPECT_EQ(test.GetStatisticName(), "$\\chi$$^2$");
    // The effect as a probability.
    test.useEnumeration = false;
    test.oddsRatioInput = false;
    calc_test::ExpectListKeys(test, kAPriori,
                              Joined({"tails", "pH1", "pH0", "alpha", "power"}, kNormal),
                              {"crit", "N", "actual"});
}

// Each covariate shows its own parameters; the manual mode is not offered
// while the enumeration method is used.
TEST(LogisticRegression, CovariateParametersAndTheManualMode) {
    const std::pair<int, std::vector<std::string>> parameters[] = {
        {kXBinomial, {"xpi"}},
        {kXExponential, {"xlambda"}},
        {kXLognormal, {"xmu", "xsigma"}},
        {kXNormal, {"xmu", "xsigma"}},
        {kXPoisson, {"xlambda"}},
        {kXUniform, {"xleft", "xright"}},
        {kXManual, {"xvar0", "xvar1"}},
    };
    for (const auto& [code, keys] : parameters) {
        PowerZLogisticRegress test;
        test.xDistribution = code;
        calc_test::ExpectListKeys(
            test, kPostHoc,
            calc_test::Joined({"tails", "OR", "pH0", "alpha", "N", "R2x", "xdist"}, keys),
            {"crit", "power"});
    }
    PowerZLogisticRegress test;
    test.xDistribution = kXManual;
    test.useEnumeration = true;
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    const auto* selection =
        dynamic_cast<const PropertySelection*>(inputs.Find(ParameterNames[kXDistributionId]));
    ASSERT_NE(selection, nullptr);
    EXPECT_EQ(selection->GetOptionCount(), 6);
    EXPECT_EQ(selection->text, "Normal");
    EXPECT_EQ(test.xDistribution, kXNormal);
}

// Choosing another covariate in the list rebuilds it with that covariate's
// parameters; choosing the same one does not.
TEST(LogisticRegression, ChangingTheCovariateRebuildsTheInputList) {
    PowerZLogisticRegress test;
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_FALSE(test.InputsChangeLayout(kPostHoc, &inputs));
    inputs.Find(ParameterNames[kXDistributionId])->SetText("Uniform");
    EXPECT_TRUE(test.InputsChangeLayout(kPostHoc, &inputs));
    EXPECT_EQ(test.xDistribution, kXUniform);
    test.RememberInputs(&inputs);
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find(ParameterNames[kXDistributionId])->text, "Uniform");
    EXPECT_NE(inputs.Find("X left border"), nullptr);
    EXPECT_EQ(inputs.Find("X parm $\\mu$"), nullptr);
    EXPECT_FALSE(test.InputsChangeLayout(kPostHoc, &inputs));
    // A selection without an option changes nothing.
    static_cast<PropertySelection*>(inputs.Find(ParameterNames[kXDistributionId]))->index = -1;
    EXPECT_FALSE(test.InputsChangeLayout(kPostHoc, &inputs));
}

TEST(LogisticRegression, MethodTextFollowsTheOptions) {
    struct Case {
        bool enumeration, wald, demidenko, correction;
        double n;
        const char* text;
    };
    const Case cases[] = {
        {false, true, true, true, 100, "Large sample z-Test, Demidenko (2007) with var corr "},
        {false, true, true, false, 100, "Large sample z-Test, Demidenko (2007)"},
        {false, true, false, true, 100, "Large sample z-Test, Signorini (1991)"},
        {true, true, true, true, 100, "Enumeration method, Wald-test"},
        {true, false, true, true, 9999, "Enumeration method, LR-test"},
        // From the limit on, the large-sample method is used.
        {true, true, true, true, 10000, "Large sample z-Test, Demidenko (2007) with var corr "},
    };
    for (const Case& c : cases) {
        PowerZLogisticRegress test;
        test.useEnumeration = c.enumeration;
        test.enumerationWald = c.wald;
        test.demidenko = c.demidenko;
        test.varianceCorrection = c.correction;
        test.sampleSize = c.n;
        EXPECT_EQ(test.GetMethodText(), c.text);
        EXPECT_EQ(test.GetStatisticName(), test.UsesEnumeration() ? "$\\chi$$^2$" : "z");
    }
}

TEST(LogisticRegression, RefusedInputs) {
    struct Case {
        AnalysisType type;
        int covariate;
        Texts texts;
        std::string row, message;
    };
    const std::string tooLow = "The effect size is too low!\n";
    const Case cases[] = {
        {kPostHoc,
         kXNormal,
         {{"pH0", "0"}},
         "Pr(Y=1|X=1) H0",
         "Proportion 1 is outside the admissible range (1e-06, 1-1e-06)."},
        {kSensitivity,
         kXManual,
         {},
         "X distribution",
         "Sensitivity analyses are not possible when using\n'manual mode' in specifying the X "
         "distribution"},
        {kPostHoc,
         kXNormal,
         {{"R2x", "1"}},
         "R$^2$ other X",
         "R$^2$ other X is outside the admissible range (0, 0.999999)."},
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
         kXExponential,
         {{"xlambda", "-1"}},
         "X parm $\\lambda$",
         "The parameter lambda must be > 0."},
        {kPostHoc,
         kXLognormal,
         {{"xsigma", "0"}},
         "X parm $\\sigma$",
         "The standard deviation must be > 0."},
        {kPostHoc,
         kXNormal,
         {{"xmu", "=1/0"}},
         "X parm $\\mu$",
         "Input error (number out of range)"},
        {kPostHoc,
         kXNormal,
         {{"xsigma", "1e300"}},
         "X parm $\\sigma$",
         "Input error (number out of range)"},
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
        {kAPriori,
         kXNormal,
         {{"OR", "1.0000005"}},
         "Odds ratio",
         tooLow + "The odds ratio must differ from 1 by at least 1e-6"},
        {kPostHoc, kXNormal, {{"OR", "0"}}, "Odds ratio", "The odds ratio must be positive"},
        {kPostHoc,
         kXNormal,
         {{"OR", "101"}},
         "Odds ratio",
         "Effect size Odds ratio is outside the admissible range (0, 100)."},
        {kSensitivity,
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
        PowerZLogisticRegress test;
        test.xDistribution = c.covariate;
        const auto run = calc_test::Calculate(test, c.type, c.texts);
        calc_test::ExpectRefused(*run, c.row, c.message, c.row);
    }
    // With the probability as the effect.
    PowerZLogisticRegress test;
    test.oddsRatioInput = false;
    const auto run = calc_test::Calculate(test, kPostHoc, {{"pH1", "0.2"}});
    calc_test::ExpectRefused(*run, "Pr(Y=1|X=1) H1",
                             tooLow +
                                 "The difference between Pr(Y=1|X=1) H0 and Pr(Y=1|X=1) "
                                 "H1\nmust not be less than 1e-10",
                             "p1 = p0");
}

// An odds ratio within 1e-6 of 1 moves p1 1e-6 away from p0, so that a
// power computation still has a slope to test: the power is close to alpha.
// A priori with p1 = p0 finds no sample size and says so.
TEST(LogisticRegression, NoEffectGivesAlphaAndNoSampleSize) {
    PowerZLogisticRegress test;
    test.oneTailed = false;
    EXPECT_NEAR(test.ComputePower(1.0, 0.05, 100.0), 0.05, 1e-6);
    EXPECT_GT(test.p1, test.p0);
    EXPECT_THROW(test.SolveSampleSize(1.0, 0.05, 0.95, true), QuorixError);
    test.oddsRatioInput = false;
    EXPECT_THROW(test.SolveSampleSize(test.p0, 0.05, 0.95, true), QuorixError);
    // The X-Y plot's check of the effect says it first.
    EXPECT_FALSE(test.CheckEffectSize(kAPriori, test.p0));
    EXPECT_EQ(test.GetMessage(), "Effect size to small (p1 = 0.2, |p1 - p2| < 1e-10)");
}

// Signorini's formula for a 0/1 covariate at p1 = p0 is that of two
// proportions: the power tends to the one-tailed alpha on either side.
TEST(LogisticRegression, SignoriniWithoutEffectIsTheOneTailedAlpha) {
    PowerZLogisticRegress test;
    test.demidenko = false;
    test.xDistribution = kXBinomial;
    test.oneTailed = true;
    for (double oddsRatio : {1.0 + 1e-9, 1.0 - 1e-9}) {
        EXPECT_NEAR(test.ComputePower(oddsRatio, 0.05, 1000.0), 0.05, 1e-4) << oddsRatio;
    }
}

// Signorini's formula holds for a standard normal covariate only; for
// another the computation is Demidenko's, whatever the option says.
TEST(LogisticRegression, SignoriniOnlyForAStandardNormalCovariate) {
    PowerZLogisticRegress demidenko, signorini;
    signorini.demidenko = false;
    for (PowerZLogisticRegress* test : {&demidenko, &signorini}) test->normalSD = 2.0;
    EXPECT_EQ(signorini.ComputePower(1.3, 0.05, 500.0), demidenko.ComputePower(1.3, 0.05, 500.0));
    EXPECT_EQ(signorini.GetMethodText(), "Large sample z-Test, Signorini (1991)");
    signorini.normalSD = demidenko.normalSD = 1.0;
    EXPECT_NE(signorini.ComputePower(1.3, 0.05, 500.0), demidenko.ComputePower(1.3, 0.05, 500.0));
}

// A power the effects of the chosen side cannot reach is reported, not
// answered with the effect of largest power.
TEST(LogisticRegression, SensitivityThatCannotReachItsPowerFails) {
    // Ten subjects, one in a thousand with X = 1: no odds ratio gives 0.99.
    PowerZLogisticRegress test;
    test.xDistribution = kXBinomial;
    PropertyList inputs;
    test.BuildInputList(kSensitivity, &inputs);
    inputs.Find("X parm $\\pi$")->SetText("0.001");
    inputs.Find("Total sample size")->SetText("10");
    inputs.Find("Power (1-$\\beta$ err prob)")->SetText("0.99");
    const double shown = test.effectSize;
    EXPECT_THROW(CalculateWithInputErrors(&test, kSensitivity, &inputs), QuorixError);
    EXPECT_EQ(test.effectSize, shown);
}

// The enumeration's chi-square test is two-sided: one tail doubles alpha,
// but a level of one or more never reaches it.
TEST(LogisticRegression, OneTailedEnumerationKeepsItsLevelBelowOne) {
    PowerZLogisticRegress test;
    test.useEnumeration = true;
    test.oneTailed = true;
    for (double alpha : {0.6, 0.9999999}) {
        const double p = test.ComputePower(1.3, alpha, 100.0);
        EXPECT_TRUE(p >= alpha && p <= 1.0) << alpha << " " << p;
        EXPECT_GE(test.criticalValue, 0.0) << alpha;
    }
    // A Criterion search runs its alpha up to 1 on the way.
    const auto run = calc_test::Calculate(test, kCriterion, {{"power", "0.99"}, {"N", "50"}});
    EXPECT_EQ(run->status, kCalculateDone) << run->message;
}

// The distribution graph of the enumeration method is that of its
// chi-square statistic, and the test's own distribution comes back.
TEST(LogisticRegression, EnumerationPlotsTheChiSquareStatistic) {
    PowerZLogisticRegress test;
    test.useEnumeration = true;
    const auto run = calc_test::Calculate(test, kPostHoc, {{"tails", "Two"}, {"N", "1188"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    Distribution* own = test.distribution;
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_EQ(test.distribution, own);
    EXPECT_EQ(plot.statisticName, "$\\chi$$^2$");
    EXPECT_NEAR(plot.criticalValue, 3.841459, 1e-6);
    ASSERT_FALSE(plot.noncentralCurve.empty());
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    calc_test::ExpectSameDistributionPlot(test, *clone, 50);
}

// The speed the issue asks for: A priori with the enumeration method near
// N = 1200 in well under a second.
TEST(LogisticRegression, EnumerationAPrioriIsQuick) {
    PowerZLogisticRegress test;
    test.useEnumeration = true;
    const auto start = std::chrono::steady_clock::now();
    const auto run = calc_test::Calculate(test, kAPriori, {{"tails", "Two"}});
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(run->Value("N"), 1210);
    EXPECT_LT(elapsed.count(), 5.0);  // sanitizers slow this build several times
}

}  // namespace
