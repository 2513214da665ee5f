// The generic chi-square test through the calculation path of the main
// window.

#include "tests/chi/power_chi.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/plot_data.h"
#include "distributions/chi.h"
#include "distributions/quorix_error.h"
#include "tests/f/calculation_case_test_support.h"

namespace {

using calc_case::Labels;
using calc_case::Result;
using calc_case::RunCalculation;

const char* const kLambda = "Noncentrality parameter $\\lambda$";
const char* const kAlpha = "$\\alpha$ err prob";
const char* const kPower = "Power (1-$\\beta$ err prob)";
const char* const kRatio = "$\\beta$/$\\alpha$ ratio";
const char* const kBeta = "$\\beta$ err prob";
const char* const kDf = "Df";
const char* const kCritical = "Critical $\\chi^2$";

// Reference values: verification/f_chi_tests/reference.R (noncentral
// chi-square in R). Among them: lambda 20 and df 5 at alpha 0.05 give power
// 0.9523388.
TEST(GenericChiSquareTest, AgreesWithRInEveryAnalysisType) {
    calc_case::ExpectReferenceCases(400, [] { return std::make_unique<PowerChi>(); }, 5);
}

TEST(GenericChiSquareTest, InputAndOutputRowsWithoutAPriori) {
    PowerChi test;
    PropertyList types;
    test.GetAnalysisTypes(&types);
    std::vector<long> codes;
    for (Property* p : types) codes.push_back(static_cast<PropertyLong*>(p)->GetValue());
    EXPECT_EQ(codes, (std::vector<long>{kCompromise, kCriterion, kPostHoc, kSensitivity}));

    struct Case {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Case cases[] = {
        {kSensitivity, {kAlpha, kPower, kDf}, {kCritical, kLambda}},
        {kPostHoc, {kLambda, kAlpha, kDf}, {kCritical, kBeta, kPower}},
        {kCriterion, {kLambda, kPower, kDf}, {kCritical, kAlpha}},
        {kCompromise, {kLambda, kRatio, kDf}, {kCritical, kAlpha, kBeta, kPower}},
    };
    for (const Case& c : cases) {
        PropertyList inputs, outputs;
        test.BuildInputList(c.type, &inputs);
        test.BuildOutputList(c.type, &outputs);
        EXPECT_EQ(Labels(inputs), c.inputs) << c.type;
        EXPECT_EQ(Labels(outputs), c.outputs) << c.type;
    }
}

TEST(GenericChiSquareTest, StandardValuesGiveTheStandardExample) {
    PowerChi test;
    Result result;
    RunCalculation(test, kPostHoc, {}, &result);
    ASSERT_EQ(result.status, kCalculateDone);
    calc_case::ExpectOutput(result.outputs, kPower, 0.952338801039886, "post hoc");
    calc_case::ExpectOutput(result.outputs, kCritical, 11.0704976935164, "post hoc");
}

TEST(GenericChiSquareTest, RefusedInputsNameTheirRowAndChangeNothing) {
    struct Case {
        AnalysisType type;
        calc_case::Values values;
        const char* row;  // nullptr: accepted
        const char* message;
    };
    const char* const kLambdaMessage = "Noncentrality parameter $\\lambda$ must be non-negative.";
    const char* const kRatioMessage = "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)";
    const Case cases[] = {
        // The df come first, whatever else is wrong.
        {kPostHoc, {{"df", "0"}, {"lambda", "-1"}}, kDf, "Degrees of Freedom must be greater 1e-06."},
        {kSensitivity, {{"df", "9e-7"}}, kDf, "Degrees of Freedom must be greater 1e-06."},
        {kPostHoc, {{"lambda", "-1"}, {"alpha", "2"}}, kLambda, kLambdaMessage},
        {kCriterion, {{"lambda", "-1"}}, kLambda, kLambdaMessage},
        {kCompromise, {{"lambda", "-1"}, {"q", "1000"}}, kLambda, kLambdaMessage},
        {kCompromise, {{"q", "0.0099"}}, kRatio, kRatioMessage},
        {kPostHoc, {{"alpha", "0"}}, kAlpha, "Alpha is outside the admissible range (1e-07, 1)."},
        {kCriterion, {{"power", "1"}}, kPower, "Power is outside the admissible range (1e-07, 1)."},
        {kSensitivity, {{"alpha", "0.2"}, {"power", "0.1"}}, kPower, "Power must be greater than or equal to alpha."},
        // The edges of the admissible ranges.
        {kPostHoc, {{"df", "0.000001"}, {"lambda", "0"}}, nullptr, ""},
        {kCompromise, {{"q", "0.01"}}, nullptr, ""},
        {kCompromise, {{"q", "100"}}, nullptr, ""},
    };
    for (const Case& c : cases) {
        PowerChi test;
        test.criticalValue = -7.0;
        PropertyList inputs;
        Result result;
        RunCalculation(test, c.type, c.values, &result, &inputs);
        const std::string context = std::to_string(c.type) + " " + c.values.front().first + "=" +
                                    c.values.front().second;
        if (c.row == nullptr) {
            EXPECT_EQ(result.status, kCalculateDone) << context << ": " << result.message;
            continue;
        }
        int row = -1;
        inputs.FindWithIndex(c.row, &row);
        EXPECT_EQ(result.status, row) << context;
        EXPECT_EQ(result.message, c.message) << context;
        EXPECT_EQ(test.df, 5.0) << context;
        EXPECT_EQ(test.distribution->GetParam(1), 5.0) << context;
        EXPECT_EQ(test.effectSize, 20.0) << context;
        EXPECT_EQ(test.criticalValue, -7.0) << context;
    }
}

// Power 0.9999999 at alpha 1e-7 with df 5 needs lambda 129, beyond the
// search range of the noncentrality: the calculation fails instead of
// showing a placeholder lambda, and the effect shown before stays.
TEST(GenericChiSquareTest, UnreachableNoncentralityIsReportedAsFailure) {
    PowerChi test;
    Result result;
    try {
        RunCalculation(test, kSensitivity, {{"alpha", "1e-7"}, {"power", "0.9999999"}}, &result);
        FAIL() << "solved lambda = " << test.effectSize;
    } catch (const QuorixError& e) {
        EXPECT_EQ(e.GetCode(), QuorixError::kAboveUpperBound) << e.what();
    }
    EXPECT_EQ(test.effectSize, 20.0);
}

TEST(GenericChiSquareTest, CloneCarriesStateAndDistribution) {
    PowerChi test;
    Result result;
    RunCalculation(test, kPostHoc, {{"lambda", "7"}, {"df", "3"}}, &result);
    ASSERT_EQ(result.status, kCalculateDone);
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    ASSERT_NE(dynamic_cast<PowerChi*>(clone.get()), nullptr);
    EXPECT_EQ(clone->df, 3.0);
    EXPECT_EQ(clone->GetStatisticName(), "$\\chi^2$");
    PlotData original, copied;
    test.MakeDistributionPlot(&original);
    clone->MakeDistributionPlot(&copied);
    ASSERT_EQ(copied.centralCurve.size(), original.centralCurve.size());
    for (size_t i = 0; i < original.centralCurve.size(); i += 25) {
        EXPECT_EQ(copied.centralCurve[i].y, original.centralCurve[i].y) << i;
        EXPECT_EQ(copied.noncentralCurve[i].y, original.noncentralCurve[i].y) << i;
    }
}

}  // namespace
