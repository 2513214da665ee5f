#include "glm/matrix_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// A square grid (headers "Y N") with the given body rows.
TextArray Square(const std::vector<std::vector<std::wstring>>& body) {
    const int n = static_cast<int>(body.size());
    TextArray g(n + 1, n + 1);
    g(0, 0) = L"Corr";
    for (int i = 1; i <= n; ++i) {
        g(i, 0) = g(0, i) = Numbered(L"Y %d", i);
        for (int j = 1; j <= n; ++j) g(i, j) = body[i - 1][j - 1];
    }
    return g;
}

std::string Narrow(const std::wstring& w) {
    return std::string(w.begin(), w.end());
}

}  // namespace

TEST(MatrixInputPattern, CompoundSymmetryAndFirstOrderAutocorrelation) {
    TextArray g = Square({{L"4", L"x", L"x", L"x"},
                          {L"x", L"9", L"x", L"x"},
                          {L"x", L"x", L"=s", L"x"},
                          {L"x", L"x", L"x", L"1"}});
    ApplyPattern(g, 0.5, true);
    EXPECT_EQ(g(3, 1), L"0.25");
    EXPECT_EQ(g(1, 3), L"0.25");
    EXPECT_EQ(g(4, 1), L"0.125");
    EXPECT_EQ(g(2, 1), L"0.5");
    EXPECT_EQ(g(3, 3), L"=s");  // the diagonal stays as typed
    EXPECT_EQ(g(0, 2), L"Y 2");
    ApplyPattern(g, 0.6, false);
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 4; ++j)
            if (i != j) {
                EXPECT_EQ(g(i, j), L"0.6") << i << "," << j;
            }
    EXPECT_EQ(g(1, 1), L"4");
}

TEST(MatrixInputReshape, SquareFollowsTheVariablesAndFillsNewOnes) {
    TextArray g = Square({{L"4", L"0.3"}, {L"0.3", L"9"}});
    ReshapeSquare(g, {L"pre", L"post", L"Y 3", L"Y 4"}, SquareFill::kPattern, 0.6, false);
    ASSERT_EQ(g.rows(), 5);
    EXPECT_EQ(g(0, 0), L"Corr");
    EXPECT_EQ(g(1, 0), L"pre");
    EXPECT_EQ(g(0, 2), L"post");
    EXPECT_EQ(g(2, 1), L"0.3");  // kept
    EXPECT_EQ(g(4, 1), L"0.6");
    EXPECT_EQ(g(2, 4), L"0.6");
    EXPECT_EQ(g(3, 3), L"1");
    EXPECT_EQ(g(4, 4), L"1");

    ReshapeSquare(g, {L"a", L"b", L"c", L"d", L"e"}, SquareFill::kPattern, 0.5, true);
    EXPECT_EQ(g(5, 1), L"0.0625");  // 0.5^(5 - 1)
    EXPECT_EQ(g(5, 4), L"0.5");

    ReshapeSquare(g, {L"a", L"b", L"c"}, SquareFill::kCorrelation);
    ASSERT_EQ(g.rows(), 4);
    ASSERT_EQ(g.cols(), 4);
    ReshapeSquare(g, {L"a", L"b", L"c", L"d"}, SquareFill::kCorrelation);
    EXPECT_EQ(g(4, 1), L"0");
    EXPECT_EQ(g(1, 4), L"0");
    EXPECT_EQ(g(4, 4), L"1");

    TextArray empty(1, 1);  // an unset record's grid: corner only
    ReshapeSquare(empty, {L"P 1", L"P 2"}, SquareFill::kCorrelation);
    EXPECT_EQ(empty(2, 1), L"0");
    EXPECT_EQ(empty(2, 2), L"1");
    EXPECT_EQ(empty(0, 2), L"P 2");
}

TEST(MatrixInputReshape, MeansColumnsAreAppendedNumberedAndRemovedFromTheRight) {
    TextArray g(3, 3);
    g(0, 1) = L"pre";
    g(0, 2) = L"post";
    g(1, 2) = L"7";
    SetVariableCount(g, 4, L"Y %d");
    ASSERT_EQ(g.cols(), 5);
    EXPECT_EQ(HeaderNames(g), (std::vector<std::wstring>{L"pre", L"post", L"Y 3", L"Y 4"}));
    EXPECT_EQ(g(2, 4), L"0");
    SetVariableCount(g, 1, L"Y %d");
    EXPECT_EQ(HeaderNames(g), (std::vector<std::wstring>{L"pre"}));
}

TEST(MatrixInputRmm, GroupsAndMeasurementsComeBackAfterASmallerCount) {
    LabeledMatrix means, weights;
    RmmMeansGrid grid;
    grid.Show(3, 2, means, weights);
    EXPECT_EQ(grid.texts(0, 0), L"groups\\means");
    EXPECT_EQ(grid.texts(0, 3), L"ssize weight");
    EXPECT_EQ(grid.texts(3, 0), L"group 3");
    EXPECT_EQ(grid.texts(3, 2), L"0");
    EXPECT_EQ(grid.texts(3, 3), L"1");
    grid.texts(0, 2) = L"post";
    grid.texts(3, 1) = L"5";
    grid.texts(3, 2) = L"=1/4";
    grid.texts(3, 3) = L"2";

    grid.SetCounts(2, 2, means, weights);
    EXPECT_EQ(grid.Groups(), 2);
    EXPECT_EQ(grid.texts(2, 3), L"1");
    grid.SetCounts(3, 2, means, weights);
    EXPECT_EQ(grid.texts(3, 1), L"5");
    EXPECT_EQ(grid.texts(3, 2), L"=1/4");
    EXPECT_EQ(grid.texts(3, 3), L"2");

    grid.SetCounts(3, 1, means, weights);
    EXPECT_EQ(grid.texts(0, 2), L"ssize weight");  // the weights stay last
    EXPECT_EQ(grid.texts(3, 2), L"2");
    grid.SetCounts(3, 3, means, weights);
    EXPECT_EQ(grid.texts(0, 2), L"post");
    EXPECT_EQ(grid.texts(3, 2), L"=1/4");
    EXPECT_EQ(grid.texts(0, 3), L"Y 3");
    EXPECT_EQ(grid.texts(3, 3), L"0");
    EXPECT_EQ(grid.texts(3, 4), L"2");

    grid.Store(means, weights);
    EXPECT_EQ(means.values(2, 1), 0.25);
    EXPECT_EQ(weights.values(2, 0), 2.0);
    EXPECT_EQ(weights.colLabels(0, 0), L"ssize weight");
}

TEST(MatrixInputRecords, GridAndRecordRoundTripWithLabelsAndFormulas) {
    TextArray g = Square({{L"=s*s", L"0"}, {L" =r", L"4"}});
    g(1, 0) = L"pre";
    MatrixInputVariables variables;
    LabeledMatrix m;
    GridToRecord(g, m, &variables);
    ASSERT_EQ(m.values.rows(), 2);
    EXPECT_EQ(m.values(0, 0), 4.0);
    EXPECT_EQ(m.values(1, 0), 0.6);
    EXPECT_EQ(m.cells(1, 0), L"=r");
    EXPECT_EQ(m.rowLabels(0, 0), L"pre");
    EXPECT_EQ(m.colLabels(0, 1), L"Y 2");

    TextArray back;
    RecordToGrid(m, back, L"Corr", L"Y %d", L"Y %d");
    EXPECT_EQ(back(1, 0), L"pre");
    EXPECT_EQ(back(2, 1), L"=r");

    LabeledMatrix numbersOnly;  // a record a panel filled with values alone
    numbersOnly.values.resize(1, 2);
    numbersOnly.values = 0.5, -0.25;
    RecordToGrid(numbersOnly, back, L"predictor", L"Y %d", L"P %d");
    EXPECT_EQ(back(0, 2), L"P 2");
    EXPECT_EQ(back(1, 2), L"-0.25");
}

TEST(MatrixInputConversion, SdAndCorrelationToCovariancesAndRefusalKeepsTheGrid) {
    TextArray g = Square({{L"2", L"0.5"}, {L"0.5", L"3"}});
    ASSERT_FALSE(ConvertSigmaGrid(g, true, nullptr));
    EXPECT_EQ(g(1, 1), L"4");
    EXPECT_EQ(g(2, 2), L"9");
    EXPECT_EQ(g(2, 1), L"3");
    EXPECT_EQ(g(1, 2), L"3");
    ASSERT_FALSE(ConvertSigmaGrid(g, false, nullptr));
    EXPECT_EQ(g(2, 1), L"0.5");

    TextArray bad = Square({{L"0", L"0"}, {L"0", L"1"}});
    const TextArray before = bad;
    const auto failure = ConvertSigmaGrid(bad, false, nullptr);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find(L"Y 1"), std::wstring::npos) << Narrow(*failure);
    EXPECT_EQ(bad, before);
}

TEST(MatrixInputValidation, MessagesNameTheCell) {
    TextArray outcome(2, 3);
    outcome(1, 0) = L"corr with outcome Y";
    outcome(0, 1) = L"P 1";
    outcome(0, 2) = L"age";
    outcome(1, 1) = L"0.3";
    outcome(1, 2) = L"1.2";
    auto problem = ValidatePredictorOutcome(outcome);
    ASSERT_TRUE(problem);
    EXPECT_EQ(Narrow(problem->message),
              "At least one correlation between predictor and output\nis outside the admissible "
              "range [-1,1]!\ncorr with outcome Y, age: 1.2");
    EXPECT_EQ(problem->row, 1);
    EXPECT_EQ(problem->col, 2);
    outcome(1, 2) = L"-1";
    EXPECT_FALSE(ValidatePredictorOutcome(outcome));

    struct Case {
        std::vector<std::vector<std::wstring>> body;
        const char* message;  // null: valid
        int row, col;
    };
    const Case cases[] = {
        {{{L"1", L"0.9", L"0.9"}, {L"0.9", L"1", L"-0.9"}, {L"0.9", L"-0.9", L"1"}},
         "The correlation matrix is not valid,\nthat is not positive semi-definite.",
         -1,
         -1},
        {{{L"1", L"0"}, {L"1.5", L"1"}},
         "At least one correlation between predictors\nis outside the admissible range "
         "[-1,1]!\nY 2, Y 1: 1.5",
         2,
         1},
        // Singular but positive semi-definite: rounding must not refuse it.
        {{{L"1", L"1", L"1"}, {L"1", L"1", L"1"}, {L"1", L"1", L"1"}}, nullptr, 0, 0},
        {{{L"1", L"=r"}, {L"=r", L"1"}}, nullptr, 0, 0},
        {{{L"1"}}, nullptr, 0, 0},
    };
    MatrixInputVariables variables;
    for (const Case& c : cases) {
        problem = ValidatePredictorCorrelations(Square(c.body), &variables);
        if (!c.message) {
            EXPECT_FALSE(problem) << Narrow(problem->message);
            continue;
        }
        ASSERT_TRUE(problem) << c.message;
        EXPECT_EQ(Narrow(problem->message), c.message);
        EXPECT_EQ(problem->row, c.row);
        EXPECT_EQ(problem->col, c.col);
    }
}

TEST(MatrixInputRSquared, AgreesWithNumpyAndRefusesOutsideZeroOne) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) +
                     "/verification/matrix/r_squared_reference.txt");
    ASSERT_TRUE(in) << "reference table missing";
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream row(line);
        int p = 0;
        row >> p;
        Matrix rho(1, p), R(p, p);
        for (int i = 0; i < p; ++i) row >> rho(0, i);
        for (int i = 0; i < p * p; ++i) row >> R(i / p, i % p);
        double expected = 0.0;
        row >> expected;
        const RSquared r2 = ComputeRSquared(rho, R);
        if (expected > 1.0) {
            EXPECT_FALSE(r2.value) << line;
            EXPECT_EQ(r2.text, FormatNumber(expected, L"%lf"));
            EXPECT_EQ(Narrow(r2.message),
                      "Coefficient R$^2$ (=" + Narrow(r2.text) + ") out of admissible range [0,1]");
        } else {
            ASSERT_TRUE(r2.value) << line;
            EXPECT_NEAR(*r2.value, expected, 1e-12 * std::max(1.0, 1.0 / (1.0 - expected))) << line;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 7);

    Matrix rho(1, 2), R(2, 2);
    rho = 0.3, 0.4;
    R = 1, 0, 0, 1;
    EXPECT_EQ(ComputeRSquared(rho, R).text, L"0.250000");  // the dialog's own text
    R = 1, 1, 1, 1;
    const RSquared singular = ComputeRSquared(rho, R);
    EXPECT_FALSE(singular.value);
    EXPECT_TRUE(singular.text.empty());
    EXPECT_FALSE(singular.message.empty());
}
