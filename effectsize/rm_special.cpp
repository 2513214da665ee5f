#include "effectsize/rm_special.h"

#include <cmath>
#include <cstdio>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "effectsize/text_fields.h"

namespace effectsize::rm_special {

namespace {

constexpr const char* kKeys[kFieldCount] = {"frmms_varspecial", "frmms_varerr",  "frmms_eta2",
                                            "frmms_nmeasures",  "frmms_repcorr", "frmms_ngroups",
                                            "frmms_tssize"};
constexpr double kLargestCorrelation = 0.9999999999;
constexpr double kSmallestEta2 = 1e-10;
constexpr int kMaxCount = 200;
// The largest total a transfer writes: a count the main window's inputs hold.
constexpr int kMaxTotal = 100000000;

std::string Range(const char* what, int low, int high) {
    char text[160];
    std::snprintf(text, sizeof text, "The %s must lie in the range [%d, %d]", what, low, high);
    return text;
}

std::string Question(const char* what, long panel, long main) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "The %s given in the effect size\ndialog (%ld) is different from that given in\n"
                  "the main window (%ld)!\n\nDo you want to adjust the value in the main window?",
                  what, panel, main);
    return text;
}

// A count read from its row, rounded to a whole number as the row shows it.
bool ReadCountField(const Inputs& inputs, int field, double* value, Result* result) {
    std::string message;
    if (!ReadPanelFormula(inputs.text[field], value, &message)) {
        result->error = FieldError{field, message};
        return false;
    }
    *value = std::round(*value);
    return true;
}

}  // namespace

const char* StoreKey(int field) {
    return field >= 0 && field < kFieldCount ? kKeys[field] : "";
}

std::vector<ExtraRow> ExtraRows(int specification, int testId) {
    if (specification == 1)
        return {{kMeasurements, 1022, "Number of measurements"},
                {kCorrelation, 1020, "Corr between measurements"}};
    if (specification != 2) return {};
    std::vector<ExtraRow> rows;
    if (testId != kRepeatedBetweenTestId)
        rows.push_back({kMeasurements, 1019, "Number of measurements"});
    rows.push_back({kGroups, 1022, "Number of groups"});
    rows.push_back({kTotal, 1020, "Total sample size"});
    return rows;
}

const char* VarianceLabel(int specification) {
    return specification == 2 || specification == 3 ? "Error variance" : "Variance within group";
}

Result Compute(const Inputs& inputs, const TestContext& context) {
    Result result;
    std::string message;
    auto read = [&](int field, double* value) {
        if (ReadPanelFormula(inputs.text[field], value, &message)) return true;
        result.error = FieldError{field, message};
        return false;
    };
    if (inputs.mode == 1) {
        double eta2 = 0.0;
        if (!read(kEta2, &eta2)) return result;
        if (!(kSmallestEta2 <= eta2 && eta2 <= 1.0 - kSmallestEta2)) {
            result.error = FieldError{kEta2, kEta2Message};
            return result;
        }
        result.eta2 = eta2;
        result.f = std::sqrt(eta2 / (1.0 - eta2));
        return result;
    }
    const bool between = context.testId == kRepeatedBetweenTestId;
    double a = 1.0, b = 1.0;
    if (context.specification == 1) {
        double m = 0.0, rho = 0.0;
        const int low = between ? 1 : 2;
        if (!ReadCountField(inputs, kMeasurements, &m, &result)) return result;
        if (!(low <= m && m <= kMaxCount)) {
            result.error =
                FieldError{kMeasurements, Range("number of measurements", low, kMaxCount)};
            return result;
        }
        if (!read(kCorrelation, &rho)) return result;
        if (!(-kLargestCorrelation <= rho && rho <= kLargestCorrelation)) {
            result.error = FieldError{kCorrelation, kCorrelationMessage};
            return result;
        }
        a = between ? m / ((m - 1.0) * rho + 1.0) : m / (1.0 - rho);
    } else if (context.specification == 2) {
        if (!between) {
            double m = 0.0;
            if (!ReadCountField(inputs, kMeasurements, &m, &result)) return result;
            if (!(2 <= m && m <= kMaxCount)) {
                result.error =
                    FieldError{kMeasurements, Range("number of measurements", 2, kMaxCount)};
                return result;
            }
            b = 1.0 / (m - 1.0);
        }
        double k = 0.0, n = 0.0;
        const int low = between ? 2 : 1;
        if (!ReadCountField(inputs, kGroups, &k, &result)) return result;
        if (!(low <= k && k <= kMaxCount)) {
            result.error = FieldError{kGroups, Range("number of groups", low, kMaxCount)};
            return result;
        }
        if (!ReadCountField(inputs, kTotal, &n, &result)) return result;
        if (!(n >= k + 1.0)) {
            result.error = FieldError{kTotal, kTotalMessage};
            return result;
        }
        if (!(n <= kMaxTotal)) {
            result.error =
                FieldError{kTotal, Range("total sample size", static_cast<int>(k) + 1, kMaxTotal)};
            return result;
        }
        b *= n / (n - k);
    }
    double effect = 0.0, error = 0.0;
    if (!read(kEffectVariance, &effect)) return result;
    if (!read(kErrorVariance, &error)) return result;
    char bound[32];
    std::snprintf(bound, sizeof bound, "%.6g", kSmallestVariance);
    if (!(effect >= kSmallestVariance)) {
        result.error = FieldError{kEffectVariance,
                                  std::string("The effect variance must be greater than ") + bound};
        return result;
    }
    if (!(error >= kSmallestVariance)) {
        std::string label = VarianceLabel(context.specification);
        label[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(label[0])));
        result.error =
            FieldError{kErrorVariance, "The " + label + " must be greater than " + bound};
        return result;
    }
    double f = 0.0;
    if (context.specification == 0 || context.specification == 1) {
        f = std::sqrt(effect / error) * std::sqrt(a);
    } else {
        f = std::sqrt(effect / error) * std::sqrt(b);
    }
    if (!std::isfinite(f)) {
        result.error = FieldError{kEffectVariance, "The effect size is not a finite number."};
        return result;
    }
    result.f = f;
    // f² / (f² + 1) without f² overflowing: a huge effect variance has an
    // eta² of 1, not inf / inf.
    const double f2 = f * f;
    result.eta2 = f2 > 1.0 ? 1.0 / (1.0 + 1.0 / f2) : f2 / (f2 + 1.0);
    return result;
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    for (int field = 0; field < kFieldCount; ++field)
        SaveTextField(store, kKeys[field], inputs.text[field]);
    SetNamedLong(store, "frmms_inmode", inputs.mode);
    SetNamedLong(store, "frmms_type", inputs.varianceType);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    for (int field = 0; field < kFieldCount; ++field)
        RestoreTextField(store, kKeys[field], &inputs->text[field]);
    long value = 0;
    if (GetNamedLong(store, "frmms_inmode", &value) && (value == 0 || value == 1))
        inputs->mode = static_cast<int>(value);
    if (GetNamedLong(store, "frmms_type", &value)) inputs->varianceType = static_cast<int>(value);
}

TransferPlan PlanTransfer(const Inputs& inputs, double f, const TestContext& context,
                          const MainCounts& main) {
    TransferPlan plan;
    if (inputs.mode == 0) {
        auto ask = [&](int field, int id, const char* what, const std::optional<long>& shown) {
            double value = 0.0;
            std::string message;
            if (!shown || !ReadPanelFormula(inputs.text[field], &value, &message)) return;
            const long count = std::lround(value);
            if (count != *shown)
                plan.writes.push_back({ParameterNames[id], static_cast<double>(count), -1.0,
                                       Question(what, count, *shown)});
        };
        const int spec = context.specification;
        if ((spec == 1 || spec == 2) && context.testId != kRepeatedBetweenTestId)
            ask(kMeasurements, kNumberOfMeasurementsId, "number of measurements",
                main.measurements);
        if (spec == 2) {
            ask(kGroups, kNumberOfGroupsId, "number of groups", main.groups);
            ask(kTotal, kTotalSampleSizeId, "total sample size", main.total);
        }
    }
    plan.effectSize = f;
    return plan;
}

}  // namespace effectsize::rm_special
