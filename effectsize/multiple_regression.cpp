#include "effectsize/multiple_regression.h"

#include <cmath>

#include "analysis/property.h"
#include "distributions/mrc.h"
#include "effectsize/text_fields.h"
#include "numerics/quorix_error.h"

namespace effectsize {

namespace {

// 1 - 1e-16 in double precision.
constexpr double kLargestR2 = 0.9999999999999999;

double Evaluated(const std::string& text) {
    double value = 0.0;
    std::string message;
    ReadPanelFormula(text, &value, &message);
    return value;
}

std::optional<FieldError> FormulaError(const std::string& text, int field) {
    double value = 0.0;
    std::string message;
    if (!ReadPanelFormula(text, &value, &message)) return FieldError{field, message};
    return std::nullopt;
}

// The correlations' R² for a predictor count that passed its check.
std::optional<FieldError> CorrelationsError(PredictorCorrelations correlations, int count,
                                            int field) {
    SizePredictorCorrelations(&correlations, count);
    const RSquaredResult r2 = RSquaredOf(correlations);
    if (!r2.value) return FieldError{field, r2.message};
    return std::nullopt;
}

std::optional<FieldError> CountError(const std::string& text, int field, const char* message) {
    if (auto error = FormulaError(text, field)) return error;
    const std::optional<int> count = ReadCount(text);
    if (!count || !(*count >= 1 && *count <= kMaxPredictors)) return FieldError{field, message};
    return std::nullopt;
}

}  // namespace

namespace regression_omnibus {

std::optional<FieldError> Check(const Inputs& inputs) {
    double r2 = 0.0;
    if (inputs.mode == kFromCorrelations) {
        if (auto error = CountError(inputs.text[kPredictors], kPredictors, kPredictorCountMessage))
            return error;
        PredictorCorrelations sized = inputs.correlations;
        SizePredictorCorrelations(&sized, *ReadCount(inputs.text[kPredictors]));
        const RSquaredResult computed = RSquaredOf(sized);
        if (!computed.value) return FieldError{kPredictors, computed.message};
        r2 = *computed.value;
        if (!(r2 <= kLargestR2)) return FieldError{kPredictors, kR2RangeMessage};
        return std::nullopt;
    }
    if (auto error = FormulaError(inputs.text[kR2], kR2)) return error;
    r2 = Evaluated(inputs.text[kR2]);
    if (!(0.0 <= r2 && r2 <= kLargestR2)) return FieldError{kR2, kR2RangeMessage};
    return std::nullopt;
}

Result Compute(const Inputs& inputs) {
    Result result;
    if (inputs.mode == kFromCorrelations) {
        PredictorCorrelations sized = inputs.correlations;
        SizePredictorCorrelations(&sized, ReadCount(inputs.text[kPredictors]).value_or(0));
        result.r2 = RSquaredOf(sized).value.value_or(0.0);
    } else {
        result.r2 = Evaluated(inputs.text[kR2]);
    }
    result.f2 = result.r2 / (1.0 - result.r2);
    return result;
}

void SizeToTypedCount(Inputs* inputs) {
    const std::optional<int> count = ReadCount(inputs->text[kPredictors]);
    if (count && *count >= 0) SizePredictorCorrelations(&inputs->correlations, *count);
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SetNamedLong(store, "fmo_mode", inputs.mode);
    SaveTextField(store, "fmo_r2", inputs.text[kR2]);
    SaveTextField(store, "fmo_pred", inputs.text[kPredictors]);
    SaveCorrelations(inputs.correlations, "fmo", store);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    long mode = 0;
    if (GetNamedLong(store, "fmo_mode", &mode) && (mode == kFromR2 || mode == kFromCorrelations))
        inputs->mode = static_cast<int>(mode);
    RestoreTextField(store, "fmo_r2", &inputs->text[kR2]);
    RestoreTextField(store, "fmo_pred", &inputs->text[kPredictors]);
    const std::optional<int> count = ReadCount(inputs->text[kPredictors]);
    RestoreCorrelations(store, "fmo",
                        count && *count >= 0 ? *count : inputs->correlations.outcome.cells.cols(),
                        &inputs->correlations);
}

TransferPlan PlanTransfer(const Result& result) {
    TransferPlan plan;
    plan.effectSize = result.f2;
    return plan;
}

}  // namespace regression_omnibus

namespace regression_random {

namespace {

constexpr const char* kKeys[kFieldCount] = {"mcrrnd_ssize", "mcrrnd_pred1",  "mcrrnd_obsr2",
                                            "mcrrnd_alpha", "mcrrnd_relpos", "mcrrnd_pred2"};

// Half up, kept in a double: a count typed as 1e300 must reach the range
// check, not an int conversion it overflows.
double Rounded(const std::string& text) {
    return std::floor(Evaluated(text) + 0.5);
}

}  // namespace

bool FieldInUse(int mode, int field) {
    return (mode == kFromCorrelations) == (field == kCorrelationPredictors);
}

std::optional<FieldError> Check(const Inputs& inputs) {
    if (inputs.mode == kFromCorrelations) {
        if (auto error = CountError(inputs.text[kCorrelationPredictors], kCorrelationPredictors,
                                    kPredictorsMessage))
            return error;
        return CorrelationsError(inputs.correlations,
                                 *ReadCount(inputs.text[kCorrelationPredictors]),
                                 kCorrelationPredictors);
    }
    for (int field = 0; field < kFieldCount; ++field) {
        if (!FieldInUse(inputs.mode, field)) continue;
        if (auto error = FormulaError(inputs.text[field], field)) return error;
    }
    const double k = Rounded(inputs.text[kPredictors]);
    const double n = Rounded(inputs.text[kSampleSize]);
    const double r2 = Evaluated(inputs.text[kObservedR2]);
    const double c = Evaluated(inputs.text[kConfidence]);
    const double position = Evaluated(inputs.text[kPosition]);
    if (!(k >= 1.0 && k <= 1e6)) return FieldError{kPredictors, kPredictorsMessage};
    if (!(n >= k + 2.0 && n <= 1e9)) return FieldError{kSampleSize, kSampleSizeMessage};
    if (!(0.0 <= r2 && r2 <= 1.0)) return FieldError{kObservedR2, kObservedR2Message};
    if (!(0.5 < c && c <= 0.999999)) return FieldError{kConfidence, kConfidenceMessage};
    if (!(0.0 <= position && position <= 1.0)) return FieldError{kPosition, kPositionMessage};
    return std::nullopt;
}

Result Compute(const Inputs& inputs) {
    Result result;
    if (inputs.mode == kFromCorrelations) {
        PredictorCorrelations sized = inputs.correlations;
        SizePredictorCorrelations(&sized,
                                  ReadCount(inputs.text[kCorrelationPredictors]).value_or(0));
        const RSquaredResult r2 = RSquaredOf(sized);
        if (!r2.value) {
            result.failure = FieldError{kCorrelationPredictors, r2.message};
        } else {
            result.rho2 = *r2.value;
        }
        return result;
    }
    const double k = Rounded(inputs.text[kPredictors]);
    const double n = Rounded(inputs.text[kSampleSize]);
    const double r2 = Evaluated(inputs.text[kObservedR2]);
    const double alpha = 1.0 - Evaluated(inputs.text[kConfidence]);
    const double position = Evaluated(inputs.text[kPosition]);
    try {
        MRCDistribution distribution(0.0, k + 1.0, n);
        double q = 0.0;
        distribution.SolveRhoInterval(r2, alpha, &q, &result.lower, &result.upper);
        distribution.SolveRhoInterval(r2, 2.0 * alpha, &q, &result.lowerBound, &result.upperBound);
    } catch (const QuorixError& error) {
        result.failure = FieldError{kObservedR2, error.GetMessage()};
        return result;
    }
    result.rho2 = result.lower + (result.upper - result.lower) * position;
    if (!std::isfinite(result.rho2))
        result.failure = FieldError{kObservedR2, "The interval of rho squared is not a number."};
    return result;
}

void SizeToTypedCount(Inputs* inputs) {
    const std::optional<int> count = ReadCount(inputs->text[kCorrelationPredictors]);
    if (count && *count >= 0) SizePredictorCorrelations(&inputs->correlations, *count);
}

const char* StoreKey(int field) {
    return field >= 0 && field < kFieldCount ? kKeys[field] : "";
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SetNamedLong(store, "mrcrnd_mode", inputs.mode);
    for (int field = 0; field < kFieldCount; ++field)
        SaveTextField(store, kKeys[field], inputs.text[field]);
    SaveCorrelations(inputs.correlations, "mcrrnd", store);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    long mode = 0;
    if (GetNamedLong(store, "mrcrnd_mode", &mode) &&
        (mode == kFromInterval || mode == kFromCorrelations))
        inputs->mode = static_cast<int>(mode);
    for (int field = 0; field < kFieldCount; ++field)
        RestoreTextField(store, kKeys[field], &inputs->text[field]);
    const std::optional<int> count = ReadCount(inputs->text[kCorrelationPredictors]);
    RestoreCorrelations(store, "mcrrnd",
                        count && *count >= 0 ? *count : inputs->correlations.outcome.cells.cols(),
                        &inputs->correlations);
}

void TakeMainWindowCounts(const std::string* predictors, const std::string* sampleSize,
                          Inputs* inputs) {
    if (inputs->mode != kFromInterval) return;
    if (predictors) {
        if (!HoldsFormula(inputs->text[kPredictors])) {
            inputs->text[kPredictors] = *predictors;
        } else if (!HoldsFormula(inputs->text[kCorrelationPredictors])) {
            inputs->text[kCorrelationPredictors] = *predictors;
        }
    }
    if (sampleSize && !HoldsFormula(inputs->text[kSampleSize]))
        inputs->text[kSampleSize] = *sampleSize;
}

TransferPlan PlanTransfer(const Inputs& inputs, const Result& result) {
    TransferPlan plan;
    if (inputs.mode == kFromInterval) {
        plan.writes.push_back({"Number of predictors", Rounded(inputs.text[kPredictors])});
        plan.writes.push_back({"Total sample size", Rounded(inputs.text[kSampleSize])});
    } else {
        plan.writes.push_back(
            {"Number of predictors", Rounded(inputs.text[kCorrelationPredictors])});
    }
    plan.effectSize = result.rho2;
    return plan;
}

}  // namespace regression_random

}  // namespace effectsize
