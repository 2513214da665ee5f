#include "numerics/quadrature.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "numerics/cancel.h"
#include "numerics/quorix_error.h"

namespace {

class Integrand final : public quadfunc {
  public:
    explicit Integrand(std::function<double(double)> f) : f_(std::move(f)) {}
    double Evaluate(double x) override {
        ++evaluations;
        points.push_back(x);
        return f_(x);
    }
    int evaluations = 0;
    std::vector<double> points;

  private:
    std::function<double(double)> f_;
};

}  // namespace

TEST(AdaptiveLobatto, IntegratesSmoothFunctionsToTheTolerance) {
    struct Case {
        const char* what;
        std::function<double(double)> f;
        double a, b, exact;
    };
    const Case cases[] = {
        {"exp", [](double x) { return std::exp(x); }, 0.0, 1.0, std::exp(1.0) - 1.0},
        {"normal density", [](double x) { return std::exp(-x * x / 2) / std::sqrt(2 * M_PI); },
         -8.0, 1.0, 0.5 * std::erfc(-1.0 / std::sqrt(2.0))},
        {"sqrt", [](double x) { return std::sqrt(x); }, 0.0, 1.0, 2.0 / 3.0},
        {"oscillating", [](double x) { return std::cos(20 * x); }, 0.0, M_PI / 3,
         std::sin(20 * M_PI / 3) / 20},
        {"reversed", [](double x) { return x * x; }, 2.0, 0.0, -8.0 / 3.0},
    };
    for (const Case& c : cases) {
        Integrand f(c.f);
        EXPECT_NEAR(AdaptiveLobatto(f, c.a, c.b, 1e-13), c.exact, 1e-12) << c.what;
    }
}

TEST(AdaptiveLobatto, LowDegreePolynomialsEndAfterTheFirstStep) {
    Integrand constant([](double) { return 2.5; });
    EXPECT_DOUBLE_EQ(AdaptiveLobatto(constant, 0.0, 1.0, 1e-12), 2.5);
    EXPECT_EQ(constant.evaluations, 13 + 5);

    Integrand cubic([](double x) { return x * x * x - 2 * x; });
    EXPECT_NEAR(AdaptiveLobatto(cubic, -1.0, 3.0, 1e-12), 20.0 - 8.0, 1e-13);
    EXPECT_EQ(cubic.evaluations, 13 + 5);
}

TEST(AdaptiveLobatto, EmptyIntervalAndSingularEnd) {
    Integrand f([](double x) { return x; });
    EXPECT_EQ(AdaptiveLobatto(f, 1.0, 1.0, 1e-10), 0.0);

    // 1/sqrt(x) is infinite at 0: the first value is taken just inside.
    Integrand singular([](double x) { return 1.0 / std::sqrt(x); });
    const double value = AdaptiveLobatto(singular, 0.0, 1.0, 1e-10);
    EXPECT_EQ(singular.points[13], 1e-15);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_NEAR(value, 2.0, 1e-2);  // the recursion stops at its evaluation bound
}

TEST(IntegrateCquad, IntegratesAndReportsFailures) {
    Integrand gauss([](double x) { return std::exp(-x * x); });
    EXPECT_NEAR(IntegrateCquad(&gauss, -10.0, 10.0, 1e-12), std::sqrt(M_PI),
                1e-8 * std::sqrt(M_PI));  // cquad's relative stop is 1e-8

    Integrand nan([](double) { return std::numeric_limits<double>::quiet_NaN(); });
    try {
        IntegrateCquad(&nan, 0.0, 1.0, 1e-10);
        FAIL() << "no error";
    } catch (const QuorixError& e) {
        EXPECT_STREQ(e.what(), "Math overflow");
        EXPECT_EQ(e.GetCode(), 0);
        EXPECT_EQ(e.GetValue(), 0.0);
    }
    Integrand negativeTolerance([](double x) { return x; });
    EXPECT_THROW(IntegrateCquad(&negativeTolerance, 0.0, 1.0, -1.0), QuorixError);

    // The next call still works.
    EXPECT_NEAR(IntegrateCquad(&gauss, 0.0, 1.0, 1e-12), 0.746824132812427, 1e-8);
}

TEST(IntegrateCquad, IntegrandExceptionsPassThroughUnchanged) {
    Integrand cancelled([](double x) -> double {
        if (x > 0.5) throw CancelledError();
        return x;
    });
    EXPECT_THROW(IntegrateCquad(&cancelled, 0.0, 1.0, 1e-10), CancelledError);
}

// The workspace is reused from call to call; an integral taken inside another
// integral's integrand must not share it, or the outer one is corrupted.
TEST(IntegrateCquad, NestedIntegralsKeepTheirOwnState) {
    Integrand outer([](double x) {
        Integrand inner([x](double y) { return std::exp(-x * y) * std::sin(3 * y); });
        return IntegrateCquad(&inner, 0.0, 2.0, 1e-13);
    });
    // The double integral of exp(-xy) sin(3y) over [0,1]x[0,2], by the inner
    // integral in closed form and a 2000-panel Simpson rule over x.
    auto inner = [](double x) {
        const double e = std::exp(-2 * x);
        return (3 - e * (x * std::sin(6.0) + 3 * std::cos(6.0))) / (x * x + 9);
    };
    double simpson = inner(0) + inner(1);
    for (int i = 1; i < 2000; ++i) simpson += (i % 2 ? 4 : 2) * inner(i / 2000.0);
    simpson /= 6000.0;
    EXPECT_NEAR(IntegrateCquad(&outer, 0.0, 1.0, 1e-12), simpson, 1e-9);
    // And again, after the nested use.
    EXPECT_NEAR(IntegrateCquad(&outer, 0.0, 1.0, 1e-12), simpson, 1e-9);
}

// cquad has no bound of its own: an integrand that fails part-way, or one it
// can never settle, kept it splitting intervals for minutes. Each now ends
// after a bounded number of evaluations, a failure as that failure and an endless one as "Math
// overflow", and a cancelled computation leaves by CancelledError.
TEST(IntegrateCquad, EveryIntegralEndsPromptly) {
    struct Case {
        const char* name;
        std::function<double(double)> f;
        double a, b;
    };
    const Case cases[] = {
        // The moment of a rate that overflows above x = 700.
        {"overflow part-way",
         [](double x) {
             const double value = std::exp(x) * std::exp(-0.5 * x);
             if (!std::isfinite(value)) throw QuorixError("Math overflow", 0, 0.0);
             return value * std::exp(0.5 * x) * 1e-300;
         },
         0.0, 3000.0},
        // Noise: no rule ever agrees with its refinement.
        {"never settles",
         [](double x) {
             const double frac = x * 1e6 - std::floor(x * 1e6);
             return std::sin(1e9 * frac) * 1e6;
         },
         0.0, 1.0},
    };
    for (const Case& c : cases) {
        Integrand f(c.f);
        try {
            IntegrateCquad(&f, c.a, c.b, 1e-10);
            ADD_FAILURE() << c.name << ": no failure";
        } catch (const QuorixError& e) {
            EXPECT_STREQ(e.what(), "Math overflow") << c.name;
        }
        // The work is bounded by what the integrand is asked, whatever the
        // machine's speed or load.
        EXPECT_LE(f.evaluations, 400000) << c.name;
    }

    Integrand gauss([](double x) { return std::exp(-x * x); });
    CancelCheck cancelled([] { return true; });
    EXPECT_THROW(IntegrateCquad(&gauss, -10.0, 10.0, 1e-12), CancelledError);
    EXPECT_LE(gauss.evaluations, 64);
}
