// f² of the omnibus regression test and ρ² of the random model: formulas
// against hand-worked values and the R² distribution's limits solved
// independently (verification/panels/mrc_interval.py), the checks, the
// store and the transfer.

#include "effectsize/multiple_regression.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "analysis/property.h"

namespace {

namespace om = effectsize::regression_omnibus;
namespace rr = effectsize::regression_random;

// Two predictors correlated `r12` with each other and y1, y2 with the outcome.
effectsize::PredictorCorrelations TwoPredictors(const wchar_t* y1, const wchar_t* y2,
                                                const wchar_t* r12) {
    effectsize::PredictorCorrelations c;
    effectsize::SizePredictorCorrelations(&c, 2);
    c.outcome.cells(0, 0) = y1;
    c.outcome.cells(0, 1) = y2;
    c.predictors.cells(0, 1) = c.predictors.cells(1, 0) = r12;
    return c;
}

TEST(RegressionOmnibus, FSquaredFromRSquaredOrCorrelations) {
    struct Case {
        int mode;
        const char* r2;
        const char* predictors;
        const wchar_t* y1;
        const wchar_t* y2;
        const wchar_t* r12;
        double r2Expected;
        double f2;
    };
    const Case cases[] = {
        {om::kFromR2, "0.2", "3", L"0", L"0", L"0", 0.2, 0.25},
        {om::kFromR2, "0.5", "3", L"0", L"0", L"0", 0.5, 1.0},
        {om::kFromR2, "=1/5", "3", L"0", L"0", L"0", 0.2, 0.25},
        {om::kFromR2, "0", "3", L"0", L"0", L"0", 0.0, 0.0},
        // ρyᵀR⁻¹ρy: uncorrelated predictors add their squares.
        {om::kFromCorrelations, "", "2", L"0.3", L"0.4", L"0", 0.25, 1.0 / 3.0},
        {om::kFromCorrelations, "", "1", L"0.5", L"0.9", L"0.9", 0.25, 1.0 / 3.0},
        // (0.25 + 0.16 - 2 * 0.5 * 0.3 * 0.4) / (1 - 0.25) by hand.
        {om::kFromCorrelations, "", "2", L"0.5", L"0.4", L"0.3", 0.29 / 0.91, 0.29 / 0.62},
        // A typed count above the matrices' adds uncorrelated predictors.
        {om::kFromCorrelations, "", "=4", L"0.3", L"0.4", L"0", 0.25, 1.0 / 3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.r2 + std::string("/") + c.predictors);
        om::Inputs inputs;
        inputs.mode = c.mode;
        inputs.text = {c.r2, c.predictors};
        inputs.correlations = TwoPredictors(c.y1, c.y2, c.r12);
        ASSERT_FALSE(om::Check(inputs));
        const om::Result result = om::Compute(inputs);
        EXPECT_NEAR(result.r2, c.r2Expected, 1e-14);
        EXPECT_NEAR(result.f2, c.f2, 1e-14);
        const effectsize::TransferPlan plan = om::PlanTransfer(result);
        EXPECT_TRUE(plan.writes.empty());
        EXPECT_EQ(plan.effectSize, result.f2);
    }
}

TEST(RegressionOmnibus, RefusesOutOfRangeSingularAndUnreadable) {
    struct Case {
        int mode;
        const char* r2;
        const char* predictors;
        const wchar_t* r12;
        int field;
        const char* message;  // null: the evaluator's or the matrix's own
    };
    const Case cases[] = {
        {om::kFromR2, "1", "3", L"0", om::kR2, om::kR2RangeMessage},
        {om::kFromR2, "-0.01", "3", L"0", om::kR2, om::kR2RangeMessage},
        {om::kFromR2, "=1/0", "3", L"0", om::kR2, nullptr},
        {om::kFromR2, "", "3", L"0", om::kR2, effectsize::kNotANumberMessage},
        {om::kFromCorrelations, "0.5", "0", L"0", om::kPredictors, om::kPredictorCountMessage},
        {om::kFromCorrelations, "0.5", "x", L"0", om::kPredictors, nullptr},
        // Mended: a singular matrix is refused instead of giving R² of NaN.
        {om::kFromCorrelations, "0.5", "2", L"1", om::kPredictors, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.r2 + std::string("/") + c.predictors);
        om::Inputs inputs;
        inputs.mode = c.mode;
        inputs.text = {c.r2, c.predictors};
        inputs.correlations = TwoPredictors(L"0.3", L"0.4", c.r12);
        const auto error = om::Check(inputs);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->field, c.field);
        if (c.message) {
            EXPECT_EQ(error->message, c.message);
        } else {
            EXPECT_FALSE(error->message.empty());
        }
    }
}

TEST(RegressionOmnibus, StoreKeepsTextsFormulasAndTheLowerTriangle) {
    PropertyList store;
    om::Inputs fresh;
    om::Save(fresh, &store);
    std::string text;
    ASSERT_TRUE(GetNamedString(&store, "fmo_r2", &text));
    EXPECT_EQ(text, "0.5");
    ASSERT_TRUE(GetNamedString(&store, "fmo_m_2_1", &text));  // 3 predictors
    EXPECT_EQ(text, "0");
    EXPECT_FALSE(GetNamedString(&store, "fmo_m_1_2", &text));

    om::Inputs typed;
    typed.mode = om::kFromCorrelations;
    typed.text = {"", "=2"};
    typed.correlations = TwoPredictors(L"=0.3", L"0.4", L"0.25");
    typed.correlations.outcome.colLabels(0, 1) = L"\u03c1 age";
    om::Save(typed, &store);
    om::Inputs back;
    om::Restore(&store, &back);
    EXPECT_EQ(back.mode, om::kFromCorrelations);
    EXPECT_EQ(back.text[om::kR2], "");
    EXPECT_EQ(back.text[om::kPredictors], "=2");
    EXPECT_EQ(back.correlations.outcome.cells(0, 0), L"=0.3");
    EXPECT_EQ(back.correlations.predictors.cells(0, 1), L"0.25");
    EXPECT_EQ(back.correlations.predictors.rowLabels(1, 0), L"\u03c1 age");
    EXPECT_NEAR(om::Compute(back).r2, om::Compute(typed).r2, 1e-15);
}

TEST(PredictorCorrelations, GrowingKeepsTheLeadingPartAndLabelsNewPredictors) {
    effectsize::PredictorCorrelations c = TwoPredictors(L"0.3", L"0.4", L"0.2");
    effectsize::SizePredictorCorrelations(&c, 4);
    EXPECT_EQ(c.outcome.colLabels(0, 3), L"P 4");
    EXPECT_EQ(c.predictors.rowLabels(2, 0), L"P 3");
    EXPECT_EQ(c.outcome.cells(0, 1), L"0.4");
    EXPECT_EQ(c.outcome.cells(0, 2), L"0");
    EXPECT_EQ(c.predictors.cells(1, 0), L"0.2");
    EXPECT_EQ(c.predictors.cells(3, 3), L"1");
    EXPECT_EQ(c.predictors.cells(3, 1), L"0");
    EXPECT_EQ(c.predictors.cells(1, 3), L"0");
    effectsize::SizePredictorCorrelations(&c, 1);
    EXPECT_EQ(c.predictors.cells.rows(), 1);
    EXPECT_EQ(c.outcome.values(0, 0), 0.3);
}

struct IntervalRow {
    int n, k;
    std::string r2, c;
    double lower, upper, lowerBound, upperBound;
};

std::vector<IntervalRow> IntervalRows() {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/panels/mrc_interval.csv");
    std::vector<IntervalRow> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string cell[8];
        for (std::string& c : cell) std::getline(cells, c, ',');
        rows.push_back({std::stoi(cell[0]), std::stoi(cell[1]), cell[2], cell[3],
                        std::stod(cell[4]), std::stod(cell[5]), std::stod(cell[6]),
                        std::stod(cell[7])});
    }
    return rows;
}

TEST(RegressionRandom, IntervalAndBoundsMatchTheBetaMixture) {
    const std::vector<IntervalRow> rows = IntervalRows();
    ASSERT_EQ(rows.size(), 5u);
    for (const IntervalRow& row : rows) {
        SCOPED_TRACE(std::to_string(row.n) + " " + std::to_string(row.k) + " " + row.r2);
        rr::Inputs inputs;
        inputs.text[rr::kSampleSize] = std::to_string(row.n);
        inputs.text[rr::kPredictors] = std::to_string(row.k);
        inputs.text[rr::kObservedR2] = row.r2;
        inputs.text[rr::kConfidence] = row.c;
        for (const char* position : {"0", "1", "0.25"}) {
            inputs.text[rr::kPosition] = position;
            ASSERT_FALSE(rr::Check(inputs));
            const rr::Result result = rr::Compute(inputs);
            ASSERT_FALSE(result.failure) << result.failure->message;
            EXPECT_NEAR(result.lower, row.lower, 1e-6);
            EXPECT_NEAR(result.upper, row.upper, 1e-6);
            EXPECT_NEAR(result.lowerBound, row.lowerBound, 1e-6);
            EXPECT_NEAR(result.upperBound, row.upperBound, 1e-6);
            const double t = std::stod(position);
            EXPECT_NEAR(result.rho2, row.lower + t * (row.upper - row.lower), 1e-6);
        }
    }
}

TEST(RegressionRandom, ChecksInOrderWithTheirFields) {
    struct Case {
        rr::Field field;
        const char* text;
        rr::Field errorField;
        const char* message;
    };
    const Case cases[] = {
        {rr::kPredictors, "0", rr::kPredictors, rr::kPredictorsMessage},
        {rr::kSampleSize, "7", rr::kSampleSize, rr::kSampleSizeMessage},  // N = k + 1
        {rr::kObservedR2, "1.01", rr::kObservedR2, rr::kObservedR2Message},
        {rr::kConfidence, "0.5", rr::kConfidence, rr::kConfidenceMessage},
        {rr::kConfidence, "1", rr::kConfidence, rr::kConfidenceMessage},
        {rr::kPosition, "-0.1", rr::kPosition, rr::kPositionMessage},
        {rr::kPosition, "", rr::kPosition, effectsize::kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        rr::Inputs inputs;
        inputs.text[c.field] = c.text;
        const auto error = rr::Check(inputs);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->field, c.errorField);
        EXPECT_EQ(error->message, c.message);
    }
    rr::Inputs edge;
    edge.text[rr::kSampleSize] = "8";     // N = k + 2
    edge.text[rr::kConfidence] = "0.99";  // mended: the usual level is taken
    EXPECT_FALSE(rr::Check(edge));
    edge.text[rr::kSampleSize] = "9";
    EXPECT_FALSE(rr::Compute(edge).failure);
    // R² = 1 passes the range but has no interval: a failure, not a value.
    edge.text[rr::kObservedR2] = "1";
    ASSERT_FALSE(rr::Check(edge));
    EXPECT_TRUE(rr::Compute(edge).failure);
}

TEST(RegressionRandom, CorrelationModeTransfersItsCountOnly) {
    rr::Inputs inputs;
    inputs.mode = rr::kFromCorrelations;
    inputs.text[rr::kSampleSize] = "not read";
    inputs.text[rr::kCorrelationPredictors] = "2";
    inputs.correlations = TwoPredictors(L"0.3", L"0.4", L"0");
    ASSERT_FALSE(rr::Check(inputs));
    const rr::Result result = rr::Compute(inputs);
    EXPECT_NEAR(result.rho2, 0.25, 1e-15);
    const effectsize::TransferPlan plan = rr::PlanTransfer(inputs, result);
    ASSERT_EQ(plan.writes.size(), 1u);
    EXPECT_EQ(plan.writes[0].label, "Number of predictors");
    EXPECT_EQ(plan.writes[0].value, 2.0);
    EXPECT_EQ(plan.effectSize, result.rho2);

    inputs.correlations = TwoPredictors(L"0.3", L"0.4", L"1");  // singular
    const auto error = rr::Check(inputs);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->field, rr::kCorrelationPredictors);

    inputs.mode = rr::kFromInterval;
    inputs.text[rr::kSampleSize] = "=50.4";
    inputs.text[rr::kPredictors] = "3";
    const effectsize::TransferPlan interval = rr::PlanTransfer(inputs, result);
    ASSERT_EQ(interval.writes.size(), 2u);
    EXPECT_EQ(interval.writes[0].value, 3.0);
    EXPECT_EQ(interval.writes[1].label, "Total sample size");
    EXPECT_EQ(interval.writes[1].value, 50.0);
}

TEST(RegressionRandom, StoreAndMainWindowCounts) {
    PropertyList store;
    rr::Inputs typed;
    typed.text[rr::kObservedR2] = "=0.1*3";
    typed.text[rr::kPosition] = "";
    typed.text[rr::kCorrelationPredictors] = "2";
    rr::SizeToTypedCount(&typed);
    typed.correlations.predictors.cells(1, 0) = L"0.5";
    rr::Save(typed, &store);
    long mode = -1;
    EXPECT_TRUE(GetNamedLong(&store, "mrcrnd_mode", &mode));
    rr::Inputs back;
    rr::Restore(&store, &back);
    for (int field = 0; field < rr::kFieldCount; ++field)
        EXPECT_EQ(back.text[field], typed.text[field]) << rr::StoreKey(field);
    EXPECT_EQ(back.correlations.predictors.cells.rows(), 2);
    EXPECT_EQ(back.correlations.predictors.cells(0, 1), L"0.5");

    const std::string predictors = "4";
    const std::string n = "60";
    back.text[rr::kSampleSize] = "=2*50";
    rr::TakeMainWindowCounts(&predictors, &n, &back);
    EXPECT_EQ(back.text[rr::kPredictors], "4");
    EXPECT_EQ(back.text[rr::kSampleSize], "=2*50");  // a formula stays
    back.mode = rr::kFromCorrelations;
    rr::TakeMainWindowCounts(&n, &n, &back);
    EXPECT_EQ(back.text[rr::kPredictors], "4");
}

}  // namespace
