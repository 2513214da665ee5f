// Δ of the Hotelling panel: the worked values by hand, the input methods and
// patterns, the refusals, the store and the transfer.

#include "effectsize/hotelling.h"

#include <gtest/gtest.h>

#include "analysis/property.h"

namespace {

namespace ho = effectsize::hotelling;

ho::Inputs TwoResponses(int method, std::vector<const wchar_t*> means,
                        std::vector<const wchar_t*> covariance) {
    ho::Inputs inputs;
    inputs.method = method;
    for (int k = 0; k < 4; ++k) inputs.means.cells(k / 2, k % 2) = means[k];
    for (int k = 0; k < 4; ++k) inputs.covariance.cells(k / 2, k % 2) = covariance[k];
    inputs.means.EvaluateCells();
    inputs.covariance.EvaluateCells();
    return inputs;
}

TEST(Hotelling, DeltaOfTheWorkedValues) {
    struct Case {
        bool oneGroup;
        int method;
        std::vector<const wchar_t*> means;
        std::vector<const wchar_t*> covariance;
        const char* factor;
        double delta;
    };
    const Case cases[] = {
        {true, ho::kCovariances, {L"1", L"0", L"9", L"9"}, {L"1", L"0", L"0", L"1"}, "1", 1.0},
        {false,
         ho::kCovariances,
         {L"1", L"1", L"0", L"0"},
         {L"1", L"0", L"0", L"1"},
         "1",
         std::sqrt(2.0)},
        {false,
         ho::kCovariances,
         {L"1", L"1", L"0", L"0"},
         {L"1", L"0", L"0", L"1"},
         "2",
         2.0 * std::sqrt(2.0)},
        {true, ho::kCovariances, {L"1", L"0", L"0", L"0"}, {L"4", L"0", L"0", L"4"}, "1", 0.5},
        {true, ho::kSdAndCorrelation, {L"1", L"0", L"0", L"0"}, {L"2", L"0", L"0", L"2"}, "1", 0.5},
        // Correlated: Δ² = (1, 1) [[1, .5], [.5, 1]]⁻¹ (1, 1)ᵀ = 4/3.
        {true,
         ho::kSdAndCorrelation,
         {L"1", L"1", L"0", L"0"},
         {L"1", L"0.5", L"0.5", L"1"},
         "1",
         std::sqrt(4.0 / 3.0)},
        {false,
         ho::kCovariances,
         {L"=2", L"3", L"1", L"1"},
         {L"4", L"3", L"3", L"9"},
         "1",
         // d = (1, 2), Σ⁻¹ = [[9, -3], [-3, 4]] / 27: Δ² = (9 - 12 + 16) / 27.
         std::sqrt(13.0 / 27.0)},
    };
    for (const Case& c : cases) {
        ho::Inputs inputs = TwoResponses(c.method, c.means, c.covariance);
        inputs.text[ho::kMeanFactor] = c.factor;
        SCOPED_TRACE(c.delta);
        ASSERT_FALSE(ho::Check(inputs, c.oneGroup));
        EXPECT_NEAR(ho::Compute(inputs, c.oneGroup), c.delta, 1e-14);
    }
}

TEST(Hotelling, PatternsAndMethodChanges) {
    ho::Inputs inputs;
    inputs.text[ho::kResponses] = "3";
    inputs.ResizeMatrices(3);
    inputs.method = ho::kSdAndCorrelationPattern;
    inputs.firstOrderAutocorr = false;
    ho::BuildCorrelationPattern(&inputs, 0.5);
    EXPECT_EQ(inputs.covariance.cells(2, 0), L"0.5");
    inputs.firstOrderAutocorr = true;
    ho::BuildCorrelationPattern(&inputs, 0.5);
    EXPECT_EQ(inputs.covariance.cells(1, 0), L"0.5");
    EXPECT_EQ(inputs.covariance.cells(0, 2), L"0.25");
    EXPECT_EQ(inputs.covariance.cells(1, 1), L"1");

    ho::Inputs cov =
        TwoResponses(ho::kCovariances, {L"0", L"0", L"0", L"0"}, {L"4", L"3", L"3", L"9"});
    ho::ChangeMethod(&cov, ho::kSdAndCorrelation);
    EXPECT_EQ(cov.covariance.cells(0, 0), L"2");
    EXPECT_EQ(cov.covariance.cells(1, 1), L"3");
    EXPECT_EQ(cov.covariance.cells(1, 0), L"0.5");
    ho::ChangeMethod(&cov, ho::kCovariances);
    EXPECT_EQ(cov.covariance.cells(0, 1), L"3");
    EXPECT_EQ(cov.covariance.cells(1, 1), L"9");
    // A variance of 0 cannot become an SD with correlations: nothing changes.
    ho::Inputs zero =
        TwoResponses(ho::kCovariances, {L"0", L"0", L"0", L"0"}, {L"0", L"0", L"0", L"4"});
    ho::ChangeMethod(&zero, ho::kSdAndCorrelation);
    EXPECT_EQ(zero.covariance.cells(1, 1), L"4");
}

TEST(Hotelling, RefusesSingularAndUnreadableInputs) {
    struct Case {
        int method;
        std::vector<const wchar_t*> covariance;
        const char* responses;
        const char* corr;
        int field;
        const char* message;
    };
    const Case cases[] = {
        // Mended: a singular Σ gave an infinite or NaN Δ that was transferred.
        {ho::kCovariances,
         {L"1", L"1", L"1", L"1"},
         "2",
         "0.6",
         ho::kResponses,
         ho::kSingularMessage},
        {ho::kCovariances,
         {L"1", L"2", L"2", L"1"},
         "2",
         "0.6",
         ho::kResponses,
         ho::kSingularMessage},  // indefinite: Δ² < 0
        {ho::kSdAndCorrelation,
         {L"0", L"0", L"0", L"1"},
         "2",
         "0.6",
         ho::kResponses,
         ho::kSingularMessage},
        {ho::kSdAndCorrelationPattern,
         {L"1", L"1", L"1", L"1"},
         "2",
         "1",
         ho::kPatternCorrelation,
         ho::kPatternMessage},
        {ho::kCovariances,
         {L"1", L"0", L"0", L"1"},
         "0",
         "0.6",
         ho::kResponses,
         ho::kResponsesMessage},
        {ho::kCovariances,
         {L"1", L"0", L"0", L"1"},
         "2.5",
         "0.6",
         ho::kResponses,
         ho::kResponsesMessage},
        {ho::kCovariances,
         {L"1", L"0", L"0", L"1"},
         "",
         "0.6",
         ho::kResponses,
         effectsize::kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.responses + std::string(" ") + c.corr);
        ho::Inputs inputs = TwoResponses(c.method, {L"1", L"0", L"0", L"0"}, c.covariance);
        inputs.text[ho::kResponses] = c.responses;
        inputs.text[ho::kPatternCorrelation] = c.corr;
        const auto error = ho::Check(inputs, true);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(Hotelling, CountAboveTheMatricesAddsUncorrelatedResponses) {
    // Mended: the records are resized to p before anything runs over p.
    ho::Inputs inputs =
        TwoResponses(ho::kCovariances, {L"1", L"0", L"0", L"0"}, {L"4", L"0", L"0", L"4"});
    inputs.text[ho::kResponses] = "4";
    ASSERT_FALSE(ho::Check(inputs, true));
    EXPECT_NEAR(ho::Compute(inputs, true), 0.5, 1e-15);
    PropertyList store;
    ho::Save(inputs, "fho1", &store);
    double value = -1.0;
    EXPECT_TRUE(GetNamedDouble(&store, "fho1_s_3_3", &value));
    EXPECT_EQ(value, 1.0);
    const effectsize::TransferPlan plan = ho::PlanTransfer(inputs, 0.5);
    ASSERT_EQ(plan.writes.size(), 1u);
    EXPECT_EQ(plan.writes[0].label, "Response variables");
    EXPECT_EQ(plan.writes[0].value, 4.0);
    EXPECT_EQ(plan.effectSize, 0.5);
}

TEST(Hotelling, StoreRoundTripUnderItsPrefix) {
    ho::Inputs inputs =
        TwoResponses(ho::kCovariances, {L"=1/2", L"2", L"3", L"4"}, {L"4", L"3", L"3", L"9"});
    inputs.means.colLabels(0, 0) = L"weight";
    inputs.means.colLabels(0, 1) = L"";
    inputs.text[ho::kPatternCorrelation] = "";
    inputs.text[ho::kMeanFactor] = "1.5";
    inputs.firstOrderAutocorr = false;
    PropertyList store;
    ho::Save(inputs, "fho2", &store);
    double value = 0.0;
    ASSERT_TRUE(GetNamedDouble(&store, "fho2_s_0_1", &value));
    EXPECT_EQ(value, 3.0);
    EXPECT_FALSE(GetNamedDouble(&store, "fho2_s_1_0", &value));
    std::string label;
    EXPECT_FALSE(GetNamedString(&store, "fho2_cl1", &label));  // empty: not stored

    ho::Inputs back;
    ho::Restore(&store, "fho2", &back);
    EXPECT_EQ(back.method, ho::kCovariances);
    EXPECT_EQ(back.text[ho::kResponses], "2");
    EXPECT_EQ(back.text[ho::kPatternCorrelation], "");
    EXPECT_EQ(back.text[ho::kMeanFactor], "1.5");
    EXPECT_FALSE(back.firstOrderAutocorr);
    EXPECT_EQ(back.means.cells(0, 0), L"0.5");         // a formula comes back as its value
    EXPECT_EQ(back.means.colLabels(0, 1), L"weight");  // carried from the column before
    EXPECT_EQ(back.covariance.cells(1, 0), L"3");
    EXPECT_NEAR(ho::Compute(back, false), ho::Compute(inputs, false), 1e-15);
    ho::Inputs other;
    ho::Restore(&store, "fho1", &other);  // another test's prefix: defaults
    EXPECT_EQ(other.method, ho::kSdAndCorrelationPattern);
}

}  // namespace
