#include "tests/z/power_z.h"

#include <climits>
#include <cmath>
#include <utility>

#include "analysis/test_family_support.h"
#include "distributions/normal.h"

namespace {

// The fixed sample size of the generic test: its mean and standard
// deviation are entered directly, so the size only has to be valid.
constexpr double kGenericSampleSize = 100.0;

enum NormalParam { kMean = 0, kSd = 1 };

}  // namespace

PowerZ::PowerZ() {
    distribution = new NormalDistribution(0.0, 1.0);
    PowerZ::SetStandardValues();
}

PowerAnalysis* PowerZ::Clone() {
    return CloneAs<PowerZ>();
}

void PowerZ::SetStandardValues() {
    nullSD = 1.0;
    noncentralSD = 1.0;
    distribution->SetParam(kSd, 1.0);
    alpha = 0.05;
    power = 0.95;
    proportion1 = 0.5;
    effectSize = 3.0;
    ratio = kStandardRatio;
}

void PowerZ::SetNormal(double mean, double sd) {
    distribution->SetParam(kMean, mean);
    distribution->SetParam(kSd, sd);
}

void PowerZ::SetCentralDistribution() {
    SetNormal(0.0, 1.0);
}

void PowerZ::SetNoncentralDistribution() {
    SetNormal(effectSize, noncentralSD);
}

// ----------------------------------------------------------------- power

void PowerZ::SetCriticalValues(double side, double alphaValue, double sd0) {
    SetNormal(0.0, sd0);
    const double tailAlpha = oneTailed ? alphaValue : alphaValue / 2.0;
    // H0 is symmetric about 0: the upper quantile is the negated lower one,
    // which keeps its digits where 1 - alpha rounds.
    const double lower = distribution->Quantile(tailAlpha);
    if (oneTailed) {
        criticalValue = criticalValue2 = side > 0.0 ? -lower : lower;
    } else {
        criticalValue = -lower;
        criticalValue2 = lower;
        if (side < 0.0) std::swap(criticalValue, criticalValue2);
    }
}

double PowerZ::PowerOfShift(double side, double alphaValue, double sd0, double mean1, double sd1) {
    SetCriticalValues(side, alphaValue, sd0);
    SetNormal(mean1, sd1);
    // P(X > x) as the lower tail at the mirrored point, so that a small
    // power keeps its digits.
    auto upperTail = [&](double x) {
        SetNormal(-mean1, sd1);
        const double p = distribution->Cdf(-x);
        SetNormal(mean1, sd1);
        return p;
    };
    const double upper = std::fmax(criticalValue, criticalValue2);
    const double lower = std::fmin(criticalValue, criticalValue2);
    if (oneTailed) {
        shiftBeta = side > 0.0 ? distribution->Cdf(upper) : upperTail(lower);
        return side > 0.0 ? upperTail(upper) : distribution->Cdf(lower);
    }
    // The acceptance region from the side away from the bulk of H1, less
    // the far tail beyond the other critical value.
    shiftBeta = mean1 >= 0.5 * (upper + lower) ? distribution->Cdf(upper) - distribution->Cdf(lower)
                                               : upperTail(lower) - upperTail(upper);
    shiftBeta = std::fmax(shiftBeta, 0.0);
    return upperTail(upper) + distribution->Cdf(lower);
}

// A power that does not come from a normal shift (an enumeration, say)
// leaves shiftBeta undefined; its beta is then the complement.
double PowerZ::ComputeBeta(double effect, double alphaValue, double n) {
    shiftBeta = NAN;
    const double p = ComputePower(effect, alphaValue, n);
    return std::isnan(shiftBeta) ? 1.0 - p : shiftBeta;
}

double PowerZ::ComputeBeta2(double effect, double alphaValue, double n1, double n2) {
    shiftBeta = NAN;
    const double p = ComputePower2(effect, alphaValue, n1, n2);
    return std::isnan(shiftBeta) ? 1.0 - p : shiftBeta;
}

double PowerZ::GetBeta() {
    if (HasTwoGroups()) return ComputeBeta2(effectSize, alpha, groupSize1, groupSize2);
    return ComputeBeta(effectSize, alpha, sampleSize);
}

double PowerZ::ComputePower(double effect, double alphaValue, double n) {
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n;
    nullSD = GetNullSD();
    noncentralSD = GetNoncentralSD();
    return PowerOfShift(effect, alphaValue, nullSD, NoncentralityFromEffect(effect), noncentralSD);
}

int PowerZ::AsCount(double n) {
    if (std::isnan(n)) return INT_MIN;
    if (n >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (n <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(n);
}

int PowerZ::ClampedSum(long n1, long n2) {
    const long long sum = static_cast<long long>(n1) + n2;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

// ---------------------------------------------------------- the generic test

bool PowerZ::CheckFinite(double value) {
    if (std::isfinite(value)) return true;
    messages << "Input error (number out of range)";
    return false;
}

void PowerZ::GetAnalysisTypes(PropertyList* list) {
    GetGenericAnalysisTypes(list);
}

void PowerZ::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    // No A priori in the generic test: the mean is an input.
    if (type == kAPriori) return;
    AddTailsInput(inputs);
    const GivenInputs given = GivenInputsOf(type);
    if (given.effect) AddNoncentralityInput(inputs, GetNoncentralityId());
    AddNoncentralSDInput(inputs, kNoncentralSdId);
    if (given.alpha) AddAlphaInput(inputs);
    if (given.power) AddPowerInput(inputs);
    if (given.ratio) AddRatioInput(inputs);
}

CalculateStatus PowerZ::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    if (type == kAPriori) return kCalculateDone;
    int sdRow = -1;
    const double sd = ReadDouble(inputs, kNoncentralSdId, &sdRow);
    if (!CheckStandardError(sd, 1e-8) || !CheckFinite(sd)) return sdRow;
    int tailsRow = -1;
    const int tails = ReadTails(inputs, &tailsRow);
    // Once the inputs have passed their checks.
    auto takeDesign = [&] {
        noncentralSD = sd;
        oneTailed = tails == 0;
        distribution->SetParam(kSd, 1.0);
    };
    const double n = kGenericSampleSize;
    int row1 = -1, row2 = -1;
    switch (type) {
        case kSensitivity: {
            const double a = ReadAlpha(inputs, &row1);
            const double p = ReadPower(inputs, &row2);
            if (!CheckAlphaRange(a)) return row1;
            if (!CheckPowerRange(p)) return row2;
            if (!CheckPowerAboveAlpha(a, p)) return row2;
            takeDesign();
            effectSize = RestoringOnFailure(effectSize, [&] { return SolveEffectSize(a, p, n); });
            break;
        }
        case kPostHoc: {
            const double mu = ReadEffectSize(inputs, &row1, GetNoncentralityId());
            if (!CheckFinite(mu)) return row1;
            const double a = ReadAlpha(inputs, &row2);
            if (!CheckAlphaRange(a)) return row2;
            takeDesign();
            power = ComputePower(mu, a, n);
            break;
        }
        case kCriterion: {
            const double mu = ReadEffectSize(inputs, &row1, GetNoncentralityId());
            if (!CheckFinite(mu)) return row1;
            const double p = ReadPower(inputs, &row2);
            if (!CheckPowerRange(p)) return row2;
            takeDesign();
            alpha = SolveAlpha(mu, p, n);
            // The critical values of the alpha found, on the standard scale.
            SetCriticalValues(mu, alpha, 1.0);
            break;
        }
        case kCompromise: {
            const double mu = ReadEffectSize(inputs, &row1, GetNoncentralityId());
            if (!CheckFinite(mu)) return row1;
            const double q = ReadRatio(inputs, &row2);
            if (!CheckRatio(q, 0.01, 100.0)) return row2;
            takeDesign();
            alpha = SolveCompromise(mu, q, n);
            power = ComputePower(mu, alpha, n);
            break;
        }
        case kAPriori:
            break;
    }
    return kCalculateDone;
}

void PowerZ::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    BuildGenericOutputList(type, outputs);
}

void PowerZ::GetOutputs(AnalysisType type, PropertyList* outputs) {
    GetGenericOutputs(type, outputs);
}

// ------------------------------------------------------ two-group outputs

void PowerZ::BuildTwoGroupOutputList(AnalysisType type, PropertyList* outputs,
                                     ParameterId effectId) {
    outputs->Clear();
    AddOutput(outputs, kCriticalZId);
    switch (type) {
        case kAPriori:
            AddSampleSize1Output(outputs);
            AddSampleSize2Output(outputs);
            AddCountOutput(outputs, kTotalSampleSizeId);
            AddActualPowerOutput(outputs);
            break;
        case kSensitivity:
            AddOutput(outputs, effectId);
            break;
        case kPostHoc:
            AddPowerOutput(outputs);
            break;
        case kCriterion:
            AddAlphaOutput(outputs);
            break;
        case kCompromise:
            AddAlphaOutput(outputs);
            AddBetaOutput(outputs);
            AddPowerOutput(outputs);
            break;
    }
}

void PowerZ::GetTwoGroupOutputs(AnalysisType type, PropertyList* outputs, ParameterId effectId) {
    SetCriticalValueOutput(outputs, kCriticalZId);
    switch (type) {
        case kAPriori:
            SetSampleSize1Output(outputs);
            SetSampleSize2Output(outputs);
            SetSampleSizeOutput(outputs, kTotalSampleSizeId);
            SetActualPowerOutput(outputs);
            break;
        case kSensitivity:
            SetEffectSizeOutput(outputs, effectId, false);
            break;
        case kPostHoc:
            SetPowerOutput(outputs);
            break;
        case kCriterion:
            SetAlphaOutput(outputs);
            break;
        case kCompromise:
            SetAlphaOutput(outputs);
            SetBetaOutput(outputs);
            SetPowerOutput(outputs);
            break;
    }
}
