#include "numerics/root.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "numerics/cancel.h"

namespace {

class FunctionRoot final : public Root {
  public:
    explicit FunctionRoot(std::function<double(double)> f) : f_(std::move(f)) {}
    double Evaluate(double x) override {
        points.push_back(x);
        return f_(x);
    }
    bool IsCancelled() override {
        return cancelAfter >= 0 && static_cast<int>(points.size()) > cancelAfter;
    }

    std::vector<double> points;
    int cancelAfter = -1;

  private:
    std::function<double(double)> f_;
};

}  // namespace

TEST(RootSolve, FindsClosedFormRootsToFullPrecision) {
    struct Case {
        const char* what;
        std::function<double(double)> f;
        double lower, upper, root;
    };
    const Case cases[] = {
        {"sqrt 2", [](double x) { return x * x - 2.0; }, 0.0, 2.0, std::sqrt(2.0)},
        {"cos", [](double x) { return std::cos(x); }, 1.0, 2.0, M_PI / 2.0},
        {"exp", [](double x) { return std::exp(x) - 10.0; }, -5.0, 5.0, std::log(10.0)},
        {"cubic", [](double x) { return x * x * x - x - 1.0; }, 1.0, 2.0, 1.324717957244746},
        {"reversed bracket", [](double x) { return 3.0 - x; }, 10.0, 0.0, 3.0},
    };
    for (const Case& c : cases) {
        FunctionRoot r(c.f);
        const double x = r.Solve(c.lower, c.upper, 1e-10, 300);
        EXPECT_EQ(r.status, Root::kConverged) << c.what;
        EXPECT_NEAR(x, c.root, 4e-16 * std::fabs(c.root)) << c.what;
        EXPECT_LT(r.points.size(), 60u) << c.what;
    }
}

TEST(RootSolve, SameSignAtBothEndsFailsAfterTwoEvaluations) {
    FunctionRoot r([](double x) { return x * x + 1.0; });
    EXPECT_EQ(r.Solve(-1.0, 2.0, 1e-10, 300), 0.0);
    EXPECT_EQ(r.status, Root::kNoSignChange);
    EXPECT_EQ(r.points, (std::vector<double>{-1.0, 2.0}));
}

TEST(RootSolve, ZeroIterationsReturnsTheUpperEnd) {
    FunctionRoot r([](double x) { return x - 0.3; });
    EXPECT_EQ(r.Solve(0.0, 1.0, 1e-10, 0), 1.0);
    EXPECT_EQ(r.status, Root::kIterationLimit);
    EXPECT_EQ(r.points.size(), 2u);
}

TEST(RootSolve, IterationLimitReturnsTheLastIterate) {
    FunctionRoot r([](double x) { return x - 0.3; });
    const double x = r.Solve(0.0, 1.0, 1e-10, 1);
    EXPECT_EQ(r.status, Root::kIterationLimit);
    EXPECT_EQ(r.points.size(), 3u);
    EXPECT_EQ(x, r.points.back());
}

TEST(RootSolve, ZeroAtAnEndIsReturnedAfterTwoEvaluations) {
    FunctionRoot atLower([](double x) { return x - 1.0; });
    EXPECT_EQ(atLower.Solve(1.0, 4.0, 1e-10, 300), 1.0);
    EXPECT_EQ(atLower.status, Root::kConverged);
    EXPECT_EQ(atLower.points.size(), 2u);

    FunctionRoot atUpper([](double x) { return x - 4.0; });
    EXPECT_EQ(atUpper.Solve(1.0, 4.0, 1e-10, 300), 4.0);
    EXPECT_EQ(atUpper.points.size(), 2u);
}

TEST(RootSolve, ZeroAtTheOriginEndsWithoutRunningAway) {
    FunctionRoot r([](double x) { return std::sin(x); });
    const double x = r.Solve(-1.0, 0.5, 1e-10, 300);
    EXPECT_NE(r.status, Root::kNoSignChange);
    EXPECT_LT(std::fabs(x), 1e-300);
}

TEST(RootSolve, ToleranceArgumentIsStoredButDoesNotChangeTheResult) {
    FunctionRoot coarse([](double x) { return std::log(x); });
    FunctionRoot fine([](double x) { return std::log(x); });
    const double a = coarse.Solve(0.1, 5.0, 0.5, 300);
    const double b = fine.Solve(0.1, 5.0, 1e-15, 300);
    EXPECT_EQ(a, b);
    EXPECT_EQ(coarse.tol, 0.5);
}

TEST(RootSolve, NotANumberIsAFailureNotAZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    FunctionRoot atEnd([&](double x) { return x > 1.5 ? nan : x - 1.0; });
    atEnd.Solve(0.0, 2.0, 1e-10, 300);
    EXPECT_EQ(atEnd.status, Root::kNotANumber);

    FunctionRoot inside([&](double x) { return (x > 0.2 && x < 0.8) ? nan : x - 0.5; });
    inside.Solve(0.0, 1.0, 1e-10, 300);
    EXPECT_EQ(inside.status, Root::kNotANumber);
}

TEST(RootSolve, CancellationLeavesTheSolve) {
    FunctionRoot r([](double x) { return std::atan(x - 0.123456); });
    r.cancelAfter = 4;
    EXPECT_THROW(r.Solve(-100.0, 100.0, 1e-10, 300), CancelledError);
    EXPECT_LE(r.points.size(), 5u);
}
