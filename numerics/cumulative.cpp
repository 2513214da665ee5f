// Cumulative distribution functions over the incomplete beta and gamma
// ratios. The incomplete gamma ratio follows DiDinato and Morris,
// "Computation of the incomplete gamma function ratios and their inverse",
// ACM TOMS 12 (1986) 377-393 (Algorithm 654), with its published
// coefficients; the normal distribution function is Cody's ANORM (ACM TOMS
// 715, 1993).
#include "numerics/cumulative.h"

#include <cmath>
#include <limits>

#include "numerics/incomplete_beta.h"
#include "numerics/saddle_point.h"
#include "numerics/special_functions.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kSmallestNormal = std::numeric_limits<double>::min();

bool IsNan(double v) {
    return v != v;
}

// x^a y^b Gamma(a + b) / (Gamma(a + 1) Gamma(b)) = I_x(a, b) - I_x(a + 1, b),
// the step between neighbouring terms of the noncentral F sum. Taken from
// the scaled beta factor rather than from a difference of log-gamma values,
// which cancels when b is large (at dfd = 1e6 the sum was already wrong in
// the tenth digit, at dfd = 1e20 in the first). Below the normal range of a
// the factor is its limit y^b.
double BetaStep(double a, double b, double x, double y) {
    if (a < 1.0e-300) return std::exp(b * (x <= 0.5 ? std::log1p(-x) : std::log(y)));
    return brcomp(&a, &b, &x, &y) / a;
}

// A running sum with the rounding error of each addition carried beside it
// (Neumaier): the noncentral F sum adds up to a million terms near its
// largest noncentrality, whose roundings would otherwise cost three digits.
class CompensatedSum {
  public:
    explicit CompensatedSum(double first) : sum_(first) {}
    void Add(double t) {
        const double u = sum_ + t;
        error_ += std::fabs(sum_) >= std::fabs(t) ? (sum_ - u) + t : (t - u) + sum_;
        sum_ = u;
    }
    double Approximate() const { return sum_; }
    double Value() const { return sum_ + error_; }

  private:
    double sum_;
    double error_ = 0.0;
};

}  // namespace

void cumbet(double* x, double* y, double* a, double* b, double* cum, double* ccum) {
    if (*x <= 0.0) {
        *cum = 0.0;
        *ccum = 1.0;
        return;
    }
    if (*y <= 0.0) {
        *cum = 1.0;
        *ccum = 0.0;
        return;
    }
    int ierr = 0;
    bratio(a, b, x, y, cum, ccum, &ierr);
}

void cumbin(double* s, double* xn, double* pr, double* ompr, double* cum, double* ccum) {
    if (*s >= *xn) {
        *cum = 1.0;
        *ccum = 0.0;
        return;
    }
    double a = *s + 1.0;
    double b = *xn - *s;
    cumbet(pr, ompr, &a, &b, ccum, cum);
}

void cumchi(double* x, double* df, double* cum, double* ccum) {
    double a = *df * 0.5;
    double xx = *x * 0.5;
    if (xx <= 0.0) {
        *cum = 0.0;
        *ccum = 1.0;
        return;
    }
    int ind = 0;
    gratio(&a, &xx, cum, ccum, &ind);
}

void cumf(double* f, double* dfn, double* dfd, double* cum, double* ccum) {
    if (*f <= 0.0) {
        *cum = 0.0;
        *ccum = 1.0;
        return;
    }
    const double prod = *dfn * *f;
    // xx and yy = 1 - xx, the smaller of the two computed directly.
    const double dsum = *dfd + prod;
    double xx = *dfd / dsum;
    double yy;
    if (xx > 0.5) {
        yy = prod / dsum;
        xx = 1.0 - yy;
    } else {
        yy = 1.0 - xx;
    }
    double a = *dfd * 0.5;
    double b = *dfn * 0.5;
    int ierr = 0;
    bratio(&a, &b, &xx, &yy, ccum, cum, &ierr);
}

void cumfnc(double* f, double* dfn, double* dfd, double* pnonc, double* cum, double* ccum) {
    // Beyond this the sums need too many terms (some 15 sqrt(pnonc/2)) to
    // stay quick and accurate; such noncentralities are refused like
    // arguments that are not numbers.
    constexpr double kLargestNoncentrality = 1.0e10;
    if (IsNan(*f) || !std::isfinite(*dfn) || !std::isfinite(*dfd) ||
        !(*pnonc <= kLargestNoncentrality)) {
        *cum = kNan;
        *ccum = kNan;
        return;
    }
    if (*f <= 0.0) {
        *cum = 0.0;
        *ccum = 1.0;
        return;
    }
    if (*pnonc < 1.0e-10) {
        cumf(f, dfn, dfd, cum, ccum);
        return;
    }
    const double xnonc = *pnonc / 2.0;
    // Index of the central term, an exact integer held as a double.
    double icent = std::floor(xnonc);
    if (icent == 0.0) icent = 1.0;
    // Its Poisson weight by the saddle-point form: the log-gamma form
    // -xnonc + icent ln(xnonc) - ln(icent!) cancels to about xnonc eps.
    const double centwt = dpois_raw(icent, xnonc, 0);

    const double prod = *dfn * *f;
    const double dsum = *dfd + prod;
    double yy = *dfd / dsum;
    double xx;
    if (yy > 0.5) {
        xx = prod / dsum;
        yy = 1.0 - xx;
    } else {
        xx = 1.0 - yy;
    }
    double b = *dfd * 0.5;
    double adn = *dfn * 0.5 + icent;
    double betdn = 0.0, dummy = 0.0;
    int ierr = 0;
    bratio(&adn, &b, &xx, &yy, &betdn, &dummy, &ierr);
    double aup = adn;
    double betup = betdn;
    // Poisson mixture of incomplete beta ratios I_x(dfn/2 + i, dfd/2) with
    // weights P(i) of mean pnonc/2, summed from the term of largest weight
    // downwards and upwards. A sweep ends when a bound on everything it has
    // not yet added falls below 1e-13 of the sum, or when sum and bound
    // together stay below 1e-20. The bound, not the last term, decides:
    // the terms of the downward sweep can grow again (as dfn -> 0 the beta
    // ratio rises to 1 at i = 0 while it is negligible at the centre), and
    // the Poisson tail beyond a term near the centre is many times that
    // term. Written so that a value that is not a number ends the sums.
    CompensatedSum sum(centwt * betdn);
    auto negligible = [&sum](double rest) {
        const double s = sum.Approximate();
        return !(rest > 1.0e-13 * s && s + rest >= 1.0e-20);
    };

    // The largest beta ratio of the downward sweep, the one at i = 0.
    double a0 = *dfn * 0.5;
    double beta0 = 0.0;
    bratio(&a0, &b, &xx, &yy, &beta0, &dummy, &ierr);

    // Downward sweep. With xmult = P(i), the terms below i add at most
    // beta0 P(X <= i - 1) <= beta0 P(i) i / (xnonc - i + 1), as the Poisson
    // weights below the centre fall at least by (i - 1)/xnonc per step.
    double xmult = centwt;
    double i = icent;
    double dnterm = BetaStep(adn, b, xx, yy);
    while (i > 0.0 && !negligible(beta0 * xmult * i / (xnonc - i + 1.0))) {
        xmult *= (i / xnonc);
        i -= 1.0;
        adn -= 1.0;
        // A step below the normal range has lost its digits (or underflowed
        // to 0 at the centre while it grows towards i = 0): take it afresh.
        dnterm = dnterm < kSmallestNormal ? BetaStep(adn, b, xx, yy)
                                          : (adn + 1.0) / ((adn + b) * xx) * dnterm;
        betdn += dnterm;
        sum.Add(xmult * betdn);
    }

    // Upward sweep. After the term of index i the rest adds at most
    // betup P(i + 1) / (1 - xnonc/(i + 2)): the beta ratios fall with i and
    // the weights at least by xnonc/(i + 2) per step.
    i = icent;
    xmult = centwt;
    double upterm = BetaStep(aup - 1.0, b, xx, yy);
    do {
        i += 1.0;
        xmult *= (xnonc / i);
        aup += 1.0;
        upterm = upterm < kSmallestNormal ? BetaStep(aup - 1.0, b, xx, yy)
                                          : (aup + b - 2.0) * xx / (aup - 1.0) * upterm;
        betup -= upterm;
        sum.Add(xmult * betup);
    } while (!negligible(betup * xmult * (xnonc / (i + 1.0)) / (1.0 - xnonc / (i + 2.0))));

    *cum = sum.Value();
    *ccum = 0.5 + (0.5 - *cum);
}

void cumnor(double* arg, double* result, double* ccum) {
    constexpr double a[5] = {2.2352520354606839287e00, 1.6102823106855587881e02,
                             1.0676894854603709582e03, 1.8154981253343561249e04,
                             6.5682337918207449113e-2};
    constexpr double b[4] = {4.7202581904688241870e01, 9.7609855173777669322e02,
                             1.0260932208618978205e04, 4.5507789335026729956e04};
    constexpr double c[9] = {
        3.9894151208813466764e-1, 8.8831497943883759412e00, 9.3506656132177855979e01,
        5.9727027639480026226e02, 2.4945375852903726711e03, 6.8481904505362823326e03,
        1.1602651437647350124e04, 9.8427148383839780218e03, 1.0765576773720192317e-8};
    constexpr double d[8] = {2.2266688044328115691e01, 2.3538790178262499861e02,
                             1.5193775994075548050e03, 6.4855582982667607550e03,
                             1.8615571640885098091e04, 3.4900952721145977266e04,
                             3.8912003286093271411e04, 1.9685429676859990727e04};
    constexpr double p[6] = {2.1589853405795699e-1, 1.274011611602473639e-1,
                             2.2235277870649807e-2, 1.421619193227893466e-3,
                             2.9112874951168792e-5, 2.307344176494017303e-2};
    constexpr double q[5] = {1.28426009614491121e00, 4.68238212480865118e-1, 6.59881378689285515e-2,
                             3.78239633202758244e-3, 7.29751555083966205e-5};
    constexpr double sixten = 1.60e0;
    constexpr double sqrpi = 3.9894228040143267794e-1;  // 1/sqrt(2 pi)
    constexpr double thrsh = 0.66291e0;
    constexpr double root32 = 5.656854248e0;
    int k1 = 1, k2 = 2;
    const double eps = spmpar(&k1) * 0.5;
    const double min = spmpar(&k2);
    const double x = *arg;
    const double y = std::fabs(x);
    if (IsNan(x)) {
        *result = x;
        *ccum = x;
        return;
    }
    if (y <= thrsh) {
        double xsq = 0.0;
        if (y > eps) xsq = x * x;
        double xnum = a[4] * xsq;
        double xden = xsq;
        for (int i = 0; i < 3; ++i) {
            xnum = (xnum + a[i]) * xsq;
            xden = (xden + b[i]) * xsq;
        }
        const double temp = x * (xnum + a[3]) / (xden + b[3]);
        *result = 0.5 + temp;
        *ccum = 0.5 - temp;
    } else {
        double r;
        double xsq;
        if (y <= root32) {
            double xnum = c[8] * y;
            double xden = y;
            for (int i = 0; i < 7; ++i) {
                xnum = (xnum + c[i]) * y;
                xden = (xden + d[i]) * y;
            }
            r = (xnum + c[7]) / (xden + d[7]);
            xsq = std::trunc(y * sixten) / sixten;
        } else {
            xsq = 1.0 / (x * x);
            double xnum = p[5] * xsq;
            double xden = xsq;
            for (int i = 0; i < 4; ++i) {
                xnum = (xnum + p[i]) * xsq;
                xden = (xden + q[i]) * xsq;
            }
            r = xsq * (xnum + p[4]) / (xden + q[4]);
            r = (sqrpi - r) / y;
            xsq = std::trunc(x * sixten) / sixten;
        }
        // exp(-x^2/2) split so that the large part is exact.
        const double del = (y - std::fabs(xsq)) * (y + std::fabs(xsq));
        r = std::exp(-(xsq * xsq * 0.5)) * std::exp(-(del * 0.5)) * r;
        *result = r;
        *ccum = 1.0 - r;
        if (x > 0.0) {
            *ccum = r;
            *result = 1.0 - r;
        }
    }
    if (*result < min) *result = 0.0;
    if (*ccum < min) *ccum = 0.0;
}

void cumt(double* t, double* df, double* cum, double* ccum) {
    const double tt = *t * *t;
    const double dfptt = *df + tt;
    double xx = *df / dfptt;
    double yy = tt / dfptt;
    double half_df = 0.5 * *df;
    double half = 0.5;
    double a = 0.0, oma = 0.0;
    cumbet(&xx, &yy, &half_df, &half, &a, &oma);
    if (*t <= 0.0) {
        *cum = 0.5 * a;
        *ccum = oma + *cum;
    } else {
        *ccum = 0.5 * a;
        *cum = oma + *ccum;
    }
}

void gratio(double* a, double* x, double* ans, double* qans, int* ind) {
    constexpr double alog10 = 2.30258509299405e0;
    constexpr double d10 = -0.185185185185185e-02;
    constexpr double d20 = 0.413359788359788e-02;
    constexpr double d30 = 0.649434156378601e-03;
    constexpr double d40 = -0.861888290916712e-03;
    constexpr double d50 = -0.336798553366358e-03;
    constexpr double d60 = 0.531307936463992e-03;
    constexpr double d70 = 0.344367606892378e-03;
    constexpr double rt2pin = 0.398942280401433e0;
    constexpr double rtpi = 1.77245385090552e0;
    constexpr double third = 0.333333333333333e0;
    constexpr double acc0[3] = {5.e-15, 5.e-7, 5.e-4};
    constexpr double big[3] = {20.0e0, 14.0e0, 10.0e0};
    constexpr double d0[13] = {
        0.833333333333333e-01,  -0.148148148148148e-01, 0.115740740740741e-02,
        0.352733686067019e-03,  -0.178755144032922e-03, 0.391926317852244e-04,
        -0.218544851067999e-05, -0.185406221071516e-05, 0.829671134095309e-06,
        -0.176659527368261e-06, 0.670785354340150e-08,  0.102618097842403e-07,
        -0.438203601845335e-08};
    constexpr double d1[12] = {
        -0.347222222222222e-02, 0.264550264550265e-02,  -0.990226337448560e-03,
        0.205761316872428e-03,  -0.401877572016461e-06, -0.180985503344900e-04,
        0.764916091608111e-05,  -0.161209008945634e-05, 0.464712780280743e-08,
        0.137863344691572e-06,  -0.575254560351770e-07, 0.119516285997781e-07};
    constexpr double d2[10] = {-0.268132716049383e-02, 0.771604938271605e-03,
                               0.200938786008230e-05,  -0.107366532263652e-03,
                               0.529234488291201e-04,  -0.127606351886187e-04,
                               0.342357873409614e-07,  0.137219573090629e-05,
                               -0.629899213838006e-06, 0.142806142060642e-06};
    constexpr double d3[8] = {0.229472093621399e-03,  -0.469189494395256e-03, 0.267720632062839e-03,
                              -0.756180167188398e-04, -0.239650511386730e-06, 0.110826541153473e-04,
                              -0.567495282699160e-05, 0.142309007324359e-05};
    constexpr double d4[6] = {0.784039221720067e-03, -0.299072480303190e-03, -0.146384525788434e-05,
                              0.664149821546512e-04, -0.396836504717943e-04, 0.113757269706784e-04};
    constexpr double d5[4] = {-0.697281375836586e-04, 0.277275324495939e-03, -0.199325705161888e-03,
                              0.679778047793721e-04};
    constexpr double d6[2] = {-0.592166437353694e-03, 0.270878209671804e-03};
    constexpr double e00[3] = {0.25e-3, 0.25e-1, 0.14e0};
    constexpr double x00[3] = {31.0e0, 17.0e0, 9.7e0};

    const double av = *a;
    const double xv = *x;
    // ans = 2 marks an argument outside the domain; qans is set alike so
    // that no caller reads an unset value.
    auto fail = [ans, qans]() {
        *ans = 2.0;
        *qans = 2.0;
    };
    auto lower_zero = [ans, qans]() {
        *ans = 0.0;
        *qans = 1.0;
    };
    auto upper_zero = [ans, qans]() {
        *ans = 1.0;
        *qans = 0.0;
    };
    auto by_position = [&]() {
        if (xv <= av) {
            lower_zero();
        } else {
            upper_zero();
        }
    };

    int k1 = 1;
    const double e = spmpar(&k1);
    // Arguments that are not numbers, and an infinite a, have no value
    // here (the asymptotic sums would not end).
    if (IsNan(av) || IsNan(xv) || std::isinf(av)) {
        fail();
        return;
    }
    if (av < 0.0 || xv < 0.0) {
        fail();
        return;
    }
    if (av == 0.0 && xv == 0.0) {
        fail();
        return;
    }
    if (av * xv == 0.0) {
        by_position();
        return;
    }
    if (std::isinf(xv)) {
        upper_zero();
        return;
    }
    int iop = *ind + 1;
    if (iop != 1 && iop != 2) iop = 3;
    const double acc = std::fmax(acc0[iop - 1], e);
    const double e0 = e00[iop - 1];
    const double x0 = x00[iop - 1];

    // Series and expansions, each ending in one of these.
    auto taylor_p_over_r = [&](double r) {
        // Taylor series for P/R.
        double wk[20];
        double apn = av + 1.0;
        double t = xv / apn;
        wk[0] = t;
        int n = 2;
        for (; n <= 20; ++n) {
            apn += 1.0;
            t *= (xv / apn);
            if (t <= 1.e-3) break;
            wk[n - 1] = t;
        }
        if (n > 20) n = 20;
        double sum = t;
        const double tol = 0.5 * acc;
        do {
            apn += 1.0;
            t *= (xv / apn);
            sum += t;
        } while (t > tol);
        // Add the first terms last, smallest first.
        for (int k = n - 1; k >= 1; --k) sum += wk[k - 1];
        *ans = r / av * (1.0 + sum);
        *qans = 0.5 + (0.5 - *ans);
    };
    auto asymptotic_q = [&](double r) {
        double wk[20];
        double amn = av - 1.0;
        double t = amn / xv;
        wk[0] = t;
        int n = 2;
        for (; n <= 20; ++n) {
            amn -= 1.0;
            t *= (amn / xv);
            if (std::fabs(t) <= 1.e-3) break;
            wk[n - 1] = t;
        }
        if (n > 20) n = 20;
        double sum = t;
        while (std::fabs(t) > acc) {
            amn -= 1.0;
            t *= (amn / xv);
            sum += t;
        }
        // Add the first terms last, smallest first.
        for (int k = n - 1; k >= 1; --k) sum += wk[k - 1];
        *qans = r / xv * (1.0 + sum);
        *ans = 0.5 + (0.5 - *qans);
    };
    auto continued_fraction_q = [&](double r) {
        const double tol = std::fmax(5.0 * e, acc);
        double a2nm1 = 1.0, a2n = 1.0;
        double b2nm1 = xv;
        double b2n = xv + (1.0 - av);
        double c = 1.0;
        double am0, an0;
        do {
            a2nm1 = xv * a2n + c * a2nm1;
            b2nm1 = xv * b2n + c * b2nm1;
            am0 = a2nm1 / b2nm1;
            c += 1.0;
            const double cma = c - av;
            a2n = a2nm1 + cma * a2n;
            b2n = b2nm1 + cma * b2n;
            an0 = a2n / b2n;
        } while (std::fabs(an0 - am0) >= tol * an0);
        *qans = r * an0;
        *ans = 0.5 + (0.5 - *qans);
    };
    // Temme's expansion: c = exp(-y), w the erfc part, t the correction
    // series, l = x/a.
    auto temme_finish = [&](double c, double w, double t, double rta, double l) {
        if (l < 1.0) {
            *ans = c * (w - rt2pin * t / rta);
            *qans = 0.5 + (0.5 - *ans);
        } else {
            *qans = c * (w + rt2pin * t / rta);
            *ans = 0.5 + (0.5 - *qans);
        }
    };
    // Correction series of the expansion near l = 1 (|s| small), full
    // accuracy.
    auto temme_near_one_full = [&](double z, double u) {
        const double c0 =
            ((((((d0[6] * z + d0[5]) * z + d0[4]) * z + d0[3]) * z + d0[2]) * z + d0[1]) * z +
             d0[0]) *
                z -
            third;
        const double c1 =
            (((((d1[5] * z + d1[4]) * z + d1[3]) * z + d1[2]) * z + d1[1]) * z + d1[0]) * z + d10;
        const double c2 = ((((d2[4] * z + d2[3]) * z + d2[2]) * z + d2[1]) * z + d2[0]) * z + d20;
        const double c3 = (((d3[3] * z + d3[2]) * z + d3[1]) * z + d3[0]) * z + d30;
        const double c4 = (d4[1] * z + d4[0]) * z + d40;
        const double c5 = (d5[1] * z + d5[0]) * z + d50;
        const double c6 = d6[0] * z + d60;
        return ((((((d70 * u + c6) * u + c5) * u + c4) * u + c3) * u + c2) * u + c1) * u + c0;
    };

    if (av < 1.0) {
        if (av == 0.5) {
            double rt = std::sqrt(xv);
            if (xv < 0.25) {
                *ans = erf1(&rt);
                *qans = 0.5 + (0.5 - *ans);
            } else {
                int zero = 0;
                *qans = erfc1(&zero, &rt);
                *ans = 0.5 + (0.5 - *qans);
            }
            return;
        }
        if (xv < 1.1) {
            // Taylor series for P(a, x)/x^a.
            double an = 3.0;
            double c = xv;
            double sum = xv / (av + 3.0);
            const double tol = 3.0 * acc / (av + 1.0);
            double t;
            do {
                an += 1.0;
                c = -(c * (xv / an));
                t = c / (av + an);
                sum += t;
            } while (std::fabs(t) > tol);
            const double j = av * xv * ((sum / 6.0 - 0.5 / (av + 2.0)) * xv + 1.0 / (av + 1.0));
            double z = av * std::log(xv);
            double aa = av;
            const double h = gam1(&aa);
            const double g = 1.0 + h;
            const bool direct = (xv < 0.25) ? !(z > -0.13394) : !(av < xv / 2.59);
            if (direct) {
                const double w = std::exp(z);
                *ans = w * g * (0.5 + (0.5 - j));
                *qans = 0.5 + (0.5 - *ans);
                return;
            }
            const double l = rexp(&z);
            const double w = 0.5 + (0.5 + l);
            *qans = (w * j - l) * g - h;
            if (*qans < 0.0) {
                upper_zero();
                return;
            }
            *ans = 0.5 + (0.5 - *qans);
            return;
        }
        const double t1 = av * std::log(xv) - xv;
        const double u = av * std::exp(t1);
        if (u == 0.0) {
            upper_zero();
            return;
        }
        double aa = av;
        continued_fraction_q(u * (1.0 + gam1(&aa)));
        return;
    }

    double r;
    if (av < big[iop - 1]) {
        if (!(av > xv || xv >= x0)) {
            const double twoa = av + av;
            const int m = static_cast<int>(twoa);
            if (twoa == static_cast<double>(m)) {
                // Finite sums for Q when 2a is an integer.
                const int i = m / 2;
                double sum, t, c;
                int n;
                if (av == static_cast<double>(i)) {
                    sum = std::exp(-xv);
                    t = sum;
                    n = 1;
                    c = 0.0;
                } else {
                    double rtx = std::sqrt(xv);
                    int zero = 0;
                    sum = erfc1(&zero, &rtx);
                    t = std::exp(-xv) / (rtpi * rtx);
                    n = 0;
                    c = -0.5;
                }
                while (n != i) {
                    n += 1;
                    c += 1.0;
                    t = xv * t / c;
                    sum += t;
                }
                *qans = sum;
                *ans = 0.5 + (0.5 - *qans);
                return;
            }
        }
        const double t1 = av * std::log(xv) - xv;
        double aa = av;
        r = std::exp(t1) / Xgamm(&aa);
    } else {
        double l = xv / av;
        if (l == 0.0) {
            lower_zero();
            return;
        }
        const double s = 0.5 + (0.5 - l);
        double z = rlog(&l);
        if (z >= 700.0 / av) {
            if (std::fabs(s) <= 2.0 * e) {
                fail();
                return;
            }
            by_position();
            return;
        }
        const double y = av * z;
        const double rta = std::sqrt(av);
        if (std::fabs(s) <= e0 / rta) {
            // Temme expansion for l = 1.
            if (av * e * e > 3.28e-3) {
                fail();
                return;
            }
            const double c = 0.5 + (0.5 - y);
            const double w = (0.5 - std::sqrt(y) * (0.5 + (0.5 - y / 3.0)) / rtpi) / c;
            const double u = 1.0 / av;
            z = std::sqrt(z + z);
            if (l < 1.0) z = -z;
            double t;
            if (iop == 1) {
                t = temme_near_one_full(z, u);
            } else if (iop == 2) {
                const double c0 = (d0[1] * z + d0[0]) * z - third;
                const double c1 = d1[0] * z + d10;
                t = (d20 * u + c1) * u + c0;
            } else {
                t = d0[0] * z - third;
            }
            temme_finish(c, w, t, rta, l);
            return;
        }
        if (std::fabs(s) <= 0.4) {
            // General Temme expansion.
            if (std::fabs(s) <= 2.0 * e && av * e * e > 3.28e-3) {
                fail();
                return;
            }
            const double c = std::exp(-y);
            double sy = std::sqrt(y);
            int one = 1;
            const double w = 0.5 * erfc1(&one, &sy);
            const double u = 1.0 / av;
            z = std::sqrt(z + z);
            if (l < 1.0) z = -z;
            double t;
            if (iop == 1) {
                if (std::fabs(s) <= 1.e-3) {
                    t = temme_near_one_full(z, u);
                } else {
                    const double c0 =
                        ((((((((((((d0[12] * z + d0[11]) * z + d0[10]) * z + d0[9]) * z + d0[8]) *
                                    z +
                                d0[7]) *
                                   z +
                               d0[6]) *
                                  z +
                              d0[5]) *
                                 z +
                             d0[4]) *
                                z +
                            d0[3]) *
                               z +
                           d0[2]) *
                              z +
                          d0[1]) *
                             z +
                         d0[0]) *
                            z -
                        third;
                    const double c1 =
                        (((((((((((d1[11] * z + d1[10]) * z + d1[9]) * z + d1[8]) * z + d1[7]) * z +
                               d1[6]) *
                                  z +
                              d1[5]) *
                                 z +
                             d1[4]) *
                                z +
                            d1[3]) *
                               z +
                           d1[2]) *
                              z +
                          d1[1]) *
                             z +
                         d1[0]) *
                            z +
                        d10;
                    const double c2 =
                        (((((((((d2[9] * z + d2[8]) * z + d2[7]) * z + d2[6]) * z + d2[5]) * z +
                             d2[4]) *
                                z +
                            d2[3]) *
                               z +
                           d2[2]) *
                              z +
                          d2[1]) *
                             z +
                         d2[0]) *
                            z +
                        d20;
                    const double c3 =
                        (((((((d3[7] * z + d3[6]) * z + d3[5]) * z + d3[4]) * z + d3[3]) * z +
                           d3[2]) *
                              z +
                          d3[1]) *
                             z +
                         d3[0]) *
                            z +
                        d30;
                    const double c4 =
                        (((((d4[5] * z + d4[4]) * z + d4[3]) * z + d4[2]) * z + d4[1]) * z +
                         d4[0]) *
                            z +
                        d40;
                    const double c5 = (((d5[3] * z + d5[2]) * z + d5[1]) * z + d5[0]) * z + d50;
                    const double c6 = (d6[1] * z + d6[0]) * z + d60;
                    t = ((((((d70 * u + c6) * u + c5) * u + c4) * u + c3) * u + c2) * u + c1) * u +
                        c0;
                }
            } else if (iop == 2) {
                const double c0 =
                    (((((d0[5] * z + d0[4]) * z + d0[3]) * z + d0[2]) * z + d0[1]) * z + d0[0]) *
                        z -
                    third;
                const double c1 = (((d1[3] * z + d1[2]) * z + d1[1]) * z + d1[0]) * z + d10;
                const double c2 = d2[0] * z + d20;
                t = (c2 * u + c1) * u + c0;
            } else {
                t = ((d0[2] * z + d0[1]) * z + d0[0]) * z - third;
            }
            temme_finish(c, w, t, rta, l);
            return;
        }
        const double t = (1.0 / av) * (1.0 / av);
        double t1 = (((0.75 * t - 1.0) * t + 3.5) * t - 105.0) / (av * 1260.0);
        t1 -= y;
        r = rt2pin * rta * std::exp(t1);
    }
    if (r == 0.0) {
        by_position();
        return;
    }
    if (xv <= std::fmax(av, alog10)) {
        taylor_p_over_r(r);
    } else if (xv < x0) {
        continued_fraction_q(r);
    } else {
        asymptotic_q(r);
    }
}
