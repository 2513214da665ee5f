#include "numerics/cdf_drivers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numerics/cumulative.h"
#include "numerics/search.h"
#include "numerics/special_functions.h"

namespace {

// Search constants shared by every driver.
constexpr double kAbsoluteTolerance = 1e-50;
constexpr double kRelativeTolerance = 1e-12;
constexpr double kFirstStep = 0.5;
constexpr double kStepMultiplier = 5.0;
constexpr double kTiny = 1e-100;
constexpr double kHuge = 1e100;
// The largest noncentrality cumfnc sums.
constexpr double kLargestNoncentrality = 1e10;

// The argument checks of one driver call, made in argument order: after
// the first failure every later check is skipped. Each test is written so
// that a value which is not a number fails it.
class Checks {
  public:
    static constexpr double kLargest = std::numeric_limits<double>::max();

    Checks(int* status, double* bound) : status_(status), bound_(bound) {}

    bool Failed() const { return failed_; }

    Checks& Which(int which, int largest) {
        if (which < 1)
            Fail(-1, 1.0);
        else if (which > largest)
            Fail(-1, largest);
        return *this;
    }
    // Rejects v < lo (v <= lo when strict) with bound lo.
    Checks& Low(double v, double lo, bool strict, int argument) {
        if (!(strict ? v > lo : v >= lo)) Fail(-argument, lo);
        return *this;
    }
    // Rejects v > hi with bound hi.
    Checks& High(double v, double hi, int argument) {
        if (!(v <= hi)) Fail(-argument, hi);
        return *this;
    }
    // An argument without limits must still be a number.
    Checks& Number(double v, int argument) {
        if (std::isnan(v)) Fail(-argument, v);
        return *this;
    }
    // A parameter must be finite: the routines beneath cannot take an
    // infinite one (they return error marks, or never finish). The limit
    // reported is the largest double.
    Checks& Finite(double v, int argument) { return High(v, kLargest, argument); }
    // a + b must be 1 to three units of the machine precision.
    Checks& SumIsOne(double a, double b, int code) {
        int one = 1;
        const double sum = a + b;
        if (!(std::fabs(sum - 0.5 - 0.5) <= 3.0 * spmpar(&one))) Fail(code, sum < 0.0 ? 0.0 : 1.0);
        return *this;
    }

  private:
    void Fail(int status, double bound) {
        if (failed_) return;
        failed_ = true;
        *status_ = status;
        *bound_ = bound;
    }

    int* status_;
    double* bound_;
    bool failed_ = false;
};

// Searches *x in [small, big] from start until value(x, &f) gives f = 0;
// value returns false to abandon the search (status 10).
template <class Value>
void SearchRange(double* x, double start, double small, double big, Value value, int* status,
                 double* bound) {
    BracketSearch search;
    double step = kFirstStep, multiplier = kStepMultiplier;
    double abstol = kAbsoluteTolerance, reltol = kRelativeTolerance;
    search.dstinv(&small, &big, &step, &step, &multiplier, &abstol, &reltol);
    double fx = 0.0;
    bool qleft = false, qhi = false;
    *x = start;
    *status = 0;
    search.dinvr(status, x, &fx, &qleft, &qhi);
    while (*status == 1) {
        if (!value(*x, &fx)) {
            *status = 10;
            return;
        }
        search.dinvr(status, x, &fx, &qleft, &qhi);
    }
    if (*status == -1) {
        *status = qleft ? 1 : 2;
        *bound = qleft ? small : big;
    }
}

// Searches *v in [0, 1] with the zero finder, keeping *complement = 1 - *v;
// value() gives the function at the current pair.
template <class Value>
void SearchUnitInterval(double* v, double* complement, Value value, int* status, double* bound) {
    ZeroFinder zero;
    double lo = 0.0, hi = 1.0, abstol = kAbsoluteTolerance, reltol = kRelativeTolerance;
    zero.dstzr(&lo, &hi, &abstol, &reltol);
    double fx = 0.0, xlo = 0.0, xhi = 0.0;
    bool qleft = false, qhi = false;
    *status = 0;
    zero.dzror(status, v, &fx, &xlo, &xhi, &qleft, &qhi);
    *complement = 1.0 - *v;
    while (*status == 1) {
        fx = value();
        zero.dzror(status, v, &fx, &xlo, &xhi, &qleft, &qhi);
        *complement = 1.0 - *v;
    }
    if (*status == -1) {
        *status = qleft ? 1 : 2;
        *bound = qleft ? 0.0 : 1.0;
    }
}

// The tail the search matches: the lower one while p <= q, since the
// smaller probability carries the full relative precision.
struct Target {
    Target(double pValue, double qValue) : p(pValue), q(qValue), lower(pValue <= qValue) {}
    double operator()(double cum, double ccum) const { return lower ? cum - p : ccum - q; }
    double p, q;
    bool lower;
};

// Status of a computed pair of tails: the routines beneath mark a failure
// with values outside [0, 1] (2 from the incomplete gamma ratio, a value
// that is not a number from the noncentral F series), which must not be
// handed out as probabilities.
int PairStatus(double p, double q) {
    return 0.0 <= p && p <= 1.0 && 0.0 <= q && q <= 1.0 ? 0 : 10;
}

// Start of the t quantile: the normal quantile corrected by the first four
// terms of its expansion in powers of 1/df (Abramowitz and Stegun 26.7.5).
double TQuantileStart(double* p, double* q, double df) {
    static const double coef[4][5] = {{1.0, 1.0, 0.0, 0.0, 0.0},
                                      {3.0, 16.0, 5.0, 0.0, 0.0},
                                      {-15.0, 17.0, 19.0, 3.0, 0.0},
                                      {-945.0, -1920.0, 1482.0, 776.0, 79.0}};
    static const double denom[4] = {4.0, 96.0, 384.0, 92160.0};
    double x = std::fabs(dinvnr(p, q));
    double xx = x * x;
    double sum = x;
    double denpow = 1.0;
    for (int i = 0; i < 4; ++i) {
        int degree = i + 2;
        const double term = devlpl(coef[i], &degree, &xx) * x;
        denpow *= df;
        sum += term / (denpow * denom[i]);
    }
    return *p >= 0.5 ? sum : -sum;
}

}  // namespace

void cdfbet(int* which, double* p, double* q, double* x, double* y, double* a, double* b,
            int* status, double* bound) {
    Checks check(status, bound);
    check.Which(*which, 4);
    if (*which != 1)
        check.Low(*p, 0.0, false, 2).High(*p, 1.0, 2).Low(*q, 0.0, false, 3).High(*q, 1.0, 3);
    if (*which != 2)
        check.Low(*x, 0.0, false, 4).High(*x, 1.0, 4).Low(*y, 0.0, false, 5).High(*y, 1.0, 5);
    if (*which != 3) check.Low(*a, 0.0, true, 6).Finite(*a, 6);
    if (*which != 4) check.Low(*b, 0.0, true, 7).Finite(*b, 7);
    if (*which != 1) check.SumIsOne(*p, *q, 3);
    if (*which != 2) check.SumIsOne(*x, *y, 4);
    if (check.Failed()) return;

    const Target target(*p, *q);
    auto tails = [&](double xv, double yv, double av, double bv) {
        double cum, ccum;
        cumbet(&xv, &yv, &av, &bv, &cum, &ccum);
        return target(cum, ccum);
    };
    switch (*which) {
        case 1:
            cumbet(x, y, a, b, p, q);
            *status = PairStatus(*p, *q);
            break;
        case 2:
            // Vary the end whose tail is matched, so that a small answer near 1
            // keeps its precision in the complement.
            if (target.lower)
                SearchUnitInterval(
                    x, y, [&] { return tails(*x, *y, *a, *b); }, status, bound);
            else
                SearchUnitInterval(
                    y, x, [&] { return tails(*x, *y, *a, *b); }, status, bound);
            break;
        case 3:
            SearchRange(
                a, 5.0, kTiny, kHuge,
                [&](double v, double* f) { return *f = tails(*x, *y, v, *b), true; }, status,
                bound);
            break;
        case 4:
            SearchRange(
                b, 5.0, kTiny, kHuge,
                [&](double v, double* f) { return *f = tails(*x, *y, *a, v), true; }, status,
                bound);
            break;
    }
}

void cdfbin(int* which, double* p, double* q, double* s, double* xn, double* pr, double* ompr,
            int* status, double* bound) {
    Checks check(status, bound);
    check.Which(*which, 4);
    if (*which != 1)
        check.Low(*p, 0.0, false, 2).High(*p, 1.0, 2).Low(*q, 0.0, false, 3).High(*q, 1.0, 3);
    if (*which != 3) check.Low(*xn, 0.0, true, 5).Finite(*xn, 5);
    if (*which != 2) {
        check.Low(*s, 0.0, false, 4);
        if (*which != 3) check.High(*s, *xn, 4);
    }
    if (*which != 4)
        check.Low(*pr, 0.0, false, 6)
            .High(*pr, 1.0, 6)
            .Low(*ompr, 0.0, false, 7)
            .High(*ompr, 1.0, 7);
    if (*which != 1) check.SumIsOne(*p, *q, 3);
    if (*which != 4) check.SumIsOne(*pr, *ompr, 4);
    if (check.Failed()) return;

    const Target target(*p, *q);
    auto tails = [&](double sv, double xnv, double prv, double omprv) {
        double cum, ccum;
        cumbin(&sv, &xnv, &prv, &omprv, &cum, &ccum);
        return target(cum, ccum);
    };
    switch (*which) {
        case 1:
            cumbin(s, xn, pr, ompr, p, q);
            *status = PairStatus(*p, *q);
            break;
        case 2:
            // With fewer than five trials the usual start would lie outside [0, xn].
            SearchRange(
                s, std::fmin(5.0, *xn), 0.0, *xn,
                [&](double v, double* f) { return *f = tails(v, *xn, *pr, *ompr), true; }, status,
                bound);
            break;
        case 3:
            SearchRange(
                xn, 5.0, kTiny, kHuge,
                [&](double v, double* f) { return *f = tails(*s, v, *pr, *ompr), true; }, status,
                bound);
            break;
        case 4:
            if (target.lower)
                SearchUnitInterval(
                    pr, ompr, [&] { return tails(*s, *xn, *pr, *ompr); }, status, bound);
            else
                SearchUnitInterval(
                    ompr, pr, [&] { return tails(*s, *xn, *pr, *ompr); }, status, bound);
            break;
    }
}

void cdfchi(int* which, double* p, double* q, double* x, double* df, int* status, double* bound) {
    Checks check(status, bound);
    check.Which(*which, 3);
    if (*which != 1)
        check.Low(*p, 0.0, false, 2).High(*p, 1.0, 2).Low(*q, 0.0, true, 3).High(*q, 1.0, 3);
    if (*which != 2) check.Low(*x, 0.0, false, 4);
    if (*which != 3) check.Low(*df, 0.0, true, 5).Finite(*df, 5);
    if (*which != 1) check.SumIsOne(*p, *q, 3);
    if (check.Failed()) return;

    const Target target(*p, *q);
    // The incomplete gamma ratio marks a failure with a value of 2, which
    // pushes the function beyond anything a probability difference reaches.
    const double smaller = target.lower ? *p : *q;
    auto value = [&](double xv, double dfv, double* f) {
        double cum, ccum;
        cumchi(&xv, &dfv, &cum, &ccum);
        *f = target(cum, ccum);
        return !(*f + smaller > 1.5);
    };
    switch (*which) {
        case 1:
            cumchi(x, df, p, q);
            *status = PairStatus(*p, *q);
            break;
        case 2:
            SearchRange(
                x, 5.0, 0.0, kHuge, [&](double v, double* f) { return value(v, *df, f); }, status,
                bound);
            break;
        case 3:
            SearchRange(
                df, 5.0, kTiny, kHuge, [&](double v, double* f) { return value(*x, v, f); }, status,
                bound);
            break;
    }
}

void cdff(int* which, double* p, double* q, double* f, double* dfn, double* dfd, int* status,
          double* bound) {
    Checks check(status, bound);
    check.Which(*which, 4);
    if (*which != 1)
        check.Low(*p, 0.0, false, 2).High(*p, 1.0, 2).Low(*q, 0.0, true, 3).High(*q, 1.0, 3);
    if (*which != 2) check.Low(*f, 0.0, false, 4);
    if (*which != 3) check.Low(*dfn, 0.0, true, 5).Finite(*dfn, 5);
    if (*which != 4) check.Low(*dfd, 0.0, true, 6).Finite(*dfd, 6);
    if (*which != 1) check.SumIsOne(*p, *q, 3);
    if (check.Failed()) return;

    const Target target(*p, *q);
    auto tails = [&](double fv, double dfnv, double dfdv) {
        double cum, ccum;
        cumf(&fv, &dfnv, &dfdv, &cum, &ccum);
        return target(cum, ccum);
    };
    switch (*which) {
        case 1:
            cumf(f, dfn, dfd, p, q);
            *status = PairStatus(*p, *q);
            break;
        case 2:
            SearchRange(
                f, 5.0, 0.0, kHuge,
                [&](double v, double* fx) { return *fx = tails(v, *dfn, *dfd), true; }, status,
                bound);
            break;
        case 3:
            SearchRange(
                dfn, 5.0, kTiny, kHuge,
                [&](double v, double* fx) { return *fx = tails(*f, v, *dfd), true; }, status,
                bound);
            break;
        case 4:
            SearchRange(
                dfd, 5.0, kTiny, kHuge,
                [&](double v, double* fx) { return *fx = tails(*f, *dfn, v), true; }, status,
                bound);
            break;
    }
}

void cdffnc(int* which, double* p, double* q, double* f, double* dfn, double* dfd, double* phonc,
            int* status, double* bound) {
    // p = 1 exactly has no finite answer in the lower-tail search.
    const double belowOne = std::nextafter(1.0, 0.0);
    Checks check(status, bound);
    check.Which(*which, 5);
    if (*which != 1) check.Low(*p, 0.0, false, 2).High(*p, belowOne, 2);
    if (*which != 2) check.Low(*f, 0.0, false, 4);
    if (*which != 3) check.Low(*dfn, 0.0, true, 5).Finite(*dfn, 5);
    if (*which != 4) check.Low(*dfd, 0.0, true, 6).Finite(*dfd, 6);
    // cumfnc refuses a noncentrality above 1e10 (its sums would need too
    // many terms) by answering NaN, which would surface as status 10; say
    // which argument is out of range instead. An infinite one keeps the
    // limit of the other parameters, the largest double.
    if (*which != 5)
        check.Low(*phonc, 0.0, false, 7).Finite(*phonc, 7).High(*phonc, kLargestNoncentrality, 7);
    if (check.Failed()) return;

    const double target = *p;
    auto lower = [&](double fv, double dfnv, double dfdv, double ncv) {
        double cum, ccum;
        cumfnc(&fv, &dfnv, &dfdv, &ncv, &cum, &ccum);
        return cum - target;
    };
    switch (*which) {
        case 1:
            cumfnc(f, dfn, dfd, phonc, p, q);
            *status = PairStatus(*p, *q);
            break;
        case 2:
            SearchRange(
                f, 5.0, 0.0, kHuge,
                [&](double v, double* fx) { return *fx = lower(v, *dfn, *dfd, *phonc), true; },
                status, bound);
            break;
        case 3:
            SearchRange(
                dfn, 5.0, kTiny, kHuge,
                [&](double v, double* fx) { return *fx = lower(*f, v, *dfd, *phonc), true; },
                status, bound);
            break;
        case 4:
            SearchRange(
                dfd, 5.0, kTiny, kHuge,
                [&](double v, double* fx) { return *fx = lower(*f, *dfn, v, *phonc), true; },
                status, bound);
            break;
        case 5:
            SearchRange(
                phonc, 5.0, 0.0, 1e4,
                [&](double v, double* fx) { return *fx = lower(*f, *dfn, *dfd, v), true; }, status,
                bound);
            break;
    }
}

void cdfnor(int* which, double* p, double* q, double* x, double* mean, double* sd, int* status,
            double* bound) {
    *status = 0;
    Checks check(status, bound);
    check.Which(*which, 4);
    if (*which != 1)
        check.Low(*p, 0.0, true, 2).High(*p, 1.0, 2).Low(*q, 0.0, true, 3).High(*q, 1.0, 3);
    if (*which != 1) check.SumIsOne(*p, *q, 3);
    if (*which != 2) check.Number(*x, 4);
    if (*which != 3) check.Low(*mean, -Checks::kLargest, false, 5).Finite(*mean, 5);
    if (*which != 4) check.Low(*sd, 0.0, true, 6).Finite(*sd, 6);
    if (check.Failed()) return;

    double z;
    switch (*which) {
        case 1:
            z = (*x - *mean) / *sd;
            cumnor(&z, p, q);
            *status = PairStatus(*p, *q);
            break;
        case 2:
            z = dinvnr(p, q);
            *x = *sd * z + *mean;
            break;
        case 3:
            z = dinvnr(p, q);
            *mean = *x - *sd * z;
            break;
        case 4: {
            z = dinvnr(p, q);
            const double sd0 = (*x - *mean) / z;
            // No positive finite sd puts x at this quantile when x - mean and z
            // differ in sign (or the median is asked of a point off the mean):
            // report it like a search that left its range instead of returning
            // a negative or infinite deviation as an answer.
            if (std::isinf(sd0)) {
                *status = 2;
                *bound = std::numeric_limits<double>::infinity();
            } else if (!(sd0 > 0.0)) {
                *status = 1;
                *bound = 0.0;
            } else {
                *sd = sd0;
            }
            break;
        }
    }
}

void cdft(int* which, double* p, double* q, double* t, double* df, int* status, double* bound) {
    constexpr double kLargestDf = 1e10;
    Checks check(status, bound);
    check.Which(*which, 3);
    if (*which != 1)
        check.Low(*p, 0.0, true, 2).High(*p, 1.0, 2).Low(*q, 0.0, true, 3).High(*q, 1.0, 3);
    if (*which != 2) check.Number(*t, 4);
    if (*which != 3) check.Low(*df, 0.0, true, 5).Finite(*df, 5);
    if (*which != 1) check.SumIsOne(*p, *q, 3);
    if (check.Failed()) return;

    const Target target(*p, *q);
    auto tails = [&](double tv, double dfv) {
        double cum, ccum;
        cumt(&tv, &dfv, &cum, &ccum);
        return target(cum, ccum);
    };
    switch (*which) {
        case 1:
            cumt(t, df, p, q);
            *status = PairStatus(*p, *q);
            break;
        case 2: {
            // For tiny df the expansion leaves any range (1/df^4); the search
            // must still start inside its interval.
            double start = TQuantileStart(p, q, *df);
            if (std::isnan(start)) start = 0.0;
            start = std::clamp(start, -kHuge, kHuge);
            SearchRange(
                t, start, -kHuge, kHuge,
                [&](double v, double* f) { return *f = tails(v, *df), true; }, status, bound);
            break;
        }
        case 3:
            SearchRange(
                df, 5.0, kTiny, kLargestDf,
                [&](double v, double* f) { return *f = tails(*t, v), true; }, status, bound);
            break;
    }
}
