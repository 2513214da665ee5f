#include "tests/z/power_z_covariate_regress.h"

#include <cmath>

#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "analysis/test_family_support.h"
#include "distributions/chi.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"

void PowerZCovariateRegress::CopyCovariateStateTo(PowerZCovariateRegress* copy) const {
    copy->xDistribution = xDistribution;
    copy->normalMean = normalMean;
    copy->normalSD = normalSD;
    copy->exponentialLambda = exponentialLambda;
    copy->binomialPi = binomialPi;
    copy->uniformLeft = uniformLeft;
    copy->uniformRight = uniformRight;
    copy->lognormalMu = lognormalMu;
    copy->lognormalSigma = lognormalSigma;
    copy->poissonLambda = poissonLambda;
    copy->manualVarH0 = manualVarH0;
    copy->manualVarH1 = manualVarH1;
    copy->varianceH0 = varianceH0;
    copy->varianceH1 = varianceH1;
    copy->otherR2 = otherR2;
    copy->enumerationNoncentrality = enumerationNoncentrality;
    copy->useEnumeration = useEnumeration;
    copy->enumerationWald = enumerationWald;
    copy->demidenko = demidenko;
    copy->varianceCorrection = varianceCorrection;
    copy->enumerationMaxN = enumerationMaxN;
}

int PowerZCovariateRegress::CheckSlopeVariances(double effect, PropertyList* inputs) {
    const double saved = effectSize;
    effectSize = effect;
    // An infinite or vanishing variance is an answer the power functions
    // take (no information on the slope, or all of it); an integral or sum
    // that cannot be done is not.
    bool computable = true;
    try {
        GetNoncentralSD();
    } catch (const QuorixError&) {
        computable = false;
    }
    effectSize = saved;
    if (computable) return -1;
    // The parameter that sets the covariate's scale or tail.
    ParameterId id = kXParmSigmaId;
    switch (xDistribution) {
        case kXBinomial:
            id = kXParmPiId;
            break;
        case kXExponential:
        case kXPoisson:
            id = kXParmLambdaId;
            break;
        case kXUniform:
            id = kXRightBorderId;
            break;
        case kXManual:
            id = kXVarBetaH1Id;
            break;
        default:
            break;
    }
    int row = -1;
    inputs->FindWithIndex(ParameterNames[id], &row);
    messages << "The variance of the slope cannot be computed for this X distribution:\n"
                "its moments overflow or vanish over the range of X.\n"
                "Please try less extreme X parameters or a smaller effect.";
    return row;
}

void PowerZCovariateRegress::CheckCompromiseRatio(double q) const {
    const double met = (1.0 - power) / (q * alpha);
    if (!(std::fabs(met - 1.0) <= 1e-4)) {
        throw QuorixError("Solver-Compromise: beta / alpha does not meet the ratio",
                          QuorixError::kUnknown, alpha);
    }
}

bool PowerZCovariateRegress::EnumerationApplies() {
    return useEnumeration && enumerationMaxN > std::trunc(sampleSize);
}

bool PowerZCovariateRegress::UsesEnumeration() {
    return EnumerationApplies() && xDistribution != kXManual;
}

std::string PowerZCovariateRegress::GetStatisticName() {
    return UsesEnumeration() ? "$\\chi$$^2$" : "z";
}

ParameterId PowerZCovariateRegress::GetCriticalValueId() {
    return UsesEnumeration() ? kCriticalChiSquareId : kCriticalZId;
}

ParameterId PowerZCovariateRegress::GetNoncentralityId() {
    return UsesEnumeration() ? kNoncentralityLambdaId : kNoncentralityMuId;
}

double PowerZCovariateRegress::GetLowerCriticalValue() {
    return UsesEnumeration() ? criticalValue2 : -criticalValue;
}

void PowerZCovariateRegress::SetCentralDistribution() {
    if (auto* chi = dynamic_cast<ChiDistribution*>(distribution)) {
        chi->SetNoncentrality(0.0);
        chi->SetParam(1, 1.0);
        return;
    }
    SetNormal(0.0, 1.0);
}

void PowerZCovariateRegress::MakeDistributionPlot(PlotData* plot) {
    if (!UsesEnumeration()) return PowerAnalysis::MakeDistributionPlot(plot);
    // The chi-square statistic in place of the normal one for the plot. Its
    // rejection region is the upper tail whatever the effect's sign.
    Distribution* normal = distribution;
    const bool tails = oneTailed;
    ChiDistribution chi(1.0, 0.0);
    distribution = &chi;
    oneTailed = true;
    try {
        plot->continuous = IsContinuous();
        plot->centralCurve.clear();
        plot->side = 1;
        MakeUpperTailPlot(plot);
    } catch (...) {
        distribution = normal;
        oneTailed = tails;
        throw;
    }
    distribution = normal;
    oneTailed = tails;
}

bool PowerZCovariateRegress::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 5, 2147483646);
}

void PowerZCovariateRegress::GetAnalysisTypes(PropertyList* list) {
    PowerAnalysis::GetAnalysisTypes(list);
}

bool PowerZCovariateRegress::InputsChangeLayout(AnalysisType, PropertyList* inputs) {
    int row = -1;
    int code = xDistribution;
    try {
        code = ReadXDistribution(inputs, &row);
    } catch (const InputFormulaError&) {
        return false;
    }
    if (code == xDistribution || !(kXBinomial <= code && code <= kXManual)) return false;
    xDistribution = code;
    return true;
}
