// The enumeration method against verification/logistic/enumeration.tsv
// (R's glm() on the same expected data sets), and the data set itself.

#include "power/z/enumeration_workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "numerics/quorix_error.h"
#include "numerics/reference_table.h"

namespace {

TEST(EnumerationWorkspace, NoncentralityAndPowerAgreeWithGlmOfR) {
    const auto rows = ReadReferenceTable("verification/logistic/enumeration.tsv", false);
    ASSERT_GE(rows.size(), 17u);
    for (const ReferenceRow& row : rows) {
        SCOPED_TRACE(row.text);
        const std::vector<double>& v = row.values;
        EnumerationWorkspace workspace;
        workspace.SetCovariate(static_cast<int>(v[0]), v[1], v[2]);
        const double power =
            workspace.Enumerate(v[3], v[4], static_cast<int>(v[5]), v[6], v[7] == 1.0);
        EXPECT_NEAR(workspace.criticalValue, v[8], 1e-12 * v[8]);
        // The fitter stops once its coefficients move by less than 1e-6 of
        // themselves; the Wald variance is that of where it stopped.
        EXPECT_NEAR(workspace.noncentrality, v[9], 1e-7 * v[9] + 1e-10);
        EXPECT_NEAR(power, v[10], 1e-8);
        EXPECT_GE(power, v[6]);
    }
}

TEST(EnumerationWorkspace, TwoValuedCovariateRowsInTheirOrder) {
    EnumerationWorkspace workspace;
    workspace.SetCovariate(kEnumerationBinomial, 0.25, 0.0);
    workspace.p0 = 0.2;
    workspace.p1 = 0.4;
    workspace.BuildDataSet(10);
    // round(2.5) = 3 subjects at X = 1, 7 at X = 0.
    ASSERT_EQ(workspace.design.extent(0), 20);
    struct Block {
        int rows;
        double x, y, w;
    };
    const Block blocks[] = {{7, 0, 0, 0.8}, {7, 0, 1, 0.2}, {3, 1, 0, 0.6}, {3, 1, 1, 0.4}};
    int row = 0;
    for (const Block& b : blocks) {
        for (int i = 0; i < b.rows; ++i, ++row) {
            EXPECT_EQ(workspace.design(row, 0), b.x) << row;
            EXPECT_EQ(workspace.response(row, 0), b.y) << row;
            EXPECT_EQ(workspace.weights(row, 0), b.w) << row;
        }
    }
}

TEST(EnumerationWorkspace, ContinuousCovariateAtBlomPositions) {
    EnumerationWorkspace workspace;
    workspace.SetCovariate(kEnumerationNormal, 2.0, 3.0);
    workspace.beta0 = 0.0;
    workspace.beta1 = 100.0;
    workspace.BuildDataSet(1);
    // One subject: the median.
    EXPECT_EQ(workspace.design(0, 0), 2.0);
    EXPECT_EQ(workspace.design(1, 0), 2.0);
    // eta = 200 > 60: the weights are 0 and 1 exactly.
    EXPECT_EQ(workspace.weights(0, 0), 0.0);
    EXPECT_EQ(workspace.weights(1, 0), 1.0);

    std::vector<double> x;
    workspace.SetCovariate(kEnumerationUniform, 0.0, 1.0);
    workspace.CovariateValues(4, x);
    EXPECT_EQ(x, (std::vector<double>{0.625 / 4.25, 1.625 / 4.25, 2.625 / 4.25, 3.625 / 4.25}));
    workspace.SetCovariate(kEnumerationBinomial, 0.5, 0.0);
    workspace.CovariateValues(15, x);
    EXPECT_EQ(std::count(x.begin(), x.end(), 1.0), 7);
}

// The likelihood holds its value where the model's probabilities round to 0
// or 1: a row of outcome 0 at eta contributes about -eta, not -1.
TEST(EnumerationWorkspace, LogLikelihoodFarOutOnThePredictor) {
    EnumerationWorkspace workspace;
    workspace.design.resize(2, 1);
    workspace.response.resize(2, 1);
    workspace.weights.resize(2, 1);
    workspace.design = 1.0;
    workspace.response(0, 0) = 0.0;
    workspace.response(1, 0) = 1.0;
    workspace.weights = 1.0;
    Matrix b(2, 1);
    b(0, 0) = 0.0;
    b(1, 0) = 40.0;
    // ln(1 - p) + ln p at eta = 40.
    EXPECT_NEAR(workspace.LogLikelihood(b), -40.0 - 2.0 * std::exp(-40.0), 1e-12);
    b(1, 0) = -40.0;
    EXPECT_NEAR(workspace.LogLikelihood(b), -40.0 - 2.0 * std::exp(-40.0), 1e-12);
}

TEST(EnumerationWorkspace, LevelOutsideTheUnitIntervalIsRefused) {
    for (double alpha : {0.0, 1.0, 1.9999998, -0.1, std::nan("")}) {
        EnumerationWorkspace workspace;
        EXPECT_THROW(workspace.Enumerate(0.2, 0.3, 100, alpha, true), QuorixError) << alpha;
    }
}

// No subject, or all subjects at one covariate value, carry no information
// on the slope: the test keeps its level.
TEST(EnumerationWorkspace, NoInformationKeepsTheLevel) {
    EnumerationWorkspace workspace;
    EXPECT_EQ(workspace.Enumerate(0.2, 0.3, 0, 0.05, true), 0.05);
    workspace.SetCovariate(kEnumerationBinomial, 0.01, 0.0);
    for (bool wald : {true, false}) {
        EXPECT_NEAR(workspace.Enumerate(0.2, 0.3, 20, 0.05, wald), 0.05, 1e-12) << wald;
        EXPECT_NEAR(workspace.noncentrality, 0.0, 1e-9) << wald;
    }
}

}  // namespace
