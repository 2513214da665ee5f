#pragma once

// Elementary special functions beneath the incomplete beta and gamma ratios
// and the cumulative-distribution drivers: error functions, gamma-family
// functions, small exponential and logarithmic helpers, polynomial
// evaluation and machine constants. They follow the published routines of
// Brown, Lovato and Russell (after DiDonato and Morris, ACM TOMS 654 and 708).
//
// Arguments are passed by pointer in the published order so that the
// library's routines can be called exactly as written; nothing is kept
// between calls and every intermediate is local, so all of them may run on
// several threads at once. None of them throws.

// Incomplete gamma ratio for a <= 1: p = P(a, x), q = Q(a, x); r is
// e^-x x^a / Gamma(a), supplied by the caller; eps is the accuracy wanted.
void grat1(double* a, double* x, double* r, double* p, double* q, double* eps);

// Error function.
double erf1(double* x);

// Complementary error function; when *ind != 0 the result is multiplied by
// exp(x^2).
double erfc1(int* ind, double* x);

// exp(mu + x) without needless overflow or underflow.
double esum(int* mu, double* x);

// Largest |w| such that exp(w) is finite (*l == 0) or nonzero (*l != 0).
double exparg(int* l);

// 1/Gamma(a + 1) - 1 for -0.5 <= a <= 1.5.
double gam1(double* a);

// ln Gamma(1 + a) for -0.2 <= a <= 1.25.
double gamln1(double* a);

// ln Gamma(a) for a > 0 (0 gives +inf, negative a NaN: not checked).
double gamln(double* a);

// ln Gamma(a + b) for 1 <= a, b <= 2.
double gsumln(double* a, double* b);

// Digamma function; 0 at the poles and for negative arguments of magnitude
// too large to reduce.
double psi(double* xx);

// exp(x) - 1.
double rexp(double* x);

// x - 1 - ln x.
double rlog(double* x);

// x - ln(1 + x).
double rlog1(double* x);

// ln(1 + a).
double alnrel(double* a);

// a[0] + a[1] x + ... + a[n-1] x^(n-1) by Horner's rule.
double devlpl(const double a[], int* n, double* x);

// Integer machine constants, index 1 to 10 (base 2, 53 mantissa digits,
// exponents -1021 to 1024 for double).
int ipmpar(int* i);

// Floating-point constants: 1 relative precision 2^-52, 2 smallest
// normalised magnitude, 3 largest magnitude.
double spmpar(int* i);

// The magnitude of mag with the sign of sign (negative only when sign < 0).
double fifdsign(double mag, double sign);

// Writes a diagnostic line ("%s\n") to the standard error stream when
// message is not null. Does not end the process.
void ftnstop(const char* message);

// The program's log-gamma of a positive double.
double LogGamma(double x);
