#include "effectsize/tetrachoric_panel.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "analysis/property_input.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"
#include "power/z/tetrachoric.h"

namespace effectsize::tetrachoric {

namespace {

constexpr const char* kKeys[kFieldCount] = {"tetc_m11",  "tetc_m12",   "tetc_m21",  "tetc_m22",
                                            "tetc_mx11", "tetc_mx12",  "tetc_mx21", "tetc_mx22",
                                            "tetc_rpos", "tetc_clevel"};
// The probability mode's table is estimated as counts of this total.
constexpr double kProbabilityTotal = 1000.0;
constexpr double kSumTolerance = 1e-12;

bool Blank(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

// The values of the mode's fields after the check's rules: a read failure
// or a rule broken is the error.
struct Values {
    std::array<double, kFieldCount> value{};
};

std::optional<FieldError> ReadFields(const Inputs& inputs, int first, int last, Values* values,
                                     std::array<bool, kFieldCount>* empty) {
    for (int field = first; field <= last; ++field) {
        std::string error;
        bool isEmpty = false;
        if (!ReadField(inputs.text[field], &values->value[field], &isEmpty, &error))
            return FieldError{field, error};
        (*empty)[field] = isEmpty;
    }
    return std::nullopt;
}

std::optional<FieldError> CheckRules(const Inputs& inputs, Values* values) {
    std::array<bool, kFieldCount> empty{};
    if (inputs.mode == kFromFrequencies) {
        if (auto error = ReadFields(inputs, kF11, kF22, values, &empty)) return error;
        if (empty[kF11] || empty[kF12] || empty[kF21] || empty[kF22])
            return FieldError{kF11, kAllFrequenciesMessage};
        if (auto error = ReadFields(inputs, kRelativePosition, kConfidenceLevel, values, &empty))
            return error;
        double total = 0.0;
        for (int field = kF11; field <= kF22; ++field) {
            if (!(values->value[field] >= 0.0)) return FieldError{field, kNegativeFrequencyMessage};
            // The total goes to the main window's sample size, an int.
            total += values->value[field];
            if (!(total <= kMaxTotal)) return FieldError{field, kTotalMessage};
        }
        const double position = values->value[kRelativePosition];
        if (!(position >= 0.0 && position <= 1.0))
            return FieldError{kRelativePosition, kRelativePositionMessage};
        const double level = values->value[kConfidenceLevel];
        if (!(level >= 0.5 && level <= 0.999))
            return FieldError{kConfidenceLevel, kConfidenceLevelMessage};
        return std::nullopt;
    }
    if (auto error = ReadFields(inputs, kP11, kP22, values, &empty)) return error;
    const int emptyCount = static_cast<int>(std::count(empty.begin(), empty.begin() + 4, true));
    if (emptyCount > 1) return FieldError{kP11, kEmptyCellsMessage};
    if (emptyCount == 1) {
        // The empty cell is what the other three leave of 1.
        const int blank =
            static_cast<int>(std::find(empty.begin(), empty.end(), true) - empty.begin());
        double others = 0.0;
        for (int field = kP11; field <= kP22; ++field)
            if (field != blank) others += values->value[field];
        values->value[blank] = 1.0 - others;
    }
    for (int field = kP11; field <= kP22; ++field) {
        const double p = values->value[field];
        if (!(p >= 0.0 && p <= 1.0)) return FieldError{field, kProbabilityRangeMessage};
    }
    const double sum =
        values->value[kP11] + values->value[kP12] + values->value[kP21] + values->value[kP22];
    if (std::fabs(sum - 1.0) > kSumTolerance) return FieldError{kP11, kProbabilitySumMessage};
    return std::nullopt;
}

Result ComputeFrom(const Inputs& inputs, const Values& values) {
    const auto& v = values.value;
    Result result;
    result.mode = inputs.mode;
    TetrachoricTable table;
    if (inputs.mode == kFromFrequencies) {
        FrequencyResult& out = result.frequencies;
        table.SetCounts(v[kF11], v[kF12], v[kF21], v[kF22]);
        // Half a count added to every cell keeps the odds ratio finite.
        table.SetProportionsFromCounts(0.5, false);
        table.ApproximateR();
        const double alpha = 1.0 - v[kConfidenceLevel];
        table.ComputeLimits(alpha);
        table.ComputeApproxLimits(alpha);
        out.n = v[kF11] + v[kF12] + v[kF21] + v[kF22];
        out.marginalX = table.proportions[1] + table.proportions[3];
        out.marginalY = table.proportions[2] + table.proportions[3];
        const bool approximate = inputs.approximation;
        out.estimate = RoundTo(approximate ? table.approximateR : table.r, 7);
        out.standardError = approximate ? table.approximateStandardError : table.standardError;
        // A correlation lies in [-1, 1]: r -+ z se can leave it for small or
        // strongly associated tables, and H1 corr rho must not.
        out.lower =
            std::clamp(approximate ? table.approximateLowerLimit : table.lowerLimit, -1.0, 1.0);
        out.upper =
            std::clamp(approximate ? table.approximateUpperLimit : table.upperLimit, -1.0, 1.0);
        result.effectSize = out.lower + v[kRelativePosition] * (out.upper - out.lower);
        return result;
    }
    ProbabilityResult& out = result.probabilities;
    table.SetProportions(v[kP11], v[kP12], v[kP21], v[kP22]);
    table.total = kProbabilityTotal;
    const double r = table.EstimateR();
    const double rStar = table.ApproximateR();
    out.marginalX = v[kP12] + v[kP22];
    out.marginalY = v[kP21] + v[kP22];
    out.r = RoundTo(r, 7);
    out.rStar = RoundTo(rStar, 7);
    result.effectSize = out.r;
    return result;
}

bool Finite(const Result& result) {
    const FrequencyResult& f = result.frequencies;
    const ProbabilityResult& p = result.probabilities;
    if (result.mode == kFromFrequencies)
        return std::isfinite(f.estimate) && std::isfinite(f.lower) && std::isfinite(f.upper) &&
               std::isfinite(f.standardError) && std::isfinite(result.effectSize);
    return std::isfinite(p.r) && std::isfinite(p.rStar);
}

}  // namespace

bool FieldIsInput(int mode, int field) {
    return mode == kFromProbabilities ? field <= kP22 : field > kP22;
}

bool ReadField(const std::string& text, double* value, bool* empty, std::string* error) {
    *value = 0.0;
    *empty = Blank(text);
    if (*empty) return true;
    if (text.find('=') != std::string::npos) {
        const FormulaInputResult formula = EvaluateFormulaText(FormulaPart(text));
        if (!formula.ok || !std::isfinite(formula.value)) {
            *error = formula.ok ? kNotANumberMessage : formula.error;
            return false;
        }
        *value = formula.value;
        return true;
    }
    if (!ReadPanelNumber(text, value)) {
        *error = kNotANumberMessage;
        return false;
    }
    return true;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    Values values;
    if (auto error = CheckRules(inputs, &values)) return error;
    const int first = inputs.mode == kFromFrequencies ? kF11 : kP11;
    try {
        if (!Finite(ComputeFrom(inputs, values))) return FieldError{first, kNoEstimateMessage};
    } catch (const QuorixError&) {
        // The estimator finds no correlation (an empty cell on both
        // diagonals, or no convergence): nothing to show or transfer.
        return FieldError{first, kNoEstimateMessage};
    }
    return std::nullopt;
}

Result Compute(const Inputs& inputs) {
    Values values;
    CheckRules(inputs, &values);
    return ComputeFrom(inputs, values);
}

double Result::MarginalX() const {
    return mode == kFromFrequencies ? frequencies.marginalX : probabilities.marginalX;
}
double Result::MarginalY() const {
    return mode == kFromFrequencies ? frequencies.marginalY : probabilities.marginalY;
}

const char* StoreKey(int field) {
    return field >= 0 && field < kFieldCount ? kKeys[field] : "";
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SetNamedLong(store, "tetc_sel", inputs.mode);
    // The texts as typed: a formula stays a formula, and an emptied cell
    // stays empty (it is the cell the check completes).
    for (int field = 0; field < kFieldCount; ++field)
        SaveNumberField(store, kKeys[field], inputs.text[field]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    long mode = inputs->mode;
    if (GetNamedLong(store, "tetc_sel", &mode))
        inputs->mode = mode == kFromFrequencies ? kFromFrequencies : kFromProbabilities;
    for (int field = 0; field < kFieldCount; ++field)
        RestoreNumberField(store, kKeys[field], &inputs->text[field]);
}

TransferPlan PlanTransfer(const Result& result, const TestContext& context) {
    TransferPlan plan;
    if (context.showsMarginalX)
        plan.writes.push_back(
            {ParameterNames[kMarginalPropXId], RoundTo(result.MarginalX(), 7), -1.0, ""});
    if (context.showsMarginalY)
        plan.writes.push_back(
            {ParameterNames[kMarginalPropYId], RoundTo(result.MarginalY(), 7), -1.0, ""});
    if (context.showsTotal && result.mode == kFromFrequencies)
        plan.writes.push_back({ParameterNames[kTotalSampleSizeId], result.frequencies.n, -1.0, ""});
    plan.effectSize = result.effectSize;
    return plan;
}

}  // namespace effectsize::tetrachoric
