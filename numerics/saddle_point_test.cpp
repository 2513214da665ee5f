#include "numerics/saddle_point.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double RelativeError(double value, double expected) {
    if (expected == 0.0) return std::fabs(value);
    return std::fabs(value - expected) / std::fabs(expected);
}

struct DensityRow {
    std::string function;
    double a[4];
    int log;
    double expected;
};

std::vector<DensityRow> ReadDensityTable() {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/verification/saddle_point/densities.tsv");
    std::vector<DensityRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        DensityRow row;
        std::string text;
        std::getline(fields, row.function, '\t');
        for (double& a : row.a) {
            std::getline(fields, text, '\t');
            a = text == "NA" ? NAN : std::strtod(text.c_str(), nullptr);
        }
        std::getline(fields, text, '\t');
        row.log = std::stoi(text);
        std::getline(fields, text, '\t');
        row.expected = std::strtod(text.c_str(), nullptr);  // may be subnormal
        rows.push_back(row);
    }
    return rows;
}

double Evaluate(const DensityRow& r) {
    const double* a = r.a;
    if (r.function == "dbinom") return dbinom(a[0], a[1], a[2], r.log);
    if (r.function == "dpois") return PoissonDensity(a[0], a[1], r.log);
    if (r.function == "df") return CentralFDensity(a[0], a[1], a[2], r.log);
    if (r.function == "dgamma") return GammaDensity(a[0], a[1], a[2], r.log);
    if (r.function == "dhyper") return HypergeometricDensity(a[0], a[1], a[2], a[3], r.log);
    if (r.function == "dt") return CentralTDensity(a[0], a[1], r.log);
    ADD_FAILURE() << "unknown function " << r.function;
    return NAN;
}

}  // namespace

// Reference values from R's density functions (verification/saddle_point).
// On the log scale the error is measured against max(1, |value|), since a
// log density near 0 carries absolute, not relative, accuracy; a subnormal
// mass is allowed a few units of the smallest subnormal.
TEST(SaddlePointDensities, AgreeWithReferenceTable) {
    const std::vector<DensityRow> rows = ReadDensityTable();
    ASSERT_EQ(rows.size(), 90u);
    for (const DensityRow& r : rows) {
        const double value = Evaluate(r);
        const double error =
            r.log ? std::fabs(value - r.expected) / std::fmax(1.0, std::fabs(r.expected))
                  : std::fabs(value - r.expected) /
                        std::fmax(std::fabs(r.expected), 4 * DBL_TRUE_MIN / 2e-14);
        EXPECT_LE(error, 1e-14) << r.function << "(" << r.a[0] << ", " << r.a[1] << ", " << r.a[2]
                                << ", " << r.a[3] << ", log " << r.log << ") = " << value
                                << ", expected " << r.expected;
    }
}

TEST(SaddlePointDensities, ClosedFormsAndArgumentChecks) {
    struct Case {
        const char* what;
        double value, expected;
    };
    const Case cases[] = {
        {"dbinom(3, 10, 0.5)", dbinom(3, 10, 0.5, 0), 0.1171875},
        {"x within 1e-7 of an integer", dbinom(3.00000005, 10, 0.5, 0), 0.1171875},
        {"x not integral", dbinom(3.5, 10, 0.5, 0), 0.0},
        {"x not integral, log", dbinom(3.5, 10, 0.5, 1), kLogZero},
        {"p above 1", dbinom(3, 10, 1.5, 0), 0.0},
        {"p above 1, log", dbinom(3, 10, 1.5, 1), 0.0},
        {"n not integral", dbinom(3, 10.5, 0.5, 0), 0.0},
        {"x above n", dbinom(11, 10, 0.5, 0), 0.0},
        {"all successes certain", dbinom(7, 7, 1.0, 0), 1.0},
        {"no success possible", dbinom(0, 7, 0.0, 0), 1.0},
        {"no success possible, log", dbinom(0, 7, 0.0, 1), 0.0},
        {"dbinom(0, 20, 0.05) bd0 form", dbinom(0, 20, 0.05, 0), std::pow(0.95, 20)},
        {"Poisson at 0", PoissonDensity(0, 2, 0), std::exp(-2.0)},
        {"Poisson below 0", PoissonDensity(-1, 2, 0), 0.0},
        {"Poisson below 0, log", PoissonDensity(-1, 2, 1), kLogZero},
        {"Poisson, negative mean", PoissonDensity(1, -2, 1), 0.0},
        {"Poisson, zero mean", PoissonDensity(0, 0, 0), 1.0},
        {"F at 0 with m = 2", CentralFDensity(0, 2, 5, 0), 0.0},
        {"F at 0 with m = 1", CentralFDensity(0, 1, 5, 1), kLogZero},
        {"F, zero df", CentralFDensity(1, 0, 5, 1), 0.0},
        {"gamma shape 1 is exponential", GammaDensity(1.5, 1, 2, 0), 0.5 * std::exp(-0.75)},
        {"gamma at 0", GammaDensity(0, 2, 2, 0), 0.0},
        {"gamma, zero scale", GammaDensity(1, 2, 0, 0), 0.0},
        {"gamma, negative shape", GammaDensity(1, -2, 1, 1), 0.0},
        {"hypergeometric, nothing drawn", HypergeometricDensity(0, 5, 5, 0, 0), 1.0},
        {"hypergeometric, n above r + b", HypergeometricDensity(1, 5, 5, 11, 0), 0.0},
        {"hypergeometric, no white balls", HypergeometricDensity(0, 0, 7, 4, 0), 1.0},
        {"hypergeometric, x above r", HypergeometricDensity(6, 5, 5, 8, 0), 0.0},
        {"t with 1 df is Cauchy", CentralTDensity(2, 1, 0), 1.0 / (M_PI * 5.0)},
        {"t, zero df", CentralTDensity(2, 0, 0), 0.0},
        {"t at infinity", CentralTDensity(INFINITY, 3, 0), 0.0},
    };
    for (const Case& c : cases)
        EXPECT_LE(RelativeError(c.value, c.expected), 2e-15) << c.what << ": " << c.value;
}

// The masses of a whole support add to one; this checks every interior
// branch of the binomial and hypergeometric masses at once.
TEST(SaddlePointDensities, MassesSumToOne) {
    double binomial = 0.0;
    for (int x = 0; x <= 1000; ++x) binomial += dbinom(x, 1000, 0.3, 0);
    EXPECT_NEAR(binomial, 1.0, 1e-13);
    double hyper = 0.0;
    for (int x = 0; x <= 25; ++x) hyper += HypergeometricDensity(x, 30, 20, 25, 0);
    EXPECT_NEAR(hyper, 1.0, 1e-14);
    double poisson = 0.0;
    for (int x = 0; x <= 200; ++x) poisson += PoissonDensity(x, 50.5, 0);
    EXPECT_NEAR(poisson, 1.0, 1e-14);
}

// Arguments that are not numbers are refused, never looped on.
TEST(SaddlePointDensities, ValuesThatAreNotNumbersAreRefused) {
    EXPECT_TRUE(std::isnan(bd0(NAN, 2.0)));
    EXPECT_TRUE(std::isnan(bd0(2.0, NAN)));
    EXPECT_EQ(dbinom(NAN, 10, 0.5, 0), 0.0);
    EXPECT_EQ(dbinom(3, NAN, 0.5, 0), 0.0);
    EXPECT_EQ(dbinom(3, 10, NAN, 0), 0.0);
    EXPECT_EQ(PoissonDensity(3, NAN, 0), 0.0);
    EXPECT_EQ(CentralFDensity(1, NAN, 3, 0), 0.0);
    EXPECT_EQ(GammaDensity(1, 2, NAN, 0), 0.0);
    EXPECT_EQ(HypergeometricDensity(1, NAN, 3, 2, 0), 0.0);
    EXPECT_EQ(CentralTDensity(NAN, 3, 0), 0.0);
    EXPECT_EQ(BinomialCoefficient(NAN, 3), 0.0);
}

// Reference values: mpmath at 40 digits.
TEST(StirlingError, TableSeriesAndGammaBranches) {
    // The gamma branch subtracts numbers of size ln Gamma(n + 1) and so keeps
    // only about eps ln Gamma(n + 1) absolute accuracy; the short series lose
    // their last digits to truncation just above 15 and 500.
    struct Case {
        double n, expected, tolerance;
    };
    const Case cases[] = {
        {0.0, 0.0, 0.0},
        {0.3, 0.23606490074821558, 1e-15},
        {7.5, 0.011104559758206917, 1e-16},
        {14.99, 0.0055584380816363298, 2e-12},
        {15.0, 0.0055547335519628014, 1e-13},
        {15.5, 0.0053755990329268345, 1e-13},
        {35.5, 0.0023473557657616072, 1e-13},
        {81.0, 0.0010288013577107775, 1e-13},
        {600.0, 0.00013888887602881679, 1e-13},
        {1e5, 8.3333333333055556e-7, 1e-14},
    };
    for (const Case& c : cases)
        EXPECT_LE(RelativeError(stirlerr(c.n), c.expected), c.tolerance) << "n = " << c.n;
}

TEST(StirlingError, DevianceTermBothForms) {
    struct Case {
        double x, np;
    };
    // Close arguments take the series, distant ones the direct form; both
    // must match the direct form evaluated where it does not cancel.
    const Case cases[] = {{10.0, 10.5}, {100.0, 99.0}, {3.0, 30.0}, {1e6, 1e6 + 1.0}};
    for (const Case& c : cases) {
        const double t = (c.x - c.np) / c.np;  // x ln(x/np) + np - x = np ((1+t) ln(1+t) - t)
        const double expected = c.np * ((1.0 + t) * std::log1p(t) - t);
        EXPECT_LE(RelativeError(bd0(c.x, c.np), expected), std::fabs(t) < 0.1 ? 1e-9 : 1e-14)
            << c.x << ", " << c.np;
    }
    EXPECT_EQ(bd0(5.0, 5.0), 0.0);
}

TEST(BinomialCoefficient, ExactAndStirlingBranches) {
    struct Case {
        double n, k, expected, tolerance;
    };
    const Case cases[] = {
        {100, 50, 1.0089134454556419333e+29, 1e-13},     // Stirling branch
        {1000, 300, 5.4282500464061406482e+263, 3e-13},  // e^607: ulps of the exponent
        {200, 30, 4.0968170502212777353e+35, 1e-13},
        {60, 2, 1770, 0},
        {50, 21, 67327446062800.0, 0},  // product, exact
        {1e6, 12, 2.087537916209397485e+63, 1e-14},
        {5, 7, 0, 0},
        {5, -1, 0, 0},
        {5, 0, 1, 0},
        {1030, 515, 0, 0},  // beyond the largest double
    };
    for (const Case& c : cases) {
        const double value = BinomialCoefficient(c.n, c.k);
        if (c.tolerance == 0)
            EXPECT_EQ(value, c.expected) << "C(" << c.n << ", " << c.k << ")";
        else
            EXPECT_LE(RelativeError(value, c.expected), c.tolerance)
                << "C(" << c.n << ", " << c.k << ")";
    }
}

TEST(ChebyshevSeries, LogGammaCorrectionAndLog1p) {
    struct Case {
        double x, expected;
    };
    const Case corrections[] = {{10, 0.0083305634333628713},
                                {12.5, 0.0066652470327076824},
                                {101, 0.00082507981224258844},
                                {1e4, 8.3333333305555556e-6},
                                {1e8, 8.3333333333333333e-10}};
    for (const Case& c : corrections)
        EXPECT_LE(RelativeError(lgammacor(c.x), c.expected), 1e-14) << c.x;
    EXPECT_EQ(lgammacor(9.99), 0.0);

    for (double x : {-0.9, -0.375, -0.2, -1e-9, 1e-12, 0.2, 0.375, 0.4, 3.0})
        EXPECT_LE(RelativeError(Log1pChebyshev(x), std::log1p(x)), 4e-16) << x;
    EXPECT_EQ(Log1pChebyshev(-1.0), 0.0);
    EXPECT_EQ(Log1pChebyshev(-2.0), 0.0);
}

TEST(ChebyshevSeries, TermCountAndEvaluation) {
    const double a[] = {2.0, 0.5, 1e-3, 1e-9, 1e-20};
    EXPECT_EQ(ChebyshevTerms(a, 5, 1e-6), 3);
    EXPECT_EQ(ChebyshevTerms(a, 5, 1e-30), 5);
    EXPECT_EQ(ChebyshevTerms(a, 5, 10.0), 1);
    EXPECT_EQ(ChebyshevTerms(a, 0, 1e-6), -1);
    // 1 + 0.5 T1(x) + 1e-3 T2(x) at x = 0.3: T2 = 2x^2 - 1.
    EXPECT_DOUBLE_EQ(ChebyshevEval(0.3, a, 3), 1.0 + 0.15 + 1e-3 * (2 * 0.09 - 1));
    EXPECT_EQ(ChebyshevEval(1.1, a, 3), 0.0);
    EXPECT_EQ(ChebyshevEval(0.3, a, 0), 0.0);
}
