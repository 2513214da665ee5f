#pragma once

// Base of every function object whose zero is sought in a bracket by
// Brent's method (zeroin/zbrent). The solver state lives in the object, so
// different objects may be solved on different threads at once.
class Root {
  public:
    // Outcomes of the last Solve.
    enum Status {
        kConverged = 0,
        kNoSignChange = 1,    // result 0.0, after exactly two evaluations
        kIterationLimit = 2,  // result the last iterate
        kNotANumber = 3,      // the function returned NaN; the result is not a zero
    };

    Root() = default;
    Root(const Root&) = default;
    Root& operator=(const Root&) = default;

    // Polled once per iteration; when it answers true, Solve throws
    // CancelledError (numerics/cancel.h).
    virtual bool IsCancelled() { return false; }
    virtual double Evaluate(double x) = 0;

    // Zero of Evaluate between lower and upper. The stopping tolerance is
    // relative machine precision, 2^-53 |b|; tol is stored for the caller and
    // does not enter the iteration. Callers round the result themselves.
    double Solve(double lower, double upper, double tol, int maxit);

    // The iterates of the last Solve, kept in a record of their own so that
    // the one-letter names never hide the variables of a derived class.
    struct Iterates {
        double a = 0.0;  // previous iterate
        double b = 0.0;  // current best iterate
        double c = 0.0;  // point that brackets the zero together with b
        double d = 0.0;  // last step
        double e = 0.0;  // step before the last
    };

    double tol = 0.0;
    Iterates brent;
    int maxit = 0;
    int status = kConverged;

  protected:
    ~Root() = default;
};
