// The repeated-measures ANOVA by the univariate approach through the
// calculation path of the main window.

#include "power/f/power_f_repeated.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "power/f/f_chi_test_tables.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;
using namespace f_chi_test;

const char* const kReferenceTable = "verification/f_designs/repeated_measures.tsv";

const char* const kMeasurements = "Number of measurements";
const char* const kCorrelation = "Corr among rep measures";
const char* const kEpsilon = "Nonsphericity correction $\\epsilon$";

std::unique_ptr<PowerFRepMBetween> Make(TestId id) {
    if (id == kRepeatedWithinTestId) return std::make_unique<PowerFRepMWithin>();
    if (id == kRepeatedInteractionTestId) return std::make_unique<PowerFRepMInteraction>();
    return std::make_unique<PowerFRepMBetween>();
}

// Reference values: verification/f_designs/repeated_measures.R (noncentral
// F in R). The table's "spec" is the effect-size specification, which the
// test takes as its option before the inputs are built. Among them, with 2
// groups, 4 measurements, rho 0.5 and f = 0.25 at alpha 0.05 and power
// 0.95: N = 132 for the between factor (lambda 0.1 N, df 1 and N - 2) and
// N = 36 for the within factor and the interaction (lambda 0.5 N, df 3 and
// 3(N - 2)).
TEST(RepeatedMeasures, AgreesWithRInEveryAnalysisTypeAndSpecification) {
    for (TestId id : {kRepeatedBetweenTestId, kRepeatedWithinTestId, kRepeatedInteractionTestId}) {
        const auto cases = calc_test::ReadReferenceCases(kReferenceTable, id);
        ASSERT_GE(cases.size(), 10u) << id;
        for (calc_test::ReferenceCase c : cases) {
            auto test = Make(id);
            test->effectSizeSpecification = std::stoi(c.inputs.at("spec"));
            c.inputs.erase("spec");
            const auto run = Calculate(*test, c.type, c.inputs);
            EXPECT_EQ(run->status, c.status) << c.line << "\n" << run->message;
            for (const auto& [key, expected] : c.outputs) {
                calc_test::ExpectOutput(run->outputs, calc_test::Label(*test, key), expected,
                                        c.line);
            }
        }
    }
}

// Criterion and Compromise at alpha far below 1e-12, effect f with the
// correlation among the measures (verification/small_tails, R, seeded
// random cases).
TEST(RepeatedMeasures, SmallAlphaAndBetaAgreeWithR) {
    for (TestId id : {kRepeatedBetweenTestId, kRepeatedWithinTestId, kRepeatedInteractionTestId}) {
        calc_test::ExpectReferenceCases(
            kDesignSmallTails, id, [id] { return Make(id); }, 2);
    }
}

const char* const kF = "Effect size f";
const char* const kFU = "Effect size f(U)";
const char* const kFV = "Effect size f(V)";

// The effect's label follows the specification, the correlation is an
// input with specification 0 only, and the within and interaction tests
// close the list with the nonsphericity correction.
TEST(RepeatedMeasures, InputAndOutputRows) {
    const std::vector<std::string> head = {kLambda, kCriticalF, kNumeratorDf, kDenominatorDf};
    struct Spec {
        int specification;
        const char* effect;
    };
    for (TestId id : {kRepeatedBetweenTestId, kRepeatedWithinTestId, kRepeatedInteractionTestId}) {
        for (const Spec& spec : {Spec{0, kF}, Spec{1, kFV}, Spec{2, kFU}, Spec{3, kFV}}) {
            std::vector<std::string> design = {kGroups, kMeasurements};
            if (spec.specification == 0) design.push_back(kCorrelation);
            if (id != kRepeatedBetweenTestId) design.push_back(kEpsilon);
            auto test = Make(id);
            test->effectSizeSpecification = spec.specification;
            calc_test::ExpectListLabels(*test, kAPriori,
                                        calc_test::Joined({spec.effect, kAlpha, kPower}, design),
                                        calc_test::Joined(head, {kTotal, kActualPower}));
            calc_test::ExpectListLabels(*test, kSensitivity,
                                        calc_test::Joined({kAlpha, kPower, kTotal}, design),
                                        calc_test::Joined(head, {spec.effect}));
            calc_test::ExpectListLabels(*test, kCompromise,
                                        calc_test::Joined({spec.effect, kRatio, kTotal}, design),
                                        calc_test::Joined(head, {kAlpha, kBeta, kPower}));
            calc_test::ExpectEffectInput(*test, kPostHoc, spec.effect, id);
        }
    }
}

TEST(RepeatedMeasures, RefusedInputsNameTheirRow) {
    struct Case {
        TestId id;
        int specification;
        AnalysisType type;
        calc_test::Texts values;
        const char* row;
        const char* message;
    };
    const char* const kAboveGroups = "Sample size must be greater than\nthe number of groups (3).";
    const Case cases[] = {
        // The design first: groups, measurements, correlation, correction.
        {kRepeatedBetweenTestId,
         0,
         kPostHoc,
         {{"k", "1"}, {"m", "1"}},
         kGroups,
         "There must be at least 2 groups."},
        {kRepeatedInteractionTestId,
         0,
         kPostHoc,
         {{"k", "1"}},
         kGroups,
         "There must be at least 2 groups."},
        {kRepeatedWithinTestId,
         0,
         kPostHoc,
         {{"k", "0"}},
         kGroups,
         "There must be at least 1 groups."},
        {kRepeatedWithinTestId,
         0,
         kAPriori,
         {{"m", "1"}, {"rho", "2"}},
         kMeasurements,
         "There must be at least 2 measurements."},
        {kRepeatedBetweenTestId,
         0,
         kAPriori,
         {{"rho", "0.9999995"}},
         kCorrelation,
         "Correlation between repeated measures\nis outside the admissible range (-0.999999, "
         "0.999999)."},
        // Compound symmetry of three measurements is singular at rho = -0.5
        // (the between weight m / (1 + (m - 1) rho) divides by 0); the
        // within weight m / (1 - rho) has no such bound.
        {kRepeatedBetweenTestId,
         0,
         kPostHoc,
         {{"m", "3"}, {"rho", "-0.5"}},
         kCorrelation,
         "Correlation between repeated measures\nmust be greater than -0.5 with 3 measurements."},
        {kRepeatedBetweenTestId,
         0,
         kSensitivity,
         {{"rho", "-0.4"}},
         kCorrelation,
         "Correlation between repeated measures\nmust be greater than -0.333333 with 4 "
         "measurements."},
        {kRepeatedWithinTestId,
         0,
         kAPriori,
         {{"m", "5"}, {"eps", "0.2"}, {"f", "-1"}},
         kEpsilon,
         "Correction for nonsphericity is outside\nthe admissible range (0.25, 1),\nwhere the "
         "lower bound corresponds to 1/(number of measurements-1)"},
        {kRepeatedInteractionTestId,
         0,
         kPostHoc,
         {{"eps", "1.01"}},
         kEpsilon,
         "Correction for nonsphericity is outside\nthe admissible range (0.333333, 1),\nwhere "
         "the lower bound corresponds to 1/(number of measurements-1)"},
        // The effect size named by its label.
        {kRepeatedBetweenTestId,
         0,
         kAPriori,
         {{"f", "0"}},
         kF,
         "Effect size f is outside the admissible range (1e-06, 50)."},
        {kRepeatedWithinTestId,
         2,
         kPostHoc,
         {{"fU", "-0.1"}},
         kFU,
         "Effect size f(U) is outside the admissible range (0, 50)."},
        {kRepeatedInteractionTestId,
         3,
         kCriterion,
         {{"fV", "51"}},
         kFV,
         "Effect size f(V) is outside the admissible range (0, 50)."},
        {kRepeatedBetweenTestId, 0, kSensitivity, {{"k", "3"}, {"N", "3"}}, kTotal, kAboveGroups},
        // N before the ratio in a Compromise.
        {kRepeatedWithinTestId,
         0,
         kCompromise,
         {{"k", "3"}, {"N", "3"}, {"q", "1000"}},
         kTotal,
         kAboveGroups},
        {kRepeatedWithinTestId,
         0,
         kCompromise,
         {{"q", "1000"}},
         kRatio,
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Case& c : cases) {
        auto test = Make(c.id);
        test->effectSizeSpecification = c.specification;
        const auto result = Calculate(*test, c.type, c.values);
        const std::string context =
            std::to_string(c.id) + " " + calc_test::Describe(c.type, c.values);
        calc_test::ExpectRefused(*result, c.row, c.message, context);
        EXPECT_EQ(test->groupCount, 2.0) << context;
        EXPECT_EQ(test->extraCount, 4.0) << context;
        EXPECT_EQ(test->correlation, 0.5) << context;
        EXPECT_EQ(test->effectSize, 0.25) << context;
    }
}

// A design whose noncentrality lies beyond the F distribution's reach is
// refused on the measurements row in every type: Post hoc, Criterion and
// Compromise before they solve, A priori and Sensitivity where their
// searches meet it, with the noncentrality reached.
TEST(RepeatedMeasures, DesignsBeyondTheFDistributionAreRefusedInEveryType) {
    const std::string beyond = "is beyond 1e+10,\nthe largest the F distribution computes.";
    for (TestId id : {kRepeatedWithinTestId, kRepeatedInteractionTestId}) {
        for (AnalysisType type : {kAPriori, kSensitivity, kPostHoc, kCriterion, kCompromise}) {
            auto test = Make(id);
            const calc_test::Texts texts = {{"m", "2147483647"}};
            const auto result = Calculate(*test, type, texts);
            const std::string context = std::to_string(id) + " " + calc_test::Describe(type, texts);
            ASSERT_GE(result->status, 0) << context << " " << result->message;
            EXPECT_EQ(result->status, result->RowLabelled(kMeasurements)) << context;
            EXPECT_EQ(result->message.rfind("The noncentrality parameter of this design (", 0), 0u)
                << context << " " << result->message;
            EXPECT_NE(result->message.find(beyond), std::string::npos) << context;
        }
    }
}

// A change of the specification converts the effect shown for the design
// shown; converting back gives the effect again, to the seven digits the
// input shows.
TEST(RepeatedMeasures, ChangingTheSpecificationConvertsTheEffect) {
    for (TestId id : {kRepeatedBetweenTestId, kRepeatedWithinTestId, kRepeatedInteractionTestId}) {
        auto test = Make(id);
        const calc_test::Texts design = {
            {"f", "0.3"}, {"k", "3"}, {"m", "5"}, {"rho", "0.4"}, {"N", "60"}};
        calc_test::Texts texts = design;
        if (id != kRepeatedBetweenTestId) texts["eps"] = "0.5";
        auto before = Calculate(*test, kPostHoc, texts);
        ASSERT_EQ(before->status, kCalculateDone) << before->message;
        const double lambda = OutputValue(before->outputs, kLambda);

        // f(U) with the same lambda: the same power.
        test->ChangeEffectSizeSpecification(2, &before->inputs);
        EXPECT_EQ(test->effectSizeSpecification, 2);
        PropertyList inputs;
        test->BuildInputList(kPostHoc, &inputs);
        ASSERT_NE(inputs.Find(kFU), nullptr) << id;
        EXPECT_NEAR(std::stod(inputs.Find(kFU)->text), test->effectSize, 1e-6 * test->effectSize);
        auto converted = Calculate(*test, kPostHoc, {});
        ASSERT_EQ(converted->status, kCalculateDone) << converted->message;
        EXPECT_NEAR(OutputValue(converted->outputs, kLambda), lambda, 1e-5 * lambda) << id;
        calc_test::ExpectOutput(converted->outputs, kPower, OutputValue(before->outputs, kPower),
                                std::to_string(id));

        test->ChangeEffectSizeSpecification(0, &converted->inputs);
        test->BuildInputList(kPostHoc, &inputs);
        EXPECT_NEAR(std::stod(inputs.Find(kF)->text), 0.3, 1e-7) << id;

        // 1 and 3 are the same f(V).
        test->ChangeEffectSizeSpecification(1, &inputs);
        const double fV = test->effectSize;
        test->BuildInputList(kPostHoc, &inputs);
        test->ChangeEffectSizeSpecification(3, &inputs);
        EXPECT_NEAR(test->effectSize, fV, 1e-6 * fV) << id;
    }
}

// Without the correlation among the measures as an input, the test takes
// it as 0.
TEST(RepeatedMeasures, OtherSpecificationsTakeNoCorrelation) {
    PowerFRepMWithin test;
    test.effectSizeSpecification = 1;
    const auto result = Calculate(test, kPostHoc, {{"fV", "0.2"}, {"N", "40"}});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(test.correlation, 0.0);
    EXPECT_DOUBLE_EQ(OutputValue(result->outputs, kLambda), 0.04 * 40);
}

}  // namespace
