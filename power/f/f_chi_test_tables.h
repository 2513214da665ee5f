#pragma once

// What the tests of the F and chi-square families read and show alike: the
// reference tables below the source root and the critical-value rows.
// Header only; for tests.

namespace f_chi_test {

// The generic tests, the one-way ANOVA and goodness of fit in every type
// (verification/f_chi_tests/reference.R).
inline constexpr const char* kCases = "verification/f_chi_tests/cases.tsv";
// Their alpha and beta far below 1e-12 (verification/small_tails).
inline constexpr const char* kSmallTails = "verification/small_tails/f_chi_reference.tsv";
// The designs: special ANOVA, regression, Hotelling, the variance tests
// (verification/f_designs/reference.R).
inline constexpr const char* kDesignCases = "verification/f_designs/cases.tsv";
inline constexpr const char* kDesignSmallTails = "verification/small_tails/f_designs_reference.tsv";

inline constexpr const char* kCriticalF = "Critical F";
inline constexpr const char* kCriticalChiSquare = "Critical $\\chi^2$";

}  // namespace f_chi_test
