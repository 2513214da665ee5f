#include "numerics/matrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "numerics/quorix_error.h"

namespace {

constexpr double kTol = 1e-12;

Matrix Make(int rows, int cols, std::initializer_list<double> values) {
    Matrix M(rows, cols);
    auto it = values.begin();
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) M(i, j) = *it++;
    return M;
}

Matrix Random(int rows, int cols, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    Matrix M(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) M(i, j) = uniform(engine);
    return M;
}

// Straightforward triple loop, the reference for the BLAS products.
Matrix Naive(const Matrix& A, const Matrix& B) {
    Matrix Y(A.extent(0), B.extent(1));
    for (int i = 0; i < A.extent(0); ++i)
        for (int j = 0; j < B.extent(1); ++j) {
            double sum = 0.0;
            for (int k = 0; k < A.extent(1); ++k) sum += A(i, k) * B(k, j);
            Y(i, j) = sum;
        }
    return Y;
}

Matrix Transposed(const Matrix& A) {
    Matrix T(A.extent(1), A.extent(0));
    T = A.transpose(blitz::secondDim, blitz::firstDim);
    return T;
}

// Largest absolute difference; infinite when the shapes differ.
double MaxDiff(const Matrix& A, const Matrix& B) {
    if (A.extent(0) != B.extent(0) || A.extent(1) != B.extent(1))
        return std::numeric_limits<double>::infinity();
    double worst = 0.0;
    for (int i = 0; i < A.extent(0); ++i)
        for (int j = 0; j < A.extent(1); ++j) worst = std::max(worst, std::fabs(A(i, j) - B(i, j)));
    return worst;
}

double MaxDiffFromIdentity(const Matrix& A) {
    return MaxDiff(A, IdentityMatrix(A.extent(0)));
}

bool SameValues(const Matrix& A, const Matrix& B) {
    return MaxDiff(A, B) == 0.0;
}

}  // namespace

TEST(MatrixBuild, ShapesValuesAndStorage) {
    Matrix M(3, 3);
    M = 7.0;
    Matrix view = M;  // shares storage
    SetIdentity(M, 3);
    EXPECT_TRUE(SameValues(view, IdentityMatrix(3))) << "same shape keeps the storage";
    SetIdentity(M, 2);
    EXPECT_TRUE(SameValues(M, IdentityMatrix(2)));
    EXPECT_EQ(view(0, 2), 0.0) << "a new shape leaves the old storage alone";

    OnesMatrix(M, 2, 4);
    EXPECT_TRUE(SameValues(M, Make(2, 4, {1, 1, 1, 1, 1, 1, 1, 1})));

    RealVector v(3);
    v = 1.5, -2.0, 4.0;
    Matrix D;
    DiagMatrix(D, v);
    EXPECT_TRUE(SameValues(D, Make(3, 3, {1.5, 0, 0, 0, -2, 0, 0, 0, 4})));

    Matrix copy;
    CopyMatrix(D, copy);
    copy(0, 0) = 99.0;
    EXPECT_EQ(D(0, 0), 1.5) << "a copy owns its storage";

    Matrix A = Make(2, 3, {1, 2, 3, 4, 5, 6});
    TransposeInPlace(A);
    EXPECT_TRUE(SameValues(A, Make(3, 2, {1, 4, 2, 5, 3, 6})));

    Matrix S;
    EXPECT_TRUE(MatAdd(Make(1, 2, {1, 2}), Make(1, 2, {10, 20}), S));
    EXPECT_TRUE(SameValues(S, Make(1, 2, {11, 22})));
    EXPECT_TRUE(MatSub(Make(1, 2, {1, 2}), Make(1, 2, {10, 20}), S));
    EXPECT_TRUE(SameValues(S, Make(1, 2, {-9, -18})));
    EXPECT_FALSE(MatAdd(Make(1, 2, {1, 2}), Make(2, 1, {1, 2}), S));
    EXPECT_TRUE(SameValues(S, Make(1, 2, {-9, -18})));
}

TEST(MatrixProduct, AgreesWithTripleLoopForEveryOperation) {
    const Matrix A = Random(4, 3, 1);
    const Matrix B = Random(3, 5, 2);
    Matrix Y;
    ASSERT_TRUE(MatMul(A, B, Y));
    EXPECT_LT(MaxDiff(Y, Naive(A, B)), kTol);

    struct Case {
        char opA, opB;
        Matrix a, b;
    };
    const Case cases[] = {
        {'N', 'N', A, B},
        {'t', 'N', Transposed(A), B},
        {'N', 'T', A, Transposed(B)},
        {'T', 't', Transposed(A), Transposed(B)},
        {'c', 'C', Transposed(A), Transposed(B)},
        // transposed views instead of contiguous copies
        {'N', 'N', Transposed(A).transpose(blitz::secondDim, blitz::firstDim), B},
    };
    for (const Case& c : cases) {
        Matrix out;
        ASSERT_TRUE(MatMulOp(c.opA, c.opB, c.a, c.b, out)) << c.opA << c.opB;
        EXPECT_LT(MaxDiff(out, Naive(A, B)), kTol) << c.opA << c.opB;
    }

    // A * A^T with the same matrix as both operands.
    Matrix gram;
    ASSERT_TRUE(MatMulOp('N', 'T', A, A, gram));
    EXPECT_LT(MaxDiff(gram, Naive(A, Transposed(A))), kTol);

    // The output may be one of the operands.
    Matrix C = Random(3, 3, 3);
    const Matrix expected = Naive(C, C);
    ASSERT_TRUE(MatMul(C, C, C));
    EXPECT_LT(MaxDiff(C, expected), kTol);

    // An empty inner dimension gives zeros without calling BLAS.
    Matrix empty(0, 2), wide(2, 0), zeros;
    ASSERT_TRUE(MatMul(wide, empty, zeros));
    EXPECT_TRUE(SameValues(zeros, Make(2, 2, {0, 0, 0, 0})));
}

TEST(MatrixProduct, RejectsBadOperationsAndShapesWithoutTouchingTheOutput) {
    const Matrix A = Random(4, 3, 4);
    Matrix Y = Make(1, 1, {42});
    EXPECT_FALSE(MatMulOp('X', 'N', A, A, Y));
    EXPECT_FALSE(MatMulOp('N', 'N', A, A, Y));  // 4x3 times 4x3
    EXPECT_FALSE(MatMul(A, A, Y));
    EXPECT_TRUE(SameValues(Y, Make(1, 1, {42})));
}

TEST(MatrixProduct, GemmIntoAccumulates) {
    const Matrix A = Random(2, 3, 5);
    const Matrix B = Random(3, 2, 6);
    Matrix Y = Make(2, 2, {1, 2, 3, 4});
    ASSERT_TRUE(GemmInto(2.0, A, B, -0.5, Y));
    Matrix expected(2, 2);
    expected = 2.0 * Naive(A, B) - 0.5 * Make(2, 2, {1, 2, 3, 4});
    EXPECT_LT(MaxDiff(Y, expected), kTol);

    // beta = 0 ignores old values, NaN included, as in BLAS.
    Y = std::numeric_limits<double>::quiet_NaN();
    ASSERT_TRUE(GemmInto(1.0, A, B, 0.0, Y));
    EXPECT_LT(MaxDiff(Y, Naive(A, B)), kTol);

    Matrix wrong(3, 3);
    EXPECT_FALSE(GemmInto(1.0, A, B, 0.0, wrong));
}

TEST(MatrixTrace, SumsTheDiagonalOfASquareMatrix) {
    EXPECT_EQ(Trace(Make(2, 3, {1, 2, 3, 4, 5, 6})), 0.0);
    EXPECT_EQ(Trace(Make(2, 2, {-2, 7, 7, 3})), 1.0);
    EXPECT_EQ(Trace(IdentityMatrix(5)), 5.0);
}

TEST(MatrixQr, FactorsReproduceTheMatrix) {
    struct Case {
        std::string what;
        Matrix A;
    };
    const Case cases[] = {
        {"random 5x3", Random(5, 3, 7)},
        {"random 4x4", Random(4, 4, 8)},
        {"hand-made 3x2", Make(3, 2, {1, 2, 3, 4, 5, 6})},
        {"rank-deficient 4x3", Make(4, 3, {1, 2, 3, 2, 4, 6, 1, 0, 1, 3, 1, 4})},
        {"1x1", Make(1, 1, {-3})},
        {"wide 2x4 (full mode only)", Random(2, 4, 9)},
    };
    for (const Case& c : cases) {
        const int m = c.A.extent(0);
        const int n = c.A.extent(1);
        for (int mode : {0, 1}) {
            Matrix R = c.A.copy();
            Matrix Q;
            const bool ok = QRDecompose(R, Q, mode);
            if (mode == 0 && m < n) {
                EXPECT_FALSE(ok) << c.what;
                EXPECT_TRUE(SameValues(R, c.A)) << c.what;
                continue;
            }
            ASSERT_TRUE(ok) << c.what << " mode " << mode;
            const int qcols = mode == 0 ? n : m;
            EXPECT_EQ(Q.extent(0), m);
            EXPECT_EQ(Q.extent(1), qcols);
            EXPECT_EQ(R.extent(0), qcols);
            EXPECT_EQ(R.extent(1), n);
            for (int i = 0; i < R.extent(0); ++i)
                for (int j = 0; j < std::min(i, n); ++j) EXPECT_EQ(R(i, j), 0.0) << c.what;
            Matrix QtQ;
            ASSERT_TRUE(MatMulOp('T', 'N', Q, Q, QtQ));
            EXPECT_LT(MaxDiffFromIdentity(QtQ), kTol) << c.what << " mode " << mode;
            EXPECT_LT(MaxDiff(Naive(Q, R), c.A), kTol) << c.what << " mode " << mode;
        }
    }
}

TEST(MatrixQr, CompactModeAndArgumentChecks) {
    const Matrix A = Random(4, 3, 10);
    Matrix R = A.copy(), Q;
    ASSERT_TRUE(QRDecompose(R, Q, 0));
    Matrix compact = A.copy();
    Matrix untouched = Make(1, 1, {5});
    ASSERT_TRUE(QRDecompose(compact, untouched, 2));
    EXPECT_TRUE(SameValues(untouched, Make(1, 1, {5})));
    for (int i = 0; i < 3; ++i)
        for (int j = i; j < 3; ++j) EXPECT_NEAR(compact(i, j), R(i, j), kTol);

    Matrix B = A.copy();
    EXPECT_FALSE(QRDecompose(B, Q, 3));
    Matrix empty;
    EXPECT_FALSE(QRDecompose(empty, Q, 1));
    EXPECT_TRUE(SameValues(B, A));

    Matrix bad = A.copy();
    bad(1, 1) = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(QRDecompose(bad, Q, 0), QuorixError);
}

TEST(MatrixQr, PivotingMovesTheLargestColumnFirst) {
    const Matrix A = Make(4, 3, {1, 0, 10, 0, 1, -9, 1, 1, 8, 0, 1, 12});
    for (int mode : {0, 1}) {
        Matrix R = A.copy(), Q, P;
        ASSERT_TRUE(QRPivoted(R, Q, P, mode));
        ASSERT_EQ(P.extent(0), 3);
        ASSERT_EQ(P.extent(1), 3);
        EXPECT_EQ(P(0, 0), 3.0);
        // A with its columns permuted equals Q R.
        Matrix permuted(4, 3);
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 4; ++i) permuted(i, j) = A(i, static_cast<int>(P(0, j)) - 1);
        EXPECT_LT(MaxDiff(Naive(Q, R), permuted), kTol);
        EXPECT_GE(std::fabs(R(0, 0)), std::fabs(R(1, 1)));
        EXPECT_GE(std::fabs(R(1, 1)), std::fabs(R(2, 2)));
    }
}

TEST(MatrixInverse, ProductWithTheInverseIsTheIdentity) {
    const Matrix cases[] = {
        Random(4, 4, 11),
        Make(3, 3, {2, -1, 0, -1, 2, -1, 0, -1, 2}),
        Make(2, 2, {0, 1, 1, 0}),  // needs pivoting
        Make(1, 1, {-4}),
    };
    for (const Matrix& A : cases) {
        Matrix inverse = A.copy();
        ASSERT_TRUE(InvertMatrix(inverse));
        EXPECT_LT(MaxDiffFromIdentity(Naive(A, inverse)), 1e-12);
        EXPECT_LT(MaxDiffFromIdentity(Naive(inverse, A)), 1e-12);
    }
    Matrix tridiagonal = Make(3, 3, {2, -1, 0, -1, 2, -1, 0, -1, 2});
    ASSERT_TRUE(InvertMatrix(tridiagonal));
    EXPECT_LT(MaxDiff(tridiagonal, Make(3, 3, {0.75, 0.5, 0.25, 0.5, 1, 0.5, 0.25, 0.5, 0.75})),
              kTol);
}

TEST(MatrixInverse, SingularAndNonSquareMatricesAreLeftUnchanged) {
    const Matrix singular = Make(3, 3, {1, 2, 3, 2, 4, 6, 1, 0, 1});
    Matrix A = singular.copy();
    try {
        InvertMatrix(A);
        ADD_FAILURE() << "a singular matrix must be reported";
    } catch (const QuorixError& e) {
        EXPECT_STREQ(e.what(), "Matrix is singular");
        EXPECT_EQ(e.GetCode(), QuorixError::kOutOfRange);
    }
    EXPECT_TRUE(SameValues(A, singular));

    Matrix wide = Make(2, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_FALSE(InvertMatrix(wide));
    EXPECT_TRUE(SameValues(wide, Make(2, 3, {1, 2, 3, 4, 5, 6})));
}

TEST(MatrixEigen, ComplexPairAndEigenvectors) {
    // Eigenvalues 1 +- 2i and 3, hidden by a similarity transform.
    const Matrix block = Make(3, 3, {1, 2, 0, -2, 1, 0, 0, 0, 3});
    const Matrix S = Make(3, 3, {1, 1, 0, 0, 1, 1, 1, 0, 2});
    Matrix Sinv = S.copy();
    ASSERT_TRUE(InvertMatrix(Sinv));
    const Matrix A = Naive(Naive(S, block), Sinv);
    const Matrix original = A.copy();

    ComplexVector w;
    Matrix VL, VR;
    ASSERT_TRUE(EigenValues('v', 'V', A, w, VL, VR));
    EXPECT_TRUE(SameValues(A, original));
    ASSERT_EQ(w.extent(0), 3);
    std::vector<std::complex<double>> values(w.begin(), w.end());
    std::sort(values.begin(), values.end(), [](auto a, auto b) {
        return a.real() != b.real() ? a.real() < b.real() : a.imag() < b.imag();
    });
    EXPECT_NEAR(values[0].real(), 1.0, 1e-12);
    EXPECT_NEAR(values[0].imag(), -2.0, 1e-12);
    EXPECT_NEAR(values[1].imag(), 2.0, 1e-12);
    EXPECT_NEAR(values[2].real(), 3.0, 1e-12);
    EXPECT_EQ(values[2].imag(), 0.0);

    ComplexMatrix Zr, Zl;
    ASSERT_TRUE(UnpackEigenvectors(w, VR, Zr));
    ASSERT_TRUE(UnpackEigenvectors(w, VL, Zl));
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            std::complex<double> right = 0.0, left = 0.0;
            for (int k = 0; k < 3; ++k) {
                right += A(i, k) * Zr(k, j);
                left += std::conj(Zl(k, j)) * A(k, i);
            }
            EXPECT_LT(std::abs(right - w(j) * Zr(i, j)), 1e-12) << "right, column " << j;
            EXPECT_LT(std::abs(left - w(j) * std::conj(Zl(i, j))), 1e-12) << "left, column " << j;
        }
    }
    // A conjugate pair gives conjugate columns; the real eigenvalue a real one.
    for (int j = 0; j < 3; ++j) {
        if (w(j).imag() > 0.0) {
            for (int i = 0; i < 3; ++i) EXPECT_EQ(Zr(i, j + 1), std::conj(Zr(i, j)));
        } else if (w(j).imag() == 0.0) {
            for (int i = 0; i < 3; ++i) EXPECT_EQ(Zr(i, j).imag(), 0.0);
        }
    }
}

TEST(MatrixEigen, RowsOfVrAreEigenvectorsOfRealEigenvalues) {
    // Symmetric, so every eigenvalue is real: each row of VR is a vector.
    const Matrix A = Make(3, 3, {4, 1, 0, 1, 3, 1, 0, 1, 2});
    ComplexVector w;
    Matrix VL, VR = Make(1, 1, {-1});
    ASSERT_TRUE(EigenValues('N', 'v', A, w, VL, VR));
    EXPECT_EQ(VL.extent(0), 0) << "left vectors not asked for";
    double sum = 0.0;
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(w(j).imag(), 0.0);
        sum += w(j).real();
        for (int i = 0; i < 3; ++i) {
            double Av = 0.0;
            for (int k = 0; k < 3; ++k) Av += A(i, k) * VR(j, k);
            EXPECT_NEAR(Av, w(j).real() * VR(j, i), 1e-12);
        }
    }
    EXPECT_NEAR(sum, Trace(A), 1e-12);
}

TEST(MatrixEigen, RejectsBadArguments) {
    ComplexVector w;
    Matrix VL, VR;
    EXPECT_FALSE(EigenValues('N', 'N', Random(2, 3, 12), w, VL, VR));
    EXPECT_FALSE(EigenValues('X', 'N', Random(2, 2, 12), w, VL, VR));
    EXPECT_FALSE(EigenValues('N', 'N', Matrix(), w, VL, VR));
    EXPECT_EQ(w.extent(0), 0);

    ComplexVector three(3);
    three = std::complex<double>(1, 0), std::complex<double>(2, 3), std::complex<double>(2, -3);
    Matrix V = Random(2, 2, 13);
    ComplexMatrix Z;
    EXPECT_FALSE(UnpackEigenvectors(three, V, Z));
    ComplexVector unpaired(2);
    unpaired = std::complex<double>(1, 0), std::complex<double>(2, 3);
    EXPECT_FALSE(UnpackEigenvectors(unpaired, V, Z));
    EXPECT_TRUE(SameValues(V, Random(2, 2, 13)));
}

TEST(MatrixSvd, FactorsReproduceTheMatrix) {
    const Matrix cases[] = {
        Random(4, 3, 14), Random(3, 5, 15), Random(1, 4, 16),
        Make(3, 3, {1, 2, 3, 2, 4, 6, 1, 0, 1}),  // rank 2
    };
    for (const Matrix& A : cases) {
        const int m = A.extent(0);
        const int n = A.extent(1);
        RealVector s;
        Matrix U, V;
        ASSERT_TRUE(SvdFull(A, s, U, V));
        ASSERT_EQ(s.extent(0), std::min(m, n));
        for (int i = 1; i < s.extent(0); ++i) EXPECT_GE(s(i - 1), s(i));
        Matrix Sigma(m, n);
        Sigma = 0.0;
        for (int i = 0; i < s.extent(0); ++i) Sigma(i, i) = s(i);
        EXPECT_LT(MaxDiff(Naive(Naive(U, Sigma), Transposed(V)), A), 1e-12);
        Matrix UtU, VtV;
        ASSERT_TRUE(MatMulOp('T', 'N', U, U, UtU));
        ASSERT_TRUE(MatMulOp('T', 'N', V, V, VtV));
        EXPECT_LT(MaxDiffFromIdentity(UtU), 1e-12);
        EXPECT_LT(MaxDiffFromIdentity(VtV), 1e-12);

        // The raw form: U^T in the first matrix, V in the second.
        RealVector raw;
        Matrix Ut, VT;
        ASSERT_TRUE(SvdDecompose('a', A, raw, Ut, VT));
        EXPECT_TRUE(SameValues(Ut, Transposed(U)));
        EXPECT_TRUE(SameValues(VT, V));
    }
    RealVector s;
    Matrix U = Make(1, 1, {8}), VT;
    EXPECT_TRUE(SvdDecompose('N', Random(3, 2, 17), s, U, VT));
    EXPECT_TRUE(SameValues(U, Make(1, 1, {8})));
    EXPECT_FALSE(SvdDecompose('S', Random(3, 2, 17), s, U, VT));
}

TEST(MatrixSvd, RankCountsSingularValuesNotBelowTheTolerance) {
    // U diag(5, 1e-3, 0) V^T with orthogonal U and V.
    RealVector s;
    Matrix U, V;
    ASSERT_TRUE(SvdFull(Random(3, 3, 18), s, U, V));
    Matrix Sigma = Make(3, 3, {5, 0, 0, 0, 1e-3, 0, 0, 0, 0});
    const Matrix A = Naive(Naive(U, Sigma), Transposed(V));
    EXPECT_EQ(MatrixRank(A, 1e-2), 1);
    EXPECT_EQ(MatrixRank(A, 1e-6), 2);
    // Third column the sum of the first two.
    EXPECT_EQ(MatrixRank(Make(4, 3, {1, 2, 3, 0, 1, 1, 2, -1, 1, 5, 5, 10}), 1e-10), 2);
    EXPECT_EQ(MatrixRank(Random(5, 3, 19), 1e-10), 3);
    EXPECT_EQ(MatrixRank(Matrix(), 1e-10), 0);
}

TEST(MatrixPseudoInverse, PenroseConditions) {
    const Matrix cases[] = {
        Random(4, 2, 20),                                    // left inverse
        Random(2, 5, 21),                                    // right inverse
        Make(4, 3, {1, 2, 3, 0, 1, 1, 2, -1, 1, 5, 5, 10}),  // rank 2
        Make(2, 2, {0, 0, 0, 0}),
    };
    for (const Matrix& A : cases) {
        Matrix P;
        PseudoInverse(A, P);
        ASSERT_EQ(P.extent(0), A.extent(1));
        ASSERT_EQ(P.extent(1), A.extent(0));
        for (double x : P) EXPECT_TRUE(std::isfinite(x));
        const Matrix AP = Naive(A, P);
        const Matrix PA = Naive(P, A);
        EXPECT_LT(MaxDiff(Naive(AP, A), A), 1e-12);
        EXPECT_LT(MaxDiff(Naive(PA, P), P), 1e-12);
        EXPECT_LT(MaxDiff(AP, Transposed(AP)), 1e-12);
        EXPECT_LT(MaxDiff(PA, Transposed(PA)), 1e-12);
    }
    Matrix P;
    const Matrix tall = Random(4, 2, 20);
    PseudoInverse(tall, P);
    EXPECT_LT(MaxDiffFromIdentity(Naive(P, tall)), 1e-12);
}

TEST(MatrixCovariance, ConvertsBothWays) {
    Matrix M = Make(2, 2, {2, -77, 0.5, 3});  // upper triangle ignored
    ASSERT_TRUE(SdCorrToCovariance(M));
    EXPECT_TRUE(SameValues(M, Make(2, 2, {4, 3, 3, 9})));
    ASSERT_TRUE(CovarianceToSdCorr(M));
    EXPECT_TRUE(SameValues(M, Make(2, 2, {2, 0.5, 0.5, 3})));

    const Matrix sdCorr = Make(3, 3, {1.5, 0.2, -0.4, 0.2, 0.5, 0.7, -0.4, 0.7, 4});
    Matrix C = sdCorr.copy();
    ASSERT_TRUE(SdCorrToCovariance(C));
    EXPECT_NEAR(C(2, 1), 0.7 * 0.5 * 4, 1e-15);
    EXPECT_NEAR(C(1, 2), 0.7 * 0.5 * 4, 1e-15);
    ASSERT_TRUE(CovarianceToSdCorr(C));
    EXPECT_LT(MaxDiff(C, sdCorr), 1e-15);
}

TEST(MatrixCovariance, InvalidCovarianceLeavesTheMatrixUnchanged) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Matrix cases[] = {
        Make(2, 2, {1, 0, 1.2, 1}),               // correlation 1.2
        Make(3, 3, {4, 0, 0, 1, 9, 0, 1, 1, 0}),  // variance 0 after valid ones
        Make(2, 2, {4, 0, nan, 9}),
        Make(2, 3, {1, 0, 0, 0, 1, 0}),
    };
    for (const Matrix& bad : cases) {
        Matrix M = bad.copy();
        EXPECT_FALSE(CovarianceToSdCorr(M));
        for (int i = 0; i < M.extent(0); ++i)
            for (int j = 0; j < M.extent(1); ++j)
                EXPECT_TRUE(M(i, j) == bad(i, j) || (std::isnan(M(i, j)) && std::isnan(bad(i, j))));
    }
    Matrix wide = Make(1, 2, {1, 2});
    EXPECT_FALSE(SdCorrToCovariance(wide));
}
