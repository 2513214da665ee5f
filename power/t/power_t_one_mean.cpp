#include "power/t/power_t_one_mean.h"

#include <cmath>

#include "analysis/family_support.h"
#include "numerics/rounding.h"

PowerTOneMean::PowerTOneMean() {
    exactFlag = false;
    PowerTOneMean::SetStandardValues();
}

PowerAnalysis* PowerTOneMean::Clone() {
    auto* copy = CloneAs<PowerTOneMean>();
    copy->areIndex = areIndex;
    return copy;
}

std::string PowerTOneMean::GetTestName() {
    return "Means: Difference from constant (one sample case)";
}

std::string PowerTOneMean::EffectHelpText() {
    return "Effect size conventions\nd = .20 - small\nd = .50 - medium\nd = .80 - large";
}

void PowerTOneMean::SetStandardValues() {
    SetDf(1.0);
    alpha = 0.05;
    power = 0.95;
    areIndex = 0;
    effectSize = 0.5;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

// --------------------------------------------------- df and noncentrality

double PowerTOneMean::AREFactor() {
    return OneSampleAREFactors[areIndex];
}

double PowerTOneMean::UpdateDf() {
    const double value = AREFactor() * sampleSize - 1.0;
    SetDf(value);
    return value;
}

double PowerTOneMean::NoncentralityFromEffect(double d) {
    return d * std::sqrt(AREFactor() * sampleSize);
}

double PowerTOneMean::EffectFromNoncentrality(double delta) {
    return delta / std::sqrt(AREFactor() * sampleSize);
}

double PowerTOneMean::SampleSizeFromNoncentrality(double delta) {
    return Square(delta / effectSize) / AREFactor();
}

// ------------------------------------------------------------- searches

// Every other analysis type refuses N below 3, so the search never answers
// with less.
void PowerTOneMean::BracketSampleSize() {
    BracketSampleSizeFrom(3.0, 100.0);
}

void PowerTOneMean::BracketEffectSize() {
    BracketSampleSizeFrom(1e-6, 0.3);
}

// --------------------------------------------------------------- checks

bool PowerTOneMean::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 2, kLargestTotalSampleSize);
}

bool PowerTOneMean::CheckEffectSize(int type, double d) {
    ClearMessage();
    if (type == kAPriori && std::fabs(d) < 1e-5) {
        messages << "In an a priori analysis, the absolute value of the\n"
                 << "effect size be greater than 0.00001.";
        return false;
    }
    return CheckEffectSizeRange("d", d, -20.0, 20.0);
}

// --------------------------------------------------------- lists and run

void PowerTOneMean::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), EffectHelpText(), true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
}

CalculateStatus PowerTOneMean::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0;
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kTotal, tails);
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        return FamilyChecks(EffectSizeCheck(type),
                            {TotalSampleSizeIn(*this, 3, kLargestTotalSampleSize)});
    });
    return RunReadCheckSolve(*this, type, inputs, path);
}

// ------------------------------------------------------------ matched pairs

PowerAnalysis* PowerTPairedMean::Clone() {
    auto* copy = CloneAs<PowerTPairedMean>();
    copy->areIndex = areIndex;
    return copy;
}

std::string PowerTPairedMean::GetTestName() {
    return "Means: Difference between two dependent means (matched pairs)";
}

std::string PowerTPairedMean::EffectHelpText() {
    return "Effect size conventions\ndz = .20 - small\ndz = .50 - medium\ndz = .80 - large";
}
