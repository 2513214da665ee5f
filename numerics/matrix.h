#pragma once

// Dense matrix algebra on Blitz++ arrays, with LAPACK and BLAS doing the
// heavy work.
//
// Layout rules every caller may rely on:
//   * A Matrix is blitz::Array<double,2> with the default storage: row-major
//     (the second index varies fastest), both dimensions ascending, base 0.
//     rows = extent(0), cols = extent(1).
//   * Every function that writes a matrix or vector shapes it itself. When
//     the output already has the result's shape it keeps its storage and the
//     values are written into it (so views of it see the result); otherwise
//     it is given new storage. Outputs may be the same arrays as inputs:
//     every input is read completely before any output is written.
//   * Inputs need not be contiguous (views and transposed views are fine);
//     they are copied where LAPACK or BLAS need contiguous storage.
//   * A bool result reports a shape or argument check and nothing else; on
//     false every argument is left untouched. Numerical failures (a singular
//     matrix to invert, an iteration inside LAPACK that did not converge, a
//     factorization of a matrix with NaN or infinite entries) throw
//     QuorixError after the library call has returned.
//   * Operation characters ('N', 'T', 'C', 'V', 'A') are accepted in either
//     case and handed to the libraries upper-cased.

#include <blitz/array.h>

#include <complex>

using Matrix = blitz::Array<double, 2>;
using RealVector = blitz::Array<double, 1>;
using ComplexVector = blitz::Array<std::complex<double>, 1>;
using ComplexMatrix = blitz::Array<std::complex<double>, 2>;

// n x n identity.
Matrix IdentityMatrix(int n);
// M becomes the n x n identity.
void SetIdentity(Matrix& M, int n);
// M becomes r x c, every element 1.0.
void OnesMatrix(Matrix& M, int r, int c);
// D becomes n x n (n = length of v) with v on the diagonal, 0.0 elsewhere.
void DiagMatrix(Matrix& D, const RealVector& v);
// dst always receives new row-major storage holding src's values.
void CopyMatrix(const Matrix& src, Matrix& dst);
// A is replaced by its transpose (new storage).
void TransposeInPlace(Matrix& A);

// Y = A + B and Y = A - B; false when A and B differ in shape. Y always
// receives new storage.
bool MatAdd(const Matrix& A, const Matrix& B, Matrix& Y);
bool MatSub(const Matrix& A, const Matrix& B, Matrix& Y);

// Y = A * B; false when A.cols != B.rows.
bool MatMul(const Matrix& A, const Matrix& B, Matrix& Y);
// Y = op(A) * op(B) with op 'N' (as is), 'T' or 'C' (transposed; the data
// are real); false for any other character or mismatched inner dimensions.
bool MatMulOp(char opA, char opB, const Matrix& A, const Matrix& B, Matrix& Y);
// Y = alpha * A * B + beta * Y; false unless A.cols == B.rows and Y is
// already A.rows x B.cols. As in BLAS, beta == 0 ignores Y's old values.
bool GemmInto(double alpha, const Matrix& A, const Matrix& B, double beta, Matrix& Y);

// Sum of the diagonal of a square matrix; 0.0 for a matrix that is not
// square.
double Trace(const Matrix& A);

// Householder QR factorization, A = Q * R.
//   mode 0 (economy, needs rows >= cols): A becomes the cols x cols upper
//          triangular R, Q the rows x cols matrix with orthonormal columns.
//   mode 1 (full): A becomes the rows x cols upper trapezoidal R, Q the
//          rows x rows orthogonal matrix.
//   mode 2 (compact): A holds R on and above its diagonal and the Householder
//          vectors below it; Q is not touched. Enough to read R's diagonal
//          without forming Q.
// False for an empty A, an unknown mode, or mode 0 with rows < cols.
bool QRDecompose(Matrix& A, Matrix& Q, int mode);
// The same with column pivoting: A * Pi = Q * R with |R(i,i)| decreasing.
// P becomes cols x cols, all 0.0 except row 0: P(0, j) is the 1-based index
// (as a double) of the input column moved to position j.
bool QRPivoted(Matrix& A, Matrix& Q, Matrix& P, int mode);

// A is replaced by its inverse (LU factorization). False, A unchanged, when A
// is not square. Throws QuorixError ("Matrix is singular", code 4) and leaves
// A unchanged when A is exactly singular.
bool InvertMatrix(Matrix& A);

// Eigenvalues of a general real square matrix (A itself is not changed).
// jobvl / jobvr: 'V' computes left / right eigenvectors, 'N' does not.
// w receives the n eigenvalues; a complex conjugate pair appears as two
// consecutive entries, the one with positive imaginary part first.
// Eigenvector layout (one vector per ROW): for a real eigenvalue w(j), row j
// of VR is its eigenvector; for a pair w(j), w(j+1) = a +- bi, rows j and
// j+1 hold the real and imaginary parts u and v of the eigenvector u + iv of
// w(j) (u - iv belongs to w(j+1)). Vectors have Euclidean norm 1 with the
// largest component real. VL likewise, for the left eigenvectors
// (u^H A = w u^H). A matrix not asked for is left untouched.
// False for an empty or non-square A or a job character other than V / N.
bool EigenValues(char jobvl, char jobvr, const Matrix& A, ComplexVector& w, Matrix& VL, Matrix& VR);
// Turns the rows of VR written by EigenValues into complex eigenvectors, one
// per COLUMN of Z: Z(:, j) belongs to w(j). VR is transposed in place on the
// way (it is left holding the vectors in its columns). False, nothing
// touched, when the length of w differs from VR.rows, VR is not square, or a
// complex eigenvalue is not followed by its partner.
bool UnpackEigenvectors(const ComplexVector& w, Matrix& VR, ComplexMatrix& Z);

// Raw singular value decomposition A = U * diag(s) * V^T in the library's
// layout (A is not changed). s receives the min(rows, cols) singular values,
// descending. jobz 'A': U becomes rows x rows holding U^T (left singular vectors
// in its ROWS) and VT becomes cols x cols holding V (right singular vectors
// in its COLUMNS). jobz 'N': singular values only, U and VT untouched.
// False for an empty A or another jobz.
bool SvdDecompose(char jobz, const Matrix& A, RealVector& s, Matrix& U, Matrix& VT);
// A = U * diag(s) * V^T with U rows x rows holding the left singular vectors
// in its COLUMNS and V cols x cols holding the right singular vectors in its
// COLUMNS (V, not V^T). False for an empty A.
bool SvdFull(const Matrix& A, RealVector& s, Matrix& U, Matrix& V);
// Number of leading singular values not below tol (0 for an empty A).
int MatrixRank(const Matrix& A, double tol);
// P (cols x rows) = Moore-Penrose pseudo-inverse V * S+ * U^T. Singular
// values at or below max(rows, cols) * 2^-52 * largest singular value count
// as zero, so a rank-deficient A gives a finite P with A * P * A = A.
void PseudoInverse(const Matrix& A, Matrix& P);
// The same, with A's singular values, largest first, in `s`.
void PseudoInverse(const Matrix& A, Matrix& P, RealVector& s);

// M holds standard deviations on its diagonal and correlations in its lower
// triangle (the upper triangle is ignored); it is converted in place to the
// full symmetric covariance matrix. False when M is not square.
bool SdCorrToCovariance(Matrix& M);
// The reverse, reading the lower triangle of a covariance matrix: the
// diagonal becomes standard deviations, both triangles correlations. False,
// and M unchanged, when M is not square, a variance is not > 0 or a
// correlation lies outside [-1, 1].
bool CovarianceToSdCorr(Matrix& M);
