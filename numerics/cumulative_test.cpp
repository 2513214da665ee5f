#include "numerics/cumulative.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <thread>

#include "numerics/reference_table.h"

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();
const double kNan = std::numeric_limits<double>::quiet_NaN();

// Relative error; a reference below the smallest normal number is compared
// absolutely (the routines report such tails as 0).
double RelativeError(double got, double expected) {
    if (std::fabs(expected) < std::numeric_limits<double>::min()) return std::fabs(got);
    return std::fabs(got - expected) / std::fabs(expected);
}

bool ShowErrors() {
    return std::getenv("QUORIX_SHOW_ERRORS") != nullptr;
}

struct Pair {
    double cum = -1.0;
    double ccum = -1.0;
};

Pair Gratio(double a, double x, int ind = 0) {
    Pair r;
    gratio(&a, &x, &r.cum, &r.ccum, &ind);
    return r;
}

}  // namespace

// Tolerance of a row of the incomplete gamma table: 1e-14 relative, plus
// k eps for a result of condition number k (the table's last columns: what
// one rounding of a, x or x/a moves it by), plus, in the range of Temme's
// expansion (a >= 20, |1 - x/a| <= 0.4), the truncation of the published
// series after the u^7 term (u = 1/a): about 1e-13 of the smaller tail at
// a = 20, falling as (20/a)^8.
double GammaRowTolerance(double a, double x, double condition) {
    double tolerance = 1e-14 + 2 * kEps * condition;
    if (a >= 20.0 && std::fabs(1.0 - x / a) <= 0.4) tolerance += 2e-13 * std::pow(20.0 / a, 8);
    return tolerance;
}

// P and Q against mpmath over every region of the algorithm: a < 1 (erf,
// Taylor in both forms, continued fraction), 1 <= a < 20 (finite sums,
// Taylor, continued fraction, asymptotic expansion) and a >= 20 (Temme's
// expansions near x = a, the Stirling factor with each series), both tails
// compared relatively.
TEST(Gratio, AgreesWithHighPrecisionReferenceInEveryRegion) {
    const auto rows = ReadReferenceTable("verification/special_functions/gratio.txt", false);
    ASSERT_GE(rows.size(), 40u);
    for (const ReferenceRow& row : rows) {
        ASSERT_EQ(row.values.size(), 6u) << row.text;
        const double a = row.values[0], x = row.values[1];
        const Pair r = Gratio(a, x);
        const double ep = RelativeError(r.cum, row.values[2]);
        const double eq = RelativeError(r.ccum, row.values[3]);
        EXPECT_LE(ep, GammaRowTolerance(a, x, row.values[4]))
            << "P = " << r.cum << " for " << row.text;
        EXPECT_LE(eq, GammaRowTolerance(a, x, row.values[5]))
            << "Q = " << r.ccum << " for " << row.text;
        if (ShowErrors())
            std::printf("%10.3g %10.3g  %s\n", ep / kEps, eq / kEps, row.text.c_str());
    }
}

TEST(Gratio, ReducedAccuracySettings) {
    // ind 1 and 2 ask for about 6 and 3 significant digits.
    const double cases[][2] = {
        {0.3, 5.0}, {3.3, 2.0}, {100.0, 120.0}, {100.0, 100.0}, {50.0, 80.0}};
    for (const auto& c : cases) {
        const Pair full = Gratio(c[0], c[1], 0);
        const Pair six = Gratio(c[0], c[1], 1);
        const Pair three = Gratio(c[0], c[1], 2);
        EXPECT_NEAR(six.cum, full.cum, 5e-7 * std::fmax(full.cum, 1e-3)) << c[0] << " " << c[1];
        EXPECT_NEAR(three.cum, full.cum, 5e-4 * std::fmax(full.cum, 1e-1)) << c[0] << " " << c[1];
    }
}

TEST(Gratio, SpecialArgumentsAndErrorMark) {
    struct Case {
        double a, x, p, q;
    };
    const Case cases[] = {
        {2.0, 0.0, 0.0, 1.0},      {0.0, 2.0, 1.0, 0.0},  // a x = 0
        {1000.0, 100.0, 0.0, 1.0},                        // P below the double range
        {3.0, HUGE_VAL, 1.0, 0.0}, {-1.0, 2.0, 2.0, 2.0}, {2.0, -1.0, 2.0, 2.0},
        {0.0, 0.0, 2.0, 2.0},      {kNan, 2.0, 2.0, 2.0}, {2.0, kNan, 2.0, 2.0},
        {HUGE_VAL, 2.0, 2.0, 2.0},
    };
    for (const Case& c : cases) {
        const Pair r = Gratio(c.a, c.x);
        EXPECT_EQ(r.cum, c.p) << c.a << " " << c.x;
        EXPECT_EQ(r.ccum, c.q) << c.a << " " << c.x;
    }
}

// The cumulative routines over their tables: normal (every range of the
// approximation, both tails, the underflow threshold), t, F, chi-square,
// binomial and noncentral F.
TEST(CumulativeRoutines, AgreeWithHighPrecisionReference) {
    const auto rows = ReadReferenceTable("verification/special_functions/cumulative.txt", true);
    ASSERT_GE(rows.size(), 50u);
    for (const ReferenceRow& row : rows) {
        std::vector<double> v = row.values;
        Pair r;
        double tolerance = 1e-14;
        if (row.name == "cumnor") {
            cumnor(&v[0], &r.cum, &r.ccum);
        } else if (row.name == "cumt") {
            cumt(&v[0], &v[1], &r.cum, &r.ccum);
        } else if (row.name == "cumf") {
            cumf(&v[0], &v[1], &v[2], &r.cum, &r.ccum);
        } else if (row.name == "cumchi") {
            cumchi(&v[0], &v[1], &r.cum, &r.ccum);
            tolerance = 2e-14;
        } else if (row.name == "cumbin") {
            double ompr = 1.0 - v[2];
            cumbin(&v[0], &v[1], &v[2], &ompr, &r.cum, &r.ccum);
        } else if (row.name == "cumfnc") {
            cumfnc(&v[0], &v[1], &v[2], &v[3], &r.cum, &r.ccum);
            // The sums stop where the rest is below 1e-13 of the sum; the
            // classic stop at 1e-4 would miss the first rows by 1e-7 to
            // 1e-4. The later rows take dfd up to 1e100, dfn down to 1e-100
            // and the noncentrality up to 1e10.
            tolerance = 1e-12;
        } else {
            FAIL() << "unknown routine in " << row.text;
        }
        const size_t n = v.size();
        const double ec = RelativeError(r.cum, row.values[n - 2]);
        const double ecc = RelativeError(r.ccum, row.values[n - 1]);
        EXPECT_LE(ec, tolerance) << "cum = " << r.cum << " for " << row.text;
        EXPECT_LE(ecc, tolerance) << "ccum = " << r.ccum << " for " << row.text;
        if (ShowErrors())
            std::printf("%10.3g %10.3g  %s\n", ec / kEps, ecc / kEps, row.text.c_str());
    }
}

TEST(CumulativeRoutines, EdgeArguments) {
    Pair r;
    double x = 0.0;
    cumnor(&x, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.5);
    EXPECT_EQ(r.ccum, 0.5);
    x = -40.0;
    cumnor(&x, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.0);
    EXPECT_EQ(r.ccum, 1.0);
    x = 40.0;
    cumnor(&x, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 1.0);
    EXPECT_EQ(r.ccum, 0.0);
    x = 1e300;  // far beyond the range of an int
    cumnor(&x, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 1.0);
    EXPECT_EQ(r.ccum, 0.0);

    double df = 3.0;
    x = 0.0;
    cumchi(&x, &df, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.0);
    EXPECT_EQ(r.ccum, 1.0);

    double s = 10.0, xn = 10.0, pr = 0.3, ompr = 0.7;
    cumbin(&s, &xn, &pr, &ompr, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 1.0);
    EXPECT_EQ(r.ccum, 0.0);

    double t = 0.0;
    df = 7.0;
    cumt(&t, &df, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.5);
    EXPECT_EQ(r.ccum, 0.5);

    double y = 1.0;
    double a = 2.0, b = 3.0;
    x = 0.0;
    cumbet(&x, &y, &a, &b, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.0);
    EXPECT_EQ(r.ccum, 1.0);
    x = 1.0;
    y = 0.0;
    cumbet(&x, &y, &a, &b, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 1.0);
    EXPECT_EQ(r.ccum, 0.0);

    double f = 2.0, dfn = 3.0, dfd = 20.0, pnonc = 1e-11;
    Pair central;
    cumfnc(&f, &dfn, &dfd, &pnonc, &r.cum, &r.ccum);
    cumf(&f, &dfn, &dfd, &central.cum, &central.ccum);
    EXPECT_EQ(r.cum, central.cum);
    EXPECT_EQ(r.ccum, central.ccum);
    f = 0.0;
    pnonc = 5.0;
    cumfnc(&f, &dfn, &dfd, &pnonc, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.0);
    EXPECT_EQ(r.ccum, 1.0);
    f = -1.0;
    cumf(&f, &dfn, &dfd, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.0);
    EXPECT_EQ(r.ccum, 1.0);
}

// Arguments that are not numbers end in a defined result, not in an
// endless loop.
TEST(CumulativeRoutines, ArgumentsThatAreNotNumbersEnd) {
    Pair r;
    double one = 1.0, three = 3.0, twenty = 20.0, nan = kNan;
    cumfnc(&one, &three, &twenty, &nan, &r.cum, &r.ccum);
    EXPECT_TRUE(std::isnan(r.cum) && std::isnan(r.ccum));
    cumfnc(&nan, &three, &twenty, &three, &r.cum, &r.ccum);
    EXPECT_TRUE(std::isnan(r.cum) && std::isnan(r.ccum));
    cumnor(&nan, &r.cum, &r.ccum);
    EXPECT_TRUE(std::isnan(r.cum) && std::isnan(r.ccum));
    cumchi(&nan, &three, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 2.0);  // the incomplete gamma ratio's error mark
    cumt(&nan, &three, &r.cum, &r.ccum);
    EXPECT_FALSE(std::isnan(r.cum));  // bratio's error pair (0, 0), halved
    cumf(&one, &nan, &twenty, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.0);
    EXPECT_EQ(r.ccum, 0.0);
    double ten = 10.0, pr = 0.3, ompr = 0.7;
    cumbin(&nan, &ten, &pr, &ompr, &r.cum, &r.ccum);  // not "all successes"
    EXPECT_EQ(r.cum, 0.0);
    EXPECT_EQ(r.ccum, 0.0);
    // Noncentralities beyond 1e10 (whose sums would take millions of
    // terms) and infinite degrees of freedom are refused alike.
    double inf = HUGE_VAL;
    const double refused[][3] = {{3.0, 20.0, 1e300},
                                 {3.0, 20.0, 1.0000001e10},
                                 {3.0, 20.0, inf},
                                 {inf, 20.0, 3.0},
                                 {3.0, inf, 3.0}};
    for (const auto& c : refused) {
        double n1 = c[0], n2 = c[1], nc = c[2];
        cumfnc(&one, &n1, &n2, &nc, &r.cum, &r.ccum);
        EXPECT_TRUE(std::isnan(r.cum) && std::isnan(r.ccum)) << n1 << " " << n2 << " " << nc;
    }
    // An infinite count reaches the incomplete beta ratio as an infinite
    // shape parameter: its error pair, at once.
    double half = 0.5;
    cumbin(&one, &inf, &half, &half, &r.cum, &r.ccum);
    EXPECT_EQ(r.cum, 0.0);
    EXPECT_EQ(r.ccum, 0.0);
}

// No state survives a call: two threads computing different values at once
// get exactly what one thread gets.
TEST(CumulativeRoutines, TwoThreadsGetTheSameResultsAsOne) {
    struct Case {
        double a, x;
    };
    const Case gamma_cases[] = {{0.3, 0.1},   {3.3, 40.0},        {100.0, 100.05},
                                {12.5, 30.0}, {1e5, 1e5 + 300.0}, {0.5, 3.0}};
    constexpr int kCases = sizeof(gamma_cases) / sizeof(gamma_cases[0]);
    Pair serial[kCases];
    Pair noncentral_serial;
    double f = 2.0, dfn = 3.0, dfd = 20.0, pnonc = 30.0;
    for (int i = 0; i < kCases; ++i) serial[i] = Gratio(gamma_cases[i].a, gamma_cases[i].x);
    cumfnc(&f, &dfn, &dfd, &pnonc, &noncentral_serial.cum, &noncentral_serial.ccum);

    Pair parallel[2][kCases];
    Pair noncentral[2];
    auto work = [&](int thread) {
        double ff = f, n1 = dfn, n2 = dfd, nc = pnonc;
        for (int rep = 0; rep < 100; ++rep) {
            for (int k = 0; k < kCases; ++k) {
                const int i = thread == 0 ? k : kCases - 1 - k;
                parallel[thread][i] = Gratio(gamma_cases[i].a, gamma_cases[i].x);
            }
            cumfnc(&ff, &n1, &n2, &nc, &noncentral[thread].cum, &noncentral[thread].ccum);
        }
    };
    std::thread t0(work, 0);
    std::thread t1(work, 1);
    t0.join();
    t1.join();
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < kCases; ++i) {
            EXPECT_EQ(parallel[t][i].cum, serial[i].cum);
            EXPECT_EQ(parallel[t][i].ccum, serial[i].ccum);
        }
        EXPECT_EQ(noncentral[t].cum, noncentral_serial.cum);
    }
}
