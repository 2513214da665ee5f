#include "effectsize/manova.h"

#include <cmath>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "effectsize/design_counts.h"
#include "numerics/quorix_error.h"
#include "power/multivariate/power_mult_criterion.h"

namespace effectsize::manova {

namespace {

constexpr long kMaxCount = 100000000;

long Count(const Inputs& inputs, int field) {
    return ReadCount(inputs.text[field], 1, kMaxCount).value_or(1);
}

std::string Whole(long value) {
    return std::to_string(value);
}

}  // namespace

bool UsesSampleSize(int criterionId) {
    return criterionId == 104 || criterionId == 105;
}

Layout LayoutFor(int testId, int criterionId) {
    Layout layout;
    const bool t2 = UsesSampleSize(criterionId);
    layout.total = t2;
    layout.predictors = testId == kManovaSpecialTestId;
    layout.groups = testId != kManovaSpecialTestId || t2;
    return layout;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    double value = 0.0;
    if (!ReadPanelNumber(inputs.text[kCriterion], &value))
        return FieldError{kCriterion, kNotANumberMessage};
    for (int field = kGroups; field < kFieldCount; ++field) {
        // A hidden count enters the conversion too; it holds what the main
        // window showed.
        if (!ReadCount(inputs.text[field], 1, kMaxCount)) return FieldError{field, kCountMessage};
    }
    return std::nullopt;
}

Result Compute(const Inputs& inputs, PowerMultCriterion& criterion) {
    Result result;
    double value = 0.0;
    ReadPanelNumber(inputs.text[kCriterion], &value);
    try {
        const double f =
            criterion.EffectFromCriterion(value, static_cast<double>(Count(inputs, kTotal)),
                                          static_cast<int>(Count(inputs, kGroups)),
                                          static_cast<int>(Count(inputs, kPredictors) - 1),
                                          static_cast<int>(Count(inputs, kResponses)));
        result.f2 = f * f;
    } catch (const QuorixError&) {
        result.f2 = NAN;
    }
    if (!std::isfinite(result.f2)) result.error = FieldError{kCriterion, kNoEffectMessage};
    return result;
}

void Save(const Inputs& inputs, PropertyList* store) {
    SaveNumberField(store, "fman_crit", inputs.text[kCriterion]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    RestoreNumberField(store, "fman_crit", &inputs->text[kCriterion]);
}

void SetUpFromMainWindow(Inputs* inputs, int testId, const MainCounts& main) {
    if (main.groups) inputs->text[kGroups] = Whole(*main.groups);
    inputs->text[kTotal] = Whole(main.total.value_or(100));
    if (main.responses) inputs->text[kResponses] = Whole(*main.responses);
    inputs->text[kPredictors] = Whole(main.predictors.value_or(3));
    if (testId == kManovaGlobalTestId) inputs->text[kPredictors] = inputs->text[kGroups];
}

TransferPlan PlanTransfer(const Inputs& inputs, double f2, const TestContext& context) {
    TransferPlan plan;
    const bool t2 = UsesSampleSize(context.criterionId);
    auto write = [&](bool when, int id, int field) {
        if (when)
            plan.writes.push_back(
                {ParameterNames[id], static_cast<double>(Count(inputs, field)), -1.0, {}});
    };
    write(context.hasGroups && (t2 || context.testId == kManovaGlobalTestId), kNumberOfGroupsId,
          kGroups);
    write(context.hasResponses, kResponseVariablesId, kResponses);
    write(context.hasPredictors, kNumberOfPredictorsId, kPredictors);
    write(context.hasTotal && t2, kTotalSampleSizeId, kTotal);
    plan.effectSize = f2;
    return plan;
}

}  // namespace effectsize::manova
