#include "power/z/power_z_poisson_regress.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "distributions/chi.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"
#include "power/z/enumeration_workspace.h"
#include "power/z/poisson_integrands.h"

namespace {

// The admissible rate ratios.
constexpr double kSmallestRatio = 1e-6;
constexpr double kLargestRatio = 1000.0;

// The largest total sample size the test admits.
// The largest mean of the z statistic under H1 that is used.
constexpr double kFarthestMean = 1e15;

// The intercept rules of the H0 variance: the log of the mean rate
// (Demidenko) and beta0 itself (Signorini).
constexpr int kMeanRateRule = 0;
constexpr int kInterceptRule = 2;

}  // namespace

PowerZPoissonRegress::PowerZPoissonRegress() {
    PowerZPoissonRegress::SetStandardValues();
}

PowerAnalysis* PowerZPoissonRegress::Clone() {
    auto* copy = CloneAs<PowerZPoissonRegress>();
    CopyCovariateStateTo(copy);
    copy->exposure = exposure;
    copy->overDispersion = overDispersion;
    copy->baseRate = baseRate;
    copy->unitVarianceH0 = unitVarianceH0;
    copy->unitVarianceH1 = unitVarianceH1;
    copy->logRateScaleH0 = logRateScaleH0;
    copy->logRateScale = logRateScale;
    return copy;
}

void PowerZPoissonRegress::SetStandardValues() {
    PowerZCovariateRegress::SetStandardValues();
    exposure = 1.0;
    overDispersion = 1.0;
    baseRate = 0.85;
}

// ---------------------------------------------------------------- names

double PowerZPoissonRegress::GetEffectSize() {
    return effectSize - 1.0;
}

// ----------------------------------------------------------- variances

double PowerZPoissonRegress::GetNoncentralSD() {
    nullSD = 1.0;
    const double beta0 = std::log(baseRate);
    const double beta1 = std::log(effectSize);
    const int rule = demidenko ? kMeanRateRule : kInterceptRule;
    // Every rate is e^beta0 e^(beta1 c) times that of the model with
    // intercept 0 and the covariate moved by c, and the variances are the
    // inverse of that factor times those of the moved model. Computed
    // there, a base rate or a covariate location far from 1 and 0 cannot
    // overflow the integrals; the factor stays a logarithm.
    logRateScale = beta0;
    double k = 1.0;
    switch (xDistribution) {
        case kXBinomial: {
            const double pi = binomialPi;
            const double rate1 = std::exp(beta1);
            const double meanRate = demidenko ? (1.0 - pi) + pi * rate1 : 1.0;
            unitVarianceH0 = 1.0 / (pi * (1.0 - pi) * meanRate);
            unitVarianceH1 = 1.0 / (1.0 - pi) + 1.0 / (pi * rate1);
            break;
        }
        case kXManual:
            // Given as they are, for the base rate entered.
            logRateScale = 0.0;
            unitVarianceH0 = manualVarH0;
            unitVarianceH1 = manualVarH1;
            break;
        default: {
            // The normal covariate is moved to its mean, the uniform one to
            // its middle; the integrals then take intercept 0.
            const bool uniform = xDistribution == kXUniform;
            const bool normal = !uniform && xDistribution != kXExponential &&
                                xDistribution != kXLognormal && xDistribution != kXPoisson;
            const double middle = uniform ? uniformLeft / 2.0 + uniformRight / 2.0 : 0.0;
            if (beta1 != 0.0 && uniform) logRateScale += beta1 * middle;
            if (beta1 != 0.0 && normal) logRateScale += beta1 * normalMean;
            if (xDistribution == kXLognormal) k = 0.75;
            if (RecallVariances(0.0, beta1, rule, &unitVarianceH0, &unitVarianceH1)) break;
            std::unique_ptr<varBp> integrand;
            switch (xDistribution) {
                case kXExponential:
                    integrand = std::make_unique<varBpexp>(0.0, beta1, exponentialLambda);
                    break;
                case kXLognormal:
                    integrand =
                        std::make_unique<varBplognormal>(0.0, beta1, lognormalMu, lognormalSigma);
                    break;
                case kXPoisson:
                    integrand = std::make_unique<varBppoiss>(0.0, beta1, poissonLambda);
                    break;
                case kXUniform:
                    integrand = std::make_unique<varBpuni>(0.0, beta1, uniformLeft - middle,
                                                           uniformRight - middle);
                    break;
                default:
                    integrand = std::make_unique<varBpnormal>(0.0, beta1, 0.0, normalSD);
                    break;
            }
            integrand->cancel = &cancelled;
            // The integrals poll it too.
            CancelCheck check([this] { return cancelled.load(std::memory_order_relaxed); });
            if (xDistribution == kXPoisson) {
                integrand->ComputeVariancesDiscrete(&unitVarianceH0, &unitVarianceH1, rule,
                                                    varianceCorrection);
            } else {
                integrand->ComputeVariances(&unitVarianceH0, &unitVarianceH1, rule,
                                            varianceCorrection);
            }
            KeepVariances(0.0, beta1, rule, unitVarianceH0, unitVarianceH1);
            break;
        }
    }
    // Signorini's H0 predictor is beta0 itself, which the covariate's move
    // does not change: its variance takes the base rate alone.
    logRateScaleH0 = demidenko || xDistribution == kXManual ? logRateScale : beta0;
    varianceH0 = unitVarianceH0 * std::exp(-logRateScaleH0);
    varianceH1 = unitVarianceH1 * std::exp(-logRateScale);
    noncentralSD = 1.0;
    if (varianceCorrection) {
        const double ratio0 = unitVarianceH0 / unitVarianceH1 *
                              std::exp(logRateScale - logRateScaleH0);  // var0 / var1
        noncentralSD = std::sqrt((1.0 - k) + k * ratio0);
    }
    return noncentralSD;
}

void PowerZPoissonRegress::StatisticUnderH1(double effectiveN, double* mean, double* sd) {
    const double beta1 = std::log(effectSize);
    const double n = effectiveN * exposure / overDispersion;
    // beta1 sqrt(n / variance), with the variance's rate factor added to
    // the logarithm. A mean beyond every quantile the distribution computes
    // with is held there: the power is 1 either way.
    auto shift = [&](double unitVariance, double logScale) {
        if (beta1 == 0.0) return 0.0;
        const double m = beta1 * std::exp(0.5 * (std::log(n / unitVariance) + logScale));
        return std::clamp(m, -kFarthestMean, kFarthestMean);
    };
    if (demidenko) {
        *mean = shift(unitVarianceH1, logRateScale);
        *sd = noncentralSD;
    } else {
        *mean = shift(unitVarianceH0, logRateScaleH0);
        *sd = std::sqrt(unitVarianceH1 / unitVarianceH0 *
                        std::exp(logRateScaleH0 - logRateScale));  // var1 / var0
    }
    // A covariate whose information is singular or lost to rounding says
    // nothing about the slope: the statistic does not move from H0, and
    // the power is alpha.
    const bool informative = std::isfinite(unitVarianceH0) && unitVarianceH0 > 0.0 &&
                             std::isfinite(unitVarianceH1) && unitVarianceH1 > 0.0;
    if (!(informative && !std::isnan(*mean) && std::isfinite(*sd) && *sd > 0.0)) {
        *mean = 0.0;
        *sd = 1.0;
    }
}

// ----------------------------------------------------------------- power

double PowerZPoissonRegress::Enumerate(EnumerationWorkspace& workspace, int n, double level) {
    workspace.exposure = exposure;
    return workspace.EnumeratePoisson(std::log(baseRate), std::log(effectSize), n, level,
                                      enumerationWald);
}

double PowerZPoissonRegress::ComputePower(double effect, double alphaValue, double n) {
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n;
    const double effectiveN = (1.0 - otherR2) * n;
    if (UsesEnumeration()) return EnumerationPower(alphaValue, effectiveN);
    GetNoncentralSD();
    double mean = 0.0, sd = 1.0;
    StatisticUnderH1(effectiveN, &mean, &sd);
    return PowerOfShift(effect - 1.0, alphaValue, 1.0, mean, sd);
}

// --------------------------------------------------------------- searches

double PowerZPoissonRegress::SolveSampleSize(double effect, double alphaValue, double powerValue,
                                             bool round) {
    if (effect == 1.0) {
        throw QuorixError("No sample size found that reaches the target power.",
                          QuorixError::kAboveUpperBound, 0.0);
    }
    const double n = PowerZ::SolveSampleSize(effect, alphaValue, powerValue, round);
    // A total that the test refuses as an input is no answer either.
    if (n > kLargestTotalSampleSize) {
        throw QuorixError("No sample size found that reaches the target power.",
                          QuorixError::kAboveUpperBound, n);
    }
    return n;
}

void PowerZPoissonRegress::BracketEffectSize() {
    if (effectDirection > 0.0) {
        BracketSampleSizeFrom(1.0, 1.3);
    } else {
        BracketFromStart(1e-10, 1.0, 0.5);
    }
}

double PowerZPoissonRegress::SensitivityObjective(double x) {
    const double p = ComputePower(x, alpha, sampleSize) - power;
    if (effectDirection > 0.0) return x < 1.0 ? p + 1.0 : p;
    return x <= 1.0 ? -p : p + 1.0;
}

// ------------------------------------------------------------- the graph

void PowerZPoissonRegress::NormalUnderH1(double* mean, double* sd) {
    StatisticUnderH1((1.0 - otherR2) * sampleSize, mean, sd);
}

// ----------------------------------------------------------------- checks

bool PowerZPoissonRegress::CheckEffectSize(int, double effect) {
    ClearMessage();
    if (kSmallestRatio <= effect && effect <= kLargestRatio) return true;
    messages << "The effect size is outside the admissible range [" << kSmallestRatio << ", "
             << kLargestRatio << "\n";
    return false;
}

int PowerZPoissonRegress::UnrepresentableParameter(double first, double second) {
    switch (xDistribution) {
        case kXExponential:
        case kXPoisson:
            return std::isfinite(first) ? 0 : 1;
        case kXNormal:
        case kXLognormal:
            // The moments take sigma squared.
            return std::isfinite(second * second) ? 0 : 2;
        case kXUniform:
            if (!std::isfinite(first)) return 1;
            return std::isfinite(second - first) ? 0 : 2;
        default:
            return 0;
    }
}

// --------------------------------------------------------- lists and run

void PowerZPoissonRegress::BuildInputList(AnalysisType type, PropertyList* inputs) {
    StartInputList(inputs);
    auto addEffect = [&] { AddEffectSizeInput(inputs, kExpBeta1Id, GetTestId(), "", true); };
    switch (type) {
        case kAPriori:
            addEffect();
            AddAlphaInput(inputs);
            AddPowerInput(inputs);
            break;
        case kSensitivity:
            AddEffectDirectionInput(inputs, "$\\beta$1 <= 0", "$\\beta$1 >= 0");
            AddAlphaInput(inputs);
            AddPowerInput(inputs);
            AddSampleSizeInput(inputs, kTotalSampleSizeId);
            break;
        case kPostHoc:
            addEffect();
            AddAlphaInput(inputs);
            AddSampleSizeInput(inputs, kTotalSampleSizeId);
            break;
        case kCriterion:
            addEffect();
            AddPowerInput(inputs);
            AddSampleSizeInput(inputs, kTotalSampleSizeId);
            break;
        case kCompromise:
            addEffect();
            AddRatioInput(inputs);
            AddSampleSizeInput(inputs, kTotalSampleSizeId);
            break;
    }
    AddDoubleInput(inputs, kBaseRateId, baseRate);
    AddDoubleInput(inputs, kMeanExposureId, exposure);
    AddCovariateInputs(inputs);
}

int PowerZPoissonRegress::ReadModelInputs(PropertyList* inputs) {
    int row = -1;
    const double rate = ReadDouble(inputs, kBaseRateId, &row);
    if (!(rate > 0.0)) {
        messages << "The base rate exp(b0) must be > 0.";
        return row;
    }
    if (!CheckFinite(rate)) return row;
    const double time = ReadDouble(inputs, kMeanExposureId, &row);
    if (!(time > 0.0)) {
        messages << "The mean exposure time must be > 0.";
        return row;
    }
    if (!CheckFinite(time)) return row;
    overDispersion = 1.0;
    baseRate = rate;
    exposure = time;
    return -1;
}

bool PowerZPoissonRegress::CheckEffectInput(AnalysisType, double effect) {
    return CheckEffectSizeRange(ParameterNames[kExpBeta1Id], effect, kSmallestRatio, kLargestRatio);
}

void PowerZPoissonRegress::KeepDesign(double n, double) {
    sampleSize = n;
}

PowerZCovariateRegress::SensitivityGiven PowerZPoissonRegress::ReadSensitivityGiven(
    PropertyList* inputs) {
    SensitivityGiven given;
    int directionRow = -1;
    given.direction = ReadEffectDirection(inputs, &directionRow);
    given.alpha = ReadAlpha(inputs, &given.alphaRow);
    given.power = ReadPower(inputs, &given.powerRow);
    given.n = ReadCount(inputs, &given.nRow, kTotalSampleSizeId);
    return given;
}
