// The general linear multivariate model: the statistics of a hand-worked
// model, the reductions to the univariate tests it must agree with
// (references: verification/glm/reference.py, scipy), the expected
// epsilons against a Monte Carlo of Wishart draws, and the sample-size
// search.

#include "glm/model/power_glmm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/cancel.h"

namespace {

Matrix MatrixOf(int rows, int cols, std::vector<double> values) {
    Matrix m(rows, cols);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) m(i, j) = values[i * cols + j];
    }
    return m;
}

// A cell-means model of k equal groups: X = I, C the k - 1 successive
// differences, B the group means (k x p), A the identity (all responses).
void CellMeans(PowerGLMM& model, int k, int p, std::vector<double> means, Matrix sigma) {
    model.SetDimensions(k, k, p);
    model.X = 0.0;
    for (int i = 0; i < k; ++i) model.X(i, i) = 1.0;
    model.SetCellWeights(std::vector<double>(k, 1.0));
    model.B.reference(MatrixOf(k, p, std::move(means)));
    model.Sigma.reference(sigma);
    model.C.resize(k - 1, k);
    model.C = 0.0;
    for (int i = 0; i + 1 < k; ++i) {
        model.C(i, i) = 1.0;
        model.C(i, i + 1) = -1.0;
    }
    model.A.resize(p, p);
    model.A = 0.0;
    for (int i = 0; i < p; ++i) model.A(i, i) = 1.0;
}

Matrix Identity(int n) {
    Matrix m(n, n);
    m = 0.0;
    for (int i = 0; i < n; ++i) m(i, i) = 1.0;
    return m;
}

// Two groups with means (1, 1) and (0, 0), Sigma = I: one eigenvalue 0.5.
TEST(GeneralLinearModel, StatisticsOfAHandWorkedModel) {
    PowerGLMM model;
    CellMeans(model, 2, 2, {1, 1, 0, 0}, Identity(2));
    ASSERT_TRUE(model.Compute()) << model.failure;
    EXPECT_EQ(model.s, 1.0);
    EXPECT_NEAR(model.eigen[0], 0.5, 1e-14);
    EXPECT_NEAR(model.eigen[1], 0.0, 1e-14);
    model.N = 20;
    model.Pillai1(true, false);
    EXPECT_NEAR(model.V, 1.0 / 3.0, 1e-14);
    model.Wilks(true, false);
    EXPECT_NEAR(model.U, 2.0 / 3.0, 1e-14);
    model.HotellingLawley1(true, false);
    EXPECT_NEAR(model.T, 0.5, 1e-14);
    EXPECT_NEAR(std::sqrt(model.effect), 0.7071068, 5e-8);
}

// One response: the tests are the one-way ANOVA with lambda = N f²
// (3 groups, means 0, 0.5, 1, N = 60: f² = 1/6, power 0.7933118).
// Two groups: Hotelling's T² with F(p, N - p - 1) and lambda n1 n2/N
// Delta². One response and two groups: the two-sample t test.
TEST(GeneralLinearModel, ReducesToTheUnivariateTests) {
    PowerGLMM anova;
    CellMeans(anova, 3, 1, {0.0, 0.5, 1.0}, Identity(1));
    anova.N = 60;
    ASSERT_TRUE(anova.Compute());
    for (bool plain : {true}) {
        ASSERT_TRUE(anova.HotellingLawley1(plain, true));
        EXPECT_NEAR(anova.lambda, 60.0 / 6.0, 1e-12);
        EXPECT_NEAR(anova.df2, 57.0, 1e-12);
        EXPECT_NEAR(anova.power, 0.793311837286, 1e-9);
        ASSERT_TRUE(anova.Pillai1(plain, true));
        EXPECT_NEAR(anova.power, 0.793311837286, 1e-9);
        ASSERT_TRUE(anova.Wilks(plain, true));
        EXPECT_NEAR(anova.power, 0.793311837286, 1e-9);
    }

    PowerGLMM hotelling;
    Matrix sigma(3, 3);
    sigma = 0.3;
    for (int i = 0; i < 3; ++i) sigma(i, i) = 1.0;
    CellMeans(hotelling, 2, 3, {0.5, 0.3, 0.0, 0, 0, 0}, sigma);
    hotelling.N = 50;
    ASSERT_TRUE(hotelling.Compute());
    ASSERT_TRUE(hotelling.Pillai1(true, true));
    EXPECT_NEAR(hotelling.df1, 3.0, 0.0);
    EXPECT_NEAR(hotelling.df2, 46.0, 1e-12);
    EXPECT_NEAR(hotelling.lambda, 12.5 * 0.314285714286, 1e-9);
    EXPECT_NEAR(hotelling.power, 0.326020626323, 1e-9);

    PowerGLMM t;
    CellMeans(t, 2, 1, {0.6, 0.0}, Identity(1));
    t.N = 60;
    ASSERT_TRUE(t.Compute());
    ASSERT_TRUE(t.ContrastT(false));
    EXPECT_NEAR(t.power, 0.627504587397, 1e-9);
    ASSERT_TRUE(t.ContrastF());
    EXPECT_NEAR(t.power, 0.627504587397, 1e-9);
}

// Population epsilon 1 under compound symmetry and 1/b when one
// eigenvalue carries everything; the expected estimates against the Monte
// Carlo means of verification/glm/reference.py (200,000 Wishart draws,
// standard errors below 3e-4): the expansion is good to about 0.02 (0.035
// for Huynh-Feldt) at nu = 20 and 0.003 (0.005) at nu = 60.
TEST(GeneralLinearModel, EpsilonsAndTheirExpectations) {
    // Orthonormal within contrasts of a compound-symmetric Sigma are
    // spherical.
    Matrix compound(4, 4);
    compound = 0.5;
    for (int i = 0; i < 4; ++i) compound(i, i) = 1.0;
    PowerGLMM within;
    CellMeans(within, 2, 4, {1, 0, 0, 0, 0, 0, 0, 0}, compound);
    const double h2 = 1 / std::sqrt(2.0), h6 = 1 / std::sqrt(6.0), h12 = 1 / std::sqrt(12.0);
    within.A.reference(
        MatrixOf(4, 3, {h2, h6, h12, -h2, h6, h12, 0, -2 * h6, h12, 0, 0, -3 * h12}));
    within.N = 40;
    ASSERT_TRUE(within.Compute());
    ASSERT_TRUE(within.UnivariateCommon());
    EXPECT_NEAR(within.eps, 1.0, 1e-12);
    // All variance in one direction: the lower bound 1/b.
    PowerGLMM bound;
    CellMeans(bound, 2, 3, {1, 0, 0, 0, 0, 0}, MatrixOf(3, 3, {1, 1, 1, 1, 1, 1, 1, 1, 1}));
    bound.N = 40;
    ASSERT_TRUE(bound.Compute());
    ASSERT_TRUE(bound.UnivariateCommon());
    EXPECT_NEAR(bound.eps, 1.0 / 3.0, 1e-12);
    // A sample estimate never falls below 1/b, so its mean lies above it.
    EXPECT_GE(bound.epsGG, 1.0 / 3.0);
    EXPECT_LT(bound.epsGG, 0.34);

    const struct {
        std::vector<double> psi;
        double nu, n, gg, hf;
    } rows[] = {
#include "verification/glm/epsilon_rows.inc"
    };
    for (const auto& r : rows) {
        const bool small = r.nu < 30;
        EXPECT_NEAR(PowerGLMM::ExpectedGreenhouseGeisser(r.psi, r.nu), r.gg, small ? 0.02 : 0.003)
            << r.nu;
        EXPECT_NEAR(PowerGLMM::ExpectedHuynhFeldt(r.psi, r.n, r.nu), r.hf, small ? 0.035 : 0.005)
            << r.nu;
    }
}

// One design of verification/explorer_univariate/powers.tsv: the model's
// inputs and, by column name, the simulated and computed results.
struct SimulatedDesign {
    std::string name;
    std::map<std::string, std::vector<double>> columns;
    double operator[](const std::string& column) const { return columns.at(column).at(0); }
    const std::vector<double>& List(const std::string& column) const { return columns.at(column); }
};

std::vector<double> NumbersOf(const std::string& text) {
    std::vector<double> values;
    std::istringstream in(text);
    std::string token;
    while (std::getline(in, token, ',')) values.push_back(std::stod(token));
    return values;
}

std::vector<SimulatedDesign> ReadSimulatedDesigns() {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/explorer_univariate/powers.tsv");
    std::vector<std::string> header;
    std::vector<SimulatedDesign> designs;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string field;
        while (std::getline(cells, field, '\t')) fields.push_back(field);
        if (header.empty()) {
            header = fields;
            continue;
        }
        SimulatedDesign d;
        d.name = fields.at(0);
        for (std::size_t i = 1; i < fields.size() && i < header.size(); ++i)
            d.columns[header[i]] = NumbersOf(fields[i]);
        designs.push_back(std::move(d));
    }
    return designs;
}

// The group x time interaction of a design: cell means, successive group
// differences, the table's orthonormal time contrasts; N from the sizes.
void InteractionModel(PowerGLMM& model, const SimulatedDesign& d) {
    const std::vector<double>& sizes = d.List("sizes");
    const int g = static_cast<int>(sizes.size()), p = static_cast<int>(d["p"]);
    CellMeans(model, g, p, d.List("means"), MatrixOf(p, p, d.List("sigma")));
    model.SetCellWeights(sizes);
    model.A.reference(MatrixOf(p, p - 1, d.List("A")));
    model.N = 0.0;
    for (double n : sizes) model.N += n;
}

// The four univariate rows against data simulated with the model's design,
// means and Sigma (verification/explorer_univariate/simulate.py): each row
// equals the independent computation of its method, and the rows whose
// critical value is fixed, where the method is exact, the simulated power
// within three standard errors. (G-G and H-F put the expected estimates in
// place of the random ones; how far that is off is in docs/explorer.md.)
TEST(GeneralLinearModel, UnivariateRowsAgainstSimulatedData) {
    const std::vector<SimulatedDesign> designs = ReadSimulatedDesigns();
    ASSERT_GE(designs.size(), 6u);
    const struct {
        const char* column;
        unsigned int selector;
    } rows[] = {{"Unc", kGlmmUnivariate},
                {"G-G", kGlmmGreenhouseGeisser},
                {"H-F", kGlmmHuynhFeldt},
                {"Box", kGlmmBox}};
    for (const SimulatedDesign& d : designs) {
        PowerGLMM model;
        InteractionModel(model, d);
        ASSERT_TRUE(model.Compute()) << d.name;
        ASSERT_TRUE(model.UnivariateCommon()) << d.name;
        EXPECT_NEAR(model.eps, d["eps"], 1e-9) << d.name;
        EXPECT_NEAR(model.epsGG, d["method_gg"], 1e-9) << d.name;
        EXPECT_NEAR(model.epsHF, d["method_hf"], 1e-9) << d.name;
        for (const auto& r : rows) {
            const std::string column = r.column;
            ASSERT_TRUE(model.Univariate(r.selector)) << d.name << " " << column;
            EXPECT_NEAR(model.power, d["method_" + column], 1e-9) << d.name << " " << column;
            EXPECT_NEAR(model.epsShown, d["eps"], 1e-9) << d.name << " " << column;
            if (column == "Unc" || column == "Box") {
                EXPECT_NEAR(model.power, d[column], 3.0 * d[column + "_se"])
                    << d.name << " " << column;
            }
        }
    }
}

// The smallest N whose power reaches the target: the ANOVA of above at
// power 0.8 with Pillai (plain), and the four univariate rows of the first
// simulated design.
TEST(GeneralLinearModel, SolveNFindsTheSmallestSufficientN) {
    PowerGLMM model;
    CellMeans(model, 3, 1, {0.0, 0.5, 1.0}, Identity(1));
    model.target = 0.8;
    model.SetTestSelector(kGlmmPillai1OS);
    const double n = model.SolveN();
    ASSERT_GT(n, 0.0) << model.failure;
    EXPECT_EQ(n, std::floor(n));
    EXPECT_GE(model.power, 0.8);
    EXPECT_LT(model.Evaluate(n - 1.0), 0.0);
    EXPECT_EQ(n, 61.0);  // power 0.7933 at 60, 0.8007 at 61

    // The univariate rows search on the exact power of their statistic.
    const std::vector<SimulatedDesign> designs = ReadSimulatedDesigns();
    ASSERT_FALSE(designs.empty());
    for (unsigned int selector :
         {kGlmmUnivariate, kGlmmGreenhouseGeisser, kGlmmHuynhFeldt, kGlmmBox}) {
        PowerGLMM uni;
        InteractionModel(uni, designs[0]);
        uni.target = 0.8;
        uni.SetTestSelector(selector);
        const double m = uni.SolveN();
        ASSERT_GT(m, 0.0) << selector << " " << uni.failure;
        EXPECT_GE(uni.power, 0.8) << selector;
        EXPECT_LT(uni.Evaluate(m - 1.0), 0.0) << selector;
    }
}

// Failures are results: a zero effect never reaches the target (bounded
// search, a message, N 0); mismatched contrasts are refused; the second
// Hotelling-Lawley approximation with an error df not above b + 1 fails in
// both variants.
TEST(GeneralLinearModel, FailuresAreReported) {
    PowerGLMM none;
    CellMeans(none, 3, 1, {1.0, 1.0, 1.0}, Identity(1));
    none.target = 0.8;
    none.SetTestSelector(kGlmmWilksOS);
    EXPECT_EQ(none.SolveN(), 0.0);
    EXPECT_EQ(none.failure,
              "The contrast has no effect in this model (noncentrality 0): no sample size "
              "reaches a power above alpha.");

    PowerGLMM mismatch;
    CellMeans(mismatch, 3, 2, {1, 0, 0, 0, 0, 1}, Identity(2));
    mismatch.A.resize(3, 1);  // rows must be the 2 responses
    mismatch.A = 1.0;
    mismatch.N = 50;
    EXPECT_FALSE(mismatch.Compute());
    EXPECT_EQ(mismatch.failure, "The matrices of the model do not fit together.");
    mismatch.SetTestSelector(kGlmmPillai1OS);
    EXPECT_TRUE(std::isnan(mismatch.Evaluate(50)));

    // A search stops when the thread's check says so (Esc in the window).
    PowerGLMM stopped;
    CellMeans(stopped, 3, 1, {0.0, 0.5, 1.0}, Identity(1));
    stopped.target = 0.8;
    stopped.SetTestSelector(kGlmmPillai1OS);
    {
        CancelCheck check([] { return true; });
        EXPECT_THROW(stopped.SolveN(), CancelledError);
    }

    PowerGLMM small;
    CellMeans(small, 3, 4, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}, Identity(4));
    small.N = 6;
    ASSERT_TRUE(small.Compute());
    for (bool plain : {true, false}) {
        small.power = 0.5;
        EXPECT_FALSE(small.HotellingLawley2(plain, true)) << plain;
        EXPECT_EQ(small.power, -1.0) << plain;
    }
}

// Every search answers the smallest N at which its row is defined and its
// power reaches the target: the post hoc power there reaches it, one less
// does not (or the row is not defined there). Three groups, two responses:
// the second Hotelling-Lawley approximation is defined from N 7 on, where a
// search over all N found a root at N 5 with power 0.25.
TEST(GeneralLinearModel, SearchAnswersAreReachedAndMinimal) {
    for (unsigned int selector :
         {kGlmmWilksOS, kGlmmWilksMP, kGlmmPillai1OS, kGlmmPillai1MP, kGlmmHotelling1OS,
          kGlmmHotelling1MP, kGlmmHotelling2OS, kGlmmHotelling2MP, kGlmmUnivariate,
          kGlmmGreenhouseGeisser, kGlmmHuynhFeldt, kGlmmBox}) {
        for (double shift : {0.9, 2.5}) {
            SCOPED_TRACE(testing::Message() << "selector " << selector << ", shift " << shift);
            PowerGLMM model;
            CellMeans(model, 3, 2, {0, 0, shift, 0, 0, shift}, Identity(2));
            model.target = 0.8;
            model.SetTestSelector(selector);
            const double n = model.SolveN();
            ASSERT_GT(n, 0.0) << model.failure;
            EXPECT_GE(model.power, 0.8);
            ASSERT_TRUE(model.Compute());
            model.N = n - 1.0;
            EXPECT_FALSE(model.Allowed() && model.RunTests() && model.power >= 0.8)
                << "power " << model.power << " at N " << model.N;
        }
    }
}

// The univariate rows are defined on orthonormal response contrasts: the
// same hypothesis written on three bases of its space gives the same rows,
// and on this spherical model they are the exact powers of F(2, 56, 17.5)
// (verification/explorer_univariate/basis_reference.py, scipy).
TEST(GeneralLinearModel, UnivariateRowsDoNotDependOnTheBasisOfA) {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/explorer_univariate/basis_reference.tsv");
    std::string line;
    std::vector<double> reference;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#' && !std::isalpha(static_cast<unsigned char>(line[0])))
            for (std::istringstream cells(line); cells >> line;)
                reference.push_back(std::stod(line));
    ASSERT_EQ(reference.size(), 4u);
    const double r2 = std::sqrt(0.5), r6 = std::sqrt(1.0 / 6.0);
    const std::vector<std::vector<double>> bases = {
        {1, 1, -1, 0, 0, -1},           // rows "1 -1 0" and "1 0 -1"
        {r2, r6, -r2, r6, 0, -2 * r6},  // orthonormal
        {2, 0, -2, 3, 0, -3},           // another scaling, other directions
    };
    std::vector<std::vector<double>> rows;
    for (const auto& basis : bases) {
        PowerGLMM model;
        CellMeans(model, 2, 3, {10, 12, 14, 10, 13, 17},
                  MatrixOf(3, 3, {4, 2, 2, 2, 4, 2, 2, 2, 4}));
        model.A.reference(MatrixOf(3, 2, basis));
        model.N = 30;
        ASSERT_TRUE(model.Compute()) << model.failure;
        ASSERT_TRUE(model.UnivariateCommon());
        std::vector<double> row;
        for (unsigned int selector :
             {kGlmmUnivariate, kGlmmGreenhouseGeisser, kGlmmHuynhFeldt, kGlmmBox}) {
            ASSERT_TRUE(model.Univariate(selector));
            for (double x : {model.epsShown, model.epsExpShown, model.critical, model.df1,
                             model.df2, model.lambda, model.power})
                row.push_back(x);
        }
        if (rows.empty()) {
            EXPECT_FALSE(model.orthonormalA);
            EXPECT_NEAR(row[0], reference[0], 1e-12);  // eps
            EXPECT_NEAR(row[5], reference[1], 1e-9);   // lambda
            EXPECT_NEAR(row[6], reference[2], 1e-6);   // Unc
            EXPECT_NEAR(row[27], reference[3], 1e-6);  // Box
        }
        rows.push_back(row);
    }
    for (std::size_t i = 1; i < rows.size(); ++i)
        for (std::size_t k = 0; k < rows[0].size(); ++k)
            EXPECT_NEAR(rows[i][k], rows[0][k], 1e-9 * std::max(1.0, std::fabs(rows[0][k])))
                << "basis " << i << ", value " << k;
}

}  // namespace
