#include "power/chi/power_chi_one_var.h"

#include "analysis/family_support.h"
#include "analysis/standard_inputs.h"
#include "distributions/chi.h"
#include "numerics/quorix_error.h"

namespace {}  // namespace

PowerChiOneVar::PowerChiOneVar() {
    PowerChiOneVar::SetStandardValues();
}

PowerAnalysis* PowerChiOneVar::Clone() {
    auto* copy = CloneAs<PowerChiOneVar>();
    copy->useSampleSizeAsDf = useSampleSizeAsDf;
    return copy;
}

void PowerChiOneVar::SetStandardValues() {
    SetDf(5.0);
    effectSize = 1.5;
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

ChiDistribution& PowerChiOneVar::Chi() {
    return static_cast<ChiDistribution&>(*distribution);
}

void PowerChiOneVar::SetCentralDistribution() {
    distribution->SetNoncentrality(0.0);
    Chi().SetScale(1.0);
}

void PowerChiOneVar::SetNoncentralDistribution() {
    distribution->SetNoncentrality(0.0);
    Chi().SetScale(1.0 / effectSize);
}

double PowerChiOneVar::ComputePower(double r, double alphaValue, double n) {
    return Tails(r, alphaValue, n, nullptr);
}

double PowerChiOneVar::ComputeBeta(double r, double alphaValue, double n) {
    double beta = 0.0;
    Tails(r, alphaValue, n, &beta);
    return beta;
}

double PowerChiOneVar::Tails(double r, double alphaValue, double n, double* beta) {
    effectSize = r;
    alpha = alphaValue;
    sampleSize = n;
    SetDf(useSampleSizeAsDf ? n : n - 1.0);
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

bool PowerChiOneVar::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(static_cast<int>(TruncateToLong(n)), 2, kLargestTotalSampleSize);
}

bool PowerChiOneVar::CheckEffectSize(int type, double r) {
    ClearMessage();
    if (type == kAPriori) {
        return CheckEffectSizeAbove("var1/var0", r, 1e-6) &&
               CheckEffectSizeOutside("var1/var0", r, 0.999, 1.001);
    }
    return CheckEffectSizeNonNegative("v", r);
}

void PowerChiOneVar::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, kRatioVar1Var0Id, GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
}

OutputTable PowerChiOneVar::Outputs(AnalysisType type) {
    OutputTable table = {LowerCriticalRow(kLowerCriticalChiSquareId),
                         UpperCriticalRow(kUpperCriticalChiSquareId), DfRow()};
    AppendRows(table, TypeOutputs(type));
    return table;
}

CalculateStatus PowerChiOneVar::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0, ratioRow = -1;
    double ratioGiven = 1.0;
    ReadCheckSolve path;
    path.effectId = kRatioVar1Var0Id;
    path.readDesign = [&] {
        int row = -1;
        tails = ReadTails(inputs, &row);
        return -1;
    };
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        return InputTable{EffectPasses([this, type](double r) { return CheckEffectSize(type, r); }),
                          AlphaInRange(*this),
                          PowerInRange(*this),
                          PowerAboveAlpha(*this),
                          TotalSampleSizeIn(*this, 2, kLargestTotalSampleSize),
                          RatioInRange(*this, 0.01, 100.0)};
    });
    path.takeDesign = [&](GivenValues& v) {
        // "-0" is the ratio 0, refused or taken as "0" is; the sign of a
        // zero would otherwise turn 1/r into -inf further on.
        if (v.effect == 0.0) v.effect = 0.0;
        oneTailed = tails == 0;
        ratioGiven = v.effect;
        ratioRow = v.Row(Given::kEffect);
    };
    // The critical values of the ratio found, or of the alpha found, on the
    // side and with the tails of the test.
    path.afterSensitivity = [this](const GivenValues& v) {
        ComputePower(effectSize, v.alpha, static_cast<double>(v.sampleSize));
    };
    path.afterCriterion = [this](const GivenValues& v) {
        ComputePower(v.effect, alpha, static_cast<double>(v.sampleSize));
    };
    try {
        return RunReadCheckSolve(*this, type, inputs, path);
    } catch (const QuorixError&) {
        // Below the ratio A priori admits, the power is 1 at nearly every
        // alpha and the alpha asked for lies below the searches' floor: the
        // ratio is refused as A priori refuses it.
        if ((type != kCriterion && type != kCompromise) || !(ratioGiven < 1e-6)) throw;
        ClearMessage();
        CheckEffectSizeAbove("var1/var0", ratioGiven, 1e-6);
        return ratioRow;
    }
}
