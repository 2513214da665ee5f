#include "numerics/matrix.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "numerics/quorix_error.h"

// Reference BLAS and LAPACK, Fortran calling convention: every argument by
// address, each character argument followed by a hidden length at the end.
// Bad arguments make the reference library print a message and stop the
// process, so every call below is preceded by the checks that rule them out.
extern "C" {
void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k,
            const double* alpha, const double* a, const int* lda, const double* b, const int* ldb,
            const double* beta, double* c, const int* ldc, std::size_t transa_len,
            std::size_t transb_len);
void dgeqrf_(const int* m, const int* n, double* a, const int* lda, double* tau, double* work,
             const int* lwork, int* info);
void dgeqp3_(const int* m, const int* n, double* a, const int* lda, int* jpvt, double* tau,
             double* work, const int* lwork, int* info);
void dorgqr_(const int* m, const int* n, const int* k, double* a, const int* lda, const double* tau,
             double* work, const int* lwork, int* info);
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work,
             const int* lwork, int* info);
void dgeev_(const char* jobvl, const char* jobvr, const int* n, double* a, const int* lda,
            double* wr, double* wi, double* vl, const int* ldvl, double* vr, const int* ldvr,
            double* work, const int* lwork, int* info, std::size_t jobvl_len,
            std::size_t jobvr_len);
void dgesdd_(const char* jobz, const int* m, const int* n, double* a, const int* lda, double* s,
             double* u, const int* ldu, double* vt, const int* ldvt, double* work, const int* lwork,
             int* iwork, int* info, std::size_t jobz_len);
}

namespace {

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();  // 2^-52

int Rows(const Matrix& A) {
    return A.extent(0);
}
int Cols(const Matrix& A) {
    return A.extent(1);
}

bool HasShape(const Matrix& A, int rows, int cols) {
    return Rows(A) == rows && Cols(A) == cols;
}

// Writes a freshly computed result into an output: in place when the shapes
// agree (views of the output then see it), else the output takes the
// result's storage.
template <class T, int N>
void Store(blitz::Array<T, N>& out, const blitz::Array<T, N>& value) {
    bool same = true;
    for (int d = 0; d < N; ++d) same = same && out.extent(d) == value.extent(d);
    if (same) {
        out = value;
    } else {
        out.reference(value);
    }
}

Matrix RowMajorCopy(const Matrix& A) {
    Matrix copy(Rows(A), Cols(A));
    copy = A;
    return copy;
}

// Pointer to the elements of A in contiguous row-major order, copying into
// holder when A is a view with other strides.
const double* RowMajorData(const Matrix& A, Matrix& holder) {
    if (A.stride(1) == 1 && A.stride(0) == Cols(A)) return A.data();
    holder.reference(RowMajorCopy(A));
    return holder.data();
}

// Column-major copy of A, leading dimension rows: the form LAPACK works on.
std::vector<double> ToColumnMajor(const Matrix& A) {
    const int m = Rows(A);
    const int n = Cols(A);
    std::vector<double> w(static_cast<std::size_t>(m) * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < m; ++i) w[static_cast<std::size_t>(j) * m + i] = A(i, j);
    return w;
}

// m x n row-major matrix from a column-major array with leading dimension ld.
Matrix FromColumnMajor(const double* w, int m, int n, int ld) {
    Matrix A(m, n);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j) A(i, j) = w[static_cast<std::size_t>(j) * ld + i];
    return A;
}

// An m x n row-major matrix whose memory is the given column-major n x m
// array read in order: row j is the library's column j.
Matrix ReadColumnsAsRows(const std::vector<double>& w, int columns, int length) {
    Matrix A(columns, length);
    std::copy(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(columns) * length, A.data());
    return A;
}

void RequireFinite(const Matrix& A) {
    for (int i = 0; i < Rows(A); ++i)
        for (int j = 0; j < Cols(A); ++j)
            if (!std::isfinite(A(i, j)))
                throw QuorixError("Matrix has an entry that is not a finite number",
                                  QuorixError::kOutOfRange, A(i, j));
}

void RequireSuccess(int info, const char* what) {
    if (info != 0)
        throw QuorixError(what, info > 0 ? QuorixError::kNoConvergence : QuorixError::kUnknown,
                          info);
}

// Size LAPACK asks for in a workspace query, at least 1.
int QueriedSize(double answer) {
    if (!(answer >= 1.0)) return 1;
    if (answer >= static_cast<double>(std::numeric_limits<int>::max()))
        throw QuorixError("Matrix is too large", QuorixError::kOutOfRange, answer);
    return static_cast<int>(answer);
}

bool NormalizeOperation(char op, char& out) {
    op = static_cast<char>(std::toupper(static_cast<unsigned char>(op)));
    if (op == 'N' || op == 'T') {
        out = op;
        return true;
    }
    if (op == 'C') {  // conjugate transpose of real data
        out = 'T';
        return true;
    }
    return false;
}

// op(A) * op(B) as a fresh m x n matrix; the caller has checked the shapes.
// A row-major matrix read in column-major order is its transpose, so the
// column-major product Y^T = op(B)^T * op(A)^T is formed with the operands
// swapped and the operation characters kept.
Matrix Product(char opA, char opB, const Matrix& A, const Matrix& B, int m, int n, int k,
               double alpha = 1.0, const Matrix* accumulate = nullptr, double beta = 0.0) {
    Matrix Y(m, n);
    if (accumulate != nullptr && beta != 0.0) {
        Y = beta * (*accumulate);
    } else {
        Y = 0.0;
    }
    if (m == 0 || n == 0 || k == 0) return Y;
    Matrix holderA, holderB;
    const double* a = RowMajorData(A, holderA);
    const double* b = RowMajorData(B, holderB);
    const int lda = Cols(A);
    const int ldb = Cols(B);
    const int ldy = n;
    const double scale = 1.0;
    dgemm_(&opB, &opA, &n, &m, &k, &alpha, b, &ldb, a, &lda, &scale, Y.data(), &ldy, 1, 1);
    return Y;
}

bool QrImpl(Matrix& A, Matrix& Q, Matrix* P, int mode) {
    const int m = Rows(A);
    const int n = Cols(A);
    if (m == 0 || n == 0) return false;
    if (!(mode == 0 || mode == 1 || mode == 2)) return false;
    if (mode == 0 && m < n) return false;
    RequireFinite(A);

    const int k = std::min(m, n);
    std::vector<double> w = ToColumnMajor(A);
    std::vector<double> tau(k);
    std::vector<int> jpvt(n, 0);  // 0: every column free to move
    int info = 0;
    int lwork = -1;
    double query = 0.0;
    if (P != nullptr) {
        dgeqp3_(&m, &n, w.data(), &m, jpvt.data(), tau.data(), &query, &lwork, &info);
    } else {
        dgeqrf_(&m, &n, w.data(), &m, tau.data(), &query, &lwork, &info);
    }
    RequireSuccess(info, "QR factorization failed");
    lwork = QueriedSize(query);
    std::vector<double> work(lwork);
    if (P != nullptr) {
        dgeqp3_(&m, &n, w.data(), &m, jpvt.data(), tau.data(), work.data(), &lwork, &info);
    } else {
        dgeqrf_(&m, &n, w.data(), &m, tau.data(), work.data(), &lwork, &info);
    }
    RequireSuccess(info, "QR factorization failed");

    Matrix compact = FromColumnMajor(w.data(), m, n, m);
    Matrix pivots;
    if (P != nullptr) {
        pivots.resize(n, n);
        pivots = 0.0;
        for (int j = 0; j < n; ++j) pivots(0, j) = jpvt[j];
    }

    Matrix R, Qnew;
    if (mode != 2) {
        // Q from the Householder vectors: rows x cols (economy) or rows x rows.
        const int qcols = mode == 0 ? n : m;
        std::vector<double> q(static_cast<std::size_t>(m) * qcols, 0.0);
        std::copy(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(m) * k, q.begin());
        lwork = -1;
        dorgqr_(&m, &qcols, &k, q.data(), &m, tau.data(), &query, &lwork, &info);
        RequireSuccess(info, "QR factorization failed");
        lwork = QueriedSize(query);
        work.assign(lwork, 0.0);
        dorgqr_(&m, &qcols, &k, q.data(), &m, tau.data(), work.data(), &lwork, &info);
        RequireSuccess(info, "QR factorization failed");
        Qnew.reference(FromColumnMajor(q.data(), m, qcols, m));

        const int rrows = mode == 0 ? n : m;
        R.resize(rrows, n);
        for (int i = 0; i < rrows; ++i)
            for (int j = 0; j < n; ++j) R(i, j) = j >= i ? compact(i, j) : 0.0;
    }

    if (P != nullptr) Store(*P, pivots);
    if (mode == 2) {
        Store(A, compact);
    } else {
        Store(Q, Qnew);
        Store(A, R);
    }
    return true;
}

}  // namespace

Matrix IdentityMatrix(int n) {
    n = std::max(n, 0);
    Matrix I(n, n);
    I = 0.0;
    for (int i = 0; i < n; ++i) I(i, i) = 1.0;
    return I;
}

void SetIdentity(Matrix& M, int n) {
    Store(M, IdentityMatrix(n));
}

void OnesMatrix(Matrix& M, int r, int c) {
    Matrix ones(std::max(r, 0), std::max(c, 0));
    ones = 1.0;
    Store(M, ones);
}

void DiagMatrix(Matrix& D, const RealVector& v) {
    const int n = v.extent(0);
    Matrix diag(n, n);
    diag = 0.0;
    for (int i = 0; i < n; ++i) diag(i, i) = v(i);
    Store(D, diag);
}

void CopyMatrix(const Matrix& src, Matrix& dst) {
    dst.reference(RowMajorCopy(src));
}

void TransposeInPlace(Matrix& A) {
    Matrix T(Cols(A), Rows(A));
    T = A.transpose(blitz::secondDim, blitz::firstDim);
    A.reference(T);
}

bool MatAdd(const Matrix& A, const Matrix& B, Matrix& Y) {
    if (!HasShape(B, Rows(A), Cols(A))) return false;
    Matrix sum(Rows(A), Cols(A));
    sum = A + B;
    Y.reference(sum);
    return true;
}

bool MatSub(const Matrix& A, const Matrix& B, Matrix& Y) {
    if (!HasShape(B, Rows(A), Cols(A))) return false;
    Matrix difference(Rows(A), Cols(A));
    difference = A - B;
    Y.reference(difference);
    return true;
}

bool MatMul(const Matrix& A, const Matrix& B, Matrix& Y) {
    if (Cols(A) != Rows(B)) return false;
    Store(Y, Product('N', 'N', A, B, Rows(A), Cols(B), Cols(A)));
    return true;
}

bool MatMulOp(char opA, char opB, const Matrix& A, const Matrix& B, Matrix& Y) {
    char a = 'N';
    char b = 'N';
    if (!NormalizeOperation(opA, a) || !NormalizeOperation(opB, b)) return false;
    const int m = a == 'N' ? Rows(A) : Cols(A);
    const int innerA = a == 'N' ? Cols(A) : Rows(A);
    const int k = b == 'N' ? Rows(B) : Cols(B);
    const int n = b == 'N' ? Cols(B) : Rows(B);
    if (k != innerA) return false;
    Store(Y, Product(a, b, A, B, m, n, k));
    return true;
}

bool GemmInto(double alpha, const Matrix& A, const Matrix& B, double beta, Matrix& Y) {
    if (Cols(A) != Rows(B) || !HasShape(Y, Rows(A), Cols(B))) return false;
    Store(Y, Product('N', 'N', A, B, Rows(A), Cols(B), Cols(A), alpha, &Y, beta));
    return true;
}

double Trace(const Matrix& A) {
    if (Rows(A) != Cols(A)) return 0.0;
    double sum = 0.0;
    for (int i = 0; i < Rows(A); ++i) sum += A(i, i);
    return sum;
}

bool QRDecompose(Matrix& A, Matrix& Q, int mode) {
    return QrImpl(A, Q, nullptr, mode);
}

bool QRPivoted(Matrix& A, Matrix& Q, Matrix& P, int mode) {
    return QrImpl(A, Q, &P, mode);
}

bool InvertMatrix(Matrix& A) {
    const int n = Rows(A);
    if (Cols(A) != n) return false;
    if (n == 0) return true;
    RequireFinite(A);
    std::vector<double> w = ToColumnMajor(A);
    std::vector<int> pivots(n);
    int info = 0;
    dgetrf_(&n, &n, w.data(), &n, pivots.data(), &info);
    if (info > 0) throw QuorixError("Matrix is singular", QuorixError::kOutOfRange, info);
    RequireSuccess(info, "Matrix inversion failed");
    int lwork = -1;
    double query = 0.0;
    dgetri_(&n, w.data(), &n, pivots.data(), &query, &lwork, &info);
    RequireSuccess(info, "Matrix inversion failed");
    lwork = QueriedSize(query);
    std::vector<double> work(lwork);
    dgetri_(&n, w.data(), &n, pivots.data(), work.data(), &lwork, &info);
    if (info > 0) throw QuorixError("Matrix is singular", QuorixError::kOutOfRange, info);
    RequireSuccess(info, "Matrix inversion failed");
    Store(A, FromColumnMajor(w.data(), n, n, n));
    return true;
}

bool EigenValues(char jobvl, char jobvr, const Matrix& A, ComplexVector& w, Matrix& VL,
                 Matrix& VR) {
    const char left = static_cast<char>(std::toupper(static_cast<unsigned char>(jobvl)));
    const char right = static_cast<char>(std::toupper(static_cast<unsigned char>(jobvr)));
    if ((left != 'V' && left != 'N') || (right != 'V' && right != 'N')) return false;
    const int n = Rows(A);
    if (n == 0 || Cols(A) != n) return false;
    RequireFinite(A);

    std::vector<double> a = ToColumnMajor(A);
    std::vector<double> wr(n), wi(n);
    const int ldvl = left == 'V' ? n : 1;
    const int ldvr = right == 'V' ? n : 1;
    std::vector<double> vl(static_cast<std::size_t>(ldvl) * (left == 'V' ? n : 1));
    std::vector<double> vr(static_cast<std::size_t>(ldvr) * (right == 'V' ? n : 1));
    int info = 0;
    int lwork = -1;
    double query = 0.0;
    dgeev_(&left, &right, &n, a.data(), &n, wr.data(), wi.data(), vl.data(), &ldvl, vr.data(),
           &ldvr, &query, &lwork, &info, 1, 1);
    RequireSuccess(info, "Eigenvalue computation failed");
    lwork = QueriedSize(query);
    std::vector<double> work(lwork);
    dgeev_(&left, &right, &n, a.data(), &n, wr.data(), wi.data(), vl.data(), &ldvl, vr.data(),
           &ldvr, work.data(), &lwork, &info, 1, 1);
    if (info > 0)
        throw QuorixError("Eigenvalue computation did not converge", QuorixError::kNoConvergence,
                          info);
    RequireSuccess(info, "Eigenvalue computation failed");

    ComplexVector values(n);
    for (int i = 0; i < n; ++i) values(i) = std::complex<double>(wr[i], wi[i]);
    Store(w, values);
    if (left == 'V') Store(VL, ReadColumnsAsRows(vl, n, n));
    if (right == 'V') Store(VR, ReadColumnsAsRows(vr, n, n));
    return true;
}

bool UnpackEigenvectors(const ComplexVector& w, Matrix& VR, ComplexMatrix& Z) {
    const int n = Rows(VR);
    if (w.extent(0) != n || Cols(VR) != n) return false;
    for (int j = 0; j < n; ++j) {
        if (w(j).imag() == 0.0) continue;
        if (j + 1 >= n) return false;
        ++j;  // the partner of a complex eigenvalue
    }
    TransposeInPlace(VR);
    ComplexMatrix vectors(n, n);
    for (int j = 0; j < n;) {
        if (w(j).imag() == 0.0) {
            for (int i = 0; i < n; ++i) vectors(i, j) = std::complex<double>(VR(i, j), 0.0);
            j += 1;
        } else {
            for (int i = 0; i < n; ++i) {
                vectors(i, j) = std::complex<double>(VR(i, j), VR(i, j + 1));
                vectors(i, j + 1) = std::complex<double>(VR(i, j), -VR(i, j + 1));
            }
            j += 2;
        }
    }
    Store(Z, vectors);
    return true;
}

bool SvdDecompose(char jobz, const Matrix& A, RealVector& s, Matrix& U, Matrix& VT) {
    const char job = static_cast<char>(std::toupper(static_cast<unsigned char>(jobz)));
    if (job != 'A' && job != 'N') return false;
    const int m = Rows(A);
    const int n = Cols(A);
    if (m == 0 || n == 0) return false;
    RequireFinite(A);

    const int mn = std::min(m, n);
    std::vector<double> a = ToColumnMajor(A);
    std::vector<double> values(mn);
    const bool vectors = job == 'A';
    const int ldu = vectors ? m : 1;
    const int ldvt = vectors ? n : 1;
    std::vector<double> u(vectors ? static_cast<std::size_t>(m) * m : 1);
    std::vector<double> vt(vectors ? static_cast<std::size_t>(n) * n : 1);
    std::vector<int> iwork(8 * static_cast<std::size_t>(mn));
    int info = 0;
    int lwork = -1;
    double query = 0.0;
    dgesdd_(&job, &m, &n, a.data(), &m, values.data(), u.data(), &ldu, vt.data(), &ldvt, &query,
            &lwork, iwork.data(), &info, 1);
    RequireSuccess(info, "Singular value decomposition failed");
    lwork = QueriedSize(query);
    std::vector<double> work(lwork);
    dgesdd_(&job, &m, &n, a.data(), &m, values.data(), u.data(), &ldu, vt.data(), &ldvt,
            work.data(), &lwork, iwork.data(), &info, 1);
    if (info > 0)
        throw QuorixError("Singular value decomposition did not converge",
                          QuorixError::kNoConvergence, info);
    RequireSuccess(info, "Singular value decomposition failed");

    RealVector singular(mn);
    std::copy(values.begin(), values.end(), singular.data());
    Store(s, singular);
    if (vectors) {
        Store(U, ReadColumnsAsRows(u, m, m));    // holds U^T
        Store(VT, ReadColumnsAsRows(vt, n, n));  // holds V
    }
    return true;
}

bool SvdFull(const Matrix& A, RealVector& s, Matrix& U, Matrix& V) {
    RealVector values;
    Matrix left, right;
    if (!SvdDecompose('A', A, values, left, right)) return false;
    TransposeInPlace(left);
    Store(s, values);
    Store(U, left);
    Store(V, right);
    return true;
}

int MatrixRank(const Matrix& A, double tol) {
    RealVector s;
    Matrix unusedU, unusedVT;
    if (!SvdDecompose('N', A, s, unusedU, unusedVT)) return 0;
    int rank = 0;
    while (rank < s.extent(0) && !(s(rank) < tol)) ++rank;
    return rank;
}

void PseudoInverse(const Matrix& A, Matrix& P) {
    RealVector unused;
    PseudoInverse(A, P, unused);
}

void PseudoInverse(const Matrix& A, Matrix& P, RealVector& s) {
    const int m = Rows(A);
    const int n = Cols(A);
    Matrix U, V;
    if (!SvdFull(A, s, U, V)) {  // empty A: its pseudo-inverse is empty too
        Store(P, Matrix(n, m));
        s.resize(0);
        return;
    }
    const double cutoff = std::max(m, n) * kEpsilon * s(0);
    int r = 0;
    while (r < s.extent(0) && s(r) > cutoff) ++r;
    // P = V_r * S_r^-1 * U_r^T over the r singular values kept.
    Matrix scaledV(n, r), leadingU(m, r);
    for (int j = 0; j < r; ++j) {
        for (int i = 0; i < n; ++i) scaledV(i, j) = V(i, j) / s(j);
        for (int i = 0; i < m; ++i) leadingU(i, j) = U(i, j);
    }
    Store(P, Product('N', 'T', scaledV, leadingU, n, m, r));
}

bool SdCorrToCovariance(Matrix& M) {
    const int n = Rows(M);
    if (Cols(M) != n) return false;
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            const double v = M(i, j) * M(i, i) * M(j, j);
            M(i, j) = v;
            M(j, i) = v;
        }
    }
    for (int i = 0; i < n; ++i) M(i, i) *= M(i, i);
    return true;
}

bool CovarianceToSdCorr(Matrix& M) {
    const int n = Rows(M);
    if (Cols(M) != n) return false;
    Matrix C = RowMajorCopy(M);
    for (int i = 0; i < n; ++i) {
        if (!(C(i, i) > 0.0)) return false;
        C(i, i) = std::sqrt(C(i, i));
    }
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            const double r = C(i, j) / C(i, i) / C(j, j);
            if (!(-1.0 <= r && r <= 1.0)) return false;
            C(i, j) = r;
            C(j, i) = r;
        }
    }
    M = C;
    return true;
}
