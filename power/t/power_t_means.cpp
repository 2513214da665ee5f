#include "power/t/power_t_means.h"

#include <cmath>

#include "analysis/family_support.h"
#include "numerics/rounding.h"

namespace {

const char kEffectConventions[] =
    "Effect size conventions\nd = .20 - small\nd = .50 - medium\nd = .80 - large";

}  // namespace

PowerTMeans::PowerTMeans() {
    exactFlag = true;
    PowerTMeans::SetStandardValues();
}

PowerAnalysis* PowerTMeans::Clone() {
    auto* copy = CloneAs<PowerTMeans>();
    copy->areIndex = areIndex;
    return copy;
}

std::string PowerTMeans::GetTestName() {
    return "Means: Difference between two independent means (two groups)";
}

void PowerTMeans::SetStandardValues() {
    SetDf(1.0);
    alpha = 0.05;
    power = 0.95;
    areIndex = 0;
    effectSize = 0.5;
    groupSize1 = 50.0;
    groupSize2 = 50.0;
    sampleSize = 100.0;
    allocationRatio = 1.0;
    ratio = kStandardRatio;
}

// --------------------------------------------------- df and noncentrality

double PowerTMeans::AREFactor() {
    return TwoSampleAREFactors[areIndex];
}

double PowerTMeans::UpdateDf() {
    const double value = AREFactor() * sampleSize - 2.0;
    SetDf(value);
    return value;
}

double PowerTMeans::GetNoncentralityFactor() {
    const double n1 = groupSize1, n2 = groupSize2;
    return std::sqrt(AREFactor() * n1 * n2 / (n1 + n2));
}

double PowerTMeans::EffectFromNoncentrality(double delta) {
    return delta / GetNoncentralityFactor();
}

double PowerTMeans::NoncentralityFromEffect(double d) {
    return d * GetNoncentralityFactor();
}

double PowerTMeans::SampleSizeFromNoncentrality(double delta) {
    // Two equal groups: delta = d sqrt(f N/4).
    return 4.0 * Square(delta / effectSize) / AREFactor();
}

// ------------------------------------------------------------- searches

void PowerTMeans::BracketSampleSize() {
    BracketSampleSizeFrom(3.0, 100.0);
}

void PowerTMeans::BracketEffectSize() {
    BracketSampleSizeFrom(1e-6, 0.3);
}

double PowerTMeans::RoundSampleSize(double n) {
    return 2.0 * PowerAnalysis::RoundSampleSize(n / 2.0);
}

double PowerTMeans::APrioriObjective(double x) {
    return TwoGroupAPrioriObjective(x);
}

// --------------------------------------------------------------- checks

bool PowerTMeans::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 2, kLargestTotalSampleSize);
}

bool PowerTMeans::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n1 + n2), 2, kLargestTotalSampleSize) &&
           CheckSampleSizeMinimum(AsCount(n1), 1) && CheckSampleSizeMinimum(AsCount(n2), 1);
}

bool PowerTMeans::CheckEffectSize(int type, double d) {
    ClearMessage();
    if (type == kAPriori && std::fabs(d) < 1e-5) {
        messages << "In an a priori analysis, the absolute value of the\n"
                 << "effect size must be greater than 0.00001.";
        return false;
    }
    return CheckEffectSizeRange("d", d, -20.0, 20.0);
}

// --------------------------------------------------------- lists and run

void PowerTMeans::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(inputs, GetEffectSizeId(), kTwoMeansTestId, kEffectConventions, true);
    });
    if (GivenInputsOf(type).sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    } else {
        // A priori splits the total it finds by this ratio.
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    }
}

CalculateStatus PowerTMeans::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0;
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kGroups, tails);
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        return TwoGroupFamilyChecks(EffectSizeCheck(type), GroupSizeChecks(*this, 3));
    });
    return RunReadCheckSolve(*this, type, inputs, path);
}

OutputTable PowerTMeans::Outputs(AnalysisType type) {
    return TwoGroupOutputs(type);
}
