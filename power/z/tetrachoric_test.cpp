// The tetrachoric correlation of a 2x2 table: the estimator against the
// root of the bivariate normal and a numerical delta method
// (verification/z_correlations/tetrachoric_reference.tsv, mpmath), its
// special tables and faults, and the record that bundles the results.

#include "power/z/tetrachoric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <vector>

#include "numerics/quorix_error.h"

namespace {

struct Row {
    double cells[4];
    double r, se, se0, approxR, approxSE;
};

std::vector<Row> ReadRows() {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/z_correlations/tetrachoric_reference.tsv");
    std::vector<Row> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Row row;
        fields >> row.cells[0] >> row.cells[1] >> row.cells[2] >> row.cells[3] >> row.r >> row.se >>
            row.se0 >> row.approxR >> row.approxSE;
        rows.push_back(row);
    }
    return rows;
}

TEST(Tetrachoric, EstimatesAgreeWithTheReference) {
    const std::vector<Row> rows = ReadRows();
    ASSERT_GE(rows.size(), 8u);
    for (const Row& row : rows) {
        const double* c = row.cells;
        SCOPED_TRACE(::testing::Message() << c[0] << " " << c[1] << " " << c[2] << " " << c[3]);
        const TetrachoricEstimate e = EstimateTetrachoricR(c[0], c[1], c[2], c[3]);
        EXPECT_EQ(e.fault, 0);
        EXPECT_NEAR(e.r, row.r, 1e-9);
        EXPECT_NEAR(e.standardError, row.se, 1e-9 * row.se + 1e-12);
        EXPECT_NEAR(e.standardErrorAtZero, row.se0, 1e-9 * row.se0);
        TetrachoricTable table;
        table.SetCounts(c[0], c[1], c[2], c[3]);
        table.SetProportionsFromCounts(0.0, false);
        EXPECT_NEAR(table.EstimateR(), row.r, 1e-9);
        EXPECT_NEAR(table.ApproximateR(), row.approxR, 1e-12);
        EXPECT_NEAR(table.approximateStandardError, row.approxSE, 1e-12);
    }
}

TEST(Tetrachoric, SpecialTablesAndTheirMethods) {
    struct Case {
        double a, b, c, d;
        double r;
        int method;
    };
    const Case cases[] = {
        {30, 20, 20, 30, -std::cos(2.0 * std::numbers::pi * 0.3), 2},  // symmetric
        {0, 20, 30, 0, -1.0, 3},                                       // a = d = 0
        {20, 0, 0, 30, 1.0, 3},                                        // b = c = 0
        {10, 20, 30, 60, 0.0, 4},                                      // ad = bc
    };
    for (const Case& c : cases) {
        const TetrachoricEstimate e = EstimateTetrachoricR(c.a, c.b, c.c, c.d);
        EXPECT_EQ(e.method, c.method) << c.a;
        EXPECT_NEAR(e.r, c.r, 1e-15) << c.a;
        EXPECT_EQ(e.fault, 0);
        if (c.method == 4) {
            EXPECT_EQ(e.standardError, e.standardErrorAtZero);
        }
        if (c.method == 3) {
            EXPECT_EQ(e.standardError, 0.0);
        }
    }
    // Strong association: quadrature, from the start or midway.
    EXPECT_EQ(EstimateTetrachoricR(95, 1, 1, 50).method, 1);
    EXPECT_EQ(EstimateTetrachoricR(70, 2, 3, 25).method, 1);
    EXPECT_GE(EstimateTetrachoricR(40, 10, 20, 30).method, 6);
    // One empty cell: half a count moves between the diagonals.
    const TetrachoricEstimate empty = EstimateTetrachoricR(0, 10, 20, 30);
    EXPECT_LT(empty.method, 0);
    EXPECT_LT(empty.r, 0.0);
    // The mirrored table gives the negative correlation.
    EXPECT_NEAR(EstimateTetrachoricR(10, 40, 30, 20).r, -EstimateTetrachoricR(40, 10, 20, 30).r,
                1e-12);
}

// A table the estimator cannot take is a failure of the record, never an
// estimate of 0 with standard errors of 0.
TEST(Tetrachoric, FailedEstimatesAreFailures) {
    EXPECT_EQ(EstimateTetrachoricR(-1, 10, 10, 10).fault, 2);
    EXPECT_EQ(EstimateTetrachoricR(0, 0, 10, 10).fault, 2);
    TetrachoricTable table;
    table.SetCounts(0, 0, 10, 10);
    table.SetProportionsFromCounts(0.0, false);
    table.r = 0.5;
    EXPECT_THROW(table.EstimateR(), QuorixError);
    EXPECT_EQ(table.r, 0.5);
    // With half a count added to every cell the table is estimated.
    table.SetProportionsFromCounts(0.5, false);
    EXPECT_NO_THROW(table.EstimateR());
}

TEST(Tetrachoric, RecordLimitsAndProportions) {
    TetrachoricTable table;
    table.SetCounts(40, 10, 20, 30);
    table.SetProportionsFromCounts(0.5, true);
    EXPECT_EQ(table.total, 100.0);
    EXPECT_DOUBLE_EQ(table.proportions[0], 0.405);
    table.SetProportionsFromCounts(0.0, false);
    table.ComputeLimits(0.05);
    EXPECT_NEAR(table.upperLimit - table.r, table.r - table.lowerLimit, 1e-15);
    EXPECT_NEAR(table.upperLimit - table.r, 1.959963984540054 * table.standardError, 1e-12);
    table.ApproximateR();
    table.ComputeApproxLimits(0.05);
    EXPECT_LT(table.approximateLowerLimit, table.approximateR);
    EXPECT_GT(table.approximateUpperLimit, table.approximateR);
    EXPECT_LT(table.approximateUpperLimit, 1.0);
}

// The standard error of an expected table agrees with the estimator's on
// the same table.
TEST(Tetrachoric, StandardErrorOfAnExpectedTable) {
    const TetrachoricEstimate e = EstimateTetrachoricR(40, 10, 20, 30);
    EXPECT_NEAR(TetrachoricStandardError(0.4, 0.1, 0.2, 0.3, e.r, 100.0), e.standardError, 1e-9);
}

}  // namespace
