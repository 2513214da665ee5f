#include "power/f/power_f_multivariate.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "analysis/standard_inputs.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"

namespace {

constexpr double kMaxEffect = 50.0;

// The total as the count checks take it.
int AsCount(double n) {
    return static_cast<int>(TruncateToLong(n));
}

// Below the smallest N of a design the criterion's denominator df is not
// positive and there is no power to show (2147483647 response variables at
// N = 100 reached the F distribution so). False, with the sentence, then.
bool DesignFitsSampleSize(PowerMultCriterion* criterion, std::ostringstream& messages, int n, int k,
                          int h, int p) {
    criterion->ComputeDf(n, k, h, p);
    if (criterion->df2 > 0.0 && std::isfinite(criterion->df2)) return true;
    messages << "The sample size (" << n << ") is too small for this design:\n"
             << "the denominator df is not positive.";
    return false;
}

}  // namespace

// ------------------------------------------------------------ shared base

PowerFMultivariate::PowerFMultivariate() : criterion(new PowerMultPillaiOS) {}

PowerFMultivariate::~PowerFMultivariate() {
    delete criterion;
}

bool PowerFMultivariate::SetCriterion(int id) {
    PowerMultCriterion* fresh = NewCriterion(id);
    if (fresh == nullptr) return false;
    delete criterion;
    criterion = fresh;
    return true;
}

OutputTable PowerFMultivariate::Outputs(AnalysisType type) {
    OutputTable table = StandardOutputs(type);
    table.push_back(LabelRow(criterion->GetShortName(), [this] { return criterionValue; }));
    return table;
}

std::string PowerFMultivariate::EffectName() {
    const std::string label = ParameterNames[GetEffectSizeId()];
    const std::string prefix = "Effect size ";
    return label.rfind(prefix, 0) == 0 ? label.substr(prefix.size()) : label;
}

bool PowerFMultivariate::CheckEffectInRange(AnalysisType type, double effect) {
    return CheckEffectSizeRange(EffectName(), effect, type == kAPriori ? 1e-6 : 0.0, kMaxEffect);
}

ReadCheckSolve PowerFMultivariate::MultivariatePath(
    AnalysisType type, Hook<int()> readDesign,
    SmallFunction<void(const GivenValues&), 64> takeDesign) {
    ReadCheckSolve path = DesignPath(type, std::move(readDesign), std::move(takeDesign));
    // The last evaluation of the search need not be at the answer.
    path.afterCriterion = [this](const GivenValues&) {
        UpdateDf();
        SetCentralCriticalValue(alpha);
    };
    return path;
}

// ------------------------------------------------------------ MANOVA global

PowerFManovaGlobal::PowerFManovaGlobal() {
    PowerFManovaGlobal::SetStandardValues();
}

PowerAnalysis* PowerFManovaGlobal::Clone() {
    auto* copy = CloneWithCriterion<PowerFManovaGlobal>();
    copy->groups_ = groups_;
    copy->responses_ = responses_;
    return copy;
}

void PowerFManovaGlobal::SetStandardValues() {
    SetGroups(3.0);
    SetResponses(2.0);
    SetDesign(3, 2);
    SetStandardInputs();
}

void PowerFManovaGlobal::SetStandardInputs() {
    effectSize = 0.0625;
    sampleSize = 100.0;
    alpha = 0.05;
    power = 0.95;
    ratio = kStandardRatio;
    UpdateDf();
}

void PowerFManovaGlobal::SetGroups(double x) {
    groupCount = static_cast<int>(x);
    UpdateDf();
}

void PowerFManovaGlobal::SetResponses(double x) {
    extraCount = static_cast<int>(x);
    UpdateDf();
}

void PowerFManovaGlobal::SetDesign(int k, int p) {
    groups_ = k;
    responses_ = p;
    groupCount = k;
    extraCount = p;
}

void PowerFManovaGlobal::UpdateDf() {
    groups_ = static_cast<int>(groupCount);
    responses_ = static_cast<int>(extraCount);
    criterion->ComputeDf(sampleSize, groups_, HypothesisDf(), responses_);
    SetDf(criterion->df1, criterion->df2);
}

double PowerFManovaGlobal::EffectFromNoncentrality(double lambda) {
    const double f =
        criterion->EffectFromNoncentrality(lambda, sampleSize, groups_, HypothesisDf(), responses_);
    return f * f;
}

double PowerFManovaGlobal::NoncentralityFromEffect(double f2) {
    return criterion->NoncentralityFromEffect(RootOfSquaredEffect(f2), sampleSize, groups_,
                                              HypothesisDf(), responses_);
}

double PowerFManovaGlobal::SearchStart() {
    return std::max(groups_ + 1.0,
                    std::ceil(criterion->MinimumSampleSize(groups_, HypothesisDf(), responses_)));
}

// The search starts above k, at the criterion's closed-form minimum N; the
// totals below it, down to the first with a positive denominator df, are
// looked at after the search (SolveSampleSize).
void PowerFManovaGlobal::BracketSampleSize() {
    const double lowest = SearchStart();
    BracketSampleSizeFrom(lowest, std::max(groups_ + 100.0, lowest + 1.0));
}

bool PowerFManovaGlobal::ReachesTarget(double n, double effect, double alphaValue, double target) {
    criterion->ComputeDf(n, groups_, HypothesisDf(), responses_);
    if (!(criterion->df2 > 0.0 && std::isfinite(criterion->df2))) return false;
    try {
        return ComputePower(effect, alphaValue, n) >= target;
    } catch (const QuorixError&) {
        return false;
    }
}

// The closed-form minimum can lie above the smallest N whose denominator df
// is positive (Pillai's k + q + s + 1 against k + q - s + 1), and so above
// the smallest N that reaches the target. Where the search ends at its lower
// end, the totals below it are bisected, in the steps RoundSampleSize gives,
// down to the first with a positive df: a few powers, however large the
// design. Power grows with N, so the first total that reaches the target
// is the answer.
double PowerFManovaGlobal::SolveSampleSize(double effect, double alphaValue, double powerValue,
                                           bool round) {
    PowerAnalysis::SolveSampleSize(effect, alphaValue, powerValue, round);
    const double unit = round ? RoundSampleSize(1.0) : 1.0;
    const double answer = sampleSize;
    if (!(answer <= RoundSampleSize(SearchStart()))) return answer;
    // The first step count whose total lies above k with a positive df, by
    // bisection on the df, which grows with N.
    auto positiveDf = [&](double j) {
        criterion->ComputeDf(j * unit, groups_, HypothesisDf(), responses_);
        return j * unit > groups_ && criterion->df2 > 0.0;
    };
    double below = 0.0, best = answer / unit;
    while (best - below > 1.0) {
        const double middle = std::floor((below + best) / 2.0);
        (positiveDf(middle) ? best : below) = middle;
    }
    // Then the first from there whose power reaches the target: `below`
    // never reaches it, `best` does.
    below = best - 1.0;
    best = answer / unit;
    while (best - below > 1.0) {
        if (IsCancelled()) throw CancelledError();
        const double middle = std::floor((below + best) / 2.0);
        (ReachesTarget(middle * unit, effect, alphaValue, powerValue) ? best : below) = middle;
    }
    sampleSize = best * unit;
    actualPower = ComputePower(effect, alphaValue, sampleSize);
    return sampleSize;
}

double PowerFManovaGlobal::RoundSampleSize(double n) {
    return groupCount * PowerAnalysis::RoundSampleSize(n / groupCount);
}

void PowerFManovaGlobal::AddDesignInputs(PropertyList* inputs) {
    AddCountInput(inputs, kNumberOfGroupsId);
    AddResponseVariablesInput(inputs, extraCount);
}

void PowerFManovaGlobal::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddDesignInputs(inputs);
}

int PowerFManovaGlobal::ReadDesign(PropertyList* inputs) {
    int groupsRow = -1, responsesRow = -1;
    const int k = static_cast<int>(ReadCount(inputs, &groupsRow, kNumberOfGroupsId));
    if (!CheckAtLeastTwoGroups(k)) return groupsRow;
    const int p = static_cast<int>(ReadResponseVariables(inputs, &responsesRow));
    if (!CheckAtLeastOneResponse(p)) return responsesRow;
    SetDesign(k, p);
    return -1;
}

CalculateStatus PowerFManovaGlobal::Calculate(AnalysisType type, PropertyList* inputs) {
    int responsesRow = -1;
    inputs->FindWithIndex(ParameterNames[kResponseVariablesId], &responsesRow);
    long n = 0;
    ReadCheckSolve path = MultivariatePath(
        type, [&] { return ReadDesign(inputs); },
        [&](const GivenValues& v) {
            SetGroups(groups_);
            SetResponses(responses_);
            n = v.sampleSize;
        });
    const InputCheck ratioInRange = RatioInRange(*this, 0.01, 100.0);
    path.checks =
        EffectAlphaPowerChecks([this, type](double f2) { return CheckEffectInRange(type, f2); });
    // The global test checks N before the ratio, the special test after.
    if (!GivesGroupNote()) path.checks.push_back(ratioInRange);
    path.checks.push_back(
        SampleSizePasses([this](int total) { return CheckSampleSizeAboveGroups(total, groups_); }));
    path.checks.push_back(OwnInputCheck(responsesRow, [this, type](const GivenValues& v) {
        return !GivenInputsOf(type).sampleSize ||
               DesignFitsSampleSize(criterion, messages, static_cast<int>(v.sampleSize), groups_,
                                    HypothesisDf(), responses_);
    }));
    if (GivesGroupNote()) path.checks.push_back(ratioInRange);
    const CalculateStatus done = RunReadCheckSolve(*this, type, inputs, path);
    if (done != kCalculateDone) return done;

    CalculateStatus result = kCalculateDone;
    if (GivesGroupNote() && (type == kSensitivity || type == kPostHoc || type == kCompromise) &&
        !CheckSampleSizeMultipleOfGroups(static_cast<int>(n), groups_)) {
        result = kCalculateDoneWithNote;
    }
    criterion->SetFromEffect(RootOfSquaredEffect(effectSize), sampleSize, groups_, HypothesisDf(),
                             responses_);
    criterionValue = criterion->criterionValue;
    return result;
}

// ----------------------------------------------------------- MANOVA special

PowerFManovaSpecial::PowerFManovaSpecial() {
    PowerFManovaSpecial::SetStandardValues();
}

PowerAnalysis* PowerFManovaSpecial::Clone() {
    auto* copy = CloneWithCriterion<PowerFManovaSpecial>();
    copy->groups_ = groups_;
    copy->responses_ = responses_;
    copy->predictors_ = predictors_;
    return copy;
}

void PowerFManovaSpecial::SetStandardValues() {
    SetGroups(6.0);
    SetResponses(2.0);
    SetPredictors(3.0);
    SetDesign(6, 3, 2);
    SetStandardInputs();
}

void PowerFManovaSpecial::SetPredictors(double x) {
    predictorCount = static_cast<int>(x);
    predictors_ = static_cast<int>(predictorCount);
    UpdateDf();
}

void PowerFManovaSpecial::SetDesign(int k, int m, int p) {
    PowerFManovaGlobal::SetDesign(k, p);
    predictors_ = m;
    predictorCount = m;
}

void PowerFManovaSpecial::AddDesignInputs(PropertyList* inputs) {
    AddCountInput(inputs, kNumberOfGroupsId);
    AddLongInput(inputs, 0, kNumberOfPredictorsId);
    AddResponseVariablesInput(inputs, extraCount);
}

// The number of predictors is the hypothesis df: below 1 the numerator df
// would be 0, so it is refused on its row.
int PowerFManovaSpecial::ReadDesign(PropertyList* inputs) {
    int groupsRow = -1, responsesRow = -1, predictorsRow = -1;
    const int k = static_cast<int>(ReadCount(inputs, &groupsRow, kNumberOfGroupsId));
    if (!CheckAtLeastTwoGroups(k)) return groupsRow;
    const int p = static_cast<int>(ReadResponseVariables(inputs, &responsesRow));
    if (!CheckAtLeastOneResponse(p)) return responsesRow;
    const int m = static_cast<int>(ReadCount(inputs, &predictorsRow, kNumberOfPredictorsId));
    if (!CheckAtLeastOnePredictor(m)) return predictorsRow;
    SetDesign(k, m, p);
    return -1;
}

// ------------------------------------------- repeated measures, multivariate

PowerFRepMMultiBetween::PowerFRepMMultiBetween() {
    PowerFRepMMultiBetween::SetStandardValues();
}

void PowerFRepMMultiBetween::CopyStateTo(PowerAnalysis& target) const {
    PowerFMultivariate::CopyStateTo(target);
    auto& copy = static_cast<PowerFRepMMultiBetween&>(target);
    copy.measuresCorrelation = measuresCorrelation;
}

PowerAnalysis* PowerFRepMMultiBetween::Clone() {
    auto* copy = CloneWithCriterion<PowerFRepMMultiBetween>();
    copy->useMeanCorrelation = useMeanCorrelation;
    return copy;
}

PowerAnalysis* PowerFRepMMultiWithin::Clone() {
    auto* copy = CloneWithCriterion<PowerFRepMMultiWithin>();
    copy->useMeanCorrelation = useMeanCorrelation;
    return copy;
}

PowerAnalysis* PowerFRepMMultiInter::Clone() {
    auto* copy = CloneWithCriterion<PowerFRepMMultiInter>();
    copy->useMeanCorrelation = useMeanCorrelation;
    return copy;
}

std::string PowerFRepMMultiBetween::GetTestName() {
    switch (GetTestId()) {
        case kManovaRepeatedWithinTestId:
            return "MANOVA: Repeated measures, within factors";
        case kManovaRepeatedInteractionTestId:
            return "MANOVA: Repeated measures, within-between interaction";
    }
    return "MANOVA: Repeated measures, between factors";
}

ParameterId PowerFRepMMultiBetween::GetEffectSizeId() {
    return useMeanCorrelation ? kEffectSizeFId : CriterionFParamId(*criterion);
}

void PowerFRepMMultiBetween::SetStandardValues() {
    groupCount = 2.0;
    SetDesign(2, 1);
    extraCount = 4.0;  // measurements
    measuresCorrelation = 0.0;
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.25;
    sampleSize = 100.0;
    ratio = kStandardRatio;
    UpdateDf();
}

void PowerFRepMMultiBetween::SetDesign(int k, int m) {
    groups_ = k;
    h_ = DesignH(k, m);
    t_ = DesignT(k, m);
    minimumN_ = std::ceil(criterion->MinimumSampleSize(k, h_, t_));
}

void PowerFRepMMultiBetween::SetGroups(double k) {
    groupCount = k;
    UpdateDf();
}

void PowerFRepMMultiBetween::UpdateDf() {
    const int k = static_cast<int>(groupCount);
    const int m = static_cast<int>(extraCount);
    criterion->ComputeDf(sampleSize, k, DesignH(k, m), DesignT(k, m));
    SetDf(criterion->df1, criterion->df2);
}

double PowerFRepMMultiBetween::CorrelationFactor() {
    const double m = extraCount, rho = measuresCorrelation;
    return UsesCompoundFactor() ? m / ((m - 1.0) * rho + 1.0) : m / (1.0 - rho);
}

void PowerFRepMMultiBetween::WriteCriterionDesign() {
    criterion->sampleSize = sampleSize;
    criterion->groups = groups_;
    criterion->p = h_;
    criterion->q = t_;
}

// With the mean correlation the effect is converted into the criterion's
// own: for the O'Brien-Shieh criteria through the criterion's conversion,
// so that the noncentrality and the criterion value shown rest on the same
// effect (a factor m/(1 - rho) applied on top of a noncentrality that
// already carries the dimension s would count s twice when s > 1); the
// Muller-Peterson criteria convert nothing and take the factor itself.
double PowerFRepMMultiBetween::NoncentralityFromEffect(double f) {
    if (!useMeanCorrelation) {
        return criterion->NoncentralityFromEffect(f, sampleSize, groups_, h_, t_);
    }
    if (criterion->GetCriterionId() % 2 == 1) {
        WriteCriterionDesign();
        const double converted = criterion->ToRepeatedMeasuresEffect(
            f, measuresCorrelation, 1.0, groups_, extraCount, UsesCompoundFactor());
        return criterion->NoncentralityFromEffect(converted, sampleSize, groups_, h_, t_);
    }
    return criterion->NoncentralityFromEffect(f, sampleSize, groups_, h_, t_) * CorrelationFactor();
}

double PowerFRepMMultiBetween::EffectFromNoncentrality(double lambda) {
    if (!useMeanCorrelation) {
        return criterion->EffectFromNoncentrality(lambda, sampleSize, groups_, h_, t_);
    }
    if (criterion->GetCriterionId() % 2 == 1) {
        WriteCriterionDesign();
        const double converted =
            criterion->EffectFromNoncentrality(lambda, sampleSize, groups_, h_, t_);
        return criterion->FromRepeatedMeasuresEffect(converted, measuresCorrelation, 1.0, groups_,
                                                     extraCount, UsesCompoundFactor());
    }
    return criterion->EffectFromNoncentrality(lambda / CorrelationFactor(), sampleSize, groups_, h_,
                                              t_);
}

double PowerFRepMMultiBetween::SampleSizeFromNoncentrality(double lambda) {
    if (!useMeanCorrelation) {
        return criterion->SampleSizeFromNoncentrality(effectSize, lambda, groups_, h_, t_);
    }
    if (criterion->GetCriterionId() % 2 == 1) {
        WriteCriterionDesign();
        const double converted = criterion->ToRepeatedMeasuresEffect(
            effectSize, measuresCorrelation, 1.0, groups_, extraCount, UsesCompoundFactor());
        return criterion->SampleSizeFromNoncentrality(converted, lambda, groups_, h_, t_);
    }
    return criterion->SampleSizeFromNoncentrality(effectSize, lambda / CorrelationFactor(), groups_,
                                                  h_, t_);
}

void PowerFRepMMultiBetween::BracketSampleSize() {
    const double lowest = std::max(1.0, minimumN_);
    BracketSampleSizeFrom(lowest, std::max(groups_ + 100.0, lowest + 1.0));
}

double PowerFRepMMultiBetween::RoundSampleSize(double n) {
    return groupCount * PowerAnalysis::RoundSampleSize(n / groupCount);
}

bool PowerFRepMMultiBetween::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckSampleSizeAboveGroups(AsCount(n), groups_);
}

bool PowerFRepMMultiWithin::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckSampleSizeAboveGroups(AsCount(n), groups_) &&
           CheckSampleSizeAboveMeasurements(AsCount(n), static_cast<int>(extraCount));
}

void PowerFRepMMultiBetween::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddCountInput(inputs, kNumberOfGroupsId);
    AddMeasurementsInput(inputs, kNumberOfMeasurementsId, extraCount);
    if (useMeanCorrelation)
        AddDoubleInput(inputs, kRepeatedMeasuresCorrelationId, measuresCorrelation);
}

CalculateStatus PowerFRepMMultiBetween::Calculate(AnalysisType type, PropertyList* inputs) {
    int k = 0, m = 0, measurementsRow = -1;
    double rho = measuresCorrelation;
    ReadCheckSolve path = MultivariatePath(
        type,
        [&] {
            int groupsRow = -1, rhoRow = -1;
            k = static_cast<int>(ReadCount(inputs, &groupsRow, kNumberOfGroupsId));
            if (!CheckMinimumGroups(k, MinimumGroups())) return groupsRow;
            m = static_cast<int>(ReadCount(inputs, &measurementsRow, kNumberOfMeasurementsId));
            if (!CheckAtLeastTwoMeasurements(m)) return measurementsRow;
            if (useMeanCorrelation) {
                rho = ReadDouble(inputs, kRepeatedMeasuresCorrelationId, &rhoRow);
                if (!CheckCorrelation("Correlation between repeated measures\n", rho))
                    return rhoRow;
                if (UsesCompoundFactor() && !CheckCompoundCorrelation(rho, m)) return rhoRow;
            }
            SetDesign(k, m);
            return -1;
        },
        [&](const GivenValues&) {
            extraCount = m;
            measuresCorrelation = rho;
            SetGroups(k);
        });
    path.checks = JoinChecks(
        {EffectAlphaPowerChecks([this, type](double f) { return CheckEffectInRange(type, f); }),
         {SampleSizePasses([&](int n) { return CheckSampleSizeAboveGroups(n, k); }),
          OwnInputCheck(measurementsRow,
                        [&](const GivenValues& v) {
                            return !GivenInputsOf(type).sampleSize ||
                                   DesignFitsSampleSize(criterion, messages,
                                                        static_cast<int>(v.sampleSize), k, h_, t_);
                        }),
          RatioInRange(*this, 0.01, 100.0)}});
    // The noncentrality of a given effect and N rests on the whole design.
    path.checkTaken = [&](const GivenValues& v) {
        const GivenInputs given = GivenInputsOf(type);
        if (!given.effect || !given.sampleSize) return -1;
        const double savedN = sampleSize;
        sampleSize = static_cast<double>(v.sampleSize);
        const double lambda = NoncentralityFromEffect(v.effect);
        sampleSize = savedN;
        return CheckNoncentralityComputable(lambda) ? -1 : measurementsRow;
    };
    // The searches meet the same limits at the design they reached: the
    // noncentrality, or an N too small for the measurements.
    auto explain = [&] {
        if (!CheckNoncentralityComputable(distribution->GetNoncentrality())) return true;
        return !DesignFitsSampleSize(criterion, messages, AsCount(sampleSize), k, h_, t_);
    };
    if (const CalculateStatus done =
            RunSearchingDesign(type, inputs, path, measurementsRow, explain);
        done != kCalculateDone) {
        return done;
    }

    WriteCriterionDesign();
    if (useMeanCorrelation) {
        criterion->criterionValue = criterion->CriterionFromRepeatedEffect(
            effectSize, measuresCorrelation, 1.0, k, extraCount, UsesCompoundFactor());
    } else {
        criterion->SetFromEffect(effectSize, sampleSize, k, h_, t_);
    }
    criterionValue = criterion->criterionValue;
    return kCalculateDone;
}
