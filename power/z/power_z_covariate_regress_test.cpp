// Logistic and Poisson regression through what their common base does for
// both: each against its reference table, the refusals of the covariate and
// of the given inputs, the covariate's inputs and the rebuilt list, the
// method texts and the enumeration's chi-square statistic. Every case runs
// on both tests; what one test has of its own is in its traits.

#include "power/z/power_z_covariate_regress.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "power/z/power_z_logistic_regress.h"
#include "power/z/power_z_poisson_regress.h"

namespace {

using calc_test::Texts;

// A calculation refused on the row `row` with `message`.
struct Refusal {
    AnalysisType type;
    int covariate;
    Texts texts;
    std::string row, message;
};

const char kManualSensitivity[] =
    "Sensitivity analyses are not possible when using\n'manual mode' in specifying the X "
    "distribution";

template <class Test>
struct Traits;

template <>
struct Traits<PowerZLogisticRegress> {
    // R: integrate() for the variances, pnorm, glm() on the expected data
    // set, uniroot; checked there against Hsieh's closed form and
    // power.prop.test.
    static constexpr const char* kTable = "verification/logistic/logistic_reference.tsv";
    static constexpr size_t kRows = 38;
    // The sides of a row's "dir" 1 and 0.
    static constexpr const char* kUpper = "p2 >= p1";
    static constexpr const char* kLower = "p2 <= p1";
    // A sample size that the enumeration method draws quickly.
    static constexpr const char* kPlotN = "1188";
    // The effect's input and a value every covariate takes, and an input
    // of the model besides it.
    static constexpr const char* kEffectInput = "OR";
    static constexpr const char* kEffect = "1.3";
    static constexpr const char* kOtherEffect = "1.5";
    static constexpr const char* kModelInput = "pH0";

    // The entries of a row's "opt": the covariate code xN and the options.
    static void TakeOptions(PowerZLogisticRegress& test, Texts& inputs) {
        std::stringstream names(inputs.at("opt"));
        inputs.erase("opt");
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

    // The inputs of Post hoc before those of the covariate.
    static std::vector<std::string> PostHocHead() {
        return {"tails", "OR", "pH0", "alpha", "N", "R2x", "xdist"};
    }

    static std::vector<Refusal> OwnRefusals() {
        const std::string tooLow = "The effect size is too low!\n";
        return {
            {kPostHoc,
             kXNormal,
             {{"pH0", "0"}},
             "Pr(Y=1|X=1) H0",
             "Proportion 1 is outside the admissible range (1e-06, 1-1e-06)."},
            {kSensitivity, kXManual, {}, "X distribution", kManualSensitivity},
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
        };
    }
};

template <>
struct Traits<PowerZPoissonRegress> {
    // R: integrate() and sums for the variances, checked there against
    // Signorini's closed forms; glm(family = poisson) on the expected data
    // set; uniroot.
    static constexpr const char* kTable = "verification/poisson/poisson_reference.tsv";
    static constexpr size_t kRows = 41;
    static constexpr const char* kUpper = "$\\beta$1 >= 0";
    static constexpr const char* kLower = "$\\beta$1 <= 0";
    static constexpr const char* kPlotN = "200";
    static constexpr const char* kEffectInput = "expb1";
    // A growing rate has no finite information over the log-normal tail.
    static constexpr const char* kEffect = "0.8";
    static constexpr const char* kOtherEffect = "0.7";
    static constexpr const char* kModelInput = "baserate";

    // A row's "method" names the options; its covariate is an input once
    // the list shows that covariate's parameters.
    static void TakeOptions(PowerZPoissonRegress& test, Texts& inputs) {
        const std::string method = inputs.at("method");
        inputs.erase("method");
        if (method == "wald" || method == "lr") {
            test.useEnumeration = true;
            test.enumerationWald = method == "wald";
        } else {
            test.demidenko = method.rfind("demidenko", 0) == 0;
            test.varianceCorrection = method.find("-nc") == std::string::npos;
        }
        const char* const names[] = {"Binomial", "Exponential", "Lognormal", "Normal",
                                     "Poisson",  "Uniform",     "Manual"};
        const std::string& covariate = inputs.at("xdist");
        for (int code = 0; code < 7; ++code) {
            if (covariate == names[code]) {
                test.xDistribution = code;
                return;
            }
        }
        ADD_FAILURE() << "unknown X distribution " << covariate;
    }

    static std::vector<std::string> PostHocHead() {
        return {"tails", "expb1", "alpha", "N", "baserate", "exposure", "R2x", "xdist"};
    }

    static std::vector<Refusal> OwnRefusals() {
        return {
            // The manual mode is refused before R^2 is read.
            {kSensitivity, kXManual, {{"R2x", "2"}}, "X distribution", kManualSensitivity},
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
        };
    }
};

template <class Test>
class CovariateRegression : public ::testing::Test {};

using CovariateTests = ::testing::Types<PowerZLogisticRegress, PowerZPoissonRegress>;
TYPED_TEST_SUITE(CovariateRegression, CovariateTests);

TYPED_TEST(CovariateRegression, ReferenceCases) {
    using Own = Traits<TypeParam>;
    const auto cases = calc_test::ReadReferenceCases(Own::kTable, TypeParam().GetTestId());
    ASSERT_GE(cases.size(), Own::kRows) << Own::kTable << " missing or short";
    for (calc_test::ReferenceCase c : cases) {
        SCOPED_TRACE(c.line);
        TypeParam test;
        Own::TakeOptions(test, c.inputs);
        if (auto dir = c.inputs.find("dir"); dir != c.inputs.end()) {
            dir->second = dir->second == "1" ? Own::kUpper : Own::kLower;
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

// Compromise where alpha and beta lie far below 1e-16, where 1 - power has
// lost every digit: beta from the acceptance region by R, both tests from
// one table.
TYPED_TEST(CovariateRegression, CompromiseFarBelow1e16) {
    const char* path = "verification/small_tails/covariate_compromise_reference.tsv";
    const auto cases = calc_test::ReadReferenceCases(path, TypeParam().GetTestId());
    ASSERT_GE(cases.size(), 2u) << path << " missing or short";
    for (calc_test::ReferenceCase c : cases) {
        SCOPED_TRACE(c.line);
        TypeParam test;
        Traits<TypeParam>::TakeOptions(test, c.inputs);
        const auto run = calc_test::Calculate(test, c.type, c.inputs);
        ASSERT_EQ(run->status, c.status) << run->message;
        for (const auto& [key, expected] : c.outputs) {
            calc_test::ExpectOutput(run->outputs, calc_test::Label(test, key), expected, key);
        }
    }
}

// A test calculated again after a change of any input or option answers as
// a new test does, to the last bit: the slope variances it keeps between
// computations are taken again only for the same covariate, model and
// options.
TYPED_TEST(CovariateRegression, CalculatingAgainAnswersAsANewTest) {
    struct Step {
        const char* change;
        AnalysisType type;
        int covariate;
        bool correction, demidenko;
        Texts texts;
    };
    // Every input typed, so that the test used again shows nothing it kept.
    const std::string model = Traits<TypeParam>::kModelInput;
    auto with = [&](Texts texts, const std::string& key, const std::string& text) {
        for (const auto& [given, typed] :
             Texts{{"tails", "Two"},
                   {"alpha", "0.05"},
                   {"power", "0.95"},
                   {"q", "1"},
                   {"N", "300"},
                   {Traits<TypeParam>::kEffectInput, Traits<TypeParam>::kEffect},
                   {model, "0.2"}}) {
            texts.emplace(given, typed);
        }
        texts[key] = text;
        return texts;
    };
    const Texts normal = with({{"xmu", "0.5"}, {"xsigma", "1"}}, "N", "300");
    const Step steps[] = {
        {"first", kPostHoc, kXNormal, true, true, normal},
        {"N", kPostHoc, kXNormal, true, true, with(normal, "N", "301")},
        {"effect", kPostHoc, kXNormal, true, true,
         with(normal, Traits<TypeParam>::kEffectInput, Traits<TypeParam>::kOtherEffect)},
        {"sigma", kPostHoc, kXNormal, true, true, with(normal, "xsigma", "1.5")},
        {"mu", kPostHoc, kXNormal, true, true, with(normal, "xmu", "0")},
        {"correction", kPostHoc, kXNormal, false, true, normal},
        {"Signorini", kPostHoc, kXNormal, true, false, normal},
        {"model", kPostHoc, kXNormal, true, true, with(normal, model, "0.3")},
        {"normal again", kPostHoc, kXNormal, true, true, normal},
        {"same parameters, log-normal", kPostHoc, kXLognormal, true, true, normal},
        {"A priori", kAPriori, kXLognormal, true, true, normal},
        {"exponential", kCriterion, kXExponential, true, true, with({}, "xlambda", "2")},
        {"Poisson, the same lambda", kCriterion, kXPoisson, true, true, with({}, "xlambda", "2")},
        {"uniform", kCompromise, kXUniform, true, true, with({{"xleft", "-1"}}, "xright", "2")},
        {"right border", kCompromise, kXUniform, true, true,
         with({{"xleft", "-1"}}, "xright", "3")},
    };
    TypeParam again;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.change);
        TypeParam fresh;
        for (TypeParam* test : {&again, &fresh}) {
            test->xDistribution = step.covariate;
            test->varianceCorrection = step.correction;
            test->demidenko = step.demidenko;
        }
        // Of the texts, those of the type's inputs.
        PropertyList list;
        fresh.BuildInputList(step.type, &list);
        Texts texts;
        for (const auto& [key, text] : step.texts) {
            if (list.Find(calc_test::Label(fresh, key))) texts[key] = text;
        }
        const auto run = calc_test::Calculate(again, step.type, texts);
        const auto expected = calc_test::Calculate(fresh, step.type, texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        ASSERT_EQ(calc_test::Names(run->outputs), calc_test::Names(expected->outputs));
        for (size_t i = 0; i < run->outputs.size(); ++i) {
            EXPECT_EQ(run->outputs[i]->text, expected->outputs[i]->text) << run->outputs[i]->name;
        }
        EXPECT_EQ(again.varianceH0, fresh.varianceH0);
        EXPECT_EQ(again.varianceH1, fresh.varianceH1);
    }
}

// The covariate's parameters are checked in the order of the list, each
// refused on its own row; then the given inputs of the analysis type.
TYPED_TEST(CovariateRegression, RefusedInputs) {
    std::vector<Refusal> cases = {
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
        {kCompromise,
         kXNormal,
         {{"q", "200"}},
         "$\\beta$/$\\alpha$ ratio",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (Refusal& own : Traits<TypeParam>::OwnRefusals()) cases.push_back(std::move(own));
    for (const Refusal& c : cases) {
        TypeParam test;
        test.xDistribution = c.covariate;
        const auto run = calc_test::Calculate(test, c.type, c.texts);
        calc_test::ExpectRefused(*run, c.row, c.message, c.row + " " + c.message);
    }
}

// Each covariate shows its own parameters; the manual mode is not offered
// while the enumeration method is used.
TYPED_TEST(CovariateRegression, CovariateParametersAndTheManualMode) {
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
        TypeParam test;
        test.xDistribution = code;
        calc_test::ExpectListKeys(test, kPostHoc,
                                  calc_test::Joined(Traits<TypeParam>::PostHocHead(), keys),
                                  {"crit", "power"});
    }
    TypeParam test;
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
// parameters; choosing the same one does not, nor does a selection without
// an option.
TYPED_TEST(CovariateRegression, ChangingTheCovariateRebuildsTheInputList) {
    struct Change {
        const char* text;
        int code;
        const char* parameter;
    };
    for (const Change& c : {Change{"Uniform", kXUniform, "X left border"},
                            Change{"Poisson", kXPoisson, "X parm $\\lambda$"}}) {
        SCOPED_TRACE(c.text);
        TypeParam test;
        PropertyList inputs;
        test.BuildInputList(kPostHoc, &inputs);
        EXPECT_FALSE(test.InputsChangeLayout(kPostHoc, &inputs));
        inputs.Find(ParameterNames[kXDistributionId])->SetText(c.text);
        EXPECT_TRUE(test.InputsChangeLayout(kPostHoc, &inputs));
        EXPECT_EQ(test.xDistribution, c.code);
        test.RememberInputs(&inputs);
        test.BuildInputList(kPostHoc, &inputs);
        EXPECT_EQ(inputs.Find(ParameterNames[kXDistributionId])->text, c.text);
        EXPECT_NE(inputs.Find(c.parameter), nullptr);
        EXPECT_EQ(inputs.Find("X parm $\\mu$"), nullptr);
        EXPECT_FALSE(test.InputsChangeLayout(kPostHoc, &inputs));
        static_cast<PropertySelection*>(inputs.Find(ParameterNames[kXDistributionId]))->index = -1;
        EXPECT_FALSE(test.InputsChangeLayout(kPostHoc, &inputs));
    }
}

TYPED_TEST(CovariateRegression, MethodTextFollowsTheOptions) {
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
        {true, false, false, false, 100, "Enumeration method, LR-test"},
        // From the limit on, the large-sample method is used.
        {true, true, true, true, 10000, "Large sample z-Test, Demidenko (2007) with var corr "},
    };
    for (const Case& c : cases) {
        TypeParam test;
        test.useEnumeration = c.enumeration;
        test.enumerationWald = c.wald;
        test.demidenko = c.demidenko;
        test.varianceCorrection = c.correction;
        test.sampleSize = c.n;
        EXPECT_EQ(test.GetMethodText(), c.text);
        EXPECT_EQ(test.GetStatisticName(), test.UsesEnumeration() ? "$\\chi$$^2$" : "z");
    }
}

// The enumeration's chi-square test is two-sided: one tail doubles alpha,
// but a level of one or more never reaches it.
TYPED_TEST(CovariateRegression, OneTailedEnumerationKeepsItsLevelBelowOne) {
    TypeParam test;
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
TYPED_TEST(CovariateRegression, EnumerationPlotsTheChiSquareStatistic) {
    TypeParam test;
    test.useEnumeration = true;
    const auto run =
        calc_test::Calculate(test, kPostHoc, {{"tails", "Two"}, {"N", Traits<TypeParam>::kPlotN}});
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

}  // namespace
