#include "tests/f/power_f_regression.h"

#include "analysis/standard_inputs.h"
#include "analysis/test_family_support.h"

PowerFMRCGlobal::PowerFMRCGlobal() {
    predictorCount = 2.0;
    PowerFMRCGlobal::SetStandardValues();
}

void PowerFMRCGlobal::SetStandardValues() {
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.15;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

PowerFMRCSpecial::PowerFMRCSpecial() {
    groupCount = 2.0;
    PowerFMRCSpecial::SetStandardValues();
}

void PowerFMRCSpecial::SetStandardValues() {
    PowerFMRCGlobal::SetStandardValues();
    predictorCount = 5.0;
    groupCount = 2.0;
    numeratorDf = 2.0;
}

bool PowerFMRCGlobal::CheckSampleSize(int, double n) {
    return CheckSampleSizeAbovePredictors(static_cast<int>(TruncateToLong(n)),
                                          static_cast<int>(TruncateToLong(predictorCount)));
}

bool PowerFMRCGlobal::CheckEffectSize(int zeroAllowed, double f2) {
    return CheckEffectSizeRange("f$^2$", f2, zeroAllowed ? 0.0 : 1e-6, MaxEffect());
}

void PowerFMRCGlobal::AddDesignInputs(PropertyList* inputs) {
    AddLongInput(inputs, 0, kNumberOfPredictorsId);
}

void PowerFMRCSpecial::AddDesignInputs(PropertyList* inputs) {
    AddCountInput(inputs, kNumberOfTestedPredictorsId);
    AddLongInput(inputs, 0, kTotalNumberOfPredictorsId);
}

int PowerFMRCGlobal::ReadDesign(PropertyList* inputs, long* p, long* q) {
    int row = -1;
    *p = ReadCount(inputs, &row, kNumberOfPredictorsId);
    *q = *p;
    return CheckAtLeastOnePredictor(static_cast<int>(*p)) ? -1 : row;
}

int PowerFMRCSpecial::ReadDesign(PropertyList* inputs, long* p, long* q) {
    int testedRow = -1, totalRow = -1;
    *q = ReadCount(inputs, &testedRow, kNumberOfTestedPredictorsId);
    if (*q < 1) {
        messages << "At least one predictor must be tested.";
        return testedRow;
    }
    *p = ReadCount(inputs, &totalRow, kTotalNumberOfPredictorsId);
    if (!CheckAtLeastOnePredictor(static_cast<int>(*p))) return totalRow;
    if (*q > *p) {
        messages << "Number of tested predictors must not be larger\n"
                    "than the total number of predictors.";
        return testedRow;
    }
    return -1;
}

void PowerFMRCGlobal::SetDesign(long p, long) {
    predictorCount = static_cast<double>(p);
}

void PowerFMRCSpecial::SetDesign(long p, long q) {
    predictorCount = static_cast<double>(p);
    groupCount = static_cast<double>(q);
    numeratorDf = static_cast<double>(q);
    distribution->SetParam(1, numeratorDf);
}

void PowerFMRCGlobal::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(inputs, kEffectSizeF2Id, GetTestId(),
                           "Effect size conventions\nf$^2$ = .02 - small\nf$^2$ = .15 - "
                           "medium\nf$^2$ = .35 - large",
                           true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddDesignInputs(inputs);
}

CalculateStatus PowerFMRCGlobal::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    if (type != kAPriori && type != kSensitivity && type != kPostHoc && type != kCriterion &&
        type != kCompromise) {
        return kCalculateDone;
    }
    long p = 0, q = 0;
    if (const int row = ReadDesign(inputs, &p, &q); row >= 0) return row;

    const GivenInputs given = GivenInputsOf(type);
    int f2Row = -1, alphaRow = -1, powerRow = -1, ratioRow = -1, nRow = -1;
    double f2 = 0.0, alphaValue = 0.0, powerValue = 0.0, ratioValue = 0.0;
    int n = 0;
    if (given.effect) f2 = ReadEffectSize(inputs, &f2Row, kEffectSizeF2Id);
    if (given.alpha) alphaValue = ReadAlpha(inputs, &alphaRow);
    if (given.power) powerValue = ReadPower(inputs, &powerRow);
    if (given.ratio) ratioValue = ReadRatio(inputs, &ratioRow);
    if (given.sampleSize) n = static_cast<int>(ReadCount(inputs, &nRow, kTotalSampleSizeId));

    if (given.effect && !CheckEffectSize(type != kAPriori, f2)) return f2Row;
    if (given.alpha && !CheckAlphaRange(alphaValue)) return alphaRow;
    if (given.power && !CheckPowerRange(powerValue)) return powerRow;
    if (given.alpha && given.power && !CheckPowerAboveAlpha(alphaValue, powerValue)) {
        return powerRow;
    }
    if (given.ratio && !CheckRatio(ratioValue, 0.01, 100.0)) return ratioRow;
    if (given.sampleSize && !CheckSampleSizeAbovePredictors(n, static_cast<int>(p))) return nRow;

    SetDesign(p, q);
    switch (type) {
        case kAPriori:
            SolveSampleSize(f2, alphaValue, powerValue, true);
            break;
        case kSensitivity:
            sampleSize = n;
            effectSize = RestoringOnFailure(
                effectSize, [&] { return SolveEffectSize(alphaValue, powerValue, n); });
            break;
        case kPostHoc:
            power = ComputePower(f2, alphaValue, n);
            break;
        case kCriterion:
            alpha = SolveAlpha(f2, powerValue, n);
            // The last evaluation of the search need not be at the answer.
            SetCentralCriticalValue(alpha);
            break;
        case kCompromise:
            alpha = SolveCompromise(f2, ratioValue, n);
            power = ComputePower(f2, alpha, n);
            break;
    }
    return kCalculateDone;
}
