#include "power/t/power_t_lin_regression.h"

#include <cmath>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"

namespace {

const std::string kSlopeH0Label = ParameterNames[kSlopeH0Id];
const std::string kSdXLabel = ParameterNames[kStdDevSigmaXId];
const std::string kSdYLabel = ParameterNames[kStdDevSigmaYId];

}  // namespace

PowerTLinRegression::PowerTLinRegression() {
    exactFlag = false;
    SetDf(10.0);
    PowerTLinRegression::SetStandardValues();
}

PowerAnalysis* PowerTLinRegression::Clone() {
    return CloneAs<PowerTLinRegression>();
}

void PowerTLinRegression::CopyStateTo(PowerAnalysis& target) const {
    PowerT::CopyStateTo(target);
    auto& copy = static_cast<PowerTLinRegression&>(target);
    copy.slopeH0 = slopeH0;
    copy.sigmaX = sigmaX;
    copy.sigmaY = sigmaY;
}

std::string PowerTLinRegression::GetTestName() {
    return "Linear bivariate regression: One group, size of slope";
}

void PowerTLinRegression::SetStandardValues() {
    alpha = 0.05;
    power = 0.95;
    oneTailed = true;
    effectSize = 0.15;
    slopeH0 = 0.0;
    sigmaX = 1.0;
    sigmaY = 1.0;
    sampleSize = 100.0;
    ratio = kStandardRatio;
    effectDirection = 1.0;
}

// --------------------------------------------------- df and noncentrality

double PowerTLinRegression::ResidualSD(double b) const {
    const double sdX = sigmaX, sdY = sigmaY;
    const double radicand = sdY * sdY - (b * sdX) * (b * sdX);
    return radicand < 0.0 ? -1.0 : std::sqrt(radicand);
}

double PowerTLinRegression::GetEffectSize() {
    return effectSize - slopeH0 > 0.0 ? 1.0 : -1.0;
}

double PowerTLinRegression::UpdateDf() {
    const double value = sampleSize - 2.0;
    SetDf(value);
    return value;
}

double PowerTLinRegression::NoncentralityFromEffect(double b) {
    return std::sqrt(sampleSize) * sigmaX * (b - slopeH0) / ResidualSD(b);
}

double PowerTLinRegression::EffectFromNoncentrality(double delta) {
    return ResidualSD(effectSize) * delta / (std::sqrt(sampleSize) * sigmaX) + slopeH0;
}

double PowerTLinRegression::SampleSizeFromNoncentrality(double delta) {
    const double x = ResidualSD(effectSize) * delta / ((effectSize - slopeH0) * sigmaX);
    return x * x;
}

// ------------------------------------------------------------------ power

bool PowerTLinRegression::SetUpSlope(double b, double alphaValue, double n) {
    sampleSize = n;
    groupSize1 = groupSize2 = n / 2.0;
    effectSize = b;
    alpha = alphaValue;
    const double delta = NoncentralityFromEffect(b);
    UpdateDf();
    // The side is that of b1 - b0; b1 = b0 counts as the lower side.
    const bool upper = GetEffectSize() > 0.0;
    criticalValue = CriticalValueFor(upper ? 1.0 : -1.0, alphaValue);
    criticalValue2 = -criticalValue;
    distribution->SetNoncentrality(delta);
    return upper;
}

double PowerTLinRegression::ComputePower(double b, double alphaValue, double n) {
    const bool upper = SetUpSlope(b, alphaValue, n);
    return TailPower(criticalValue, upper);
}

double PowerTLinRegression::ComputeBeta2(double b, double alphaValue, double n1, double n2) {
    const bool upper = SetUpSlope(b, alphaValue, n1 + n2);
    return TailBeta(criticalValue, upper);
}

double PowerTLinRegression::ComputePower2(double b, double alphaValue, double n1, double n2) {
    return ComputePower(b, alphaValue, n1 + n2);
}

double PowerTLinRegression::SensitivityObjective(double x) {
    const double v = ComputePower(x, alpha, sampleSize) - power;
    const double b0 = slopeH0;
    // Rises through zero on the chosen side of b0 and stays positive on the
    // other, so that the search cannot end on the wrong side.
    if (effectDirection > 0.0) return x >= b0 ? v : v + 1.0;
    return x <= b0 ? -v : v + 1.0;
}

// ------------------------------------------------------------- searches

void PowerTLinRegression::BracketSampleSize() {
    BracketSampleSizeFrom(3.0, 100.0);
}

void PowerTLinRegression::BracketEffectSize() {
    const double m = std::fabs(sigmaY / sigmaX);
    const double b0 = slopeH0;
    if (effectDirection > 0.0) {
        BracketFromStart(b0, m, (std::fabs(b0) + m) / 2.0);
    } else {
        BracketFromStart(-m, std::fabs(b0), (std::fabs(b0) - m) / 2.0);
    }
}

// --------------------------------------------------------------- checks

bool PowerTLinRegression::CheckSlopeBound(double b, double sdX, double sdY) {
    const double bound = std::fabs(sdY / sdX);
    if (std::fabs(b) <= bound - 1e-6) return true;  // false for NaN
    messages << "|slope| (= " << std::fabs(b) << ") must be smaller than |sy/sx| (= " << bound
             << ").";
    return false;
}

// Without a difference from H0 the power is alpha at every N: refused in
// A priori, as the other tests do, not left to the search.
bool PowerTLinRegression::CheckSlopesDiffer(double b1, double b0) {
    if (std::fabs(b1 - b0) > 1e-5) return true;
    messages << "In an a priori analysis, the slopes under H1 and H0\n"
             << "must differ by more than 0.00001.";
    return false;
}

bool PowerTLinRegression::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckSampleSizeMinimum(AsCount(n), 3);
}

bool PowerTLinRegression::CheckEffectSize(int, double b) {
    ClearMessage();
    return CheckSlopeBound(b, sigmaX, sigmaY);
}

void PowerTLinRegression::TakeDesign(double b0, double sdX, double sdY) {
    slopeH0 = b0;
    sigmaX = sdX;
    sigmaY = sdY;
}

// --------------------------------------------------------- lists and run

void PowerTLinRegression::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    // Sensitivity searches b1 on the side of b0 chosen here.
    if (type == kSensitivity) AddEffectDirectionInput(inputs, "Slope < H0", "Slope > H0");
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddDoubleInputByLabel(inputs, kSlopeH0Label, slopeH0);
    AddDoubleInputByLabel(inputs, kSdXLabel, sigmaX);
    AddDoubleInputByLabel(inputs, kSdYLabel, sigmaY);
}

CalculateStatus PowerTLinRegression::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0, direction = 0;
    double b0 = 0.0, sdX = 0.0, sdY = 0.0;
    ReadCheckSolve path =
        FamilyPath(type, inputs, SampleInputs::kTotal, tails, {}, [&](GivenValues&) {
            TakeDesign(b0, sdX, sdY);
            if (type == kSensitivity) effectDirection = direction != 0 ? 1.0 : -1.0;
        });
    // The tails stand above the slope and deviations and are read first.
    path.readDesign = [&] {
        int tailsRow = -1, b0Row = -1, sdXRow = -1, sdYRow = -1;
        tails = ReadTails(inputs, &tailsRow);
        b0 = ReadDoubleByLabel(inputs, kSlopeH0Label, &b0Row);
        sdX = ReadDoubleByLabel(inputs, kSdXLabel, &sdXRow);
        sdY = ReadDoubleByLabel(inputs, kSdYLabel, &sdYRow);
        if (!CheckStandardError(sdX, 1e-12)) return sdXRow;
        if (!CheckStandardError(sdY, 1e-12)) return sdYRow;
        if (!CheckSlopeBound(b0, sdX, sdY)) return b0Row;
        int directionRow = -1;
        if (type == kSensitivity) direction = ReadEffectDirection(inputs, &directionRow);
        return -1;
    };
    const InputCheck slope{
        Given::kEffect, [&](const GivenValues& v) { return CheckSlopeBound(v.effect, sdX, sdY); }};
    const InputCheck difference{Given::kEffect, [&](const GivenValues& v) {
                                    return type != kAPriori || CheckSlopesDiffer(v.effect, b0);
                                }};
    path.checks = JoinChecks(
        {AlphaPowerChecks(*this),
         {RatioInRange(*this, 0.01, 100.0), SampleSizeAtLeast(*this, 3), slope, difference}});
    // The critical values of the alpha found, on the side of the test.
    path.afterCriterion = [this](const GivenValues& v) {
        ComputePower(v.effect, alpha, sampleSize);
    };
    return RunReadCheckSolve(*this, type, inputs, path);
}
