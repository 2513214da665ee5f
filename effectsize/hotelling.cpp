#include "effectsize/hotelling.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/property.h"
#include "effectsize/matrix_panels.h"
#include "glm/matrix_input.h"
#include "numerics/matrix.h"

namespace effectsize::hotelling {

namespace {

double Number(const std::string& text) {
    double value = 0.0;
    ReadPanelNumber(text, &value);
    return value;
}

// The covariances of the record in the form of `method`.
Matrix CovariancesOf(const Inputs& inputs, int p) {
    Matrix s;
    CopyMatrix(inputs.covariance.values, s);
    if (inputs.method != kCovariances) SdCorrToCovariance(s);
    (void)p;
    return s;
}

// Δ² by the Cholesky factor of S: d S⁻¹ dᵀ = |L⁻¹ dᵀ|². Nothing when S is
// not positive definite: a pivot at or below the rounding of the largest
// diagonal entry counts as singular.
std::optional<double> DeltaSquared(const Matrix& s, const std::vector<double>& d) {
    const int p = static_cast<int>(d.size());
    double largest = 0.0;
    for (int i = 0; i < p; ++i) largest = std::fmax(largest, std::fabs(s(i, i)));
    const double tiny = p * 1e-13 * largest;
    std::vector<double> l(static_cast<size_t>(p) * p, 0.0);
    auto at = [&l, p](int i, int j) -> double& { return l[static_cast<size_t>(i) * p + j]; };
    for (int j = 0; j < p; ++j) {
        double pivot = s(j, j);
        for (int k = 0; k < j; ++k) pivot -= at(j, k) * at(j, k);
        if (!(pivot > tiny)) return std::nullopt;
        at(j, j) = std::sqrt(pivot);
        for (int i = j + 1; i < p; ++i) {
            double sum = s(i, j);
            for (int k = 0; k < j; ++k) sum -= at(i, k) * at(j, k);
            at(i, j) = sum / at(j, j);
        }
    }
    double delta2 = 0.0;
    std::vector<double> y(p, 0.0);
    for (int i = 0; i < p; ++i) {
        double sum = d[i];
        for (int k = 0; k < i; ++k) sum -= at(i, k) * y[k];
        y[i] = sum / at(i, i);
        delta2 += y[i] * y[i];
    }
    return delta2;
}

std::vector<double> MeanDifference(const Inputs& inputs, int p, bool oneGroup) {
    const double c = Number(inputs.text[kMeanFactor]);
    std::vector<double> d(p, 0.0);
    for (int j = 0; j < p; ++j) {
        const double m1 = inputs.means.values(0, j);
        const double m2 = oneGroup ? 0.0 : inputs.means.values(1, j);
        d[j] = c * (m1 - m2);
    }
    return d;
}

// The inputs with their records sized to the typed count and evaluated.
Inputs Sized(const Inputs& inputs, int p) {
    Inputs sized = inputs;
    sized.ResizeMatrices(p);
    return sized;
}

std::string Indexed(const std::string& prefix, const char* part, int i) {
    return prefix + part + std::to_string(i);
}

}  // namespace

void Inputs::ResizeMatrices(int p) {
    p = p < 0 ? 0 : (p > kMaxResponses ? kMaxResponses : p);
    const int old = means.cells.cols();
    const int oldCovariance = std::min(covariance.cells.rows(), covariance.cells.cols());
    means.cells.ResizeKeeping(2, p, L"0");
    means.colLabels.ResizeKeeping(1, p);
    means.rowLabels.ResizeKeeping(2, 1);
    covariance.cells.ResizeKeeping(p, p, L"0");
    covariance.colLabels.ResizeKeeping(1, p);
    covariance.rowLabels.ResizeKeeping(p, 1);
    for (int k = old; k < p; ++k) {
        means.colLabels(0, k) = Numbered(L"Y %d", k + 1);
        means.cells(0, k) = means.cells(1, k) = L"0";
    }
    // The covariance may lag behind the means (a dialog accepted without its
    // covariance page): its own size tells which variables are new.
    for (int k = oldCovariance; k < p; ++k) {
        covariance.colLabels(0, k) = covariance.rowLabels(k, 0) = means.colLabels(0, k);
        covariance.cells(k, k) = L"1";
        for (int j = 0; j < k; ++j) covariance.cells(j, k) = covariance.cells(k, j) = L"0";
    }
    means.EvaluateCells();
    covariance.EvaluateCells();
}

bool BuildCorrelationPattern(Inputs* inputs, double corr) {
    Matrix& v = inputs->covariance.values;
    // Cells showing "inf" would read back as 0: no pattern rather than that.
    for (int i = 1; i < v.rows() && i < v.cols(); ++i)
        for (int j = 0; j < i; ++j)
            if (!std::isfinite(PatternEntry(corr, inputs->firstOrderAutocorr, i, j))) return false;
    for (int i = 1; i < v.rows() && i < v.cols(); ++i)
        for (int j = 0; j < i; ++j)
            v(i, j) = v(j, i) = PatternEntry(corr, inputs->firstOrderAutocorr, i, j);
    inputs->covariance.FormatCells(L"%lg");
    return true;
}

void ChangeMethod(Inputs* inputs, int method) {
    const int old = inputs->method;
    inputs->method = method;
    inputs->covariance.EvaluateCells();
    Matrix converted;
    CopyMatrix(inputs->covariance.values, converted);
    bool ok = true;
    if (method == kCovariances && old != kCovariances) {
        ok = SdCorrToCovariance(converted);
    } else if (method != kCovariances && old == kCovariances) {
        ok = CovarianceToSdCorr(converted);
    }
    if (ok) inputs->covariance.values = converted;
    if (method == kSdAndCorrelationPattern && old != method)
        BuildCorrelationPattern(inputs, Number(inputs->text[kPatternCorrelation]));
    inputs->covariance.FormatCells(L"%lg");
}

std::optional<int> ResponseCount(const Inputs& inputs) {
    double value = 0.0;
    if (!ReadPanelNumber(inputs.text[kResponses], &value)) return std::nullopt;
    if (!(value >= 1 && value <= kMaxResponses) || value != std::floor(value)) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<FieldError> Check(const Inputs& inputs, bool oneGroup) {
    for (int field = 0; field < kFieldCount; ++field) {
        double value = 0.0;
        if (!ReadPanelNumber(inputs.text[field], &value))
            return FieldError{field, kNotANumberMessage};
    }
    const std::optional<int> p = ResponseCount(inputs);
    if (!p) return FieldError{kResponses, kResponsesMessage};
    const double corr = Number(inputs.text[kPatternCorrelation]);
    if (inputs.method == kSdAndCorrelationPattern && !(-1.0 < corr && corr < 1.0))
        return FieldError{kPatternCorrelation, kPatternMessage};
    const Inputs sized = Sized(inputs, *p);
    const std::optional<double> delta2 =
        DeltaSquared(CovariancesOf(sized, *p), MeanDifference(sized, *p, oneGroup));
    if (!delta2) return FieldError{kResponses, kSingularMessage};
    if (!std::isfinite(*delta2)) return FieldError{kMeanFactor, kNotFiniteMessage};
    return std::nullopt;
}

double Compute(const Inputs& inputs, bool oneGroup) {
    const int p = ResponseCount(inputs).value_or(1);
    const Inputs sized = Sized(inputs, p);
    return std::sqrt(
        DeltaSquared(CovariancesOf(sized, p), MeanDifference(sized, p, oneGroup)).value_or(NAN));
}

void Save(const Inputs& inputs, const std::string& prefix, PropertyList* store) {
    if (!store) return;
    // The loops below run over p: the records are sized to it first.
    Inputs sized = inputs;
    const int p = ResponseCount(inputs).value_or(inputs.means.cells.cols());
    sized.ResizeMatrices(p);
    SetNamedLong(store, (prefix + "_inmode").c_str(), sized.method);
    SetNamedLong(store, (prefix + "_nresvar").c_str(), p);
    SaveNumberField(store, (prefix + "_corr").c_str(), inputs.text[kPatternCorrelation]);
    SaveNumberField(store, (prefix + "_factor").c_str(), inputs.text[kMeanFactor]);
    SetNamedLong(store, (prefix + "_autocorr").c_str(), inputs.firstOrderAutocorr ? 1 : 0);
    for (int j = 0; j < p; ++j) {
        const std::string label = ToStoreText(sized.means.colLabels(0, j));
        if (!label.empty()) SetNamedString(store, Indexed(prefix, "_cl", j).c_str(), label);
        SetNamedDouble(store, Indexed(prefix, "_m1_", j).c_str(), sized.means.values(0, j));
        SetNamedDouble(store, Indexed(prefix, "_m2_", j).c_str(), sized.means.values(1, j));
        for (int i = 0; i <= j; ++i)
            SetNamedDouble(store, (Indexed(prefix, "_s_", i) + "_" + std::to_string(j)).c_str(),
                           sized.covariance.values(i, j));
    }
}

void Restore(PropertyList* store, const std::string& prefix, Inputs* inputs) {
    if (!store) return;
    long value = 0;
    if (GetNamedLong(store, (prefix + "_inmode").c_str(), &value) && value >= 0 && value <= 2)
        inputs->method = static_cast<int>(value);
    if (GetNamedLong(store, (prefix + "_nresvar").c_str(), &value) && value >= 1 &&
        value <= kMaxResponses)
        inputs->text[kResponses] = std::to_string(value);
    RestoreNumberField(store, (prefix + "_corr").c_str(), &inputs->text[kPatternCorrelation]);
    RestoreNumberField(store, (prefix + "_factor").c_str(), &inputs->text[kMeanFactor]);
    if (GetNamedLong(store, (prefix + "_autocorr").c_str(), &value))
        inputs->firstOrderAutocorr = value != 0;
    const int p = ResponseCount(*inputs).value_or(inputs->means.cells.cols());
    inputs->ResizeMatrices(p);
    std::string label;
    for (int j = 0; j < p; ++j) {
        // A missing label carries the previous column's text.
        GetNamedString(store, Indexed(prefix, "_cl", j).c_str(), &label);
        const std::wstring wide = FromStoreText(label);
        inputs->means.colLabels(0, j) = wide;
        inputs->covariance.colLabels(0, j) = wide;
        inputs->covariance.rowLabels(j, 0) = wide;
        GetNamedDouble(store, Indexed(prefix, "_m1_", j).c_str(), &inputs->means.values(0, j));
        GetNamedDouble(store, Indexed(prefix, "_m2_", j).c_str(), &inputs->means.values(1, j));
        for (int i = 0; i <= j; ++i) {
            double& s = inputs->covariance.values(i, j);
            GetNamedDouble(store, (Indexed(prefix, "_s_", i) + "_" + std::to_string(j)).c_str(),
                           &s);
            inputs->covariance.values(j, i) = s;
        }
    }
    inputs->means.FormatCells(L"%lg");
    inputs->covariance.FormatCells(L"%lg");
}

TransferPlan PlanTransfer(const Inputs& inputs, double delta) {
    TransferPlan plan;
    plan.writes.push_back({"Response variables", double(ResponseCount(inputs).value_or(1))});
    plan.effectSize = delta;
    return plan;
}

}  // namespace effectsize::hotelling
