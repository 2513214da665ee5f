// MANOVA and the repeated-measures tests by the multivariate approach:
// their answers at the standard inputs, the reductions to the univariate
// tests they must agree with, and what changes with the criterion.

#include "power/f/power_f_multivariate.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "power/f/power_f_anova_global.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;

double OutputOf(const calc_test::Calculation& run, const std::string& label) {
    const auto* p = dynamic_cast<const PropertyDouble*>(run.outputs.Find(label));
    return p ? p->GetValue() : NAN;
}

// A priori totals at the standard inputs (alpha 0.05, power 0.95) by
// criterion. MANOVA global: 3 groups, 2 responses, f² 0.0625.
TEST(Manova, GlobalAPrioriByCriterion) {
    const struct {
        int criterion;
        double n;
    } rows[] = {{107, 153}, {101, 153}, {103, 153}, {100, 156}, {106, 156}};
    for (const auto& r : rows) {
        PowerFManovaGlobal test;
        ASSERT_TRUE(test.SetCriterion(r.criterion));
        const auto run = Calculate(test, kAPriori, {});
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        EXPECT_EQ(OutputOf(*run, "Total sample size"), r.n) << r.criterion;
    }
}

TEST(Manova, GlobalPillaiOBrienShieh) {
    PowerFManovaGlobal test;
    const auto apriori = Calculate(test, kAPriori, {});
    EXPECT_NEAR(OutputOf(*apriori, "Actual power"), 0.952798, 5e-7);

    PowerFManovaGlobal posthoc;
    const auto run = Calculate(posthoc, kPostHoc, {});
    // 100 is no multiple of the 3 groups: the results stand with a note.
    EXPECT_EQ(run->status, kCalculateDoneWithNote);
    EXPECT_NE(run->message.find("not a multiple"), std::string::npos) << run->message;
    EXPECT_NEAR(OutputOf(*run, "Power (1-$\\beta$ err prob)"), 0.8097158, 5e-8);
    EXPECT_NEAR(OutputOf(*run, "Pillai V"), 0.1176471, 5e-8);
    EXPECT_EQ(posthoc.GetMethodText(), "Pillai V, O'Brien-Shieh Algorithm");
}

TEST(Manova, SpecialAndRepeatedMeasuresAtStandardInputs) {
    const struct {
        std::unique_ptr<PowerAnalysis> test;
        double n;
    } rows[] = {
        {std::make_unique<PowerFManovaSpecial>(), 171},
        {std::make_unique<PowerFRepMMultiBetween>(), 54},
        {std::make_unique<PowerFRepMMultiWithin>(), 74},
        {std::make_unique<PowerFRepMMultiInter>(), 73},
    };
    for (const auto& r : rows) {
        const auto run = Calculate(*r.test, kAPriori, {});
        ASSERT_EQ(run->status, kCalculateDone) << r.test->GetTestId() << run->message;
        EXPECT_EQ(OutputOf(*run, "Total sample size"), r.n) << r.test->GetTestId();
    }
}

// A priori below the criterion's closed-form minimum: with 7 groups, 3
// predictors and 6 responses Pillai's denominator df is positive from N 11
// on, and N 16 already reaches power 0.716 at f²(V) 0.675 and alpha 0.071,
// where the minimum is 17; the global test with 3 groups and 6 responses
// reaches 0.45 at N 9 (f²(V) 1.5, alpha 0.1), its minimum 12
// (verification/smallest_n, R, by a scan over every N).
TEST(Manova, APrioriFindsTheSmallestAdmissibleTotal) {
    const char table[] = "verification/smallest_n/cases.tsv";
    calc_test::ExpectReferenceCases(
        table, kManovaSpecialTestId, [] { return std::make_unique<PowerFManovaSpecial>(); }, 1);
    calc_test::ExpectReferenceCases(
        table, kManovaGlobalTestId, [] { return std::make_unique<PowerFManovaGlobal>(); }, 1);
}

// Reductions that catch formula errors (verification/multivariate/
// reference.R): one response is the one-way ANOVA (3 groups, f 0.25: 252);
// two groups are Hotelling's T² with f² = Delta² n1 n2 / N² (30 + 30,
// Delta 0.8, 3 responses: F(3, 56), lambda 9.6, power 0.7087216).
TEST(Manova, ReducesToTheUnivariateTests) {
    PowerFManovaGlobal oneResponse;
    const auto anova =
        Calculate(oneResponse, kAPriori, {{"f2v", "0.0625"}, {"k", "3"}, {"p", "1"}});
    ASSERT_EQ(anova->status, kCalculateDone) << anova->message;
    EXPECT_EQ(OutputOf(*anova, "Total sample size"), 252.0);

    PowerFManovaGlobal twoGroups;
    const auto hotelling = Calculate(
        twoGroups, kPostHoc, {{"f2v", "=0.64*900/3600"}, {"N", "60"}, {"k", "2"}, {"p", "3"}});
    ASSERT_EQ(hotelling->status, kCalculateDone) << hotelling->message;
    EXPECT_NEAR(OutputOf(*hotelling, "Power (1-$\\beta$ err prob)"), 0.7087216, 5e-8);
    EXPECT_EQ(OutputOf(*hotelling, "Denominator df"), 56.0);
    EXPECT_NEAR(OutputOf(*hotelling, "Noncentrality parameter $\\lambda$"), 9.6, 5e-8);
}

// With the mean correlation the between test is the univariate one: rho
// 0.5 and m 4 give lambda = f² N m / ((m - 1) rho + 1) and N = 132.
TEST(Manova, RepeatedBetweenWithCorrelationIsTheUnivariateTest) {
    PowerFRepMMultiBetween test;
    const auto run = Calculate(test, kAPriori, {{"rho", "0.5"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(OutputOf(*run, "Total sample size"), 132.0);
}

// k 3, m 4, rho 0.5, f 0.25, N 45 with Pillai V (O'Brien-Shieh), s = 2:
// the noncentrality is f² N m/(1 - rho) = 22.5 with F(6, 82) and power
// 0.9498977; counting s once more would give 45 and 0.9997. A simulation
// of the Pillai test (verification/multivariate/simulate_interaction.R)
// gives 0.9465 +- 0.0016.
TEST(Manova, InteractionNoncentralityCountsTheDimensionOnce) {
    PowerFRepMMultiInter test;
    const auto run = Calculate(
        test, kPostHoc, {{"f", "0.25"}, {"N", "45"}, {"k", "3"}, {"m", "4"}, {"rho", "0.5"}});
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_NEAR(OutputOf(*run, "Noncentrality parameter $\\lambda$"), 22.5, 5e-8);
    EXPECT_EQ(OutputOf(*run, "Numerator df"), 6.0);
    EXPECT_EQ(OutputOf(*run, "Denominator df"), 82.0);
    EXPECT_NEAR(OutputOf(*run, "Power (1-$\\beta$ err prob)"), 0.9498977, 5e-8);
}

TEST(Manova, CriterionDecidesLabelsOutputsAndMethod) {
    PowerFManovaGlobal test;
    ASSERT_TRUE(test.SetCriterion(101));
    PropertyList inputs, outputs;
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs[0]->name, "Effect size f$^2$(U)");
    test.BuildOutputList(kPostHoc, &outputs);
    EXPECT_EQ(outputs[outputs.size() - 1]->name, "Wilks U");
    EXPECT_EQ(test.GetMethodText(), "Wilks U, O'Brien-Shieh Algorithm");
    ASSERT_TRUE(test.SetCriterion(100));
    EXPECT_EQ(test.GetMethodText(), "Wilks U, Muller-Peterson Algorithm");
    EXPECT_FALSE(test.SetCriterion(108));
    EXPECT_EQ(test.criterion->GetCriterionId(), 100);

    // Repeated measures: f, or the criterion's f without the correlation.
    PowerFRepMMultiWithin within;
    within.BuildInputList(kAPriori, &inputs);
    EXPECT_EQ(calc_test::Names(inputs),
              (std::vector<std::string>{"Effect size f", "$\\alpha$ err prob",
                                        "Power (1-$\\beta$ err prob)", "Number of groups",
                                        "Number of measurements", "Corr among rep measures"}));
    within.useMeanCorrelation = false;
    within.BuildInputList(kAPriori, &inputs);
    EXPECT_EQ(inputs[0]->name, "Effect size f(V)");
    EXPECT_EQ(inputs.size(), 5u);

    // A clone has a criterion of the same class, but its own.
    std::unique_ptr<PowerAnalysis> copy(test.Clone());
    auto* manova = dynamic_cast<PowerFManovaGlobal*>(copy.get());
    ASSERT_NE(manova, nullptr);
    EXPECT_EQ(manova->criterion->GetCriterionId(), 100);
    EXPECT_NE(manova->criterion, test.criterion);
    std::unique_ptr<PowerAnalysis> copy2(within.Clone());
    EXPECT_FALSE(dynamic_cast<PowerFRepMMultiWithin*>(copy2.get())->useMeanCorrelation);
}

TEST(Manova, RejectedInputsNameTheirRow) {
    const struct {
        std::unique_ptr<PowerAnalysis> test;
        AnalysisType type;
        Texts texts;
        std::string row, message;
    } cases[] = {
        {std::make_unique<PowerFManovaGlobal>(),
         kAPriori,
         {{"k", "1"}},
         "k",
         "There must be at least 2 groups."},
        {std::make_unique<PowerFManovaGlobal>(),
         kAPriori,
         {{"p", "0"}},
         "p",
         "There must be at least one response variable."},
        {std::make_unique<PowerFManovaGlobal>(),
         kAPriori,
         {{"f2v", "0"}},
         "f2v",
         "Effect size f$^2$(V) is outside the admissible range (1e-06, 50)."},
        {std::make_unique<PowerFManovaGlobal>(),
         kPostHoc,
         {{"N", "3"}},
         "N",
         "Sample size must be greater than\nthe number of groups (3)."},
        {std::make_unique<PowerFManovaSpecial>(),
         kAPriori,
         {{"predictors", "0"}},
         "predictors",
         "There must be at least 1 predictor."},
        {std::make_unique<PowerFRepMMultiBetween>(),
         kAPriori,
         {{"k", "1"}},
         "k",
         "There must be at least 2 groups."},
        {std::make_unique<PowerFRepMMultiInter>(),
         kAPriori,
         {{"m", "1"}},
         "m",
         "There must be at least 2 measurements."},
        // The between test's compound symmetry is singular at rho = -1/(m-1).
        {std::make_unique<PowerFRepMMultiBetween>(),
         kSensitivity,
         {{"m", "3"}, {"rho", "-0.5"}},
         "rho",
         "Correlation between repeated measures\nmust be greater than -0.5 with 3 measurements."},
        {std::make_unique<PowerFRepMMultiWithin>(),
         kAPriori,
         {{"rho", "1"}},
         "rho",
         "Correlation between repeated measures\nis outside the admissible range (-0.999999, "
         "0.999999)."},
    };
    for (const auto& c : cases) {
        const auto run = Calculate(*c.test, c.type, c.texts);
        calc_test::ExpectRefused(*run, calc_test::Label(*c.test, c.row), c.message,
                                 std::to_string(c.test->GetTestId()) + " " + c.row);
    }
    // The within test admits one group.
    PowerFRepMMultiWithin within;
    EXPECT_EQ(Calculate(within, kAPriori, {{"k", "1"}})->status, kCalculateDone);
}

// The between and within tests round an A priori N up to whole groups, the
// interaction test to the next whole number; the special MANOVA gives no
// note for a total that is no multiple of the groups.
TEST(Manova, RoundingAndNotes) {
    PowerFRepMMultiBetween between;
    const auto a = Calculate(between, kAPriori, {{"k", "3"}});
    EXPECT_EQ(static_cast<int>(OutputOf(*a, "Total sample size")) % 3, 0);
    PowerFRepMMultiInter inter;
    EXPECT_DOUBLE_EQ(inter.RoundSampleSize(40.2), 41.0);
    PowerFManovaSpecial special;
    EXPECT_EQ(Calculate(special, kPostHoc, {{"N", "100"}})->status, kCalculateDone);
}

}  // namespace
