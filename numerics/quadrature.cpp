#include "numerics/quadrature.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_integration.h>

#include <cmath>
#include <csetjmp>
#include <exception>
#include <memory>
#include <mutex>

#include "numerics/cancel.h"
#include "numerics/quorix_error.h"

namespace {

const double kAlpha = std::sqrt(2.0 / 3.0);
const double kBeta = 1.0 / std::sqrt(5.0);
constexpr double kMinWidth = 2.2737367544323206e-13;  // 2^-42
constexpr double kMaxEvaluations = 10000.0;

}  // namespace

double AdaptiveLobatto(quadfunc& f, double a, double b, double tol) {
    const double m = (a + b) / 2.0;
    const double h = (b - a) / 2.0;
    constexpr double x1 = 0.94288241569548;
    constexpr double x2 = 0.641853342345781;
    constexpr double x3 = 0.23638319966215;
    const double nodes[13] = {a, m - x1 * h, m - kAlpha * h, m - x2 * h, m - kBeta * h,  m - x3 * h,
                              m, m + x3 * h, m + kBeta * h,  m + x2 * h, m + kAlpha * h, m + x1 * h,
                              b};
    double y[14];  // y[1] .. y[13] as in the published rule
    for (int i = 0; i < 13; ++i) y[i + 1] = f.Evaluate(nodes[i]);
    double count = 26.0;
    // A singular end point is replaced by a point just inside the interval.
    if (!std::isfinite(y[1])) {
        y[1] = f.Evaluate(a + (b - a) * 1e-15);
        count = 27.0;
    }
    if (!std::isfinite(y[13])) {
        y[13] = f.Evaluate(b - (b - a) * 1e-15);
        count += 1.0;
    }
    const double i2 = h / 6.0 * (y[1] + y[13] + 5.0 * (y[5] + y[9]));
    const double i1 =
        h / 1470.0 *
        (77.0 * (y[1] + y[13]) + 432.0 * (y[3] + y[11]) + 625.0 * (y[5] + y[9]) + 672.0 * y[7]);
    const double is = h * (0.0158271919734802 * (y[1] + y[13]) + 0.09427384021885 * (y[2] + y[12]) +
                           0.155071987336585 * (y[3] + y[11]) + 0.188821573960182 * (y[4] + y[10]) +
                           0.199773405226859 * (y[5] + y[9]) + 0.22492646533334 * (y[6] + y[8]) +
                           0.242611071901408 * y[7]);
    const double r = std::fabs(i1 - is) / std::fabs(i2 - is + 2.2250738585072014e-308);
    if (r > 0.0 && r < 1.0) tol /= r;
    return AdaptiveLobattoStep(f, a, b, y[1], y[13], count, tol);
}

double AdaptiveLobattoStep(quadfunc& f, double a, double b, double fa, double fb, double count,
                           double tol) {
    const double h = (b - a) / 2.0;
    const double m = (a + b) / 2.0;
    const double fallback = (fa + fb) * h;
    if (std::fabs(h) < kMinWidth || m == a || m == b) return fallback;

    const double mll = m - kAlpha * h;
    const double ml = m - kBeta * h;
    const double mr = m + kBeta * h;
    const double mrr = m + kAlpha * h;
    const double fmll = f.Evaluate(mll);
    const double fml = f.Evaluate(ml);
    const double fm = f.Evaluate(m);
    const double fmr = f.Evaluate(mr);
    const double fmrr = f.Evaluate(mrr);
    count += 5.0;
    if (count > kMaxEvaluations) return fallback;

    const double i2 = h / 6.0 * (fa + fb + 5.0 * (fml + fmr));
    const double i1 =
        h / 1470.0 * (77.0 * (fa + fb) + 432.0 * (fmll + fmrr) + 625.0 * (fml + fmr) + 672.0 * fm);
    if (!std::isfinite(i1)) return i1;
    if (tol >= std::fabs(i2 - i1)) return i1;

    return AdaptiveLobattoStep(f, a, mll, fa, fmll, count, tol) +
           AdaptiveLobattoStep(f, mll, ml, fmll, fml, count, tol) +
           AdaptiveLobattoStep(f, ml, m, fml, fm, count, tol) +
           AdaptiveLobattoStep(f, m, mr, fm, fmr, count, tol) +
           AdaptiveLobattoStep(f, mr, mrr, fmr, fmrr, count, tol) +
           AdaptiveLobattoStep(f, mrr, b, fmrr, fb, count, tol);
}

namespace {

// What travels through GSL's params pointer: the integrand and any exception
// it threw, which must not unwind through GSL's C frames.
struct CquadCall {
    quadfunc* integrand;
    std::exception_ptr failure;
    std::jmp_buf* leave = nullptr;
    size_t evaluations = 0;
    size_t finiteValues = 0;
};

// cquad has no bound of its own on its work, and no way for its integrand to
// stop it: an integrand it cannot settle (one that overflows on part of the
// range, or is too rough for the tolerance) keeps it splitting intervals for
// minutes, whatever values it is given afterwards. Far more evaluations than
// any integral of the tests needs end it as a failure.
constexpr size_t kMaxCquadEvaluations = 400000;
constexpr size_t kCancelPollEvery = 64;

double CquadTrampoline(double x, void* params) {
    auto* call = static_cast<CquadCall*>(params);
    try {
        if (++call->evaluations % kCancelPollEvery == 1) CancelCheck::Poll();
        if (call->evaluations > kMaxCquadEvaluations) {
            throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
        }
        const double value = call->integrand->Evaluate(x);
        if (std::isfinite(value)) ++call->finiteValues;
        return value;
    } catch (...) {
        call->failure = std::current_exception();
    }
    // Leave GSL at once, outside the handler. Only C frames of GSL lie
    // between here and IntegrateCquad, and cquad keeps its state in the
    // workspace alone, which the next call starts afresh.
    std::longjmp(*call->leave, 1);
}

// GSL's default handler aborts the process. Errors are read from the
// returned status instead; the handler is process-wide, so switch it off once.
void DisableGslAbort() {
    static std::once_flag once;
    std::call_once(once, [] { gsl_set_error_handler_off(); });
}

// A cquad workspace of 4000 intervals is megabytes; allocating one per
// integral dominated searches that integrate at every step. Each thread keeps
// one for reuse; an integral nested inside another's integrand gets a fresh
// one, so the outer integral's state is never shared.
struct CquadWorkspaceFree {
    void operator()(gsl_integration_cquad_workspace* w) const {
        gsl_integration_cquad_workspace_free(w);
    }
};
using CquadWorkspace = std::unique_ptr<gsl_integration_cquad_workspace, CquadWorkspaceFree>;
constexpr size_t kCquadIntervals = 4000;

class CquadLease {
  public:
    CquadLease() {
        if (!cachedBusy_) {
            if (!cached_) cached_.reset(gsl_integration_cquad_workspace_alloc(kCquadIntervals));
            if (cached_) {
                cachedBusy_ = true;
                workspace_ = cached_.get();
                return;
            }
        }
        own_.reset(gsl_integration_cquad_workspace_alloc(kCquadIntervals));
        workspace_ = own_.get();
    }
    ~CquadLease() {
        if (!own_ && workspace_) cachedBusy_ = false;
    }
    CquadLease(const CquadLease&) = delete;
    CquadLease& operator=(const CquadLease&) = delete;
    gsl_integration_cquad_workspace* get() const { return workspace_; }

  private:
    static thread_local CquadWorkspace cached_;
    static thread_local bool cachedBusy_;
    CquadWorkspace own_;
    gsl_integration_cquad_workspace* workspace_ = nullptr;
};
thread_local CquadWorkspace CquadLease::cached_;
thread_local bool CquadLease::cachedBusy_ = false;

}  // namespace

double IntegrateCquad(quadfunc* f, double a, double b, double epsabs) {
    DisableGslAbort();
    CquadCall call{f, nullptr};
    gsl_function function;
    function.function = &CquadTrampoline;
    function.params = &call;

    CquadLease lease;
    gsl_integration_cquad_workspace* workspace = lease.get();
    if (!workspace) throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
    double result = 0.0;
    double abserr = 0.0;
    size_t nevals = 0;
    std::jmp_buf leave;
    call.leave = &leave;
    // Nothing with a destructor is made between here and the jump back.
    volatile int status = GSL_FAILURE;
    if (setjmp(leave) == 0) {
        status = gsl_integration_cquad(&function, a, b, epsabs, 1e-8, workspace, &result, &abserr,
                                       &nevals);
    }

    if (call.failure) std::rethrow_exception(call.failure);
    // cquad skips non-finite values silently; an integrand that gave nothing
    // else would otherwise come back as a plausible 0.
    if (status != GSL_SUCCESS || !std::isfinite(result) || call.finiteValues == 0) {
        throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
    }
    return result;
}
