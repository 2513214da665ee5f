#include "numerics/glm_fitter.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/quorix_error.h"

namespace {

struct ReferenceFit {
    std::string name;
    int family = 0, link = 0;
    Matrix X, Y, w;
    std::vector<double> coefficients;
    std::vector<double> covariance;  // row by row
};

// Reads verification/matrix/glm_reference.txt (format in glm_reference.R).
std::vector<ReferenceFit> LoadReferenceFits() {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/verification/matrix/glm_reference.txt");
    std::vector<ReferenceFit> fits;
    std::string word;
    while (in >> word) {
        if (word != "case") break;
        ReferenceFit f;
        int n = 0, k = 0, columns = 0;
        in >> f.name >> f.family >> f.link >> n >> k >> columns;
        f.X.resize(n, k);
        f.Y.resize(n, columns);
        f.w.resize(n, 1);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < k; ++j) in >> f.X(i, j);
            for (int j = 0; j < columns; ++j) in >> f.Y(i, j);
            in >> f.w(i, 0);
        }
        std::string line;
        in >> word;  // coef
        std::getline(in, line);
        std::istringstream coefs(line);
        for (double v; coefs >> v;) f.coefficients.push_back(v);
        in >> word;  // cov
        std::getline(in, line);
        std::istringstream cov(line);
        for (double v; cov >> v;) f.covariance.push_back(v);
        fits.push_back(f);
    }
    return fits;
}

Matrix Column(std::initializer_list<double> values) {
    Matrix M(static_cast<int>(values.size()), 1);
    int i = 0;
    for (double v : values) M(i++, 0) = v;
    return M;
}

Matrix Ones(int n) {
    Matrix M(n, 1);
    M = 1.0;
    return M;
}

void SetData(GlmFitter& fitter, const Matrix& X, const Matrix& y, const Matrix& w) {
    fitter.SetDesignMatrix(X);
    fitter.SetResponse(y);
    fitter.SetWeights(w);
}

}  // namespace

TEST(GlmFitter, MatchesReferenceFits) {
    const std::vector<ReferenceFit> fits = LoadReferenceFits();
    ASSERT_EQ(fits.size(), 13u) << "reference table missing or malformed";
    for (const ReferenceFit& f : fits) {
        GlmFitter fitter;
        SetData(fitter, f.X, f.Y, f.w);
        ASSERT_TRUE(fitter.Fit(f.family, f.link)) << f.name;
        EXPECT_TRUE(fitter.converged) << f.name;
        const int p = static_cast<int>(f.coefficients.size());
        ASSERT_EQ(fitter.coefficients.extent(0), p) << f.name;
        ASSERT_EQ(fitter.covariance.extent(0), p) << f.name;
        ASSERT_EQ(fitter.covariance.extent(1), p) << f.name;
        for (int i = 0; i < p; ++i) {
            const double expected = f.coefficients[i];
            EXPECT_NEAR(fitter.coefficients(i, 0), expected, 1e-6 * std::fabs(expected))
                << f.name << " coefficient " << i;
            EXPECT_NEAR(fitter.standardErrors(i), std::sqrt(f.covariance[i * p + i]),
                        1e-6 * std::sqrt(f.covariance[i * p + i]))
                << f.name << " standard error " << i;
            // Off-diagonal entries relative to the product of the standard
            // errors: a small covariance between two large variances carries
            // the absolute error of its row.
            for (int j = 0; j < p; ++j) {
                const double v = f.covariance[i * p + j];
                const double scale = std::sqrt(f.covariance[i * p + i] * f.covariance[j * p + j]);
                EXPECT_NEAR(fitter.covariance(i, j), v, 1e-6 * scale)
                    << f.name << " covariance " << i << "," << j;
            }
        }
    }
}

TEST(GlmFitter, RefitsTheSameDataWithoutCarryingStateOver) {
    const std::vector<ReferenceFit> fits = LoadReferenceFits();
    ASSERT_FALSE(fits.empty());
    const ReferenceFit* gaussian = nullptr;
    for (const ReferenceFit& f : fits)
        if (f.name == "gaussian") gaussian = &f;
    ASSERT_NE(gaussian, nullptr);

    // Gaussian first (dispersion estimated), then Poisson on a fresh data set:
    // the second covariance must not be scaled.
    GlmFitter reused;
    SetData(reused, gaussian->X, gaussian->Y, gaussian->w);
    ASSERT_TRUE(reused.Fit(kGlmGaussian, kGlmIdentity));
    EXPECT_TRUE(reused.estimateDispersion);
    const Matrix X = Column({-1, 0, 1, 2, -1, 0, 1, 2});
    const Matrix y = Column({0, 1, 2, 4, 1, 0, 3, 5});
    SetData(reused, X, y, Ones(8));
    ASSERT_TRUE(reused.Fit(kGlmPoisson, kGlmLog));
    EXPECT_FALSE(reused.estimateDispersion);

    GlmFitter fresh;
    SetData(fresh, X, y, Ones(8));
    ASSERT_TRUE(fresh.Fit(kGlmPoisson, kGlmFamilyDefault));
    EXPECT_EQ(fresh.link, kGlmLog);
    ASSERT_EQ(reused.coefficients.extent(0), 2);
    ASSERT_EQ(fresh.coefficients.extent(0), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(reused.coefficients(i, 0), fresh.coefficients(i, 0));
        for (int j = 0; j < 2; ++j) EXPECT_EQ(reused.covariance(i, j), fresh.covariance(i, j));
    }

    // A second fit without setting the design again fits the same model.
    ASSERT_TRUE(reused.Fit(kGlmPoisson, kGlmLog));
    ASSERT_EQ(reused.design.extent(1), 2);
    EXPECT_EQ(reused.coefficients(1, 0), fresh.coefficients(1, 0));
}

TEST(GlmFitter, RejectsFitsItCannotDo) {
    const Matrix X = Column({1, 2, 3, 4});
    const Matrix y = Column({0, 1, 0, 1});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        int family, link;
        Matrix X, y, w;
    };
    const Case cases[] = {
        {"family 5", 5, 1, X, y, Ones(4)},
        {"family -1", -1, 1, X, y, Ones(4)},
        {"link 7 has no link function", 1, 7, X, y, Ones(4)},
        {"link 9", 2, 9, X, y, Ones(4)},
        {"inverse gaussian default link", 4, 8, X, Column({1, 2, 3, 4}), Ones(4)},
        {"three response columns", 1, 2, X, Matrix(4, 3), Ones(4)},
        {"two columns outside binomial", 2, 1, X, Matrix(4, 2), Ones(4)},
        {"weights of another length", 1, 2, X, y, Ones(3)},
        {"response of another length", 1, 2, X, Column({0, 1, 1}), Ones(4)},
        {"negative weight", 1, 2, X, y, Column({1, -1, 1, 1})},
        {"NaN weight", 1, 2, X, y, Column({1, nan, 1, 1})},
        {"proportion above 1", 1, 2, X, Column({0, 1.5, 0, 1}), Ones(4)},
        {"negative count", 2, 1, X, Column({0, -1, 0, 1}), Ones(4)},
        {"zero Gamma response", 3, 1, X, Column({0, 1, 2, 1}), Ones(4)},
        {"NaN covariate", 2, 1, Column({1, nan, 3, 4}), Column({0, 1, 0, 1}), Ones(4)},
        {"no observations", 2, 1, Matrix(0, 1), Matrix(0, 1), Matrix(0, 1)},
        {"all weights zero", 2, 1, X, Column({0, 1, 0, 1}), Column({0, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        GlmFitter fitter;
        SetData(fitter, X, Column({1, 2, 2, 5}), Ones(4));
        ASSERT_TRUE(fitter.Fit(kGlmPoisson, kGlmLog));
        const Matrix before = fitter.coefficients.copy();
        SetData(fitter, c.X, c.y, c.w);
        EXPECT_FALSE(fitter.Fit(c.family, c.link)) << c.what;
        EXPECT_EQ(fitter.coefficients(1, 0), before(1, 0)) << c.what;
    }
}

TEST(GlmFitter, SeparableDataEndWithinTheIterationLimit) {
    GlmFitter fitter;
    SetData(fitter, Column({1, 2, 3, 4}), Column({0, 0, 1, 1}), Ones(4));
    ASSERT_TRUE(fitter.Fit(kGlmBinomial, kGlmLogit));
    EXPECT_LE(fitter.iterations, GlmFitter::kMaxIterations);
    ASSERT_EQ(fitter.coefficients.extent(0), 2);
    EXPECT_TRUE(std::isfinite(fitter.coefficients(0, 0)));
    EXPECT_GT(fitter.coefficients(1, 0), 10.0) << "the slope runs off towards infinity";
    EXPECT_LT(fitter.coefficients(0, 0), -25.0) << "intercept first";
}

TEST(GlmFitter, CoefficientsThatOverflowAreReported) {
    GlmFitter fitter;
    fitter.addIntercept = false;
    SetData(fitter, Column({1e-200, 2e-200, 3e-200}), Column({1e200, 3e200, 2e200}), Ones(3));
    try {
        fitter.Fit(kGlmGaussian, kGlmIdentity);
        ADD_FAILURE() << "an infinite slope must not pass as a fit";
    } catch (const QuorixError& e) {
        EXPECT_EQ(e.GetCode(), QuorixError::kNoConvergence);
    }
}

TEST(GlmFitter, DependentColumnsAreDroppedKeepingTheIntercept) {
    // A column of zeros leaves an intercept-only fit: the log of the mean.
    GlmFitter fitter;
    Matrix X(4, 1);
    X = 0.0;
    SetData(fitter, X, Column({1, 2, 3, 6}), Ones(4));
    ASSERT_TRUE(fitter.Fit(kGlmPoisson, kGlmLog));
    ASSERT_EQ(fitter.coefficients.extent(0), 1);
    EXPECT_NEAR(fitter.coefficients(0, 0), std::log(3.0), 1e-12);
    EXPECT_NEAR(fitter.covariance(0, 0), 1.0 / 12.0, 1e-12);  // 1 / sum(mu)
}

TEST(GlmFitter, StartValuesFollowTheFamily) {
    struct Case {
        int family;
        double y, start;
    };
    const Case cases[] = {
        {kGlmGaussian, -2.0, -2.0}, {kGlmBinomial, 1.0, 0.75},     {kGlmBinomial, 0.0, 0.25},
        {kGlmPoisson, 0.0, 0.25},   {kGlmGamma, 0.0, DBL_EPSILON}, {kGlmInverseGaussian, 3.0, 3.0},
    };
    for (const Case& c : cases) {
        GlmFitter fitter;
        fitter.SetResponse(Column({c.y}));
        fitter.family = c.family;
        Matrix mu;
        fitter.StartValues(mu, 1.0);
        EXPECT_EQ(mu(0, 0), c.start) << c.family;
    }
}

TEST(GlmFitter, LinkAndVarianceOperations) {
    // Links: inverse of the link function, and its derivative against a
    // central difference.
    const std::vector<double> means = {0.05, 0.3, 0.5, 0.82, 0.97};
    for (int link = kGlmIdentity; link <= kGlmLoglog; ++link) {
        GlmFitter fitter;
        fitter.link = link;
        ASSERT_TRUE(fitter.SetLink()) << link;
        for (double m : means) {
            Matrix mu = Column({m, m - 1e-6, m + 1e-6}), eta, back, d;
            fitter.LinkFun(eta, mu);
            fitter.LinkInv(back, eta);
            fitter.LinkDeriv(d, mu);
            EXPECT_NEAR(back(0, 0), m, 1e-14) << "link " << link << " at " << m;
            const double numeric = (eta(2, 0) - eta(1, 0)) / 2e-6;
            EXPECT_NEAR(d(0, 0), numeric, 1e-6 * std::fabs(numeric))
                << "link " << link << " at " << m;
        }
    }
    GlmFitter fitter;
    fitter.link = 7;
    EXPECT_FALSE(fitter.SetLink());
    EXPECT_EQ(fitter.LinkFun, nullptr);

    // Inverse links keep the mean inside its range for extreme eta.
    struct Clamp {
        int link;
        double eta, low, high;
    };
    const Clamp clamps[] = {
        {kGlmLogit, -1e3, DBL_EPSILON * 0.99, DBL_EPSILON * 1.01},
        {kGlmLogit, 1e3, 1.0 - DBL_EPSILON, 1.0 - DBL_EPSILON},
        {kGlmLog, -1e4, 1.2e-77, 1.23e-77},
        {kGlmProbit, -50.0, DBL_EPSILON * 0.99, DBL_EPSILON * 1.01},
        {kGlmCloglog, 10.0, 1.0 - DBL_EPSILON, 1.0 - DBL_EPSILON},
        {kGlmInverse, -3.0, 8.1e76, 8.2e76},
    };
    for (const Clamp& c : clamps) {
        GlmFitter f;
        f.link = c.link;
        ASSERT_TRUE(f.SetLink());
        Matrix mu;
        f.LinkInv(mu, Column({c.eta}));
        EXPECT_GE(mu(0, 0), c.low) << c.link;
        EXPECT_LE(mu(0, 0), c.high) << c.link;
    }

    // Square roots of the variance functions, binomial size 1.
    struct Variance {
        int family;
        double mu, expected;
    };
    const Variance variances[] = {
        {kGlmGaussian, 4.0, 1.0}, {kGlmBinomial, 0.5, 0.5},        {kGlmPoisson, 4.0, 2.0},
        {kGlmGamma, 4.0, 4.0},    {kGlmInverseGaussian, 4.0, 8.0},
    };
    for (const Variance& v : variances) {
        GlmFitter f;
        SetData(f, Column({1, 2, 3}), Column({0.25, 0.5, 0.75}), Ones(3));
        ASSERT_TRUE(f.Fit(v.family, v.family == kGlmInverseGaussian ? kGlmLog : kGlmFamilyDefault));
        Matrix size(1, 1), out;
        size = 1.0;
        f.SqrtVariance(out, Column({v.mu}), size);
        EXPECT_EQ(out(0, 0), v.expected) << v.family;
    }
}
