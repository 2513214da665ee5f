#include "effectsize/design_counts.h"

#include <cmath>

#include "effectsize/panel_common.h"

namespace effectsize {

std::optional<long> ReadCount(const std::string& text, long low, long high) {
    double value = 0.0;
    if (!ReadPanelNumber(text, &value) || value != std::trunc(value)) return std::nullopt;
    if (!(low <= value && value <= high)) return std::nullopt;
    return static_cast<long>(value);
}

std::optional<long> WholeOf(const std::string& text) {
    double value = 0.0;
    if (!ReadPanelNumber(text, &value) || !(std::fabs(value) < 2147483648.0)) return std::nullopt;
    return static_cast<long>(std::trunc(value));
}

}  // namespace effectsize
