#include "effectsize/goodness_of_fit.h"

#include <algorithm>
#include <cmath>

#include "analysis/property.h"
#include "effectsize/leading_number.h"

namespace effectsize::goodness_of_fit {

namespace {

constexpr double kSmallestP0 = 1e-19;
constexpr double kSumTolerance = 1e-6;

double SumOf(const std::vector<double>& column, int count) {
    double sum = 0.0;
    for (int i = 0; i < count; ++i) sum += column[static_cast<size_t>(i)];
    return sum;
}

std::string CellKey(const char* stem, int i) {
    return std::string(stem) + std::to_string(i);
}

}  // namespace

int ClampCells(int cells) {
    return std::clamp(cells, kMinCells, kMaxCells);
}

void ApplyCellCount(Inputs* inputs, int cells) {
    inputs->cells = ClampCells(cells);
    const size_t needed = static_cast<size_t>(inputs->cells);
    for (std::vector<double>* column : {&inputs->p0, &inputs->p1}) {
        if (column->size() < needed) column->resize(needed, 0.0);
    }
}

std::optional<FieldError> Check(const Inputs& inputs) {
    const int k = inputs.cells;
    for (int i = 0; i < k; ++i) {
        const double p0 = inputs.p0[static_cast<size_t>(i)];
        const double p1 = inputs.p1[static_cast<size_t>(i)];
        if (!std::isfinite(p0)) return FieldError{CellField(i, kH0), kNotANumberMessage};
        if (!(p0 > kSmallestP0)) return FieldError{CellField(i, kH0), kP0TooSmallMessage};
        if (!std::isfinite(p1)) return FieldError{CellField(i, kH1), kNotANumberMessage};
        if (!(p1 >= 0.0)) return FieldError{CellField(i, kH1), kP1NegativeMessage};
    }
    const double s0 = SumOf(inputs.p0, k);
    const double s1 = SumOf(inputs.p1, k);
    if (inputs.inputMode == kNormalize) {
        if (s1 < kSumTolerance) return FieldError{CellField(0, kH1), kP1SumZeroMessage};
        // Cells near the largest double can sum past it.
        if (!std::isfinite(s0)) return FieldError{CellField(0, kH0), kNotANumberMessage};
        if (!std::isfinite(s1)) return FieldError{CellField(0, kH1), kNotANumberMessage};
        return std::nullopt;
    }
    if (std::fabs(s0 - 1.0) > kSumTolerance || !std::isfinite(s0))
        return FieldError{CellField(0, kH0),
                          std::string(kP0SumMessage) + (s0 > 1.0 ? "large" : "small") + "."};
    if (std::fabs(s1 - 1.0) > kSumTolerance || !std::isfinite(s1))
        return FieldError{CellField(0, kH1),
                          std::string(kP1SumMessage) + (s1 > 1.0 ? "large" : "small") + "."};
    return std::nullopt;
}

double ComputeW(Inputs* inputs) {
    const int k = inputs->cells;
    if (inputs->inputMode == kNormalize) {
        const double s0 = SumOf(inputs->p0, k);
        const double s1 = SumOf(inputs->p1, k);
        for (int i = 0; i < k; ++i) {
            inputs->p0[static_cast<size_t>(i)] /= s0;
            inputs->p1[static_cast<size_t>(i)] /= s1;
        }
    }
    double sum = 0.0;
    for (int i = 0; i < k; ++i) {
        const double p0 = inputs->p0[static_cast<size_t>(i)];
        const double d = p0 - inputs->p1[static_cast<size_t>(i)];
        sum += d * d / p0;
    }
    return std::sqrt(sum);
}

void SetEqual(Inputs* inputs, int column, double value) {
    std::vector<double>& cells = inputs->column(column);
    std::fill(cells.begin(), cells.begin() + inputs->cells, value);
}

std::optional<std::string> Normalize(Inputs* inputs, int column) {
    std::vector<double>& cells = inputs->column(column);
    const int k = inputs->cells;
    const double sum = SumOf(cells, k);
    // Dividing by 0 would fill the column with NaN.
    if (!(sum > 0.0) || !std::isfinite(sum)) return std::string(kNormalizeZeroMessage);
    for (int i = 0; i < k; ++i) cells[static_cast<size_t>(i)] /= sum;
    cells[static_cast<size_t>(k - 1)] += 1.0 - SumOf(cells, k);
    return std::nullopt;
}

std::optional<std::string> AutoCalcLastCell(Inputs* inputs, int column) {
    std::vector<double>& cells = inputs->column(column);
    const int k = inputs->cells;
    double sum = SumOf(cells, k - 1);
    std::optional<std::string> warning;
    if (sum > 1.0) {
        warning = column == kH0 ? kLastCellP0Message : kLastCellP1Message;
        sum = 1.0;
    }
    cells[static_cast<size_t>(k - 1)] = 1.0 - sum;
    return warning;
}

LastCells UpdateLastCells(Inputs* inputs) {
    LastCells result;
    const int k = inputs->cells;
    for (int column : {kH0, kH1}) {
        std::vector<double>& cells = inputs->column(column);
        const double sum = SumOf(cells, k - 1);
        result.fits[column] = sum <= 1.0;
        cells[static_cast<size_t>(k - 1)] = result.fits[column] ? 1.0 - sum : 0.0;
    }
    return result;
}

void Save(const Inputs& inputs, PropertyList* store) {
    if (!store) return;
    SetNamedLong(store, "cgf_inmode", inputs.inputMode);
    SetNamedLong(store, "cgf_ncells", inputs.cells);
    for (int i = 0; i < inputs.cells; ++i) {
        SetNamedDouble(store, CellKey("cgf_pp", i).c_str(), inputs.p0[static_cast<size_t>(i)]);
        SetNamedDouble(store, CellKey("cgf_pa", i).c_str(), inputs.p1[static_cast<size_t>(i)]);
    }
}

void Restore(PropertyList* store, Inputs* inputs) {
    if (!store) return;
    long mode = 0;
    if (GetNamedLong(store, "cgf_inmode", &mode) && kNormalize <= mode && mode <= kPlain)
        inputs->inputMode = static_cast<int>(mode);
    long cells = 0;
    if (GetNamedLong(store, "cgf_ncells", &cells))
        ApplyCellCount(inputs, static_cast<int>(std::clamp<long>(cells, kMinCells, kMaxCells)));
    for (int i = 0; i < inputs->cells; ++i) {
        GetNamedDouble(store, CellKey("cgf_pp", i).c_str(), &inputs->p0[static_cast<size_t>(i)]);
        GetNamedDouble(store, CellKey("cgf_pa", i).c_str(), &inputs->p1[static_cast<size_t>(i)]);
    }
}

namespace {

PropertyDouble* CellEntry(PropertyList* store, int row, int column) {
    if (!store) return nullptr;
    const std::string key = CellKey(column == kH0 ? "cgf_pp" : "cgf_pa", row);
    return dynamic_cast<PropertyDouble*>(store->Find(key));
}

}  // namespace

void SaveTypedCell(PropertyList* store, int row, int column, const std::string& text) {
    double value = 0.0;
    if (ReadWholeNumber(text, &value)) return;
    if (PropertyDouble* entry = CellEntry(store, row, column)) entry->text = text;
}

std::optional<std::string> TypedCell(PropertyList* store, int row, int column) {
    const PropertyDouble* entry = CellEntry(store, row, column);
    double value = 0.0;
    if (!entry || ReadWholeNumber(entry->text, &value)) return std::nullopt;
    return entry->text;
}

}  // namespace effectsize::goodness_of_fit
