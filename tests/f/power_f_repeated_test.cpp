// The repeated-measures ANOVA by the univariate approach through the
// calculation path of the main window.

#include "tests/f/power_f_repeated.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;

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

}  // namespace
