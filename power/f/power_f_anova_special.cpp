#include "power/f/power_f_anova_special.h"

#include <cmath>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "analysis/standard_inputs.h"

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
    if (HasCovariates()) AddNumberOfCovariatesInput(inputs, extraCount);
}

CalculateStatus PowerFAnovaSpecial::Calculate(AnalysisType type, PropertyList* inputs) {
    double u = 0.0;
    int k = 0, covariatesRow = -1;
    long covariates = 0;
    ReadCheckSolve path = DesignPath(
        type,
        [&] {
            int dfRow = -1, groupsRow = -1;
            u = ReadNumeratorDf(inputs, &dfRow);
            k = static_cast<int>(ReadCount(inputs, &groupsRow, kNumberOfGroupsId));
            covariates = HasCovariates() ? ReadNumberOfCovariates(inputs, &covariatesRow) : 0;
            if (!CheckDfAtLeastOne(u)) return dfRow;
            if (!CheckValueRange(ParameterNames[kNumeratorDfId], u, 1.0, kLargestDf)) return dfRow;
            return CheckAtLeastTwoGroups(k) ? -1 : groupsRow;
        },
        [&](const GivenValues&) {
            SetGroups(k);
            extraCount = static_cast<double>(covariates);
            numeratorDf = u;
            distribution->SetParam(1, u);
        });
    path.checks =
        JoinChecks({EffectAlphaPowerChecks(
                        [this, type](double f) { return CheckEffectSize(type != kAPriori, f); }),
                    {RatioInRange(*this, 0.01, 100.0),
                     SampleSizePasses([&](int n) { return CheckSampleSizeAboveGroups(n, k); })}});
    if (HasCovariates()) {
        // The covariates must leave the error term a df: with a given total
        // up to N - k - 1 of them; A priori finds a total for any number.
        path.checks.push_back(OwnInputCheck(covariatesRow, [&](const GivenValues& v) {
            if (type != kAPriori) {
                return CheckNumberOfCovariates(static_cast<int>(covariates), k,
                                               static_cast<int>(v.sampleSize));
            }
            if (covariates >= 0) return true;
            messages << "The number of covariates must not be negative.";
            return false;
        }));
    }
    return RunReadCheckSolve(*this, type, inputs, path);
}
