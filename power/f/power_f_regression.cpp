#include "power/f/power_f_regression.h"

#include "analysis/family_support.h"
#include "analysis/standard_inputs.h"

double PowerFMRCGlobal::SolveAlpha(double effect, double target, double n) {
    double a = 0.0;
    if (!SolveOnCriticalValue(effect, target, n, false, &a))
        return PowerF::SolveAlpha(effect, target, n);
    power = target;
    analysisType = kCriterion;
    alpha = a;
    return a;
}

double PowerFMRCGlobal::SolveCompromise(double effect, double q, double n) {
    double a = 0.0;
    if (!SolveOnCriticalValue(effect, q, n, true, &a)) return PowerF::SolveCompromise(effect, q, n);
    ratio = q;
    analysisType = kCompromise;
    return a;
}

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
    long p = 0, q = 0;
    ReadCheckSolve path = DesignPath(
        type, [&] { return ReadDesign(inputs, &p, &q); },
        [&](const GivenValues&) { SetDesign(p, q); });
    path.checks = JoinChecks({EffectAlphaPowerChecks([this, type](double f2) {
                                  return CheckEffectSize(type != kAPriori, f2);
                              }),
                              {RatioInRange(*this, 0.01, 100.0), SampleSizePasses([&](int n) {
                                   return CheckSampleSizeAbovePredictors(n, static_cast<int>(p));
                               })}});
    return RunReadCheckSolve(*this, type, inputs, path);
}
