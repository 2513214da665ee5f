#include "power/t/power_t_lin_reg_two_groups.h"

#include <cmath>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "numerics/rounding.h"

PowerTLinReg2::PowerTLinReg2() {
    exactFlag = true;
}

void PowerTLinReg2::CopyStateTo(PowerAnalysis& target) const {
    PowerT::CopyStateTo(target);
    auto& copy = static_cast<PowerTLinReg2&>(target);
    for (double PowerTLinReg2::*member :
         {&PowerTLinReg2::sigmaResidual, &PowerTLinReg2::sigmaX1, &PowerTLinReg2::sigmaX2,
          &PowerTLinReg2::meanX1, &PowerTLinReg2::meanX2})
        copy.*member = this->*member;
}

void PowerTLinReg2::SetCommonStandardValues() {
    SetDf(1.0);
    alpha = 0.05;
    power = 0.95;
    groupSize1 = groupSize2 = 50.0;
    sampleSize = 100.0;
    allocationRatio = 1.0;
    ratio = kStandardRatio;
}

// --------------------------------------------------- df and noncentrality

double PowerTLinReg2::GroupRatio() const {
    if (groupSize1 > 0.0 && groupSize2 > 0.0) return groupSize2 / groupSize1;
    return allocationRatio;
}

double PowerTLinReg2::UpdateDf() {
    const double value = groupSize1 + groupSize2 - 4.0;
    SetDf(value);
    return value;
}

// The ratio of the groups themselves, not the allocation ratio asked for:
// the whole groups of an A priori answer need not keep it exactly.
double PowerTLinReg2::NoncentralityFromEffect(double difference) {
    return difference * std::sqrt(groupSize2) / StandardErrorFactor(GroupRatio());
}

double PowerTLinReg2::EffectFromNoncentrality(double delta) {
    return StandardErrorFactor(GroupRatio()) * delta / std::sqrt(groupSize2);
}

double PowerTLinReg2::SampleSizeFromNoncentrality(double delta) {
    const double r = allocationRatio;
    return Square(delta * StandardErrorFactor(r) / effectSize) * (1.0 / r + 1.0);
}

// ------------------------------------------------------------- searches

void PowerTLinReg2::BracketSampleSize() {
    BracketSampleSizeFrom(5.0, 100.0);
}

void PowerTLinReg2::BracketEffectSize() {
    BracketSampleSizeFrom(1e-6, EffectBracketStart());
}

double PowerTLinReg2::RoundSampleSize(double n) {
    return 2.0 * PowerAnalysis::RoundSampleSize(n / 2.0);
}

double PowerTLinReg2::APrioriObjective(double x) {
    return TwoGroupAPrioriObjective(x);
}

// --------------------------------------------------------------- checks

bool PowerTLinReg2::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 5, kLargestTotalSampleSize);
}

bool PowerTLinReg2::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n1 + n2), 5, kLargestTotalSampleSize) &&
           CheckSampleSizeMinimum(AsCount(n1), 1) && CheckSampleSizeMinimum(AsCount(n2), 1);
}

// Beyond this a difference makes the noncentrality overflow for ordinary
// standard deviations; it is refused rather than shown as an infinite delta.
constexpr double kLargestDifference = 1e150;
// |delta| = |difference| sqrt(n2) / S stays finite for every difference up to
// kLargestDifference and n2 below 2^31 while S is at least this.
constexpr double kSmallestStandardError = 1e-150;

bool PowerTLinReg2::CheckEffectSize(int type, double difference) {
    ClearMessage();
    if (type == kAPriori) {
        if (std::fabs(difference) < 1e-5) {
            messages << "In an a priori analysis, the absolute value of the\n"
                     << "effect size must be greater than 0.00001.";
            return false;
        }
        return CheckEffectSizeRange("d", difference, 0.0, kLargestDifference);
    }
    return CheckEffectSizeRange("d", difference, SmallestDifference(), kLargestDifference);
}

// --------------------------------------------------------- lists and run

void PowerTLinReg2::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    } else {
        // A priori splits the total it finds by this ratio.
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    }
    for (const DesignInput& input : DesignInputs())
        AddDoubleInputByLabel(inputs, ParameterNames[input.label], this->*input.value);
}

int PowerTLinReg2::ReadDesign(PropertyList* inputs) {
    // The design first: a standard deviation must be positive, and every
    // value a number, before any power is computed from them.
    const std::vector<DesignInput> inputList = DesignInputs();
    std::vector<double> design(inputList.size());
    int residualRow = -1;
    for (size_t i = 0; i < inputList.size(); ++i) {
        const DesignInput& input = inputList[i];
        int row = -1;
        const double value = ReadDoubleByLabel(inputs, ParameterNames[input.label], &row);
        if (input.label == kStdDevResidualSigmaId) residualRow = row;
        if (input.standardDeviation && !(value > 0.0)) {
            messages << ParameterNames[input.label] << " must be greater than 0.";
            return row;
        }
        if (!std::isfinite(value)) {
            messages << "Input error (number out of range)";
            return row;
        }
        design[i] = value;
    }
    for (size_t i = 0; i < inputList.size(); ++i) this->*inputList[i].value = design[i];
    // The noncentrality divides by the standard error of the difference. One
    // that all but vanishes (a residual sigma of 1e-320) would show
    // delta = inf; above this bound no admitted difference and N reach it.
    if (!(StandardErrorFactor(1.0) >= kSmallestStandardError)) {
        messages << ParameterNames[kStdDevResidualSigmaId]
                 << " is too small: the standard error of the difference vanishes.";
        return residualRow;
    }
    return -1;
}

CalculateStatus PowerTLinReg2::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0;
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kGroups, tails,
                                     [this, inputs] { return ReadDesign(inputs); });
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        return TwoGroupFamilyChecks(EffectSizeCheck(type), GroupSizeChecks(*this, 5));
    });
    return RunReadCheckSolve(*this, type, inputs, path);
}

OutputTable PowerTLinReg2::Outputs(AnalysisType type) {
    return TwoGroupOutputs(type);
}

// ---------------------------------------------------------------- slopes

PowerTLinReg2Slopes::PowerTLinReg2Slopes() {
    PowerTLinReg2Slopes::SetStandardValues();
}

PowerAnalysis* PowerTLinReg2Slopes::Clone() {
    return CloneAs<PowerTLinReg2Slopes>();
}

std::string PowerTLinReg2Slopes::GetTestName() {
    return "Linear bivariate regression: Two groups, difference between slopes";
}

void PowerTLinReg2Slopes::SetStandardValues() {
    SetCommonStandardValues();
    effectSize = 0.015;
    sigmaX1 = 5.0;
    sigmaX2 = 10.0;
    sigmaResidual = 0.5;
}

std::vector<PowerTLinReg2::DesignInput> PowerTLinReg2Slopes::DesignInputs() const {
    return {{kStdDevResidualSigmaId, &PowerTLinReg2::sigmaResidual, true},
            {kStdDevSigmaX1Id, &PowerTLinReg2::sigmaX1, true},
            {kStdDevSigmaX2Id, &PowerTLinReg2::sigmaX2, true}};
}

double PowerTLinReg2Slopes::SlopeDifferenceSE(double r) const {
    const double sdX1 = sigmaX1, sdX2 = sigmaX2;
    return sigmaResidual * std::sqrt(r / (sdX1 * sdX1) + 1.0 / (sdX2 * sdX2));
}

// A negative difference is tested on the lower side; its magnitude meets
// the same overflow of delta as a positive one.
double PowerTLinReg2Slopes::SmallestDifference() const {
    return -kLargestDifference;
}

// ------------------------------------------------------------ intercepts

PowerTLinReg2Interc::PowerTLinReg2Interc() {
    PowerTLinReg2Interc::SetStandardValues();
}

PowerAnalysis* PowerTLinReg2Interc::Clone() {
    return CloneAs<PowerTLinReg2Interc>();
}

std::string PowerTLinReg2Interc::GetTestName() {
    return "Linear bivariate regression: Two groups, difference between intercepts";
}

void PowerTLinReg2Interc::SetStandardValues() {
    SetCommonStandardValues();
    effectSize = 2.0;
    meanX1 = 5.0;
    meanX2 = 7.0;
    sigmaX1 = 4.0;
    sigmaX2 = 3.0;
    sigmaResidual = 2.0;
}

std::vector<PowerTLinReg2::DesignInput> PowerTLinReg2Interc::DesignInputs() const {
    return {{kStdDevResidualSigmaId, &PowerTLinReg2::sigmaResidual, true},
            {kStdDevSigmaX1Id, &PowerTLinReg2::sigmaX1, true},
            {kStdDevSigmaX2Id, &PowerTLinReg2::sigmaX2, true},
            {kMeanMuX1Id, &PowerTLinReg2::meanX1, false},
            {kMeanMuX2Id, &PowerTLinReg2::meanX2, false}};
}

double PowerTLinReg2Interc::InterceptDifferenceSE(double r) const {
    const double t1 = meanX1 / sigmaX1;
    const double t2 = meanX2 / sigmaX2;
    return sigmaResidual * std::sqrt(r * (1.0 + t1 * t1) + 1.0 + t2 * t2);
}
