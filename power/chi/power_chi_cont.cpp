#include "power/chi/power_chi_cont.h"

#include <cmath>

#include "analysis/family_support.h"
#include "analysis/standard_inputs.h"

namespace {

// Where the A priori search for N starts (BracketSampleSize).
constexpr double kSearchStart = 100.0;

// The largest w whose noncentrality w^2 N the noncentral sums take.
double LargestW(double n) {
    return std::sqrt(kLargestLambda / n);
}

}  // namespace

PowerChiCont::PowerChiCont() {
    PowerChiCont::SetStandardValues();
}

void PowerChiCont::SetStandardValues() {
    SetDf(5.0);
    effectSize = 0.3;
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

PowerAnalysis* PowerChiCont::Clone() {
    return CloneAs<PowerChiCont>();
}

double PowerChiCont::EffectFromNoncentrality(double lambda) {
    return std::sqrt(lambda / sampleSize);
}

bool PowerChiCont::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(static_cast<int>(TruncateToLong(n)), 1, kLargestTotalSampleSize);
}

bool PowerChiCont::CheckEffectSize(int type, double w) {
    ClearMessage();
    if (type == kAPriori) return CheckEffectSizeAbove("w", w, 1e-6);
    return CheckEffectSizeNonNegative("w", w);
}

void PowerChiCont::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(
            inputs, kEffectSizeWId, GetTestId(),
            "Effect size conventions\nw = .10 - small\nw = .30 - medium\nw = .50 - large", true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddDfInput(inputs, false);
}

CalculateStatus PowerChiCont::Calculate(AnalysisType type, PropertyList* inputs) {
    double dfValue = 0.0;
    ReadCheckSolve path;
    path.effectId = kEffectSizeWId;
    path.readDesign = [&] {
        int row = -1;
        dfValue = ReadDf(inputs, &row);
        return CheckDfAtLeastOne(dfValue) && CheckDfRange(dfValue, 1.0) ? -1 : row;
    };
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        return InputTable{EffectPasses([this, type](double w) {
                              if (type != kAPriori) return CheckEffectSizeNonNegative("w", w);
                              // The search for N starts at 100.
                              return CheckEffectSizeAbove("w", w, 1e-6) &&
                                     CheckEffectSizeRange("w", w, 1e-6, LargestW(kSearchStart));
                          }),
                          AlphaInRange(*this),
                          PowerInRange(*this),
                          PowerAboveAlpha(*this),
                          TotalSampleSizeIn(*this, 1, kLargestTotalSampleSize),
                          // Lambda = w^2 N must stay within what the noncentral sums take.
                          {Given::kEffect,
                           [this](const GivenValues& v) {
                               return CheckEffectSizeRange(
                                   "w", v.effect, 0.0, LargestW(static_cast<double>(v.sampleSize)));
                           },
                           Given::kSampleSize},
                          RatioInRange(*this, 0.01, 100.0)};
    });
    path.takeDesign = [&](GivenValues&) { SetDf(dfValue); };
    // The last evaluation of the search need not be at the answer.
    path.afterCriterion = [this](const GivenValues&) { SetCentralCriticalValue(alpha); };
    return RunReadCheckSolve(*this, type, inputs, path);
}
