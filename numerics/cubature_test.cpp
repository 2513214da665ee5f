#include "numerics/cubature.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

double Factorial(int n) {
    return n <= 1 ? 1.0 : n * Factorial(n - 1);
}

// A degree-13 polynomial with every kind of term.
double Poly13(double x, double y) {
    return 1.0 - 2.0 * x + 0.5 * y + 3.0 * x * y - x * x * x * y * y + 0.25 * std::pow(x, 7) * y -
           0.3 * std::pow(y, 9) * std::pow(x, 4) + 0.7 * std::pow(x, 13) - 0.2 * std::pow(y, 12);
}

// Degree 7.
double Poly7(double x, double y) {
    return 2.0 + x - 3.0 * y * y + x * x * y * y * y - 0.5 * std::pow(x, 7) +
           std::pow(x * y, 3) * y;
}

template <class Region>
double SumOverPieces(Rule<Region>& rule, Divisor<Region>& divisor, const Region& r,
                     const Integrand2D& f, int direction, double* errorSum = nullptr,
                     double* areaSum = nullptr) {
    std::vector<Region> pieces;
    divisor.Divide(r, pieces, {direction});
    EXPECT_EQ(static_cast<int>(pieces.size()), divisor.NumberOfPieces());
    double total = 0.0;
    if (errorSum != nullptr) *errorSum = 0.0;
    if (areaSum != nullptr) *areaSum = 0.0;
    for (const Region& piece : pieces) {
        double result = 0.0, error = 0.0;
        rule.Integrate(f, piece, result, error);
        total += result;
        if (errorSum != nullptr) *errorSum += error;
        if (areaSum != nullptr) *areaSum += piece.Area();
    }
    return total;
}

}  // namespace

TEST(Cubature, RulesIntegrateEveryMonomialUpToDegree13Exactly) {
    Triangle_Rule13 triangleRule;
    Parallelogram_Rule13 squareRule;
    EXPECT_EQ(triangleRule.Degree(), 13);
    EXPECT_EQ(triangleRule.NumberOfPoints(), 37);
    EXPECT_EQ(squareRule.Degree(), 13);
    EXPECT_EQ(squareRule.NumberOfPoints(), 37);
    const Triangle unitTriangle({0, 0}, {1, 0}, {0, 1});
    const Parallelogram unitSquare({0, 0}, {1, 0}, {0, 1});
    double worstDegree14 = 0.0;
    for (int degree = 0; degree <= 14; ++degree) {
        for (int i = 0; i <= degree; ++i) {
            const int j = degree - i;
            const Integrand2D monomial = [i, j](double x, double y) {
                return std::pow(x, i) * std::pow(y, j);
            };
            const double triangleExact = Factorial(i) * Factorial(j) / Factorial(i + j + 2);
            const double squareExact = 1.0 / ((i + 1) * (j + 1));
            double t = 0.0, s = 0.0, error = 0.0;
            triangleRule.Integrate(monomial, unitTriangle, t, error);
            squareRule.Integrate(monomial, unitSquare, s, error);
            const double tErr = std::fabs(t - triangleExact) / triangleExact;
            const double sErr = std::fabs(s - squareExact) / squareExact;
            if (degree <= 13) {
                EXPECT_LT(tErr, 1e-14) << "triangle x^" << i << " y^" << j;
                EXPECT_LT(sErr, 1e-14) << "square x^" << i << " y^" << j;
            } else {
                worstDegree14 = std::max({worstDegree14, tErr, sErr});
            }
        }
    }
    EXPECT_GT(worstDegree14, 1e-9) << "degree 14 is beyond the rules";
}

TEST(Cubature, DivisorsCoverTheRegion) {
    // On a skewed region a degree-13 polynomial integrates to the same value
    // over the region and over its pieces, whose areas add up.
    Triangle_Rule13 triangleRule;
    Parallelogram_Rule13 parallelogramRule;
    Triangle_Divide2 triangle2;
    Triangle_Divide4 triangle4;
    Parallelogram_Divide2 parallelogram2;
    Parallelogram_Divide4 parallelogram4;
    const Triangle t({-0.3, 0.2}, {1.1, -0.4}, {0.4, 0.9});
    const Parallelogram p({0.2, -0.5}, {1.0, -0.3}, {-0.1, 0.6});
    double whole = 0.0, error = 0.0;
    triangleRule.Integrate(Poly13, t, whole, error);
    for (int direction : {0, 1, 2}) {
        for (Divisor<Triangle>* divisor : std::vector<Divisor<Triangle>*>{&triangle2, &triangle4}) {
            double area = 0.0;
            const double sum =
                SumOverPieces(triangleRule, *divisor, t, Poly13, direction, nullptr, &area);
            EXPECT_NEAR(sum, whole, 1e-14 * std::fabs(whole))
                << divisor->NumberOfPieces() << " " << direction;
            EXPECT_NEAR(area, t.Area(), 1e-15);
        }
    }
    parallelogramRule.Integrate(Poly13, p, whole, error);
    for (int direction : {0, 1}) {
        for (Divisor<Parallelogram>* divisor :
             std::vector<Divisor<Parallelogram>*>{&parallelogram2, &parallelogram4}) {
            double area = 0.0;
            const double sum =
                SumOverPieces(parallelogramRule, *divisor, p, Poly13, direction, nullptr, &area);
            EXPECT_NEAR(sum, whole, 1e-14 * std::fabs(whole))
                << divisor->NumberOfPieces() << " " << direction;
            EXPECT_NEAR(area, p.Area(), 1e-15);
        }
    }
}

TEST(Cubature, AreasFromTheVertices) {
    EXPECT_EQ(Triangle({0, 0}, {2, 0}, {0, 3}).Area(), 3.0);
    EXPECT_EQ(Triangle({0, 0}, {0, 3}, {2, 0}).Area(), 3.0);  // clockwise
    EXPECT_EQ(Parallelogram({1, 1}, {3, 1}, {2, 4}).Area(), 6.0);
    EXPECT_EQ(Triangle({0, 0}, {1, 1}, {2, 2}).Area(), 0.0);
}

TEST(Cubature, ErrorEstimates) {
    Triangle_Rule13 triangleRule;
    Parallelogram_Rule13 squareRule;
    Triangle_Divide4 triangle4;
    Parallelogram_Divide4 square4;
    const Triangle unitTriangle({0, 0}, {1, 0}, {0, 1});
    const Parallelogram unitSquare({0, 0}, {1, 0}, {0, 1});

    // Polynomials the null rules annihilate leave only rounding.
    double result = 0.0, error = 0.0;
    triangleRule.Integrate(Poly7, unitTriangle, result, error);
    EXPECT_LE(error, 1e-13 * std::fabs(result));
    squareRule.Integrate(Poly7, unitSquare, result, error);
    EXPECT_LE(error, 1e-13 * std::fabs(result));

    // Integrands the rules cannot integrate exactly: the estimate is of the
    // size of the true error or above (it is a heuristic: at a singular
    // vertex it may fall a little short) and shrinks when the region is
    // divided.
    struct Case {
        std::string what;
        Integrand2D f;
        double triangleExact, squareExact;
    };
    const Case cases[] = {
        {"sqrt(x + y)", [](double x, double y) { return std::sqrt(x + y); }, 0.4,
         (std::pow(2.0, 2.5) - 2.0) * 4.0 / 15.0},
        {"1 / (1 + x + y)^2", [](double x, double y) { return 1.0 / ((1 + x + y) * (1 + x + y)); },
         std::log(2.0) - 0.5, std::log(4.0 / 3.0)},
        {"|x - 0.3|", [](double x, double) { return std::fabs(x - 0.3); },
         0.3 * 0.3 / 2.0 - std::pow(0.3, 3) / 6.0 + std::pow(0.7, 3) / 6.0, (0.09 + 0.49) / 2.0},
    };
    for (const Case& c : cases) {
        triangleRule.Integrate(c.f, unitTriangle, result, error);
        EXPECT_GE(error, 0.5 * std::fabs(result - c.triangleExact)) << "triangle " << c.what;
        EXPECT_GT(error, 0.0) << c.what;
        double pieceErrors = 0.0;
        const double divided =
            SumOverPieces<Triangle>(triangleRule, triangle4, unitTriangle, c.f, 0, &pieceErrors);
        EXPECT_LT(pieceErrors, error) << "triangle " << c.what;
        EXPECT_GE(pieceErrors, 0.5 * std::fabs(divided - c.triangleExact)) << "triangle " << c.what;

        squareRule.Integrate(c.f, unitSquare, result, error);
        EXPECT_GE(error, 0.5 * std::fabs(result - c.squareExact)) << "square " << c.what;
        const double dividedSquare =
            SumOverPieces<Parallelogram>(squareRule, square4, unitSquare, c.f, 0, &pieceErrors);
        EXPECT_LT(pieceErrors, error) << "square " << c.what;
        EXPECT_GE(pieceErrors, 0.5 * std::fabs(dividedSquare - c.squareExact))
            << "square " << c.what;
    }
}

TEST(Cubature, TriangleDirectionsFollowTheIntegrand) {
    Triangle_Rule13 rule;
    // Edge 0 runs along x (length 4), edge 1 is the longest (sqrt 17), edge 2
    // runs along y (length 1).
    const Triangle t({0, 0}, {4, 0}, {0, 1});
    struct Case {
        std::string what;
        Integrand2D f;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"curved along x", [](double x, double) { return std::cos(2 * x); }, {0, 1, 2}},
        // second differences 2, 0.5 and 4.5 across edges 0, 1 and 2
        {"curved across", [](double x, double y) { return (x + 6 * y) * (x + 6 * y); }, {2, 0, 1}},
        {"linear: longest edge first", [](double x, double y) { return 2 * x - y; }, {1, 0, 2}},
    };
    for (const Case& c : cases) {
        std::vector<int> directions;
        rule.ChooseDirections(c.f, t, directions);
        EXPECT_EQ(directions, c.expected) << c.what;
    }
    // A flat triangle is cut across its longest edge (edge 2, from (2, 0)
    // back to (0, 0)), even when f changes fastest elsewhere.
    std::vector<int> directions;
    rule.ChooseDirections([](double, double y) { return y * y; }, Triangle({0, 0}, {1, 0}, {2, 0}),
                          directions);
    ASSERT_EQ(directions.size(), 3u);
    EXPECT_EQ(directions[0], 2);

    // Parallelograms keep the base choice.
    Parallelogram_Rule13 square;
    std::vector<int> squareDirections = {5, 7};
    square.ChooseDirections([](double x, double) { return x; },
                            Parallelogram({0, 0}, {1, 0}, {0, 1}), squareDirections);
    EXPECT_EQ(squareDirections, (std::vector<int>{0, 0}));
}

namespace {
class Probe : public ReferenceCounting {
  public:
    explicit Probe(bool* destroyed) : destroyed_(destroyed) {}
    ~Probe() override { *destroyed_ = true; }

  private:
    bool* destroyed_;
};
}  // namespace

TEST(Cubature, ReleaseDeletesWithTheLastReference) {
    bool destroyed = false;
    Probe* probe = new Probe(&destroyed);
    EXPECT_EQ(probe->NumberOfReferences(), 0u);
    probe->IncreaseCount();
    probe->IncreaseCount();
    Release(probe);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(probe->NumberOfReferences(), 1u);
    Release(probe);
    EXPECT_TRUE(destroyed);

    // The shared instances of the rules and divisors, as the program keeps them.
    std::vector<ReferenceCounting*> shared = {new Triangle_Rule13,       new Parallelogram_Rule13,
                                              new Triangle_Divide2,      new Triangle_Divide4,
                                              new Parallelogram_Divide2, new Parallelogram_Divide4};
    for (ReferenceCounting* object : shared) object->IncreaseCount();
    for (ReferenceCounting* object : shared) Release(object);  // leak checker sees the rest
}
