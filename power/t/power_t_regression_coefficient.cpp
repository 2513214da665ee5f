#include "power/t/power_t_regression_coefficient.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "analysis/family_support.h"

namespace {

// p + 2, the smallest N that leaves one degree of freedom, held in the int
// range.
int SmallestSampleSizeFor(double p) {
    return static_cast<int>(std::min(p + 2.0, static_cast<double>(INT_MAX)));
}

}  // namespace

PowerTMRC1Pred::PowerTMRC1Pred() {
    exactFlag = false;
    PowerTMRC1Pred::SetStandardValues();
}

PowerAnalysis* PowerTMRC1Pred::Clone() {
    return CloneAs<PowerTMRC1Pred>();
}

std::string PowerTMRC1Pred::GetTestName() {
    return "Linear multiple regression: Fixed model, single regression coefficient";
}

void PowerTMRC1Pred::SetStandardValues() {
    SetDf(1.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.15;
    predictorCount = 2.0;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

double PowerTMRC1Pred::UpdateDf() {
    const double value = sampleSize - (predictorCount + 1.0);
    SetDf(value);
    return value;
}

double PowerTMRC1Pred::NoncentralityFromEffect(double f2) {
    return std::sqrt(f2 * sampleSize);
}

double PowerTMRC1Pred::EffectFromNoncentrality(double delta) {
    return delta * delta / sampleSize;
}

double PowerTMRC1Pred::SampleSizeFromNoncentrality(double delta) {
    return delta * delta / effectSize;
}

void PowerTMRC1Pred::BracketSampleSize() {
    // With many predictors the usual start of 100 would leave no degrees
    // of freedom; the search starts at twice the smallest N instead.
    const double lo = predictorCount + 2.0;
    BracketSampleSizeFrom(lo, std::max(100.0, 2.0 * lo));
}

void PowerTMRC1Pred::BracketEffectSize() {
    BracketSampleSizeFrom(1e-6, 0.3);
}

bool PowerTMRC1Pred::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), SmallestSampleSizeFor(predictorCount),
                                kLargestTotalSampleSize);
}

bool PowerTMRC1Pred::CheckEffectSize(int type, double f2) {
    ClearMessage();
    if (type == kAPriori && std::fabs(f2) < 1e-5) {
        messages << "In an a priori analysis, the absolute value of the\n"
                 << "effect size be greater than 0.00001.";
        return false;
    }
    // A negative f^2 has no real noncentrality.
    return CheckEffectSizeRange("f$^2$", f2, 0.0, 20.0);
}

void PowerTMRC1Pred::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddLongInput(inputs, 0, kNumberOfPredictorsId);
}

CalculateStatus PowerTMRC1Pred::Calculate(AnalysisType type, PropertyList* inputs) {
    long p = 0;
    int tails = 0;
    auto readPredictors = [&] {
        int pRow = -1;
        p = ReadCount(inputs, &pRow, kNumberOfPredictorsId);
        return CheckAtLeastOnePredictor(static_cast<int>(p)) ? -1 : pRow;
    };
    ReadCheckSolve path =
        FamilyPath(type, inputs, SampleInputs::kTotal, tails, readPredictors,
                   [&](GivenValues&) { predictorCount = static_cast<double>(p); });
    InputCheck n{Given::kSampleSize, [&](const GivenValues& v) {
                     return CheckTotalSampleSize(static_cast<int>(v.sampleSize),
                                                 SmallestSampleSizeFor(static_cast<double>(p)),
                                                 kLargestTotalSampleSize);
                 }};
    path.checks = FamilyChecks(EffectSizeCheck(type), {n});
    return RunReadCheckSolve(*this, type, inputs, path);
}
