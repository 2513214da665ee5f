#include "numerics/search.h"

#include <cmath>

#include "numerics/cumulative.h"
#include "numerics/special_functions.h"

void ZeroFinder::dstzr(double* xlo, double* xhi, double* abstol, double* reltol) {
    xxlo_ = *xlo;
    xxhi_ = *xhi;
    abstol_ = *abstol;
    reltol_ = *reltol;
}

void ZeroFinder::dzror(int* status, double* x, double* fx, double* xlo, double* xhi, bool* qleft,
                       bool* qhi) {
    if (*status <= 0) {
        *xlo = xxlo_;
        *xhi = xxhi_;
        b_ = *x = *xlo;
        resume_ = Resume::kLowerEnd;
        *status = 1;
        return;
    }
    switch (resume_) {
        case Resume::kLowerEnd:
            fb_ = *fx;
            *xlo = *xhi;
            a_ = *x = *xlo;
            resume_ = Resume::kUpperEnd;
            *status = 1;
            return;
        case Resume::kUpperEnd:
            // Both ends on one side of zero: no sign change to work with.
            if (fb_ < 0.0 && *fx < 0.0) {
                *status = -1;
                *qleft = *fx < fb_;
                *qhi = false;
                return;
            }
            if (fb_ > 0.0 && *fx > 0.0) {
                *status = -1;
                *qleft = *fx > fb_;
                *qhi = true;
                return;
            }
            fa_ = *fx;
            first_ = true;
            c_ = a_;
            fc_ = fa_;
            ext_ = 0;
            break;
        case Resume::kInterior:
            fb_ = *fx;
            if (fc_ * fb_ >= 0.0) {
                // The new point took c's side: the bracket is now [a, b].
                c_ = a_;
                fc_ = fa_;
                ext_ = 0;
            } else if (w_ == mb_) {
                ext_ = 0;
            } else {
                ++ext_;
            }
            break;
    }
    Iterate(status, x, xlo, xhi);
}

void ZeroFinder::Iterate(int* status, double* x, double* xlo, double* xhi) {
    // b is kept as the point with the smaller function value, c the other
    // end of the bracket, a the previous b and d the point before a.
    if (std::fabs(fc_) < std::fabs(fb_)) {
        if (c_ != a_) {
            d_ = a_;
            fd_ = fa_;
        }
        a_ = b_;
        fa_ = fb_;
        b_ = c_;
        fb_ = fc_;
        c_ = a_;
        fc_ = fa_;
    }
    *xlo = b_;
    double tol = 0.5 * std::fmax(abstol_, reltol_ * std::fabs(b_));
    const double m = (c_ + b_) * 0.5;
    mb_ = m - b_;
    if (!(std::fabs(mb_) > tol)) {
        *xhi = c_;
        const bool signChange = (fc_ >= 0.0 && fb_ <= 0.0) || (fc_ < 0.0 && fb_ >= 0.0);
        *status = signChange ? 0 : -1;
        return;
    }
    if (ext_ > 3) {
        w_ = mb_;
    } else {
        tol = std::copysign(tol, mb_ < 0.0 ? -1.0 : 1.0);
        double p = (b_ - a_) * fb_;
        double q;
        if (first_) {
            // Secant step: no third point yet.
            q = fa_ - fb_;
            first_ = false;
        } else {
            // Inverse quadratic interpolation through a, b and d.
            const double fdb = (fd_ - fb_) / (d_ - b_);
            const double fda = (fd_ - fa_) / (d_ - a_);
            p = fda * p;
            q = fdb * fa_ - fda * fb_;
        }
        if (p < 0.0) {
            p = -p;
            q = -q;
        }
        if (ext_ == 3) p *= 2.0;
        if (p == 0.0 || p <= q * tol)
            w_ = tol;
        else if (p < mb_ * q)
            w_ = p / q;
        else
            w_ = mb_;
    }
    d_ = a_;
    fd_ = fa_;
    a_ = b_;
    fa_ = fb_;
    b_ += w_;
    *xlo = b_;
    *x = b_;
    resume_ = Resume::kInterior;
    *status = 1;
}

void BracketSearch::dstinv(double* small, double* big, double* absstp, double* relstp,
                           double* stpmul, double* abstol, double* reltol) {
    small_ = *small;
    big_ = *big;
    absstp_ = *absstp;
    relstp_ = *relstp;
    stpmul_ = *stpmul;
    abstol_ = *abstol;
    reltol_ = *reltol;
}

void BracketSearch::dinvr(int* status, double* x, double* fx, bool* qleft, bool* qhi) {
    if (*status <= 0) {
        if (!(small_ <= *x && *x <= big_)) {
            // Every caller picks a start inside the interval, so this means
            // an argument that is not a number; report it, never stop.
            ftnstop(" SMALL, X, BIG not monotone in INVR");
            *status = -1;
            *qleft = !(*x > big_);
            *qhi = false;
            return;
        }
        xsave_ = *x;
        *x = small_;
        resume_ = Resume::kSmall;
        *status = 1;
        return;
    }
    switch (resume_) {
        case Resume::kSmall:
            fsmall_ = *fx;
            *x = big_;
            resume_ = Resume::kBig;
            *status = 1;
            return;
        case Resume::kBig: {
            const double fbig = *fx;
            qincr_ = fbig > fsmall_;
            // The end values must enclose zero; x stays at big otherwise.
            if (qincr_ ? fsmall_ > 0.0 : fsmall_ < 0.0) {
                *status = -1;
                *qleft = true;
                *qhi = qincr_;
                return;
            }
            if (qincr_ ? fbig < 0.0 : fbig > 0.0) {
                *status = -1;
                *qleft = false;
                *qhi = !qincr_;
                return;
            }
            *x = xsave_;
            step_ = std::fmax(absstp_, relstp_ * std::fabs(*x));
            resume_ = Resume::kStart;
            *status = 1;
            return;
        }
        case Resume::kStart: {
            const double f = *fx;
            if (f == 0.0) {
                *status = 0;
                return;
            }
            const bool up = (qincr_ && f < 0.0) || (!qincr_ && f > 0.0);
            if (up) {
                xlb_ = xsave_;
                xub_ = std::fmin(xlb_ + step_, big_);
                *x = xub_;
                resume_ = Resume::kUp;
            } else {
                xub_ = xsave_;
                xlb_ = std::fmax(xub_ - step_, small_);
                *x = xlb_;
                resume_ = Resume::kDown;
            }
            *status = 1;
            return;
        }
        case Resume::kUp: {
            const double f = *fx;
            const bool bracketed = (qincr_ && f >= 0.0) || (!qincr_ && f <= 0.0);
            const bool limit = xub_ >= big_;
            if (bracketed) break;
            if (limit) {
                *status = -1;
                *qleft = false;
                *qhi = !qincr_;
                *x = big_;
                return;
            }
            step_ *= stpmul_;
            xlb_ = xub_;
            xub_ = std::fmin(xlb_ + step_, big_);
            *x = xub_;
            *status = 1;
            return;
        }
        case Resume::kDown: {
            const double f = *fx;
            const bool bracketed = (qincr_ && f <= 0.0) || (!qincr_ && f >= 0.0);
            const bool limit = xlb_ <= small_;
            if (bracketed) break;
            if (limit) {
                *status = -1;
                *qleft = true;
                *qhi = qincr_;
                *x = small_;
                return;
            }
            step_ *= stpmul_;
            xub_ = xlb_;
            xlb_ = std::fmax(xub_ - step_, small_);
            *x = xlb_;
            *status = 1;
            return;
        }
        case Resume::kZero:
            StepZeroFinder(status, x, fx, qleft, qhi);
            return;
    }
    StartZeroFinder(status, x, fx, qleft, qhi);
}

void BracketSearch::StartZeroFinder(int* status, double* x, double* fx, bool* qleft, bool* qhi) {
    zero_.dstzr(&xlb_, &xub_, &abstol_, &reltol_);
    *status = 0;
    StepZeroFinder(status, x, fx, qleft, qhi);
}

void BracketSearch::StepZeroFinder(int* status, double* x, double* fx, bool* qleft, bool* qhi) {
    zero_.dzror(status, x, fx, &xlo_, &xhi_, qleft, qhi);
    if (*status == 1) {
        resume_ = Resume::kZero;
        return;
    }
    // A failed bracket check of the zero finder can only come from rounding
    // or a function that is not monotone; its best estimate is still the
    // answer.
    *x = xlo_;
    *status = 0;
}

namespace {

// Rational start value of the normal quantile for a lower tail p
// (Odeh and Evans, Applied Statistics 23, 1974).
double NormalQuantileStart(double p) {
    static const double numerator[5] = {-0.322232431088, -1.0, -0.342242088547, -0.0204231210245,
                                        -0.453642210148e-4};
    static const double denominator[5] = {0.099348462606, 0.588581570495, 0.531103462366,
                                          0.10353775285, 0.0038560700634};
    int n = 5;
    double sign, z;
    if (p <= 0.5) {
        sign = -1.0;
        z = p;
    } else {
        sign = 1.0;
        z = 1.0 - p;
    }
    double y = std::sqrt(-2.0 * std::log(z));
    return sign * (y + devlpl(numerator, &n, &y) / devlpl(denominator, &n, &y));
}

}  // namespace

double dinvnr(double* p, double* q) {
    constexpr int kMaxIterations = 100;
    constexpr double kRelativeStep = 1e-13;
    constexpr double kOneOverSqrtTwoPi = 0.3989422804014326;
    // Iterate on the smaller tail, where the probability carries full
    // relative precision.
    const bool lower = *p <= *q;
    const double pp = lower ? *p : *q;
    const double start = NormalQuantileStart(pp);
    double x = start;
    for (int i = 0; i < kMaxIterations; ++i) {
        double cum, ccum;
        cumnor(&x, &cum, &ccum);
        const double dx = (cum - pp) / (kOneOverSqrtTwoPi * std::exp(-0.5 * x * x));
        x -= dx;
        // dx = 0 also ends the iteration at the median, where dx/x is 0/0.
        if (dx == 0.0 || std::fabs(dx / x) < kRelativeStep) return lower ? x : -x;
    }
    return lower ? start : -start;
}
