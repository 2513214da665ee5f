#include "effectsize/regression_slopes.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/property.h"
#include "numerics/rounding.h"

namespace effectsize::regression {

std::string FormatShown(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.7g", value);
    return buffer;
}

namespace {

constexpr double kSmallestSd = 1e-12;
constexpr double kLargestCorrelation = 0.999999;
constexpr double kSmallestCorrelation = 1e-6;

// 1 - x^2 as (1 - x)(1 + x): near |x| = 1 the difference of the squares
// would lose the digits a residual SD is made of.
double OneMinusSquare(double x) {
    return (1.0 - x) * (1.0 + x);
}

// The three members a mode takes; the other two follow.
enum class Given {
    kRhoResidualSdX,
    kRhoSlopeSdX,
    kRhoSdXSdY,
    kResidualSlopeSdX,
    kResidualSdXSdY,
    kSdXSdYSlope,
};

// Why a regression has no real completion.
enum class Refusal { kNone, kCorrelationAboveOne, kResidualAboveSdY, kSlopeAgainstCorrelation };

// Completes `m` from the three members `given` names (already checked).
Refusal Complete(Given given, Members* m) {
    switch (given) {
        case Given::kRhoResidualSdX:
            m->sdY = m->residualSd / std::sqrt(OneMinusSquare(m->rho));
            m->slope = m->sdY * m->rho / m->sdX;
            break;
        case Given::kRhoSlopeSdX:
            m->sdY = m->slope / m->rho * m->sdX;
            if (!(m->sdY > 0.0)) return Refusal::kSlopeAgainstCorrelation;
            m->residualSd = std::sqrt(OneMinusSquare(m->rho)) * m->sdY;
            break;
        case Given::kRhoSdXSdY:
            m->slope = m->sdY * m->rho / m->sdX;
            m->residualSd = std::sqrt(OneMinusSquare(m->rho)) * m->sdY;
            break;
        case Given::kResidualSlopeSdX:
            m->sdY = std::hypot(m->sdX * m->slope, m->residualSd);
            m->rho = m->sdX * m->slope / m->sdY;
            break;
        case Given::kResidualSdXSdY: {
            const double share = m->residualSd / m->sdY;
            if (share > 1.0) return Refusal::kResidualAboveSdY;
            m->rho = std::sqrt(OneMinusSquare(share));
            m->slope = m->rho * m->sdY / m->sdX;
            break;
        }
        case Given::kSdXSdYSlope:
            m->rho = m->sdX * m->slope / m->sdY;
            // A correlation of exactly 1 is a regression without residual.
            if (std::fabs(m->rho) > 1.0) return Refusal::kCorrelationAboveOne;
            m->residualSd = std::sqrt(OneMinusSquare(m->rho)) * m->sdY;
            break;
    }
    return Refusal::kNone;
}

bool AllFinite(const Members& m) {
    return std::isfinite(m.sdX) && std::isfinite(m.sdY) && std::isfinite(m.rho) &&
           std::isfinite(m.slope) && std::isfinite(m.residualSd);
}

// A bound a typed member must keep; kNone for a member without one.
enum class Bound { kNone, kSd, kCorrelation, kNonzeroCorrelation };
struct FieldBound {
    int field;
    Bound bound;
};

// The fields of a panel read as numbers; only the fields in use are read.
template <size_t N>
struct Values {
    std::array<double, N> v{};
};

template <size_t N>
std::optional<FieldError> ReadFields(const std::array<std::string, N>& text,
                                     const std::vector<int>& fields, Values<N>* values) {
    for (int field : fields) {
        if (!ReadPanelNumber(text[field], &values->v[field]))
            return FieldError{field, kNotANumberMessage};
    }
    return std::nullopt;
}

// `nonzeroMessage` is the message of a correlation too close to 0.
template <size_t N>
std::optional<FieldError> CheckBounds(const Values<N>& values,
                                      const std::vector<FieldBound>& bounds,
                                      const char* nonzeroMessage) {
    for (const FieldBound& b : bounds) {
        const double x = values.v[b.field];
        switch (b.bound) {
            case Bound::kNone:
                break;
            case Bound::kSd:
                if (!(x > kSmallestSd)) return FieldError{b.field, kSdMessage};
                break;
            case Bound::kCorrelation:
            case Bound::kNonzeroCorrelation:
                if (!(-kLargestCorrelation <= x && x <= kLargestCorrelation))
                    return FieldError{b.field, kCorrelationMessage};
                if (b.bound == Bound::kNonzeroCorrelation && !(std::fabs(x) > kSmallestCorrelation))
                    return FieldError{b.field, nonzeroMessage};
                break;
        }
    }
    return std::nullopt;
}

// The mode under `key` when it is one of 0..count-1; else *mode stays.
void RestoreMode(PropertyList* store, const char* key, int count, int* mode) {
    long stored = 0;
    if (GetNamedLong(store, key, &stored) && stored >= 0 && stored < count)
        *mode = static_cast<int>(stored);
}

// Seven decimals tidy a computed SD or ratio for the main window. A value
// too large to scale by 1e7 has no decimals left to round, and one too small
// for them would round to 0: both go as they are, finite and positive.
double RoundedForTransfer(double value) {
    if (!(std::fabs(value) >= 1e-7 && std::fabs(value) < 1e15)) return value;
    return RoundTo(value, 7);
}

void AddRoundedWrite(TransferPlan* plan, const ShownInput& shown, const char* label, double value) {
    if (shown && shown(label)) plan->writes.push_back({label, RoundedForTransfer(value), -1.0, {}});
}

}  // namespace

}  // namespace effectsize::regression

namespace effectsize::one_slope {

using namespace regression;

namespace {

constexpr const char* kKeys[kFieldCount] = {"lreg_slope", "lreg_ss", "lreg_sx", "lreg_sy",
                                            "lreg_rho"};

struct ModeRow {
    Given given;
    std::array<int, 3> fields;  // edits top to bottom
    std::array<const char*, 3> labels;
    std::vector<FieldBound> bounds;  // in the order they are tested
};

const ModeRow& Row(int mode) {
    static const ModeRow rows[kModeCount] = {
        {Given::kRhoResidualSdX,
         {kRho, kResidualSd, kSdX},
         {"Correlation $\\rho$", "Std dev residual $\\sigma$", "Std dev $\\sigma$_x"},
         {{kResidualSd, Bound::kSd}, {kSdX, Bound::kSd}, {kRho, Bound::kCorrelation}}},
        {Given::kRhoSlopeSdX,
         {kRho, kSlope, kSdX},
         {"Correlation $\\rho$", "Slope H1", "Std dev $\\sigma$_x"},
         {{kSdX, Bound::kSd}, {kRho, Bound::kNonzeroCorrelation}}},
        {Given::kRhoSdXSdY,
         {kRho, kSdX, kSdY},
         {"Correlation $\\rho$", "Std dev $\\sigma$_x", "Std dev $\\sigma$_y"},
         {{kSdX, Bound::kSd}, {kSdY, Bound::kSd}, {kRho, Bound::kCorrelation}}},
        {Given::kResidualSlopeSdX,
         {kResidualSd, kSlope, kSdX},
         {"SD residual $\\sigma$", "Slope H1", "Std dev  $\\sigma$_x"},
         {{kSdX, Bound::kSd}, {kResidualSd, Bound::kSd}}},
        {Given::kResidualSdXSdY,
         {kResidualSd, kSdX, kSdY},
         {"SD residual $\\sigma$", "Std dev $\\sigma$_x", "Std dev $\\sigma$_y"},
         {{kSdX, Bound::kSd}, {kSdY, Bound::kSd}, {kResidualSd, Bound::kSd}}},
    };
    return rows[mode >= 0 && mode < kModeCount ? mode : 0];
}

// The typed members of the mode; the others as their texts read (unused).
Members Typed(const Inputs& inputs) {
    Values<kFieldCount> values;
    for (int field = 0; field < kFieldCount; ++field)
        ReadPanelNumber(inputs.text[field], &values.v[field]);
    Members m;
    m.slope = values.v[kSlope];
    m.residualSd = values.v[kResidualSd];
    m.sdX = values.v[kSdX];
    m.sdY = values.v[kSdY];
    m.rho = values.v[kRho];
    return m;
}

}  // namespace

const std::array<const char*, kModeCount> kModeTexts = {
    "$\\rho$, residual $\\sigma$, $\\sigma$_x => slope, $\\sigma$_y",
    "$\\rho$, slope, $\\sigma$_x => $\\sigma$_y",
    "$\\rho$, $\\sigma$_x, $\\sigma$_y => slope",
    "Residual $\\sigma$, slope, $\\sigma$_x => $\\sigma$_y",
    "Residual $\\sigma$, $\\sigma$_x, $\\sigma$_y => slope",
};

std::array<int, 3> ModeFields(int mode) {
    return Row(mode).fields;
}

std::array<const char*, 3> ModeLabels(int mode) {
    return Row(mode).labels;
}

bool ShowsSdY(int mode) {
    return mode == 0 || mode == 1 || mode == 3;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    const ModeRow& row = Row(inputs.mode);
    Values<kFieldCount> values;
    const std::vector<int> fields(row.fields.begin(), row.fields.end());
    if (auto error = ReadFields(inputs.text, fields, &values)) return error;
    if (auto error = CheckBounds(values, row.bounds, kOneSlopeSmallCorrelationMessage))
        return error;
    Members m = Typed(inputs);
    switch (Complete(row.given, &m)) {
        case Refusal::kNone:
            break;
        case Refusal::kSlopeAgainstCorrelation:
            return FieldError{kSlope, kSlopeSignMessage};
        case Refusal::kResidualAboveSdY:
            return FieldError{kResidualSd, kResidualAboveSdYMessage};
        case Refusal::kCorrelationAboveOne:
            return FieldError{kSlope, kFirstRegressionMessage};
    }
    if (!AllFinite(m)) return FieldError{row.fields[0], kNotFiniteMessage};
    return std::nullopt;
}

Members Compute(const Inputs& inputs) {
    Members m = Typed(inputs);
    Complete(Row(inputs.mode).given, &m);
    return m;
}

void KeepComputed(const Members& m, Inputs* inputs) {
    const std::array<int, 3> typed = ModeFields(inputs->mode);
    const double values[kFieldCount] = {m.slope, m.residualSd, m.sdX, m.sdY, m.rho};
    for (int field = 0; field < kFieldCount; ++field) {
        if (field != typed[0] && field != typed[1] && field != typed[2])
            inputs->text[field] = FormatShown(values[field]);
    }
}

void TakeMainValues(const MainValues& main, Inputs* inputs) {
    if (main.sdX) inputs->text[kSdX] = FormatShown(*main.sdX);
    if (main.sdY) inputs->text[kSdY] = FormatShown(*main.sdY);
    if (main.slope) inputs->text[kSlope] = FormatShown(*main.slope);
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SetNamedLong(store, "lreg_sel", inputs.mode);
    for (int field = 0; field < kFieldCount; ++field)
        SaveNumberField(store, kKeys[field], inputs.text[field]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    RestoreMode(store, "lreg_sel", kModeCount, &inputs->mode);
    for (int field = 0; field < kFieldCount; ++field)
        RestoreNumberField(store, kKeys[field], &inputs->text[field]);
}

TransferPlan PlanTransfer(const Members& members, const ShownInput& shown) {
    TransferPlan plan;
    AddRoundedWrite(&plan, shown, "Std dev $\\sigma$_x", members.sdX);
    AddRoundedWrite(&plan, shown, "Std dev $\\sigma$_y", members.sdY);
    plan.effectSize = members.slope;
    return plan;
}

}  // namespace effectsize::one_slope

namespace effectsize::two_slopes {

using namespace regression;

namespace {

constexpr const char* kKeys[kFieldCount] = {
    "lreg2_sx1", "lreg2_sy1",  "lreg2_rho1",   "lreg2_slope1", "lreg2_sx2",
    "lreg2_sy2", "lreg2_rho2", "lreg2_slope2", "lreg2_talloc", "lreg2_ss"};

// A group's fields sit at an offset of kSdX2 - kSdX1 from group 1's.
constexpr int kGroupOffset = kSdX2 - kSdX1;

struct ModeRow {
    Given given;
    std::array<int, 3> fields;  // group 1, top to bottom
    std::array<Bound, 3> bounds;
    int result;  // group 1
};

const ModeRow& Row(int mode) {
    static const ModeRow rows[kModeCount] = {
        {Given::kRhoSdXSdY,
         {kSdX1, kSdY1, kRho1},
         {Bound::kSd, Bound::kSd, Bound::kCorrelation},
         kSlope1},
        {Given::kSdXSdYSlope,
         {kSdX1, kSdY1, kSlope1},
         {Bound::kSd, Bound::kSd, Bound::kNone},
         kRho1},
        {Given::kRhoSlopeSdX,
         {kSdX1, kRho1, kSlope1},
         {Bound::kSd, Bound::kNonzeroCorrelation, Bound::kNone},
         kSdY1},
    };
    return rows[mode >= 0 && mode < kModeCount ? mode : 0];
}

// The label of a group-1 field, and of the same field of group 2.
std::string FieldLabel(int field, int group) {
    static const char* const labels[] = {"Std dev $\\sigma$_x1", "Std dev $\\sigma$_y1",
                                         "Correlation $\\rho$1", "Slope group 1"};
    std::string label = labels[field - kSdX1];
    if (group == 1) label.back() = '2';
    return label;
}

Members GroupMembers(const Values<kFieldCount>& values, int group) {
    const int o = group * kGroupOffset;
    Members m;
    m.sdX = values.v[kSdX1 + o];
    m.sdY = values.v[kSdY1 + o];
    m.rho = values.v[kRho1 + o];
    m.slope = values.v[kSlope1 + o];
    return m;
}

Values<kFieldCount> AllValues(const Inputs& inputs) {
    Values<kFieldCount> values;
    for (int field = 0; field < kFieldCount; ++field)
        ReadPanelNumber(inputs.text[field], &values.v[field]);
    return values;
}

// The residual variances weighted by the group sizes N1 and N2 = ratio N1;
// hypot keeps large SDs from overflowing in their squares.
double Pooled(double residual1, double residual2, double ratio) {
    return std::hypot(residual1, std::sqrt(ratio) * residual2) / std::sqrt(ratio + 1.0);
}

}  // namespace

const std::array<const char*, kModeCount> kModeTexts = {
    "$\\sigma$_x, $\\sigma$_y, $\\rho$ => residual $\\sigma$, slope",
    "$\\sigma$_x, $\\sigma$_y, slope => residual $\\sigma$, $\\rho$",
    "$\\sigma$_x, $\\rho$, slope => residual $\\sigma$, $\\sigma$_y",
};

std::array<int, 3> ModeFields(int mode, int group) {
    std::array<int, 3> fields = Row(mode).fields;
    for (int& field : fields) field += group * kGroupOffset;
    return fields;
}

std::array<std::string, 3> ModeLabels(int mode, int group) {
    const std::array<int, 3>& fields = Row(mode).fields;
    return {FieldLabel(fields[0], group), FieldLabel(fields[1], group),
            FieldLabel(fields[2], group)};
}

int ResultField(int mode, int group) {
    return Row(mode).result + group * kGroupOffset;
}

std::string ResultLabel(int mode, int group) {
    return FieldLabel(Row(mode).result, group);
}

std::optional<FieldError> Check(const Inputs& inputs) {
    const ModeRow& row = Row(inputs.mode);
    std::vector<int> fields;
    std::vector<FieldBound> bounds;
    for (int group = 0; group < 2; ++group) {
        const std::array<int, 3> groupFields = ModeFields(inputs.mode, group);
        for (int i = 0; i < 3; ++i) {
            fields.push_back(groupFields[i]);
            bounds.push_back({groupFields[i], row.bounds[i]});
        }
    }
    Values<kFieldCount> values;
    if (auto error = ReadFields(inputs.text, fields, &values)) return error;
    if (auto error = CheckBounds(values, bounds, kSmallCorrelationMessage)) return error;
    if (!ReadPanelNumber(inputs.text[kRatio], &values.v[kRatio]))
        return FieldError{kRatio, kNotANumberMessage};
    if (!(values.v[kRatio] > 0.0)) return FieldError{kRatio, kRatioMessage};

    std::array<Members, 2> m = {GroupMembers(values, 0), GroupMembers(values, 1)};
    for (int group = 0; group < 2; ++group) {
        const int slopeField = kSlope1 + group * kGroupOffset;
        switch (Complete(row.given, &m[group])) {
            case Refusal::kNone:
                break;
            case Refusal::kCorrelationAboveOne:
                return FieldError{slopeField,
                                  group == 0 ? kFirstRegressionMessage : kSecondRegressionMessage};
            case Refusal::kSlopeAgainstCorrelation:
            case Refusal::kResidualAboveSdY:
                return FieldError{slopeField, kSlopeSignMessage};
        }
        if (!AllFinite(m[group]))
            return FieldError{ModeFields(inputs.mode, group)[0], kNotFiniteMessage};
    }
    const double pooled = Pooled(m[0].residualSd, m[1].residualSd, values.v[kRatio]);
    if (!std::isfinite(pooled)) return FieldError{kRatio, kNotFiniteMessage};
    if (!std::isfinite(m[0].slope - m[1].slope))
        return FieldError{row.fields[0], kNotFiniteMessage};
    return std::nullopt;
}

Result Compute(const Inputs& inputs) {
    const Values<kFieldCount> values = AllValues(inputs);
    Result result;
    for (int group = 0; group < 2; ++group) {
        result.group[group] = GroupMembers(values, group);
        Complete(Row(inputs.mode).given, &result.group[group]);
    }
    result.ratio = values.v[kRatio];
    result.pooledResidualSd =
        Pooled(result.group[0].residualSd, result.group[1].residualSd, result.ratio);
    result.effect = std::fabs(result.group[0].slope - result.group[1].slope);
    return result;
}

void KeepComputed(const Result& result, Inputs* inputs) {
    for (int group = 0; group < 2; ++group) {
        const std::array<int, 3> typed = ModeFields(inputs->mode, group);
        const Members& m = result.group[group];
        const double values[] = {m.sdX, m.sdY, m.rho, m.slope};
        for (int i = 0; i < 4; ++i) {
            const int field = kSdX1 + group * kGroupOffset + i;
            if (field != typed[0] && field != typed[1] && field != typed[2])
                inputs->text[field] = FormatShown(values[i]);
        }
    }
    inputs->text[kPooledSd] = FormatShown(result.pooledResidualSd);
}

void TakeMainValues(const MainValues& main, Inputs* inputs) {
    if (main.sdX1) inputs->text[kSdX1] = FormatShown(*main.sdX1);
    if (main.sdX2) inputs->text[kSdX2] = FormatShown(*main.sdX2);
    if (main.ratio) inputs->text[kRatio] = FormatShown(*main.ratio);
    // Group sizes, when the main window has them, say the ratio exactly.
    if (main.n1 && main.n2 && *main.n1 > 0 && *main.n2 > 0)
        inputs->text[kRatio] =
            FormatShown(static_cast<double>(*main.n2) / static_cast<double>(*main.n1));
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SetNamedLong(store, "lreg2_sel", inputs.mode);
    for (int field = 0; field < kFieldCount; ++field)
        SaveNumberField(store, kKeys[field], inputs.text[field]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    long mode = 0;
    if (!store || !GetNamedLong(store, "lreg2_sel", &mode)) return;
    RestoreMode(store, "lreg2_sel", kModeCount, &inputs->mode);
    // The ratio comes back like every other input: what the user typed
    // survives the drawer's closing.
    for (int field = 0; field < kFieldCount; ++field)
        RestoreNumberField(store, kKeys[field], &inputs->text[field]);
}

TransferPlan PlanTransfer(const Result& result, const ShownInput& shown) {
    TransferPlan plan;
    AddRoundedWrite(&plan, shown, "Std dev $\\sigma$_x1", result.group[0].sdX);
    AddRoundedWrite(&plan, shown, "Std dev $\\sigma$_x2", result.group[1].sdX);
    AddRoundedWrite(&plan, shown, "Std dev residual $\\sigma$", result.pooledResidualSd);
    AddRoundedWrite(&plan, shown, "Allocation ratio N2/N1", result.ratio);
    plan.effectSize = result.effect;
    return plan;
}

}  // namespace effectsize::two_slopes

namespace effectsize::two_intercepts {

using namespace regression;

namespace {

constexpr const char* kKeys[kFieldCount] = {"lreg2i_sx",    "lreg2i_sy",     "lreg2i_rho",
                                            "lreg2i_slope", "lreg2i_inter1", "lreg2i_inter2",
                                            "lreg2i_ss"};

struct ModeRow {
    Given given;
    std::array<int, 3> fields;
    std::array<const char*, 3> labels;
    std::vector<FieldBound> bounds;
};

const ModeRow& Row(int mode) {
    static const ModeRow rows[kModeCount] = {
        {Given::kRhoSdXSdY,
         {kSdX, kSdY, kRho},
         {"Std dev $\\sigma$_x1", "Std dev $\\sigma$_y1", "Correlation $\\rho$"},
         {{kSdX, Bound::kSd}, {kSdY, Bound::kSd}, {kRho, Bound::kCorrelation}}},
        {Given::kSdXSdYSlope,
         {kSdX, kSdY, kSlope},
         {"Std dev $\\sigma$_x1", "Std dev $\\sigma$_y1", "Slope group 1"},
         {{kSdX, Bound::kSd}, {kSdY, Bound::kSd}}},
        {Given::kRhoSlopeSdX,
         {kSdX, kRho, kSlope},
         {"Std dev $\\sigma$_x1", "Correlation $\\rho$", "Slope group 1"},
         {{kSdX, Bound::kSd}, {kRho, Bound::kNonzeroCorrelation}}},
    };
    return rows[mode >= 0 && mode < kModeCount ? mode : 0];
}

Values<kFieldCount> AllValues(const Inputs& inputs) {
    Values<kFieldCount> values;
    for (int field = 0; field < kFieldCount; ++field)
        ReadPanelNumber(inputs.text[field], &values.v[field]);
    return values;
}

Members Typed(const Values<kFieldCount>& values) {
    Members m;
    m.sdX = values.v[kSdX];
    m.sdY = values.v[kSdY];
    m.rho = values.v[kRho];
    m.slope = values.v[kSlope];
    return m;
}

}  // namespace

const std::array<const char*, kModeCount> kModeTexts = {
    "$\\sigma$_x, $\\sigma$_y, $\\rho$ => residual $\\sigma$, slope 1",
    "$\\sigma$_x, $\\sigma$_y, slope 1 => residual $\\sigma$, $\\rho$",
    "$\\sigma$_x, $\\rho$, slope 1 => residual $\\sigma$, $\\sigma$_y",
};

std::array<int, 3> ModeFields(int mode) {
    return Row(mode).fields;
}

std::array<const char*, 3> ModeLabels(int mode) {
    return Row(mode).labels;
}

std::optional<FieldError> Check(const Inputs& inputs) {
    const ModeRow& row = Row(inputs.mode);
    std::vector<int> fields(row.fields.begin(), row.fields.end());
    Values<kFieldCount> values;
    if (auto error = ReadFields(inputs.text, fields, &values)) return error;
    if (auto error = CheckBounds(values, row.bounds, kSmallCorrelationMessage)) return error;
    if (auto error = ReadFields(inputs.text, {kIntercept1, kIntercept2}, &values)) return error;
    Members m = Typed(values);
    switch (Complete(row.given, &m)) {
        case Refusal::kNone:
            break;
        case Refusal::kCorrelationAboveOne:
            return FieldError{kSlope, kFirstRegressionMessage};
        case Refusal::kSlopeAgainstCorrelation:
        case Refusal::kResidualAboveSdY:
            return FieldError{kSlope, kSlopeSignMessage};
    }
    if (!AllFinite(m)) return FieldError{row.fields[0], kNotFiniteMessage};
    if (!std::isfinite(values.v[kIntercept1] - values.v[kIntercept2]))
        return FieldError{kIntercept1, kNotFiniteMessage};
    return std::nullopt;
}

Result Compute(const Inputs& inputs) {
    const Values<kFieldCount> values = AllValues(inputs);
    Result result;
    result.regression = Typed(values);
    Complete(Row(inputs.mode).given, &result.regression);
    result.effect = std::fabs(values.v[kIntercept1] - values.v[kIntercept2]);
    return result;
}

void KeepComputed(const Result& result, Inputs* inputs) {
    const std::array<int, 3> typed = ModeFields(inputs->mode);
    const Members& m = result.regression;
    const double values[] = {m.sdX, m.sdY, m.rho, m.slope};
    for (int field = kSdX; field <= kSlope; ++field) {
        if (field != typed[0] && field != typed[1] && field != typed[2])
            inputs->text[field] = FormatShown(values[field]);
    }
    inputs->text[kResidualSd] = FormatShown(m.residualSd);
}

void TakeMainValues(const MainValues& main, Inputs* inputs) {
    if (main.sdX1) inputs->text[kSdX] = FormatShown(*main.sdX1);
    if (main.interceptDelta) inputs->text[kIntercept1] = FormatShown(*main.interceptDelta);
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SetNamedLong(store, "lreg2i_sel", inputs.mode);
    for (int field = 0; field < kFieldCount; ++field)
        SaveNumberField(store, kKeys[field], inputs.text[field]);
}

void Restore(PropertyList* store, Inputs* inputs) {
    long mode = 0;
    if (!store || !GetNamedLong(store, "lreg2i_sel", &mode)) return;
    RestoreMode(store, "lreg2i_sel", kModeCount, &inputs->mode);
    for (int field = 0; field < kFieldCount; ++field)
        RestoreNumberField(store, kKeys[field], &inputs->text[field]);
}

TransferPlan PlanTransfer(const Result& result, const ShownInput& shown) {
    TransferPlan plan;
    AddRoundedWrite(&plan, shown, "Std dev $\\sigma$_x1", result.regression.sdX);
    AddRoundedWrite(&plan, shown, "Std dev residual $\\sigma$", result.regression.residualSd);
    plan.effectSize = result.effect;
    return plan;
}

}  // namespace effectsize::two_intercepts
