#pragma once

#include <cmath>

// Rounds half upward in the scaled value: RoundTo(-2.5, 0) is -2, not -3.
// Values with no exact binary form round as their binary value does
// (1.005 to two places is 1.0).
inline double RoundTo(double x, int n) {
    const double p = std::pow(10.0, static_cast<double>(n));
    return std::floor(x * p + 0.5) / p;
}

inline double Square(double x) {
    return x * x;
}
