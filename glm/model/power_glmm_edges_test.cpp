// The general linear multivariate model at its edges: a sample-size search
// whose first computable N gives an approximation no denominator df,
// contrasts the observed cells cannot estimate, and effects too large for
// the noncentral distributions. References: verification/explorer_testable/
// reference.py (numpy, scipy, mpmath), read from its reference.tsv.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "glm/model/effect_design.h"
#include "glm/model/power_glmm.h"

namespace {

Matrix MatrixOf(int rows, int cols, std::vector<double> values) {
    Matrix m(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) m(i, j) = values[i * cols + j];
    return m;
}

Matrix Identity(int n) {
    Matrix m(n, n);
    m = 0.0;
    for (int i = 0; i < n; ++i) m(i, i) = 1.0;
    return m;
}

// One line of reference.tsv: case, row, N and the values after it.
struct ReferenceLine {
    std::string row;
    double n;
    std::vector<double> values;
};

std::map<std::string, std::vector<ReferenceLine>> ReadReference(
    const std::string& file = "reference.tsv") {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/explorer_testable/" + file);
    std::map<std::string, std::vector<ReferenceLine>> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string field; std::getline(cells, field, '\t');) fields.push_back(field);
        ReferenceLine r{fields.at(1), std::stod(fields.at(2)), {}};
        for (std::size_t i = 3; i < fields.size(); ++i) r.values.push_back(std::stod(fields[i]));
        cases[fields[0]].push_back(r);
    }
    return cases;
}

const std::map<std::string, unsigned int> kSelectors = {
    {"Unc", kGlmmUnivariate},
    {"G-G", kGlmmGreenhouseGeisser},
    {"H-F", kGlmmHuynhFeldt},
    {"Box", kGlmmBox},
    {"Wilks OS", kGlmmWilksOS},
    {"Wilks MP", kGlmmWilksMP},
    {"Pillai OS1", kGlmmPillai1OS},
    {"Pillai MP1", kGlmmPillai1MP},
    {"Hotelling OS1", kGlmmHotelling1OS},
    {"Hotelling MP1", kGlmmHotelling1MP},
    {"Hotelling OS2", kGlmmHotelling2OS},
    {"Hotelling MP2", kGlmmHotelling2MP},
    {"t test", kGlmmContrastTTwoTailed},
};

// Two cells, four responses, the second cell 0.5 higher in each: one
// eigenvalue 0.25. The N-scaled rows have denominator df nu - 3, none at
// N 5, which the search meets while it looks for the first N that computes.
void TwoCellsFourResponses(PowerGLMM& model) {
    model.SetDimensions(2, 2, 4);
    model.X.reference(Identity(2));
    model.SetCellWeights({1, 1});
    model.B.reference(MatrixOf(2, 4, {0, 0, 0, 0, 0.5, 0.5, 0.5, 0.5}));
    model.Sigma.reference(Identity(4));
    model.C.reference(MatrixOf(1, 2, {1, -1}));
    model.A.reference(Identity(4));
}

TEST(GeneralLinearModelEdges, SearchJudgesTheEffectOnTheModelNotOnAnNWithoutDf) {
    const auto reference = ReadReference();
    const auto& reached = reference.at("mp_search");
    const auto& below = reference.at("mp_search_below");
    ASSERT_EQ(reached.size(), 5u);
    for (std::size_t i = 0; i < reached.size(); ++i) {
        SCOPED_TRACE(reached[i].row);
        PowerGLMM model;
        TwoCellsFourResponses(model);
        model.target = 0.8;
        model.SetTestSelector(kSelectors.at(reached[i].row));
        EXPECT_EQ(model.SolveN(), reached[i].n) << model.failure;
        EXPECT_NEAR(model.power, reached[i].values[0], 1e-9);
        EXPECT_LT(model.Evaluate(below[i].n), 0.0);
        EXPECT_NEAR(model.power, below[i].values[0], 1e-9);
    }
}

// A contrast is estimable when its rows lie in the row space of the rows
// of X whose cells carry weight, judged relative to the scale of X and of
// each row of C; the error df count only those cells.
TEST(GeneralLinearModelEdges, EstimabilityFollowsTheWeightedCells) {
    const std::vector<double> overparameterised = {1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1};
    const struct Case {
        const char* name;
        int cells, predictors;
        std::vector<double> x, weights, c;
        bool estimable;
        double rank;
    } cases[] = {
        {"empty third cell", 3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 1, 0}, {1, 0, -1}, false, 2},
        {"empty third cell, its first two",
         3,
         3,
         {1, 0, 0, 0, 1, 0, 0, 0, 1},
         {1, 1, 0},
         {1, -1, 0},
         true,
         2},
        {"tiny weight of the third cell",
         3,
         3,
         {1, 0, 0, 0, 1, 0, 0, 0, 1},
         {1, 1, 1e-6},
         {1, 0, -1},
         true,
         3},
        {"one effect of an over-parameterised X",
         3,
         4,
         overparameterised,
         {1, 1, 1},
         {0, 1, 0, 0},
         false,
         3},
        {"a difference of two of its effects",
         3,
         4,
         overparameterised,
         {1, 1, 1},
         {0, 1, -1, 0},
         true,
         3},
        {"that difference at 1e15",
         3,
         4,
         overparameterised,
         {1, 1, 1},
         {0, 1e15, -1e15, 0},
         true,
         3},
        {"thirds typed to six digits",
         3,
         4,
         overparameterised,
         {1, 1, 1},
         {1, 0.333333, 0.333333, 0.333333},
         true,
         3},
        {"an X of zeros", 3, 3, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 1}, {1, -1, 0}, false, 0},
    };
    for (double scale : {1.0, 1e-20, 1e20}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", X times " + std::to_string(scale));
            PowerGLMM model;
            model.SetDimensions(c.cells, c.predictors, 2);
            model.X.reference(MatrixOf(c.cells, c.predictors, c.x));
            model.X *= scale;
            model.SetCellWeights(c.weights);
            model.Sigma.reference(Identity(2));
            model.C.reference(MatrixOf(1, c.predictors, c.c));
            model.A.reference(Identity(2));
            model.N = 30;
            ASSERT_TRUE(model.Compute()) << model.failure;
            EXPECT_EQ(model.estimable, c.estimable);
            EXPECT_EQ(model.r, c.rank);
            if (!c.estimable) {
                model.target = 0.8;
                model.SetTestSelector(kGlmmWilksOS);
                EXPECT_EQ(model.SolveN(), 0.0);
                EXPECT_EQ(model.failure,
                          "The contrast C is not estimable: its rows do not lie in the row "
                          "space of the design's cells that carry weight.");
            }
        }
    }
}

// Estimable contrasts get the exact power (s = 1, spherical: Hotelling's
// T²): the same for two parameterisations of the same cell means, and with
// the error df of the two cells that have subjects.
TEST(GeneralLinearModelEdges, EstimableContrastsHaveTheExactPower) {
    const auto reference = ReadReference();
    const std::vector<double> x = {1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1};
    const struct Case {
        const char* key;
        int cells, predictors;
        std::vector<double> x, weights, b, c;
    } cases[] = {
        {"overparameterised_B1", 3, 4, x, {1, 1, 1}, {10, 10, 1, 1, 0, 0, -1, -1}, {0, 1, -1, 0}},
        {"overparameterised_B2", 3, 4, x, {1, 1, 1}, {0, 0, 11, 11, 10, 10, 9, 9}, {0, 1, -1, 0}},
        {"empty_cell",
         3,
         3,
         {1, 0, 0, 0, 1, 0, 0, 0, 1},
         {1, 1, 0},
         {0, 0, 0.5, 0.5, 9, 9},
         {1, -1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        PowerGLMM model;
        model.SetDimensions(c.cells, c.predictors, 2);
        model.X.reference(MatrixOf(c.cells, c.predictors, c.x));
        model.SetCellWeights(c.weights);
        model.B.reference(MatrixOf(c.predictors, 2, c.b));
        model.Sigma.reference(Identity(2));
        model.C.reference(MatrixOf(1, c.predictors, c.c));
        model.A.reference(Identity(2));
        model.N = 30;
        ASSERT_TRUE(model.Compute()) << model.failure;
        ASSERT_TRUE(model.estimable);
        ASSERT_TRUE(model.Wilks(true, true));
        const ReferenceLine& power = reference.at(c.key).at(0);
        EXPECT_NEAR(model.power, power.values[0], 1e-9);
        if (std::string(c.key) == "empty_cell") {
            EXPECT_EQ(model.N - model.r, reference.at(c.key).at(1).values[0]);
        }
    }
}

// The 3 x 3 x 2 design in effect coding, 18 cells of weight 1: columns
// intercept, A (2), B (2), C (1), AB (4), AC (2), BC (2), ABC (4). The
// means: intercept (10, 11, 12), the two A effects `a1` in the first and
// in the second response, every other effect 0.1 ((i + j) mod 5); Sigma =
// variance I.
void EffectModel(PowerGLMM& model, double a1, double variance) {
    const EffectDesign d = ThreeByThreeByTwo(a1);
    model.SetDimensions(18, 18, 3);
    model.X.reference(MatrixOf(18, 18, d.x));
    model.SetCellWeights(std::vector<double>(18, 1.0));
    model.B.reference(MatrixOf(18, 3, d.means));
    model.Sigma.reference(Identity(3));
    model.Sigma *= variance;
}

// The main effect of A on the responses against the first (a = b = 2), or
// the first A effect on the first two responses (the t test).
void Pair(PowerGLMM& model, bool tTest) {
    Matrix c(tTest ? 1 : 2, 18);
    c = 0.0;
    c(0, 1) = 1.0;
    if (!tTest) c(1, 2) = 1.0;
    model.C.reference(c);
    model.A.reference(tTest ? MatrixOf(3, 1, {1, -1, 0}) : MatrixOf(3, 2, {1, 1, -1, 0, 0, -1}));
}

bool RunPostHoc(PowerGLMM& model, unsigned int selector) {
    switch (selector) {
        case kGlmmUnivariate:
        case kGlmmGreenhouseGeisser:
        case kGlmmHuynhFeldt:
        case kGlmmBox:
            return model.UnivariateCommon() && model.Univariate(selector);
        case kGlmmContrastTTwoTailed:
            return model.ContrastT(false);
        default:
            model.SetTestSelector(selector);
            return model.RunTests();
    }
}

// A huge effect (means of 1e11 against variances 1, or means of 0.1 to 12
// against variances 1e-200): the noncentralities run from 1e11 to 1e201,
// where every row's power is 1 to double precision (the reference bounds
// 1 - power by exp(-1e6) and less). Post hoc at N 24 each row computes
// power 1; a priori each answers the first N its df allow.
TEST(GeneralLinearModelEdges, AHugeEffectHasPowerOneFromTheFirstAllowedN) {
    const auto reference = ReadReference();
    for (const char* name : {"huge_mean", "tiny_sigma"}) {
        const bool hugeMean = std::string(name) == "huge_mean";
        const auto& first = reference.at(std::string(name) + "_first");
        const auto& at24 = reference.at(std::string(name) + "_n24");
        ASSERT_EQ(first.size(), 13u);
        for (std::size_t i = 0; i < first.size(); ++i) {
            SCOPED_TRACE(std::string(name) + ", " + first[i].row);
            const unsigned int selector = kSelectors.at(first[i].row);
            const bool tTest = selector == kGlmmContrastTTwoTailed;
            ASSERT_LT(at24[i].values[1], -40.0);  // the reference's log of 1 - power
            PowerGLMM model;
            EffectModel(model, hugeMean ? 1e11 : 1.0, hugeMean ? 1.0 : 1e-200);
            Pair(model, tTest);
            model.N = 24;
            ASSERT_TRUE(model.Compute()) << model.failure;
            ASSERT_TRUE(RunPostHoc(model, selector));
            EXPECT_EQ(model.power, 1.0);
            EXPECT_GT(model.lambda, 1e6);

            model.target = 0.9;
            model.SetTestSelector(selector);
            EXPECT_EQ(model.SolveN(), first[i].n) << model.failure;
            EXPECT_EQ(model.power, 1.0);
        }
    }
}

// Beyond the noncentralities the F and t distributions compute (1e10),
// the power comes from the limit form; where it is not 1 (a denominator
// df far below 1), it equals the reference's, which agrees with scipy's
// exact value at 1e9 to 1e-8.
TEST(GeneralLinearModelEdges, LimitFormsBeyondTheDistributionsRange) {
    const auto reference = ReadReference();
    for (const char* kind : {"limit_f", "limit_t"}) {
        for (const ReferenceLine& line : reference.at(kind)) {
            SCOPED_TRACE(std::string(kind) + ", " + line.row);
            const double df = std::stod(line.row.substr(line.row.find(' ') + 1));
            const double lambda = line.n;
            // Two cells of one response, C = (1, -1): Q = (difference)² / 4
            // at weights 1 1 and variance 1, the error df N - 2.
            PowerGLMM model;
            model.SetDimensions(2, 2, 1);
            model.X.reference(Identity(2));
            model.SetCellWeights({1, 1});
            model.N = 2.0 + df;
            model.B.reference(MatrixOf(2, 1, {std::sqrt(4.0 * lambda / model.N), 0.0}));
            model.Sigma.reference(Identity(1));
            model.C.reference(MatrixOf(1, 2, {1, -1}));
            model.A.reference(Identity(1));
            ASSERT_TRUE(model.Compute()) << model.failure;
            ASSERT_TRUE(std::string(kind) == "limit_f" ? model.ContrastF() : model.ContrastT(true));
            EXPECT_NEAR(model.lambda, lambda, 1e-6 * lambda);
            EXPECT_NEAR(model.power, line.values[0], 1e-9);
        }
    }
}

// Three cells (X = I, weights 1 2 3), C the two successive differences,
// A the two successive differences of three responses: a = b = s = 2. The
// means put a huge effect h on the first cell contrast only ("rows") or
// along the first response contrast only ("columns"), beside ordinary ones:
// the two eigenvalues of Q lie 1e15 to 1e31 apart. The small one decides
// Pillai's V (up to 2), Wilks' U and the effects of both.
TEST(GeneralLinearModelEdges, EigenvaluesFarApartKeepTheSmallOne) {
    const auto reference = ReadReference("spread_reference.tsv");
    const std::map<std::string, std::pair<unsigned int, bool>> rows = {
        {"Wilks OS", {kGlmmWilksOS, true}},           {"Wilks MP", {kGlmmWilksMP, false}},
        {"Pillai OS1", {kGlmmPillai1OS, true}},       {"Pillai MP1", {kGlmmPillai1MP, false}},
        {"Hotelling OS1", {kGlmmHotelling1OS, true}}, {"Hotelling MP1", {kGlmmHotelling1MP, false}},
    };
    ASSERT_EQ(reference.size(), 7u);
    // One object for every case, as the explorer keeps one: only the means
    // change between them, and with them the eigenvalues.
    PowerGLMM model;
    for (const auto& [name, lines] : reference) {
        SCOPED_TRACE(name);
        const double h = name == "ordinary" ? 1.0 : std::stod(name.substr(name.find(' ') + 1));
        const bool byRows = name.rfind("columns", 0) != 0;
        model.SetDimensions(3, 3, 3);
        model.X.reference(Identity(3));
        model.SetCellWeights({1, 2, 3});
        model.B.reference(byRows ? MatrixOf(3, 3, {h + 1, 2, 0.5, 1, 1.5, 1, 0.3, 0.5, 2})
                                 : MatrixOf(3, 3, {3 * h, 1, 0.5, 2 * h, 0.2, 1, 0, 1.1, 0.4}));
        model.Sigma.reference(MatrixOf(3, 3, {1, 0.3, 0.2, 0.3, 2, 0.4, 0.2, 0.4, 1.5}));
        model.C.reference(MatrixOf(2, 3, {1, -1, 0, 0, 1, -1}));
        model.A.reference(MatrixOf(3, 2, {1, 0, -1, 1, 0, -1}));
        model.N = 24;
        ASSERT_TRUE(model.Compute()) << model.failure;
        ASSERT_EQ(lines.size(), 7u);
        for (const ReferenceLine& line : lines) {
            SCOPED_TRACE(line.row);
            auto near = [](double value, double expected) {
                EXPECT_NEAR(value, expected, 1e-12 * std::fabs(expected));
            };
            if (line.row == "eigen") {
                ASSERT_EQ(model.eigen.size(), 2u);
                near(model.eigen[0], line.values[0]);
                near(model.eigen[1], line.values[1]);
                continue;
            }
            const auto [selector, plain] = rows.at(line.row);
            double statistic = 0.0;
            switch (selector) {
                case kGlmmWilksOS:
                case kGlmmWilksMP:
                    ASSERT_TRUE(model.Wilks(plain, false));
                    statistic = plain ? model.U : model.UN;
                    break;
                case kGlmmPillai1OS:
                case kGlmmPillai1MP:
                    ASSERT_TRUE(model.Pillai1(plain, false));
                    statistic = plain ? model.V : model.VN;
                    break;
                default:
                    ASSERT_TRUE(model.HotellingLawley1(plain, false));
                    statistic = plain ? model.T : model.TN;
            }
            near(statistic, line.values[0]);
            near(model.effect, line.values[1]);
            near(model.eta2, line.values[2]);
        }
    }
}

}  // namespace

// Means whose contrast is exactly equal (control 10, 12 and high 12, 14 on
// the difference of the responses: -2 and -2) have no effect at every
// scale of the model and however A is written, although the products that
// form C B A round to some 1e-16 at some scales and to 0 at others; a
// difference far below the means (1e-9 of them) against small variances is
// an effect.
TEST(GeneralLinearModelEdges, EqualMeansHaveNoEffectAtEveryScale) {
    const double h = std::sqrt(0.5);
    struct Case {
        const char* name;
        double high1;  // the high group's mean on the first response
        Matrix a;
        double variance;
        bool effect;
    };
    const Case cases[] = {
        {"equal, A a column", 12.0, MatrixOf(2, 1, {h, -h}), 4.0, false},
        {"equal, A a rank-1 square", 12.0, MatrixOf(2, 2, {1, 1, -1, -1}), 4.0, false},
        {"1e-9 apart", 12.0 + 1e-8, MatrixOf(2, 1, {h, -h}), 1e-14, true},
        {"1e-9 apart, rank-1 square", 12.0 + 1e-8, MatrixOf(2, 2, {1, 1, -1, -1}), 1e-14, true},
    };
    for (const Case& c : cases) {
        for (double scale : {1.0, 1e-75, 1e75, 1e-100, 1e150, 3.7}) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(scale);
            PowerGLMM model;
            model.SetDimensions(3, 3, 2);
            model.X.reference(Identity(3));
            model.SetCellWeights({1, 1, 2});
            model.B.reference(MatrixOf(3, 2, {10, 12, 11, 12.5, c.high1, 14}));
            model.B *= scale;
            model.Sigma.reference(
                MatrixOf(2, 2, {c.variance, 0.5 * c.variance, 0.5 * c.variance, 2 * c.variance}));
            model.Sigma *= scale * scale;
            model.C.reference(MatrixOf(1, 3, {h, 0, -h}));
            model.A.reference(c.a.copy());
            model.target = 0.9;
            for (unsigned int selector : {kGlmmContrastTTwoTailed, kGlmmUnivariate, kGlmmWilksOS}) {
                model.SetTestSelector(selector);
                const double n = model.SolveN();
                EXPECT_EQ(model.HasEffect(), c.effect) << selector;
                if (c.effect) {
                    EXPECT_GT(n, 0.0) << selector << model.failure;
                } else {
                    EXPECT_EQ(n, 0.0);
                    EXPECT_NE(model.failure.find("no effect"), std::string::npos) << model.failure;
                    model.N = 30;
                    ASSERT_TRUE(model.Compute());
                    ASSERT_TRUE(RunPostHoc(model, selector));
                    EXPECT_EQ(model.lambda, 0.0) << selector;
                }
            }
        }
    }
}
