#include "tests/z/power_z_poisson_regress.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "analysis/test_family_support.h"
#include "distributions/chi.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"
#include "tests/z/enumeration_workspace.h"
#include "tests/z/poisson_integrands.h"

namespace {

// The admissible alpha at most; a one-tailed alpha doubled for the
// two-sided chi-square statistic stays below it.
constexpr double kLargestAlpha = 0.9999999;
// The admissible rate ratios.
constexpr double kSmallestRatio = 1e-6;
constexpr double kLargestRatio = 1000.0;

// The largest total sample size the test admits.
constexpr double kLargestTotal = 2147483646.0;
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
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    groupSize1 = groupSize2 = 50.0;
    allocationRatio = 1.0;
    effectSize = 1.3;
    ratio = kStandardRatio;
    nullSD = 1.0;
    noncentralSD = 1.0;
    effectDirection = 1.0;
    SetNormal(0.0, 1.0);
    xDistribution = kXNormal;
    normalMean = 0.0;
    normalSD = 1.0;
    exponentialLambda = 1.0;
    binomialPi = 0.5;
    uniformLeft = 0.0;
    uniformRight = 1.0;
    lognormalMu = 0.0;
    lognormalSigma = 1.0;
    poissonLambda = 1.0;
    exposure = 1.0;
    overDispersion = 1.0;
    manualVarH0 = 1.0;
    manualVarH1 = 1.5;
    baseRate = 0.85;
    otherR2 = 0.0;
    useEnumeration = false;
    enumerationWald = true;
    demidenko = true;
    varianceCorrection = true;
    enumerationMaxN = 10000.0;
}

// ---------------------------------------------------------------- names

std::string PowerZPoissonRegress::GetMethodText() {
    if (UsesEnumeration()) {
        return std::string("Enumeration method, ") + (enumerationWald ? "Wald" : "LR") + "-test";
    }
    std::string text = "Large sample z-Test, ";
    text += demidenko ? "Demidenko (2007)" : "Signorini (1991)";
    if (demidenko && varianceCorrection) text += " with var corr ";
    return text;
}

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
            std::unique_ptr<varBp> integrand;
            switch (xDistribution) {
                case kXExponential:
                    integrand = std::make_unique<varBpexp>(0.0, beta1, exponentialLambda);
                    break;
                case kXLognormal:
                    integrand =
                        std::make_unique<varBplognormal>(0.0, beta1, lognormalMu, lognormalSigma);
                    k = 0.75;
                    break;
                case kXPoisson:
                    integrand = std::make_unique<varBppoiss>(0.0, beta1, poissonLambda);
                    break;
                case kXUniform: {
                    const double middle = uniformLeft / 2.0 + uniformRight / 2.0;
                    if (beta1 != 0.0) logRateScale += beta1 * middle;
                    integrand = std::make_unique<varBpuni>(0.0, beta1, uniformLeft - middle,
                                                           uniformRight - middle);
                    break;
                }
                default:
                    if (beta1 != 0.0) logRateScale += beta1 * normalMean;
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

double PowerZPoissonRegress::EnumerationPower(double alphaValue, double effectiveN) {
    double a = normalMean, b = normalSD;
    switch (xDistribution) {
        case kXBinomial:
            a = binomialPi;
            break;
        case kXExponential:
            a = exponentialLambda;
            break;
        case kXLognormal:
            a = lognormalMu;
            b = lognormalSigma;
            break;
        case kXPoisson:
            a = poissonLambda;
            break;
        case kXUniform:
            a = uniformLeft;
            b = uniformRight;
            break;
        default:
            break;
    }
    EnumerationWorkspace workspace;
    workspace.cancel = &cancelled;
    workspace.SetCovariate(EnumerationCovariateOf(xDistribution), a, b);
    workspace.exposure = exposure;
    // The chi-square statistic is two-sided: a one-tailed level is doubled,
    // but never to a level of 1 or more.
    const double level = oneTailed ? std::min(2.0 * alphaValue, kLargestAlpha) : alphaValue;
    const double n = std::min(RoundTo(effectiveN, 0), enumerationMaxN);
    const double result = workspace.EnumeratePoisson(std::log(baseRate), std::log(effectSize),
                                                     static_cast<int>(n), level, enumerationWald);
    criticalValue = criticalValue2 = workspace.criticalValue;
    enumerationNoncentrality = workspace.noncentrality;
    df = 1.0;
    return result;
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
    if (n > kLargestTotal) {
        throw QuorixError("No sample size found that reaches the target power.",
                          QuorixError::kAboveUpperBound, n);
    }
    return n;
}

void PowerZPoissonRegress::BracketSampleSize() {
    BracketSampleSizeFrom(2.0, 100.0);
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

void PowerZPoissonRegress::SetNoncentralDistribution() {
    if (auto* chi = dynamic_cast<ChiDistribution*>(distribution)) {
        chi->SetNoncentrality(enumerationNoncentrality);
        chi->SetParam(1, 1.0);
        return;
    }
    GetNoncentralSD();
    double mean = 0.0, sd = 1.0;
    StatisticUnderH1((1.0 - otherR2) * sampleSize, &mean, &sd);
    SetNormal(mean, sd);
}

// ----------------------------------------------------------------- checks

bool PowerZPoissonRegress::CheckEffectSize(int, double effect) {
    ClearMessage();
    if (kSmallestRatio <= effect && effect <= kLargestRatio) return true;
    messages << "The effect size is outside the admissible range [" << kSmallestRatio << ", "
             << kLargestRatio << "\n";
    return false;
}

int PowerZPoissonRegress::ReadCovariate(PropertyList* inputs) {
    int row = -1, row2 = -1;
    switch (xDistribution) {
        case kXBinomial: {
            const double pi = ReadDouble(inputs, kXParmPiId, &row);
            if (!(0.0 < pi && pi < 1.0)) {
                messages << "The parameter pi must lie in the interval ]0,1[.";
                return row;
            }
            binomialPi = pi;
            return -1;
        }
        case kXExponential:
        case kXPoisson: {
            const double lambda = ReadDouble(inputs, kXParmLambdaId, &row);
            if (!(lambda > 0.0)) {
                messages << "The parameter lambda must be > 0.";
                return row;
            }
            if (!CheckFinite(lambda)) return row;
            if (xDistribution == kXExponential) {
                exponentialLambda = lambda;
            } else {
                poissonLambda = lambda;
            }
            return -1;
        }
        case kXNormal:
        case kXLognormal: {
            const double mu = ReadDouble(inputs, kXParmMuId, &row);
            const double sigma = ReadDouble(inputs, kXParmSigmaId, &row2);
            if (!(sigma > 0.0)) {
                messages << "The standard deviation must be > 0.";
                return row2;
            }
            if (!CheckFinite(mu)) return row;
            // The moments take sigma squared.
            if (!CheckFinite(sigma * sigma)) return row2;
            if (xDistribution == kXNormal) {
                normalMean = mu;
                normalSD = sigma;
            } else {
                lognormalMu = mu;
                lognormalSigma = sigma;
            }
            return -1;
        }
        case kXUniform: {
            const double left = ReadDouble(inputs, kXLeftBorderId, &row);
            const double right = ReadDouble(inputs, kXRightBorderId, &row2);
            if (!(left < right)) {
                messages << "The left interval border must be lower than the right border.";
                return row;
            }
            if (!CheckFinite(left)) return row;
            if (!CheckFinite(right - left)) return row2;
            uniformLeft = left;
            uniformRight = right;
            return -1;
        }
        case kXManual: {
            const double v0 = ReadDouble(inputs, kXVarBetaH0Id, &row);
            const double v1 = ReadDouble(inputs, kXVarBetaH1Id, &row2);
            if (!(v0 > 0.0)) {
                messages << "The variance under H0 must be greater than zero.";
                return row;
            }
            if (!(v1 > 0.0)) {
                messages << "The variance under H1 must be greater than zero.";
                return row2;
            }
            if (!CheckFinite(v0)) return row;
            if (!CheckFinite(v1)) return row2;
            manualVarH0 = v0;
            manualVarH1 = v1;
            return -1;
        }
        default:
            return -1;
    }
}

// --------------------------------------------------------- lists and run

void PowerZPoissonRegress::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    // The manual mode has no covariate to enumerate; the enumeration method
    // offers the others only.
    if (EnumerationApplies() && xDistribution == kXManual) xDistribution = kXNormal;
    AddTailsInput(inputs);
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
    AddDoubleInput(inputs, kR2OtherXId, otherR2);
    AddXDistributionInput(inputs, xDistribution, UsesEnumeration());
    switch (xDistribution) {
        case kXBinomial:
            AddDoubleInput(inputs, kXParmPiId, binomialPi);
            break;
        case kXExponential:
            AddDoubleInput(inputs, kXParmLambdaId, exponentialLambda);
            break;
        case kXLognormal:
            AddDoubleInput(inputs, kXParmMuId, lognormalMu);
            AddDoubleInput(inputs, kXParmSigmaId, lognormalSigma);
            break;
        case kXNormal:
            AddDoubleInput(inputs, kXParmMuId, normalMean);
            AddDoubleInput(inputs, kXParmSigmaId, normalSD);
            break;
        case kXPoisson:
            AddDoubleInput(inputs, kXParmLambdaId, poissonLambda);
            break;
        case kXUniform:
            AddDoubleInput(inputs, kXLeftBorderId, uniformLeft);
            AddDoubleInput(inputs, kXRightBorderId, uniformRight);
            break;
        case kXManual:
            AddDoubleInput(inputs, kXVarBetaH0Id, manualVarH0);
            AddDoubleInput(inputs, kXVarBetaH1Id, manualVarH1);
            break;
        default:
            break;
    }
}

CalculateStatus PowerZPoissonRegress::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    const std::string effectLabel = ParameterNames[kExpBeta1Id];

    int row = -1;
    const int code = ReadXDistribution(inputs, &row);
    if (code == kXManual && type == kSensitivity) {
        messages << "Sensitivity analyses are not possible when using\n'manual mode' in "
                    "specifying the X distribution";
        return row;
    }

    int tailsRow = -1;
    const int tails = ReadTails(inputs, &tailsRow);
    const double r2 = ReadDouble(inputs, kR2OtherXId, &row);
    if (!CheckProportion("R$^2$ other X", r2)) return row;

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
    otherR2 = r2;

    if (const int bad = ReadCovariate(inputs); bad >= 0) return bad;

    auto takeDesign = [&](double n) {
        oneTailed = tails == 0;
        sampleSize = n;
        groupSize1 = groupSize2 = n / 2.0;
    };

    int effectRow = -1, alphaRow = -1, powerRow = -1, nRow = -1;
    switch (type) {
        case kAPriori: {
            const double e = ReadEffectSize(inputs, &effectRow, kExpBeta1Id);
            const double a = ReadAlpha(inputs, &alphaRow);
            const double p = ReadPower(inputs, &powerRow);
            if (!CheckEffectSizeRange(effectLabel, e, kSmallestRatio, kLargestRatio)) {
                return effectRow;
            }
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckPowerAboveAlpha(a, p)) return powerRow;
            oneTailed = tails == 0;
            if (const int bad = CheckSlopeVariances(e, inputs); bad >= 0) return bad;
            effectSize = e;
            const double n = SolveSampleSize(e, a, p, true);
            takeDesign(n);
            actualPower = ComputePower2(e, a, n / 2.0, n / 2.0);
            break;
        }
        case kSensitivity: {
            int directionRow = -1;
            const int direction = ReadEffectDirection(inputs, &directionRow);
            const double a = ReadAlpha(inputs, &alphaRow);
            const double p = ReadPower(inputs, &powerRow);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckPowerAboveAlpha(a, p)) return powerRow;
            if (!CheckSampleSizeMinimum(static_cast<int>(n), 2)) return nRow;
            takeDesign(static_cast<double>(n));
            effectDirection = direction == 1 ? 1.0 : -1.0;
            effectSize = RestoringOnFailure(effectSize, [&] {
                return SolveEffectSize2(a, p, sampleSize / 2.0, sampleSize / 2.0);
            });
            // The critical values of the effect found.
            ComputePower(effectSize, a, sampleSize);
            power = p;
            break;
        }
        case kPostHoc: {
            const double e = ReadEffectSize(inputs, &effectRow, kExpBeta1Id);
            const double a = ReadAlpha(inputs, &alphaRow);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSizeRange(effectLabel, e, kSmallestRatio, kLargestRatio)) {
                return effectRow;
            }
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckSampleSizeMinimum(static_cast<int>(n), 2)) return nRow;
            takeDesign(static_cast<double>(n));
            if (const int bad = CheckSlopeVariances(e, inputs); bad >= 0) return bad;
            power = ComputePower2(e, a, n / 2.0, n / 2.0);
            break;
        }
        case kCriterion: {
            const double e = ReadEffectSize(inputs, &effectRow, kExpBeta1Id);
            const double p = ReadPower(inputs, &powerRow);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSizeRange(effectLabel, e, kSmallestRatio, kLargestRatio)) {
                return effectRow;
            }
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckSampleSizeMinimum(static_cast<int>(n), 2)) return nRow;
            takeDesign(static_cast<double>(n));
            if (const int bad = CheckSlopeVariances(e, inputs); bad >= 0) return bad;
            alpha = SolveAlpha2(e, p, n / 2.0, n / 2.0);
            // The critical values of the alpha found.
            ComputePower2(e, alpha, n / 2.0, n / 2.0);
            power = p;
            break;
        }
        case kCompromise: {
            const double e = ReadEffectSize(inputs, &effectRow, kExpBeta1Id);
            const double q = ReadRatio(inputs, &row);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSizeRange(effectLabel, e, kSmallestRatio, kLargestRatio)) {
                return effectRow;
            }
            if (!CheckSampleSizeMinimum(static_cast<int>(n), 2)) return nRow;
            if (!CheckRatio(q, 0.01, 100.0)) return row;
            takeDesign(static_cast<double>(n));
            if (const int bad = CheckSlopeVariances(e, inputs); bad >= 0) return bad;
            alpha = SolveCompromise2(e, q, n / 2.0, n / 2.0);
            power = ComputePower2(e, alpha, n / 2.0, n / 2.0);
            CheckCompromiseRatio(q);
            break;
        }
    }
    return kCalculateDone;
}

void PowerZPoissonRegress::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    outputs->Clear();
    const bool enumeration = UsesEnumeration();
    if (enumeration) AddOutput(outputs, kNoncentralityLambdaId);
    AddOutput(outputs, GetCriticalValueId());
    if (enumeration) AddDfOutput(outputs, true);
    AddTypeOutputs(type, outputs);
}

void PowerZPoissonRegress::GetOutputs(AnalysisType type, PropertyList* outputs) {
    // N decides the method, so the rows follow the last result.
    BuildOutputList(type, outputs);
    if (UsesEnumeration()) {
        SetOutput(outputs, kNoncentralityLambdaId, enumerationNoncentrality);
        df = 1.0;
        SetDfOutput(outputs);
    }
    SetCriticalValueOutput(outputs, GetCriticalValueId());
    SetTypeOutputs(type, outputs);
}
