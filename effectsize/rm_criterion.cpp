#include "effectsize/rm_criterion.h"

#include <cmath>
#include <cstdio>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "effectsize/design_counts.h"
#include "numerics/quorix_error.h"
#include "power/multivariate/power_mult_criterion.h"

namespace effectsize::rm_criterion {

namespace {

constexpr long kMaxCount = 100000000;

long Count(const Inputs& inputs, int field) {
    return ReadCount(inputs.text[field], 1, kMaxCount).value_or(1);
}

}  // namespace

int EffectTypeOf(int testId) {
    if (testId == kManovaRepeatedWithinTestId) return 1;
    if (testId == kManovaRepeatedInteractionTestId) return 2;
    return 0;
}

bool UsesSampleSize(int criterionId) {
    return criterionId == 104 || criterionId == 105;
}

std::string APrioriWarning(long n) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "The conversion to effect size f depends on the \nsample size! Thus, it cannot "
                  "be computed \nin an a priori analysis. A sample size of %ld has\nbeen assumed\n",
                  n);
    return text;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    double value = 0.0;
    if (!ReadPanelNumber(inputs.text[kCriterion], &value))
        return FieldError{kCriterion, kNotANumberMessage};
    if (!inputs.withDesign) return std::nullopt;
    for (int field = kGroups; field < kFieldCount; ++field) {
        if (!ReadCount(inputs.text[field], 1, kMaxCount)) return FieldError{field, kCountMessage};
    }
    return std::nullopt;
}

Result Compute(const Inputs& inputs, PowerMultCriterion& criterion) {
    Result result;
    double value = 0.0;
    ReadPanelNumber(inputs.text[kCriterion], &value);
    try {
        if (!inputs.withDesign) {
            result.f = criterion.CriterionToEffect(value);
        } else {
            const int k = static_cast<int>(Count(inputs, kGroups));
            const int m = static_cast<int>(Count(inputs, kMeasurements));
            const int pd = inputs.effectType == 1 ? 1 : k - 1;
            const int qd = inputs.effectType == 0 ? 1 : m - 1;
            criterion.EffectFromCriterion(value, static_cast<double>(Count(inputs, kTotal)), k, pd,
                                          qd);
            result.f = criterion.f;
        }
    } catch (const QuorixError&) {
        result.f = NAN;
    }
    if (!std::isfinite(result.f)) result.error = FieldError{kCriterion, kNoEffectMessage};
    return result;
}

void Save(const Inputs& inputs, PropertyList* store) {
    SaveNumberField(store, "frm_crit", inputs.text[kCriterion]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    RestoreNumberField(store, "frm_crit", &inputs->text[kCriterion]);
}

void SetUpFromMainWindow(Inputs* inputs, const MainCounts& main) {
    inputs->text[kTotal] = "100";
    if (main.groups) inputs->text[kGroups] = std::to_string(*main.groups);
    if (main.total) inputs->text[kTotal] = std::to_string(*main.total);
    if (main.measurements) inputs->text[kMeasurements] = std::to_string(*main.measurements);
}

TransferPlan PlanTransfer(const Inputs& inputs, double f, const TestContext& context) {
    TransferPlan plan;
    if (inputs.withDesign) {
        auto write = [&](bool when, int id, int field) {
            if (when)
                plan.writes.push_back(
                    {ParameterNames[id], static_cast<double>(Count(inputs, field)), -1.0, {}});
        };
        write(context.hasGroups, kNumberOfGroupsId, kGroups);
        write(context.hasMeasurements, kNumberOfMeasurementsId, kMeasurements);
        write(context.hasTotal && UsesSampleSize(context.criterionId), kTotalSampleSizeId, kTotal);
    }
    plan.effectSize = f;
    return plan;
}

}  // namespace effectsize::rm_criterion
