#include "numerics/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(RoundTo, HalvesGoUpwardInTheScaledValue) {
    struct Case {
        double x;
        int n;
        double expected;
    };
    const Case cases[] = {
        {2.5, 0, 3.0},   {-2.5, 0, -2.0},      {0.125, 2, 0.13}, {-0.125, 2, -0.12},
        {1.005, 2, 1.0}, {1234.5, -2, 1200.0}, {0.0, 5, 0.0},    {7.123456789, 7, 7.1234568},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(RoundTo(c.x, c.n), c.expected) << c.x << " to " << c.n;
    }
}

TEST(RoundTo, NonFiniteValuesStayNonFinite) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isnan(RoundTo(std::nan(""), 2)));
    EXPECT_EQ(RoundTo(inf, 2), inf);
    EXPECT_EQ(RoundTo(-inf, 0), -inf);
    EXPECT_EQ(RoundTo(1e300, 100), inf);  // the scaled value overflows
}

TEST(Square, IsTheProduct) {
    EXPECT_EQ(Square(-3.0), 9.0);
}
