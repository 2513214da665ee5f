#include "effectsize/rm_omnibus.h"

#include <cmath>
#include <cstdio>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "effectsize/design_counts.h"

namespace effectsize::rm_omnibus {

namespace {

constexpr long kMaxSize = 100000000;
constexpr double kSmallestSigma = 1e-16;
constexpr double kLargestCorrelation = 0.9999999;

double Value(const std::string& text) {
    double value = 0.0;
    ReadPanelNumber(text, &value);
    return value;
}

std::string Question(const char* what, const char* whose, long panel, long main) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "The %s %s\ndialog (%ld) is different from that given in\nthe main window "
                  "(%ld)!\n\nDo you want to adjust the value in the main window?",
                  what, whose, panel, main);
    return text;
}

}  // namespace

int MeanField(int group) {
    return kFieldCount + 2 * group;
}

int SizeField(int group) {
    return kFieldCount + 2 * group + 1;
}

bool CellOf(int field, int* group, bool* sizeColumn) {
    if (field < kFieldCount) return false;
    *group = (field - kFieldCount) / 2;
    *sizeColumn = (field - kFieldCount) % 2 == 1;
    return true;
}

std::optional<int> TypedGroupCount(const Inputs& inputs) {
    const auto count = ReadCount(inputs.text[kGroups], kMinGroups, kMaxGroups);
    if (!count) return std::nullopt;
    return static_cast<int>(*count);
}

void SetGroupCount(Inputs* inputs, int count) {
    inputs->groups = count;
    if (static_cast<int>(inputs->table.size()) < count) inputs->table.resize(count);
    inputs->text[kGroups] = std::to_string(count);
}

std::optional<FieldError> ApplyEqualN(Inputs* inputs) {
    const auto n = ReadCount(inputs->text[kEqualN], 1, kMaxSize);
    if (!n) return FieldError{kEqualN, kEqualNMessage};
    for (int i = 0; i < inputs->groups; ++i) inputs->table[i].size = std::to_string(*n);
    return std::nullopt;
}

long TotalN(const Inputs& inputs) {
    long total = 0;
    for (int i = 0; i < inputs.groups; ++i)
        total += ReadCount(inputs.table[i].size, 0, kMaxSize).value_or(0);
    return total;
}

std::optional<FieldError> Check(const Inputs& inputs, int specification) {
    if (!TypedGroupCount(inputs) || *TypedGroupCount(inputs) != inputs.groups)
        return FieldError{kGroups, kGroupCountMessage};
    double sigma = 0.0;
    if (!ReadPanelNumber(inputs.text[kSigma], &sigma))
        return FieldError{kSigma, kNotANumberMessage};
    if (!(sigma >= kSmallestSigma)) return FieldError{kSigma, kSigmaMessage};
    if (specification != 0) {
        double rho = 0.0;
        if (!ReadPanelNumber(inputs.text[kCorrelation], &rho))
            return FieldError{kCorrelation, kNotANumberMessage};
        if (!(-kLargestCorrelation <= rho && rho <= kLargestCorrelation))
            return FieldError{kCorrelation, kCorrelationMessage};
        double m = 0.0;
        if (!ReadPanelNumber(inputs.text[kMeasurements], &m))
            return FieldError{kMeasurements, kNotANumberMessage};
        if (!(m >= 2.0) || m != std::trunc(m))
            return FieldError{kMeasurements, kMeasurementsMessage};
        if (!(m <= kMaxMeasurements)) return FieldError{kMeasurements, kMeasurementsRangeMessage};
    }
    long total = 0;
    for (int i = 0; i < inputs.groups; ++i) {
        double mean = 0.0;
        if (!ReadPanelNumber(inputs.table[i].mean, &mean))
            return FieldError{MeanField(i), kNotANumberMessage};
        const auto size = ReadCount(inputs.table[i].size, 1, kMaxSize);
        if (!size) return FieldError{SizeField(i), kSizeMessage};
        total += *size;
        if (total > kMaxTotal) return FieldError{SizeField(i), kTotalTooLargeMessage};
    }
    // f(U) divides by N - k: every group of size 1 leaves no error df.
    if (specification == 2 && TotalN(inputs) <= inputs.groups)
        return FieldError{SizeField(0), kTotalMessage};
    const Result result = Compute(inputs, specification);
    if (!std::isfinite(result.f))
        return FieldError{MeanField(0), "The effect size is not a finite number."};
    return std::nullopt;
}

double ConvertFromPlain(double f0, int specification, double m, double k, double rho, double n) {
    const double u = m / (1.0 + (m - 1.0) * rho);
    if (specification == 1 || specification == 3) return f0 * std::sqrt(u);
    if (specification == 2) return f0 * std::sqrt(u * n / (n - k));
    return f0;
}

Result Compute(const Inputs& inputs, int specification) {
    double n = 0.0, sum = 0.0;
    for (int i = 0; i < inputs.groups; ++i) {
        const double size = Value(inputs.table[i].size);
        n += size;
        sum += size * Value(inputs.table[i].mean);
    }
    const double mu = sum / n;
    double squares = 0.0;
    for (int i = 0; i < inputs.groups; ++i) {
        const double d = Value(inputs.table[i].mean) - mu;
        squares += Value(inputs.table[i].size) * d * d;
    }
    const double f0 = std::sqrt(squares / n) / Value(inputs.text[kSigma]);
    Result result;
    result.totalN = static_cast<long>(n);
    result.f = ConvertFromPlain(f0, specification, Value(inputs.text[kMeasurements]), inputs.groups,
                                Value(inputs.text[kCorrelation]), n);
    return result;
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SaveNumberField(store, "frmo_sigma", inputs.text[kSigma]);
    SaveNumberField(store, "frmo_repcorr", inputs.text[kCorrelation]);
    SaveNumberField(store, "frmo_ngroups", inputs.text[kGroups]);
    SaveNumberField(store, "frmo_nmeasures", inputs.text[kMeasurements]);
    SaveNumberField(store, "frmo_eq_n", inputs.text[kEqualN]);
    SetNamedLong(store, "frmo_shown", inputs.groups);
    for (int i = 0; i < inputs.groups; ++i) {
        SaveNumberField(store, ("frmo_m" + std::to_string(i)).c_str(), inputs.table[i].mean);
        SaveNumberField(store, ("frmo_n" + std::to_string(i)).c_str(), inputs.table[i].size);
    }
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    RestoreNumberField(store, "frmo_sigma", &inputs->text[kSigma]);
    RestoreNumberField(store, "frmo_repcorr", &inputs->text[kCorrelation]);
    RestoreNumberField(store, "frmo_ngroups", &inputs->text[kGroups]);
    RestoreNumberField(store, "frmo_nmeasures", &inputs->text[kMeasurements]);
    RestoreNumberField(store, "frmo_eq_n", &inputs->text[kEqualN]);
    // The table's shown count; a count text typed without Enter stays text.
    long shown = inputs->groups;
    GetNamedLong(store, "frmo_shown", &shown);
    if (!(kMinGroups <= shown && shown <= kMaxGroups)) shown = inputs->groups;
    const std::string typed = inputs->text[kGroups];
    SetGroupCount(inputs, static_cast<int>(shown));
    inputs->text[kGroups] = typed;
    for (int i = 0; i < inputs->groups; ++i) {
        RestoreNumberField(store, ("frmo_m" + std::to_string(i)).c_str(), &inputs->table[i].mean);
        RestoreNumberField(store, ("frmo_n" + std::to_string(i)).c_str(), &inputs->table[i].size);
    }
}

void SetUpFromMainWindow(Inputs* inputs, const MainValues& main) {
    if (main.groups && kMinGroups <= *main.groups && *main.groups <= kMaxGroups)
        SetGroupCount(inputs, static_cast<int>(*main.groups));
    if (main.measurements) inputs->text[kMeasurements] = std::to_string(*main.measurements);
    if (main.correlation) inputs->text[kCorrelation] = *main.correlation;
}

TransferPlan PlanTransfer(const Inputs& inputs, const Result& result, const TestContext& context) {
    TransferPlan plan;
    const long k = inputs.groups;
    if (context.mainGroups && *context.mainGroups != k) {
        plan.writes.push_back(
            {ParameterNames[kNumberOfGroupsId], static_cast<double>(k), -1.0,
             Question("number of groups", "given in the effect size", k, *context.mainGroups)});
    }
    if (context.specification != 0 && context.mainMeasurements) {
        const long m = static_cast<long>(Value(inputs.text[kMeasurements]));
        if (*context.mainMeasurements != m)
            plan.writes.push_back({ParameterNames[kNumberOfMeasurementsId], static_cast<double>(m),
                                   -1.0,
                                   Question("number of measurements", "given in the effect size", m,
                                            *context.mainMeasurements)});
    }
    if (context.mainTotal && *context.mainTotal != result.totalN) {
        char text[320];
        std::snprintf(text, sizeof text,
                      "The total sample size resulting from your inputs\nin the effect size "
                      "dialog (%ld) is different\nfrom the one in the main window (%ld)!\n\nDo "
                      "you want to adjust the value in the main window?",
                      result.totalN, *context.mainTotal);
        plan.writes.push_back(
            {ParameterNames[kTotalSampleSizeId], static_cast<double>(result.totalN), -1.0, text});
    }
    plan.effectSize = result.f;
    return plan;
}

}  // namespace effectsize::rm_omnibus
