#include "app/panels/main_window_values.h"

#include "analysis/property.h"
#include "app/drawer/panel_host.h"

std::optional<double> MainWindowNumber(PanelHost* host, const std::string& label) {
    Property* input = host ? host->FindParameter(label) : nullptr;
    if (auto* real = dynamic_cast<PropertyDouble*>(input)) return real->GetValue();
    if (auto* count = dynamic_cast<PropertyLong*>(input))
        return static_cast<double>(count->GetValue());
    return std::nullopt;
}

std::optional<long> MainWindowCount(PanelHost* host, const std::string& label) {
    Property* input = host ? host->FindParameter(label) : nullptr;
    if (auto* count = dynamic_cast<PropertyLong*>(input)) return count->GetValue();
    // Sample sizes may be real-valued inputs that hold whole numbers.
    if (auto* real = dynamic_cast<PropertyDouble*>(input)) {
        const double value = real->GetValue();
        if (-1e15 < value && value < 1e15) return static_cast<long>(value);
    }
    return std::nullopt;
}

effectsize::regression::ShownInput MainWindowShows(PanelHost* host) {
    return [host](const std::string& label) { return host && host->FindParameter(label); };
}
