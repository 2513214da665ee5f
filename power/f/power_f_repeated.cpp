#include "power/f/power_f_repeated.h"

#include <cmath>
#include <cstdio>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "analysis/standard_inputs.h"

namespace {

constexpr double kMaxEffect = 50.0;

// The value an input list shows under `label`, or `fallback` where the list
// has no such number.
double ShownValue(PropertyList* inputs, ParameterId id, double fallback) {
    const Property* input = inputs != nullptr ? inputs->Find(ParameterNames[id]) : nullptr;
    if (const auto* real = dynamic_cast<const PropertyDouble*>(input)) return real->GetValue();
    if (const auto* count = dynamic_cast<const PropertyLong*>(input)) {
        return static_cast<double>(count->GetValue());
    }
    return fallback;
}

}  // namespace

// ---------------------------------------------------------------- between

PowerFRepMBetween::PowerFRepMBetween() {
    SetDf(1.0, 20.0);
    PowerFRepMBetween::SetStandardValues();
}

PowerFRepMWithin::PowerFRepMWithin() {
    minimumGroups = 1;
}

PowerFRepMInteraction::PowerFRepMInteraction() {
    minimumGroups = 2;
}

void PowerFRepMBetween::SetStandardValues() {
    groupCount = 2.0;
    extraCount = 4.0;
    correlation = 0.5;
    nonsphericity = 1.0;
    effectSizeSpecification = 0;
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.25;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

void PowerFRepMBetween::CopyRepeatedStateTo(PowerFRepMBetween& target) const {
    target.correlation = correlation;
    target.nonsphericity = nonsphericity;
    target.minimumGroups = minimumGroups;
    target.effectSizeSpecification = effectSizeSpecification;
}

PowerAnalysis* PowerFRepMBetween::Clone() {
    auto* copy = CloneAs<PowerFRepMBetween>();
    CopyRepeatedStateTo(*copy);
    return copy;
}

PowerAnalysis* PowerFRepMWithin::Clone() {
    auto* copy = CloneAs<PowerFRepMWithin>();
    CopyRepeatedStateTo(*copy);
    return copy;
}

PowerAnalysis* PowerFRepMInteraction::Clone() {
    auto* copy = CloneAs<PowerFRepMInteraction>();
    CopyRepeatedStateTo(*copy);
    return copy;
}

// ------------------------------------------------- df and noncentrality

double PowerFRepMBetween::ErrorDf(double n, double k, double, double eps) {
    return (n - k) * eps;
}

double PowerFRepMWithin::ErrorDf(double n, double k, double m, double eps) {
    return (n - k) * (m - 1.0) * eps;
}

void PowerFRepMBetween::UpdateDf() {
    SetDf((groupCount - 1.0) * nonsphericity,
          ErrorDf(sampleSize, groupCount, extraCount, nonsphericity));
}

void PowerFRepMWithin::UpdateDf() {
    SetDf((extraCount - 1.0) * nonsphericity,
          ErrorDf(sampleSize, groupCount, extraCount, nonsphericity));
}

void PowerFRepMInteraction::UpdateDf() {
    SetDf((groupCount - 1.0) * (extraCount - 1.0) * nonsphericity,
          ErrorDf(sampleSize, groupCount, extraCount, nonsphericity));
}

void PowerFRepMBetween::SetNumberOfGroups(double k) {
    groupCount = k;
    UpdateDf();
}

double PowerFRepMBetween::NoncentralityFromEffect(double f) {
    const double eps = nonsphericity;
    switch (effectSizeSpecification) {
        case 0:
            return f * f * WeightOfMeasures(extraCount, correlation) * sampleSize * eps;
        case 1:
        case 3:
            return f * f * sampleSize * eps;
        case 2:
            return f * f * ErrorDf(sampleSize, groupCount, extraCount, eps);
        default:
            return 0.0;
    }
}

double PowerFRepMBetween::EffectFromNoncentrality(double lambda) {
    const double eps = nonsphericity;
    switch (effectSizeSpecification) {
        case 0:
            return std::sqrt(lambda /
                             (WeightOfMeasures(extraCount, correlation) * sampleSize * eps));
        case 1:
        case 3:
            return std::sqrt(lambda / (sampleSize * eps));
        case 2:
            return std::sqrt(lambda / ErrorDf(sampleSize, groupCount, extraCount, eps));
        default:
            return 0.0;
    }
}

double PowerFRepMBetween::SampleSizeFromNoncentrality(double lambda) {
    const double f2 = effectSize * effectSize, eps = nonsphericity;
    switch (effectSizeSpecification) {
        case 0:
            return lambda / (f2 * WeightOfMeasures(extraCount, correlation) * eps);
        case 1:
        case 3:
            return lambda / (f2 * eps);
        case 2: {
            // The error df grow by this much per subject.
            const double perSubject = ErrorDf(groupCount + 1.0, groupCount, extraCount, eps);
            return lambda / (f2 * perSubject) + groupCount;
        }
        default:
            return 0.0;
    }
}

double PowerFRepMBetween::ConvertEffectSize(double f, int from, int to, double m, double k,
                                            double rho, double n, double eps) {
    if (from == to) return f;
    const double u = WeightOfMeasures(m, rho);
    const double d = ErrorDf(n, k, m, eps);
    auto isV = [](int s) { return s == 1 || s == 3; };
    if (from == 0 && isV(to)) return f * std::sqrt(u);
    if (from == 0 && to == 2) return f * std::sqrt(u * n * eps / d);
    if (isV(from) && to == 0) return f / std::sqrt(u);
    if (isV(from) && to == 2) return f * std::sqrt(n * eps / d);
    if (isV(from) && isV(to)) return f;
    if (from == 2 && to == 0) return f * std::sqrt(d / (u * n * eps));
    if (from == 2 && isV(to)) return f * std::sqrt(d / (n * eps));
    return 0.0;
}

ParameterId PowerFRepMBetween::GetEffectSizeIdFor(int specification) {
    if (specification == 0) return kEffectSizeFId;
    if (specification == 2) return kEffectSizeFUId;
    return kEffectSizeFVId;
}

double PowerFRepMBetween::RoundSampleSize(double n) {
    // Whole groups, ignoring the solver's noise below 1e-10 as the base does.
    return groupCount * PowerAnalysis::RoundSampleSize(n / groupCount);
}

void PowerFRepMBetween::ChangeEffectSizeSpecification(int specification, PropertyList* inputs) {
    const int old = effectSizeSpecification;
    if (specification == old) return;
    // A value the list does not show (the correlation under specifications
    // other than 0, N in A priori) is the one the test would show for it,
    // so that converting back meets the same design.
    PropertyList shown;
    effectSizeSpecification = 0;
    BuildInputList(kPostHoc, &shown);
    effectSizeSpecification = old;
    auto value = [&](ParameterId id) {
        return ShownValue(inputs, id, ShownValue(&shown, id, 0.0));
    };
    const double f = ShownValue(inputs, GetEffectSizeIdFor(old), effectSize);
    const double eps = ReadsNonsphericity() ? value(kNonsphericityId) : 1.0;
    effectSize = ConvertEffectSize(f, old, specification, value(kNumberOfMeasurementsId),
                                   value(kNumberOfGroupsId), value(kRepeatedMeasuresCorrelationId),
                                   value(kTotalSampleSizeId), eps);
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", effectSize);
    SetNamedString(&inputTexts, ParameterNames[GetEffectSizeIdFor(specification)], text);
    effectSizeSpecification = specification;
}

// ----------------------------------------------------------------- checks

bool PowerFRepMBetween::CheckSampleSize(int, double n) {
    return CheckSampleSizeAboveGroups(static_cast<int>(TruncateToLong(n)),
                                      static_cast<int>(TruncateToLong(groupCount)));
}

bool PowerFRepMBetween::CheckEffectSize(int type, double f) {
    // "Effect size f(U)" names itself "f(U)" in the message.
    const std::string label = ParameterNames[GetEffectSizeId()];
    const std::string name = label.substr(std::string("Effect size ").size());
    return CheckEffectSizeRange(name, f, type == kAPriori ? 1e-6 : 0.0, kMaxEffect);
}

// ------------------------------------------------------------ the run

OutputTable PowerFRepMBetween::Outputs(AnalysisType type) {
    // The df of the corrected designs are not whole numbers.
    OutputTable table = {NoncentralityRow(GetNoncentralityId()),
                         CriticalValueRow(GetCriticalValueId()), NumeratorDfRow(false),
                         DenominatorDfRow(false)};
    AppendRows(table, TypeOutputs(type));
    return table;
}

void PowerFRepMBetween::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddCountInput(inputs, kNumberOfGroupsId);
    AddMeasurementsInput(inputs, kNumberOfMeasurementsId, extraCount);
    if (effectSizeSpecification == 0) {
        AddDoubleInput(inputs, kRepeatedMeasuresCorrelationId, correlation);
    }
    if (ReadsNonsphericity()) AddDoubleInput(inputs, kNonsphericityId, nonsphericity);
}

CalculateStatus PowerFRepMBetween::Calculate(AnalysisType type, PropertyList* inputs) {
    int k = 0, m = 0, measurementsRow = -1;
    double rho = 0.0, eps = 1.0;
    ReadCheckSolve path = DesignPath(
        type,
        [&] {
            int groupsRow = -1, rhoRow = -1, epsRow = -1;
            k = static_cast<int>(ReadCount(inputs, &groupsRow, kNumberOfGroupsId));
            if (!CheckMinimumGroups(k, minimumGroups)) return groupsRow;
            m = static_cast<int>(ReadCount(inputs, &measurementsRow, kNumberOfMeasurementsId));
            if (!CheckAtLeastTwoMeasurements(m)) return measurementsRow;
            if (effectSizeSpecification == 0) {
                rho = ReadDouble(inputs, kRepeatedMeasuresCorrelationId, &rhoRow);
                if (!CheckCorrelation("Correlation between repeated measures\n", rho))
                    return rhoRow;
                if (UsesCompoundSymmetry() && !CheckCompoundCorrelation(rho, m)) return rhoRow;
            }
            if (ReadsNonsphericity()) {
                eps = ReadDouble(inputs, kNonsphericityId, &epsRow);
                if (!CheckNonsphericity(eps, m)) return epsRow;
            }
            return -1;
        },
        [&](const GivenValues& v) {
            extraCount = m;
            correlation = rho;
            nonsphericity = eps;
            if (type != kAPriori) sampleSize = static_cast<double>(v.sampleSize);
            SetNumberOfGroups(k);
        });
    path.checks = JoinChecks(
        {EffectAlphaPowerChecks([this, type](double f) { return CheckEffectSize(type, f); }),
         {SampleSizePasses([&](int n) { return CheckSampleSizeAboveGroups(n, k); }),
          RatioInRange(*this, 0.01, 100.0)}});
    // The noncentrality of a given effect and N rests on the whole design.
    path.checkTaken = [&](const GivenValues& v) {
        const GivenInputs given = GivenInputsOf(type);
        if (!given.effect || !given.sampleSize) return -1;
        return CheckNoncentralityComputable(NoncentralityFromEffect(v.effect)) ? -1
                                                                               : measurementsRow;
    };
    // The searches meet the same limit at the noncentrality they reached.
    return RunSearchingDesign(type, inputs, path, measurementsRow, [this] {
        return !CheckNoncentralityComputable(distribution->GetNoncentrality());
    });
}
