#include "glm/covariance.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Matrix Square(std::initializer_list<double> v) {
    const int n = static_cast<int>(std::lround(std::sqrt(static_cast<double>(v.size()))));
    Matrix M(n, n);
    auto it = v.begin();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) M(i, j) = *it++;
    return M;
}

std::vector<std::wstring> Body(const SigmaGrid& s) {
    std::vector<std::wstring> v;
    for (int i = 1; i < s.Rows(); ++i)
        for (int j = 1; j < s.Rows(); ++j) v.push_back(s.texts(i, j));
    return v;
}

}  // namespace

TEST(SigmaGrid, IdentityDefaultAndMirroredEdits) {
    SigmaGrid s;
    s.Init(4);
    ASSERT_EQ(s.Rows(), 5);
    EXPECT_EQ(s.texts(0, 0), L"Covariance");
    EXPECT_EQ(s.texts(0, 4), L"Y 4");
    EXPECT_EQ(s.texts(3, 0), L"Y 3");
    EXPECT_EQ(s.texts(2, 2), L"1");
    EXPECT_EQ(s.texts(2, 3), L"0");
    s.texts(3, 1) = L"0.3";
    s.MirrorEdit(3, 1);
    EXPECT_EQ(s.texts(1, 3), L"0.3");
}

TEST(SigmaGrid, ConvertsBothWays) {
    SigmaGrid s;
    s.Init(2);
    s.texts(1, 1) = L"4";
    s.texts(2, 2) = L"9";
    s.texts(2, 1) = L"3";
    s.MirrorEdit(2, 1);
    ASSERT_FALSE(s.SetMode(SigmaGrid::kSdAndCorrelation));
    EXPECT_EQ(Body(s), (std::vector<std::wstring>{L"2", L"0.5", L"0.5", L"3"}));
    EXPECT_EQ(s.texts(0, 0), L"SD and corr");

    // What the model receives is covariances in either mode.
    LabeledMatrix sigma;
    ASSERT_FALSE(s.GetSigma(sigma));
    EXPECT_EQ(sigma.values(0, 0), 4.0);
    EXPECT_EQ(sigma.values(1, 0), 3.0);
    EXPECT_EQ(sigma.values(0, 1), 3.0);

    ASSERT_FALSE(s.SetMode(SigmaGrid::kCovariances));
    EXPECT_EQ(Body(s), (std::vector<std::wstring>{L"4", L"3", L"3", L"9"}));
    EXPECT_EQ(s.texts(0, 0), L"Covariance");
}

TEST(SigmaGrid, FailedConversionChangesNothing) {
    struct Case {
        SigmaGrid::Mode from;
        std::vector<std::wstring> body;  // row by row, lower triangle mirrored
        const wchar_t* reasonPart;
    };
    const Case cases[] = {
        {SigmaGrid::kCovariances, {L"4", L"7", L"7", L"9"}, L"outside [-1, 1]"},
        {SigmaGrid::kCovariances, {L"4", L"0", L"0", L"0"}, L"The variance of Y 2 is 0"},
        {SigmaGrid::kCovariances, {L"4", L"0", L"0", L"=sqrt(-1)"}, L"Y 2"},
        {SigmaGrid::kSdAndCorrelation, {L"2", L"1.5", L"1.5", L"3"}, L"1.5, outside [-1, 1]"},
        {SigmaGrid::kSdAndCorrelation, {L"-2", L"0", L"0", L"3"}, L"standard deviation of Y 1"},
    };
    for (const Case& c : cases) {
        SigmaGrid s;
        s.Init(2);
        if (c.from == SigmaGrid::kSdAndCorrelation) {
            ASSERT_FALSE(s.SetMode(c.from));
        }
        for (int i = 0; i < 4; ++i) s.texts(1 + i / 2, 1 + i % 2) = c.body[i];
        const TextArray before = s.texts;
        const auto reason =
            s.SetMode(c.from == SigmaGrid::kCovariances ? SigmaGrid::kSdAndCorrelation
                                                        : SigmaGrid::kCovariances);
        ASSERT_TRUE(reason);
        EXPECT_NE(reason->find(c.reasonPart), std::wstring::npos) << *reason;
        EXPECT_EQ(s.texts, before);
        EXPECT_EQ(s.GetMode(), c.from);
    }
}

TEST(SigmaGrid, ACorrelationOffByRoundingIsOne) {
    // Perfectly correlated pairs: in doubles cov / (sd1 * sd2) comes out as
    // 1.0000000000000002 for the first three, which is still a correlation.
    const double cases[][3] = {{3, 12, 6}, {0.2, 0.8, 0.4}, {6, 24, -12}, {2, 8, 4}};
    for (const auto& c : cases) {
        Matrix M = Square({c[0], c[2], c[2], c[1]});
        ASSERT_FALSE(ConvertCovarianceToSdCorr(M, {})) << c[0] << " " << c[1];
        EXPECT_LE(std::fabs(M(1, 0)), 1.0);
        EXPECT_NEAR(std::fabs(M(1, 0)), 1.0, 1e-15);
        EXPECT_EQ(M(0, 1), M(1, 0));
    }
    Matrix M = Square({1, 1 + 1e-9, 1 + 1e-9, 1});
    EXPECT_TRUE(ConvertCovarianceToSdCorr(M, {}));
}

TEST(SigmaGrid, SizeFollowsTheMeansAndComesBack) {
    SigmaGrid s;
    s.Init(2);
    s.texts(2, 1) = s.texts(1, 2) = L"0.4";
    s.texts(2, 2) = L"5";
    s.SyncWithMeans({L"a", L"b", L"c", L"d"});
    ASSERT_EQ(s.Rows(), 5);
    EXPECT_EQ(s.texts(0, 4), L"d");
    EXPECT_EQ(s.texts(4, 0), L"d");
    EXPECT_EQ(s.texts(4, 4), L"1");
    EXPECT_EQ(s.texts(4, 2), L"0");
    EXPECT_EQ(s.texts(2, 4), L"0");
    s.SyncWithMeans({L"a"});
    ASSERT_EQ(s.Rows(), 2);
    s.SyncWithMeans({L"a", L"b"});
    EXPECT_EQ(s.texts(2, 2), L"5");
    EXPECT_EQ(s.texts(1, 2), L"0.4");
}

TEST(CorrelationCheck, SingularButValidMatricesPass) {
    // Rank-deficient correlation matrices: rounding may make an eigenvalue
    // a tiny negative number, which must not refuse them.
    const double third = 1.0 / 3.0;
    const Matrix valid[] = {
        Square({1, 1, 1, 1}),
        Square({1, 0.5, 1, 0.5, 1, 0.5, 1, 0.5, 1}),
        Square({1, -0.5, -0.5, -0.5, 1, -0.5, -0.5, -0.5, 1}),
        Square({1, -third, -third, -third, -third, 1, -third, -third, -third, -third, 1, -third,
                -third, -third, -third, 1}),
        Square({1, 0.3, 0.3, 1}),
    };
    for (const Matrix& R : valid) EXPECT_FALSE(CheckCorrelationMatrix(R)) << R;

    const auto notPsd = CheckCorrelationMatrix(Square({1, 0.9, 0.9, 0.9, 1, -0.9, 0.9, -0.9, 1}));
    ASSERT_TRUE(notPsd);
    EXPECT_EQ(*notPsd, "The correlation matrix is not valid,\nthat is not positive semi-definite.");
    const auto outside = CheckCorrelationMatrix(Square({1, 0, 1.2, 1}));
    ASSERT_TRUE(outside);
    EXPECT_EQ(
        *outside,
        "At least one correlation between predictors\nis outside the admissible range [-1,1]!");
}

// Σ before any power is computed: finite and positive semi-definite, the
// first fault named with its cell; a singular Σ passes (singular within
// rounding too).
TEST(CovarianceCheck, NamesTheCellThatMakesSigmaNoCovarianceMatrix) {
    const std::wstring notPsd =
        L":\nSigma is not positive semi-definite, so no power can be computed.";
    const struct {
        Matrix sigma;
        const wchar_t* message;  // nullptr: accepted
        int row, col;
    } cases[] = {
        {Square({-1, 0, 0, 1}), L"The variance of Y 1 is -1, below 0", 0, 0},
        {Square({1, 2, 2, 1}), L"The correlation of Y 1 and Y 2 is 2, outside [-1, 1]", 1, 0},
        {Square({1, 0.5, 0.5, 0}), L"The covariance of Y 1 and Y 2 is 0.5, but Y 2 has variance 0",
         1, 0},
        {Square({4, -0.5, 0, -0.5, 1, 0, 0, 0, 1}), nullptr, 0, 0},
        // Each pair fits, the three do not.
        {Square({1, 0.9, 0.9, 0.9, 1, -0.9, 0.9, -0.9, 1}),
         L"The covariances of Y 3 with Y 1 and Y 2 do not fit together", 2, 0},
        {Square({1, 0, 0, NAN}), L"The variance of Y 2 is nan:\nSigma must hold finite numbers.", 1,
         1},
        {Square({1, 1, 1, 1}), nullptr, 0, 0},
        {Square({1e-300, 0, 0, 1}), nullptr, 0, 0},
        {Square({2, 1, 0.5, 1, 0.5, 0.25, 0.5, 0.25, 0.125}), nullptr, 0, 0},
    };
    const std::vector<std::wstring> labels = {L"Y 1", L"Y 2", L"Y 3"};
    for (const auto& c : cases) {
        const auto problem = CheckCovarianceMatrix(c.sigma, labels);
        if (!c.message) {
            EXPECT_FALSE(problem) << c.sigma;
            continue;
        }
        ASSERT_TRUE(problem) << c.sigma;
        const std::wstring expected = std::wstring(c.message).find(L"finite") == std::wstring::npos
                                          ? c.message + notPsd
                                          : c.message;
        EXPECT_EQ(problem->message, expected);
        EXPECT_EQ(problem->row, c.row);
        EXPECT_EQ(problem->col, c.col);
    }
}

// A Σ from a model file may break what the grid keeps: a cell above the
// diagonal that is not the mirror of the one below, or not finite at all,
// is named with its pair. Definiteness does not depend on the scale of
// the variances; a correlation outside [-1, 1] shows the digits that put it
// there.
TEST(CovarianceCheck, MirrorCellsScaleAndDigits) {
    const std::wstring notPsd =
        L":\nSigma is not positive semi-definite, so no power can be computed.";
    const std::wstring retype = L".\nRetype the cell below the diagonal; it is copied above.";
    const struct {
        Matrix sigma;
        std::wstring message;  // empty: accepted
        int row, col;
    } cases[] = {
        {Square({1, 0, 0, 0, 1, INFINITY, 0, 0, 1}),
         L"Sigma is not symmetric: the cell (Y 2, Y 3) above the diagonal holds inf, its mirror "
         L"(Y 3, Y 2) below it 0" +
             retype,
         2, 1},
        {Square({1, 5, 0.3, 1}),
         L"Sigma is not symmetric: the cell (Y 1, Y 2) above the diagonal holds 5, its mirror "
         L"(Y 2, Y 1) below it 0.3" +
             retype,
         1, 0},
        {Square({1, 1.0000001, 1.0000001, 1}),
         L"The correlation of Y 1 and Y 2 is 1.0000001, outside [-1, 1]" + notPsd, 1, 0},
        {Square({1e-200, 0.5e-200, 0.5e-200, 1e-200}), L"", 0, 0},
        {Square({1e-300, 5e-301, 5e-301, 1e-300}), L"", 0, 0},
        {Square({1e-200, 5e-201, 5e-201, 5e-201, 1e-200, 5e-201, 5e-201, 5e-201, 1e-200}), L"", 0,
         0},
        {Square({1e-200, 9e-201, 9e-201, 9e-201, 1e-200, -9e-201, 9e-201, -9e-201, 1e-200}),
         L"The covariances of Y 3 with Y 1 and Y 2 do not fit together" + notPsd, 2, 0},
        {Square({1e300, 5e299, 5e299, 1e300}), L"", 0, 0},
    };
    const std::vector<std::wstring> labels = {L"Y 1", L"Y 2", L"Y 3"};
    for (const auto& c : cases) {
        const auto problem = CheckCovarianceMatrix(c.sigma, labels);
        if (c.message.empty()) {
            EXPECT_FALSE(problem) << c.sigma;
            continue;
        }
        ASSERT_TRUE(problem) << c.sigma;
        EXPECT_EQ(problem->message, c.message);
        EXPECT_EQ(problem->row, c.row);
        EXPECT_EQ(problem->col, c.col);
    }
}
