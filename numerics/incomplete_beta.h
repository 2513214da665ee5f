#pragma once

// Regularized incomplete beta function I_x(a, b) and its complement to full
// double precision (DiDonato and Morris, ACM TOMS 708), with the log-beta,
// log-gamma and gamma functions that go with it. Arguments by pointer in the
// published order; every intermediate is local, so the routines are
// re-entrant. None of them throws.

// w = I_x(a, b), w1 = 1 - I_x(a, b), y = 1 - x given separately so that the
// smaller of x and y keeps its precision. ierr: 0 ok; 1 a or b negative;
// 2 a = b = 0; 3 x outside [0, 1]; 4 y outside [0, 1]; 5 x + y != 1;
// 6 x = a = 0; 7 y = b = 0; 8 an argument is not a number, or a, b or
// a + b is infinite. On any error w = w1 = 0.
void bratio(double* a, double* b, double* x, double* y, double* w, double* w1, int* ierr);

// ln B(a0, b0) for positive arguments.
double betaln(double* a0, double* b0);
double LogBeta(double a, double b);

// ln Gamma(x) for positive x.
double alngam(double* x);
double LogGammaAlngam(double x);

// Gamma(a) for real a; 0 at the poles, for |a| >= 1000 and on overflow.
double Xgamm(double* a);

// Building blocks of bratio, exposed for their tests.

// ln(Gamma(b) / Gamma(a + b)) for b >= 8.
double algdiv(double* a, double* b);
// del(a0) + del(b0) - del(a0 + b0), del(x) = ln Gamma(x) - (x - 0.5) ln x
// + x - 0.5 ln(2 pi), for a0, b0 >= 8.
double bcorr(double* a0, double* b0);
// x^a y^b / B(a, b).
double brcomp(double* a, double* b, double* x, double* y);
// exp(mu) x^a y^b / B(a, b).
double brcmp1(int* mu, double* a, double* b, double* x, double* y);
// Power series for I_x(a, b) (b <= 1 or b x <= 0.7).
double bpser(double* a, double* b, double* x, double* eps);
// I_x(a, b) - I_x(a + n, b) for a positive integer n.
double bup(double* a, double* b, double* x, double* y, int* n, double* eps);
// Continued fraction for I_x(a, b), a, b > 1; lambda = (a + b) y - b.
double bfrac(double* a, double* b, double* x, double* y, double* lambda, double* eps);
// Adds the asymptotic expansion of I_x(a, b) for large a and b <= 1 to *w;
// *ierr is 0 unless the expansion cannot be computed (w then unchanged).
void bgrat(double* a, double* b, double* x, double* y, double* w, double* eps, int* ierr);
// Asymptotic expansion of I_x(a, b) for large a and b.
double basym(double* a, double* b, double* lambda, double* eps);
