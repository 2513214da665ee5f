#include "power/f/power_f_two_var.h"

#include <algorithm>

#include "analysis/family_support.h"
#include "analysis/standard_inputs.h"
#include "distributions/f.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"

namespace {

const char kLowerSide[] = "var1$\\le$var0";
const char kUpperSide[] = "var1$\\ge$var0";

}  // namespace

PowerFTwoVar::PowerFTwoVar() {
    exactFlag = true;
    PowerFTwoVar::SetStandardValues();
}

void PowerFTwoVar::SetStandardValues() {
    SetDf(5.0, 5.0);
    effectSize = 1.5;
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    groupSize1 = RoundTo(sampleSize / 2.0, 0);
    groupSize2 = sampleSize - groupSize1;
    allocationRatio = groupSize2 / groupSize1;
    ratio = kStandardRatio;
}

FDistribution& PowerFTwoVar::F() {
    return static_cast<FDistribution&>(*distribution);
}

void PowerFTwoVar::SetCentralDistribution() {
    distribution->SetNoncentrality(0.0);
    F().SetScale(1.0);
}

void PowerFTwoVar::SetNoncentralDistribution() {
    distribution->SetNoncentrality(0.0);
    F().SetScale(1.0 / effectSize);
}

double PowerFTwoVar::ComputePower(double r, double alphaValue, double n) {
    return ComputePower2(r, alphaValue, n / 2.0, n / 2.0);
}

double PowerFTwoVar::ComputePower2(double r, double alphaValue, double n1, double n2) {
    return Tails(r, alphaValue, n1, n2, nullptr);
}

double PowerFTwoVar::ComputeBeta2(double r, double alphaValue, double n1, double n2) {
    double beta = 0.0;
    Tails(r, alphaValue, n1, n2, &beta);
    return beta;
}

double PowerFTwoVar::Tails(double r, double alphaValue, double n1, double n2, double* beta) {
    effectSize = r;
    alpha = alphaValue;
    groupSize1 = n1;
    groupSize2 = n2;
    sampleSize = n1 + n2;
    SetDf(n1 - 1.0, n2 - 1.0);
    SetCentralDistribution();
    double upper = 0.0, lower = 0.0;
    const double result =
        VarianceRatioPower(*distribution, r, alphaValue, oneTailed, &upper, &lower, beta);
    // The graph of r < 1 is drawn from the lower tail: its critical value
    // comes first.
    criticalValue = r < 1.0 ? lower : upper;
    criticalValue2 = r < 1.0 ? upper : lower;
    return result;
}

void PowerFTwoVar::BracketSampleSize() {
    const double a = allocationRatio;
    const double bound = std::max({4.0, 2.0 * (1.0 + a), 2.0 * (1.0 + a) / a});
    // Each group of the rounded split keeps two subjects; the real split of
    // that total keeps at least 1.5, so no df the search tries is 0.
    const double lo = SmallestSplitTotal(a, 2.0, std::ceil(bound));
    BracketSampleSizeFrom(lo, std::max(100.0, lo + 96.0));
}

double PowerFTwoVar::APrioriObjective(double x) {
    const double n1 = x / (1.0 + allocationRatio);
    return ComputePower2(effectSize, alpha, n1, x - n1) - power;
}

double PowerFTwoVar::SensitivityObjective(double x) {
    const double d = ComputePower2(x, alpha, groupSize1, groupSize2) - power;
    if (effectDirection > 0.0) return x >= 1.0 ? d : d + 1.0;
    return x <= 1.0 ? -d : d + 1.0;
}

double PowerFTwoVar::CriterionObjective(double x) {
    return ComputePower2(effectSize, x, groupSize1, groupSize2) - power;
}

double PowerFTwoVar::CompromiseObjective(double x) {
    const double beta = ComputeBeta2(effectSize, x, groupSize1, groupSize2);
    return 1.0 - beta / (ratio * x);
}

// ---------------------------------------------------------------- checks

bool PowerFTwoVar::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(static_cast<int>(TruncateToLong(n)), 2, kLargestTotalSampleSize);
}

bool PowerFTwoVar::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckTotalSampleSize(GroupSizeSum(TruncateToLong(n1), TruncateToLong(n2)), 2,
                                kLargestTotalSampleSize) &&
           CheckSampleSizeMinimum(static_cast<int>(TruncateToLong(n1)), 2) &&
           CheckSampleSizeMinimum(static_cast<int>(TruncateToLong(n2)), 2);
}

bool PowerFTwoVar::CheckEffectSize(int type, double r) {
    ClearMessage();
    if (type == kAPriori) {
        return CheckEffectSizeAbove("var1/var0", r, 1e-6) &&
               CheckEffectSizeOutside("var1/var0", r, 0.999, 1.001);
    }
    return CheckEffectSizeNonNegative("var1/var0", r);
}

// ------------------------------------------------------------ lists

void PowerFTwoVar::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    if (type == kSensitivity) AddEffectDirectionInput(inputs, kLowerSide, kUpperSide);
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, kRatioVar1Var0Id, GetTestId(), "", true); });
    if (type == kAPriori) {
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    } else if (GivenInputsOf(type).sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    }
}

OutputTable PowerFTwoVar::Outputs(AnalysisType type) {
    OutputTable table = {LowerCriticalRow(kLowerCriticalFId), UpperCriticalRow(kUpperCriticalFId),
                         NumeratorDfRow(), DenominatorDfRow()};
    if (type != kAPriori) {
        AppendRows(table, TypeOutputs(type));
    } else {
        AppendRows(table, {SampleSize1Row(), SampleSize2Row(), ActualPowerRow()});
    }
    return table;
}

// ------------------------------------------------------------- the run

CalculateStatus PowerFTwoVar::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0, direction = 1, ratioRow = -1;
    double ratioGiven = 1.0;
    ReadCheckSolve path;
    path.effectId = kRatioVar1Var0Id;
    path.sample = SampleInputs::kGroups;
    path.readDesign = [&] {
        int row = -1;
        tails = ReadTails(inputs, &row);
        return -1;
    };
    path.readBelowGiven = [&] {
        int row = -1;
        if (type == kSensitivity) direction = ReadEffectDirection(inputs, &row);
    };
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        return JoinChecks({{AllocationRatioAbove(*this, 0.01), EffectPasses([this, type](double r) {
                                if (type != kAPriori) return CheckEffectSizeNonNegative("v", r);
                                return CheckEffectSizeAbove("v", r, 1e-6) &&
                                       CheckEffectSizeOutside("var1/var0", r, 0.999, 1.001);
                            })},
                           AlphaPowerChecks(*this),
                           GroupChecks(2,
                                       [this](int total) {
                                           return CheckTotalSampleSize(total, 3,
                                                                       kLargestTotalSampleSize);
                                       }),
                           {RatioInRange(*this, 0.01, 100.0)}});
    });
    path.takeDesign = [&](GivenValues& v) {
        // "-0" is the ratio 0, refused or taken as "0" is; the sign of a
        // zero would otherwise turn 1/r into -inf further on.
        if (v.effect == 0.0) v.effect = 0.0;
        oneTailed = tails == 0;
        ratioGiven = v.effect;
        ratioRow = v.Row(Given::kEffect);
        if (type == kAPriori) {
            allocationRatio = v.allocationRatio;
        } else {
            allocationRatio =
                static_cast<double>(v.sampleSize2) / static_cast<double>(v.sampleSize1);
        }
        if (type == kSensitivity) {
            effectDirection = direction == 0 ? -1.0 : 1.0;
            // Power equal to alpha would be met by r = 1 on either side.
            if (v.power == v.alpha) v.power = v.alpha + 1e-10;
        }
        // r = 1 exactly would leave the side of a one-tailed test open.
        if (type == kPostHoc && v.effect == 1.0) v.effect = 1.0 + 1e-10;
    };
    path.afterSampleSize = [this](double, const GivenValues& v) {
        StepDownAPrioriTotal(v.allocationRatio, 2.0, v.effect, v.alpha, v.power);
    };
    // The critical values of the ratio or the alpha found.
    path.afterSensitivity = [this](const GivenValues& v) {
        ComputePower2(effectSize, v.alpha, static_cast<double>(v.sampleSize1),
                      static_cast<double>(v.sampleSize2));
    };
    path.afterCriterion = [this](const GivenValues& v) {
        ComputePower2(v.effect, alpha, static_cast<double>(v.sampleSize1),
                      static_cast<double>(v.sampleSize2));
    };
    try {
        return RunReadCheckSolve(*this, type, inputs, path);
    } catch (const QuorixError&) {
        // Below the ratio A priori admits, the power is 1 at nearly every
        // alpha and the alpha asked for lies below the searches' floor: the
        // ratio is refused as A priori refuses it.
        if ((type != kCriterion && type != kCompromise) || !(ratioGiven < 1e-6)) throw;
        ClearMessage();
        CheckEffectSizeAbove("v", ratioGiven, 1e-6);
        return ratioRow;
    }
}
