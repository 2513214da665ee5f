#include "glm/contrast_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "glm/helmert.h"

namespace {

// The lines of verification/matrix/contrast_reference.txt that begin with `kind`.
std::vector<std::string> ReferenceLines(const std::string& kind) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) +
                     "/verification/matrix/contrast_reference.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (line.rfind(kind + " ", 0) == 0) lines.push_back(line.substr(kind.size() + 1));
    return lines;
}

std::vector<double> Numbers(std::istringstream& in, int n) {
    std::vector<double> v(n);
    for (double& x : v) in >> x;
    return v;
}

// The grid's coefficient texts of `row`.
std::vector<std::wstring> Coefficients(const ContrastGrid& g, int row) {
    std::vector<std::wstring> v;
    for (int k = ContrastGrid::kFirstCoefficient; k < g.Cols(); ++k) v.push_back(g.texts(row, k));
    return v;
}

// A variables grid of 3 responses with one-line contrasts labelled on `rows`.
ContrastGrid GridWithContrastsOn(std::initializer_list<int> rows) {
    ContrastGrid g(ContrastKind::kVariables);
    g.Init(3);
    g.ResizeRows(11);
    for (int r = 1; r < g.Rows(); ++r)
        for (int k = 1; k < g.Cols(); ++k) g.texts(r, k) = L"";
    int n = 0;
    for (int r : rows) {
        ++n;
        g.texts(r, 1) = L"c" + std::to_wstring(n);
        g.texts(r, 4) = std::to_wstring(n);
        g.texts(r, 5) = L"-1";
    }
    g.RefreshDerivedColumns();
    return g;
}

}  // namespace

TEST(ContrastNormalization, MatchesTheNumpyReference) {
    const auto lines = ReferenceLines("normalize");
    ASSERT_EQ(lines.size(), 7u);
    for (const std::string& line : lines) {
        std::istringstream in(line);
        int mode = 0, n = 0;
        in >> mode >> n;
        const std::vector<double> x = Numbers(in, n);
        std::string bar;
        in >> bar;
        const std::vector<double> w = Numbers(in, n);
        in >> bar;
        const std::vector<double> expected = Numbers(in, n);
        Matrix values(1, n), weights(n, 1);
        for (int i = 0; i < n; ++i) {
            values(0, i) = x[i];
            weights(i, 0) = w[i];
        }
        NormalizeContrastLine(values, 0, mode, weights);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(values(0, i), expected[i], 1e-15) << line;
    }
}

TEST(ContrastNormalization, EdgeLines) {
    Matrix v(1, 3);
    v = 1.0, -1.0, -1.0;
    const double s6 = std::sqrt(6.0);
    NormalizeContrastLine(v, 0, kNormalizeToOne, Matrix());
    EXPECT_DOUBLE_EQ(v(0, 0), 2.0 / s6);
    EXPECT_DOUBLE_EQ(v(0, 1), -1.0 / s6);

    // "no" leaves the line; an all-zero line stays zero instead of 0/0.
    v = 3.0, 0.0, -5.0;
    NormalizeContrastLine(v, 0, kNormalizeNone, Matrix());
    EXPECT_EQ(v(0, 0), 3.0);
    v = 0.0;
    NormalizeContrastLine(v, 0, kNormalizeToOne, Matrix());
    EXPECT_EQ(v(0, 0), 0.0);
    EXPECT_FALSE(std::isnan(v(0, 1)));

    // Fewer weights than coefficients: the missing ones weigh 1.
    Matrix w(1, 1);
    w = 3.0;
    v = 1.0, -1.0, 0.0;
    NormalizeContrastLine(v, 0, kNormalizeRelFreq, w);
    // (1 * 3, -3 * 1) / length; a missing weight of 0 would give (1, 0).
    EXPECT_DOUBLE_EQ(v(0, 0), 1.0 / std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(v(0, 1), -1.0 / std::sqrt(2.0));
}

TEST(Helmert, RowsMatchTheReferenceAndAreOrthonormal) {
    const auto lines = ReferenceLines("helmert");
    ASSERT_EQ(lines.size(), 21u);
    for (const std::string& line : lines) {
        std::istringstream in(line);
        int n = 0, k = 0;
        in >> n >> k;
        const std::vector<double> expected = Numbers(in, n);
        Matrix H;
        MakeHelmertContrasts(H, n);
        ASSERT_EQ(H.rows(), n - 1);
        ASSERT_EQ(H.cols(), n);
        for (int j = 0; j < n; ++j) EXPECT_NEAR(H(k, j), expected[j], 2e-16) << line;
    }
    Matrix H;
    MakeHelmertContrasts(H, 5);
    for (int a = 0; a < 4; ++a) {
        double sum = 0.0;
        for (int j = 0; j < 5; ++j) sum += H(a, j);
        EXPECT_NEAR(sum, 0.0, 1e-15);
        for (int b = 0; b < 4; ++b) {
            double dot = 0.0;
            for (int j = 0; j < 5; ++j) dot += H(a, j) * H(b, j);
            EXPECT_NEAR(dot, a == b ? 1.0 : 0.0, 1e-15);
        }
    }
    MakeHelmertContrasts(H, 1);
    EXPECT_EQ(H.rows(), 0);
    Matrix u;
    MakeUnitRow(u, 4);
    ASSERT_EQ(u.cols(), 4);
    EXPECT_DOUBLE_EQ(u(0, 3), 0.5);
}

TEST(ContrastGrid, DefaultLayout) {
    ContrastGrid g(ContrastKind::kVariables);
    g.Init(4);
    ASSERT_EQ(g.Rows(), 8);
    ASSERT_EQ(g.Cols(), 8);
    EXPECT_EQ(g.texts(0, 0), L"line");
    EXPECT_EQ(g.texts(3, 0), L"  3");
    EXPECT_EQ(g.texts(0, 3), L"normalize");
    EXPECT_EQ(g.texts(0, 4), L"var 1");
    EXPECT_EQ(g.texts(0, 7), L"var 4");
    EXPECT_EQ(g.texts(1, 1), L"Contrast 1");
    EXPECT_EQ(Coefficients(g, 1), (std::vector<std::wstring>{L"1", L"-1", L"0", L"0"}));
    EXPECT_EQ(Coefficients(g, 2), (std::vector<std::wstring>{L"1", L"0", L"-1", L"0"}));
    EXPECT_EQ(g.CountLines(1), 2);
    EXPECT_EQ(g.texts(1, 3), L"no");
    EXPECT_EQ(g.texts(3, 3), L" ");

    // One predictor: cells outside the grid are skipped.
    ContrastGrid small(ContrastKind::kPredictors);
    small.Init(1);
    EXPECT_EQ(small.Cols(), 5);
    EXPECT_EQ(Coefficients(small, 1), std::vector<std::wstring>{L"1"});
    EXPECT_EQ(small.normalizeOptions.size(), 3u);
}

TEST(ContrastGrid, ReorderPacksContrastsAndIsStable) {
    ContrastGrid g = GridWithContrastsOn({1, 5, 9});
    g.SetUseFlag(5, false);
    g.Reorder();
    EXPECT_EQ(g.Rows(), 7);
    EXPECT_EQ(g.texts(1, 1), L"c1");
    EXPECT_EQ(g.texts(3, 1), L"c2");
    EXPECT_EQ(g.texts(5, 1), L"c3");
    EXPECT_EQ(Coefficients(g, 3), (std::vector<std::wstring>{L"2", L"-1", L"0"}));  // empty -> "0"
    EXPECT_FALSE(g.UseFlag(3));  // the use flag travels with its contrast
    EXPECT_TRUE(g.UseFlag(5));
    EXPECT_TRUE(g.HasNoCoefficients(2));
    const TextArray first = g.texts;
    g.Reorder();
    EXPECT_EQ(g.texts, first);
}

TEST(ContrastGrid, AddContrastLeavesOneBlankRow) {
    ContrastGrid g(ContrastKind::kVariables);
    g.Init(4);
    g.AddContrast();
    EXPECT_EQ(g.texts(4, 1), L"contrast 2");
    EXPECT_EQ(Coefficients(g, 4), std::vector<std::wstring>(4, L"0"));
    EXPECT_EQ(g.Rows(), 8);
    g.AddContrast();
    EXPECT_EQ(g.texts(6, 1), L"contrast 3");
    EXPECT_EQ(g.Rows(), 10);
    EXPECT_EQ(g.texts(9, 0), L"9");  // appended rows are numbered without blanks
    EXPECT_EQ(g.useFlags.size(), 9u);

    // A grid without coefficient columns still gets a row for the new label.
    ContrastGrid bare(ContrastKind::kVariables);
    bare.Init(0);
    bare.AddContrast();
    EXPECT_GT(bare.Rows(), 1);
}

TEST(ContrastGrid, ListHoldsUsedContrastsNormalized) {
    ContrastGrid g(ContrastKind::kPredictors);
    g.Init(3);
    g.AddContrast();
    g.texts(4, 4) = L"=1";
    g.texts(4, 5) = L"-1";
    g.texts(4, 6) = L"-1";
    g.NormalizationChosen(4, L"to one");
    g.texts(6, 1) = L"no lines";  // a label without coefficients is no contrast
    PowerContrastList list;
    g.BuildContrastList(list, Matrix());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]->matrix.name, L"contrast 2");
    EXPECT_EQ(list[1]->firstRow, 4);
    EXPECT_EQ(list[1]->number, 2);
    EXPECT_DOUBLE_EQ(list[1]->matrix.values(0, 0), 2.0 / std::sqrt(6.0));
    EXPECT_EQ(list[0]->matrix.values.rows(), 2);

    // An edit of that label gives it zero coefficients: now it is a contrast.
    g.LabelEdited(6);
    EXPECT_EQ(Coefficients(g, 6), std::vector<std::wstring>(3, L"0"));
    g.SetUseFlag(1, false);
    g.BuildContrastList(list, Matrix());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->matrix.name, L"contrast 2");
    EXPECT_EQ(list[0]->number, 1);
    EXPECT_EQ(list[1]->matrix.name, L"no lines");
    EXPECT_EQ(list[1]->number, 2);
}

TEST(ContrastGrid, SavedFormKeepsFlagsAndModes) {
    ContrastGrid g(ContrastKind::kPredictors);
    g.Init(3);
    g.SetUseFlag(1, false);
    g.NormalizationChosen(2, L"rel.freq");
    LabeledMatrix saved;
    g.ToMatrix(saved);
    EXPECT_EQ(saved.cells(1, 2), L"0");
    EXPECT_EQ(saved.cells(2, 3), L"2");
    EXPECT_EQ(saved.cells(3, 2), L"1");

    saved.cells(3, 3) = L"9";  // an index the list does not have
    ContrastGrid loaded(ContrastKind::kPredictors);
    loaded.FromMatrix(saved);
    EXPECT_FALSE(loaded.UseFlag(1));
    EXPECT_EQ(loaded.NormalizeMode(2), 2);
    EXPECT_EQ(loaded.texts(2, 3), L"rel.freq");
    EXPECT_EQ(loaded.NormalizeMode(3), 0);
    EXPECT_EQ(loaded.texts(1, 1), L"Contrast 1");
}

TEST(ContrastGrid, ColumnsFollowTheOtherGridAndComeBack) {
    ContrastGrid g(ContrastKind::kVariables);
    g.Init(4);
    g.texts(1, 7) = L"0.5";
    g.FollowColumns({L"A", L"B"});
    EXPECT_EQ(g.Cols(), 6);
    EXPECT_EQ(g.texts(0, 5), L"B");
    g.FollowColumns({L"A", L"B", L"C", L"D", L"E"});
    EXPECT_EQ(g.Cols(), 9);
    EXPECT_EQ(g.texts(0, 8), L"E");
    EXPECT_EQ(g.texts(1, 7), L"0.5");
    EXPECT_EQ(g.texts(1, 8), L"");
}
