#pragma once

#include <string>

#include "numerics/quorix_error.h"

// Abstract probability distribution. The parameter array is held by value in
// the object (first entry the noncentrality where the family has one), so a
// copy never shares parameters with its source. Objects are small and are
// often built on the stack as building blocks of other distributions.
class Distribution {
  public:
    static constexpr int kMaxParams = 3;

    Distribution() = default;
    Distribution(const Distribution&) = default;
    Distribution& operator=(const Distribution&) = default;
    virtual ~Distribution() = default;

    virtual double Pdf(double x) = 0;
    virtual double Cdf(double x) = 0;
    virtual double Quantile(double p) = 0;
    // P(X > x) and the x with P(X > x) = q. These forms lose the digits of
    // a small upper tail; distributions that compute that tail on its own
    // side override them.
    virtual double Survival(double x) { return 1.0 - Cdf(x); }
    virtual double UpperQuantile(double q) { return Quantile(1.0 - q); }
    virtual double GetMean() = 0;
    virtual double GetVariance() = 0;
    virtual std::string GetName() = 0;
    virtual int GetParamCount() = 0;
    // p[i mod GetParamCount()]; callers pass i >= 0.
    virtual double GetParam(int i) { return p[i % GetParamCount()]; }
    // No index reduction; callers pass 0 <= i < GetParamCount().
    virtual void SetParam(int i, double v) { p[i] = v; }
    virtual std::string GetParamName(int i) = 0;
    // Takes over the parameters of `source`, a distribution of the same
    // class, so that a copy of a test draws the graph its source drew.
    virtual void CopyParametersFrom(Distribution& source) {
        for (int i = 0; i < GetParamCount(); ++i) p[i] = source.GetParam(i);
    }
    // Families without a noncentrality answer 0 and ignore the setter.
    virtual double GetNoncentrality() { return 0.0; }
    virtual void SetNoncentrality(double) {}

  protected:
    double p[kMaxParams] = {0.0, 0.0, 0.0};
};

// Base of the families whose first parameter is the noncentrality (or the
// location): GetNoncentrality and SetNoncentrality read and write p[0].
class NoncentralDistribution : public Distribution {
  public:
    double GetNoncentrality() override { return p[0]; }
    void SetNoncentrality(double v) override { p[0] = v; }
};

// Turns the status of a cumulative-distribution driver into a QuorixError.
// `where` is the class prefix and the operation, e.g. "FDist-Cdf"; the message
// becomes "FDist-Cdf: answer above upper search bound". `bound` is the
// driver's bound, `answer` what the driver left in its result. Status 0
// returns without throwing.
void ThrowDriverStatus(const std::string& where, int status, double bound, double answer);

// The same translation with the value of every code overridden: the
// families whose texts carry 0.0 instead of the bound use this.
struct DriverErrorValues {
    double outOfRange;
    double belowLower;
    double aboveUpper;
};
void ThrowDriverStatus(const std::string& where, int status, double bound, double answer,
                       const DriverErrorValues& values);
