// The matrix input rules with cells and pattern values that are not finite
// or lie at the edges of the double range: each rule either refuses, and
// leaves the grid as it was, or writes cells that read back as the finite
// numbers they stand for (a cell never shows "inf" or "nan", which would read
// back as 0).

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "glm/matrix_input.h"

namespace {

// What a user may type into a cell: texts that overflow while read, formulas
// without a finite value, ±0, denormals, the edges of the range.
const std::vector<std::wstring>& CellTexts() {
    static const std::vector<std::wstring> texts = {
        L"1e999",  L"-1e999", L"=1/0",   L"=-1/0",    L"=0/0",       L"=1e308*10", L"nan",
        L"inf",    L"0",      L"-0",     L"4.9e-324", L"1e-320",     L"1e-300",    L"1e300",
        L"-1e300", L"1e308",  L"-1e308", L"-1",       L"2147483648", L"0.5"};
    return texts;
}

const std::vector<double>& PatternValues() {
    static const std::vector<double> values = {
        std::nan(""), INFINITY, -INFINITY, 1e308, -1e308, 1e200, 1e-320, 0.0, -0.0, -1.0, 0.6};
    return values;
}

// A p x p grid of variables "Y N" with the identity as its body.
TextArray Identity(int p) {
    TextArray g(p + 1, p + 1);
    g(0, 0) = L"Covariance";
    for (int i = 1; i <= p; ++i) {
        g(i, 0) = g(0, i) = Numbered(L"Y %d", i);
        for (int j = 1; j <= p; ++j) g(i, j) = i == j ? L"1" : L"0";
    }
    return g;
}

std::string Narrow(const std::wstring& w) {
    return std::string(w.begin(), w.end());
}

// Every body cell reads as a finite number: nothing the grid shows turns
// into 0 when it is read back.
void ExpectFiniteBody(const TextArray& g, const std::string& where) {
    for (int i = 1; i < g.rows(); ++i)
        for (int j = 1; j < g.cols(); ++j) {
            EXPECT_TRUE(std::isfinite(EvaluateCellText(g(i, j))))
                << where << " cell " << i << "," << j << " " << Narrow(g(i, j));
            EXPECT_TRUE(g(i, j).find(L"inf") == std::wstring::npos &&
                        g(i, j).find(L"nan") == std::wstring::npos)
                << where << " cell " << i << "," << j << " " << Narrow(g(i, j));
        }
}

TEST(MatrixInputSpecialValues, PatternsRefuseOrFillFiniteCells) {
    for (double value : PatternValues()) {
        for (bool autocorr : {false, true}) {
            const std::string where = std::to_string(value) + (autocorr ? " ar(1)" : " cs");
            TextArray g = Identity(4);
            const TextArray before = g;
            if (const auto failure = ApplyPattern(g, value, autocorr)) {
                EXPECT_FALSE(failure->empty()) << where;
                EXPECT_TRUE(g == before) << where;
            } else {
                ExpectFiniteBody(g, where);
            }
            // New variables take the pattern where it is finite, else no
            // correlation.
            TextArray grown = Identity(2);
            ReshapeSquare(grown, {L"a", L"b", L"c", L"d", L"e"}, SquareFill::kPattern, value,
                          autocorr);
            ASSERT_EQ(grown.rows(), 6) << where;
            ExpectFiniteBody(grown, where + " reshaped");
        }
    }
}

TEST(MatrixInputSpecialValues, SigmaConversionRefusesOrWritesFiniteCells) {
    // Each text in turn on the diagonal and below it, in both directions;
    // the SDs 1e300 and 1e-300 square beyond the range of a double.
    for (const std::wstring& text : CellTexts()) {
        for (bool toCovariances : {true, false}) {
            for (auto cell : {std::pair{1, 1}, std::pair{2, 1}, std::pair{2, 2}}) {
                TextArray g = Identity(3);
                g(cell.first, cell.second) = g(cell.second, cell.first) = text;
                const TextArray before = g;
                const std::string where = Narrow(text) + (toCovariances ? " to cov" : " to sd") +
                                          " at " + std::to_string(cell.first) + "," +
                                          std::to_string(cell.second);
                if (const auto failure = ConvertSigmaGrid(g, toCovariances, nullptr)) {
                    EXPECT_FALSE(failure->empty()) << where;
                    EXPECT_TRUE(g == before) << where;
                } else {
                    ExpectFiniteBody(g, where);
                }
            }
        }
    }
}

TEST(MatrixInputSpecialValues, ValidationsPassOnlyFiniteCorrelations) {
    for (const std::wstring& text : CellTexts()) {
        const std::string where = Narrow(text);
        TextArray outcome(2, 3);
        outcome(0, 1) = L"P 1";
        outcome(0, 2) = L"P 2";
        outcome(1, 1) = L"0.3";
        outcome(1, 2) = text;
        if (!ValidatePredictorOutcome(outcome)) {
            const double v = EvaluateCellText(text);
            EXPECT_TRUE(v >= -1.0 && v <= 1.0) << where;
        }
        TextArray corr = Identity(3);
        corr(3, 1) = corr(1, 3) = text;
        if (!ValidatePredictorCorrelations(corr)) {
            const double v = EvaluateCellText(text);
            EXPECT_TRUE(v >= -1.0 && v <= 1.0) << where;
        }
        // The dialogs' last check: it names a cell exactly when one is not
        // finite, and then what the records take is finite.
        TextArray means = Identity(2);
        means(2, 1) = text;
        const auto problem = FindNonFiniteCell(means);
        EXPECT_EQ(problem.has_value(), !std::isfinite(EvaluateCellText(text))) << where;
        if (problem) {
            EXPECT_EQ(problem->row, 2) << where;
            EXPECT_EQ(problem->col, 1) << where;
        } else {
            LabeledMatrix record;
            GridToRecord(means, record);
            for (int i = 0; i < record.values.rows(); ++i)
                for (int j = 0; j < record.values.cols(); ++j)
                    EXPECT_TRUE(std::isfinite(record.values(i, j))) << where;
        }
    }
}

TEST(MatrixInputSpecialValues, RSquaredIsWithinZeroAndOneOrRefused) {
    const std::vector<double> values = {std::nan(""), INFINITY, -INFINITY, 1e308, -1e308,
                                        1e-320,       0.0,      -0.0,      1.0,   -1.0};
    for (double v : values) {
        for (int cell = 0; cell < 3; ++cell) {
            Matrix y(1, 2), r(2, 2);
            y = 0.3;
            r = 0.0;
            r(0, 0) = r(1, 1) = 1.0;
            if (cell < 2)
                y(0, cell) = v;
            else
                r(1, 0) = r(0, 1) = v;
            const RSquared result = ComputeRSquared(y, r);
            if (result.value) {
                EXPECT_TRUE(*result.value >= 0.0 && *result.value <= 1.0) << v << " " << cell;
            } else {
                EXPECT_FALSE(result.message.empty()) << v << " " << cell;
            }
        }
    }
}

}  // namespace
