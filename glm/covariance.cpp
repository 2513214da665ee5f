#include "glm/covariance.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <vector>

namespace {

std::wstring LabelOf(const std::vector<std::wstring>& labels, int i) {
    if (i >= 0 && i < static_cast<int>(labels.size()) && !Trimmed(labels[i]).empty())
        return Trimmed(labels[i]);
    return Numbered(L"variable %d", i + 1);
}

// A correlation within rounding of ±1 is ±1; anything further out is not
// a correlation (NaN included).
bool ClampCorrelation(double& r) {
    if (!(std::fabs(r) <= 1.0 + kCorrelationSlack)) return false;
    r = std::clamp(r, -1.0, 1.0);
    return true;
}

// A correlation outside [-1, 1] with as many digits as show it outside:
// 1.0000001 at the usual six would read "1".
std::wstring CorrelationText(double r) {
    std::wstring text = FormatNumber(r);
    for (int digits = 7; digits <= 17 && std::isfinite(r); ++digits) {
        if (std::fabs(std::wcstod(text.c_str(), nullptr)) > 1.0) break;
        text = FormatNumber(r, (L"%." + std::to_wstring(digits) + L"lg").c_str());
    }
    return text;
}

std::wstring OutsideRange(const std::vector<std::wstring>& labels, int i, int j, double r,
                          const wchar_t* target) {
    return L"The correlation of " + LabelOf(labels, j) + L" and " + LabelOf(labels, i) + L" is " +
           CorrelationText(r) + L", outside [-1, 1]:\nthe matrix cannot be shown as " + target +
           L".";
}

// The correlation matrix of a covariance matrix whose pairs fit: a variable
// without variance has no correlations (its row and column are 0). Judging
// definiteness on it does not depend on the scale of the variances, which
// may lie anywhere in the range of numbers (1e-300 as well as 1e300).
Matrix Correlations(const Matrix& S, int n) {
    std::vector<double> sd(n);
    for (int i = 0; i < n; ++i) sd[i] = std::sqrt(S(i, i));
    Matrix R(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            if (!(sd[i] > 0.0 && sd[j] > 0.0))
                R(i, j) = 0.0;
            else if (i == j)
                R(i, j) = 1.0;
            else
                R(i, j) = std::clamp(S(std::max(i, j), std::min(i, j)) / sd[i] / sd[j], -1.0, 1.0);
        }
    return R;
}

}  // namespace

std::optional<std::wstring> ConvertSdCorrToCovariance(Matrix& M,
                                                      const std::vector<std::wstring>& labels) {
    const int n = M.rows();
    if (M.cols() != n) return L"The matrix is not square.";
    Matrix C;
    CopyMatrix(M, C);
    for (int i = 0; i < n; ++i)
        if (!(C(i, i) >= 0.0))
            return L"The standard deviation of " + LabelOf(labels, i) + L" is " +
                   FormatNumber(C(i, i)) + L":\nthe matrix cannot be shown as covariances.";
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            double r = C(i, j);
            if (!ClampCorrelation(r)) return OutsideRange(labels, i, j, C(i, j), L"covariances");
            C(i, j) = C(j, i) = r * C(i, i) * C(j, j);
        }
    }
    for (int i = 0; i < n; ++i) C(i, i) *= C(i, i);
    M.resize(n, n);
    M = C;
    return std::nullopt;
}

std::optional<std::wstring> ConvertCovarianceToSdCorr(Matrix& M,
                                                      const std::vector<std::wstring>& labels) {
    const int n = M.rows();
    if (M.cols() != n) return L"The matrix is not square.";
    Matrix C;
    CopyMatrix(M, C);
    for (int i = 0; i < n; ++i) {
        if (!(C(i, i) > 0.0))
            return L"The variance of " + LabelOf(labels, i) + L" is " + FormatNumber(C(i, i)) +
                   L", not above 0:\nthe matrix cannot be shown as standard deviations and "
                   L"correlations.";
        C(i, i) = std::sqrt(C(i, i));
    }
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            double r = C(i, j) / C(i, i) / C(j, j);
            if (!ClampCorrelation(r))
                return OutsideRange(labels, i, j, r, L"standard deviations and correlations");
            C(i, j) = C(j, i) = r;
        }
    }
    M.resize(n, n);
    M = C;
    return std::nullopt;
}

bool IsPositiveSemiDefinite(const Matrix& M) {
    const int n = M.rows();
    if (M.cols() != n) return false;
    if (n == 0) return true;
    ComplexVector w;
    Matrix unusedLeft, unusedRight;
    if (!EigenValues('N', 'N', M, w, unusedLeft, unusedRight)) return false;
    double largest = 0.0, smallest = 0.0;
    for (int i = 0; i < n; ++i) {
        largest = std::max(largest, std::abs(w(i)));
        smallest = std::min(smallest, w(i).real());
    }
    return smallest >= -n * 1e-12 * largest;
}

std::optional<CovarianceProblem> CheckCovarianceMatrix(const Matrix& S,
                                                       const std::vector<std::wstring>& labels) {
    const int n = std::min(S.rows(), S.cols());
    const std::wstring notPsd =
        L":\nSigma is not positive semi-definite, so no power can be computed.";
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j)
            if (!std::isfinite(S(i, j)))
                return CovarianceProblem{(i == j ? L"The variance of " + LabelOf(labels, i)
                                                 : L"The covariance of " + LabelOf(labels, i) +
                                                       L" and " + LabelOf(labels, j)) +
                                             L" is " + FormatNumber(S(i, j)) +
                                             L":\nSigma must hold finite numbers.",
                                         i, j};
    if (auto problem = CheckMirrorCells(S, labels)) return problem;
    for (int i = 0; i < n; ++i)
        if (S(i, i) < 0.0)
            return CovarianceProblem{L"The variance of " + LabelOf(labels, i) + L" is " +
                                         FormatNumber(S(i, i)) + L", below 0" + notPsd,
                                     i, i};
    for (int i = 1; i < n; ++i)
        for (int j = 0; j < i; ++j) {
            // Each root on its own: the product of two variances of 1e-200
            // would fall to 0.
            const double bound = std::sqrt(S(i, i)) * std::sqrt(S(j, j));
            if (std::fabs(S(i, j)) <= bound * (1.0 + kCorrelationSlack)) continue;
            const std::wstring pair = LabelOf(labels, j) + L" and " + LabelOf(labels, i);
            if (bound == 0.0)
                return CovarianceProblem{
                    L"The covariance of " + pair + L" is " + FormatNumber(S(i, j)) + L", but " +
                        LabelOf(labels, S(i, i) == 0.0 ? i : j) + L" has variance 0" + notPsd,
                    i, j};
            return CovarianceProblem{
                L"The correlation of " + pair + L" is " +
                    CorrelationText(S(i, j) / std::sqrt(S(i, i)) / std::sqrt(S(j, j))) +
                    L", outside [-1, 1]" + notPsd,
                i, j};
        }
    // Every pair fits, yet three or more variables may not: the first
    // variable whose correlations cannot go with those before it.
    const Matrix R = Correlations(S, n);
    for (int k = 3; k <= n; ++k) {
        Matrix leading(k, k);
        for (int i = 0; i < k; ++i)
            for (int j = 0; j < k; ++j) leading(i, j) = R(i, j);
        if (!IsPositiveSemiDefinite(leading))
            return CovarianceProblem{L"The covariances of " + LabelOf(labels, k - 1) + L" with " +
                                         LabelOf(labels, 0) + (k == 3 ? L" and " : L" to ") +
                                         LabelOf(labels, k - 2) + L" do not fit together" + notPsd,
                                     k - 1, 0};
    }
    return std::nullopt;
}

std::optional<CovarianceProblem> CheckMirrorCells(const Matrix& S,
                                                  const std::vector<std::wstring>& labels) {
    const int n = std::min(S.rows(), S.cols());
    for (int i = 1; i < n; ++i)
        for (int j = 0; j < i; ++j) {
            const double below = S(i, j), above = S(j, i);
            // Rounding of a formula may part the two; nothing more may.
            if (std::isfinite(above) &&
                std::fabs(above - below) <= 1e-12 * std::max(std::fabs(above), std::fabs(below)))
                continue;
            const std::wstring row = LabelOf(labels, i), col = LabelOf(labels, j);
            return CovarianceProblem{
                L"Sigma is not symmetric: the cell (" + col + L", " + row +
                    L") above the diagonal holds " + FormatNumber(above) + L", its mirror (" + row +
                    L", " + col + L") below it " + FormatNumber(below) +
                    L".\nRetype the cell below the diagonal; it is copied above.",
                i, j};
        }
    return std::nullopt;
}

std::optional<std::string> CheckCorrelationMatrix(const Matrix& R) {
    const int n = R.rows();
    for (int i = 1; i < n; ++i)
        for (int j = 0; j < i && j < R.cols(); ++j)
            if (!(-1.0 <= R(i, j) && R(i, j) <= 1.0))
                return "At least one correlation between predictors\nis outside the admissible "
                       "range [-1,1]!";
    if (!IsPositiveSemiDefinite(R))
        return "The correlation matrix is not valid,\nthat is not positive semi-definite.";
    return std::nullopt;
}

void SigmaGrid::Init(int responses) {
    const int p = std::max(responses, 1);
    texts.Resize(p + 1, p + 1);
    mode_ = kCovariances;
    removed_.Forget();
    texts(0, 0) = L"Covariance";
    for (int i = 1; i <= p; ++i) texts(i, 0) = texts(0, i) = Numbered(L"Y %d", i);
    for (int i = 1; i <= p; ++i)
        for (int j = 1; j <= p; ++j) texts(i, j) = FormatNumber(i == j ? 1.0 : 0.0);
}

void SigmaGrid::MirrorEdit(int row, int col) {
    if (row == col || row < 1 || col < 1 || row >= Rows() || col >= Rows()) return;
    texts(col, row) = texts(row, col);
}

void SigmaGrid::SyncWithMeans(const std::vector<std::wstring>& responseLabels) {
    const int target = std::max(static_cast<int>(responseLabels.size()), 1) + 1;
    while (Rows() > target) {
        const int last = Rows() - 1;
        for (int j = 1; j <= last; ++j) {
            removed_.Remember(last, j, texts(last, j));
            removed_.Remember(j, last, texts(j, last));
        }
        texts.ResizeKeeping(last, last);
    }
    while (Rows() < target) {
        const int k = Rows();
        texts.ResizeKeeping(k + 1, k + 1);
        for (int j = 1; j < k; ++j) {
            texts(k, j) = removed_.Recall(k, j, L"0");
            texts(j, k) = removed_.Recall(j, k, L"0");
        }
        texts(k, k) = removed_.Recall(k, k, L"1");
    }
    for (int i = 1; i < Rows() && i - 1 < static_cast<int>(responseLabels.size()); ++i)
        texts(i, 0) = texts(0, i) = responseLabels[i - 1];
}

std::vector<std::wstring> SigmaGrid::Labels() const {
    std::vector<std::wstring> labels;
    for (int i = 1; i < Rows(); ++i) labels.push_back(texts(i, 0));
    return labels;
}

void SigmaGrid::ReadBody(LabeledMatrix& m) const {
    const int p = Rows() - 1;
    m.colLabels.Resize(1, p);
    m.rowLabels.Resize(p, 1);
    m.cells.Resize(p, p);
    for (int i = 0; i < p; ++i) {
        m.colLabels(0, i) = Trimmed(texts(0, i + 1));
        m.rowLabels(i, 0) = Trimmed(texts(i + 1, 0));
        for (int j = 0; j < p; ++j) m.cells(i, j) = Trimmed(texts(i + 1, j + 1));
    }
    m.EvaluateCells();
}

void SigmaGrid::Load(const TextArray& loaded) {
    texts = loaded;
    mode_ = texts.rows() > 0 && texts.cols() > 0 && Trimmed(texts(0, 0)) == L"SD and corr"
                ? kSdAndCorrelation
                : kCovariances;
    removed_.Forget();
}

std::optional<std::wstring> SigmaGrid::SetMode(Mode mode) {
    if (mode == mode_) return std::nullopt;
    LabeledMatrix m;
    ReadBody(m);
    const std::optional<std::wstring> failure = mode == kCovariances
                                                    ? ConvertSdCorrToCovariance(m.values, Labels())
                                                    : ConvertCovarianceToSdCorr(m.values, Labels());
    if (failure) return failure;
    m.FormatCells(L"%lg");
    for (int i = 0; i < m.cells.rows(); ++i)
        for (int j = 0; j < m.cells.cols(); ++j) texts(i + 1, j + 1) = m.cells(i, j);
    texts(0, 0) = mode == kCovariances ? L"Covariance" : L"SD and corr";
    mode_ = mode;
    // Remembered texts were typed in the other mode and mean something else now.
    removed_.Forget();
    return std::nullopt;
}

std::optional<CovarianceProblem> SigmaGrid::CheckMirror() const {
    LabeledMatrix m;
    ReadBody(m);
    return CheckMirrorCells(m.values, Labels());
}

std::optional<std::wstring> SigmaGrid::GetSigma(LabeledMatrix& m) const {
    ReadBody(m);
    if (mode_ == kSdAndCorrelation) return ConvertSdCorrToCovariance(m.values, Labels());
    return std::nullopt;
}
