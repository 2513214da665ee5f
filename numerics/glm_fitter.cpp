#include "numerics/glm_fitter.h"

#include <gsl/gsl_cdf.h>
#include <gsl/gsl_randist.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "numerics/quorix_error.h"

namespace {

constexpr double kEps = DBL_EPSILON;  // 2^-52

// Bounds of the inverse links, chosen so that mu stays representable and
// away from the ends of its range.
double Delta() {
    return std::pow(DBL_MIN, 0.25);
}  // 1.22e-77
double LogitBound() {
    return -std::log(kEps);
}  // 36.04
double ExtremeLow() {
    return std::log(-std::log1p(-kEps));
}  // -36.04
double ExtremeHigh() {
    return std::log(-std::log(kEps));
}  // 3.58
double ProbitBound() {
    return -gsl_cdf_ugaussian_Pinv(kEps);
}  // 8.13

double Clamp(double x, double low, double high) {
    return std::min(std::max(x, low), high);
}

template <class F>
void Map(Matrix& out, const Matrix& in, F f) {
    Matrix result(in.extent(0), in.extent(1));
    for (int i = 0; i < in.extent(0); ++i)
        for (int j = 0; j < in.extent(1); ++j) result(i, j) = f(in(i, j));
    out.reference(result);
}

// Link operations: g(mu), dg/dmu, and g^-1(eta) with eta clamped.
void IdentityFun(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return m; });
}
void IdentityDeriv(Matrix& out, const Matrix& in) {
    Map(out, in, [](double) { return 1.0; });
}

void LogFun(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return std::log(m); });
}
void LogDeriv(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return 1.0 / m; });
}
void LogInv(Matrix& out, const Matrix& in) {
    const double bound = -std::log(Delta());
    Map(out, in, [bound](double e) { return std::exp(Clamp(e, -bound, bound)); });
}

void LogitFun(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return std::log(m / (1.0 - m)); });
}
void LogitDeriv(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return 1.0 / (m * (1.0 - m)); });
}
void LogitInv(Matrix& out, const Matrix& in) {
    const double bound = LogitBound();
    Map(out, in, [bound](double e) { return 1.0 / (1.0 + std::exp(-Clamp(e, -bound, bound))); });
}

void ProbitFun(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return gsl_cdf_ugaussian_Pinv(m); });
}
void ProbitDeriv(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return 1.0 / gsl_ran_ugaussian_pdf(gsl_cdf_ugaussian_Pinv(m)); });
}
void ProbitInv(Matrix& out, const Matrix& in) {
    const double bound = ProbitBound();
    Map(out, in, [bound](double e) { return gsl_cdf_ugaussian_P(Clamp(e, -bound, bound)); });
}

void CloglogFun(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return std::log(-std::log1p(-m)); });
}
void CloglogDeriv(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return 1.0 / (-(1.0 - m) * std::log1p(-m)); });
}
void CloglogInv(Matrix& out, const Matrix& in) {
    const double low = ExtremeLow();
    const double high = ExtremeHigh();
    Map(out, in, [low, high](double e) { return -std::expm1(-std::exp(Clamp(e, low, high))); });
}

void InverseFun(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return 1.0 / m; });
}
void InverseDeriv(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return -1.0 / (m * m); });
}
void InverseInv(Matrix& out, const Matrix& in) {
    const double delta = Delta();
    Map(out, in, [delta](double e) { return 1.0 / Clamp(e, delta, 1.0 / delta); });
}

void LoglogFun(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return std::log(-std::log(m)); });
}
void LoglogDeriv(Matrix& out, const Matrix& in) {
    Map(out, in, [](double m) { return 1.0 / (m * std::log(m)); });
}
void LoglogInv(Matrix& out, const Matrix& in) {
    const double low = ExtremeLow();
    const double high = ExtremeHigh();
    Map(out, in, [low, high](double e) { return std::exp(-std::exp(Clamp(e, low, high))); });
}

// Square roots of the variance functions.
void GaussianSqrtVariance(Matrix& out, const Matrix& mu, const Matrix&) {
    Map(out, mu, [](double) { return 1.0; });
}
void BinomialSqrtVariance(Matrix& out, const Matrix& mu, const Matrix& size) {
    const double n = size(0, 0);
    Map(out, mu, [n](double m) { return std::sqrt(m * (1.0 - m) / n); });
}
void PoissonSqrtVariance(Matrix& out, const Matrix& mu, const Matrix&) {
    Map(out, mu, [](double m) { return std::sqrt(m); });
}
void GammaSqrtVariance(Matrix& out, const Matrix& mu, const Matrix&) {
    Map(out, mu, [](double m) { return m; });
}
void InverseGaussianSqrtVariance(Matrix& out, const Matrix& mu, const Matrix&) {
    Map(out, mu, [](double m) { return std::pow(m, 1.5); });
}

struct FamilyInfo {
    GlmFitter::VarianceOperation sqrtVariance;
    int defaultLink;  // -1: no link of this fitter
    bool dispersion;
};

const FamilyInfo kFamilies[] = {
    {GaussianSqrtVariance, kGlmIdentity, true},
    {BinomialSqrtVariance, kGlmLogit, false},
    {PoissonSqrtVariance, kGlmLog, false},
    {GammaSqrtVariance, kGlmInverse, true},
    // The conventional 1/mu^2 link of this family is not offered.
    {InverseGaussianSqrtVariance, -1, true},
};

// |R(0,0)| max(n, p) 2^-52 from a pivoted QR of A: diagonal elements of R
// at or below it count as zero.
double WeightedRankTolerance(const Matrix& A) {
    Matrix R = A.copy(), unusedQ, unusedP;
    QRPivoted(R, unusedQ, unusedP, 2);
    return std::fabs(R(0, 0)) * std::max(A.extent(0), A.extent(1)) * kEps;
}

int RankBelowTolerance(const Matrix& A, double tol) {
    Matrix R = A.copy(), unusedQ, unusedP;
    QRPivoted(R, unusedQ, unusedP, 2);
    int rank = 0;
    for (int i = 0; i < std::min(A.extent(0), A.extent(1)); ++i)
        if (std::fabs(R(i, i)) > tol) ++rank;
    return rank;
}

bool IsColumn(const Matrix& M, int n) {
    return M.extent(0) == n && M.extent(1) == 1;
}

bool AllFinite(const Matrix& M) {
    for (double x : M)
        if (!std::isfinite(x)) return false;
    return true;
}

}  // namespace

GlmFitter::GlmFitter() = default;
GlmFitter::~GlmFitter() = default;

void GlmFitter::SetDesignMatrix(const Matrix& X) {
    CopyMatrix(X, inputDesign_);
    CopyMatrix(X, design);
}

void GlmFitter::SetResponse(const Matrix& y) {
    CopyMatrix(y, inputResponse_);
    CopyMatrix(y, response);
}

void GlmFitter::SetWeights(const Matrix& w) {
    CopyMatrix(w, inputWeights_);
    CopyMatrix(w, priorWeights);
}

bool GlmFitter::SetLink() {
    switch (link) {
        case kGlmIdentity:
            LinkFun = IdentityFun, LinkDeriv = IdentityDeriv, LinkInv = IdentityFun;
            return true;
        case kGlmLog:
            LinkFun = LogFun, LinkDeriv = LogDeriv, LinkInv = LogInv;
            return true;
        case kGlmLogit:
            LinkFun = LogitFun, LinkDeriv = LogitDeriv, LinkInv = LogitInv;
            return true;
        case kGlmProbit:
            LinkFun = ProbitFun, LinkDeriv = ProbitDeriv, LinkInv = ProbitInv;
            return true;
        case kGlmCloglog:
            LinkFun = CloglogFun, LinkDeriv = CloglogDeriv, LinkInv = CloglogInv;
            return true;
        case kGlmInverse:
            LinkFun = InverseFun, LinkDeriv = InverseDeriv, LinkInv = InverseInv;
            return true;
        case kGlmLoglog:
            LinkFun = LoglogFun, LinkDeriv = LoglogDeriv, LinkInv = LoglogInv;
            return true;
        default:
            return false;
    }
}

void GlmFitter::StartValues(Matrix& mu, double a) {
    Matrix start(response.extent(0), response.extent(1));
    for (int i = 0; i < start.extent(0); ++i) {
        for (int j = 0; j < start.extent(1); ++j) {
            const double y = response(i, j);
            switch (family) {
                case kGlmBinomial:
                    start(i, j) = (a * y + 0.5) / (a + 1.0);
                    break;
                case kGlmPoisson:
                    start(i, j) = y + 0.25;
                    break;
                case kGlmGamma:
                case kGlmInverseGaussian:
                    start(i, j) = std::max(y, kEps);
                    break;
                default:
                    start(i, j) = y;
            }
        }
    }
    mu.reference(start);
}

void GlmFitter::WlsStep(Matrix& beta, Matrix& R, const Matrix& z, const Matrix& X) {
    const int n = X.extent(0);
    const int p = X.extent(1);
    Matrix Zw(n, 1), Xw(n, p);
    for (int i = 0; i < n; ++i) {
        const double w = workingWeights(i, 0);
        Zw(i, 0) = z(i, 0) * w;
        for (int j = 0; j < p; ++j) Xw(i, j) = X(i, j) * w;
    }
    Matrix Q;
    QRDecompose(Xw, Q, 0);  // Xw becomes R; n >= p holds after the rank check
    CopyMatrix(Xw, R);
    Matrix b, Rplus;
    MatMulOp('T', 'N', Q, Zw, b);
    PseudoInverse(R, Rplus);
    MatMul(Rplus, b, beta);
}

bool GlmFitter::PrepareData() {
    const int n = inputDesign_.extent(0);
    if (n == 0 || !IsColumn(inputWeights_, n) || inputResponse_.extent(0) != n) return false;
    const int columns = inputResponse_.extent(1);
    if (!(columns == 1 || (family == kGlmBinomial && columns == 2))) return false;
    if (!AllFinite(inputDesign_) || !AllFinite(inputResponse_) || !AllFinite(inputWeights_))
        return false;

    Matrix y(n, 1), w(n, 1);
    for (int i = 0; i < n; ++i) {
        w(i, 0) = inputWeights_(i, 0);
        if (w(i, 0) < 0.0) return false;
        if (columns == 2) {
            // successes and failures: proportion of successes, weight times trials
            const double s = inputResponse_(i, 0);
            const double f = inputResponse_(i, 1);
            if (s < 0.0 || f < 0.0) return false;
            y(i, 0) = s + f > 0.0 ? s / (s + f) : 0.0;
            w(i, 0) *= s + f;
            continue;
        }
        const double v = inputResponse_(i, 0);
        bool valid = true;
        switch (family) {
            case kGlmBinomial:
                valid = 0.0 <= v && v <= 1.0;
                break;
            case kGlmPoisson:
                valid = v >= 0.0;
                break;
            case kGlmGamma:
            case kGlmInverseGaussian:
                valid = v > 0.0;
                break;
            default:
                break;
        }
        if (!valid) return false;
        y(i, 0) = v;
    }

    const int inputColumns = inputDesign_.extent(1);
    const int offset = addIntercept ? 1 : 0;
    const int p = inputColumns + offset;
    Matrix X(n, p);
    for (int i = 0; i < n; ++i) {
        if (addIntercept) X(i, 0) = 1.0;
        for (int j = 0; j < inputColumns; ++j) X(i, j + offset) = inputDesign_(i, j);
    }
    if (p == 0) return false;

    // Rank of the weighted design from the diagonal of a pivoted QR. When it
    // falls short, columns are kept in their original order, each one only
    // when it adds to the rank of those kept before it: the intercept and
    // the earlier covariates survive, and the coefficients keep their order.
    Matrix A(n, p);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < p; ++j) A(i, j) = X(i, j) * w(i, 0);
    const double tol = WeightedRankTolerance(A);
    const int rank = RankBelowTolerance(A, tol);
    if (rank == 0) return false;
    if (rank < p) {
        std::vector<int> kept;
        for (int j = 0; j < p && static_cast<int>(kept.size()) < rank; ++j) {
            const int count = static_cast<int>(kept.size());
            Matrix candidate(n, count + 1);
            for (int i = 0; i < n; ++i) {
                for (int c = 0; c < count; ++c) candidate(i, c) = A(i, kept[c]);
                candidate(i, count) = A(i, j);
            }
            if (RankBelowTolerance(candidate, tol) > count) kept.push_back(j);
        }
        const int count = static_cast<int>(kept.size());
        Matrix reduced(n, count);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < count; ++j) reduced(i, j) = X(i, kept[j]);
        X.reference(reduced);
    }

    design.reference(X);
    response.reference(y);
    priorWeights.reference(w);
    return true;
}

void GlmFitter::SetWorkingWeights(const Matrix& mu, const Matrix& d, const Matrix& size) {
    Matrix s;
    SqrtVariance(s, mu, size);
    const int n = mu.extent(0);
    // |.|: the inverse link has a negative derivative, and only the square
    // of a working weight enters the normal equations.
    double largest = DBL_MIN;
    for (int i = 0; i < n; ++i) {
        workingWeights(i, 0) = std::sqrt(priorWeights(i, 0)) / std::fabs(d(i, 0) * s(i, 0));
        largest = std::max(largest, workingWeights(i, 0));
    }
    // Tiny weights are raised to a floor relative to the largest, so that a
    // mean at the edge of its range does not make the system singular.
    const double threshold = largest * std::pow(kEps, 2.0 / 3.0);
    for (int i = 0; i < n; ++i) {
        const double w = workingWeights(i, 0);
        if (w < threshold && w != 0.0) workingWeights(i, 0) = threshold;
    }
}

bool GlmFitter::Fit(int familyCode, int linkCode) {
    family = familyCode;
    link = linkCode;
    if (!(0 <= family && family <= kGlmInverseGaussian)) return false;
    const FamilyInfo& info = kFamilies[family];
    if (link == kGlmFamilyDefault) {
        if (info.defaultLink < 0) return false;
        link = info.defaultLink;
    }
    if (!(0 <= link && link <= kGlmLoglog)) return false;
    if (!PrepareData()) return false;
    SqrtVariance = info.sqrtVariance;
    estimateDispersion = info.dispersion;
    SetLink();

    const int n = design.extent(0);
    const int p = design.extent(1);
    Matrix size(1, 1);
    size = 1.0;
    const double relativeFloor = std::sqrt(kEps);
    const double delta = Delta();

    Matrix mu, eta, d, z(n, 1), R, previous;
    StartValues(mu, 1.0);
    LinkFun(eta, mu);
    coefficients.resize(p, 1);
    coefficients = 0.0;
    workingWeights.resize(n, 1);
    converged = false;
    iterations = 0;
    while (!converged && iterations < kMaxIterations) {
        ++iterations;
        LinkDeriv(d, mu);
        for (int i = 0; i < n; ++i) z(i, 0) = eta(i, 0) + (response(i, 0) - mu(i, 0)) * d(i, 0);
        SetWorkingWeights(mu, d, size);

        previous.reference(coefficients.copy());
        WlsStep(coefficients, R, z, design);
        for (double b : coefficients)
            if (!std::isfinite(b))
                throw QuorixError("Model fit failed: coefficients are not finite",
                                  QuorixError::kNoConvergence, b);

        MatMul(design, coefficients, eta);
        LinkInv(mu, eta);
        for (int i = 0; i < n; ++i) {
            double& m = mu(i, 0);
            if (family == kGlmBinomial) {
                m = Clamp(m, kEps, 1.0 - kEps);
            } else if (family != kGlmGaussian && m < delta) {
                m = delta;
            }
        }

        converged = true;
        for (int i = 0; i < p; ++i) {
            const double change = std::fabs(coefficients(i, 0) - previous(i, 0));
            const double bound = 1e-6 * std::max(std::fabs(previous(i, 0)), relativeFloor);
            if (!(change <= bound)) converged = false;
        }
    }

    // Observations of weight 0 carry no information about the dispersion.
    int observed = 0;
    for (int i = 0; i < n; ++i)
        if (priorWeights(i, 0) != 0.0) ++observed;
    residualDf = std::max(observed - p, 0);
    pearsonChiSquare = 0.0;
    for (int i = 0; i < n; ++i) {
        const double m = mu(i, 0);
        const double r = response(i, 0) - m;
        double variance = 1.0;
        switch (family) {
            case kGlmBinomial:
                variance = m * (1.0 - m) / size(0, 0);
                break;
            case kGlmPoisson:
                variance = m;
                break;
            case kGlmGamma:
                variance = m * m;
                break;
            case kGlmInverseGaussian:
                variance = m * m * m;
                break;
            default:
                break;
        }
        if (priorWeights(i, 0) != 0.0) pearsonChiSquare += priorWeights(i, 0) * r * r / variance;
    }
    sigma = std::sqrt(pearsonChiSquare / residualDf);

    // The covariance belongs to the estimates: the weights are taken at the
    // final mean rather than at the one before the last update, which would
    // leave an error of the order of the convergence tolerance.
    LinkDeriv(d, mu);
    SetWorkingWeights(mu, d, size);
    Matrix Xw(n, p), Q, Rplus;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < p; ++j) Xw(i, j) = design(i, j) * workingWeights(i, 0);
    QRDecompose(Xw, Q, 0);
    PseudoInverse(Xw, Rplus);
    MatMulOp('N', 'T', Rplus, Rplus, covariance);
    if (estimateDispersion) covariance *= sigma * sigma;
    standardErrors.resize(p);
    for (int i = 0; i < p; ++i) standardErrors(i) = std::sqrt(covariance(i, i));
    return true;
}
