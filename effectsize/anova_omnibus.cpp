#include "effectsize/anova_omnibus.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"

namespace effectsize::anova_omnibus {

namespace {

constexpr double kSmallestSigma = 1e-16;
constexpr const char* kSigmaKey = "fao_sigma";
constexpr const char* kGroupsKey = "fao_ngroups";
constexpr const char* kEqualNKey = "fao_eq_n";

// Where the number of a cell text begins: after blanks and one "+", which
// the C conversions accept and from_chars does not.
const char* NumberStart(const std::string& text) {
    const char* p = text.c_str();
    while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (*p == '+' && p[1] != '-' && p[1] != '+') ++p;
    return p;
}

bool WholeNumber(const std::string& text, long* value) {
    double parsed = 0.0;
    if (!ReadPanelNumber(text, &parsed) || parsed != std::floor(parsed) || std::fabs(parsed) > 1e15)
        return false;
    *value = static_cast<long>(parsed);
    return true;
}

std::string MeanKey(int group) {
    return "fao_m" + std::to_string(group);
}
std::string SizeKey(int group) {
    return "fao_n" + std::to_string(group);
}

std::string Format(const char* format, long a, long b) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

}  // namespace

int MeanCell(int group) {
    return kFieldCount + 2 * group;
}
int SizeCell(int group) {
    return kFieldCount + 2 * group + 1;
}
bool CellOf(int field, int* group, bool* sizeColumn) {
    if (field < kFieldCount) return false;
    *group = (field - kFieldCount) / 2;
    *sizeColumn = (field - kFieldCount) % 2 == 1;
    return true;
}

bool ReadCellNumber(const std::string& text, double* value) {
    const char* start = NumberStart(text);
    const char* end = text.c_str() + text.size();
    double parsed = 0.0;
    const auto [stop, error] = std::from_chars(start, end, parsed);
    if (stop == start) {
        *value = 0.0;  // no number at the start reads as 0
        return true;
    }
    // from_chars takes "inf" and "nan" and refuses what overflows: neither is
    // a group mean.
    if (error != std::errc() || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

bool ReadCellCount(const std::string& text, long* value) {
    const char* start = NumberStart(text);
    const char* end = text.c_str() + text.size();
    long parsed = 0;
    const auto [stop, error] = std::from_chars(start, end, parsed);
    if (stop == start) {
        *value = 0;
        return true;
    }
    if (error != std::errc()) return false;
    *value = parsed;
    return true;
}

std::optional<int> TypedGroupCount(const Inputs& inputs) {
    long count = 0;
    if (!WholeNumber(inputs.text[kGroupCount], &count) || count < kMinGroups || count > kMaxGroups)
        return std::nullopt;
    return static_cast<int>(count);
}

void SetGroupCount(Inputs* inputs, int count) {
    inputs->groups = std::clamp(count, kMinGroups, kMaxGroups);
    if (inputs->table.size() < static_cast<size_t>(inputs->groups))
        inputs->table.resize(inputs->groups);
    inputs->text[kGroupCount] = std::to_string(inputs->groups);
}

std::optional<FieldError> ApplyEqualN(Inputs* inputs) {
    long n = 0;
    if (!WholeNumber(inputs->text[kEqualN], &n) || n < 1)
        return FieldError{kEqualN, kEqualNMessage};
    for (int i = 0; i < inputs->groups; ++i) inputs->table[i].size = std::to_string(n);
    return std::nullopt;
}

long TotalN(const Inputs& inputs) {
    long total = 0;
    for (int i = 0; i < inputs.groups && i < static_cast<int>(inputs.table.size()); ++i) {
        long n = 0;
        // Held to the int range, so that fifty sizes add up without overflow.
        if (ReadCellCount(inputs.table[i].size, &n)) total += std::clamp<long>(n, 0, kMaxTotal);
    }
    return total;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    if (!TypedGroupCount(inputs)) return FieldError{kGroupCount, kGroupCountMessage};
    double sigma = 0.0;
    if (!ReadPanelNumber(inputs.text[kSigma], &sigma))
        return FieldError{kSigma, kNotANumberMessage};
    if (!(sigma >= kSmallestSigma)) return FieldError{kSigma, kSigmaMessage};
    long total = 0;
    for (int i = 0; i < inputs.groups; ++i) {
        double mean = 0.0;
        if (!ReadCellNumber(inputs.table[i].mean, &mean))
            return FieldError{MeanCell(i), kNotANumberMessage};
        long n = 0;
        if (!ReadCellCount(inputs.table[i].size, &n) || n < 1)
            return FieldError{SizeCell(i), kSizeMessage};
        // The main window holds its sample size in an int.
        total += std::min<long>(n, kMaxTotal + 1L);
        if (total > kMaxTotal) return FieldError{SizeCell(i), kTotalMessage};
    }
    if (!std::isfinite(Compute(inputs).f)) return FieldError{MeanCell(0), kNoFiniteFMessage};
    return std::nullopt;
}

Result Compute(const Inputs& inputs) {
    double sigma = 0.0;
    ReadPanelNumber(inputs.text[kSigma], &sigma);
    std::vector<double> means(inputs.groups);
    std::vector<double> sizes(inputs.groups);
    Result result;
    double weighted = 0.0;
    for (int i = 0; i < inputs.groups; ++i) {
        long n = 0;
        ReadCellNumber(inputs.table[i].mean, &means[i]);
        ReadCellCount(inputs.table[i].size, &n);
        sizes[i] = static_cast<double>(n);
        result.totalN += n;
        weighted += sizes[i] * means[i];
    }
    const double total = static_cast<double>(result.totalN);
    const double grand = weighted / total;
    // The spread about the grand mean in a second pass: subtracting the
    // squared mean from the mean square would cancel for means far from 0.
    double spread = 0.0;
    for (int i = 0; i < inputs.groups; ++i)
        spread += sizes[i] * (means[i] - grand) * (means[i] - grand);
    result.f = std::sqrt(spread / total) / sigma;
    return result;
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SaveNumberField(store, kSigmaKey, inputs.text[kSigma]);
    SetNamedLong(store, kGroupsKey, inputs.groups);
    // The equal size as typed, like sigma: an emptied field stays empty.
    SaveNumberField(store, kEqualNKey, inputs.text[kEqualN]);
    // Every row the table holds, hidden ones too: they come back with the
    // count after the drawer was closed.
    for (size_t i = 0; i < inputs.table.size(); ++i) {
        const std::string key = MeanKey(static_cast<int>(i));
        double mean = 0.0;
        ReadCellNumber(inputs.table[i].mean, &mean);
        SetNamedDouble(store, key.c_str(), mean);
        if (auto* entry = dynamic_cast<PropertyDouble*>(store->Find(key)))
            entry->text = inputs.table[i].mean;
        long n = 0;
        ReadCellCount(inputs.table[i].size, &n);
        SetNamedLong(store, SizeKey(static_cast<int>(i)).c_str(), n);
    }
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    RestoreNumberField(store, kSigmaKey, &inputs->text[kSigma]);
    RestoreNumberField(store, kEqualNKey, &inputs->text[kEqualN]);
    long groups = inputs->groups;
    GetNamedLong(store, kGroupsKey, &groups);
    SetGroupCount(inputs, static_cast<int>(std::clamp<long>(groups, kMinGroups, kMaxGroups)));
    for (int i = 0; i < kMaxGroups; ++i) {
        std::string mean;
        const bool hasMean = RestoreNumberField(store, MeanKey(i).c_str(), &mean);
        long n = 0;
        const bool hasSize = GetNamedLong(store, SizeKey(i).c_str(), &n);
        if (!hasMean && !hasSize) continue;
        if (inputs->table.size() <= static_cast<size_t>(i)) inputs->table.resize(i + 1);
        if (hasMean) inputs->table[i].mean = mean;
        if (hasSize) inputs->table[i].size = std::to_string(n);
    }
}

void SetUpFromMainWindow(Inputs* inputs, std::optional<long> groups, std::optional<long> total) {
    if (!groups) return;
    SetGroupCount(inputs, static_cast<int>(std::clamp<long>(*groups, kMinGroups, kMaxGroups)));
    if (!total) return;
    // Over the count the panel shows: the main window's may be 0 or below.
    const double n = std::ceil(static_cast<double>(*total) / inputs->groups);
    inputs->text[kEqualN] = std::to_string(static_cast<long>(n));
}

std::string GroupCountQuestion(long panel, long main) {
    return Format(
        "The number of groups given in the effect size\ndialog (%ld) is different from that "
        "given in\nthe main window (%ld)!\n\nDo you want to adjust the value in the main window?",
        panel, main);
}

std::string TotalQuestion(long panel, long main) {
    return Format(
        "The total sample size resulting from your inputs\nin the effect size dialog (%ld) is "
        "different\nfrom the one in the main window (%ld)!\n\nDo you want to adjust the value in "
        "the main window?",
        panel, main);
}

TransferPlan PlanTransfer(const Result& result, int groups, const TestContext& context) {
    TransferPlan plan;
    // Both differences are judged on the main window's values before either
    // question is asked.
    if (context.groups && *context.groups != groups) {
        plan.writes.push_back({ParameterNames[kNumberOfGroupsId], static_cast<double>(groups), -1.0,
                               GroupCountQuestion(groups, *context.groups)});
    }
    if (context.total && *context.total != result.totalN) {
        plan.writes.push_back({ParameterNames[kTotalSampleSizeId],
                               static_cast<double>(result.totalN), -1.0,
                               TotalQuestion(result.totalN, *context.total)});
    }
    plan.effectSize = result.f;
    return plan;
}

}  // namespace effectsize::anova_omnibus
