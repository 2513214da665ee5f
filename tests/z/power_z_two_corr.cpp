#include "tests/z/power_z_two_corr.h"

#include <algorithm>
#include <cmath>

#include "analysis/test_family_support.h"

namespace {

const char kEffectConventions[] =
    "Effect size conventions\nq = .10 - small\nq = .30 - medium\nq = .50 - large";

// The smallest group with a finite standard error.
constexpr int kMinGroup = 4;
constexpr int kMaxTotal = 2147483646;

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

double PowerZTwoCorr::SensitivityObjective(double x) {
    return ComputePower2(x, alpha, groupSize1, groupSize2) - power;
}

double PowerZTwoCorr::CriterionObjective(double x) {
    return ComputePower2(effectSize, x, groupSize1, groupSize2) - power;
}

double PowerZTwoCorr::CompromiseObjective(double x) {
    const double beta = ComputeBeta2(effectSize, x, groupSize1, groupSize2);
    return 1.0 - beta / (x * ratio);
}

double PowerZTwoCorr::APrioriObjective(double x) {
    const double n1 = x / (allocationRatio + 1.0);
    return ComputePower2(effectSize, alpha, n1, x - n1) - power;
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
    return CheckTotalSampleSize(AsCount(n), 2 * kMinGroup, kMaxTotal);
}

bool PowerZTwoCorr::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n1 + n2), 2 * kMinGroup, kMaxTotal) &&
           CheckSampleSizeRange(AsCount(n1), kMinGroup, kMaxTotal) &&
           CheckSampleSizeRange(AsCount(n2), kMinGroup, kMaxTotal);
}

int PowerZTwoCorr::CheckGroupInputs(long n1, long n2, int row1, int row2) {
    if (!CheckSampleSizeMinimum(static_cast<int>(n1), kMinGroup)) return row1;
    if (!CheckSampleSizeMinimum(static_cast<int>(n2), kMinGroup)) return row2;
    if (!CheckTotalSampleSize(ClampedSum(n1, n2), 2 * kMinGroup, kMaxTotal)) return row1;
    return -1;
}

// --------------------------------------------------------- lists and run

void PowerZTwoCorr::GetAnalysisTypes(PropertyList* list) {
    PowerAnalysis::GetAnalysisTypes(list);
}

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
    ClearMessage();
    int tailsRow = -1;
    const int tails = ReadTails(inputs, &tailsRow);
    auto takeGroups = [&](long n1, long n2) {
        oneTailed = tails == 0;
        allocationRatio = static_cast<double>(n2) / static_cast<double>(n1);
    };
    int effectRow = -1, row = -1, row1 = -1, row2 = -1;
    switch (type) {
        case kAPriori: {
            int alphaRow = -1, powerRow = -1, ratioRow = -1;
            const double q = ReadEffectSize(inputs, &effectRow, kEffectSizeQId);
            const double a = ReadAlpha(inputs, &alphaRow);
            const double p = ReadPower(inputs, &powerRow);
            const double r = ReadAllocationRatio(inputs, &ratioRow);
            if (!CheckAllocationRatio(r, 0.01)) return ratioRow;
            if (!CheckEffectSizeRange("q", q, -10.0, 10.0)) return effectRow;
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckPowerAboveAlpha(a, p)) return powerRow;
            // With q = 0 the power is alpha at every N: refused here, as the
            // other tests do, not left to the search.
            if (!(std::fabs(q) > 1e-5)) {
                messages << "In an a priori analysis, the absolute value of the\n"
                         << "effect size must be greater than 0.00001.";
                return effectRow;
            }
            allocationRatio = r;
            oneTailed = tails == 0;
            SplitAPrioriTotal(SolveSampleSize(q, a, p, true), r, q, a, p);
            StepDownAPrioriTotal(r, kMinGroup, q, a, p);
            break;
        }
        case kSensitivity: {
            int powerRow = -1;
            const double a = ReadAlpha(inputs, &row);
            const double p = ReadPower(inputs, &powerRow);
            const long n1 = ReadSampleSize1(inputs, &row1);
            const long n2 = ReadSampleSize2(inputs, &row2);
            if (!CheckAlphaRange(a)) return row;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckPowerAboveAlpha(a, p)) return powerRow;
            if (const int bad = CheckGroupInputs(n1, n2, row1, row2); bad >= 0) return bad;
            takeGroups(n1, n2);
            effectSize =
                RestoringOnFailure(effectSize, [&] { return SolveEffectSize2(a, p, n1, n2); });
            break;
        }
        case kPostHoc: {
            const double q = ReadEffectSize(inputs, &effectRow, kEffectSizeQId);
            const double a = ReadAlpha(inputs, &row);
            const long n1 = ReadSampleSize1(inputs, &row1);
            const long n2 = ReadSampleSize2(inputs, &row2);
            if (!CheckEffectSizeRange("q", q, -10.0, 10.0)) return effectRow;
            if (!CheckAlphaRange(a)) return row;
            if (const int bad = CheckGroupInputs(n1, n2, row1, row2); bad >= 0) return bad;
            takeGroups(n1, n2);
            power = ComputePower2(q, a, n1, n2);
            break;
        }
        case kCriterion: {
            const double q = ReadEffectSize(inputs, &effectRow, kEffectSizeQId);
            const double p = ReadPower(inputs, &row);
            const long n1 = ReadSampleSize1(inputs, &row1);
            const long n2 = ReadSampleSize2(inputs, &row2);
            if (!CheckEffectSizeRange("q", q, -10.0, 10.0)) return effectRow;
            if (!CheckPowerRange(p)) return row;
            if (const int bad = CheckGroupInputs(n1, n2, row1, row2); bad >= 0) return bad;
            takeGroups(n1, n2);
            alpha = SolveAlpha2(q, p, n1, n2);
            break;
        }
        case kCompromise: {
            const double q = ReadEffectSize(inputs, &effectRow, kEffectSizeQId);
            const double ratioValue = ReadRatio(inputs, &row);
            const long n1 = ReadSampleSize1(inputs, &row1);
            const long n2 = ReadSampleSize2(inputs, &row2);
            if (!CheckEffectSizeRange("q", q, -10.0, 10.0)) return effectRow;
            if (const int bad = CheckGroupInputs(n1, n2, row1, row2); bad >= 0) return bad;
            if (!CheckRatio(ratioValue, 0.01, 100.0)) return row;
            takeGroups(n1, n2);
            alpha = SolveCompromise2(q, ratioValue, n1, n2);
            power = ComputePower2(q, alpha, n1, n2);
            break;
        }
    }
    return kCalculateDone;
}

void PowerZTwoCorr::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    BuildTwoGroupOutputList(type, outputs, kEffectSizeQId);
}

void PowerZTwoCorr::GetOutputs(AnalysisType type, PropertyList* outputs) {
    GetTwoGroupOutputs(type, outputs, kEffectSizeQId);
}
