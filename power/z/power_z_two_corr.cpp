#include "power/z/power_z_two_corr.h"

#include <algorithm>
#include <cmath>

#include "analysis/family_support.h"

namespace {

const char kEffectConventions[] =
    "Effect size conventions\nq = .10 - small\nq = .30 - medium\nq = .50 - large";

// The smallest group with a finite standard error.
constexpr int kMinGroup = 4;

}  // namespace

PowerZTwoCorr::PowerZTwoCorr() {
    exactFlag = true;
    PowerZTwoCorr::SetStandardValues();
}

PowerAnalysis* PowerZTwoCorr::Clone() {
    return CloneAs<PowerZTwoCorr>();
}

void PowerZTwoCorr::SetStandardValues() {
    alpha = 0.05;
    power = 0.95;
    groupSize1 = 50.0;
    groupSize2 = 50.0;
    sampleSize = 100.0;
    allocationRatio = 1.0;
    effectSize = 0.6;
    ratio = kStandardRatio;
}

// ----------------------------------------------------------------- model

double PowerZTwoCorr::GetNoncentralSD() {
    nullSD = std::sqrt(1.0 / (groupSize2 - 3.0) + 1.0 / (groupSize1 - 3.0));
    return nullSD;
}

void PowerZTwoCorr::SetCentralDistribution() {
    GetNoncentralSD();
    SetNormal(0.0, 1.0);
}

void PowerZTwoCorr::SetNoncentralDistribution() {
    SetNormal(effectSize / GetNoncentralSD(), 1.0);
}

double PowerZTwoCorr::ComputePower(double effect, double alphaValue, double n) {
    return ComputePower2(effect, alphaValue, n / 2.0, n / 2.0);
}

double PowerZTwoCorr::ComputePower2(double effect, double alphaValue, double n1, double n2) {
    effectSize = effect;
    alpha = alphaValue;
    groupSize1 = n1;
    groupSize2 = n2;
    const double se = GetNoncentralSD();
    return PowerOfShift(effect, alphaValue, 1.0, effect / se, 1.0);
}

void PowerZTwoCorr::BracketSampleSize() {
    // The smallest total whose rounded split by the allocation ratio N2/N1
    // gives both groups four; the search never looks below it, and the
    // real split of such a total keeps more than three in each.
    const double r = allocationRatio;
    const double bound = kMinGroup * (1.0 + r) * std::max(1.0, 1.0 / r);
    const double lowest = SmallestSplitTotal(r, kMinGroup, std::ceil(bound));
    BracketSampleSizeFrom(lowest, std::max(100.0, 2.0 * lowest));
}

void PowerZTwoCorr::BracketEffectSize() {
    BracketSampleSizeFrom(1e-6, 0.3);
}

// --------------------------------------------------------------- checks

bool PowerZTwoCorr::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 2 * kMinGroup, kLargestTotalSampleSize);
}

bool PowerZTwoCorr::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n1 + n2), 2 * kMinGroup, kLargestTotalSampleSize) &&
           CheckSampleSizeRange(AsCount(n1), kMinGroup, kLargestTotalSampleSize) &&
           CheckSampleSizeRange(AsCount(n2), kMinGroup, kLargestTotalSampleSize);
}

// --------------------------------------------------------- lists and run

void PowerZTwoCorr::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(inputs, kEffectSizeQId, kTwoCorrelationsTestId, kEffectConventions,
                           true);
    });
    if (GivenInputsOf(type).sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    } else {
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    }
}

CalculateStatus PowerZTwoCorr::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0;
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kGroups, tails);
    // With q = 0 the power is alpha at every N: refused here, as the other
    // tests do, not left to the search.
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        InputTable afterPower;
        if (type == kAPriori) {
            afterPower.push_back({Given::kEffect, [this](const GivenValues& v) {
                                      if (std::fabs(v.effect) > 1e-5) return true;
                                      messages
                                          << "In an a priori analysis, the absolute value of the\n"
                                          << "effect size must be greater than 0.00001.";
                                      return false;
                                  }});
        }
        return FamilyChecks(
            {EffectInRange("q", -10.0, 10.0)},
            JoinChecks({afterPower, GroupSizeChecks(*this, 2 * kMinGroup, kMinGroup)}));
    });
    path.afterSampleSize = [this](double, const GivenValues& v) {
        StepDownAPrioriTotal(v.allocationRatio, kMinGroup, v.effect, v.alpha, v.power);
    };
    return RunReadCheckSolve(*this, type, inputs, path);
}

OutputTable PowerZTwoCorr::Outputs(AnalysisType type) {
    return TestOutputs(type, kEffectSizeQId);
}
