#pragma once

// A second family of special functions after S. L. Moshier's Cephes Math
// Library (release 2.8, IEEE double precision): gamma and log-gamma, Kummer's
// confluent hypergeometric function 1F1, the regularised incomplete beta
// integral, the error function and the normal distribution function.
//
// Domain, singularity, underflow and precision-loss conditions are reported
// through mtherr, which writes the routine's name and the error word to the
// standard output stream; the routine then returns its documented special
// value. Nothing here throws.
//
// The sign of the gamma function left by gamma and lgam, and the last error
// code given to mtherr, are kept per thread, so two threads never see each
// other's values.

namespace cephes {

// Error codes of mtherr.
enum ErrorCode {
    kDomain = 1,
    kSingularity = 2,
    kOverflow = 3,
    kUnderflow = 4,
    kTotalLoss = 5,
    kPartialLoss = 6,
};

// IEEE double constants of the library.
inline constexpr double MACHEP = 1.11022302462515654042e-16;  // 2^-53
inline constexpr double UFLOWTHRESH = 2.2250738585072014e-308;
inline constexpr double MAXLOG = 7.09782712893383996843e2;
inline constexpr double MINLOG = -7.451332191019412076235e2;
inline constexpr double MAXNUM = 1.7976931348623157e308;
inline constexpr double PI = 3.14159265358979323846;
inline constexpr double SQRTH = 7.07106781186547524401e-1;
inline constexpr double MAXGAM = 171.624376956302725;
inline constexpr double MAXSTIR = 143.01608;
inline constexpr double MAXLGM = 2.556348e305;
inline constexpr double LOGPI = 1.14472988584940017414;
inline constexpr double SQTPI = 2.50662827463100050242;
inline constexpr double big = 4.503599627370496e15;
inline constexpr double biginv = 2.22044604925031308085e-16;

// Sign of Gamma(x) (+1 or -1) left by the last gamma or lgam call on this
// thread.
int GammaSign();
// Last code given to mtherr on this thread (0 before any error).
int LastError();

// Gamma(x). NaN for x = 0 and the negative integers (domain error).
double gamma(double x);
// Stirling's formula for Gamma(x), x > 33; no checks.
double stirf(double x);
// ln |Gamma(x)|; +infinity at the poles (singularity error).
double lgam(double x);
// 1/Gamma(x); 0 at the poles of Gamma.
double ReciprocalGamma(double x);

// Kummer's confluent hypergeometric function 1F1(a; b; x).
double hyperg(double a, double b, double x);
// Asymptotic expansion of 1F1 for large |x|; *err the relative error estimate.
double hy1f1a(double a, double b, double x, double* err);
// Asymptotic series 2F0(a, b; ; x) with the converging factor of kind type
// (1 or 2) applied when the terms start to grow; *err the error estimate.
double hyp2f0(double a, double b, double x, int type, double* err);

// Regularised incomplete beta integral I_x(a, b); 0 with a domain error for
// a <= 0, b <= 0 or x outside [0, 1].
double incbet(double a, double b, double x);
// The two continued fractions and the power series beneath incbet.
double incbcf(double a, double b, double x);
double incbd(double a, double b, double x);
double pseries(double a, double b, double x);

// Error function.
double erf(double x);
// Standard normal distribution function.
double ndtr(double a);
// exp(sign * x^2) without the rounding error of forming x^2.
double expx2(double x, int sign);

// coef[0] x^N + coef[1] x^(N-1) + ... + coef[N].
double polevl(double x, const double coef[], int N);
// x^N + coef[0] x^(N-1) + ... + coef[N-1] (leading coefficient 1 implied).
double p1evl(double x, const double coef[], int N);

// Writes "\n<name> <word> error\n" to the standard output stream, records
// code as this thread's last error and returns 0.
int mtherr(const char* name, int code);

bool isfinite(double x);
bool isnan(double x);

}  // namespace cephes
