#include "tests/f/power_f_anova_special.h"

#include <cmath>

#include "analysis/parameter_names.h"
#include "analysis/standard_inputs.h"
#include "analysis/test_family_support.h"

namespace {

constexpr double kMaxEffect = 50.0;

}  // namespace

PowerFAnovaSpecial::PowerFAnovaSpecial() {
    PowerFAnovaSpecial::SetStandardValues();
}

void PowerFAnovaSpecial::SetStandardValues() {
    SetGroups(5.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.25;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

PowerFAncova::PowerFAncova() {
    PowerFAncova::SetStandardValues();
}

void PowerFAncova::SetStandardValues() {
    PowerFAnovaSpecial::SetStandardValues();
    extraCount = 1.0;
}

double PowerFAnovaSpecial::EffectFromNoncentrality(double lambda) {
    return std::sqrt(lambda / sampleSize);
}

void PowerFAnovaSpecial::UpdateDf() {
    SetDf(numeratorDf, sampleSize - ErrorTerms());
}

bool PowerFAnovaSpecial::CheckSampleSize(int, double n) {
    return CheckSampleSizeAboveGroups(static_cast<int>(TruncateToLong(n)),
                                      static_cast<int>(TruncateToLong(groupCount)));
}

bool PowerFAncova::CheckSampleSize(int type, double n) {
    return PowerFAnovaSpecial::CheckSampleSize(type, n) &&
           CheckNumberOfCovariates(static_cast<int>(TruncateToLong(extraCount)),
                                   static_cast<int>(TruncateToLong(groupCount)),
                                   static_cast<int>(TruncateToLong(n)));
}

bool PowerFAnovaSpecial::CheckEffectSize(int zeroAllowed, double f) {
    return CheckEffectSizeRange("f", f, zeroAllowed ? 0.0 : 1e-6, kMaxEffect);
}

void PowerFAnovaSpecial::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(
            inputs, kEffectSizeFId, GetTestId(),
            "Effect size conventions\nf = .10 - small\nf = .25 - medium\nf = .40 - large", true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddNumeratorDfInput(inputs, false);
    AddCountInput(inputs, kNumberOfGroupsId);
    if (HasCovariates()) AddNumberOfCovariatesInput(inputs);
}

CalculateStatus PowerFAnovaSpecial::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    if (type != kAPriori && type != kSensitivity && type != kPostHoc && type != kCriterion &&
        type != kCompromise) {
        return kCalculateDone;
    }
    int dfRow = -1, groupsRow = -1, covariatesRow = -1;
    const double u = ReadNumeratorDf(inputs, &dfRow);
    const int k = static_cast<int>(ReadCount(inputs, &groupsRow, kNumberOfGroupsId));
    const long covariates = HasCovariates() ? ReadNumberOfCovariates(inputs, &covariatesRow) : 0;
    if (!CheckDfAtLeastOne(u)) return dfRow;
    if (!CheckValueRange(ParameterNames[kNumeratorDfId], u, 1.0, kLargestDf)) return dfRow;
    if (!CheckAtLeastTwoGroups(k)) return groupsRow;

    int fRow = -1, alphaRow = -1, powerRow = -1, ratioRow = -1, nRow = -1;
    double f = 0.0, alphaValue = 0.0, powerValue = 0.0, q = 0.0;
    int n = 0;
    if (GivenInputsOf(type).effect) f = ReadEffectSize(inputs, &fRow, kEffectSizeFId);
    if (GivenInputsOf(type).alpha) alphaValue = ReadAlpha(inputs, &alphaRow);
    if (GivenInputsOf(type).power) powerValue = ReadPower(inputs, &powerRow);
    if (GivenInputsOf(type).ratio) q = ReadRatio(inputs, &ratioRow);
    if (GivenInputsOf(type).sampleSize) {
        n = static_cast<int>(ReadCount(inputs, &nRow, kTotalSampleSizeId));
    }
    // The covariates must leave the error term a df: with a given total up
    // to N - k - 1 of them; A priori finds a total for any number.
    auto covariatesFail = [&] {
        if (!HasCovariates()) return false;
        if (type == kAPriori) {
            if (covariates >= 0) return false;
            messages << "The number of covariates must not be negative.";
            return true;
        }
        return !CheckNumberOfCovariates(static_cast<int>(covariates), k, n);
    };

    switch (type) {
        case kAPriori:
            if (!CheckEffectSize(false, f)) return fRow;
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckPowerAboveAlpha(alphaValue, powerValue)) return powerRow;
            if (covariatesFail()) return covariatesRow;
            break;
        case kSensitivity:
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckPowerAboveAlpha(alphaValue, powerValue)) return powerRow;
            if (!CheckSampleSizeAboveGroups(n, k)) return nRow;
            if (covariatesFail()) return covariatesRow;
            break;
        case kPostHoc:
            if (!CheckEffectSize(true, f)) return fRow;
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckSampleSizeAboveGroups(n, k)) return nRow;
            if (covariatesFail()) return covariatesRow;
            break;
        case kCriterion:
            if (!CheckEffectSize(true, f)) return fRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckSampleSizeAboveGroups(n, k)) return nRow;
            if (covariatesFail()) return covariatesRow;
            break;
        case kCompromise:
            if (!CheckEffectSize(true, f)) return fRow;
            if (!CheckRatio(q, 0.01, 100.0)) return ratioRow;
            if (!CheckSampleSizeAboveGroups(n, k)) return nRow;
            if (covariatesFail()) return covariatesRow;
            break;
    }

    SetGroups(k);
    extraCount = static_cast<double>(covariates);
    numeratorDf = u;
    distribution->SetParam(1, u);
    switch (type) {
        case kAPriori:
            SolveSampleSize(f, alphaValue, powerValue, true);
            break;
        case kSensitivity:
            sampleSize = n;
            effectSize = RestoringOnFailure(
                effectSize, [&] { return SolveEffectSize(alphaValue, powerValue, n); });
            break;
        case kPostHoc:
            power = ComputePower(f, alphaValue, n);
            break;
        case kCriterion:
            alpha = SolveAlpha(f, powerValue, n);
            // The last evaluation of the search need not be at the answer.
            SetCentralCriticalValue(alpha);
            break;
        case kCompromise:
            alpha = SolveCompromise(f, q, n);
            power = ComputePower(f, alpha, n);
            break;
    }
    return kCalculateDone;
}
