#include "power/z/power_z.h"

#include <climits>
#include <cmath>
#include <utility>

#include "analysis/family_support.h"
#include "distributions/normal.h"

namespace {

enum NormalParam { kMean = 0, kSd = 1 };

}  // namespace

PowerZ::PowerZ() {
    // The statistic starts standard normal under H0 and H1; each test sets
    // its standard values.
    distribution = new NormalDistribution(0.0, 1.0);
}

void PowerZ::CopyStateTo(PowerAnalysis& target) const {
    PowerAnalysis::CopyStateTo(target);
    auto& copy = static_cast<PowerZ&>(target);
    copy.nullSD = nullSD;
    copy.noncentralSD = noncentralSD;
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

double PowerZ::SensitivityObjective(double x) {
    if (!HasTwoGroups()) return PowerAnalysis::SensitivityObjective(x);
    return ComputePower2(x, alpha, groupSize1, groupSize2) - power;
}

double PowerZ::CriterionObjective(double x) {
    if (!HasTwoGroups()) return PowerAnalysis::CriterionObjective(x);
    return ComputePower2(effectSize, x, groupSize1, groupSize2) - power;
}

double PowerZ::CompromiseObjective(double x) {
    if (!HasTwoGroups()) return PowerAnalysis::CompromiseObjective(x);
    const double beta = ComputeBeta2(effectSize, x, groupSize1, groupSize2);
    return 1.0 - beta / (x * ratio);
}

double PowerZ::APrioriObjective(double x) {
    if (!HasTwoGroups()) return PowerAnalysis::APrioriObjective(x);
    const double n1 = x / (allocationRatio + 1.0);
    return ComputePower2(effectSize, alpha, n1, x - n1) - power;
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

// ------------------------------------------------------ read, check, solve

ReadCheckSolve PowerZ::FamilyPath(AnalysisType type, PropertyList* inputs, SampleInputs sample,
                                  int& tails, OwnInputs* own) {
    ReadCheckSolve path;
    path.effectId = GetEffectSizeId();
    path.sample = sample;
    // The direction is read with the design into `own` and taken with it.
    const bool readsDirection = own && own->sensitivityDirection && type == kSensitivity;
    path.readDesign = [this, inputs, &tails, readsDirection, own] {
        if (own && own->beforeTails) {
            if (const int row = own->beforeTails(); row >= 0) return row;
        }
        int selectionRow = -1;
        tails = ReadTails(inputs, &selectionRow);
        if (own && own->afterTails) {
            if (const int row = own->afterTails(); row >= 0) return row;
        }
        if (readsDirection) own->direction = ReadEffectDirection(inputs, &selectionRow);
        return -1;
    };
    path.takeDesign = [this, type, sample, &tails, readsDirection, own](GivenValues& v) {
        if (own && own->take) own->take(v);
        oneTailed = tails == 0;
        if (readsDirection) effectDirection = own->direction == 1 ? 1.0 : -1.0;
        if (sample != SampleInputs::kGroups) return;
        allocationRatio = type == kAPriori ? v.allocationRatio
                                           : static_cast<double>(v.sampleSize2) /
                                                 static_cast<double>(v.sampleSize1);
    };
    return path;
}

InputTable PowerZ::FamilyChecks(InputTable effect, InputTable sample) {
    // Built in place: one allocation, no tables to join.
    InputTable checks;
    checks.reserve(effect.size() + sample.size() + 5);
    checks.push_back(AllocationRatioAbove(*this, 0.01));
    for (InputCheck& check : effect) checks.push_back(std::move(check));
    checks.push_back(AlphaInRange(*this));
    checks.push_back(PowerInRange(*this));
    checks.push_back(PowerAboveAlpha(*this));
    for (InputCheck& check : sample) checks.push_back(std::move(check));
    checks.push_back(RatioInRange(*this, 0.01, 100.0));
    return checks;
}

InputCheck PowerZ::EffectInRange(const char* name, double lo, double hi) {
    return {Given::kEffect, [this, name, lo, hi](const GivenValues& v) {
                return CheckEffectSizeRange(name, v.effect, lo, hi);
            }};
}

void PowerZ::BracketCorrelationSide(double h0, double edge) {
    if (effectDirection > 0.0) {
        BracketFromStart(h0, edge, (h0 + 1.0) / 2.0);
    } else {
        BracketFromStart(-edge, h0, (h0 - 1.0) / 2.0);
    }
}

bool PowerZ::CheckFinite(double value) {
    if (std::isfinite(value)) return true;
    messages << "Input error (number out of range)";
    return false;
}

// ------------------------------------------------------------------ outputs

OutputTable PowerZ::TestOutputs(AnalysisType type, ParameterId effectId, ParameterId sampleId) {
    OutputTable table = {CriticalValueRow(kCriticalZId)};
    switch (type) {
        case kAPriori:
            if (HasTwoGroups()) AppendRows(table, {SampleSize1Row(), SampleSize2Row()});
            AppendRows(table,
                       {CountRow(sampleId, [this] { return sampleSize; }), ActualPowerRow()});
            break;
        case kSensitivity:
            table.push_back(EffectSizeRow(effectId));
            break;
        case kPostHoc:
        case kCriterion:
        case kCompromise:
            AppendRows(table, TypeOutputs(type));
            break;
    }
    return table;
}
