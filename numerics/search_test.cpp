#include "numerics/search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <thread>
#include <vector>

namespace {

struct Outcome {
    int status;
    double x;
    bool qleft, qhi;
    std::vector<double> points;
};

// Runs one bracket search with the constants every driver uses.
Outcome Invert(const std::function<double(double)>& f, double start, double small, double big) {
    BracketSearch search;
    double step = 0.5, multiplier = 5.0, abstol = 1e-50, reltol = 1e-12;
    search.dstinv(&small, &big, &step, &step, &multiplier, &abstol, &reltol);
    Outcome out{0, start, false, false, {}};
    double fx = 0.0;
    search.dinvr(&out.status, &out.x, &fx, &out.qleft, &out.qhi);
    while (out.status == 1) {
        out.points.push_back(out.x);
        fx = f(out.x);
        search.dinvr(&out.status, &out.x, &fx, &out.qleft, &out.qhi);
        if (out.points.size() > 5000) break;
    }
    return out;
}

Outcome FindZero(const std::function<double(double)>& f, double lo, double hi) {
    ZeroFinder zero;
    double abstol = 1e-50, reltol = 1e-12;
    zero.dstzr(&lo, &hi, &abstol, &reltol);
    Outcome out{0, 0.0, false, false, {}};
    double fx = 0.0, xlo = 0.0, xhi = 0.0;
    zero.dzror(&out.status, &out.x, &fx, &xlo, &xhi, &out.qleft, &out.qhi);
    while (out.status == 1) {
        out.points.push_back(out.x);
        fx = f(out.x);
        zero.dzror(&out.status, &out.x, &fx, &xlo, &xhi, &out.qleft, &out.qhi);
        if (out.points.size() > 5000) break;
    }
    if (out.status == 0) {
        // The best estimate is the end with the smaller value, and the last
        // point evaluated lies in the final bracket.
        EXPECT_LE(std::fabs(f(xlo)), std::fabs(f(xhi)));
        EXPECT_LE(std::fmin(xlo, xhi), out.x);
        EXPECT_LE(out.x, std::fmax(xlo, xhi));
        out.x = xlo;
    }
    return out;
}

}  // namespace

TEST(BracketSearch, FindsRootsOfIncreasingAndDecreasingFunctions) {
    struct Case {
        const char* what;
        std::function<double(double)> f;
        double start, small, big, root;
    };
    const Case cases[] = {
        {"cube, upward", [](double x) { return x * x * x - 1000.0; }, 5.0, 0.0, 1e100, 10.0},
        {"exp, downward", [](double x) { return std::exp(x) - 2.0; }, 5.0, -1e100, 1e100,
         std::log(2.0)},
        {"decreasing, upward", [](double x) { return 1.0 / (1.0 + x) - 1e-6; }, 5.0, 0.0, 1e100,
         999999.0},
        {"decreasing, downward", [](double x) { return std::exp(-x) - 0.75; }, 5.0, 0.0, 1e100,
         -std::log(0.75)},
        {"tiny root", [](double x) { return x - 1e-80; }, 5.0, 1e-100, 1e100, 1e-80},
        {"huge root", [](double x) { return std::log(x) - 150.0; }, 5.0, 1e-100, 1e100,
         std::exp(150.0)},
        {"root at small", [](double x) { return x; }, 5.0, 0.0, 1e100, 0.0},
    };
    for (const Case& c : cases) {
        const Outcome out = Invert(c.f, c.start, c.small, c.big);
        EXPECT_EQ(out.status, 0) << c.what;
        EXPECT_LE(std::fabs(out.x - c.root), 1e-12 * std::fabs(c.root) + 1e-50)
            << c.what << ": " << out.x;
    }
}

TEST(BracketSearch, EvaluationOrder) {
    // Start value that is the answer: small, big, start, and done.
    Outcome exact = Invert([](double x) { return x - 5.0; }, 5.0, 0.0, 100.0);
    EXPECT_EQ(exact.status, 0);
    EXPECT_EQ(exact.x, 5.0);
    EXPECT_EQ(exact.points, (std::vector<double>{0.0, 100.0, 5.0}));

    // Upward steps of 2.5, 12.5, 62.5, 312.5 from 5, capped at big.
    Outcome up = Invert([](double x) { return x - 300.0; }, 5.0, 0.0, 1000.0);
    ASSERT_GE(up.points.size(), 7u);
    EXPECT_EQ(std::vector<double>(up.points.begin(), up.points.begin() + 7),
              (std::vector<double>{0.0, 1000.0, 5.0, 7.5, 20.0, 82.5, 395.0}));
    Outcome capped = Invert([](double x) { return x - 380.0; }, 5.0, 0.0, 390.0);
    EXPECT_EQ(capped.points[6], 390.0);
    EXPECT_NEAR(capped.x, 380.0, 1e-9);

    // Downward steps from 50: 25, then 25 - 125 capped at small.
    Outcome down = Invert([](double x) { return x - 1.0; }, 50.0, -20.0, 1000.0);
    EXPECT_EQ(std::vector<double>(down.points.begin(), down.points.begin() + 5),
              (std::vector<double>{-20.0, 1000.0, 50.0, 25.0, -20.0}));
    EXPECT_NEAR(down.x, 1.0, 1e-12);
}

TEST(BracketSearch, AnswerOutsideTheInterval) {
    struct Case {
        const char* what;
        std::function<double(double)> f;
        double start, small, big;
        bool qleft, qhi;
        double x;
        size_t evaluations;
    };
    const Case cases[] = {
        {"increasing, positive at small", [](double x) { return x + 1.0; }, 5.0, 0.0, 100.0, true,
         true, 100.0, 2},
        {"increasing, negative at big", [](double x) { return x - 200.0; }, 5.0, 0.0, 100.0, false,
         false, 100.0, 2},
        {"decreasing, negative at small", [](double x) { return -x - 1.0; }, 5.0, 0.0, 100.0, true,
         false, 100.0, 2},
        {"decreasing, positive at big", [](double x) { return 200.0 - x; }, 5.0, 0.0, 100.0, false,
         true, 100.0, 2},
    };
    for (const Case& c : cases) {
        const Outcome out = Invert(c.f, c.start, c.small, c.big);
        EXPECT_EQ(out.status, -1) << c.what;
        EXPECT_EQ(out.qleft, c.qleft) << c.what;
        EXPECT_EQ(out.qhi, c.qhi) << c.what;
        EXPECT_EQ(out.x, c.x) << c.what;
        EXPECT_EQ(out.points.size(), c.evaluations) << c.what;
    }

    // A walk can meet a limit unbracketed only when the function changes
    // sign between two looks at the same end.
    int bigCalls = 0;
    const Outcome up =
        Invert([&bigCalls](double x) { return x < 100.0 ? -1.0 : (++bigCalls == 1 ? 1.0 : -1.0); },
               5.0, 0.0, 100.0);
    EXPECT_EQ(up.status, -1);
    EXPECT_FALSE(up.qleft);
    EXPECT_FALSE(up.qhi);
    EXPECT_EQ(up.x, 100.0);
    EXPECT_EQ(up.points, (std::vector<double>{0.0, 100.0, 5.0, 7.5, 20.0, 82.5, 100.0}));
    int smallCalls = 0;
    const Outcome down =
        Invert([&smallCalls](double x) { return x > 0.0 ? 1.0 : (++smallCalls == 1 ? -1.0 : 1.0); },
               50.0, 0.0, 100.0);
    EXPECT_EQ(down.status, -1);
    EXPECT_TRUE(down.qleft);
    EXPECT_TRUE(down.qhi);
    EXPECT_EQ(down.x, 0.0);
    EXPECT_EQ(down.points, (std::vector<double>{0.0, 100.0, 50.0, 25.0, 0.0}));
}

// A start value outside the interval (an argument that was not a number)
// ends the search at once instead of the process.
TEST(BracketSearch, StartOutsideIntervalFailsWithoutEvaluating) {
    for (double start : {std::nan(""), -1.0, 1e300}) {
        testing::internal::CaptureStderr();
        const Outcome out = Invert([](double x) { return x; }, start, 0.0, 100.0);
        const std::string diagnostic = testing::internal::GetCapturedStderr();
        EXPECT_EQ(out.status, -1) << start;
        EXPECT_TRUE(out.points.empty()) << start;
        EXPECT_EQ(diagnostic, " SMALL, X, BIG not monotone in INVR\n");
    }
}

// Two searches driven step by step in turn on one thread: each keeps its
// own state, so both reach their own answers.
TEST(BracketSearch, InterleavedSearchesKeepTheirOwnState) {
    BracketSearch one, two;
    double small = 0.0, big = 1e100, step = 0.5, multiplier = 5.0, abstol = 1e-50, reltol = 1e-12;
    one.dstinv(&small, &big, &step, &step, &multiplier, &abstol, &reltol);
    double small2 = 1.0, big2 = 1e6;
    two.dstinv(&small2, &big2, &step, &step, &multiplier, &abstol, &reltol);
    int s1 = 0, s2 = 0;
    double x1 = 5.0, x2 = 5.0, f1 = 0.0, f2 = 0.0;
    bool l1, h1, l2, h2;
    one.dinvr(&s1, &x1, &f1, &l1, &h1);
    two.dinvr(&s2, &x2, &f2, &l2, &h2);
    while (s1 == 1 || s2 == 1) {
        if (s1 == 1) {
            f1 = x1 * x1 - 2.0;
            one.dinvr(&s1, &x1, &f1, &l1, &h1);
        }
        if (s2 == 1) {
            f2 = std::log(x2) - 3.0;
            two.dinvr(&s2, &x2, &f2, &l2, &h2);
        }
    }
    EXPECT_EQ(s1, 0);
    EXPECT_EQ(s2, 0);
    EXPECT_NEAR(x1, std::sqrt(2.0), 2e-12);
    EXPECT_NEAR(x2, std::exp(3.0), 2e-11);
}

TEST(BracketSearch, ConcurrentSearchesOnTwoThreads) {
    auto work = [](double target, double* worst) {
        for (int i = 1; i <= 300; ++i) {
            const double root = target * i;
            const Outcome out =
                Invert([root](double x) { return std::atan(x - root); }, 5.0, -1e100, 1e100);
            *worst = std::fmax(*worst, out.status == 0 ? std::fabs(out.x - root) / root : 1.0);
        }
    };
    double worst1 = 0.0, worst2 = 0.0;
    std::thread t1(work, 0.37, &worst1), t2(work, 11.3, &worst2);
    t1.join();
    t2.join();
    EXPECT_LE(worst1, 2e-12);
    EXPECT_LE(worst2, 2e-12);
}

TEST(ZeroFinder, ConvergesInsideTheBracket) {
    struct Case {
        const char* what;
        std::function<double(double)> f;
        double lo, hi, root;
    };
    const Case cases[] = {
        {"cubic", [](double x) { return x * x * x - 0.125; }, 0.0, 1.0, 0.5},
        {"decreasing", [](double x) { return 0.3 - x * x; }, 0.0, 1.0, std::sqrt(0.3)},
        {"flat then steep", [](double x) { return std::pow(x, 20.0) - 1e-10; }, 0.0, 1.0,
         std::pow(1e-10, 0.05)},
        {"root near 0", [](double x) { return x - 1e-200; }, 0.0, 1.0, 1e-200},
        {"root at an end", [](double x) { return x - 1.0; }, 0.0, 1.0, 1.0},
        {"step function", [](double x) { return x < 0.3 ? -1.0 : 1.0; }, 0.0, 1.0, 0.3},
    };
    for (const Case& c : cases) {
        const Outcome out = FindZero(c.f, c.lo, c.hi);
        EXPECT_EQ(out.status, 0) << c.what;
        EXPECT_LE(std::fabs(out.x - c.root), 1e-12 * std::fabs(c.root) + 1e-50)
            << c.what << ": " << out.x;
        EXPECT_LT(out.points.size(), 200u) << c.what;
    }
}

TEST(ZeroFinder, NoSignChange) {
    // Both ends negative: qleft tells which end came closer to zero.
    Outcome below = FindZero([](double x) { return x - 2.0; }, 0.0, 1.0);
    EXPECT_EQ(below.status, -1);
    EXPECT_FALSE(below.qleft);
    EXPECT_FALSE(below.qhi);
    Outcome above = FindZero([](double x) { return x + 2.0; }, 0.0, 1.0);
    EXPECT_EQ(above.status, -1);
    EXPECT_TRUE(above.qleft);
    EXPECT_TRUE(above.qhi);
    EXPECT_EQ(above.points.size(), 2u);
    // A function that is not a number ends the run instead of looping.
    Outcome nan = FindZero([](double) { return NAN; }, 0.0, 1.0);
    EXPECT_NE(nan.status, 1);
}

TEST(NormalQuantile, AgreesWithReference) {
    // Reference values: mpmath at 40 digits, the root of ln Phi(z) = ln min(p, q).
    struct Case {
        double p, q, z;
    };
    const Case cases[] = {
        {0.975, 0.025, 1.9599639845400542},
        {0.025, 0.975, -1.9599639845400542},
        {0.5, 0.5, 0.0},
        {0.6, 0.4, 0.2533471031357998},
        {1e-10, 1.0 - 1e-10, -6.3613409024040562},
        {1e-300, 1.0, -37.047096299361199},
        {1.0 - 1e-6, 1e-6, 4.7534243088228989},
        {0.3, 0.7, -0.52440051270804078},
    };
    for (const Case& c : cases) {
        double p = c.p, q = c.q;
        const double z = dinvnr(&p, &q);
        EXPECT_LE(std::fabs(z - c.z), 1e-14 * std::fmax(1.0, std::fabs(c.z)))
            << "p = " << c.p << ": " << z;
    }
}
