#include "glm/model/power_glmm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "distributions/chi.h"
#include "distributions/f.h"
#include "distributions/t.h"
#include "glm/model/chi_square_sum.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"

namespace {

constexpr double kRankTolerance = 2.220446049250313e-15;

// Rao's exponent of the Wilks approximation.
double RaoExponent(double a, double b) {
    if (a * b < 4.0) return 1.0;
    return std::sqrt((a * a * b * b - 4.0) / (a * a + b * b - 5.0));
}

// A report over many responses computes one pair of contrasts after
// another, most of them single rows and columns, so the decompositions of
// vectors and 1 x 1 matrices take their closed forms, the same numbers the
// general routines give, without the general routines' set-up.
bool IsFiniteScalar(const Matrix& M) {
    return M.rows() == 1 && M.cols() == 1 && std::isfinite(M(0, 0));
}

// The rank as MatrixRank counts it: a vector's one singular value is its
// length.
double RankOf(const Matrix& M) {
    if (M.rows() == 1 || M.cols() == 1) {
        double squares = 0.0;
        for (int i = 0; i < M.rows(); ++i)
            for (int j = 0; j < M.cols(); ++j) squares += M(i, j) * M(i, j);
        const double length = std::sqrt(squares);
        // Out of range of its square, the general routine decides.
        if (std::isfinite(length) && (length == 0.0 || squares >= 1e-290))
            return length < kRankTolerance ? 0.0 : 1.0;
    }
    return MatrixRank(M, kRankTolerance);
}

// The Moore-Penrose inverse; of a 1 x 1 matrix 1/x, or 0 for x = 0. Of a
// larger one PseudoInverse's, with its singular values for the caller.
void PseudoInverseOf(const Matrix& M, Matrix& P, RealVector& singular) {
    if (IsFiniteScalar(M)) {
        P.resize(1, 1);
        P(0, 0) = M(0, 0) == 0.0 ? 0.0 : 1.0 / M(0, 0);
        singular.resize(1);
        singular(0) = std::fabs(M(0, 0));
        return;
    }
    PseudoInverse(M, P, singular);
}

// Y := A B with each element summed in the order of the inner index, as
// MatMul's BLAS sums it, so to the same bits; without MatMul's copies of B,
// which for the design's (X'WX)+ cost as much as the product (a report
// takes it once per pair of contrasts).
void MultiplyRowMajor(const Matrix& A, const Matrix& B, Matrix& Y) {
    const bool rowMajor = A.isStorageContiguous() && B.isStorageContiguous() && A.stride(1) == 1 &&
                          B.stride(1) == 1 && A.rows() > 0 && A.cols() > 0 && B.cols() > 0;
    if (!rowMajor || A.cols() != B.rows()) {
        MatMul(A, B, Y);
        return;
    }
    const int m = A.rows(), k = A.cols(), n = B.cols();
    Matrix product(m, n);
    product = 0.0;
    double* y = product.data();
    for (int i = 0; i < m; ++i) {
        const double* a = A.data() + static_cast<std::ptrdiff_t>(i) * A.stride(0);
        double* row = y + static_cast<std::ptrdiff_t>(i) * n;
        for (int l = 0; l < k; ++l) {
            const double factor = a[l];
            const double* b = B.data() + static_cast<std::ptrdiff_t>(l) * B.stride(0);
            for (int j = 0; j < n; ++j) row[j] += factor * b[j];
        }
    }
    Y.reference(product);
}

// Real parts of the eigenvalues of a square matrix, largest first.
std::vector<double> SortedEigenvalues(const Matrix& M) {
    if (IsFiniteScalar(M)) return {M(0, 0)};
    ComplexVector w;
    Matrix unusedLeft, unusedRight;
    std::vector<double> values;
    if (!EigenValues('N', 'N', M, w, unusedLeft, unusedRight)) return values;
    for (int i = 0; i < w.extent(0); ++i) values.push_back(w(i).real());
    std::sort(values.begin(), values.end(), std::greater<double>());
    return values;
}

// Whether the symmetric S is positive definite and well conditioned by its
// singular values (largest first): its Cholesky factor then stands for the
// pseudo-inverse, which is its inverse, to rounding.
bool WellConditioned(const Matrix& S, const RealVector& singular) {
    constexpr double kLargestCondition = 1e8;
    const int n = S.rows();
    return n > 0 && S.cols() == n && singular.extent(0) == n && std::isfinite(singular(0)) &&
           singular(n - 1) > singular(0) / kLargestCondition;
}

// The lower Cholesky factor L (row-major, L L' = S) of S with its rows and
// columns taken in `order`; false where a pivot is not positive (S not
// positive definite).
bool CholeskyInOrder(const Matrix& S, const std::vector<int>& order, std::vector<double>& L) {
    const int n = static_cast<int>(order.size());
    L.assign(static_cast<std::size_t>(n) * n, 0.0);
    for (int j = 0; j < n; ++j) {
        double pivot = S(order[j], order[j]);
        for (int k = 0; k < j; ++k) pivot -= L[j * n + k] * L[j * n + k];
        if (!(pivot > 0.0 && std::isfinite(pivot))) return false;
        const double root = std::sqrt(pivot);
        L[j * n + j] = root;
        for (int i = j + 1; i < n; ++i) {
            double v = 0.5 * (S(order[i], order[j]) + S(order[j], order[i]));
            for (int k = 0; k < j; ++k) v -= L[i * n + k] * L[j * n + k];
            L[i * n + j] = v / root;
        }
    }
    return true;
}

// Indices 0..n-1 by increasing length(i).
std::vector<int> ShortestFirst(int n, const std::function<double(int)>& length) {
    std::vector<double> lengths(n);
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i) {
        lengths[i] = length(i);
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int x, int y) { return lengths[x] < lengths[y]; });
    return order;
}

// One-sided Jacobi on the rows of the m x n row-major G: pairs of rows are
// rotated until every two are orthogonal; the squared singular values are
// then their squared lengths. A rotation changes each row by no more than
// rounding of its own length, so rows of very different lengths keep their
// small singular values as accurately as the large ones, which a
// bidiagonalisation, mixing the rows, does not.
std::vector<double> RowJacobiSquares(std::vector<double>& G, int m, int n) {
    constexpr double kEpsilon = 2.220446049250313e-16;
    constexpr int kLargestSweeps = 60;
    for (int sweep = 0; sweep < kLargestSweeps; ++sweep) {
        bool rotated = false;
        for (int i = 0; i < m; ++i)
            for (int j = i + 1; j < m; ++j) {
                double* gi = G.data() + static_cast<std::ptrdiff_t>(i) * n;
                double* gj = G.data() + static_cast<std::ptrdiff_t>(j) * n;
                double alpha = 0.0, beta = 0.0, gamma = 0.0;
                for (int k = 0; k < n; ++k) {
                    alpha += gi[k] * gi[k];
                    beta += gj[k] * gj[k];
                    gamma += gi[k] * gj[k];
                }
                if (!(std::fabs(gamma) > kEpsilon * std::sqrt(alpha) * std::sqrt(beta))) continue;
                rotated = true;
                const double zeta = (beta - alpha) / (2.0 * gamma);
                const double t =
                    (zeta >= 0.0 ? 1.0 : -1.0) / (std::fabs(zeta) + std::hypot(1.0, zeta));
                const double c = 1.0 / std::sqrt(1.0 + t * t), sn = c * t;
                for (int k = 0; k < n; ++k) {
                    const double x = gi[k], y = gj[k];
                    gi[k] = c * x - sn * y;
                    gj[k] = sn * x + c * y;
                }
            }
        if (!rotated) break;
    }
    std::vector<double> squares(m, 0.0);
    for (int i = 0; i < m; ++i)
        for (int k = 0; k < n; ++k) squares[i] += G[i * n + k] * G[i * n + k];
    return squares;
}

// The eigenvalues of Q = SigmaStar+ H, H = d' M+ d, `count` of them largest
// first, without forming Q: with M and SigmaStar positive definite and well
// conditioned, they are the squared singular values of F = L_M^-1 d L_S^-T
// (L L' their Cholesky factors). An eigen-solver on Q is off by rounding of
// the largest eigenvalue, which at a huge effect in one direction beside an
// ordinary one in another (1e22 times as large) leaves nothing of the small
// one. The rows and columns of d go shortest first, so that each row and
// column of F is its own of d combined with shorter ones only: F keeps the
// spread of d's rows or columns to within rounding of each, and the Jacobi
// rotations keep it too. False, nothing computed, where the factors do not
// apply (singular or ill-conditioned M or SigmaStar).
bool EigenvaluesFromFactors(const Matrix& d, const Matrix& M, const RealVector& mSingular,
                            const Matrix& S, const RealVector& sSingular, int count,
                            std::vector<double>& values) {
    const int rows = d.rows(), cols = d.cols();
    if (M.rows() != rows || S.rows() != cols || !WellConditioned(M, mSingular) ||
        !WellConditioned(S, sSingular))
        return false;
    const std::vector<int> rowOrder = ShortestFirst(rows, [&](int i) {
        double sum = 0.0;
        for (int j = 0; j < cols; ++j) sum += std::fabs(d(i, j));
        return sum;
    });
    const std::vector<int> colOrder = ShortestFirst(cols, [&](int j) {
        double sum = 0.0;
        for (int i = 0; i < rows; ++i) sum += std::fabs(d(i, j));
        return sum;
    });
    std::vector<double> lm, ls;
    if (!CholeskyInOrder(M, rowOrder, lm) || !CholeskyInOrder(S, colOrder, ls)) return false;
    // F := L_M^-1 (d in that order), column by column; then F := F L_S^-T,
    // row by row.
    std::vector<double> f(static_cast<std::size_t>(rows) * cols);
    for (int c = 0; c < cols; ++c)
        for (int i = 0; i < rows; ++i) {
            double v = d(rowOrder[i], colOrder[c]);
            for (int k = 0; k < i; ++k) v -= lm[i * rows + k] * f[k * cols + c];
            f[i * cols + c] = v / lm[i * rows + i];
        }
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            double v = f[i * cols + j];
            for (int k = 0; k < j; ++k) v -= ls[j * cols + k] * f[i * cols + k];
            f[i * cols + j] = v / ls[j * cols + j];
        }
    // Brought near 1 by a power of two (exact) so that the sums of squares
    // stay in range.
    double largest = 0.0;
    for (double x : f) largest = std::max(largest, std::fabs(x));
    if (!std::isfinite(largest)) return false;
    values.assign(count, 0.0);
    if (largest == 0.0) return true;
    const int exponent = std::ilogb(largest) + 1;
    for (double& x : f) x = std::ldexp(x, -exponent);
    // Rotated in the direction whose lengths spread more, where F is graded;
    // where neither spreads much, either is accurate and the one of fewer
    // vectors the cheaper.
    auto spread = [&](bool byRows) {
        double longest = 0.0, shortest = 0.0;
        for (int i = 0; i < (byRows ? rows : cols); ++i) {
            double sum = 0.0;
            for (int k = 0; k < (byRows ? cols : rows); ++k) {
                const double x = byRows ? f[i * cols + k] : f[k * cols + i];
                sum += x * x;
            }
            if (sum == 0.0) continue;
            longest = std::max(longest, sum);
            shortest = shortest == 0.0 ? sum : std::min(shortest, sum);
        }
        return shortest > 0.0 ? longest / shortest : 1.0;
    };
    std::vector<double> squares;
    constexpr double kGraded = 1e6;  // in squared lengths
    const double rowSpread = spread(true), colSpread = spread(false);
    const bool byRows =
        std::max(rowSpread, colSpread) > kGraded ? rowSpread >= colSpread : rows <= cols;
    if (byRows) {
        squares = RowJacobiSquares(f, rows, cols);
    } else {
        std::vector<double> transposed(f.size());
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < cols; ++j) transposed[j * rows + i] = f[i * cols + j];
        squares = RowJacobiSquares(transposed, cols, rows);
    }
    std::sort(squares.begin(), squares.end(), std::greater<double>());
    for (int i = 0; i < count && i < static_cast<int>(squares.size()); ++i)
        values[i] = std::ldexp(squares[i], 2 * exponent);
    return true;
}

bool SameMatrix(const Matrix& m, const Matrix& copy) {
    if (m.rows() != copy.rows() || m.cols() != copy.cols() || m.size() == 0) return false;
    // Every pair of a report asks this of the design: compared bit for bit
    // as the arrays they are stored in where both are contiguous and in the
    // same order (the same bits give the same decomposition), element by
    // element otherwise.
    if (m.isStorageContiguous() && copy.isStorageContiguous() && m.stride(0) == copy.stride(0) &&
        m.stride(1) == copy.stride(1) && m.stride(1) == 1)
        return std::memcmp(m.data(), copy.data(), sizeof(double) * m.size()) == 0;
    for (int i = 0; i < m.rows(); ++i)
        for (int j = 0; j < m.cols(); ++j)
            if (!(m(i, j) == copy(i, j))) return false;
    return true;
}

// Copies the top-left part of `from` that fits into a new rows x cols
// matrix of zeros.
void ResizeKeeping(Matrix& m, int rows, int cols) {
    Matrix resized(std::max(rows, 0), std::max(cols, 0));
    resized = 0.0;
    const int keepRows = std::min(rows, static_cast<int>(m.rows()));
    const int keepCols = std::min(cols, static_cast<int>(m.cols()));
    for (int i = 0; i < keepRows; ++i) {
        for (int j = 0; j < keepCols; ++j) resized(i, j) = m(i, j);
    }
    m.reference(resized);
}

double PowerSum(const std::vector<double>& values, int k) {
    double sum = 0.0;
    for (double v : values) sum += std::pow(v, k);
    return sum;
}

// Moments of the sample epsilon e(x, y) = x²/(b y), with x = tr S and
// y = tr S², S = W/nu and W a Wishart matrix with nu df and covariance
// SigmaStar of eigenvalues psi (Tk = sum psi^k). Exactly, E x = T1 and
// E y = T2 (1 + 1/nu) + T1²/nu; to first order in 1/nu, Var x = 2 T2/nu,
// Cov(x, y) = 4 T3/nu and Var y = 8 T4/nu. The mean is e at the exact means
// plus the second-order terms of the other moments; taking e at (T1, T2)
// and the shift of E y to first order instead is far off near sphericity
// (0.775 for 0.825 at b = 4, nu = 20). Against Monte Carlo means of Wishart
// draws (verification/glm/reference.py) the mean is good to about 0.02 at
// nu = 20 and 0.002 at nu = 60.
struct EpsilonMoments {
    double epsilon;   // the population value T1²/(b T2)
    double mean;      // E of the estimate
    double variance;  // Var of the estimate, to order 1/nu
};

EpsilonMoments MomentsOfEstimate(const std::vector<double>& psi, double nu) {
    const double b = static_cast<double>(psi.size());
    const double t1 = PowerSum(psi, 1), t2 = PowerSum(psi, 2);
    const double t3 = PowerSum(psi, 3), t4 = PowerSum(psi, 4);
    const double epsilon = t1 * t1 / (b * t2);
    const double meanY = t2 * (1.0 + 1.0 / nu) + t1 * t1 / nu;
    const double fx = 2.0 * t1 / (b * t2);
    const double fy = -t1 * t1 / (b * t2 * t2);
    const double fxx = 2.0 / (b * t2);
    const double fxy = -2.0 * t1 / (b * t2 * t2);
    const double fyy = 2.0 * t1 * t1 / (b * t2 * t2 * t2);
    const double varX = 2.0 * t2 / nu, covXY = 4.0 * t3 / nu, varY = 8.0 * t4 / nu;
    const double mean = t1 * t1 / (b * meanY) + 0.5 * fxx * varX + fxy * covXY + 0.5 * fyy * varY;
    const double variance = fx * fx * varX + 2.0 * fx * fy * covXY + fy * fy * varY;
    return {epsilon, mean, variance};
}

}  // namespace

PowerGLMM::PowerGLMM()
    : dist(new FDistribution(1.0, 2.0, 0.0, 1.0)), tdist(new TDistribution(1.0, 0.0, false)) {}

PowerGLMM::~PowerGLMM() {
    delete dist;
    delete tdist;
}

void PowerGLMM::SetDimensions(int cellCount, int predictorCount, int responseCount) {
    cells = cellCount;
    predictors = predictorCount;
    responses = responseCount;
    ResizeKeeping(X, cellCount, predictorCount);
    ResizeKeeping(B, predictorCount, responseCount);
    ResizeKeeping(Sigma, responseCount, responseCount);
    ResizeKeeping(A, responseCount, responseCount - 1);
    ResizeKeeping(C, predictorCount - 1, predictorCount);
    ResizeKeeping(Theta0, predictorCount - 1, responseCount - 1);
}

void PowerGLMM::SetCellWeights(const std::vector<double>& w) {
    double total = 0.0;
    for (double x : w) total += std::fabs(x);
    const int n = static_cast<int>(w.size());
    W.resize(n, n);
    W = 0.0;
    for (int i = 0; i < n; ++i) W(i, i) = total > 0.0 ? w[i] / total : 0.0;
}

bool PowerGLMM::SetTestSelector(unsigned int selectorValue) {
    selector = selectorValue;
    return true;
}

bool PowerGLMM::Compute() {
    failure.clear();
    const int g = X.rows(), q = X.cols(), p = B.cols();
    // Each contrast pair must fit the design: a mismatch is refused here,
    // never computed with matrices of an earlier pair.
    if (g == 0 || q == 0 || p == 0 || W.rows() != g || W.cols() != g || B.rows() != q ||
        Sigma.rows() != p || Sigma.cols() != p || C.rows() == 0 || C.cols() != q || A.rows() != p ||
        A.cols() == 0) {
        failure = "The matrices of the model do not fit together.";
        return false;
    }
    try {
        // The design's part is the same for every pair of contrasts of a
        // report and every step of a search: decomposed once while X and W
        // stay as they are.
        if (!SameMatrix(X, designX_) || !SameMatrix(W, designW_)) {
            designX_.resize(0, 0);
            DecomposeWeightedCells();
            Matrix xw;
            MatMulOp('T', 'N', X, W, xw);
            MatMul(xw, X, XWX);
            PseudoInverse(XWX, pinvXWX_);
            CopyMatrix(X, designX_);
            CopyMatrix(W, designW_);
        }
        r = designRank_;
        estimable = RowsInDesignSpace(C);
        a = RankOf(C);
        b = RankOf(A);
        s = std::min(a, b);
        Matrix cb, cx, m, mi, d, dm, sa, pinvSigmaStar;
        MatMul(C, B, cb);
        MatMul(cb, A, Theta);
        MultiplyRowMajor(C, pinvXWX_, cx);
        MatMulOp('N', 'T', cx, C, m);
        RealVector mSingular, sSingular;
        PseudoInverseOf(m, mi, mSingular);
        if (Theta0.rows() == Theta.rows() && Theta0.cols() == Theta.cols()) {
            MatSub(Theta, Theta0, d);
        } else {
            CopyMatrix(Theta, d);
        }
        DropRoundingOfEffect(d);
        MatMulOp('T', 'N', d, mi, dm);
        MatMul(dm, d, H);
        MatMulOp('T', 'N', A, Sigma, sa);
        MatMul(sa, A, SigmaStar);
        PseudoInverseOf(SigmaStar, pinvSigmaStar, sSingular);
        MatMul(pinvSigmaStar, H, Q);
        contrastShift_ = Q.rows() > 0 && Q.cols() > 0 ? Q(0, 0) : 0.0;
        if (b == 1.0 && A.cols() > 1) contrastShift_ = RankOneContrastShift(mi);
        if (Q.rows() == 1 && Q.cols() == 1) {
            eigen = SortedEigenvalues(Q);
        } else if (SameMatrix(d, eigenEffect_) && SameMatrix(m, eigenM_) &&
                   SameMatrix(SigmaStar, eigenSigmaStar_)) {
            eigen = eigenOfThose_;
        } else {
            if (!EigenvaluesFromFactors(d, m, mSingular, SigmaStar, sSingular, Q.rows(), eigen))
                eigen = SortedEigenvalues(Q);
            CopyMatrix(d, eigenEffect_);
            CopyMatrix(m, eigenM_);
            CopyMatrix(SigmaStar, eigenSigmaStar_);
            eigenOfThose_ = eigen;
        }
        // H is positive semi-definite and so are the eigenvalues of Q; a
        // negative one from the eigen-solver is rounding.
        for (double& e : eigen) e = std::max(e, 0.0);
        OrthonormalContrastForms();
    } catch (const QuorixError& e) {
        failure = e.what();
        return false;
    }
    return true;
}

// Only the cells that carry weight have subjects: their rows of X are the
// design the data have. Its rank (the error df are N minus it) and an
// orthonormal basis of its row space come from their singular values, those
// above rounding of the largest counted, so that neither depends on the
// scale of X.
void PowerGLMM::DecomposeWeightedCells() {
    std::vector<int> carried;
    for (int i = 0; i < X.rows(); ++i)
        if (W(i, i) > 0.0) carried.push_back(i);
    const int q = X.cols(), rows = static_cast<int>(carried.size());
    designRank_ = 0.0;
    rowSpace_.resize(q, 0);
    if (rows == 0) return;
    Matrix xc(rows, q);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < q; ++j) xc(i, j) = X(carried[i], j);
    RealVector values;
    Matrix left, right;
    if (!SvdFull(xc, values, left, right)) throw QuorixError("Math overflow", 0, 0.0);
    const int count = static_cast<int>(values.extent(0));
    const double cutoff = std::max(rows, q) * kRankTolerance * (count > 0 ? values(0) : 0.0);
    int rank = 0;
    while (rank < count && values(rank) > cutoff && std::isfinite(values(rank))) ++rank;
    designRank_ = rank;
    rowSpace_.resize(q, rank);
    for (int j = 0; j < q; ++j)
        for (int k = 0; k < rank; ++k) rowSpace_(j, k) = right(j, k);
}

// A contrast of the parameters is estimable when each of its rows is a
// combination of the weighted cells' rows of X: only then is C B a function
// of the cell means. Otherwise it changes with how B is written for the
// same means (an over-parameterised X) or reaches a cell without subjects,
// and has no test. Each row is judged on its own scale: what remains of it
// off the row space must be below kEstimableTolerance of its length, loose
// enough for coefficients typed to six digits (1/3 as 0.333333).
bool PowerGLMM::RowsInDesignSpace(const Matrix& contrast) const {
    constexpr double kEstimableTolerance = 1e-5;
    const int q = rowSpace_.rows(), rank = rowSpace_.cols();
    if (contrast.cols() != q) return false;
    std::vector<double> row(q);
    for (int i = 0; i < contrast.rows(); ++i) {
        double largest = 0.0;
        for (int j = 0; j < q; ++j) largest = std::max(largest, std::fabs(contrast(i, j)));
        if (largest == 0.0) continue;
        if (!std::isfinite(largest)) return false;
        for (int j = 0; j < q; ++j) row[j] = contrast(i, j) / largest;
        double length = 0.0;
        for (int j = 0; j < q; ++j) length += row[j] * row[j];
        for (int k = 0; k < rank; ++k) {
            double along = 0.0;
            for (int j = 0; j < q; ++j) along += row[j] * rowSpace_(j, k);
            for (int j = 0; j < q; ++j) row[j] -= along * rowSpace_(j, k);
        }
        double off = 0.0;
        for (int j = 0; j < q; ++j) off += row[j] * row[j];
        if (!(off <= kEstimableTolerance * kEstimableTolerance * length)) return false;
    }
    return true;
}

// The univariate approach is defined on orthonormal response contrasts:
// on others its statistic, epsilon and df change with the scaling of the
// contrasts, although the hypothesis does not. With A = U S V' (U's first
// b columns an orthonormal basis of the space A spans), A T with
// T = V_b S_b^-1 is that basis, and H and SigmaStar on it are T' H T and
// T' SigmaStar T (a null value Theta0 goes along with the contrasts).
void PowerGLMM::OrthonormalContrastForms() {
    RealVector values;
    Matrix left, right;
    orthonormalA = true;
    for (int i = 0; i < A.cols() && orthonormalA; ++i)
        for (int j = 0; j < A.cols(); ++j) {
            double dot = 0.0;
            for (int k = 0; k < A.rows(); ++k) dot += A(k, i) * A(k, j);
            if (!(std::fabs(dot - (i == j ? 1.0 : 0.0)) <= 1e-12)) {
                orthonormalA = false;
                break;
            }
        }
    // One column is its own basis once scaled to length 1: its singular
    // value is its length, and the full decomposition (a p x p left factor,
    // the bulk of a pair's cost over many responses) is not needed.
    double length = 0.0;
    if (A.cols() == 1) {
        for (int k = 0; k < A.rows(); ++k) length += A(k, 0) * A(k, 0);
        length = std::sqrt(length);
    }
    if (orthonormalA) {
        CopyMatrix(H, HUni);
        CopyMatrix(SigmaStar, SigmaStarUni);
    } else {
        int rank = 0;
        if (length >= kRankTolerance && std::isfinite(length)) {
            values.resize(1);
            values(0) = length;
            right.resize(1, 1);
            right(0, 0) = 1.0;
            rank = 1;
        } else {
            if (!SvdFull(A, values, left, right)) throw QuorixError("Math overflow", 0, 0.0);
            while (rank < values.extent(0) && values(rank) >= kRankTolerance) ++rank;
        }
        Matrix basis(A.cols(), rank), th, tst;
        for (int j = 0; j < A.cols(); ++j)
            for (int k = 0; k < rank; ++k) basis(j, k) = right(j, k) / values(k);
        MatMulOp('T', 'N', basis, H, th);
        MatMul(th, basis, HUni);
        MatMulOp('T', 'N', basis, SigmaStar, tst);
        MatMul(tst, basis, SigmaStarUni);
    }
    // What the univariate rows need of SigmaStar does not depend on N: its
    // eigenvalues and, along each eigenvector, the share of H. A search for
    // N takes them from here instead of decomposing again at every step.
    uniTerms.clear();
    psiAll.clear();
    if (IsFiniteScalar(SigmaStarUni)) {
        values.resize(1);
        values(0) = std::fabs(SigmaStarUni(0, 0));
        left.resize(1, 1);
        left(0, 0) = 1.0;
    } else if (SigmaStarUni.size() == 0 || !SvdFull(SigmaStarUni, values, left, right)) {
        return;
    }
    const int dim = static_cast<int>(values.extent(0));
    const double largest = dim > 0 ? values(0) : 0.0;
    for (int j = 0; j < dim; ++j) {
        const double psiJ = values(j);
        if (!(psiJ > 1e-12 * largest)) continue;
        double shift = 0.0;
        for (int k = 0; k < dim; ++k)
            for (int l = 0; l < dim; ++l) shift += left(k, j) * HUni(k, l) * left(l, j);
        uniTerms.push_back({psiJ, std::max(0.0, shift / psiJ)});
    }
    psiAll = SortedEigenvalues(SigmaStarUni);
}

// An element of C B A - Theta0 no larger than the rounding of the products
// that made it is no effect: the means themselves are not known closer than
// that. Left as it is, the rounding would give a contrast of equal means
// (or one equal to its null value) an effect of some 1e-16 at one scale of
// the model and exactly none at another. Bound of the rounding: the
// products' dot lengths times the unit rounding, on the sums of absolute
// terms, twice over for the margin.
double PowerGLMM::RoundingBound(int row, const std::vector<double>& direction,
                                double nullTerm) const {
    constexpr double kUnitRounding = 1.1102230246251565e-16;
    double terms = std::fabs(nullTerm);
    for (int k = 0; k < C.cols(); ++k) {
        if (C(row, k) == 0.0) continue;
        for (int j = 0; j < B.cols(); ++j)
            terms += std::fabs(C(row, k)) * std::fabs(B(k, j)) * std::fabs(direction[j]);
    }
    return 2.0 * (C.cols() + B.cols() + 1) * kUnitRounding * terms;
}

void PowerGLMM::DropRoundingOfEffect(Matrix& d) const {
    const bool nullValue = Theta0.rows() == d.rows() && Theta0.cols() == d.cols();
    std::vector<double> column(A.rows());
    for (int j = 0; j < d.cols(); ++j) {
        for (int k = 0; k < A.rows(); ++k) column[k] = A(k, j);
        for (int i = 0; i < d.rows(); ++i)
            if (std::fabs(d(i, j)) <= RoundingBound(i, column, nullValue ? Theta0(i, j) : 0.0))
                d(i, j) = 0.0;
    }
}

// Rows of A that span one direction state one hypothesis, however they
// are written: Q's first element would read only the first row (0 for
// "0 0 / 1 0", a mixture for "1 0 / 2 0"). The single-contrast tests take
// that direction as the unit vector u (A = u sigma v'), where
// lambda / N = (C B u - t0)' M+ (C B u - t0) / (u' Sigma u), t0 = Theta0 v /
// sigma the null value on u; the length and sign of u cancel.
double PowerGLMM::RankOneContrastShift(const Matrix& mi) const {
    RealVector values;
    Matrix left, right;
    if (!SvdFull(A, values, left, right) || !(values(0) > 0.0)) return 0.0;
    const int p = A.rows(), rows = C.rows();
    const bool nullValue = Theta0.rows() == rows && Theta0.cols() == A.cols();
    std::vector<double> theta(rows, 0.0), u(p);
    for (int j = 0; j < p; ++j) u[j] = left(j, 0);
    for (int i = 0; i < rows; ++i) {
        for (int k = 0; k < C.cols(); ++k)
            for (int j = 0; j < p; ++j) theta[i] += C(i, k) * B(k, j) * u[j];
        double nullTerm = 0.0;
        if (nullValue)
            for (int j = 0; j < A.cols(); ++j) nullTerm += Theta0(i, j) * right(j, 0) / values(0);
        theta[i] -= nullTerm;
        if (std::fabs(theta[i]) <= RoundingBound(i, u, nullTerm)) theta[i] = 0.0;
    }
    double shift = 0.0, variance = 0.0;
    for (int i = 0; i < rows; ++i)
        for (int k = 0; k < rows; ++k) shift += theta[i] * mi(i, k) * theta[k];
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j) variance += left(i, 0) * Sigma(i, j) * left(j, 0);
    return variance > 0.0 ? shift / variance : 0.0;
}

// ------------------------------------------------------------ statistics

void PowerGLMM::HotellingLawleyStatistic() {
    const double nu = ErrorDf();
    T = 0.0;
    for (int i = 0; i < s && i < static_cast<int>(eigen.size()); ++i) T += eigen[i];
    TN = T * N / nu;
    value = TN;
}

// s - V and s - VN are summed as such: at a large effect V comes within
// rounding of s, and s - V would lose every digit of the effect V/(s - V).
void PowerGLMM::PillaiStatistic() {
    const double nu = ErrorDf();
    V = 0.0;
    VN = 0.0;
    pillaiRest_ = 0.0;
    pillaiRestN_ = 0.0;
    int i = 0;
    for (; i < s && i < static_cast<int>(eigen.size()); ++i) {
        V += eigen[i] / (eigen[i] + 1.0);
        VN += eigen[i] * N / (eigen[i] * N + nu);
        pillaiRest_ += 1.0 / (eigen[i] + 1.0);
        pillaiRestN_ += nu / (eigen[i] * N + nu);
    }
    pillaiRest_ += s - i;
    pillaiRestN_ += s - i;
    if (V < 0.0) {
        V = 0.0;
        pillaiRest_ = s;
    }
    if (VN < 0.0) {
        VN = 0.0;
        pillaiRestN_ = s;
    }
    value = VN;
}

void PowerGLMM::WilksStatistic() {
    const double nu = ErrorDf();
    U = 1.0;
    UN = 1.0;
    // The logarithms keep the effect where the product underflows (large
    // eigenvalues and several of them).
    wilksLog_ = 0.0;
    wilksLogN_ = 0.0;
    for (int i = 0; i < s && i < static_cast<int>(eigen.size()); ++i) {
        U *= 1.0 / (eigen[i] + 1.0);
        UN *= 1.0 / (eigen[i] * N / nu + 1.0);
        wilksLog_ -= std::log1p(eigen[i]);
        wilksLogN_ -= std::log1p(eigen[i] * N / nu);
    }
    value = UN;
}

// ------------------------------------------------------------------ power

namespace {

// Above it the noncentral F and t distributions refuse to compute; a
// power there comes from the limit forms below.
constexpr double kLargestNoncentrality = 1e10;

// Beyond the noncentralities the noncentral F computes, its numerator
// chi2(df1, lambda) is lambda + df1 to within a few times 2 sqrt(lambda), a
// relative 2e-5 at most: the power P(F > c) is then P(chi2(df2) <
// (lambda + df1) df2 / (c df1)), the share of denominators small enough,
// which is 1 to double precision unless c is astronomically large (a df2
// far below 1).
double LargeNoncentralityFPower(double critical, double df1, double df2, double lambda) {
    ChiDistribution denominator(df2);
    return denominator.Cdf((lambda + df1) * df2 / (critical * df1));
}

// The one-sided t test at a noncentrality delta beyond the noncentral t:
// T = (Z + delta)/sqrt(chi2(nu)/nu) > c with Z negligible against delta
// (1e-5 of it at most), so P(T > c) = P(chi2(nu) < nu delta² / c²) for a
// positive c and 1 for any other.
double LargeNoncentralityTPower(double critical, double nu, double lambda) {
    if (!(critical > 0.0)) return 1.0;
    ChiDistribution denominator(nu);
    return denominator.Cdf(nu * lambda / (critical * critical));
}

}  // namespace

bool PowerGLMM::FPower() {
    try {
        if (!(df1 > 0.0 && df2 > 0.0 && lambda >= 0.0)) throw QuorixError("", 4, 0.0);
        dist->SetParam(1, df1);
        dist->SetParam(2, df2);
        dist->SetNoncentrality(0.0);
        critical = dist->Quantile(1.0 - alpha);
        if (lambda > kLargestNoncentrality && std::isfinite(lambda)) {
            power = LargeNoncentralityFPower(critical, df1, df2, lambda);
            return true;
        }
        dist->SetNoncentrality(lambda);
        power = 1.0 - dist->Cdf(critical);
        return true;
    } catch (...) {
        power = 0.0;
        return false;
    }
}

bool PowerGLMM::HotellingLawley1(bool plain, bool computePower) {
    HotellingLawleyStatistic();
    const double nu = ErrorDf();
    effect = (plain ? T : TN) / s;
    eta2 = effect / (effect + 1.0);
    df1 = a * b;
    df2 = s * (nu - b - 1.0) + 2.0;
    lambda = plain ? N * T : df2 * effect;
    return !computePower || FPower();
}

// The second approximation needs an error df above b + 1: below it the
// effect divides by nu - b - 1 <= 0 (and the denominator df can fall to 0
// or below); both variants then report power -1, no effect, and fail.
bool PowerGLMM::HotellingLawley2(bool plain, bool computePower) {
    HotellingLawleyStatistic();
    const double nu = ErrorDf();
    if (!(nu - b - 1.0 > 0.0)) {
        df1 = a * b;
        df2 = effect = eta2 = lambda = std::nan("");
        power = -1.0;
        return false;
    }
    const double g2 = (nu * nu - (2.0 * b + 3.0) * nu + b * (b + 3.0)) /
                      ((a + b + 1.0) * nu - (a + 2.0 * b + b * b - 1.0));
    df1 = a * b;
    df2 = 4.0 + (a * b + 2.0) * g2;
    effect = (plain ? T : TN) / ((df2 - 2.0) / (nu - b - 1.0));
    eta2 = effect / (effect + 1.0);
    lambda = plain ? N * T : df2 * effect;
    if (!computePower) return true;
    if (!(df2 > 0.0)) {
        power = -1.0;
        return false;
    }
    return FPower();
}

bool PowerGLMM::Allowed() const {
    const double nu = ErrorDf();
    if (!(nu > 0.0)) return false;
    switch (selector) {
        case kGlmmHotelling2OS:
        case kGlmmHotelling2MP:
            return nu - b - 1.0 > 0.0;
        default:
            return true;
    }
}

bool PowerGLMM::Pillai1(bool plain, bool computePower) {
    PillaiStatistic();
    const double nu = ErrorDf();
    const double stat = plain ? V : VN;
    effect = stat / (plain ? pillaiRest_ : pillaiRestN_);
    eta2 = effect / (effect + 1.0);
    df1 = a * b;
    df2 = s * (nu + s - b);
    lambda = plain ? N * s * V / pillaiRest_ : df2 * effect;
    return !computePower || FPower();
}

bool PowerGLMM::Pillai2(bool plain, bool computePower) {
    PillaiStatistic();
    const double nu = ErrorDf();
    const double stat = plain ? V : VN;
    effect = stat / (plain ? pillaiRest_ : pillaiRestN_);
    eta2 = effect / (effect + 1.0);
    // df by matching the first two moments of V/s to a beta distribution.
    const double m = nu + a;
    const double mu = (a * b / m) / s;
    const double v2 = (((m - b) / (m - 1.0)) * 2.0 * a * b * (nu / (m + 2.0)) / m / m +
                       (a * b / m) * (a * b / m)) /
                      s / s;
    df1 = 2.0 * mu * (mu - v2) / (v2 - mu * mu);
    df2 = 2.0 * (mu - v2) * (1.0 - mu) / (v2 - mu * mu);
    lambda = plain ? N * s * V / pillaiRest_ : df2 * effect;
    return !computePower || FPower();
}

bool PowerGLMM::Wilks(bool plain, bool computePower) {
    WilksStatistic();
    const double nu = ErrorDf();
    const double g = RaoExponent(a, b);
    effect = std::expm1(-(plain ? wilksLog_ : wilksLogN_) / g);
    eta2 = effect / (effect + 1.0);
    df1 = a * b;
    df2 = g * (nu - (b - a + 1.0) / 2.0) - (a * b - 2.0) / 2.0;
    lambda = plain ? N * g * effect : df2 * effect;
    if (!computePower) return true;
    if (!(lambda >= 0.0 && a * b > 0.0 && df2 > 0.0)) {
        power = 0.0;
        return false;
    }
    return FPower();
}

// ---------------------------------------------------- univariate approach

double PowerGLMM::ExpectedGreenhouseGeisser(const std::vector<double>& psiValues, double nu) {
    return MomentsOfEstimate(psiValues, nu).mean;
}

// The Huynh-Feldt estimate is h(e) = (N b e - 2)/(b (nu - b e)) of the
// Greenhouse-Geisser estimate e; its expectation is taken as
// h(E e) + h''(E e) Var e / 2 (good to about 0.03 at nu = 20 and 0.005 at
// nu = 60 against the Monte Carlo means).
double PowerGLMM::ExpectedHuynhFeldt(const std::vector<double>& psiValues, double n, double nu) {
    const EpsilonMoments m = MomentsOfEstimate(psiValues, nu);
    const double b = static_cast<double>(psiValues.size());
    const double top = n * b * m.mean - 2.0;
    const double bottom = b * nu - b * b * m.mean;
    const double slope = (n * b * bottom + b * b * top) / (bottom * bottom);
    const double curvature = 2.0 * b * b * slope / bottom;
    return top / bottom + 0.5 * curvature * m.variance;
}

bool PowerGLMM::UnivariateCommon() {
    psi = psiAll;
    if (psi.empty()) return false;
    // Epsilon and its estimates do not depend on the scale of SigmaStar;
    // relative to the largest eigenvalue their sums of powers stay in range
    // for variances anywhere in the range of numbers. An eigenvalue at
    // rounding of the largest is a direction without variance, 0 at every
    // scale (as it carries no term of the power): a residue of 1e-16 would
    // put eps just below 1/b, and its df just below 1, at some scales only.
    const double largest = std::max(std::fabs(psi.front()), std::fabs(psi.back()));
    if (largest > 0.0 && std::isfinite(largest))
        for (double& share : psi) {
            share /= largest;
            if (std::fabs(share) <= 1e-12) share = 0.0;
        }
    const double t1 = PowerSum(psi, 1), t2 = PowerSum(psi, 2);
    const double bb = static_cast<double>(psi.size());
    eps = t1 * t1 / (bb * t2);
    const double nu = ErrorDf();
    const double lowest = 1.0 / bb;
    epsGG = std::clamp(ExpectedGreenhouseGeisser(psi, nu), lowest, 1.0);
    epsHF = std::clamp(ExpectedHuynhFeldt(psi, N, nu), lowest, 1.0);
    return std::isfinite(eps);
}

bool PowerGLMM::UnivariatePower(double critDf1, double critDf2, double powDf1, double powDf2,
                                double powLambda) {
    df1Crit = critDf1;
    df2Crit = critDf2;
    df1Power = powDf1;
    df2Power = powDf2;
    lambdaPower = powLambda;
    eta2 = lambda / (lambda + df2);
    for (double df : {critDf1, critDf2, powDf1, powDf2}) {
        if (!(df >= 1.0)) {
            power = 0.0;
            return false;
        }
    }
    try {
        dist->SetParam(1, critDf1);
        dist->SetParam(2, critDf2);
        dist->SetNoncentrality(0.0);
        critical = dist->Quantile(1.0 - alpha);
        power = TraceRatioPower(critical);
        return true;
    } catch (...) {
        power = 0.0;
        return false;
    }
}

// tr H^ and tr E^ are independent: in the eigenvectors v_j of SigmaStar
// (eigenvalues psi_j) tr H^ is a sum of psi_j chi2(a, N v_j' H v_j / psi_j)
// and tr E^ one of psi_j chi2(nu), so the power at the critical value c,
// P(tr H^ - c a/nu tr E^ > 0), is the probability that a sum of weighted
// chi-squares is positive. Directions without variance carry no term.
//
// A sum whose mean lies 1e4 standard deviations or more above 0 is
// positive but for a probability below any double: by the bound of Laurent
// and Massart (2000, Annals of Statistics 28, 1302-1338) a weighted sum of
// chi-squares falls below its mean by t >> its standard deviation with a
// probability under exp(-t / (4 w)), w its largest weight (at most its
// standard deviation), so exp(-2500) at most. Its power is 1 without the
// inversion, which cannot follow the characteristic function of a
// noncentrality that large; the weights relative to the largest keep the
// moments in range for variances anywhere in the range of numbers.
double PowerGLMM::TraceRatioPower(double criticalValue) const {
    const double nu = ErrorDf();
    std::vector<ChiSquareTerm> terms;
    double largest = 0.0;
    for (const UnivariateTerm& term : uniTerms) {
        terms.push_back({term.psi, a, N * term.shift});
        terms.push_back({-criticalValue * a / nu * term.psi, nu, 0.0});
        largest = std::max(
            {largest, std::fabs(terms.end()[-1].weight), std::fabs(terms.end()[-2].weight)});
    }
    if (largest > 0.0 && std::isfinite(largest)) {
        double mean = 0.0, variance = 0.0;
        for (const ChiSquareTerm& t : terms) {
            const double w = t.weight / largest;
            mean += w * (t.df + t.noncentrality);
            variance += w * w * (2.0 * t.df + 4.0 * t.noncentrality);
        }
        if (std::isfinite(mean) && mean > 0.0 && mean * mean >= 1e8 * variance) return 1.0;
    }
    return ProbabilitySumAboveZero(terms);
}

// The four rows test one statistic, F = (tr H^ / (a b)) / (tr E^ / (nu b)),
// and so take their power from its one distribution, computed exactly
// (TraceRatioPower); they differ only in the df of their critical value:
// none corrected, the expected Greenhouse-Geisser and Huynh-Feldt estimates,
// and the lower bound 1/b. The df1Power, df2Power and lambdaPower fields
// keep the usual approximation of that distribution, F(eps a b, eps nu b,
// eps lambda) with lambda = N b tr(H)/tr(SigmaStar) (Muller & Barton, 1989,
// Journal of the American Statistical Association 84, 549-555): exact under
// sphericity, but off by up to 0.037 in power against simulated data when
// the effect lies in directions of little variance
// (verification/explorer_univariate).
bool PowerGLMM::Univariate(unsigned int which) {
    const double nu = ErrorDf();
    const double ratioOfTraces = Trace(HUni) / Trace(SigmaStarUni);
    const double ab = a * b;
    df1 = ab;
    df2 = nu * b;
    lambda = N * b * ratioOfTraces;
    const double powerLambda = eps * lambda;
    double critScale = 1.0;
    epsShown = eps;
    switch (which) {
        case kGlmmUnivariate:
            break;
        case kGlmmGreenhouseGeisser:
            critScale = epsGG;
            break;
        case kGlmmHuynhFeldt:
            critScale = std::min(epsHF, 1.0);
            break;
        case kGlmmBox:
            // The row shows the test at its own df, a and nu, and the
            // noncentrality on that scale (the same eta² as the others).
            critScale = 1.0 / b;
            df1 = a;
            df2 = nu;
            lambda = N * ratioOfTraces;
            break;
        default:
            return false;
    }
    epsExpShown = critScale;
    return UnivariatePower(critScale * ab, critScale * nu * b, eps * ab, eps * nu * b, powerLambda);
}

// ------------------------------------------------------------ contrasts

bool PowerGLMM::ContrastF() {
    df1 = a;
    df2 = ErrorDf();
    lambda = N * contrastShift_;
    return FPower();
}

bool PowerGLMM::ContrastT(bool oneTailedTest) {
    oneTailed = oneTailedTest;
    df1 = 1.0;
    df2 = ErrorDf();
    lambda = N * contrastShift_;
    try {
        if (!(df2 > 0.0 && lambda >= 0.0)) throw QuorixError("", 4, 0.0);
        tdist->SetParam(1, df2);
        tdist->SetNoncentrality(0.0);
        critical = tdist->Quantile(oneTailed ? 1.0 - alpha : 1.0 - alpha / 2.0);
        // The lower tail of the two-tailed test is then below any double.
        if (lambda > kLargestNoncentrality && std::isfinite(lambda)) {
            power = LargeNoncentralityTPower(critical, df2, lambda);
            return true;
        }
        tdist->SetNoncentrality(std::sqrt(lambda));
        power = 1.0 - tdist->Cdf(critical);
        if (!oneTailed) power += tdist->Cdf(-critical);
        return true;
    } catch (...) {
        power = 0.0;
        return false;
    }
}

void PowerGLMM::SetEffectFromLambda() {
    eta2 = lambda / (lambda + df2);
    effect = eta2 / std::max(1e-12, 1.0 - eta2);
}

// ------------------------------------------------------------ the search

bool PowerGLMM::RunTests() {
    switch (selector) {
        case kGlmmUnivariate:
        case kGlmmGreenhouseGeisser:
        case kGlmmHuynhFeldt:
        case kGlmmBox:
            return UnivariateCommon() && Univariate(selector);
        case kGlmmWilksOS:
            return Wilks(true, true);
        case kGlmmWilksMP:
            return Wilks(false, true);
        case kGlmmHotelling1OS:
            return HotellingLawley1(true, true);
        case kGlmmHotelling1MP:
            return HotellingLawley1(false, true);
        case kGlmmHotelling2OS:
            return HotellingLawley2(true, true);
        case kGlmmHotelling2MP:
            return HotellingLawley2(false, true);
        case kGlmmPillai1OS:
            return Pillai1(true, true);
        case kGlmmPillai1MP:
            return Pillai1(false, true);
        case kGlmmPillai2OS:
            return Pillai2(true, true);
        case kGlmmPillai2MP:
            return Pillai2(false, true);
        case kGlmmContrastTOneTailed:
            return ContrastT(true);
        case kGlmmContrastTTwoTailed:
            return ContrastT(false);
        case kGlmmContrastF:
            return ContrastF();
    }
    return false;
}

// Whether the hypothesis departs from its null value along what the
// selected test measures: tr H for the univariate approach, the first
// element of Q for a single contrast, the eigenvalues of Q for the
// multivariate criteria. It does not depend on N, so it is judged on the
// model and not on a noncentrality computed at some N, which is 0 wherever
// an approximation's denominator df is. A value that is not finite counts
// as an effect; the search then says why it cannot use it.
bool PowerGLMM::HasEffect() const {
    double size = 0.0;
    switch (selector) {
        case kGlmmUnivariate:
        case kGlmmGreenhouseGeisser:
        case kGlmmHuynhFeldt:
        case kGlmmBox:
            size = HUni.size() > 0 ? Trace(HUni) : 0.0;
            break;
        case kGlmmContrastTOneTailed:
        case kGlmmContrastTTwoTailed:
        case kGlmmContrastF:
            size = contrastShift_;
            break;
        default:
            for (int i = 0; i < s && i < static_cast<int>(eigen.size()); ++i) size += eigen[i];
    }
    return size > 0.0 || !std::isfinite(size);
}

double PowerGLMM::PowerMinusTarget() {
    RunTests();
    return power - target;
}

double PowerGLMM::Evaluate(double x) {
    N = x;
    if (!Compute()) return std::nan("");
    return PowerMinusTarget();
}

// The sample-size search runs over whole N (the answer is one): from the
// smallest N at which the test is defined and computes, the step doubles
// until the power reaches the target, then halves back to the smallest N
// that reaches it. The matrices do not depend on N and are computed once;
// each step runs only the test. Growth is bounded: a zero effect never
// reaches the target, and the search ends with its reason instead.
double PowerGLMM::SolveN() {
    constexpr double kLargestN = 1e9;
    failure.clear();
    N = 100.0;
    if (!Compute()) return 0.0;
    if (!estimable) {
        failure =
            "The contrast C is not estimable: its rows do not lie in the row space of the "
            "design's cells that carry weight.";
        N = 0.0;
        return 0.0;
    }
    auto reaches = [this](double n) {
        CancelCheck::Poll();
        N = n;
        return RunTests() && power >= target;
    };
    auto computes = [this](double at) {
        CancelCheck::Poll();
        N = at;
        return Allowed() && RunTests();
    };
    // The first whole N from `from` at which `holds`, for a predicate that
    // stays true once true: the step doubles until it holds, then halves
    // back. Past kLargestN (or where `stop` says why) the search gives up
    // with that reason, and the result is 0.
    auto firstN = [&](double from, const std::function<bool(double)>& holds,
                      const std::function<const char*()>& stop) {
        double below = from - 1.0, n = from, step = 1.0;
        while (!holds(n)) {
            below = n;
            const char* reason = stop();
            if (reason) {
                failure = reason;
                return 0.0;
            }
            n += step;
            step *= 2.0;
        }
        while (n - below > 1.0) {
            const double mid = std::floor((below + n) / 2.0);
            if (holds(mid))
                n = mid;
            else
                below = mid;
        }
        return n;
    };
    // The smallest N whose error df and approximation allow the test.
    double n = firstN(r + 1.0, computes, [&]() -> const char* {
        return N > kLargestN ? "No sample size up to 1e9 gives the test degrees of freedom it "
                               "can be computed with."
                             : nullptr;
    });
    if (n == 0.0) {
        N = 0.0;
        return 0.0;
    }
    if (!HasEffect()) {
        failure =
            "The contrast has no effect in this model (noncentrality 0): no sample size "
            "reaches a power above alpha.";
        N = 0.0;
        return 0.0;
    }
    // Up from the first N that computes.
    n = firstN(n, reaches, [&]() -> const char* {
        if (!std::isfinite(lambda))
            return "Its noncentrality is not finite: the variances in Sigma are tiny against "
                   "the contrasted means.";
        if (N > kLargestN)
            return "The power stays below the target up to N = 1e9: the effect is too small "
                   "against the variances in Sigma.";
        return nullptr;
    });
    if (n == 0.0) {
        N = 0.0;
        return 0.0;
    }
    // Every result field for the answer.
    N = n;
    RunTests();
    return N;
}
