#include "power/t/power_t_corr.h"

#include <cmath>

#include "analysis/family_support.h"

namespace {

constexpr double kLargestRho = 0.999999;

const char kEffectConventions[] =
    "Effect size conventions\n$\\rho$ = .10 - small\n$\\rho$ = .30 - medium\n"
    "$\\rho$ = .50 - large";

}  // namespace

PowerTCorr::PowerTCorr() {
    exactFlag = false;
    PowerTCorr::SetStandardValues();
}

PowerAnalysis* PowerTCorr::Clone() {
    return CloneAs<PowerTCorr>();
}

void PowerTCorr::SetStandardValues() {
    SetDf(1.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.3;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

double PowerTCorr::UpdateDf() {
    const double value = sampleSize - 2.0;
    SetDf(value);
    return value;
}

double PowerTCorr::NoncentralityFromEffect(double rho) {
    const double r2 = rho * rho;
    return std::sqrt(r2 * sampleSize / (1.0 - r2));
}

double PowerTCorr::SampleSizeFromNoncentrality(double delta) {
    const double r2 = effectSize * effectSize;
    return delta * delta * (1.0 - r2) / r2;
}

void PowerTCorr::BracketSampleSize() {
    BracketSampleSizeFrom(3.0, 100.0);
}

void PowerTCorr::BracketEffectSize() {
    BracketFromStart(0.0, 1.0, 0.3);
}

bool PowerTCorr::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 3, kLargestTotalSampleSize);
}

bool PowerTCorr::CheckEffectSize(int, double rho) {
    ClearMessage();
    return CheckEffectSizeRange("r", rho, 0.0, kLargestRho);
}

void PowerTCorr::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), kEffectConventions, true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
}

CalculateStatus PowerTCorr::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0;
    ReadCheckSolve path =
        FamilyPath(type, inputs, SampleInputs::kTotal, tails, {}, [type](GivenValues& v) {
            // rho = 0 gives a power of exactly alpha; the search needs a
            // target above it.
            if (type == kSensitivity && v.power == v.alpha) v.power = v.alpha + 1e-10;
        });
    // A priori needs a correlation away from 0, where the power is alpha
    // at every N.
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        InputCheck rho{Given::kEffect, [this, type](const GivenValues& v) {
                           return type == kAPriori
                                      ? CheckEffectSizeRange("r", v.effect, 1e-6, kLargestRho)
                                      : CheckEffectSize(type, v.effect);
                       }};
        return FamilyChecks(rho, {TotalSampleSizeIn(*this, 3, kLargestTotalSampleSize)});
    });
    return RunReadCheckSolve(*this, type, inputs, path);
}
