#pragma once

// One-dimensional integration of function objects.
//
// AdaptiveLobatto: adaptive Gauss-Lobatto quadrature after Gander and
// Gautschi ("Adaptive quadrature - revisited", BIT 40, 2000): a 13-point
// Kronrod estimate scales the tolerance, then a 4-point Gauss-Lobatto rule is
// compared recursively with its 7-point Kronrod extension. It never fails.
//
// IntegrateCquad: GSL's doubly-adaptive cquad integrator. Any failure GSL
// reports becomes QuorixError("Math overflow", 0, 0) after the GSL call has
// returned; an exception thrown by the integrand is carried across the GSL
// frame and rethrown unchanged. It polls the thread's CancelCheck and gives
// up with "Math overflow" after a bounded number of evaluations. Both are
// re-entrant.

class quadfunc {
  public:
    virtual double Evaluate(double x) = 0;

  protected:
    ~quadfunc() = default;
};

double AdaptiveLobatto(quadfunc& f, double a, double b, double tol);
double AdaptiveLobattoStep(quadfunc& f, double a, double b, double fa, double fb, double count,
                           double tol);

double IntegrateCquad(quadfunc* f, double a, double b, double epsabs);
