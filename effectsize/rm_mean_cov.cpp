#include "effectsize/rm_mean_cov.h"

#include <cmath>

#include "glm/helmert.h"
#include "glm/model/power_glmm.h"
#include "numerics/matrix.h"

namespace effectsize::rm_mean_cov {

namespace {

Matrix ToMatrix(const Table& table, int rows, int cols) {
    Matrix m(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) m(i, j) = table[i][j];
    return m;
}

// The criterion's test, without power; false when it failed.
bool RunCriterion(PowerGLMM& model, int id, double* statistic) {
    const bool plain = id % 2 == 1;  // the O'Brien-Shieh variants
    bool ok = false;
    switch (id) {
        case 100:
        case 101:
            ok = model.Wilks(plain, false);
            *statistic = plain ? model.U : model.UN;
            break;
        case 102:
        case 103:
            ok = model.HotellingLawley1(plain, false);
            *statistic = plain ? model.T : model.TN;
            break;
        case 104:
        case 105:
            ok = model.HotellingLawley2(plain, false);
            *statistic = plain ? model.T : model.TN;
            break;
        default:
            ok = model.Pillai1(id == 107, false);
            *statistic = id == 107 ? model.V : model.VN;
            break;
    }
    return ok;
}

}  // namespace

bool BuildCorrelationPattern(Table* sdCorr, double corr, bool autoregressive) {
    const int m = static_cast<int>(sdCorr->size());
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < i; ++j)
            if (!std::isfinite(autoregressive ? std::pow(corr, i - j) : corr)) return false;
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < i; ++j) {
            const double r = autoregressive ? std::pow(corr, i - j) : corr;
            (*sdCorr)[i][j] = r;
            (*sdCorr)[j][i] = r;
        }
    }
    return true;
}

Result Compute(const Inputs& inputs) {
    Result result;
    const int g = static_cast<int>(inputs.means.size());
    const int m = g > 0 ? static_cast<int>(inputs.means[0].size()) : 0;
    if (g < 1 || m < 1 || static_cast<int>(inputs.covariance.size()) != m ||
        static_cast<int>(inputs.weights.size()) != g) {
        result.error = kModelMessage;
        return result;
    }
    double sum = 0.0;
    for (double w : inputs.weights) {
        if (!(w > 0.0)) {
            result.error = kWeightMessage;
            return result;
        }
        sum += w;
    }
    std::vector<double> weights;
    for (double w : inputs.weights) weights.push_back(w / sum);

    PowerGLMM model;
    SetIdentity(model.X, g);
    model.B.resize(g, m);
    model.B = ToMatrix(inputs.means, g, m);
    model.Sigma.resize(m, m);
    model.Sigma = ToMatrix(inputs.covariance, m, m);
    if (inputs.inputMethod != kCovariance && !SdCorrToCovariance(model.Sigma)) {
        result.error = kModelMessage;
        return result;
    }
    Matrix a;
    switch (inputs.variant) {
        case 0:
            MakeHelmertContrasts(model.C, g);
            MakeUnitRow(a, m);
            break;
        case 1:
            MakeUnitRow(model.C, g);
            MakeHelmertContrasts(a, m);
            break;
        default:
            MakeHelmertContrasts(model.C, g);
            MakeHelmertContrasts(a, m);
            break;
    }
    model.A.resize(a.extent(1), a.extent(0));
    for (int i = 0; i < a.extent(0); ++i)
        for (int j = 0; j < a.extent(1); ++j) model.A(j, i) = a(i, j);
    model.SetCellWeights(weights);
    model.N = inputs.n;
    model.responses = m;
    model.predictors = g;
    model.cells = g;
    model.Theta0.resize(0, 0);

    double statistic = 0.0;
    if (!model.Compute() || model.s > static_cast<double>(model.eigen.size()) ||
        !RunCriterion(model, inputs.criterionId, &statistic)) {
        result.error = kModelMessage;
        return result;
    }
    // A negative effect has no square root: refused, not shown as NaN.
    if (!(model.effect >= 0.0) || !std::isfinite(model.effect) || !std::isfinite(statistic)) {
        result.error = kModelMessage;
        return result;
    }
    result.f = std::sqrt(model.effect);
    result.criterionValue = statistic;
    return result;
}

}  // namespace effectsize::rm_mean_cov
