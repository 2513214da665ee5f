#include "power/z/power_z_logistic_regress.h"

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

namespace {

// p1 within this distance of p0 is moved to it: the model then still has a
// slope to test.
constexpr double kSmallestDifference = 1e-6;
// Golden-section step 2 - (1 + sqrt 5) / 2.
const double kGolden = 2.0 - (1.0 + std::sqrt(5.0)) / 2.0;
constexpr int kMaxGoldenSteps = 499;
constexpr int kMaxHalvings = 400;

double Logit(double p) {
    return std::log(p / (1.0 - p));
}

}  // namespace

PowerZLogisticRegress::PowerZLogisticRegress() {
    PowerZLogisticRegress::SetStandardValues();
}

PowerAnalysis* PowerZLogisticRegress::Clone() {
    auto* copy = CloneAs<PowerZLogisticRegress>();
    CopyCovariateStateTo(copy);
    copy->p0 = p0;
    copy->p1 = p1;
    copy->oddsRatioInput = oddsRatioInput;
    return copy;
}

void PowerZLogisticRegress::SetStandardValues() {
    PowerZCovariateRegress::SetStandardValues();
    p0 = 0.2;
    oddsRatioInput = true;
    p1 = P1FromEffect(effectSize);
}

// ---------------------------------------------------------------- names

ParameterId PowerZLogisticRegress::GetEffectSizeId() {
    return EffectInputId();
}

// ---------------------------------------------------------- conversions

double PowerZLogisticRegress::P1FromEffect(double effect) {
    if (!oddsRatioInput) return effect;
    return p0 * effect / ((effect - 1.0) * p0 + 1.0);
}

double PowerZLogisticRegress::EffectFromP1(double p) {
    if (!oddsRatioInput) return p;
    return (p / (1.0 - p)) / (p0 / (1.0 - p0));
}

void PowerZLogisticRegress::SetOddsRatioInput(bool oddsRatio) {
    if (oddsRatio == oddsRatioInput) return;
    const double p = P1FromEffect(effectSize);
    oddsRatioInput = oddsRatio;
    effectSize = EffectFromP1(p);
    // A text typed into the other input earlier would describe another p1.
    int row = -1;
    if (Property* old = inputTexts.FindWithIndex(ParameterNames[EffectInputId()], &row)) {
        delete old;
        inputTexts.erase(inputTexts.begin() + row);
    }
}

void PowerZLogisticRegress::SetP1FromEffect(double effect) {
    p1 = P1FromEffect(effect);
    if (std::fabs(p1 - p0) < kSmallestDifference) {
        p1 = p1 < p0 ? p0 - kSmallestDifference : p0 + kSmallestDifference;
        // p0 at the end of its range: the other side keeps p1 a probability.
        if (!(0.0 < p1 && p1 < 1.0)) p1 = 2.0 * p0 - p1;
    }
}

double PowerZLogisticRegress::GetEffectSize() {
    return p1 - p0;
}

// ----------------------------------------------------------- variances

double PowerZLogisticRegress::GetNoncentralSD() {
    nullSD = 1.0;
    const double beta0 = Logit(p0);
    const double beta1 = Logit(p1) - Logit(p0);
    double k = 1.0;
    switch (xDistribution) {
        case kXBinomial: {
            const double pi = binomialPi;
            const double pa = LogisticProbability(beta0);
            const double pb = LogisticProbability(beta0 + beta1);
            const double pbar = (1.0 - pi) * pa + pi * pb;
            varianceH0 = 1.0 / ((1.0 - pi) * pi * pbar * (1.0 - pbar));
            varianceH1 = 1.0 / ((1.0 - pi) * pa * (1.0 - pa)) + 1.0 / (pi * pb * (1.0 - pb));
            k = 0.85;
            break;
        }
        case kXManual:
            varianceH0 = manualVarH0;
            varianceH1 = manualVarH1;
            break;
        default: {
            if (xDistribution == kXLognormal) k = 0.75;
            if (RecallVariances(beta0, beta1, 0, &varianceH0, &varianceH1)) break;
            std::unique_ptr<varB> integrand;
            switch (xDistribution) {
                case kXExponential:
                    integrand = std::make_unique<varBexp>(beta0, beta1, exponentialLambda);
                    break;
                case kXLognormal:
                    integrand =
                        std::make_unique<varBlognormal>(beta0, beta1, lognormalMu, lognormalSigma);
                    break;
                case kXPoisson:
                    integrand = std::make_unique<varBpoiss>(beta0, beta1, poissonLambda);
                    break;
                case kXUniform:
                    integrand = std::make_unique<varBuni>(beta0, beta1, uniformLeft, uniformRight);
                    break;
                default:
                    integrand = std::make_unique<varBnormal>(beta0, beta1, normalMean, normalSD);
                    break;
            }
            integrand->cancel = &cancelled;
            // The integrals poll it too.
            CancelCheck check([this] { return cancelled.load(std::memory_order_relaxed); });
            if (xDistribution == kXPoisson) {
                integrand->ComputeVariancesDiscrete(&varianceH0, &varianceH1, 0,
                                                    varianceCorrection);
            } else {
                integrand->ComputeVariances(&varianceH0, &varianceH1, 0, varianceCorrection);
            }
            KeepVariances(beta0, beta1, 0, varianceH0, varianceH1);
            break;
        }
    }
    noncentralSD = 1.0;
    if (varianceCorrection) {
        noncentralSD = std::sqrt(((1.0 - k) * varianceH1 + k * varianceH0) / varianceH1);
    }
    return noncentralSD;
}

// ----------------------------------------------------------------- power

double PowerZLogisticRegress::Enumerate(EnumerationWorkspace& workspace, int n, double level) {
    return workspace.Enumerate(p0, p1, n, level, enumerationWald);
}

bool PowerZLogisticRegress::UsesSignorini() {
    if (demidenko) return false;
    if (xDistribution == kXBinomial) return true;
    return xDistribution == kXNormal && std::fabs(normalMean) < 1e-14 &&
           std::fabs(normalSD - 1.0) < 1e-14;
}

double PowerZLogisticRegress::SignoriniPower(double alphaValue, double effectiveN) {
    SetCriticalValues(p1 - p0, alphaValue, 1.0);
    SetNormal(0.0, 1.0);
    const double z = std::fabs(criticalValue);
    double x;
    if (xDistribution == kXNormal) {
        const double beta1 = Logit(p1) - Logit(p0);
        x = std::fabs(beta1) * std::sqrt(effectiveN * p0 * (1.0 - p0)) - z;
    } else {
        const double pi = binomialPi;
        const double pbar = (1.0 - pi) * p0 + pi * p1;
        const double a = std::fabs(p0 - p1) * std::sqrt((1.0 - pi) * effectiveN);
        const double b = std::sqrt(pbar * (1.0 - pbar) / pi);
        const double d = std::sqrt(p1 * (1.0 - p1) * (1.0 - pi) / pi + p0 * (1.0 - p0));
        x = (a - b * z) / d;
    }
    // beta from its own tail: Compromise can put it far below 1e-16.
    shiftBeta = distribution->Cdf(-x);
    return distribution->Cdf(x);
}

double PowerZLogisticRegress::ComputePower(double effect, double alphaValue, double n) {
    sampleSize = n;
    effectSize = effect;
    alpha = alphaValue;
    SetP1FromEffect(effect);
    const double effectiveN = (1.0 - otherR2) * n;
    if (UsesEnumeration()) return EnumerationPower(alphaValue, effectiveN);
    SetNormal(0.0, 1.0);
    if (UsesSignorini()) return SignoriniPower(alphaValue, effectiveN);

    GetNoncentralSD();
    double mean = (Logit(p1) - Logit(p0)) * std::sqrt(effectiveN / varianceH1);
    double sd = noncentralSD;
    // A covariate that lies where the model's probabilities are 0 or 1
    // carries no information on the slope: the statistic does not move
    // from H0, and the power is alpha.
    if (!(std::isfinite(varianceH1) && varianceH1 > 0.0 && std::isfinite(sd) && sd > 0.0)) {
        mean = 0.0;
        sd = 1.0;
    }
    return PowerOfShift(p1 - p0, alphaValue, 1.0, mean, sd);
}

// --------------------------------------------------------------- searches

double PowerZLogisticRegress::SolveSampleSize(double effect, double alphaValue, double powerValue,
                                              bool round) {
    if (std::fabs(P1FromEffect(effect) - p0) < 1e-10) {
        throw QuorixError("No sample size found that reaches the target power.",
                          QuorixError::kAboveUpperBound, 0.0);
    }
    return PowerZ::SolveSampleSize(effect, alphaValue, powerValue, round);
}

double PowerZLogisticRegress::SensitivityObjective(double x) {
    const double r = ComputePower(x, alpha, sampleSize) - power;
    const double q = P1FromEffect(x);
    if (effectDirection > 0.0) return q < p0 ? r + 1.0 : r;
    return q <= p0 ? -r : r + 1.0;
}

double PowerZLogisticRegress::PowerAtP1(double x) {
    if (IsCancelled()) throw CancelledError();
    return ComputePower(EffectFromP1(x), alpha, sampleSize);
}

double PowerZLogisticRegress::SolveEffectSize(double alphaValue, double powerValue, double n) {
    alpha = alphaValue;
    power = powerValue;
    sampleSize = n;
    actualPower = powerValue;
    analysisType = kSensitivity;
    BracketEffectSize();
    // The largest power that any p1 on the chosen side gives falls short of
    // the target: there is no effect to report.
    if (powerValue > actualPower) {
        throw QuorixError("No effect size found that reaches the target power.",
                          QuorixError::kAboveUpperBound, actualPower);
    }
    actualPower = powerValue;
    return SolveInBracket("Solver-EffectSize", 100);
}

void PowerZLogisticRegress::BracketEffectSize() {
    // The ends of the search in p1, inside (0, 1) on p0's chosen side.
    if (effectDirection > 0.0) {
        const double q = std::max(0.999, (1.0 + p0) / 2.0);
        if (PowerAtP1(q) < 0.99999) {
            BracketMaxPower(p0, (p0 + q) / 2.0, q);
        } else {
            BracketP1FromStart(p0 + 1e-10, 0.9999999999, p0 + (1.0 - p0) / 2.0);
        }
    } else {
        const double q = std::min(0.001, p0 / 2.0);
        if (PowerAtP1(q) < 0.99999) {
            BracketMaxPower(q, (q + p0) / 2.0, p0);
        } else {
            BracketP1FromStart(1e-10, p0, p0 / 2.0);
        }
    }
}

void PowerZLogisticRegress::BracketMaxPower(double a, double b, double c) {
    double powerB = PowerAtP1(b);
    double x = b;
    for (int step = 0; step < kMaxGoldenSteps; ++step) {
        x = (c - b > b - a) ? b + kGolden * (c - b) : b - kGolden * (b - a);
        if (std::fabs(c - a) < 1e-5 * (std::fabs(x) + std::fabs(b))) {
            x = (a + c) / 2.0;
            break;
        }
        const double powerX = PowerAtP1(x);
        if (powerX > powerB) {
            if (x > b) {
                a = b;
            } else {
                c = b;
            }
            b = x;
            powerB = powerX;
        } else if (x > b) {
            c = x;
        } else {
            a = x;
        }
    }
    actualPower = PowerAtP1(x);
    if (p0 > x) {
        bracketHigh = EffectFromP1(p0 - 1e-10);
        bracketLow = EffectFromP1(x);
    } else {
        bracketLow = EffectFromP1(p0 + 1e-10);
        bracketHigh = EffectFromP1(x);
    }
}

void PowerZLogisticRegress::BracketP1FromStart(double lo, double hi, double start) {
    auto objective = [this](double x) { return Probe(EffectFromP1(x)); };
    double low, high;
    if (objective(start) > 0.0) {
        high = start;
        low = (lo + start) / 2.0;
        for (int i = 0; i < kMaxHalvings && objective(low) > 0.0; ++i) {
            high = low;
            low = (low + lo) / 2.0;
        }
    } else {
        low = start;
        high = (hi + start) / 2.0;
        for (int i = 0; i < kMaxHalvings && objective(high) < 0.0; ++i) {
            low = high;
            high = (high + hi) / 2.0;
        }
    }
    low = std::max(low, lo);
    high = std::min(high, hi);
    bracketLow = EffectFromP1(low);
    bracketHigh = EffectFromP1(high);
}

// ------------------------------------------------------------- the graph

void PowerZLogisticRegress::NormalUnderH1(double* mean, double* sd) {
    const double effectiveN = sampleSize * (1.0 - otherR2);
    *mean = (Logit(p1) - Logit(p0)) * std::sqrt(effectiveN / varianceH1);
    *sd = noncentralSD;
    if (!(std::isfinite(*mean) && std::isfinite(*sd) && *sd > 0.0)) {
        *mean = 0.0;
        *sd = 1.0;
    }
}

// ----------------------------------------------------------------- checks

bool PowerZLogisticRegress::CheckEffectSize(int type, double effect) {
    ClearMessage();
    const double q = P1FromEffect(effect);
    if (!(1e-6 <= q && q <= 0.999999)) {
        if (oddsRatioInput) {
            messages << "The odds ratio must be positive";
        } else {
            messages << "The response probability must is outside\nthe admissible range [1e-6, "
                        "1-1e-6]";
        }
        return false;
    }
    if (type == kAPriori && std::fabs(q - p0) < 1e-10) {
        messages << "Effect size to small (p1 = " << p0 << ", |p1 - p2| < 1e-10)";
        return false;
    }
    return true;
}

int PowerZLogisticRegress::UnrepresentableParameter(double first, double second) {
    switch (xDistribution) {
        case kXExponential:
            // Its second moment 2 / lambda^2 must be a number.
            return std::isfinite(2.0 / (first * first)) ? 0 : 1;
        case kXPoisson:
            // The counts are summed; the Poisson quantiles end at 1e15.
            return first <= 1e15 ? 0 : 1;
        case kXNormal:
            return std::isfinite(second * second) ? 0 : 2;
        case kXLognormal:
            // The moments exp(mu + sigma^2 / 2) and exp(2 (mu + sigma^2)).
            if (!std::isfinite(std::exp(2.0 * second * second))) return 2;
            return std::isfinite(std::exp(2.0 * (first + second * second))) ? 0 : 1;
        case kXUniform:
            if (!std::isfinite(first * first)) return 1;
            if (!std::isfinite(second * second)) return 2;
            return std::isfinite((second - first) * (second - first)) ? 0 : 2;
        default:
            return 0;
    }
}

// --------------------------------------------------------- lists and run

void PowerZLogisticRegress::BuildInputList(AnalysisType type, PropertyList* inputs) {
    StartInputList(inputs);
    auto addEffect = [&] { AddEffectSizeInput(inputs, EffectInputId(), GetTestId(), "", true); };
    auto addP0 = [&] { AddDoubleInput(inputs, kPrY1X1H0Id, p0); };
    switch (type) {
        case kAPriori:
            addEffect();
            addP0();
            AddAlphaInput(inputs);
            AddPowerInput(inputs);
            break;
        case kSensitivity:
            AddEffectDirectionInput(inputs, "p2 <= p1", "p2 >= p1");
            AddAlphaInput(inputs);
            addP0();
            AddPowerInput(inputs);
            AddSampleSizeInput(inputs, kTotalSampleSizeId);
            break;
        case kPostHoc:
            addEffect();
            addP0();
            AddAlphaInput(inputs);
            AddSampleSizeInput(inputs, kTotalSampleSizeId);
            break;
        case kCriterion:
            addEffect();
            addP0();
            AddPowerInput(inputs);
            AddSampleSizeInput(inputs, kTotalSampleSizeId);
            break;
        case kCompromise:
            addEffect();
            addP0();
            AddRatioInput(inputs);
            AddSampleSizeInput(inputs, kTotalSampleSizeId);
            break;
    }
    AddCovariateInputs(inputs);
}

CalculateStatus PowerZLogisticRegress::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    // p0 fixes beta0; it is read and checked before the covariate.
    int row = -1;
    const double p0Value = ReadDouble(inputs, kPrY1X1H0Id, &row);
    if (!CheckNamedRangeInclusive("Proportion 1", p0Value, 1e-6)) return row;
    p0 = p0Value;
    return PowerZCovariateRegress::Calculate(type, inputs);
}

bool PowerZLogisticRegress::CheckEffectDiffers(double effect) {
    if (oddsRatioInput) {
        if (std::fabs(effect - 1.0) < 1e-6) {
            messages << "The effect size is too low!\nThe odds ratio must differ from 1 by at "
                        "least 1e-6";
            return false;
        }
    } else if (std::fabs(effect - p0) < 1e-10) {
        messages << "The effect size is too low!\nThe difference between "
                 << ParameterNames[kPrY1X1H0Id] << " and " << ParameterNames[kPrY1X1H1Id]
                 << "\nmust not be less than 1e-10";
        return false;
    }
    return true;
}

bool PowerZLogisticRegress::CheckEffectInput(AnalysisType type, double effect) {
    // The effect must also describe a probability p1 the model can take.
    const double upperEffect = oddsRatioInput ? 100.0 : 0.999999;
    return CheckEffectSizeRange(ParameterNames[EffectInputId()], effect, 0.0, upperEffect) &&
           CheckEffectSize(type, effect);
}

void PowerZLogisticRegress::KeepDesign(double, double effect) {
    // The variances take p1.
    p1 = P1FromEffect(effect);
}

PowerZCovariateRegress::SensitivityGiven PowerZLogisticRegress::ReadSensitivityGiven(
    PropertyList* inputs) {
    SensitivityGiven given;
    given.alpha = ReadAlpha(inputs, &given.alphaRow);
    given.power = ReadPower(inputs, &given.powerRow);
    given.n = ReadCount(inputs, &given.nRow, kTotalSampleSizeId);
    int directionRow = -1;
    given.direction = ReadEffectDirection(inputs, &directionRow);
    return given;
}

double PowerZLogisticRegress::SolveSensitivity(double alphaValue, double powerValue) {
    // A search that fails leaves p1 where it was, as it leaves the effect.
    return RestoringOnFailure(p1,
                              [&] { return SolveEffectSize(alphaValue, powerValue, sampleSize); });
}
