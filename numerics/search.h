#pragma once

// Inversion of monotone functions by reverse communication (after Brown,
// Lovato and Russell's cumulative-distribution library): the routines never
// call the function themselves. Each call either asks for the function at
// *x (status 1) or delivers a result; the caller evaluates, stores the value
// minus its target in *fx and calls again without touching anything else.
//
// All state of one search lives in the search object, so that searches on
// different objects, on one thread or on several, never interfere. One
// object serves one search at a time; passing status <= 0 starts anew.
//
// Status on return: 1 evaluate at *x and call again; 0 done; -1 the answer
// is not bracketed. With -1, *qleft tells whether the search ended at the
// left end of its interval and *qhi whether the function was above its
// target there.

// Zero finder on a bracket: Algorithm R of Bus and Dekker (ACM TOMS 2, 1975),
// a mix of secant, inverse quadratic interpolation and bisection that keeps
// a sign change and never takes more than four non-bisection steps in a row
// without halving the bracket.
class ZeroFinder {
  public:
    // Stores the bracket [xlo, xhi] and the tolerances of the next run: the
    // run stops when the bracket is narrower than
    // max(abstol, reltol * |best estimate|).
    void dstzr(double* xlo, double* xhi, double* abstol, double* reltol);

    // One step. On status 0 *xlo and *xhi hold the final bracket, *xlo the
    // end with the smaller function value (the best estimate), and *x the
    // last point evaluated, inside that bracket.
    void dzror(int* status, double* x, double* fx, double* xlo, double* xhi, bool* qleft,
               bool* qhi);

  private:
    enum class Resume { kLowerEnd, kUpperEnd, kInterior };
    void Iterate(int* status, double* x, double* xlo, double* xhi);

    double xxlo_ = 0.0, xxhi_ = 0.0, abstol_ = 0.0, reltol_ = 0.0;
    double a_ = 0.0, b_ = 0.0, c_ = 0.0, d_ = 0.0;
    double fa_ = 0.0, fb_ = 0.0, fc_ = 0.0, fd_ = 0.0;
    double w_ = 0.0, mb_ = 0.0;
    int ext_ = 0;
    bool first_ = true;
    Resume resume_ = Resume::kLowerEnd;
};

// Bracket search on [small, big]: walks from the start value with growing
// steps until the answer is bracketed, then narrows the bracket with the
// zero finder, whose evaluation requests it passes on as its own.
class BracketSearch {
  public:
    // The first step is max(absstp, relstp * |start|); every step that fails
    // to bracket the answer is multiplied by stpmul. abstol and reltol go to
    // the zero finder.
    void dstinv(double* small, double* big, double* absstp, double* relstp, double* stpmul,
                double* abstol, double* reltol);

    // One step; on status 0 *x is the answer. A start value outside
    // [small, big] (possible only when it is not a number) ends the search
    // at once with status -1 and a diagnostic line on the error stream.
    void dinvr(int* status, double* x, double* fx, bool* qleft, bool* qhi);

  private:
    enum class Resume { kSmall, kBig, kStart, kUp, kDown, kZero };
    void StartZeroFinder(int* status, double* x, double* fx, bool* qleft, bool* qhi);
    void StepZeroFinder(int* status, double* x, double* fx, bool* qleft, bool* qhi);

    double small_ = 0.0, big_ = 0.0, absstp_ = 0.0, relstp_ = 0.0, stpmul_ = 0.0, abstol_ = 0.0,
           reltol_ = 0.0;
    double xsave_ = 0.0, fsmall_ = 0.0, step_ = 0.0, xlb_ = 0.0, xub_ = 0.0;
    double xlo_ = 0.0, xhi_ = 0.0;
    bool qincr_ = false;
    Resume resume_ = Resume::kSmall;
    ZeroFinder zero_;
};

// Standard normal quantile for the lower tail p and the upper tail q
// (p + q = 1): the rational start of Odeh and Evans (1974) refined by Newton
// steps on the smaller tail.
double dinvnr(double* p, double* q);
