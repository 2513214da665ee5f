// The explorer's report: which tables each contrast pair gets and in which
// order, and its numbers against the tests the main window already has: a
// two-group, one-response model is the two-sample t test, one response over
// k groups the one-way ANOVA (both checked against R elsewhere).

#include "glm/explorer_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

#include "analysis/calculation_test_support.h"
#include "glm/model/power_glmm.h"
#include "power/f/power_f_anova_global.h"
#include "power/t/power_t_means.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;

LabeledMatrix Labeled(int rows, int cols, std::vector<double> values,
                      const std::wstring& name = L"") {
    LabeledMatrix m;
    m.name = name;
    m.values.resize(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) m.values(i, j) = values[i * cols + j];
    return m;
}

std::unique_ptr<PowerContrast> Contrast(const std::wstring& name, int rows, int cols,
                                        std::vector<double> values) {
    auto c = std::make_unique<PowerContrast>();
    c->matrix = Labeled(rows, cols, std::move(values), name);
    return c;
}

// A cell-means model of k equal groups and one response of variance
// `variance`: X = I, B the group means.
void OneResponseGroups(PowerGLMM& model, const std::vector<double>& means, double variance) {
    const int k = static_cast<int>(means.size());
    std::vector<double> identity(k * k, 0.0);
    for (int i = 0; i < k; ++i) identity[i * k + i] = 1.0;
    ASSERT_FALSE(SetModelMatrices(model, Labeled(k, k, identity),
                                  Labeled(k, 1, std::vector<double>(k, 1.0)), Labeled(k, 1, means),
                                  Labeled(1, 1, {variance})));
}

// Successive differences of k groups: k - 1 lines.
std::unique_ptr<PowerContrast> Differences(int k) {
    std::vector<double> v((k - 1) * k, 0.0);
    for (int i = 0; i + 1 < k; ++i) {
        v[i * k + i] = 1.0;
        v[i * k + i + 1] = -1.0;
    }
    return Contrast(L"groups", k - 1, k, v);
}

PowerContrastList ListOf(std::unique_ptr<PowerContrast> c) {
    PowerContrastList list;
    list.push_back(std::move(c));
    return list;
}

double Cell(const ReportTable& table, int row, const std::wstring& column) {
    for (std::size_t c = 0; c < table[0].size(); ++c)
        if (table[0][c] == column) return std::stod(table[row][c]);
    ADD_FAILURE() << "no column";
    return NAN;
}

std::wstring Text(const ReportTable& table, std::size_t row, const std::wstring& column) {
    for (std::size_t c = 0; c < table[0].size(); ++c)
        if (table[0][c] == column) return table.at(row).at(c);
    ADD_FAILURE() << "no column";
    return L"";
}

std::wstring Text3(double x) {
    return FormatNumber(x, L"%.3lf");
}

TEST(ExplorerReport, TwoGroupsOneResponseIsTheTwoSampleTTest) {
    struct Case {
        double d;
        int n;  // total, two equal groups
    } cases[] = {{0.6, 60}, {0.5, 128}, {1.2, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.d);
        PowerGLMM model;
        OneResponseGroups(model, {c.d, 0.0}, 1.0);
        const std::vector<ReportBlock> blocks =
            BuildReport(model, ListOf(Differences(2)), ListOf(Contrast(L"Y", 1, 1, {1.0})),
                        {0.05, 0.8, static_cast<double>(c.n), false});
        ASSERT_EQ(blocks.size(), 1u);
        ASSERT_EQ(blocks[0].results.size(), 1u);
        const ReportTable& t = blocks[0].results[0];
        ASSERT_EQ(t.size(), 3u);
        EXPECT_EQ(t[0][8], L"crit t");
        for (int row : {1, 2}) {
            const bool two = row == 2;
            EXPECT_EQ(t[row][1], two ? L"two" : L"one");
            PowerTMeans reference;
            const Texts texts = {{"tails", two ? "Two" : "One"},
                                 {"d", std::to_string(c.d)},
                                 {"alpha", "0.05"},
                                 {"n1", std::to_string(c.n / 2)},
                                 {"n2", std::to_string(c.n / 2)}};
            const auto run = Calculate(reference, kPostHoc, texts);
            ASSERT_LT(run->status, 0) << run->message;
            EXPECT_EQ(t[row][3], Text3(run->Value("power")));
            EXPECT_EQ(t[row][8], Text3(run->Value("crit")));
            EXPECT_EQ(t[row][9], FormatNumber(run->Value("df"), L"%.0lf"));
            EXPECT_EQ(t[row][10], Text3(std::pow(run->Value("ncp"), 2)));
            EXPECT_EQ(t[row][2], std::to_wstring(c.n));
            for (int k : {5, 6, 7}) EXPECT_EQ(t[row][k], L"1");
        }
    }

    // A priori: the smallest whole N, where the t test asks for equal
    // groups, so its total is that N or the next even number.
    PowerGLMM model;
    OneResponseGroups(model, {0.6, 0.0}, 1.0);
    const auto blocks = BuildReport(model, ListOf(Differences(2)),
                                    ListOf(Contrast(L"Y", 1, 1, {1.0})), {0.05, 0.8, 24, true});
    PowerTMeans reference;
    const auto run = Calculate(
        reference, kAPriori,
        {{"tails", "Two"}, {"d", "0.6"}, {"alpha", "0.05"}, {"power", "0.8"}, {"r", "1"}});
    ASSERT_LT(run->status, 0) << run->message;
    const double n = Cell(blocks[0].results[0], 2, L"N");
    EXPECT_TRUE(n == run->Value("n") || n + 1 == run->Value("n")) << n;
    EXPECT_GE(Cell(blocks[0].results[0], 2, L"Power"), 0.8);
}

TEST(ExplorerReport, OneResponseOverKGroupsIsTheOneWayAnova) {
    struct Case {
        std::vector<double> means;
        double variance;
        int n;
    } cases[] = {
        {{0.0, 0.5, 1.0}, 1.0, 60}, {{1, 2, 2, 5}, 4.0, 40}, {{0, 0.2, 0.4, 0.1, 0}, 0.25, 100}};
    for (const Case& c : cases) {
        const int k = static_cast<int>(c.means.size());
        SCOPED_TRACE(k);
        double mean = 0.0, squares = 0.0;
        for (double m : c.means) mean += m / k;
        for (double m : c.means) squares += (m - mean) * (m - mean) / k;
        const double f = std::sqrt(squares / c.variance);

        PowerGLMM model;
        OneResponseGroups(model, c.means, c.variance);
        for (bool aPriori : {false, true}) {
            const auto blocks =
                BuildReport(model, ListOf(Differences(k)), ListOf(Contrast(L"Y", 1, 1, {1.0})),
                            {0.05, 0.8, static_cast<double>(c.n), aPriori});
            ASSERT_EQ(blocks[0].results.size(), 1u);
            const ReportTable& F = blocks[0].results[0];
            ASSERT_EQ(F.size(), 2u);
            EXPECT_EQ(F[1][0], L"F test");
            PowerFAnovaGlobal reference;
            Texts texts = {{"f", std::to_string(f)}, {"alpha", "0.05"}, {"k", std::to_string(k)}};
            if (aPriori) {
                texts["power"] = "0.8";
                const auto run = Calculate(reference, kAPriori, texts);
                ASSERT_LT(run->status, 0) << run->message;
                // The ANOVA rounds up to a multiple of k, the model to a whole N.
                const double n = Cell(F, 1, L"N");
                EXPECT_LE(n, run->Value("n"));
                EXPECT_GT(n, run->Value("n") - k);
                EXPECT_GE(Cell(F, 1, L"Power"), 0.8);
            } else {
                texts["n"] = std::to_string(c.n);
                const auto run = Calculate(reference, kPostHoc, texts);
                ASSERT_LT(run->status, 0) << run->message;
                EXPECT_EQ(F[1][2], Text3(run->Value("power")));
                EXPECT_EQ(F[1][7], Text3(run->Value("crit")));
                EXPECT_EQ(F[1][8], FormatNumber(run->Value("df1"), L"%.0lf"));
                EXPECT_EQ(F[1][9], FormatNumber(run->Value("df2"), L"%.0lf"));
                EXPECT_EQ(F[1][10], Text3(run->Value("lambda")));
            }
        }
    }
}

// verification/explorer_contrast_basis/contrast_reference.tsv (scipy): the
// noncentrality and power of each row of the t and F tables, by test and
// tails.
std::map<std::string, std::vector<double>> ContrastReference() {
    std::ifstream in(QUORIX_SOURCE_DIR
                     "/verification/explorer_contrast_basis/contrast_reference.tsv");
    std::map<std::string, std::vector<double>> rows;
    std::string line;
    std::getline(in, line);  // the comment
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string test, tails;
        double lambda = 0, df1 = 0, df2 = 0, power = 0;
        cells >> test >> tails >> lambda >> df1 >> df2 >> power;
        rows[test + " " + tails] = {lambda, df1, df2, power};
    }
    return rows;
}

// A response contrast of rank 1 is one hypothesis however its rows write
// it: the t and F tables test the unit contrast the rows span, never only
// the first row. Each way of writing it gives the reference's rows, post
// hoc, and the same N a priori.
TEST(ExplorerReport, ARankOneResponseContrastIsOneTestWhateverItsRows) {
    const auto reference = ContrastReference();
    ASSERT_EQ(reference.size(), 3u);
    struct Writing {
        int rows;
        std::vector<double> values;
    };
    const Writing writings[] = {{1, {1, 0}},
                                {2, {0, 0, 1, 0}},
                                {2, {1, 0, 1, 0}},
                                {2, {1, 0, 2, 0}},
                                {3, {-2, 0, 0, 0, 0.5, 0}}};
    struct Case {
        const char* name;
        std::vector<double> means;  // k groups by two responses
        std::unique_ptr<PowerContrast> (*c)();
        double n;
        std::vector<std::string> rows;  // reference keys of the table's rows
        const wchar_t* dfColumn;        // the error df's column
    };
    const Case cases[] = {
        {"t", {0, 0, 0.5, 0}, [] { return Differences(2); }, 40, {"t one", "t two"}, L"df"},
        {"F",
         {0, 0, 0.5, 0, 1, 0},
         [] {
             return Contrast(L"C", 2, 3, {1, -1, 0, 1, 0, -1});
         },
         30,
         {"F -"},
         L"df2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int k = static_cast<int>(c.means.size()) / 2;
        std::vector<double> identity(k * k, 0.0);
        for (int i = 0; i < k; ++i) identity[i * k + i] = 1.0;
        PowerGLMM model;
        ASSERT_FALSE(SetModelMatrices(model, Labeled(k, k, identity),
                                      Labeled(k, 1, std::vector<double>(k, 1.0)),
                                      Labeled(k, 2, c.means), Labeled(2, 2, {1, 0, 0, 1})));
        std::wstring firstN;
        for (const Writing& w : writings) {
            SCOPED_TRACE(w.rows);
            const auto postHoc =
                BuildReport(model, ListOf(c.c()), ListOf(Contrast(L"A", w.rows, 2, w.values)),
                            {0.05, 0.8, c.n, false});
            ASSERT_EQ(postHoc.at(0).results.size(), 1u);
            const ReportTable& table = postHoc[0].results[0];
            ASSERT_EQ(table.size(), c.rows.size() + 1);
            for (std::size_t r = 0; r < c.rows.size(); ++r) {
                const std::vector<double>& expected = reference.at(c.rows[r]);
                EXPECT_EQ(Text(table, r + 1, L"λ"), Text3(expected[0]));
                EXPECT_EQ(Text(table, r + 1, c.dfColumn), FormatNumber(expected[2], L"%.0lf"));
                EXPECT_EQ(Text(table, r + 1, L"Power"), Text3(expected[3]));
            }
            const auto aPriori =
                BuildReport(model, ListOf(c.c()), ListOf(Contrast(L"A", w.rows, 2, w.values)),
                            {0.05, 0.8, c.n, true});
            const std::wstring n = Text(aPriori.at(0).results.at(0), 1, L"N");
            if (firstN.empty()) firstN = n;
            EXPECT_EQ(n, firstN);
        }
    }
}

// Two response variables over three groups: the univariate table, then
// the multivariate one, with their rows in order; blocks in C x A order.
TEST(ExplorerReport, BlocksInContrastOrderWithTheirTables) {
    PowerGLMM model;
    std::vector<double> identity = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    ASSERT_FALSE(SetModelMatrices(model, Labeled(3, 3, identity), Labeled(3, 1, {1, 1, 1}),
                                  Labeled(3, 2, {0, 0, 0.5, 0.2, 1, 0.4}),
                                  Labeled(2, 2, {1, 0.3, 0.3, 1})));
    PowerContrastList cList, aList;
    cList.push_back(Differences(3));
    cList.push_back(Contrast(L"first<last", 1, 3, {1, 0, -1}));
    aList.push_back(Contrast(L"A1", 2, 2, {1, 0, 0, 1}));
    aList.push_back(Contrast(L"A2", 1, 2, {1, -1}));
    aList.push_back(Contrast(L"A3", 1, 2, {1, 1}));
    const auto blocks = BuildReport(model, cList, aList, {0.05, 0.8, 60, false});
    ASSERT_EQ(blocks.size(), 6u);
    const wchar_t* captions[] = {L"groups x A1",     L"groups x A2",     L"groups x A3",
                                 L"first<last x A1", L"first<last x A2", L"first<last x A3"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(blocks[i].caption, std::wstring(L"Test of: ") + captions[i] + L"\n");
        EXPECT_TRUE(blocks[i].failure.empty()) << i;
    }
    // Two lines over three groups by two responses: univariate, multivariate.
    ASSERT_EQ(blocks[0].results.size(), 2u);
    const ReportTable& uni = blocks[0].results[0];
    const ReportTable& multi = blocks[0].results[1];
    ASSERT_EQ(uni.size(), 5u);
    ASSERT_EQ(uni[0].size(), 15u);
    EXPECT_EQ(uni[1][0], L"Unc");
    EXPECT_EQ(uni[4][0], L"Box");
    ASSERT_EQ(multi.size(), 9u);
    ASSERT_EQ(multi[0].size(), 14u);
    const wchar_t* names[] = {L"Wilks OS",      L"Wilks MP",      L"Pillai OS1",
                              L"Pillai MP1",    L"Hotelling OS1", L"Hotelling MP1",
                              L"Hotelling OS2", L"Hotelling MP2"};
    for (int r = 1; r <= 8; ++r) {
        EXPECT_EQ(multi[r][0], names[r - 1]);
        EXPECT_NE(multi[r][3], kNotComputed) << r;
    }
    // Two lines by one response: the F table; one line by one: the t table.
    EXPECT_EQ(blocks[1].results.at(0)[1][0], L"F test");
    EXPECT_EQ(blocks[4].results.at(0)[1][0], L"t test");
    EXPECT_EQ(blocks[3].cTable, (ReportTable{{L"1", L"0", L"-1"}}));
    EXPECT_EQ(blocks[3].aTable, (ReportTable{{L"1", L"0"}, {L"0", L"1"}}));

    // Either list empty: nothing at all.
    EXPECT_TRUE(BuildReport(model, cList, {}, {0.05, 0.8, 60, false}).empty());
    EXPECT_TRUE(BuildReport(model, {}, aList, {0.05, 0.8, 60, false}).empty());
}

// Counts read as whole numbers; a fractional N (typed so) and the df it
// gives keep their decimals.
TEST(ExplorerReport, CountsShowDecimalsOnlyWhenFractional) {
    PowerGLMM model;
    OneResponseGroups(model, {0.6, 0.0}, 1.0);
    for (const auto& [n, shownN, shownDf] :
         {std::tuple{40.0, L"40", L"38"}, std::tuple{40.5, L"40.5", L"38.500"}}) {
        const auto blocks = BuildReport(model, ListOf(Differences(2)),
                                        ListOf(Contrast(L"Y", 1, 1, {1.0})), {0.05, 0.8, n, false});
        const ReportTable& t = blocks.at(0).results.at(0);
        EXPECT_EQ(t[1][2], shownN);
        EXPECT_EQ(t[1][9], shownDf);
    }
}

// A singular Σ is named where the response contrast reaches its null
// space: Y1 and Y2 below are one variable twice.
TEST(ExplorerReport, ASingularSigmaIsNamedWhereItMatters) {
    PowerGLMM model;
    ASSERT_FALSE(SetModelMatrices(model, Labeled(2, 2, {1, 0, 0, 1}), Labeled(2, 1, {1, 1}),
                                  Labeled(2, 2, {0.5, 0.5, 0, 0}), Labeled(2, 2, {1, 1, 1, 1})));
    PowerContrastList aList;
    aList.push_back(Contrast(L"both", 2, 2, {1, 0, 0, 1}));
    aList.push_back(Contrast(L"Y1-Y2", 1, 2, {1, -1}));
    aList.push_back(Contrast(L"Y1", 1, 2, {1, 0}));
    const auto blocks = BuildReport(model, ListOf(Differences(2)), aList, {0.05, 0.8, 40, false});
    ASSERT_EQ(blocks.size(), 3u);

    // Both responses: the univariate tests hold, the multivariate ones divide by
    // a singular A'ΣA.
    ASSERT_EQ(blocks[0].results.size(), 2u);
    const ReportTable& uni = blocks[0].results[0];
    const ReportTable& multi = blocks[0].results[1];
    for (std::size_t r = 1; r < uni.size(); ++r) EXPECT_NE(uni[r][2], kNotComputed) << r;
    for (std::size_t r = 1; r < multi.size(); ++r)
        for (std::size_t c = 1; c < multi[r].size(); ++c) EXPECT_EQ(multi[r][c], kNotComputed);
    ASSERT_EQ(blocks[0].notes.size(), 1u);
    EXPECT_EQ(blocks[0].notes[0],
              L"Sigma is singular along the contrast \"both\": A'ΣA has rank 1, the contrast 2. "
              L"The multivariate tests divide by it and have no meaning here; their rows show "
              L"\"?\".");

    // Their difference has no variance at all: no test of it.
    EXPECT_TRUE(blocks[1].results.empty());
    EXPECT_EQ(blocks[1].failure,
              L"Sigma is singular: the responses of the contrast \"Y1-Y2\" have no variance "
              L"together (A'ΣA = 0), so no test of it can be computed.");

    // One of them alone is an ordinary t test (d = 0.5, N = 40).
    EXPECT_TRUE(blocks[2].notes.empty());
    EXPECT_TRUE(blocks[2].failure.empty());
    PowerTMeans reference;
    const auto run =
        Calculate(reference, kPostHoc,
                  {{"tails", "Two"}, {"d", "0.5"}, {"alpha", "0.05"}, {"n1", "20"}, {"n2", "20"}});
    ASSERT_LT(run->status, 0) << run->message;
    EXPECT_EQ(blocks[2].results.at(0)[2][3], Text3(run->Value("power")));
}

// Variances too small to compute with: the rows say "?" and the block says
// why, instead of leaving the reader with a table of question marks. (Tiny
// variances alone leave every power 1; here the noncentrality overflows.)
TEST(ExplorerReport, RowsWithoutValuesSayWhy) {
    PowerGLMM model;
    OneResponseGroups(model, {1e4, 0.0}, 1e-300);
    const auto one = BuildReport(model, ListOf(Differences(2)), ListOf(Contrast(L"Y", 1, 1, {1.0})),
                                 {0.05, 0.8, 24, false});
    EXPECT_EQ(one.at(0).results.at(0)[1][3], kNotComputed);
    EXPECT_EQ(one[0].notes,
              std::vector<std::wstring>{
                  L"Not computed (\"?\"): t test (one), t test (two): its noncentrality is not "
                  L"finite: the variances in Sigma are tiny against the contrasted means."});

    std::vector<double> identity = {1, 0, 0, 1};
    ASSERT_FALSE(SetModelMatrices(model, Labeled(2, 2, identity), Labeled(2, 1, {1, 1}),
                                  Labeled(2, 2, {1e4, 3e3, 0, 0}),
                                  Labeled(2, 2, {1e-300, 0, 0, 1e-300})));
    const auto two = BuildReport(model, ListOf(Differences(2)),
                                 ListOf(Contrast(L"A", 2, 2, identity)), {0.05, 0.8, 24, false});
    ASSERT_FALSE(two.at(0).notes.empty());
    // Every row without values is named in a note.
    std::wstring named;
    for (const std::wstring& note : two[0].notes) named += note;
    for (const ReportTable& table : two[0].results)
        for (std::size_t r = 1; r < table.size(); ++r) {
            if (table[r][table[0][1] == L"val" ? 3 : 2] == kNotComputed) {
                EXPECT_NE(named.find(table[r][0]), std::wstring::npos) << table[r][0];
            }
        }
}

// The standard model of the explorer has all means zero: no N reaches any
// power, and every search says so instead of showing N = 0 or running on.
TEST(ExplorerReport, ASearchWithoutEffectSaysNoSampleSizeFound) {
    PowerGLMM model;
    OneResponseGroups(model, {0.0, 0.0, 0.0}, 1.0);
    const auto blocks = BuildReport(model, ListOf(Differences(3)),
                                    ListOf(Contrast(L"Y", 1, 1, {1.0})), {0.05, 0.8, 24, true});
    const ReportTable& F = blocks.at(0).results.at(0);
    EXPECT_EQ(F[1][1], kNoSampleSize);
    for (std::size_t c = 2; c < F[1].size(); ++c) EXPECT_EQ(F[1][c], kNotComputed);

    PowerGLMM multi;
    std::vector<double> identity = {1, 0, 0, 1};
    ASSERT_FALSE(SetModelMatrices(multi, Labeled(2, 2, identity), Labeled(2, 1, {1, 1}),
                                  Labeled(2, 2, {0, 0, 0, 0}), Labeled(2, 2, identity)));
    const auto both = BuildReport(multi, ListOf(Differences(2)),
                                  ListOf(Contrast(L"A", 2, 2, identity)), {0.05, 0.8, 24, true});
    for (const ReportTable& table : both.at(0).results)
        for (std::size_t r = 1; r < table.size(); ++r)
            EXPECT_NE(std::find(table[r].begin(), table[r].end(), kNoSampleSize), table[r].end());
    // The reason stands under the tables, as for rows not computed post hoc.
    EXPECT_EQ(blocks[0].notes,
              std::vector<std::wstring>{
                  L"Not computed (\"?\"): F test: no sample size found: the contrast has no "
                  L"effect in this model (noncentrality 0): no sample size reaches a power above "
                  L"alpha."});
    ASSERT_EQ(both[0].notes.size(), 1u);
    EXPECT_EQ(both[0].notes[0].rfind(L"Not computed (\"?\"): Unc, G-G, H-F, Box, Wilks OS,", 0),
              0u);
}

// A contrast the cells with subjects cannot estimate is not tested, post
// hoc or a priori: a cell of weight 0 (its mean observed by no one), or
// one parameter of an over-parameterised X (two ways of writing B for the
// same cell means gave 0.997 and 1.000). An estimable contrast of the same
// design has the exact power for both (F(2, 26, 10): 0.765406,
// verification/explorer_testable/reference.py).
TEST(ExplorerReport, AContrastTheCellsCannotEstimateIsNotTestable) {
    const std::wstring reason =
        L"\" cannot be estimated from this design. The rows of C must lie in the row space of "
        L"the rows of X whose cells carry weight (a cell of weight 0 has no subjects); here "
        L"they do not, so C·B·A is not determined by the means of the cells that have subjects.";
    const std::vector<double> identity2 = {1, 0, 0, 1};
    const std::vector<double> over = {1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1};
    const struct Case {
        int cells, predictors;
        std::vector<double> x, weights, b, c;
        const wchar_t* power;  // nullptr: not testable
    } cases[] = {
        {3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 1, 0}, {0, 0, 0, 0, 0.5, 0.5}, {1, 0, -1}, nullptr},
        {3, 4, over, {1, 1, 1}, {10, 10, 1, 1, 0, 0, -1, -1}, {0, 1, 0, 0}, nullptr},
        {3, 4, over, {1, 1, 1}, {0, 0, 11, 11, 10, 10, 9, 9}, {0, 1, 0, 0}, nullptr},
        {3, 4, over, {1, 1, 1}, {10, 10, 1, 1, 0, 0, -1, -1}, {0, 1, -1, 0}, L"0.765"},
        {3, 4, over, {1, 1, 1}, {0, 0, 11, 11, 10, 10, 9, 9}, {0, 1, -1, 0}, L"0.765"},
    };
    for (const Case& c : cases) {
        for (bool aPriori : {false, true}) {
            PowerGLMM model;
            ASSERT_FALSE(SetModelMatrices(model, Labeled(c.cells, c.predictors, c.x),
                                          Labeled(c.cells, 1, c.weights),
                                          Labeled(c.predictors, 2, c.b), Labeled(2, 2, identity2)));
            const auto blocks =
                BuildReport(model, ListOf(Contrast(L"effect", 1, c.predictors, c.c)),
                            ListOf(Contrast(L"both", 2, 2, identity2)), {0.05, 0.8, 30, aPriori});
            ASSERT_EQ(blocks.size(), 1u);
            if (!c.power) {
                EXPECT_TRUE(blocks[0].results.empty());
                EXPECT_TRUE(blocks[0].notes.empty());
                EXPECT_EQ(blocks[0].failure, L"Not testable: the contrast \"effect" + reason);
            } else if (!aPriori) {
                EXPECT_TRUE(blocks[0].failure.empty());
                const ReportTable& multivariate = blocks[0].results.at(1);
                EXPECT_EQ(multivariate.at(1)[0], L"Wilks OS");
                EXPECT_EQ(multivariate[1][3], c.power);
            }
        }
    }
}

// Three groups, two responses: the second Hotelling-Lawley approximation
// needs an error df above b + 1 = 3. At N 5 and 6 its rows show "?" with
// that reason (not an η² of 4.022 and an f² of -1.331, nor a "?" without
// a word); from N 7 on they are computed.
TEST(ExplorerReport, AnApproximationWithoutItsDfSaysWhy) {
    PowerGLMM model;
    const std::vector<double> identity = {1, 0, 0, 1};
    ASSERT_FALSE(SetModelMatrices(model, Labeled(3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1}),
                                  Labeled(3, 1, {1, 1, 1}), Labeled(3, 2, {0, 0, 1, 0.5, 2, 0}),
                                  Labeled(2, 2, identity)));
    const struct {
        double n;
        const wchar_t* note;  // nullptr: computed
    } cases[] = {
        {5,
         L"Not computed (\"?\"): Hotelling OS2, Hotelling MP2: at N = 5 the error df (2) is "
         L"not above b + 1 = 3, which its approximation needs (its effect size would divide "
         L"by -1)."},
        {6,
         L"Not computed (\"?\"): Hotelling OS2, Hotelling MP2: at N = 6 the error df (3) is "
         L"not above b + 1 = 3, which its approximation needs (its effect size would divide "
         L"by 0)."},
        {7, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        const auto blocks =
            BuildReport(model, ListOf(Differences(3)), ListOf(Contrast(L"A", 2, 2, identity)),
                        {0.05, 0.8, c.n, false});
        const ReportTable& multivariate = blocks.at(0).results.at(1);
        const std::vector<std::wstring>& os2 = multivariate.at(7);
        ASSERT_EQ(os2[0], L"Hotelling OS2");
        if (!c.note) {
            EXPECT_TRUE(blocks[0].notes.empty());
            const double eta2 = std::stod(os2[12]), f2 = std::stod(os2[13]);
            EXPECT_TRUE(0.0 <= eta2 && eta2 <= 1.0 && f2 >= 0.0) << eta2 << " " << f2;
            continue;
        }
        EXPECT_EQ(os2[3], kNotComputed);
        EXPECT_EQ(os2[12], kNotComputed);
        EXPECT_NE(std::find(blocks[0].notes.begin(), blocks[0].notes.end(), c.note),
                  blocks[0].notes.end());
    }
}

TEST(ExplorerReport, RefusesWhatCannotBeComputed) {
    struct Case {
        ReportSettingsTexts texts;
        const wchar_t* message;  // nullptr: accepted
    } cases[] = {
        {{L"0.05", L"0.80", L"24", false}, nullptr},
        {{L"", L"0.80", L"24", false}, L"Alpha must lie between 0 and 1 (it reads \"\")."},
        {{L"1", L"0.80", L"24", true}, L"Alpha must lie between 0 and 1 (it reads \"1\")."},
        {{L"0.05", L"x", L"24", true}, L"Power must lie between 0 and 1 (it reads \"x\")."},
        {{L"0.05", L"x", L"24", false}, nullptr},
        {{L"0.05", L"0.8", L"0", false},
         L"The total sample size must be a positive number (it reads \"0\")."},
        {{L"0.05", L"0.8", L"", true}, nullptr},
    };
    for (const Case& c : cases) {
        ReportSettings settings;
        const auto message = ReadReportSettings(c.texts, &settings);
        if (c.message) {
            EXPECT_EQ(message.value_or(L"accepted"), c.message);
        } else {
            EXPECT_FALSE(message) << std::string(message->begin(), message->end());
        }
    }
    ReportSettings read;
    ASSERT_FALSE(ReadReportSettings({L" 0.01abc", L"0.9", L"40.5", false}, &read));
    EXPECT_EQ(read.alpha, 0.01);
    EXPECT_EQ(read.totalN, 40.5);

    // Tabs out of step: the means have rows for 2 predictors, the design 3.
    PowerGLMM model;
    const auto misfit =
        SetModelMatrices(model, Labeled(3, 3, std::vector<double>(9, 1.0)),
                         Labeled(3, 1, {1, 1, 1}), Labeled(2, 1, {0, 1}), Labeled(1, 1, {1}));
    ASSERT_TRUE(misfit);
    EXPECT_NE(misfit->find(L"open the tab \"Means B\""), std::wstring::npos);
    EXPECT_EQ(model.predictors, 0);

    // A contrast over fewer predictors than the design: the block says why.
    OneResponseGroups(model, {0.5, 0.0, 0.0}, 1.0);
    const auto blocks = BuildReport(model, ListOf(Differences(2)),
                                    ListOf(Contrast(L"Y", 1, 1, {1.0})), {0.05, 0.8, 24, false});
    EXPECT_TRUE(blocks.at(0).results.empty());
    EXPECT_NE(blocks[0].failure.find(L"open the tab \"Pred. Contrast C\""), std::wstring::npos);

    // Post hoc with N below the error df: the rows say "?" instead of power 0.
    const auto small = BuildReport(model, ListOf(Differences(3)),
                                   ListOf(Contrast(L"Y", 1, 1, {1.0})), {0.05, 0.8, 2, false});
    EXPECT_EQ(small.at(0).results.at(0)[1][2], kNotComputed);
    EXPECT_EQ(small[0].notes, std::vector<std::wstring>{
                                  L"Not computed (\"?\"): F test: N = 2 is not above the rank "
                                  L"of X (3): there are no error degrees of freedom."});

    // A variance below 0 is no covariance matrix.
    const auto negative = SetModelMatrices(model, Labeled(1, 1, {1}), Labeled(1, 1, {1}),
                                           Labeled(1, 1, {0}), Labeled(1, 1, {-1}));
    EXPECT_EQ(negative.value_or(L""),
              L"The variance of variable 1 is -1, below 0:\nSigma is not positive "
              L"semi-definite, so no power can be computed.");
}

}  // namespace
